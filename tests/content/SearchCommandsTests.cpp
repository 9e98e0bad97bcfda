// The search commands over a real library, with a scripted frame.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>

#include "content/CommandIds.h"
#include "content/CommandTable.h"
#include "content/LocationPath.h"
#include "content/SearchCommands.h"
#include "content/TabPages.h"
#include "store/LibraryDocument.h"
#include "tests/content/ContentFixtures.h"
#include "tests/store/DocumentFixtures.h"

using namespace vellora;

namespace {

class ScriptedSearchHost : public SearchHost {
 public:
  SearchSelection selection;
  std::deque<bool> viewFinds;
  std::vector<std::pair<std::string, bool>> viewSearches;
  bool webShown = false;
  int webFinds = 0, stores = 0, shows = 0;
  bool branchExists = true;
  std::string shownText;
  std::vector<std::string> shownPaths;

  SearchSelection Selection() override { return selection; }
  void StorePendingEdits() override { ++stores; }
  bool FindInShownView(const std::string& text, bool textOnly) override {
    viewSearches.emplace_back(text, textOnly);
    if (viewFinds.empty()) return false;
    bool found = viewFinds.front();
    viewFinds.pop_front();
    return found;
  }
  bool OpenWebFind() override {
    if (webShown) ++webFinds;
    return webShown;
  }
  bool TreeNodeExists(const std::vector<std::string>&) override { return branchExists; }
  void ShowSearchResults(const std::string& text, const std::vector<std::string>& paths) override {
    ++shows;
    shownText = text;
    shownPaths = paths;
  }
};

class SearchCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(doc_.CreateLibrary(rig_.dir.File("search.vlx")));
    tree_ = rig_.texts.TextOr(kTextFirstTreeFolder, "");
    catalog_ = rig_.texts.TextOr(kTextFirstCatalogFolder, "");
    ASSERT_HRESULT_SUCCEEDED(doc_.SelectCurrentFolder(tree_));
    const StorageHandle& folder = doc_.CurrentFolder();
    vtest::AddLeaf(folder, "Alpha", 1, "{\\rtf1 the Needle is here\\par}");
    StorageHandle branch = vtest::AddFolderNode(folder, "Branch", 2);
    vtest::AddLeaf(branch, "Inner", 1, "{\\rtf1 another needle\\par}");
    vtest::AddLeaf(branch, "Dry", 2, "{\\rtf1 nothing\\par}");
    host_.selection.folderKind = kFolderTree;
    host_.selection.folderName = tree_;
  }
  void SelectBranch() {
    host_.selection.hasNode = true;
    host_.selection.nodePath = {"Branch"};
    host_.selection.nodeTitle = "Branch";
    host_.selection.nodeHasChildren = true;
  }
  // The catalog folder shown, with the tab pages view showing this item.
  void ShowTabPagesItem(const std::string& item) {
    host_.selection = {};
    host_.selection.folderKind = kFolderCatalog;
    host_.selection.folderName = catalog_;
    host_.selection.hasItem = true;
    host_.selection.itemElementName = item;
    host_.selection.viewKind = kItemTabPages;
  }
  const vtest::ShownMessage& LastMessage() {
    static vtest::ShownMessage none{};
    return rig_.prompt.shown.empty() ? none : rig_.prompt.shown.back();
  }

  vtest::DocumentRig rig_;
  LibraryDocument doc_{rig_.host, rig_.prompt, rig_.texts, rig_.log, rig_.Setup()};
  ScriptedSearchHost host_;
  SearchCommands search_{doc_, rig_.prompt, host_};
  std::string tree_, catalog_;
};

