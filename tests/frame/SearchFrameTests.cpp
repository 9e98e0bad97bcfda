// Going to locations, Quick Access and the search prompt in the real main
// frame of this process.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "app/frame/MainFrame.h"
#include "app/resources/ResourceIds.h"
#include "content/DataList.h"
#include "content/FileFolder.h"
#include "content/ItemSource.h"
#include "tests/TestSupport.h"
#include "tests/frame/FrameFixture.h"
#include "tests/store/DocumentFixtures.h"

using namespace vellora;

namespace {

using vtest::Pump;

class SearchFrameTest : public vtest::FrameFixture {
 protected:
  void SetUp() override {
    FrameFixture::SetUp();
    path_ = rig_.dir.File("search-frame.vlx");
    tree_ = rig_.texts.TextOr(kTextFirstTreeFolder, "");
    LibraryDocument doc(rig_.host, rig_.prompt, rig_.texts, rig_.log, rig_.Setup());
    ASSERT_TRUE(doc.CreateLibrary(path_));
    StorageHandle tree = doc.Root().OpenStorageFor(tree_.c_str(), false);
    const std::string note = "{\\rtf1\\ansi plan text\\par}";
    vtest::AddNote(tree, "Plan", 1, note);
    vtest::AddNote(tree, encoded_.c_str(), 2, note);
    tree.Release();
    // A data list whose second row holds the word far into a long cell, and
    // a file folder whose second entry is named after it.
    StorageHandle catalog = doc.Root().OpenStorageFor(CatalogFolder().c_str(), false);
    ASSERT_HRESULT_SUCCEEDED(
        doc.CreateItem(catalog, kItemDataList, "Table", 1, kFolderItemInfo, kFolderItemContent, {"Name", "Notes"}));
    ASSERT_HRESULT_SUCCEEDED(doc.CreateItem(catalog, kItemFileFolder, "Files", 2, kFolderItemInfo, kFolderItemContent, {}));
    DataList table;
    table.columns = {{"Name", 80}, {"Notes", 80}};
    for (const auto& row : kRows) table.AppendRow(row);
    OpenedItem item;
    ASSERT_HRESULT_SUCCEEDED(CatalogItemSource(catalog, "Table", kItemDataList, "Table").OpenForUpdate(item));
    ASSERT_HRESULT_SUCCEEDED(WriteDataList(item, table));
    ASSERT_HRESULT_SUCCEEDED(item.Commit());
    item = OpenedItem{};
    std::vector<FileEntry> files;
    for (const char* title : {"plan.txt", "needle.txt", "needles.txt"}) files.push_back({0, title, "C:\\" + std::string(title), {}});
    ASSERT_HRESULT_SUCCEEDED(CatalogItemSource(catalog, "Files", kItemFileFolder, "Files").OpenForUpdate(item));
    ASSERT_HRESULT_SUCCEEDED(WriteFileFolder(item, files, {}));
    ASSERT_HRESULT_SUCCEEDED(item.Commit());
    item = OpenedItem{};
    catalog.Release();
    for (int i = 0; i < bookmarks_; ++i) doc.AddBookmark({"b" + std::to_string(i), tree_ + "\\Plan"});
    doc.Save();
  }
  MainFrame& Open() { return OpenLibrary(path_, false); }
  DocumentHost& Host() { return *frame_; }
  HWND Tree() { return vtest::FindChildOfClass(frame_->Handle(), WC_TREEVIEWA); }
  HTREEITEM TopLevel(int index) {
    HTREEITEM item = TreeView_GetRoot(Tree());
    while (item && index-- > 0) item = TreeView_GetNextSibling(Tree(), item);
    return item;
  }

