// The backup settings as the user sets them: the folder check, the policy
// written and read back under a test key, and a library backed up once it
// can be, not merely once it was tried.
#include <gtest/gtest.h>

#include <optional>

#include "platform/RegistryKey.h"
#include "store/LibraryBackups.h"
#include "store/LibraryDocument.h"
#include "tests/store/DocumentFixtures.h"

using namespace vellora;

namespace {

struct FolderCase {
  const char* name;
  std::string folder;
  const char* refusal;  // a part of the reason; null: accepted
};

void ExpectChecked(const FolderCase& c) {
  SCOPED_TRACE(c.name);
  const std::string why = CheckBackupFolder(c.folder);
  if (!c.refusal) {
    EXPECT_EQ(why, "");
  } else {
    EXPECT_NE(why.find(c.refusal), std::string::npos) << why;
  }
}

TEST(BackupFolderCheck, AcceptsFullPathsAndRefusesTheRestWithTheReason) {
  const FolderCase cases[] = {
      {"empty: beside each library", "", nullptr},
      {"a drive's folder", "C:\\Kept\\Backups", nullptr},
      {"forward slashes", "d:/Kept", nullptr},
      {"a drive's root", "C:\\", nullptr},
      {"a trailing backslash", "C:\\Kept\\", nullptr},
      {"a share", "\\\\server\\share\\Backups", nullptr},
      {"exactly 200 bytes", "C:\\" + std::string(197, 'a'), nullptr},
      {"201 bytes", "C:\\" + std::string(198, 'a'), "longer than 200 bytes"},
      {"a bare name", "Backups", "full path"},
      {"relative to the folder", ".\\Backups", "full path"},
      {"rooted without a drive", "\\Backups", "full path"},
      {"relative to a drive", "C:Backups", "full path"},
      {"a server without a share", "\\\\server", "full path"},
      {"a server and an empty share", "\\\\server\\", "full path"},
      {"a bar", "C:\\Back|ups", "character |"},
      {"a question mark", "C:\\Backups?", "character ?"},
      {"an asterisk", "C:\\*", "character *"},
      {"angle brackets", "C:\\<Backups>", "character <"},
      {"a quote", "C:\\\"Backups\"", "character \""},
      {"a second colon", "C:\\Back:ups", "character :"},
      {"a tab", "C:\\Back\tups", "control characters"},
      {"an embedded NUL", std::string("C:\\Back\0ups", 11), "control characters"},
  };
  for (const FolderCase& c : cases) ExpectChecked(c);
}

TEST(BackupFolderCheck, ABackupsPathHasOneBackslashAfterItsFolder) {
  EXPECT_EQ(JoinedPath("C:\\Kept", "a.vlx"), "C:\\Kept\\a.vlx");
  EXPECT_EQ(JoinedPath("C:\\Kept\\", "a.vlx"), "C:\\Kept\\a.vlx");
  EXPECT_EQ(JoinedPath("C:\\", "a.vlx"), "C:\\a.vlx");
  EXPECT_EQ(JoinedPath("d:/", "a.vlx"), "d:/a.vlx");
}

// Under a double-byte code page a character's second byte may be 0x5C (the
// backslash) or 0x7C (the bar); it is part of the character, never a
// separator or a forbidden character.
TEST(BackupFolderCheckGbk, TrailBytesAreNoSeparatorsNorForbiddenCharacters) {
  if (GetACP() != 936) GTEST_SKIP() << "needs the GBK code page (run under LC_ALL=zh_CN.UTF-8)";
  const FolderCase cases[] = {
      {"a trail byte 0x7C", "C:\\\x81\x7C", nullptr},
      {"a trail byte 0x5C last", "C:\\Kept\\\x81\x5C", nullptr},
      // Read bytewise, this would be server "\x81" and share "share".
      {"a server's name holding a trail byte 0x5C, no share", "\\\\\x81\x5C" "share", "full path"},
      {"a lone lead byte last", "C:\\Kept\\\x81", "half a double-byte character"},
  };
  for (const FolderCase& c : cases) ExpectChecked(c);
}

TEST(BackupFolderCheckGbk, ABackupGoesIntoAFolderWhoseNameEndsInTrailByte0x5C) {
  if (GetACP() != 936) GTEST_SKIP() << "needs the GBK code page (run under LC_ALL=zh_CN.UTF-8)";
  vtest::DocumentRig rig;
  const std::string folder = rig.dir.File("\x81\x5C");
  // Read bytewise, the folder ends in a backslash, and a backslash would be left out after it.
  EXPECT_EQ(JoinedPath(folder, "a.vlx"), folder + "\\a.vlx");
  // Wine makes the name only where the Unix side has a locale that holds it.
  if (!CreateDirectoryA(folder.c_str(), nullptr)) GTEST_SKIP() << "no file of that name here: " << GetLastError();
  const std::string library = rig.dir.File("lib.vlx");
  ASSERT_TRUE(vtest::WriteWholeFile(library, "not looked into"));
  BackupPolicy policy;
  policy.folder = folder;
  LibraryBackups backups(policy);
  std::string error;
  const std::string made = backups.Make(library, error);
  ASSERT_FALSE(made.empty()) << error;
  EXPECT_EQ(made.substr(0, folder.size() + 1), folder + "\\");
  EXPECT_TRUE(vtest::FileExists(made));
  ASSERT_EQ(backups.List(library).size(), 1u);
  EXPECT_EQ(backups.List(library)[0].path, made);
}

TEST(BackupPolicyStore, WhatIsWrittenIsReadBackWithTheCountHeldInRange) {
  struct Case {
    const char* name;
    BackupPolicy written;
    BackupPolicy read;
  } cases[] = {
      {"on, five in a folder", {true, 5, "C:\\Kept"}, {true, 5, "C:\\Kept"}},
      {"past the most", {true, 150, "\\\\server\\share"}, {true, 99, "\\\\server\\share"}},
      {"off, beside the library", {false, 99, ""}, {false, 99, ""}},
      {"none kept means one", {true, 0, ""}, {true, 1, ""}},
  };
  vtest::TempRegistryKey key;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(WriteBackupPolicy(HKEY_CURRENT_USER, key.Path(), c.written), ERROR_SUCCESS);
    const BackupPolicy read = ReadBackupPolicy(HKEY_CURRENT_USER, key.Path());
    EXPECT_EQ(read.enabled, c.read.enabled);
    EXPECT_EQ(read.keep, c.read.keep);
    EXPECT_EQ(read.folder, c.read.folder);
  }
  // An empty folder leaves no value behind, as a key never written has none.
  RegistryKey backups;
  ASSERT_EQ(backups.Open(HKEY_CURRENT_USER, (key.Path() + "\\Backups").c_str(), KEY_READ), ERROR_SUCCESS);
  EXPECT_FALSE(backups.ReadString("Folder", MAX_PATH).has_value());
}

