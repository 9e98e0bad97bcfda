// Tree nodes changed in real compound files: titles, creating under taken and
// reserved names, the leaf/folder-node conversions both ways, renaming,
// deleting, sequence numbers and copies between parents and folders.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "content/CatalogOperations.h"
#include "content/NodeOperations.h"
#include "tests/content/ContentFixtures.h"

using namespace vellora;
using vtest::AddFolderNode;
using vtest::AddLeaf;

namespace {

// What a folder holds, as "name(seq)" with children in brackets, in display order.
std::string Shape(const std::vector<TreeNode>& nodes) {
  std::string out;
  for (const TreeNode& node : nodes) {
    if (!out.empty()) out += ' ';
    out.append(node.title).append("(").append(std::to_string(node.sequence)).append(")");
    if (node.isFolderNode) out.append("[").append(Shape(node.children)).append("]");
  }
  return out;
}

std::string ShapeOf(const StorageHandle& folder) {
  std::vector<TreeNode> roots;
  LoadTree(folder, roots);
  return Shape(roots);
}

std::string LeafContent(const StorageHandle& folder, const NodePath& path) {
  OpenedNode node;
  if (FAILED(OpenNodeStream(folder, path, true, node))) return "<none>";
  node.Stream().Seek(kRecordSize, STREAM_SEEK_SET);
  std::string bytes(static_cast<size_t>(node.Stream().Remaining()), '\0');
  ULONG got = 0;
  node.Stream().ReadBytes(bytes.data(), static_cast<ULONG>(bytes.size()), &got);
  return bytes.substr(0, got);
}

NodeInfoRecord RecordOf(const StorageHandle& folder, const NodePath& path) {
  OpenedNode node;
  NodeInfoRecord record;
  if (SUCCEEDED(OpenNodeRecord(folder, path, true, node))) ReadNodeInfo(node.Stream(), record);
  return record;
}

TEST(NodeTitles, TheLabelEditRules) {
  struct Case {
    std::string typed, stored;
    size_t limit;
  } cases[] = {
      {"a/b:c", "a-b-c", kNodeTitleBytes},
      {"why!\\not", "why--not", kNodeTitleBytes},
      {"", "...", kNodeTitleBytes},
      {"    ", "...", kNodeTitleBytes},
      {"  padded\t ", "padded", kNodeTitleBytes},
      {std::string(40, 'x'), std::string(30, 'x'), kNodeTitleBytes},
      {std::string(40, 'x'), std::string(31, 'x'), kSetTitleBytes},
      {std::string(29, 'x') + "  tail", std::string(29, 'x'), kNodeTitleBytes},
  };
  for (const Case& c : cases) EXPECT_EQ(CleanNodeTitle(c.typed, c.limit), c.stored) << c.typed;
}

TEST(NodeTitles, DoubleByteCharactersAreNeverCutOrRewritten) {
  if (GetACP() != 936) GTEST_SKIP() << "needs the GBK code page (run under LC_ALL=zh_CN.UTF-8)";
  // "\x95\x5C" is one character whose second byte is a backslash.
  const std::string withTrail = "\x95\x5C" "a/b";
  EXPECT_EQ(CleanNodeTitle(withTrail), "\x95\x5C" "a-b");
  // 29 single bytes, then a double-byte character that does not fit in 30.
  const std::string cut = std::string(29, 'y') + "\xC4\xE3";
  EXPECT_EQ(CleanNodeTitle(cut), std::string(29, 'y'));
  EXPECT_EQ(CleanNodeTitle(cut, kSetTitleBytes), cut);
}

class NodeFile : public ::testing::Test {
 protected:
  void SetUp() override {
    tree_ = file_.AddStorage("Tree");
    AddLeaf(tree_, "A", 1, "alpha");
    AddLeaf(tree_, "B", 2, "beta");
    StorageHandle p = AddFolderNode(tree_, "P", 3);
    AddLeaf(p, "C", 1, "gamma");
    StorageHandle q = AddFolderNode(p, "Q", 2);
    AddLeaf(q, "D", 1, "delta");
  }
  vtest::ScratchFile file_;
  StorageHandle tree_;
};

TEST_F(NodeFile, NewLeavesNeverReplaceAnElement) {
  struct Case {
    NodePath parent;
    std::string title;
    bool plain;  // created under the title itself
  } cases[] = {
      {{}, "New Item", true},
      {{}, "a", false},  // "A" is taken: names compare without case
      {{"P"}, "#BOOKFOLDERITEMINFO#", false},
      {{}, "#bookfolderiteminfo#", false},  // reserved in any case, even where it is free
      {{}, "#$LibrarySetting#$", false},
  };
  for (const Case& c : cases) {
    std::string name;
    ASSERT_HRESULT_SUCCEEDED(CreateLeafUnder(tree_, c.parent, c.title, 9, name)) << c.title;
    EXPECT_EQ(name == c.title, c.plain) << c.title << " -> " << name;
    // An encoded name is cut to 31 bytes: it shows the title's start.
    EXPECT_EQ(c.title.rfind(DisplayName(name), 0), 0u) << name;
  }
  EXPECT_EQ(LeafContent(tree_, {"A"}), "alpha");
  EXPECT_EQ(LeafContent(tree_, {"P", "C"}), "gamma");
  EXPECT_EQ(RecordOf(tree_, {"P"}).sequence, 3);  // the record stream is untouched
}

TEST_F(NodeFile, ALeafThatGetsAChildKeepsOrDropsItsContent) {
  for (bool keep : {true, false}) {
    SCOPED_TRACE(keep);
    const std::string leaf = keep ? "A" : "B";
    NodeInfoRecord before = RecordOf(tree_, {leaf});
    std::string child;
    ASSERT_HRESULT_SUCCEEDED(ConvertLeafAndAddChild(tree_, {leaf}, keep, "New Item", 1, child));
    EXPECT_EQ(child, "New Item");
    EXPECT_EQ(RecordOf(tree_, {leaf}).sequence, before.sequence);  // the folder node keeps the record
    EXPECT_EQ(LeafContent(tree_, {leaf, child}), keep ? "alpha" : "");
    // The moved leaf takes the child's number, not its old one.
    EXPECT_EQ(RecordOf(tree_, {leaf, child}).sequence, 1);
  }
  EXPECT_EQ(ShapeOf(tree_), "A(1)[New Item(1)] B(2)[New Item(1)] P(3)[C(1) Q(2)[D(1)]]");
  // Back to a leaf once its only child is gone: the record, no content.
  bool emptied = false;
  ASSERT_HRESULT_SUCCEEDED(DeleteNode(tree_, {"A", "New Item"}, emptied));
  EXPECT_TRUE(emptied);
  ASSERT_HRESULT_SUCCEEDED(ConvertToLeaf(tree_, {"A"}));
  EXPECT_EQ(LeafContent(tree_, {"A"}), "");
  EXPECT_EQ(RecordOf(tree_, {"A"}).sequence, 1);
  EXPECT_EQ(ConvertToLeaf(tree_, {"P"}), E_UNEXPECTED);  // not while it has children
  EXPECT_EQ(ShapeOf(tree_), "A(1) B(2)[New Item(1)] P(3)[C(1) Q(2)[D(1)]]");
}

TEST_F(NodeFile, RenamesDeletesAndNumbers) {
  std::string name;
  ASSERT_HRESULT_SUCCEEDED(RenameNode(tree_, {"B"}, "A", name));
  EXPECT_NE(name, "A");  // a sibling's title gives an encoded name...
  EXPECT_EQ(DisplayName(name), "A");  // ...that shows the same title
  EXPECT_EQ(LeafContent(tree_, {name}), "beta");
  ASSERT_HRESULT_SUCCEEDED(RenameNode(tree_, {"P", "Q"}, "Renamed", name));
  EXPECT_EQ(name, "Renamed");
  ASSERT_HRESULT_SUCCEEDED(RenameNode(tree_, {"P", "Renamed"}, "Renamed", name));  // the same name: nothing
  EXPECT_EQ(LeafContent(tree_, {"P", "Renamed", "D"}), "delta");

  bool emptied = true;
  ASSERT_HRESULT_SUCCEEDED(DeleteNode(tree_, {"P", "C"}, emptied));
  EXPECT_FALSE(emptied);
  ASSERT_HRESULT_SUCCEEDED(WriteSequences(tree_, {"P"}, {{"Renamed", 7}}));
  EXPECT_EQ(RecordOf(tree_, {"P", "Renamed"}).sequence, 7);
  ASSERT_HRESULT_SUCCEEDED(WriteSequences(tree_, {}, {{"P", 0}, {"A", 5}}));
  EXPECT_EQ(ShapeOf(tree_).substr(0, 5), "P(0)[");
  EXPECT_HRESULT_FAILED(DeleteNode(tree_, {"P", "nothing"}, emptied));
}

TEST_F(NodeFile, CopiesAndMovesBetweenParentsOfOneFolderAndOfTwo) {
  struct Case {
    NodePath from, toParent;
    bool move;
  } cases[] = {
      {{"P", "Q", "D"}, {"P"}, true},   // up to an ancestor that holds the source's parent
      {{"A"}, {"P", "Q"}, true},        // down into a branch
      {{"P", "C"}, {}, false},          // a copy to the top level
  };
  int sequence = 20;
  for (const Case& c : cases) {
    std::string name;
    ASSERT_HRESULT_SUCCEEDED(CopyNode(tree_, c.from, tree_, c.toParent, sequence, c.move, name)) << c.from.back();
    NodePath copy = c.toParent;
    copy.push_back(name);
    EXPECT_EQ(RecordOf(tree_, copy).sequence, sequence);
    NodeContainer source;
    ASSERT_HRESULT_SUCCEEDED(source.Open(tree_, NodePath(c.from.begin(), c.from.end() - 1), true));
    EXPECT_EQ(ExistingElement(source.Storage(), c.from.back()).empty(), c.move);
    ++sequence;
  }
  // A name that is taken where the copy goes gets an encoded one.
  EXPECT_EQ(ShapeOf(tree_), "B(2) P(3)[C(1) Q(2)[A(21)] D(20)] C(22)");
  // Into another folder with its whole branch.
  StorageHandle other = file_.AddStorage("Other");
  std::string name;
  ASSERT_HRESULT_SUCCEEDED(CopyNode(tree_, {"P"}, other, {}, 4, false, name));
  EXPECT_EQ(ShapeOf(other), "P(4)[C(1) Q(2)[A(21)] D(20)]");
  ASSERT_HRESULT_SUCCEEDED(CopyNode(tree_, {"P"}, other, {}, 5, true, name));
  EXPECT_NE(name, "P");
  EXPECT_EQ(DisplayName(name), "P");
  EXPECT_EQ(ShapeOf(tree_), "B(2) C(22)");
  EXPECT_EQ(LeafContent(other, {name, "Q", "A"}), "alpha");
}

TEST_F(NodeFile, StatisticsOfBothForms) {
  NodeStatistics leaf, folder;
  ASSERT_HRESULT_SUCCEEDED(ReadNodeStatistics(tree_, {"A"}, leaf));
  EXPECT_FALSE(leaf.folderNode);
  EXPECT_EQ(leaf.size, kRecordSize + 5);
  ASSERT_HRESULT_SUCCEEDED(ReadNodeStatistics(tree_, {"P"}, folder));
  EXPECT_TRUE(folder.folderNode);
  EXPECT_EQ(folder.children, 2u);
  // Everything below it: three records of folder nodes and leaves, two contents.
  EXPECT_EQ(folder.size, 4 * kRecordSize + 5 + 5);
  EXPECT_HRESULT_FAILED(ReadNodeStatistics(tree_, {"missing"}, leaf));
}

}  // namespace
