#include "controls/TabStrip.h"

#include <windowsx.h>

#include <algorithm>
#include <utility>

namespace vellora {

namespace {

HFONT DialogFont() {
  NONCLIENTMETRICSA metrics = {};
  metrics.cbSize = sizeof metrics;
  if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
    return CreateFontIndirectA(&metrics.lfMessageFont);
  return nullptr;
}

}  // namespace

HWND TabStrip::Create(HWND parent, UINT id, TabStripEvents* events) {
  events_ = events;
  font_.Reset(DialogFont());
  return Window::Create(parent, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 0, 100, PreferredHeight(),
                        reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)));
}

void TabStrip::RegisterClassInfo(WNDCLASSEXA& wc) const {
  wc.style |= CS_HREDRAW | CS_VREDRAW;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
}

int TabStrip::PreferredHeight() const {
  HDC screen = GetDC(nullptr);
  int height = 16;
  if (screen) {
    SelectGuard select(screen, font_ ? font_.Get() : GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICA metrics = {};
    if (GetTextMetricsA(screen, &metrics)) height = metrics.tmHeight;
    ReleaseDC(nullptr, screen);
  }
  return height + 10;
}

int TabStrip::MeasureText(const std::string& text) const {
  HDC screen = GetDC(nullptr);
  if (!screen) return static_cast<int>(text.size()) * 7;
  SIZE size = {};
  {
    SelectGuard select(screen, font_ ? font_.Get() : GetStockObject(DEFAULT_GUI_FONT));
    GetTextExtentPoint32A(screen, text.c_str(), static_cast<int>(text.size()), &size);
  }
  ReleaseDC(nullptr, screen);
  return size.cx;
}

int TabStrip::AddTab(const std::string& text, LPARAM data) {
  tabs_.push_back({text, data, MeasureText(text) + 2 * kPadding});
  if (Handle()) InvalidateRect(Handle(), nullptr, TRUE);
  return TabCount() - 1;
}

bool TabStrip::RemoveTab(int index) {
  if (index < 0 || index >= TabCount()) return false;
  tabs_.erase(tabs_.begin() + index);
  if (selected_ == index) selected_ = std::min(index, TabCount() - 1);
  else if (selected_ > index) --selected_;
  firstShown_ = std::clamp(firstShown_, 0, std::max(0, TabCount() - 1));
  if (Handle()) InvalidateRect(Handle(), nullptr, TRUE);
  return true;
}

void TabStrip::RemoveAllTabs() {
  tabs_.clear();
  selected_ = -1;
  firstShown_ = 0;
  if (Handle()) InvalidateRect(Handle(), nullptr, TRUE);
}

bool TabStrip::SetTabText(int index, const std::string& text) {
  if (index < 0 || index >= TabCount()) return false;
  tabs_[index].text = text;
  tabs_[index].width = MeasureText(text) + 2 * kPadding;
  if (Handle()) InvalidateRect(Handle(), nullptr, TRUE);
  return true;
}

bool TabStrip::SwapTabs(int first, int second) {
  if (first < 0 || second < 0 || first >= TabCount() || second >= TabCount()) return false;
  std::swap(tabs_[first], tabs_[second]);
  if (selected_ == first) selected_ = second;
  else if (selected_ == second) selected_ = first;
  if (Handle()) InvalidateRect(Handle(), nullptr, TRUE);
  return true;
}

std::string TabStrip::TabText(int index) const {
  return index >= 0 && index < TabCount() ? tabs_[index].text : std::string();
}

LPARAM TabStrip::TabData(int index) const { return index >= 0 && index < TabCount() ? tabs_[index].data : 0; }

void TabStrip::Select(int index, bool notify) {
  if (index < -1 || index >= TabCount()) return;
  selected_ = index;
  if (index >= 0) EnsureShown(index);
  if (Handle()) InvalidateRect(Handle(), nullptr, TRUE);
  if (notify && events_ && index >= 0) events_->OnTabChanged(index);
}

bool TabStrip::Overflows() const {
  RECT client = {};
  if (Handle()) GetClientRect(Handle(), &client);
  int total = 0;
  for (const Tab& tab : tabs_) total += tab.width;
  return total > client.right;
}

int TabStrip::TabsRight() const {
  RECT client = {};
  if (Handle()) GetClientRect(Handle(), &client);
  return Overflows() ? client.right - 2 * kArrowWidth : client.right;
}

RECT TabStrip::TabRect(int index) const {
  RECT rect = {};
  if (index < firstShown_ || index >= TabCount() || !Handle()) return rect;
  RECT client;
  GetClientRect(Handle(), &client);
  int x = 2;
  for (int i = firstShown_; i < index; ++i) x += tabs_[i].width;
  rect = {x, 2, x + tabs_[index].width, client.bottom};
  return rect;
}

RECT TabStrip::ArrowRect(int which) const {
  RECT client = {};
  if (Handle()) GetClientRect(Handle(), &client);
  const int left = client.right - (2 - which) * kArrowWidth;
  return {left, 2, left + kArrowWidth, client.bottom - 2};
}

int TabStrip::HitTest(POINT point) const {
  if (point.x >= TabsRight()) return -1;
  for (int i = firstShown_; i < TabCount(); ++i) {
    RECT rect = TabRect(i);
    if (rect.left >= TabsRight()) break;
    if (PtInRect(&rect, point)) return i;
  }
  return -1;
}

void TabStrip::EnsureShown(int index) {
  if (index < 0 || index >= TabCount()) return;
  if (index < firstShown_) firstShown_ = index;
  // Scroll right until the tab's right edge is inside the room for tabs.
  while (firstShown_ < index && TabRect(index).right > TabsRight()) ++firstShown_;
}

void TabStrip::Scroll(int delta) {
  const int next = std::clamp(firstShown_ + delta, 0, std::max(0, TabCount() - 1));
  if (next == firstShown_) return;
  firstShown_ = next;
  InvalidateRect(Handle(), nullptr, TRUE);
}

void TabStrip::ChooseByUser(int index) {
  if (index < 0 || index == selected_) return;
  if (events_ && selected_ >= 0 && !events_->OnTabChanging(selected_, index)) return;
  Select(index, true);
}

void TabStrip::PaintTab(HDC dc, int index, const RECT& rect) const {
  const bool selected = index == selected_;
  RECT body = rect;
  if (!selected) body.top += 2;
  FillRect(dc, &body, GetSysColorBrush(selected ? COLOR_WINDOW : COLOR_BTNFACE));
  PenHandle edge(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW)));
  SelectGuard pen(dc, edge);
  MoveToEx(dc, body.left, body.bottom - 1, nullptr);
  LineTo(dc, body.left, body.top);
  LineTo(dc, body.right - 1, body.top);
  LineTo(dc, body.right - 1, body.bottom);
  RECT text = body;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  DrawTextA(dc, tabs_[index].text.c_str(), static_cast<int>(tabs_[index].text.size()), &text,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
}

