// The print commands in the real main frame, on the tests' print queue: what
// prints, the preview opened from the menu, no view to print, no printer.
#include <windows.h>
#include <commdlg.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "app/frame/MainFrame.h"
#include "content/CommandIds.h"
#include "tests/TestSupport.h"
#include "tests/frame/FrameFixture.h"
#include "tests/store/DocumentFixtures.h"
#include "views/PagePrinting.h"

using namespace vellora;

namespace {

// Answers the system's printer dialog with OK once it is up and set up
// (an OK that comes while it is still filling its lists is lost).
class PrinterDialogAnswer {
 public:
  PrinterDialogAnswer()
      : thread_([this] {
          for (int i = 0; i < 500 && !stop_; ++i) {
            HWND box = FindWindowA("#32770", "Print");
            if (box && IsWindowVisible(box)) {
              Sleep(500);
              PostMessageA(box, WM_COMMAND, IDOK, 0);
              ++answered;
              return;
            }
            Sleep(20);
          }
        }) {}
  ~PrinterDialogAnswer() {
    stop_ = true;
    thread_.join();
  }
  std::atomic<int> answered{0};

 private:
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

class PrintFrame : public vtest::FrameFixture {
 protected:
  void SetUp() override {
    FrameFixture::SetUp();
    ASSERT_TRUE(PrinterSettings::Program().UseDefaultPrinter()) << "the tests' print queue is not running";
    path_ = rig_.dir.File("print.vlx");
    LibraryDocument doc(rig_.host, rig_.prompt, rig_.texts, rig_.log, rig_.Setup());
    ASSERT_TRUE(doc.CreateLibrary(path_));
    StorageHandle tree = doc.Root().OpenStorageFor(TreeFolder().c_str(), false);
    std::string rtf = "{\\rtf1 ";
    for (int i = 0; i < 150; ++i) rtf += "a line of the note\\par ";
    vtest::AddNote(tree, "Long", 1, rtf + "}");
    tree.Release();
    doc.Save();
  }
  void TearDown() override {
    FrameFixture::TearDown();
    PrinterSettings::Program().UseDefaultPrinter();
  }
  std::string path_;
};

TEST_F(PrintFrame, WithNothingShownBothCommandsSayThereIsNoViewToPrint) {
  OpenLibrary(path_, true);
  // The catalog folder has no item: its placeholder is shown.
  SelectGroup(CatalogFolder());
  ASSERT_EQ(frame_->State().viewKind, kViewPlaceholder);
  for (UINT command : {ID_FILE_PRINT, ID_FILE_PRINT_PREVIEW}) {
    rig_.prompt.shown.clear();
    {
      std::unique_ptr<PrinterDialogAnswer> answer;
      if (command == ID_FILE_PRINT) answer = std::make_unique<PrinterDialogAnswer>();
      Command(command);
      if (answer) EXPECT_EQ(answer->answered, 1) << CommDlgExtendedError();
    }
    ASSERT_EQ(rig_.prompt.shown.size(), 1u) << command;
    EXPECT_EQ(rig_.prompt.shown[0].text, "No view for print.");
    EXPECT_EQ(rig_.prompt.shown[0].caption, "Tip");
    EXPECT_EQ(rig_.prompt.shown[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONINFORMATION));
  }
}

TEST_F(PrintFrame, ANotePrintsAllItsPagesAndTheUserCanStopAtAnyPage) {
  OpenLibrary(path_, true);
  SelectGroup(TreeFolder());
  SelectNode("Long");
  struct Case {
    int cancelAfter;  // 0: never
    int steps;
  };
  for (Case c : {Case{0, 3}, Case{1, 1}}) {
    rig_.prompt.shown.clear();
    rig_.prompt.progressSteps = 0;
    rig_.prompt.cancelAfterSteps = c.cancelAfter;
    {
      PrinterDialogAnswer answer;
      Command(ID_FILE_PRINT);
      EXPECT_EQ(answer.answered, 1);
    }
    // Printed or stopped by the user: nothing to tell.
    EXPECT_TRUE(rig_.prompt.shown.empty()) << (rig_.prompt.shown.empty() ? "" : rig_.prompt.shown[0].text);
    EXPECT_GE(rig_.prompt.progressSteps, c.steps);
    if (c.cancelAfter) EXPECT_EQ(rig_.prompt.progressSteps, 1);
  }
}

TEST_F(PrintFrame, PreviewShowsTheNoteAndWithoutAPrinterOpensPageSetupInstead) {
  OpenLibrary(path_, true);
  SelectGroup(TreeFolder());
  SelectNode("Long");
  {
    vtest::DialogWatcher watcher({"Vellora Print Preview"});
    Command(ID_FILE_PRINT_PREVIEW);
    EXPECT_EQ(watcher.Seen().size(), 1u);
  }
  EXPECT_TRUE(rig_.prompt.shown.empty()) << (rig_.prompt.shown.empty() ? "" : rig_.prompt.shown[0].text);
  // No printer at all: page setup, and no preview.
  PrinterSettings::Program().Forget();
  {
    // Wine's page setup dialog is captioned "Setup Page".
    vtest::DialogWatcher watcher({"Page Setup", "Setup Page", "Vellora Print Preview"});
    Command(ID_FILE_PRINT_PREVIEW);
    std::vector<std::string> seen = watcher.Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].find("Vellora Print Preview"), std::string::npos) << seen[0];
  }
}

}  // namespace
