// The program's export of a branch, a folder or the library as a web page or
// files, on a real library without the frame: what is exported is what the
// library holds now (unsaved edits too, the file left unsaved), a cancelled
// run leaves nothing, and nothing of the user's is ever replaced.
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>

#include "content/AccessPasswords.h"
#include "content/CommandIds.h"
#include "tests/content/CommandRig.h"
#include "tests/content/ContentFixtures.h"

using namespace vellora;
using vtest::CommandRig;

namespace {

std::string Note(const std::string& text) { return "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0 " + text + "\\par}"; }

void LayDown(CommandRig& rig) {
  StorageHandle tree = rig.Folder(rig.treeFolder);
  vtest::AddLeaf(tree, "A", 1, Note("alpha words"));
  StorageHandle branch = vtest::AddFolderNode(tree, "B", 2);
  vtest::AddLeaf(branch, "B1", 1, Note("b-one words"));
}

struct Case {
  const char* what;
  UINT command;
  const char* chosen;       // the file the save dialog answers, in the case's folder
  const char* target;       // what appears there
  std::vector<std::string> holds, lacks;
  std::function<void(CommandRig&)> before;
  bool unsaved = false;  // before leaves an edit that is not saved
};

TEST(ReadableExport, TheChosenScopeAndFormatArriveWholeFromTheLibraryAsItIsNow) {
  const std::vector<Case> cases = {
      {"the library as a web page", ID_EXPORT_LIBRARY_READABLE, "all.html", "all.html",
       {"alpha words", "b-one words"}, {}, nullptr},
      {"a branch: the node and what is below it only", ID_EXPORT_BRANCH_READABLE, "branch.html", "branch.html",
       {"b-one words"}, {"alpha words"},
       [](CommandRig& rig) { rig.host.tree.Select(rig.host.tree.Titled({"B"})); }},
      {"the folder as Markdown files, in a folder of the chosen name", ID_EXPORT_FOLDER_READABLE, "notes.md", "notes",
       {}, {}, nullptr},
      {"an edit not saved yet is in the export", ID_EXPORT_LIBRARY_READABLE, "fresh.html", "fresh.html",
       {"changed words"}, {"alpha words"},
       [](CommandRig& rig) {
         OpenedNode leaf;
         ASSERT_HRESULT_SUCCEEDED(OpenNodeStream(rig.Current(), {"A"}, false, leaf));
         const std::string rtf = Note("changed words");
         ASSERT_HRESULT_SUCCEEDED(leaf.Stream().Seek(kRecordSize, STREAM_SEEK_SET));
         ASSERT_HRESULT_SUCCEEDED(leaf.Stream().WriteBytes(rtf.data(), static_cast<ULONG>(rtf.size())));
         rig.document.SetModified();
       },
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    vtest::TempDir out;
    auto rig = std::make_unique<CommandRig>();
    LayDown(*rig);
    rig->Select(rig->treeFolder);
    const long long before = vtest::FileSize(rig->path);
    if (c.before) c.before(*rig);
    rig->rig.prompt.files.push_back(out.File(c.chosen));
    rig->commands.Handle(c.command);
    ASSERT_EQ(rig->rig.prompt.shown.size(), 1u);
    EXPECT_NE(rig->rig.prompt.shown[0].text.find("Exported to"), std::string::npos) << rig->rig.prompt.shown[0].text;
    const std::string target = out.File(c.target);
    ASSERT_NE(GetFileAttributesA(target.c_str()), INVALID_FILE_ATTRIBUTES) << target;
    if (std::string(c.target).find('.') != std::string::npos) {
      const std::string html = vtest::ReadWholeFile(target);
      for (const std::string& text : c.holds) EXPECT_NE(html.find(text), std::string::npos) << text;
      for (const std::string& text : c.lacks) EXPECT_EQ(html.find(text), std::string::npos) << text;
    } else {
      EXPECT_TRUE(GetFileAttributesA(target.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    }
    // The export saved nothing: the library file is as it was, and still has its edits pending.
    EXPECT_EQ(vtest::FileSize(rig->path), before);
    EXPECT_EQ(rig->document.Modified(), c.unsaved);
    EXPECT_EQ(rig->rig.prompt.progressCaptions.size(), 1u);
  }
}

TEST(ReadableExport, ACancelOrATakenNameLeavesNothingNewAndReplacesNothing) {
  vtest::TempDir out;
  auto rig = std::make_unique<CommandRig>();
  LayDown(*rig);
  rig->Select(rig->treeFolder);
  // Cancelled at the first step: no file, no folder, no word.
  rig->rig.prompt.cancelAfterSteps = 1;
  rig->rig.prompt.files.push_back(out.File("gone.html"));
  rig->commands.Handle(ID_EXPORT_LIBRARY_READABLE);
  EXPECT_TRUE(rig->rig.prompt.shown.empty());
  WIN32_FIND_DATAA found;
  HANDLE any = FindFirstFileA(out.File("*").c_str(), &found);
  int entries = 0;
  if (any != INVALID_HANDLE_VALUE) {
    do entries += std::string(found.cFileName) != "." && std::string(found.cFileName) != "..";
    while (FindNextFileA(any, &found));
    FindClose(any);
  }
  EXPECT_EQ(entries, 0) << "a cancelled export left something behind";

  // A name that is taken is refused before anything runs.
  rig->rig.prompt.cancelAfterSteps = 0;
  ASSERT_TRUE(vtest::WriteWholeFile(out.File("mine.html"), "the user's own"));
  rig->rig.prompt.files.push_back(out.File("mine.html"));
  rig->commands.Handle(ID_EXPORT_LIBRARY_READABLE);
  ASSERT_EQ(rig->rig.prompt.shown.size(), 1u);
  EXPECT_NE(rig->rig.prompt.shown[0].text.find("is there already"), std::string::npos);
  EXPECT_EQ(vtest::ReadWholeFile(out.File("mine.html")), "the user's own");
  EXPECT_EQ(rig->rig.prompt.progressCaptions.size(), 1u);

  // A branch needs a node.
  rig->host.tree.Select(nullptr);
  rig->commands.Handle(ID_EXPORT_BRANCH_READABLE);
  ASSERT_EQ(rig->rig.prompt.shown.size(), 2u);
  EXPECT_EQ(rig->rig.prompt.shown[1].text, "Please select a tree node first.");
}

// Protected notes are asked for as the export reaches them: a note whose
// password is given is exported, a cancelled one is left out, and so is
// every later one, without asking again.
TEST(ReadableExport, ProtectedNotesAreAskedForAndACancelEndsTheAsking) {
  struct Case {
    const char* what;
    std::deque<bool> answers;
    std::vector<std::string> holds, lacks;
    size_t asked;
    const char* leftOut;  // in the closing message, or null for none
  };
  const std::vector<Case> cases = {
      {"both passwords given", {true, true}, {"first secret", "second secret"}, {}, 2, nullptr},
      {"the first cancelled: neither exported, the second not asked",
       {false}, {"alpha words"}, {"first secret", "second secret"}, 1, "2 protected"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    vtest::TempDir out;
    auto rig = std::make_unique<CommandRig>();
    LayDown(*rig);
    {
      StorageHandle tree = rig->Folder(rig->treeFolder);
      vtest::AddLeaf(tree, "P1", 3, Note("first secret"));
      vtest::AddLeaf(tree, "P2", 4, Note("second secret"));
      ASSERT_HRESULT_SUCCEEDED(WriteNodePassword(tree, {"P1"}, "one"));
      ASSERT_HRESULT_SUCCEEDED(WriteNodePassword(tree, {"P2"}, "two"));
    }
    rig->Select(rig->treeFolder);
    rig->rig.prompt.passwordAnswers = c.answers;
    rig->rig.prompt.files.push_back(out.File("all.html"));
    rig->commands.Handle(ID_EXPORT_LIBRARY_READABLE);
    EXPECT_EQ(rig->rig.prompt.passwordNames.size(), c.asked);
    ASSERT_EQ(rig->rig.prompt.shown.size(), 1u);
    const std::string& said = rig->rig.prompt.shown[0].text;
    EXPECT_EQ(said.find("protected") != std::string::npos, c.leftOut != nullptr) << said;
    if (c.leftOut) EXPECT_NE(said.find(c.leftOut), std::string::npos) << said;
    const std::string html = vtest::ReadWholeFile(out.File("all.html"));
    for (const std::string& text : c.holds) EXPECT_NE(html.find(text), std::string::npos) << text;
    for (const std::string& text : c.lacks) EXPECT_EQ(html.find(text), std::string::npos) << text;
  }
}

}  // namespace
