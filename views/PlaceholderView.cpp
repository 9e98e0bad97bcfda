#include "views/PlaceholderView.h"

#include "views/ViewText.h"

namespace vellora {

const char* PlaceholderView::Text() const {
  return form_ == Form::NoItem ? "No item" : "Invalid password, access denied!";
}

void PlaceholderView::Show(Form form) {
  form_ = form;
  if (Handle()) {
    SetWindowTextA(Handle(), Text());
    InvalidateRect(Handle(), nullptr, TRUE);
  }
}

void PlaceholderView::OnPaint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(Handle(), &ps);
  RECT rc;
  GetClientRect(Handle(), &rc);
  bool denied = form_ == Form::AccessDenied;
  HBRUSH back = denied ? static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)) : GetSysColorBrush(COLOR_BTNFACE);
  FillRect(dc, &rc, back);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, denied ? RGB(255, 0, 0) : RGB(255, 128, 0));
  DrawViewText(dc, Text(), rc, 16, DT_CENTER | DT_VCENTER);
  EndPaint(Handle(), &ps);
}

LRESULT PlaceholderView::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT: OnPaint(); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_SIZE: InvalidateRect(Handle(), nullptr, FALSE); return 0;
    default: return DefaultProc(msg, wParam, lParam);
  }
}

}  // namespace vellora
