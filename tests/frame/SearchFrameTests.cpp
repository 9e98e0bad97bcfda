// Going to locations, Quick Access and the search prompt in the real main
// frame of this process.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "app/frame/MainFrame.h"
#include "app/resources/ResourceIds.h"
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

}  // namespace
