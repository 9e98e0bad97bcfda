// The print commands in the real main frame, on the tests' print queue: what
// prints, the preview opened from the menu, no view to print, no printer.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>
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

// Answers the first dialog of this process (other test programs show
// dialogs of the same captions) whose caption is one of captions with OK,
// once it is up and set up: an OK that comes while the printer dialog still
// fills its lists is lost.
class DialogAnswer {
 public:
  explicit DialogAnswer(std::vector<std::string> captions)
      : captions_(std::move(captions)), thread_([this] {
          for (int i = 0; i < 500 && !stop_; ++i) {
            if (HWND box = Find()) {
              Sleep(500);
              PostMessageA(box, WM_COMMAND, IDOK, 0);
              return;
            }
            Sleep(20);
          }
        }) {}
  ~DialogAnswer() {
    stop_ = true;
    thread_.join();
  }
  // The caption answered (empty: none).
  std::string Answered() {
    std::lock_guard<std::mutex> lock(mutex_);
    return answered_;
  }

 private:
  struct Search {
    DialogAnswer* self;
    HWND found;
  };
  // A function of the window API's calling convention (a lambda is not one on 32-bit builds).
  static BOOL CALLBACK FindOne(HWND window, LPARAM data) {
    auto* s = reinterpret_cast<Search*>(data);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char caption[128] = "";
    GetWindowTextA(window, caption, sizeof caption);
    for (const std::string& wanted : s->self->captions_)
      if (process == GetCurrentProcessId() && IsWindowVisible(window) && wanted == caption) {
        std::lock_guard<std::mutex> lock(s->self->mutex_);
        s->self->answered_ = caption;
        s->found = window;
        return FALSE;
      }
    return TRUE;
  }
  HWND Find() {
    Search search{this, nullptr};
    EnumWindows(FindOne, reinterpret_cast<LPARAM>(&search));
    return search.found;
  }

  std::vector<std::string> captions_;
  std::mutex mutex_;
  std::string answered_;
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
      std::unique_ptr<DialogAnswer> answer;
      if (command == ID_FILE_PRINT) answer = std::make_unique<DialogAnswer>(std::vector<std::string>{"Print"});
      Command(command);
      if (answer) {
        EXPECT_EQ(answer->Answered(), "Print");
      }
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
      DialogAnswer answer({"Print"});
      Command(ID_FILE_PRINT);
      EXPECT_EQ(answer.Answered(), "Print");
    }
    // Printed or stopped by the user: nothing to tell.
    EXPECT_TRUE(rig_.prompt.shown.empty()) << (rig_.prompt.shown.empty() ? "" : rig_.prompt.shown[0].text);
    EXPECT_GE(rig_.prompt.progressSteps, c.steps);
    if (c.cancelAfter) {
      EXPECT_EQ(rig_.prompt.progressSteps, 1);
    }
  }
}

TEST_F(PrintFrame, PreviewShowsTheNoteAndWithoutAPrinterOpensPageSetupInstead) {
  OpenLibrary(path_, true);
  SelectGroup(TreeFolder());
  SelectNode("Long");
  {
    DialogAnswer answer({"Vellora Print Preview"});
    Command(ID_FILE_PRINT_PREVIEW);
    EXPECT_EQ(answer.Answered(), "Vellora Print Preview");
  }
  EXPECT_TRUE(rig_.prompt.shown.empty()) << (rig_.prompt.shown.empty() ? "" : rig_.prompt.shown[0].text);
  // No printer at all: page setup, and no preview.
  PrinterSettings::Program().Forget();
  {
    // Wine's page setup dialog is captioned "Setup Page".
    DialogAnswer answer({"Page Setup", "Setup Page", "Vellora Print Preview"});
    Command(ID_FILE_PRINT_PREVIEW);
    EXPECT_NE(answer.Answered(), "");
    EXPECT_NE(answer.Answered(), "Vellora Print Preview");
  }
}

}  // namespace

