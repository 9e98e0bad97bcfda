// The dialog base's wall at set-up: a dialog whose OnInit throws was never
// set up, and it must not stay on the screen waiting for input.
#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/ModalDialog.h"

namespace vellora {
namespace {

constexpr INT_PTR kEndedByWatchdog = 99;
HWND g_dialog = nullptr;

class BrokenSetUp : public ModalDialog {
 protected:
  bool OnInit() override {
    g_dialog = Handle();
    throw std::runtime_error("set-up failed");
  }
};

// Ends a dialog that is still open after a few seconds, so a fault shows as a
// wrong answer rather than a hung test.
void CALLBACK Watchdog(HWND, UINT, UINT_PTR, DWORD) {
  if (g_dialog && IsWindow(g_dialog)) EndDialog(g_dialog, kEndedByWatchdog);
}

TEST(ModalDialog, ADialogWhoseSetUpThrowsEndsAsCancelled) {
  struct {
    DLGTEMPLATE head;
    WORD menu, windowClass, title;
  } blank = {};
  blank.head.style = WS_POPUP | WS_CAPTION | DS_MODALFRAME;
  blank.head.cx = 100;
  blank.head.cy = 40;
  g_dialog = nullptr;
  UINT_PTR timer = SetTimer(nullptr, 0, 3000, Watchdog);
  BrokenSetUp dialog;
  EXPECT_EQ(dialog.RunIndirect(nullptr, &blank.head), IDCANCEL);
  KillTimer(nullptr, timer);
  EXPECT_NE(g_dialog, nullptr) << "the dialog was shown";
}

}  // namespace
}  // namespace vellora
