// Damaged libraries through the document's open, show, save and close paths,
// and the salvage of what can be read: no crash, no hang, not a byte written.
#include <gtest/gtest.h>
#include <olectl.h>

#include <set>

#include "store/CompoundFileCheck.h"
#include "store/LibraryDocument.h"
#include "store/LibrarySalvage.h"
#include "tests/store/DamageKit.h"
#include "tests/store/DocumentFixtures.h"

using namespace vellora;

namespace {

class DamagedLibraryTest : public ::testing::Test {
 protected:
  DamagedLibraryTest() : doc_(rig_.host, rig_.prompt, rig_.texts, rig_.log, rig_.Setup()) {}
  void SetUp() override {
    sample_ = rig_.dir.File("sample.vlx");
    ASSERT_TRUE(vtest::WriteDamageSample(sample_));
  }
  std::string Damaged(const vtest::Damage& damage) {
    vtest::DamagedFile file = vtest::DamagedFile::FromFile(sample_);
    damage.apply(file);
    std::string path = rig_.dir.File(std::string(damage.name) + ".vlx");
    EXPECT_TRUE(file.Write(path));
    return path;
  }
  // The sample with the classic damage of that name.
  std::string Damaged(const std::string& name) {
    for (const vtest::Damage& d : vtest::ClassicDamages())
      if (name == d.name) return Damaged(d);
    ADD_FAILURE() << "no damage " << name;
    return {};
  }
  static std::string StreamBytes(const std::string& library, const std::vector<std::string>& path) {
    StorageHandle root;
    if (FAILED(root.OpenRoot(library.c_str(), kReadMode))) return "<no library>";
    std::vector<StorageHandle> way;
    const StorageHandle* at = &root;
    for (size_t i = 0; i + 1 < path.size(); ++i) {
      way.push_back(at->OpenStorageFor(path[i].c_str(), true));
      at = &way.back();
      if (!*at) return "<no storage>";
    }
    StreamHandle stream = at->OpenStreamFor(path.back().c_str(), true);
    if (!stream) return "<no stream>";
    std::string bytes(static_cast<size_t>(stream.Size()), '\0');
    ULONG got = 0;
    stream.ReadBytes(bytes.data(), static_cast<ULONG>(bytes.size()), &got);
    return bytes;
  }
  bool Showed(const char* piece) const {
    for (const vtest::ShownMessage& m : rig_.prompt.shown)
      if (m.text.find(piece) != std::string::npos) return true;
    return false;
  }

  vtest::DocumentRig rig_;
  LibraryDocument doc_;
  std::string sample_;
};

TEST_F(DamagedLibraryTest, OpenShowAndCloseNeverWriteADamagedFile) {
  for (const vtest::Damage& damage : vtest::ClassicDamages()) {
    SCOPED_TRACE(damage.name);
    std::string path = Damaged(damage);
    std::string before = vtest::ReadWholeFile(path);
    CompoundFileReport report = CheckCompoundFile(path.c_str());
    rig_.prompt.messageAnswers = {IDNO};  // no salvage when the file is refused
    rig_.prompt.files = {path};
    doc_.AskAndOpenLibrary();  // the Open command, the damaged file chosen
    ASSERT_TRUE(doc_.IsOpen());
    if (report.PlatformMayRead()) {
      EXPECT_TRUE(doc_.ReadOnly());
      EXPECT_EQ(doc_.Path(), path);
      EXPECT_FALSE(rig_.host.folders.empty());
      for (const std::string& folder : rig_.host.folders) doc_.SelectCurrentFolder(folder);
      doc_.WriteSettingsSlot(3, Variant::FromInt(5));
      doc_.Save();
      EXPECT_FALSE(doc_.Repack());
      EXPECT_TRUE(doc_.AskBeforeGivingUp());
      doc_.Close();
    } else {
      EXPECT_TRUE(doc_.IsScratch());  // refused; the scratch library stands in
      EXPECT_TRUE(rig_.prompt.messageAnswers.empty());
    }
    EXPECT_EQ(vtest::ReadWholeFile(path), before) << "the damaged file was written";
    rig_.prompt.messageAnswers.clear();
  }
}

TEST_F(DamagedLibraryTest, ADamagedFileGetsItsOwnMessageNeverTheOneForAMissingFile) {
  struct Case {
    const char* damage;
    const char* says;
  };
  const Case cases[] = {{"SiblingPointsAtItself", "cannot be opened safely"},
                        {"FolderNodeContainsItself", "opened read-only"},
                        {"MiniStreamRunsIntoTheDirectory", "small-stream area runs into the directory"},
                        {"NotACompoundFile", "not a library"}};
  std::string missing = rig_.texts.TextOr(kTextOpenFailed, "could not be opened");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.damage);
    std::string path = Damaged(c.damage);
    rig_.prompt.shown.clear();
    rig_.prompt.messageAnswers = {IDNO};
    rig_.prompt.files = {path};
    doc_.AskAndOpenLibrary();  // the Open command with the damaged file chosen
    EXPECT_TRUE(Showed(c.says));
    EXPECT_FALSE(Showed(missing.c_str()));
    for (const vtest::ShownMessage& m : rig_.prompt.shown) EXPECT_EQ(m.caption, "Damaged Library");
    EXPECT_TRUE(doc_.IsOpen());
    rig_.prompt.messageAnswers.clear();
  }
}

