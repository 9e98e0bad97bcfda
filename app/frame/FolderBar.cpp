#include "app/frame/FolderBar.h"

#include <commctrl.h>

#include "app/resources/ResourceIds.h"
#include "app/resources/ToolbarLayout.h"
#include "views/ItemIcons.h"

namespace vellora {

using namespace resources;

bool FolderBar::Create(HWND parent, UINT id, HWND notifyWindow) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  if (!outbar_.Create(parent, id)) return false;
  outbar_.SetNotifyWindow(notifyWindow);
  largeIcons_.Reset(ImageList_LoadImageA(instance, MAKEINTRESOURCEA(IDB_OUTBAR_LARGE), kOutbarLargeSize, 0,
                                         kImageMaskColor, IMAGE_BITMAP, LR_CREATEDIBSECTION));
  smallIcons_.Reset(ImageList_LoadImageA(instance, MAKEINTRESOURCEA(IDB_OUTBAR_SMALL), kOutbarSmallSize, 0,
                                         kImageMaskColor, IMAGE_BITMAP, LR_CREATEDIBSECTION));
  outbar_.SetImageLists(largeIcons_, smallIcons_);
  return true;
}

const FolderBar::Folder* FolderBar::FolderAt(int group) const {
  return group >= 0 && group < GroupCount() ? &folders_[static_cast<size_t>(group)] : nullptr;
}

std::string FolderBar::GroupName(int group) const {
  const Folder* folder = FolderAt(group);
  return folder ? folder->name : std::string();
}

uint16_t FolderBar::GroupKind(int group) const {
  const Folder* folder = FolderAt(group);
  return folder ? folder->kind : 0;
}

void FolderBar::AddGroup(const std::string& name, uint16_t kind) {
  folders_.push_back({name, kind});
  outbar_.AddGroup(name, static_cast<LPARAM>(folders_.size() - 1));
}

void FolderBar::RemoveGroup(int group) {
  if (!FolderAt(group)) return;
  outbar_.RemoveGroup(group);
  folders_.erase(folders_.begin() + group);
}

void FolderBar::RemoveAllGroups() {
  outbar_.RemoveAllGroups();
  folders_.clear();
}

void FolderBar::RenameGroup(int group, const std::string& name) {
  if (!FolderAt(group)) return;
  folders_[static_cast<size_t>(group)].name = name;
  outbar_.SetGroupText(group, name);
}

void FolderBar::SwapGroups(int first, int second) {
  if (!FolderAt(first) || !FolderAt(second)) return;
  std::swap(folders_[static_cast<size_t>(first)], folders_[static_cast<size_t>(second)]);
  outbar_.SwapGroups(first, second);
}

void FolderBar::SelectGroup(int group) {
  if (FolderAt(group)) outbar_.SetSelectedGroup(group, true);
}

void FolderBar::FillOnce(int group,
                         const std::function<void(const std::string& folder, std::vector<CatalogItemEntry>&)>& read) {
  if (!FolderAt(group)) return;
  Folder& catalog = folders_[static_cast<size_t>(group)];
  if (catalog.loaded) return;
  read(catalog.name, catalog.items);
  outbar_.RemoveAllItems(group);
  std::vector<OutlookBar::NewItem> rows;
  rows.reserve(catalog.items.size());
  for (const CatalogItemEntry& item : catalog.items) rows.push_back({item.title, ItemImage(item), item.itemId});
  outbar_.AddItems(group, rows);  // one layout for the whole folder
  catalog.loaded = true;
}

std::vector<CatalogItemEntry>* FolderBar::ShownItems() {
  const int group = SelectedGroup();
  return FolderAt(group) ? &folders_[static_cast<size_t>(group)].items : nullptr;
}

const std::vector<CatalogItemEntry>& FolderBar::Items() const {
  static const std::vector<CatalogItemEntry> none;
  const Folder* folder = SelectedFolder();
  return folder ? folder->items : none;
}

void FolderBar::ForgetItems(const std::string& folderName) {
  for (int g = 0; g < GroupCount(); ++g) {
    Folder& folder = folders_[static_cast<size_t>(g)];
    if (folder.name != folderName || g == SelectedGroup()) continue;
    folder.loaded = false;
    folder.items.clear();
    outbar_.RemoveAllItems(g);
  }
}

int FolderBar::ItemImage(const CatalogItemEntry& item) {
  const int byKind = OutbarImageForKind(item.kind);
  if (item.iconPath.empty()) return byKind;
  auto known = iconImages_.find(item.iconPath);
  if (known == iconImages_.end())
    known = iconImages_.emplace(item.iconPath, AddItemIconImage(largeIcons_, smallIcons_, item.iconPath, -1)).first;
  return known->second >= 0 ? known->second : byKind;
}

void FolderBar::AddItem(const CatalogItemEntry& entry) {
  std::vector<CatalogItemEntry>* items = ShownItems();
  if (!items) return;
  items->push_back(entry);
  outbar_.AddItem(SelectedGroup(), entry.title, ItemImage(entry), entry.itemId);
}

void FolderBar::RemoveItem(int item) {
  std::vector<CatalogItemEntry>* items = ShownItems();
  if (!items || item < 0 || item >= static_cast<int>(items->size())) return;
  outbar_.RemoveItem(SelectedGroup(), item);
  items->erase(items->begin() + item);
}

void FolderBar::UpdateItem(int item, const CatalogItemEntry& entry) {
  std::vector<CatalogItemEntry>* items = ShownItems();
  if (!items || item < 0 || item >= static_cast<int>(items->size())) return;
  const int group = SelectedGroup();
  const bool newIcon = entry.iconPath != (*items)[static_cast<size_t>(item)].iconPath;
  (*items)[static_cast<size_t>(item)] = entry;
  outbar_.SetItemText(group, item, entry.title);
  outbar_.SetItemData(group, item, entry.itemId);
  if (newIcon) {
    // An icon that does not load leaves the item's picture as it was; a
    // file chosen again is read again (it may have changed).
    iconImages_.erase(entry.iconPath);
    int image = ItemImage(entry);
    if (image != OutbarImageForKind(entry.kind)) outbar_.SetItemImage(group, item, image);
  }
}

void FolderBar::SwapItems(int first, int second) {
  std::vector<CatalogItemEntry>* items = ShownItems();
  const int count = items ? static_cast<int>(items->size()) : 0;
  if (!items || first < 0 || second < 0 || first >= count || second >= count) return;
  std::swap((*items)[static_cast<size_t>(first)], (*items)[static_cast<size_t>(second)]);
  outbar_.SwapItems(SelectedGroup(), first, second);
}

}  // namespace vellora
