// The stored form of a data list: reading (also of damaged and older
// files), writing in one step with the icon path kept behind the widths, the
// table edits and the sort rules.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "content/CountedStrings.h"
#include "content/DataList.h"
#include "tests/content/ContentFixtures.h"

using namespace vellora;
using vtest::Bytes32;
using vtest::Counted;

namespace {

const std::string kNull = Bytes32(0);

// A 40-byte record with the column count at offset 12, then the widths.
std::string Info(uint32_t count, const std::vector<uint32_t>& widths = {}, const std::string& tail = {}) {
  std::string info = Bytes32(1) + Bytes32(kItemDataList) + Bytes32(1) + Bytes32(count) + std::string(24, '\0');
  for (uint32_t w : widths) info += Bytes32(w);
  return info + tail;
}

std::string Titles(const std::vector<std::string>& titles) {
  std::string out;
  for (const auto& t : titles) out += Counted(t);
  return out;
}

using Rows = std::vector<std::vector<std::string>>;

struct ParseCase {
  const char* name;
  std::string info;
  bool hasInfo;
  std::string content;
  std::vector<std::string> titles;
  Rows rows;
  bool damaged;
  bool unknown;
};

TEST(DataListRead, StoredFormsReadAsWhatIsInThem) {
  const std::string abc = Titles({"A", "B", "C"});
  const std::string longTitle(5000, 't');
  const ParseCase cases[] = {
      {"columns and no rows", Info(3, {80, 80, 80}), true, abc, {"A", "B", "C"}, {}, false, false},
      {"an empty later cell stored null", Info(2, {80, 80}), true, Titles({"A", "B"}) + Counted("x") + kNull,
       {"A", "B"}, {{"x", ""}}, false, false},
      {"an empty first cell stored as the empty string", Info(2, {80, 80}), true,
       Titles({"A", "B"}) + Counted("") + Counted("y") + Counted("z") + Counted("w"), {"A", "B"},
       {{"", "y"}, {"z", "w"}}, false, false},
      {"an older file's null first cell with rows after it", Info(2, {80, 80}), true,
       Titles({"A", "B"}) + kNull + Counted("y") + Counted("z") + Counted("w"), {"A", "B"},
       {{"", "y"}, {"z", "w"}}, false, false},
      {"a null first cell at the very end ends the rows", Info(1, {80}), true, Titles({"A"}) + Counted("r") + kNull,
       {"A"}, {{"r"}}, false, false},
      {"the content ends inside a row", Info(3, {80, 80, 80}), true,
       abc + Counted("1") + Counted("2") + Counted("3") + Counted("4"), {"A", "B", "C"},
       {{"1", "2", "3"}, {"4", "", ""}}, true, false},
      {"the content ends inside a count", Info(1, {80}), true, Titles({"A"}) + Counted("1") + "\x08\x00", {"A"},
       {{"1"}}, true, false},
      {"a count beyond the bytes left", Info(1, {80}), true, Titles({"A"}) + Bytes32(4000) + "ab", {"A"}, {},
       true, false},
      {"a column count of a billion", Info(1000000000u, {80, 80, 80}), true, abc + Counted("1") + Counted("2") +
       Counted("3"), {"A", "B", "C", "1", "2", "3"}, {}, true, false},
      {"a title of 5,000 bytes", Info(1, {80}), true, Titles({longTitle}) + Counted("v"), {longTitle}, {{"v"}}, false,
       false},
      {"fewer titles than columns", Info(3, {80, 80, 80}), true, Titles({"A"}), {"A"}, {}, true, false},
      {"no columns and no content", Info(0), true, "", {}, {}, false, false},
      {"no columns but content", Info(0), true, Titles({"A"}), {}, {}, true, false},
      {"no info stream and no content", "", false, "", {}, {}, false, true},
      {"no info stream but content", "", false, abc, {}, {}, true, true},
      {"a record cut short", Info(3).substr(0, 20), true, abc, {}, {}, true, true},
  };
  for (const ParseCase& c : cases) {
    SCOPED_TRACE(c.name);
    DataList list;
    DataListRead read = ParseDataList(c.info, c.hasInfo, c.content, list);
    std::vector<std::string> titles;
    for (const auto& column : list.columns) titles.push_back(column.title);
    EXPECT_EQ(titles, c.titles);
    EXPECT_EQ(list.rows, c.rows);
    EXPECT_EQ(read.damaged, c.damaged);
    EXPECT_EQ(read.columnsUnknown, c.unknown);
  }
}

TEST(DataListRead, WidthsComeFromTheInfoStreamAndMinusOneIsKept) {
  DataList list;
  ParseDataList(Info(2, {120, 0xFFFFFFFFu}), true, Titles({"A", "B"}), list);
  ASSERT_EQ(list.columns.size(), 2u);
  EXPECT_EQ(list.columns[0].width, 120);
  EXPECT_EQ(list.columns[1].width, kControlDefaultWidth);
}

TEST(DataListRead, AWidthArrayShorterThanTheColumnsStillReadsEveryColumn) {
  const std::string content = Titles({"A", "B", "C"}) + Counted("1") + Counted("2") + Counted("3") + Counted("4") +
                              Counted("5") + Counted("6");
  const struct {
    std::vector<uint32_t> widths;
    std::vector<int32_t> expected;
  } cases[] = {{{}, {80, 80, 80}}, {{120}, {120, 80, 80}}, {{120, 60}, {120, 60, 80}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.widths.size());
    DataList list;
    EXPECT_FALSE(ParseDataList(Info(3, c.widths), true, content, list).damaged);
    std::vector<int32_t> widths;
    for (const auto& column : list.columns) widths.push_back(column.width);
    EXPECT_EQ(widths, c.expected);
    EXPECT_EQ(list.rows, (Rows{{"1", "2", "3"}, {"4", "5", "6"}}));
  }
}

TEST(DataListWrite, AnEmptyCellIsTheEmptyStringSoNoRowIsLost) {
  DataList list;
  list.columns = {{"A", 80}, {"B", 80}};
  list.AppendRow({"", "b"});
  list.AppendRow({"c", ""});
  std::string bytes = EncodeDataListContent(list);
  EXPECT_EQ(bytes, Titles({"A", "B"}) + Bytes32(2) + std::string(2, '\0') + Counted("b") + Counted("c") + Bytes32(2) +
                       std::string(2, '\0'));
  DataList back;
  EXPECT_FALSE(ParseDataList(Info(2, {80, 80}), true, bytes, back).damaged);
  EXPECT_EQ(back.rows, list.rows);
}

// A data list item in a catalog folder of a real compound file.
class StoredList : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = file_.AddStorage("Folder");
    ASSERT_HRESULT_SUCCEEDED(
        CreateItem(folder_, kItemDataList, "List", 1, kFolderItemInfo, kFolderItemContent, {"A", "B", "C"}));
  }
  void SetIcon(const std::string& path) {
    StorageHandle item = folder_.OpenStorageFor("List", false);
    StreamHandle info = item.OpenStreamFor(kFolderItemInfo, false);
    ASSERT_HRESULT_SUCCEEDED(info.Seek(40 + 4 * 3, STREAM_SEEK_SET));
    ASSERT_HRESULT_SUCCEEDED(info.WriteCountedString(path));
  }
  HRESULT Write(const DataList& list) {
    OpenedItem item;
    HRESULT hr = source_.OpenForUpdate(item);
    if (SUCCEEDED(hr)) hr = WriteDataList(item, list);
    if (SUCCEEDED(hr)) hr = item.Commit();
    return hr;
  }
  DataListRead Read(DataList& list) {
    OpenedItem item;
    EXPECT_HRESULT_SUCCEEDED(source_.Open(false, item));
    return ReadDataList(item, list);
  }
  std::string IconPath() {
    StorageHandle item = folder_.OpenStorageFor("List", true);
    StreamHandle info = item.OpenStreamFor(kFolderItemInfo, true);
    ItemInfoRecord record;
    ReadItemInfo(info, record);
    info.Seek(40 + 4ll * record.places, STREAM_SEEK_SET);
    std::optional<std::string> path;
    info.ReadCountedString(path);
    return path.value_or("(none)");
  }

  vtest::ScratchFile file_;
  StorageHandle folder_;
  CatalogItemSource source_{folder_, "List", kItemDataList, "List"};
};

