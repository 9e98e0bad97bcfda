#pragma once
// The content commands without the main frame: a tree of nodes in memory in
// place of the tree view, a content host over the selection model, and a
// document host that hands the library's folders to that model.
#include <memory>
#include <string>
#include <vector>

#include "content/ContentCommands.h"
#include "content/LibrarySelection.h"
#include "store/LibraryDocument.h"
#include "tests/store/DocumentFixtures.h"

namespace vtest {

// The tree of a tree folder as the tree view holds it: titles, nesting and
// each node's record; branches still in the file are read when opened.
class MemoryTree : public vellora::TreeAccess {
 public:
  MemoryTree();
  ~MemoryTree() override;

  // The folder whose branches are read on the way (null: none are read).
  void SetFolder(const vellora::StorageHandle* folder) { folder_ = folder; }
  void Fill(const std::vector<vellora::TreeNode>& roots);
  void Clear();
  // Whether EditLabel starts an edit (false: the tree is hidden).
  bool editsLabels = true;
  vellora::NodeRef editing = nullptr;  // the node whose label edit started last
  int selections = 0;                  // Select calls

  // The node at the end of a path of titles; null when there is none.
  vellora::NodeRef Titled(const std::vector<std::string>& titles) const;
  // The titles of parent's children (null: the top level), in order.
  std::vector<std::string> ChildTitles(vellora::NodeRef parent) const;

  vellora::NodeRef Selected() const override;
  vellora::NodeRef Parent(vellora::NodeRef node) const override;
  vellora::NodeRef FirstChild(vellora::NodeRef parent) const override;
  vellora::NodeRef Next(vellora::NodeRef node) const override;
  vellora::TreeItemData* Data(vellora::NodeRef node) const override;
  std::string Title(vellora::NodeRef node) const override;
  std::vector<std::string> Path(vellora::NodeRef node) const override;
  bool EnsureChildren(vellora::NodeRef node) override;
  vellora::NodeRef Find(const std::vector<std::string>& path) override;
  vellora::NodeRef Insert(vellora::NodeRef parent, const std::string& title,
                          const vellora::TreeItemData& data) override;
  vellora::NodeRef InsertBranch(vellora::NodeRef parent, const vellora::TreeNode& node) override;
  void Delete(vellora::NodeRef node) override;
  void SetForm(vellora::NodeRef node, bool folderNode) override;
  void SetTitle(vellora::NodeRef node, const std::string& title) override;
  void SortChildren(vellora::NodeRef parent) override;
  void Select(vellora::NodeRef node) override;
  void Expand(vellora::NodeRef) override {}
  bool EditLabel(vellora::NodeRef node) override;

 private:
  struct Node;
  Node* Of(vellora::NodeRef node) const;
  static vellora::NodeRef Ref(Node* node);

  std::unique_ptr<Node> top_;  // holds the top-level nodes
  Node* selected_ = nullptr;
  const vellora::StorageHandle* folder_ = nullptr;
};

// What the frame would show: counted, never drawn.
class CommandHost : public vellora::SelectionContentHost {
 public:
  explicit CommandHost(vellora::LibrarySelection& selection) : SelectionContentHost(selection) {}
  MemoryTree tree;
  int stores = 0, leaves = 0, shows = 0;
  std::string selectedText, titleStrip, shownPage;
  bool viewHasText = false;  // what ShownViewText answers, with viewText
  std::string viewText;

  vellora::TreeAccess& Tree() override { return tree; }
  void StoreShownItem() override { ++stores; }
  void LeaveShownItem() override { ++leaves; }
  void ShowSelection() override { ++shows; }
  std::string SelectedText() const override { return selectedText; }
  bool ShownViewText(std::string& text) const override {
    text = viewText;
    return viewHasText;
  }
  std::string ShownPage() const override { return shownPage; }
  void SetItemTitleStrip(const std::string& title) override { titleStrip = title; }
  void FocusTree() override {}
};

// The document's folders go into the selection model, and a selected tree
// folder into the memory tree, as the frame puts them into its windows.
class SelectionDocumentHost : public vellora::DocumentHost, public vellora::SelectionObserver {
 public:
  SelectionDocumentHost(vellora::LibrarySelection& selection, CommandHost& host);
  void Attach(vellora::LibraryDocument& document) { document_ = &document; }
  std::vector<std::string> events;  // what the observer was told, in order

  void StoreTextViewContent() override {}
  bool TextViewModified() override { return false; }
  void ClearViews() override { selection_.Clear(); }
  void AddFolder(const std::string& name, uint16_t kind) override { selection_.AddGroup(name, kind); }
  std::string CurrentLocation() override { return selection_.CurrentLocation(host_.tree); }
  bool GoToLocation(const std::string&) override { return false; }
  void SelectFirstFolder() override { selection_.SelectGroup(0); }
  void SetTitle(const std::string&) override {}
  void RefreshBookmarkMenu() override {}
  void CloseMainWindow() override {}

  void GroupAdded(int group) override;
  void GroupRemoved(int group, bool wasSelected) override;
  void GroupsSwapped(int first, int second) override;
  void GroupSelected(int group) override;
  void ItemsLoaded(int group) override;
  void ItemsForgotten(int group) override;
  void ItemRemoved(int group, int item) override;
  void ItemSelected(int group, int item) override;

 private:
  vellora::LibrarySelection& selection_;
  CommandHost& host_;
  vellora::LibraryDocument* document_ = nullptr;
};

// A new library file with the content commands over it; what it holds is
// read back after it is saved and closed.
class CommandRig {
 public:
  CommandRig();
  ~CommandRig();

  // Selects the folder of this name and answers its group.
  int Select(const std::string& folderName);
  const vellora::StorageHandle& Current() const { return document.CurrentFolder(); }
  // A folder's storage for laying down content (the held one when current);
  // let go of it before the folder is selected.
  vellora::StorageHandle Folder(const std::string& name) const;
  // Saves, closes and opens the file again for reading: what is on disk.
  vellora::StorageHandle SavedRoot();

  DocumentRig rig;
  std::string path;
  std::string treeFolder, catalogFolder, secondCatalog;
  vellora::LibrarySelection selection;
  CommandHost host;
  SelectionDocumentHost documentHost;
  vellora::LibraryDocument document;
  vellora::ContentCommands commands;
};

// Reading back what a file holds.
std::string StreamText(const vellora::StorageHandle& storage, const std::string& name);
std::vector<vellora::CatalogItemEntry> ItemsIn(const vellora::StorageHandle& root, const std::string& folder);
// A catalog item's content stream.
std::string ItemContent(const vellora::StorageHandle& root, const std::string& folder, const std::string& item);
// A leaf node's content (the bytes behind its record).
std::string LeafContent(const vellora::StorageHandle& folder, const std::vector<std::string>& path);
std::vector<std::string> Titles(const std::vector<vellora::TreeNode>& nodes);
std::vector<std::string> Titles(const std::vector<vellora::CatalogItemEntry>& items);
// Lays down a catalog item with a content of its own.
void AddItem(const vellora::StorageHandle& folder, const std::string& name, int32_t itemId,
             const std::string& content);

}  // namespace vtest
