// The storage layer over the real ole32 compound files.
#include <gtest/gtest.h>

#include <olectl.h>

#include <cstring>

#include "store/LibraryFormat.h"
#include "store/StorageHandle.h"
#include "tests/TestSupport.h"

using namespace vellora;

namespace {

class StorageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = dir_.File("lib.vlx");
    ASSERT_HRESULT_SUCCEEDED(root_.CreateRoot(path_.c_str(), kWriteMode));
  }
  StreamHandle MakeStream(const char* name, const std::string& bytes = {}) {
    StreamHandle s;
    EXPECT_HRESULT_SUCCEEDED(root_.CreateStream(name, kWriteMode, s));
    if (!bytes.empty()) {
      EXPECT_HRESULT_SUCCEEDED(s.WriteBytes(bytes.data(), static_cast<ULONG>(bytes.size())));
    }
    s.Seek(0, STREAM_SEEK_SET);
    return s;
  }
  vtest::TempDir dir_;
  std::string path_;
  StorageHandle root_;
};

TEST_F(StorageTest, ExclusiveSharingRefusesASecondOpenOfTheSameElement) {
  StorageHandle folder;
  ASSERT_HRESULT_SUCCEEDED(root_.CreateStorage("Folder", kWriteMode, folder));
  StorageHandle second;
  EXPECT_HRESULT_FAILED(root_.OpenStorage("Folder", kWriteMode, second));
  EXPECT_TRUE(second.Empty());
  folder.Release();
  EXPECT_HRESULT_SUCCEEDED(root_.OpenStorage("Folder", kReadMode, second));
}

TEST_F(StorageTest, CreateRefusesATakenNameAndReplaceTakesIt) {
  StorageHandle a, b;
  ASSERT_HRESULT_SUCCEEDED(root_.CreateStorage("Item", kWriteMode, a));
  a.Release();
  EXPECT_EQ(root_.CreateStorage("Item", kWriteMode, b), STG_E_FILEALREADYEXISTS);
  EXPECT_HRESULT_SUCCEEDED(root_.CreateOrReplaceStorage("Item", kWriteMode, b));
}

TEST_F(StorageTest, FindIgnoresLetterCaseAndTellsTheType) {
  StorageHandle s;
  root_.CreateStorage("Mixed Case", kWriteMode, s);
  s.Release();
  MakeStream("A Stream");
  EXPECT_EQ(root_.FindElement("mixed CASE"), ElementType::Storage);
  EXPECT_EQ(root_.FindElement("a stream"), ElementType::Stream);
  EXPECT_EQ(root_.FindElement("absent"), ElementType::None);
  EXPECT_EQ(root_.FindElement(nullptr), ElementType::None);
}

TEST_F(StorageTest, DoubleByteNamesRoundTripThroughEnumeration) {
  // A name written from ANSI comes back from an enumeration unchanged, so it
  // can be opened again by what the enumeration returned.
  const char* name = "Caf\xE9 r\xE9sum\xE9";
  StorageHandle s;
  ASSERT_HRESULT_SUCCEEDED(root_.CreateStorage(name, kWriteMode, s));
  s.Release();
  std::string seen;
  std::wstring wide;
  root_.ForEachElement([&](const STATSTG& st, const std::string& ansi) {
    seen = ansi;
    wide = st.pwcsName;
    return true;
  });
  EXPECT_EQ(seen, name);
  EXPECT_FALSE(root_.OpenStorageFor(wide.c_str(), true).Empty());
}

TEST_F(StorageTest, ChineseNamesRoundTripUnderAGbkCodePage) {
  if (GetACP() != 936) GTEST_SKIP() << "runs under code page 936 (see the GBK test entry)";
  const char* name = "\xD6\xD0\xCE\xC4\xB1\xCA\xBC\xC7";  // four Chinese characters
  StorageHandle s;
  ASSERT_HRESULT_SUCCEEDED(root_.CreateStorage(name, kWriteMode, s));
  s.Release();
  std::string seen;
  root_.ForEachElement([&](const STATSTG& st, const std::string& ansi) {
    EXPECT_EQ(lstrlenW(st.pwcsName), 4);
    seen = ansi;
    return true;
  });
  EXPECT_EQ(seen, name);
  EXPECT_EQ(root_.FindElement(name), ElementType::Storage);
}

