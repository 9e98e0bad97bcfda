#include "views/TitleStrip.h"

#include "views/ViewText.h"

namespace vellora {

void TitleStrip::SetTitle(const std::string& title) {
  title_ = title;
  if (Handle()) {
    SetWindowTextA(Handle(), title.c_str());
    InvalidateRect(Handle(), nullptr, FALSE);
  }
}

void TitleStrip::SetActive(bool active) {
  active_ = active;
  if (Handle()) InvalidateRect(Handle(), nullptr, FALSE);
}

void TitleStrip::OnPaint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(Handle(), &ps);
  RECT rc;
  GetClientRect(Handle(), &rc);
  // A left-to-right gradient in the caption colours.
  COLORREF from = GetSysColor(active_ ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION);
  COLORREF to = GetSysColor(active_ ? COLOR_GRADIENTACTIVECAPTION : COLOR_GRADIENTINACTIVECAPTION);
  int width = rc.right - rc.left;
  for (int x = 0; x < width; x += 4) {
    int r = GetRValue(from) + (GetRValue(to) - GetRValue(from)) * x / (width ? width : 1);
    int g = GetGValue(from) + (GetGValue(to) - GetGValue(from)) * x / (width ? width : 1);
    int b = GetBValue(from) + (GetBValue(to) - GetBValue(from)) * x / (width ? width : 1);
    RECT band = {x, rc.top, x + 4, rc.bottom};
    BrushHandle brush(CreateSolidBrush(RGB(r, g, b)));
    FillRect(dc, &band, brush.Get());
  }
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(active_ ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT));
  RECT text = rc;
  text.left += Scaled(6);
  DrawViewText(dc, title_.c_str(), text, 12, DT_LEFT | DT_VCENTER | DT_END_ELLIPSIS);
  EndPaint(Handle(), &ps);
}

LRESULT TitleStrip::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT: OnPaint(); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_SIZE: InvalidateRect(Handle(), nullptr, FALSE); return 0;
    default: return DefaultProc(msg, wParam, lParam);
  }
}

}  // namespace vellora
