#pragma once
// Tree nodes as the library keeps them: creating, renaming and deleting node
// elements, turning a leaf into a folder node and back, moving and copying
// nodes between parents and folders, and the sequence numbers in their
// records. Every operation copies before it destroys, never replaces an
// element it did not make, and leaves the file as it was when it fails.
#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "content/TreeNodes.h"
#include "store/LibraryFormat.h"
#include "store/StorageHandle.h"

namespace vellora {

using NodePath = std::vector<std::string>;  // element names from the tree folder down

// Titles: the label edit keeps at most 30 bytes, Set as Title 31.
inline constexpr size_t kNodeTitleBytes = 30;
inline constexpr size_t kSetTitleBytes = 31;
inline constexpr char kNewNodeTitle[] = "New Item";

// The label edit's rules: blanks trimmed, "!", "/", ":" and "\" become "-",
// at most maxBytes bytes (never half a double-byte character), and an empty
// title becomes "...".
std::string CleanNodeTitle(const std::string& text, size_t maxBytes = kNodeTitleBytes);

// A fresh node record: the sequence number, a Text item.
NodeInfoRecord FreshNodeRecord(int32_t sequence);

// The storage that holds a node's children: the tree folder itself for the
// top level (an empty path), else the folder node's storage, held open with
// the storages above it.
class NodeContainer {
 public:
  HRESULT Open(const StorageHandle& folder, const NodePath& nodePath, bool readOnly = false);
  const StorageHandle& Storage() const { return path_.empty() ? *folder_ : node_.Storage(); }
  void Release() { node_.Release(); }

 private:
  const StorageHandle* folder_ = nullptr;
  NodePath path_;
  OpenedNode node_;
};

// A new leaf (a fresh Text record, no content) under parentPath, under the
// title or, when that is taken or reserved, an encoded unique name.
HRESULT CreateLeafUnder(const StorageHandle& folder, const NodePath& parentPath, const std::string& title,
                        int32_t sequence, std::string& elementName);

// Turns the leaf at leafPath into a folder node that keeps the leaf's record,
// with one new child. keepContent: the leaf's whole stream (record and
// content) becomes the child, its sequence number set to childSequence; else
// the child gets a fresh record and the leaf's content is dropped.
HRESULT ConvertLeafAndAddChild(const StorageHandle& folder, const NodePath& leafPath, bool keepContent,
                               const std::string& childTitle, int32_t childSequence, std::string& childElementName);

// Turns a folder node without children back into a leaf holding only its record.
HRESULT ConvertToLeaf(const StorageHandle& folder, const NodePath& nodePath);

// Renames a node's element to the title (nothing when it is its name already);
// a title that is taken or reserved gets an encoded unique name.
HRESULT RenameNode(const StorageHandle& folder, const NodePath& path, const std::string& title,
                   std::string& elementName);

// Destroys a node with everything below it. parentEmptied: the node was the
// last child of a folder node (not of the tree folder itself).
HRESULT DeleteNode(const StorageHandle& folder, const NodePath& path, bool& parentEmptied);

// Child nodes of a storage (the record stream does not count).
size_t CountChildNodes(const StorageHandle& storage);

// Writes new sequence numbers into the records of children of parentPath.
HRESULT WriteSequences(const StorageHandle& folder, const NodePath& parentPath,
                       const std::vector<std::pair<std::string, int32_t>>& numbers);

// Copies (or moves) the node at sourcePath of sourceFolder, with its branch,
// under targetParent of targetFolder, under its own name or, when that is
// taken there, an encoded unique one; the copy's record gets `sequence`.
// A move destroys the source only after the copy is complete.
HRESULT CopyNode(const StorageHandle& sourceFolder, const NodePath& sourcePath, const StorageHandle& targetFolder,
                 const NodePath& targetParent, int32_t sequence, bool move, std::string& elementName);

// One node as the tree shows it: its record, its form and, for a folder node,
// its children (without theirs: they are read when opened).
HRESULT ReadTreeNode(const StorageHandle& folder, const NodePath& parentPath, const std::string& elementName,
                     TreeNode& out);

// The size of an element (a storage: everything in it), its form and times.
struct NodeStatistics {
  uint64_t size = 0;
  bool folderNode = false;
  size_t children = 0;
  FILETIME created = {}, modified = {}, accessed = {};
};
HRESULT ReadNodeStatistics(const StorageHandle& folder, const NodePath& path, NodeStatistics& out);

}  // namespace vellora
