#include "controls/ListViewLook.h"

#include <commctrl.h>

namespace vellora {

namespace {

COLORREF Resolved(COLORREF color, int systemColor) {
  return color == CLR_DEFAULT ? GetSysColor(systemColor) : color;
}

}  // namespace

void SetListTextColor(HWND list, COLORREF color) {
  if (!list) return;
  ListView_SetTextColor(list, Resolved(color, COLOR_WINDOWTEXT));
  InvalidateRect(list, nullptr, TRUE);
}

void SetListBackColor(HWND list, COLORREF color) {
  if (!list) return;
  const COLORREF back = Resolved(color, COLOR_WINDOW);
  ListView_SetBkColor(list, back);
  ListView_SetTextBkColor(list, back);
  InvalidateRect(list, nullptr, TRUE);
}

}  // namespace vellora
