// Content commands of the item clipboard (Copy Item, Cut Item, Paste Item)
// and Set as Title.
#include "content/CatalogOperations.h"
#include "content/ContentCommands.h"

namespace vellora {

namespace {

constexpr UINT kWarning = MB_OK | MB_ICONWARNING;

// Item kinds a tree leaf can carry: text and the two web page forms.
bool LeafKind(uint16_t kind) { return kind == kItemText || kind == kItemWebLink || kind == kItemWebArchive; }

// A title is one line: the line breaks (and other control characters) of a
// selection over several paragraphs become one space each run. No trail
// byte of a double-byte character lies below 0x20.
std::string OneLine(const std::string& text) {
  std::string line;
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x20) line.push_back(c);
    else if (line.empty() || line.back() != ' ') line.push_back(' ');
  }
  return line;
}

}  // namespace

void ContentCommands::CopyItem(bool cut) {
  clipboard_ = ItemClipboard{};
  const int group = host_.SelectedGroup();
  if (group < 0) return;
  // Edits not stored yet belong to what is copied.
  host_.StoreShownItem();
  clipboard_.sourceFolder = CurrentFolderName();
  clipboard_.cut = cut;
  if (host_.GroupKind(group) == kFolderTree) {
    TreeAccess& tree = host_.Tree();
    NodeRef node = tree.Selected();
    const TreeItemData* data = node ? tree.Data(node) : nullptr;
    if (!data) return;
    clipboard_.state = ItemClipboard::kNode;
    clipboard_.sourcePath = tree.Path(node);
    clipboard_.folderNode = data->isFolderNode;
    clipboard_.itemKind = data->kind;
    if (cut && !CanDrag(node)) {
      clipboard_.cut = false;
      Message("Sorry but you can not cut single leafe node!\n\nChange to copy node.", "Tip", kWarning);
    }
    return;
  }
  const int item = host_.TargetItem();
  if (item < 0 || item >= static_cast<int>(host_.Items().size())) return;
  const CatalogItemEntry& entry = host_.Items()[static_cast<size_t>(item)];
  clipboard_.state = ItemClipboard::kItem;
  clipboard_.sourcePath = {entry.elementName};
  clipboard_.itemKind = entry.kind;
}

void ContentCommands::PasteItem() {
  const int group = host_.SelectedGroup();
  if (clipboard_.state == ItemClipboard::kEmpty || group < 0) return;
  host_.StoreShownItem();
  if (host_.GroupKind(group) == kFolderTree) PasteIntoTree();
  else PasteIntoCatalog();
}

