#pragma once
// What the content commands need of the windows: the outlook bar's folder
// groups and catalog items, the tree of the shown tree folder, and the shown
// item. The main frame implements it over its controls; the content logic
// never sees a window.
#include <cstdint>
#include <string>
#include <vector>

#include "content/CatalogItems.h"
#include "content/TreeNodes.h"

namespace vellora {

// The tree of the selected tree folder. A null parent means the top level.
class TreeAccess {
 public:
  virtual ~TreeAccess() = default;
  virtual NodeRef Selected() const = 0;
  virtual NodeRef Parent(NodeRef node) const = 0;
  virtual NodeRef FirstChild(NodeRef parent) const = 0;
  virtual NodeRef Next(NodeRef node) const = 0;
  virtual TreeItemData* Data(NodeRef node) const = 0;
  virtual std::string Title(NodeRef node) const = 0;
  // The element names from the folder down to the node.
  virtual std::vector<std::string> Path(NodeRef node) const = 0;
  // Reads a folder node's children from the file when they are not shown yet.
  virtual bool EnsureChildren(NodeRef node) = 0;
  // The node at the end of a path of element names (read from the file on
  // the way down when needed); null when there is none.
  virtual NodeRef Find(const std::vector<std::string>& path) = 0;
  // Appends a node (and, for InsertBranch, everything below it) to parent's children.
  virtual NodeRef Insert(NodeRef parent, const std::string& title, const TreeItemData& data) = 0;
  virtual NodeRef InsertBranch(NodeRef parent, const TreeNode& node) = 0;
  virtual void Delete(NodeRef node) = 0;
  virtual void SetForm(NodeRef node, bool folderNode) = 0;
  virtual void SetTitle(NodeRef node, const std::string& title) = 0;
  // Re-sorts parent's children by sequence number.
  virtual void SortChildren(NodeRef parent) = 0;
  // Selects through the usual selection path (the item is shown).
  virtual void Select(NodeRef node) = 0;
  virtual void Expand(NodeRef node) = 0;
  // Starts editing a node's label; false when no edit started (the tree is hidden).
  virtual bool EditLabel(NodeRef node) = 0;
};

class ContentHost {
 public:
  virtual ~ContentHost() = default;

  // ---- folders: the outlook bar's groups, in display order ----
  virtual int GroupCount() const = 0;
  virtual std::string GroupName(int group) const = 0;
  virtual uint16_t GroupKind(int group) const = 0;
  virtual int SelectedGroup() const = 0;
  // The group a command is for: the one right-clicked while its menu is
  // open, else the selected one.
  virtual int TargetGroup() const = 0;
  virtual void AddGroup(const std::string& name, uint16_t kind) = 0;
  virtual void RemoveGroup(int group) = 0;
  virtual void RenameGroup(int group, const std::string& name) = 0;
  virtual void SwapGroups(int first, int second) = 0;
  // Selects a group through the usual path (the folder becomes current).
  virtual void SelectGroup(int group) = 0;

  // ---- catalog items of the selected group, in display order ----
  virtual const std::vector<CatalogItemEntry>& Items() const = 0;
  virtual int SelectedItem() const = 0;
  // The item a command is for: the one right-clicked while its menu is
  // open, else the selected one.
  virtual int TargetItem() const = 0;
  virtual void AddItem(const CatalogItemEntry& entry) = 0;
  virtual void RemoveItem(int item) = 0;
  // New title, element name, id or icon of an item.
  virtual void UpdateItem(int item, const CatalogItemEntry& entry) = 0;
  virtual void SwapItems(int first, int second) = 0;
  // Selects an item and shows it.
  virtual void SelectItem(int item) = 0;
  // The items of another folder changed in the file: they are read again the
  // next time that folder is selected.
  virtual void ForgetItems(const std::string& folderName) = 0;

  // ---- the tree of the selected tree folder ----
  virtual TreeAccess& Tree() = 0;

  // ---- the shown item ----
  // The kind of view shown in the item area.
  virtual int ShownViewKind() const = 0;
  // Writes the shown view's edits into its item.
  virtual void StoreShownItem() = 0;
  // Stores and lets go of the shown item before its element changes.
  virtual void LeaveShownItem() = 0;
  // Shows the selected node or item again.
  virtual void ShowSelection() = 0;
  // The title of the page a shown tab pages item shows (empty: none).
  virtual std::string ShownPage() const = 0;
  // The text view's selected text (empty when it is not shown).
  virtual std::string SelectedText() const = 0;
  // The whole text of the shown view as a text file holds it; false when
  // the view shown has no text (neither a note nor a data list).
  virtual bool ShownViewText(std::string& text) const = 0;
  virtual void SetItemTitleStrip(const std::string& title) = 0;
  virtual void FocusTree() = 0;
};

}  // namespace vellora
