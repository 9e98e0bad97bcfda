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

  // A dialog template in memory: no controls, just a frame.
  struct {
    DLGTEMPLATE head;
    WORD menu, windowClass, title;
  } blank = {};
  blank.head.style = WS_POPUP | WS_CAPTION | DS_MODALFRAME;
  blank.head.cx = 100;
  blank.head.cy = 40;
  ThrowingDialog dialog;
  EXPECT_EQ(dialog.RunIndirect(nullptr, &blank.head), IDCANCEL);
  EXPECT_EQ(g_reported.back(), "dialog: broken dialog");
  SetCallbackFailureReporter(nullptr);
}

}  // namespace
