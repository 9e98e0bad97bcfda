// The selection model over a real library: what stays selected and targeted
// as groups and items go and move, items read once, locations built.
#include <gtest/gtest.h>

#include <functional>

#include "content/CommandTable.h"
#include "tests/content/CommandRig.h"
#include "tests/content/ContentFixtures.h"

using namespace vellora;

namespace {

// A change made while a selection and a target are set, and what each names afterwards.
struct Step {
  const char* what;
  int selected, target;
  std::function<void(LibrarySelection&)> change;
  std::string selectedAfter, targetAfter;
};

class LibrarySelectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Four folders: the tree, two catalogs and one more.
    ASSERT_HRESULT_SUCCEEDED(rig_.document.CreateFolder("Extra", kFolderCatalog));
    rig_.selection.AddGroup("Extra", kFolderCatalog);
    ASSERT_EQ(rig_.selection.GroupCount(), 4);
  }
  // A catalog folder holding X, Y, Z (ids 1..3), selected.
  void SelectFilledCatalog() {
    {
      const StorageHandle folder = rig_.Folder(rig_.catalogFolder);
      vtest::AddItem(folder, "X", 1, "x");
      vtest::AddItem(folder, "Y", 2, "y");
      vtest::AddItem(folder, "Z", 3, "z");
    }
    rig_.Select(rig_.catalogFolder);
    ASSERT_EQ(vtest::Titles(rig_.selection.Items()), (std::vector<std::string>{"X", "Y", "Z"}));
  }
  std::string Name(int group) const { return group < 0 ? "<none>" : rig_.selection.GroupName(group); }
  std::string ItemTitle(int item) const {
    const auto& items = rig_.selection.Items();
    return item < 0 || item >= static_cast<int>(items.size()) ? "<none>" : items[static_cast<size_t>(item)].title;
  }

  vtest::CommandRig rig_;
  LibrarySelection& selection_ = rig_.selection;
};

TEST_F(LibrarySelectionTest, SelectionAndTargetFollowTheirGroupsAndARemovedTargetIsNoGroup) {
  // Groups by name: 0 tree, 1 catalog, 2 second catalog, 3 Extra.
  const std::string first = rig_.catalogFolder, second = rig_.secondCatalog;
  const Step steps[] = {
      {"a target before the selection is removed", 2, 0, [](LibrarySelection& s) { s.RemoveGroup(0); }, second, "<none>"},
      {"a group after both is removed", 1, 2, [](LibrarySelection& s) { s.RemoveGroup(3); }, first, second},
      {"the selected group is removed", 1, 3, [](LibrarySelection& s) { s.RemoveGroup(1); }, "<none>", "Extra"},
      {"the target and the selection swap places", 1, 2, [](LibrarySelection& s) { s.SwapGroups(1, 2); }, first, second},
      {"the selection moves down past the target", 3, 2, [](LibrarySelection& s) { s.SwapGroups(3, 2); }, "Extra", second},
      {"a swap with itself", 1, 1, [](LibrarySelection& s) { s.SwapGroups(1, 1); }, first, first},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    rig_.document.Close();
    ASSERT_TRUE(rig_.document.CreateLibrary(rig_.path));
    ASSERT_HRESULT_SUCCEEDED(rig_.document.CreateFolder("Extra", kFolderCatalog));
    selection_.AddGroup("Extra", kFolderCatalog);
    selection_.SelectGroup(step.selected);
    selection_.SetTarget(step.target, -1);
    step.change(selection_);
    EXPECT_EQ(Name(selection_.SelectedGroup()), step.selectedAfter);
    EXPECT_EQ(Name(selection_.TargetGroup()), step.targetAfter);
    selection_.ClearTarget();
    EXPECT_EQ(selection_.TargetGroup(), selection_.SelectedGroup());
  }
}

TEST_F(LibrarySelectionTest, SelectedAndTargetItemsFollowTheirItemsAndARemovedOneIsNoItem) {
  const Step steps[] = {
      {"the target item is removed", 2, 0, [](LibrarySelection& s) { s.RemoveItem(0); }, "Z", "<none>"},
      {"the selected item is removed", 1, 2, [](LibrarySelection& s) { s.RemoveItem(1); }, "<none>", "Z"},
      {"an item after both is removed", 0, 1, [](LibrarySelection& s) { s.RemoveItem(2); }, "X", "Y"},
      {"the two swap", 0, 1, [](LibrarySelection& s) { s.SwapItems(0, 1); }, "X", "Y"},
      {"a removal out of range", 0, 1, [](LibrarySelection& s) { s.RemoveItem(3); }, "X", "Y"},
      // The group the target item belonged to is no longer selected.
      {"another group is selected", 0, 1, [](LibrarySelection& s) { s.SelectGroup(0); }, "<none>", "<none>"},
  };
  SelectFilledCatalog();
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    selection_.ForgetItems(rig_.catalogFolder);  // ignored: it is the selected folder
    rig_.Select(rig_.secondCatalog);
    selection_.ForgetItems(rig_.catalogFolder);
    rig_.Select(rig_.catalogFolder);
    ASSERT_EQ(selection_.Items().size(), 3u);
    selection_.SelectItem(step.selected);
    selection_.SetTarget(-1, step.target);
    step.change(selection_);
    EXPECT_EQ(ItemTitle(selection_.SelectedItem()), step.selectedAfter);
    EXPECT_EQ(ItemTitle(selection_.TargetItem()), step.targetAfter);
    selection_.ClearTarget();
  }
}

