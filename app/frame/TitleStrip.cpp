#include "app/frame/TitleStrip.h"

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
    HBRUSH brush = CreateSolidBrush(RGB(r, g, b));
    FillRect(dc, &band, brush);
    DeleteObject(brush);
  }
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(active_ ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT));
  HFONT font = CreateFontA(-12, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "Tahoma");
  HGDIOBJ old = SelectObject(dc, font);
  RECT text = rc;
  text.left += 6;
  DrawTextA(dc, title_.c_str(), -1, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
  SelectObject(dc, old);
  DeleteObject(font);
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
