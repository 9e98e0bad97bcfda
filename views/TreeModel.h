#pragma once
// Puts the node tree of a tree folder into a tree view control and keeps,
// for every tree item, the record that ties it to the library: the node's
// element name, sequence number and record fields. The control holds the
// titles and the nesting; the records are owned here and found through each
// item's lParam.
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "content/ContentHost.h"
#include "content/TreeNodes.h"

namespace vellora {

// Image indexes in the tree's image list.
struct TreeImages {
  int folderNode = 0;          // collapsed folder node, selected or not
  int expandedFolderNode = 1;  // an expanded folder node
  int leaf = 2;
  int selectedLeaf = 3;
};

class TreeModel : public TreeAccess {
 public:
  explicit TreeModel(TreeImages images = {}) : images_(images) {}
  ~TreeModel() override = default;  // frees the records; the control may already be gone
  TreeModel(const TreeModel&) = delete;
  TreeModel& operator=(const TreeModel&) = delete;

  void Attach(HWND tree) { tree_ = tree; }
  // The storage of the tree folder shown, from which branches still in the
  // file are read (the document's current folder, which outlives the model).
  void SetFolder(const StorageHandle* folder) { folder_ = folder; }
  HWND Tree() const { return tree_; }
  const TreeImages& Images() const { return images_; }

  // True while Clear or Fill runs: the frame ignores selection and deletion
  // notifications then (the tree is reloaded without running its handlers).
  bool Busy() const { return busy_; }

  // Deletes every tree item and frees every record.
  void Clear();
  // Clears the tree, then inserts the nodes depth first in the order given
  // (LoadTree's sorted order), each as the last child of its parent, with
  // drawing off. Nothing is expanded or selected.
  void Fill(const std::vector<TreeNode>& roots);

  // Inserts one node (after: an item handle, TVI_LAST or TVI_FIRST) with its
  // whole branch below it; answers the node's item, null when the control
  // refused it.
  HTREEITEM InsertBranch(HTREEITEM parent, HTREEITEM after, const TreeNode& node);
  // Inserts one item with the given title and record (the node commands'
  // "New Item"); the images follow data.isFolderNode.
  HTREEITEM InsertItem(HTREEITEM parent, HTREEITEM after, const std::string& title, const TreeItemData& data);

  // Loads and inserts the children of a folder node whose children were left
  // in the file (folder: the tree folder's storage). True when the item's
  // children are in the control afterwards.
  bool EnsureChildren(HTREEITEM item, const StorageHandle& folder);
  // The same along a path of element names, level by level; answers the item
  // at its end (null when a name is not found).
  HTREEITEM LoadAlongPath(const std::vector<std::string>& path, const StorageHandle& folder);

  // The record of an item (or of an lParam from a notification); null for
  // items that carry no record of this model.
  TreeItemData* DataOf(HTREEITEM item) const;
  TreeItemData* DataFromParam(LPARAM param) const;
  size_t RecordCount() const { return records_.size(); }
  // No branch is read once the tree holds this many nodes: a damaged
  // library (read-only, so nothing is added) whose storages contain each
  // other would otherwise grow the tree without end, level after level.
  void SetElementBudget(size_t budget) { elementBudget_ = budget; }

  // TVN_DELETEITEM: frees the item's record.
  void OnItemDeleted(const NMTREEVIEWA& info);
  // TVN_ITEMEXPANDED: a folder node shows the expanded image when expanded,
  // the folder image when collapsed.
  void OnItemExpanded(const NMTREEVIEWA& info);
  // Turns an item's record and images into a folder node or a leaf (adding a
  // child to a leaf, deleting a folder node's last child).
  void SetNodeForm(HTREEITEM item, bool folderNode);

  // Re-sorts the children of parent (TVI_ROOT: the top level) in display
  // order: ascending sequence number, equal numbers by title.
  void SortChildren(HTREEITEM parent);

  // The element names from the folder down to the item; empty when the item
  // or one of its ancestors carries no record.
  std::vector<std::string> NodePath(HTREEITEM item) const;
  // The item at the end of a path of element names (compared without case,
  // as the storage compares them); null when a name is not found.
  HTREEITEM FindByPath(const std::vector<std::string>& path) const;

  std::string TitleOf(HTREEITEM item) const;
  // The node list of an item with children (null: the top level), in tree order.
  std::vector<NodeListEntry> ChildrenOf(HTREEITEM item) const;
  // The child (null parent: the top-level item) whose node-list title is
  // title; the node list's "Open" looks its row up this way.
  HTREEITEM FindChildByTitle(HTREEITEM parent, const std::string& title) const;

  HTREEITEM FirstChild(HTREEITEM parent) const;  // parent null: the first top-level item
  HTREEITEM NextSibling(HTREEITEM item) const;
  HTREEITEM ParentOf(HTREEITEM item) const;

  // ---- what the content commands see of the tree ----
  static HTREEITEM Item(NodeRef node) { return reinterpret_cast<HTREEITEM>(node); }
  static NodeRef Ref(HTREEITEM item) { return reinterpret_cast<NodeRef>(item); }
  NodeRef Selected() const override;
  NodeRef Parent(NodeRef node) const override { return Ref(ParentOf(Item(node))); }
  NodeRef FirstChild(NodeRef parent) const override { return Ref(FirstChild(Item(parent))); }
  NodeRef Next(NodeRef node) const override { return Ref(NextSibling(Item(node))); }
  TreeItemData* Data(NodeRef node) const override { return DataOf(Item(node)); }
  std::string Title(NodeRef node) const override { return TitleOf(Item(node)); }
  std::vector<std::string> Path(NodeRef node) const override { return NodePath(Item(node)); }
  bool EnsureChildren(NodeRef node) override;
  NodeRef Find(const std::vector<std::string>& path) override;
  NodeRef Insert(NodeRef parent, const std::string& title, const TreeItemData& data) override;
  NodeRef InsertBranch(NodeRef parent, const TreeNode& node) override;
  void Delete(NodeRef node) override;
  void SetForm(NodeRef node, bool folderNode) override { SetNodeForm(Item(node), folderNode); }
  void SetTitle(NodeRef node, const std::string& title) override;
  void SortChildren(NodeRef parent) override { SortChildren(Item(parent)); }
  void Select(NodeRef node) override;
  void Expand(NodeRef node) override;
  bool EditLabel(NodeRef node) override;

 private:
  void DeleteAll();
  void SetImages(HTREEITEM item, int image, int selectedImage) const;
  static int CALLBACK CompareItems(LPARAM first, LPARAM second, LPARAM model);
  static int Compare(LPARAM first, LPARAM second, LPARAM model);

  HWND tree_ = nullptr;
  const StorageHandle* folder_ = nullptr;
  TreeImages images_;
  bool busy_ = false;
  std::unordered_map<const TreeItemData*, std::unique_ptr<TreeItemData>> records_;
  size_t elementBudget_ = static_cast<size_t>(-1);
};

}  // namespace vellora
