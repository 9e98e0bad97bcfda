// Renames through the store leave directory entries that any reader of the
// file takes at their word: the name, its length field, the element's class
// id, state bits and bytes. The entries are read back from the file's bytes.
#include <gtest/gtest.h>

#include "store/CompoundFileCheck.h"
#include "store/LibraryDocument.h"
#include "store/StorageHandle.h"
#include "tests/TestSupport.h"
#include "tests/store/DamageKit.h"
#include "tests/store/DocumentFixtures.h"

using namespace vellora;

namespace {

constexpr char kPayload[] = "the element's own bytes";
constexpr DWORD kStateBits = 0x00050003;

bool UnderWine() { return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr; }

// The name length field of the entry called name, read from the file's bytes
// by the damage kit's own parse; -1 when no entry has that name with a right length.
int NameLengthOf(const std::string& path, const std::string& name) {
  vtest::DamagedFile file = vtest::DamagedFile::FromFile(path);
  uint32_t index = file.EntryIndex(name);
  return index == 0xFFFFFFFFu ? -1 : file.NameLengthField(index);
}

int RightLength(const std::string& name) { return static_cast<int>((name.size() + 1) * 2); }

TEST(PlatformRename, TheProbeTellsWhatTheNativeRenameWritesHere) {
  // The native rename on a file, its entry read back: under Wine it keeps the old name's length.
  vtest::TempDir dir;
  std::string path = dir.File("native.vlx");
  {
    StorageHandle root;
    ASSERT_HRESULT_SUCCEEDED(root.CreateRoot(path.c_str(), kWriteMode));
    ASSERT_HRESULT_SUCCEEDED(root.CreateEmptyStream("Inbox"));
    ASSERT_HRESULT_SUCCEEDED(root->RenameElement(L"Inbox", L"MailboxLonger"));
  }
  vtest::DamagedFile file = vtest::DamagedFile::FromFile(path);
  bool nativeIsRight = file.EntryIndex("MailboxLonger") != 0xFFFFFFFFu;
  EXPECT_EQ(PlatformRenameIsSound(), nativeIsRight);
  EXPECT_EQ(PlatformRenameIsSound(), !UnderWine());
}

class RenameTest : public ::testing::Test {
 protected:
  void SetUp() override { path_ = dir_.File("renames.vlx"); }

  // In "Folder": a stream, or a storage with a class id, state bits and a stream.
  static void MakeElement(const StorageHandle& folder, const char* name, bool storage) {
    if (!storage) {
      StreamHandle stream;
      ASSERT_HRESULT_SUCCEEDED(folder.CreateStream(name, kWriteMode, stream));
      ASSERT_HRESULT_SUCCEEDED(stream.WriteBytes(kPayload, sizeof kPayload));
      return;
    }
    StorageHandle made;
    ASSERT_HRESULT_SUCCEEDED(folder.CreateStorage(name, kWriteMode, made));
    ASSERT_HRESULT_SUCCEEDED(made.WriteClass(FolderClassId(kFolderCatalog, 9)));
    ASSERT_HRESULT_SUCCEEDED(made->SetStateBits(kStateBits, 0xFFFFFFFFu));
    StreamHandle inner;
    ASSERT_HRESULT_SUCCEEDED(made.CreateStream("Inner", kWriteMode, inner));
    ASSERT_HRESULT_SUCCEEDED(inner.WriteBytes(kPayload, sizeof kPayload));
  }
  static std::string StreamText(const StorageHandle& at, const char* name) {
    StreamHandle stream = at.OpenStreamFor(name, true);
    std::string bytes(static_cast<size_t>(stream.Size()), '\0');
    ULONG got = 0;
    stream.ReadBytes(bytes.data(), static_cast<ULONG>(bytes.size()), &got);
    return bytes;
  }
  // The renamed element in the closed file: its bytes, class id and state bits.
  void ExpectElement(const char* name, bool storage) {
    StorageHandle root, folder;
    ASSERT_HRESULT_SUCCEEDED(root.OpenRoot(path_.c_str(), kReadMode));
    ASSERT_HRESULT_SUCCEEDED(root.OpenStorage("Folder", kReadMode, folder));
    const std::string payload(kPayload, sizeof kPayload);
    if (!storage) {
      EXPECT_EQ(StreamText(folder, name), payload);
      return;
    }
    StorageHandle renamed = folder.OpenStorageFor(name, true);
    ASSERT_FALSE(renamed.Empty());
    // State bits as the platform keeps them for a storage never renamed (Wine keeps none).
    STATSTG stat = {}, control = {};
    ASSERT_HRESULT_SUCCEEDED(renamed->Stat(&stat, STATFLAG_NONAME));
    ASSERT_HRESULT_SUCCEEDED(folder.OpenStorageFor("Control", true)->Stat(&control, STATFLAG_NONAME));
    EXPECT_EQ(stat.clsid, FolderClassId(kFolderCatalog, 9));
    EXPECT_EQ(stat.grfStateBits, control.grfStateBits);
    EXPECT_EQ(StreamText(renamed, "Inner"), payload);
  }

