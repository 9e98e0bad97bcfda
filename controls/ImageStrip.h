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

// The pictures of a toolbar, a tree or a list at the screen's DPI: a strip
// of square images `imageWidth` pixels wide, drawn for 96 DPI, loaded as it
// is at 96 DPI and scaled to the screen's size of it otherwise (nearest
// pixel, so the key colour stays exact). A strip whose images are not
// square is never scaled.
HIMAGELIST LoadImageListForDpi(HINSTANCE instance, UINT bitmapId, int imageWidth, COLORREF transparent = kMagentaKey);

// The number of whole images of `imageWidth` pixels in the strip.
int ImageCount(HBITMAP strip, int imageWidth);

}  // namespace vellora
