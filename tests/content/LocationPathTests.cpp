// Location paths, Quick Access entries and the bookmark list's rows.
#include <windows.h>

#include <gtest/gtest.h>

#include "content/Bookmarks.h"
#include "content/LocationPath.h"
#include "store/LibraryFormat.h"

using namespace vellora;

namespace {

TEST(LocationPath, ParsesAndFormatsRoundTrip) {
  struct Case {
    const char* path;
    std::vector<std::string> components;
    bool hasIndex;
    long index;
  } cases[] = {
      {"Notes", {"Notes"}, false, 0},
      {"Notes\\Trip\\Day one", {"Notes", "Trip", "Day one"}, false, 0},
      {"Notes\\Trip\\#TEXT_NODE#1234", {"Notes", "Trip"}, true, 1234},
      {"Notes\\Leaf\\#TEXT_NODE#", {"Notes", "Leaf"}, true, 0},
      {"Catalog\\Binder\\Page", {"Catalog", "Binder", "Page"}, false, 0},
      {"", {}, false, 0},
      // Only a last component after the folder can carry the index.
      {"#TEXT_NODE#5", {"#TEXT_NODE#5"}, false, 0},
  };
  for (const Case& c : cases) {
    Location l = ParseLocation(c.path);
    EXPECT_EQ(l.components, c.components) << c.path;
    EXPECT_EQ(l.hasTextIndex, c.hasIndex) << c.path;
    EXPECT_EQ(l.textIndex, c.index) << c.path;
    if (std::string(c.path) != "Notes\\Leaf\\#TEXT_NODE#") {
      EXPECT_EQ(FormatLocation(l), c.path);
    }
  }
}

// Read with its folder's kind, a catalog path carries the page shown in the
// item; what today's paths hold (tree places, catalog items alone) reads as
// it did without the kind.
TEST(LocationPath, ACatalogPlaceEndsInThePageShown) {
  struct Case {
    const char* path;
    int folderKind;
    std::vector<std::string> components;
    std::string page;
    bool hasIndex;
    long index;
    const char* formatted;  // null: the path itself
  } cases[] = {
      {"Notes\\Trip\\Day one", kFolderTree, {"Notes", "Trip", "Day one"}, "", false, 0, nullptr},
      {"Notes\\Trip\\#TEXT_NODE#12", kFolderTree, {"Notes", "Trip"}, "", true, 12, nullptr},
      {"Catalog\\Binder", kFolderCatalog, {"Catalog", "Binder"}, "", false, 0, nullptr},
      {"Catalog", kFolderCatalog, {"Catalog"}, "", false, 0, nullptr},
      {"Catalog\\Binder\\Minutes", kFolderCatalog, {"Catalog", "Binder"}, "Minutes", false, 0, nullptr},
      // A search result names the item and the page by their element names.
      {"Catalog\\#$VLX$#12\tBinder\\#$VLX$#7\tMinutes", kFolderCatalog, {"Catalog", "#$VLX$#12\tBinder"},
       "#$VLX$#7\tMinutes", false, 0, nullptr},
      // A page may be titled like the marker: it stays a page.
      {"Catalog\\Binder\\#TEXT_NODE#5", kFolderCatalog, {"Catalog", "Binder"}, "#TEXT_NODE#5", false, 0, nullptr},
      {"Catalog\\Binder\\Minutes\\More", kFolderCatalog, {"Catalog", "Binder"}, "Minutes", false, 0,
       "Catalog\\Binder\\Minutes"},
      {"", kFolderCatalog, {}, "", false, 0, nullptr},
  };
  for (const Case& c : cases) {
    Location l = ParseLocation(c.path, c.folderKind);
    EXPECT_EQ(l.components, c.components) << c.path;
    EXPECT_EQ(l.page, c.page) << c.path;
    EXPECT_EQ(l.hasTextIndex, c.hasIndex) << c.path;
    EXPECT_EQ(l.textIndex, c.index) << c.path;
    EXPECT_EQ(FormatLocation(l), c.formatted ? c.formatted : c.path);
    if (c.folderKind == kFolderTree || l.page.empty()) {
      Location unknown = ParseLocation(c.path);
      EXPECT_EQ(unknown.components, l.components) << c.path;
      EXPECT_EQ(unknown.hasTextIndex, l.hasTextIndex) << c.path;
    }
  }
}

TEST(LocationPath, ComponentsMatchElementNamesBeforeTitles) {
  std::vector<NamedSibling> siblings = {
      {"Plan", "Plan"}, {"#$VLX$#77\tPlan", "Plan"}, {"#$VLX$#9\tOther", "Other"}, {"Notes", "Notes"}};
  struct Case {
    const char* component;
    int index;
  } cases[] = {
      {"Plan", 0}, {"#$VLX$#77\tPlan", 1}, {"Other", 2}, {"#$VLX$#9\tOther", 2}, {"Missing", -1}, {"notes", -1}};
  for (const Case& c : cases) EXPECT_EQ(MatchComponent(siblings, c.component), c.index) << c.component;
}

TEST(LocationPath, TheProposedBookmarkNameIsTheLastComponentAsItIsShown) {
  struct Case {
    std::string path, proposed;
  } cases[] = {
      {"Notes\\Trip\\Day one", "Day one"},
      {"Notes\\Trip\\#TEXT_NODE#44", ""},
      {"Folder", "Folder"},
      {"F\\" + std::string(40, 'x'), std::string(31, 'x')},
      // A catalog item is named by its element name: the name proposed is its title.
      {"Catalog\\#$VLX$#77\tPlan", "Plan"},
      {"Catalog\\#$VLX$#77\tPlan\\Minutes", "Minutes"},
  };
  for (const Case& c : cases) EXPECT_EQ(ProposedBookmarkName(c.path), c.proposed) << c.path;
}

TEST(LocationPathGbk, ADoubleByteTrailByteIsNoSeparator) {
  if (GetACP() != 936) GTEST_SKIP() << "needs the GBK code page (run under LC_ALL=zh_CN.UTF-8)";
  // "\x81\x5C" is one character whose trail byte is a backslash's.
  const std::string trip = "Trip\x81\x5C";
  EXPECT_EQ(SplitLocation("Notes\\" + trip + "\\Day"), (std::vector<std::string>{"Notes", trip, "Day"}));
  EXPECT_EQ(SplitLocation("Notes\\" + trip), (std::vector<std::string>{"Notes", trip}));
  EXPECT_EQ(ProposedBookmarkName("Notes\\" + trip), trip);
  EXPECT_EQ(ProposedBookmarkName("Notes\\" + trip + "\\Day"), "Day");
}

std::vector<Bookmark> Marks(int n) {
  std::vector<Bookmark> out;
  for (int i = 0; i < n; ++i) out.push_back({"b" + std::to_string(i + 1), "F\\n" + std::to_string(i + 1)});
  return out;
}

TEST(QuickAccess, EntriesAreNumberedAndRouted) {
  std::vector<QuickAccessEntry> entries = QuickAccessEntries(Marks(3));
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].label, "b1\t(&1)");
  EXPECT_EQ(entries[2].label, "b3\t(&3)");
  EXPECT_EQ(entries[2].id, static_cast<UINT>(ID_QUICK_ACCESS_FIRST + 2));
  EXPECT_FALSE(entries[0].grayed);
  std::vector<QuickAccessEntry> none = QuickAccessEntries({});
  ASSERT_EQ(none.size(), 1u);
  EXPECT_TRUE(none[0].grayed);
}