TEST_F(LibrarySelectionTest, ItemsAreReadOnceAndAgainOnlyAfterTheyWereForgotten) {
  SelectFilledCatalog();
  EXPECT_EQ(rig_.document.ItemCounter(), 3);  // loading sets the counter
  EXPECT_EQ(selection_.SelectedItem(), 0);    // a folder shows its first item
  selection_.SelectItem(2);
  vtest::AddItem(rig_.Current(), "Later", 9, "");
  rig_.Select(rig_.secondCatalog);
  EXPECT_EQ(rig_.document.ItemCounter(), 0);
  rig_.Select(rig_.catalogFolder);
  // Read once: the item laid down behind the model's back is not listed, and
  // the group kept its own selected item.
  EXPECT_EQ(vtest::Titles(selection_.Items()), (std::vector<std::string>{"X", "Y", "Z"}));
  EXPECT_EQ(selection_.SelectedItem(), 2);
  // The selected folder's items are never dropped under the commands' feet.
  selection_.ForgetItems(rig_.catalogFolder);
  EXPECT_TRUE(selection_.ItemsLoaded(selection_.SelectedGroup()));
  const int group = selection_.SelectedGroup();
  rig_.Select(rig_.secondCatalog);
  selection_.ForgetItems(rig_.catalogFolder);
  EXPECT_FALSE(selection_.ItemsLoaded(group));
  EXPECT_TRUE(selection_.ItemsOf(group).empty());
  rig_.Select(rig_.catalogFolder);
  EXPECT_EQ(vtest::Titles(selection_.Items()), (std::vector<std::string>{"X", "Y", "Z", "Later"}));
  EXPECT_EQ(selection_.SelectedItem(), 0);
  EXPECT_EQ(rig_.document.ItemCounter(), 9);
  const auto& events = rig_.documentHost.events;
  EXPECT_EQ(std::count(events.begin(), events.end(), "loaded " + rig_.catalogFolder), 2);
  EXPECT_EQ(std::count(events.begin(), events.end(), "forgot " + rig_.catalogFolder), 1);
}

TEST_F(LibrarySelectionTest, IndexesOutOfRangeChangeNothingAndTellNothing) {
  SelectFilledCatalog();
  const int group = selection_.SelectedGroup();
  rig_.documentHost.events.clear();
  CatalogItemEntry entry;
  entry.title = "Stranger";
  // Items run 0..2 and groups 0..3: every index here is outside one or both.
  for (int bad : {-1, -7, 4, 100}) {
    SCOPED_TRACE(bad);
    selection_.RemoveItem(bad);
    selection_.UpdateItem(bad, entry);
    selection_.SwapItems(0, bad);
    selection_.SelectItem(bad);
    selection_.RemoveGroup(bad);
    selection_.RenameGroup(bad, "Renamed");
    selection_.SwapGroups(bad, 0);
    selection_.SelectGroup(bad);
    EXPECT_TRUE(selection_.GroupName(bad).empty());
    // A target out of range is no target: the command takes the selection.
    selection_.SetTarget(bad, bad);
    EXPECT_EQ(selection_.TargetGroup(), group);
    EXPECT_EQ(selection_.TargetItem(), 0);
    selection_.ClearTarget();
  }
  selection_.RemoveItem(3);
  selection_.SwapItems(3, 1);
  EXPECT_TRUE(rig_.documentHost.events.empty());
  EXPECT_EQ(vtest::Titles(selection_.Items()), (std::vector<std::string>{"X", "Y", "Z"}));
  EXPECT_EQ(selection_.GroupName(group), rig_.catalogFolder);
  EXPECT_TRUE(selection_.ItemsOf(-1).empty());
  EXPECT_EQ(selection_.SelectedItemOf(17), -1);
  EXPECT_EQ(selection_.GroupKind(-1), 0);
  // With nothing selected there are no items to change.
  selection_.Clear();
  selection_.AddItem(entry);
  EXPECT_TRUE(selection_.Items().empty());
  EXPECT_EQ(selection_.FolderKind(), 0);
}

