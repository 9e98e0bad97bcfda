// Custom item icons added to real image lists.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "tests/content/ContentFixtures.h"
#include "views/ItemIcons.h"

using namespace vellora;

namespace {

TEST(CatalogIcons, ACustomIconIsAppendedToBothImageLists) {
  vtest::TempDir dir;
  const std::string icon = dir.File("item.ico");
  ASSERT_TRUE(vtest::WriteWholeFile(icon, vtest::IconFileBytes()));
  const std::string notIcon = dir.File("text.ico");
  ASSERT_TRUE(vtest::WriteWholeFile(notIcon, "this is not an icon file at all"));

  HIMAGELIST large = ImageList_Create(32, 32, ILC_COLOR32 | ILC_MASK, 4, 4);
  HIMAGELIST small = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 4, 4);
  ASSERT_TRUE(large && small);
  // Two images already there, as the group's default kind images are.
  ItemIcons seed;
  ASSERT_TRUE(seed.Load(icon));
  ImageList_AddIcon(large, seed.Large());
  ImageList_AddIcon(large, seed.Large());
  ImageList_AddIcon(small, seed.Small());
  ImageList_AddIcon(small, seed.Small());

  EXPECT_EQ(AddItemIconImage(large, small, icon, 1), 2);
  EXPECT_EQ(ImageList_GetImageCount(large), 3);
  EXPECT_EQ(ImageList_GetImageCount(small), 3);
  for (const std::string& bad : {notIcon, dir.File("missing.ico"), std::string()}) {
    EXPECT_EQ(AddItemIconImage(large, small, bad, 1), 1) << bad;
    EXPECT_EQ(ImageList_GetImageCount(large), 3) << bad;
    EXPECT_EQ(ImageList_GetImageCount(small), 3) << bad;
  }
  int size = 0, height = 0;
  ImageList_GetIconSize(small, &size, &height);
  EXPECT_EQ(size, 16);

  ItemIcons moved = std::move(seed);
  EXPECT_TRUE(moved.Large() && moved.Small());
  EXPECT_EQ(seed.Large(), nullptr);
  ImageList_Destroy(large);
  ImageList_Destroy(small);
}

}  // namespace
