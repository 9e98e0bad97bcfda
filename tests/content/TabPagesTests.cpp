// The pages of a tab pages item on real item storages: their order, adding,
// deleting, renaming and moving, and what each leaves in the file when read
// again, and the page commands with a scripted user.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "content/TabPages.h"
#include "store/LibraryFormat.h"
#include "tests/content/ContentFixtures.h"
#include "tests/store/DocumentFixtures.h"

using namespace vellora;
using vtest::Bytes32;

namespace {

// A tab pages item laid down as the program makes one ("Content" and "Files"),
// open with its folder (a storage is usable only while its parent is open).
struct PagesItem {
  explicit PagesItem(const vtest::ScratchFile& file, bool asMade = true) : folder(file.AddStorage("Favorite Folder")) {
    if (!asMade) {
      EXPECT_HRESULT_SUCCEEDED(folder.CreateStorage("Pages", kWriteMode, item));
      return;
    }
    EXPECT_HRESULT_SUCCEEDED(CreateItem(folder, kItemTabPages, "Pages", 1, kFolderItemInfo, kFolderItemContent, {}));
    EXPECT_HRESULT_SUCCEEDED(folder.OpenStorage("Pages", kWriteMode, item));
  }
  StorageHandle folder;
  StorageHandle item;
};

// A page storage whose "TabPageItemInfo" holds exactly these bytes.
void AddRawPage(const StorageHandle& item, const char* name, const std::string& infoBytes) {
  StorageHandle page;
  ASSERT_HRESULT_SUCCEEDED(item.CreateStorage(name, kWriteMode, page));
  vtest::WriteStream(page, kTabPageItemInfo, infoBytes);
}

std::string PageRecord(int32_t key, uint16_t kind) {
  return Bytes32(static_cast<uint32_t>(key)) + Bytes32(kind) + Bytes32(1) + Bytes32(0) + Bytes32(0) +
         std::string(20, '\0');
}

std::vector<std::string> Titles(const TabPages& pages) {
  std::vector<std::string> out;
  for (const auto& page : pages.Pages()) out.push_back(page.title);
  return out;
}

// The order a fresh read of the item gives.
std::vector<std::string> TitlesReadAgain(const StorageHandle& item) {
  TabPages again;
  EXPECT_HRESULT_SUCCEEDED(again.Load(item));
  return Titles(again);
}

using Strings = std::vector<std::string>;

// A tab pages item as the program makes one, its pages read.
class TabPagesTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_HRESULT_SUCCEEDED(pages.Load(item)); }
  vtest::ScratchFile file;
  PagesItem made{file};
  const StorageHandle& item = made.item;
  TabPages pages;
};

TEST_F(TabPagesTest, ANewItemShowsContentThenFilesAndTheNextPageTakesKeyTwo) {
  EXPECT_EQ(Titles(pages), (Strings{"Content", "Files"}));
  EXPECT_EQ(pages.Pages()[0].kind, kItemText);
  EXPECT_EQ(pages.Pages()[1].kind, kItemFileFolder);
  EXPECT_EQ(pages.LargestKey(), 1);

  NewItemRequest request;
  request.title = "Table";
  request.kind = kItemDataList;
  request.columns = {"Name", "Phone"};
  size_t index = 99;
  ASSERT_HRESULT_SUCCEEDED(pages.Add(item, request, index));
  EXPECT_EQ(index, 2u);
  EXPECT_EQ(pages.Pages()[2].orderKey, 2);
  EXPECT_EQ(pages.LargestKey(), 2);
  EXPECT_EQ(TitlesReadAgain(item), (Strings{"Content", "Files", "Table"}));
  // The page is a whole data list: its columns are in its content stream.
  StorageHandle page = item.OpenStorageFor("Table", true);
  ASSERT_TRUE(page);
  EXPECT_TRUE(page.OpenStreamFor(kTabPageItemContent, true));
}

// A second page titled "Files" lives under an encoded name: a search result
// names it by that name, a bookmark by the title it shares.
TEST_F(TabPagesTest, APageComponentFindsItsPageByElementNameThenTitle) {
  NewItemRequest request;
  request.title = "Files";
  size_t twin = 0;
  ASSERT_HRESULT_SUCCEEDED(pages.Add(item, request, twin));
  const std::string encoded = pages.Pages()[twin].elementName;
  ASSERT_NE(encoded, "Files");
  struct Case {
    std::string component;
    int index;
  } cases[] = {{"Content", 0}, {"Files", 1}, {encoded, static_cast<int>(twin)}, {"files", -1}, {"", -1},
               {"Missing", -1}};
  for (const Case& c : cases) EXPECT_EQ(pages.IndexOfComponent(c.component), c.index) << c.component;
}

