#pragma once
// The walks of the library-wide searches: through the stored content of a
// tree folder, a branch, a catalog folder or a tab pages item, and through
// every title of the library. Each walk collects the paths of element names
// (folder first) of what matched, in the storages' enumeration order.
// Nothing here opens a window: rich text is read by the reader of RtfText.h.
#include <windows.h>

#include <string>
#include <vector>

#include "content/RtfText.h"
#include "store/LibraryFormat.h"
#include "store/StorageHandle.h"

namespace vellora {

using ElementPath = std::vector<std::string>;
using SearchResults = std::vector<ElementPath>;

// Byte-wise search in ANSI text (letters of either case differ); a match
// starts only where a character starts, never inside a double-byte one.
bool ContainsBytes(const std::string& text, const std::string& part);

// What one search looks for, prepared once for the whole walk.
class ContentMatcher {
 public:
  explicit ContentMatcher(std::string text);
  const std::string& Text() const { return text_; }

  // Rich text: the rich edit's find (case ignored).
  bool MatchesRichText(const char* data, size_t size) const { return needle_.FoundInRtf(data, size); }
  // A data list's content stream: any cell of any row (the column titles are
  // not cells); columns is the item's column count.
  bool MatchesDataList(const StreamHandle& content, uint32_t columns) const;
  // A file folder's content stream: the title of any entry.
  bool MatchesFileFolder(const StreamHandle& content) const;
  // An item's content stream by its kind (Text, Data List, File Folder; the
  // other kinds are never searched). columns: a data list's column count.
  bool MatchesContent(uint16_t kind, const StreamHandle& content, ULONG offset, uint32_t columns) const;

 private:
  std::string text_;
  TextNeedle needle_;
  mutable std::string buffer_;  // reused for every stream read
};

// The tree walk: every leaf below storage (a tree folder or a folder node)
// whose content matches adds prefix + its element names.
void SearchTreeContent(const StorageHandle& storage, const ElementPath& prefix, const ContentMatcher& matcher,
                       SearchResults& results);
// The catalog walk: every item of the folder whose content matches, and
// every matching page of its tab pages items (path item\page).
void SearchCatalogContent(const StorageHandle& folder, const ElementPath& prefix, const ContentMatcher& matcher,
                          SearchResults& results);
// The tab walk over one tab pages item's storage.
void SearchTabPages(const StorageHandle& item, const ElementPath& itemPath, const ContentMatcher& matcher,
                    SearchResults& results);

// Every title of the library: nodes, catalog items and tab pages whose shown
// title holds the text (byte-wise, so case matters). The current folder's
// storage is open already and is used as it is.
void SearchTitles(const StorageHandle& root, const std::string& currentFolderName,
                  const StorageHandle& currentFolder, const std::string& text, SearchResults& results);

}  // namespace vellora
