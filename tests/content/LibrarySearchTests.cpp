// The search walks over real compound files: what matches, in which order,
// and what is never searched.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>

#include "content/LibrarySearch.h"
#include "content/LocationPath.h"
#include "tests/content/ContentFixtures.h"

using namespace vellora;
using vtest::AddFolderNode;
using vtest::AddLeaf;

namespace {

std::string Rtf(const std::string& body) { return "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 " + body + "\\par}"; }

std::vector<std::string> Sorted(const SearchResults& results) {
  std::vector<std::string> paths;
  for (const ElementPath& p : results) paths.push_back(JoinLocation(p));
  std::sort(paths.begin(), paths.end());
  return paths;
}

void WriteCounted(const StorageHandle& parent, const char* stream, const std::vector<std::optional<std::string>>& strings) {
  StreamHandle s;
  ASSERT_HRESULT_SUCCEEDED(parent.OpenStream(stream, kWriteMode, s));
  ASSERT_HRESULT_SUCCEEDED(s.Reset());
  for (const auto& text : strings) ASSERT_HRESULT_SUCCEEDED(s.WriteCountedString(text));
}

// A catalog item of the kind with its content stream replaced.
StorageHandle AddItem(const StorageHandle& folder, const std::string& name, uint16_t kind, const std::string& content,
                      const std::vector<std::string>& columns = {}) {
  EXPECT_HRESULT_SUCCEEDED(
      CreateItem(folder, kind, name.c_str(), 1, kFolderItemInfo, kFolderItemContent, columns));
  StorageHandle item = folder.OpenStorageFor(name.c_str(), false);
  if (kind == kItemText || kind == kItemFileFolder) vtest::WriteStream(item, kFolderItemContent, content);
  return item;
}

// A file folder's entry: its place, no flags, then title, source path and no stream name.
std::string FileEntry(uint32_t position, const std::string& title, const std::string& path) {
  return vtest::Bytes32(position) + vtest::Bytes32(0) + vtest::Bytes32(0) + vtest::Counted(title) +
         vtest::Counted(path) + vtest::Counted("");
}

class TreeSearchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = file_.AddStorage("Notes");
    folder_.WriteClass(FolderClassId(kFolderTree, 1));
    AddLeaf(folder_, "Shopping", 1, Rtf("Buy APPLES and pears"));
    StorageHandle trip = AddFolderNode(folder_, "Trip", 2);
    AddLeaf(trip, "Day one", 1, Rtf("We saw apples in the market"));
    StorageHandle deeper = AddFolderNode(trip, "Deeper", 2);
    AddLeaf(deeper, "Bottom", 1, Rtf("nothing here"));
    AddLeaf(deeper, "Also", 2, Rtf("an apple a day"));
    AddLeaf(folder_, "Unrelated", 3, Rtf("oranges"));
  }
  vtest::ScratchFile file_;
  StorageHandle folder_;
};

TEST_F(TreeSearchTest, ContentMatchesIgnoreCaseAndNameEveryLeafByItsElementNames) {
  struct Case {
    const char* text;
    std::vector<std::string> expected;
  } cases[] = {
      {"apple", {"Notes\\Shopping", "Notes\\Trip\\Day one", "Notes\\Trip\\Deeper\\Also"}},
      {"APPLES", {"Notes\\Shopping", "Notes\\Trip\\Day one"}},
      {"oranges", {"Notes\\Unrelated"}},
      {"Trip", {}},  // folder nodes themselves are never content matches
      {"kiwi", {}},
  };
  for (const Case& c : cases) {
    SearchResults results;
    SearchTreeContent(folder_, {"Notes"}, ContentMatcher(c.text), results);
    EXPECT_EQ(Sorted(results), c.expected) << c.text;
  }
}

TEST_F(TreeSearchTest, ResultsComeInTheStoragesEnumerationOrder) {
  SearchResults results;
  SearchTreeContent(folder_, {"Notes"}, ContentMatcher("a"), results);
  std::vector<std::string> expected;
  // The order the file itself lists its elements in, depth first.
  std::function<void(const StorageHandle&, ElementPath)> list = [&](const StorageHandle& s, ElementPath path) {
    s.ForEachElement([&](const STATSTG& stat, const std::string& name) {
      ElementPath here = path;
      here.push_back(name);
      if (stat.type == STGTY_STORAGE) list(s.OpenStorageFor(name.c_str(), true), here);
      else if (!IsNodeInfoStreamName(name) && name != "Bottom") expected.push_back(JoinLocation(here));
      return true;
    });
  };
  list(folder_, {"Notes"});
  std::vector<std::string> got;
  for (const ElementPath& p : results) got.push_back(JoinLocation(p));
  EXPECT_EQ(got, expected);
}

