#pragma once
// A data list item's table as it lies in the library, with no window: the
// columns (titles and widths, in display order) in the info and content
// streams, the rows of cells behind the titles, the edits the list view
// makes, and the sort rules of a header click.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "content/ItemSource.h"

namespace vellora {

// A column the user inserts is wider than the columns of a new list.
inline constexpr int32_t kInsertedColumnWidth = 100;
// A stored width of -1 leaves the column at the width the control chooses.
inline constexpr int32_t kControlDefaultWidth = -1;

struct DataListColumn {
  std::string title;
  int32_t width = static_cast<int32_t>(kDefaultColumnWidth);
};

// Every row holds exactly one cell per column.
struct DataList {
  std::vector<DataListColumn> columns;
  std::vector<std::vector<std::string>> rows;

  size_t ColumnCount() const { return columns.size(); }
  size_t RowCount() const { return rows.size(); }

  // A column before position `at` (at the end when `at` is past it); every
  // row gets an empty cell there.
  void InsertColumn(size_t at, const std::string& title, int32_t width);
  // Deleting the last column takes every row with it.
  void DeleteColumn(size_t at);
  // The columns in a new order: order[i] is the old position of the column
  // that goes to position i. False, and nothing changed, when order is not a
  // permutation of the positions.
  bool ReorderColumns(const std::vector<int>& order);
  // A row of cells, cut or padded to the column count.
  void AppendRow(std::vector<std::string> cells);
  void SetRow(size_t row, std::vector<std::string> cells);
  void DeleteRow(size_t row);
  // Swaps a row with its neighbour above; false when there is none.
  bool SwapWithPrevious(size_t row);
};

// What reading a stored list found.
struct DataListRead {
  // The stored column count or layout could not be trusted, or the content
  // ended inside a row: what could be read is in the list, the rest is not.
  bool damaged = false;
  // The stored list had no column count at all (no info record): its content
  // cannot be laid out into columns.
  bool columnsUnknown = false;
};

// Reads the list of an opened item: the column count and widths from the
// info stream, the titles and rows from the content. Empty cells stored as
// null strings (as older files hold them) read as empty cells; a null first
// cell ends the rows only where nothing follows it.
DataListRead ReadDataList(const OpenedItem& item, DataList& out);
// The same from the bytes of the two streams (info from its start, content
// from the content's start).
DataListRead ParseDataList(const std::string& info, bool hasInfo, const std::string& content, DataList& out);

// The content stream's bytes: the titles, then every row's cells; an empty
// cell is the empty string, so no row ever ends the list early.
std::string EncodeDataListContent(const DataList& list);

// Writes the list into an item opened for update: the content whole, the
// column count at offset 12 of the info record and the widths behind it,
// with the custom icon path that followed the old widths moved behind the
// new ones. The caller commits.
HRESULT WriteDataList(OpenedItem& item, const DataList& list);

// ---- sorting ------------------------------------------------------------------

// The number a cell sorts by: its leading decimal number (spaces, a sign,
// digits, a fraction, an exponent), as the C library's atof reads it; 0 for a
// cell that does not start with one.
double SortKey(const std::string& cell);

// The column and direction of the last sort. One lives for the program run
// and is shared by every data list; it starts at column 0, ascending.
struct SortMemory {
  int column = 0;
  bool descending = false;
};

// The direction of a sort by `column`, remembered for the next click: a new
// column, or one last sorted ascending, sorts descending; the column last
// sorted descending sorts ascending.
bool NextSortDescending(SortMemory& memory, int column);

// Sorts the rows by the numbers of one column. Rows with equal numbers keep
// their order. Answers where each row came from: row i of the sorted list
// was row order[i] before.
std::vector<size_t> SortRows(DataList& list, size_t column, bool descending);

}  // namespace vellora
