// The stored form of a file folder (also damaged and older contents), the
// naming rules of titles, streams, opened copies and exports, and the
// streams of embedded files in a real compound file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "content/CountedStrings.h"
#include "content/FileFolder.h"
#include "content/WorkingFolder.h"
#include "tests/content/ContentFixtures.h"

using namespace vellora;
using vtest::Bytes32;
using vtest::Counted;

namespace {


std::string Record(uint32_t flags, const std::string& title, const std::string& path, const std::string& extra) {
  return Bytes32(7) + Bytes32(flags) + Bytes32(0) + Counted(title) + Counted(path) + Counted(extra);
}

struct EntryCase {
  const char* name;
  std::string content;
  std::vector<std::string> titles;
  std::vector<std::string> streams;  // "" for links
  bool damaged;
};

TEST(FileFolderRead, StoredFormsReadAsWhatIsInThem) {
  const std::string link = Record(0, "C:\\a\\b.txt", "C:\\a\\b.txt", "");
  const std::string older = Record(kEmbeddedFileFlag, "C:\\x\\report.doc", "C:\\x\\report.doc", "");
  const std::string named = Record(kEmbeddedFileFlag, "C:\\y\\report.doc", "C:\\y\\report.doc", "report (2).doc");
  const std::string longTitle(5000, 'n');
  const EntryCase cases[] = {
      {"a link and embedded files with and without a stream name", link + older + named,
       {"C:\\a\\b.txt", "C:\\x\\report.doc", "C:\\y\\report.doc"}, {"", "report.doc", "report (2).doc"}, false},
      {"nothing at all", "", {}, {}, false},
      {"a record head cut short", link + Bytes32(1) + "\x01", {"C:\\a\\b.txt"}, {""}, true},
      {"a record cut inside its title", link + Bytes32(1) + Bytes32(0) + Bytes32(0) + Bytes32(40) + "ab",
       {"C:\\a\\b.txt"}, {""}, true},
      {"a null title", link + Bytes32(1) + Bytes32(0) + Bytes32(0) + Bytes32(0), {"C:\\a\\b.txt"}, {""}, true},
      {"a null extra text", link + Bytes32(1) + Bytes32(0) + Bytes32(0) + Counted("t") + Counted("p") + Bytes32(0),
       {"C:\\a\\b.txt"}, {""}, true},
      {"a title of 5,000 bytes", Record(0, longTitle, "p", ""), {longTitle}, {""}, false},
  };
  for (const EntryCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<FileEntry> entries;
    FileFolderRead read = ParseFileEntries(c.content, entries);
    std::vector<std::string> titles, streams;
    for (const auto& e : entries) titles.push_back(e.title), streams.push_back(e.streamName);
    EXPECT_EQ(titles, c.titles);
    EXPECT_EQ(streams, c.streams);
    EXPECT_EQ(read.damaged, c.damaged);
  }
}

TEST(FileFolderRead, EncodingKeepsStreamNamesInTheThirdStringAndLinksEmpty) {
  std::vector<FileEntry> entries(2);
  entries[0] = {0, "C:\\a.txt", "C:\\a.txt", "ignored for links"};
  entries[1] = {kEmbeddedFileFlag, "C:\\b.txt(2)", "C:\\b.txt", "b (2).txt"};
  std::string bytes = EncodeFileEntries(entries);
  EXPECT_EQ(bytes, Bytes32(0) + Bytes32(0) + Bytes32(0) + Counted("C:\\a.txt") + Counted("C:\\a.txt") + Counted("") +
                       Bytes32(1) + Bytes32(kEmbeddedFileFlag) + Bytes32(0) + Counted("C:\\b.txt(2)") +
                       Counted("C:\\b.txt") + Counted("b (2).txt"));
  std::vector<FileEntry> back;
  EXPECT_FALSE(ParseFileEntries(bytes, back).damaged);
  ASSERT_EQ(back.size(), 2u);
  EXPECT_EQ(back[0].streamName, "");
  EXPECT_EQ(back[1].streamName, "b (2).txt");
}

TEST(FileFolderRead, TheThirdStringStaysEmptyWhenTheStreamIsNamedAfterTheTitle) {
  const std::vector<FileEntry> entries = {{kEmbeddedFileFlag, "C:\\a\\notes.txt", "C:\\a\\notes.txt", "notes.txt"},
                                          {kEmbeddedFileFlag, "C:\\b\\notes.txt", "C:\\b\\notes.txt", "notes (2).txt"}};
  EXPECT_EQ(EncodeFileEntries(entries), Bytes32(0) + Bytes32(kEmbeddedFileFlag) + Bytes32(0) +
                                            Counted("C:\\a\\notes.txt") + Counted("C:\\a\\notes.txt") + Counted("") +
                                            Bytes32(1) + Bytes32(kEmbeddedFileFlag) + Bytes32(0) +
                                            Counted("C:\\b\\notes.txt") + Counted("C:\\b\\notes.txt") +
                                            Counted("notes (2).txt"));
}

NameTaken TakenOf(std::vector<std::string> names) {
  return [names](const std::string& name) {
    for (const auto& n : names)
      if (lstrcmpiA(n.c_str(), name.c_str()) == 0) return true;
    return false;
  };
}

TEST(FileFolderNames, TitlesGainCopyMarksUntilFree) {
  NameTaken taken = [](const std::string& t) { return t == "C:\\a.txt" || t == "C:\\a.txt(2)"; };
  EXPECT_EQ(UniqueTitle("C:\\a.txt", taken), "C:\\a.txt(2)(2)");
  EXPECT_EQ(UniqueTitle("C:\\b.txt", taken), "C:\\b.txt");
  // Titles compare byte for byte.
  EXPECT_EQ(UniqueTitle("C:\\A.TXT", taken), "C:\\A.TXT");
}

TEST(FileFolderNames, StreamNamesAreValidUniqueAndKeepTheExtension) {
  const struct {
    const char* title;
    std::vector<std::string> taken;
    std::string expected;
  } cases[] = {
      {"C:\\docs\\report.doc", {}, "report.doc"},
      {"C:\\docs\\report.doc", {"REPORT.DOC"}, "report (2).doc"},
      {"C:\\docs\\report.doc", {"report.doc", "report (2).doc"}, "report (3).doc"},
      {"C:\\x\\FolderItemContent", {"FolderItemInfo", "FolderItemContent"}, "FolderItemContent (2)"},
      {"C:\\x\\a!b:c.txt", {}, "a_b_c.txt"},
      {"C:\\x\\a very long file name that goes on and on.txt", {}, "a very long file name that .txt"},
      {"C:\\x\\a very long file name that goes on and on.txt", {"a very long file name that .txt"},
       "a very long file name t (2).txt"},
      {"C:\\x\\", {}, "File"},
      {"relative/name.txt", {}, "name.txt"},
  };
  for (const auto& c : cases) {
    std::string name = NewStreamName(c.title, TakenOf(c.taken));
    EXPECT_EQ(name, c.expected) << c.title;
    EXPECT_LE(WideFromAnsi(name).size(), kMaxElementName) << c.title;
  }
}

TEST(FileFolderNames, CopiesAndExportsKeepTheFilesOwnNameAndType) {
  const struct {
    const char* streamName;
    const char* copy;
  } copies[] = {{"b.txt", "b.txt"}, {"b.txt(2)", "b(2).txt"}, {"b.txt(2)(2)", "b(2)(2).txt"},
                {"a<b>?.txt", "a_b__.txt"}, {"notes(2)", "notes(2)"}};
  for (const auto& c : copies) EXPECT_EQ(WorkingCopyName(c.streamName), c.copy) << c.streamName;

  const struct {
    const char* title;
    const char* source;
    const char* proposed;
  } exports[] = {{"C:\\a\\b.txt", "C:\\a\\b.txt", "b.txt"},
                 {"C:\\a\\b.txt(2)", "C:\\a\\b.txt", "b(2).txt"},
                 {"My notes", "C:\\x\\r.pdf", "My notes.pdf"},
                 {"Plan v2.odt", "C:\\x\\plan.doc", "Plan v2.odt"},
                 {"What?", "C:\\x\\q", "What_"}};
  for (const auto& e : exports) {
    FileEntry entry{kEmbeddedFileFlag, e.title, e.source, "s"};
    EXPECT_EQ(ExportFileName(entry), e.proposed) << e.title;
  }
}

TEST(FileFolderNames, CopiesNeverTakeTheNameOfADevice) {
  const struct {
    const char* streamName;
    const char* copy;
  } cases[] = {{"nul.txt", "_nul.txt"},         {"COM1", "_COM1"},         {"con", "_con"},
               {"Lpt9.log.txt", "_Lpt9.log.txt"}, {"aux .txt", "_aux .txt"}, {"PRN.", "_PRN"},
               {"prn. .doc", "_prn. .doc"},     {"com1.txt(2)", "com1(2).txt"}, {"COM10.txt", "COM10.txt"},
               {"LPT0", "LPT0"},                {"console.txt", "console.txt"}, {"nullish", "nullish"}};
  for (const auto& c : cases) EXPECT_EQ(WorkingCopyName(c.streamName), c.copy) << c.streamName;
  FileEntry entry{kEmbeddedFileFlag, "C:\\x\\aux.c", "C:\\x\\aux.c", "s"};
  EXPECT_EQ(ExportFileName(entry), "_aux.c");
}

// A file folder item of a real compound file, with files on disk to add.
class StoredFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = file_.AddStorage("Folder");
    ASSERT_HRESULT_SUCCEEDED(CreateItem(folder_, kItemFileFolder, "Files", 1, kFolderItemInfo, kFolderItemContent, {}));
  }
  std::string Disk(const std::string& name, const std::string& bytes) {
    std::string path = disk_.File(name);
    EXPECT_TRUE(vtest::WriteWholeFile(path, bytes));
    return path;
  }
  StorageHandle Item(bool readOnly = false) { return folder_.OpenStorageFor("Files", readOnly); }
  std::string StreamBytes(const std::string& name) {
    StorageHandle item = Item(true);
    StreamHandle stream = item.OpenStreamFor(name.c_str(), true);
    std::string bytes;
    if (stream) ReadToEnd(stream, bytes);
    return bytes;
  }
  HRESULT Write(const std::vector<FileEntry>& entries, const StreamChanges& changes = {}) {
    OpenedItem item;
    HRESULT hr = source_.OpenForUpdate(item);
    if (SUCCEEDED(hr)) hr = WriteFileFolder(item, entries, changes);
    if (SUCCEEDED(hr)) hr = item.Commit();
    return hr;
  }

  vtest::ScratchFile file_;
  vtest::TempDir disk_;
  StorageHandle folder_;
  CatalogItemSource source_{folder_, "Files", kItemFileFolder, "Files"};
};

