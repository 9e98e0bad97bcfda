// The library layout: names, records, folder class ids, settings slots,
// bookmarks, item creation and item <-> node conversion.
#include <gtest/gtest.h>

#include <cstring>

#include "store/LibraryFormat.h"
#include "tests/TestSupport.h"

using namespace vellora;

namespace {

TEST(ElementNames, EncodedNamesShowTheirTitleAndPlainNamesShowThemselves) {
  EXPECT_EQ(DisplayName("Plain title"), "Plain title");
  EXPECT_EQ(DisplayName("#$VLX$#123\tMy Note"), "My Note");
  EXPECT_EQ(DisplayName("#$VLX$#123\tTab\tinside"), "Tab\tinside");  // after the first TAB only
  EXPECT_EQ(DisplayName("#$VLX$#no tab"), "#$VLX$#no tab");
  EXPECT_EQ(DisplayName("#$VLX"), "#$VLX");
}

TEST(ElementNames, LongTitlesAreCutTo31BytesAndShowTheirHead) {
  std::string title(30, 'a');
  std::string name = EncodedElementName(title, 12345);
  EXPECT_EQ(name.size(), 31u);
  EXPECT_EQ(DisplayName(name), std::string(18, 'a'));
  std::string random = UniqueElementName("Short");
  EXPECT_EQ(random.compare(0, 7, "#$VLX$#"), 0);
  EXPECT_EQ(DisplayName(random), "Short");
}

TEST(ElementNames, CuttingNeverSplitsADoubleByteCharacter) {
  // Under a GBK code page \xD6\xD0 is one character; under others each byte
  // is one. Either way the cut name converts back without a broken tail.
  std::string title;
  for (int i = 0; i < 15; ++i) title += "\xD6\xD0";
  std::string name = EncodedElementName(title, 12);  // 10 bytes of head, 30 of title
  ASSERT_LE(name.size(), 31u);
  if (IsDBCSLeadByteEx(CP_ACP, 0xD6)) {
    EXPECT_EQ(name.size(), 30u);  // byte 31 would be half a character
    EXPECT_EQ(DisplayName(name), title.substr(0, 20));
  } else {
    EXPECT_EQ(name.size(), 31u);
  }
  EXPECT_EQ(CutToBytes("abc", 10), "abc");
}

TEST(ElementNames, ACollidingEncodedNameIsDrawnAgain) {
  // The first encoded names are all "taken": the helper keeps drawing.
  int calls = 0;
  std::string used;
  HRESULT hr = CreateUnderFreeName(
      "Title",
      [&](const char* name) {
        ++calls;
        return calls <= 3 ? STG_E_FILEALREADYEXISTS : (DisplayName(name) == "Title" ? S_OK : E_FAIL);
      },
      used);
  EXPECT_HRESULT_SUCCEEDED(hr);
  EXPECT_EQ(calls, 4);
  EXPECT_EQ(DisplayName(used), "Title");
  EXPECT_NE(used, "Title");
  // Other failures are handed back at once, and the plain name is used when free.
  calls = 0;
  EXPECT_EQ(CreateUnderFreeName("T", [&](const char*) { return ++calls, STG_E_INVALIDNAME; }, used),
            STG_E_INVALIDNAME);
  EXPECT_EQ(calls, 1);
  EXPECT_HRESULT_SUCCEEDED(CreateUnderFreeName("Free", [](const char*) { return S_OK; }, used));
  EXPECT_EQ(used, "Free");
  // Renames report a taken name as access denied.
  calls = 0;
  CreateUnderFreeName("R", [&](const char*) { return ++calls == 1 ? STG_E_ACCESSDENIED : S_OK; }, used, true);
  EXPECT_EQ(calls, 2);
}

TEST(ElementNames, ReservedNamesCompareAsTheLayoutSays) {
  EXPECT_TRUE(IsSettingsStorageName("#$LibrarySetting#$"));
  EXPECT_FALSE(IsSettingsStorageName("#$librarysetting#$"));
  EXPECT_TRUE(IsNodeInfoStreamName("#bookfolderiteminfo#"));
  EXPECT_FALSE(IsNodeInfoStreamName("#BOOKFOLDERITEMINFO"));
}

TEST(Records, ItemAndNodeRecordsHaveTheirByteLayout) {
  ItemInfoRecord item;
  item.itemId = -2;
  item.kind = kItemDataList;
  item.created = 1;
  item.places = 3;
  item.flags = kPasswordFlag;
  item.SetPassword("secret");
  uint8_t bytes[40];
  item.Encode(bytes);
  const uint8_t head[] = {0xFE, 0xFF, 0xFF, 0xFF, 2, 0, 0, 0, 1, 0, 0, 0, 3, 0, 0, 0, 0x00, 0x80, 0, 0};
  EXPECT_EQ(std::memcmp(bytes, head, sizeof head), 0);
  EXPECT_EQ(std::memcmp(bytes + 20, "secret\0", 7), 0);
  EXPECT_EQ(ItemInfoRecord::Decode(bytes).Password(), "secret");

  NodeInfoRecord node;
  node.sequence = 5;
  node.kind = kItemWebLink;
  node.flags = kPasswordFlag;
  node.SetPassword(std::string(30, 'p'));  // passwords hold at most 19 bytes
  node.Encode(bytes);
  const uint8_t nodeHead[] = {5, 0, 0, 0, 3, 0, 0x00, 0x80};
  EXPECT_EQ(std::memcmp(bytes, nodeHead, sizeof nodeHead), 0);
  EXPECT_EQ(NodeInfoRecord::Decode(bytes).Password(), std::string(19, 'p'));
  for (int i = 32; i < 40; ++i) EXPECT_EQ(bytes[i], 0);
}

class LibraryFileTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_HRESULT_SUCCEEDED(root_.CreateRoot(dir_.File("f.vlx").c_str(), kWriteMode)); }
  vtest::TempDir dir_;
  StorageHandle root_;
};

