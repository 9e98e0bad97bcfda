#include "controls/ImageStrip.h"

#include "platform/Dpi.h"
#include "platform/GdiHandles.h"

namespace vellora {

int ImageCount(HBITMAP strip, int imageWidth) {
  BITMAP info = {};
  if (!strip || imageWidth <= 0 || !GetObjectA(strip, sizeof info, &info)) return 0;
  return info.bmWidth / imageWidth;
}

HIMAGELIST MakeImageList(HBITMAP strip, int imageWidth, int size, COLORREF transparent) {
  BITMAP info = {};
  if (!strip || imageWidth <= 0 || !GetObjectA(strip, sizeof info, &info)) return nullptr;
  int count = info.bmWidth / imageWidth;
  if (count <= 0 || info.bmHeight <= 0) return nullptr;
  int w = size > 0 ? size : imageWidth;
  int h = size > 0 ? size : info.bmHeight;

  // ImageList_AddMasked blackens the key colour of the bitmap it is given, so
  // it always gets a copy, drawn at the target size.
  ClientDC screen(nullptr);
  BitmapHandle copy(CreateCompatibleBitmap(screen.DC(), w * count, h));
  MemoryDCHandle source(CreateCompatibleDC(screen.DC()));
  MemoryDCHandle target(CreateCompatibleDC(screen.DC()));
  if (!copy || !source || !target) return nullptr;
  {
    SelectGuard s(source, strip);
    SelectGuard t(target, copy);
    if (w == imageWidth && h == info.bmHeight) {
      BitBlt(target, 0, 0, w * count, h, source, 0, 0, SRCCOPY);
    } else {
      // Nearest-pixel scaling keeps the key colour exact at the edges.
      SetStretchBltMode(target, COLORONCOLOR);
      for (int i = 0; i < count; ++i)
        StretchBlt(target, i * w, 0, w, h, source, i * imageWidth, 0, imageWidth, info.bmHeight, SRCCOPY);
    }
  }
  HIMAGELIST list = ImageList_Create(w, h, ILC_COLOR24 | ILC_MASK, count, 4);
  if (!list) return nullptr;
  if (ImageList_AddMasked(list, copy, transparent) < 0) {
    ImageList_Destroy(list);
    return nullptr;
  }
  return list;
}

HIMAGELIST LoadImageList(HINSTANCE instance, UINT bitmapId, int imageWidth, int size, COLORREF transparent) {
  BitmapHandle strip(static_cast<HBITMAP>(
      LoadImageA(instance, MAKEINTRESOURCEA(bitmapId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  if (!strip) return nullptr;
  return MakeImageList(strip, imageWidth, size, transparent);
}

const DrawnStrip* ChooseStrip(std::initializer_list<DrawnStrip> strips, int wanted) {
  const DrawnStrip* larger = nullptr;
  for (const DrawnStrip& strip : strips) {
    if (strip.size == wanted) return &strip;
    if (strip.size > wanted && !larger) larger = &strip;
  }
  if (larger) return larger;
  return strips.size() ? strips.end() - 1 : nullptr;
}

HIMAGELIST LoadImageListChosenBySize(HINSTANCE instance, std::initializer_list<DrawnStrip> strips, int designSize,
                                     COLORREF transparent) {
  if (strips.size() == 0) return nullptr;
  const DrawnStrip* design = strips.begin();
  for (const DrawnStrip& strip : strips)
    if (strip.size == designSize) design = &strip;
  const int wanted = Scaled(designSize);
  const DrawnStrip* chosen = ChooseStrip(strips, wanted);
  if (chosen->size != wanted) {
    BitmapHandle strip(static_cast<HBITMAP>(
        LoadImageA(instance, MAKEINTRESOURCEA(chosen->bitmapId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    BITMAP info = {};
    if (strip && GetObjectA(strip, sizeof info, &info) && info.bmHeight == chosen->size)
      return MakeImageList(strip, chosen->size, wanted, transparent);
    chosen = design;
  }
  return ImageList_LoadImageA(instance, MAKEINTRESOURCEA(chosen->bitmapId), chosen->size, 0, transparent,
                              IMAGE_BITMAP, LR_CREATEDIBSECTION);
}

HIMAGELIST LoadImageListForDpi(HINSTANCE instance, UINT bitmapId, int imageWidth, COLORREF transparent) {
  return LoadImageListChosenBySize(instance, {{bitmapId, imageWidth}}, imageWidth, transparent);
}

}  // namespace vellora
