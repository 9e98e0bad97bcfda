// The file view on a real list view and a real compound file: adding links
// and embedded files, opening, renaming, deleting and exporting them, the
// read-only lock, damaged items and missing streams.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "content/CommandIds.h"
#include "content/CountedStrings.h"
#include "content/WorkingFolder.h"
#include "tests/content/ContentFixtures.h"
#include "tests/store/DocumentFixtures.h"
#include "tests/views/ViewFixtures.h"
#include "views/FileView.h"
#include "views/ViewTexts.h"
#include "app/StringTable.h"

using namespace vellora;

namespace {

class FileViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = file_.AddStorage("Folder");
    ASSERT_HRESULT_SUCCEEDED(CreateItem(folder_, kItemFileFolder, "Files", 1, kFolderItemInfo, kFolderItemContent, {}));
    ASSERT_TRUE(view_.Create(parent_.Handle()));
    MoveWindow(view_.Window(), 0, 0, 600, 400, FALSE);
    view_.SetWorkingFolder(disk_.File("TempVL"));
    view_.openFile = [this](const std::string& path) {
      opened_.push_back(path);
      return true;
    };
    view_.wiring.trackPopup = [this](HMENU popup, POINT) {
      menu_.clear();
      for (int i = 0; i < GetMenuItemCount(popup); ++i) menu_.push_back(GetMenuItemID(popup, i));
    };
    view_.Load(source_);
  }
  void TearDown() override { RemoveWorkingFolder(disk_.File("TempVL")); }

  std::string Disk(const std::string& name, const std::string& bytes) {
    std::string path = disk_.File(name);
    EXPECT_TRUE(vtest::WriteWholeFile(path, bytes));
    return path;
  }
  void Add(const std::string& path, bool embed) {
    prompt_.files.push_back(path);
    view_.HandleCommand(embed ? ID_FILES_ADD_EMBED : ID_FILES_ADD_LINK);
  }
  std::vector<FileEntry> Stored() {
    std::vector<FileEntry> entries;
    OpenedItem item;
    EXPECT_HRESULT_SUCCEEDED(source_.Open(false, item));
    EXPECT_FALSE(ReadFileEntries(item, entries).damaged);
    return entries;
  }
  std::vector<std::string> StoredTitles() {
    std::vector<std::string> titles;
    for (const FileEntry& e : Stored()) titles.push_back(e.title);
    return titles;
  }
  bool HasStream(const std::string& name) {
    StorageHandle item = folder_.OpenStorageFor("Files", true);
    return StreamExists(item, name);
  }
  std::string Exported(int index) {
    std::string out = disk_.File("export" + std::to_string(index) + ".bin");
    prompt_.files.push_back(out);
    view_.SelectEntry(index);
    view_.HandleCommand(ID_FILES_EXPORT);
    return vtest::ReadWholeFile(out);
  }
  bool Enabled(UINT id) {
    CommandUi ui;
    EXPECT_TRUE(view_.QueryCommand(id, ui));
    return ui.enabled;
  }

  vtest::ScratchFile file_;
  vtest::TempDir disk_;
  StorageHandle folder_;
  CatalogItemSource source_{folder_, "Files", kItemFileFolder, "Files"};
  vtest::HiddenParent parent_;
  vtest::ScriptedPrompt prompt_;
  vtest::NoTexts texts_;
  FileView view_{prompt_, texts_};
  std::vector<std::string> opened_;
  std::vector<UINT> menu_;
};

TEST_F(FileViewTest, TheSameFileTwiceGetsACopyMarkAndBothAreStored) {
  std::string path = Disk("a.txt", "A");
  Add(path, false);
  Add(path, false);
  EXPECT_EQ(StoredTitles(), (std::vector<std::string>{path, path + "(2)"}));
  EXPECT_EQ(ListView_GetItemCount(view_.List()), 2);
  EXPECT_EQ(prompt_.dialogs.at(0).title, "Open all files");
}

