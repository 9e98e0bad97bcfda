// A branch of notes printed on the tests' own print queue: each note from a
// new page with its heading, the pages measured only as far as asked, the
// protected note left out, and the jobs whose PDF files
// tests/views/expect_printed_pages.sh counts and reads.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "content/BranchNotes.h"
#include "tests/content/ContentFixtures.h"
#include "tests/e2e/NoteLibrary.h"
#include "views/BranchPages.h"
#include "views/PagePrinting.h"

using namespace vellora;

namespace {

std::string NoteOfLines(int lines, const char* word) {
  std::string rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Tahoma;}}\\f0 ";
  for (int i = 0; i < lines; ++i) rtf += std::string(word) + " line " + std::to_string(i + 1) + "\\par ";
  return rtf + "}";
}

// A tree folder with a branch "Trip" of three notes of known lengths (a few
// lines, about a page and a half, none) and a protected one between them.
class BranchPrint : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(printer_.UseDefaultPrinter()) << "no printer: the tests' print queue is not running";
    folder_ = file_.AddStorage("Tree");
    vtest::AddLeaf(folder_, "Elsewhere", 1, NoteOfLines(3, "elsewhere"));
    StorageHandle trip = vtest::AddFolderNode(folder_, "Trip", 2);
    vtest::AddLeaf(trip, "Packing", 1, NoteOfLines(5, "packing"));
    vtest::AddNote(trip, "Secret", 2, NoteOfLines(5, "secret"), "pw");
    vtest::AddLeaf(trip, "Route", 3, NoteOfLines(75, "route"));
    vtest::AddLeaf(trip, "Empty", 4, "");
  }
  BranchWalkStatus Gather(BranchNotes& notes, bool unlock) {
    BranchWalk walk;
    walk.branch = {"Trip"};
    walk.folderTitle = "Tree";
    walk.unlock = [&, unlock](const std::string& path, const std::string& stored) {
      asked_.push_back(path + ":" + stored);
      return unlock;
    };
    return GatherBranchNotes(folder_, walk, notes);
  }
  vtest::ScratchFile file_;
  StorageHandle folder_;
  PrinterSettings printer_;
  std::vector<std::string> asked_;
};

TEST_F(BranchPrint, TheWalkListsTheBranchsNotesInOrderAndLeavesOutARefusedOne) {
  struct Case {
    bool unlock;
    std::vector<std::string> titles;
    size_t leftOut;
  };
  for (const Case& c : {Case{false, {"Packing", "Route", "Empty"}, 1},
                        Case{true, {"Packing", "Secret", "Route", "Empty"}, 0}}) {
    asked_.clear();
    BranchNotes notes(folder_);
    ASSERT_EQ(Gather(notes, c.unlock), BranchWalkStatus::kDone);
    std::vector<std::string> titles;
    for (const BranchNote& note : notes.notes) titles.push_back(note.title);
    EXPECT_EQ(titles, c.titles);
    EXPECT_EQ(notes.leftOut, c.leftOut);
    EXPECT_EQ(asked_, std::vector<std::string>{"Tree/Trip/Secret:pw"});
  }
  // The whole folder has the note outside the branch too; a branch that is gone is not found.
  BranchNotes all(folder_);
  BranchWalk walk;
  ASSERT_EQ(GatherBranchNotes(folder_, walk, all), BranchWalkStatus::kDone);
  ASSERT_EQ(all.Count(), 4u);
  EXPECT_EQ(all.notes[0].title, "Elsewhere");
  EXPECT_EQ(all.leftOut, 1u);  // no unlock given: no protected node is read
  walk.branch = {"Gone"};
  BranchNotes none(folder_);
  EXPECT_EQ(GatherBranchNotes(folder_, walk, none), BranchWalkStatus::kNotFound);
  // Stopped at the first report.
  walk.branch.clear();
  walk.progress = [](size_t, size_t) { return false; };
  EXPECT_EQ(GatherBranchNotes(folder_, walk, none), BranchWalkStatus::kCancelled);
}

TEST_F(BranchPrint, EachNoteStartsANewPageAndPagesAreMeasuredOnlyAsFarAsAsked) {
  BranchNotes notes(folder_);
  ASSERT_EQ(Gather(notes, false), BranchWalkStatus::kDone);
  {
    BranchPages lazy(notes, printer_, "lazy");
    EXPECT_TRUE(lazy.IsValidPage(0));
    EXPECT_EQ(lazy.NotesCounted(), 0u);  // the first note is not measured to its end
    EXPECT_EQ(lazy.NoteOfPage(1), 1);    // now it is: one page
    EXPECT_EQ(lazy.NotesCounted(), 1u);
  }
  BranchPages pages(notes, printer_, "all");
  // Packing: one page; Route: two; Empty: its heading's page.
  EXPECT_EQ(pages.PageCount(), 4);
  const int expected[] = {0, 1, 1, 2};
  for (int page = 0; page < 4; ++page) EXPECT_EQ(pages.NoteOfPage(page), expected[page]) << page;
  EXPECT_EQ(pages.NoteOfPage(4), -1);
  EXPECT_FALSE(pages.IsValidPage(4));
  EXPECT_EQ(BranchPages::FooterText("Route", 2), L"Route \x2014 page 3");
  // Each page draws, into a picture of the page as the preview makes it.
  PrinterDcHandle dc = printer_.CreateDc();
  ASSERT_TRUE(dc);
  for (int page = 0; page < 4; ++page) {
    HDC picture = CreateEnhMetaFileA(dc, nullptr, nullptr, nullptr);
    ASSERT_TRUE(picture);
    EXPECT_TRUE(pages.PrintPage(page, picture)) << page;
    DeleteEnhMetaFile(CloseEnhMetaFile(picture));
  }
}

// Stops the job after `pages` pages.
class StopAfter : public ProgressReport {
 public:
  explicit StopAfter(size_t pages) : pages_(pages) {}
  bool Step(size_t done, size_t total) override {
    (void)total;
    return done < pages_;
  }

 private:
  size_t pages_;
};

TEST_F(BranchPrint, JobsForThePdfChecker) {
  if (!std::getenv("VELLORA_PDF_CHECK")) GTEST_SKIP() << "run by expect_printed_pages.sh";
  BranchNotes notes(folder_);
  ASSERT_EQ(Gather(notes, false), BranchWalkStatus::kDone);
  BranchPages pages(notes, printer_, "VelloraCheckBranch");
  ASSERT_EQ(pages.PageCount(), 4);
  EXPECT_EQ(RunPrintJob(printer_, pages, 0, 3), PrintOutcome::kPrinted);
  // Cancelled after its second page: taken off the printer.
  BranchPages cancelled(notes, printer_, "VelloraCheckCancelled");
  StopAfter stop(2);
  EXPECT_EQ(RunPrintJob(printer_, cancelled, 0, cancelled.PageCount() - 1, &stop), PrintOutcome::kCancelled);
}

}  // namespace