void TabStrip::PaintArrow(HDC dc, int which) const {
  RECT rect = ArrowRect(which);
  const bool enabled = which == 0 ? firstShown_ > 0 : TabRect(TabCount() - 1).right > TabsRight();
  DrawFrameControl(dc, &rect, DFC_SCROLL,
                   (which == 0 ? DFCS_SCROLLLEFT : DFCS_SCROLLRIGHT) | (enabled ? 0 : DFCS_INACTIVE));
}

void TabStrip::OnPaint() {
  PaintScope paint(Handle());
  RECT client;
  GetClientRect(Handle(), &client);
  BufferedPaint buffer(paint.DC(), client);
  HDC dc = buffer.DC();
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  SelectGuard font(dc, font_ ? font_.Get() : GetStockObject(DEFAULT_GUI_FONT));
  // The line the unselected tabs stand on; the selected one breaks it.
  PenHandle base(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW)));
  {
    SelectGuard pen(dc, base);
    MoveToEx(dc, 0, client.bottom - 1, nullptr);
    LineTo(dc, client.right, client.bottom - 1);
  }
  RegionHandle room(CreateRectRgn(0, 0, TabsRight(), client.bottom));
  SelectClipRgn(dc, room);
  for (int i = firstShown_; i < TabCount(); ++i) {
    RECT rect = TabRect(i);
    if (rect.left >= TabsRight()) break;
    PaintTab(dc, i, rect);
  }
  SelectClipRgn(dc, nullptr);
  if (Overflows()) {
    PaintArrow(dc, 0);
    PaintArrow(dc, 1);
  }
}

LRESULT TabStrip::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_ERASEBKGND:
      return 1;  // painted whole, through a buffer
    case WM_SIZE:
      if (selected_ >= 0) EnsureShown(selected_);
      InvalidateRect(Handle(), nullptr, TRUE);
      return 0;
    case WM_LBUTTONDOWN: {
      POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      if (Overflows()) {
        RECT left = ArrowRect(0), right = ArrowRect(1);
        const int delta = PtInRect(&left, point) ? -1 : PtInRect(&right, point) ? 1 : 0;
        if (delta != 0) {
          Scroll(delta);
          return 0;
        }
      }
      ChooseByUser(HitTest(point));
      return 0;
    }
    case WM_RBUTTONUP: {
      POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      const int index = HitTest(point);
      if (index >= 0 && events_) {
        ClientToScreen(Handle(), &point);
        events_->OnTabRightClick(index, point);
      }
      return 0;
    }
    case WM_MOUSEWHEEL:
      Scroll(GET_WHEEL_DELTA_WPARAM(wParam) > 0 ? -1 : 1);
      return 0;
    default:
      return DefaultProc(msg, wParam, lParam);
  }
}

}  // namespace vellora
