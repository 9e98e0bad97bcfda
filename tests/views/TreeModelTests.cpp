// The node tree put into a real (hidden) tree view control: order, nesting,
// images and records of the items, freeing of the records, re-sorting, and the
// way back from an item to its node in the library.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "views/TreeModel.h"
#include "tests/content/ContentFixtures.h"
#include "tests/views/ViewFixtures.h"

using namespace vellora;
using vtest::AddFolderNode;
using vtest::AddLeaf;

namespace {

// "depth:title" for every item of the control, depth first, as the control holds them.
void Walk(const TreeModel& model, HTREEITEM parent, int depth, std::vector<std::string>& out) {
  for (HTREEITEM item = model.FirstChild(parent); item; item = model.NextSibling(item)) {
    out.push_back(std::to_string(depth) + ":" + model.TitleOf(item));
    Walk(model, item, depth + 1, out);
  }
}

std::vector<std::string> Walk(const TreeModel& model) {
  std::vector<std::string> out;
  Walk(model, nullptr, 0, out);
  return out;
}

TVITEMA ItemOf(HWND tree, HTREEITEM item) {
  TVITEMA query = {};
  query.mask = TVIF_HANDLE | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
  query.hItem = item;
  SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&query));
  return query;
}

class TreeView : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = file_.AddStorage("Favorite Tree");
    AddLeaf(folder_, "Shopping", 3, "bread");
    {
      StorageHandle projects = AddFolderNode(folder_, "Projects", 2);
      AddLeaf(projects, "Reading list", 2);
      AddLeaf(projects, "Roadmap", -7);
      StorageHandle archive = AddFolderNode(projects, "#$VLX$#77\tArchive", 1);
      AddLeaf(archive, "Old ideas", 5, "kept for later");
      AddLeaf(archive, "Older ideas", INT_MIN);
    }
    AddLeaf(folder_, "Getting started", 1);
    ASSERT_EQ(LoadTree(folder_, roots_), S_OK);
  }

  const std::vector<std::string> expected_{"0:Getting started", "0:Projects",  "1:Roadmap",
                                           "1:Archive",         "2:Older ideas", "2:Old ideas",
                                           "1:Reading list",    "0:Shopping"};
  vtest::ScratchFile file_;
  StorageHandle folder_;
  std::vector<TreeNode> roots_;
  vtest::HiddenTree view_;
};

TEST_F(TreeView, FillGivesTheSortedOrderNestingAndImages) {
  TreeModel& model = view_.Model();
  model.Fill(roots_);
  EXPECT_EQ(Walk(model), expected_);
  EXPECT_EQ(view_.Count(), 8);
  EXPECT_EQ(model.RecordCount(), 8u);
  EXPECT_FALSE(model.Busy());

  HTREEITEM projects = model.FindByPath({"Projects"});
  HTREEITEM shopping = model.FindByPath({"Shopping"});
  ASSERT_TRUE(projects && shopping);
  TVITEMA folder = ItemOf(view_.Tree(), projects);
  EXPECT_EQ(folder.iImage, 0);
  EXPECT_EQ(folder.iSelectedImage, 0);
  TVITEMA leaf = ItemOf(view_.Tree(), shopping);
  EXPECT_EQ(leaf.iImage, 2);
  EXPECT_EQ(leaf.iSelectedImage, 3);

  // The lParam is the item's record.
  const TreeItemData* data = model.DataFromParam(leaf.lParam);
  ASSERT_TRUE(data);
  EXPECT_EQ(data, model.DataOf(shopping));
  EXPECT_EQ(data->elementName, "Shopping");
  EXPECT_EQ(data->sequence, 3);
  EXPECT_EQ(reinterpret_cast<HTREEITEM>(data->item), shopping);
  EXPECT_FALSE(data->isFolderNode);
  EXPECT_TRUE(model.DataOf(projects)->isFolderNode);
  EXPECT_EQ(model.DataFromParam(12345), nullptr);
}

