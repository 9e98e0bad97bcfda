#include "views/TextPane.h"

#include <commctrl.h>

#include <vector>

#include "controls/ImageStrip.h"
#include "content/CommandIds.h"
#include "platform/CallbackGuard.h"
#include "platform/Dpi.h"
#include "views/ToolbarLayout.h"
#include "views/ViewResourceIds.h"

namespace vellora {

using namespace resources;

namespace {

constexpr int kFormatStripHeight = 22;

int CALLBACK AddFontName(const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM combo) {
  return Guarded("font enumeration", 0, [&] {
    HWND box = reinterpret_cast<HWND>(combo);
    if (font->lfFaceName[0] != '@' &&
        SendMessageA(box, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(font->lfFaceName)) == CB_ERR)
      SendMessageA(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(font->lfFaceName));
    return 1;
  });
}

// The font-name box lists the installed faces.
void FillFontNames(HWND combo) {
  HDC dc = GetDC(nullptr);
  LOGFONTA all = {};
  all.lfCharSet = DEFAULT_CHARSET;
  EnumFontFamiliesExA(dc, &all, AddFontName, reinterpret_cast<LPARAM>(combo), 0);
  ReleaseDC(nullptr, dc);
}

bool IsColorButton(UINT id) {
  return id == ID_FORMAT_TEXT_COLOR || id == ID_FORMAT_HIGHLIGHT_COLOR || id == ID_TEXT_BACK_COLOR;
}

}  // namespace

TextPane::TextPane(std::string defaultFace) : defaultFace_(std::move(defaultFace)) {
  text_.SetDefaultFace(defaultFace_);
  text_.SetContextMenu(IDR_VIEW_POPUPS, VIEWPOP_POS_TEXT);
  window_.onMessage = [this](UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
    return OnMessage(msg, wParam, lParam, handled);
  };
  // A note swapped in as a whole comes in a new window of the same place.
  text_.onWindowReplaced = [this](HWND window) {
    splitter_.SetPanes(strip_.Handle(), window);
    splitter_.Layout();
  };
}

TextPane::~TextPane() { window_.Destroy(); }

bool TextPane::Create(HWND parent) {
  if (!window_.Create(parent, "", WS_CHILD | WS_CLIPCHILDREN, 0, 0, 0, 0, 0)) return false;
  splitter_.Create(window_.Handle(), SplitterOrientation::Horizontal);
  splitter_.SetDraggable(false);
  splitter_.SetBarWidth(3);
  CreateStrip();
  // The editor's menus go where the pane's do.
  text_.wiring = wiring;
  if (!text_.Create(splitter_.Handle())) return false;
  ShowWindow(text_.Window(), SW_SHOW);
  splitter_.SetPanes(strip_.Handle(), text_.Window());
  splitter_.SetPosition(Scaled(kFormatStripHeight));
  return true;
}

void TextPane::CreateStrip() {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  strip_.Create(splitter_.Handle(), "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 0, 0, 0);
  formatBar_ = CreateWindowExA(0, TOOLBARCLASSNAMEA, nullptr,
                               WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NORESIZE | CCS_NODIVIDER |
                                   CCS_NOPARENTALIGN,
                               0, 0, 0, 0, strip_.Handle(), nullptr, instance, nullptr);
  SendMessageA(formatBar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  formatImages_.Reset(LoadImageListForDpi(instance, IDB_FORMAT_TOOLBAR, 16, kImageMaskColor));
  SendMessageA(formatBar_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(formatImages_.Get()));
  // Room for the two comboboxes first, then the buttons.
  std::vector<TBBUTTON> buttons;
  TBBUTTON sep = {};
  sep.fsStyle = TBSTYLE_SEP;
  const int nameWidth = Scaled(kFormatToolbarCombos[0].width), sizeWidth = Scaled(kFormatToolbarCombos[1].width);
  sep.iBitmap = nameWidth + sizeWidth + Scaled(8);
  buttons.push_back(sep);
  sep.iBitmap = 6;
  buttons.push_back(sep);
  AppendButtons(buttons, kFormatToolbar);
  SendMessageA(formatBar_, TB_ADDBUTTONSA, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
  HFONT gui = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  fontName_ = CreateWindowExA(0, WC_COMBOBOXA, nullptr, WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWN | CBS_SORT,
                              Scaled(2), 0, nameWidth, Scaled(kFormatToolbarCombos[0].droppedHeight), formatBar_,
                              reinterpret_cast<HMENU>(IDC_FONT_NAME_COMBO), instance, nullptr);
  fontSize_ = CreateWindowExA(0, WC_COMBOBOXA, nullptr, WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWN,
                              Scaled(6) + nameWidth, 0, sizeWidth, Scaled(kFormatToolbarCombos[1].droppedHeight),
                              formatBar_,
                              reinterpret_cast<HMENU>(IDC_FONT_SIZE_COMBO), instance, nullptr);
  SendMessageA(fontName_, WM_SETFONT, reinterpret_cast<WPARAM>(gui), FALSE);
  SendMessageA(fontSize_, WM_SETFONT, reinterpret_cast<WPARAM>(gui), FALSE);
  FillFontNames(fontName_);
  for (int size : kFontSizes) {
    char text[8];
    wsprintfA(text, "%d", size);
    SendMessageA(fontSize_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  }
  SetWindowTextA(fontName_, defaultFace_.c_str());

  SendMessageA(formatBar_, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
  for (UINT id : kFormatToolbarDropDowns) {
    TBBUTTONINFOA info = {};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_STYLE;
    info.fsStyle = BTNS_BUTTON | BTNS_DROPDOWN;
    SendMessageA(formatBar_, TB_SETBUTTONINFOA, id, reinterpret_cast<LPARAM>(&info));
  }
}

LRESULT TextPane::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
  switch (msg) {
    case WM_SIZE:
      MoveWindow(splitter_.Handle(), 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      handled = true;
      return 0;
    case WM_SETFOCUS:
      if (text_.Window()) SetFocus(text_.Window());
      handled = true;
      return 0;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (!header) return 0;
      if (header->hwndFrom && header->hwndFrom == text_.Window()) {
        handled = true;
        return text_.OnNotify(*header);
      }
      if (header->hwndFrom == formatBar_ && header->code == TBN_DROPDOWN) {
        handled = true;
        OnColorDropDown(*reinterpret_cast<NMTOOLBARA*>(header));
        return TBDDRET_DEFAULT;
      }
      return 0;
    }
    case WM_COMMAND:
      handled = OnStripCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
      return 0;
    default:
      return 0;
  }
}

bool TextPane::Enabled(UINT id) const {
  if (wiring.queryCommand) return wiring.queryCommand(id).enabled;
  CommandUi ui;
  return text_.QueryCommand(id, ui) && ui.enabled;
}

bool TextPane::OnStripCommand(UINT id, UINT code, HWND control) {
  if (!control) return false;
  if (control == fontName_ || control == fontSize_) {
    if (code != CBN_SELCHANGE || !text_.HasItem()) return true;
    int index = static_cast<int>(SendMessageA(control, CB_GETCURSEL, 0, 0));
    if (control == fontSize_) {
      text_.ApplyFontSize(index);
    } else if (index != CB_ERR) {
      char face[LF_FACESIZE] = "";
      if (SendMessageA(control, CB_GETLBTEXTLEN, index, 0) < LF_FACESIZE)
        SendMessageA(control, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(face));
      text_.ApplyFontName(face);
    }
    SetFocus(text_.Window());
    return true;
  }
  // A colour button applies its remembered colour without asking.
  if (control == formatBar_ && IsColorButton(id)) {
    if (Enabled(id)) text_.HandleCommandFrom(id, control);
    return true;
  }
  return false;
}

void TextPane::OnColorDropDown(const NMTOOLBARA& note) {
  UINT id = static_cast<UINT>(note.iItem);
  if (!Enabled(id)) return;
  RECT button = {};
  SendMessageA(formatBar_, TB_GETRECT, id, reinterpret_cast<LPARAM>(&button));
  MapWindowPoints(formatBar_, nullptr, reinterpret_cast<POINT*>(&button), 2);
  text_.DropDownColor(id, button);
}

bool TextPane::HandleCommand(UINT id) {
  if (id == ID_VIEW_FORMAT_TOOLBAR) {
    ShowStrip(!FormatStripShown());
    return true;
  }
  return text_.HandleCommand(id);
}

bool TextPane::HandleCommandFrom(UINT id, HWND control) {
  if (id == ID_VIEW_FORMAT_TOOLBAR) return HandleCommand(id);
  return text_.HandleCommandFrom(id, control);
}

bool TextPane::QueryCommand(UINT id, CommandUi& ui) const {
  if (id == ID_VIEW_FORMAT_TOOLBAR) {
    ui.checked = FormatStripShown();
    return true;
  }
  return text_.QueryCommand(id, ui);
}

void TextPane::ShowStrip(bool show) {
  splitter_.SetSinglePane(show ? SplitterPane::None : SplitterPane::Second);
}

void TextPane::ApplyLayout(const InterfaceLayout& layout) {
  if (layout.textSplitter == PaneRule::Both) {
    splitter_.SetSinglePane(SplitterPane::None);
  } else {
    splitter_.SetSinglePane(SplitterPane::Second);
    splitter_.SetDefaultActivePane(1);
  }
  splitter_.Layout();
}

void TextPane::SyncFormatBoxes() {
  HWND focus = GetFocus();
  if (focus && (focus == fontName_ || focus == fontSize_ || IsChild(fontName_, focus) || IsChild(fontSize_, focus)))
    return;
  if (SendMessageA(fontName_, CB_GETDROPPEDSTATE, 0, 0) || SendMessageA(fontSize_, CB_GETDROPPEDSTATE, 0, 0)) return;
  std::string face;
  LONG twips = 0;
  if (!text_.SelectionFont(face, twips)) return;
  char shown[LF_FACESIZE] = "";
  GetWindowTextA(fontName_, shown, sizeof shown);
  if (face != shown) {
    LRESULT at = SendMessageA(fontName_, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                              reinterpret_cast<LPARAM>(face.c_str()));
    if (at != CB_ERR) SendMessageA(fontName_, CB_SETCURSEL, at, 0);
    else SetWindowTextA(fontName_, face.c_str());
  }
  char size[16];
  wsprintfA(size, "%d", static_cast<int>(twips / 20));
  LRESULT at = SendMessageA(fontSize_, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(size));
  if (at != SendMessageA(fontSize_, CB_GETCURSEL, 0, 0)) SendMessageA(fontSize_, CB_SETCURSEL, at, 0);
}

void TextPane::UpdateCommandUi() {
  if (!formatBar_) return;
  SyncFormatBoxes();
  for (UINT id : kFormatToolbarButtons) {
    if (!id) continue;
    CommandUi ui;
    if (wiring.queryCommand) ui = wiring.queryCommand(id);
    else if (!text_.QueryCommand(id, ui)) ui.enabled = false;
    SendMessageA(formatBar_, TB_ENABLEBUTTON, id, MAKELONG(ui.enabled, 0));
    SendMessageA(formatBar_, TB_CHECKBUTTON, id, MAKELONG(ui.checked, 0));
  }
}

}  // namespace vellora
