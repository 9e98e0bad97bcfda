#pragma once
// The catalog items of a "Favorite Folder": what its outlook-bar group shows
// (title, kind, custom icon path) read from the item storages of the folder, in
// the order of their item ids.
#include <windows.h>

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

// The index of the item whose element name is name, compared as the storage
// compares names (without letter case); -1 when there is none.
int FindItemNamed(const std::vector<CatalogItemEntry>& items, const std::string& name);

// The largest item id of the list, and 0 when there is none above 0: the
// document's item counter after the folder was loaded.
int32_t MaxItemId(const std::vector<CatalogItemEntry>& items);

// Loads the named catalog folder of the document (the held storage when it is
// the current folder) and sets the document's item counter from it.
HRESULT LoadCatalogFolder(LibraryDocument& document, const std::string& folderName,
                          std::vector<CatalogItemEntry>& out);

}  // namespace vellora