TEST_F(TreeView, AnItemLeadsBackToItsNodeInTheLibrary) {
  TreeModel& model = view_.Model();
  model.Fill(roots_);
  HTREEITEM projects = model.FirstChild(HTREEITEM{}) ? model.NextSibling(model.FirstChild(HTREEITEM{})) : nullptr;
  ASSERT_TRUE(projects);
  HTREEITEM archive = model.NextSibling(model.FirstChild(projects));
  ASSERT_EQ(model.TitleOf(archive), "Archive");  // the encoded name shows its title
  HTREEITEM old = model.NextSibling(model.FirstChild(archive));
  ASSERT_EQ(model.TitleOf(old), "Old ideas");

  const std::vector<std::string> path = model.NodePath(old);
  EXPECT_EQ(path, (std::vector<std::string>{"Projects", "#$VLX$#77\tArchive", "Old ideas"}));
  EXPECT_EQ(model.FindByPath(path), old);
  EXPECT_EQ(model.FindByPath({"projects", "#$vlx$#77\tarchive", "OLD IDEAS"}), old);  // names compare without case
  EXPECT_EQ(model.FindByPath({"Projects", "Nothing"}), nullptr);

  OpenedNode node;
  ASSERT_HRESULT_SUCCEEDED(OpenNodeStream(folder_, path, true, node));
  std::string text(14, '\0');
  node.Stream().Seek(kRecordSize, STREAM_SEEK_SET);
  ULONG got = 0;
  node.Stream().ReadBytes(text.data(), 14, &got);
  EXPECT_EQ(text, "kept for later");
}

TEST_F(TreeView, RecordsAreFreedWithTheirItemsAndOnRefill) {
  TreeModel& model = view_.Model();
  model.Fill(roots_);
  model.Fill(roots_);  // the second fill replaces, it does not add
  EXPECT_EQ(view_.Count(), 8);
  EXPECT_EQ(model.RecordCount(), 8u);

  // Deleting one branch frees the records of all its items.
  HTREEITEM projects = model.FindByPath({"Projects"});
  SendMessageA(view_.Tree(), TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(projects));
  EXPECT_EQ(view_.Count(), 2);
  EXPECT_EQ(model.RecordCount(), 2u);
  EXPECT_EQ(model.NodePath(model.FindByPath({"Shopping"})), (std::vector<std::string>{"Shopping"}));

  int before = view_.deletions;
  model.Clear();
  EXPECT_EQ(view_.Count(), 0);
  EXPECT_EQ(model.RecordCount(), 0u);
  EXPECT_EQ(view_.deletions - before, 2);  // the notifications came, and freed nothing twice
  EXPECT_TRUE(model.ChildrenOf(nullptr).empty());
}

TEST_F(TreeView, ResortingFollowsChangedSequenceNumbers) {
  TreeModel& model = view_.Model();
  model.Fill(roots_);
  HTREEITEM projects = model.FindByPath({"Projects"});
  // Reading list to the front, Roadmap to the end (the far ends of the range).
  model.DataOf(model.FindByPath({"Projects", "Reading list"}))->sequence = INT_MIN;
  model.DataOf(model.FindByPath({"Projects", "Roadmap"}))->sequence = INT_MAX;
  model.SortChildren(projects);
  std::vector<std::string> titles;
  for (const NodeListEntry& row : model.ChildrenOf(projects)) titles.push_back(row.title);
  EXPECT_EQ(titles, (std::vector<std::string>{"Reading list", "Archive", "Roadmap"}));

  // The top level sorts the same way; ties go by title.
  model.DataOf(model.FindByPath({"Shopping"}))->sequence = 1;
  model.SortChildren(TVI_ROOT);
  titles.clear();
  for (const NodeListEntry& row : model.ChildrenOf(nullptr)) titles.push_back(row.title);
  EXPECT_EQ(titles, (std::vector<std::string>{"Getting started", "Shopping", "Projects"}));
}

