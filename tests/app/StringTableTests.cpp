#include "app/StringTable.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <set>
#include <utility>
#include <vector>

#include "tests/TestSupport.h"

namespace {

using vellora::StringTable;

// Loads a table made of exactly these bytes.
bool LoadBytes(StringTable& table, const vtest::TempDir& dir, const std::string& bytes) {
  const std::string path = dir.File("table.stb");
  return vtest::WriteWholeFile(path, bytes) && table.Load(path);
}

TEST(StringTable, KeyIsTheByteOffsetOfItsText) {
  vtest::TempDir dir;
  StringTable table;
  ASSERT_TRUE(LoadBytes(table, dir, std::string("\0Tahoma\0Query\0", 14)));
  EXPECT_EQ(table.Size(), 14u);
  EXPECT_STREQ(table.At(1), "Tahoma");
  EXPECT_STREQ(table.At(8), "Query");
  EXPECT_STREQ(table.At(4), "oma");  // a key inside a text reads its tail
  ASSERT_NE(table.At(0), nullptr);
  EXPECT_STREQ(table.At(0), "");
  EXPECT_STREQ(table.At(7), "");
}

TEST(StringTable, EmptyOrMissingTextsFallBackThroughTextOr) {
  vtest::TempDir dir;
  StringTable table;
  ASSERT_TRUE(LoadBytes(table, dir, std::string("\0Tip\0", 5)));
  EXPECT_EQ(table.TextOr(vellora::kTextFontFace, "Sorry"), "Tip");  // key 1
  EXPECT_EQ(table.TextOr(vellora::kTextTipCaption, "Sorry"), "Sorry");  // beyond the table
  ASSERT_TRUE(LoadBytes(table, dir, std::string("\0\0Tip\0", 6)));
  EXPECT_EQ(table.TextOr(vellora::kTextFontFace, "Sorry"), "Sorry");  // a NUL at the key
}

TEST(StringTable, KeysOutsideTheTableYieldNull) {
  vtest::TempDir dir;
  StringTable table;
  ASSERT_TRUE(LoadBytes(table, dir, std::string("\0abc\0", 5)));
  EXPECT_EQ(table.At(-1), nullptr);
  EXPECT_EQ(table.At(INT_MIN), nullptr);
  EXPECT_EQ(table.At(5), nullptr);
  EXPECT_EQ(table.At(6), nullptr);
  EXPECT_EQ(table.At(INT_MAX), nullptr);
  EXPECT_STREQ(table.At(4), "");  // the last byte is still inside
}

TEST(StringTable, TextRunningToTheEndWithoutNulStopsThere) {
  vtest::TempDir dir;
  StringTable table;
  ASSERT_TRUE(LoadBytes(table, dir, std::string("\0abc", 4)));
  EXPECT_STREQ(table.At(1), "abc");
  EXPECT_STREQ(table.At(3), "c");
  EXPECT_EQ(table.At(4), nullptr);

  ASSERT_TRUE(LoadBytes(table, dir, "xyz"));  // not a single NUL in the file
  EXPECT_STREQ(table.At(0), "xyz");
  EXPECT_EQ(table.Size(), 3u);
}

TEST(StringTable, BytesAreReadWithoutTextModeTranslation) {
  vtest::TempDir dir;
  StringTable table;
  // CR LF must stay two bytes and Ctrl-Z must not end the read, or every
  // later key would shift.
  const std::string bytes("\0A\r\nB\x1a\xe9\0Z\0", 10);
  ASSERT_TRUE(LoadBytes(table, dir, bytes));
  EXPECT_EQ(table.Size(), bytes.size());
  EXPECT_STREQ(table.At(1), "A\r\nB\x1a\xe9");
  EXPECT_STREQ(table.At(8), "Z");
}

TEST(StringTable, EmptyFileLoadsWithoutTexts) {
  vtest::TempDir dir;
  StringTable table;
  ASSERT_TRUE(LoadBytes(table, dir, ""));
  EXPECT_EQ(table.Size(), 0u);
  EXPECT_EQ(table.At(0), nullptr);
}

TEST(StringTable, MissingFileFailsAndKeepsWhatWasLoaded) {
  vtest::TempDir dir;
  StringTable table;
  EXPECT_FALSE(table.Load(dir.File("absent.stb")));
  EXPECT_EQ(table.At(0), nullptr);
  EXPECT_EQ(table.At(1), nullptr);

  ASSERT_TRUE(LoadBytes(table, dir, std::string("\0Tahoma\0", 8)));
  EXPECT_FALSE(table.Load(dir.File("absent.stb")));
  EXPECT_STREQ(table.At(1), "Tahoma");
}

TEST(StringTable, ProgramTableLiesInCnfgBesideTheExecutable) {
  EXPECT_EQ(StringTable::ProgramTablePath(), vtest::ProgramFolder() + "\\Cnfg\\StringTable.stb");
  StringTable table;
  ASSERT_TRUE(table.LoadForProgram());
  EXPECT_EQ(static_cast<long long>(table.Size()),
            vtest::FileSize(vtest::ProgramFolder() + "\\Cnfg\\StringTable.stb"));
}

// --- The table that ships with the program ---------------------------------

const int kProgramKeys[] = {1,    131,  3296, 3336, 3358, 3375, 3412, 3420, 3584, 3590, 3646, 3653, 3739, 3787,
                            3827, 3919, 4152, 4165, 4186, 4273, 4353, 4428, 4436, 4475, 4522, 4580, 4687,
                            4704, 4713, 4723, 4736, 4837, 4888, 4906, 4954, 4973, 4997, 5036, 5184, 5251,
                            5382, 5396, 5461, 5529, 5575, 5639, 5685, 5778, 5801, 5838, 5866};

const int kFilterKeys[] = {3375, 4973, 5529};
// Message-box captions and dialog titles: one line each.
const int kCaptionKeys[] = {131,  3336, 3358, 3412, 3420, 3584, 3646, 3739, 4152, 4165,
                            4428, 4687, 4888, 4954, 5382, 5778, 5838};

// The printf conversions of a text, one letter each ("%%" is no conversion).
std::string Conversions(const char* text) {
  std::string letters;
  for (const char* p = text; *p; ++p) {
    if (*p != '%') continue;
    ++p;
    if (*p == '%') continue;
    while (*p && std::strchr("-+ #0123456789.lh", *p)) ++p;
    if (!*p) break;
    letters += *p;
  }
  return letters;
}

class ShippedStringTable : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(table_.LoadForProgram()) << StringTable::ProgramTablePath(); }
  std::string At(int key) const {
    const char* t = table_.At(key);
    return t ? t : "";
  }
  StringTable table_;
};

