// Catalog items changed in real compound files: item ids, copies that replace
// only when complete, custom icon paths behind the record's places.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "content/CatalogItems.h"
#include "content/CatalogOperations.h"
#include "tests/content/ContentFixtures.h"

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
