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

}  // namespace