TEST_F(LibraryFileTest, AShortRecordReadsAsZeros) {
  StreamHandle s;
  root_.CreateStream("Short", kWriteMode, s);
  s.WriteBytes("\x07\x00\x00\x00\x01\x00", 6);
  s.Seek(0, STREAM_SEEK_SET);
  ItemInfoRecord r;
  r.itemId = 99;
  EXPECT_FALSE(ReadItemInfo(s, r));
  EXPECT_EQ(r.itemId, 0);
  EXPECT_EQ(r.kind, 0u);
}

TEST_F(LibraryFileTest, FoldersAreListedWithKindAndOrderButNotTheSettings) {
  const struct { const char* name; uint16_t kind, order; } folders[] = {
      {"Tree", kFolderTree, 2}, {"Catalog", kFolderCatalog, 1}, {"#$librarysetting#$", kFolderCatalog, 3}};
  for (auto& f : folders) {
    StorageHandle s;
    root_.CreateStorage(f.name, kWriteMode, s);
    s.WriteClass(FolderClassId(f.kind, f.order));
  }
  LayDownSettings(root_);
  std::vector<FolderEntry> list;
  ASSERT_HRESULT_SUCCEEDED(ListFolders(root_, list));
  ASSERT_EQ(list.size(), 3u);
  for (const FolderEntry& e : list) {
    EXPECT_NE(e.name, "#$LibrarySetting#$");
    if (e.name == "Tree") {
      EXPECT_EQ(e.kind, kFolderTree);
      EXPECT_EQ(e.order, 2);
    }
  }
  CLSID id = FolderClassId(kFolderCatalog, 9);
  EXPECT_EQ(id.Data1, 0u);
  EXPECT_EQ(id.Data2, 2);
  EXPECT_EQ(id.Data3, 9);
}

TEST_F(LibraryFileTest, SettingsSlotsPadWithEmptyStringsAndKeepOtherSlots) {
  EXPECT_EQ(ReadSettingsSlot(root_, 0).Type(), VT_EMPTY);  // no settings storage at all
  ASSERT_HRESULT_SUCCEEDED(WriteSettingsSlot(root_, 13, Variant::FromInt(42)));
  StorageHandle settings = root_.OpenStorageFor(kSettingsStorage, true);
  StreamHandle raw = settings.OpenStreamFor(kInterfaceSettingStream, true);
  // 13 empty strings (type, count 2, NUL) and the integer.
  EXPECT_EQ(raw.Size(), 13u * (2 + 4 + 2) + (2 + 4));
  raw.Release();
  settings.Release();
  for (int slot = 0; slot < 13; ++slot) {
    EXPECT_TRUE(ReadSettingsSlot(root_, slot).IsString());
    EXPECT_EQ(ReadSettingsString(root_, slot), "");
  }
  EXPECT_EQ(ReadSettingsSlot(root_, 13).AsInt(), 42);
  EXPECT_EQ(ReadSettingsSlot(root_, 14).Type(), VT_EMPTY);
  ASSERT_HRESULT_SUCCEEDED(WriteSettingsSlot(root_, 6, Variant::FromString("pw")));
  EXPECT_EQ(ReadSettingsString(root_, 6), "pw");
  EXPECT_EQ(ReadSettingsSlot(root_, 13).AsInt(), 42);
  EXPECT_EQ(ReadSettingsString(root_, 13), "");  // not a string: read as empty
  EXPECT_HRESULT_FAILED(WriteSettingsSlot(root_, 16, Variant::FromInt(1)));
  EXPECT_EQ(ReadSettingsSlot(root_, -1).Type(), VT_EMPTY);
}

