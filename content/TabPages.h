#pragma once
// The pages of a tab pages item: one storage per page inside the item's
// storage, each holding "TabPageItemInfo" (whose first field is the page's
// order key) and "TabPageItemContent". The list is kept in tab order and every
// change is made in the item storage first, so the list never shows a page
// the file does not hold.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "content/ContentPrompt.h"
#include "store/StorageHandle.h"

namespace vellora {

struct TabPageEntry {
  std::string elementName;  // the page storage's name inside the item
  std::string title;        // what its tab shows (the name decoded)
  int32_t orderKey = 0;
  uint16_t kind = 0;
};

// The kinds a page may have: every information item kind but tab pages.
bool IsPageKind(uint16_t kind);

class TabPages {
 public:
  // Reads every page storage of the item, in ascending order keys; pages with
  // equal keys keep the storage's enumeration order. A record that cannot be
  // read whole counts as zeros. Answers the HRESULT of the enumeration.
  HRESULT Load(const StorageHandle& item);
  void Clear();

  const std::vector<TabPageEntry>& Pages() const { return pages_; }
  size_t Count() const { return pages_.size(); }
  // The largest order key read or given (0 when none is above 0).
  int32_t LargestKey() const { return largestKey_; }
  // The page whose title is title, compared as the storage compares names
  // (without letter case); -1 when there is none.
  int IndexOfTitle(const std::string& title) const;
  // The page a location path's page component names: the page of that
  // element name (a search result), else the first of that title (a
  // bookmark), byte for byte; -1 when there is none.
  int IndexOfComponent(const std::string& component) const;

  // Lays down a page as the dialog asked for it with the order key largest
  // + 1 and appends it; index gets its place. A title that names no free
  // element (a page of that title, or a name the library keeps) gets an
  // encoded free name, so no page storage is ever replaced.
  HRESULT Add(const StorageHandle& item, const NewItemRequest& request, size_t& index);
  // Destroys the page's storage and drops it from the list. The last page is
  // never deleted (E_ACCESSDENIED): an item keeps at least one page.
  HRESULT Delete(const StorageHandle& item, size_t index);

  enum class RenameResult { kRenamed, kUnchanged, kRepeated, kEmpty, kFailed };
  // Gives the page a new title: refused when another page carries it.
  RenameResult Rename(const StorageHandle& item, size_t index, const std::string& title);
  // Gives a page whose storage had to take an encoded name its plain title
  // as its name, once that is free; S_FALSE when it has it already.
  HRESULT TakePlainName(const StorageHandle& item, size_t index);
  // Exchanges the order keys of two pages in their records and their places
  // in the list (Move Forward / Move Back).
  HRESULT Swap(const StorageHandle& item, size_t first, size_t second);

 private:
  std::vector<TabPageEntry> pages_;
  int32_t largestKey_ = 0;
};

}  // namespace vellora

namespace vellora {

class TextSource;

// The page commands of the tab pages view, with their questions and
// messages. Each answers whether the pages changed; the view then lays its
// tabs out again from the page list.
class TabPageCommands {
 public:
  TabPageCommands(ContentPrompt& prompt, const TextSource& texts) : prompt_(prompt), texts_(texts) {}

  // "Add TabPage": a new page of any kind but tab pages; index gets the page
  // to select. A title that another page carries asks first: replace it,
  // choose another name, or cancel.
  bool Add(const StorageHandle& item, TabPages& pages, size_t& index);
  // Deletes the current page at once; the last page is refused with a warning.
  bool Delete(const StorageHandle& item, TabPages& pages, size_t current);
  // "Rename TabPage": refused with a warning when another page has the title.
  bool Rename(const StorageHandle& item, TabPages& pages, size_t current);
  // Move Forward (delta -1) and Move Back (+1); nothing past either end.
  bool Move(const StorageHandle& item, TabPages& pages, size_t current, int delta);

 private:
  void Warn(const std::string& text);
  ContentPrompt& prompt_;
  const TextSource& texts_;
};

}  // namespace vellora
