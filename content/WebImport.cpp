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

bool ContentCommands::SelectImportTarget(const char* noNode, std::initializer_list<uint16_t> kinds,
                                         ImportTarget& out) {
  out = ImportTarget{};
  out.tree = host_.GroupKind(host_.SelectedGroup()) == kFolderTree;
  TreeAccess& nodes = host_.Tree();
  if (out.tree) {
    out.node = nodes.Selected();
    out.data = out.node ? nodes.Data(out.node) : nullptr;
    if (!out.data) {
      Message(noNode, "Tip", MB_OK | MB_ICONWARNING);
      return false;
    }
    out.title = nodes.Title(out.node);
    // A folder node has no content of its own.
    return !out.data->isFolderNode;
  }
  out.item = host_.SelectedItem();
  const std::vector<CatalogItemEntry>& items = host_.Items();
  if (out.item < 0 || out.item >= static_cast<int>(items.size())) {
    Message("Please select the catalog item you want to set password first!", "Tip", MB_OK | MB_ICONINFORMATION);
    return false;
  }
  out.entry = items[static_cast<size_t>(out.item)];
  out.title = out.entry.title;
  for (uint16_t kind : kinds)
    if (out.entry.kind == kind) return true;
  return false;
}

void ContentCommands::WriteImport(ImportTarget& target, const WebPageContent& content, const std::string& failure) {
  // The shown item is stored and let go before its elements change.
  host_.LeaveShownItem();
  HRESULT hr = E_FAIL;
  if (target.tree) {
    hr = WriteWebPage(LeafNodeSource(Folder(), host_.Tree().Path(target.node), target.data->kind, target.title),
                      content);
    if (SUCCEEDED(hr)) target.data->kind = content.kind;
  } else if (target.entry.kind == kItemTabPages) {
    const CatalogItemEntry& entry = target.entry;
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
    hr = WriteWebPage(CatalogItemSource(Folder(), target.entry.elementName, target.entry.kind, target.entry.title),
                      content);
    if (SUCCEEDED(hr) && target.entry.kind != content.kind) {
      target.entry.kind = content.kind;
      host_.UpdateItem(target.item, target.entry);
    }
  }
  if (FAILED(hr)) Message(failure, Text(kTextFailCaption, "Fail"), MB_OK | MB_ICONWARNING);
  else document_.SetModified();
  host_.ShowSelection();
}

void ContentCommands::ImportWebPage() {
  ImportTarget target;
  if (!SelectImportTarget("Please select a tree node first.", {kItemWebLink, kItemWebArchive, kItemTabPages}, target))
    return;
  WebImportRequest request;
  if (!prompt_.AskWebImport(request)) return;
  WebPageContent content;
  if (FAILED(MakeWebPageContent(request.address, request.embed, target.title, content))) {
    // Nothing changes when the page cannot be had: the item keeps what it holds.
    Message("The page \"" + request.address + "\" could not be read, so it was not embedded.\n\nNothing was changed.",
            "Import webpage", MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  WriteImport(target, content, "The web page could not be written into the item.");
}

}  // namespace vellora