TEST_F(StorageTest, OverlongAndNullNamesFailWithoutCrashing) {
  std::string huge(5000, 'x');
  StorageHandle s;
  EXPECT_HRESULT_FAILED(root_.CreateStorage(huge.c_str(), kWriteMode, s));
  EXPECT_HRESULT_FAILED(root_.OpenStorage(nullptr, kReadMode, s));
  EXPECT_EQ(root_.FindElement(huge.c_str()), ElementType::None);
}

TEST_F(StorageTest, RecordsReadWholeOrNotAtAllAndRewind) {
  StreamHandle s = MakeStream("Rec", std::string(39, 'a'));
  char buf[40];
  EXPECT_FALSE(s.ReadRecord(buf));
  // A short read does not rewind: the position is wherever the read stopped.
  EXPECT_EQ(s.Position(), 39u);

  StreamHandle full = MakeStream("Full", std::string(40, 'b') + "tail");
  ASSERT_TRUE(full.ReadRecord(buf, 0, true));
  EXPECT_EQ(full.Position(), 0u);
  std::memset(buf, 'c', sizeof buf);
  ASSERT_TRUE(full.WriteRecord(buf, 0, true));
  EXPECT_EQ(full.Position(), 0u);
  char four[4];
  full.Seek(40, STREAM_SEEK_SET);
  ASSERT_TRUE(full.ReadRecord(four, 4));
  EXPECT_EQ(std::string(four, 4), "tail");
}

TEST_F(StorageTest, ResetEmptiesTheStreamAndRewinds) {
  StreamHandle s = MakeStream("R", "hello");
  s.Seek(3, STREAM_SEEK_SET);
  ASSERT_HRESULT_SUCCEEDED(s.Reset());
  EXPECT_EQ(s.Size(), 0u);
  EXPECT_EQ(s.Position(), 0u);
}

TEST_F(StorageTest, CountedStringsRoundTripAndNullsEndRuns) {
  StreamHandle s = MakeStream("S");
  ASSERT_HRESULT_SUCCEEDED(s.WriteCountedString(std::string("Tahoma")));
  ASSERT_HRESULT_SUCCEEDED(s.WriteCountedString(std::string("")));
  ASSERT_HRESULT_SUCCEEDED(s.WriteCountedString(std::nullopt));
  EXPECT_EQ(s.Size(), (4u + 14u) + (4u + 2u) + 4u);
  s.Seek(0, STREAM_SEEK_SET);
  std::optional<std::string> t;
  ASSERT_HRESULT_SUCCEEDED(s.ReadCountedString(t));
  EXPECT_EQ(t, std::optional<std::string>("Tahoma"));
  ASSERT_HRESULT_SUCCEEDED(s.ReadCountedString(t));
  EXPECT_EQ(t, std::optional<std::string>(""));  // empty is not null
  ASSERT_HRESULT_SUCCEEDED(s.ReadCountedString(t));
  EXPECT_FALSE(t.has_value());
  ASSERT_HRESULT_SUCCEEDED(s.ReadCountedString(t));  // the end reads as null too
  EXPECT_FALSE(t.has_value());
}

TEST_F(StorageTest, CorruptCountsFailBoundedAndStepBackOverTheCount) {
  // A count far beyond the stream, an odd count and a cut-off text.
  for (std::string bytes : {std::string("\xFF\xFF\xFF\x7F", 4) + "abcd", std::string("\x03\x00\x00\x00" "abc", 7),
                            std::string("\x10\x00\x00\x00", 4) + std::string("a\0b\0", 4)}) {
    StreamHandle s = MakeStream(vtest::UniqueName("c").c_str(), bytes);
    std::optional<std::string> t = std::string("before");
    EXPECT_HRESULT_FAILED(s.ReadCountedString(t));
    EXPECT_FALSE(t.has_value());
    EXPECT_EQ(s.Position(), 0u);
  }
  // A count cut short itself.
  StreamHandle s = MakeStream("Short", std::string("\x02\x00", 2));
  std::optional<std::string> t;
  EXPECT_HRESULT_FAILED(s.ReadCountedString(t));
}

