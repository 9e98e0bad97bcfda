// "Backups" as a user fills it: it opens on the stored settings, OK writes
// what was chosen under the key, a folder the check refuses keeps it open
// with the reason, and the count and folder follow the check box.
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

constexpr char kCaption[] = "Backups";
const int kDetails[] = {IDC_BACKUP_KEEP, IDC_BACKUP_KEEP_SPIN, IDC_BACKUP_FOLDER, IDC_BACKUP_BROWSE};

// Waits (a little) for what a posted click does.
bool Eventually(const std::function<bool()>& done) {
  for (DWORD start = GetTickCount(); GetTickCount() - start < 3000; Sleep(10))
    if (done()) return true;
  return done();
}

bool Checked(HWND d) { return SendMessageA(GetDlgItem(d, IDC_BACKUP_ENABLED), BM_GETCHECK, 0, 0) == BST_CHECKED; }

bool DetailsEnabled(HWND d, bool enabled) {
  for (int id : kDetails)
    if ((IsWindowEnabled(GetDlgItem(d, id)) != FALSE) != enabled) return false;
  return true;
}

BackupPolicy Policy(bool enabled, unsigned keep, const std::string& folder) {
  BackupPolicy policy;
  policy.enabled = enabled;
  policy.keep = keep;
  policy.folder = folder;
  return policy;
}

class BackupSettingsDialogTest : public ::testing::Test {
 protected:
  void Store(const BackupPolicy& policy) {
    ASSERT_EQ(WriteBackupPolicy(HKEY_CURRENT_USER, key_.Path(), policy), ERROR_SUCCESS);
  }
  BackupPolicy Stored() const { return ReadBackupPolicy(HKEY_CURRENT_USER, key_.Path()); }
  // Runs the dialog over the key while drive works it from a second thread.
  bool Run(const std::function<void(HWND)>& drive, BackupPolicy* result = nullptr) {
    BackupSettingsDialog dialog(vtest::ShippedTexts(), HKEY_CURRENT_USER, key_.Path());
    dialog.chooseFolder = [this](HWND, const std::string& start, std::string& folder) {
      browsedFrom_.push_back(start);
      folder = "D:\\Chosen";
      return true;
    };
    bool ok = false;
    {
      vtest::DialogDriver driver([&] {
        HWND d = vtest::WaitForDialog(kCaption);
        ASSERT_NE(d, nullptr);
        drive(d);
      });
      ok = dialog.Ask(nullptr);
    }
    if (result) *result = dialog.Result();
    return ok;
  }

  vtest::TempRegistryKey key_;
  std::vector<std::string> browsedFrom_;
};

