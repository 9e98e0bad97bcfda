#include "content/DataList.h"

#include <algorithm>
#include <cstdlib>
#include <numeric>
#include <utility>

#include "content/CountedStrings.h"

namespace vellora {

namespace {

constexpr size_t kColumnCountOffset = 12;

uint32_t U32At(const std::string& bytes, size_t at) {
  const auto* b = reinterpret_cast<const unsigned char*>(bytes.data() + at);
  return static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 | static_cast<uint32_t>(b[2]) << 16 |
         static_cast<uint32_t>(b[3]) << 24;
}

void FitRow(std::vector<std::string>& cells, size_t columns) { cells.resize(columns); }

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

// ---- edits --------------------------------------------------------------------

void DataList::InsertColumn(size_t at, const std::string& title, int32_t width) {
  if (at > columns.size()) at = columns.size();
  columns.insert(columns.begin() + static_cast<std::ptrdiff_t>(at), DataListColumn{title, width});
  for (auto& row : rows) row.insert(row.begin() + static_cast<std::ptrdiff_t>(at), std::string());
}

void DataList::DeleteColumn(size_t at) {
  if (at >= columns.size()) return;
  columns.erase(columns.begin() + static_cast<std::ptrdiff_t>(at));
  // Rows without a single cell are nothing the file can hold: kept, they
  // would come back as blank rows once a column is inserted.
  if (columns.empty()) {
    rows.clear();
    return;
  }
  for (auto& row : rows) row.erase(row.begin() + static_cast<std::ptrdiff_t>(at));
}

bool DataList::ReorderColumns(const std::vector<int>& order) {
  if (order.size() != columns.size()) return false;
  std::vector<bool> seen(order.size(), false);
  for (int from : order) {
    if (from < 0 || static_cast<size_t>(from) >= order.size() || seen[static_cast<size_t>(from)]) return false;
    seen[static_cast<size_t>(from)] = true;
  }
  std::vector<DataListColumn> newColumns;
  newColumns.reserve(columns.size());
  for (int from : order) newColumns.push_back(std::move(columns[static_cast<size_t>(from)]));
  columns = std::move(newColumns);
  for (auto& row : rows) {
    std::vector<std::string> cells;
    cells.reserve(row.size());
    for (int from : order) cells.push_back(std::move(row[static_cast<size_t>(from)]));
    row = std::move(cells);
  }
  return true;
}

void DataList::AppendRow(std::vector<std::string> cells) {
  FitRow(cells, columns.size());
  rows.push_back(std::move(cells));
}

void DataList::SetRow(size_t row, std::vector<std::string> cells) {
  if (row >= rows.size()) return;
  FitRow(cells, columns.size());
  rows[row] = std::move(cells);
}

void DataList::DeleteRow(size_t row) {
  if (row < rows.size()) rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(row));
}

bool DataList::SwapWithPrevious(size_t row) {
  if (row == 0 || row >= rows.size()) return false;
  std::swap(rows[row - 1], rows[row]);
  return true;
}

// ---- reading --------------------------------------------------------------------

DataListRead ParseDataList(const std::string& info, bool hasInfo, const std::string& content, DataList& out) {
  out = DataList{};
  DataListRead result;
  if (!hasInfo || info.size() < kRecordSize) {
    // Without the record there is no column count, and a run of strings
    // cannot be split into titles and cells.
    result.columnsUnknown = true;
    result.damaged = !content.empty();
    return result;
  }
  // The count comes from the file. Every column has a title in the content,
  // so the titles really there bound it: a count of a billion never makes us
  // read (or allocate) a billion of anything. A width array shorter than the
  // count (older files) gives the columns it lacks the default width.
  const uint32_t stored = U32At(info, kColumnCountOffset);
  const size_t widthsHeld = (info.size() - kRecordSize) / 4;

  CountedReader reader(content);
  std::string text;
  for (size_t i = 0; i < stored; ++i) {
    if (reader.Next(text) != CountedReader::Got::Text) {
      // Titles are never stored empty: a missing one means the rest cannot
      // be laid out.
      result.damaged = true;
      return result;
    }
    DataListColumn column;
    column.title = std::move(text);
    if (i < widthsHeld) column.width = static_cast<int32_t>(U32At(info, kRecordSize + 4 * i));
    out.columns.push_back(std::move(column));
  }
  const size_t columns = out.columns.size();
  if (columns == 0) {
    result.damaged = result.damaged || reader.Remaining() > 0;
    return result;
  }
  for (;;) {
    std::vector<std::string> row;
    CountedReader::Got got = reader.Next(text);
    if (got == CountedReader::Got::End) break;
    if (got == CountedReader::Got::Broken) {
      result.damaged = true;
      break;
    }
    // A null first cell is where older files stopped a list; where more
    // follows it, it was an emptied first cell and the row goes on.
    if (got == CountedReader::Got::Null && reader.Remaining() == 0) break;
    row.reserve(columns);
    row.push_back(std::move(text));
    bool whole = true;
    for (size_t c = 1; c < columns; ++c) {
      got = reader.Next(text);
      if (got == CountedReader::Got::End || got == CountedReader::Got::Broken) {
        whole = false;
        break;
      }
      row.push_back(std::move(text));
    }
    out.AppendRow(std::move(row));
    if (!whole) {
      result.damaged = true;
      break;
    }
  }
  return result;
}

DataListRead ReadDataList(const OpenedItem& item, DataList& out) {
  std::string info, content;
  bool readable = true;
  if (item.info) readable = SUCCEEDED(item.info.Seek(0, STREAM_SEEK_SET)) && ReadToEnd(item.info, info);
  readable = readable && SUCCEEDED(item.SeekContent()) && ReadToEnd(item.Content(), content);
  DataListRead result = ParseDataList(info, !item.info.Empty(), content, out);
  if (!readable) result.damaged = true;
  return result;
}

// ---- writing --------------------------------------------------------------------

std::string EncodeDataListContent(const DataList& list) {
  std::string bytes;
  for (const DataListColumn& column : list.columns) AppendCounted(bytes, column.title);
  for (const auto& row : list.rows)
    for (size_t c = 0; c < list.columns.size(); ++c) AppendCounted(bytes, c < row.size() ? row[c] : std::string());
  return bytes;
}

HRESULT WriteDataList(OpenedItem& item, const DataList& list) {
  const StreamHandle& info = item.info;
  if (!info) return STG_E_FILENOTFOUND;
  if (info.Size() < kRecordSize) return STG_E_INVALIDHEADER;

  // The icon path sits behind the old widths; it moves behind the new ones.
  std::string infoBytes;
  HRESULT hr = info.Seek(0, STREAM_SEEK_SET);
  if (FAILED(hr)) return hr;
  if (!ReadToEnd(info, infoBytes)) return STG_E_READFAULT;
  const uint32_t oldCount = U32At(infoBytes, kColumnCountOffset);
  std::string iconPath;
  bool hasIcon = false;
  const unsigned long long iconAt = kRecordSize + 4ull * oldCount;
  if (iconAt < infoBytes.size()) {
    CountedReader reader(infoBytes.data() + iconAt, infoBytes.size() - static_cast<size_t>(iconAt));
    hasIcon = reader.Next(iconPath) == CountedReader::Got::Text;
  }

  std::string tail;
  AppendU32(tail, static_cast<uint32_t>(list.columns.size()));
  infoBytes.replace(kColumnCountOffset, 4, tail);
  infoBytes.resize(kRecordSize);
  for (const DataListColumn& column : list.columns) AppendU32(infoBytes, static_cast<uint32_t>(column.width));
  if (hasIcon) AppendCounted(infoBytes, iconPath);

  if (infoBytes.size() > 0xFFFFFFF0u) return STG_E_MEDIUMFULL;
  hr = item.ReplaceContent(EncodeDataListContent(list));
  if (SUCCEEDED(hr)) hr = info.Seek(0, STREAM_SEEK_SET);
  if (SUCCEEDED(hr)) hr = info.WriteBytes(infoBytes.data(), static_cast<ULONG>(infoBytes.size()));
  if (SUCCEEDED(hr)) {
    ULARGE_INTEGER size;
    size.QuadPart = infoBytes.size();
    hr = info->SetSize(size);
  }
  return hr;
}

// ---- sorting ------------------------------------------------------------------

double SortKey(const std::string& cell) {
  size_t i = 0;
  const size_t n = cell.size();
  while (i < n && IsSpace(cell[i])) ++i;
  const size_t start = i;
  if (i < n && (cell[i] == '+' || cell[i] == '-')) ++i;
  size_t digits = 0;
  while (i < n && IsDigit(cell[i])) ++i, ++digits;
  if (i < n && cell[i] == '.') {
    ++i;
    while (i < n && IsDigit(cell[i])) ++i, ++digits;
  }
  if (digits == 0) return 0.0;
  if (i < n && (cell[i] == 'e' || cell[i] == 'E')) {
    size_t e = i + 1;
    if (e < n && (cell[e] == '+' || cell[e] == '-')) ++e;
    if (e < n && IsDigit(cell[e])) {
      while (e < n && IsDigit(cell[e])) ++e;
      i = e;
    }
  }
  // Only the number's own characters reach strtod, so nothing it would read
  // beyond what atof reads (hexadecimal, "inf", "nan") can slip in.
  return std::strtod(cell.substr(start, i - start).c_str(), nullptr);
}

bool NextSortDescending(SortMemory& memory, int column) {
  const bool descending = memory.column != column || !memory.descending;
  memory.column = column;
  memory.descending = descending;
  return descending;
}

std::vector<size_t> SortRows(DataList& list, size_t column, bool descending) {
  if (column >= list.columns.size()) return {};
  std::vector<double> keys;
  keys.reserve(list.rows.size());
  for (const auto& row : list.rows) keys.push_back(SortKey(row[column]));
  std::vector<size_t> order(list.rows.size());
  std::iota(order.begin(), order.end(), size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    return descending ? keys[a] > keys[b] : keys[a] < keys[b];
  });
  std::vector<std::vector<std::string>> sorted;
  sorted.reserve(list.rows.size());
  for (size_t from : order) sorted.push_back(std::move(list.rows[from]));
  list.rows = std::move(sorted);
  return order;
}

}  // namespace vellora