namespace {

// A branch "Trip" of two notes and a protected one, and a branch "Locked"
// that holds only a protected note.
class PrintBranchFrame : public PrintFrame {
 protected:
  void SetUp() override {
    PrintFrame::SetUp();
    if (HasFatalFailure()) return;
    LibraryDocument doc(rig_.host, rig_.prompt, rig_.texts, rig_.log, rig_.Setup());
    ASSERT_TRUE(doc.OpenLibrary(path_));
    StorageHandle tree = doc.Root().OpenStorageFor(TreeFolder().c_str(), false);
    StorageHandle trip, locked;
    ASSERT_HRESULT_SUCCEEDED(CreateFolderNode(tree, "Trip", Record(2), trip));
    vtest::AddNote(trip, "Packing", 1, "{\\rtf1 socks\\par}");
    vtest::AddNote(trip, "Secret", 2, "{\\rtf1 secret\\par}", "pw");
    vtest::AddNote(trip, "Route", 3, "{\\rtf1 north\\par}");
    ASSERT_HRESULT_SUCCEEDED(CreateFolderNode(tree, "Locked", Record(3), locked));
    vtest::AddNote(locked, "Diary", 1, "{\\rtf1 dear diary\\par}", "pw");
    trip.Release();
    locked.Release();
    tree.Release();
    doc.Save();
  }
  static NodeInfoRecord Record(int32_t sequence) {
    NodeInfoRecord record;
    record.sequence = sequence;
    return record;
  }
  std::vector<std::string> Shown() {
    std::vector<std::string> texts;
    for (const vtest::ShownMessage& m : rig_.prompt.shown) texts.push_back(m.text);
    return texts;
  }
};

TEST_F(PrintBranchFrame, ABranchPrintsWithoutARefusedNoteAndCanBeStoppedOrPreviewed) {
  OpenLibrary(path_, true);
  SelectGroup(TreeFolder());
  const std::string leftOut = "1 protected node(s) whose password was not given are left out.";
  struct Case {
    const char* what;
    UINT command;
    const char* node;
    const char* dialog;  // the dialog answered with OK (null: none comes)
    size_t cancelAfter;  // 0: never; else counted back from the whole print's steps
    std::vector<std::string> messages;
  };
  const Case cases[] = {
      {"printed whole", ID_PRINT_BRANCH, "Trip", "Print", 0, {leftOut}},
      {"stopped after its first page", ID_PRINT_BRANCH, "Trip", "Print", 1, {leftOut}},
      {"stopped while the notes are gathered", ID_PRINT_BRANCH, "Trip", nullptr, 0, {}},
      {"previewed", ID_PREVIEW_BRANCH, "Trip", "Vellora Print Preview", 0, {leftOut}},
      {"nothing left to print", ID_PRINT_BRANCH, "Locked", nullptr, 0,
       {"There is no note to print in \"Locked\".\n\n" + leftOut}},
  };
  size_t wholeSteps = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SelectNode(c.node);
    rig_.prompt.shown.clear();
    rig_.prompt.progressCaptions.clear();
    rig_.prompt.progressSteps = 0;
    rig_.prompt.cancelAfterSteps = c.cancelAfter ? wholeSteps - c.cancelAfter : 0;
    if (std::string(c.what) == "stopped while the notes are gathered") rig_.prompt.cancelAfterSteps = 1;
    rig_.prompt.passwordAnswers = {false};
    {
      std::unique_ptr<DialogAnswer> answer;
      if (c.dialog) answer = std::make_unique<DialogAnswer>(std::vector<std::string>{c.dialog});
      Command(c.command);
      if (answer) {
        EXPECT_EQ(answer->Answered(), c.dialog);
      }
    }
    EXPECT_EQ(Shown(), c.messages);
    // Stopped while gathered, the walk ends before it reaches the protected note.
    const bool stoppedEarly = std::string(c.what) == "stopped while the notes are gathered";
    EXPECT_EQ(rig_.prompt.passwordAnswers.empty(), !stoppedEarly);
    if (c.command == ID_PRINT_BRANCH && c.dialog) {
      EXPECT_EQ(rig_.prompt.progressCaptions.back(), std::string("Printing ") + c.node);
      // Gathered (4 nodes), then two pages printed: the job's steps come last.
      EXPECT_GE(rig_.prompt.progressSteps, 3u);
    }
    if (!c.cancelAfter && c.dialog && wholeSteps == 0) wholeSteps = rig_.prompt.progressSteps;
  }
  // Print Folder takes the whole tree folder: the long note and the unlocked ones.
  rig_.prompt.shown.clear();
  rig_.prompt.passwordAnswers = {false};  // the first refused ends the asking
  {
    DialogAnswer answer({"Print"});
    Command(ID_PRINT_FOLDER);
    EXPECT_EQ(answer.Answered(), "Print");
  }
  EXPECT_EQ(Shown(), std::vector<std::string>{"2 protected node(s) whose password was not given are left out."});
}

}  // namespace
