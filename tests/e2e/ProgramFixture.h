// The common ground of the tests that drive Vellora.exe: the program's
// registry key emptied before and after, a document rig to build libraries
// with, and the program started on a library and closed again.
#pragma once
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "store/LibraryDocument.h"
#include "tests/e2e/VelloraProcess.h"
#include "tests/store/DocumentFixtures.h"

namespace vtest {

class ProgramFixture : public ::testing::Test {
 protected:
  static constexpr DWORD kWait = 20000;

  void SetUp() override { ResetProgramRegistry(); }
  void TearDown() override {
    if (program_.Running()) program_.Kill();
    ResetProgramRegistry();
  }
  // Starts the program on the library; its main window.
  HWND Start(const std::string& path) {
    EXPECT_TRUE(program_.Start("\"" + path + "\""));
    HWND main = program_.WaitForMainWindow();
    EXPECT_NE(main, nullptr);
    return main;
  }
  // Closes the main window, answering Yes to the save question when it must come.
  void Close(HWND main, bool answerSave) {
    PostMessageA(main, WM_CLOSE, 0, 0);
    if (answerSave) {
      HWND question = program_.WaitForWindow(rig_.texts.TextOr(vellora::kTextQueryCaption, "Sorry"), kWait);
      ASSERT_NE(question, nullptr);
      ClickButton(question, IDYES);
    }
    DWORD code = 99;
    ASSERT_TRUE(program_.WaitForExit(kWait, code));
    EXPECT_EQ(code, 0u);
  }

  DocumentRig rig_;
  VelloraProcess program_;
};

}  // namespace vtest
