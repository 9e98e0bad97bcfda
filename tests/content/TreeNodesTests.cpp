// The node tree read from real compound files: which elements are nodes,
// their records and titles, the order at every level, the depth limit, the
// node list rows, and opening single nodes by their path.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "content/TreeNodes.h"
#include "tests/content/ContentFixtures.h"

using namespace vellora;
using vtest::AddFolderNode;
using vtest::AddLeaf;

namespace {

std::vector<std::string> Titles(const std::vector<TreeNode>& nodes) {
  std::vector<std::string> out;
  for (const auto& node : nodes) out.push_back(node.title);
  return out;
}

const TreeNode* Child(const std::vector<TreeNode>& nodes, const std::string& title) {
  for (const auto& node : nodes)
    if (node.title == title) return &node;
  return nullptr;
}

TEST(TreeLoad, EveryLevelIsSortedBySignedSequenceNumber) {
  vtest::ScratchFile file;
  StorageHandle tree = file.AddStorage("Favorite Tree");
  AddLeaf(tree, "five", 5);
  AddLeaf(tree, "minus three", -3);
  AddLeaf(tree, "lowest", INT_MIN);  // a subtracting comparison would overflow on these two
  AddLeaf(tree, "highest", INT_MAX);
  AddLeaf(tree, "zero", 0);
  {
    StorageHandle two = AddFolderNode(tree, "two", 2);
    AddLeaf(two, "b", 3);
    AddLeaf(two, "a", -1);
    StorageHandle nested = AddFolderNode(two, "nested", 2);
    AddLeaf(nested, "y", 100);
    AddLeaf(nested, "x", -100);
    AddLeaf(nested, "w", INT_MIN);
  }
  std::vector<TreeNode> roots;
  ASSERT_EQ(LoadTree(tree, roots), S_OK);
  EXPECT_EQ(Titles(roots),
            (std::vector<std::string>{"lowest", "minus three", "zero", "two", "five", "highest"}));
  const TreeNode* two = Child(roots, "two");
  ASSERT_TRUE(two);
  EXPECT_TRUE(two->isFolderNode);
  EXPECT_EQ(two->sequence, 2);
  EXPECT_EQ(Titles(two->children), (std::vector<std::string>{"a", "nested", "b"}));
  const TreeNode* nested = Child(two->children, "nested");
  ASSERT_TRUE(nested);
  EXPECT_EQ(Titles(nested->children), (std::vector<std::string>{"w", "x", "y"}));
  EXPECT_EQ(CountNodes(roots), 12u);
  EXPECT_FALSE(Child(roots, "five")->isFolderNode);
}

TEST(TreeLoad, EqualSequenceNumbersAreOrderedByTitle) {
  vtest::ScratchFile file;
  StorageHandle tree = file.AddStorage("T");
  // Enumeration order (shorter names first) differs from title order.
  AddLeaf(tree, "Pear", 1);
  AddLeaf(tree, "apple", 1);
  AddLeaf(tree, "#$VLX$#9\tBanana", 1);
  AddLeaf(tree, "first", 0);
  std::vector<TreeNode> roots;
  ASSERT_EQ(LoadTree(tree, roots), S_OK);
  EXPECT_EQ(Titles(roots), (std::vector<std::string>{"first", "apple", "Banana", "Pear"}));

  // Sorting again in memory gives the same order, whatever order it starts from.
  std::vector<TreeNode> shuffled{roots[3], roots[1], roots[0], roots[2]};
  SortTree(shuffled);
  EXPECT_EQ(Titles(shuffled), Titles(roots));
}

TEST(TreeLoad, TheNodeRecordStreamIsNeverALeafInAnyLetterCase) {
  vtest::ScratchFile file;
  StorageHandle tree = file.AddStorage("T");
  vtest::WriteStream(tree, "#bookFolderItemInfo#", std::string(40, '\0'));
  AddLeaf(tree, "leaf", 1);
  {
    StorageHandle node;
    ASSERT_HRESULT_SUCCEEDED(tree.CreateStorage("lower case record", kWriteMode, node));
    StreamHandle record;
    ASSERT_HRESULT_SUCCEEDED(node.CreateStream("#bookfolderiteminfo#", kWriteMode, record));
    NodeInfoRecord r = vtest::NodeRecord(7);
    r.flags = static_cast<uint16_t>(kPasswordFlag);
    r.SetPassword("pw");
    ASSERT_TRUE(WriteNodeInfo(record, r));
    record.Release();
    AddLeaf(node, "child", 1);
  }
  std::vector<TreeNode> roots;
  ASSERT_EQ(LoadTree(tree, roots), S_OK);
  ASSERT_EQ(Titles(roots), (std::vector<std::string>{"leaf", "lower case record"}));
  const TreeNode& node = roots[1];
  EXPECT_EQ(node.sequence, 7);  // its record was found under the other spelling
  EXPECT_TRUE(node.HasPassword());
  EXPECT_EQ(node.password, "pw");
  EXPECT_EQ(Titles(node.children), (std::vector<std::string>{"child"}));
}

TEST(TreeLoad, MissingOrShortRecordsReadAsZeros) {
  vtest::ScratchFile file;
  StorageHandle tree = file.AddStorage("T");
  {
    StorageHandle bare;
    ASSERT_HRESULT_SUCCEEDED(tree.CreateStorage("no record", kWriteMode, bare));
    AddLeaf(bare, "inside", 4);
  }
  vtest::WriteStream(tree, "short leaf", std::string("\x05\x00\x00", 3));
  vtest::WriteStream(tree, "empty leaf", "");
  {
    NodeInfoRecord r = vtest::NodeRecord(-2, kItemWebArchive);
    r.flags = static_cast<uint16_t>(kPasswordFlag);
    r.SetPassword("open sesame");
    const char content[] = "<html/>";
    ASSERT_HRESULT_SUCCEEDED(CreateLeafNode(tree, "#$VLX$#31337\tSaved page", r, content, sizeof content));
  }
  std::vector<TreeNode> roots;
  ASSERT_EQ(LoadTree(tree, roots), S_OK);
  ASSERT_EQ(roots.size(), 4u);
  EXPECT_EQ(roots[0].title, "Saved page");  // -2 comes first
  EXPECT_EQ(roots[0].elementName, "#$VLX$#31337\tSaved page");
  EXPECT_EQ(roots[0].kind, kItemWebArchive);
  EXPECT_EQ(roots[0].password, "open sesame");
  for (const char* zero : {"no record", "short leaf", "empty leaf"}) {
    const TreeNode* node = Child(roots, zero);
    ASSERT_TRUE(node) << zero;
    EXPECT_EQ(node->sequence, 0) << zero;
    EXPECT_EQ(node->kind, 0) << zero;
    EXPECT_FALSE(node->HasPassword()) << zero;
  }
  const TreeNode* bare = Child(roots, "no record");
  EXPECT_TRUE(bare->isFolderNode);
  EXPECT_EQ(Titles(bare->children), (std::vector<std::string>{"inside"}));
  // A password stays unread unless the flag says there is one.
  EXPECT_EQ(Child(roots, "short leaf")->password, "");
}

std::string LevelName(int level) { return std::string("n").append(std::to_string(level)); }

TEST(TreeLoad, ATreeDeeperThanTheLimitIsCutThere) {
  vtest::ScratchFile file;
  StorageHandle tree = file.AddStorage("T");
  const int depth = kMaxTreeDepth + 8;
  {
    std::vector<StorageHandle> chain;
    chain.reserve(depth);
    const StorageHandle* parent = &tree;
    for (int level = 1; level <= depth; ++level) {
      chain.push_back(AddFolderNode(*parent, LevelName(level), level));
      ASSERT_FALSE(chain.back().Empty()) << level;
      parent = &chain.back();
    }
    AddLeaf(*parent, "bottom", 1);
    while (!chain.empty()) chain.pop_back();
  }
  std::vector<TreeNode> roots;
  EXPECT_EQ(LoadTree(tree, roots), S_FALSE);
  int levels = 0;
  const TreeNode* last = nullptr;
  for (const std::vector<TreeNode>* level = &roots; !level->empty(); level = &level->front().children) {
    ASSERT_EQ(level->size(), 1u);
    last = &level->front();
    ++levels;
  }
  EXPECT_EQ(levels, kMaxTreeDepth);
  ASSERT_TRUE(last);
  EXPECT_EQ(last->title, LevelName(kMaxTreeDepth));
  EXPECT_TRUE(last->isFolderNode);
  EXPECT_EQ(last->sequence, kMaxTreeDepth);  // its record is still read
}

TEST(TreeLoad, AFolderThatCannotBeEnumeratedFails) {
  StorageHandle none;
  std::vector<TreeNode> roots(1);
  EXPECT_HRESULT_FAILED(LoadTree(none, roots));
  EXPECT_TRUE(roots.empty());
}

TEST(TreeNodeList, RowsFollowTheChildrenWithCutTitles) {
  TreeNode parent;
  parent.isFolderNode = true;
  TreeNode leaf;
  leaf.title = "Leaf";
  TreeNode branch;
  branch.title = std::string(70, 'x');
  branch.isFolderNode = true;
  branch.children.push_back(leaf);
  TreeNode emptyFolder;  // a folder node whose children could not be read
  emptyFolder.title = "Empty";
  emptyFolder.isFolderNode = true;
  parent.children = {branch, leaf, emptyFolder};

  std::vector<NodeListEntry> rows = ChildrenOf(parent);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].title, std::string(kNodeListTitleBytes, 'x'));
  EXPECT_TRUE(rows[0].hasChildren);
  EXPECT_EQ(rows[1].title, "Leaf");
  EXPECT_FALSE(rows[1].hasChildren);
  EXPECT_FALSE(rows[2].hasChildren);
  EXPECT_TRUE(ChildrenOf(leaf).empty());
}

