// Catalog items read from real item storages: their order, their records and
// custom icon paths, what a corrupt info stream gives, the document's item
// counter.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "content/CatalogItems.h"
#include "store/LibraryDocument.h"
#include "tests/content/ContentFixtures.h"
#include "tools/QuietDocument.h"

using namespace vellora;
using vtest::Bytes32;

namespace {

// An item made as the program makes it, with the icon path written as the
// "Custom Item Icon" command writes it: at byte 40 + 4 x n.
void AddItem(const StorageHandle& folder, const char* name, int32_t id, uint16_t kind = kItemText,
             const std::vector<std::string>& strings = {}, const char* iconPath = nullptr) {
  ASSERT_HRESULT_SUCCEEDED(CreateItem(folder, kind, name, id, kFolderItemInfo, kFolderItemContent, strings));
  if (!iconPath) return;
  StorageHandle item;
  ASSERT_HRESULT_SUCCEEDED(folder.OpenStorage(name, kWriteMode, item));
  StreamHandle info;
  ASSERT_HRESULT_SUCCEEDED(item.OpenStream(kFolderItemInfo, kWriteMode, info));
  ItemInfoRecord record;
  ASSERT_TRUE(ReadItemInfo(info, record));
  ASSERT_HRESULT_SUCCEEDED(info.Seek(kRecordSize + 4 * record.places, STREAM_SEEK_SET));
  ASSERT_HRESULT_SUCCEEDED(info.WriteCountedString(std::string(iconPath)));
}

// An item storage whose "FolderItemInfo" holds exactly these bytes.
void AddRawItem(const StorageHandle& folder, const char* name, const std::string& infoBytes) {
  StorageHandle item;
  ASSERT_HRESULT_SUCCEEDED(folder.CreateStorage(name, kWriteMode, item));
  vtest::WriteStream(item, kFolderItemInfo, infoBytes);
}

std::string RecordBytes(int32_t id, uint32_t kind, uint32_t places, uint32_t flags = 0) {
  return Bytes32(static_cast<uint32_t>(id)) + Bytes32(kind) + Bytes32(1) + Bytes32(places) + Bytes32(flags) +
         std::string(20, '\0');
}

const CatalogItemEntry* Find(const std::vector<CatalogItemEntry>& items, const std::string& name) {
  for (const auto& item : items)
    if (item.elementName == name) return &item;
  return nullptr;
}

TEST(CatalogItems, ListedByItemIdWhateverTheStorageOrder) {
  vtest::ScratchFile file;
  StorageHandle folder = file.AddStorage("Favorite Folder");
  // Compound files enumerate by name length and name; the ids say otherwise.
  AddItem(folder, "A", 30);
  AddItem(folder, "Zulu", -5);
  AddItem(folder, "Mike", 7);
  AddItem(folder, "#$VLX$#417\tMike", 12);
  AddItem(folder, "Bravo", 7);
  AddItem(folder, "Long title of an item", 2147483647);
  vtest::WriteStream(folder, "Loose stream", "not an item");

  std::vector<CatalogItemEntry> items;
  ASSERT_HRESULT_SUCCEEDED(LoadCatalogItems(folder, items));
  ASSERT_EQ(items.size(), 6u);  // the stream is no item
  std::vector<int32_t> ids;
  for (const auto& item : items) ids.push_back(item.itemId);
  EXPECT_EQ(ids, (std::vector<int32_t>{-5, 7, 7, 12, 30, 2147483647}));

  // Equal ids keep the folder's enumeration order.
  std::vector<std::string> enumerated;
  folder.ForEachElement([&](const STATSTG& stat, const std::string& name) {
    if (stat.type == STGTY_STORAGE && (name == "Mike" || name == "Bravo")) enumerated.push_back(name);
    return true;
  });
  EXPECT_EQ(std::vector<std::string>({items[1].elementName, items[2].elementName}), enumerated);

  // Encoded names show their title; the element name stays what the storage is called.
  EXPECT_EQ(items[3].elementName, "#$VLX$#417\tMike");
  EXPECT_EQ(items[3].title, "Mike");
  EXPECT_EQ(items[0].title, "Zulu");
  EXPECT_EQ(MaxItemId(items), 2147483647);
}

TEST(CatalogItems, RecordFieldsAndPasswordsAreCarried) {
  vtest::ScratchFile file;
  StorageHandle folder = file.AddStorage("F");
  AddItem(folder, "Columns", 1, kItemDataList, {"Name", "Phone"});
  AddRawItem(folder, "Locked", RecordBytes(2, 0x00050009u, 1, kPasswordFlag) );
  {
    // The password field of the record above, written in place.
    StorageHandle item;
    ASSERT_HRESULT_SUCCEEDED(folder.OpenStorage("Locked", kWriteMode, item));
    StreamHandle info;
    ASSERT_HRESULT_SUCCEEDED(item.OpenStream(kFolderItemInfo, kWriteMode, info));
    ItemInfoRecord record;
    ASSERT_TRUE(ReadItemInfo(info, record, true));
    record.SetPassword("secret");
    ASSERT_TRUE(WriteItemInfo(info, record));
  }
  std::vector<CatalogItemEntry> items;
  ASSERT_HRESULT_SUCCEEDED(LoadCatalogItems(folder, items));
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].kind, kItemDataList);
  EXPECT_FALSE(items[0].hasPassword);
  EXPECT_EQ(items[0].password, "");
  EXPECT_EQ(items[1].kind, kItemOleControl);  // only the low 16 bits are the kind
  EXPECT_TRUE(items[1].hasPassword);
  EXPECT_EQ(items[1].password, "secret");
}

