// The structural check of a library file over libraries the store wrote and
// then damaged byte by byte.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "store/CompoundFileCheck.h"
#include "tests/TestSupport.h"
#include "tests/store/DamageKit.h"

using namespace vellora;

namespace {

class CompoundFileCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sample_ = dir_.File("sample.vlx");
    ASSERT_TRUE(vtest::WriteDamageSample(sample_));
  }
  CompoundFileReport CheckDamaged(const vtest::Damage& damage) {
    vtest::DamagedFile file = vtest::DamagedFile::FromFile(sample_);
    damage.apply(file);
    std::string path = dir_.File(std::string(damage.name) + ".vlx");
    EXPECT_TRUE(file.Write(path));
    return CheckCompoundFile(path.c_str());
  }
  vtest::TempDir dir_;
  std::string sample_;
};

TEST_F(CompoundFileCheckTest, LibraryTheStoreWroteIsSound) {
  CompoundFileReport report = CheckCompoundFile(sample_.c_str());
  EXPECT_TRUE(report.Sound()) << report.Summary();
  EXPECT_EQ(report.sectorSize, 512u);
  // Tree, Branch, Catalog, Item, the settings storage.
  EXPECT_EQ(report.storages, 5u);
  EXPECT_GE(report.streams, 10u);
}

TEST_F(CompoundFileCheckTest, EachDamageIsFoundAndJudged) {
  struct Expectation {
    Damage worst;
    const char* says;  // a piece of the finding that names the fault
  };
  const std::map<std::string, Expectation> expected = {
      {"SiblingPointsAtItself", {Damage::kUnreadable, "runs in a circle"}},
      {"FolderNodeContainsItself", {Damage::kReadOnly, "\"Tree\\Branch\" contains itself"}},
      {"MiniStreamRunsIntoTheDirectory", {Damage::kReadOnly, "small-stream area runs into the directory"}},
      {"BadSectorSize", {Damage::kUnreadable, "sector size"}},
      {"AllocationTableListPointsOutsideTheFile", {Damage::kUnreadable, "points outside the file"}},
      {"StartSectorPastTheEnd", {Damage::kReadOnly, "\"Tree\\Branch\\Big\" lies partly past the end"}},
      {"StreamLargerThanItsChain", {Damage::kReadOnly, "\"Tree\\Branch\\Big\" is larger than its chain"}},
      {"MiniStreamCutShort", {Damage::kReadOnly, "small-stream area is larger than its chain"}},
      {"StreamChainRunsInACircle", {Damage::kUnreadable, "\"Tree\\Branch\\Big\"'s chain of sectors runs in a circle"}},
      {"DirectoryChainRunsInACircle", {Damage::kUnreadable, "directory's chain of sectors runs in a circle"}},
      {"StreamsCrossEachOther", {Damage::kReadOnly, "runs into the data of"}},
      {"TruncatedFile", {Damage::kUnreadable, "directory lies partly past the end of the file"}},
      {"NotACompoundFile", {Damage::kUnreadable, "not a library"}},
      {"NameLengthTooLong", {Damage::kReadOnly, "1 directory entry gives a wrong length for the name"}},
      {"NameLengthTooShort", {Damage::kReadOnly, "wrong length for the name beside it, as renames"}},
      {"NameLengthZero", {Damage::kReadOnly, "(\"Tree\\Branch\\Note\")"}},
      {"SiblingsOutOfOrder", {Damage::kReadOnly, "under \"Tree\\Branch\" are out of order"}},
      {"SiblingPointsPastTheEnd", {Damage::kUnreadable, "past its end, where look-ups never end"}},
      {"CycleThroughAnUnusedEntry", {Damage::kUnreadable, "tree under \"Tree\\Branch\" runs in a circle"}},
      {"CycleThroughTheRootEntry", {Damage::kUnreadable, "runs in a circle"}},
      {"CycleThroughTwoStorages", {Damage::kUnreadable, "runs in a circle"}},
      {"EntryListedByTwoStorages", {Damage::kReadOnly, "\"Tree\\Top\" is listed in two places"}},
      {"EntriesOfNoStorage", {Damage::kReadOnly, "3 directory entries in use belong to no storage"}},
      {"DifatStartsInTheFileWithACountOfOne", {Damage::kReadOnly, "counts 1 sectors for the list"}},
      {"AllocationTableSectorMarkedFree", {Damage::kReadOnly, "does not mark its own sectors"}},
  };
  const std::set<std::string> repairable = {"NameLengthTooLong", "NameLengthTooShort", "NameLengthZero"};
  ASSERT_EQ(expected.size(), vtest::ClassicDamages().size());
  for (const vtest::Damage& damage : vtest::ClassicDamages()) {
    SCOPED_TRACE(damage.name);
    const Expectation& want = expected.at(damage.name);
    CompoundFileReport report = CheckDamaged(damage);
    EXPECT_TRUE(report.fileOpened);
    EXPECT_FALSE(report.Sound());
    EXPECT_EQ(report.Worst(), want.worst) << report.Summary(20);
    EXPECT_NE(report.Summary(20).find(want.says), std::string::npos) << report.Summary(20);
    EXPECT_EQ(report.PlatformMayRead(), want.worst != Damage::kUnreadable);
    EXPECT_EQ(report.Repairable(), repairable.count(damage.name) == 1);
  }
}