TEST_F(DamagedLibraryTest, AtStartUpTheWelcomeSaysADamagedLibraryIsDamagedNotMissing) {
  struct Case {
    std::string path;
    bool damaged;
  };
  const Case cases[] = {{Damaged("DirectoryChainRunsInACircle"), true}, {rig_.dir.File("gone.vlx"), false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    LibraryDocument doc(rig_.host, rig_.prompt, rig_.texts, rig_.log, rig_.Setup());
    rig_.prompt.shown.clear();
    rig_.prompt.welcomeReasons.clear();
    rig_.prompt.messageAnswers = {IDNO};  // no salvage
    rig_.prompt.welcomeAnswers = {kWelcomeExit};
    EXPECT_FALSE(doc.ChooseStartupLibrary(c.path));
    EXPECT_EQ(rig_.prompt.welcomeShown > 0, true);
    EXPECT_EQ(rig_.prompt.welcomeReasons.size(), c.damaged ? 1u : 0u);
    EXPECT_EQ(Showed("cannot be opened safely"), c.damaged);
    rig_.prompt.messageAnswers.clear();
  }
}

TEST_F(DamagedLibraryTest, SalvageSavesEverySoundElementIntoASoundLibrary) {
  const std::vector<std::string> note = {vtest::kDamageTree, vtest::kDamageBranch, vtest::kDamageNote};
  const std::vector<std::string> larger = {vtest::kDamageTree, vtest::kDamageLarger};
  const std::vector<std::string> bookmarks = {kSettingsStorage, kBookmarkStream};
  std::string noteBytes = StreamBytes(sample_, note);
  std::string largerBytes = StreamBytes(sample_, larger);
  std::string bookmarkBytes = StreamBytes(sample_, bookmarks);
  ASSERT_GT(largerBytes.size(), 4096u);
  // The elements each damage leaves readable.
  // (out of order: the note's and the big leaf's names were swapped)
  const std::set<std::string> noteLost = {"FolderNodeContainsItself", "MiniStreamRunsIntoTheDirectory",
                                          "MiniStreamCutShort", "TruncatedFile", "SiblingsOutOfOrder"};
  const std::set<std::string> nothingSaved = {"BadSectorSize", "AllocationTableListPointsOutsideTheFile",
                                              "NotACompoundFile"};
  for (const vtest::Damage& damage : vtest::ClassicDamages()) {
    SCOPED_TRACE(damage.name);
    std::string path = Damaged(damage);
    std::string target = rig_.dir.File(std::string("saved-") + damage.name + ".vlx");
    SalvageResult saved = SalvageLibrary(path, target);
    if (nothingSaved.count(damage.name)) {
      EXPECT_TRUE(FAILED(saved.result));
      EXPECT_FALSE(vtest::FileExists(target));
      continue;
    }
    ASSERT_HRESULT_SUCCEEDED(saved.result);
    CompoundFileReport check = CheckCompoundFile(target.c_str());
    EXPECT_TRUE(check.Sound()) << check.Summary();
    EXPECT_GT(saved.streams, 0u);
    if (!noteLost.count(damage.name)) {
      EXPECT_EQ(StreamBytes(target, note), noteBytes);
      EXPECT_EQ(StreamBytes(target, bookmarks), bookmarkBytes);
    }
    if (std::string(damage.name) != "StreamsCrossEachOther" && std::string(damage.name) != "TruncatedFile") {
      EXPECT_EQ(StreamBytes(target, larger), largerBytes);
    }
    EXPECT_FALSE(saved.Summary().empty());
  }
}

TEST_F(DamagedLibraryTest, RefusedFileIsSalvagedAndTheCopyOpensWritable) {
  std::string path = Damaged("SiblingPointsAtItself");
  std::string target = rig_.dir.File("rescued.vlx");
  rig_.prompt.messageAnswers = {IDYES};
  rig_.prompt.files = {path, target};
  doc_.AskAndOpenLibrary();
  ASSERT_TRUE(doc_.IsOpen());
  EXPECT_EQ(doc_.Path(), target);
  EXPECT_FALSE(doc_.ReadOnly());
  EXPECT_TRUE(Showed("saved into the new library"));
  // The salvaged library keeps the folders and the place the user left.
  EXPECT_EQ(rig_.host.folders, (std::vector<std::string>{vtest::kDamageTree, vtest::kDamageCatalog}));
  ASSERT_FALSE(rig_.host.visited.empty());
  EXPECT_EQ(rig_.host.visited.back(), vtest::kDamageLocation);
}

TEST_F(DamagedLibraryTest, SaveCopyOfAReadOnlyLibrarySalvagesInsteadOfCopyingTheDamage) {
  std::string path = Damaged("FolderNodeContainsItself");
  std::string before = vtest::ReadWholeFile(path);
  ASSERT_TRUE(doc_.OpenLibrary(path));
  ASSERT_TRUE(doc_.ReadOnly());
  std::string target = rig_.dir.File("copy.vlx");
  rig_.prompt.files = {target};
  EXPECT_TRUE(doc_.SaveCopy());
  EXPECT_EQ(doc_.Path(), target);
  EXPECT_FALSE(doc_.ReadOnly());
  doc_.Close();
  EXPECT_TRUE(CheckCompoundFile(target.c_str()).Sound()) << CheckCompoundFile(target.c_str()).Summary();
  EXPECT_EQ(vtest::ReadWholeFile(path), before);
}

TEST_F(DamagedLibraryTest, SettingsSlotsReadOnlyStringsAndIntegersAndNeverInstantiateAnObject) {
  ComPtr<IUnknown> font;
  FONTDESC desc = {sizeof(FONTDESC), const_cast<LPOLESTR>(L"Tahoma"), {140000, 0}, FW_BOLD, ANSI_CHARSET,
                   FALSE, FALSE, FALSE};
  ASSERT_HRESULT_SUCCEEDED(OleCreateFontIndirect(&desc, IID_IUnknown, font.PutVoid()));
  struct Case {
    const char* name;
    std::vector<VARTYPE> slots;         // what is written (VT_UNKNOWN: the font object)
    std::vector<VARTYPE> readBack;      // VT_EMPTY: the slot reads as nothing
  };
  const Case cases[] = {
      {"object after a string", {VT_BSTR, VT_UNKNOWN, VT_BSTR}, {VT_BSTR, VT_EMPTY, VT_EMPTY}},
      {"object first", {VT_UNKNOWN, VT_I4}, {VT_EMPTY, VT_EMPTY}},
      {"a double between", {VT_BSTR, VT_R8, VT_I4}, {VT_BSTR, VT_BSTR, VT_I4}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string path = rig_.dir.File(std::string(c.name) + ".vlx");
    StorageHandle root;
    ASSERT_HRESULT_SUCCEEDED(root.CreateRoot(path.c_str(), kWriteMode));
    ASSERT_HRESULT_SUCCEEDED(LayDownSettings(root));
    {
      SettingsStream opened;
      ASSERT_HRESULT_SUCCEEDED(OpenSettingsStream(root, kInterfaceSettingStream, opened));
      for (VARTYPE type : c.slots) {
        VARIANT v;
        VariantInit(&v);
        v.vt = type;
        if (type == VT_UNKNOWN) v.punkVal = font.Get();
        if (type == VT_I4) v.lVal = 77;
        if (type == VT_R8) v.dblVal = 1.5;
        Variant text = Variant::FromString("text");
        ASSERT_HRESULT_SUCCEEDED(opened.stream.WriteVariant(type == VT_BSTR ? text.Raw() : v));
      }
    }
    for (size_t slot = 0; slot < c.readBack.size(); ++slot) {
      Variant v = ReadSettingsSlot(root, static_cast<int>(slot));
      EXPECT_EQ(v.Type(), c.readBack[slot]) << "slot " << slot;
      if (v.Type() == VT_I4) {
        EXPECT_EQ(v.AsInt(), 77);
      }
    }
  }
}

}  // namespace
