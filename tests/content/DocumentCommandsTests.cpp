// The File menu's commands reach the document's operations.
#include <gtest/gtest.h>

#include "content/CommandIds.h"
#include "content/DocumentCommands.h"
#include "store/LibraryDocument.h"
#include "tests/store/DocumentFixtures.h"

using namespace vellora;

namespace {

TEST(DocumentCommands, FileCommandsAndRecentEntriesReachTheDocument) {
  vtest::DocumentRig rig;
  LibraryDocument doc(rig.host, rig.prompt, rig.texts, rig.log, rig.Setup());
  const std::string first = rig.dir.File("first.vlx"), second = rig.dir.File("second.vlx");
  ASSERT_TRUE(doc.CreateLibrary(first));
  doc.Save();
  ASSERT_TRUE(doc.CreateLibrary(second));
  doc.Save();

  // The second entry of the menu is the library before the newest.
  EXPECT_TRUE(RunDocumentCommand(doc, ID_FILE_MRU_FIRST + 1));
  EXPECT_EQ(doc.Path(), first);
  EXPECT_TRUE(RunDocumentCommand(doc, ID_FILE_MRU_FIRST + 5));  // no such entry: nothing happens
  EXPECT_EQ(doc.Path(), first);

  EXPECT_TRUE(RunDocumentCommand(doc, ID_APP_EXIT));
  EXPECT_EQ(rig.host.closeRequests, 1);
  // Open with the file dialog cancelled keeps the library.
  rig.prompt.files = {""};
  EXPECT_TRUE(RunDocumentCommand(doc, ID_FILE_OPEN));
  EXPECT_EQ(doc.Path(), first);
  for (UINT other : {ID_NODE_ADD_ROOT, ID_EDIT_UNDO, ID_QUICK_ACCESS_FIRST}) EXPECT_FALSE(RunDocumentCommand(doc, other));
}

}  // namespace
