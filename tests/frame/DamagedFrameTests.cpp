// Damaged libraries and notes in the real main frame: opened read-only and
// said so, walked without end, notes shown as far as they are sound, and the
// file never written.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "app/frame/MainFrame.h"
#include "content/CommandIds.h"
#include "store/CompoundFileCheck.h"
#include "tests/TestSupport.h"
#include "tests/frame/FrameFixture.h"
#include "tests/store/DamageKit.h"
#include "tests/store/DocumentFixtures.h"

using namespace vellora;

namespace {

class DamagedFrame : public vtest::FrameFixture {
 protected:
  // A frame left over a damaged library closes without asking to save it.
  void TearDown() override {
    if (frame_ && IsWindow(frame_->Handle())) DestroyWindow(frame_->Handle());
    FrameFixture::TearDown();
  }
  MainFrame& Open(const std::string& path) { return OpenLibrary(path, false); }
};

TEST_F(DamagedFrame, AFolderNodeThatContainsItselfOpensReadOnlyAndExpandAllEnds) {
  std::string path = rig_.dir.File("loop.vlx");
  ASSERT_TRUE(vtest::WriteSelfContainingSample(path));
  std::string before = vtest::ReadWholeFile(path);
  LRESULT entries = static_cast<LRESULT>(CheckCompoundFile(path.c_str()).directoryEntries);
  ASSERT_GT(entries, 0);
  {
    vtest::DialogWatcher watcher({"Damaged Library"});
    MainFrame& frame = Open(path);
    frame.UpdateCommandUi();
    EXPECT_TRUE(frame.State().readOnly);
    EXPECT_FALSE(EvaluateRule(ID_NODE_ADD_ROOT, frame.State()).enabled);
    EXPECT_FALSE(EvaluateRule(ID_FOLDER_NEW, frame.State()).enabled);
    Command(ID_TREE_EXPAND_ALL);
    HWND tree = vtest::FindChildOfClass(frame.Handle(), WC_TREEVIEWA);
    LRESULT count = SendMessageA(tree, TVM_GETCOUNT, 0, 0);
    // The loop is followed no further than the file's directory could hold.
    EXPECT_GE(count, 4);
    EXPECT_LT(count, 2 * entries + 8);
    char title[512] = "";
    GetWindowTextA(frame.Handle(), title, sizeof title);
    EXPECT_NE(std::string(title).find("read-only"), std::string::npos) << title;
    Command(ID_APP_EXIT);
    vtest::Pump();
    std::vector<std::string> seen = watcher.Seen();
    ASSERT_FALSE(seen.empty());
    EXPECT_NE(seen[0].find("contains itself"), std::string::npos) << seen[0];
  }
  EXPECT_EQ(vtest::ReadWholeFile(path), before) << "the damaged library was written";
}

TEST_F(DamagedFrame, ANoteWithAnOverlongControlWordIsShownAsFarAsItIsSound) {
  std::string path = rig_.dir.File("notes.vlx");
  std::string tree = rig_.texts.TextOr(kTextFirstTreeFolder, "");
  {
    LibraryDocument doc(rig_.host, rig_.prompt, rig_.texts, rig_.log, rig_.Setup());
    ASSERT_TRUE(doc.CreateLibrary(path));
    StorageHandle folder = doc.Root().OpenStorageFor(tree.c_str(), false);
    vtest::AddNote(folder, "Bad", 2, "{\\rtf1\\ansi Sound words \\" + std::string(5000, 'x') + " lost words}");
    vtest::AddNote(folder, "Good", 1, "{\\rtf1\\ansi Good note}");  // shown first when the library opens
    folder.Release();
    doc.Save();
  }
  vtest::DialogWatcher watcher({"Damaged Note"});
  MainFrame& frame = Open(path);
  HWND treeView = vtest::FindChildOfClass(frame.Handle(), WC_TREEVIEWA);
  ASSERT_TRUE(treeView);
  TreeView_SelectItem(treeView, vtest::FindTitle(treeView, TreeView_GetRoot(treeView), "Good"));
  vtest::Pump();
  TreeView_SelectItem(treeView, vtest::FindTitle(treeView, TreeView_GetRoot(treeView), "Bad"));
  vtest::Pump();
  // Each note is shown in a fresh edit window.
  HWND edit = vtest::FindChildOfClass(frame.Handle(), "VelloraTextView");
  ASSERT_TRUE(edit);
  EXPECT_TRUE(GetWindowLongA(edit, GWL_STYLE) & ES_READONLY);  // a note shown cut short takes no edits
  char text[256] = "";
  GetWindowTextA(edit, text, sizeof text);
  EXPECT_NE(std::string(text).find("Sound words"), std::string::npos) << text;
  EXPECT_EQ(std::string(text).find("lost words"), std::string::npos) << text;
  for (int i = 0; i < 50 && watcher.Seen().empty(); ++i) {
    Sleep(50);
    vtest::Pump();
  }
  std::vector<std::string> seen = watcher.Seen();
  ASSERT_EQ(seen.size(), 1u);  // only the bad note was reported
  EXPECT_NE(seen[0].find("5000 letters"), std::string::npos) << seen[0];
}

}  // namespace
