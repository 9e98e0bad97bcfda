#pragma once
// Owning wrappers for the GDI objects, menus and image lists the windows
// create, so every one is released on every path, and small scope guards for
// the device-context dance of painting.
#include <windows.h>
#include <commctrl.h>

#include "platform/OwnedHandle.h"

namespace vellora {

namespace detail {
template <typename T>
BOOL WINAPI DeleteGdiObject(T object) {
  return DeleteObject(object);
}
inline BOOL WINAPI DestroyImageList(HIMAGELIST list) { return ImageList_Destroy(list); }
inline BOOL WINAPI DeleteMemoryDC(HDC dc) { return DeleteDC(dc); }
}  // namespace detail

using BitmapHandle = OwnedHandle<HBITMAP, detail::DeleteGdiObject<HBITMAP>>;
using BrushHandle = OwnedHandle<HBRUSH, detail::DeleteGdiObject<HBRUSH>>;
using FontHandle = OwnedHandle<HFONT, detail::DeleteGdiObject<HFONT>>;
using PenHandle = OwnedHandle<HPEN, detail::DeleteGdiObject<HPEN>>;
using RegionHandle = OwnedHandle<HRGN, detail::DeleteGdiObject<HRGN>>;
using MenuHandle = OwnedHandle<HMENU, DestroyMenu>;
using IconHandle = OwnedHandle<HICON, DestroyIcon>;
using ImageListHandle = OwnedHandle<HIMAGELIST, detail::DestroyImageList>;
using MemoryDCHandle = OwnedHandle<HDC, detail::DeleteMemoryDC>;

// Selects an object into a DC and puts the previous one back at scope end.
class SelectGuard {
 public:
  SelectGuard(HDC dc, HGDIOBJ object) : dc_(dc), previous_(object ? SelectObject(dc, object) : nullptr) {}
  ~SelectGuard() {
    if (previous_) SelectObject(dc_, previous_);
  }
  SelectGuard(const SelectGuard&) = delete;
  SelectGuard& operator=(const SelectGuard&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// BeginPaint / EndPaint.
class PaintScope {
 public:
  explicit PaintScope(HWND hwnd) : hwnd_(hwnd) { dc_ = BeginPaint(hwnd, &ps_); }
  ~PaintScope() { EndPaint(hwnd_, &ps_); }
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;
  HDC DC() const { return dc_; }
  const RECT& Dirty() const { return ps_.rcPaint; }

 private:
  HWND hwnd_;
  PAINTSTRUCT ps_ = {};
  HDC dc_ = nullptr;
};

// GetDC / ReleaseDC.
class ClientDC {
 public:
  explicit ClientDC(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
  ~ClientDC() {
    if (dc_) ReleaseDC(hwnd_, dc_);
  }
  ClientDC(const ClientDC&) = delete;
  ClientDC& operator=(const ClientDC&) = delete;
  HDC DC() const { return dc_; }

 private:
  HWND hwnd_;
  HDC dc_;
};

// An off-screen copy of a rectangle of a target DC: draw into DC(), and the
// destructor copies the result to the target in one blit, so painting does
// not flicker. Coordinates stay those of the target.
class BufferedPaint {
 public:
  BufferedPaint(HDC target, const RECT& area)
      : target_(target), area_(area), dc_(CreateCompatibleDC(target)) {
    int w = area.right - area.left, h = area.bottom - area.top;
    bitmap_.Reset(CreateCompatibleBitmap(target, w > 0 ? w : 1, h > 0 ? h : 1));
    old_ = SelectObject(dc_, bitmap_);
    SetWindowOrgEx(dc_, area.left, area.top, nullptr);
    // Pattern brushes start at the target's origin, not at the buffer's.
    SetBrushOrgEx(dc_, -area.left, -area.top, nullptr);
  }
  ~BufferedPaint() {
    BitBlt(target_, area_.left, area_.top, area_.right - area_.left, area_.bottom - area_.top, dc_, area_.left,
           area_.top, SRCCOPY);
    SelectObject(dc_, old_);
  }
  BufferedPaint(const BufferedPaint&) = delete;
  BufferedPaint& operator=(const BufferedPaint&) = delete;
  HDC DC() const { return dc_; }

 private:
  HDC target_;
  RECT area_;
  MemoryDCHandle dc_;
  BitmapHandle bitmap_;
  HGDIOBJ old_ = nullptr;
};

}  // namespace vellora
