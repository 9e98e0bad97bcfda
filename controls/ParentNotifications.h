#pragma once
// Container windows (the splitter, the outlook bar) sit between controls and
// the window that owns them; they pass these messages of their children on.
#include <windows.h>

namespace vellora {

// True for the messages a child sends its parent about itself: commands,
// notifications, owner drawing, control colours, and registered messages.
inline bool IsParentNotification(UINT msg) {
  switch (msg) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_COMPAREITEM:
    case WM_DELETEITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      return true;
    default:
      return msg >= 0xC000 && msg <= 0xFFFF;  // registered messages
  }
}

}  // namespace vellora
