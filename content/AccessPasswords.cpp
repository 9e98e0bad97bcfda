#include "content/AccessPasswords.h"

#include <cstring>

#include "content/CatalogOperations.h"
#include "content/CommandIds.h"
#include "content/TreeNodes.h"

namespace vellora {

namespace {

constexpr UINT kTip = MB_OK | MB_ICONINFORMATION;

}  // namespace

PasswordChangeCheck CheckPasswordChange(const std::string& current, const std::string& typedOld,
                                        const std::string& typedNew, const std::string& typedConfirm) {
  if (!current.empty() && typedOld != current) return PasswordChangeCheck::WrongOldPassword;
  if (typedNew != typedConfirm) return PasswordChangeCheck::ConfirmationDiffers;
  return PasswordChangeCheck::Accepted;
}

void ApplyPassword(NodeInfoRecord& record, const std::string& password) {
  // SetPassword fills the whole field, so an empty one wipes the old bytes.
  record.SetPassword(password);
  if (password.empty()) record.flags = static_cast<uint16_t>(record.flags & ~kPasswordFlag);
  else record.flags = static_cast<uint16_t>(record.flags | kPasswordFlag);
}

void ApplyPassword(ItemInfoRecord& record, const std::string& password) {
  record.SetPassword(password);
  if (password.empty()) record.flags &= ~kPasswordFlag;
  else record.flags |= kPasswordFlag;
}

HRESULT WriteNodePassword(const StorageHandle& folder, const std::vector<std::string>& path,
                          const std::string& password) {
  if (path.empty()) return E_INVALIDARG;
  OpenedNode node;
  HRESULT hr = OpenNodeRecord(folder, path, false, node);
  if (FAILED(hr)) return hr;
  NodeInfoRecord record;
  // A short header is not made whole here: zeros would replace its kind.
  if (!ReadNodeInfo(node.Stream(), record, true)) return STG_E_READFAULT;
  ApplyPassword(record, password);
  return WriteNodeInfo(node.Stream(), record, true) ? S_OK : STG_E_WRITEFAULT;
}

HRESULT WriteItemPassword(const StorageHandle& folder, const std::string& elementName, const std::string& password) {
  StorageHandle item;
  StreamHandle info;
  HRESULT hr = OpenItemInfoForWriting(folder, elementName, item, info);
  if (FAILED(hr)) return hr;
  ItemInfoRecord record;
  if (!ReadItemInfo(info, record, true)) return STG_E_READFAULT;
  ApplyPassword(record, password);
  return WriteItemInfo(info, record, true) ? S_OK : STG_E_WRITEFAULT;
}

std::string LibraryPassword(const LibraryDocument& document) {
  return document.IsOpen() ? document.ReadSettingsSlot(kLibraryPasswordSlot).AsString() : std::string();
}

PasswordCommands::PasswordCommands(LibraryDocument& document, ContentPrompt& prompt, ContentHost& host,
                                   const TextSource& texts)
    : document_(document), prompt_(prompt), host_(host), texts_(texts) {}

std::span<const CommandEntry<PasswordCommands>> PasswordCommands::Map() {
  using P = PasswordCommands;
  static constexpr CommandEntry<P> kMap[] = {
      {ID_ITEM_ACCESS_PASSWORD, [](P& p, UINT) { p.SetAccessPassword(); }},
      {ID_TOOLS_LIBRARY_PASSWORD, [](P& p, UINT) { p.SetLibraryPassword(); }},
  };
  return kMap;
}

void PasswordCommands::SetAccessPassword() {
  const int group = host_.TargetGroup();
  if (host_.GroupKind(group) == kFolderTree) SetNodePassword();
  else SetItemPassword();
}

void PasswordCommands::SetNodePassword() {
  TreeAccess& tree = host_.Tree();
  NodeRef node = tree.Selected();
  TreeItemData* data = node ? tree.Data(node) : nullptr;
  if (!data) {
    prompt_.ShowMessage("Please select the tree item you want to set password first!", "Tip", kTip);
    return;
  }
  const std::string current = data->HasPassword() ? data->password : std::string();
  std::string chosen;
  if (!prompt_.AskNewPassword(current, chosen)) return;
  HRESULT hr = WriteNodePassword(document_.CurrentFolder(), tree.Path(node), chosen);
  if (FAILED(hr)) {
    prompt_.ShowMessage("The password could not be written into the node.", Text(kTextFailCaption, "Fail"),
                        MB_OK | MB_ICONWARNING);
    return;
  }
  document_.SetModified();
  data->password = CutToBytes(chosen, kMaxPasswordLength);
  data->flags = static_cast<uint16_t>(chosen.empty() ? data->flags & ~kPasswordFlag : data->flags | kPasswordFlag);
  if (!current.empty() && chosen.empty()) prompt_.ShowMessage("The item's password is cleared!", "Tip", kTip);
}

void PasswordCommands::SetItemPassword() {
  const int item = host_.TargetItem();
  const std::vector<CatalogItemEntry>& items = host_.Items();
  if (host_.TargetGroup() != host_.SelectedGroup() || item < 0 || item >= static_cast<int>(items.size())) {
    prompt_.ShowMessage("Please select the catalog item you want to set password first!", "Tip", kTip);
    return;
  }
  CatalogItemEntry entry = items[static_cast<size_t>(item)];
  const std::string current = entry.hasPassword ? entry.password : std::string();
  std::string chosen;
  if (!prompt_.AskNewPassword(current, chosen)) return;
  HRESULT hr = WriteItemPassword(document_.CurrentFolder(), entry.elementName, chosen);
  if (FAILED(hr)) {
    prompt_.ShowMessage("The password could not be written into the item.", Text(kTextFailCaption, "Fail"),
                        MB_OK | MB_ICONWARNING);
    return;
  }
  document_.SetModified();
  entry.hasPassword = !chosen.empty();
  entry.password = CutToBytes(chosen, kMaxPasswordLength);
  host_.UpdateItem(item, entry);
  if (!current.empty() && chosen.empty()) prompt_.ShowMessage("The item's password has been deleted!", "Tip", kTip);
}

void PasswordCommands::SetLibraryPassword() {
  const std::string current = LibraryPassword(document_);
  std::string chosen;
  if (!prompt_.AskNewPassword(current, chosen)) return;
  chosen = CutToBytes(chosen, kMaxPasswordLength);
  if (FAILED(document_.WriteSettingsSlot(kLibraryPasswordSlot, Variant::FromString(chosen)))) {
    prompt_.ShowMessage("The library password could not be stored.", Text(kTextFailCaption, "Fail"), MB_OK | MB_ICONWARNING);
    return;
  }
  if (!current.empty() && chosen.empty())
    prompt_.ShowMessage(Text(kTextLibraryPasswordRemoved, "The library password has been removed."), "Tip", kTip);
}

}  // namespace vellora