TEST_F(TreeView, TheNodeListAndItsOpenLookUp) {
  TreeModel& model = view_.Model();
  model.Fill(roots_);
  HTREEITEM projects = model.FindByPath({"Projects"});
  std::vector<NodeListEntry> rows = model.ChildrenOf(projects);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].title, "Roadmap");
  EXPECT_FALSE(rows[0].hasChildren);
  EXPECT_EQ(rows[1].title, "Archive");
  EXPECT_TRUE(rows[1].hasChildren);
  EXPECT_EQ(model.FindChildByTitle(projects, "Archive"), model.FindByPath({"Projects", "#$VLX$#77\tArchive"}));
  EXPECT_EQ(model.FindChildByTitle(projects, "Shopping"), nullptr);  // children only
  EXPECT_EQ(model.FindChildByTitle(nullptr, "Shopping"), model.FindByPath({"Shopping"}));

  // A long title in the control is listed cut to what the list reads.
  TreeItemData data;
  data.elementName = "long";
  HTREEITEM longItem = model.InsertItem(projects, TVI_LAST, std::string(80, 'L'), data);
  ASSERT_TRUE(longItem);
  EXPECT_EQ(model.ChildrenOf(projects).back().title, std::string(kNodeListTitleBytes, 'L'));
  EXPECT_EQ(model.FindChildByTitle(projects, std::string(kNodeListTitleBytes, 'L')), longItem);
}

TEST_F(TreeView, ExpandingAndChangingFormSwapTheImages) {
  TreeModel& model = view_.Model();
  model.Fill(roots_);
  HTREEITEM projects = model.FindByPath({"Projects"});
  HTREEITEM shopping = model.FindByPath({"Shopping"});
  NMTREEVIEWA info = {};
  info.hdr.code = TVN_ITEMEXPANDEDA;
  info.itemNew.hItem = projects;
  info.action = TVE_EXPAND;
  model.OnItemExpanded(info);
  EXPECT_EQ(ItemOf(view_.Tree(), projects).iImage, 1);
  info.action = TVE_COLLAPSE;
  model.OnItemExpanded(info);
  EXPECT_EQ(ItemOf(view_.Tree(), projects).iImage, 0);
  info.itemNew.hItem = shopping;  // a leaf keeps its images
  info.action = TVE_EXPAND;
  model.OnItemExpanded(info);
  EXPECT_EQ(ItemOf(view_.Tree(), shopping).iImage, 2);

  model.SetNodeForm(shopping, true);
  EXPECT_TRUE(model.DataOf(shopping)->isFolderNode);
  EXPECT_EQ(ItemOf(view_.Tree(), shopping).iImage, 0);
  EXPECT_EQ(ItemOf(view_.Tree(), shopping).iSelectedImage, 0);
  model.SetNodeForm(shopping, false);
  EXPECT_EQ(ItemOf(view_.Tree(), shopping).iImage, 2);
  EXPECT_EQ(ItemOf(view_.Tree(), shopping).iSelectedImage, 3);
}

TEST(TreeViewImages, TheImageIndexesAreTheCallers) {
  vtest::HiddenTree view;
  TreeModel model(TreeImages{10, 11, 12, 13});
  model.Attach(view.Tree());
  TreeNode leaf;
  leaf.title = leaf.elementName = "leaf";
  TreeNode folder;
  folder.title = folder.elementName = "folder";
  folder.isFolderNode = true;
  folder.children.push_back(leaf);
  model.Fill({folder});
  HTREEITEM top = model.FirstChild(HTREEITEM{});
  EXPECT_EQ(ItemOf(view.Tree(), top).iImage, 10);
  EXPECT_EQ(ItemOf(view.Tree(), model.FirstChild(top)).iSelectedImage, 13);
  model.Clear();
}

TEST(TreeViewFill, TenThousandNodesKeepTheirOrder) {
  vtest::HiddenTree view;
  std::vector<TreeNode> roots(10);
  int index = 0;
  for (TreeNode& top : roots) {
    top.title = top.elementName = std::string("t").append(std::to_string(index++));
    top.isFolderNode = true;
    top.children.resize(999);
    for (TreeNode& leaf : top.children) leaf.title = leaf.elementName = std::string("l").append(std::to_string(index++));
  }
  view.Model().Fill(roots);
  EXPECT_EQ(view.Count(), 10000);
  std::vector<std::string> walked = Walk(view.Model());
  ASSERT_EQ(walked.size(), 10000u);
  EXPECT_EQ(walked[0], "0:t0");
  EXPECT_EQ(walked[1], "1:l1");
  EXPECT_EQ(walked[1000], "0:t1000");
  EXPECT_EQ(walked[9999], "1:l9999");
}

}  // namespace
