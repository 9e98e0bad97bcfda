#include "controls/ColorPalette.h"

#include <windowsx.h>
#include <commdlg.h>

#include "platform/Dpi.h"
#include "platform/GdiHandles.h"

namespace vellora {

bool ShowColorDialog(HWND owner, COLORREF& color) {
  static COLORREF custom[16] = {};
  CHOOSECOLORA dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.rgbResult = color;
  dialog.lpCustColors = custom;
  dialog.Flags = CC_FULLOPEN | CC_RGBINIT;
  if (!ChooseColorA(&dialog)) return false;
  color = dialog.rgbResult;
  return true;
}

const PaletteColor kPaletteColors[kPaletteColorCount] = {
    {"Black", RGB(0, 0, 0)},
    {"Brown", RGB(165, 42, 42)},
    {"Dark Olive Green", RGB(0, 64, 64)},
    {"Dark Green", RGB(0, 85, 0)},
    {"Dark Teal", RGB(0, 0, 94)},
    {"Dark blue", RGB(0, 0, 139)},
    {"Indigo", RGB(75, 0, 130)},
    {"Dark grey", RGB(40, 40, 40)},
    {"Magenta", RGB(255, 0, 255)},
    {"Orange", RGB(255, 104, 32)},
    {"Dark yellow", RGB(139, 139, 0)},
    {"Green", RGB(0, 147, 0)},
    {"Teal", RGB(56, 142, 142)},
    {"Blue", RGB(0, 0, 255)},
    {"Blue-grey", RGB(123, 123, 192)},
    {"Grey - 40", RGB(102, 102, 102)},
    {"Red", RGB(255, 0, 0)},
    {"Light orange", RGB(255, 173, 91)},
    {"Lime", RGB(50, 205, 50)},
    {"Sea green", RGB(60, 179, 113)},
    {"Aqua", RGB(127, 255, 212)},
    {"Light blue", RGB(125, 158, 192)},
    {"Violet", RGB(128, 0, 128)},
    {"Grey - 50", RGB(127, 127, 127)},
    {"Pink", RGB(255, 192, 203)},
    {"Gold", RGB(255, 215, 0)},
    {"Yellow", RGB(255, 255, 0)},
    {"Bright green", RGB(0, 255, 0)},
    {"Turquoise", RGB(64, 224, 208)},
    {"Skyblue", RGB(192, 255, 255)},
    {"Plum", RGB(72, 0, 72)},
    {"Light grey", RGB(192, 192, 192)},
    {"Rose", RGB(255, 228, 225)},
    {"Tan", RGB(210, 180, 140)},
    {"Light yellow", RGB(255, 255, 224)},
    {"Pale green ", RGB(152, 251, 152)},
    {"Pale turquoise", RGB(175, 238, 238)},
    {"Pale blue", RGB(104, 131, 139)},
    {"Lavender", RGB(230, 230, 250)},
    {"White", RGB(255, 255, 255)},
};

namespace {

constexpr int kColumns = 8;
constexpr int kRows = kPaletteColorCount / kColumns;
// Sizes designed at 96 DPI, scaled to the screen's.
const int kCell = Scaled(18);
const int kMargin = Scaled(4);
const int kNameHeight = Scaled(18);
const int kOtherHeight = Scaled(22);
const int kWidth = kMargin * 2 + kColumns * kCell;
const int kHeight = kMargin * 3 + kRows * kCell + kNameHeight + kOtherHeight;
constexpr char kOtherText[] = "More Colors...";

}  // namespace

int PaletteIndexOf(COLORREF color) {
  for (int i = 0; i < kPaletteColorCount; ++i)
    if (kPaletteColors[i].color == color) return i;
  return -1;
}

RECT ColorPalette::CellRect(int index) {
  if (index == kPaletteColorCount) {
    int top = kMargin * 2 + kRows * kCell + kNameHeight;
    return RECT{kMargin, top, kWidth - kMargin, top + kOtherHeight};
  }
  int x = kMargin + (index % kColumns) * kCell, y = kMargin + (index / kColumns) * kCell;
  return RECT{x, y, x + kCell, y + kCell};
}

void ColorPalette::RegisterClassInfo(WNDCLASSEXA& wc) const {
  wc.style |= CS_DROPSHADOW;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_MENU + 1);
}

int ColorPalette::IndexAt(POINT client) const {
  for (int i = 0; i <= kPaletteColorCount; ++i) {
    RECT r = CellRect(i);
    if (PtInRect(&r, client)) return i;
  }
  return -1;
}

void ColorPalette::SetHot(int index) {
  if (index == hot_) return;
  hot_ = index;
  InvalidateRect(Handle(), nullptr, FALSE);
}

void ColorPalette::Finish(PaletteResult result, int index) {
  choice_.result = result;
  if (result == PaletteResult::Chosen && index >= 0 && index < kPaletteColorCount)
    choice_.color = kPaletteColors[index].color;
  done_ = true;
}