TEST_F(FileViewTest, EmbeddedFilesOfTheSameNameKeepTheirOwnBytes) {
  CreateDirectoryA(disk_.File("one").c_str(), nullptr);
  CreateDirectoryA(disk_.File("two").c_str(), nullptr);
  std::string first = Disk("one\\notes.txt", "first file");
  std::string second = Disk("two\\notes.txt", "the second file");
  Add(first, true);
  Add(second, true);
  std::vector<FileEntry> stored = Stored();
  ASSERT_EQ(stored.size(), 2u);
  EXPECT_NE(stored[0].streamName, stored[1].streamName);
  ASSERT_TRUE(DeleteFileA(first.c_str()) && DeleteFileA(second.c_str()));
  // Read back from a fresh showing, the originals gone.
  view_.Load(source_);
  EXPECT_EQ(Exported(0), "first file");
  EXPECT_EQ(Exported(1), "the second file");
  EXPECT_EQ(prompt_.dialogs.back().title, "Export File");
  EXPECT_EQ(prompt_.dialogs.back().initialName, "notes.txt");
}

TEST_F(FileViewTest, OpeningAnEmbeddedCopyKeepsItsTypeAndMakesItReadOnly) {
  std::string path = Disk("b.txt", "bytes");
  Add(path, true);
  Add(path, true);  // "...b.txt(2)"
  view_.SelectEntry(1);
  view_.HandleCommand(ID_FILES_OPEN);
  ASSERT_EQ(opened_.size(), 1u);
  const std::string& copy = opened_[0];
  EXPECT_EQ(copy.substr(copy.size() - 4), ".txt");
  EXPECT_EQ(vtest::ReadWholeFile(copy), "bytes");
  EXPECT_TRUE(GetFileAttributesA(copy.c_str()) & FILE_ATTRIBUTE_READONLY);
  // A second opening replaces the read-only copy.
  view_.HandleCommand(ID_FILES_OPEN);
  EXPECT_EQ(opened_.size(), 2u);
  EXPECT_TRUE(prompt_.shown.empty());
}

TEST_F(FileViewTest, LinksOpenTheirFileOrSayItIsGone) {
  std::string path = Disk("c.txt", "C");
  Add(path, false);
  view_.SelectEntry(0);
  view_.HandleCommand(ID_FILES_OPEN);
  EXPECT_EQ(opened_, std::vector<std::string>{path});
  ASSERT_TRUE(DeleteFileA(path.c_str()));
  view_.HandleCommand(ID_FILES_OPEN);
  EXPECT_EQ(opened_.size(), 1u);
  ASSERT_EQ(prompt_.shown.size(), 1u);
  EXPECT_EQ(prompt_.shown[0].text, "The file that this link refer is not existent, item is invalid!");
  // The shell refusing a file is told too.
  Disk("c.txt", "C");
  view_.openFile = [](const std::string&) { return false; };
  view_.HandleCommand(ID_FILES_OPEN);
  EXPECT_EQ(prompt_.shown.size(), 2u);
}

TEST_F(FileViewTest, RenamingMovesTheStreamAndKeepsTitlesUnique) {
  std::string a = Disk("a.txt", "A");
  std::string b = Disk("b.txt", "B");
  Add(a, true);
  Add(b, true);
  EXPECT_TRUE(view_.RenameEntry(0, "Plan.txt"));
  std::vector<FileEntry> stored = Stored();
  EXPECT_EQ(stored[0].title, "Plan.txt");
  EXPECT_EQ(stored[0].streamName, "Plan.txt");
  EXPECT_TRUE(HasStream("Plan.txt"));
  EXPECT_FALSE(HasStream("a.txt"));
  // Another entry's title gains a copy mark; an empty one is refused.
  EXPECT_TRUE(view_.RenameEntry(1, "Plan.txt"));
  EXPECT_EQ(StoredTitles(), (std::vector<std::string>{"Plan.txt", "Plan.txt(2)"}));
  EXPECT_FALSE(view_.RenameEntry(1, ""));
  EXPECT_EQ(prompt_.shown.back().text, "The name can not be empty!");
  view_.Load(source_);
  EXPECT_EQ(Exported(0), "A");
  EXPECT_EQ(Exported(1), "B");
}

