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

HRESULT CatalogItemSource::Open(bool forWriting, OpenedItem& out) const {
  out = OpenedItem{};
  const DWORD mode = forWriting ? kWriteMode : kReadMode;
  HRESULT hr = container_.OpenStorage(elementName_.c_str(), mode, out.itemStorage);
  if (FAILED(hr)) return hr;
  // An item without an info stream is still shown; its content is what counts.
  out.itemStorage.OpenStream(infoStream_, mode, out.info);
  hr = out.itemStorage.OpenStream(contentStream_, mode, out.content);
  if (hr == STG_E_FILENOTFOUND && forWriting) hr = out.itemStorage.CreateStream(contentStream_, kWriteMode, out.content);
  return hr;
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
