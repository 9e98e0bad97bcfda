#include "views/ViewHost.h"

#include <windowsx.h>

#include "controls/ParentNotifications.h"

namespace vellora {

LRESULT ViewHost::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SIZE:
      if (control_) MoveWindow(control_, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      return 0;
    case WM_SETFOCUS:
      if (control_) SetFocus(control_);
      return 0;
    case WM_ERASEBKGND: return 1;  // the control covers the whole window
    case WM_NOTIFY: return onNotify ? onNotify(reinterpret_cast<NMHDR*>(lParam)) : 0;
    case WM_CONTEXTMENU:
      if (onContextMenu) onContextMenu(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    default: break;
  }
  if (msg >= WM_APP && msg <= 0xBFFF && onPosted) {
    onPosted(msg);
    return 0;
  }
  return DefaultProc(msg, wParam, lParam);
}

LRESULT PaneWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (onMessage) {
    bool handled = false;
    LRESULT result = onMessage(msg, wParam, lParam, handled);
    if (handled) return result;
  }
  if (IsParentNotification(msg) || msg == WM_CONTEXTMENU)
    if (HWND parent = GetParent(Handle())) return SendMessageA(parent, msg, wParam, lParam);
  return DefaultProc(msg, wParam, lParam);
}

}  // namespace vellora