TEST_F(TreeSearchTest, TitlesMatchByteWiseAndLeaveTheNodeRecordsOut) {
  struct Case {
    const char* text;
    std::vector<std::string> expected;
  } cases[] = {
      {"Trip", {"Notes\\Trip"}},
      {"trip", {}},  // case matters in titles
      {"e", {"Notes\\Trip\\Day one", "Notes\\Trip\\Deeper", "Notes\\Unrelated"}},
      {"INFO", {}},  // "#BOOKFOLDERITEMINFO#" is never a title
      {"BOOK", {}},
  };
  for (const Case& c : cases) {
    SearchResults results;
    // The folder is held open, as the document holds its current folder.
    SearchTitles(file_.Root(), "Notes", folder_, c.text, results);
    EXPECT_EQ(Sorted(results), c.expected) << c.text;
  }
}

TEST(TitleSearch, EncodedNamesMatchTheirShownTitleNotTheirMarkerOrNumber) {
  vtest::ScratchFile file;
  StorageHandle folder = file.AddStorage("Tree");
  folder.WriteClass(FolderClassId(kFolderTree, 1));
  AddLeaf(folder, "Plan", 1);
  AddLeaf(folder, EncodedElementName("Plan", 12345), 2);
  folder.Release();
  struct Case {
    const char* text;
    size_t count;
  } cases[] = {{"Plan", 2}, {"VLX", 0}, {"123", 0}, {"#$", 0}};
  for (const Case& c : cases) {
    SearchResults results;
    SearchTitles(file.Root(), "", StorageHandle(), c.text, results);
    EXPECT_EQ(results.size(), c.count) << c.text;
  }
  // The result names the element, so it can be reached even though its title repeats.
  SearchResults results;
  SearchTitles(file.Root(), "", StorageHandle(), "Plan", results);
  std::vector<std::string> got = Sorted(results);
  EXPECT_EQ(got[0], "Tree\\" + EncodedElementName("Plan", 12345));
}

TEST(TitleSearch, WalksEveryFolderKindAndUsesTheOpenCurrentFolder) {
  vtest::ScratchFile file;
  StorageHandle tree = file.AddStorage("Tree");
  tree.WriteClass(FolderClassId(kFolderTree, 1));
  AddLeaf(tree, "Recipe cake", 1);
  StorageHandle catalog = file.AddStorage("Catalog");
  catalog.WriteClass(FolderClassId(kFolderCatalog, 2));
  AddItem(catalog, "Recipe list", kItemText, "");
  StorageHandle tabs = AddItem(catalog, "Binder", kItemTabPages, "");
  tabs.RenameElement("Content", "Recipe page");
  tabs.Release();
  tree.Release();
  file.AddStorage(kSettingsStorage);
  SearchResults results;
  // The catalog folder is held open (exclusively) as the current folder.
  SearchTitles(file.Root(), "CATALOG", catalog, "Recipe", results);
  EXPECT_EQ(Sorted(results),
            (std::vector<std::string>{"Catalog\\Binder\\Recipe page", "Catalog\\Recipe list", "Tree\\Recipe cake"}));
}

TEST(CatalogSearch, EachKindIsSearchedInItsOwnFormat) {
  vtest::ScratchFile file;
  StorageHandle folder = file.AddStorage("Catalog");
  AddItem(folder, "Note", kItemText, Rtf("The Quick fox"));
  StorageHandle list = AddItem(folder, "Table", kItemDataList, "", {"Name", "Colour"});
  WriteCounted(list, kFolderItemContent,
               {std::string("Name"), std::string("Colour"), std::string("apple"), std::string("Red"),
                std::string("sky"), std::nullopt});
  list.Release();  // items are opened by the walk, one at a time
  AddItem(folder, "Files", kItemFileFolder,
          FileEntry(0, "C:\\docs\\report.txt", "C:\\docs\\report.txt") + FileEntry(1, "budget.xls", "D:\\x.xls"));
  ASSERT_HRESULT_SUCCEEDED(CreateItem(folder, kItemWebLink, "Web", 4, kFolderItemInfo, kFolderItemContent,
                                      {"http://quick.example/"}));
  struct Case {
    const char* text;
    std::vector<std::string> expected;
  } cases[] = {
      {"quick", {"Catalog\\Note"}},   // rich text ignores case; web pages are never searched
      {"Red", {"Catalog\\Table"}},    // a cell
      {"red", {}},                    // cells are byte-wise
      {"Colour", {}},                 // column titles are not cells
      {"budget", {"Catalog\\Files"}}, // a file entry's title
      {"x.xls", {}},                  // not its source path
  };
  for (const Case& c : cases) {
    SearchResults results;
    SearchCatalogContent(folder, {"Catalog"}, ContentMatcher(c.text), results);
    EXPECT_EQ(Sorted(results), c.expected) << c.text;
  }
}