TEST_F(CompoundFileCheckTest, ShortOrEmptyOrMissingFilesAreNeverReadPastTheirEnd) {
  struct Case {
    const char* name;
    size_t keep;  // bytes of the sample kept; SIZE_MAX: no file at all
  };
  const Case cases[] = {{"empty", 0}, {"half a header", 300}, {"header only", 512}, {"missing", SIZE_MAX}};
  std::string bytes = vtest::ReadWholeFile(sample_);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string path = dir_.File(std::string(c.name) + ".vlx");
    if (c.keep != SIZE_MAX) {
      ASSERT_TRUE(vtest::WriteWholeFile(path, bytes.substr(0, c.keep)));
    }
    CompoundFileReport report = CheckCompoundFile(path.c_str());
    EXPECT_FALSE(report.Sound());
    EXPECT_FALSE(report.PlatformMayRead());
    EXPECT_EQ(report.fileOpened, c.keep != SIZE_MAX);
    EXPECT_FALSE(report.Summary().empty());
  }
}

TEST_F(CompoundFileCheckTest, EveryByteOfTheHeaderAndDirectoryMayBeWrongWithoutACrash) {
  // Each byte of the header and the directory set to 0xFF in turn: the check
  // ends every time and says something about every damaged header field it
  // relies on.
  vtest::DamagedFile base = vtest::DamagedFile::FromFile(sample_);
  std::vector<size_t> offsets;
  for (size_t i = 0; i < 0x4C + 8; ++i) offsets.push_back(i);
  for (uint32_t s : base.ChainFrom(base.FirstDirectorySector())) {
    for (size_t i = 0; i < 512; i += 3) offsets.push_back(base.SectorOffset(s) + i);
  }
  size_t judgedDamaged = 0;
  for (size_t offset : offsets) {
    std::string bytes = base.Bytes();
    bytes[offset] = static_cast<char>(0xFF);
    CompoundFileReport report =
        CheckCompoundFileBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    if (!report.Sound()) ++judgedDamaged;
  }
  EXPECT_GT(judgedDamaged, 40u);
}

}  // namespace

namespace {

TEST(CompoundFileCheckLargeFile, ALibraryThatNeedsAListOfTableSectorsIsSoundUntilItsCountIsWrong) {
  // Over 109 allocation table sectors (some 7 MB): the header's list is continued in sectors of its own.
  vtest::TempDir dir;
  std::string path = dir.File("large.vlx");
  {
    StorageHandle root;
    ASSERT_HRESULT_SUCCEEDED(root.CreateRoot(path.c_str(), kWriteMode));
    StreamHandle big;
    ASSERT_HRESULT_SUCCEEDED(root.CreateStream("Big", kWriteMode, big));
    std::string chunk(1 << 20, 'v');
    for (int i = 0; i < 9; ++i) ASSERT_HRESULT_SUCCEEDED(big.WriteBytes(chunk.data(), static_cast<ULONG>(chunk.size())));
  }
  vtest::DamagedFile file = vtest::DamagedFile::FromFile(path);
  ASSERT_GT(file.U32(0x2C), 109u);
  ASSERT_GE(file.U32(0x48), 1u);
  CompoundFileReport report = CheckCompoundFile(path.c_str());
  EXPECT_TRUE(report.Sound()) << report.Summary();
  struct Case {
    const char* name;
    void (*apply)(vtest::DamagedFile&);
    const char* says;
  };
  const Case cases[] = {
      {"count one more", [](vtest::DamagedFile& f) { f.SetU32(0x48, f.U32(0x48) + 1); }, "where the table needs"},
      {"a list sector marked free",
       [](vtest::DamagedFile& f) {
         // Its entry lies in a table sector that the list itself names (past the header's 109).
         uint32_t list = f.U32(0x44);
         uint32_t part = list / 128;
         uint32_t tableSector = part < 109 ? f.U32(0x4C + 4 * part) : f.U32(f.SectorOffset(list) + 4 * (part - 109));
         f.SetU32(f.SectorOffset(tableSector) + (list % 128) * 4, 0xFFFFFFFFu);
       },
       "does not mark its own sectors"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    vtest::DamagedFile damaged = file;
    c.apply(damaged);
    report = CheckCompoundFileBytes(reinterpret_cast<const uint8_t*>(damaged.Bytes().data()), damaged.Size());
    EXPECT_EQ(report.Worst(), Damage::kReadOnly) << report.Summary();
    EXPECT_NE(report.Summary().find(c.says), std::string::npos) << report.Summary();
  }
}

}  // namespace
