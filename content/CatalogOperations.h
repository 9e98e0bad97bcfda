#pragma once
// Catalog items in the storage of their folder: creating, renaming, ordering,
// copying between folders, custom icons, and the item ids that order them.
#include <windows.h>

#include <cstdint>
#include <string>

#include "content/ContentPrompt.h"
#include "store/StorageHandle.h"

namespace vellora {

// The largest item id of the folder's items (0 when there is none above 0).
// A new or pasted item takes this plus one, whichever folder was loaded last.
int32_t LargestItemId(const StorageHandle& folder);

// Lays down a new item as the dialog asked for it under elementName, which
// the caller has chosen (a free name, or one the user agreed to replace).
HRESULT CreateCatalogItem(const StorageHandle& folder, const NewItemRequest& request, const std::string& elementName,
                          int32_t itemId);

// Opens an item storage of the folder and its "FolderItemInfo" for writing;
// the stream stays usable while item is held.
HRESULT OpenItemInfoForWriting(const StorageHandle& folder, const std::string& elementName, StorageHandle& item,
                               StreamHandle& info);

// Exchanges the item ids of two items of the folder.
HRESULT SwapItemIds(const StorageHandle& folder, const std::string& first, const std::string& second);

// Writes the custom icon path behind the item record's places.
HRESULT WriteItemIcon(const StorageHandle& folder, const std::string& elementName, const std::string& iconPath);

// Copies an item with all it holds from one folder to another (or the same)
// under targetName with a new item id. With replace, an item of that name in
// the target is replaced, but only after the copy is complete.
HRESULT CopyCatalogItem(const StorageHandle& sourceFolder, const std::string& sourceName,
                        const StorageHandle& targetFolder, const std::string& targetName, int32_t itemId,
                        bool replace);

// The element of the folder that a name meets, compared as the storage
// compares names: its exact name, or empty when the name is free.
std::string ExistingElement(const StorageHandle& storage, const std::string& name);

// The item of the folder that shows this title: the element of that name, or
// else the first item whose encoded name decodes to it (compared as the
// storage compares names); empty when no item shows it.
std::string ExistingItemTitled(const StorageHandle& folder, const std::string& title);

}  // namespace vellora
