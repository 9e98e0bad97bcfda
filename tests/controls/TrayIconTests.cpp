// The notification-area icon against a stand-in shell: it is shown only when
// the shell takes it, blinks only while shown, comes back after the shell
// restarts, and turns clicks into the owner's commands.
#include "controls/TrayIcon.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/controls/ControlHost.h"

using vellora::TrayIcon;

namespace {

constexpr UINT kIconId = 255;
constexpr UINT kActivate = 32932, kExit = 57665;

struct ShellCall {
  DWORD message;
  UINT id;
  UINT flags;
  HICON icon;
  std::string tip;
};

class TrayIconTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HMENU menu = CreateMenu();
    HMENU popup = CreatePopupMenu();
    AppendMenuA(popup, MF_STRING, kActivate, "&Activate");
    AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(popup, MF_STRING, kExit, "&Exit");
    AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), "-TrayPop");
    icons_ = {LoadIcon(nullptr, IDI_APPLICATION), LoadIcon(nullptr, IDI_WARNING)};
    // Shared icons are never destroyed; copies are the icon's to destroy.
    for (HICON& icon : icons_) icon = CopyIcon(icon);
    tray_.Setup(host_.Handle(), kIconId, "Vellora", icons_, menu, kActivate);
    tray_.SetShell([this](DWORD message, NOTIFYICONDATAA& data) {
      calls_.push_back({message, data.uID, data.uFlags, data.hIcon, data.szTip});
      EXPECT_EQ(data.cbSize, sizeof(void*) == 4 ? 488u : 504u);
      EXPECT_EQ(data.hWnd, host_.Handle());
      return accept_ ? TRUE : FALSE;
    });
  }
  bool TimerRunning() {
    // Killing it tells whether it ran; it is started again at once.
    if (!KillTimer(host_.Handle(), TrayIcon::kBlinkTimer)) return false;
    SetTimer(host_.Handle(), TrayIcon::kBlinkTimer, TrayIcon::kBlinkMs, nullptr);
    return true;
  }
  std::vector<DWORD> Messages() const {
    std::vector<DWORD> out;
    for (const ShellCall& call : calls_) out.push_back(call.message);
    return out;
  }

  vtest::ControlHost host_;
  TrayIcon tray_;
  std::vector<HICON> icons_;
  std::vector<ShellCall> calls_;
  bool accept_ = true;
};

TEST_F(TrayIconTest, AnIconTheShellRefusesIsNotShownAndNothingBlinks) {
  accept_ = false;
  EXPECT_FALSE(tray_.Show());
  EXPECT_FALSE(tray_.Shown());
  EXPECT_FALSE(TimerRunning());
  // The next lock tries again, and works once the shell takes it.
  accept_ = true;
  EXPECT_TRUE(tray_.Show());
  EXPECT_TRUE(tray_.Shown());
  EXPECT_EQ(Messages(), (std::vector<DWORD>{NIM_ADD, NIM_ADD}));
  EXPECT_EQ(calls_.back().flags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
}

TEST_F(TrayIconTest, ItBlinksThroughItsIconsOnlyWhileShown) {
  ASSERT_TRUE(tray_.Show());
  EXPECT_TRUE(TimerRunning());
  EXPECT_EQ(calls_.back().icon, icons_[0]);
  for (size_t tick = 1; tick <= 3; ++tick) {
    EXPECT_TRUE(tray_.OnTimer(TrayIcon::kBlinkTimer));
    EXPECT_EQ(calls_.back().message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(calls_.back().flags, static_cast<UINT>(NIF_ICON));
    EXPECT_EQ(calls_.back().icon, icons_[tick % 2]);
  }
  EXPECT_FALSE(tray_.OnTimer(TrayIcon::kBlinkTimer + 1));
  tray_.Hide();
  EXPECT_EQ(calls_.back().message, static_cast<DWORD>(NIM_DELETE));
  EXPECT_FALSE(TimerRunning());
  // A tick that was already queued changes nothing once it is hidden.
  const size_t before = calls_.size();
  tray_.OnTimer(TrayIcon::kBlinkTimer);
  EXPECT_EQ(calls_.size(), before);
  // Showing again reuses the same icon: one add, no second setup needed.
  ASSERT_TRUE(tray_.Show());
  EXPECT_EQ(calls_.back().message, static_cast<DWORD>(NIM_ADD));
}

TEST_F(TrayIconTest, ARestartedShellGetsTheIconAgainEvenWhenItIsNotReadyAtOnce) {
  tray_.OnTaskbarCreated();  // not shown: nothing to do
  EXPECT_TRUE(calls_.empty());
  ASSERT_TRUE(tray_.Show());
  calls_.clear();
  tray_.OnTaskbarCreated();
  EXPECT_EQ(Messages(), (std::vector<DWORD>{NIM_DELETE, NIM_ADD}));
  // The shell is not ready: every tick tries again until it takes the icon.
  calls_.clear();
  accept_ = false;
  tray_.OnTaskbarCreated();
  tray_.OnTimer(TrayIcon::kBlinkTimer);
  EXPECT_EQ(Messages(), (std::vector<DWORD>{NIM_DELETE, NIM_ADD, NIM_ADD}));
  accept_ = true;
  tray_.OnTimer(TrayIcon::kBlinkTimer);
  tray_.OnTimer(TrayIcon::kBlinkTimer);
  EXPECT_EQ(Messages(), (std::vector<DWORD>{NIM_DELETE, NIM_ADD, NIM_ADD, NIM_ADD, NIM_MODIFY}));
  EXPECT_TRUE(tray_.Shown());
}

TEST_F(TrayIconTest, ClicksBecomeTheOwnersCommands) {
  ASSERT_TRUE(tray_.Show());
  EXPECT_FALSE(tray_.OnCallback(kIconId + 1, WM_LBUTTONDBLCLK));
  EXPECT_TRUE(tray_.OnCallback(kIconId, WM_MOUSEMOVE));
  EXPECT_TRUE(host_.commands.empty());
  EXPECT_TRUE(tray_.OnCallback(kIconId, WM_LBUTTONDBLCLK));
  EXPECT_EQ(host_.commands, std::vector<UINT>{kActivate});
  // A right click shows the menu with Activate as its default item.
  UINT defaultItem = 0;
  host_.StartScript({[&] {
    for (HMENU popup : host_.initPopups) defaultItem = GetMenuDefaultItem(popup, FALSE, 0);
    EndMenu();
  }});
  tray_.OnCallback(kIconId, WM_RBUTTONUP);
  host_.StopScript();
  EXPECT_EQ(defaultItem, kActivate);
  EXPECT_FALSE(host_.initPopups.empty());
}

}  // namespace
