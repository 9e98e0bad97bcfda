// The find of the text view and of the list views.
#include "views/ViewFind.h"

#include <commctrl.h>
#include <commdlg.h>
#include <richedit.h>

#include <vector>

#include "content/LibrarySearch.h"

namespace vellora {

bool FindInRichEdit(HWND edit, const std::string& text) {
  if (!edit || text.empty()) return false;
  CHARRANGE selection = {};
  SendMessageA(edit, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
  FINDTEXTEXA find = {};
  find.chrg.cpMin = selection.cpMax > selection.cpMin ? selection.cpMax : 0;
  find.chrg.cpMax = -1;
  find.lpstrText = text.c_str();
  LRESULT at = SendMessageA(edit, EM_FINDTEXTEX, FR_DOWN, reinterpret_cast<LPARAM>(&find));
  if (at < 0) return false;
  SendMessageA(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&find.chrgText));
  SendMessageA(edit, EM_SCROLLCARET, 0, 0);
  return true;
}

namespace {

// The control counts a cell's buffer in an int.
constexpr size_t kMaxCellBytes = size_t{1} << 30;

// The whole text of a cell: the buffer grows until the text fits, so a long
// cell is matched over all of it.
const char* CellText(HWND list, int row, int column, std::vector<char>& cell) {
  for (;;) {
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = cell.data();
    item.cchTextMax = static_cast<int>(cell.size());
    cell[0] = 0;
    LRESULT length = SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    if (length < 0 || static_cast<size_t>(length) + 1 < cell.size() || cell.size() >= kMaxCellBytes) break;
    cell.resize(cell.size() * 2);
  }
  cell.back() = 0;
  return cell.data();
}

}  // namespace

bool FindInListRows(HWND list, const std::string& text, bool allColumns) {
  if (!list || text.empty()) return false;
  const int rows = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
  int columns = header ? static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 1;
  if (!allColumns || columns < 1) columns = 1;
  const int selected = static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  std::vector<char> cell(1024);
  for (int row = selected + 1; row < rows; ++row) {
    for (int column = 0; column < columns; ++column) {
      if (!ContainsBytes(CellText(list, row, column, cell), text)) continue;
      LVITEMA state = {};
      state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
      SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
      state.state = LVIS_SELECTED | LVIS_FOCUSED;
      SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
      SendMessageA(list, LVM_ENSUREVISIBLE, row, FALSE);
      return true;
    }
  }
  return false;
}

long FirstVisibleCharacter(HWND edit) {
  if (!edit) return 0;
  LRESULT line = SendMessageA(edit, EM_GETFIRSTVISIBLELINE, 0, 0);
  LRESULT index = SendMessageA(edit, EM_LINEINDEX, line, 0);
  return index < 0 ? 0 : static_cast<long>(index);
}

void ScrollToCharacter(HWND edit, long index) {
  if (!edit) return;
  LRESULT line = SendMessageA(edit, EM_EXLINEFROMCHAR, 0, index);
  LRESULT first = SendMessageA(edit, EM_GETFIRSTVISIBLELINE, 0, 0);
  if (line != first) SendMessageA(edit, EM_LINESCROLL, 0, line - first);
}

}  // namespace vellora
