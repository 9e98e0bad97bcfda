#include "app/frame/TrayLock.h"

#include "app/resources/ResourceIds.h"
#include "platform/CallbackGuard.h"

namespace vellora {

namespace {

// The name the tray's password prompt shows.
constexpr char kTrayPromptName[] = "This library";

struct OwnedWindows {
  HWND owner;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectOwned(HWND window, LPARAM search) {
  return Guarded("owned window enumeration", TRUE, [&] {
    auto* owned = reinterpret_cast<OwnedWindows*>(search);
    if (GetWindow(window, GW_OWNER) == owned->owner && IsWindowVisible(window)) owned->found.push_back(window);
    return TRUE;
  });
}

// The visible top-level windows of this thread that the window owns.
std::vector<HWND> VisibleWindowsOwnedBy(HWND owner) {
  OwnedWindows owned{owner, {}};
  EnumThreadWindows(GetCurrentThreadId(), CollectOwned, reinterpret_cast<LPARAM>(&owned));
  return owned.found;
}

}  // namespace

TrayLock::TrayLock(UserPrompt& prompt, const TextSource& texts) : prompt_(prompt), texts_(texts) {
  taskbarCreated_ = RegisterWindowMessageA("TaskbarCreated");
}

void TrayLock::Setup(HWND frame) {
  frame_ = frame;
  HINSTANCE instance = GetModuleHandleA(nullptr);
  // The tray icon blinks between the locked emblem and the program's own.
  std::vector<HICON> icons;
  for (int id : {IDI_TRAY, IDR_MAINFRAME})
    icons.push_back(static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(id), IMAGE_ICON, 16, 16, 0)));
  tray_.Setup(frame, IDR_TRAY_POPUP, "Vellora", icons, LoadMenuA(instance, MAKEINTRESOURCEA(IDR_TRAY_POPUP)),
              ID_TRAY_ACTIVATE);
}

void TrayLock::Lock() {
  if (tray_.Shown()) return;
  // The icon first: a window hidden without an icon to bring it back would
  // leave the program out of reach.
  if (!tray_.Show()) {
    prompt_.ShowMessage("The program could not put its icon into the notification area, so it stays open.\n\n"
                        "Close the library or lock it read-only instead.",
                        texts_.TextOr(kTextTipCaption, "Tip"), MB_OK | MB_ICONWARNING);
    return;
  }
  // Windows of the frame's own that float beside it go and come back with it.
  hiddenWithFrame_ = VisibleWindowsOwnedBy(frame_);
  for (HWND window : hiddenWithFrame_) ShowWindow(window, SW_HIDE);
  ShowWindow(frame_, SW_HIDE);
}

void TrayLock::Unlock(const std::string& password) {
  // A second double click while the prompt is open does not ask again.
  if (activating_ || !tray_.Shown()) return;
  activating_ = true;
  const bool admitted = password.empty() || prompt_.AskPassword(kTrayPromptName, password);
  activating_ = false;
  if (!admitted) {
    prompt_.ShowMessage(texts_.TextOr(kTextStillLocked, "Wrong password. The library stays locked."), "Tip",
                        MB_OK | MB_ICONWARNING);
    return;
  }
  ShowWindow(frame_, SW_SHOW);
  for (HWND window : hiddenWithFrame_)
    if (IsWindow(window)) ShowWindow(window, SW_SHOWNA);
  hiddenWithFrame_.clear();
  tray_.Hide();
  SetForegroundWindow(frame_);
}

bool TrayLock::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == TrayIcon::kCallbackMessage) {
    tray_.OnCallback(wParam, lParam);
    return true;
  }
  // The shell started again; others may want to know too.
  if (taskbarCreated_ && msg == taskbarCreated_) tray_.OnTaskbarCreated();
  return false;
}

}  // namespace vellora
