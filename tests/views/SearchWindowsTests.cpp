// The search results window and the bookmark list dialog on real windows.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "tests/views/DialogDriver.h"
#include "tests/views/ViewFixtures.h"
#include "views/SearchResultsWindow.h"
#include "views/ViewFind.h"
#include "views/dialogs/BookmarkListDialog.h"
#include "views/dialogs/DialogIds.h"

using namespace vellora;

namespace {

using vtest::HiddenParent;

std::string Cell(HWND list, int row, int column) {
  char text[256] = "";
  LVITEMA item = {};
  item.iSubItem = column;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
  return text;
}

void SelectRow(HWND list, int row) {
  LVITEMA state = {};
  state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
}

TEST(SearchResultsWindow, FillsNumberedRowsAndHandsADoubleClickedPathOver) {
  HiddenParent host;
  SearchResultsWindow results;
  ASSERT_TRUE(results.Create(host.Handle()));
  char className[64] = "";
  GetClassNameA(results.Handle(), className, sizeof className);
  EXPECT_STREQ(className, "LIBRANE_SEARCHRESULT_DOCKINGWINDOW");
  EXPECT_EQ(results.Caption(), "Search Result");
  std::vector<std::string> opened;
  results.onOpen = [&](const std::string& path) { opened.push_back(path); };
  results.Fill("word", {"Tree\\a", "Tree\\b\\c", "Catalog\\item"});
  EXPECT_EQ(results.Caption(), "Results of searching text[word]");
  HWND list = results.List();
  ASSERT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 3);
  EXPECT_EQ(Cell(list, 0, 0), "1");
  EXPECT_EQ(Cell(list, 2, 0), "3");
  EXPECT_EQ(Cell(list, 1, 1), "Tree\\b\\c");
  SelectRow(list, 1);
  NMITEMACTIVATE click = {};
  click.hdr.hwndFrom = list;
  click.hdr.idFrom = SearchResultsWindow::kListId;
  click.hdr.code = NM_DBLCLK;
  click.iItem = 1;
  SendMessageA(results.Handle(), WM_NOTIFY, click.hdr.idFrom, reinterpret_cast<LPARAM>(&click));
  EXPECT_EQ(opened, std::vector<std::string>{"Tree\\b\\c"});
  // A new search replaces every row; an empty one leaves none.
  results.Fill("none", {});
  EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 0);
  EXPECT_EQ(results.Caption(), "Results of searching text[none]");
}

TEST(ViewFind, ListRowsAreSearchedAfterTheSelectionAndTheMatchIsSelected) {
  HiddenParent host;
  HWND list = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | LVS_REPORT, 0, 0, 300, 200, host.Handle(), nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  for (int c = 0; c < 2; ++c) {
    LVCOLUMNA column = {};
    column.mask = LVCF_WIDTH;
    column.cx = 80;
    SendMessageA(list, LVM_INSERTCOLUMNA, c, reinterpret_cast<LPARAM>(&column));
  }
  const char* rows[][2] = {{"apple", "red"}, {"sky", "Blue"}, {"sea", "blue"}, {"blueberry", "dark"}};
  for (int r = 0; r < 4; ++r) {
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = r;
    item.pszText = const_cast<char*>(rows[r][0]);
    SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    item.iSubItem = 1;
    item.pszText = const_cast<char*>(rows[r][1]);
    SendMessageA(list, LVM_SETITEMTEXTA, r, reinterpret_cast<LPARAM>(&item));
  }
  auto selected = [&] { return static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED)); };
  // All cells, case kept: "blue" is in row 2's second cell, then in row 3's first.
  ASSERT_TRUE(FindInListRows(list, "blue", true));
  EXPECT_EQ(selected(), 2);
  ASSERT_TRUE(FindInListRows(list, "blue", true));
  EXPECT_EQ(selected(), 3);
  EXPECT_FALSE(FindInListRows(list, "blue", true));  // no wrapping round
  // First cells only: repeating continues after the match instead of finding it again.
  SelectRow(list, 0);
  ASSERT_TRUE(FindInListRows(list, "s", false));
  EXPECT_EQ(selected(), 1);
  ASSERT_TRUE(FindInListRows(list, "s", false));
  EXPECT_EQ(selected(), 2);
}