PaletteChoice ColorPalette::Run(HWND owner, const RECT& anchor, COLORREF current) {
  done_ = false;
  choice_ = PaletteChoice{};
  marked_ = PaletteIndexOf(current);
  hot_ = marked_;
  // Below the button, kept on the screen.
  RECT work = {};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  int x = anchor.left, y = anchor.bottom;
  if (x + kWidth > work.right) x = work.right - kWidth;
  if (y + kHeight > work.bottom) y = anchor.top - kHeight;
  if (!Create(owner, "", WS_POPUP | WS_BORDER, WS_EX_TOOLWINDOW | WS_EX_TOPMOST, x, y, kWidth + 2, kHeight + 2))
    return choice_;
  ShowWindow(Handle(), SW_SHOWNA);
  SetCapture(Handle());
  if (onShown) onShown(*this);
  MSG msg;
  while (!done_ && Handle()) {
    if (!GetMessageA(&msg, nullptr, 0, 0)) {
      // The quit message belongs to the loop outside.
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
      OnKey(msg.wParam);
      continue;
    }
    if (msg.message == WM_CHAR || msg.message == WM_SYSCHAR) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    // Something else took the mouse: the palette closes without a choice.
    if (!done_ && Handle() && GetCapture() != Handle()) Finish(PaletteResult::Cancelled, -1);
  }
  if (GetCapture() == Handle()) ReleaseCapture();
  Destroy();
  return choice_;
}

void ColorPalette::OnKey(WPARAM key) {
  int hot = hot_ < 0 ? 0 : hot_;
  switch (key) {
    case VK_ESCAPE: Finish(PaletteResult::Cancelled, -1); return;
    case VK_RETURN:
    case VK_SPACE:
      if (hot_ == kPaletteColorCount) Finish(PaletteResult::OtherColor, -1);
      else if (hot_ >= 0) Finish(PaletteResult::Chosen, hot_);
      return;
    case VK_LEFT: SetHot(hot == kPaletteColorCount ? kPaletteColorCount - 1 : (hot > 0 ? hot - 1 : 0)); return;
    case VK_RIGHT: SetHot(hot < kPaletteColorCount ? hot + 1 : hot); return;
    case VK_UP: SetHot(hot == kPaletteColorCount ? kPaletteColorCount - kColumns : (hot >= kColumns ? hot - kColumns : hot)); return;
    case VK_DOWN: SetHot(hot + kColumns < kPaletteColorCount ? hot + kColumns : kPaletteColorCount); return;
    default: return;
  }
}

LRESULT ColorPalette::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_MOUSEMOVE: {
      int index = IndexAt(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      if (index >= 0) SetHot(index);
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN: {
      POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      RECT client;
      GetClientRect(Handle(), &client);
      // A click outside closes the palette; inside, the button's release chooses.
      if (!PtInRect(&client, pt)) Finish(PaletteResult::Cancelled, -1);
      return 0;
    }
    case WM_LBUTTONUP: {
      int index = IndexAt(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      if (index == kPaletteColorCount) Finish(PaletteResult::OtherColor, -1);
      else if (index >= 0) Finish(PaletteResult::Chosen, index);
      return 0;
    }
    case WM_CANCELMODE:
    case WM_CAPTURECHANGED:
      if (!done_ && reinterpret_cast<HWND>(lParam) != Handle()) Finish(PaletteResult::Cancelled, -1);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(Handle(), &ps);
      Paint(dc);
      EndPaint(Handle(), &ps);
      return 0;
    }
    default: return DefaultProc(msg, wParam, lParam);
  }
}

void ColorPalette::Paint(HDC dc) {
  RECT client;
  GetClientRect(Handle(), &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_MENU));
  for (int i = 0; i < kPaletteColorCount; ++i) {
    RECT cell = CellRect(i);
    if (i == hot_ || i == marked_) {
      RECT frame = cell;
      DrawEdge(dc, &frame, i == hot_ ? BDR_RAISEDINNER : BDR_SUNKENOUTER, BF_RECT);
    }
    RECT swatch = cell;
    InflateRect(&swatch, -3, -3);
    BrushHandle brush(CreateSolidBrush(kPaletteColors[i].color));
    FillRect(dc, &swatch, brush.Get());
    FrameRect(dc, &swatch, GetSysColorBrush(COLOR_BTNSHADOW));
  }
  HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  HGDIOBJ old = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_MENUTEXT));
  RECT name = {kMargin, kMargin + kRows * kCell + 2, kWidth - kMargin, kMargin * 2 + kRows * kCell + kNameHeight};
  if (hot_ >= 0 && hot_ < kPaletteColorCount)
    DrawTextA(dc, kPaletteColors[hot_].name, -1, &name, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  RECT other = CellRect(kPaletteColorCount);
  DrawEdge(dc, &other, hot_ == kPaletteColorCount ? EDGE_RAISED : BDR_RAISEDINNER, BF_RECT);
  DrawTextA(dc, kOtherText, -1, &other, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  SelectObject(dc, old);
}

}  // namespace vellora