TEST_F(FileViewTest, DeletingTheSelectedEntryRemovesItsStreamOnly) {
  std::string a = Disk("a.txt", "A");
  Add(a, true);
  Add(a, false);
  const std::string stream = Stored()[0].streamName;
  prompt_.messageAnswers = {IDNO, IDYES, IDYES};
  view_.SelectEntry(0);
  view_.HandleCommand(ID_FILES_DELETE);
  EXPECT_EQ(Stored().size(), 2u);
  view_.HandleCommand(ID_FILES_DELETE);
  EXPECT_EQ(StoredTitles(), std::vector<std::string>{a + "(2)"});
  EXPECT_FALSE(HasStream(stream));
  // The Delete key acts on the selection as well.
  view_.SelectEntry(0);
  NMLVKEYDOWN key = {};
  key.hdr.hwndFrom = view_.List();
  key.hdr.code = LVN_KEYDOWN;
  key.wVKey = VK_DELETE;
  SendMessageA(view_.Window(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&key));
  EXPECT_TRUE(Stored().empty());
  EXPECT_EQ(prompt_.shown.size(), 3u);
}

TEST_F(FileViewTest, UnderTheReadOnlyLockEntriesAreOpenedButNotChanged) {
  std::string a = Disk("a.txt", "A");
  Add(a, true);
  view_.SetReadOnly(true);
  view_.SelectEntry(0);
  for (UINT id : {ID_FILES_ADD_LINK, ID_FILES_ADD_EMBED, ID_FILES_DELETE, ID_FILES_RENAME}) {
    EXPECT_FALSE(Enabled(id)) << id;
    view_.HandleCommand(id);
  }
  EXPECT_FALSE(view_.RenameEntry(0, "other"));
  EXPECT_TRUE(Enabled(ID_FILES_OPEN));
  EXPECT_TRUE(Enabled(ID_FILES_EXPORT));
  view_.HandleCommand(ID_FILES_OPEN);
  EXPECT_EQ(opened_.size(), 1u);
  EXPECT_EQ(StoredTitles(), std::vector<std::string>{a});
  EXPECT_EQ(prompt_.dialogs.size(), 1u);  // only the first add asked for a file
}

TEST_F(FileViewTest, TheContextMenuIsAboutTheEntryUnderTheMouse) {
  Add(Disk("a.txt", "A"), false);
  Add(Disk("b.txt", "B"), true);
  auto has = [this](UINT id) { return std::find(menu_.begin(), menu_.end(), id) != menu_.end(); };
  for (int index : {0, 1}) {
    RECT rc = {};
    rc.left = LVIR_ICON;
    ASSERT_TRUE(SendMessageA(view_.List(), LVM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rc)));
    POINT at = {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    ClientToScreen(view_.List(), &at);
    view_.ShowContextMenu(at);
    EXPECT_EQ(view_.SelectedEntry(), index);
    EXPECT_TRUE(has(ID_FILES_OPEN) && has(ID_FILES_DELETE) && has(ID_FILES_RENAME));
    EXPECT_EQ(has(ID_FILES_EXPORT), index == 1);
  }
  POINT empty = {580, 380};
  ClientToScreen(view_.List(), &empty);
  view_.ShowContextMenu(empty);
  EXPECT_EQ(view_.SelectedEntry(), -1);
  EXPECT_FALSE(has(ID_FILES_OPEN) || has(ID_FILES_DELETE) || has(ID_FILES_RENAME) || has(ID_FILES_EXPORT));
  EXPECT_TRUE(has(ID_FILES_ADD_LINK) && has(ID_FILES_ADD_EMBED));
}