TEST_F(StorageTest, VariantsOfEveryWidthRoundTrip) {
  StreamHandle s = MakeStream("V");
  VARIANT v;
  VariantInit(&v);
  struct Case { VARTYPE vt; LONGLONG value; ULONG bytes; };
  const Case cases[] = {{VT_UI1, 0xAB, 1}, {VT_I2, -2, 2}, {VT_BOOL, VARIANT_TRUE, 2}, {VT_I4, 123456, 4},
                        {VT_I8, 0x1122334455667788LL, 8}, {VT_R8, 0, 8}};
  ULONGLONG expectedSize = 0;
  for (const Case& c : cases) {
    VariantClear(&v);
    v.vt = c.vt;
    v.llVal = c.value;
    if (c.vt == VT_R8) v.dblVal = 2.5;
    ASSERT_HRESULT_SUCCEEDED(s.WriteVariant(v));
    expectedSize += 2 + c.bytes;
    EXPECT_EQ(s.Size(), expectedSize) << c.vt;
  }
  Variant text = Variant::FromString("slot text");
  ASSERT_HRESULT_SUCCEEDED(s.WriteVariant(text.Raw()));
  s.Seek(0, STREAM_SEEK_SET);
  for (const Case& c : cases) {
    Variant back;
    ASSERT_HRESULT_SUCCEEDED(s.ReadVariant(back.Raw()));
    EXPECT_EQ(back.Type(), c.vt);
    if (c.vt == VT_R8) EXPECT_EQ(back.Raw().dblVal, 2.5);
    else if (c.bytes == 8) EXPECT_EQ(back.Raw().llVal, c.value);
    else if (c.bytes == 4) EXPECT_EQ(back.Raw().lVal, c.value);
    else if (c.bytes == 2) EXPECT_EQ(back.Raw().iVal, static_cast<SHORT>(c.value));
    else EXPECT_EQ(back.Raw().bVal, c.value);
  }
  Variant back;
  ASSERT_HRESULT_SUCCEEDED(s.ReadVariant(back.Raw()));
  EXPECT_EQ(back.AsString(), "slot text");
  VariantClear(&v);
}

TEST_F(StorageTest, AVariantWhoseStringIsCutStepsBackOverTheType) {
  StreamHandle s = MakeStream("V", std::string("\x08\x00\x20\x00\x00\x00" "ab", 8));
  Variant v;
  EXPECT_HRESULT_FAILED(s.ReadVariant(v.Raw()));
  EXPECT_EQ(s.Position(), 0u);
}

TEST_F(StorageTest, ObjectVariantsGoThroughOleStreams) {
  // A standard font object persists itself through the OLE stream helpers.
  ComPtr<IUnknown> font;
  FONTDESC desc = {sizeof(FONTDESC), const_cast<LPOLESTR>(L"Tahoma"), {140000, 0}, FW_BOLD, ANSI_CHARSET,
                   FALSE, FALSE, FALSE};
  ASSERT_HRESULT_SUCCEEDED(OleCreateFontIndirect(&desc, IID_IUnknown, font.PutVoid()));
  StreamHandle s = MakeStream("O");
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_UNKNOWN;
  v.punkVal = font.Get();
  ASSERT_HRESULT_SUCCEEDED(s.WriteVariant(v));
  s.Seek(0, STREAM_SEEK_SET);
  Variant back;
  ASSERT_HRESULT_SUCCEEDED(s.ReadVariant(back.Raw(), StreamHandle::Objects::kLoad));
  EXPECT_EQ(back.Type(), VT_UNKNOWN);
  EXPECT_NE(back.Raw().punkVal, nullptr);
}

TEST_F(StorageTest, CopyKeepsTheNameAndTheSourceMoveDestroysIt) {
  StorageHandle item, other;
  root_.CreateStorage("Item", kWriteMode, item);
  item.WriteClass(FolderClassId(2, 7));
  StreamHandle inner;
  item.CreateStream("FolderItemInfo", kWriteMode, inner);
  inner.WriteBytes("data", 4);
  inner.Release();
  item.Release();
  ASSERT_HRESULT_SUCCEEDED(root_.CreateStorage("Other", kWriteMode, other));

  ASSERT_HRESULT_SUCCEEDED(root_.CopyOrMoveElement("Item", other, nullptr, false));
  EXPECT_EQ(root_.FindElement("Item"), ElementType::Storage);
  StorageHandle copy = other.OpenStorageFor("Item", true);
  ASSERT_FALSE(copy.Empty());
  CLSID clsid;
  copy.ReadClass(clsid);
  EXPECT_EQ(clsid.Data2, 2);
  EXPECT_EQ(clsid.Data3, 7);
  EXPECT_EQ(copy.OpenStreamFor("FolderItemInfo", true).Size(), 4u);
  copy.Release();

  // A taken destination name is refused and leaves both sides alone.
  EXPECT_EQ(root_.CopyOrMoveElement("Item", other, nullptr, true), STG_E_FILEALREADYEXISTS);
  EXPECT_EQ(root_.FindElement("Item"), ElementType::Storage);

  ASSERT_HRESULT_SUCCEEDED(root_.CopyOrMoveElement("Item", other, "Moved", true));
  EXPECT_EQ(root_.FindElement("Item"), ElementType::None);
  EXPECT_EQ(other.FindElement("Moved"), ElementType::Storage);

  MakeStream("Leaf", "leaf bytes");
  ASSERT_HRESULT_SUCCEEDED(root_.CopyOrMoveElement("Leaf", other, nullptr, true));
  EXPECT_EQ(other.OpenStreamFor("Leaf", true).Size(), 10u);
}