class TreeNodePaths : public ::testing::Test {
 protected:
  void SetUp() override {
    tree_ = file_.AddStorage("T");
    StorageHandle a = AddFolderNode(tree_, "a", 1);
    StorageHandle b = AddFolderNode(a, "b", 1);
    StorageHandle c = AddFolderNode(b, "#$VLX$#5\tc", 1);
    AddLeaf(c, "deep leaf", 9, "DEEP CONTENT");
    AddLeaf(tree_, "top leaf", 2, "TOP");
  }
  vtest::ScratchFile file_;
  StorageHandle tree_;
};

std::string Content(const StreamHandle& stream) {
  std::string text(static_cast<size_t>(stream.Size()) - kRecordSize, '\0');
  stream.Seek(kRecordSize, STREAM_SEEK_SET);
  ULONG got = 0;
  stream.ReadBytes(text.data(), static_cast<ULONG>(text.size()), &got);
  text.resize(got);
  return text;
}

TEST_F(TreeNodePaths, ALeafDeepDownIsUsableAfterTheCall) {
  const std::vector<std::string> path{"a", "b", "#$VLX$#5\tc", "deep leaf"};
  OpenedNode node;
  ASSERT_HRESULT_SUCCEEDED(OpenNodeStream(tree_, path, true, node));
  // The storages on the way are held by the result, so the stream still reads.
  NodeInfoRecord record;
  ASSERT_TRUE(ReadNodeInfo(node.Stream(), record));
  EXPECT_EQ(record.sequence, 9);
  EXPECT_EQ(Content(node.Stream()), "DEEP CONTENT");
  EXPECT_EQ(node.Parent().FindElement("deep leaf"), ElementType::Stream);

  OpenedNode moved = std::move(node);
  EXPECT_TRUE(node.Stream().Empty());
  EXPECT_EQ(Content(moved.Stream()), "DEEP CONTENT");

  OpenedNode top;
  ASSERT_HRESULT_SUCCEEDED(OpenNodeStream(tree_, {"top leaf"}, true, top));
  EXPECT_EQ(top.Parent().Get(), tree_.Get());  // a top-level node's parent is the folder
  EXPECT_EQ(Content(top.Stream()), "TOP");
}