TEST_F(StoredFiles, EmbeddedBytesGoInWholeAndComeBackOut) {
  std::string bytes(70000, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
  std::string path = Disk("data.bin", bytes);
  ASSERT_HRESULT_SUCCEEDED(EmbedFile(Item(), path, "data.bin"));
  std::string out = disk_.File("out.bin");
  ASSERT_HRESULT_SUCCEEDED(ExportEmbeddedFile(Item(true), "data.bin", out));
  EXPECT_EQ(vtest::ReadWholeFile(out), bytes);
  // A file that is not there leaves no stream behind.
  EXPECT_HRESULT_FAILED(EmbedFile(Item(), disk_.File("missing.bin"), "missing.bin"));
  EXPECT_FALSE(StreamExists(Item(true), "missing.bin"));
  // A target that cannot be written is reported, not passed off as done.
  EXPECT_HRESULT_FAILED(ExportEmbeddedFile(Item(true), "data.bin", disk_.File("no\\such\\folder\\x.bin")));
}

TEST_F(StoredFiles, StoringRefreshesChangedSourcesAndLeavesGoneOnesAlone) {
  std::string grows = Disk("grows.txt", "abc");
  std::string same = Disk("same.txt", "abc");
  std::string gone = Disk("gone.txt", "abc");
  std::string lost = Disk("lost.txt", "abc");
  std::vector<FileEntry> entries;
  for (const std::string& path : {grows, same, gone, lost}) {
    std::string name = FileNamePart(path);
    ASSERT_HRESULT_SUCCEEDED(EmbedFile(Item(), path, name));
    entries.push_back({kEmbeddedFileFlag, path, path, name});
  }
  Disk("grows.txt", "abcdef");
  Disk("same.txt", "xyz");
  ASSERT_TRUE(DeleteFileA(gone.c_str()));
  ASSERT_HRESULT_SUCCEEDED(Item().DestroyElement("lost.txt"));
  ASSERT_HRESULT_SUCCEEDED(Write(entries));
  EXPECT_EQ(StreamBytes("grows.txt"), "abcdef");
  EXPECT_EQ(StreamBytes("same.txt"), "abc");  // same size: not copied
  EXPECT_EQ(StreamBytes("gone.txt"), "abc");
  EXPECT_EQ(StreamBytes("lost.txt"), "abc");  // a lost stream comes back from its source
}

TEST_F(StoredFiles, DroppedStreamsGoUnlessAnotherEntryStillUsesThem) {
  std::string a = Disk("a.txt", "A");
  ASSERT_HRESULT_SUCCEEDED(EmbedFile(Item(), a, "a.txt"));
  ASSERT_HRESULT_SUCCEEDED(EmbedFile(Item(), a, "shared.txt"));
  // An older file where two entries share one stream.
  std::vector<FileEntry> entries = {{kEmbeddedFileFlag, "one", a, "shared.txt"}};
  StreamChanges changes;
  changes.dropped = {"a.txt", "SHARED.TXT"};
  ASSERT_HRESULT_SUCCEEDED(Write(entries, changes));
  EXPECT_FALSE(StreamExists(Item(true), "a.txt"));
  EXPECT_TRUE(StreamExists(Item(true), "shared.txt"));
}

TEST_F(StoredFiles, TheLastEntryGoneLeavesTheItemWholeWithAnEmptyContent) {
  std::string a = Disk("a.txt", "A");
  std::string empty = Disk("empty.txt", "");
  ASSERT_HRESULT_SUCCEEDED(EmbedFile(Item(), a, "a.txt"));
  ASSERT_HRESULT_SUCCEEDED(EmbedFile(Item(), a, "empty.txt"));  // its source shrinks to nothing
  ASSERT_HRESULT_SUCCEEDED(Write({{kEmbeddedFileFlag, "a", a, "a.txt"}, {kEmbeddedFileFlag, "e", empty, "empty.txt"}}));
  EXPECT_EQ(StreamBytes("empty.txt"), "");
  StreamChanges changes;
  changes.dropped = {"a.txt", "empty.txt"};
  ASSERT_HRESULT_SUCCEEDED(Write({}, changes));
  {
    StorageHandle item = Item(true);
    EXPECT_EQ(item.FindElement(kFolderItemInfo), ElementType::Stream);
    EXPECT_EQ(item.FindElement(kFolderItemContent), ElementType::Stream);
    EXPECT_EQ(item.FindElement("a.txt"), ElementType::None);
  }
  std::vector<FileEntry> back;
  OpenedItem opened;
  ASSERT_HRESULT_SUCCEEDED(source_.Open(false, opened));
  EXPECT_FALSE(ReadFileEntries(opened, back).damaged);
  EXPECT_TRUE(back.empty());
}

TEST_F(StoredFiles, RenamedStreamsFollowTheirEntries) {
  std::string a = Disk("a.txt", "A");
  ASSERT_HRESULT_SUCCEEDED(EmbedFile(Item(), a, "a.txt"));
  StreamChanges changes;
  changes.renamed = {{"a.txt", "b.txt"}, {"b.txt", "c.txt"}, {"never.txt", "there.txt"}};
  ASSERT_HRESULT_SUCCEEDED(Write({{kEmbeddedFileFlag, "c", a, "c.txt"}}, changes));
  EXPECT_EQ(StreamBytes("c.txt"), "A");
  EXPECT_FALSE(StreamExists(Item(true), "a.txt"));
}

TEST_F(StoredFiles, OpenedCopiesAreReadOnlyAndAReopeningReplacesThem) {
  std::string path = Disk("b.txt", "first");
  ASSERT_HRESULT_SUCCEEDED(EmbedFile(Item(), path, "b.txt(2)"));
  FileEntry entry{kEmbeddedFileFlag, "C:\\b.txt(2)", path, "b.txt(2)"};
  std::string working = disk_.File("TempVL"), copy;
  ASSERT_HRESULT_SUCCEEDED(WriteWorkingCopy(Item(true), entry, working, copy));
  EXPECT_EQ(copy, working + "\\b(2).txt");
  EXPECT_EQ(vtest::ReadWholeFile(copy), "first");
  EXPECT_TRUE(GetFileAttributesA(copy.c_str()) & FILE_ATTRIBUTE_READONLY);
  {
    StorageHandle item = Item();
    StreamHandle stream = item.OpenStreamFor("b.txt(2)", false);
    stream.Reset();
    stream.WriteBytes("second", 6);
  }
  ASSERT_HRESULT_SUCCEEDED(WriteWorkingCopy(Item(true), entry, working, copy));
  EXPECT_EQ(vtest::ReadWholeFile(copy), "second");
  // Read-only copies do not keep the folder from going at the end.
  RemoveWorkingFolder(working);
  EXPECT_FALSE(vtest::FileExists(working));
}

TEST_F(StoredFiles, NamesReadFromTheFileNeverReachTheItemsOwnStreams) {
  const std::string source = Disk("crafted.bin", std::string(333, 'x'));
  for (const char* own : {kFolderItemContent, kFolderItemInfo, kTabPageItemInfo, kTabPageItemContent}) {
    // Named by the third string, and by a title whose file name it is.
    for (bool inTitle : {false, true}) {
      SCOPED_TRACE(std::string(own) + (inTitle ? " in the title" : " in the third string"));
      std::vector<FileEntry> read;
      const std::string title = inTitle ? std::string("C:\\x\\") + own : "report.doc";
      ASSERT_FALSE(ParseFileEntries(Record(kEmbeddedFileFlag, title, source, inTitle ? "" : own), read).damaged);
      ASSERT_EQ(read.size(), 1u);
      EXPECT_FALSE(UsableStreamName(read[0].streamName));
      const std::string info = StreamBytes(kFolderItemInfo);
      StreamChanges renamed;
      renamed.renamed = {{own, "moved.txt"}};
      StreamChanges dropped;
      dropped.dropped = {own};
      for (const StreamChanges& changes : {StreamChanges{}, renamed, dropped}) {
        ASSERT_HRESULT_SUCCEEDED(Write(read, changes));
        EXPECT_EQ(StreamBytes(kFolderItemInfo), info);
        std::vector<FileEntry> back;
        OpenedItem opened;
        ASSERT_HRESULT_SUCCEEDED(source_.Open(false, opened));
        EXPECT_FALSE(ReadFileEntries(opened, back).damaged);
        ASSERT_EQ(back.size(), 1u);
        EXPECT_EQ(back[0].title, title);
        EXPECT_EQ(back[0].streamName, read[0].streamName);  // the record is kept as it was read
      }
      EXPECT_HRESULT_FAILED(EmbedFile(Item(), source, own));
      StorageHandle item = Item(true);
      EXPECT_EQ(item.FindElement(kTabPageItemInfo), ElementType::None);
      EXPECT_EQ(item.FindElement(kTabPageItemContent), ElementType::None);
      EXPECT_EQ(item.FindElement("moved.txt"), ElementType::None);
      EXPECT_HRESULT_FAILED(ExportEmbeddedFile(item, own, disk_.File("out.bin")));
    }
  }
}

TEST_F(StoredFiles, EntriesWhoseStreamNameIsTooLongAreReadAndKept) {
  const std::string name32(28, 'n');
  const struct {
    std::string fileName;  // of the title
    std::string extra;     // the third string
  } cases[] = {{name32 + ".txt", ""},
               {std::string(60, 'a') + ".doc", ""},
               {std::string(200, 'b'), ""},
               {"short.txt", std::string(40, 'r') + ".txt"}};
  const std::string source = Disk("older.bin", "older bytes");
  std::string content;
  for (const auto& c : cases) content += Record(kEmbeddedFileFlag, "C:\\old\\" + c.fileName, source, c.extra);
  std::vector<FileEntry> entries;
  ASSERT_FALSE(ParseFileEntries(content, entries).damaged);
  ASSERT_EQ(entries.size(), std::size(cases));
  for (const FileEntry& e : entries) EXPECT_FALSE(UsableStreamName(e.streamName)) << e.streamName;
  // The item can still be saved, with every entry as it was, and a new one beside them.
  const std::string added = Disk("added.txt", "new");
  entries.push_back({kEmbeddedFileFlag, added, added, "added.txt"});
  ASSERT_HRESULT_SUCCEEDED(Write(entries));
  EXPECT_EQ(StreamBytes("added.txt"), "new");
  std::vector<FileEntry> back;
  OpenedItem opened;
  ASSERT_HRESULT_SUCCEEDED(source_.Open(false, opened));
  EXPECT_FALSE(ReadFileEntries(opened, back).damaged);
  ASSERT_EQ(back.size(), entries.size());
  for (size_t i = 0; i < back.size(); ++i) {
    EXPECT_EQ(back[i].title, entries[i].title);
    EXPECT_EQ(back[i].streamName, entries[i].streamName);
  }
}

TEST_F(StoredFiles, AWorkingCopyNamedLikeADeviceIsWrittenAsAFile) {
  const std::string path = Disk("device.txt", "device?");
  ASSERT_HRESULT_SUCCEEDED(EmbedFile(Item(), path, "nul.txt"));
  FileEntry entry{kEmbeddedFileFlag, path, path, "nul.txt"};
  const std::string working = disk_.File("TempVL");
  std::string copy;
  ASSERT_HRESULT_SUCCEEDED(WriteWorkingCopy(Item(true), entry, working, copy));
  EXPECT_EQ(copy, working + "\\_nul.txt");
  EXPECT_EQ(vtest::ReadWholeFile(copy), "device?");
  RemoveWorkingFolder(working);
}

}  // namespace
