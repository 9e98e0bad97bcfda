// A tree shown from its first levels and read deeper on demand into the real control.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "content/TreeNodes.h"
#include "tests/content/ContentFixtures.h"
#include "tests/views/ViewFixtures.h"

using namespace vellora;
using vtest::AddFolderNode;
using vtest::AddLeaf;

namespace {

const TreeNode* Child(const std::vector<TreeNode>& nodes, const std::string& title) {
  for (const auto& node : nodes)
    if (node.title == title) return &node;
  return nullptr;
}

// A tree is shown from its first levels; what lies deeper is read when the
// user opens it, through the tree model, into the real control.
TEST(TreeLevels, DeeperBranchesWaitInTheFileUntilTheyAreOpened) {
  vtest::ScratchFile file;
  StorageHandle tree = file.AddStorage("Favorite Tree");
  {
    StorageHandle top = AddFolderNode(tree, "top", 1);
    StorageHandle middle = AddFolderNode(top, "middle", 1);
    AddLeaf(middle, "second", 2);
    AddLeaf(middle, "first", 1);
    StorageHandle empty = AddFolderNode(top, "empty", 2);
  }
  std::vector<TreeNode> roots;
  ASSERT_EQ(LoadTreeLevels(tree, 2, roots), S_OK);  // left for later is not "cut"
  ASSERT_EQ(roots.size(), 1u);
  EXPECT_TRUE(roots[0].childrenLoaded);
  ASSERT_EQ(roots[0].children.size(), 2u);
  const TreeNode* middle = Child(roots[0].children, "middle");
  ASSERT_TRUE(middle);
  EXPECT_FALSE(middle->childrenLoaded);
  EXPECT_TRUE(middle->children.empty());

  vtest::HiddenTree view;
  view.Model().Fill(roots);
  EXPECT_EQ(view.Count(), 3);
  HWND control = view.Tree();
  HTREEITEM middleItem = view.Model().FindByPath({"top", "middle"});
  ASSERT_TRUE(middleItem);
  ASSERT_TRUE(view.Model().EnsureChildren(middleItem, tree));
  EXPECT_EQ(view.Count(), 5);
  EXPECT_EQ(view.Model().TitleOf(TreeView_GetChild(control, middleItem)), "first");
  ASSERT_TRUE(view.Model().EnsureChildren(middleItem, tree));  // once only
  EXPECT_EQ(view.Count(), 5);
  // An empty folder node loses its expand button once it was looked into.
  HTREEITEM emptyItem = view.Model().FindByPath({"top", "empty"});
  ASSERT_TRUE(view.Model().EnsureChildren(emptyItem, tree));
  TVITEMA query = {};
  query.mask = TVIF_CHILDREN;
  query.hItem = emptyItem;
  TreeView_GetItem(control, &query);
  EXPECT_EQ(query.cChildren, 0);
  // Going to a place deep down reads the levels on the way.
  view.Model().Fill(roots);
  HTREEITEM second = view.Model().LoadAlongPath({"top", "middle", "second"}, tree);
  ASSERT_TRUE(second);
  EXPECT_EQ(view.Model().TitleOf(second), "second");
  EXPECT_EQ(view.Model().LoadAlongPath({"top", "nothing"}, tree), nullptr);
}

}  // namespace
