#pragma once
// The catalog items of a "Favorite Folder": what its outlook-bar group shows
// (title, kind, custom icon) read from the item storages of the folder, in the
// order of their item ids. The loading part opens no window; the icon part at
// the end is for the view that fills the group's image lists.
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "store/LibraryFormat.h"
#include "store/StorageHandle.h"

namespace vellora {

class LibraryDocument;

struct CatalogItemEntry {
  std::string elementName;  // the item storage's name inside the folder
  std::string title;        // what the group shows (the element name decoded)
  int32_t itemId = 0;
  uint16_t kind = 0;
  bool hasPassword = false;
  std::string password;
  std::string iconPath;  // empty: no custom icon
};

// Reads one item storage's "FolderItemInfo": the record (zeros when it is
// short or missing), then the custom icon path behind the record's n places.
// Answers the HRESULT of opening the item storage.
HRESULT ReadCatalogItem(const StorageHandle& folder, const std::string& elementName, CatalogItemEntry& out);

// Every storage of the folder is an item; out gets them in ascending item id
// (items with equal ids keep the folder's enumeration order). Answers the
// HRESULT of starting the enumeration; an item whose record cannot be read is
// still listed, with zeros.
HRESULT LoadCatalogItems(const StorageHandle& folder, std::vector<CatalogItemEntry>& out);

// The largest item id of the list, and 0 when there is none above 0: the
// document's item counter after the folder was loaded.
int32_t MaxItemId(const std::vector<CatalogItemEntry>& items);

// Loads the named catalog folder of the document (the held storage when it is
// the current folder) and sets the document's item counter from it.
HRESULT LoadCatalogFolder(LibraryDocument& document, const std::string& folderName,
                          std::vector<CatalogItemEntry>& out);

// ---- custom item icons (view side) ----------------------------------------

// The two sizes of an item's custom icon; destroys what it holds.
class ItemIcons {
 public:
  ItemIcons() = default;
  ~ItemIcons() { Reset(); }
  ItemIcons(const ItemIcons&) = delete;
  ItemIcons& operator=(const ItemIcons&) = delete;
  ItemIcons(ItemIcons&& other) noexcept;
  ItemIcons& operator=(ItemIcons&& other) noexcept;

  // Loads the icon file at 32 x 32 and at 16 x 16; true only when both load.
  bool Load(const std::string& path);
  void Reset();
  HICON Large() const { return large_; }
  HICON Small() const { return small_; }

 private:
  HICON large_ = nullptr;
  HICON small_ = nullptr;
};

// Appends the item's custom icon to the group's large and small image lists
// (kept parallel) and answers the new image index; answers defaultImage and
// leaves both lists as they were when there is no path or the file does not
// load as an icon at both sizes.
int AddItemIconImage(HIMAGELIST large, HIMAGELIST small, const std::string& iconPath, int defaultImage);

}  // namespace vellora