TEST_F(StorageTest, WholeStorageCopyOfAWideFolderDoesNotNeedTheCallersStack) {
  // The platform's copy recurses once per sibling. Threads of this program have a
  // 256 KiB stack (see the link options), which 4,000 siblings overflow; the copy must still work.
  StorageHandle wide;
  ASSERT_HRESULT_SUCCEEDED(root_.CreateStorage("Wide", kWriteMode, wide));
  char name[32];
  for (int i = 0; i < 4000; ++i) {
    wsprintfA(name, "Note %05d", i);  // sequential names: the deepest directory
    StreamHandle s;
    ASSERT_HRESULT_SUCCEEDED(wide.CreateStream(name, kWriteMode, s));
  }
  wide.Release();
  StorageHandle target;
  ASSERT_HRESULT_SUCCEEDED(target.CreateRoot(dir_.File("copy.vlx").c_str(), kWriteMode));
  ASSERT_HRESULT_SUCCEEDED(root_.CopyWholeStorage(target));
  StorageHandle copied = target.OpenStorageFor("Wide", true);
  int count = 0;
  copied.ForEachElement([&](const STATSTG&, const std::string&) { return ++count, true; });
  EXPECT_EQ(count, 4000);
}

TEST_F(StorageTest, FileImportAndExportMoveWholeFiles) {
  std::string src = dir_.File("in.bin");
  std::string payload(100000, '\0');
  for (size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<char>(i * 31);
  ASSERT_TRUE(vtest::WriteWholeFile(src, payload));
  StreamHandle s = MakeStream("F");
  ASSERT_TRUE(s.ImportFile(src.c_str(), false));
  EXPECT_EQ(s.Size(), payload.size());

  s.Seek(0, STREAM_SEEK_SET);
  std::string out = dir_.File("out.bin");
  ASSERT_TRUE(s.ExportToFile(out.c_str()));
  EXPECT_EQ(vtest::ReadWholeFile(out), payload);

  std::string tail = dir_.File("tail.bin");
  ASSERT_TRUE(s.ExportTailToFile(tail.c_str(), 40));
  EXPECT_EQ(vtest::ReadWholeFile(tail), payload.substr(40));

  // Same size with only-if-changed: the stream keeps its bytes.
  std::string same = dir_.File("same.bin");
  vtest::WriteWholeFile(same, std::string(payload.size(), 'z'));
  s.Seek(0, STREAM_SEEK_SET);
  ASSERT_TRUE(s.ImportFile(same.c_str(), true));
  s.Seek(0, STREAM_SEEK_SET);
  char first = 0;
  ULONG got = 0;
  s.ReadBytes(&first, 1, &got);
  EXPECT_EQ(first, payload[0]);

  // A missing file leaves the stream untouched; an empty one moves nothing.
  EXPECT_FALSE(s.ImportFile(dir_.File("missing").c_str(), false));
  EXPECT_EQ(s.Size(), payload.size());
  std::string empty = dir_.File("empty.bin");
  vtest::WriteWholeFile(empty, "");
  StreamHandle e = MakeStream("E");
  EXPECT_TRUE(e.ImportFile(empty.c_str(), false));
  EXPECT_EQ(e.Size(), 0u);
  EXPECT_FALSE(e.ExportToFile(dir_.File("no\\such\\folder.bin").c_str()));
}

}  // namespace