TEST_F(LibrarySelectionTest, TheLocationNamesTheNodesByTitleAndTheCatalogItemByElementName) {
  const StorageHandle tree = rig_.Folder(rig_.treeFolder);
  StorageHandle top = vtest::AddFolderNode(tree, "#$VLX$#2\tTop", 1);
  StorageHandle middle = vtest::AddFolderNode(top, "Middle", 1);
  vtest::AddLeaf(middle, "Deep", 1, "text");
  vtest::AddItem(rig_.Folder(rig_.catalogFolder), "#$VLX$#4\tItem", 1, "");
  top.Release();
  middle.Release();

  EXPECT_EQ(LibrarySelection(rig_.document).CurrentLocation(rig_.host.tree), "");  // nothing selected
  rig_.Select(rig_.treeFolder);
  selection_.SetShownViewKind(kViewNodeList);
  vtest::MemoryTree& nodes = rig_.host.tree;
  ASSERT_TRUE(nodes.Selected());
  EXPECT_EQ(selection_.CurrentLocation(nodes), rig_.treeFolder + "\\Top");
  SearchSelection search = selection_.CurrentSearchSelection(nodes);
  EXPECT_EQ(search.folderKind, kFolderTree);
  EXPECT_EQ(search.viewKind, kViewNodeList);
  EXPECT_EQ(search.nodePath, (std::vector<std::string>{"#$VLX$#2\tTop"}));
  EXPECT_TRUE(search.nodeHasChildren);

  // The third level is still in the file: the search selection reads it.
  NodeRef middleNode = nodes.Titled({"Top", "Middle"});
  ASSERT_TRUE(middleNode);
  nodes.Select(middleNode);
  ASSERT_FALSE(nodes.FirstChild(middleNode));
  search = selection_.CurrentSearchSelection(nodes);
  EXPECT_TRUE(search.nodeHasChildren);
  nodes.Select(nodes.Titled({"Top", "Middle", "Deep"}));
  EXPECT_EQ(selection_.CurrentLocation(nodes, 12), rig_.treeFolder + "\\Top\\Middle\\Deep\\#TEXT_NODE#12");
  search = selection_.CurrentSearchSelection(nodes);
  EXPECT_EQ(search.nodePath, (std::vector<std::string>{"#$VLX$#2\tTop", "Middle", "Deep"}));
  EXPECT_EQ(search.nodeTitle, "Deep");
  EXPECT_FALSE(search.nodeHasChildren);
  // Without a node the text index is left out.
  nodes.Select(nullptr);
  EXPECT_EQ(selection_.CurrentLocation(nodes, 12), rig_.treeFolder);
  EXPECT_FALSE(selection_.CurrentSearchSelection(nodes).hasNode);

  rig_.Select(rig_.catalogFolder);
  EXPECT_EQ(selection_.CurrentLocation(nodes, 5), rig_.catalogFolder + "\\#$VLX$#4\tItem");
  search = selection_.CurrentSearchSelection(nodes);
  EXPECT_EQ(search.folderKind, kFolderCatalog);
  EXPECT_TRUE(search.hasItem);
  EXPECT_FALSE(search.hasNode);
  EXPECT_EQ(search.itemElementName, "#$VLX$#4\tItem");
  EXPECT_EQ(selection_.ItemNamedBy("#$VLX$#4\tItem"), 0);
  EXPECT_EQ(selection_.ItemNamedBy("Item"), 0);
  EXPECT_EQ(selection_.ItemNamedBy("Other"), -1);
  rig_.Select(rig_.secondCatalog);
  EXPECT_EQ(selection_.CurrentLocation(nodes), rig_.secondCatalog);
  EXPECT_FALSE(selection_.CurrentSearchSelection(nodes).hasItem);
}

}  // namespace

namespace {

// Records which folder was current when each step of a selection was told.
class CurrentFolderObserver : public SelectionObserver {
 public:
  explicit CurrentFolderObserver(const LibraryDocument& document) : document_(document) {}
  std::vector<std::string> told;
  void GroupLeaving(int previous) override { told.push_back("leaving " + std::to_string(previous) + " in " + Current()); }
  void ItemsLoaded(int group) override { told.push_back("loaded " + std::to_string(group) + " in " + Current()); }
  void GroupSelected(int group) override { told.push_back("selected " + std::to_string(group) + " in " + Current()); }

 private:
  std::string Current() const { return document_.CurrentFolderName(); }
  const LibraryDocument& document_;
};

TEST_F(LibrarySelectionTest, WhatIsShownIsLetGoWhileItsFolderIsStillCurrent) {
  // The frame stores the shown item's edits when it is told the group is
  // left: the folder they belong to must still be the current one then.
  CurrentFolderObserver observer(rig_.document);
  selection_.SetObserver(&observer);
  rig_.Select(rig_.treeFolder);
  rig_.Select(rig_.catalogFolder);
  rig_.Select(rig_.catalogFolder);  // selected again: shown again, read once
  selection_.SetObserver(&rig_.documentHost);
  const std::string tree = rig_.treeFolder, catalog = rig_.catalogFolder;
  EXPECT_EQ(observer.told, (std::vector<std::string>{
                               "leaving 0 in " + tree, "selected 0 in " + tree,
                               "leaving 0 in " + tree, "loaded 1 in " + catalog, "selected 1 in " + catalog,
                               "leaving 1 in " + catalog, "selected 1 in " + catalog}));
}

}  // namespace
