// The data list view on a real list view and a real compound file: the row
// dialog, the column commands, the context menu, sorting, the read-only lock,
// damaged lists and writes that fail.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include <string>
#include <vector>

#include "content/CommandIds.h"
#include "content/CountedStrings.h"
#include "tests/content/ContentFixtures.h"
#include "tests/store/DocumentFixtures.h"
#include "tests/views/DialogDriver.h"
#include "tests/views/ViewFixtures.h"
#include "views/DataListView.h"
#include "views/ViewResourceIds.h"
#include "views/dialogs/DialogIds.h"

using namespace vellora;

namespace {

using Rows = std::vector<std::vector<std::string>>;

// Runs `open` here while `work` drives the dialog it opens, found by its
// caption, from a second thread; true when the dialog appeared.
bool Drive(const std::string& caption, const std::function<void()>& open, const std::function<void(HWND)>& work) {
  bool seen = false;
  {
    vtest::DialogDriver driver([&] {
      if (HWND dialog = vtest::WaitForDialog(caption)) {
        seen = true;
        work(dialog);
      }
    });
    open();
  }
  return seen;
}

// The edit of a column in the row dialog (the edits sit in its lines panel).
HWND RowEdit(HWND dialog, int column) {
  return GetDlgItem(FindWindowExA(dialog, nullptr, "VelloraRowLines", nullptr), IDC_ROW_FIRST_EDIT + column);
}

// A source whose updates cannot be opened: every write fails.
class UnwritableSource : public CatalogItemSource {
 public:
  using CatalogItemSource::CatalogItemSource;
  HRESULT OpenForUpdate(OpenedItem&) const override { return STG_E_ACCESSDENIED; }
};

class ListViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = file_.AddStorage("Folder");
    ASSERT_HRESULT_SUCCEEDED(
        CreateItem(folder_, kItemDataList, "List", 1, kFolderItemInfo, kFolderItemContent, {"Name", "Age", "City"}));
    ASSERT_TRUE(view_.Create(parent_.Handle()));
    MoveWindow(view_.Window(), 0, 0, 600, 400, FALSE);
    ShowWindow(view_.Window(), SW_SHOW);
    view_.wiring.trackPopup = [this](HMENU popup, POINT) {
      menu_.clear();
      for (int i = 0; i < GetMenuItemCount(popup); ++i) menu_.push_back(GetMenuItemID(popup, i));
    };
    view_.wiring.onStored = [this] { ++stores_; };
    arrows_ = ImageList_LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_SORT_ARROWS), 16, 0,
                                   RGB(255, 0, 255), IMAGE_BITMAP, LR_CREATEDIBSECTION);
    ASSERT_TRUE(arrows_);
    view_.SetSortImages(arrows_, kAscending, kDescending);
  }
  void TearDown() override {
    if (arrows_) ImageList_Destroy(arrows_);
  }
  static constexpr int kAscending = 0, kDescending = 1;
  void Put(const DataList& list) {
    OpenedItem item;
    ASSERT_HRESULT_SUCCEEDED(source_.OpenForUpdate(item));
    ASSERT_HRESULT_SUCCEEDED(WriteDataList(item, list));
    ASSERT_HRESULT_SUCCEEDED(item.Commit());
  }
  void PutRows(const Rows& rows) {
    DataList list;
    list.columns = {{"Name", 80}, {"Age", 80}, {"City", 80}};
    for (const auto& row : rows) list.AppendRow(row);
    Put(list);
  }
  DataList Stored() {
    DataList list;
    OpenedItem item;
    EXPECT_HRESULT_SUCCEEDED(source_.Open(false, item));
    EXPECT_FALSE(ReadDataList(item, list).damaged);
    return list;
  }
  std::string ContentBytes() { return vtest::ContentBytes(source_); }
  std::vector<std::string> Titles(const DataList& list) {
    std::vector<std::string> out;
    for (const auto& c : list.columns) out.push_back(c.title);
    return out;
  }
  bool Enabled(UINT id) {
    CommandUi ui;
    EXPECT_TRUE(view_.QueryCommand(id, ui));
    return ui.enabled;
  }
  // A right-click on a cell of the list (row, column), as the mouse does it.
  void RightClick(int row, int column) {
    RECT rc = {};
    rc.top = column;
    rc.left = LVIR_BOUNDS;
    ASSERT_TRUE(SendMessageA(view_.List(), LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&rc)));
    POINT at = {rc.left + 5, (rc.top + rc.bottom) / 2};
    ClientToScreen(view_.List(), &at);
    view_.ShowContextMenu(at);
  }

  vtest::ScratchFile file_;
  StorageHandle folder_;
  CatalogItemSource source_{folder_, "List", kItemDataList, "List"};
  vtest::HiddenParent parent_;
  vtest::ScriptedPrompt prompt_;
  vtest::NoTexts texts_;
  SortMemory sort_;
  DataListView view_{prompt_, texts_, sort_};
  std::vector<UINT> menu_;
  int stores_ = 0;
  HIMAGELIST arrows_ = nullptr;
};