TEST_F(LibraryFileTest, ACorruptSettingsStreamReadsAsEmptyAndIsRewritten) {
  {
    SettingsStream s;
    ASSERT_HRESULT_SUCCEEDED(OpenSettingsStream(root_, kInterfaceSettingStream, s));
    s.stream.WriteBytes("\x08\x00\xFF\xFF\xFF\xFF", 6);  // a string claiming 4 GiB
  }
  EXPECT_EQ(ReadSettingsSlot(root_, 0).Type(), VT_EMPTY);
  ASSERT_HRESULT_SUCCEEDED(WriteSettingsSlot(root_, 1, Variant::FromString("x")));
  EXPECT_EQ(ReadSettingsString(root_, 1), "x");
}

// Slots as the stream encoding lays them down: the type, then the value.
std::string Le(uint32_t value, size_t width) {
  std::string out;
  for (size_t i = 0; i < width; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
  return out;
}
std::string CountedText(const std::string& ascii) {
  std::string out = Le(static_cast<uint32_t>(2 * ascii.size() + 2), 4);
  for (char c : ascii) out += std::string(1, c) + '\0';
  return out + std::string(2, '\0');
}
std::string StringSlot(const std::string& ascii) { return Le(VT_BSTR, 2) + CountedText(ascii); }
std::string IntSlot(int32_t value) { return Le(VT_I4, 2) + Le(static_cast<uint32_t>(value), 4); }

class SettingsSlotsTest : public LibraryFileTest {
 protected:
  void SetStream(const std::string& bytes) {
    SettingsStream s;
    ASSERT_HRESULT_SUCCEEDED(OpenSettingsStream(root_, kInterfaceSettingStream, s));
    ASSERT_HRESULT_SUCCEEDED(s.stream.Reset());
    ASSERT_HRESULT_SUCCEEDED(s.stream.WriteBytes(bytes.data(), static_cast<ULONG>(bytes.size())));
  }
  std::string Stream() {
    StorageHandle settings = root_.OpenStorageFor(kSettingsStorage, true);
    StreamHandle s = settings.OpenStreamFor(kInterfaceSettingStream, true);
    std::string bytes(static_cast<size_t>(s.Size()), '\0');
    ULONG got = 0;
    if (!bytes.empty()) s.ReadBytes(bytes.data(), static_cast<ULONG>(bytes.size()), &got);
    return bytes.substr(0, got);
  }
};

TEST_F(SettingsSlotsTest, ASlotThatCannotBeReadLeavesTheOthersReadableAndSurvivesARewrite) {
  const struct {
    const char* what;
    std::string bytes;
  } bad[] = {
      {"a string of an odd byte count", Le(VT_BSTR, 2) + Le(3, 4) + "abc"},
      {"a decimal kept as a text that is no number", Le(VT_DECIMAL, 2) + CountedText("abc")},
      {"a type this program does not know", Le(0x0FFF, 2) + CountedText("?")},
  };
  for (const auto& b : bad) {
    for (int position : {0, 3, 5, 7}) {
      SCOPED_TRACE(std::string(b.what) + " in slot " + std::to_string(position));
      std::vector<std::string> slots;
      for (int i = 0; i < 9; ++i)
        slots.push_back(i == position ? b.bytes : i == 6 ? StringSlot("secret") : i == 8 ? IntSlot(77)
                                                                                      : StringSlot("s" + std::to_string(i)));
      std::string stored;
      for (const auto& slot : slots) stored += slot;
      SetStream(stored);
      for (int i = 0; i < 9; ++i) {
        Variant v = ReadSettingsSlot(root_, i);
        if (i == position) EXPECT_EQ(v.Type(), VT_EMPTY) << i;
        else if (i == 8) EXPECT_EQ(v.AsInt(), 77);
        else if (i != 6) EXPECT_EQ(v.AsString(), "s" + std::to_string(i)) << i;
      }
      EXPECT_EQ(ReadSettingsString(root_, 6), "secret");  // the library password
      // Writing a slot before it and one beyond the list keeps its bytes where they were.
      ASSERT_HRESULT_SUCCEEDED(WriteSettingsSlot(root_, 1, Variant::FromString("new")));
      ASSERT_HRESULT_SUCCEEDED(WriteSettingsSlot(root_, 11, Variant::FromInt(5)));
      slots[1] = StringSlot("new");
      std::string expected;
      for (const auto& slot : slots) expected += slot;
      expected += StringSlot("") + StringSlot("") + IntSlot(5);
      EXPECT_EQ(Stream(), expected);
      EXPECT_EQ(ReadSettingsString(root_, 6), "secret");
    }
  }
}

TEST_F(SettingsSlotsTest, BytesWhoseEndCannotBeFoundAndWhatFollowsTheListAreKept) {
  // An object: only its class knows its length, so the slots behind it are
  // out of reach; writing a slot before it keeps it whole.
  const std::string object = Le(VT_UNKNOWN, 2) + std::string(16, '\x11') + "object state";
  SetStream(StringSlot("a") + StringSlot("b") + object);
  EXPECT_EQ(ReadSettingsSlot(root_, 2).Type(), VT_EMPTY);
  ASSERT_HRESULT_SUCCEEDED(WriteSettingsSlot(root_, 0, Variant::FromString("c")));
  EXPECT_EQ(Stream(), StringSlot("c") + StringSlot("b") + object);
  // Behind the end mark of the list.
  const std::string after = Le(VT_EMPTY, 2) + "left by another writer";
  SetStream(StringSlot("a") + after);
  ASSERT_HRESULT_SUCCEEDED(WriteSettingsSlot(root_, 2, Variant::FromInt(9)));
  EXPECT_EQ(Stream(), StringSlot("a") + StringSlot("") + IntSlot(9) + after);
  EXPECT_EQ(ReadSettingsSlot(root_, 2).AsInt(), 9);
  EXPECT_EQ(ReadSettingsSlot(root_, 3).Type(), VT_EMPTY);
}

TEST_F(LibraryFileTest, BookmarksAppendAfterTheRunAndRewriteReplacesIt) {
  EXPECT_TRUE(ReadBookmarks(root_).empty());
  ASSERT_HRESULT_SUCCEEDED(AppendBookmark(root_, {"First", "Tree\\A"}));
  ASSERT_HRESULT_SUCCEEDED(AppendBookmark(root_, {"Second", "Tree\\B#TEXT_NODE#12"}));
  auto list = ReadBookmarks(root_);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[1].title, "Second");
  EXPECT_EQ(list[1].location, "Tree\\B#TEXT_NODE#12");
  ASSERT_HRESULT_SUCCEEDED(RewriteBookmarks(root_, {{"Only", "X"}}));
  list = ReadBookmarks(root_);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].title, "Only");
  // Bytes after a null string end the run; appending goes before them.
  {
    SettingsStream s;
    OpenSettingsStream(root_, kBookmarkStream, s);
    s.stream.Seek(0, STREAM_SEEK_END);
    s.stream.WriteCountedString(std::nullopt);
    s.stream.WriteCountedString(std::string("stale"));
  }
  ASSERT_HRESULT_SUCCEEDED(AppendBookmark(root_, {"Next", "Y"}));
  list = ReadBookmarks(root_);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[1].title, "Next");
}