void ContentCommands::PasteIntoTree() {
  TreeAccess& tree = host_.Tree();
  NodeRef target = tree.Selected();
  NodeRef parent = target ? tree.Parent(target) : nullptr;
  const bool sameFolder = clipboard_.sourceFolder == CurrentFolderName();
  const bool cut = clipboard_.cut;

  if (clipboard_.state == ItemClipboard::kNode && sameFolder) {
    NodeRef node = tree.Find(clipboard_.sourcePath);
    if (!node) {
      Message("The copied node is no longer there.", "Tip", kWarning);
      ClearClipboard();
      return;
    }
    if (target && IsAncestor(node, target)) {
      Message("Can not move a node under its child!", "Error Copy ", kWarning);
      return;
    }
    // Pasted onto itself nothing moves, and the clipboard keeps what it holds.
    if (target == node) return;
    MoveNodeTo(node, target, !cut);
    if (cut) ClearClipboard();
    return;
  }

  // From another folder: the node with its branch, or a catalog item made a leaf.
  if (clipboard_.state == ItemClipboard::kItem && !LeafKind(clipboard_.itemKind)) {
    Message(Text(kTextPasteIntoTreeRefused, "This item cannot be pasted into a tree."), "Tip", kWarning);
    return;
  }
  bool isCurrent = false;
  StorageHandle source = document_.OpenFolder(clipboard_.sourceFolder, !cut, isCurrent);
  if (source.Empty()) {
    Message("The folder the item was copied from is no longer there.", "Tip", kWarning);
    ClearClipboard();
    return;
  }
  const TreeItemData* at = target ? tree.Data(target) : nullptr;
  const int32_t sequence = at ? at->sequence : NextSequenceUnder(nullptr, nullptr);
  const NodePath parentPath = parent ? tree.Path(parent) : NodePath{};
  std::string elementName;
  HRESULT hr = E_FAIL;
  if (clipboard_.state == ItemClipboard::kNode) {
    hr = CopyNode(source, clipboard_.sourcePath, Folder(), parentPath, sequence, cut, elementName);
    if (SUCCEEDED(hr) && cut && clipboard_.sourcePath.size() > 1) {
      // A folder node left without children in the other folder is a leaf again.
      NodePath sourceParent(clipboard_.sourcePath.begin(), clipboard_.sourcePath.end() - 1);
      NodeContainer left;
      if (SUCCEEDED(left.Open(source, sourceParent, true)) && CountChildNodes(left.Storage()) == 0) {
        left.Release();
        ConvertToLeaf(source, sourceParent);
      }
    }
  } else {
    const std::string& itemName = clipboard_.sourcePath.front();
    NodeContainer container;
    hr = container.Open(Folder(), parentPath);
    if (SUCCEEDED(hr))
      hr = CreateUnderFreeName(
          DisplayName(itemName),
          [&](const char* name) {
            return CatalogItemToLeafNode(source, itemName.c_str(), container.Storage(), name, sequence, cut);
          },
          elementName);
  }
  if (FAILED(hr)) {
    Message("The item could not be pasted here.", Text(kTextFailCaption, "Fail"), kWarning);
    return;
  }
  document_.SetModified();
  if (cut) {
    if (clipboard_.state == ItemClipboard::kItem) host_.ForgetItems(clipboard_.sourceFolder);
    ClearClipboard();
  }
  TreeNode pasted;
  ReadTreeNode(Folder(), parentPath, elementName, pasted);
  NodeRef placed = tree.InsertBranch(parent, pasted);
  if (!placed) return;
  Renumber(parent, placed, target);
  tree.Select(placed);
}

