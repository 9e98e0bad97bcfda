#pragma once
// Image lists made from horizontal bitmap strips whose transparent pixels are
// painted in one key colour (magenta by convention).
#include <windows.h>
#include <commctrl.h>

namespace vellora {

constexpr COLORREF kMagentaKey = RGB(255, 0, 255);

// Cuts `strip` into images `imageWidth` pixels wide (all of the strip's
// height) and returns a masked image list of them, each scaled to
// `size` x `size` when `size` is given (0 keeps the strip's own size). The
// strip itself is left untouched and stays the caller's. nullptr on failure.
HIMAGELIST MakeImageList(HBITMAP strip, int imageWidth, int size = 0, COLORREF transparent = kMagentaKey);

// The same from a bitmap resource of `instance`.
HIMAGELIST LoadImageList(HINSTANCE instance, UINT bitmapId, int imageWidth, int size = 0,
                         COLORREF transparent = kMagentaKey);

// The number of whole images of `imageWidth` pixels in the strip.
int ImageCount(HBITMAP strip, int imageWidth);

}  // namespace vellora
