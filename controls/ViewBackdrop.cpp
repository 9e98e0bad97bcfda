#include "controls/ViewBackdrop.h"

#include <commctrl.h>

#include "platform/CallbackGuard.h"

namespace vellora {

namespace {

// Fills rc with the picture tiled from origin (which may lie above or left
// of rc).
void Tile(HDC dc, HDC picture, SIZE size, const RECT& rc, POINT origin) {
  if (size.cx <= 0 || size.cy <= 0) return;
  int startX = origin.x + ((rc.left - origin.x) / size.cx) * size.cx;
  if (startX > rc.left) startX -= size.cx;
  int startY = origin.y + ((rc.top - origin.y) / size.cy) * size.cy;
  if (startY > rc.top) startY -= size.cy;
  for (int y = startY; y < rc.bottom; y += size.cy)
    for (int x = startX; x < rc.right; x += size.cx) BitBlt(dc, x, y, size.cx, size.cy, picture, 0, 0, SRCCOPY);
}

}  // namespace

ViewBackdrop::~ViewBackdrop() { Detach(); }

bool ViewBackdrop::Attach(HWND control) {
  Detach();
  if (!control || !IsWindow(control) || GetWindowLongPtrA(control, GWLP_USERDATA)) return false;
  auto* link = new Link{this, nullptr};
  SetWindowLongPtrA(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(link));
  link->original =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Procedure)));
  if (!link->original) {
    SetWindowLongPtrA(control, GWLP_USERDATA, 0);
    delete link;
    return false;
  }
  char name[32] = "";
  GetClassNameA(control, name, sizeof name);
  list_ = lstrcmpiA(name, WC_LISTVIEWA) == 0;
  control_ = control;
  link_ = link;
  return true;
}

void ViewBackdrop::Detach() {
  if (!control_) return;
  if (reinterpret_cast<WNDPROC>(GetWindowLongPtrA(control_, GWLP_WNDPROC)) == Procedure) {
    SetWindowLongPtrA(control_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(link_->original));
    SetWindowLongPtrA(control_, GWLP_USERDATA, 0);
    delete link_;
  } else {
    // Subclassed again after us: the link keeps passing messages on until
    // the control is destroyed.
    link_->owner = nullptr;
  }
  control_ = nullptr;
  link_ = nullptr;
}

LRESULT ViewBackdrop::Original(UINT msg, WPARAM wParam, LPARAM lParam) const {
  return CallWindowProcA(link_->original, control_, msg, wParam, lParam);
}

void ViewBackdrop::SetBitmap(HBITMAP bitmap) {
  bitmap_.Reset(bitmap);
  size_ = {};
  BITMAP info = {};
  if (bitmap && GetObjectA(bitmap, sizeof info, &info)) size_ = {info.bmWidth, info.bmHeight};
  if (control_) InvalidateRect(control_, nullptr, TRUE);
}

COLORREF ViewBackdrop::BackColor() const {
  COLORREF back = list_ ? ListView_GetBkColor(control_) : TreeView_GetBkColor(control_);
  return back == static_cast<COLORREF>(-1) || back == CLR_NONE ? GetSysColor(COLOR_WINDOW) : back;
}

POINT ViewBackdrop::ContentOrigin() const {
  if (list_) {
    // The first row's place says how far the rows are scrolled.
    RECT first = {};
    if (ListView_GetItemCount(control_) > 0 && ListView_GetItemRect(control_, 0, &first, LVIR_BOUNDS))
      return {first.left, first.top};
    return {0, 0};
  }
  // The tree scrolls by whole items vertically and by pixels across.
  const int itemHeight = TreeView_GetItemHeight(control_);
  return {-GetScrollPos(control_, SB_HORZ), -GetScrollPos(control_, SB_VERT) * (itemHeight > 0 ? itemHeight : 0)};
}

void ViewBackdrop::PaintInto(HDC dc) {
  RECT rc;
  GetClientRect(control_, &rc);
  const int width = rc.right, height = rc.bottom;
  if (width <= 0 || height <= 0) return;
  const COLORREF back = BackColor();
  MemoryDCHandle itemsDc(CreateCompatibleDC(dc));
  BitmapHandle items(CreateCompatibleBitmap(dc, width, height));
  MemoryDCHandle sceneDc(CreateCompatibleDC(dc));
  BitmapHandle scene(CreateCompatibleBitmap(dc, width, height));
  if (!itemsDc || !items || !sceneDc || !scene) return;
  SelectGuard itemsSelected(itemsDc, items);
  SelectGuard sceneSelected(sceneDc, scene);
  // The control over its own background colour, which is then see-through.
  BrushHandle backBrush(CreateSolidBrush(back));
  FillRect(itemsDc, &rc, backBrush);
  Original(WM_PAINT, reinterpret_cast<WPARAM>(itemsDc.Get()), 0);
  if (bitmap_) {
    MemoryDCHandle pictureDc(CreateCompatibleDC(dc));
    SelectGuard pictureSelected(pictureDc, bitmap_);
    Tile(sceneDc, pictureDc, size_, rc, ContentOrigin());
    TransparentBlt(sceneDc, 0, 0, width, height, itemsDc, 0, 0, width, height, back);
  } else {
    BitBlt(sceneDc, 0, 0, width, height, itemsDc, 0, 0, SRCCOPY);
  }
  BitBlt(dc, 0, 0, width, height, sceneDc, 0, 0, SRCCOPY);
}

void ViewBackdrop::OnPaint() {
  PaintScope paint(control_);
  PaintInto(paint.DC());
}

LRESULT ViewBackdrop::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (bitmap_) {
    switch (msg) {
      case WM_ERASEBKGND: return 1;  // painted with the items, in one go
      case WM_PAINT:
        if (wParam) break;  // a caller's own DC: the control alone
        OnPaint();
        return 0;
      default: break;
    }
  }
  return Original(msg, wParam, lParam);
}

LRESULT CALLBACK ViewBackdrop::Procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* link = reinterpret_cast<Link*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!link) return DefWindowProcA(hwnd, msg, wParam, lParam);
  const WNDPROC original = link->original;
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    if (link->owner) link->owner->control_ = nullptr, link->owner->link_ = nullptr;
    delete link;
    return CallWindowProcA(original, hwnd, msg, wParam, lParam);
  }
  if (!link->owner) return CallWindowProcA(original, hwnd, msg, wParam, lParam);
  return Guarded("view backdrop", static_cast<LRESULT>(0), [&] { return link->owner->OnMessage(msg, wParam, lParam); });
}

}  // namespace vellora