TEST_F(LibraryFileTest, ItemsOfEveryKindAreLaidDownAsTheirKindNeeds) {
  StorageHandle folder;
  root_.CreateStorage("Catalog", kWriteMode, folder);
  ASSERT_HRESULT_SUCCEEDED(CreateItem(folder, kItemDataList, "List", 4, kFolderItemInfo, kFolderItemContent,
                                      {"Name", "Phone"}));
  StorageHandle list = folder.OpenStorageFor("List", true);
  StreamHandle info = list.OpenStreamFor(kFolderItemInfo, true);
  ItemInfoRecord r;
  ASSERT_TRUE(ReadItemInfo(info, r));
  EXPECT_EQ(r.itemId, 4);
  EXPECT_EQ(r.kind, kItemDataList);
  EXPECT_EQ(r.created, 1u);
  EXPECT_EQ(r.places, 2u);
  uint32_t widths[2] = {};
  ASSERT_TRUE(info.ReadRecord(widths, 8));
  EXPECT_EQ(widths[0], 80u);
  EXPECT_EQ(widths[1], 80u);
  StreamHandle content = list.OpenStreamFor(kFolderItemContent, true);
  std::optional<std::string> title;
  content.ReadCountedString(title);
  EXPECT_EQ(title, std::optional<std::string>("Name"));
  info.Release();
  content.Release();
  list.Release();

  ASSERT_HRESULT_SUCCEEDED(
      CreateItem(folder, kItemWebLink, "Web", 5, kFolderItemInfo, kFolderItemContent, {"http://localhost/"}));
  StorageHandle web = folder.OpenStorageFor("Web", true);
  EXPECT_EQ(web.OpenStreamFor(kFolderItemInfo, true).Size(), 40u);  // n = 1, nothing stored in its place
  content = web.OpenStreamFor(kFolderItemContent, true);
  content.ReadCountedString(title);
  EXPECT_EQ(title, std::optional<std::string>("http://localhost/"));
  content.Release();
  web.Release();

  ASSERT_HRESULT_SUCCEEDED(CreateItem(folder, kItemTabPages, "Tabs", 6, kFolderItemInfo, kFolderItemContent, {}));
  StorageHandle tabs = folder.OpenStorageFor("Tabs", true);
  EXPECT_EQ(tabs.FindElement(kFolderItemContent), ElementType::None);
  StorageHandle files = tabs.OpenStorageFor("Files", true);
  info = files.OpenStreamFor(kTabPageItemInfo, true);
  ASSERT_TRUE(ReadItemInfo(info, r));
  EXPECT_EQ(r.kind, kItemFileFolder);
  EXPECT_EQ(r.itemId, 1);
  EXPECT_EQ(files.FindElement(kTabPageItemContent), ElementType::Stream);
  EXPECT_EQ(CreateItem(folder, 7, "Bad", 1, kFolderItemInfo, kFolderItemContent, {}), E_INVALIDARG);
}

