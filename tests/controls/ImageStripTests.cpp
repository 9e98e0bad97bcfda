// Image lists cut from key-coloured strips.
#include "controls/ImageStrip.h"

#include <gtest/gtest.h>

#include "platform/GdiHandles.h"

namespace {

// A strip of `count` images of `width` x `height`; image i is filled with
// magenta except its left eighth, painted in the colour (i+1)*40 grey.
HBITMAP MakeStrip(int count, int width, int height) {
  HDC screen = GetDC(nullptr);
  HBITMAP strip = CreateCompatibleBitmap(screen, count * width, height);
  HDC dc = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(dc, strip);
  for (int i = 0; i < count; ++i)
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        int grey = (i + 1) * 40;
        SetPixel(dc, i * width + x, y, x < width / 8 ? RGB(grey, grey, grey) : RGB(255, 0, 255));
      }
  SelectObject(dc, old);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return strip;
}

COLORREF PixelOf(HBITMAP bitmap, int x, int y) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(dc, bitmap);
  COLORREF c = GetPixel(dc, x, y);
  SelectObject(dc, old);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return c;
}

COLORREF DrawnPixel(HIMAGELIST list, int image, int x, int y) {
  int w = 0, h = 0;
  ImageList_GetIconSize(list, &w, &h);
  HDC screen = GetDC(nullptr);
  HBITMAP canvas = CreateCompatibleBitmap(screen, w, h);
  HDC dc = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(dc, canvas);
  RECT all = {0, 0, w, h};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  ImageList_Draw(list, image, dc, 0, 0, ILD_TRANSPARENT);
  COLORREF c = GetPixel(dc, x, y);
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(canvas);
  ReleaseDC(nullptr, screen);
  return c;
}

TEST(ImageStrip, CutsTheStripIntoMaskedImagesAndLeavesItUntouched) {
  vellora::BitmapHandle strip(MakeStrip(3, 20, 20));
  EXPECT_EQ(vellora::ImageCount(strip, 20), 3);
  vellora::ImageListHandle list(vellora::MakeImageList(strip, 20));
  ASSERT_TRUE(list);
  EXPECT_EQ(ImageList_GetImageCount(list), 3);
  int w = 0, h = 0;
  ImageList_GetIconSize(list, &w, &h);
  EXPECT_EQ(w, 20);
  EXPECT_EQ(h, 20);
  // Each image is its own slice of the strip, its magenta transparent.
  EXPECT_EQ(DrawnPixel(list, 0, 0, 5), RGB(40, 40, 40));
  EXPECT_EQ(DrawnPixel(list, 2, 0, 5), RGB(120, 120, 120));
  EXPECT_EQ(DrawnPixel(list, 1, 10, 10), RGB(255, 255, 255));
  // Masking must not blacken the caller's bitmap.
  EXPECT_EQ(PixelOf(strip, 10, 10), RGB(255, 0, 255));
}

TEST(ImageStrip, ScalesImagesToTheRequestedSize) {
  vellora::BitmapHandle strip(MakeStrip(2, 32, 32));
  vellora::ImageListHandle list(vellora::MakeImageList(strip, 32, 16));
  ASSERT_TRUE(list);
  EXPECT_EQ(ImageList_GetImageCount(list), 2);
  int w = 0, h = 0;
  ImageList_GetIconSize(list, &w, &h);
  EXPECT_EQ(w, 16);
  EXPECT_EQ(h, 16);
  EXPECT_EQ(DrawnPixel(list, 1, 0, 8), RGB(80, 80, 80));
  EXPECT_EQ(DrawnPixel(list, 1, 8, 8), RGB(255, 255, 255));
}

TEST(ImageStrip, RefusesWhatIsNoStrip) {
  vellora::BitmapHandle strip(MakeStrip(1, 10, 10));
  EXPECT_EQ(vellora::MakeImageList(nullptr, 16), nullptr);
  EXPECT_EQ(vellora::MakeImageList(strip, 0), nullptr);
  EXPECT_EQ(vellora::MakeImageList(strip, 11), nullptr);  // narrower than one image
  EXPECT_EQ(vellora::ImageCount(strip, 3), 3);
}

}  // namespace

namespace {

// Which of the strips drawn at 16 and 32 pixels a wanted size is taken from:
// its own size when drawn, else the next larger (scaled down), else the
// largest (scaled up).
TEST(ImageStrip, PicturesAreTakenFromTheStripDrawnClosestAboveTheWantedSize) {
  const std::initializer_list<vellora::DrawnStrip> strips = {{1, 16}, {2, 32}};
  const std::pair<int, UINT> cases[] = {{16, 1}, {32, 2}, {20, 2}, {24, 2}, {12, 1}, {48, 2}, {64, 2}};
  for (const auto& [wanted, bitmap] : cases) {
    const vellora::DrawnStrip* chosen = vellora::ChooseStrip(strips, wanted);
    ASSERT_NE(chosen, nullptr);
    EXPECT_EQ(chosen->bitmapId, bitmap) << wanted;
  }
  EXPECT_EQ(vellora::ChooseStrip({}, 16), nullptr);
}

}  // namespace
