#include "content/TabPages.h"

#include <algorithm>
#include <utility>

#include "content/LocationPath.h"
#include "store/LibraryFormat.h"
#include "store/Services.h"

namespace vellora {

namespace {

ItemInfoRecord ReadPageRecord(const StorageHandle& item, const std::string& elementName) {
  ItemInfoRecord record;
  StorageHandle page = item.OpenStorageFor(elementName.c_str(), true);
  if (!page) return record;
  StreamHandle info = page.OpenStreamFor(kTabPageItemInfo, true);
  if (info) ReadItemInfo(info, record);  // a short record reads as zeros
  return record;
}

HRESULT WriteOrderKey(const StorageHandle& item, const std::string& elementName, int32_t key) {
  StorageHandle page;
  HRESULT hr = item.OpenStorage(elementName.c_str(), kWriteMode, page);
  if (FAILED(hr)) return hr;
  StreamHandle info;
  hr = page.OpenStream(kTabPageItemInfo, kWriteMode, info);
  if (FAILED(hr)) return hr;
  ItemInfoRecord record;
  ReadItemInfo(info, record);  // a short record is written back whole
  record.itemId = key;
  if (FAILED(info.Seek(0, STREAM_SEEK_SET)) || !WriteItemInfo(info, record)) return STG_E_WRITEFAULT;
  return S_OK;
}

bool SameName(const std::string& a, const std::string& b) {
  return CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) == CSTR_EQUAL;
}

}  // namespace

bool IsPageKind(uint16_t kind) { return IsItemKind(kind) && kind != kItemTabPages; }

HRESULT TabPages::Load(const StorageHandle& item) {
  Clear();
  std::vector<std::string> names;
  HRESULT hr = item.ForEachElement([&](const STATSTG& stat, const std::string& name) {
    if (stat.type == STGTY_STORAGE) names.push_back(name);
    return true;
  });
  for (const std::string& name : names) {
    const ItemInfoRecord record = ReadPageRecord(item, name);
    TabPageEntry entry{name, DisplayName(name), record.itemId, static_cast<uint16_t>(record.kind & 0xFFFF)};
    largestKey_ = std::max(largestKey_, entry.orderKey);
    // Before the first page with a greater key: equal keys keep their order.
    auto at = std::upper_bound(pages_.begin(), pages_.end(), entry.orderKey,
                               [](int32_t key, const TabPageEntry& page) { return key < page.orderKey; });
    pages_.insert(at, std::move(entry));
  }
  return hr;
}

void TabPages::Clear() {
  pages_.clear();
  largestKey_ = 0;
}

int TabPages::IndexOfTitle(const std::string& title) const {
  for (size_t i = 0; i < pages_.size(); ++i)
    if (SameName(pages_[i].title, title)) return static_cast<int>(i);
  return -1;
}

int TabPages::IndexOfComponent(const std::string& component) const {
  std::vector<NamedSibling> siblings;
  siblings.reserve(pages_.size());
  for (const TabPageEntry& page : pages_) siblings.push_back({page.elementName, page.title});
  return MatchComponent(siblings, component);
}

HRESULT TabPages::Add(const StorageHandle& item, const NewItemRequest& request, size_t& index) {
  if (!IsPageKind(request.kind) || request.title.empty()) return E_INVALIDARG;
  std::vector<std::string> strings;
  if (request.kind == kItemDataList) strings = request.columns;
  else if (request.kind == kItemWebLink || request.kind == kItemOleControl) strings = {request.address};
  const int32_t key = largestKey_ + 1;
  const std::string title = CutToBytes(request.title, kMaxElementName);
  std::string used;
  HRESULT hr = CreateUnderFreeName(
      title,
      [&](const char* name) {
        // The item's creation replaces what it meets: only a free name is offered to it.
        if (item.FindElement(name) != ElementType::None) return STG_E_FILEALREADYEXISTS;
        HRESULT made = CreateItem(item, request.kind, name, key, kTabPageItemInfo, kTabPageItemContent, strings);
        if (FAILED(made)) item.DestroyElement(name);  // no half-made page stays behind
        return made;
      },
      used);
  if (FAILED(hr)) return hr;
  largestKey_ = key;
  pages_.push_back({used, DisplayName(used), key, request.kind});
  index = pages_.size() - 1;
  return S_OK;
}

HRESULT TabPages::Delete(const StorageHandle& item, size_t index) {
  if (index >= pages_.size()) return E_INVALIDARG;
  if (pages_.size() < 2) return E_ACCESSDENIED;
  HRESULT hr = item.DestroyElement(pages_[index].elementName.c_str());
  if (FAILED(hr)) return hr;
  pages_.erase(pages_.begin() + static_cast<std::ptrdiff_t>(index));
  return S_OK;
}

TabPages::RenameResult TabPages::Rename(const StorageHandle& item, size_t index, const std::string& newTitle) {
  if (index >= pages_.size()) return RenameResult::kFailed;
  const std::string title = CutToBytes(newTitle, kMaxElementName);
  if (title.empty()) return RenameResult::kEmpty;
  TabPageEntry& page = pages_[index];
  if (title == page.title) return RenameResult::kUnchanged;
  const int other = IndexOfTitle(title);
  if (other >= 0 && other != static_cast<int>(index)) return RenameResult::kRepeated;
  std::string used;
  HRESULT hr = CreateUnderFreeName(
      title, [&](const char* name) { return item.RenameElement(page.elementName.c_str(), name); }, used, true);
  if (FAILED(hr)) return RenameResult::kFailed;
  page.elementName = used;
  page.title = DisplayName(used);
  return RenameResult::kRenamed;
}

