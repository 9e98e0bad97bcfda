// Reading branch after branch of a damaged library's tree as Expand All
// does (a folder node whose storage contains itself): it ends at the depth limit.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "content/TreeNodes.h"
#include "tests/store/DamageKit.h"
#include "tests/views/ViewFixtures.h"

using namespace vellora;

namespace {

// What Expand All does: read each closed branch as it is opened, deeper and
// deeper, until nothing closed is left or the walk gives up.
struct Walk {
  int opened = 0;  // folder nodes opened
  int depth = 0;   // the most folder nodes opened along one way down
};

Walk ExpandAll(vtest::HiddenTree& view, const StorageHandle& folder, int giveUpAfter) {
  Walk walk;
  std::vector<TreeNode> roots;
  LoadTreeLevels(folder, 2, roots);
  view.Model().Fill(roots);
  std::vector<std::pair<HTREEITEM, int>> pending{{TreeView_GetRoot(view.Tree()), 0}};
  while (!pending.empty() && walk.opened < giveUpAfter) {
    auto [first, depth] = pending.back();
    pending.pop_back();
    for (HTREEITEM i = first; i; i = TreeView_GetNextSibling(view.Tree(), i)) {
      const TreeItemData* data = view.Model().DataOf(i);
      if (!data || !data->isFolderNode) continue;
      view.Model().EnsureChildren(i, folder);
      ++walk.opened;
      walk.depth = std::max(walk.depth, depth + 1);
      if (HTREEITEM child = TreeView_GetChild(view.Tree(), i)) pending.push_back({child, depth + 1});
    }
  }
  return walk;
}

TEST(DamagedTreeView, OpeningBranchAfterBranchStopsAtTheDepthLimit) {
  // A folder node whose storage contains itself.
  vtest::SelfContainingTree sample;
  ASSERT_TRUE(sample.Open());
  vtest::HiddenTree view;
  EXPECT_EQ(ExpandAll(view, sample.Folder(), 4 * kMaxElementDepth).depth, kMaxElementDepth);
}

TEST(DamagedTreeViewBudget, StoragesThatContainEachOtherAreReadNoFurtherThanTheFileHolds) {
  // Every level doubles: the walk must end by itself long before this many branches.
  constexpr int kGiveUpAfter = 5000;
  vtest::SelfContainingTree sample;
  ASSERT_TRUE(sample.Open(true));
  vtest::HiddenTree view;
  view.Model().SetElementBudget(sample.DirectoryEntries());
  EXPECT_LT(ExpandAll(view, sample.Folder(), kGiveUpAfter).opened, kGiveUpAfter);
  // Never much more than the directory holds: the budget stops new reads,
  // the last branch read may add its own level.
  EXPECT_LT(view.Model().RecordCount(), 2u * sample.DirectoryEntries() + 8);
}

}  // namespace