TEST_F(FileViewTest, ADamagedItemIsToldOnceShownAndNeverWritten) {
  std::string a = Disk("a.txt", "A");
  Add(a, false);
  Add(a, false);
  const std::string bytes = vtest::ContentBytes(source_);
  {
    OpenedItem item;
    ASSERT_HRESULT_SUCCEEDED(source_.Open(true, item));
    ASSERT_HRESULT_SUCCEEDED(item.TruncateContent(bytes.size() - 3));
  }
  EXPECT_FALSE(view_.Load(source_));
  EXPECT_TRUE(view_.Locked());
  EXPECT_EQ(view_.Entries().size(), 1u);
  ASSERT_EQ(prompt_.shown.size(), 1u);
  EXPECT_FALSE(Enabled(ID_FILES_ADD_LINK));
  view_.SelectEntry(0);
  view_.HandleCommand(ID_FILES_DELETE);
  EXPECT_FALSE(view_.RenameEntry(0, "x"));
  EXPECT_EQ(vtest::ContentBytes(source_), bytes.substr(0, bytes.size() - 3));
  EXPECT_EQ(prompt_.shown.size(), 1u);
}

TEST_F(FileViewTest, AMissingStreamIsToldOnceAndItsEntryStays) {
  std::string a = Disk("a.txt", "A");
  Add(a, true);
  Add(Disk("b.txt", "B"), false);
  const std::string stream = Stored().at(0).streamName;
  {
    StorageHandle item = folder_.OpenStorageFor("Files", false);
    ASSERT_HRESULT_SUCCEEDED(item.DestroyElement(stream.c_str()));
  }
  ASSERT_TRUE(DeleteFileA(a.c_str()));
  EXPECT_TRUE(view_.Load(source_));
  EXPECT_EQ(view_.Entries().size(), 2u);
  ASSERT_EQ(prompt_.shown.size(), 1u);
  EXPECT_NE(prompt_.shown[0].text.find("1 embedded file"), std::string::npos);
  view_.SelectEntry(0);
  view_.HandleCommand(ID_FILES_OPEN);
  view_.HandleCommand(ID_FILES_EXPORT);
  EXPECT_EQ(prompt_.shown.size(), 3u);
  EXPECT_TRUE(prompt_.dialogs.size() == 2u);  // the two adds; no export dialog for bytes that are not there
  EXPECT_TRUE(opened_.empty());
  // Changing the item keeps the entry and makes up no bytes for it.
  EXPECT_TRUE(view_.RenameEntry(1, "link"));
  EXPECT_EQ(Stored().size(), 2u);
  EXPECT_FALSE(HasStream(stream));
}

// The item's own source, except that updates can be made to fail.
class FailingUpdates : public ItemSource {
 public:
  explicit FailingUpdates(const ItemSource& real) : real_(real) {}
  bool fail = true;
  uint16_t Kind() const override { return real_.Kind(); }
  const std::string& Title() const override { return real_.Title(); }
  HRESULT Open(bool forWriting, OpenedItem& out) const override { return real_.Open(forWriting, out); }
  HRESULT OpenForUpdate(OpenedItem& out) const override {
    return fail ? STG_E_MEDIUMFULL : real_.OpenForUpdate(out);
  }

 private:
  const ItemSource& real_;
};

TEST_F(FileViewTest, AStoreThatFailsAfterAnEmbedLeavesNoStreamBehind) {
  FailingUpdates failing(source_);
  view_.Load(failing);
  const std::string path = Disk("kept.txt", "bytes");
  Add(path, true);
  EXPECT_FALSE(HasStream("kept.txt"));
  EXPECT_TRUE(view_.Entries().empty());
  EXPECT_EQ(ListView_GetItemCount(view_.List()), 0);
  ASSERT_EQ(prompt_.shown.size(), 1u);
  EXPECT_NE(prompt_.shown[0].text.find(path), std::string::npos);
  EXPECT_TRUE(StoredTitles().empty());
  // Once the library takes writes again, the same file goes in whole.
  failing.fail = false;
  Add(path, true);
  EXPECT_EQ(StoredTitles(), std::vector<std::string>{path});
  EXPECT_TRUE(HasStream("kept.txt"));
}

}  // namespace

