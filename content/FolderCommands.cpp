// Content commands on folders, catalog items and node properties, and the
// content command map.
#include <windows.h>
#include <commdlg.h>

#include <cstdio>

#include "content/CatalogOperations.h"
#include "content/CommandIds.h"
#include "content/ContentCommands.h"

namespace vellora {

namespace {

// A string-table text with printf placeholders, filled in.
template <class... Args>
std::string Format(const std::string& format, Args... args) {
  int n = std::snprintf(nullptr, 0, format.c_str(), args...);
  if (n <= 0) return format;
  std::string out(static_cast<size_t>(n) + 1, '\0');
  std::snprintf(out.data(), out.size(), format.c_str(), args...);
  out.resize(static_cast<size_t>(n));
  return out;
}

constexpr UINT kWarning = MB_OK | MB_ICONWARNING;
constexpr UINT kInformation = MB_OK | MB_ICONINFORMATION;

}  // namespace

ContentCommands::ContentCommands(LibraryDocument& document, ContentPrompt& prompt, ContentHost& host,
                                 const TextSource& texts)
    : document_(document), prompt_(prompt), host_(host), texts_(texts) {}

std::span<const CommandEntry<ContentCommands>> ContentCommands::Map() {
  using C = ContentCommands;
  static constexpr CommandEntry<C> kMap[] = {
      {ID_FOLDER_NEW, [](C& c, UINT) { c.NewFolder(); }},
      {ID_FOLDER_DELETE, [](C& c, UINT) { c.DeleteFolder(); }},
      {ID_FOLDER_RENAME, [](C& c, UINT) { c.RenameFolder(); }},
      {ID_FOLDER_MOVE_UP, [](C& c, UINT) { c.MoveFolder(-1); }},
      {ID_FOLDER_MOVE_DOWN, [](C& c, UINT) { c.MoveFolder(1); }},
      {ID_CATALOG_NEW, [](C& c, UINT) { c.NewCatalogItem(); }},
      {ID_CATALOG_DELETE, [](C& c, UINT) { c.DeleteCatalogItem(); }},
      {ID_CATALOG_RENAME, [](C& c, UINT) { c.RenameCatalogItem(); }},
      {ID_CATALOG_MOVE_UP, [](C& c, UINT) { c.MoveCatalogItem(-1); }},
      {ID_CATALOG_MOVE_DOWN, [](C& c, UINT) { c.MoveCatalogItem(1); }},
      {ID_ITEM_CUSTOM_ICON, [](C& c, UINT) { c.CustomItemIcon(); }},
      {ID_NODE_ADD_ROOT, [](C& c, UINT id) { c.AddNode(id); }},
      {ID_NODE_ADD_CHILD, [](C& c, UINT id) { c.AddNode(id); }},
      {ID_NODE_ADD_SIBLING, [](C& c, UINT id) { c.AddNode(id); }},
      {ID_NODE_RENAME, [](C& c, UINT) { c.RenameNodeTitle(); }},
      {ID_NODE_DELETE, [](C& c, UINT) { c.DeleteSelectedNode(); }},
      {ID_NODE_PROPERTY, [](C& c, UINT) { c.ShowProperty(); }},
      {ID_ITEM_COPY, [](C& c, UINT) { c.CopyItem(false); }},
      {ID_ITEM_CUT, [](C& c, UINT) { c.CopyItem(true); }},
      {ID_ITEM_PASTE, [](C& c, UINT) { c.PasteItem(); }},
      {ID_EDIT_SET_TITLE, [](C& c, UINT) { c.SetAsTitle(); }},
      {ID_IMPORT_HTML, [](C& c, UINT) { c.ImportWebPage(); }},
      {ID_EXPORT_BRANCH_READABLE, [](C& c, UINT id) { c.ExportReadable(id); }},
      {ID_EXPORT_FOLDER_READABLE, [](C& c, UINT id) { c.ExportReadable(id); }},
      {ID_EXPORT_LIBRARY_READABLE, [](C& c, UINT id) { c.ExportReadable(id); }},
      {ID_FILE_EXPORT_FOLDERS, [](C& c, UINT) { c.ExportFolders(); }},
      {ID_FILE_IMPORT_FOLDERS, [](C& c, UINT) { c.ImportFolders(); }},
      {ID_IMPORT_TEXT, [](C& c, UINT) { c.ImportTextFile(); }},
      {ID_EXPORT_TEXT, [](C& c, UINT) { c.ExportTextFile(); }},
  };
  return kMap;
}

bool ContentCommands::Handle(UINT id) { return RunEntry(Map(), *this, id); }

char ContentCommands::AskCollision(const std::string& subject, std::string& name, bool pasting) {
  const std::string text = Format(Text(kTextNameCollisionQuestion, "%s already exists."), subject.c_str());
  int answer = Message(text, "Query", MB_YESNOCANCEL | MB_ICONQUESTION);
  if (answer == IDYES) return 'r';
  if (answer != IDNO) return 'c';
  std::string entered;
  if (!prompt_.AskName(pasting ? "Rename pasting item" : "Rename adding item", name, entered)) return 'c';
  name = entered;
  return 'n';
}

// ---- folders --------------------------------------------------------------------

void ContentCommands::NewFolder() {
  NewFolderRequest request;
  if (!prompt_.AskNewFolder(request)) return;
  std::string name = request.name;
  std::string replaced;
  for (;;) {
    std::string existing = ExistingElement(document_.Root(), name);
    if (existing.empty()) break;
    char answer = AskCollision(Text(kTextFolderCollisionSubject, "A folder with this name"), name, false);
    if (answer == 'c') return;
    if (answer == 'n') continue;
    // Only a folder can be replaced, never what the library keeps for itself.
    if (IsReservedElementName(existing) || !document_.Folders().count(existing)) {
      Message("\"" + name + "\" is a name the library keeps for itself.\nPlease choose another name.",
              Text(kTextTipCaption, "Tip"), kWarning);
      continue;
    }
    replaced = existing;
    break;
  }
  if (!replaced.empty()) {
    int group = -1;
    for (int g = 0; g < host_.GroupCount(); ++g)
      if (host_.GroupName(g) == replaced) group = g;
    if (group >= 0 && group == host_.SelectedGroup()) host_.LeaveShownItem();
    if (FAILED(document_.DeleteFolder(replaced))) {
      Message("The folder \"" + replaced + "\" could not be replaced.", Text(kTextFailCaption, "Fail"), kWarning);
      return;
    }
    if (group >= 0) host_.RemoveGroup(group);
  }
  if (FAILED(document_.CreateFolder(name, request.kind))) {
    Message("The folder \"" + name + "\" could not be created.", Text(kTextFailCaption, "Fail"), kWarning);
    return;
  }
  host_.AddGroup(name, request.kind);
  if (host_.SelectedGroup() < 0) host_.SelectGroup(host_.GroupCount() - 1);
}

void ContentCommands::DeleteFolder() {
  const int group = host_.TargetGroup();
  if (group < 0) return;
  if (host_.GroupCount() <= 1) {
    Message(Text(kTextLastFolderStays, "The last folder cannot be deleted."), "Tip", kInformation);
    return;
  }
  const std::string name = host_.GroupName(group);
  const std::string question = Format(Text(kTextDeleteFolderQuestion, "Delete the folder \"%s\"?"), name.c_str(), name.c_str());
  if (Message(question, Text(kTextQueryCaption, "Query"), MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  const bool wasSelected = group == host_.SelectedGroup();
  // The shown view and the folder's storage let go before the folder goes.
  if (wasSelected) host_.LeaveShownItem();
  if (FAILED(document_.DeleteFolder(name))) {
    Message("The folder \"" + name + "\" could not be deleted.", Text(kTextFailCaption, "Fail"), kWarning);
    if (wasSelected) host_.SelectGroup(group);
    return;
  }
  host_.RemoveGroup(group);
  if (wasSelected) host_.SelectGroup(group < host_.GroupCount() ? group : host_.GroupCount() - 1);
}

void ContentCommands::RenameFolder() {
  const int group = host_.TargetGroup();
  if (group < 0) return;
  const std::string old = host_.GroupName(group);
  std::string name;
  if (!prompt_.AskName(Format(Text(kTextRenameFolderCaption, "Rename Folder \"%s\""), old.c_str()), old, name) || name == old) return;
  if (group == host_.SelectedGroup()) host_.StoreShownItem();
  if (!document_.RenameFolder(old, name)) {
    Message(Text(kTextFolderNameTaken, "The folder name is already taken."), "Tip", kWarning);
    return;
  }
  host_.RenameGroup(group, name);
}

void ContentCommands::MoveFolder(int delta) {
  const int group = host_.TargetGroup();
  const int other = group + delta;
  // The first folder does not go up, nor the last down.
  if (group < 0 || other < 0 || other >= host_.GroupCount()) return;
  if (FAILED(document_.SwapFolderOrders(host_.GroupName(group), host_.GroupName(other)))) return;
  host_.SwapGroups(group, other);
}

// ---- catalog items ----------------------------------------------------------------

void ContentCommands::NewCatalogItem() {
  if (host_.SelectedGroup() < 0 || host_.GroupKind(host_.SelectedGroup()) != kFolderCatalog) return;
  NewItemRequest request;
  if (!prompt_.AskNewItem(request)) return;
  std::string name = request.title;
  std::string replaced;
  for (;;) {
    std::string existing = ExistingItemTitled(Folder(), name);
    if (existing.empty()) break;
    char answer = AskCollision(Text(kTextItemCollisionSubject, "An item with this title"), name, false);
    if (answer == 'c') return;
    if (answer == 'r') {
      replaced = existing;
      break;
    }
  }
  const int replacedAt = replaced.empty() ? -1 : FindItemNamed(host_.Items(), replaced);
  if (replacedAt >= 0 && replacedAt == host_.SelectedItem()) host_.LeaveShownItem();
  // Replacing keeps the existing element's own spelling of the name.
  const std::string elementName = replaced.empty() ? name : replaced;
  const int32_t itemId = LargestItemId(Folder()) + 1;
  if (FAILED(CreateCatalogItem(Folder(), request, elementName, itemId))) {
    Message("The item \"" + name + "\" could not be created.", Text(kTextFailCaption, "Fail"), kWarning);
    return;
  }
  document_.SetModified();
  document_.SetItemCounter(itemId);
  CatalogItemEntry entry;
  ReadCatalogItem(Folder(), elementName, entry);
  if (replacedAt >= 0) {
    host_.UpdateItem(replacedAt, entry);
    host_.SelectItem(replacedAt);
  } else {
    host_.AddItem(entry);
  }
}

void ContentCommands::DeleteCatalogItem() {
  const int item = host_.TargetItem();
  if (item < 0 || item >= static_cast<int>(host_.Items().size())) return;
  if (Message(Text(kTextDeleteItemQuestion, "Delete this item?"), Text(kTextQueryCaption, "Query"), MB_YESNO | MB_ICONINFORMATION) != IDYES) return;
  const std::string name = host_.Items()[static_cast<size_t>(item)].elementName;
  const bool shown = item == host_.SelectedItem();
  if (shown) host_.LeaveShownItem();
  if (FAILED(Folder().DestroyElement(name.c_str()))) {
    Message("The item could not be deleted.", Text(kTextFailCaption, "Fail"), kWarning);
    return;
  }
  document_.SetModified();
  host_.RemoveItem(item);
  if (shown) host_.ShowSelection();
}

void ContentCommands::RenameCatalogItem() {
  const int item = host_.TargetItem();
  if (item < 0 || item >= static_cast<int>(host_.Items().size())) return;
  CatalogItemEntry entry = host_.Items()[static_cast<size_t>(item)];
  std::string name;
  if (!prompt_.AskName(Format(Text(kTextRenameItemCaption, "Rename Item \"%s\""), entry.title.c_str()), entry.elementName, name) ||
      name == entry.elementName)
    return;
  const bool shown = item == host_.SelectedItem();
  if (shown) host_.LeaveShownItem();
  if (FAILED(Folder().RenameElement(entry.elementName.c_str(), name.c_str()))) {
    Message(Text(kTextRenameItemFailed, "The item could not be renamed."), "Tip", kWarning);
  } else {
    document_.SetModified();
    entry.elementName = name;
    entry.title = DisplayName(name);
    host_.UpdateItem(item, entry);
  }
  if (shown) host_.ShowSelection();
}

void ContentCommands::MoveCatalogItem(int delta) {
  const int item = host_.TargetItem();
  const int other = item + delta;
  const auto& items = host_.Items();
  if (item < 0 || other < 0 || other >= static_cast<int>(items.size())) return;
  if (FAILED(SwapItemIds(Folder(), items[static_cast<size_t>(item)].elementName,
                         items[static_cast<size_t>(other)].elementName)))
    return;
  document_.SetModified();
  CatalogItemEntry a = items[static_cast<size_t>(item)], b = items[static_cast<size_t>(other)];
  std::swap(a.itemId, b.itemId);
  host_.UpdateItem(item, a);
  host_.UpdateItem(other, b);
  host_.SwapItems(item, other);
  host_.SelectItem(other);
}

void ContentCommands::CustomItemIcon() {
  const int item = host_.TargetItem();
  if (item < 0 || item >= static_cast<int>(host_.Items().size())) return;
  FileDialogRequest request;
  request.title = Text(kTextItemIconTitle, "Choose Item Icon");
  request.filter = Text(kTextItemIconFilter, "Icons (*.ico)|*.ico|");
  request.flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_FILEMUSTEXIST;
  std::string path;
  if (!prompt_.ChooseFile(request, path)) return;
  CatalogItemEntry entry = host_.Items()[static_cast<size_t>(item)];
  if (FAILED(WriteItemIcon(Folder(), entry.elementName, path))) {
    Message("The icon could not be stored with the item.", Text(kTextFailCaption, "Fail"), kWarning);
    return;
  }
  document_.SetModified();
  entry.iconPath = path;
  host_.UpdateItem(item, entry);
}

// ---- node properties ------------------------------------------------------------------

void ContentCommands::ShowProperty() {
  TreeAccess& tree = host_.Tree();
  NodeRef node = tree.Selected();
  if (!node) {
    Message("Please select a tree node", "Tip", kWarning);
    return;
  }
  NodeStatistics statistics;
  ReadNodeStatistics(Folder(), tree.Path(node), statistics);
  NodeProperties properties;
  properties.title = tree.Title(node);
  NodeRef parent = tree.Parent(node);
  properties.category = parent ? tree.Title(parent) : properties.title;
  properties.size = statistics.size;
  properties.folderNode = statistics.folderNode;
  properties.children = statistics.children;
  FileTimeToSystemTime(&statistics.created, &properties.created);
  FileTimeToSystemTime(&statistics.modified, &properties.modified);
  FileTimeToSystemTime(&statistics.accessed, &properties.accessed);
  prompt_.ShowNodeProperties(properties);
}

}  // namespace vellora
