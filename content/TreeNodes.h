#pragma once
// The tree of a "Favorite Tree" folder as the program works on it: the node
// records behind the tree items, the node list, and single node elements
// opened by their path. The tree itself is read by store/NodeTree.h; this
// file opens no window (TreeModel.h puts the tree into a tree view control).
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "store/LibraryFormat.h"
#include "store/NodeTree.h"
#include "store/StorageHandle.h"

namespace vellora {

// The node list view reads titles through a 64-byte buffer.
inline constexpr size_t kNodeListTitleBytes = 63;

// A node as the tree view shows it: an opaque handle of the window layer
// (the tree item), which the content logic only passes back.
struct TreeNodeHandle;
using NodeRef = TreeNodeHandle*;

// The record behind one tree item.
struct TreeItemData {
  std::string elementName;  // name inside the parent's storage
  int32_t sequence = 0;
  uint16_t kind = 0;
  uint16_t flags = 0;
  std::string password;
  bool isFolderNode = false;
  bool childrenLoaded = true;  // false: a folder node whose children are still in the file
  NodeRef item = nullptr;      // the tree item that carries the record

  bool HasPassword() const { return (flags & kPasswordFlag) != 0; }
  static TreeItemData FromNode(const TreeNode& node);
};

// ---- node list --------------------------------------------------------------

struct NodeListEntry {
  std::string title;  // at most kNodeListTitleBytes bytes, never half a character
  bool hasChildren = false;
};

// One row per child of the node, in display order.
std::vector<NodeListEntry> ChildrenOf(const TreeNode& node);
std::string NodeListTitle(const std::string& title);

// ---- opening one node element ---------------------------------------------------

// A node's element with the storages on its way down from the tree folder,
// which must stay open while it is used. The tree folder itself is not held:
// the caller keeps it open (normally the document's current folder).
// Released innermost first.
class OpenedNode {
 public:
  OpenedNode() = default;
  ~OpenedNode() { Release(); }
  OpenedNode(OpenedNode&&) = default;
  OpenedNode& operator=(OpenedNode&& other) noexcept;
  OpenedNode(const OpenedNode&) = delete;
  OpenedNode& operator=(const OpenedNode&) = delete;

  // The storage that holds the node's element: the folder for a top-level
  // node, else the innermost folder node on the way.
  const StorageHandle& Parent() const;
  // The node itself when it was opened as a folder node.
  const StorageHandle& Storage() const { return storage_; }
  // A leaf node's stream, or a folder node's record stream (OpenNodeRecord).
  const StreamHandle& Stream() const { return stream_; }
  void Release();

 private:
  friend HRESULT OpenNodeParent(const StorageHandle&, const std::vector<std::string>&, bool, OpenedNode&);
  friend HRESULT OpenNodeStream(const StorageHandle&, const std::vector<std::string>&, bool, OpenedNode&);
  friend HRESULT OpenNodeStorage(const StorageHandle&, const std::vector<std::string>&, bool, OpenedNode&);
  friend HRESULT OpenNodeRecord(const StorageHandle&, const std::vector<std::string>&, bool, OpenedNode&);

  const StorageHandle* folder_ = nullptr;
  std::vector<StorageHandle> ancestors_;  // outermost first
  StorageHandle storage_;
  StreamHandle stream_;
};

// path: the element names from the folder down to the node (NodePath of
// TreeModel.h). readOnly opens every element in read mode, else in write mode.
// Opens only the storages down to the node's parent.
HRESULT OpenNodeParent(const StorageHandle& folder, const std::vector<std::string>& path, bool readOnly,
                       OpenedNode& out);
// The node must be a leaf: its stream, at position 0 (the record comes first).
HRESULT OpenNodeStream(const StorageHandle& folder, const std::vector<std::string>& path, bool readOnly,
                       OpenedNode& out);
// The node must be a folder node: its storage.
HRESULT OpenNodeStorage(const StorageHandle& folder, const std::vector<std::string>& path, bool readOnly,
                        OpenedNode& out);
// Either form: the stream whose first 40 bytes are the node's record (a
// leaf's stream, or a folder node's "#BOOKFOLDERITEMINFO#" with its storage).
HRESULT OpenNodeRecord(const StorageHandle& folder, const std::vector<std::string>& path, bool readOnly,
                       OpenedNode& out);

}  // namespace vellora
