#include "app/frame/FolderBar.h"

#include <commctrl.h>

#include "controls/ImageStrip.h"
#include "app/resources/ResourceIds.h"
#include "app/resources/ToolbarLayout.h"
#include "views/ItemIcons.h"

namespace vellora {

using namespace resources;

bool FolderBar::Create(HWND parent, UINT id, HWND notifyWindow) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  if (!outbar_.Create(parent, id)) return false;
  outbar_.SetNotifyWindow(notifyWindow);
  // The two strips hold the same pictures: above 96 DPI the small icons come
  // from the large ones, drawn down rather than blown up.
  const std::initializer_list<DrawnStrip> strips = {{IDB_OUTBAR_SMALL, kOutbarSmallSize},
                                                    {IDB_OUTBAR_LARGE, kOutbarLargeSize}};
  largeIcons_.Reset(LoadImageListChosenBySize(instance, strips, kOutbarLargeSize, kImageMaskColor));
  smallIcons_.Reset(LoadImageListChosenBySize(instance, strips, kOutbarSmallSize, kImageMaskColor));
  outbar_.SetImageLists(largeIcons_, smallIcons_);
  return true;
}

void FolderBar::GroupSelected(int group) {
  if (outbar_.SelectedGroup() != group) outbar_.SetSelectedGroup(group, false);
  const int item = selection_.SelectedItemOf(group);
  if (item >= 0 && outbar_.SelectedItem() != item) outbar_.SetSelectedItem(item, false);
}

void FolderBar::ItemsLoaded(int group) {
  outbar_.RemoveAllItems(group);
  const std::vector<CatalogItemEntry>& items = selection_.ItemsOf(group);
  std::vector<OutlookBar::NewItem> rows;
  rows.reserve(items.size());
  for (const CatalogItemEntry& item : items) rows.push_back({item.title, ItemImage(item), item.itemId});
  outbar_.AddItems(group, rows);  // one layout for the whole folder
}

int FolderBar::ItemImage(const CatalogItemEntry& item) {
  const int byKind = OutbarImageForKind(item.kind);
  if (item.iconPath.empty()) return byKind;
  auto known = iconImages_.find(item.iconPath);
  if (known == iconImages_.end())
    known = iconImages_.emplace(item.iconPath, AddItemIconImage(largeIcons_, smallIcons_, item.iconPath, -1)).first;
  return known->second >= 0 ? known->second : byKind;
}

void FolderBar::ItemAdded(int group, int item) {
  const std::vector<CatalogItemEntry>& items = selection_.ItemsOf(group);
  if (item < 0 || item >= static_cast<int>(items.size())) return;
  const CatalogItemEntry& entry = items[static_cast<size_t>(item)];
  outbar_.AddItem(group, entry.title, ItemImage(entry), entry.itemId);
}

void FolderBar::ItemUpdated(int group, int item, const CatalogItemEntry& before) {
  const std::vector<CatalogItemEntry>& items = selection_.ItemsOf(group);
  if (item < 0 || item >= static_cast<int>(items.size())) return;
  const CatalogItemEntry& entry = items[static_cast<size_t>(item)];
  outbar_.SetItemText(group, item, entry.title);
  outbar_.SetItemData(group, item, entry.itemId);
  if (entry.iconPath != before.iconPath) {
    // An icon that does not load leaves the item's picture as it was; a
    // file chosen again is read again (it may have changed).
    iconImages_.erase(entry.iconPath);
    int image = ItemImage(entry);
    if (image != OutbarImageForKind(entry.kind)) outbar_.SetItemImage(group, item, image);
  }
}

}  // namespace vellora
