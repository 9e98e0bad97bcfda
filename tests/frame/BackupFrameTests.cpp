// Tools > Backups in the real frame: the dialog writes the settings under the
// program's key and the open document backs up by them from then on.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/frame/MainFrame.h"
#include "store/LibraryBackups.h"
#include "tests/frame/FrameFixture.h"
#include "tests/views/DialogDriver.h"
#include "views/dialogs/DialogIds.h"

using namespace vellora;

namespace {

class BackupFrameTest : public vtest::FrameFixture {};

TEST_F(BackupFrameTest, TheChosenSettingsAreStoredAndTakenByTheOpenDocument) {
  const std::string path = rig_.dir.File("frame.vlx");
  {
    LibraryDocument doc(rig_.host, rig_.prompt, rig_.texts, rig_.log, rig_.Setup());
    ASSERT_TRUE(doc.CreateLibrary(path));
    doc.Save();
  }
  FrameSetup setup;
  setup.startupPath = path;
  MainFrame& frame = OpenFrame(setup);
  EXPECT_TRUE(frame.QueryCommandUi(ID_TOOLS_BACKUPS).enabled);
  const std::string elsewhere = rig_.dir.File("Elsewhere");
  {
    vtest::DialogDriver driver([&] {
      HWND d = vtest::WaitForDialog("Backups");
      ASSERT_NE(d, nullptr);
      vtest::SetControlText(d, IDC_BACKUP_KEEP, "5");
      vtest::SetControlText(d, IDC_BACKUP_FOLDER, elsewhere);
      vtest::Click(d, IDOK);
    });
    Command(ID_TOOLS_BACKUPS);
  }
  const BackupPolicy taken = frame.Document().Backups().Policy();
  EXPECT_EQ(taken.keep, 5u);
  EXPECT_EQ(taken.folder, elsewhere);
  EXPECT_EQ(ReadBackupPolicy(HKEY_CURRENT_USER, rig_.key.Path()).folder, elsewhere);
}

}  // namespace
