// Notes in the real main frame: a node added while the tree is hidden, and a
// note larger than the program loads, told and never stored over.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "app/frame/MainFrame.h"
#include "content/CommandIds.h"
#include "tests/TestSupport.h"
#include "tests/frame/FrameFixture.h"
#include "tests/store/DocumentFixtures.h"
#include "views/TextView.h"

using namespace vellora;

namespace {

class NoteFrame : public vtest::FrameFixture {
 protected:
  void SetUp() override {
    FrameFixture::SetUp();
    path_ = rig_.dir.File("notes.vlx");
    LibraryDocument doc(rig_.host, rig_.prompt, rig_.texts, rig_.log, rig_.Setup());
    ASSERT_TRUE(doc.CreateLibrary(path_));
    StorageHandle tree = doc.Root().OpenStorageFor(TreeFolder().c_str(), false);
    vtest::AddNote(tree, "A", 1, "{\\rtf1 text of A}");
    tree.Release();
    doc.Save();
  }
  std::string path_;
};

TEST_F(NoteFrame, ANodeAddedWhileTheTreeIsHiddenIsMadeAndNothingStaysPending) {
  MainFrame& frame = OpenLibrary(path_, true);
  Command(ID_VIEW_SHOW_TREEVIEW);
  vtest::Pump();
  for (int i = 0; i < 2; ++i) {
    Command(ID_NODE_ADD_ROOT);
    vtest::Pump();
    EXPECT_FALSE(frame.Content().NewNodePending()) << i;
  }
  // Both adds made a node in the library, not a phantom in the tree.
  int made = 0;
  TreeAccess& tree = frame.Tree();
  for (NodeRef n = tree.FirstChild(nullptr); n; n = tree.Next(n))
    if (tree.Title(n) == "New Item") {
      ++made;
      EXPECT_FALSE(tree.Data(n)->elementName.empty());
    }
  EXPECT_EQ(made, 2);
}

// The size of a top-level note's stream in the tree folder of the file.
ULONGLONG NoteSize(const std::string& path, const std::string& folder, const char* note) {
  StorageHandle root;
  EXPECT_HRESULT_SUCCEEDED(root.OpenRoot(path.c_str(), kReadMode));
  StorageHandle tree = root.OpenStorageFor(folder.c_str(), true);
  StreamHandle stream;
  EXPECT_HRESULT_SUCCEEDED(tree.OpenStream(note, kReadMode, stream));
  STATSTG stat = {};
  if (stream) stream->Stat(&stat, STATFLAG_NONAME);
  return stat.cbSize.QuadPart;
}

TEST_F(NoteFrame, ANoteTooLargeToLoadIsToldStaysReadOnlyAndIsNotStoredOver) {
  const ULONGLONG big = kMaxNoteBytes + 4096;
  {
    LibraryDocument doc(rig_.host, rig_.prompt, rig_.texts, rig_.log, rig_.Setup());
    ASSERT_TRUE(doc.OpenLibrary(path_));
    StorageHandle tree = doc.Root().OpenStorageFor(TreeFolder().c_str(), false);
    vtest::AddNote(tree, "Big", 2, "{\\rtf1 big}");
    StreamHandle stream;
    ASSERT_HRESULT_SUCCEEDED(tree.OpenStream("Big", kWriteMode, stream));
    ULARGE_INTEGER size;
    size.QuadPart = big;
    ASSERT_HRESULT_SUCCEEDED(stream->SetSize(size));
    stream.Release();
    tree.Release();
    doc.Save();
  }
  MainFrame& frame = OpenLibrary(path_, true);
  SelectNode("Big");
  vtest::Pump();
  bool told = false;
  for (const auto& m : rig_.prompt.shown) told = told || m.text.find("could not be shown") != std::string::npos;
  EXPECT_TRUE(told);
  HWND edit = vtest::FindChildOfClass(frame.Handle(), "VelloraTextView");
  ASSERT_TRUE(edit);
  // The lock taken on and off again leaves it read-only.
  Command(ID_TOOLS_LOCK_READONLY);
  Command(ID_TOOLS_LOCK_READONLY);
  edit = vtest::FindChildOfClass(frame.Handle(), "VelloraTextView");
  EXPECT_TRUE(GetWindowLongA(edit, GWL_STYLE) & ES_READONLY);
  SendMessageA(edit, EM_SETMODIFY, TRUE, 0);
  SelectNode("A");
  Command(ID_FILE_SAVE);
  frame_.reset();
  EXPECT_EQ(NoteSize(path_, TreeFolder(), "Big"), big);
}

}  // namespace