TEST_F(BackupSettingsDialogTest, OpensOnTheStoredSettingsAndOkWritesTheChosenOnes) {
  struct Case {
    const char* name;
    BackupPolicy stored;
    std::string keepTyped, folderTyped;
    BackupPolicy expected;
  };
  const Case cases[] = {
      {"a count and a folder", Policy(true, 3, ""), "7", "C:\\Kept", Policy(true, 7, "C:\\Kept")},
      {"spaces around the folder", Policy(true, 4, "C:\\Old"), "4", "  \\\\server\\share  ",
       Policy(true, 4, "\\\\server\\share")},
      {"the folder emptied", Policy(true, 5, "C:\\Old"), "5", "", Policy(true, 5, "")},
      {"a count past the most", Policy(true, 3, ""), "150", "", Policy(true, 99, "")},
      {"no count typed keeps the stored one", Policy(true, 6, ""), "", "", Policy(true, 6, "")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Store(c.stored);
    std::string keepShown, folderShown;
    BackupPolicy result;
    EXPECT_TRUE(Run(
        [&](HWND d) {
          keepShown = vtest::ControlText(d, IDC_BACKUP_KEEP);
          folderShown = vtest::ControlText(d, IDC_BACKUP_FOLDER);
          vtest::SetControlText(d, IDC_BACKUP_KEEP, c.keepTyped);
          vtest::SetControlText(d, IDC_BACKUP_FOLDER, c.folderTyped);
          vtest::Click(d, IDOK);
        },
        &result));
    EXPECT_EQ(keepShown, std::to_string(c.stored.keep));
    EXPECT_EQ(folderShown, c.stored.folder);
    const BackupPolicy stored = Stored();
    for (const BackupPolicy& p : {result, stored}) {
      EXPECT_EQ(p.enabled, c.expected.enabled);
      EXPECT_EQ(p.keep, c.expected.keep);
      EXPECT_EQ(p.folder, c.expected.folder);
    }
  }
}

TEST_F(BackupSettingsDialogTest, AnUnusableFolderKeepsItOpenWithTheReason) {
  Store({true, 3, "C:\\Old"});
  std::vector<std::string> reasons;
  bool openAfterRefusals = false;
  EXPECT_TRUE(Run([&](HWND d) {
    // Typed past the check's limit, the folder is refused for its length, not cut short.
    for (const std::string& bad : {std::string("Relative\\Backups"), std::string("C:\\Back|ups"),
                                   "C:\\" + std::string(230, 'a')}) {
      vtest::SetControlText(d, IDC_BACKUP_FOLDER, bad);
      vtest::Click(d, IDOK);
      std::string text;
      EXPECT_TRUE(vtest::AnswerMessageBox(vtest::ShippedTexts().TextOr(kTextErrorCaption, "Error"), IDOK, &text));
      reasons.push_back(text);
    }
    openAfterRefusals = IsWindow(d) && IsWindowVisible(d);
    vtest::SetControlText(d, IDC_BACKUP_FOLDER, "C:\\Good");
    vtest::Click(d, IDOK);
  }));
  EXPECT_TRUE(openAfterRefusals);
  ASSERT_EQ(reasons.size(), 3u);
  EXPECT_EQ(reasons[0], CheckBackupFolder("Relative\\Backups"));
  EXPECT_NE(reasons[1].find("character |"), std::string::npos) << reasons[1];
  EXPECT_NE(reasons[2].find("200 bytes"), std::string::npos) << reasons[2];
  EXPECT_EQ(Stored().folder, "C:\\Good");
}

TEST_F(BackupSettingsDialogTest, TheCheckBoxGreysTheCountAndTheFolder) {
  Store({false, 4, "C:\\Old"});
  bool offAtFirst = false, onAfterClick = false, offAgain = false;
  EXPECT_TRUE(Run([&](HWND d) {
    offAtFirst = !Checked(d) && DetailsEnabled(d, false);
    vtest::Click(d, IDC_BACKUP_ENABLED);
    onAfterClick = Eventually([&] { return Checked(d) && DetailsEnabled(d, true); });
    // Browse starts from the folder typed and puts the chosen one in the edit.
    vtest::SetControlText(d, IDC_BACKUP_FOLDER, "C:\\Typed");
    vtest::Click(d, IDC_BACKUP_BROWSE);
    EXPECT_TRUE(Eventually([&] { return vtest::ControlText(d, IDC_BACKUP_FOLDER) == "D:\\Chosen"; }));
    vtest::SetControlText(d, IDC_BACKUP_KEEP, "9");
    vtest::Click(d, IDC_BACKUP_ENABLED);
    offAgain = Eventually([&] { return !Checked(d) && DetailsEnabled(d, false); });
    vtest::Click(d, IDOK);
  }));
  EXPECT_TRUE(offAtFirst);
  EXPECT_TRUE(onAfterClick);
  EXPECT_TRUE(offAgain);
  EXPECT_EQ(browsedFrom_, std::vector<std::string>{"C:\\Typed"});
  BackupPolicy stored = Stored();
  EXPECT_FALSE(stored.enabled);
  EXPECT_EQ(stored.keep, 9u);
  EXPECT_EQ(stored.folder, "D:\\Chosen");
}

TEST_F(BackupSettingsDialogTest, WithBackupsOffAnUnusableFolderLeavesTheStoredOneAndCancelWritesNothing) {
  Store({false, 4, "C:\\Old"});
  EXPECT_TRUE(Run([&](HWND d) {
    vtest::SetControlText(d, IDC_BACKUP_FOLDER, "Relative");
    vtest::Click(d, IDOK);
  }));
  EXPECT_EQ(Stored().folder, "C:\\Old");

  EXPECT_FALSE(Run([&](HWND d) {
    vtest::Click(d, IDC_BACKUP_ENABLED);
    vtest::SetControlText(d, IDC_BACKUP_FOLDER, "C:\\Other");
    vtest::Click(d, IDCANCEL);
  }));
  const BackupPolicy stored = Stored();
  EXPECT_FALSE(stored.enabled);
  EXPECT_EQ(stored.folder, "C:\\Old");
}

// Settings that cannot be stored are said so, and the dialog stays open for Cancel.
TEST(BackupSettingsDialog, SettingsThatCannotBeStoredAreNotTakenAsChosen) {
  vtest::TempRegistryKey key;
  // No key may have a name this long.
  BackupSettingsDialog dialog(vtest::ShippedTexts(), HKEY_CURRENT_USER, key.Path() + "\\" + std::string(300, 'k'));
  std::string refusal;
  bool stillOpen = false;
  bool ok = true;
  {
    vtest::DialogDriver driver([&] {
      HWND d = vtest::WaitForDialog(kCaption);
      ASSERT_NE(d, nullptr);
      vtest::Click(d, IDOK);
      EXPECT_TRUE(vtest::AnswerMessageBox(vtest::ShippedTexts().TextOr(kTextErrorCaption, "Error"), IDOK, &refusal));
      stillOpen = IsWindow(d) && IsWindowVisible(d);
      vtest::Click(d, IDCANCEL);
    });
    ok = dialog.Ask(nullptr);
  }
  EXPECT_FALSE(ok);
  EXPECT_TRUE(stillOpen);
  EXPECT_NE(refusal.find("could not be stored"), std::string::npos) << refusal;
}

}  // namespace
