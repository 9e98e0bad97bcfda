#pragma once
// Bookmarks as the menus and the bookmark list show them: the "Quick Access"
// entries of a bookmark list, and the rows of the bookmark list dialog with
// the edits it allows before Ok hands the list back.
#include <windows.h>

#include <string>
#include <vector>

#include "content/CommandIds.h"
#include "store/LibraryFormat.h"

namespace vellora {

// Bookmark names are cut to this many bytes.
inline constexpr size_t kMaxBookmarkName = 31;
// Entries that reach a bookmark from the menu.
inline constexpr int kRoutedQuickAccessEntries = ID_QUICK_ACCESS_LAST - ID_QUICK_ACCESS_FIRST + 1;

struct QuickAccessEntry {
  UINT id = 0;
  std::string label;
  bool grayed = false;
};

// One entry per routed bookmark, labelled "name\t(&n)"; a list longer than
// the routed ids ends with an entry that opens the bookmark manager, and an
// empty one holds a single greyed placeholder.
std::vector<QuickAccessEntry> QuickAccessEntries(const std::vector<Bookmark>& bookmarks);
// The bookmark a "Quick Access" command goes to: the one at the entry's
// position; null when the id is outside the list.
const Bookmark* BookmarkForCommand(const std::vector<Bookmark>& bookmarks, UINT id);

// The rows of the bookmark list dialog and what its buttons do to them.
class BookmarkRows {
 public:
  struct Row {
    int order = 0;  // shown in the "Order" column
    std::string name;
    std::string path;
  };

  explicit BookmarkRows(const std::vector<Bookmark>& bookmarks);
  const std::vector<Row>& Rows() const { return rows_; }
  int Selected() const { return selected_; }
  void Select(int row) { selected_ = row >= 0 && row < static_cast<int>(rows_.size()) ? row : -1; }

  // "&Delete": the row goes and the row now at its place is selected (the
  // last one when it was the last); the order numbers are left as they are.
  bool DeleteSelected();
  // "&Modify": the selected row takes the new name (cut to 31 bytes).
  bool RenameSelected(const std::string& name);
  // "Move &above" / "Move &below": false on the first / last row (the
  // dialog then says so); otherwise the rows swap, the order numbers are
  // counted again from 1 and the moved row stays selected.
  bool MoveSelectedUp();
  bool MoveSelectedDown();
  // "Ok": the list in the rows' order.
  std::vector<Bookmark> Result() const;

 private:
  void Renumber();
  std::vector<Row> rows_;
  int selected_ = -1;
};

}  // namespace vellora