TEST_F(ListViewTest, RowsAddedInTheRowDialogAreInTheFileAtOnceButNotWithAnEmptyFirstCell) {
  view_.Load(source_);
  std::string refusal;
  ASSERT_TRUE(Drive("Add Info Item", [&] { view_.HandleCommand(ID_LIST_ADD_ROW); }, [&](HWND d) {
    SetWindowTextA(RowEdit(d, 1), "42");
    vtest::Click(d, IDC_ROW_ADD);
    vtest::AnswerMessageBox("Fail", IDOK, &refusal);
    const char* rows[][3] = {{"Ann", "31", "Oslo"}, {"Bob", "", "Rome"}};
    for (const auto& row : rows) {
      for (int c = 0; c < 3; ++c) SetWindowTextA(RowEdit(d, c), row[c]);
      SendMessageA(d, WM_COMMAND, MAKEWPARAM(IDC_ROW_ADD, BN_CLICKED), 0);
    }
    vtest::Click(d, IDOK);
  }));
  EXPECT_EQ(refusal, "Sorry but the first item can not be empty!");
  EXPECT_EQ(Stored().rows, (Rows{{"Ann", "31", "Oslo"}, {"Bob", "", "Rome"}}));
  EXPECT_EQ(stores_, 2);
  EXPECT_EQ(ListView_GetItemCount(view_.List()), 2);
  EXPECT_FALSE(view_.Modified());
}

TEST_F(ListViewTest, ModifyingKeepsACellLongerThanTheDialogWouldTake) {
  std::string longCell(1000, 'z');
  PutRows({{"Ann", longCell, "Oslo"}});
  view_.Load(source_);
  view_.SelectRow(0);
  ASSERT_TRUE(Drive("Modify Info Item", [&] { view_.HandleCommand(ID_LIST_MODIFY_ROW); }, [](HWND d) {
    SetWindowTextA(RowEdit(d, 2), "Bergen");
    SendMessageA(d, WM_COMMAND, MAKEWPARAM(IDC_ROW_ADD, BN_CLICKED), 0);
    vtest::Click(d, IDOK);
  }));
  EXPECT_EQ(Stored().rows, (Rows{{"Ann", longCell, "Bergen"}}));
}

TEST_F(ListViewTest, TheRowDialogOfAWideListStaysOnTheScreenAndScrolls) {
  DataList wide;
  for (int i = 0; i < 120; ++i) wide.columns.push_back({"Column " + std::to_string(i), 80});
  Put(wide);
  view_.Load(source_);
  RECT box = {}, work = {};
  bool scrolls = false;
  ASSERT_TRUE(Drive("Add Info Item", [&] { view_.HandleCommand(ID_LIST_ADD_ROW); }, [&](HWND d) {
    GetWindowRect(d, &box);
    HWND panel = FindWindowExA(d, nullptr, "VelloraRowLines", nullptr);
    scrolls = panel && (GetWindowLongA(panel, GWL_STYLE) & WS_VSCROLL);
    vtest::Click(d, IDOK);
  }));
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_GE(box.top, work.top);
  EXPECT_LE(box.bottom, work.bottom);
  EXPECT_TRUE(scrolls);
}

