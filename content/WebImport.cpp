#include "content/WebImport.h"

#include "content/CatalogItems.h"
#include "content/ContentCommands.h"
#include "content/CountedStrings.h"
#include "content/TabPages.h"
#include "store/WebArchive.h"

namespace vellora {

HRESULT MakeWebPageContent(const std::string& address, bool embed, const std::string& title, WebPageContent& out) {
  out = WebPageContent{};
  if (!embed) {
    out.kind = kItemWebLink;
    AppendCounted(out.bytes, address);
    return S_OK;
  }
  out.kind = kItemWebArchive;
  if (address.empty()) return E_INVALIDARG;
  return ArchivePage(address, std::string(), title, out.bytes);
}

HRESULT WriteWebPage(const ItemSource& source, const WebPageContent& content) {
  OpenedItem item;
  HRESULT hr = source.OpenForUpdate(item);
  if (FAILED(hr)) return hr;
  if (item.info) {
    ItemInfoRecord record;
    if (!ReadItemInfo(item.info, record, true)) return STG_E_READFAULT;
    record.kind = (record.kind & 0xFFFF0000u) | content.kind;
    if (!WriteItemInfo(item.info, record, true)) return STG_E_WRITEFAULT;
  } else {
    NodeInfoRecord record;
    if (FAILED(hr = item.node.Stream().Seek(0, STREAM_SEEK_SET))) return hr;
    if (!ReadNodeInfo(item.node.Stream(), record, true)) return STG_E_READFAULT;
    record.kind = content.kind;
    if (!WriteNodeInfo(item.node.Stream(), record, true)) return STG_E_WRITEFAULT;
  }
  if (FAILED(hr = item.ReplaceContent(content.bytes))) return hr;
  return item.Commit();
}

void ContentCommands::ImportWebPage() {
  const bool tree = host_.GroupKind(host_.SelectedGroup()) == kFolderTree;
  TreeAccess& nodes = host_.Tree();
  NodeRef node = tree ? nodes.Selected() : nullptr;
  TreeItemData* data = node ? nodes.Data(node) : nullptr;
  const int item = tree ? -1 : host_.SelectedItem();
  const std::vector<CatalogItemEntry>& items = host_.Items();
  if (tree && !data) {
    Message("Please select a tree node first.", "Tip", MB_OK | MB_ICONWARNING);
    return;
  }
  if (!tree && (item < 0 || item >= static_cast<int>(items.size()))) {
    Message("Please select the catalog item you want to set password first!", "Tip", MB_OK | MB_ICONINFORMATION);
    return;
  }
  // A folder node has no content of its own to hold a page.
  if (tree && data->isFolderNode) return;
  CatalogItemEntry entry = tree ? CatalogItemEntry{} : items[static_cast<size_t>(item)];
  // A catalog item of another kind is not turned into a web page.
  if (!tree && entry.kind != kItemWebLink && entry.kind != kItemWebArchive && entry.kind != kItemTabPages) return;

  WebImportRequest request;
  if (!prompt_.AskWebImport(request)) return;
  const std::string title = tree ? nodes.Title(node) : entry.title;
  WebPageContent content;
  if (FAILED(MakeWebPageContent(request.address, request.embed, title, content))) {
    // Nothing changes when the page cannot be had: the item keeps what it holds.
    Message("The page \"" + request.address + "\" could not be read, so it was not embedded.\n\nNothing was changed.",
            "Import webpage", MB_OK | MB_ICONEXCLAMATION);
    return;
  }

  // The shown item is stored and let go before its elements change.
  host_.LeaveShownItem();
  HRESULT hr = E_FAIL;
  if (tree) {
    hr = WriteWebPage(LeafNodeSource(Folder(), nodes.Path(node), data->kind, title), content);
    if (SUCCEEDED(hr)) data->kind = content.kind;
  } else if (entry.kind == kItemTabPages) {
    // A tab pages item: its shown page becomes the web page, whatever it was.
    StorageHandle storage = Folder().OpenStorageFor(entry.elementName.c_str(), true);
    TabPages pages;
    int page = -1;
    if (storage && SUCCEEDED(pages.Load(storage))) page = pages.IndexOfTitle(host_.ShownPage());
    storage.Release();
    if (page >= 0) {
      const TabPageEntry& shown = pages.Pages()[static_cast<size_t>(page)];
      hr = WriteWebPage(TabPageSource(Folder(), entry.elementName, shown.elementName, shown.kind, shown.title),
                        content);
    }
  } else {
    hr = WriteWebPage(CatalogItemSource(Folder(), entry.elementName, entry.kind, entry.title), content);
    if (SUCCEEDED(hr)) {
      entry.kind = content.kind;
      host_.UpdateItem(item, entry);
    }
  }
  if (FAILED(hr)) {
    Message("The web page could not be written into the item.", Text(kTextFailCaption, "Fail"),
            MB_OK | MB_ICONWARNING);
  } else {
    document_.SetModified();
  }
  host_.ShowSelection();
}

}  // namespace vellora
