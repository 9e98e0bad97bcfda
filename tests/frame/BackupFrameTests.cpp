// Tools > Backups in the real frame: the dialog writes the settings under the
// program's key and the open document backs up by them from then on.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>

#include "app/frame/MainFrame.h"
#include "store/LibraryBackups.h"
#include "tests/frame/FrameFixture.h"
#include "tests/views/DialogDriver.h"
#include "views/dialogs/DialogIds.h"

using namespace vellora;

namespace {

class BackupFrameTest : public vtest::FrameFixture {
 protected:
  void SetUp() override {
    FrameFixture::SetUp();
    path_ = rig_.dir.File("frame.vlx");
    LibraryDocument doc(rig_.host, rig_.prompt, rig_.texts, rig_.log, rig_.Setup());
    ASSERT_TRUE(doc.CreateLibrary(path_));
    doc.Save();
  }
  // Runs the command while drive works the dialog from a second thread.
  void RunBackups(const std::function<void(HWND)>& drive) {
    vtest::DialogDriver driver([&] {
      HWND d = vtest::WaitForDialog("Backups");
      ASSERT_NE(d, nullptr);
      drive(d);
    });
    Command(ID_TOOLS_BACKUPS);
  }
  std::string path_;
};

TEST_F(BackupFrameTest, TheChosenSettingsAreStoredAndTakenByTheOpenDocument) {
  FrameSetup setup;
  setup.startupPath = path_;
  MainFrame& frame = OpenFrame(setup);
  EXPECT_TRUE(frame.QueryCommandUi(ID_TOOLS_BACKUPS).enabled);
  const std::string elsewhere = rig_.dir.File("Elsewhere");

  // Cancel leaves everything as it was.
  RunBackups([&](HWND d) {
    vtest::SetControlText(d, IDC_BACKUP_KEEP, "8");
    vtest::Click(d, IDCANCEL);
  });
  EXPECT_EQ(frame.Document().Backups().Policy().keep, 3u);

  RunBackups([&](HWND d) {
    vtest::SetControlText(d, IDC_BACKUP_KEEP, "5");
    vtest::SetControlText(d, IDC_BACKUP_FOLDER, elsewhere);
    vtest::Click(d, IDOK);
  });
  const BackupPolicy taken = frame.Document().Backups().Policy();
  for (const BackupPolicy& p : {taken, ReadBackupPolicy(HKEY_CURRENT_USER, rig_.key.Path())}) {
    EXPECT_TRUE(p.enabled);
    EXPECT_EQ(p.keep, 5u);
    EXPECT_EQ(p.folder, elsewhere);
  }
  EXPECT_EQ(frame.Document().Backups().FolderFor(path_), elsewhere);
}

}  // namespace
