// The walls in front of the window and dialog procedures: whatever a handler
// throws is reported and answered with the safe value.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/CallbackGuard.h"
#include "platform/ModalDialog.h"
#include "platform/Window.h"

using namespace vellora;

namespace {

std::vector<std::string> g_reported;
void Record(const char* where, const char* what) { g_reported.push_back(std::string(where) + ": " + what); }

class ThrowingWindow : public Window {
 public:
  UINT throwOn = 0;

 protected:
  const char* ClassName() const override { return "VelloraThrowingWindow"; }
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == throwOn) throw std::runtime_error("broken handler");
    return DefaultProc(msg, wParam, lParam);
  }
};

// A dialog built in memory whose OnInit throws; it must still open and close.
class ThrowingDialog : public ModalDialog {
 protected:
  bool OnInit() override {
    PostMessageA(Handle(), WM_COMMAND, IDCANCEL, 0);
    throw std::runtime_error("broken dialog");
  }
};

// A dialog template in memory: no controls, just a frame.
struct BlankTemplate {
  DLGTEMPLATE head;
  WORD menu, windowClass, title;
};
const BlankTemplate& BlankDialog() {
  static const BlankTemplate blank = [] {
    BlankTemplate t = {};
    t.head.style = WS_POPUP | WS_CAPTION | DS_MODALFRAME;
    t.head.cx = 100;
    t.head.cy = 40;
    return t;
  }();
  return blank;
}

TEST(CallbackGuard, AFailedCreationIsSeenAsOneAndOtherMessagesGoOn) {
  g_reported.clear();
  SetCallbackFailureReporter(Record);
  {
    ThrowingWindow window;
    window.throwOn = WM_CREATE;
    EXPECT_EQ(window.Create(nullptr, "x", WS_OVERLAPPEDWINDOW, 0, 0, 0, 100, 100), nullptr);
  }
  ASSERT_EQ(g_reported.size(), 1u);
  EXPECT_EQ(g_reported[0], "VelloraThrowingWindow: broken handler");
  {
    ThrowingWindow window;
    window.throwOn = WM_SETTEXT;
    ASSERT_NE(window.Create(nullptr, "x", WS_OVERLAPPEDWINDOW, 0, 0, 0, 100, 100), nullptr);
    SetWindowTextA(window.Handle(), "still alive");
    EXPECT_TRUE(IsWindow(window.Handle()));
  }
  EXPECT_EQ(g_reported.size(), 2u);

  ThrowingDialog dialog;
  EXPECT_EQ(dialog.RunIndirect(nullptr, &BlankDialog().head), IDCANCEL);
  EXPECT_EQ(g_reported.back(), "dialog: broken dialog");
  SetCallbackFailureReporter(nullptr);
}

// A dialog whose set-up throws was never set up: it must not stay on the
// screen waiting for input. A watchdog ends it after a few seconds, so a fault
// shows as a wrong answer rather than a hung test.
constexpr INT_PTR kEndedByWatchdog = 99;
HWND g_brokenDialog = nullptr;

class BrokenSetUp : public ModalDialog {
 protected:
  bool OnInit() override {
    g_brokenDialog = Handle();
    throw std::runtime_error("set-up failed");
  }
};

void CALLBACK Watchdog(HWND, UINT, UINT_PTR, DWORD) {
  if (g_brokenDialog && IsWindow(g_brokenDialog)) EndDialog(g_brokenDialog, kEndedByWatchdog);
}

TEST(CallbackGuard, ADialogWhoseSetUpThrowsEndsAsCancelled) {
  g_brokenDialog = nullptr;
  UINT_PTR timer = SetTimer(nullptr, 0, 3000, Watchdog);
  BrokenSetUp dialog;
  EXPECT_EQ(dialog.RunIndirect(nullptr, &BlankDialog().head), IDCANCEL);
  KillTimer(nullptr, timer);
  EXPECT_NE(g_brokenDialog, nullptr) << "the dialog was shown";
}

}  // namespace