struct OrderCase {
  const char* name;
  std::vector<std::pair<const char*, std::string>> pages;  // in creation order
  Strings shown;
  int32_t largest;
};

class TabPageOrder : public ::testing::TestWithParam<OrderCase> {};

TEST_P(TabPageOrder, PagesAreShownByTheirKeys) {
  vtest::ScratchFile file;
  PagesItem made(file, false);
  const StorageHandle& item = made.item;
  for (const auto& [name, record] : GetParam().pages) AddRawPage(item, name, record);
  TabPages pages;
  ASSERT_HRESULT_SUCCEEDED(pages.Load(item));
  EXPECT_EQ(Titles(pages), GetParam().shown);
  EXPECT_EQ(pages.LargestKey(), GetParam().largest);
}

// Compound files enumerate by name length, then name: "B" before "AA".
INSTANTIATE_TEST_SUITE_P(
    Cases, TabPageOrder,
    ::testing::Values(
        OrderCase{"KeysFiveOneThree",
                  {{"Five", PageRecord(5, kItemText)}, {"One", PageRecord(1, kItemText)},
                   {"Three", PageRecord(3, kItemText)}},
                  {"One", "Three", "Five"},
                  5},
        OrderCase{"EqualKeysKeepTheEnumerationOrder",
                  {{"AA", PageRecord(2, kItemText)}, {"B", PageRecord(2, kItemText)},
                   {"C", PageRecord(1, kItemText)}},
                  {"C", "B", "AA"},
                  2},
        OrderCase{"AShortRecordReadsAsZeros",
                  {{"Later", PageRecord(4, kItemText)}, {"Cut", std::string("\x07\x00", 2)}},
                  {"Cut", "Later"},
                  4},
        OrderCase{"NegativeKeysComeFirstAndNeverRaiseTheLargest",
                  {{"Minus", PageRecord(-3, kItemText)}, {"Zero", PageRecord(0, kItemText)}},
                  {"Minus", "Zero"},
                  0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TabPagesTest, AddingNeverReplacesAPageOrAReservedName) {
  // "content" meets the existing page as the storage compares names; a
  // name the item keeps for itself is never a page's name either.
  for (const char* title : {"content", "FolderItemInfo", "TabPageItemInfo"}) {
    NewItemRequest request;
    request.title = title;
    size_t index = 0;
    ASSERT_HRESULT_SUCCEEDED(pages.Add(item, request, index)) << title;
    EXPECT_EQ(pages.Pages()[index].title, title);
    EXPECT_NE(pages.Pages()[index].elementName, title);
  }
  TabPages again;
  ASSERT_HRESULT_SUCCEEDED(again.Load(item));
  EXPECT_EQ(again.Count(), 5u);
  EXPECT_EQ(again.Pages()[0].kind, kItemText);  // the first "Content" is still the note it was
  EXPECT_TRUE(item.OpenStreamFor(kFolderItemInfo, true));
}

TEST_F(TabPagesTest, APageCannotBeTabPagesItself) {
  NewItemRequest request;
  request.title = "Nested";
  request.kind = kItemTabPages;
  size_t index = 0;
  EXPECT_EQ(pages.Add(item, request, index), E_INVALIDARG);
  EXPECT_EQ(TitlesReadAgain(item), (Strings{"Content", "Files"}));
}

TEST_F(TabPagesTest, TheLastPageIsNeverDeleted) {
  ASSERT_HRESULT_SUCCEEDED(pages.Delete(item, 0));
  EXPECT_EQ(Titles(pages), (Strings{"Files"}));
  EXPECT_EQ(pages.Delete(item, 0), E_ACCESSDENIED);
  EXPECT_EQ(TitlesReadAgain(item), (Strings{"Files"}));
}

TEST_F(TabPagesTest, RenamingRefusesAnotherPagesTitleAndKeepsTheFileRight) {
  using R = TabPages::RenameResult;
  EXPECT_EQ(pages.Rename(item, 0, "Content"), R::kUnchanged);
  EXPECT_EQ(pages.Rename(item, 0, "FILES"), R::kRepeated);
  EXPECT_EQ(pages.Rename(item, 0, ""), R::kEmpty);
  EXPECT_EQ(TitlesReadAgain(item), (Strings{"Content", "Files"}));

  EXPECT_EQ(pages.Rename(item, 0, "Notes"), R::kRenamed);
  EXPECT_EQ(Titles(pages), (Strings{"Notes", "Files"}));
  EXPECT_EQ(TitlesReadAgain(item), (Strings{"Notes", "Files"}));
  // A reserved name is a title only: the stream of that name stays the item's.
  EXPECT_EQ(pages.Rename(item, 1, "TabPageItemContent"), R::kRenamed);
  EXPECT_EQ(pages.Pages()[1].title, "TabPageItemContent");
  EXPECT_NE(pages.Pages()[1].elementName, "TabPageItemContent");
  EXPECT_EQ(TitlesReadAgain(item), (Strings{"Notes", "TabPageItemContent"}));
}

TEST_F(TabPagesTest, MovesSwapTheKeysAndLastWhenReadAgain) {
  NewItemRequest request;
  request.title = "Third";
  size_t index = 0;
  ASSERT_HRESULT_SUCCEEDED(pages.Add(item, request, index));

  ASSERT_HRESULT_SUCCEEDED(pages.Swap(item, 2, 1));  // "Third" forward
  EXPECT_EQ(Titles(pages), (Strings{"Content", "Third", "Files"}));
  EXPECT_EQ(TitlesReadAgain(item), (Strings{"Content", "Third", "Files"}));
  ASSERT_HRESULT_SUCCEEDED(pages.Swap(item, 0, 1));  // "Content" back
  EXPECT_EQ(TitlesReadAgain(item), (Strings{"Third", "Content", "Files"}));
  EXPECT_EQ(pages.Swap(item, 0, 3), E_INVALIDARG);
}

TEST(TabPages, AMoveBetweenEqualKeysLastsToo) {
  vtest::ScratchFile file;
  PagesItem made(file, false);
  const StorageHandle& item = made.item;
  for (const char* name : {"AA", "B", "CCC"}) AddRawPage(item, name, PageRecord(0, kItemText));
  TabPages pages;
  ASSERT_HRESULT_SUCCEEDED(pages.Load(item));
  ASSERT_EQ(Titles(pages), (Strings{"B", "AA", "CCC"}));
  ASSERT_HRESULT_SUCCEEDED(pages.Swap(item, 1, 2));
  EXPECT_EQ(Titles(pages), (Strings{"B", "CCC", "AA"}));
  EXPECT_EQ(TitlesReadAgain(item), (Strings{"B", "CCC", "AA"}));
  // Adding after the renumbering still takes a key above every page.
  NewItemRequest request;
  request.title = "Last";
  size_t index = 0;
  ASSERT_HRESULT_SUCCEEDED(pages.Add(item, request, index));
  EXPECT_EQ(TitlesReadAgain(item), (Strings{"B", "CCC", "AA", "Last"}));
}

}  // namespace

namespace {

class TabPageCommandsTest : public ::testing::Test {
 protected:
  TabPageCommandsTest() : made(file), item(made.item), commands(rig.prompt, rig.texts) {
    EXPECT_HRESULT_SUCCEEDED(pages.Load(item));
  }
  static NewItemRequest Request(const char* title, uint16_t kind = kItemText) {
    NewItemRequest request;
    request.title = title;
    request.kind = kind;
    return request;
  }
  const vtest::ShownMessage& LastMessage() const { return rig.prompt.shown.back(); }

  vtest::DocumentRig rig;
  vtest::ScratchFile file;
  PagesItem made;
  const StorageHandle& item;
  TabPages pages;
  TabPageCommands commands;
};

TEST_F(TabPageCommandsTest, AddAsksWithoutTheTabPagesChoiceAndSelectsTheNewPage) {
  rig.prompt.items.push_back(Request("Links", kItemWebLink));
  rig.prompt.items.back()->address = "http://example.org/";
  size_t index = 0;
  ASSERT_TRUE(commands.Add(item, pages, index));
  EXPECT_EQ(rig.prompt.itemCaptions, Strings{"Add TabPage"});
  EXPECT_EQ(rig.prompt.itemOffersTabPages, std::vector<bool>{false});
  EXPECT_EQ(index, 2u);
  EXPECT_EQ(pages.Pages()[2].kind, kItemWebLink);
  // A cancelled dialog changes nothing.
  rig.prompt.items.push_back(std::nullopt);
  EXPECT_FALSE(commands.Add(item, pages, index));
  EXPECT_EQ(TitlesReadAgain(item), (Strings{"Content", "Files", "Links"}));
}

struct CollisionCase {
  const char* name;
  int answer;                          // to the collision question
  std::optional<std::string> newName;  // to the rename dialog, when asked
  bool added;
  Strings after;
};

class TabPageCollision : public TabPageCommandsTest, public ::testing::WithParamInterface<CollisionCase> {};

TEST_P(TabPageCollision, ATakenTitleIsReplacedRenamedOrLeft) {
  rig.prompt.items.push_back(Request("Files"));  // a note titled like the file folder page
  rig.prompt.messageAnswers.push_back(GetParam().answer);
  if (GetParam().answer == IDNO) rig.prompt.names.push_back(GetParam().newName);
  size_t index = 0;
  EXPECT_EQ(commands.Add(item, pages, index), GetParam().added);
  EXPECT_EQ(Titles(pages), GetParam().after);
  EXPECT_EQ(TitlesReadAgain(item), GetParam().after);
  // One tab per page storage, whatever the answer.
  TabPages again;
  ASSERT_HRESULT_SUCCEEDED(again.Load(item));
  EXPECT_EQ(again.Count(), pages.Count());
  if (GetParam().added) {
    EXPECT_EQ(pages.Pages()[index].kind, kItemText);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TabPageCollision,
    ::testing::Values(CollisionCase{"Replace", IDYES, std::nullopt, true, {"Content", "Files"}},
                      CollisionCase{"Rename", IDNO, std::string("Notes"), true, {"Content", "Files", "Notes"}},
                      CollisionCase{"RenameCancelled", IDNO, std::nullopt, false, {"Content", "Files"}},
                      CollisionCase{"Cancel", IDCANCEL, std::nullopt, false, {"Content", "Files"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TabPageCommandsTest, TheReplacedPageIsANoteUnderThePlainTitle) {
  rig.prompt.items.push_back(Request("Files"));
  rig.prompt.messageAnswers.push_back(IDYES);
  size_t index = 0;
  ASSERT_TRUE(commands.Add(item, pages, index));
  EXPECT_EQ(pages.Pages()[index].elementName, "Files");
  EXPECT_EQ(pages.Pages()[index].kind, kItemText);
}

TEST_F(TabPageCommandsTest, DeleteKeepsTheLastPageWithTheTablesWarning) {
  ASSERT_TRUE(commands.Delete(item, pages, 1));
  EXPECT_TRUE(rig.prompt.shown.empty());  // no question before deleting
  EXPECT_FALSE(commands.Delete(item, pages, 0));
  EXPECT_EQ(LastMessage().text, rig.texts.TextOr(kTextLastTabPage, "?"));
  EXPECT_EQ(LastMessage().caption, rig.texts.TextOr(kTextTipCaption, "?"));
  EXPECT_EQ(LastMessage().type & MB_ICONMASK, static_cast<UINT>(MB_ICONWARNING));
  EXPECT_EQ(TitlesReadAgain(item), Strings{"Content"});
}

TEST_F(TabPageCommandsTest, RenameRefusesARepeatedTitle) {
  rig.prompt.names.push_back(std::string("files"));
  EXPECT_FALSE(commands.Rename(item, pages, 0));
  EXPECT_EQ(rig.prompt.nameCaptions, Strings{"Rename TabPage"});
  EXPECT_EQ(LastMessage().text, "TabPage title name repeated!");
  rig.prompt.names.push_back(std::string("Diary"));
  EXPECT_TRUE(commands.Rename(item, pages, 0));
  EXPECT_EQ(TitlesReadAgain(item), (Strings{"Diary", "Files"}));
}

TEST_F(TabPageCommandsTest, MovesStopAtTheEnds) {
  EXPECT_FALSE(commands.Move(item, pages, 0, -1));
  EXPECT_FALSE(commands.Move(item, pages, 1, +1));
  EXPECT_TRUE(commands.Move(item, pages, 0, +1));
  EXPECT_EQ(TitlesReadAgain(item), (Strings{"Files", "Content"}));
}

}  // namespace
