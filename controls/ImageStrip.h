#pragma once
// Image lists made from horizontal bitmap strips whose transparent pixels are
// painted in one key colour (magenta by convention).
#include <windows.h>
#include <commctrl.h>

#include <initializer_list>

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

// The pictures of a toolbar, a tree or a list at the screen's DPI, from
// strips of square images drawn for 96 DPI. With one strip: loaded as it is
// at 96 DPI, scaled to the screen's size of it otherwise (nearest pixel, so
// the key colour stays exact). With the same pictures drawn at several sizes
// (smallest first, `designSize` among them): the strip drawn at the wanted
// size, else the smallest one larger than that, scaled down, else the
// largest, scaled up. A strip whose images are not square is never scaled.
struct DrawnStrip {
  UINT bitmapId;
  int size;
};
// The strip of `strips` (smallest first) that pictures `wanted` pixels
// wide are taken from, by the rule above; null when there is none.
const DrawnStrip* ChooseStrip(std::initializer_list<DrawnStrip> strips, int wanted);
HIMAGELIST LoadImageListChosenBySize(HINSTANCE instance, std::initializer_list<DrawnStrip> strips, int designSize,
                                     COLORREF transparent = kMagentaKey);
HIMAGELIST LoadImageListForDpi(HINSTANCE instance, UINT bitmapId, int imageWidth, COLORREF transparent = kMagentaKey);

// The number of whole images of `imageWidth` pixels in the strip.
int ImageCount(HBITMAP strip, int imageWidth);

}  // namespace vellora