TEST(CatalogSearch, TabPagesAreSearchedPageByPage) {
  vtest::ScratchFile file;
  StorageHandle folder = file.AddStorage("Catalog");
  StorageHandle binder = AddItem(folder, "Binder", kItemTabPages, "");
  StorageHandle content = binder.OpenStorageFor("Content", false);
  vtest::WriteStream(content, kTabPageItemContent, Rtf("minutes of the meeting"));
  ASSERT_HRESULT_SUCCEEDED(CreateItem(binder, kItemDataList, "Sheet", 2, kTabPageItemInfo, kTabPageItemContent, {"A"}));
  WriteCounted(binder.OpenStorageFor("Sheet", false), kTabPageItemContent,
               {std::string("A"), std::string("meeting room"), std::string("desk")});
  content.Release();
  binder.Release();
  SearchResults results;
  SearchCatalogContent(folder, {"Catalog"}, ContentMatcher("meeting"), results);
  EXPECT_EQ(Sorted(results), (std::vector<std::string>{"Catalog\\Binder\\Content", "Catalog\\Binder\\Sheet"}));
  results.clear();
  SearchCatalogContent(folder, {"Catalog"}, ContentMatcher("desk"), results);
  EXPECT_EQ(Sorted(results), (std::vector<std::string>{"Catalog\\Binder\\Sheet"}));
}

TEST(CatalogSearch, DamagedContentIsSkippedWithoutHarm) {
  vtest::ScratchFile file;
  StorageHandle folder = file.AddStorage("Catalog");
  // A data list claiming a huge count for its first string, and a file entry cut short.
  StorageHandle list = AddItem(folder, "Broken list", kItemDataList, "", {"A"});
  vtest::WriteStream(list, kFolderItemContent, vtest::Bytes32(0x7FFFFFF0) + "ab");
  list.Release();
  std::string entry = FileEntry(0, "needle.txt", "p");
  AddItem(folder, "Cut files", kItemFileFolder, entry.substr(0, 14));
  AddItem(folder, "Fine", kItemText, Rtf("needle"));
  SearchResults results;
  SearchCatalogContent(folder, {"Catalog"}, ContentMatcher("needle"), results);
  EXPECT_EQ(Sorted(results), (std::vector<std::string>{"Catalog\\Fine"}));
}

TEST(ContainsBytes, MatchesOnlyWholeCharacters) {
  struct Case {
    const char* text;
    const char* part;
    bool found;
  } cases[] = {
      {"abc", "b", true}, {"abc", "B", false}, {"abc", "", false}, {"ab", "abc", false}, {"xyzxyz", "zx", true},
  };
  for (const Case& c : cases) EXPECT_EQ(ContainsBytes(c.text, c.part), c.found) << c.text << " / " << c.part;
}

TEST(ContainsBytes, NeverMatchesInsideADoubleByteCharacterUnderGbk) {
  if (GetACP() != 936) GTEST_SKIP() << "runs under the GBK code page";
  // "\xB0\xA1\xB0\xA2" is two characters; "\xA1\xB0" spans their middle.
  EXPECT_FALSE(ContainsBytes("\xB0\xA1\xB0\xA2", "\xA1\xB0"));
  EXPECT_TRUE(ContainsBytes("\xB0\xA1\xB0\xA2", "\xB0\xA2"));
  // A trail byte that looks like an ASCII letter is not that letter.
  EXPECT_FALSE(ContainsBytes("\x81\x41", "A"));
}

TEST(ContentSearchUnderGbk, ChineseTextIsFoundInRichTextAndInNames) {
  if (GetACP() != 936) GTEST_SKIP() << "runs under the GBK code page";
  vtest::ScratchFile file;
  StorageHandle folder = file.AddStorage("Tree");
  folder.WriteClass(FolderClassId(kFolderTree, 1));
  // "\xD6\xD0\xCE\xC4" is the GBK text of two ideographs.
  AddLeaf(folder, "\xD6\xD0\xCE\xC4 note", 1,
          "{\\rtf1\\ansi\\ansicpg936{\\fonttbl{\\f0\\fcharset134 SimSun;}}\\f0 abc\\'d6\\'d0\\'ce\\'c4def\\par}");
  AddLeaf(folder, "other", 2, "{\\rtf1\\ansi\\ansicpg936 \\'ce\\'c4\\'d6\\'d0}");
  SearchResults results;
  SearchTreeContent(folder, {"Tree"}, ContentMatcher("\xD6\xD0\xCE\xC4"), results);
  EXPECT_EQ(Sorted(results), (std::vector<std::string>{"Tree\\\xD6\xD0\xCE\xC4 note"}));
  results.clear();
  SearchTitles(file.Root(), "Tree", folder, "\xCE\xC4", results);
  EXPECT_EQ(Sorted(results), (std::vector<std::string>{"Tree\\\xD6\xD0\xCE\xC4 note"}));
}

}  // namespace
