#include "app/frame/FrameChrome.h"

#include <commctrl.h>

#include <cstring>
#include <string>
#include <vector>

#include "controls/ImageStrip.h"
#include "app/resources/ResourceIds.h"
#include "app/resources/ToolbarLayout.h"
#include "platform/Dpi.h"
#include "views/ViewLook.h"

namespace vellora {

using namespace resources;

FrameChrome::~FrameChrome() {
  if (accelerators_) DestroyAcceleratorTable(accelerators_);
}

void FrameChrome::Create(HWND frame) {
  frame_ = frame;
  HINSTANCE instance = GetModuleHandleA(nullptr);
  accelerators_ = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_MAINFRAME));
  menu_ = GetMenu(frame);
  CreateBars();
  CreateStatusBar();
  SetMenu(frame, nullptr);
  menuBar_.Reset(menu_);
  LoadRebarBackground();
}

void FrameChrome::CreateBars() {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  rebar_ = CreateWindowExA(WS_EX_TOOLWINDOW, REBARCLASSNAMEA, nullptr,
                           WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | RBS_VARHEIGHT |
                               RBS_BANDBORDERS | CCS_NODIVIDER,
                           0, 0, 0, 0, frame_, nullptr, instance, nullptr);
  commandBar_.Create(rebar_, frame_);
  commandBar_.AttachMenu(menu_);
  // The command bar copies the strip into its own image list.
  BitmapHandle menuImages(LoadBitmapA(instance, MAKEINTRESOURCEA(IDB_MENU_IMAGES)));
  std::vector<std::pair<UINT, int>> images;
  for (size_t i = 0; i < std::size(kMenuImageCommands); ++i)
    images.emplace_back(kMenuImageCommands[i], static_cast<int>(i));
  commandBar_.SetMenuImages(menuImages.Get(), images);

  toolbar_ = CreateWindowExA(0, TOOLBARCLASSNAMEA, nullptr,
                             WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NORESIZE | CCS_NODIVIDER |
                                 CCS_NOPARENTALIGN,
                             0, 0, 0, 0, rebar_, nullptr, instance, nullptr);
  SendMessageA(toolbar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  toolbarImages_.Reset(LoadImageListForDpi(instance, IDB_MAIN_TOOLBAR, 24, kImageMaskColor));
  SendMessageA(toolbar_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(toolbarImages_.Get()));
  std::vector<TBBUTTON> buttons;
  AppendButtons(buttons, kMainToolbar);
  SendMessageA(toolbar_, TB_ADDBUTTONSA, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
  SendMessageA(toolbar_, TB_AUTOSIZE, 0, 0);

  SIZE menuSize = commandBar_.IdealSize();
  REBARBANDINFOA band = {};
  band.cbSize = REBARBANDINFOA_V6_SIZE;
  band.fMask = RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_STYLE | RBBIM_SIZE | RBBIM_ID;
  band.fStyle = RBBS_GRIPPERALWAYS | RBBS_BREAK;
  band.hwndChild = commandBar_.Handle();
  band.cxMinChild = menuSize.cx;
  band.cyMinChild = menuSize.cy;
  band.cx = 2000;
  band.wID = 1;
  SendMessageA(rebar_, RB_INSERTBANDA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&band));
  DWORD size = static_cast<DWORD>(SendMessageA(toolbar_, TB_GETBUTTONSIZE, 0, 0));
  RECT last = {};
  SendMessageA(toolbar_, TB_GETITEMRECT, buttons.size() - 1, reinterpret_cast<LPARAM>(&last));
  band.hwndChild = toolbar_;
  band.cxMinChild = last.right;
  band.cyMinChild = HIWORD(size);
  band.wID = 2;
  SendMessageA(rebar_, RB_INSERTBANDA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&band));
}

void FrameChrome::CreateStatusBar() {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  status_ = CreateWindowExA(0, STATUSCLASSNAMEA, nullptr, WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0,
                            frame_, reinterpret_cast<HMENU>(ID_VIEW_STATUS_BAR), instance, nullptr);
  char ready[64] = "Ready";
  LoadStringA(instance, IDS_READY, ready, sizeof ready);
  SendMessageA(status_, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(ready));
  clockIcon_.Reset(static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_CLOCK), IMAGE_ICON, 16, 16, 0)));
  smallProgramIcon_.Reset(
      static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, 16, 16, 0)));
}

