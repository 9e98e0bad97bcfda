// The pictures compiled in: strips have one image per table entry at the
// expected size, no image is blank, the tables of ToolbarLayout.h list the
// images in the order they were drawn, and the icon files hold both sizes.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "ArtManifest.h"
#include "app/resources/ResourceIds.h"
#include "app/resources/ToolbarLayout.h"

using namespace vellora::resources;

namespace {

struct Pixels {
  int width = 0, height = 0;
  std::vector<COLORREF> rgb;  // top row first
  COLORREF At(int x, int y) const { return rgb[y * width + x]; }
};

Pixels LoadStrip(UINT id) {
  Pixels p;
  HBITMAP bmp = static_cast<HBITMAP>(
      LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (!bmp) return p;
  BITMAP info;
  GetObjectA(bmp, sizeof info, &info);
  p.width = info.bmWidth;
  p.height = info.bmHeight;
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = p.width;
  bi.bmiHeader.biHeight = -p.height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  std::vector<DWORD> raw(p.width * p.height);
  HDC dc = GetDC(nullptr);
  GetDIBits(dc, bmp, 0, p.height, raw.data(), &bi, DIB_RGB_COLORS);
  ReleaseDC(nullptr, dc);
  DeleteObject(bmp);
  for (DWORD v : raw) p.rgb.push_back(RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF));
  return p;
}

struct StripCase {
  UINT id;
  const char* name;
  int count;
  int size;
};

const StripCase kStrips[] = {
    {IDB_MAIN_TOOLBAR, "main toolbar", ImageCount(kMainToolbar), kMainToolbar.imageSize},
    {IDB_MAIN_TOOLBAR_HOT, "hot main toolbar", ImageCount(kMainToolbar), kMainToolbar.imageSize},
    {IDB_FORMAT_TOOLBAR, "format toolbar", ImageCount(kFormatToolbar), kFormatToolbar.imageSize},
    {IDB_WEB_TOOLBAR, "web toolbar", ImageCount(kWebToolbar), kWebToolbar.imageSize},
    {IDB_MENU_IMAGES, "menu images", kMenuImageCount, kMenuImageSize},
    {IDB_OUTBAR_LARGE, "outlook bar, large", kOutbarImageCount, kOutbarLargeSize},
    {IDB_OUTBAR_SMALL, "outlook bar, small", kOutbarImageCount, kOutbarSmallSize},
    {IDB_TREE, "tree", kTreeImageCount, kTreeImageSize},
    {IDB_NODE_LIST, "node list", kNodeListImageCount, kNodeListImageSize},
    {IDB_SORT_ARROWS, "sort arrows", kSortImageCount, kSortImageSize},
};

TEST(ImageStrips, HoldOneImagePerEntryAtTheirSize) {
  for (const StripCase& s : kStrips) {
    Pixels p = LoadStrip(s.id);
    ASSERT_GT(p.width, 0) << s.name << " does not load";
    EXPECT_EQ(p.width, s.count * s.size) << s.name;
    EXPECT_EQ(p.height, s.size) << s.name;
  }
}

// Each image shows something and leaves magenta around it for the mask.
TEST(ImageStrips, EveryImageIsDrawnOnTheMaskColour) {
  for (const StripCase& s : kStrips) {
    Pixels p = LoadStrip(s.id);
    if (p.width != s.count * s.size) continue;  // reported above
    for (int i = 0; i < s.count; ++i) {
      int drawn = 0, masked = 0;
      for (int y = 0; y < s.size; ++y) {
        for (int x = i * s.size; x < (i + 1) * s.size; ++x) {
          (p.At(x, y) == kImageMaskColor ? masked : drawn)++;
        }
      }
      EXPECT_GT(drawn, s.size * s.size / 10) << s.name << " image " << i << " is almost empty";
      EXPECT_GT(masked, 0) << s.name << " image " << i << " has no transparent pixel";
    }
  }
}

TEST(ImageStrips, HotToolbarDiffersFromTheNormalOneOnlyInShade) {
  Pixels normal = LoadStrip(IDB_MAIN_TOOLBAR), hot = LoadStrip(IDB_MAIN_TOOLBAR_HOT);
  ASSERT_EQ(normal.rgb.size(), hot.rgb.size());
  int brighter = 0;
  for (size_t i = 0; i < normal.rgb.size(); ++i) {
    bool a = normal.rgb[i] == kImageMaskColor, b = hot.rgb[i] == kImageMaskColor;
    ASSERT_EQ(a, b) << "mask differs at pixel " << i;
    if (!a) {
      int sumN = GetRValue(normal.rgb[i]) + GetGValue(normal.rgb[i]) + GetBValue(normal.rgb[i]);
      int sumH = GetRValue(hot.rgb[i]) + GetGValue(hot.rgb[i]) + GetBValue(hot.rgb[i]);
      brighter += sumH > sumN;
    }
  }
  EXPECT_GT(brighter, 0);
}

TEST(ImageStrips, BackgroundPatternIsOpaque) {
  Pixels p = LoadStrip(IDB_VIEW_BACKGROUND);
  ASSERT_GT(p.width, 0);
  for (COLORREF c : p.rgb) ASSERT_NE(c, kImageMaskColor);
}

// The order the pictures were drawn in is the order of the tables.
std::vector<UINT> Buttons(const ToolbarLayout& bar) {
  std::vector<UINT> out;
  for (size_t i = 0; i < bar.count; ++i) {
    if (bar.buttons[i] != kSeparator) out.push_back(bar.buttons[i]);
  }
  return out;
}

TEST(ImageOrder, ToolbarTablesMatchThePictures) {
  EXPECT_EQ(Buttons(kMainToolbar), (std::vector<UINT>{ART_MAIN_TOOLBAR}));
  EXPECT_EQ(Buttons(kFormatToolbar), (std::vector<UINT>{ART_FORMAT_TOOLBAR}));
  EXPECT_EQ(Buttons(kWebToolbar), (std::vector<UINT>{ART_WEB_TOOLBAR}));
  EXPECT_EQ(std::vector<UINT>(std::begin(kMenuImageCommands), std::end(kMenuImageCommands)),
            (std::vector<UINT>{ART_MENU_IMAGES}));
  EXPECT_EQ(kMainToolbar.imageSize, ART_MAIN_TOOLBAR_SIZE);
  EXPECT_EQ(kFormatToolbar.imageSize, ART_FORMAT_TOOLBAR_SIZE);
  EXPECT_EQ(kWebToolbar.imageSize, ART_WEB_TOOLBAR_SIZE);
  EXPECT_EQ(kMenuImageSize, ART_MENU_IMAGES_SIZE);
}

std::vector<int> Sequence(int n) {
  std::vector<int> out;
  for (int i = 0; i < n; ++i) out.push_back(i);
  return out;
}

TEST(ImageOrder, IndexConstantsMatchThePictures) {
  EXPECT_EQ((std::vector<int>{ART_OUTBAR_LARGE}), Sequence(kOutbarImageCount));
  EXPECT_EQ((std::vector<int>{ART_OUTBAR_SMALL}), Sequence(kOutbarImageCount));
  EXPECT_EQ((std::vector<int>{ART_TREE}), Sequence(kTreeImageCount));
  EXPECT_EQ((std::vector<int>{ART_NODE_LIST}), Sequence(kNodeListImageCount));
  EXPECT_EQ((std::vector<int>{ART_SORT_ARROWS}), Sequence(kSortImageCount));
  EXPECT_EQ(kOutbarLargeSize, ART_OUTBAR_LARGE_SIZE);
  EXPECT_EQ(kOutbarSmallSize, ART_OUTBAR_SMALL_SIZE);
  EXPECT_EQ(kTreeImageSize, ART_TREE_SIZE);
  EXPECT_EQ(kNodeListImageSize, ART_NODE_LIST_SIZE);
}

// Main toolbar commands look the same in the menus; every button has a tooltip.
TEST(ImageOrder, ToolbarCommandsHaveMenuImagesAndTooltips) {
  for (const ToolbarLayout* bar : {&kMainToolbar, &kFormatToolbar, &kWebToolbar}) {
    for (UINT id : Buttons(*bar)) {
      if (bar == &kMainToolbar) {
        EXPECT_GE(MenuImageIndex(id), 0) << id;
      }
      char text[512] = {};
      ASSERT_GT(LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof text), 0) << id;
      EXPECT_NE(std::string(text).find('\n'), std::string::npos) << "no tooltip for " << id;
    }
  }
  std::vector<UINT> seen;
  for (UINT id : kMenuImageCommands) {
    EXPECT_EQ(std::count(seen.begin(), seen.end(), id), 0) << "menu image listed twice for " << id;
    seen.push_back(id);
  }
}

