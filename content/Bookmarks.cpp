// Quick Access entries and the bookmark list's rows.
#include "content/Bookmarks.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace vellora {

std::vector<QuickAccessEntry> QuickAccessEntries(const std::vector<Bookmark>& bookmarks) {
  std::vector<QuickAccessEntry> entries;
  if (bookmarks.empty()) {
    entries.push_back({ID_QUICK_ACCESS_PLACEHOLDER, "(empty)", true});
    return entries;
  }
  const size_t routed = std::min(bookmarks.size(), static_cast<size_t>(kRoutedQuickAccessEntries));
  for (size_t i = 0; i < routed; ++i) {
    // A name from the file is cut, never trusted to fit.
    char label[96];
    std::snprintf(label, sizeof label, "%s\t(&%d)", CutToBytes(bookmarks[i].title, 63).c_str(),
                  static_cast<int>(i + 1));
    entries.push_back({static_cast<UINT>(ID_QUICK_ACCESS_FIRST + i), label, false});
  }
  // The rest are reached through the bookmark manager, not through entries
  // that could do nothing.
  if (bookmarks.size() > routed) entries.push_back({ID_BOOKMARK_MANAGER, "More Bookmarks...\tCtrl+L", false});
  return entries;
}

const Bookmark* BookmarkForCommand(const std::vector<Bookmark>& bookmarks, UINT id) {
  if (id < ID_QUICK_ACCESS_FIRST || id > ID_QUICK_ACCESS_LAST) return nullptr;
  size_t index = id - ID_QUICK_ACCESS_FIRST;
  return index < bookmarks.size() ? &bookmarks[index] : nullptr;
}

BookmarkRows::BookmarkRows(const std::vector<Bookmark>& bookmarks) {
  int order = 1;
  for (const Bookmark& b : bookmarks) rows_.push_back({order++, b.title, b.location});
  selected_ = rows_.empty() ? -1 : 0;
}

bool BookmarkRows::DeleteSelected() {
  if (selected_ < 0) return false;
  rows_.erase(rows_.begin() + selected_);
  if (selected_ >= static_cast<int>(rows_.size())) selected_ = static_cast<int>(rows_.size()) - 1;
  return true;
}

bool BookmarkRows::RenameSelected(const std::string& name) {
  if (selected_ < 0 || name.empty()) return false;
  rows_[static_cast<size_t>(selected_)].name = CutToBytes(name, kMaxBookmarkName);
  return true;
}

bool BookmarkRows::MoveSelectedUp() {
  if (selected_ <= 0) return false;
  std::swap(rows_[static_cast<size_t>(selected_)], rows_[static_cast<size_t>(selected_ - 1)]);
  --selected_;
  Renumber();
  return true;
}

bool BookmarkRows::MoveSelectedDown() {
  if (selected_ < 0 || selected_ + 1 >= static_cast<int>(rows_.size())) return false;
  std::swap(rows_[static_cast<size_t>(selected_)], rows_[static_cast<size_t>(selected_ + 1)]);
  ++selected_;
  Renumber();
  return true;
}

void BookmarkRows::Renumber() {
  int order = 1;
  for (Row& row : rows_) row.order = order++;
}

std::vector<Bookmark> BookmarkRows::Result() const {
  std::vector<Bookmark> out;
  for (const Row& row : rows_) out.push_back({row.name, row.path});
  return out;
}

}  // namespace vellora