TEST(QuickAccess, PastTheRoutedIdsTheMenuEndsWithTheBookmarkManager) {
  struct Case {
    int bookmarks;
    size_t entries;
    bool managerLast;
  } cases[] = {{128, 128, false}, {129, 129, false}, {130, 130, true}, {500, 130, true}};
  for (const Case& c : cases) {
    std::vector<QuickAccessEntry> entries = QuickAccessEntries(Marks(c.bookmarks));
    ASSERT_EQ(entries.size(), c.entries) << c.bookmarks;
    EXPECT_EQ(entries.back().id == static_cast<UINT>(ID_BOOKMARK_MANAGER), c.managerLast) << c.bookmarks;
    for (const QuickAccessEntry& e : entries)
      if (e.id != static_cast<UINT>(ID_BOOKMARK_MANAGER)) {
        EXPECT_LE(e.id, static_cast<UINT>(ID_QUICK_ACCESS_LAST));
      }
  }
}

TEST(QuickAccess, AnEntryGoesToTheBookmarkAtItsPositionEvenWhenNamesRepeat) {
  std::vector<Bookmark> marks = {{"same", "F\\first"}, {"same", "F\\second"}};
  ASSERT_NE(BookmarkForCommand(marks, ID_QUICK_ACCESS_FIRST + 1), nullptr);
  EXPECT_EQ(BookmarkForCommand(marks, ID_QUICK_ACCESS_FIRST + 1)->location, "F\\second");
  EXPECT_EQ(BookmarkForCommand(marks, ID_QUICK_ACCESS_FIRST + 2), nullptr);
  EXPECT_EQ(BookmarkForCommand(marks, ID_BOOKMARK_ADD), nullptr);
}