TEST_F(ListViewTest, ColumnsInsertedOrDeletedLoseNoRow) {
  PutRows({{"Ann", "31", "Oslo"}, {"Bob", "40", "Rome"}});
  view_.Load(source_);
  // Inserted before the clicked first column: every first cell is empty now.
  RightClick(0, 0);
  ASSERT_EQ(view_.ClickedColumn(), 0);
  ASSERT_TRUE(Drive("Added column name", [&] { view_.HandleCommand(ID_LIST_INSERT_COLUMN); }, [](HWND d) {
    vtest::SetControlText(d, IDC_RENAME_EDIT, "Id");
    vtest::Click(d, IDOK);
  }));
  DataList stored = Stored();
  EXPECT_EQ(Titles(stored), (std::vector<std::string>{"Id", "Name", "Age", "City"}));
  EXPECT_EQ(stored.rows, (Rows{{"", "Ann", "31", "Oslo"}, {"", "Bob", "40", "Rome"}}));
  EXPECT_EQ(stored.columns[0].width, kInsertedColumnWidth);
  // Deleting it again.
  prompt_.messageAnswers = {IDYES};
  RightClick(1, 0);
  view_.HandleCommand(ID_LIST_DELETE_COLUMN);
  EXPECT_EQ(prompt_.shown.back().text, "Are you sure to delete column \"Id\"?");
  EXPECT_EQ(Stored().rows, (Rows{{"Ann", "31", "Oslo"}, {"Bob", "40", "Rome"}}));
  // Without a clicked column a new one goes to the right.
  view_.SetClickedColumn(-1);
  ASSERT_TRUE(Drive("Added column name", [&] { view_.HandleCommand(ID_LIST_INSERT_COLUMN); }, [](HWND d) {
    vtest::SetControlText(d, IDC_RENAME_EDIT, "Mail");
    vtest::Click(d, IDOK);
  }));
  EXPECT_EQ(Titles(Stored()), (std::vector<std::string>{"Name", "Age", "City", "Mail"}));
}

TEST_F(ListViewTest, TheContextMenuOffersWhatAppliesWhereItWasOpened) {
  PutRows({{"a", "1", "x"}, {"b", "2", "y"}, {"c", "3", "z"}});
  view_.Load(source_);
  auto has = [this](UINT id) { return std::find(menu_.begin(), menu_.end(), id) != menu_.end(); };
  const struct {
    int row;
    bool up, down;
  } cases[] = {{0, false, true}, {1, true, true}, {2, true, false}};
  for (const auto& c : cases) {
    RightClick(c.row, 1);
    EXPECT_EQ(view_.SelectedRow(), c.row);
    EXPECT_EQ(has(ID_LIST_MOVE_UP), c.up) << c.row;
    EXPECT_EQ(has(ID_LIST_MOVE_DOWN), c.down) << c.row;
    EXPECT_TRUE(has(ID_LIST_MODIFY_ROW) && has(ID_LIST_RENAME_COLUMN) && has(ID_LIST_DELETE_COLUMN));
  }
  // Below the rows: no cell, so no column to rename or delete.
  POINT below = {20, 350};
  ClientToScreen(view_.List(), &below);
  view_.ShowContextMenu(below);
  EXPECT_FALSE(has(ID_LIST_RENAME_COLUMN));
  EXPECT_FALSE(has(ID_LIST_DELETE_COLUMN));
  EXPECT_TRUE(has(ID_LIST_INSERT_COLUMN));
  // No separator is left first, last or doubled.
  for (size_t i = 0; i < menu_.size(); ++i) {
    bool separator = menu_[i] == 0;
    EXPECT_FALSE(separator && (i == 0 || i + 1 == menu_.size() || menu_[i - 1] == 0)) << i;
  }
}

TEST_F(ListViewTest, MovedRowsStaySelectedAndTheOrderIsStored) {
  PutRows({{"a", "", ""}, {"b", "", ""}, {"c", "", ""}});
  view_.Load(source_);
  view_.SelectRow(2);
  view_.HandleCommand(ID_LIST_MOVE_UP);
  view_.HandleCommand(ID_LIST_MOVE_UP);
  EXPECT_EQ(view_.SelectedRow(), 0);
  EXPECT_FALSE(Enabled(ID_LIST_MOVE_UP));
  view_.HandleCommand(ID_LIST_MOVE_DOWN);
  EXPECT_EQ(view_.SelectedRow(), 1);
  DataList stored = Stored();
  std::string order;
  for (const auto& row : stored.rows) order += row[0];
  EXPECT_EQ(order, "acb");
}

