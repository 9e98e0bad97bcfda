// The search walks over the stored library.
#include "content/LibrarySearch.h"

#include <cstring>
#include <optional>
#include <utility>

namespace vellora {

namespace {

// The lead bytes of the thread's ANSI code page, looked up once per search.
struct LeadBytes {
  bool lead[256] = {};
  LeadBytes() {
    for (int b = 0x80; b < 256; ++b) lead[b] = IsDBCSLeadByte(static_cast<BYTE>(b)) != FALSE;
  }
};

// Reads a stream from its position to its end. The size the stream states is
// not trusted: reading stops where the data stops.
bool ReadRest(const StreamHandle& stream, std::string& out) {
  out.clear();
  constexpr ULONG kChunk = 64 * 1024;
  for (;;) {
    size_t at = out.size();
    out.resize(at + kChunk);
    ULONG got = 0;
    HRESULT hr = stream.ReadBytes(&out[at], kChunk, &got);
    out.resize(at + got);
    if (FAILED(hr)) return false;
    if (got < kChunk) return true;
  }
}

// The info record of an item or page (zeros when it is missing or short).
ItemInfoRecord ItemRecordOf(const StorageHandle& storage, const char* infoStream) {
  ItemInfoRecord record;
  StreamHandle info = storage.OpenStreamFor(infoStream, true);
  if (info) ReadItemInfo(info, record);
  return record;
}

}  // namespace

bool ContainsBytes(const std::string& text, const std::string& part) {
  if (part.empty() || text.size() < part.size()) return false;
  static const LeadBytes leads;
  const size_t last = text.size() - part.size();
  for (size_t i = 0; i <= last;) {
    if (text[i] == part[0] && std::memcmp(text.data() + i, part.data(), part.size()) == 0) return true;
    i += leads.lead[static_cast<unsigned char>(text[i])] ? 2 : 1;
  }
  return false;
}

ContentMatcher::ContentMatcher(std::string text) : text_(std::move(text)), needle_(text_) {}

bool ContentMatcher::MatchesDataList(const StreamHandle& content, uint32_t columns) const {
  if (columns == 0) return false;
  std::optional<std::string> cell;
  for (uint32_t c = 0; c < columns; ++c)
    if (FAILED(content.ReadCountedString(cell)) || !cell) return false;
  for (;;) {
    for (uint32_t c = 0; c < columns; ++c) {
      if (FAILED(content.ReadCountedString(cell))) return false;
      // A null first cell ends the rows; a null later cell is an empty cell.
      if (!cell) {
        if (c == 0) return false;
        continue;
      }
      if (ContainsBytes(*cell, text_)) return true;
    }
  }
}

bool ContentMatcher::MatchesFileFolder(const StreamHandle& content) const {
  std::optional<std::string> title, path, extra;
  for (;;) {
    uint8_t header[12];
    if (!content.ReadRecord(header, sizeof header)) return false;
    if (FAILED(content.ReadCountedString(title)) || !title) return false;
    if (ContainsBytes(*title, text_)) return true;
    if (FAILED(content.ReadCountedString(path)) || !path) return false;
    if (FAILED(content.ReadCountedString(extra)) || !extra) return false;
  }
}

bool ContentMatcher::MatchesContent(uint16_t kind, const StreamHandle& content, ULONG offset,
                                    uint32_t columns) const {
  if (!content || FAILED(content.Seek(offset, STREAM_SEEK_SET))) return false;
  switch (kind) {
    case kItemText:
      if (!ReadRest(content, buffer_)) return false;
      return MatchesRichText(buffer_.data(), buffer_.size());
    case kItemDataList: return MatchesDataList(content, columns);
    case kItemFileFolder: return MatchesFileFolder(content);
    default: return false;
  }
}

void SearchTreeContent(const StorageHandle& storage, const ElementPath& prefix, const ContentMatcher& matcher,
                       SearchResults& results) {
  ElementPath path = prefix;
  // Deeper than a tree can be shown is not walked (a damaged file could nest without end).
  if (path.size() > 600) return;
  storage.ForEachElement([&](const STATSTG& stat, const std::string& name) {
    path.push_back(name);
    if (stat.type == STGTY_STORAGE) {
      StorageHandle child = storage.OpenStorageFor(name.c_str(), true);
      if (child) SearchTreeContent(child, path, matcher, results);
    } else if (stat.type == STGTY_STREAM && !IsNodeInfoStreamName(name)) {
      StreamHandle leaf = storage.OpenStreamFor(name.c_str(), true);
      NodeInfoRecord record;
      if (leaf && ReadNodeInfo(leaf, record)) {
        // A leaf's kind is 1 for every node the node commands make; the
        // collector also writes web pages, which are not searched.
        uint16_t kind = record.kind == 0 ? static_cast<uint16_t>(kItemText) : record.kind;
        if (matcher.MatchesContent(kind, leaf, kRecordSize, 0)) results.push_back(path);
      }
    }
    path.pop_back();
    return true;
  });
}

void SearchTabPages(const StorageHandle& item, const ElementPath& itemPath, const ContentMatcher& matcher,
                    SearchResults& results) {
  item.ForEachElement([&](const STATSTG& stat, const std::string& name) {
    if (stat.type != STGTY_STORAGE) return true;
    StorageHandle page = item.OpenStorageFor(name.c_str(), true);
    if (!page) return true;
    ItemInfoRecord record = ItemRecordOf(page, kTabPageItemInfo);
    StreamHandle content = page.OpenStreamFor(kTabPageItemContent, true);
    if (content && matcher.MatchesContent(static_cast<uint16_t>(record.kind), content, 0, record.places)) {
      ElementPath path = itemPath;
      path.push_back(name);
      results.push_back(std::move(path));
    }
    return true;
  });
}

void SearchCatalogContent(const StorageHandle& folder, const ElementPath& prefix, const ContentMatcher& matcher,
                          SearchResults& results) {
  folder.ForEachElement([&](const STATSTG& stat, const std::string& name) {
    if (stat.type != STGTY_STORAGE) return true;
    StorageHandle item = folder.OpenStorageFor(name.c_str(), true);
    if (!item) return true;
    ElementPath path = prefix;
    path.push_back(name);
    ItemInfoRecord record = ItemRecordOf(item, kFolderItemInfo);
    const uint16_t kind = static_cast<uint16_t>(record.kind);
    if (kind == kItemTabPages) {
      SearchTabPages(item, path, matcher, results);
      return true;
    }
    StreamHandle content = item.OpenStreamFor(kFolderItemContent, true);
    if (content && matcher.MatchesContent(kind, content, 0, record.places)) results.push_back(path);
    return true;
  });
}

namespace {

bool TitleHolds(const std::string& elementName, const std::string& text) {
  return ContainsBytes(DisplayName(elementName), text);
}

void SearchTreeTitles(const StorageHandle& storage, ElementPath& path, const std::string& text,
                      SearchResults& results) {
  if (path.size() > 600) return;
  storage.ForEachElement([&](const STATSTG& stat, const std::string& name) {
    path.push_back(name);
    if (stat.type == STGTY_STORAGE) {
      if (TitleHolds(name, text)) results.push_back(path);
      StorageHandle child = storage.OpenStorageFor(name.c_str(), true);
      if (child) SearchTreeTitles(child, path, text, results);
    } else if (stat.type == STGTY_STREAM && !IsNodeInfoStreamName(name) && TitleHolds(name, text)) {
      results.push_back(path);
    }
    path.pop_back();
    return true;
  });
}

void SearchCatalogTitles(const StorageHandle& folder, ElementPath& path, const std::string& text,
                         SearchResults& results) {
  folder.ForEachElement([&](const STATSTG& stat, const std::string& name) {
    if (stat.type != STGTY_STORAGE) return true;
    path.push_back(name);
    StorageHandle item = folder.OpenStorageFor(name.c_str(), true);
    ItemInfoRecord record = item ? ItemRecordOf(item, kFolderItemInfo) : ItemInfoRecord{};
    if (item && static_cast<uint16_t>(record.kind) == kItemTabPages) {
      item.ForEachElement([&](const STATSTG& page, const std::string& pageName) {
        if (page.type == STGTY_STORAGE && TitleHolds(pageName, text)) {
          path.push_back(pageName);
          results.push_back(path);
          path.pop_back();
        }
        return true;
      });
    }
    if (TitleHolds(name, text)) results.push_back(path);
    path.pop_back();
    return true;
  });
}

}  // namespace

void SearchTitles(const StorageHandle& root, const std::string& currentFolderName,
                  const StorageHandle& currentFolder, const std::string& text, SearchResults& results) {
  root.ForEachElement([&](const STATSTG& stat, const std::string& name) {
    if (stat.type != STGTY_STORAGE || IsSettingsStorageName(name)) return true;
    const bool isCurrent = currentFolder && lstrcmpiA(name.c_str(), currentFolderName.c_str()) == 0;
    StorageHandle opened;
    if (!isCurrent) opened = root.OpenStorageFor(name.c_str(), true);
    const StorageHandle& folder = isCurrent ? currentFolder : opened;
    if (!folder) return true;
    CLSID clsid;
    uint16_t kind = 0, order = 0;
    if (SUCCEEDED(folder.ReadClass(clsid))) DecodeFolderClassId(clsid, kind, order);
    ElementPath path{name};
    if (kind == kFolderTree) SearchTreeTitles(folder, path, text, results);
    else if (kind == kFolderCatalog) SearchCatalogTitles(folder, path, text, results);
    return true;
  });
}

}  // namespace vellora
