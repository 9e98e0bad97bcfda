#include "controls/Splitter.h"

#include <windowsx.h>

#include <algorithm>

#include "platform/GdiHandles.h"
#include "controls/ParentNotifications.h"

namespace vellora {

HWND Splitter::Create(HWND parent, SplitterOrientation orientation, UINT id) {
  orientation_ = orientation;
  return Window::Create(parent, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, 0, 0, 0,
                        reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)));
}

void Splitter::RegisterClassInfo(WNDCLASSEXA& wc) const {
  wc.style = CS_DBLCLKS;
  wc.hbrBackground = nullptr;  // the panes cover the client; the bar is painted
  wc.hCursor = nullptr;        // chosen in WM_SETCURSOR
}

void Splitter::SetPanes(HWND first, HWND second) {
  SetPane(0, first);
  SetPane(1, second);
  Layout();
}

void Splitter::SetPane(int index, HWND pane) {
  if (index != 0 && index != 1) return;
  panes_[index] = pane;
  if (!pane || !Handle()) return;
  if (GetParent(pane) != Handle()) SetParent(pane, Handle());
  bool hiddenBySingle = (single_ == SplitterPane::First && index == 1) ||
                        (single_ == SplitterPane::Second && index == 0);
  if (hiddenBySingle) ShowWindow(pane, SW_HIDE);
}

int Splitter::Extent() const {
  RECT rc = {};
  if (Handle()) GetClientRect(Handle(), &rc);
  return orientation_ == SplitterOrientation::Vertical ? rc.right : rc.bottom;
}

int Splitter::Clamp(int position) const {
  int extent = Extent();
  if (extent <= 0) return std::max(position, 0);
  return std::clamp(position, 0, std::max(extent - barWidth_, 0));
}

void Splitter::SetPosition(int position) {
  position_ = Clamp(position);
  Layout();
}

void Splitter::SetBarWidth(int width) {
  barWidth_ = std::max(width, 0);
  Layout();
}

void Splitter::SetSinglePane(SplitterPane pane) {
  single_ = pane;
  if (pane == SplitterPane::None) {
    for (HWND p : panes_)
      if (p) ShowWindow(p, SW_SHOWNA);
  } else {
    int shown = pane == SplitterPane::First ? 0 : 1;
    if (panes_[1 - shown]) ShowWindow(panes_[1 - shown], SW_HIDE);
    if (panes_[shown]) ShowWindow(panes_[shown], SW_SHOWNA);
    activePane_ = shown;
  }
  Layout();
}

RECT Splitter::BarRect() const {
  RECT rc = {};
  if (!Handle() || single_ != SplitterPane::None) return rc;
  GetClientRect(Handle(), &rc);
  int pos = Clamp(position_);
  if (orientation_ == SplitterOrientation::Vertical) {
    rc.left = pos;
    rc.right = std::min<LONG>(pos + barWidth_, rc.right);
  } else {
    rc.top = pos;
    rc.bottom = std::min<LONG>(pos + barWidth_, rc.bottom);
  }
  return rc;
}