TEST_F(ListViewTest, HeaderClicksSortByNumberAndStoreUnlessReadOnly) {
  PutRows({{"10", "", ""}, {"abc", "", ""}, {"9", "", ""}});
  view_.Load(source_);
  auto firstCells = [](const DataList& list) {
    std::string out;
    for (const auto& row : list.rows) out += row[0] + ",";
    return out;
  };
  view_.SortByColumn(0);
  EXPECT_EQ(firstCells(Stored()), "10,9,abc,");
  view_.SortByColumn(0);
  EXPECT_EQ(firstCells(Stored()), "abc,9,10,");
  // The header shows the direction, on the sorted column only.
  auto arrow = [this](int column) {
    HDITEMA item = {};
    item.mask = HDI_FORMAT | HDI_IMAGE;
    Header_GetItem(ListView_GetHeader(view_.List()), column, &item);
    return (item.fmt & HDF_IMAGE) ? item.iImage : -1;
  };
  EXPECT_EQ(arrow(0), kAscending);
  view_.SortByColumn(1);
  EXPECT_EQ(arrow(0), -1);
  EXPECT_EQ(arrow(1), kDescending);
  view_.SortByColumn(0);
  EXPECT_EQ(arrow(0), kDescending);
  view_.SortByColumn(0);

  std::string before = ContentBytes();
  int storesBefore = stores_;
  view_.SetReadOnly(true);
  view_.SortByColumn(0);
  EXPECT_EQ(firstCells(view_.Table()), "10,9,abc,");
  EXPECT_EQ(ContentBytes(), before);
  EXPECT_EQ(stores_, storesBefore);
  EXPECT_FALSE(view_.Modified());
}

TEST_F(ListViewTest, UnderTheReadOnlyLockNothingChangesAndNoMenuShows) {
  PutRows({{"a", "1", "x"}, {"b", "2", "y"}});
  view_.Load(source_);
  view_.SetReadOnly(true);
  view_.SelectRow(1);
  view_.SetClickedColumn(0);
  for (UINT id : {ID_LIST_ADD_ROW, ID_LIST_MODIFY_ROW, ID_LIST_DELETE_ROW, ID_LIST_INSERT_COLUMN,
                  ID_LIST_DELETE_COLUMN, ID_LIST_RENAME_COLUMN, ID_LIST_SAVE_WIDTHS, ID_LIST_MOVE_UP}) {
    EXPECT_FALSE(Enabled(id)) << id;
    EXPECT_TRUE(view_.HandleCommand(id));
  }
  menu_ = {1};
  RightClick(0, 0);
  EXPECT_EQ(menu_, std::vector<UINT>{1});
  EXPECT_EQ(Stored().rows, (Rows{{"a", "1", "x"}, {"b", "2", "y"}}));
  EXPECT_TRUE(prompt_.shown.empty());
}

TEST_F(ListViewTest, WidthsAndDraggedColumnOrderAreStored) {
  PutRows({{"Ann", "31", "Oslo"}});
  view_.Load(source_);
  // A divider dragged (its end reported), a divider double-clicked without a
  // word, the Save Column Widths command: each width reaches the file.
  ListView_SetColumnWidth(view_.List(), 1, 150);
  NMHEADERA track = {};
  track.hdr.hwndFrom = ListView_GetHeader(view_.List());
  track.hdr.code = HDN_ENDTRACKA;
  SendMessageA(view_.Window(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&track));
  vtest::Pump();
  EXPECT_EQ(Stored().columns[1].width, 150);
  ListView_SetColumnWidth(view_.List(), 0, 60);
  EXPECT_TRUE(view_.Store());
  EXPECT_EQ(Stored().columns[0].width, 60);
  ListView_SetColumnWidth(view_.List(), 2, 33);
  view_.HandleCommand(ID_LIST_SAVE_WIDTHS);
  EXPECT_EQ(Stored().columns[2].width, 33);
  ListView_SetColumnWidth(view_.List(), 2, 150);
  // A header dragged to the front, as HDN_ENDDRAG reports it.
  int order[] = {2, 0, 1};
  ListView_SetColumnOrderArray(view_.List(), 3, order);
  NMHEADERA drag = {};
  drag.hdr.hwndFrom = ListView_GetHeader(view_.List());
  drag.hdr.code = HDN_ENDDRAG;
  SendMessageA(view_.Window(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&drag));
  vtest::Pump();
  DataList stored = Stored();
  EXPECT_EQ(Titles(stored), (std::vector<std::string>{"City", "Name", "Age"}));
  EXPECT_EQ(stored.rows, (Rows{{"Oslo", "Ann", "31"}}));
  EXPECT_EQ(stored.columns[2].width, 150);
}