  vtest::TempDir dir_;
  std::string path_;
};

TEST_F(RenameTest, EveryRenameLeavesTheNewNameWithItsOwnLength) {
  struct Case {
    const char* name;
    bool storage;
    bool transacted;  // renamed inside a transacted storage, then committed
    const char* from;
    const char* to;
  };
  const Case cases[] = {
      {"stream to a shorter name", false, false, "Inbox", "Mail"},
      {"stream to a longer name", false, false, "Inbox", "MailboxLonger"},
      {"storage to a longer name", true, false, "Inbox", "MailboxLonger"},
      {"storage to a shorter name", true, false, "Favorite Folder", "Mail"},
      {"stream in a transacted folder", false, true, "Inbox", "Mail"},
      {"storage in a transacted folder", true, true, "Inbox", "A name of thirty-one characters"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DeleteFileA(path_.c_str());
    {
      StorageHandle root, folder;
      ASSERT_HRESULT_SUCCEEDED(root.CreateRoot(path_.c_str(), kWriteMode));
      ASSERT_HRESULT_SUCCEEDED(root.CreateStorage("Folder", kWriteMode, folder));
      MakeElement(folder, "Control", true);
      MakeElement(folder, "Before", false);
      MakeElement(folder, c.from, c.storage);
      MakeElement(folder, "~After", false);
      if (c.transacted) {
        folder.Release();
        ASSERT_HRESULT_SUCCEEDED(root.OpenStorage("Folder", kTransactedMode, folder));
      }
      ASSERT_HRESULT_SUCCEEDED(folder.RenameElement(c.from, c.to));
      EXPECT_EQ(folder.FindElement(c.from), ElementType::None);
      if (c.transacted) {
        ASSERT_HRESULT_SUCCEEDED(folder.Commit());
      }
    }
    EXPECT_EQ(NameLengthOf(path_, c.to), RightLength(c.to));
    EXPECT_EQ(NameLengthOf(path_, c.from), -1);
    CompoundFileReport report = CheckCompoundFile(path_.c_str());
    EXPECT_TRUE(report.Sound()) << report.Summary();
    ExpectElement(c.to, c.storage);
  }
}

TEST_F(RenameTest, ARefusedRenameLeavesBothElementsAsTheyWere) {
  StorageHandle root, folder;
  ASSERT_HRESULT_SUCCEEDED(root.CreateRoot(path_.c_str(), kWriteMode));
  ASSERT_HRESULT_SUCCEEDED(root.CreateStorage("Folder", kWriteMode, folder));
  MakeElement(folder, "Control", true);
  MakeElement(folder, "Inbox", true);
  MakeElement(folder, "Mail", false);
  // The new name taken (in any letter case), the element open, the element missing.
  EXPECT_EQ(folder.RenameElement("Inbox", "mail"), STG_E_FILEALREADYEXISTS);
  {
    StorageHandle open = folder.OpenStorageFor("Inbox", false);
    ASSERT_FALSE(open.Empty());
    EXPECT_EQ(folder.RenameElement("Inbox", "Elsewhere"), STG_E_ACCESSDENIED);
  }
  EXPECT_EQ(folder.RenameElement("Nothing", "Something"), STG_E_FILENOTFOUND);
  int elements = 0;
  folder.ForEachElement([&](const STATSTG&, const std::string&) { return ++elements, true; });
  EXPECT_EQ(elements, 3);
  EXPECT_EQ(folder.FindElement("Elsewhere"), ElementType::None);
  folder.Release();
  root.Release();
  ExpectElement("Inbox", true);
  ExpectElement("Mail", false);
  EXPECT_TRUE(CheckCompoundFile(path_.c_str()).Sound());
}

TEST(DocumentRename, ARenamedFolderIsSavedWithItsOwnNameLength) {
  vtest::DocumentRig rig;
  std::string path = rig.dir.File("folders.vlx");
  std::string tree = rig.texts.TextOr(kTextFirstTreeFolder, "?");
  {
    LibraryDocument doc(rig.host, rig.prompt, rig.texts, rig.log, rig.Setup());
    ASSERT_TRUE(doc.CreateLibrary(path));
    ASSERT_HRESULT_SUCCEEDED(doc.SelectCurrentFolder(tree));  // the current folder is let go and taken again
    ASSERT_TRUE(doc.RenameFolder(tree, "Mail"));
    EXPECT_EQ(doc.CurrentFolderName(), "Mail");
    ASSERT_TRUE(doc.RenameFolder(rig.texts.TextOr(kTextFirstCatalogFolder, "?"), "A folder with a longer name"));
    doc.Save();
    doc.Close();
  }
  EXPECT_EQ(NameLengthOf(path, "Mail"), RightLength("Mail"));
  EXPECT_EQ(NameLengthOf(path, "A folder with a longer name"), RightLength("A folder with a longer name"));
  CompoundFileReport report = CheckCompoundFile(path.c_str());
  EXPECT_TRUE(report.Sound()) << report.Summary();
  StorageHandle root;
  ASSERT_HRESULT_SUCCEEDED(root.OpenRoot(path.c_str(), kReadMode));
  CLSID clsid;
  ASSERT_HRESULT_SUCCEEDED(root.OpenStorageFor("Mail", true).ReadClass(clsid));
  EXPECT_EQ(clsid, FolderClassId(kFolderTree, 1));
}

}  // namespace