TEST_F(StoredList, ANewItemReadsAsItsColumnsEightyPixelsWide) {
  DataList list;
  DataListRead read = Read(list);
  EXPECT_FALSE(read.damaged);
  ASSERT_EQ(list.columns.size(), 3u);
  EXPECT_EQ(list.columns[2].title, "C");
  EXPECT_EQ(list.columns[2].width, 80);
  EXPECT_TRUE(list.rows.empty());
}

TEST_F(StoredList, TheIconPathStaysReadableBehindTheWidthsWhateverTheColumnCount) {
  SetIcon("C:\\icons\\list.ico");
  for (size_t columns : {5u, 1u, 0u, 4u}) {
    SCOPED_TRACE(columns);
    DataList list;
    for (size_t i = 0; i < columns; ++i) list.columns.push_back({std::to_string(i) + "T", 90});
    if (columns) list.AppendRow(std::vector<std::string>(columns, "x"));
    ASSERT_HRESULT_SUCCEEDED(Write(list));
    EXPECT_EQ(IconPath(), "C:\\icons\\list.ico");
    DataList back;
    EXPECT_FALSE(Read(back).damaged);
    EXPECT_EQ(back.columns.size(), columns);
    EXPECT_EQ(back.rows, list.rows);
  }
}

TEST_F(StoredList, DeletingTheOnlyColumnTakesTheRowsWithIt) {
  DataList list;
  list.columns = {{"A", 80}};
  list.AppendRow({"one"});
  list.AppendRow({"two"});
  list.DeleteColumn(0);
  EXPECT_EQ(list.RowCount(), 0u);
  ASSERT_HRESULT_SUCCEEDED(Write(list));
  // A column inserted afterwards starts a list without rows, in memory and in the file.
  list.InsertColumn(0, "New", kInsertedColumnWidth);
  EXPECT_EQ(list.RowCount(), 0u);
  ASSERT_HRESULT_SUCCEEDED(Write(list));
  DataList back;
  EXPECT_FALSE(Read(back).damaged);
  ASSERT_EQ(back.columns.size(), 1u);
  EXPECT_TRUE(back.rows.empty());
}

