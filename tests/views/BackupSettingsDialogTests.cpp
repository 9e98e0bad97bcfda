// "Backups" as a user fills it: it opens on the stored settings, OK writes
// what was chosen, a folder the check refuses or a failed write keeps it
// open with the reason, and the count and folder follow the check box.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/StringTable.h"
#include "store/LibraryBackups.h"
#include "tests/TestSupport.h"
#include "tests/views/DialogDriver.h"
#include "tests/views/ViewFixtures.h"
#include "views/dialogs/BackupSettingsDialog.h"
#include "views/dialogs/DialogIds.h"

using namespace vellora;

namespace {

// Waits (a little) for what a posted click does.
bool Eventually(const std::function<bool()>& done) {
  for (DWORD start = GetTickCount(); GetTickCount() - start < 3000; Sleep(10))
    if (done()) return true;
  return false;
}

bool DetailsFollow(HWND d, bool checked) {
  bool follow = (SendMessageA(GetDlgItem(d, IDC_BACKUP_ENABLED), BM_GETCHECK, 0, 0) == BST_CHECKED) == checked;
  for (int id : {IDC_BACKUP_KEEP, IDC_BACKUP_KEEP_SPIN, IDC_BACKUP_FOLDER, IDC_BACKUP_BROWSE})
    follow &= (IsWindowEnabled(GetDlgItem(d, id)) != FALSE) == checked;
  return follow;
}

std::string Refusal() {
  std::string text;
  EXPECT_TRUE(vtest::AnswerMessageBox(vtest::ShippedTexts().TextOr(kTextErrorCaption, "Error"), IDOK, &text));
  return text;
}

class BackupSettingsDialogTest : public ::testing::Test {
 protected:
  BackupPolicy Stored() const { return ReadBackupPolicy(HKEY_CURRENT_USER, key_.Path()); }
  // Runs the dialog over the key (or another) while drive works it from a second thread.
  bool Run(const std::function<void(HWND)>& drive, std::string key = {}) {
    BackupSettingsDialog dialog(vtest::ShippedTexts(), HKEY_CURRENT_USER, key.empty() ? key_.Path() : key);
    dialog.chooseFolder = [this](HWND, const std::string& start, std::string& folder) {
      browsedFrom_ = start;
      folder = "D:\\Chosen";
      return true;
    };
    vtest::DialogDriver driver([&] {
      HWND d = vtest::WaitForDialog("Backups");
      ASSERT_NE(d, nullptr);
      drive(d);
    });
    return dialog.Ask(nullptr);
  }

  vtest::TempRegistryKey key_;
  std::string browsedFrom_;
};

TEST_F(BackupSettingsDialogTest, OpensOnTheStoredSettingsAndOkWritesTheChosenOnes) {
  ASSERT_EQ(WriteBackupPolicy(HKEY_CURRENT_USER, key_.Path(), {true, 4, "C:\\Old"}), ERROR_SUCCESS);
  std::string keepShown, folderShown;
  EXPECT_TRUE(Run([&](HWND d) {
    keepShown = vtest::ControlText(d, IDC_BACKUP_KEEP);
    folderShown = vtest::ControlText(d, IDC_BACKUP_FOLDER);
    vtest::SetControlText(d, IDC_BACKUP_KEEP, "150");
    vtest::SetControlText(d, IDC_BACKUP_FOLDER, "  \\\\server\\share  ");
    vtest::Click(d, IDOK);
  }));
  EXPECT_EQ(keepShown, "4");
  EXPECT_EQ(folderShown, "C:\\Old");
  BackupPolicy stored = Stored();
  EXPECT_EQ(stored.keep, 99u);
  EXPECT_EQ(stored.folder, "\\\\server\\share");

  // Cancel writes nothing.
  EXPECT_FALSE(Run([&](HWND d) {
    vtest::SetControlText(d, IDC_BACKUP_FOLDER, "");
    vtest::Click(d, IDCANCEL);
  }));
  EXPECT_EQ(Stored().folder, "\\\\server\\share");
}

TEST_F(BackupSettingsDialogTest, AnUnusableFolderOrAFailedWriteKeepsItOpenWithTheReason) {
  std::vector<std::string> reasons;
  EXPECT_TRUE(Run([&](HWND d) {
    // Typed past the check's limit, the folder is refused for its length, not cut short.
    for (const std::string& bad : {std::string("Relative\\Backups"), "C:\\" + std::string(230, 'a')}) {
      vtest::SetControlText(d, IDC_BACKUP_FOLDER, bad);
      vtest::Click(d, IDOK);
      reasons.push_back(Refusal());
    }
    vtest::SetControlText(d, IDC_BACKUP_FOLDER, "C:\\Good");
    vtest::Click(d, IDOK);
  }));
  ASSERT_EQ(reasons.size(), 2u);
  EXPECT_EQ(reasons[0], CheckBackupFolder("Relative\\Backups"));
  EXPECT_NE(reasons[1].find("200 bytes"), std::string::npos) << reasons[1];
  EXPECT_EQ(Stored().folder, "C:\\Good");

  // No key may have a name this long: the write fails, and is not taken as done.
  EXPECT_FALSE(Run(
      [&](HWND d) {
        vtest::Click(d, IDOK);
        reasons.push_back(Refusal());
        vtest::Click(d, IDCANCEL);
      },
      key_.Path() + "\\" + std::string(300, 'k')));
  EXPECT_NE(reasons.back().find("could not be stored"), std::string::npos) << reasons.back();
}

TEST_F(BackupSettingsDialogTest, TheCheckBoxGreysTheCountAndTheFolder) {
  ASSERT_EQ(WriteBackupPolicy(HKEY_CURRENT_USER, key_.Path(), {false, 4, "C:\\Old"}), ERROR_SUCCESS);
  bool offAtFirst = false, onAfterClick = false, offAgain = false;
  EXPECT_TRUE(Run([&](HWND d) {
    offAtFirst = DetailsFollow(d, false);
    vtest::Click(d, IDC_BACKUP_ENABLED);
    onAfterClick = Eventually([&] { return DetailsFollow(d, true); });
    vtest::SetControlText(d, IDC_BACKUP_FOLDER, "C:\\Typed");
    vtest::Click(d, IDC_BACKUP_BROWSE);
    EXPECT_TRUE(Eventually([&] { return vtest::ControlText(d, IDC_BACKUP_FOLDER) == "D:\\Chosen"; }));
    vtest::Click(d, IDC_BACKUP_ENABLED);
    offAgain = Eventually([&] { return DetailsFollow(d, false); });
    vtest::Click(d, IDOK);
  }));
  EXPECT_TRUE(offAtFirst && onAfterClick && offAgain);
  EXPECT_EQ(browsedFrom_, "C:\\Typed");
  BackupPolicy stored = Stored();
  EXPECT_FALSE(stored.enabled);
  EXPECT_EQ(stored.folder, "D:\\Chosen");
}

}  // namespace
