#include "views/SearchResultsWindow.h"

#include <commctrl.h>

#include <cstdio>

#include "platform/Dpi.h"
#include "platform/GdiHandles.h"

namespace vellora {

namespace {

constexpr int kCaptionHeight = 18;  // at 96 DPI
constexpr char kColumnOrder[] = "Order";
constexpr char kColumnPath[] = "Target path(Double click to access)";

}  // namespace

void SearchResultsWindow::RegisterClassInfo(WNDCLASSEXA& wc) const {
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
}

bool SearchResultsWindow::Create(HWND parent) {
  if (!Window::Create(parent, "Search Result", WS_CHILD | WS_CLIPCHILDREN, 0, 0, 0, 120, 120)) return false;
  HINSTANCE instance = GetModuleHandleA(nullptr);
  list_ = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, nullptr,
                          WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS |
                              LVS_OWNERDATA,
                          0, 0, 0, 0, Handle(), reinterpret_cast<HMENU>(kListId), instance, nullptr);
  close_ = CreateWindowExA(0, "BUTTON", "x", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON | BS_FLAT, 0, 0, 0, 0, Handle(),
                           reinterpret_cast<HMENU>(kCloseId), instance, nullptr);
  if (!list_) return false;
  HFONT gui = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  SendMessageA(list_, WM_SETFONT, reinterpret_cast<WPARAM>(gui), FALSE);
  SendMessageA(close_, WM_SETFONT, reinterpret_cast<WPARAM>(gui), FALSE);
  SendMessageA(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
               LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP);
  LVCOLUMNA column = {};
  column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  column.cx = 60;
  column.pszText = const_cast<char*>(kColumnOrder);
  SendMessageA(list_, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
  column.cx = 400;
  column.iSubItem = 1;
  column.pszText = const_cast<char*>(kColumnPath);
  SendMessageA(list_, LVM_INSERTCOLUMNA, 1, reinterpret_cast<LPARAM>(&column));
  Layout();
  return true;
}

std::string SearchResultsWindow::Caption() const {
  char text[256] = "";
  if (Handle()) GetWindowTextA(Handle(), text, sizeof text);
  return text;
}

void SearchResultsWindow::Fill(const std::string& searchText, const std::vector<std::string>& paths) {
  searchText_ = searchText;
  std::string caption = "Results of searching text[" + searchText + "]";
  SetWindowTextA(Handle(), caption.c_str());
  InvalidateRect(Handle(), nullptr, TRUE);
  paths_ = paths;
  SendMessageA(list_, LVM_SETITEMCOUNT, 0, 0);
  SendMessageA(list_, LVM_SETITEMCOUNT, paths_.size(), LVSICF_NOSCROLL);
  InvalidateRect(list_, nullptr, TRUE);
}

void SearchResultsWindow::Layout() {
  RECT rc;
  GetClientRect(Handle(), &rc);
  const int top = Scaled(kCaptionHeight);
  if (close_) MoveWindow(close_, rc.right - top + 1, 1, top - 2, top - 2, TRUE);
  if (list_) MoveWindow(list_, 0, top, rc.right, rc.bottom > top ? rc.bottom - top : 0, TRUE);
}

void SearchResultsWindow::Paint() {
  PaintScope paint(Handle());
  HDC dc = paint.DC();
  RECT rc;
  GetClientRect(Handle(), &rc);
  RECT strip = {0, 0, rc.right, Scaled(kCaptionHeight)};
  FillRect(dc, &strip, GetSysColorBrush(COLOR_INACTIVECAPTION));
  SelectGuard font(dc, GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_INACTIVECAPTIONTEXT));
  RECT text = {4, 0, rc.right - Scaled(kCaptionHeight) - 2, Scaled(kCaptionHeight)};
  std::string caption = Caption();
  DrawTextA(dc, caption.c_str(), -1, &text, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
}

void SearchResultsWindow::OpenSelectedRow() {
  int row = static_cast<int>(SendMessageA(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  if (row < 0 || row >= static_cast<int>(paths_.size()) || !onOpen) return;
  // The handler may fill the window again: hand it a copy.
  std::string path = paths_[static_cast<size_t>(row)];
  onOpen(path);
}

LRESULT SearchResultsWindow::OnNotify(NMHDR* header) {
  if (!header || header->hwndFrom != list_) return 0;
  switch (header->code) {
    case LVN_GETDISPINFOA: {
      auto* info = reinterpret_cast<NMLVDISPINFOA*>(header);
      size_t row = static_cast<size_t>(info->item.iItem);
      if (!(info->item.mask & LVIF_TEXT) || row >= paths_.size() || !info->item.pszText || info->item.cchTextMax <= 0)
        return 0;
      const char* text = paths_[row].c_str();
      if (info->item.iSubItem == 0) {
        std::snprintf(number_, sizeof number_, "%d", static_cast<int>(row + 1));
        text = number_;
      }
      lstrcpynA(info->item.pszText, text, info->item.cchTextMax);
      return 0;
    }
    case NM_DBLCLK: OpenSelectedRow(); return 0;
    case LVN_KEYDOWN:
      if (reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey == VK_RETURN) OpenSelectedRow();
      return 0;
    default: return 0;
  }
}

LRESULT SearchResultsWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SIZE: Layout(); return 0;
    case WM_PAINT: Paint(); return 0;
    case WM_NOTIFY: return OnNotify(reinterpret_cast<NMHDR*>(lParam));
    case WM_SETTEXT: {
      LRESULT r = DefaultProc(msg, wParam, lParam);
      InvalidateRect(Handle(), nullptr, TRUE);
      return r;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == kCloseId && onClose) onClose();
      return 0;
    case WM_SETFOCUS: SetFocus(list_); return 0;
    default: return DefaultProc(msg, wParam, lParam);
  }
}

}  // namespace vellora