TEST_F(TreeNodePaths, WritesThroughAWritableChainReachTheFile) {
  const std::vector<std::string> path{"a", "b", "#$VLX$#5\tc", "deep leaf"};
  {
    OpenedNode node;
    ASSERT_HRESULT_SUCCEEDED(OpenNodeStream(tree_, path, false, node));
    NodeInfoRecord record;
    ASSERT_TRUE(ReadNodeInfo(node.Stream(), record, true));
    record.sequence = -40;
    ASSERT_TRUE(WriteNodeInfo(node.Stream(), record));
  }
  std::vector<TreeNode> roots;
  ASSERT_EQ(LoadTree(tree_, roots), S_OK);
  EXPECT_EQ(roots[0].children[0].children[0].children[0].sequence, -40);
}

TEST_F(TreeNodePaths, StoragesRecordsAndWrongFormsAreTold) {
  OpenedNode node;
  ASSERT_HRESULT_SUCCEEDED(OpenNodeStorage(tree_, {"a", "b"}, true, node));
  EXPECT_EQ(node.Storage().FindElement("#$VLX$#5\tc"), ElementType::Storage);
  EXPECT_TRUE(node.Stream().Empty());
  node.Release();  // elements are opened exclusively: b is free again only now

  // Either form answers with the stream that starts with its record.
  for (const auto& path : {std::vector<std::string>{"a", "b"}, std::vector<std::string>{"top leaf"}}) {
    OpenedNode record;
    ASSERT_HRESULT_SUCCEEDED(OpenNodeRecord(tree_, path, true, record)) << path.back();
    NodeInfoRecord r;
    EXPECT_TRUE(ReadNodeInfo(record.Stream(), r));
    EXPECT_EQ(r.sequence, path.size() == 2 ? 1 : 2);
  }

  OpenedNode parent;
  ASSERT_HRESULT_SUCCEEDED(OpenNodeParent(tree_, {"a", "b", "whatever"}, true, parent));
  EXPECT_EQ(parent.Parent().FindElement("#$VLX$#5\tc"), ElementType::Storage);
  parent.Release();

  OpenedNode failed;
  EXPECT_HRESULT_FAILED(OpenNodeStream(tree_, {"a", "b"}, true, failed));  // a folder node is no stream
  EXPECT_TRUE(failed.Parent().Empty());
  EXPECT_HRESULT_FAILED(OpenNodeStorage(tree_, {"top leaf"}, true, failed));
  EXPECT_EQ(OpenNodeStream(tree_, {"a", "missing", "deep leaf"}, true, failed), STG_E_FILENOTFOUND);
  EXPECT_EQ(OpenNodeRecord(tree_, {"a", "nothing"}, true, failed), STG_E_FILENOTFOUND);
  EXPECT_EQ(OpenNodeStream(tree_, {}, true, failed), E_INVALIDARG);
  EXPECT_EQ(OpenNodeStream(StorageHandle(), {"x"}, true, failed), E_POINTER);
}

}  // namespace