TEST_F(SearchCommandsTest, EachCommandAsksWithItsCaptionAndLabel) {
  SelectBranch();
  host_.selection.nodeTitle = "Branch title";
  struct Case {
    UINT id;
    std::string caption, label;
  } cases[] = {
      {ID_SEARCH_CURRENT_BRANCH, "Search Under Tree Branch [Branch title]", "Search For:"},
      {ID_SEARCH_TITLES, "Search All Titles In Library", "Search for:"},
      {ID_SEARCH_CURRENT_FOLDER, "Search In Folder [" + tree_ + "]", "Search For:"},
  };
  for (const Case& c : cases) {
    rig_.prompt.names.push_back(std::nullopt);
    search_.Run(c.id);
    ASSERT_FALSE(rig_.prompt.nameCaptions.empty());
    EXPECT_EQ(rig_.prompt.nameCaptions.back(), c.caption);
    EXPECT_EQ(rig_.prompt.nameLabels.back(), c.label);
  }
  host_.selection.nodeHasChildren = false;
  rig_.prompt.names.push_back(std::nullopt);
  search_.Run(ID_SEARCH_CURRENT_ITEM);
  EXPECT_EQ(rig_.prompt.nameCaptions.back(), "Search In Tree Node [Branch title]");
  host_.selection = {};
  host_.selection.folderKind = kFolderCatalog;
  host_.selection.hasItem = true;
  host_.selection.itemElementName = "#$VLX$#5\tItem";
  rig_.prompt.names.push_back(std::nullopt);
  search_.Run(ID_SEARCH_CURRENT_ITEM);
  EXPECT_EQ(rig_.prompt.nameCaptions.back(), "Search In Catalog Item [#$VLX$#5\tItem]");
  // Nothing answered with Ok: no search has run.
  EXPECT_EQ(search_.LastKind(), kSearchNone);
  EXPECT_EQ(host_.shows, 0);
}

TEST_F(SearchCommandsTest, FolderSearchStoresPendingEditsThenListsEveryHit) {
  rig_.prompt.names.push_back("NEEDLE");
  search_.Run(ID_SEARCH_CURRENT_FOLDER);
  EXPECT_EQ(host_.stores, 1);
  EXPECT_EQ(host_.shownText, "NEEDLE");
  std::vector<std::string> paths = host_.shownPaths;
  std::sort(paths.begin(), paths.end());
  EXPECT_EQ(paths, (std::vector<std::string>{tree_ + "\\Alpha", tree_ + "\\Branch\\Inner"}));
  EXPECT_EQ(search_.LastKind(), kSearchCurrentFolder);
}