namespace {

class OneText : public vellora::TextSource {
 public:
  explicit OneText(const char* text) : text_(text) {}
  const char* Text(vellora::TextKey) const override { return text_; }

 private:
  const char* text_;
};

TEST(ViewTexts, ATableTextWithOtherPlaceholdersThanExpectedGivesWayToTheFallback) {
  const struct {
    const char* table;
    std::string expected;
  } cases[] = {{"%d missing", "3 missing"},
               {"%s missing", "3 gone"},
               {"%d of %d", "3 gone"},
               {"100%% sure: %d", "100% sure: 3"},
               {"cut %", "3 gone"}};
  for (const auto& c : cases) {
    OneText texts(c.table);
    EXPECT_EQ(vellora::FormatText(texts, vellora::kTextEmbeddedMissingOnLoad, "%d gone", 3), c.expected) << c.table;
  }
  OneText path("Cannot write %s");
  EXPECT_EQ(vellora::FormatText(path, vellora::kTextExportFailed, "fallback %s", std::string("C:\\x")), "Cannot write C:\\x");
}

TEST(ViewTexts, TheShippedTableHoldsTheViewsTextsWithTheirPlaceholders) {
  const vellora::StringTable& table = vtest::ShippedTexts();
  const struct {
    vellora::TextKey key;
    const char* placeholder;  // the one the code fills in, or ""
    const char* words;        // what the text is about
  } texts[] = {{vellora::kTextStoreFailed, "", "could not be written"},
               {vellora::kTextListDamaged, "", "list"},
               {vellora::kTextFilesDamaged, "", "file folder"},
               {vellora::kTextEmbeddedMissingOnLoad, "%d", "missing"},
               {vellora::kTextEmbeddedMissing, "%s", "missing"},
               {vellora::kTextEmbedFailed, "%s", "embedded"},
               {vellora::kTextExportFailed, "%s", "written"}};
  for (const auto& t : texts) {
    std::string text = table.TextOr(t.key, "");
    EXPECT_NE(text.find(t.words), std::string::npos) << t.key << ": " << text;
    size_t percent = text.find('%');
    EXPECT_EQ(percent == std::string::npos ? std::string() : text.substr(percent, 2), t.placeholder) << t.key;
  }
}

}  // namespace

namespace {

TEST(LeafFileFolder, ATreeLeafTakesLinksBehindItsRecordButNoEmbeddedFiles) {
  vtest::ScratchFile file;
  StorageHandle tree = file.AddStorage("Tree");
  NodeInfoRecord record = vtest::NodeRecord(3, kItemFileFolder);
  ASSERT_HRESULT_SUCCEEDED(CreateLeafNode(tree, "Links", record, nullptr, 0));
  LeafNodeSource source(tree, {"Links"}, kItemFileFolder, "Links");
  vtest::HiddenParent parent;
  vtest::ScriptedPrompt prompt;
  vtest::NoTexts texts;
  FileView view(prompt, texts);
  ASSERT_TRUE(view.Create(parent.Handle()));
  EXPECT_TRUE(view.Load(source));
  CommandUi ui;
  view.QueryCommand(ID_FILES_ADD_EMBED, ui);
  EXPECT_FALSE(ui.enabled);
  vtest::TempDir disk;
  std::string path = disk.File("x.txt");
  ASSERT_TRUE(vtest::WriteWholeFile(path, "x"));
  prompt.files = {path};
  view.HandleCommand(ID_FILES_ADD_LINK);
  view.Clear();
  OpenedItem item;
  ASSERT_HRESULT_SUCCEEDED(source.Open(false, item));
  NodeInfoRecord stored;
  ASSERT_TRUE(ReadNodeInfo(item.Content(), stored));
  EXPECT_EQ(stored.sequence, 3);
  EXPECT_EQ(stored.kind, kItemFileFolder);
  std::vector<FileEntry> entries;
  EXPECT_FALSE(ReadFileEntries(item, entries).damaged);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].sourcePath, path);
}

}  // namespace
