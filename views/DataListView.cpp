#include "views/DataListView.h"

#include <commctrl.h>

#include <algorithm>

#include "content/CommandIds.h"
#include "content/TextExchange.h"
#include "store/LibraryFormat.h"
#include "views/ViewFind.h"
#include "views/ViewMenus.h"
#include "views/ViewResourceIds.h"
#include "views/ViewTexts.h"
#include "views/dialogs/DialogIds.h"
#include "views/dialogs/RenameDialog.h"
#include "views/dialogs/RowDialog.h"

namespace vellora {

namespace {

// Posted to the host so that the header has finished its change first.
constexpr UINT kColumnsDragged = WM_APP + 1;
constexpr UINT kWidthsChanged = WM_APP + 2;
constexpr int kAnchorGap = 12;
// Wider than any screen: a stored width beyond it is not believed.
constexpr int32_t kWidestColumn = 8192;

std::string FailCaption() {
  char text[64] = "";
  if (LoadStringA(GetModuleHandleA(nullptr), IDS_FAIL, text, sizeof text) > 0) return text;
  return "Fail";
}

}  // namespace

DataListView::DataListView(UserPrompt& prompt, const TextSource& texts, SortMemory& sortMemory)
    : prompt_(prompt), texts_(texts), sortMemory_(sortMemory) {
  host_.onNotify = [this](NMHDR* header) { return OnNotify(header); };
  host_.onContextMenu = [this](POINT screen) { ShowContextMenu(screen); };
  host_.onPosted = [this](UINT msg) {
    if (msg == kColumnsDragged) FollowHeaderOrder();
    if (msg == kWidthsChanged && CanEdit()) Write();
  };
}

DataListView::~DataListView() { host_.Destroy(); }

void DataListView::SetSortImages(HIMAGELIST images, int ascending, int descending) {
  sortImages_ = images;
  ascendingImage_ = ascending;
  descendingImage_ = descending;
  if (list_) Header_SetImageList(ListView_GetHeader(list_), sortImages_);
}

bool DataListView::Create(HWND parent) {
  if (!host_.Create(parent, "", WS_CHILD | WS_CLIPCHILDREN, 0, 0, 0, 0, 0)) return false;
  list_ = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
                          WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS |
                              LVS_OWNERDATA,
                          0, 0, 0, 0, host_.Handle(), reinterpret_cast<HMENU>(IDC_DATA_LIST),
                          GetModuleHandleA(nullptr), nullptr);
  if (!list_) return false;
  host_.SetControl(list_);
  ListView_SetExtendedListViewStyle(list_, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP);
  SendMessageA(list_, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  if (sortImages_) Header_SetImageList(ListView_GetHeader(list_), sortImages_);
  return true;
}

// ---- showing ------------------------------------------------------------------

bool DataListView::Load(const ItemSource& source) {
  source_ = &source;
  unstored_ = false;
  clickedColumn_ = -1;
  DataListRead read;
  bool opened = false;
  {
    OpenedItem item;
    opened = SUCCEEDED(source.Open(false, item));
    if (opened) read = ReadDataList(item, table_);
    else table_ = DataList{};
  }
  if (!opened) read.damaged = true;
  locked_ = read.damaged || read.columnsUnknown;
  FillColumns();
  if (read.damaged)
    prompt_.ShowMessage(texts_.TextOr(kTextListDamaged,
                                      "Part of this list could not be read.\nWhat could be read is shown; the list "
                                      "is left as it is in the library."),
                        texts_.TextOr(kTextTipCaption, "Tip"), MB_OK | MB_ICONWARNING);
  return !read.damaged;
}

void DataListView::FillColumns() {
  if (!list_) return;
  SendMessageA(list_, WM_SETREDRAW, FALSE, 0);
  ListView_SetItemCountEx(list_, 0, 0);
  HWND header = ListView_GetHeader(list_);
  for (int n = Header_GetItemCount(header); n > 0; --n) ListView_DeleteColumn(list_, n - 1);
  for (size_t i = 0; i < table_.columns.size(); ++i) {
    const DataListColumn& column = table_.columns[i];
    LVCOLUMNA lvc = {};
    lvc.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    lvc.fmt = LVCFMT_LEFT;
    bool believed = column.width >= 0 && column.width <= kWidestColumn;
    lvc.cx = believed ? column.width : static_cast<int>(kDefaultColumnWidth);
    lvc.pszText = const_cast<char*>(column.title.c_str());
    lvc.iSubItem = static_cast<int>(i);
    ListView_InsertColumn(list_, static_cast<int>(i), &lvc);
    if (column.width == kControlDefaultWidth) ListView_SetColumnWidth(list_, static_cast<int>(i), LVSCW_AUTOSIZE_USEHEADER);
  }
  arrowColumn_ = -1;
  ShowRowCount();
  SendMessageA(list_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list_, nullptr, TRUE);
}

void DataListView::ShowRowCount() {
  ListView_SetItemCountEx(list_, static_cast<int>(table_.rows.size()), LVSICF_NOSCROLL);
  InvalidateRect(list_, nullptr, FALSE);
}

int DataListView::SelectedRow() const {
  if (!list_) return -1;
  int row = ListView_GetNextItem(list_, -1, LVNI_SELECTED);
  return row >= 0 && row < static_cast<int>(table_.rows.size()) ? row : -1;
}

void DataListView::SelectRow(int row) {
  ListView_SetItemState(list_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  if (row < 0 || row >= static_cast<int>(table_.rows.size())) return;
  ListView_SetItemState(list_, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_EnsureVisible(list_, row, FALSE);
}

void DataListView::Clear() {
  source_ = nullptr;
  table_ = DataList{};
  locked_ = false;
  unstored_ = false;
  clickedColumn_ = -1;
  FillColumns();
}

// ---- writing ------------------------------------------------------------------

void DataListView::ReadWidths() {
  if (!list_) return;
  int shown = Header_GetItemCount(ListView_GetHeader(list_));
  for (size_t i = 0; i < table_.columns.size() && static_cast<int>(i) < shown; ++i)
    table_.columns[i].width = ListView_GetColumnWidth(list_, static_cast<int>(i));
}

bool DataListView::Store() {
  // A width dragged without its notification reaching us still goes in.
  if (!unstored_ && !(CanEdit() && WidthsChanged())) return true;
  return Write();
}

bool DataListView::WidthsChanged() const {
  if (!list_) return false;
  int shown = Header_GetItemCount(ListView_GetHeader(list_));
  for (size_t i = 0; i < table_.columns.size() && static_cast<int>(i) < shown; ++i)
    if (table_.columns[i].width != ListView_GetColumnWidth(list_, static_cast<int>(i))) return true;
  return false;
}

bool DataListView::Write() {
  if (!source_ || locked_ || readOnly_) return false;
  ReadWidths();
  HRESULT hr;
  {
    OpenedItem item;
    hr = source_->OpenForUpdate(item);
    if (SUCCEEDED(hr)) hr = WriteDataList(item, table_);
    if (SUCCEEDED(hr)) hr = item.Commit();
  }
  if (FAILED(hr)) {
    unstored_ = true;
    prompt_.ShowMessage(texts_.TextOr(kTextStoreFailed,
                                      "The change could not be written to the library.\nIt stays in the view and is "
                                      "written again when you leave the item or save the library."),
                        FailCaption(), MB_OK | MB_ICONWARNING);
    return false;
  }
  unstored_ = false;
  if (wiring.onStored) wiring.onStored();
  return true;
}

// ---- messages -------------------------------------------------------------------

LRESULT DataListView::OnNotify(NMHDR* header) {
  if (!header || !list_) return 0;
  if (header->hwndFrom == list_) {
    switch (header->code) {
      case LVN_GETDISPINFOA: {
        LVITEMA& item = reinterpret_cast<NMLVDISPINFOA*>(header)->item;
        if ((item.mask & LVIF_TEXT) && item.iItem >= 0 && static_cast<size_t>(item.iItem) < table_.rows.size() &&
            item.iSubItem >= 0 && static_cast<size_t>(item.iSubItem) < table_.columns.size())
          item.pszText = const_cast<char*>(table_.rows[static_cast<size_t>(item.iItem)][static_cast<size_t>(item.iSubItem)].c_str());
        return 0;
      }
      case LVN_COLUMNCLICK: SortByColumn(reinterpret_cast<NMLISTVIEW*>(header)->iSubItem); return 0;
      case NM_DBLCLK: ModifyRow(); return 0;
      default: return 0;
    }
  }
  if (header->hwndFrom == ListView_GetHeader(list_)) {
    switch (header->code) {
      case HDN_ENDDRAG: PostMessageA(host_.Handle(), kColumnsDragged, 0, 0); return FALSE;
      case HDN_ENDTRACKA:
      case HDN_ENDTRACKW:
      case HDN_DIVIDERDBLCLICKA:
      case HDN_DIVIDERDBLCLICKW: PostMessageA(host_.Handle(), kWidthsChanged, 0, 0); return 0;
      default: return 0;
    }
  }
  return 0;
}

void DataListView::FollowHeaderOrder() {
  const int count = static_cast<int>(table_.columns.size());
  if (count == 0) return;
  std::vector<int> order(static_cast<size_t>(count));
  if (!ListView_GetColumnOrderArray(list_, count, order.data())) return;
  bool moved = false;
  for (int i = 0; i < count; ++i) moved = moved || order[static_cast<size_t>(i)] != i;
  if (!moved) return;
  // The table follows the header, so that the columns stay in display order
  // and every index the view hands out means the same column everywhere.
  ReadWidths();
  int row = SelectedRow();
  table_.ReorderColumns(order);
  FillColumns();
  SelectRow(row);
  clickedColumn_ = -1;
  if (CanEdit()) Write();
}

void DataListView::ShowContextMenu(POINT screen) {
  if (readOnly_ || !source_ || !list_) return;
  if (screen.x == -1 && screen.y == -1) {
    // From the keyboard: below the selected row, else at the list's corner.
    POINT at = AnchorBelow(SelectedRow());
    screen = POINT{at.x, at.y - kAnchorGap};
  }
  clickedColumn_ = -1;
  HWND header = ListView_GetHeader(list_);
  RECT headerRect = {};
  if (header && IsWindowVisible(header) && GetWindowRect(header, &headerRect) && PtInRect(&headerRect, screen)) {
    // A header names its column even when the list has no rows.
    HDHITTESTINFO hit = {};
    hit.pt = screen;
    ScreenToClient(header, &hit.pt);
    int column = static_cast<int>(SendMessageA(header, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (column >= 0 && (hit.flags & (HHT_ONHEADER | HHT_ONDIVIDER | HHT_ONDIVOPEN))) clickedColumn_ = column;
  } else {
    LVHITTESTINFO hit = {};
    hit.pt = screen;
    ScreenToClient(list_, &hit.pt);
    if (ListView_SubItemHitTest(list_, &hit) >= 0 && hit.iItem >= 0) {
      clickedColumn_ = hit.iSubItem;
      SelectRow(hit.iItem);
    }
  }
  if (clickedColumn_ >= static_cast<int>(table_.columns.size())) clickedColumn_ = -1;

  HMENU popup = nullptr;
  MenuHandle menu = LoadViewPopup(VIEWPOP_POS_LIST, popup);
  if (!popup) return;
  const int rows = static_cast<int>(table_.rows.size());
  const int selected = SelectedRow();
  if (selected < 0) RemoveCommands(popup, {ID_LIST_MODIFY_ROW, ID_LIST_DELETE_ROW});
  if (selected == 0 || rows == 0) RemoveCommands(popup, {ID_LIST_MOVE_UP});
  if (rows == 0 || (selected >= 0 && selected == rows - 1)) RemoveCommands(popup, {ID_LIST_MOVE_DOWN});
  if (clickedColumn_ < 0) RemoveCommands(popup, {ID_LIST_DELETE_COLUMN, ID_LIST_RENAME_COLUMN});
  TidySeparators(popup);
  if (wiring.trackPopup) wiring.trackPopup(popup, screen);
}

// ---- commands -------------------------------------------------------------------

bool DataListView::HandleCommand(UINT id) {
  switch (id) {
    case ID_LIST_ADD_ROW: AddRows(); return true;
    case ID_LIST_MODIFY_ROW: ModifyRow(); return true;
    case ID_LIST_DELETE_ROW: DeleteRow(); return true;
    case ID_LIST_INSERT_COLUMN: InsertColumn(); return true;
    case ID_LIST_DELETE_COLUMN: DeleteColumn(); return true;
    case ID_LIST_RENAME_COLUMN: RenameColumn(); return true;
    case ID_LIST_SAVE_WIDTHS:
      if (CanEdit()) Write();
      return true;
    case ID_LIST_MOVE_UP: MoveRow(true); return true;
    case ID_LIST_MOVE_DOWN: MoveRow(false); return true;
    default: return false;
  }
}

bool DataListView::QueryCommand(UINT id, CommandUi& ui) const {
  const bool edit = CanEdit();
  const int rows = static_cast<int>(table_.rows.size());
  const int selected = SelectedRow();
  const bool columns = !table_.columns.empty();
  const bool clicked = clickedColumn_ >= 0 && clickedColumn_ < static_cast<int>(table_.columns.size());
  switch (id) {
    case ID_LIST_ADD_ROW: ui.enabled = edit && columns; return true;
    case ID_LIST_MODIFY_ROW:
    case ID_LIST_DELETE_ROW: ui.enabled = edit && selected >= 0; return true;
    case ID_LIST_INSERT_COLUMN: ui.enabled = edit; return true;
    case ID_LIST_DELETE_COLUMN:
    case ID_LIST_RENAME_COLUMN: ui.enabled = edit && clicked; return true;
    case ID_LIST_SAVE_WIDTHS: ui.enabled = edit && columns; return true;
    case ID_LIST_MOVE_UP: ui.enabled = edit && selected > 0; return true;
    case ID_LIST_MOVE_DOWN: ui.enabled = edit && selected >= 0 && selected < rows - 1; return true;
    default: return false;
  }
}

HWND DataListView::Owner() const {
  HWND root = GetAncestor(host_.Handle(), GA_ROOT);
  return root ? root : host_.Handle();
}

POINT DataListView::AnchorBelow(int row) const {
  POINT at = {0, kAnchorGap};
  if (row >= 0 && row < static_cast<int>(table_.rows.size())) {
    ListView_EnsureVisible(list_, row, FALSE);
    RECT rc = {};
    if (ListView_GetItemRect(list_, row, &rc, LVIR_BOUNDS)) at = POINT{rc.left, rc.bottom + kAnchorGap};
  }
  ClientToScreen(list_, &at);
  return at;
}

void DataListView::AddRows() {
  if (!CanEdit() || table_.columns.empty()) return;
  std::vector<std::string> titles;
  for (const DataListColumn& column : table_.columns) titles.push_back(column.title);
  RowDialog::Hooks hooks;
  hooks.add = [this](const std::vector<std::string>& cells) {
    table_.AppendRow(cells);
    ShowRowCount();
    SelectRow(static_cast<int>(table_.rows.size()) - 1);
    Write();
  };
  hooks.anchor = [this] { return AnchorBelow(static_cast<int>(table_.rows.size()) - 1); };
  RowDialog dialog(RowDialog::Mode::Add, titles, {}, FailCaption(), hooks);
  dialog.Show(Owner());
}

void DataListView::ModifyRow() {
  const int row = SelectedRow();
  if (!CanEdit() || row < 0) return;
  std::vector<std::string> titles;
  for (const DataListColumn& column : table_.columns) titles.push_back(column.title);
  RowDialog::Hooks hooks;
  hooks.modify = [this, row](const std::vector<std::string>& cells) {
    table_.SetRow(static_cast<size_t>(row), cells);
    ListView_RedrawItems(list_, row, row);
    Write();
  };
  hooks.anchor = [this, row] { return AnchorBelow(row); };
  RowDialog dialog(RowDialog::Mode::Modify, titles, table_.rows[static_cast<size_t>(row)], FailCaption(), hooks);
  dialog.Show(Owner());
}

void DataListView::DeleteRow() {
  const int row = SelectedRow();
  if (!CanEdit() || row < 0) return;
  if (prompt_.ShowMessage("Are you sure to delete this information item?", "Confirm", MB_YESNO | MB_ICONQUESTION) !=
      IDYES)
    return;
  table_.DeleteRow(static_cast<size_t>(row));
  ShowRowCount();
  SelectRow(std::min(row, static_cast<int>(table_.rows.size()) - 1));
  Write();
}

void DataListView::InsertColumn() {
  if (!CanEdit()) return;
  RenameDialog dialog("Added column name", "", texts_.TextOr(kTextTipCaption, "Tip"));
  if (!dialog.Ask(Owner())) return;
  const bool clicked = clickedColumn_ >= 0 && clickedColumn_ < static_cast<int>(table_.columns.size());
  const size_t at = clicked ? static_cast<size_t>(clickedColumn_) : table_.columns.size();
  ReadWidths();
  const int row = SelectedRow();
  table_.InsertColumn(at, dialog.Text(), kInsertedColumnWidth);
  FillColumns();
  SelectRow(row);
  clickedColumn_ = -1;
  Write();
}

void DataListView::RenameColumn() {
  if (!CanEdit() || clickedColumn_ < 0 || clickedColumn_ >= static_cast<int>(table_.columns.size())) return;
  DataListColumn& column = table_.columns[static_cast<size_t>(clickedColumn_)];
  RenameDialog dialog("Rename - Click column", column.title, texts_.TextOr(kTextTipCaption, "Tip"));
  if (!dialog.Ask(Owner())) return;
  column.title = dialog.Text();
  LVCOLUMNA lvc = {};
  lvc.mask = LVCF_TEXT;
  lvc.pszText = const_cast<char*>(column.title.c_str());
  ListView_SetColumn(list_, clickedColumn_, &lvc);
  Write();
}

void DataListView::DeleteColumn() {
  if (!CanEdit() || clickedColumn_ < 0 || clickedColumn_ >= static_cast<int>(table_.columns.size())) return;
  const std::string& title = table_.columns[static_cast<size_t>(clickedColumn_)].title;
  std::string question = "Are you sure to delete column \"" + CutToBytes(title, 127) + "\"?";
  if (prompt_.ShowMessage(question, "Query", MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  ReadWidths();
  const int row = SelectedRow();
  table_.DeleteColumn(static_cast<size_t>(clickedColumn_));
  FillColumns();
  SelectRow(row);
  clickedColumn_ = -1;
  Write();
}

void DataListView::MoveRow(bool up) {
  const int row = SelectedRow();
  const int rows = static_cast<int>(table_.rows.size());
  if (!CanEdit() || row < 0) return;
  // The moved row stays selected, so that pressing again moves it further.
  if (up) {
    if (row == 0) return;
    table_.SwapWithPrevious(static_cast<size_t>(row));
    SelectRow(row - 1);
    ListView_RedrawItems(list_, row - 1, row);
  } else {
    if (row >= rows - 1) return;
    table_.SwapWithPrevious(static_cast<size_t>(row + 1));
    SelectRow(row + 1);
    ListView_RedrawItems(list_, row, row + 1);
  }
  Write();
}

void DataListView::SortByColumn(int column) {
  if (column < 0 || column >= static_cast<int>(table_.columns.size())) return;
  const bool descending = NextSortDescending(sortMemory_, column);
  HWND header = ListView_GetHeader(list_);
  if (sortImages_ && header) {
    if (arrowColumn_ >= 0 && arrowColumn_ != column) {
      HDITEMA old = {};
      old.mask = HDI_FORMAT;
      Header_GetItem(header, arrowColumn_, &old);
      old.fmt &= ~(HDF_IMAGE | HDF_BITMAP_ON_RIGHT);
      Header_SetItem(header, arrowColumn_, &old);
    }
    HDITEMA item = {};
    item.mask = HDI_FORMAT;
    Header_GetItem(header, column, &item);
    item.mask = HDI_FORMAT | HDI_IMAGE;
    item.fmt |= HDF_IMAGE | HDF_BITMAP_ON_RIGHT;
    item.iImage = descending ? descendingImage_ : ascendingImage_;
    Header_SetItem(header, column, &item);
    arrowColumn_ = column;
  }
  const int selected = SelectedRow();
  std::vector<size_t> order = SortRows(table_, static_cast<size_t>(column), descending);
  int follow = -1;
  for (size_t i = 0; i < order.size(); ++i)
    if (static_cast<int>(order[i]) == selected) follow = static_cast<int>(i);
  SelectRow(follow);
  InvalidateRect(list_, nullptr, FALSE);
  // Under the read-only lock, or for a list that is not written, the order
  // is the view's alone.
  if (CanEdit()) Write();
}

bool DataListView::PlainText(std::string& out) const {
  if (!source_) return false;
  out = DataListText(table_);
  return true;
}

bool DataListView::Find(const std::string& text, bool textOnly) {
  if (textOnly || !list_ || !FindInListRows(list_, text, true)) return false;
  SetFocus(list_);
  return true;
}

bool DataListView::ApplyLook(const LibraryLook& look) {
  look_.Apply(list_, look.listBack, look.listText);
  return true;
}

std::unique_ptr<PageProvider> DataListView::PrintPages(const PrinterSettings& printer) const {
  if (!list_) return nullptr;
  return std::make_unique<WindowPageProvider>(list_, "Vellora - ListView Print", printer.margins);
}

}  // namespace vellora