TEST_F(LibraryFileTest, ItemsAndLeafNodesConvertBothWays) {
  StorageHandle catalog, tree;
  root_.CreateStorage("Catalog", kWriteMode, catalog);
  root_.CreateStorage("Tree", kWriteMode, tree);
  CreateItem(catalog, kItemWebLink, "Item", 3, kFolderItemInfo, kFolderItemContent, {"addr"});
  {
    StorageHandle item = catalog.OpenStorageFor("Item", false);
    StreamHandle info = item.OpenStreamFor(kFolderItemInfo, false);
    ItemInfoRecord r;
    ReadItemInfo(info, r, true);
    r.flags = kPasswordFlag;
    r.SetPassword("pw");
    WriteItemInfo(info, r);
  }
  ASSERT_HRESULT_SUCCEEDED(CatalogItemToLeafNode(catalog, "Item", tree, "Node", 9, false));
  EXPECT_EQ(catalog.FindElement("Item"), ElementType::Storage);
  StreamHandle leaf = tree.OpenStreamFor("Node", true);
  NodeInfoRecord n;
  ASSERT_TRUE(ReadNodeInfo(leaf, n));
  EXPECT_EQ(n.sequence, 9);
  EXPECT_EQ(n.kind, kItemWebLink);
  EXPECT_TRUE(n.HasPassword());
  EXPECT_EQ(n.Password(), "pw");
  std::optional<std::string> address;
  leaf.ReadCountedString(address);
  EXPECT_EQ(address, std::optional<std::string>("addr"));
  leaf.Release();

  ASSERT_HRESULT_SUCCEEDED(LeafNodeToCatalogItem(tree, "Node", catalog, "Back", 11, true));
  EXPECT_EQ(tree.FindElement("Node"), ElementType::None);
  StorageHandle back = catalog.OpenStorageFor("Back", true);
  ItemInfoRecord r;
  ASSERT_TRUE(ReadItemInfo(back.OpenStreamFor(kFolderItemInfo, true), r));
  EXPECT_EQ(r.itemId, 11);
  EXPECT_EQ(r.kind, kItemWebLink);
  EXPECT_EQ(r.places, 0u);
  EXPECT_EQ(r.created, 1u);
  EXPECT_EQ(r.Password(), "pw");
  StreamHandle content = back.OpenStreamFor(kFolderItemContent, true);
  content.ReadCountedString(address);
  EXPECT_EQ(address, std::optional<std::string>("addr"));
  // A taken target name fails and leaves the source where it was.
  content.Release();
  back.Release();
  EXPECT_HRESULT_FAILED(CatalogItemToLeafNode(catalog, "Back", catalog, "Item", 1, true));
  EXPECT_EQ(catalog.FindElement("Back"), ElementType::Storage);
}

}  // namespace
