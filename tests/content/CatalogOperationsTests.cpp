// Catalog items changed in real compound files: item ids, copies that replace
// only when complete, custom icon paths behind the record's places.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "content/CatalogItems.h"
#include "content/CatalogOperations.h"
#include "content/TabPages.h"
#include "tests/content/ContentFixtures.h"
#include "tests/store/DocumentFixtures.h"

using namespace vellora;

namespace {

NewItemRequest Request(uint16_t kind, std::vector<std::string> columns = {}, std::string address = {}) {
  NewItemRequest r;
  r.kind = kind;
  r.columns = std::move(columns);
  r.address = std::move(address);
  return r;
}

CatalogItemEntry Entry(const StorageHandle& folder, const std::string& name) {
  CatalogItemEntry entry;
  ReadCatalogItem(folder, name, entry);
  return entry;
}

TEST(CatalogOperations, NewItemsOfEveryKindAndTheirIds) {
  vtest::ScratchFile file;
  StorageHandle folder = file.AddStorage("Folder");
  EXPECT_EQ(LargestItemId(folder), 0);
  struct Case {
    const char* name;
    NewItemRequest request;
  } cases[] = {
      {"Text", Request(kItemText)},
      {"List", Request(kItemDataList, {"Name", "Phone"})},
      {"Web", Request(kItemWebLink, {}, "http://example.org/")},
      {"Files", Request(kItemFileFolder)},
      {"Tabs", Request(kItemTabPages)},
      {"Control", Request(kItemOleControl, {}, "{00000000-0000-0000-0000-000000000001}")},
  };
  int32_t id = 40;
  for (const Case& c : cases) {
    ASSERT_HRESULT_SUCCEEDED(CreateCatalogItem(folder, c.request, c.name, id)) << c.name;
    CatalogItemEntry entry = Entry(folder, c.name);
    EXPECT_EQ(entry.kind, c.request.kind) << c.name;
    EXPECT_EQ(entry.itemId, id) << c.name;
    id += 3;
  }
  EXPECT_EQ(LargestItemId(folder), 55);
  // A web page's address is its content.
  StorageHandle web = folder.OpenStorageFor("Web", true);
  StreamHandle content = web.OpenStreamFor(kFolderItemContent, true);
  std::optional<std::string> address;
  ASSERT_HRESULT_SUCCEEDED(content.ReadCountedString(address));
  EXPECT_EQ(address, "http://example.org/");

  ASSERT_HRESULT_SUCCEEDED(SwapItemIds(folder, "Text", "List"));
  EXPECT_EQ(Entry(folder, "Text").itemId, 43);
  ASSERT_HRESULT_SUCCEEDED(SwapItemIds(folder, "Text", "List"));  // up and down again: as before
  EXPECT_EQ(Entry(folder, "Text").itemId, 40);
  EXPECT_EQ(Entry(folder, "List").itemId, 43);
  EXPECT_HRESULT_FAILED(SwapItemIds(folder, "Text", "Missing"));
  EXPECT_EQ(Entry(folder, "Text").itemId, 40);
}

TEST(CatalogOperations, CopiesReplaceOnlyWhenAskedAndKeepTheirContent) {
  vtest::ScratchFile file;
  StorageHandle from = file.AddStorage("From");
  StorageHandle to = file.AddStorage("To");
  ASSERT_HRESULT_SUCCEEDED(CreateCatalogItem(from, Request(kItemDataList, {"Column"}), "Shared", 1));
  ASSERT_HRESULT_SUCCEEDED(CreateCatalogItem(to, Request(kItemText), "shared", 7));

  EXPECT_EQ(CopyCatalogItem(from, "Shared", to, "Shared", 8, false), STG_E_FILEALREADYEXISTS);
  EXPECT_EQ(Entry(to, "shared").kind, kItemText);  // untouched
  ASSERT_HRESULT_SUCCEEDED(CopyCatalogItem(from, "Shared", to, "shared", 8, true));
  CatalogItemEntry replaced = Entry(to, "shared");
  EXPECT_EQ(replaced.kind, kItemDataList);
  EXPECT_EQ(replaced.itemId, 8);
  std::vector<CatalogItemEntry> items;
  LoadCatalogItems(to, items);
  EXPECT_EQ(items.size(), 1u);
  EXPECT_EQ(Entry(from, "Shared").itemId, 1);  // the source stays
  ASSERT_HRESULT_SUCCEEDED(CopyCatalogItem(from, "Shared", to, "Other", 9, false));
  EXPECT_EQ(Entry(to, "Other").itemId, 9);
  EXPECT_EQ(ExistingElement(to, "OTHER"), "Other");
}

// A tab pages item as the user leaves it: a note, a file folder with an
// embedded file, and a table whose page storage carries a class id and state
// bits of its own; the item storage carries some too.
void MakeBinder(const StorageHandle& folder, const char* name) {
  ASSERT_HRESULT_SUCCEEDED(CreateItem(folder, kItemTabPages, name, 3, kFolderItemInfo, kFolderItemContent, {}));
  StorageHandle binder;
  ASSERT_HRESULT_SUCCEEDED(folder.OpenStorage(name, kWriteMode, binder));
  const CLSID pageClass = {0x12345678, 0x9ABC, 0xDEF0, {1, 2, 3, 4, 5, 6, 7, 8}};
  ASSERT_HRESULT_SUCCEEDED(binder.WriteClass(pageClass));
  {
    StorageHandle note = binder.OpenStorageFor("Content", false);
    vtest::WriteStream(note, kTabPageItemContent, "{\\rtf1 minutes\\par}");
    StorageHandle files = binder.OpenStorageFor("Files", false);
    vtest::WriteStream(files, kTabPageItemContent,
                       vtest::Bytes32(0) + vtest::Bytes32(1) + vtest::Bytes32(0) + vtest::Counted("report.txt") +
                           vtest::Counted("C:\\report.txt") + vtest::Counted("report.txt"));
    vtest::WriteStream(files, "report.txt", std::string("embedded\0bytes", 14));
  }
  // A page never written keeps its empty content stream.
  ASSERT_HRESULT_SUCCEEDED(CreateItem(binder, kItemText, "Blank", 4, kTabPageItemInfo, kTabPageItemContent, {}));
  ASSERT_HRESULT_SUCCEEDED(CreateItem(binder, kItemDataList, "Sheet", 7, kTabPageItemInfo, kTabPageItemContent, {"A"}));
  StorageHandle sheet;
  ASSERT_HRESULT_SUCCEEDED(binder.OpenStorage("Sheet", kWriteMode, sheet));
  ASSERT_HRESULT_SUCCEEDED(sheet.WriteClass(pageClass));
  ASSERT_HRESULT_SUCCEEDED(sheet->SetStateBits(0x5A, 0xFFFFFFFFu));
}

// Everything of an item but its record, which takes the new item id.
std::map<std::string, std::string> PagesOf(const StorageHandle& folder, const std::string& name) {
  StorageHandle item = folder.OpenStorageFor(name.c_str(), true);
  EXPECT_TRUE(item) << name;
  if (!item) return {};
  std::map<std::string, std::string> contents = vtest::StorageContents(item);
  contents.erase(kFolderItemInfo);
  return contents;
}

TEST(CatalogOperations, ATabPagesItemIsCopiedWithEveryPageWhole) {
  struct Case {
    const char* name;
    bool sameFolder;
    const char* target;
    bool replace;
    bool transacted;  // the target held as the program holds its current folder, committed
  } cases[] = {
      {"IntoAnotherFolder", false, "Binder", false, false},
      {"OverAnItemThere", false, "Taken", true, false},
      {"BesideItselfInItsOwnFolder", true, "Copy", false, false},
      {"IntoTheCurrentFolder", false, "Binder", false, true},
      {"OverAnItemOfTheCurrentFolder", false, "Taken", true, true},
  };
  for (const Case& c : cases) {
    vtest::ScratchFile file;
    StorageHandle from = file.AddStorage("From");
    StorageHandle to;
    if (!c.sameFolder) {
      file.AddStorage("To").Release();
      ASSERT_HRESULT_SUCCEEDED(file.Root().OpenStorage("To", c.transacted ? kTransactedMode : kWriteMode, to));
    }
    StorageHandle& target = c.sameFolder ? from : to;
    MakeBinder(from, "Binder");
    if (!c.sameFolder) {
      ASSERT_HRESULT_SUCCEEDED(CreateCatalogItem(target, Request(kItemText), "Taken", 1));
    }
    const std::map<std::string, std::string> before = PagesOf(from, "Binder");
    ASSERT_EQ(before.count("Sheet/"), 1u) << c.name;

    const std::string made = c.target;
    ASSERT_HRESULT_SUCCEEDED(CopyCatalogItem(from, "Binder", target, made, 9, c.replace)) << c.name;
    if (c.transacted) {
      ASSERT_HRESULT_SUCCEEDED(target.Commit()) << c.name;
      target.Release();
      ASSERT_HRESULT_SUCCEEDED(file.Root().OpenStorage("To", kReadMode, target)) << c.name;
    }
    EXPECT_EQ(PagesOf(target, made), before) << c.name;
    EXPECT_EQ(PagesOf(from, "Binder"), before) << c.name;  // the source stays as it was
    CatalogItemEntry entry = Entry(target, made);
    EXPECT_EQ(entry.kind, kItemTabPages) << c.name;
    EXPECT_EQ(entry.itemId, 9) << c.name;

    TabPages pages;
    StorageHandle copy = target.OpenStorageFor(made.c_str(), true);
    ASSERT_HRESULT_SUCCEEDED(pages.Load(copy)) << c.name;
    std::vector<std::pair<std::string, int32_t>> keys;
    for (const TabPageEntry& page : pages.Pages()) keys.emplace_back(page.title, page.orderKey);
    EXPECT_EQ(keys, (std::vector<std::pair<std::string, int32_t>>{{"Content", 0}, {"Files", 1}, {"Blank", 4}, {"Sheet", 7}}))
        << c.name;
  }
}

TEST(CatalogOperations, TheIconPathFollowsThePlacesAndLeavesNoTail) {
  vtest::ScratchFile file;
  StorageHandle folder = file.AddStorage("Folder");
  ASSERT_HRESULT_SUCCEEDED(CreateCatalogItem(folder, Request(kItemDataList, {"A", "B", "C"}), "List", 1));
  ASSERT_HRESULT_SUCCEEDED(WriteItemIcon(folder, "List", "C:\\a\\much\\longer\\path\\to\\an\\icon.ico"));
  ASSERT_HRESULT_SUCCEEDED(WriteItemIcon(folder, "List", "C:\\i.ico"));
  CatalogItemEntry entry = Entry(folder, "List");
  EXPECT_EQ(entry.iconPath, "C:\\i.ico");
  StorageHandle item = folder.OpenStorageFor("List", true);
  StreamHandle info = item.OpenStreamFor(kFolderItemInfo, true);
  // 40 bytes of record, three widths, the counted path and nothing after it.
  EXPECT_EQ(info.Size(), kRecordSize + 3 * 4 + 4 + (8 + 1) * 2);
}

}  // namespace