  const std::vector<std::vector<std::string>> kRows = {
      {"first", "nothing here"}, {"second", std::string(3000, 'x') + "needle"}, {"needle", "third"}};
  std::string path_, tree_;
  const std::string encoded_ = EncodedElementName("Plan", 77);
  int bookmarks_ = 0;
};

TEST_F(SearchFrameTest, GoingToALocationFollowsElementNamesFirstAndTitlesSecond) {
  Open();
  struct Case {
    std::string path;
    int topLevel;
  } cases[] = {
      {tree_ + "\\" + encoded_, 1},  // a search result naming the encoded element
      {tree_ + "\\Plan", 0},         // a bookmark naming the title: the first node of that title
      {tree_ + "\\" + encoded_ + "\\#TEXT_NODE#0", 1},
  };
  for (const Case& c : cases) {
    Host().GoToLocation(c.path);
    Pump();
    EXPECT_EQ(TreeView_GetSelection(Tree()), TopLevel(c.topLevel)) << c.path;
  }
  // The location of a node names titles and the place in its text.
  Host().GoToLocation(tree_ + "\\" + encoded_);
  EXPECT_EQ(Host().CurrentLocation(), tree_ + "\\Plan\\#TEXT_NODE#0");
}

TEST_F(SearchFrameTest, TitleSearchThroughThePromptFillsTheResultsWindow) {
  MainFrame& frame = Open();
  EXPECT_EQ(frame.SearchResults(), nullptr);
  EXPECT_FALSE(frame.QueryCommandUi(ID_SEARCH_REPEAT).enabled);
  {
    vtest::DialogWatcher answer({"Search All Titles In Library"}, "Plan");
    Command(ID_SEARCH_TITLES);
    ASSERT_EQ(answer.Seen().size(), 1u);
  }
  ASSERT_NE(frame.SearchResults(), nullptr);
  std::vector<std::string> paths = frame.SearchResults()->Paths();
  std::sort(paths.begin(), paths.end());
  EXPECT_EQ(paths, (std::vector<std::string>{tree_ + "\\" + encoded_, tree_ + "\\Plan"}));
  EXPECT_EQ(frame.SearchResults()->Caption(), "Results of searching text[Plan]");
  EXPECT_TRUE(frame.QueryCommandUi(ID_VIEW_SEARCH_RESULT).checked);
  EXPECT_TRUE(frame.QueryCommandUi(ID_SEARCH_REPEAT).enabled);
  SendMessageA(frame.Handle(), WM_COMMAND, ID_VIEW_SEARCH_RESULT, 0);
  EXPECT_FALSE(frame.QueryCommandUi(ID_VIEW_SEARCH_RESULT).checked);
  EXPECT_FALSE(IsWindowVisible(frame.SearchResults()->Handle()));
}

TEST_F(SearchFrameTest, QuickAccessEndsWithTheBookmarkManagerPastTheRoutedEntries) {
  bookmarks_ = 131;
  SetUp();
  MainFrame& frame = Open();
  HMENU quick = GetSubMenu(GetSubMenu(frame.MenuBar(), MENU_POS_CONTENT), CONTENT_POS_QUICK_ACCESS);
  ASSERT_TRUE(quick);
  ASSERT_EQ(GetMenuItemCount(quick), 130);
  EXPECT_EQ(GetMenuItemID(quick, 128), static_cast<UINT>(ID_QUICK_ACCESS_LAST));
  EXPECT_EQ(GetMenuItemID(quick, 129), static_cast<UINT>(ID_BOOKMARK_MANAGER));
}

TEST_F(SearchFrameTest, SearchCurrentItemFindsTheRowsOfTheDataListAndTheFileView) {
  OpenLibrary(path_, true);
  SelectGroup(CatalogFolder());
  ContentHost& host = *frame_;
  struct Case {
    int item;
    int view;
    std::vector<int> found;  // the rows selected by the search and each repeat after it
  } cases[] = {
      {0, kItemDataList, {1, 2}},   // a cell of 3006 bytes, then a first cell
      {1, kItemFileFolder, {1, 2}},  // first cells only
  };
  for (const Case& c : cases) {
    host.SelectItem(c.item);
    Pump();
    ASSERT_EQ(frame_->State().viewKind, c.view);
    HWND list = vtest::ShownList(frame_->Handle());
    ASSERT_TRUE(list);
    rig_.prompt.shown.clear();
    rig_.prompt.names = {std::string("needle")};
    for (size_t i = 0; i < c.found.size(); ++i) {
      Command(i == 0 ? ID_SEARCH_CURRENT_ITEM : ID_SEARCH_REPEAT);
      EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_SELECTED), c.found[i]) << c.view << " search " << i;
    }
    EXPECT_TRUE(rig_.prompt.shown.empty()) << c.view;
    // No wrapping round: the last repeat says it found nothing more.
    Command(ID_SEARCH_REPEAT);
    ASSERT_EQ(rig_.prompt.shown.size(), 1u) << c.view;
    EXPECT_EQ(rig_.prompt.shown[0].text, "Can not find [needle] in current item view.");
  }
}

TEST_F(SearchFrameTest, ABookmarkListThatCannotBeWrittenIsToldAndStaysAsItWas) {
  bookmarks_ = 2;
  SetUp();
  MainFrame& frame = OpenLibrary(path_, true);
  HMENU quick = GetSubMenu(GetSubMenu(frame.MenuBar(), MENU_POS_CONTENT), CONTENT_POS_QUICK_ACCESS);
  struct Case {
    const char* what;
    std::function<void()> change;
  } cases[] = {
      {"Add Bookmark", [&] {
         rig_.prompt.names = {std::string("mark")};
         Command(ID_BOOKMARK_ADD);
       }},
      {"the bookmark list", [&] {
         vtest::DialogWatcher ok({"Bookmark list"});
         Command(ID_BOOKMARK_MANAGER);
       }},
  };
  for (const Case& c : cases) {
    {
      // Held open here, the settings storage cannot be opened by the library.
      StorageHandle held;
      ASSERT_HRESULT_SUCCEEDED(frame.Document().Root().OpenStorage(kSettingsStorage, kWriteMode, held));
      rig_.prompt.shown.clear();
      c.change();
    }
    ASSERT_EQ(rig_.prompt.shown.size(), 1u) << c.what;
    EXPECT_EQ(rig_.prompt.shown[0].caption, rig_.texts.TextOr(vellora::kTextFailCaption, "Fail")) << c.what;
    EXPECT_EQ(frame.Document().Bookmarks().size(), 2u) << c.what;
    EXPECT_EQ(GetMenuItemCount(quick), 2) << c.what;
  }
  // Once the library can write again, so can the user.
  rig_.prompt.shown.clear();
  rig_.prompt.names = {std::string("mark")};
  Command(ID_BOOKMARK_ADD);
  EXPECT_TRUE(rig_.prompt.shown.empty());
  EXPECT_EQ(frame.Document().Bookmarks().size(), 3u);
}

}  // namespace
