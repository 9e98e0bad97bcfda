// The tree of a damaged library (a folder node whose storage contains
// itself), opened read-only as the document does: loading ends at the depth limit.
#include <gtest/gtest.h>

#include "content/TreeNodes.h"
#include "tests/store/DamageKit.h"

using namespace vellora;

namespace {

class DamagedTree : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(sample_.Open()); }
  vtest::SelfContainingTree sample_;
};

// How many levels deep the first folder-node chain goes.
int ChainDepth(const std::vector<TreeNode>& roots) {
  int depth = 0;
  for (const std::vector<TreeNode>* level = &roots; !level->empty();) {
    const TreeNode* folder = nullptr;
    for (const TreeNode& node : *level)
      if (node.isFolderNode) folder = &node;
    if (!folder) break;
    ++depth;
    level = &folder->children;
  }
  return depth;
}

TEST_F(DamagedTree, LoadingTheWholeTreeStopsAtTheDepthLimit) {
  std::vector<TreeNode> roots;
  EXPECT_EQ(LoadTree(sample_.Folder(), roots), S_FALSE);  // cut, and said so
  EXPECT_EQ(ChainDepth(roots), kMaxElementDepth);
  EXPECT_LT(CountNodes(roots), static_cast<size_t>(8 * kMaxElementDepth));
}

}  // namespace
