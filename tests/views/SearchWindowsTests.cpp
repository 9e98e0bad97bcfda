// The search results window and the bookmark list dialog on real windows.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "views/SearchResultsWindow.h"
#include "views/ViewFind.h"
#include "views/dialogs/BookmarkListDialog.h"
#include "views/dialogs/DialogIds.h"

using namespace vellora;

namespace {

class HostWindow {
 public:
  HostWindow() {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    window_ = CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPEDWINDOW, 0, 0, 600, 400, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  }
  ~HostWindow() { DestroyWindow(window_); }
  HWND Handle() const { return window_; }

 private:
  HWND window_;
};

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
  HostWindow host;
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
  HostWindow host;
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

struct DialogScript {
  std::vector<int> clicks;          // buttons pressed in order
  std::string messageCaption;       // the caption of the refusals
  std::vector<std::string> shown;   // texts of the refusals seen
  bool done = false;
};

// Plays the script on the "Bookmark list" dialog, closing each refusal, then presses Ok.
DWORD WINAPI PlayScript(void* parameter) {
  auto* script = static_cast<DialogScript*>(parameter);
  HWND dialog = nullptr;
  for (int i = 0; i < 200 && !dialog; ++i) {
    dialog = FindWindowA(nullptr, "Bookmark list");
    if (!dialog) Sleep(50);
  }
  if (!dialog) return 0;
  for (int id : script->clicks) {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    Sleep(100);
  }
  script->done = true;
  PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  return 1;
}

DWORD WINAPI CloseRefusals(void* parameter) {
  auto* script = static_cast<DialogScript*>(parameter);
  for (int i = 0; i < 400 && !script->done; ++i) {
    if (HWND box = FindWindowA(nullptr, script->messageCaption.c_str())) {
      char text[128] = "";
      GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
      script->shown.push_back(text);
      SendMessageA(box, WM_COMMAND, IDOK, 0);
    }
    Sleep(20);
  }
  return 0;
}

TEST(BookmarkListDialog, RefusesMovesAtTheEndsAndOkHandsTheEditedListBack) {
  std::vector<Bookmark> marks = {{"one", "F\\1"}, {"two", "F\\2"}, {"three", "F\\3"}};
  DialogScript script;
  script.messageCaption = "Tip caption";
  // First row selected on opening: up is refused; down moves it; delete the row now second... 
  script.clicks = {IDC_BOOKMARK_MOVE_UP, IDC_BOOKMARK_MOVE_DOWN, IDC_BOOKMARK_MOVE_DOWN, IDC_BOOKMARK_MOVE_DOWN,
                   IDC_BOOKMARK_DELETE};
  BookmarkListDialog dialog(marks, script.messageCaption);
  HANDLE player = CreateThread(nullptr, 0, PlayScript, &script, 0, nullptr);
  HANDLE closer = CreateThread(nullptr, 0, CloseRefusals, &script, 0, nullptr);
  bool ok = dialog.Ask(nullptr);
  WaitForSingleObject(player, 10000);
  WaitForSingleObject(closer, 10000);
  CloseHandle(player);
  CloseHandle(closer);
  ASSERT_TRUE(ok);
  EXPECT_EQ(script.shown, (std::vector<std::string>{"Can not move up first item!", "Can not move down last item!"}));
  std::vector<Bookmark> result = dialog.Result();
  ASSERT_EQ(result.size(), 2u);
  EXPECT_EQ(result[0].title, "two");
  EXPECT_EQ(result[1].title, "three");
  EXPECT_EQ(result[1].location, "F\\3");
}

}  // namespace
