#include "controls/ViewBackdrop.h"

#include <commctrl.h>

#include "controls/CallbackGuard.h"

namespace vellora {

namespace {

constexpr UINT_PTR kSubclassId = 0x7EBD;

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
  if (!control || !SetWindowSubclass(control, Procedure, kSubclassId, reinterpret_cast<DWORD_PTR>(this)))
    return false;
  char name[32] = "";
  GetClassNameA(control, name, sizeof name);
  list_ = lstrcmpiA(name, WC_LISTVIEWA) == 0;
  control_ = control;
  return true;
}

void ViewBackdrop::Detach() {
  if (control_ && IsWindow(control_)) RemoveWindowSubclass(control_, Procedure, kSubclassId);
  control_ = nullptr;
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
  DefSubclassProc(control_, WM_PAINT, reinterpret_cast<WPARAM>(itemsDc.Get()), 0);
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
  return DefSubclassProc(control_, msg, wParam, lParam);
}

LRESULT CALLBACK ViewBackdrop::Procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR self) {
  auto* backdrop = reinterpret_cast<ViewBackdrop*>(self);
  if (msg == WM_NCDESTROY) {
    RemoveWindowSubclass(hwnd, Procedure, kSubclassId);
    if (backdrop) backdrop->control_ = nullptr;
    return DefSubclassProc(hwnd, msg, wParam, lParam);
  }
  return Guarded("view backdrop", static_cast<LRESULT>(0), [&] {
    return backdrop && backdrop->control_ == hwnd ? backdrop->OnMessage(msg, wParam, lParam)
                                               : DefSubclassProc(hwnd, msg, wParam, lParam);
  });
}

}  // namespace vellora