TEST(CatalogItems, IconPathIsReadBehindTheRecordsPlaces) {
  vtest::ScratchFile file;
  StorageHandle folder = file.AddStorage("F");
  AddItem(folder, "No places", 1, kItemText, {}, "C:\\icons\\text.ico");                       // n = 0
  AddItem(folder, "One place", 2, kItemWebLink, {"http://localhost/"}, "C:\\icons\\web.ico");  // n = 1
  AddItem(folder, "Three places", 3, kItemDataList, {"a", "b", "c"}, "C:\\icons\\list.ico");   // n = 3
  AddItem(folder, "Absent", 4, kItemDataList, {"a", "b"});                                      // ends after the places
  AddRawItem(folder, "Null string", RecordBytes(5, kItemText, 2) + Bytes32(80) + Bytes32(80) + Bytes32(0));

  std::vector<CatalogItemEntry> items;
  ASSERT_HRESULT_SUCCEEDED(LoadCatalogItems(folder, items));
  ASSERT_EQ(items.size(), 5u);
  EXPECT_EQ(Find(items, "No places")->iconPath, "C:\\icons\\text.ico");
  EXPECT_EQ(Find(items, "One place")->iconPath, "C:\\icons\\web.ico");
  EXPECT_EQ(Find(items, "Three places")->iconPath, "C:\\icons\\list.ico");
  EXPECT_EQ(Find(items, "Absent")->iconPath, "");
  EXPECT_EQ(Find(items, "Null string")->iconPath, "");
}

