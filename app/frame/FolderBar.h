#pragma once
// The outlook bar as the frame uses it: one group per folder of the library,
// in display order, and the catalog items of the selected catalog folder
// (read the first time the folder is selected and kept while the library is
// open), each with the picture of its kind or its own icon. The folder and
// item parts of what the content commands need of the windows.
#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "content/CatalogItems.h"
#include "platform/GdiHandles.h"
#include "controls/OutlookBar.h"

namespace vellora {

class FolderBar {
 public:
  struct Folder {
    std::string name;
    uint16_t kind = 0;
    bool loaded = false;
    std::vector<CatalogItemEntry> items;  // in group order
  };

  bool Create(HWND parent, UINT id, HWND notifyWindow);
  OutlookBar& Bar() { return outbar_; }
  const OutlookBar& Bar() const { return outbar_; }

  int GroupCount() const { return static_cast<int>(folders_.size()); }
  // The folder of a group; null for an index out of range.
  const Folder* FolderAt(int group) const;
  std::string GroupName(int group) const;
  uint16_t GroupKind(int group) const;
  int SelectedGroup() const { return outbar_.SelectedGroup(); }
  const Folder* SelectedFolder() const { return FolderAt(SelectedGroup()); }
  // The group a command is for: the one right-clicked while its menu is
  // open, else the selected one. And the same for items.
  int TargetGroup() const { return hitGroup_ >= 0 ? hitGroup_ : SelectedGroup(); }
  int TargetItem() const { return hitItem_ >= 0 ? hitItem_ : SelectedItem(); }
  // The group and item a context menu is open on (-1: none).
  void SetTarget(int group, int item) {
    hitGroup_ = group;
    hitItem_ = item;
  }
  void AddGroup(const std::string& name, uint16_t kind);
  void RemoveGroup(int group);
  void RemoveAllGroups();
  void RenameGroup(int group, const std::string& name);
  void SwapGroups(int first, int second);
  void SelectGroup(int group);
  // Puts the catalog items of a group in the bar the first time it is
  // selected (reading them with read); later selections show what it holds.
  void FillOnce(int group, const std::function<void(const std::string& folder, std::vector<CatalogItemEntry>&)>& read);
  // The tree of a tree folder's group.
  void SetGroupChild(int group, HWND child) { outbar_.SetGroupChild(group, child); }

  // Items of the selected group (an empty list when none is selected).
  const std::vector<CatalogItemEntry>& Items() const;
  int SelectedItem() const { return outbar_.SelectedItem(); }
  void AddItem(const CatalogItemEntry& entry);
  void RemoveItem(int item);
  void UpdateItem(int item, const CatalogItemEntry& entry);
  void SwapItems(int first, int second);
  void SelectItem(int item, bool notify) { outbar_.SetSelectedItem(item, notify); }
  // Another folder's items changed in the file: they are read again when it is selected next.
  void ForgetItems(const std::string& folderName);

 private:
  std::vector<CatalogItemEntry>* ShownItems();
  // The outlook bar image of an item: its custom icon (each file loaded once
  // into the image lists), or the picture of its kind.
  int ItemImage(const CatalogItemEntry& item);

  OutlookBar outbar_;
  ImageListHandle largeIcons_;
  ImageListHandle smallIcons_;
  std::map<std::string, int> iconImages_;
  std::vector<Folder> folders_;
  int hitGroup_ = -1;
  int hitItem_ = -1;
};

}  // namespace vellora
