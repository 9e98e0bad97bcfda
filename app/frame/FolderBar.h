#pragma once
// The outlook bar as the frame shows the selection model: one group per
// folder of the library, in display order, and the catalog items of the
// catalog folders read so far, each with the picture of its kind or its own
// icon.
#include <windows.h>

#include <map>
#include <string>

#include "content/CatalogItems.h"
#include "content/LibrarySelection.h"
#include "platform/GdiHandles.h"
#include "controls/OutlookBar.h"

namespace vellora {

class FolderBar {
 public:
  // The bar shows what selection holds (which must outlive it).
  explicit FolderBar(const LibrarySelection& selection) : selection_(selection) {}

  bool Create(HWND parent, UINT id, HWND notifyWindow);
  OutlookBar& Bar() { return outbar_; }
  const OutlookBar& Bar() const { return outbar_; }

  // The changes of the selection model, mirrored into the bar.
  void GroupAdded(int group) { outbar_.AddGroup(selection_.GroupName(group), group); }
  void GroupRemoved(int group) { outbar_.RemoveGroup(group); }
  void GroupRenamed(int group) { outbar_.SetGroupText(group, selection_.GroupName(group)); }
  void GroupsSwapped(int first, int second) { outbar_.SwapGroups(first, second); }
  void GroupsCleared() { outbar_.RemoveAllGroups(); }
  // The group and its selected item are shown selected (no notification).
  void GroupSelected(int group);
  void ItemsLoaded(int group);
  void ItemsForgotten(int group) { outbar_.RemoveAllItems(group); }
  void ItemAdded(int group, int item);
  void ItemRemoved(int group, int item) { outbar_.RemoveItem(group, item); }
  void ItemUpdated(int group, int item, const CatalogItemEntry& before);
  void ItemsSwapped(int group, int first, int second) { outbar_.SwapItems(group, first, second); }
  void ItemSelected(int item) { outbar_.SetSelectedItem(item, false); }

 private:
  // The outlook bar image of an item: its custom icon (each file loaded once
  // into the image lists), or the picture of its kind.
  int ItemImage(const CatalogItemEntry& item);

  const LibrarySelection& selection_;
  OutlookBar outbar_;
  ImageListHandle largeIcons_;
  ImageListHandle smallIcons_;
  std::map<std::string, int> iconImages_;
};

}  // namespace vellora
