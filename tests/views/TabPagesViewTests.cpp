// The tab pages view on a real, hidden window with the real page views: the
// tabs of a new item, a typed page stored when another tab is chosen, the
// page commands through the view, the popup's first/last rules, and the page
// views handed back when the item is left.
#include "views/TabPagesView.h"

#include <gtest/gtest.h>
#include <richedit.h>

#include <string>
#include <vector>

#include "content/CommandIds.h"
#include "content/DataList.h"
#include "store/LibraryFormat.h"
#include "tests/content/ContentFixtures.h"
#include "tests/store/DocumentFixtures.h"
#include "tests/views/ViewFixtures.h"
#include "views/FileView.h"
#include "views/TextView.h"

using namespace vellora;

namespace {

std::vector<std::string> MenuTexts(HMENU popup) {
  std::vector<std::string> out;
  for (int i = 0; i < GetMenuItemCount(popup); ++i) {
    char text[64] = {};
    GetMenuStringA(popup, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
    if (text[0]) out.push_back(text);
  }
  return out;
}

class TabPagesViewTest : public ::testing::Test {
 protected:
  TabPagesViewTest()
      : folder(file.AddStorage("Favorite Folder")),
        files(rig.prompt, vtest::ShippedTexts()),
        view(rig.prompt, vtest::ShippedTexts(), [this](uint16_t kind) -> ItemView* {
          if (kind == kItemText) return &text;
          if (kind == kItemFileFolder) return &files;
          return nullptr;
        }) {
    EXPECT_TRUE(text.Create(parent.Handle()));
    EXPECT_TRUE(files.Create(parent.Handle()));
    EXPECT_TRUE(view.Create(parent.Handle()));
    MoveWindow(view.Window(), 0, 0, 400, 300, TRUE);
    view.wiring.trackPopup = [this](HMENU popup, POINT) { shownMenus.push_back(MenuTexts(popup)); };
    EXPECT_HRESULT_SUCCEEDED(CreateItem(folder, kItemTabPages, "Pages", 1, kFolderItemInfo, kFolderItemContent, {}));
    source = std::make_unique<CatalogItemSource>(folder, "Pages", kItemTabPages, "Pages");
    EXPECT_TRUE(view.Load(*source));
  }
  std::vector<std::string> Tabs() const {
    std::vector<std::string> out;
    for (int i = 0; i < view.Strip().TabCount(); ++i) out.push_back(view.Strip().TabText(i));
    return out;
  }
  std::string PageContent(const char* page) {
    return vtest::ContentBytes(TabPageSource(folder, "Pages", page, kItemText, page));
  }

  vtest::DocumentRig rig;
  vtest::HiddenParent parent;
  vtest::ScratchFile file;
  StorageHandle folder;
  TextView text;
  FileView files;
  TabPagesView view;
  std::unique_ptr<CatalogItemSource> source;
  std::vector<std::vector<std::string>> shownMenus;
};

using Strings = std::vector<std::string>;

TEST_F(TabPagesViewTest, ANewItemShowsItsNoteInsideTheView) {
  EXPECT_EQ(Tabs(), (Strings{"Content", "Files"}));
  EXPECT_EQ(view.Strip().Selected(), 0);
  ASSERT_EQ(view.ShownPageView(), &text);
  EXPECT_EQ(GetParent(text.Window()), view.Window());
  EXPECT_TRUE(IsWindowVisible(text.Window()) || !IsWindowVisible(view.Window()));
  // The page lies below the strip, over the rest of the view.
  RECT page;
  GetWindowRect(text.Window(), &page);
  MapWindowPoints(nullptr, view.Window(), reinterpret_cast<POINT*>(&page), 2);
  EXPECT_EQ(page.top, view.Strip().PreferredHeight());
  EXPECT_EQ(page.right, 400);
}

TEST_F(TabPagesViewTest, WhatWasTypedIsStoredWhenAnotherTabIsChosen) {
  SendMessageA(text.Window(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("typed on the first page"));
  ASSERT_TRUE(view.Modified());
  view.ChooseTab(1);
  EXPECT_EQ(view.ShownPageView(), &files);
  EXPECT_FALSE(IsWindowVisible(text.Window()));
  EXPECT_NE(PageContent("Content").find("typed on the first page"), std::string::npos);
  // And it comes back when the tab is chosen again.
  view.ChooseTab(0);
  GETTEXTLENGTHEX length = {GTL_DEFAULT, CP_ACP};
  EXPECT_EQ(SendMessageA(text.Window(), EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0), 23);
}

TEST_F(TabPagesViewTest, ThePopupLeavesOutTheMovesPastEitherEnd) {
  view.ShowTabMenu(0, {10, 10});
  view.ShowTabMenu(1, {10, 10});
  ASSERT_EQ(shownMenus.size(), 2u);
  EXPECT_EQ(shownMenus[0], (Strings{"&Add Page", "&Delete", "&Rename", "Move &Back"}));
  EXPECT_EQ(shownMenus[1], (Strings{"&Add Page", "&Delete", "&Rename", "Move &Forward"}));
  EXPECT_EQ(view.CurrentPage(), 1);
}

TEST_F(TabPagesViewTest, PageCommandsChangeTheFileAndTheTabsTogether) {
  NewItemRequest request;
  request.title = "Diary";
  rig.prompt.items.push_back(request);
  ASSERT_TRUE(view.HandleCommand(ID_TABPAGE_ADD));
  EXPECT_EQ(Tabs(), (Strings{"Content", "Files", "Diary"}));
  EXPECT_EQ(view.Strip().Selected(), 2);

  view.ShowTabMenu(2, {0, 0});
  view.HandleCommand(ID_TABPAGE_MOVE_FORWARD);
  EXPECT_EQ(Tabs(), (Strings{"Content", "Diary", "Files"}));
  EXPECT_EQ(view.Strip().Selected(), 1);  // the selection follows the moved tab

  view.ShowTabMenu(0, {0, 0});
  view.HandleCommand(ID_TABPAGE_DELETE);
  EXPECT_EQ(Tabs(), (Strings{"Diary", "Files"}));
  EXPECT_EQ(view.Strip().Selected(), 0);
  EXPECT_EQ(view.ShownPageView(), &text);

  // Read again from the file, the item holds just what the tabs show.
  TabPagesView again(rig.prompt, vtest::ShippedTexts(), [this](uint16_t kind) -> ItemView* {
    return kind == kItemText ? static_cast<ItemView*>(&text) : kind == kItemFileFolder ? &files : nullptr;
  });
  view.Clear();
  ASSERT_TRUE(again.Create(parent.Handle()));
  ASSERT_TRUE(again.Load(*source));
  EXPECT_EQ(again.Pages().Count(), 2u);
  EXPECT_EQ(again.Pages().Pages()[0].title, "Diary");
  again.Clear();
}

TEST_F(TabPagesViewTest, UnderTheReadOnlyLockThePageCommandsDoNothing) {
  view.SetReadOnly(true);
  CommandUi ui;
  ASSERT_TRUE(view.QueryCommand(ID_TABPAGE_ADD, ui));
  EXPECT_FALSE(ui.enabled);
  EXPECT_TRUE(view.HandleCommand(ID_TABPAGE_DELETE));  // the view's own, refused
  EXPECT_EQ(Tabs(), (Strings{"Content", "Files"}));
}

TEST_F(TabPagesViewTest, LeavingTheItemHandsThePageViewsBack) {
  view.ChooseTab(1);
  view.Clear();
  EXPECT_EQ(view.ShownPageView(), nullptr);
  EXPECT_EQ(GetParent(files.Window()), parent.Handle());
  EXPECT_EQ(view.Strip().TabCount(), 0);
}

}  // namespace
