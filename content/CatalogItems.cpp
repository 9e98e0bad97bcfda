#include "content/CatalogItems.h"

#include <algorithm>
#include <utility>

#include "store/LibraryDocument.h"

namespace vellora {

namespace {

// The icon path behind the record's n places. The count comes from the file,
// so it is checked against the stream's real size before anything is sought:
// a corrupt n or string count yields no icon, never a wild seek or allocation.
std::string ReadIconPath(const StreamHandle& info, uint32_t places) {
  const ULONGLONG at = kRecordSize + 4ull * places;
  const ULONGLONG size = info.Size();
  if (at >= size) return {};
  if (FAILED(info.Seek(static_cast<LONGLONG>(at), STREAM_SEEK_SET))) return {};
  std::optional<std::string> path;
  if (FAILED(info.ReadCountedString(path)) || !path) return {};
  return *path;
}

}  // namespace

HRESULT ReadCatalogItem(const StorageHandle& folder, const std::string& elementName, CatalogItemEntry& out) {
  out = CatalogItemEntry{};
  out.elementName = elementName;
  out.title = DisplayName(elementName);
  StorageHandle item;
  HRESULT hr = folder.OpenStorage(elementName.c_str(), kReadMode, item);
  if (FAILED(hr)) return hr;
  StreamHandle info;
  if (FAILED(item.OpenStream(kFolderItemInfo, kReadMode, info))) return S_FALSE;
  ItemInfoRecord record;
  bool whole = ReadItemInfo(info, record);
  out.itemId = record.itemId;
  out.kind = static_cast<uint16_t>(record.kind & 0xFFFF);
  out.hasPassword = record.HasPassword();
  if (out.hasPassword) out.password = record.Password();
  if (whole) out.iconPath = ReadIconPath(info, record.places);
  return whole ? S_OK : S_FALSE;
}

HRESULT LoadCatalogItems(const StorageHandle& folder, std::vector<CatalogItemEntry>& out) {
  out.clear();
  // Names first, storages afterwards: no element is opened while the
  // folder's enumerator is still walking it.
  std::vector<std::string> names;
  HRESULT hr = folder.ForEachElement([&](const STATSTG& stat, const std::string& name) {
    if (stat.type == STGTY_STORAGE) names.push_back(name);
    return true;
  });
  if (FAILED(hr)) return hr;
  out.reserve(names.size());
  for (const std::string& name : names) {
    CatalogItemEntry entry;
    ReadCatalogItem(folder, name, entry);
    out.push_back(std::move(entry));
  }
  std::stable_sort(out.begin(), out.end(),
                   [](const CatalogItemEntry& a, const CatalogItemEntry& b) { return a.itemId < b.itemId; });
  return S_OK;
}

int FindItemNamed(const std::vector<CatalogItemEntry>& items, const std::string& name) {
  for (size_t i = 0; i < items.size(); ++i)
    if (lstrcmpiA(items[i].elementName.c_str(), name.c_str()) == 0) return static_cast<int>(i);
  return -1;
}

int32_t MaxItemId(const std::vector<CatalogItemEntry>& items) {
  int32_t most = 0;
  for (const CatalogItemEntry& item : items) most = std::max(most, item.itemId);
  return most;
}

HRESULT LoadCatalogFolder(LibraryDocument& document, const std::string& folderName,
                          std::vector<CatalogItemEntry>& out) {
  out.clear();
  bool isCurrent = false;
  StorageHandle folder = document.OpenFolder(folderName, true, isCurrent);
  if (folder.Empty()) return STG_E_FILENOTFOUND;
  HRESULT hr = LoadCatalogItems(folder, out);
  if (FAILED(hr)) return hr;
  // The counter follows the catalog folder loaded last, not the library.
  document.SetItemCounter(MaxItemId(out));
  return hr;
}

}  // namespace vellora
