#include "controls/TrayIcon.h"

#include <cstddef>
#include <cstring>

namespace vellora {

namespace {

// The structure as far as its balloon flags (488 bytes; 504 with 64-bit handles), which every shell
// since Windows 2000 reads.
constexpr DWORD kNotifyDataSize = offsetof(NOTIFYICONDATAA, guidItem);
static_assert(kNotifyDataSize == (sizeof(void*) == 4 ? 488 : 504),
              "the notification data the shell expects: 488 bytes, 504 in a 64-bit program");

}  // namespace

TrayIcon::TrayIcon()
    : shell_([](DWORD message, NOTIFYICONDATAA& data) { return Shell_NotifyIconA(message, &data); }) {}

TrayIcon::~TrayIcon() { Hide(); }

void TrayIcon::Setup(HWND owner, UINT id, const std::string& tip, std::vector<HICON> icons, HMENU menu,
                     UINT defaultCommand) {
  Hide();
  owner_ = owner;
  id_ = id;
  tip_ = tip;
  icons_.clear();
  for (HICON icon : icons)
    if (icon) icons_.emplace_back(icon);
  menu_.Reset(menu);
  defaultCommand_ = defaultCommand;
  iconIndex_ = 0;
}

NOTIFYICONDATAA TrayIcon::Data(UINT flags) const {
  NOTIFYICONDATAA data = {};
  data.cbSize = kNotifyDataSize;
  data.hWnd = owner_;
  data.uID = id_;
  data.uFlags = flags;
  data.uCallbackMessage = kCallbackMessage;
  data.hIcon = icons_.empty() ? nullptr : icons_[iconIndex_ % icons_.size()].Get();
  lstrcpynA(data.szTip, tip_.c_str(), sizeof data.szTip);
  return data;
}

bool TrayIcon::Add() {
  NOTIFYICONDATAA data = Data(NIF_MESSAGE | NIF_ICON | NIF_TIP);
  return shell_(NIM_ADD, data) != FALSE;
}

bool TrayIcon::Show() {
  if (shown_) return true;
  if (!owner_ || !Add()) return false;
  shown_ = true;
  waitingForShell_ = false;
  if (icons_.size() > 1) SetTimer(owner_, kBlinkTimer, kBlinkMs, nullptr);
  return true;
}

void TrayIcon::Hide() {
  if (!shown_) return;
  shown_ = false;
  waitingForShell_ = false;
  KillTimer(owner_, kBlinkTimer);
  NOTIFYICONDATAA data = Data(0);
  shell_(NIM_DELETE, data);
}

UINT TrayIcon::DoubleClickCommand() const {
  if (defaultCommand_) return defaultCommand_;
  HMENU popup = menu_ ? GetSubMenu(menu_.Get(), 0) : nullptr;
  UINT first = popup ? GetMenuItemID(popup, 0) : static_cast<UINT>(-1);
  return first == static_cast<UINT>(-1) ? 0 : first;
}

void TrayIcon::ShowMenu() {
  HMENU popup = menu_ ? GetSubMenu(menu_.Get(), 0) : nullptr;
  if (!popup) return;
  if (defaultCommand_) SetMenuDefaultItem(popup, defaultCommand_, FALSE);
  POINT at;
  GetCursorPos(&at);
  // The menu closes when the user clicks elsewhere only if the owner is in
  // the foreground, and only after the owner got a message.
  SetForegroundWindow(owner_);
  TrackPopupMenu(popup, TPM_LEFTBUTTON, at.x, at.y, 0, owner_, nullptr);
  PostMessageA(owner_, WM_NULL, 0, 0);
}

bool TrayIcon::OnCallback(WPARAM id, LPARAM mouseMessage) {
  if (id != id_) return false;
  switch (static_cast<UINT>(mouseMessage)) {
    case WM_RBUTTONUP: ShowMenu(); break;
    case WM_LBUTTONDBLCLK:
      if (UINT command = DoubleClickCommand()) SendMessageA(owner_, WM_COMMAND, command, 0);
      break;
    default: break;
  }
  return true;
}

void TrayIcon::OnTaskbarCreated() {
  if (!shown_) return;
  NOTIFYICONDATAA data = Data(0);
  shell_(NIM_DELETE, data);
  waitingForShell_ = !Add();
  // The blink timer tries again while the shell is not ready.
  if (waitingForShell_) SetTimer(owner_, kBlinkTimer, kBlinkMs, nullptr);
}

bool TrayIcon::OnTimer(UINT_PTR timer) {
  if (timer != kBlinkTimer) return false;
  if (!shown_) {
    KillTimer(owner_, kBlinkTimer);
    return true;
  }
  if (waitingForShell_) {
    waitingForShell_ = !Add();
    if (!waitingForShell_ && icons_.size() < 2) KillTimer(owner_, kBlinkTimer);
    return true;
  }
  if (icons_.size() < 2) return true;
  iconIndex_ = (iconIndex_ + 1) % icons_.size();
  NOTIFYICONDATAA data = Data(NIF_ICON);
  shell_(NIM_MODIFY, data);
  return true;
}

}  // namespace vellora
