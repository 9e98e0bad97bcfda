#include "views/dialogs/BookmarkListDialog.h"

#include <commctrl.h>

#include <utility>

#include "views/dialogs/DialogIds.h"
#include "views/dialogs/RenameDialog.h"

namespace vellora {


BookmarkListDialog::BookmarkListDialog(const std::vector<Bookmark>& bookmarks, std::string tipCaption)
    : rows_(bookmarks), tipCaption_(std::move(tipCaption)) {}

HWND BookmarkListDialog::List() const { return Item(IDC_BOOKMARK_LIST); }

bool BookmarkListDialog::Ask(HWND owner) { return Run(owner, IDD_BOOKMARK_LIST) == IDOK; }

bool BookmarkListDialog::OnInit() {
  HWND list = List();
  SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
  struct Column {
    const char* title;
    int width;
  } columns[] = {{"Order", 45}, {"Bookmark Name", 100}, {"Path", 300}};
  for (int i = 0; i < 3; ++i) {
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.cx = columns[i].width;
    column.iSubItem = i;
    column.pszText = const_cast<char*>(columns[i].title);
    SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
  }
  FillList();
  CentreOnOwner();
  SetFocus(list);
  return false;
}

void BookmarkListDialog::FillList() {
  HWND list = List();
  SendMessageA(list, WM_SETREDRAW, FALSE, 0);
  SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
  int index = 0;
  for (const BookmarkRows::Row& row : rows_.Rows()) {
    std::string order = std::to_string(row.order);
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.pszText = order.data();
    SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    item.iSubItem = 1;
    item.pszText = const_cast<char*>(row.name.c_str());
    SendMessageA(list, LVM_SETITEMTEXTA, index, reinterpret_cast<LPARAM>(&item));
    item.iSubItem = 2;
    item.pszText = const_cast<char*>(row.path.c_str());
    SendMessageA(list, LVM_SETITEMTEXTA, index, reinterpret_cast<LPARAM>(&item));
    ++index;
  }
  if (rows_.Selected() >= 0) {
    LVITEMA state = {};
    state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, rows_.Selected(), reinterpret_cast<LPARAM>(&state));
    SendMessageA(list, LVM_ENSUREVISIBLE, rows_.Selected(), FALSE);
  }
  SendMessageA(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

void BookmarkListDialog::Tip(const char* text) {
  MessageBoxA(Handle(), text, tipCaption_.c_str(), MB_OK | MB_ICONINFORMATION);
}

bool BookmarkListDialog::OnCommand(int id, int code, HWND) {
  if (code != BN_CLICKED) return false;
  // The buttons act on the row that looks selected now, or on none.
  rows_.Select(static_cast<int>(SendMessageA(List(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED)));
  switch (id) {
    case IDC_BOOKMARK_DELETE:
      if (rows_.DeleteSelected()) FillList();
      return true;
    case IDC_BOOKMARK_MODIFY: {
      if (rows_.Selected() < 0) return true;
      RenameDialog rename("Please input the new bookmark name",
                          rows_.Rows()[static_cast<size_t>(rows_.Selected())].name, tipCaption_);
      if (rename.Ask(Handle()) && rows_.RenameSelected(rename.Text())) FillList();
      return true;
    }
    case IDC_BOOKMARK_MOVE_UP:
      if (rows_.Selected() == 0) Tip("Can not move up first item!");
      else if (rows_.MoveSelectedUp()) FillList();
      return true;
    case IDC_BOOKMARK_MOVE_DOWN:
      if (rows_.Selected() >= 0 && rows_.Selected() + 1 == static_cast<int>(rows_.Rows().size()))
        Tip("Can not move down last item!");
      else if (rows_.MoveSelectedDown()) FillList();
      return true;
    default: return false;
  }
}

}  // namespace vellora