std::vector<int> Orders(const BookmarkRows& rows) {
  std::vector<int> out;
  for (const auto& r : rows.Rows()) out.push_back(r.order);
  return out;
}
std::vector<std::string> Names(const BookmarkRows& rows) {
  std::vector<std::string> out;
  for (const auto& r : rows.Rows()) out.push_back(r.name);
  return out;
}

TEST(BookmarkRows, DeleteKeepsTheOrderNumbersAndSelectsTheRowInItsPlace) {
  BookmarkRows rows(Marks(4));
  EXPECT_EQ(rows.Selected(), 0);
  rows.Select(1);
  ASSERT_TRUE(rows.DeleteSelected());
  EXPECT_EQ(Orders(rows), (std::vector<int>{1, 3, 4}));
  EXPECT_EQ(rows.Selected(), 1);
  rows.Select(2);
  ASSERT_TRUE(rows.DeleteSelected());
  EXPECT_EQ(rows.Selected(), 1);  // the last row went: the one before it
  EXPECT_EQ(Names(rows), (std::vector<std::string>{"b1", "b3"}));
}

TEST(BookmarkRows, MovesRenumberAndTheMovedRowStaysSelected) {
  BookmarkRows rows(Marks(3));
  rows.Select(2);
  ASSERT_TRUE(rows.MoveSelectedUp());
  EXPECT_EQ(Names(rows), (std::vector<std::string>{"b1", "b3", "b2"}));
  EXPECT_EQ(rows.Selected(), 1);
  ASSERT_TRUE(rows.MoveSelectedUp());
  EXPECT_FALSE(rows.MoveSelectedUp());  // now on the first row
  EXPECT_EQ(Orders(rows), (std::vector<int>{1, 2, 3}));
  rows.Select(2);
  EXPECT_FALSE(rows.MoveSelectedDown());
  std::vector<Bookmark> result = rows.Result();
  EXPECT_EQ(result[0].title, "b3");
  EXPECT_EQ(result[0].location, "F\\n3");
}

TEST(BookmarkRows, ASingleRowRefusesBothMovesAndRenamingCutsTo31Bytes) {
  BookmarkRows rows(Marks(1));
  EXPECT_FALSE(rows.MoveSelectedUp());
  EXPECT_FALSE(rows.MoveSelectedDown());
  ASSERT_TRUE(rows.RenameSelected(std::string(40, 'n')));
  EXPECT_EQ(rows.Rows()[0].name, std::string(31, 'n'));
  EXPECT_FALSE(rows.RenameSelected(""));
}

}  // namespace
