#include "content/ItemSource.h"

#include <utility>

namespace vellora {

HRESULT OpenedItem::TruncateContent(ULONGLONG written) const {
  const StreamHandle& stream = Content();
  if (!stream) return E_POINTER;
  ULARGE_INTEGER size;
  size.QuadPart = contentOffset + written;
  return stream->SetSize(size);
}

CatalogItemSource::CatalogItemSource(const StorageHandle& container, std::string elementName, uint16_t kind,
                                     std::string title, const char* infoStream, const char* contentStream)
    : container_(container),
      elementName_(std::move(elementName)),
      kind_(kind),
      title_(std::move(title)),
      infoStream_(infoStream),
      contentStream_(contentStream) {}

HRESULT OpenedItem::ReplaceContent(const std::string& bytes) {
  if (!Content()) return E_POINTER;
  if (bytes.size() > 0xFFFFFFF0u) return STG_E_MEDIUMFULL;
  if (bytes.empty() && transacted && contentOffset == 0 && !contentName.empty()) {
    // Wine's transacted storages lose every element of the storage at the
    // commit when one of their streams was cut to nothing: an empty content
    // is laid down as a new, empty stream instead.
    if (content.Size() == 0) return S_OK;
    content.Release();
    HRESULT hr = itemStorage.DestroyElement(contentName.c_str());
    if (SUCCEEDED(hr)) hr = itemStorage.CreateStream(contentName.c_str(), kWriteMode, content);
    return hr;
  }
  HRESULT hr = SeekContent();
  if (SUCCEEDED(hr) && !bytes.empty()) hr = Content().WriteBytes(bytes.data(), static_cast<ULONG>(bytes.size()));
  if (SUCCEEDED(hr)) hr = TruncateContent(bytes.size());
  return hr;
}

HRESULT OpenedItem::Commit() const { return transacted ? itemStorage.Commit() : S_OK; }

HRESULT CatalogItemSource::Open(bool forWriting, OpenedItem& out) const {
  return OpenWith(forWriting ? kWriteMode : kReadMode, forWriting, out);
}

HRESULT CatalogItemSource::OpenForUpdate(OpenedItem& out) const {
  HRESULT hr = OpenWith(kTransactedMode, true, out);
  if (SUCCEEDED(hr)) out.transacted = true;
  return hr;
}

namespace {

// Opens an item storage of the container with its info and content streams.
HRESULT OpenItemStreams(const StorageHandle& container, const std::string& elementName, DWORD storageMode,
                        bool forWriting, const char* infoStream, const char* contentStream, OpenedItem& out) {
  out.contentName = contentStream;
  const DWORD mode = forWriting ? kWriteMode : kReadMode;
  HRESULT hr = container.OpenStorage(elementName.c_str(), storageMode, out.itemStorage);
  if (FAILED(hr)) return hr;
  // An item without an info stream is still shown; its content is what counts.
  out.itemStorage.OpenStream(infoStream, mode, out.info);
  hr = out.itemStorage.OpenStream(contentStream, mode, out.content);
  if (hr == STG_E_FILENOTFOUND && forWriting) hr = out.itemStorage.CreateStream(contentStream, kWriteMode, out.content);
  return hr;
}

}  // namespace

HRESULT CatalogItemSource::OpenWith(DWORD storageMode, bool forWriting, OpenedItem& out) const {
  out = OpenedItem{};
  return OpenItemStreams(container_, elementName_, storageMode, forWriting, infoStream_, contentStream_, out);
}

TabPageSource::TabPageSource(const StorageHandle& folder, std::string itemName, std::string pageName, uint16_t kind,
                             std::string title)
    : folder_(folder),
      itemName_(std::move(itemName)),
      pageName_(std::move(pageName)),
      kind_(kind),
      title_(std::move(title)) {}

HRESULT TabPageSource::Open(bool forWriting, OpenedItem& out) const {
  return OpenWith(forWriting ? kWriteMode : kReadMode, forWriting, out);
}

HRESULT TabPageSource::OpenForUpdate(OpenedItem& out) const {
  HRESULT hr = OpenWith(kTransactedMode, true, out);
  if (SUCCEEDED(hr)) out.transacted = true;
  return hr;
}

HRESULT TabPageSource::OpenWith(DWORD pageMode, bool forWriting, OpenedItem& out) const {
  out = OpenedItem{};
  // The item storage is opened directly: a committed page reaches the folder.
  HRESULT hr = folder_.OpenStorage(itemName_.c_str(), forWriting ? kWriteMode : kReadMode, out.outerStorage);
  if (FAILED(hr)) return hr;
  return OpenItemStreams(out.outerStorage, pageName_, pageMode, forWriting, kTabPageItemInfo, kTabPageItemContent,
                         out);
}

LeafNodeSource::LeafNodeSource(const StorageHandle& folder, std::vector<std::string> path, uint16_t kind,
                               std::string title)
    : folder_(folder), path_(std::move(path)), kind_(kind), title_(std::move(title)) {}

HRESULT LeafNodeSource::Open(bool forWriting, OpenedItem& out) const {
  out = OpenedItem{};
  out.contentOffset = kRecordSize;
  return OpenNodeStream(folder_, path_, !forWriting, out.node);
}

}  // namespace vellora