TEST(ImageOrder, ItemKindsHaveTheirOwnPictures) {
  std::vector<int> images;
  for (int kind : {1, 2, 3, 4, 5, 6, 9}) images.push_back(OutbarImageForKind(kind));
  EXPECT_EQ(images, (std::vector<int>{kOutbarImageText, kOutbarImageDataList, kOutbarImageWebLink,
                                      kOutbarImageWebArchive, kOutbarImageFileFolder, kOutbarImageTabPages,
                                      kOutbarImageOleControl}));
  EXPECT_EQ(OutbarImageForKind(0), kOutbarImageItem);
  EXPECT_EQ(OutbarImageForKind(7), kOutbarImageItem);
}

// The icon directory has an image of exactly this size (so nothing is scaled).
int ExactIconSize(UINT id, int size) {
  HINSTANCE self = GetModuleHandleA(nullptr);
  HRSRC group = FindResourceA(self, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(14));  // RT_GROUP_ICON
  if (!group) return 0;
  auto* dir = static_cast<PBYTE>(LockResource(LoadResource(self, group)));
  int image = LookupIconIdFromDirectoryEx(dir, TRUE, size, size, LR_DEFAULTCOLOR);
  HRSRC icon = FindResourceA(self, MAKEINTRESOURCEA(image), MAKEINTRESOURCEA(3));  // RT_ICON
  if (!icon) return 0;
  auto* header = static_cast<BITMAPINFOHEADER*>(LockResource(LoadResource(self, icon)));
  return header->biWidth == header->biHeight / 2 ? header->biWidth : -1;
}

TEST(Icons, ProgramTrayAndClockIconsHold32And16) {
  for (UINT id : {IDI_VELLORA, IDI_TRAY, IDI_CLOCK}) {
    for (int size : {32, 16}) {
      EXPECT_EQ(ExactIconSize(id, size), size) << "icon " << id;
      HICON icon = static_cast<HICON>(
          LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0));
      ASSERT_NE(icon, nullptr) << "icon " << id << " at " << size;
      ICONINFO info;
      ASSERT_TRUE(GetIconInfo(icon, &info));
      BITMAP bm;
      GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
      EXPECT_EQ(bm.bmWidth, size);
      if (info.hbmColor) DeleteObject(info.hbmColor);
      DeleteObject(info.hbmMask);
      DestroyIcon(icon);
    }
  }
}

TEST(Icons, PanningCursorLoads) {
  HCURSOR cursor = LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDC_PAN_HAND));
  ASSERT_NE(cursor, nullptr);
  ICONINFO info;
  ASSERT_TRUE(GetIconInfo(cursor, &info));
  EXPECT_FALSE(info.fIcon);
  EXPECT_GT(info.xHotspot, 0u);
  EXPECT_GT(info.yHotspot, 0u);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
}

}  // namespace
