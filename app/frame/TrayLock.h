#pragma once
// The lock to the notification area: the main window (and the windows of
// its own that float beside it) hidden behind the tray icon, and brought back
// only through the library's password.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "controls/TrayIcon.h"
#include "store/Services.h"
#include "store/UserPrompt.h"

namespace vellora {

class TrayLock {
 public:
  TrayLock(UserPrompt& prompt, const TextSource& texts);

  // The icon goes through shell instead of the shell's own call (tests).
  void SetShell(TrayIcon::ShellCall shell) { tray_.SetShell(std::move(shell)); }
  void Setup(HWND frame);
  bool Locked() const { return tray_.Shown(); }
  const TrayIcon& Icon() const { return tray_; }

  void Lock();
  // Asks for password (none: no question) and shows the window again.
  void Unlock(const std::string& password);
  // The icon's and the shell's messages; true when msg was one of them.
  bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  bool OnTimer(UINT_PTR timer) { return tray_.OnTimer(timer); }
  void Hide() { tray_.Hide(); }

 private:
  UserPrompt& prompt_;
  const TextSource& texts_;
  HWND frame_ = nullptr;
  TrayIcon tray_;
  UINT taskbarCreated_ = 0;
  // Top-level windows of the frame hidden with it while it is in the tray.
  std::vector<HWND> hiddenWithFrame_;
  bool activating_ = false;
};

}  // namespace vellora
