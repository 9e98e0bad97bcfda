// Reading branch after branch of a damaged library's tree as Expand All
// does (a folder node whose storage contains itself): it ends at the depth limit.
#include <gtest/gtest.h>

#include "content/TreeNodes.h"
#include "tests/store/DamageKit.h"
#include "tests/views/ViewFixtures.h"

using namespace vellora;

namespace {

class DamagedTreeView : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(sample_.Open()); }
  vtest::SelfContainingTree sample_;
};

TEST_F(DamagedTreeView, OpeningBranchAfterBranchStopsAtTheDepthLimit) {
  // What Expand All does: read each closed branch as it is opened, deeper
  // and deeper, until nothing closed is left.
  vtest::HiddenTree view;
  std::vector<TreeNode> roots;
  LoadTreeLevels(sample_.Folder(), 2, roots);
  view.Model().Fill(roots);
  HTREEITEM item = TreeView_GetRoot(view.Tree());
  int levels = 0;
  while (item && levels < 4 * kMaxElementDepth) {
    HTREEITEM folderNode = nullptr;
    for (HTREEITEM i = item; i; i = TreeView_GetNextSibling(view.Tree(), i)) {
      const TreeItemData* data = view.Model().DataOf(i);
      if (data && data->isFolderNode) folderNode = i;
    }
    if (!folderNode) break;
    view.Model().EnsureChildren(folderNode, sample_.Folder());
    item = TreeView_GetChild(view.Tree(), folderNode);
    ++levels;
  }
  EXPECT_EQ(levels, kMaxElementDepth);
}

TEST(DamagedTreeViewBudget, StoragesThatContainEachOtherAreReadNoFurtherThanTheFileHolds) {
  // Every level doubles: read branch after branch, as Expand All does, the
  // walk must end by itself long before this many branches.
  constexpr int kGiveUpAfter = 5000;
  vtest::SelfContainingTree sample;
  ASSERT_TRUE(sample.Open(true));
  vtest::HiddenTree view;
  view.Model().SetElementBudget(sample.DirectoryEntries());
  std::vector<TreeNode> roots;
  LoadTreeLevels(sample.Folder(), 2, roots);
  view.Model().Fill(roots);
  std::vector<HTREEITEM> pending{TreeView_GetRoot(view.Tree())};
  int opened = 0;
  while (!pending.empty() && opened < kGiveUpAfter) {
    HTREEITEM first = pending.back();
    pending.pop_back();
    for (HTREEITEM i = first; i; i = TreeView_GetNextSibling(view.Tree(), i)) {
      const TreeItemData* data = view.Model().DataOf(i);
      if (!data || !data->isFolderNode) continue;
      view.Model().EnsureChildren(i, sample.Folder());
      ++opened;
      if (HTREEITEM child = TreeView_GetChild(view.Tree(), i)) pending.push_back(child);
    }
  }
  EXPECT_LT(opened, kGiveUpAfter);
  // Never much more than the directory holds: the budget stops new reads,
  // the last branch read may add its own level.
  EXPECT_LT(view.Model().RecordCount(), 2u * sample.DirectoryEntries() + 8);
}

}  // namespace
