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

}  // namespace
