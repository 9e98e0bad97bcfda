#include "content/CatalogOperations.h"

#include <algorithm>
#include <vector>

#include "content/CatalogItems.h"
#include "store/LibraryFormat.h"

namespace vellora {

namespace {

HRESULT WriteItemId(const StorageHandle& folder, const std::string& name, int32_t itemId) {
  StorageHandle item;
  StreamHandle info;
  HRESULT hr = OpenItemInfoForWriting(folder, name, item, info);
  if (FAILED(hr)) return hr;
  ItemInfoRecord record;
  ReadItemInfo(info, record);  // a short record is written whole, with zeros
  record.itemId = itemId;
  if (FAILED(info.Seek(0, STREAM_SEEK_SET)) || !WriteItemInfo(info, record)) return STG_E_WRITEFAULT;
  return S_OK;
}

}  // namespace

HRESULT OpenItemInfoForWriting(const StorageHandle& folder, const std::string& elementName, StorageHandle& item,
                               StreamHandle& info) {
  HRESULT hr = folder.OpenStorage(elementName.c_str(), kWriteMode, item);
  if (FAILED(hr)) return hr;
  return item.OpenStream(kFolderItemInfo, kWriteMode, info);
}

int32_t LargestItemId(const StorageHandle& folder) {
  std::vector<CatalogItemEntry> items;
  LoadCatalogItems(folder, items);
  return MaxItemId(items);
}

HRESULT CreateCatalogItem(const StorageHandle& folder, const NewItemRequest& request, const std::string& elementName,
                          int32_t itemId) {
  std::vector<std::string> strings;
  if (request.kind == kItemDataList) strings = request.columns;
  else if (request.kind == kItemWebLink || request.kind == kItemOleControl) strings = {request.address};
  return CreateItem(folder, request.kind, elementName.c_str(), itemId, kFolderItemInfo, kFolderItemContent, strings);
}

HRESULT SwapItemIds(const StorageHandle& folder, const std::string& first, const std::string& second) {
  CatalogItemEntry a, b;
  HRESULT hr = ReadCatalogItem(folder, first, a);
  if (FAILED(hr)) return hr;
  hr = ReadCatalogItem(folder, second, b);
  if (FAILED(hr)) return hr;
  hr = WriteItemId(folder, first, b.itemId);
  if (FAILED(hr)) return hr;
  hr = WriteItemId(folder, second, a.itemId);
  if (FAILED(hr)) WriteItemId(folder, first, a.itemId);
  return hr;
}

HRESULT WriteItemIcon(const StorageHandle& folder, const std::string& elementName, const std::string& iconPath) {
  StorageHandle item;
  StreamHandle info;
  HRESULT hr = OpenItemInfoForWriting(folder, elementName, item, info);
  if (FAILED(hr)) return hr;
  ItemInfoRecord record;
  if (!ReadItemInfo(info, record)) return STG_E_READFAULT;
  // The places are the record's own count: it must lie inside the stream or
  // right at its end, never beyond (a corrupt count would seek far out).
  const ULONGLONG at = kRecordSize + 4ull * record.places;
  if (at > info.Size()) return STG_E_READFAULT;
  hr = info.Seek(static_cast<LONGLONG>(at), STREAM_SEEK_SET);
  if (SUCCEEDED(hr)) hr = info.WriteCountedString(iconPath);
  if (SUCCEEDED(hr)) {
    // Nothing of a longer, older path stays behind the new one.
    ULARGE_INTEGER end;
    end.QuadPart = info.Position();
    hr = info->SetSize(end);
  }
  return hr;
}

HRESULT CopyCatalogItem(const StorageHandle& sourceFolder, const std::string& sourceName,
                        const StorageHandle& targetFolder, const std::string& targetName, int32_t itemId,
                        bool replace) {
  std::string existing = ExistingElement(targetFolder, targetName);
  if (!existing.empty() && !replace) return STG_E_FILEALREADYEXISTS;
  // Copied first under a free name of its own, so that nothing is lost when
  // the copy fails halfway.
  std::string copy;
  HRESULT hr = CreateUnderFreeName(
      targetName,
      [&](const char* candidate) {
        return sourceFolder.CopyOrMoveElement(sourceName.c_str(), targetFolder, candidate, false);
      },
      copy);
  if (FAILED(hr)) return hr;
  hr = WriteItemId(targetFolder, copy, itemId);
  if (FAILED(hr)) {
    targetFolder.DestroyElement(copy.c_str());
    return hr;
  }
  if (copy == targetName) return S_OK;
  if (!existing.empty()) {
    hr = targetFolder.DestroyElement(existing.c_str());
    if (FAILED(hr)) {
      targetFolder.DestroyElement(copy.c_str());
      return hr;
    }
  }
  hr = targetFolder.RenameElement(copy.c_str(), targetName.c_str());
  // Without a replace the copy keeps its encoded name, which shows the same title.
  return existing.empty() ? S_OK : hr;
}

std::string ExistingElement(const StorageHandle& storage, const std::string& name) {
  std::string found;
  storage.ForEachElement([&](const STATSTG&, const std::string& element) {
    if (lstrcmpiA(element.c_str(), name.c_str()) != 0) return true;
    found = element;
    return false;
  });
  return found;
}

std::string ExistingItemTitled(const StorageHandle& folder, const std::string& title) {
  std::string named, titled;
  folder.ForEachElement([&](const STATSTG& stat, const std::string& element) {
    if (lstrcmpiA(element.c_str(), title.c_str()) == 0) {
      named = element;
      return false;
    }
    if (titled.empty() && stat.type == STGTY_STORAGE && lstrcmpiA(DisplayName(element).c_str(), title.c_str()) == 0)
      titled = element;
    return true;
  });
  return named.empty() ? titled : named;
}

}  // namespace vellora
