// The backup settings as the user sets them: the folder check, the policy
// written and read back under a test key, and a library backed up once it
// can be, not merely once it was tried.
#include <gtest/gtest.h>

#include "platform/RegistryKey.h"
#include "store/LibraryBackups.h"
#include "store/PathParts.h"
#include "store/LibraryDocument.h"
#include "tests/store/DocumentFixtures.h"

using namespace vellora;

namespace {

struct FolderCase {
  std::string folder;
  const char* refusal;  // a part of the reason; null: accepted
};

void ExpectChecked(const FolderCase& c) {
  const std::string why = CheckBackupFolder(c.folder);
  if (!c.refusal) EXPECT_EQ(why, "") << c.folder;
  else EXPECT_NE(why.find(c.refusal), std::string::npos) << c.folder << ": " << why;
}

TEST(BackupFolderCheck, AcceptsFullPathsAndRefusesTheRestWithTheReason) {
  const FolderCase cases[] = {
      {"", nullptr},  // beside each library
      {"C:\\Kept\\Backups", nullptr},
      {"d:/Kept/", nullptr},
      {"\\\\server\\share\\Backups", nullptr},
      {"C:\\" + std::string(197, 'a'), nullptr},  // 200 bytes
      {"C:\\" + std::string(198, 'a'), "longer than 200 bytes"},
      {".\\Backups", "full path"},
      {"\\Backups", "full path"},
      {"C:Backups", "full path"},
      {"\\\\server\\", "full path"},
      {"C:\\Back|ups", "character |"},
      {"C:\\<Backups>?", "character <"},
      {"C:\\Back:ups", "character :"},
      {std::string("C:\\Back\0ups", 11), "control characters"},
  };
  for (const FolderCase& c : cases) ExpectChecked(c);
  EXPECT_EQ(JoinedPath("C:\\", "a.vlx"), "C:\\a.vlx");
  EXPECT_EQ(JoinedPath("C:\\Kept", "a.vlx"), "C:\\Kept\\a.vlx");
}

// Under a double-byte code page a character's second byte may be 0x5C (the
// backslash) or 0x7C (the bar): it is part of the character, never a
// separator or a forbidden character.
TEST(BackupFolderCheckGbk, TrailBytesAreNoSeparatorsNorForbiddenCharacters) {
  if (GetACP() != 936) GTEST_SKIP() << "needs the GBK code page (run under LC_ALL=zh_CN.UTF-8)";
  const FolderCase cases[] = {
      {"C:\\\x81\x7C", nullptr},
      {"\\\\\x81\x5C" "share", "full path"},  // bytewise: server "\x81", share "share"
      {"C:\\Kept\\\x81", "half a double-byte character"},
  };
  for (const FolderCase& c : cases) ExpectChecked(c);
  // Bytewise, the folder would end in a backslash and none would be put after it.
  EXPECT_EQ(JoinedPath("C:\\\x81\x5C", "a.vlx"), "C:\\\x81\x5C\\a.vlx");
}

TEST(BackupFolderCheckGbk, ALibraryPathIsSplitOnlyBetweenCharacters) {
  if (GetACP() != 936) GTEST_SKIP() << "needs the GBK code page (run under LC_ALL=zh_CN.UTF-8)";
  // Folder and name each end in a character whose trail byte is 0x5C.
  const struct {
    const char* path;
    const char* parent;
    const char* leaf;
  } cases[] = {
      {"C:\\Notes\\\x81\x5C.vlx", "C:\\Notes", "\x81\x5C.vlx"},
      {"C:\\\x81\x5C\\lib.vlx", "C:\\\x81\x5C", "lib.vlx"},
      {"\x81\x5C", ".", "\x81\x5C"},
      {"C:/a/\x81\x5C", "C:/a", "\x81\x5C"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParentOf(c.path), c.parent) << c.path;
    EXPECT_EQ(LeafOf(c.path), c.leaf) << c.path;
  }
}

TEST(BackupPolicyStore, WhatIsWrittenIsReadBackAndARefusedFolderIsNeverStored) {
  vtest::TempRegistryKey key;
  auto roundTrip = [&](const BackupPolicy& written) {
    EXPECT_EQ(WriteBackupPolicy(HKEY_CURRENT_USER, key.Path(), written), ERROR_SUCCESS);
    return ReadBackupPolicy(HKEY_CURRENT_USER, key.Path());
  };
  BackupPolicy read = roundTrip({true, 150, "\\\\server\\share"});
  EXPECT_TRUE(read.enabled);
  EXPECT_EQ(read.keep, 99u);
  EXPECT_EQ(read.folder, "\\\\server\\share");
  read = roundTrip({false, 0, ""});
  EXPECT_FALSE(read.enabled);
  EXPECT_EQ(read.keep, 1u);
  EXPECT_EQ(read.folder, "");

  EXPECT_EQ(WriteBackupPolicy(HKEY_CURRENT_USER, key.Path(), {true, 7, "Relative"}), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(ReadBackupPolicy(HKEY_CURRENT_USER, key.Path()).enabled);
  // A folder someone else stored that the check refuses: the backups go beside the library.
  RegistryKey backups;
  ASSERT_EQ(backups.Open(HKEY_CURRENT_USER, (key.Path() + "\\Backups").c_str(), KEY_SET_VALUE), ERROR_SUCCESS);
  for (const std::string& stored : {std::string("Backups"), std::string("C:\\a|b"), "C:\\" + std::string(220, 'a')}) {
    ASSERT_EQ(backups.WriteString("Folder", stored), ERROR_SUCCESS);
    EXPECT_EQ(ReadBackupPolicy(HKEY_CURRENT_USER, key.Path()).folder, "") << stored;
  }
}

// A library is passed over for the rest of a session only once it has its
// backup: a session that began with backups off, or whose copy failed, makes
// it at the next open for writing once it can.
TEST(BackupSession, BackupsTurnedOnOrMendedLaterInTheSessionStillTakeEffect) {
  vtest::DocumentRig rig;
  const std::string library = rig.dir.File("lib.vlx");
  auto document = [&](const BackupPolicy& policy) {
    DocumentSetup setup = rig.Setup();
    setup.backups = policy;
    return std::make_unique<LibraryDocument>(rig.host, rig.prompt, rig.texts, rig.log, setup);
  };
  {
    auto maker = document({false, 3, ""});
    ASSERT_TRUE(maker->CreateLibrary(library));
    maker->Save();
  }
  // Only the last level of a chosen folder is made: the second cannot be.
  const BackupPolicy firsts[] = {{false, 3, ""}, {true, 3, rig.dir.File("missing\\deeper")}};
  for (const BackupPolicy& first : firsts) {
    auto doc = document(first);
    ASSERT_TRUE(doc->OpenLibrary(library));
    EXPECT_TRUE(doc->LastBackup().empty());
    doc->Close();
    const std::string folder = rig.dir.File(first.enabled ? "kept after a failure" : "kept once on");
    doc->SetBackupPolicy({true, 3, folder});
    ASSERT_TRUE(doc->OpenLibrary(library));
    EXPECT_EQ(doc->LastBackup().substr(0, folder.size() + 1), folder + "\\");
    doc->Close();
    ASSERT_TRUE(doc->OpenLibrary(library));
    EXPECT_TRUE(doc->LastBackup().empty()) << "backed up now, it is passed over for the session";
    EXPECT_EQ(doc->Backups().List(library).size(), 1u);
  }
  EXPECT_EQ(rig.log.reports.size(), 1u) << "the failed copy is logged";
}

}  // namespace