TEST_F(SearchCommandsTest, MessagesWhenNothingIsFound) {
  SelectBranch();
  struct Case {
    UINT id;
    std::string text;
  } cases[] = {
      {ID_SEARCH_CURRENT_FOLDER, "Can not find [zebra] in folder [" + tree_ + "]"},
      {ID_SEARCH_CURRENT_BRANCH, "Can not find [zebra] under tree branch [Branch]"},
      {ID_SEARCH_TITLES, "Sorry there is not a title [zebra] in current library."},
  };
  for (const Case& c : cases) {
    rig_.prompt.names.push_back("zebra");
    search_.Run(c.id);
    EXPECT_EQ(LastMessage().text, c.text);
    EXPECT_EQ(LastMessage().caption, "Tip");
    EXPECT_EQ(LastMessage().type, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
  }
  EXPECT_EQ(host_.shows, 0);
}

TEST_F(SearchCommandsTest, BranchSearchWalksOnlyTheBranchAndRepeatWalksItAgain) {
  SelectBranch();
  rig_.prompt.names.push_back("needle");
  search_.Run(ID_SEARCH_CURRENT_BRANCH);
  EXPECT_EQ(host_.shownPaths, (std::vector<std::string>{tree_ + "\\Branch\\Inner"}));
  // Repeat in another place still walks the branch searched last.
  host_.selection.nodePath = {"Alpha"};
  host_.shownPaths.clear();
  search_.Run(ID_SEARCH_REPEAT);
  EXPECT_EQ(host_.shownPaths, (std::vector<std::string>{tree_ + "\\Branch\\Inner"}));
  // Once the branch is gone, repeat searches the text view instead, quietly.
  host_.branchExists = false;
  size_t messages = rig_.prompt.shown.size();
  search_.Run(ID_SEARCH_REPEAT);
  ASSERT_FALSE(host_.viewSearches.empty());
  EXPECT_EQ(host_.viewSearches.back(), std::make_pair(std::string("needle"), true));
  EXPECT_EQ(rig_.prompt.shown.size(), messages);
}

TEST_F(SearchCommandsTest, BranchSearchOnALeafOrWithoutANodeBehavesAsTheRulesSay) {
  search_.Run(ID_SEARCH_CURRENT_BRANCH);
  EXPECT_EQ(LastMessage().text, "Sorry but did not select a tree node.");
  SelectBranch();
  host_.selection.nodeHasChildren = false;
  host_.selection.nodeTitle = "Alpha";
  rig_.prompt.names.push_back("needle");
  host_.viewFinds.push_back(true);
  search_.Run(ID_SEARCH_CURRENT_BRANCH);
  EXPECT_EQ(rig_.prompt.nameCaptions.back(), "Search In Tree Node [Alpha]");
  EXPECT_EQ(search_.LastKind(), kSearchCurrentItem);
}

TEST_F(SearchCommandsTest, CurrentItemSearchesTheViewAndSaysWhenItFindsNothing) {
  rig_.prompt.names = {"word", "word"};
  host_.viewFinds = {true, false};
  search_.Run(ID_SEARCH_CURRENT_ITEM);
  EXPECT_TRUE(rig_.prompt.shown.empty());
  search_.Run(ID_SEARCH_CURRENT_ITEM);
  EXPECT_EQ(LastMessage().text, "Can not find [word] in current view.");
  EXPECT_EQ(LastMessage().caption, "Finish search");
  // Repeat uses the item view's own message.
  search_.Run(ID_SEARCH_REPEAT);
  EXPECT_EQ(LastMessage().text, "Can not find [word] in current item view.");
  EXPECT_EQ(LastMessage().caption, "Finish Search");
  EXPECT_EQ(host_.viewSearches.back(), std::make_pair(std::string("word"), false));
}

TEST_F(SearchCommandsTest, TheWebViewOpensItsOwnFindInstead) {
  host_.webShown = true;
  search_.Run(ID_SEARCH_CURRENT_ITEM);
  EXPECT_EQ(host_.webFinds, 1);
  EXPECT_TRUE(rig_.prompt.nameCaptions.empty());
  search_.Run(ID_SEARCH_REPEAT);
  EXPECT_EQ(host_.webFinds, 2);
}

TEST_F(SearchCommandsTest, CancellingKeepsTheLastSearch) {
  rig_.prompt.names = {"needle", std::nullopt};
  search_.Run(ID_SEARCH_TITLES);
  search_.Run(ID_SEARCH_CURRENT_ITEM);
  EXPECT_EQ(search_.LastKind(), kSearchTitles);
  EXPECT_EQ(search_.LastText(), "needle");
}

TEST_F(SearchCommandsTest, RepeatShowsTheWindowEvenForAnEmptyResult) {
  rig_.prompt.names.push_back("Alpha");
  search_.Run(ID_SEARCH_TITLES);
  EXPECT_EQ(host_.shownPaths, std::vector<std::string>{tree_ + "\\Alpha"});
  ASSERT_HRESULT_SUCCEEDED(doc_.CurrentFolder().DestroyElement("Alpha"));
  search_.Run(ID_SEARCH_REPEAT);
  EXPECT_EQ(host_.shows, 2);
  EXPECT_TRUE(host_.shownPaths.empty());
  EXPECT_EQ(host_.shownText, "Alpha");
}

TEST_F(SearchCommandsTest, TabSearchShowsTheWindowFoundOrNot) {
  ASSERT_HRESULT_SUCCEEDED(doc_.SelectCurrentFolder(catalog_));
  ASSERT_HRESULT_SUCCEEDED(
      CreateItem(doc_.CurrentFolder(), kItemTabPages, "Binder", 1, kFolderItemInfo, kFolderItemContent, {}));
  {
    StorageHandle binder = doc_.CurrentFolder().OpenStorageFor("Binder", false);
    StorageHandle page = binder.OpenStorageFor("Content", false);
    vtest::WriteStream(page, kTabPageItemContent, "{\\rtf1 tab text\\par}");
  }
  ShowTabPagesItem("Binder");
  rig_.prompt.names = {"TAB", "missing"};
  search_.Run(ID_SEARCH_CURRENT_BRANCH);
  EXPECT_EQ(rig_.prompt.nameCaptions.back(), "Search In Tab [Binder]");
  EXPECT_EQ(host_.shownPaths, std::vector<std::string>{catalog_ + "\\Binder\\Content"});
  search_.Run(ID_SEARCH_CURRENT_BRANCH);
  EXPECT_EQ(LastMessage().text, "Can not find [missing] under tab page [Binder]");
  EXPECT_EQ(host_.shows, 2);
  EXPECT_TRUE(host_.shownPaths.empty());
}

// Two pages share the title "Content"; the second lives under an encoded
// name. Every search that reaches into the pages names the page it hit so
// that going to the result finds that very page again.
TEST_F(SearchCommandsTest, AHitInAPageLeadsBackToThatPage) {
  ASSERT_HRESULT_SUCCEEDED(doc_.SelectCurrentFolder(catalog_));
  ASSERT_HRESULT_SUCCEEDED(
      CreateItem(doc_.CurrentFolder(), kItemTabPages, "Binder", 1, kFolderItemInfo, kFolderItemContent, {}));
  TabPages pages;
  size_t twin = 0;
  {
    StorageHandle binder;
    ASSERT_HRESULT_SUCCEEDED(doc_.CurrentFolder().OpenStorage("Binder", kWriteMode, binder));
    ASSERT_HRESULT_SUCCEEDED(pages.Load(binder));
    NewItemRequest request;
    request.title = "Content";
    ASSERT_HRESULT_SUCCEEDED(pages.Add(binder, request, twin));
    vtest::WriteStream(binder.OpenStorageFor("Content", false), kTabPageItemContent, "{\\rtf1 only hay\\par}");
    vtest::WriteStream(binder.OpenStorageFor(pages.Pages()[twin].elementName.c_str(), false), kTabPageItemContent,
                       "{\\rtf1 the Needle\\par}");
  }
  ShowTabPagesItem("Binder");
  auto pageOf = [&](const std::string& path) {
    Location place = ParseLocation(path, kFolderCatalog);
    EXPECT_EQ(place.components, (std::vector<std::string>{catalog_, "Binder"})) << path;
    return pages.IndexOfComponent(place.page);
  };
  struct Case {
    UINT command;
    const char* text;
    std::vector<int> pagesHit;
  } cases[] = {
      {ID_SEARCH_CURRENT_FOLDER, "needle", {static_cast<int>(twin)}},
      {ID_SEARCH_CURRENT_BRANCH, "needle", {static_cast<int>(twin)}},  // "Search In Tab"
      {ID_SEARCH_TITLES, "Content", {0, static_cast<int>(twin)}},
  };
  for (const Case& c : cases) {
    rig_.prompt.names.push_back(std::string(c.text));
    host_.shownPaths.clear();
    search_.Run(c.command);
    std::vector<int> hit;
    for (const std::string& path : host_.shownPaths) hit.push_back(pageOf(path));
    std::sort(hit.begin(), hit.end());
    EXPECT_EQ(hit, c.pagesHit) << c.text;
  }
}

}  // namespace

namespace {

TEST(Bracketed, PutsNamesInPlaceOnceEvenWhenTheyHoldAFormat) {
  struct Case {
    const char* format;
    std::string first, second, expected;
  } cases[] = {
      {"Search In Folder [%s]", "Notes", "", "Search In Folder [Notes]"},
      {"Can not find [%s] in folder [%s]", "%s", "F", "Can not find [%s] in folder [F]"},
      {"Can not find [%s] in folder [%s]", "100%", "%d", "Can not find [100%] in folder [%d]"},
      {"no names", "x", "y", "no names"},
  };
  for (const Case& c : cases) EXPECT_EQ(Bracketed(c.format, c.first, c.second), c.expected) << c.format;
}

}  // namespace
