// The print commands in the real main frame, on the tests' print queue: what
// prints, the preview opened from the menu, no view to print, no printer.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/frame/MainFrame.h"
#include "content/CommandIds.h"
#include "tests/TestSupport.h"
#include "tests/frame/FrameFixture.h"
#include "tests/store/DocumentFixtures.h"
#include "views/PagePrinting.h"

using namespace vellora;

namespace {

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
  struct Case {
    UINT command;
    std::vector<std::string> dialogs;  // answered with OK on the way
  };
  for (const Case& c : {Case{ID_FILE_PRINT, {"Print"}}, Case{ID_FILE_PRINT_PREVIEW, {}}}) {
    rig_.prompt.shown.clear();
    {
      vtest::DialogWatcher watcher(c.dialogs);
      Command(c.command);
    }
    ASSERT_EQ(rig_.prompt.shown.size(), 1u) << c.command;
    EXPECT_EQ(rig_.prompt.shown[0].text, "No view for print.");
    EXPECT_EQ(rig_.prompt.shown[0].caption, "Tip");
    EXPECT_EQ(rig_.prompt.shown[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONINFORMATION));
  }
}

TEST_F(PrintFrame, ANotePrintsAllItsPagesAndTheUserCanStopAtAnyPage) {
  OpenLibrary(path_, true);
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
      vtest::DialogWatcher watcher({"Print"});
      Command(ID_FILE_PRINT);
      EXPECT_EQ(watcher.Seen().size(), 1u);
    }
    // Printed or stopped by the user: nothing to tell.
    EXPECT_TRUE(rig_.prompt.shown.empty()) << (rig_.prompt.shown.empty() ? "" : rig_.prompt.shown[0].text);
    EXPECT_GE(rig_.prompt.progressSteps, c.steps);
    if (c.cancelAfter) EXPECT_EQ(rig_.prompt.progressSteps, 1);
  }
}

TEST_F(PrintFrame, PreviewShowsTheNoteAndWithoutAPrinterOpensPageSetupInstead) {
  OpenLibrary(path_, true);
  SelectNode("Long");
  {
    vtest::DialogWatcher watcher({"Vellora Print Preview"});
    Command(ID_FILE_PRINT_PREVIEW);
    EXPECT_EQ(watcher.Seen().size(), 1u);
  }
  EXPECT_TRUE(rig_.prompt.shown.empty());
  // No printer at all: page setup, and no preview.
  PrinterSettings::Program().Forget();
  {
    vtest::DialogWatcher watcher({"Page Setup", "Vellora Print Preview"});
    Command(ID_FILE_PRINT_PREVIEW);
    std::vector<std::string> seen = watcher.Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].rfind("Page Setup", 0), 0u) << seen[0];
  }
}

}  // namespace
