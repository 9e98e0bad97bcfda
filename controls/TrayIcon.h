#pragma once
// An icon of an owner window in the taskbar's notification area: added and
// removed on request, blinking through its icons while it is shown, a menu on
// a right click, the default command on a double click. Nothing is
// subclassed: the owner hands the icon the messages meant for it (the
// callback message, the shell's "TaskbarCreated", the blink timer) and
// removes it when the owner is destroyed.
#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/GdiHandles.h"

namespace vellora {

class TrayIcon {
 public:
  // The message the shell sends the owner: wParam the icon id, lParam the
  // mouse message.
  static constexpr UINT kCallbackMessage = WM_USER + 0x64;
  static constexpr UINT_PTR kBlinkTimer = 101;
  static constexpr UINT kBlinkMs = 500;
  // Shell_NotifyIcon, or a stand-in in tests.
  using ShellCall = std::function<BOOL(DWORD message, NOTIFYICONDATAA& data)>;

  TrayIcon();
  ~TrayIcon();
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  // The owner, the icon id, the tooltip, the icons it blinks through (taken)
  // and the menu whose first popup a right click shows (taken). The default
  // command runs on a double click; 0 runs the menu's first item.
  void Setup(HWND owner, UINT id, const std::string& tip, std::vector<HICON> icons, HMENU menu,
             UINT defaultCommand);
  void SetShell(ShellCall shell) { shell_ = std::move(shell); }

  // Adds the icon to the notification area and starts blinking; false when
  // the shell refused it (then nothing is shown and nothing blinks).
  bool Show();
  // Removes the icon and stops blinking.
  void Hide();
  bool Shown() const { return shown_; }
  // The icon of the list shown now.
  size_t IconIndex() const { return iconIndex_; }

  // The messages the owner hands over; each answers whether it was the icon's.
  bool OnCallback(WPARAM id, LPARAM mouseMessage);
  // The shell started again: the icon is added again while it is shown (and
  // tried again on every blink until the shell takes it).
  void OnTaskbarCreated();
  bool OnTimer(UINT_PTR timer);

 private:
  NOTIFYICONDATAA Data(UINT flags) const;
  bool Add();
  void ShowMenu();
  UINT DoubleClickCommand() const;

  HWND owner_ = nullptr;
  UINT id_ = 0;
  std::string tip_;
  std::vector<IconHandle> icons_;
  MenuHandle menu_;
  UINT defaultCommand_ = 0;
  ShellCall shell_;
  bool shown_ = false;
  // Shown, but the restarted shell has not taken the icon yet.
  bool waitingForShell_ = false;
  size_t iconIndex_ = 0;
};

}  // namespace vellora