HRESULT TabPages::TakePlainName(const StorageHandle& item, size_t index) {
  if (index >= pages_.size()) return E_INVALIDARG;
  TabPageEntry& page = pages_[index];
  if (page.elementName == page.title || IsReservedElementName(page.title)) return S_FALSE;
  if (item.FindElement(page.title.c_str()) != ElementType::None) return STG_E_FILEALREADYEXISTS;
  HRESULT hr = item.RenameElement(page.elementName.c_str(), page.title.c_str());
  if (SUCCEEDED(hr)) page.elementName = page.title;
  return hr;
}

HRESULT TabPages::Swap(const StorageHandle& item, size_t first, size_t second) {
  if (first >= pages_.size() || second >= pages_.size()) return E_INVALIDARG;
  if (first == second) return S_OK;
  if (pages_[first].orderKey == pages_[second].orderKey) {
    // Equal keys would swap to the same order: the pages are numbered in
    // the order shown first, so the move lasts when the item is read again.
    for (size_t i = 0; i < pages_.size(); ++i) {
      HRESULT hr = WriteOrderKey(item, pages_[i].elementName, static_cast<int32_t>(i));
      if (FAILED(hr)) return hr;
      pages_[i].orderKey = static_cast<int32_t>(i);
    }
    largestKey_ = std::max(largestKey_, static_cast<int32_t>(pages_.size() - 1));
  }
  TabPageEntry& a = pages_[first];
  TabPageEntry& b = pages_[second];
  HRESULT hr = WriteOrderKey(item, a.elementName, b.orderKey);
  if (FAILED(hr)) return hr;
  hr = WriteOrderKey(item, b.elementName, a.orderKey);
  if (FAILED(hr)) {
    WriteOrderKey(item, a.elementName, a.orderKey);  // both keep what they had
    return hr;
  }
  std::swap(a.orderKey, b.orderKey);
  std::swap(a, b);
  return S_OK;
}

}  // namespace vellora

namespace vellora {

namespace {

std::string WithSubject(const std::string& format, const std::string& subject) {
  const size_t at = format.find("%s");
  if (at == std::string::npos) return format;
  return format.substr(0, at) + subject + format.substr(at + 2);
}

}  // namespace

void TabPageCommands::Warn(const std::string& text) {
  prompt_.ShowMessage(text, texts_.TextOr(kTextTipCaption, "Tip"), MB_OK | MB_ICONWARNING);
}

bool TabPageCommands::Add(const StorageHandle& item, TabPages& pages, size_t& index) {
  NewItemRequest request;
  request.offerTabPages = false;
  if (!prompt_.AskNewItem(request, "Add TabPage")) return false;
  if (!IsPageKind(request.kind)) return false;
  int replaced = -1;
  for (;;) {
    replaced = pages.IndexOfTitle(request.title);
    if (replaced < 0) break;
    const std::string question =
        WithSubject(texts_.TextOr(kTextNameCollisionQuestion, "%s already exists."), texts_.TextOr(kTextItemCollisionSubject, "An item with this title"));
    const int answer = prompt_.ShowMessage(question, "Query", MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer == IDYES) break;
    std::string entered;
    if (answer != IDNO || !prompt_.AskName("Rename adding item", request.title, entered)) return false;
    request.title = entered;
  }
  // The new page is laid down first: a failure leaves the old one as it was.
  if (FAILED(pages.Add(item, request, index))) {
    Warn("The page \"" + request.title + "\" could not be added.");
    return false;
  }
  if (replaced >= 0) {
    const size_t old = static_cast<size_t>(replaced);
    if (FAILED(pages.Delete(item, old))) {
      Warn("The page \"" + request.title + "\" could not be replaced.");
      return true;  // both pages are there, each under its own name
    }
    if (index > old) --index;
    pages.TakePlainName(item, index);  // the title is free now
  }
  return true;
}

bool TabPageCommands::Delete(const StorageHandle& item, TabPages& pages, size_t current) {
  if (pages.Count() < 2) {
    prompt_.ShowMessage(texts_.TextOr(kTextLastTabPage, "An item must keep at least one tab page."),
                        texts_.TextOr(kTextTipCaption, "Tip"), MB_OK | MB_ICONWARNING);
    return false;
  }
  if (FAILED(pages.Delete(item, current))) {
    Warn("The page could not be deleted.");
    return false;
  }
  return true;
}

bool TabPageCommands::Rename(const StorageHandle& item, TabPages& pages, size_t current) {
  if (current >= pages.Count()) return false;
  std::string title;
  if (!prompt_.AskName("Rename TabPage", pages.Pages()[current].title, title)) return false;
  switch (pages.Rename(item, current, title)) {
    case TabPages::RenameResult::kRenamed: return true;
    case TabPages::RenameResult::kRepeated: Warn("TabPage title name repeated!"); return false;
    case TabPages::RenameResult::kEmpty: Warn("The name can not be empty!"); return false;
    case TabPages::RenameResult::kFailed: Warn("The page could not be renamed."); return false;
    case TabPages::RenameResult::kUnchanged: return false;
  }
  return false;
}

bool TabPageCommands::Move(const StorageHandle& item, TabPages& pages, size_t current, int delta) {
  if (current >= pages.Count()) return false;
  if ((delta < 0 && current == 0) || (delta > 0 && current + 1 >= pages.Count())) return false;
  const size_t neighbour = delta < 0 ? current - 1 : current + 1;
  if (FAILED(pages.Swap(item, current, neighbour))) {
    Warn("The page could not be moved.");
    return false;
  }
  return true;
}

}  // namespace vellora