TEST(BackupPolicyStore, ARefusedFolderIsNeitherWrittenNorTakenFromTheKey) {
  vtest::TempRegistryKey key;
  ASSERT_EQ(WriteBackupPolicy(HKEY_CURRENT_USER, key.Path(), {true, 7, "C:\\Kept"}), ERROR_SUCCESS);
  EXPECT_EQ(WriteBackupPolicy(HKEY_CURRENT_USER, key.Path(), {false, 2, "Relative"}), ERROR_INVALID_PARAMETER);
  BackupPolicy kept = ReadBackupPolicy(HKEY_CURRENT_USER, key.Path());
  EXPECT_TRUE(kept.enabled);
  EXPECT_EQ(kept.keep, 7u);
  EXPECT_EQ(kept.folder, "C:\\Kept");

  // A folder someone else stored that the check refuses: the backups go beside the library.
  RegistryKey backups;
  ASSERT_EQ(backups.Open(HKEY_CURRENT_USER, (key.Path() + "\\Backups").c_str(), KEY_SET_VALUE), ERROR_SUCCESS);
  for (const char* stored : {"Backups", "C:\\a|b", "C:\\"}) {
    SCOPED_TRACE(stored);
    ASSERT_EQ(backups.WriteString("Folder", stored), ERROR_SUCCESS);
    const bool usable = CheckBackupFolder(stored).empty();
    EXPECT_EQ(ReadBackupPolicy(HKEY_CURRENT_USER, key.Path()).folder, usable ? stored : "");
  }
  ASSERT_EQ(backups.WriteString("Folder", "C:\\" + std::string(220, 'a')), ERROR_SUCCESS);
  EXPECT_EQ(ReadBackupPolicy(HKEY_CURRENT_USER, key.Path()).folder, "");
}

// A library is passed over for the rest of a session only once it has its
// backup: a session that began with backups off, or whose copy failed, makes
// it at the next open for writing once it can.
class BackupSession : public ::testing::Test {
 protected:
  BackupSession() {
    auto maker = Document(Off());
    EXPECT_TRUE(maker->CreateLibrary(Library()));
    maker->Save();
    maker->Close();
  }
  static BackupPolicy Off() { return {false, 3, ""}; }
  std::unique_ptr<LibraryDocument> Document(const BackupPolicy& policy) {
    DocumentSetup setup = rig_.Setup();
    setup.backups = policy;
    return std::make_unique<LibraryDocument>(rig_.host, rig_.prompt, rig_.texts, rig_.log, setup);
  }
  std::string Library() const { return rig_.dir.File("lib.vlx"); }

  vtest::DocumentRig rig_;
};

TEST_F(BackupSession, BackupsTurnedOnOrMendedLaterInTheSessionStillTakeEffect) {
  struct Case {
    const char* name;
    BackupPolicy first;
    bool firstLogged;
  } cases[] = {
      {"turned off at first", Off(), false},
      // Only the last level of a chosen folder is made: this one cannot be.
      {"a folder that cannot be made", {true, 3, rig_.dir.File("missing\\deeper")}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    rig_.log.reports.clear();
    auto doc = Document(c.first);
    ASSERT_TRUE(doc->OpenLibrary(Library()));
    EXPECT_TRUE(doc->LastBackup().empty());
    EXPECT_EQ(!rig_.log.reports.empty(), c.firstLogged);
    doc->Close();

    const std::string folder = rig_.dir.File(std::string("kept ") + std::to_string(&c - cases));
    doc->SetBackupPolicy({true, 3, folder});
    ASSERT_TRUE(doc->OpenLibrary(Library()));
    ASSERT_FALSE(doc->LastBackup().empty());
    EXPECT_EQ(doc->LastBackup().substr(0, folder.size() + 1), folder + "\\");
    doc->Close();
    // Backed up now, the library is passed over for the rest of the session.
    ASSERT_TRUE(doc->OpenLibrary(Library()));
    EXPECT_TRUE(doc->LastBackup().empty());
    EXPECT_EQ(doc->Backups().List(Library()).size(), 1u);
    doc->Close();
  }
}

}  // namespace