void FrameChrome::LoadRebarBackground() {
  // The rebar's picture comes from beside the program, when there is one.
  char program[MAX_PATH] = "";
  DWORD length = GetModuleFileNameA(nullptr, program, MAX_PATH);
  std::string folder(program, length);
  folder = folder.substr(0, folder.find_last_of('\\'));
  rebarBack_.Reset(LoadBitmapFile(folder + "\\ToolBk.bmp"));
  if (!rebarBack_ || !rebar_) return;
  const int bands = static_cast<int>(SendMessageA(rebar_, RB_GETBANDCOUNT, 0, 0));
  for (int i = 0; i < bands; ++i) {
    REBARBANDINFOA band = {};
    band.cbSize = REBARBANDINFOA_V6_SIZE;
    band.fMask = RBBIM_STYLE;
    SendMessageA(rebar_, RB_GETBANDINFOA, i, reinterpret_cast<LPARAM>(&band));
    band.fMask = RBBIM_STYLE | RBBIM_BACKGROUND;
    band.fStyle |= RBBS_FIXEDBMP;
    band.hbmBack = rebarBack_;
    SendMessageA(rebar_, RB_SETBANDINFOA, i, reinterpret_cast<LPARAM>(&band));
  }
}

RECT FrameChrome::Layout() {
  RECT rc;
  GetClientRect(frame_, &rc);
  int top = 0, bottom = rc.bottom;
  if (rebar_) {
    SendMessageA(rebar_, WM_SIZE, 0, 0);
    RECT rb;
    GetWindowRect(rebar_, &rb);
    top = rb.bottom - rb.top;
  }
  if (status_ && statusShown_) {
    SendMessageA(status_, WM_SIZE, 0, 0);
    RECT sb;
    GetWindowRect(status_, &sb);
    bottom -= sb.bottom - sb.top;
    int width = rc.right;
    // The parts' widths, designed at 96 DPI, hold texts of the system's font.
    const int tip = Scaled(180), state = Scaled(60), clock = Scaled(84);
    int parts[4] = {width - tip - state - clock, width - state - clock, width - clock, -1};
    for (int& p : parts)
      if (p != -1 && p < 0) p = 0;
    SendMessageA(status_, SB_SETPARTS, 4, reinterpret_cast<LPARAM>(parts));
    SendMessageA(status_, SB_SETICON, 2, reinterpret_cast<LPARAM>(clockIcon_.Get()));
    SendMessageA(status_, SB_SETICON, 3, reinterpret_cast<LPARAM>(smallProgramIcon_.Get()));
    SendMessageA(status_, SB_SETTEXTA, 3, reinterpret_cast<LPARAM>("Vellora"));
  }
  return RECT{0, top, rc.right, bottom > top ? bottom : top};
}

UINT FrameChrome::TrackPopup(HMENU popup, POINT screen, UINT flags) {
  return commandBar_.TrackPopup(popup, screen.x, screen.y, frame_, flags);
}

bool FrameChrome::TranslateAccelerator(MSG& msg) {
  return accelerators_ && ::TranslateAcceleratorA(frame_, accelerators_, &msg);
}

void FrameChrome::ShowToolbar(bool show) {
  toolbarShown_ = show;
  int band = static_cast<int>(SendMessageA(rebar_, RB_IDTOINDEX, 2, 0));
  SendMessageA(rebar_, RB_SHOWBAND, band, toolbarShown_);
}

void FrameChrome::ShowStatusBar(bool show) {
  statusShown_ = show;
  ShowWindow(status_, statusShown_ ? SW_SHOW : SW_HIDE);
}

void FrameChrome::ShowMenuPrompt(UINT id, UINT flags, HMENU menu) {
  char prompt[256] = "";
  if (flags == 0xFFFF && !menu) {
    LoadStringA(GetModuleHandleA(nullptr), IDS_READY, prompt, sizeof prompt);
  } else if (!(flags & MF_POPUP) && LoadStringA(GetModuleHandleA(nullptr), id, prompt, sizeof prompt)) {
    if (char* nl = strchr(prompt, '\n')) *nl = 0;
  }
  if (status_) SendMessageA(status_, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(prompt));
}

void FrameChrome::UpdateClock() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  char text[16];
  wsprintfA(text, "%02i:%02i", now.wHour, now.wMinute);
  if (status_) SendMessageA(status_, SB_SETTEXTA, 2, reinterpret_cast<LPARAM>(text));
}

void FrameChrome::UpdateButtons(const std::function<CommandUi(UINT id)>& query) {
  for (UINT id : kMainToolbarButtons) {
    if (!id) continue;
    CommandUi ui = query(id);
    SendMessageA(toolbar_, TB_ENABLEBUTTON, id, MAKELONG(ui.enabled, 0));
  }
}

}  // namespace vellora