TEST_F(ShippedStringTable, EveryKeyTheProgramUsesHasAText) {
  for (int key : kProgramKeys) EXPECT_FALSE(At(key).empty()) << "key " << key;
  EXPECT_EQ(At(1), "Tahoma");
}

TEST_F(ShippedStringTable, PlaceholdersMatchWhatCallersPass) {
  const std::pair<int, const char*> formatted[] = {{5184, "dd"}, {5685, "ss"}, {3919, "s"},
                                                   {5036, "s"},  {5778, "s"},  {5838, "s"}};
  for (auto [key, letters] : formatted) EXPECT_EQ(Conversions(At(key).c_str()), letters) << "key " << key;
  // Every other text is shown as it is; a stray conversion would be shown raw
  // or, once someone formats it, read a missing argument.
  for (int key : kProgramKeys) {
    bool isFormatted = false;
    for (auto [k, letters] : formatted) isFormatted |= (k == key);
    if (!isFormatted) {
      EXPECT_EQ(At(key).find('%'), std::string::npos) << "key " << key;
    }
  }

  char repack[256];
  snprintf(repack, sizeof repack, At(5184).c_str(), 2500, 1200);
  const std::string report = repack;
  EXPECT_LT(report.find("2500"), report.find("1200"));  // old size first
  EXPECT_NE(report.find("1200"), std::string::npos);
}

TEST_F(ShippedStringTable, FiltersArePairsOfDescriptionAndPattern) {
  for (int key : kFilterKeys) {
    const std::string filter = At(key);
    ASSERT_FALSE(filter.empty()) << "key " << key;
    EXPECT_EQ(filter.back(), '|') << "key " << key;
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t bar; (bar = filter.find('|', start)) != std::string::npos; start = bar + 1)
      parts.push_back(filter.substr(start, bar - start));
    ASSERT_GE(parts.size(), 2u) << "key " << key;
    EXPECT_EQ(parts.size() % 2, 0u) << "key " << key;
    for (size_t i = 0; i < parts.size(); ++i) {
      EXPECT_FALSE(parts[i].empty()) << "key " << key << " part " << i;
      if (i % 2) {
        EXPECT_NE(parts[i].find("*."), std::string::npos) << "key " << key << " part " << i;
      }
    }
  }
  EXPECT_EQ(At(3375).find("|*.vlx|"), At(3375).find('|'));  // first pattern: libraries
}

TEST_F(ShippedStringTable, CaptionsAreSingleLines) {
  for (int key : kCaptionKeys) {
    EXPECT_EQ(At(key).find('\n'), std::string::npos) << "key " << key;
    EXPECT_EQ(At(key).find('|'), std::string::npos) << "key " << key;
  }
}

TEST_F(ShippedStringTable, NewLibraryFolderNamesAreUsableFolderNames) {
  std::set<std::string> names;
  for (int key : {4704, 4713, 4723}) {
    const std::string name = At(key);
    EXPECT_LE(name.size(), 19u) << "key " << key;  // the Add Folder limit
    EXPECT_EQ(name.find_first_of("\\/:!\t"), std::string::npos) << "key " << key;
    names.insert(name);
  }
  EXPECT_EQ(names.size(), 3u);
}

}  // namespace