TEST(ViewFind, ACellIsSearchedOverItsWholeLength) {
  HiddenParent host;
  HWND list = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | LVS_REPORT, 0, 0, 300, 200, host.Handle(), nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  LVCOLUMNA column = {};
  column.mask = LVCF_WIDTH;
  column.cx = 80;
  SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
  // The word at the end of cells around the sizes a first read takes, and far past them.
  for (size_t before : {size_t{10}, size_t{1017}, size_t{1018}, size_t{1019}, size_t{2042}, size_t{70000}}) {
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    std::string cell = std::string(before, 'x') + "needle";
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.pszText = cell.data();
    SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_TRUE(FindInListRows(list, "needle", true)) << cell.size() << " bytes";
    // The last byte of the cell counts, and nothing after it.
    LVITEMA none = {};
    none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
    EXPECT_FALSE(FindInListRows(list, "needlex", true)) << cell.size() << " bytes";
  }
}

TEST(BookmarkListDialog, RefusesMovesAtTheEndsAndOkHandsTheEditedListBack) {
  std::vector<Bookmark> marks = {{"one", "F\\1"}, {"two", "F\\2"}, {"three", "F\\3"}};
  const std::string caption = "Tip caption";
  BookmarkListDialog dialog(marks, caption);
  std::string atTop, atBottom;
  vtest::DialogDriver driver([&] {
    HWND d = vtest::WaitForDialog("Bookmark list");
    ASSERT_NE(d, nullptr);
    // The first row is selected on opening: up is refused; down twice takes
    // it to the end, where down is refused; then it is deleted.
    vtest::Click(d, IDC_BOOKMARK_MOVE_UP);
    vtest::AnswerMessageBox(caption, IDOK, &atTop);
    for (int i = 0; i < 3; ++i) vtest::Click(d, IDC_BOOKMARK_MOVE_DOWN);
    vtest::AnswerMessageBox(caption, IDOK, &atBottom);
    vtest::Click(d, IDC_BOOKMARK_DELETE);
    vtest::Click(d, IDOK);
  });
  ASSERT_TRUE(dialog.Ask(nullptr));
  EXPECT_EQ(atTop, "Can not move up first item!");
  EXPECT_EQ(atBottom, "Can not move down last item!");
  std::vector<Bookmark> result = dialog.Result();
  ASSERT_EQ(result.size(), 2u);
  EXPECT_EQ(result[0].title, "two");
  EXPECT_EQ(result[1].title, "three");
  EXPECT_EQ(result[1].location, "F\\3");
}

TEST(BookmarkListDialog, ButtonsDoNothingWhenNoRowLooksSelected) {
  const std::vector<Bookmark> marks = {{"one", "F\\1"}, {"two", "F\\2"}, {"three", "F\\3"}};
  const std::string caption = "Tip caption";
  for (int button : {IDC_BOOKMARK_DELETE, IDC_BOOKMARK_MODIFY, IDC_BOOKMARK_MOVE_UP, IDC_BOOKMARK_MOVE_DOWN}) {
    BookmarkListDialog dialog(marks, caption);
    std::vector<std::string> popups;  // what opened over the list
    vtest::DialogDriver driver([&] {
      HWND d = vtest::WaitForDialog("Bookmark list");
      ASSERT_NE(d, nullptr);
      // The user clicks beside the rows: the selection goes.
      LVITEMA none = {};
      none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
      SendMessageA(GetDlgItem(d, IDC_BOOKMARK_LIST), LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                   reinterpret_cast<LPARAM>(&none));
      vtest::Click(d, button);
      for (const char* shown : {"Please input the new bookmark name", caption.c_str()}) {
        if (HWND popup = vtest::WaitForDialog(shown, 1000)) {
          popups.push_back(shown);
          PostMessageA(popup, WM_COMMAND, IDCANCEL, 0);
        }
      }
      vtest::Click(d, IDOK);
    });
    ASSERT_TRUE(dialog.Ask(nullptr)) << button;
    EXPECT_TRUE(popups.empty()) << button << ": " << popups.front();
    std::vector<Bookmark> result = dialog.Result();
    ASSERT_EQ(result.size(), marks.size()) << button;
    for (size_t i = 0; i < marks.size(); ++i) EXPECT_EQ(result[i].title, marks[i].title) << button;
  }
}

}  // namespace