TEST(CatalogItems, CorruptInfoStreamsGiveABoundedResult) {
  vtest::ScratchFile file;
  StorageHandle folder = file.AddStorage("F");
  const std::string path = "C:\\x.ico";
  std::string counted = Bytes32(static_cast<uint32_t>(path.size() * 2 + 2));
  for (char c : path) counted += std::string{c, '\0'};
  counted += std::string(2, '\0');

  AddRawItem(folder, "Short record", std::string("\x09\x00\x00\x00\x01\x00", 6));
  AddRawItem(folder, "Huge n", RecordBytes(3, kItemText, 0x7FFFFFFFu) + counted);
  AddRawItem(folder, "Largest n", RecordBytes(4, kItemText, 0xFFFFFFFFu) + counted);
  // 4 x n is 2^32: computed in 32 bits it would land right on the string.
  AddRawItem(folder, "Wrapping n", RecordBytes(8, kItemText, 0x40000000u) + counted);
  AddRawItem(folder, "Garbage count", RecordBytes(5, kItemText, 0) + Bytes32(0x7FFFFFF0u) + "abcd");
  AddRawItem(folder, "Odd count", RecordBytes(6, kItemText, 0) + Bytes32(7) + "abcdefg");
  AddRawItem(folder, "Cut string", RecordBytes(7, kItemText, 0) + counted.substr(0, counted.size() - 3));
  AddRawItem(folder, "Empty stream", "");
  StorageHandle bare;
  ASSERT_HRESULT_SUCCEEDED(folder.CreateStorage("No info stream", kWriteMode, bare));
  bare.Release();

  std::vector<CatalogItemEntry> items;
  ASSERT_HRESULT_SUCCEEDED(LoadCatalogItems(folder, items));
  ASSERT_EQ(items.size(), 9u);  // every storage is still an item
  for (const auto& item : items) EXPECT_EQ(item.iconPath, "") << item.elementName;
  // Unreadable records read as zeros, whatever part of them is there.
  for (const char* zero : {"Short record", "Empty stream", "No info stream"}) {
    EXPECT_EQ(Find(items, zero)->itemId, 0) << zero;
    EXPECT_EQ(Find(items, zero)->kind, 0) << zero;
  }
  EXPECT_EQ(Find(items, "Huge n")->itemId, 3);
  EXPECT_EQ(Find(items, "Cut string")->itemId, 7);
  EXPECT_EQ(items.back().elementName, "Wrapping n");
  EXPECT_EQ(MaxItemId(items), 8);
}

TEST(CatalogItems, ItemCounterFollowsTheCatalogFolderLoadedLast) {
  QuietHost host;
  NoPrompt prompt;
  class NoTexts : public TextSource {
    const char* Text(vellora::TextKey) const override { return nullptr; }
  } texts;
  class Sink : public DiagnosticSink {
    void Report(const std::string&) override {}
  } sink;
  vtest::TempDir dir;
  vtest::TempRegistryKey key;
  DocumentSetup setup;
  setup.registryKey = key.Path();
  setup.tempFolder = dir.Path();
  LibraryDocument doc(host, prompt, texts, sink, setup);
  ASSERT_TRUE(doc.CreateLibrary(dir.File("counter.vlx")));

  ASSERT_HRESULT_SUCCEEDED(doc.SelectCurrentFolder("Favorite Folder"));
  AddItem(doc.CurrentFolder(), "Big", 40);
  AddItem(doc.CurrentFolder(), "Small", 3);
  {
    StorageHandle second = doc.Root().OpenStorageFor("Favorite Folder 2", false);
    AddItem(second, "Only", 9);
  }
  std::vector<CatalogItemEntry> items;
  ASSERT_HRESULT_SUCCEEDED(LoadCatalogFolder(doc, "Favorite Folder", items));  // the held current folder
  EXPECT_EQ(items.size(), 2u);
  EXPECT_EQ(doc.ItemCounter(), 40);
  ASSERT_HRESULT_SUCCEEDED(LoadCatalogFolder(doc, "Favorite Folder 2", items));  // opened from the root
  EXPECT_EQ(doc.ItemCounter(), 9);  // lowered: not a library-wide maximum
  EXPECT_EQ(doc.NextItemId(), 10);
  {
    StorageHandle second = doc.Root().OpenStorageFor("Favorite Folder 2", false);
    second.DestroyElement("Only");
  }
  ASSERT_HRESULT_SUCCEEDED(LoadCatalogFolder(doc, "Favorite Folder 2", items));
  EXPECT_TRUE(items.empty());
  EXPECT_EQ(doc.ItemCounter(), 0);
  EXPECT_HRESULT_FAILED(LoadCatalogFolder(doc, "No such folder", items));
}

}  // namespace
