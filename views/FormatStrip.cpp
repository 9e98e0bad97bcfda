#include "views/FormatStrip.h"

#include "controls/ParentNotifications.h"

namespace vellora {

LRESULT FormatStrip::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (IsParentNotification(msg)) return SendMessageA(GetParent(Handle()), msg, wParam, lParam);
  if (msg == WM_SIZE) {
    // The toolbar fills the strip.
    if (HWND bar = GetWindow(Handle(), GW_CHILD)) MoveWindow(bar, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
    return 0;
  }
  return DefaultProc(msg, wParam, lParam);
}

}  // namespace vellora
