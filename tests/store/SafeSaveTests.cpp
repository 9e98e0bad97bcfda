// Never losing a library: the one-step replacement of Repack, the whole copies
// offered in place of a missing or damaged library, and the automatic backups.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "platform/RegistryKey.h"
#include "store/CompoundFileCheck.h"
#include "store/LibraryBackups.h"
#include "store/LibraryDocument.h"
#include "store/SafeFileReplace.h"
#include "tests/store/DamageKit.h"
#include "tests/store/DocumentFixtures.h"

using namespace vellora;

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const std::string& bytes) {
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

void Wipe(const std::string& path) {
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(path.c_str());
}

// Damage that the structural check finds.
enum class Harm { kHeaderWiped, kCutInHalf };
void Damage(const std::string& path, Harm harm) {
  std::string bytes = ReadAll(path);
  if (harm == Harm::kHeaderWiped) std::fill(bytes.begin(), bytes.begin() + 64, 'X');
  else bytes.resize(bytes.size() / 2 + 100);
  WriteAll(path, bytes);
}

class SafeSaveTest : public ::testing::Test {
 protected:
  SafeSaveTest() { doc_ = MakeDocument(); }

  std::unique_ptr<LibraryDocument> MakeDocument(bool backups = false) {
    DocumentSetup setup = rig_.Setup();
    BackupPolicy policy;
    policy.enabled = backups;
    setup.backups = policy;
    return std::make_unique<LibraryDocument>(rig_.host, rig_.prompt, rig_.texts, rig_.log, setup);
  }
  std::string LibraryPath() const { return rig_.dir.File("lib.vlx"); }
  std::string Catalog() const { return rig_.texts.TextOr(kTextFirstCatalogFolder, ""); }

  // A saved library on disk holding one item of the given name; not open afterwards.
  void MakeLibraryWith(const std::string& path, const char* item) {
    auto doc = MakeDocument();
    ASSERT_TRUE(doc->CreateLibrary(path));
    AddItem(*doc, item);
    doc->Save();
    doc->Close();
  }
  void AddItem(LibraryDocument& doc, const char* item) {
    ASSERT_HRESULT_SUCCEEDED(doc.SelectCurrentFolder(Catalog()));
    ASSERT_HRESULT_SUCCEEDED(
        doc.CreateItem(doc.CurrentFolder(), kItemText, item, doc.NextItemId(), kFolderItemInfo, kFolderItemContent, {}));
  }
  bool OpenHasItem(LibraryDocument& doc, const char* item) {
    bool current = false;
    StorageHandle f = doc.OpenFolder(Catalog(), true, current);
    return f && f.FindElement(item) == ElementType::Storage;
  }
  static bool FileHasItem(const std::string& path, const std::string& folder, const char* item) {
    StorageHandle root;
    if (FAILED(root.OpenRoot(path.c_str(), kReadMode))) return false;
    StorageHandle f = root.OpenStorageFor(folder.c_str(), true);
    return f && f.FindElement(item) == ElementType::Storage;
  }

  vtest::DocumentRig rig_;
  std::unique_ptr<LibraryDocument> doc_;
};

TEST_F(SafeSaveTest, TheReplacementTouchesTheTargetOnlyWithAFlushedSoundCopy) {
  struct Case {
    const char* name;
    int replacement;  // 0 a sound library, 1 garbage, 2 none
    ReplaceResult expected;
  } cases[] = {
      {"sound copy", 0, ReplaceResult::kReplaced},
      {"garbage", 1, ReplaceResult::kCopyUnsound},
      {"no copy", 2, ReplaceResult::kFlushFailed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string target = rig_.dir.File("target.vlx");
    const std::string copy = rig_.dir.File("target.vlx.repack-new");
    MakeLibraryWith(target, "Before");
    Wipe(copy);
    if (c.replacement == 0) MakeLibraryWith(copy, "After");
    if (c.replacement == 1) WriteAll(copy, std::string(4096, 'g'));
    const std::string before = ReadAll(target);
    EXPECT_EQ(ReplaceWithCheckedCopy(copy, target), c.expected);
    if (c.expected == ReplaceResult::kReplaced) {
      EXPECT_TRUE(FileHasItem(target, Catalog(), "After"));
      EXPECT_FALSE(vtest::FileExists(copy));
    } else {
      EXPECT_EQ(ReadAll(target), before);
    }
    Wipe(copy);
  }
}

TEST_F(SafeSaveTest, RepackWritesBesideTheLibraryAndLeavesNothingBehind) {
  const std::string path = LibraryPath();
  MakeLibraryWith(path, "Kept");
  // What an interrupted repack left before is simply written over.
  WriteAll(RepackCopyPath(path), "half a copy");
  ASSERT_TRUE(doc_->OpenLibrary(path));
  EXPECT_FALSE(vtest::FileExists(RepackCopyPath(path))) << "a sound library's leftover is let go at open";
  WriteAll(RepackCopyPath(path), "half a copy");
  AddItem(*doc_, "Added");
  ASSERT_TRUE(doc_->Repack());
  EXPECT_EQ(doc_->RepackPath(), RepackCopyPath(path));
  EXPECT_FALSE(vtest::FileExists(RepackCopyPath(path)));
  EXPECT_FALSE(vtest::FileExists(EarlierAsidePath(path)));
  EXPECT_FALSE(vtest::FileExists(rig_.dir.File("ForReplace.vlx")));
  EXPECT_TRUE(OpenHasItem(*doc_, "Kept"));
  EXPECT_TRUE(OpenHasItem(*doc_, "Added"));
  doc_->Close();
  EXPECT_TRUE(CheckCompoundFile(path.c_str()).Sound());
}

// What an interrupted repack may have left, and whether the open offers it.
TEST_F(SafeSaveTest, TheLibraryFileChangesOnlyBySavingAndThenAsAWhole) {
  // "Left" goes into a folder the user then leaves, "Current" into the folder
  // still open; the library file must hold the last save until a save, and a
  // whole library after it.
  enum Ending { kCrash, kSave, kAnswerNo, kYesThatFails };
  struct Case {
    const char* name;
    Ending ending;
    bool leftKept, currentKept, fileUnchanged, stillOpen;
  } cases[] = {
      {"killed before saving", kCrash, false, false, true, true},
      {"saved", kSave, true, true, false, true},
      {"No to the close question", kAnswerNo, true, false, false, false},
      {"Yes whose save cannot be written", kYesThatFails, false, false, true, true},
  };
  const std::string path = LibraryPath();
  const std::string second = rig_.texts.TextOr(kTextSecondCatalogFolder, "");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Wipe(path);
    MakeLibraryWith(path, "Old");
    auto doc = MakeDocument();
    ASSERT_TRUE(doc->OpenLibrary(path));
    const std::string before = ReadAll(path);
    AddItem(*doc, "Left");
    ASSERT_HRESULT_SUCCEEDED(doc->SelectCurrentFolder(second));
    ASSERT_HRESULT_SUCCEEDED(doc->CreateItem(doc->CurrentFolder(), kItemText, "Current", doc->NextItemId(),
                                             kFolderItemInfo, kFolderItemContent, {}));
    doc->SetModified();
    EXPECT_EQ(ReadAll(path), before) << "nothing reaches the file before a save";
    bool kept = true;
    switch (c.ending) {
      case kCrash: break;
      case kSave: EXPECT_TRUE(doc->Save()); break;
      case kAnswerNo:
        rig_.prompt.messageAnswers = {IDNO};
        EXPECT_TRUE(doc->AskBeforeGivingUp());
        break;
      case kYesThatFails:
        // A folder where the new copy should go makes the copy fail.
        ASSERT_TRUE(CreateDirectoryA(doc->RepackPath().c_str(), nullptr));
        rig_.prompt.messageAnswers = {IDYES};
        kept = doc->AskBeforeGivingUp();
        RemoveDirectoryA(doc->RepackPath().c_str());
        EXPECT_FALSE(kept) << "a failed save keeps the library open";
        EXPECT_TRUE(doc->Modified());
        break;
    }
    EXPECT_EQ(doc->IsOpen(), c.stillOpen);
    if (c.stillOpen) {
      bool current = false;
      StorageHandle f = doc->OpenFolder(second, true, current);
      EXPECT_TRUE(f && f.FindElement("Current") == ElementType::Storage) << "the open library keeps every change";
    }
    const std::string onDisk = ReadAll(path);
    doc->Close();
    EXPECT_EQ(onDisk == before, c.fileUnchanged);
    EXPECT_TRUE(CheckCompoundFile(path.c_str()).Sound());
    EXPECT_FALSE(vtest::FileExists(RepackCopyPath(path)));
    EXPECT_TRUE(FileHasItem(path, Catalog(), "Old"));
    EXPECT_EQ(FileHasItem(path, Catalog(), "Left"), c.leftKept);
    EXPECT_EQ(FileHasItem(path, second, "Current"), c.currentKept);
    rig_.prompt.messageAnswers.clear();
  }
}

TEST_F(SafeSaveTest, AMissingOrDamagedLibraryIsOfferedTheWholeCopyLeftBeside) {
  enum Left { kRepackCopy, kEarlierAside, kEarlierTemp, kBrokenCopy };
  struct Case {
    const char* name;
    Left left;
    bool libraryThere;  // damaged, else missing
    int answer;
    bool opens;
  } cases[] = {
      {"this version's copy, library missing", kRepackCopy, false, IDYES, true},
      {"earlier aside copy, library missing", kEarlierAside, false, IDYES, true},
      {"earlier temp copy, library missing", kEarlierTemp, false, IDYES, true},
      {"this version's copy, library damaged", kRepackCopy, true, IDYES, true},
      {"the user declines", kEarlierAside, false, IDNO, false},
      {"a copy that is itself broken is not offered", kBrokenCopy, false, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    vtest::DocumentRig rig;
    DocumentSetup setup = rig.Setup();
    setup.backups = BackupPolicy{false};
    LibraryDocument doc(rig.host, rig.prompt, rig.texts, rig.log, setup);
    const std::string path = rig.dir.File("lib.vlx");
    const std::string copy = c.left == kEarlierAside ? EarlierAsidePath(path)
                             : c.left == kEarlierTemp ? rig.dir.File("ForReplace.vlx")
                                                      : RepackCopyPath(path);
    // The library first: its save writes through the very place the copy is left in.
    if (c.libraryThere) {
      MakeLibraryWith(path, "Older");
      Damage(path, Harm::kHeaderWiped);
    }
    MakeLibraryWith(copy, "Saved");
    if (c.left == kBrokenCopy) Damage(copy, Harm::kCutInHalf);
    if (c.answer) rig.prompt.messageAnswers.push_back(c.answer);
    bool opened = doc.OpenLibrary(path);
    EXPECT_EQ(opened, c.opens);
    EXPECT_TRUE(rig.prompt.messageAnswers.empty()) << "the copy was offered";
    if (c.answer) {
      ASSERT_FALSE(rig.prompt.shown.empty());
      EXPECT_NE(rig.prompt.shown[0].text.find(copy), std::string::npos);
    } else {
      EXPECT_TRUE(rig.prompt.shown.empty());
    }
    if (c.opens) {
      EXPECT_FALSE(doc.ReadOnly());
      EXPECT_TRUE(OpenHasItem(doc, "Saved"));
      EXPECT_FALSE(vtest::FileExists(copy));
    } else if (c.answer == IDNO) {
      EXPECT_TRUE(vtest::FileExists(copy)) << "a declined copy stays where it is";
    }
    if (c.libraryThere && c.opens) {
      EXPECT_TRUE(vtest::FileExists(path + ".damaged")) << "the damaged file is kept";
    }
    doc.Close();
  }
}

TEST_F(SafeSaveTest, StartupOffersTheCopyOfARecentLibraryThatIsGone) {
  const std::string path = LibraryPath();
  MakeLibraryWith(EarlierAsidePath(path), "Saved");
  doc_->Recent().Add(path);
  rig_.prompt.messageAnswers.push_back(IDYES);
  ASSERT_TRUE(doc_->ChooseStartupLibrary(""));
  EXPECT_EQ(rig_.prompt.welcomeShown, 0);
  EXPECT_EQ(doc_->Path(), path);
  EXPECT_TRUE(OpenHasItem(*doc_, "Saved"));
}

TEST_F(SafeSaveTest, TheFirstOpenForWritingOfASessionKeepsABackupAndTheLastThreeAreKept) {
  const std::string path = LibraryPath();
  MakeLibraryWith(path, "First");
  std::vector<std::string> made;
  for (int session = 0; session < 5; ++session) {
    auto doc = MakeDocument(true);
    const std::string before = ReadAll(path);
    ASSERT_TRUE(doc->OpenLibrary(path));
    ASSERT_FALSE(doc->LastBackup().empty()) << "session " << session;
    EXPECT_EQ(ReadAll(doc->LastBackup()), before) << "the backup holds the library as the session found it";
    EXPECT_NE(GetFileAttributesA(doc->LastBackup().c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    made.push_back(doc->LastBackup());
    // Within the session, a repack and a save make no second backup.
    const size_t backups = doc->Backups().List(path).size();
    AddItem(*doc, ("Session " + std::to_string(session)).c_str());
    ASSERT_TRUE(doc->Repack());
    ASSERT_TRUE(doc->Save());
    EXPECT_EQ(doc->Backups().List(path).size(), backups);
    doc->Close();
  }
  std::vector<BackupFile> kept = doc_->Backups().List(path);
  ASSERT_EQ(kept.size(), 3u);
  EXPECT_EQ(kept[0].path, made[4]);
  EXPECT_EQ(kept[2].path, made[2]);
  EXPECT_EQ(doc_->Backups().FolderFor(path), rig_.dir.Path() + "\\Backups");

  // A library opened again unchanged is not copied again.
  auto again = MakeDocument(true);
  ASSERT_TRUE(again->OpenLibrary(path));
  again->Close();
  auto unchanged = MakeDocument(true);
  ASSERT_TRUE(unchanged->OpenLibrary(path));
  EXPECT_TRUE(unchanged->LastBackup().empty());
}

TEST_F(SafeSaveTest, ANewLibraryInThePlaceOfAnOldOneKeepsTheOldOneAmongItsBackups) {
  const std::string path = LibraryPath();
  MakeLibraryWith(path, "Old work");
  auto doc = MakeDocument(true);
  ASSERT_TRUE(doc->CreateLibrary(path));
  ASSERT_FALSE(doc->LastBackup().empty());
  EXPECT_TRUE(FileHasItem(doc->LastBackup(), Catalog(), "Old work"));
  doc->Close();
  EXPECT_FALSE(FileHasItem(path, Catalog(), "Old work"));
}

TEST_F(SafeSaveTest, TheBackupSettingsAreReadFromTheProgramsKey) {
  struct Case {
    const char* name;
    std::optional<DWORD> enabled, keep;
    std::optional<std::string> folder;
    bool expectEnabled;
    unsigned expectKeep;
  } cases[] = {
      {"nothing stored", {}, {}, {}, true, 3},
      {"turned off", 0u, {}, {}, false, 3},
      {"keep five in a folder", 1u, 5u, std::string("C:\\Kept"), true, 5},
      {"a count out of range", {}, 0u, {}, true, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    vtest::TempRegistryKey key;
    RegistryKey backups;
    ASSERT_EQ(backups.Create(HKEY_CURRENT_USER, (key.Path() + "\\Backups").c_str(), KEY_ALL_ACCESS), ERROR_SUCCESS);
    if (c.enabled) backups.WriteDword("Enabled", *c.enabled);
    if (c.keep) backups.WriteDword("Keep", *c.keep);
    if (c.folder) backups.WriteString("Folder", *c.folder);
    BackupPolicy policy = ReadBackupPolicy(HKEY_CURRENT_USER, key.Path());
    EXPECT_EQ(policy.enabled, c.expectEnabled);
    EXPECT_EQ(policy.keep, c.expectKeep);
    EXPECT_EQ(policy.folder, c.folder.value_or(""));
  }
  // Turned off through the key, the document keeps no backup.
  RegistryKey backups;
  ASSERT_EQ(backups.Create(HKEY_CURRENT_USER, (rig_.key.Path() + "\\Backups").c_str(), KEY_ALL_ACCESS), ERROR_SUCCESS);
  backups.WriteDword("Enabled", 0);
  LibraryDocument doc(rig_.host, rig_.prompt, rig_.texts, rig_.log, [&] {
    DocumentSetup setup = rig_.Setup();
    setup.backups.reset();
    return setup;
  }());
  MakeLibraryWith(LibraryPath(), "Item");
  ASSERT_TRUE(doc.OpenLibrary(LibraryPath()));
  EXPECT_TRUE(doc.LastBackup().empty());
  EXPECT_FALSE(vtest::FileExists(rig_.dir.File("Backups")));
}

TEST_F(SafeSaveTest, ADamagedLibraryIsOfferedItsNewestSoundBackupWhichStaysUntouched) {
  for (Harm harm : {Harm::kHeaderWiped, Harm::kCutInHalf}) {
    SCOPED_TRACE(harm == Harm::kHeaderWiped ? "header wiped" : "cut in half");
    vtest::DocumentRig rig;
    DocumentSetup setup = rig.Setup();
    setup.backups = BackupPolicy{};
    const std::string path = rig.dir.File("lib.vlx");
    MakeLibraryWith(path, "Backed up");
    std::string backup;
    {
      LibraryDocument doc(rig.host, rig.prompt, rig.texts, rig.log, setup);
      ASSERT_TRUE(doc.OpenLibrary(path));
      backup = doc.LastBackup();
      AddItem(doc, "Lost with the damage");
      doc.Save();
      doc.Close();
    }
    ASSERT_FALSE(backup.empty());
    // A newer backup that is itself damaged is passed over.
    const std::string bytes = ReadAll(backup);
    const std::string broken = rig.dir.File("Backups\\lib 29991231-235959-999.vlx");
    WriteAll(broken, bytes.substr(0, bytes.size() / 2));
    Damage(path, harm);
    LibraryDocument doc(rig.host, rig.prompt, rig.texts, rig.log, setup);
    rig.prompt.messageAnswers.push_back(IDYES);
    ASSERT_TRUE(doc.OpenLibrary(path));
    EXPECT_FALSE(doc.ReadOnly());
    EXPECT_TRUE(OpenHasItem(doc, "Backed up"));
    EXPECT_FALSE(OpenHasItem(doc, "Lost with the damage"));
    EXPECT_EQ(ReadAll(backup), bytes) << "the backup is copied, never opened";
    EXPECT_TRUE(vtest::FileExists(path + ".damaged"));
    EXPECT_FALSE(vtest::FileExists(path + ".restoring"));
    doc.Close();
  }
}

// A save killed while it committed a folder leaves copies of the folder's
// elements outside every storage; elements cut off from their storage are lost
// from view. Only the second is damage.
TEST_F(SafeSaveTest, EntriesOutsideEveryStorageAreDamageOnlyWhenTheyAreNoCopies) {
  struct Case {
    const char* name;
    const char* cutOff;  // the element under "Aside" whose link is cut
    bool sound;
  } cases[] = {
      {"a copy of an element held elsewhere", "Branch", true},
      {"an element held nowhere else", "Lost", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = rig_.dir.File(std::string("cut-") + c.cutOff + ".vlx");
    {
      StorageHandle root, tree, branch, aside, cut;
      ASSERT_HRESULT_SUCCEEDED(root.CreateRoot(path.c_str(), kReplaceMode));
      ASSERT_HRESULT_SUCCEEDED(root.CreateStorage("Tree", kWriteMode, tree));
      ASSERT_HRESULT_SUCCEEDED(tree.CreateStorage("Branch", kWriteMode, branch));
      ASSERT_HRESULT_SUCCEEDED(branch.CreateEmptyStream("Note"));
      ASSERT_HRESULT_SUCCEEDED(root.CreateStorage("Aside", kWriteMode, aside));
      ASSERT_HRESULT_SUCCEEDED(aside.CreateStorage(c.cutOff, kWriteMode, cut));
      ASSERT_HRESULT_SUCCEEDED(cut.CreateEmptyStream("Note"));
      ASSERT_HRESULT_SUCCEEDED(cut.CreateEmptyStream("Newer"));
    }
    vtest::DamagedFile file = vtest::DamagedFile::FromFile(path);
    file.SetChild(file.EntryIndex("Aside"), 0xFFFFFFFFu);
    ASSERT_TRUE(file.Write(path));
    CompoundFileReport report = CheckCompoundFile(path.c_str());
    EXPECT_EQ(report.Sound(), c.sound) << report.Summary();
    EXPECT_EQ(report.abandonedEntries, c.sound ? 3u : 0u);
    if (!c.sound) {
      EXPECT_NE(report.Summary().find("3 directory entries in use belong to no storage"), std::string::npos);
    }
  }
}

// Edits inside the current folder reach the file through its transaction; a
// library saved that way again and again opens sound, writable, every time.
TEST_F(SafeSaveTest, ALibrarySavedAgainAndAgainStaysSound) {
  const std::string path = LibraryPath();
  const std::string tree = rig_.texts.TextOr(kTextFirstTreeFolder, "");
  MakeLibraryWith(path, "Item");
  for (int session = 0; session < 4; ++session) {
    SCOPED_TRACE(session);
    auto doc = MakeDocument();
    ASSERT_TRUE(doc->OpenLibrary(path));
    ASSERT_FALSE(doc->ReadOnly());
    ASSERT_HRESULT_SUCCEEDED(doc->SelectCurrentFolder(tree));
    NodeInfoRecord record;
    record.kind = kItemText;
    StorageHandle node;
    ASSERT_HRESULT_SUCCEEDED(CreateFolderNode(doc->CurrentFolder(), ("Node " + std::to_string(session)).c_str(),
                                              record, node));
    const std::string text(300, 'a');
    for (int leaf = 0; leaf < 5; ++leaf)
      ASSERT_HRESULT_SUCCEEDED(CreateLeafNode(node, ("Leaf " + std::to_string(leaf)).c_str(), record, text.data(),
                                              static_cast<ULONG>(text.size())));
    node.Release();
    if (session > 0) {
      // An earlier session's leaves grow.
      StorageHandle earlier = doc->CurrentFolder().OpenStorageFor(("Node " + std::to_string(session - 1)).c_str(), false);
      StreamHandle leaf = earlier.OpenStreamFor("Leaf 0", false);
      ASSERT_TRUE(leaf);
      leaf.Seek(0, STREAM_SEEK_END);
      ASSERT_HRESULT_SUCCEEDED(leaf.WriteBytes(text.data(), static_cast<ULONG>(text.size())));
    }
    doc->SetModified();
    doc->Save();
    doc->Close();
    CompoundFileReport report = CheckCompoundFile(path.c_str());
    EXPECT_TRUE(report.Sound()) << report.Summary();
    EXPECT_EQ(report.abandonedEntries, 0u) << "a save that ran to its end leaves nothing outside the storages";
  }
}

// A kill in the middle of a save once left the small-stream area's chain
// broken; the platform then fails to open the file at all, and the check must
// say so rather than offer a read-only open.
TEST_F(SafeSaveTest, ABrokenSmallStreamChainIsJudgedAsThePlatformReadsIt) {
  const std::string path = LibraryPath();
  MakeLibraryWith(path, "Item");
  vtest::DamagedFile file = vtest::DamagedFile::FromFile(path);
  std::vector<uint32_t> chain = file.MiniStreamChain();
  ASSERT_FALSE(chain.empty());
  file.SetFat(chain[0], 0xFFFFFFFFu);  // the chain ends in a free sector
  ASSERT_TRUE(file.Write(path));
  CompoundFileReport report = CheckCompoundFile(path.c_str());
  EXPECT_NE(report.Summary().find("small-stream area has a broken chain"), std::string::npos) << report.Summary();
  EXPECT_FALSE(report.PlatformMayRead());
  StorageHandle root;
  EXPECT_HRESULT_FAILED(root.OpenRoot(path.c_str(), kReadMode)) << "the platform refuses it too";
}

}  // namespace
