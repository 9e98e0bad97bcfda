#pragma once
// The content commands of the main window: folders, catalog items, tree
// nodes, the item clipboard and Set as Title. They change the library through
// the document and the content operations, ask the user only through the
// prompt interface and update the windows only through the host, so every
// path runs in tests with scripted answers.
#include <windows.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "content/CommandHandler.h"
#include "content/ContentHost.h"
#include "content/ContentPrompt.h"
#include "content/NodeOperations.h"
#include "store/LibraryDocument.h"
#include "store/Services.h"

namespace vellora {

struct WebPageContent;
class BranchNotes;

// The item clipboard: what Copy Item and Cut Item recorded for Paste Item.
struct ItemClipboard {
  enum State { kNode = 1, kItem = 2, kEmpty = 3 };
  int state = kEmpty;
  uint16_t itemKind = 0;    // the copied item's kind (a node: its leaf kind)
  bool folderNode = false;  // a node with children
  std::string sourceFolder;
  NodePath sourcePath;      // a node: its path in the folder; an item: its element name
  bool cut = false;
};

class ContentCommands : public CommandHandler {
 public:
  ContentCommands(LibraryDocument& document, ContentPrompt& prompt, ContentHost& host, const TextSource& texts);

  // Runs the command when it is one of the content commands.
  bool Handle(UINT id) override;
  // Whether id is one of the content commands.
  static bool Handles(UINT id) { return FindEntry(Map(), id) != nullptr; }

  const ItemClipboard& Clipboard() const { return clipboard_; }
  void ClearClipboard() { clipboard_ = ItemClipboard{}; }
  // A "New Item" node waits for the end of its label edit.
  bool NewNodePending() const { return pendingNode_ != nullptr; }

  // ---- the tree's notifications ----
  // Whether a label edit may start (no edit under the read-only lock).
  bool CanEditLabel(bool readOnly) const { return !readOnly || pendingNode_; }
  // The end of a label edit (text null: cancelled). Answers whether the
  // control keeps the edited text (the node's title is set here already).
  bool EndLabelEdit(NodeRef node, const char* text);
  // A dragged node dropped on target.
  void DropNode(NodeRef dragged, NodeRef target);
  // Whether a node may be dragged: only one that has a sibling.
  bool CanDrag(NodeRef node) const;

  // ---- single operations (also reached through Handle) ----
  void NewFolder();
  void DeleteFolder();
  void RenameFolder();
  void MoveFolder(int delta);
  void NewCatalogItem();
  void DeleteCatalogItem();
  void RenameCatalogItem();
  void MoveCatalogItem(int delta);
  void CustomItemIcon();
  void AddNode(UINT how);
  void RenameNodeTitle();
  void DeleteSelectedNode();
  void ShowProperty();
  void CopyItem(bool cut);
  void PasteItem();
  void SetAsTitle();
  void ImportWebPage();
  // The branch, folder or library as a web page or files (by the command's id).
  void ExportReadable(UINT id);
  // The notes that Print Branch or Print Folder (by the command's id) prints,
  // with the passwords asked and what was left out told; false when there
  // is nothing to print (the user was told why) or the user cancelled.
  // name: the branch's or the folder's title.
  bool GatherNotesToPrint(UINT id, BranchNotes& out, std::string& name);
  void ExportFolders();
  void ImportFolders();
  void ImportTextFile();
  void ExportTextFile();

 private:
  static std::span<const CommandEntry<ContentCommands>> Map();

  // The leaf or catalog item an import goes into.
  struct ImportTarget {
    bool tree = false;
    NodeRef node = nullptr;
    TreeItemData* data = nullptr;
    int item = -1;
    CatalogItemEntry entry;
    std::string title;
  };
  // The selected target, after the selection messages (noNode: the tree's);
  // false when there is none, or when it has no content of its own (a
  // folder node, or a catalog item of a kind that is not in kinds).
  bool SelectImportTarget(const char* noNode, std::initializer_list<uint16_t> kinds, ImportTarget& out);
  // Writes the kind and the content into the target (a tab pages item: its
  // shown page, whatever it was), the shown item let go before and shown
  // again after; failure: the message told when it could not be written.
  void WriteImport(ImportTarget& target, const WebPageContent& content, const std::string& failure);
  std::string Text(TextKey key, const char* fallback) const { return texts_.TextOr(key, fallback); }
  int Message(const std::string& text, const std::string& caption, UINT type) {
    return prompt_.ShowMessage(text, caption, type);
  }
  // The name-collision query: 'r'eplace, 'n'ew name entered (in name), 'c'ancel.
  char AskCollision(const std::string& subject, std::string& name, bool pasting);
  const StorageHandle& Folder() const { return document_.CurrentFolder(); }
  std::string CurrentFolderName() const { return document_.CurrentFolderName(); }

  // Nodes.
  NodeRef CreatePendingNode(NodeRef node, const std::string& title);
  int32_t NextSequenceUnder(NodeRef parent, NodeRef except) const;
  // Places node before target among target's siblings: node takes target's
  // number, target and every later sibling move up by one.
  void Renumber(NodeRef parent, NodeRef node, NodeRef target);
  bool IsAncestor(NodeRef ancestor, NodeRef node) const;
  void AfterChildRemoved(NodeRef parent);
  bool RenameNodeTo(NodeRef node, const std::string& title);
  void MoveNodeTo(NodeRef node, NodeRef target, bool copy);

  // Clipboard.
  void PasteIntoTree();
  void PasteIntoCatalog();

  LibraryDocument& document_;
  ContentPrompt& prompt_;
  ContentHost& host_;
  const TextSource& texts_;
  ItemClipboard clipboard_;
  NodeRef pendingNode_ = nullptr;
};

}  // namespace vellora