TEST_F(StoredList, WithoutAnIconNothingFollowsTheNewWidths) {
  DataList list;
  list.columns = {{"A", 70}};
  ASSERT_HRESULT_SUCCEEDED(Write(list));
  EXPECT_EQ(IconPath(), "(none)");
}

TEST_F(StoredList, AWriteThatFailsHalfwayLeavesTheOldListWhole) {
  DataList old;
  old.columns = {{"A", 80}, {"B", 80}, {"C", 80}};
  old.AppendRow({"1", "2", "3"});
  ASSERT_HRESULT_SUCCEEDED(Write(old));
  DataList changed = old;
  changed.AppendRow({"4", "5", "6"});
  {
    // The content goes in, then the info stream refuses the widths: the
    // update is given up before its commit.
    OpenedItem item;
    ASSERT_HRESULT_SUCCEEDED(source_.OpenForUpdate(item));
    item.info.Release();
    item.info = item.itemStorage.OpenStreamFor(kFolderItemInfo, true);
    ASSERT_FALSE(item.info.Empty());
    EXPECT_HRESULT_FAILED(WriteDataList(item, changed));
  }
  DataList back;
  EXPECT_FALSE(Read(back).damaged);
  EXPECT_EQ(back.rows, old.rows);
}

TEST(DataListEdits, ColumnsMoveWithTheirCellsAndBadOrdersChangeNothing) {
  DataList list;
  list.columns = {{"A", 1}, {"B", 2}};
  list.AppendRow({"a", "b"});
  list.InsertColumn(0, "N", kInsertedColumnWidth);
  list.InsertColumn(99, "E", 5);
  EXPECT_EQ(list.rows[0], (std::vector<std::string>{"", "a", "b", ""}));
  EXPECT_TRUE(list.ReorderColumns({3, 2, 1, 0}));
  EXPECT_EQ(list.columns[0].title, "E");
  EXPECT_EQ(list.rows[0], (std::vector<std::string>{"", "b", "a", ""}));
  for (const auto& bad : std::vector<std::vector<int>>{{0, 1, 2}, {0, 0, 1, 2}, {0, 1, 2, 4}, {-1, 0, 1, 2}})
    EXPECT_FALSE(list.ReorderColumns(bad));
  EXPECT_EQ(list.columns[0].title, "E");
  list.DeleteColumn(0);
  EXPECT_EQ(list.rows[0], (std::vector<std::string>{"b", "a", ""}));
  EXPECT_FALSE(list.SwapWithPrevious(0));
}

TEST(DataListSort, KeysAreTheLeadingNumberAsAtofReadsIt) {
  const struct {
    const char* cell;
    double key;
  } cases[] = {{"10", 10},    {"9", 9},          {"abc", 0},   {"  -3.5e2 apples", -350}, {"+.5", 0.5},
               {".", 0},      {"1e", 1},         {"1e+", 1},   {"0x10", 0},               {"inf", 0},
               {"nan", 0},    {"12abc", 12},     {"", 0},      {"-", 0},                  {"1.5.5", 1.5}};
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(SortKey(c.cell), c.key) << c.cell;
}

TEST(DataListSort, DirectionFollowsTheLastColumnAndDirection) {
  SortMemory memory;
  const struct {
    int column;
    bool descending;
  } clicks[] = {{0, true}, {0, false}, {0, true}, {2, true}, {2, false}, {1, true}, {1, false}, {2, true}};
  for (const auto& click : clicks) EXPECT_EQ(NextSortDescending(memory, click.column), click.descending);
}

TEST(DataListSort, NumbersOrderTheRowsAndEqualKeysKeepTheirOrder) {
  DataList list;
  list.columns = {{"N", 80}, {"Tag", 80}};
  for (const auto& row : Rows{{"10", "a"}, {"abc", "b"}, {"9", "c"}, {"x", "d"}, {"10", "e"}}) list.AppendRow(row);
  std::vector<size_t> order = SortRows(list, 0, true);
  EXPECT_EQ(order, (std::vector<size_t>{0, 4, 2, 1, 3}));
  std::string tags;
  for (const auto& row : list.rows) tags += row[1];
  EXPECT_EQ(tags, "aecbd");
  SortRows(list, 0, false);
  tags.clear();
  for (const auto& row : list.rows) tags += row[1];
  EXPECT_EQ(tags, "bdcae");
}

}  // namespace