void Splitter::Layout() {
  if (!Handle()) return;
  RECT client = {};
  GetClientRect(Handle(), &client);
  RECT rects[2] = {client, client};
  if (single_ == SplitterPane::None) {
    RECT bar = BarRect();
    if (orientation_ == SplitterOrientation::Vertical) {
      rects[0].right = bar.left;
      rects[1].left = bar.right;
    } else {
      rects[0].bottom = bar.top;
      rects[1].top = bar.bottom;
    }
  }
  int count = 0;
  for (HWND p : panes_) count += p ? 1 : 0;
  HDWP defer = BeginDeferWindowPos(count);
  for (int i = 0; i < 2; ++i) {
    HWND p = panes_[i];
    if (!p) continue;
    bool hidden = (single_ == SplitterPane::First && i == 1) || (single_ == SplitterPane::Second && i == 0);
    if (hidden) continue;
    const RECT& r = rects[i];
    int w = std::max<LONG>(r.right - r.left, 0), h = std::max<LONG>(r.bottom - r.top, 0);
    if (defer) defer = DeferWindowPos(defer, p, nullptr, r.left, r.top, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
    if (!defer) SetWindowPos(p, nullptr, r.left, r.top, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (defer) EndDeferWindowPos(defer);
  InvalidateRect(Handle(), nullptr, FALSE);
}

void Splitter::OnPaint() {
  PaintScope paint(Handle());
  RECT client = {};
  GetClientRect(Handle(), &client);
  // Only what the panes leave uncovered is visible (WS_CLIPCHILDREN): the
  // bar, and the whole area when a pane is missing.
  FillRect(paint.DC(), &paint.Dirty(), GetSysColorBrush(COLOR_BTNFACE));
  RECT bar = BarRect();
  if (IsRectEmpty(&bar) || barWidth_ < 4) return;
  // A wide bar gets a light leading and a dark trailing edge.
  RECT lead = bar, trail = bar;
  if (orientation_ == SplitterOrientation::Vertical) {
    lead.right = lead.left + 1;
    trail.left = trail.right - 1;
  } else {
    lead.bottom = lead.top + 1;
    trail.top = trail.bottom - 1;
  }
  FillRect(paint.DC(), &lead, GetSysColorBrush(COLOR_3DHILIGHT));
  FillRect(paint.DC(), &trail, GetSysColorBrush(COLOR_3DSHADOW));
}

int Splitter::Along(LPARAM lParam) const {
  return orientation_ == SplitterOrientation::Vertical ? GET_X_LPARAM(lParam) : GET_Y_LPARAM(lParam);
}

void Splitter::OnLButtonDown(LPARAM lParam) {
  if (!draggable_ || single_ != SplitterPane::None) return;
  POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  RECT bar = BarRect();
  if (!PtInRect(&bar, pt)) return;
  dragging_ = true;
  dragOffset_ = Along(lParam) - Clamp(position_);
  SetCapture(Handle());
}

void Splitter::OnMouseMove(LPARAM lParam) {
  if (!dragging_) return;
  int next = Clamp(Along(lParam) - dragOffset_);
  if (next == position_) return;
  position_ = next;
  Layout();
  UpdateWindow(Handle());
}

void Splitter::EndDrag() {
  if (!dragging_) return;
  dragging_ = false;
  if (GetCapture() == Handle()) ReleaseCapture();
}

bool Splitter::OnSetCursor() {
  if (!draggable_ || single_ != SplitterPane::None) return false;
  POINT pt = {};
  GetCursorPos(&pt);
  ScreenToClient(Handle(), &pt);
  RECT bar = BarRect();
  if (!dragging_ && !PtInRect(&bar, pt)) return false;
  SetCursor(LoadCursorA(nullptr, orientation_ == SplitterOrientation::Vertical ? IDC_SIZEWE : IDC_SIZENS));
  return true;
}

LRESULT Splitter::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SIZE:
      Layout();
      return 0;
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_LBUTTONDOWN:
      OnLButtonDown(lParam);
      return 0;
    case WM_MOUSEMOVE:
      OnMouseMove(lParam);
      return 0;
    case WM_LBUTTONUP:
      EndDrag();
      return 0;
    case WM_CAPTURECHANGED:
      dragging_ = false;
      return 0;
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wParam) == Handle() && LOWORD(lParam) == HTCLIENT && OnSetCursor()) return TRUE;
      if (reinterpret_cast<HWND>(wParam) == Handle()) {
        SetCursor(LoadCursorA(nullptr, IDC_ARROW));
        return TRUE;
      }
      break;
    case WM_SETFOCUS:
      if (HWND pane = panes_[activePane_]; pane && IsWindowVisible(pane)) SetFocus(pane);
      return 0;
    default:
      if (IsParentNotification(msg)) {
        if (HWND parent = GetParent(Handle())) return SendMessageA(parent, msg, wParam, lParam);
      }
      break;
  }
  return DefaultProc(msg, wParam, lParam);
}

}  // namespace vellora
