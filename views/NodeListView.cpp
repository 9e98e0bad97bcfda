#include "views/NodeListView.h"

#include <commctrl.h>

#include "platform/Dpi.h"

namespace vellora {

namespace {
constexpr int kListId = 1;
constexpr int kOpenId = 2;
constexpr int kRowHeight = 36;
constexpr int kButtonHeight = 26;
}  // namespace

void NodeListView::SetImages(HIMAGELIST images, int folderImage, int leafImage) {
  images_ = images;
  folderImage_ = folderImage;
  leafImage_ = leafImage;
}

void NodeListView::SetRows(const std::vector<Row>& rows) {
  rows_ = rows;
  if (!list_) return;
  SendMessageA(list_, WM_SETREDRAW, FALSE, 0);
  SendMessageA(list_, LB_RESETCONTENT, 0, 0);
  for (const Row& r : rows_) SendMessageA(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(r.title.c_str()));
  if (!rows_.empty()) SendMessageA(list_, LB_SETCURSEL, 0, 0);
  SendMessageA(list_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list_, nullptr, TRUE);
}

int NodeListView::SelectedRow() const {
  if (!list_) return -1;
  return static_cast<int>(SendMessageA(list_, LB_GETCURSEL, 0, 0));
}

void NodeListView::OpenSelected() {
  int row = SelectedRow();
  if (row < 0 || row >= RowCount() || !onOpen) return;
  onOpen(rows_[static_cast<size_t>(row)].title);
}

void NodeListView::Layout() {
  RECT rc;
  GetClientRect(Handle(), &rc);
  int h = rc.bottom - rc.top;
  const int button = Scaled(kButtonHeight), gap = Scaled(4), width = Scaled(84);
  MoveWindow(list_, 0, 0, rc.right, h > button + 2 * gap ? h - button - 2 * gap : 0, TRUE);
  MoveWindow(button_, rc.right - width - Scaled(6) > 0 ? rc.right - width - Scaled(6) : 0, h - button - gap, width,
             button, TRUE);
}

void NodeListView::DrawRow(const DRAWITEMSTRUCT& item) {
  if (item.itemID == static_cast<UINT>(-1) || item.itemID >= rows_.size()) return;
  const Row& row = rows_[item.itemID];
  bool selected = (item.itemState & ODS_SELECTED) != 0;
  HDC dc = item.hDC;
  RECT rc = item.rcItem;
  FillRect(dc, &rc, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  if (images_) {
    int cx = 0, cy = 0;
    ImageList_GetIconSize(images_, &cx, &cy);
    ImageList_Draw(images_, row.hasChildren ? folderImage_ : leafImage_, dc, rc.left + 8,
                   rc.top + (Scaled(kRowHeight) - cy) / 2, ILD_TRANSPARENT);
  }
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  RECT text = rc;
  text.left += Scaled(36);
  DrawTextA(dc, row.title.c_str(), -1, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
  if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &rc);
}

LRESULT NodeListView::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE: {
      HINSTANCE instance = GetModuleHandleA(nullptr);
      list_ = CreateWindowExA(0, "LISTBOX", "",
                              WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS |
                                  LBS_NOINTEGRALHEIGHT | WS_TABSTOP,
                              0, 0, 0, 0, Handle(), reinterpret_cast<HMENU>(kListId), instance, nullptr);
      button_ = CreateWindowExA(0, "BUTTON", "Open", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON | WS_TABSTOP, 0, 0, 0, 0,
                                Handle(), reinterpret_cast<HMENU>(kOpenId), instance, nullptr);
      HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
      SendMessageA(list_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
      SendMessageA(button_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
      SetRows(rows_);
      return 0;
    }
    case WM_SIZE: Layout(); return 0;
    case WM_MEASUREITEM: reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = Scaled(kRowHeight); return TRUE;
    case WM_DRAWITEM: DrawRow(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam)); return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == kOpenId || (LOWORD(wParam) == kListId && HIWORD(wParam) == LBN_DBLCLK)) {
        OpenSelected();
        return 0;
      }
      break;
    case WM_ERASEBKGND: {
      RECT rc;
      GetClientRect(Handle(), &rc);
      FillRect(reinterpret_cast<HDC>(wParam), &rc, GetSysColorBrush(COLOR_BTNFACE));
      return 1;
    }
    default: break;
  }
  return DefaultProc(msg, wParam, lParam);
}

}  // namespace vellora