void ContentCommands::PasteIntoCatalog() {
  const bool sameFolder = clipboard_.sourceFolder == CurrentFolderName();
  const bool cut = clipboard_.cut;
  if (clipboard_.state == ItemClipboard::kNode && clipboard_.folderNode) {
    Message("A node with children cannot become a catalog item.", "Tip", kWarning);
    return;
  }
  const std::string sourceName = clipboard_.sourcePath.back();
  std::string name = DisplayName(sourceName);
  std::string replaced;
  for (;;) {
    std::string existing = ExistingItemTitled(Folder(), name);
    if (existing.empty()) break;
    char answer = AskCollision(Text(kTextItemCollisionSubject, "An item with this title"), name, true);
    if (answer == 'c') return;
    if (answer == 'r') {
      replaced = existing;
      break;
    }
  }
  if (clipboard_.state == ItemClipboard::kItem && sameFolder && cut &&
      lstrcmpiA(replaced.c_str(), sourceName.c_str()) == 0) {
    // A cut item pasted over itself: nothing changes.
    ClearClipboard();
    return;
  }
  const int replacedAt = replaced.empty() ? -1 : FindItemNamed(host_.Items(), replaced);
  if (replacedAt >= 0 && replacedAt == host_.SelectedItem()) host_.LeaveShownItem();
  const std::string targetName = replaced.empty() ? name : replaced;
  const int32_t itemId = LargestItemId(Folder()) + 1;
  bool isCurrent = false;
  StorageHandle source = document_.OpenFolder(clipboard_.sourceFolder, !cut, isCurrent);
  if (source.Empty()) {
    Message("The folder the item was copied from is no longer there.", "Tip", kWarning);
    ClearClipboard();
    return;
  }
  HRESULT hr = E_FAIL;
  std::string madeName;
  if (clipboard_.state == ItemClipboard::kItem) {
    hr = CopyCatalogItem(source, sourceName, Folder(), targetName, itemId, !replaced.empty());
    madeName = targetName;
  } else {
    // A leaf becomes an item under a free name first, and takes the name it
    // should have only after the copy is complete.
    NodePath parentPath(clipboard_.sourcePath.begin(), clipboard_.sourcePath.end() - 1);
    NodeContainer container;
    hr = container.Open(source, parentPath, true);
    if (SUCCEEDED(hr))
      hr = CreateUnderFreeName(
          targetName,
          [&](const char* candidate) {
            return LeafNodeToCatalogItem(container.Storage(), sourceName.c_str(), Folder(), candidate, itemId, false);
          },
          madeName);
    if (SUCCEEDED(hr) && !replaced.empty() && madeName != replaced) {
      if (SUCCEEDED(Folder().DestroyElement(replaced.c_str())) &&
          SUCCEEDED(Folder().RenameElement(madeName.c_str(), replaced.c_str())))
        madeName = replaced;
    }
  }
  if (FAILED(hr)) {
    Message("The item could not be pasted here.", Text(kTextFailCaption, "Fail"), kWarning);
    return;
  }
  document_.SetModified();
  document_.SetItemCounter(itemId);
  if (cut) {
    if (clipboard_.state == ItemClipboard::kItem) {
      const int shownSource = sameFolder ? FindItemNamed(host_.Items(), sourceName) : -1;
      if (shownSource >= 0 && shownSource == host_.SelectedItem()) host_.LeaveShownItem();
      source.DestroyElement(sourceName.c_str());
      if (shownSource >= 0) host_.RemoveItem(shownSource);
      if (!sameFolder) host_.ForgetItems(clipboard_.sourceFolder);
    } else {
      bool emptied = false;
      DeleteNode(source, clipboard_.sourcePath, emptied);
      if (emptied) ConvertToLeaf(source, NodePath(clipboard_.sourcePath.begin(), clipboard_.sourcePath.end() - 1));
    }
    ClearClipboard();
  }
  CatalogItemEntry entry;
  ReadCatalogItem(Folder(), madeName, entry);
  int at = FindItemNamed(host_.Items(), madeName);
  if (at >= 0) {
    host_.UpdateItem(at, entry);
  } else {
    host_.AddItem(entry);
    at = static_cast<int>(host_.Items().size()) - 1;
  }
  host_.SelectItem(at);
}

void ContentCommands::SetAsTitle() {
  std::string text = OneLine(host_.SelectedText());
  if (text.find_first_not_of(' ') == std::string::npos) {
    Message("No selected text!", "Tip", kWarning);
    return;
  }
  const std::string title = CleanNodeTitle(text, kSetTitleBytes);
  const int group = host_.SelectedGroup();
  if (group < 0) return;
  if (host_.GroupKind(group) == kFolderTree) {
    NodeRef node = host_.Tree().Selected();
    if (!node) {
      Message("Please select a tree node.", "Tip", kWarning);
      return;
    }
    RenameNodeTo(node, title);
    return;
  }
  const int item = host_.SelectedItem();
  if (item < 0 || item >= static_cast<int>(host_.Items().size())) return;
  CatalogItemEntry entry = host_.Items()[static_cast<size_t>(item)];
  if (title == entry.elementName) return;
  host_.LeaveShownItem();
  if (FAILED(Folder().RenameElement(entry.elementName.c_str(), title.c_str()))) {
    Message("Sorry, there can not be two item with a same name!", "Tip", kWarning);
  } else {
    document_.SetModified();
    entry.elementName = title;
    entry.title = title;
    host_.UpdateItem(item, entry);
  }
  host_.ShowSelection();
}

}  // namespace vellora