TEST_F(ListViewTest, ADamagedListIsToldOnceShownAndNeverWritten) {
  PutRows({{"Ann", "31", "Oslo"}, {"Bob", "40", "Rome"}});
  {
    // The content ends inside the second row.
    std::string bytes = ContentBytes();
    OpenedItem item;
    ASSERT_HRESULT_SUCCEEDED(source_.Open(true, item));
    ASSERT_HRESULT_SUCCEEDED(item.TruncateContent(bytes.size() - 6));
  }
  std::string before = ContentBytes();
  EXPECT_FALSE(view_.Load(source_));
  ASSERT_EQ(prompt_.shown.size(), 1u);
  EXPECT_TRUE(view_.Locked());
  EXPECT_EQ(view_.Table().rows.size(), 2u);
  EXPECT_EQ(view_.Table().rows[0], (std::vector<std::string>{"Ann", "31", "Oslo"}));
  view_.SelectRow(0);
  view_.HandleCommand(ID_LIST_MOVE_DOWN);
  view_.SortByColumn(1);
  EXPECT_TRUE(view_.Store());
  EXPECT_EQ(ContentBytes(), before);
  EXPECT_EQ(prompt_.shown.size(), 1u);
}

TEST_F(ListViewTest, AFailedWriteIsToldAndKeptForTheNextStore) {
  UnwritableSource unwritable(folder_, "List", kItemDataList, "List");
  view_.Load(unwritable);
  prompt_.messageAnswers = {IDYES};
  view_.SetClickedColumn(0);
  view_.HandleCommand(ID_LIST_DELETE_COLUMN);
  ASSERT_EQ(prompt_.shown.size(), 2u);
  EXPECT_EQ(prompt_.shown[1].caption, "Fail");
  EXPECT_TRUE(view_.Modified());
  EXPECT_EQ(stores_, 0);
  EXPECT_EQ(Titles(Stored()), (std::vector<std::string>{"Name", "Age", "City"}));
  EXPECT_FALSE(view_.Store());
  EXPECT_EQ(prompt_.shown.size(), 3u);
  // Once the item can be written again, the kept change goes in.
  view_.Load(source_);
  view_.SetClickedColumn(0);
  prompt_.messageAnswers = {IDYES};
  view_.HandleCommand(ID_LIST_DELETE_COLUMN);
  EXPECT_EQ(Titles(Stored()), (std::vector<std::string>{"Age", "City"}));
  EXPECT_FALSE(view_.Modified());
}

}  // namespace

namespace {

TEST(LeafDataList, ATreeLeafWithoutAColumnCountIsShownButNeverWritten) {
  vtest::ScratchFile file;
  StorageHandle tree = file.AddStorage("Tree");
  const std::string content = vtest::Counted("Name") + vtest::Counted("Ann");
  NodeInfoRecord record = vtest::NodeRecord(1, kItemDataList);
  ASSERT_HRESULT_SUCCEEDED(CreateLeafNode(tree, "Pasted list", record, content.data(),
                                          static_cast<ULONG>(content.size())));
  LeafNodeSource source(tree, {"Pasted list"}, kItemDataList, "Pasted list");
  vtest::HiddenParent parent;
  vtest::ScriptedPrompt prompt;
  vtest::NoTexts texts;
  SortMemory sort;
  DataListView view(prompt, texts, sort);
  ASSERT_TRUE(view.Create(parent.Handle()));
  EXPECT_FALSE(view.Load(source));
  EXPECT_TRUE(view.Locked());
  EXPECT_EQ(prompt.shown.size(), 1u);
  CommandUi ui;
  view.QueryCommand(ID_LIST_INSERT_COLUMN, ui);
  EXPECT_FALSE(ui.enabled);
  EXPECT_TRUE(view.Store());
  EXPECT_EQ(vtest::ContentBytes(source), content);
}

}  // namespace
