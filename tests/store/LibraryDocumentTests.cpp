// The library document over real compound files, with scripted answers.
#include <gtest/gtest.h>

#include <functional>

#include "store/LibraryDocument.h"
#include "tests/store/DocumentFixtures.h"

using namespace vellora;

namespace {

class DocumentTest : public ::testing::Test {
 protected:
  DocumentTest() : doc_(rig_.host, rig_.prompt, rig_.texts, rig_.log, rig_.Setup()) {}

  std::string LibraryPath(const char* name = "lib.vlx") const { return rig_.dir.File(name); }
  std::string TreeFolder() const { return rig_.texts.TextOr(kTextFirstTreeFolder, ""); }
  std::string CatalogFolder() const { return rig_.texts.TextOr(kTextFirstCatalogFolder, ""); }
  std::string SecondCatalog() const { return rig_.texts.TextOr(kTextSecondCatalogFolder, ""); }

  // A library on disk, created and saved, then opened again (direct root).
  void MakeSavedLibrary(const std::string& path) {
    ASSERT_TRUE(doc_.CreateLibrary(path));
    doc_.Save();
    doc_.Close();
    ASSERT_TRUE(doc_.OpenLibrary(path));
  }
  void AddItem(const std::string& folder, const char* name) {
    ASSERT_HRESULT_SUCCEEDED(doc_.SelectCurrentFolder(folder));
    ASSERT_HRESULT_SUCCEEDED(doc_.CreateItem(doc_.CurrentFolder(), kItemText, name, doc_.NextItemId(),
                                             kFolderItemInfo, kFolderItemContent, {}));
  }
  // Whether a file on disk holds the item, looked at through a fresh handle.
  static bool FileHasItem(const std::string& path, const std::string& folder, const char* item) {
    StorageHandle root;
    if (FAILED(root.OpenRoot(path.c_str(), kReadMode))) return false;
    StorageHandle f = root.OpenStorageFor(folder.c_str(), true);
    return f && f.FindElement(item) == ElementType::Storage;
  }

  // Whether the open document's folder holds the item (through the held
  // current folder when it is the current one).
  bool FileHasItemThroughDocument(const std::string& folder, const char* item) {
    bool current = false;
    StorageHandle f = doc_.OpenFolder(folder, true, current);
    return f && f.FindElement(item) == ElementType::Storage;
  }

  vtest::DocumentRig rig_;
  LibraryDocument doc_;
};

TEST_F(DocumentTest, NewLibraryHasThreeFoldersInOrderAndItsSettings) {
  std::string path = LibraryPath();
  ASSERT_TRUE(doc_.CreateLibrary(path));
  EXPECT_EQ(rig_.host.folders, (std::vector<std::string>{TreeFolder(), CatalogFolder(), SecondCatalog()}));
  EXPECT_EQ(doc_.Folders().at(TreeFolder()).kind, kFolderTree);
  EXPECT_EQ(doc_.Folders().at(SecondCatalog()).order, 3);
  EXPECT_EQ(doc_.FolderCounter(), 3);
  EXPECT_EQ(rig_.host.title, "Vellora - " + path);
  EXPECT_EQ(doc_.Recent().Newest(), path);
  EXPECT_FALSE(doc_.Modified());
  EXPECT_EQ(rig_.host.firstSelected, 1);
  doc_.Close();
  StorageHandle root;
  ASSERT_HRESULT_SUCCEEDED(root.OpenRoot(path.c_str(), kReadMode));
  StorageHandle settings = root.OpenStorageFor(kSettingsStorage, true);
  ASSERT_FALSE(settings.Empty());
  for (const char* s : {kBookmarkStream, kMainInfoStream, kLastInterfaceStream})
    EXPECT_EQ(settings.FindElement(s), ElementType::Stream) << s;
}

TEST_F(DocumentTest, NewOntoAPlaceThatCannotTakeAFileSaysSoAndOpensTheScratchLibrary) {
  rig_.prompt.files.push_back(rig_.dir.File("no such folder\\lib.vlx"));
  doc_.AskAndCreateLibrary();
  EXPECT_TRUE(doc_.IsScratch());
  ASSERT_EQ(rig_.prompt.shown.size(), 1u);
  EXPECT_EQ(rig_.prompt.shown[0].caption, "Fail");
  EXPECT_EQ(rig_.prompt.shown[0].type, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
}

TEST_F(DocumentTest, TheScratchLibraryLivesInTheTempFolderUntilClosed) {
  ASSERT_TRUE(doc_.CreateLibrary(""));
  EXPECT_TRUE(doc_.IsScratch());
  EXPECT_TRUE(vtest::FileExists(doc_.ScratchPath()));
  EXPECT_EQ(rig_.host.title, "Vellora - " + rig_.texts.TextOr(kTextUntitled, "?"));
  EXPECT_EQ(doc_.Recent().Count(), 0);
  doc_.Close();
  EXPECT_FALSE(vtest::FileExists(doc_.ScratchPath()));
  // Save on the scratch library asks for a file name.
  ASSERT_TRUE(doc_.CreateLibrary(""));
  rig_.prompt.files.push_back("");
  doc_.Save();
  ASSERT_EQ(rig_.prompt.dialogs.size(), 1u);
  EXPECT_TRUE(rig_.prompt.dialogs[0].save);
  EXPECT_TRUE(doc_.IsScratch());
}

TEST_F(DocumentTest, RestoreDropsChangesInTheCurrentFolderButKeepsFoldersLeftBefore) {
  std::string path = LibraryPath();
  MakeSavedLibrary(path);
  AddItem(CatalogFolder(), "Kept");   // committed when the next folder is selected
  AddItem(SecondCatalog(), "Dropped");
  EXPECT_TRUE(doc_.Modified());
  doc_.RestoreToLastSave();
  EXPECT_FALSE(doc_.Modified());
  EXPECT_EQ(doc_.Path(), path);
  EXPECT_TRUE(FileHasItemThroughDocument(CatalogFolder(), "Kept"));
  EXPECT_FALSE(FileHasItemThroughDocument(SecondCatalog(), "Dropped"));
}

TEST_F(DocumentTest, RestoreOnANewLibraryBringsBackTheLastSave) {
  std::string path = LibraryPath();
  ASSERT_TRUE(doc_.CreateLibrary(path));
  AddItem(CatalogFolder(), "Saved");
  doc_.Save();
  AddItem(SecondCatalog(), "Unsaved");
  ASSERT_HRESULT_SUCCEEDED(doc_.SelectCurrentFolder(CatalogFolder()));  // commits the folder, not the root
  doc_.RestoreToLastSave();
  EXPECT_TRUE(FileHasItemThroughDocument(CatalogFolder(), "Saved"));
  EXPECT_FALSE(FileHasItemThroughDocument(SecondCatalog(), "Unsaved"));
}

TEST_F(DocumentTest, SaveCopyLeavesBothFilesAlikeAndGoesOnWithTheCopy) {
  std::string first = LibraryPath("first.vlx"), copy = LibraryPath("copy.vlx");
  MakeSavedLibrary(first);
  AddItem(CatalogFolder(), "Before copy");
  rig_.prompt.files.push_back(copy);
  ASSERT_TRUE(doc_.SaveCopy());
  EXPECT_EQ(doc_.Path(), copy);
  EXPECT_EQ(rig_.host.title, "Vellora - " + copy);
  EXPECT_EQ(doc_.Recent().Newest(), copy);
  EXPECT_FALSE(doc_.Modified());
  AddItem(SecondCatalog(), "After copy");
  doc_.Save();
  doc_.Close();
  EXPECT_TRUE(FileHasItem(first, CatalogFolder(), "Before copy"));
  EXPECT_TRUE(FileHasItem(copy, CatalogFolder(), "Before copy"));
  EXPECT_FALSE(FileHasItem(first, SecondCatalog(), "After copy"));
  EXPECT_TRUE(FileHasItem(copy, SecondCatalog(), "After copy"));
}

TEST_F(DocumentTest, SaveCopyOfTheScratchLibraryIsOnDiskAtOnce) {
  ASSERT_TRUE(doc_.CreateLibrary(""));
  AddItem(CatalogFolder(), "Note");
  std::string copy = LibraryPath("saved.vlx");
  rig_.prompt.files.push_back(copy);
  ASSERT_TRUE(doc_.SaveCopy());
  EXPECT_FALSE(vtest::FileExists(doc_.ScratchPath()));
  // Nothing is waiting in a transaction: another reader sees the item now.
  doc_.Close();
  EXPECT_TRUE(FileHasItem(copy, CatalogFolder(), "Note"));
}

TEST_F(DocumentTest, SaveCopyOntoTheOpenFileFailsAndKeepsTheLibrary) {
  std::string path = LibraryPath();
  MakeSavedLibrary(path);
  AddItem(CatalogFolder(), "Item");
  rig_.prompt.files.push_back(path);
  EXPECT_FALSE(doc_.SaveCopy());
  ASSERT_EQ(rig_.prompt.shown.size(), 1u);
  EXPECT_EQ(doc_.Path(), path);
  doc_.Save();
  doc_.Close();
  EXPECT_TRUE(FileHasItem(path, CatalogFolder(), "Item"));
}

TEST_F(DocumentTest, SaveAndRepackGiveBackUnusedSpaceAndRepackReportsKilobytes) {
  std::string path = LibraryPath();
  MakeSavedLibrary(path);
  ASSERT_HRESULT_SUCCEEDED(doc_.SelectCurrentFolder(CatalogFolder()));
  {
    StreamHandle big;
    ASSERT_HRESULT_SUCCEEDED(doc_.CurrentFolder().CreateStream("Big", kWriteMode, big));
    std::string block(1 << 20, 'x');
    for (int i = 0; i < 3; ++i) big.WriteBytes(block.data(), static_cast<ULONG>(block.size()));
  }
  doc_.Save();
  const long long full = vtest::FileSize(path);
  ASSERT_GT(full, 3 << 20);
  ASSERT_HRESULT_SUCCEEDED(doc_.CurrentFolder().DestroyElement("Big"));
  AddItem(CatalogFolder(), "Survivor");
  // Every save writes the library anew, without the space it no longer uses.
  doc_.Save();
  long long before = vtest::FileSize(path);
  EXPECT_LT(before, full / 4);
  ASSERT_TRUE(doc_.Repack());
  long long after = vtest::FileSize(path);
  EXPECT_LE(after, before);
  EXPECT_TRUE(doc_.IsOpen());
  EXPECT_EQ(doc_.Path(), path);
  ASSERT_EQ(rig_.prompt.shown.size(), 1u);
  char expected[512];
  std::snprintf(expected, sizeof expected, rig_.texts.Text(kTextRepackDone), static_cast<int>(before / 1000),
                static_cast<int>(after / 1000));
  EXPECT_EQ(rig_.prompt.shown[0].text, expected);
  EXPECT_EQ(rig_.prompt.shown[0].caption, "Vellora");
  EXPECT_FALSE(vtest::FileExists(doc_.RepackPath()));
  EXPECT_TRUE(FileHasItemThroughDocument(CatalogFolder(), "Survivor"));
}

TEST_F(DocumentTest, RepackThatCannotReplaceTheFileKeepsTheOriginal) {
  std::string path = LibraryPath();
  MakeSavedLibrary(path);
  AddItem(CatalogFolder(), "Precious");
  // A folder where the repack copy should go makes the copy fail.
  CreateDirectoryA(doc_.RepackPath().c_str(), nullptr);
  EXPECT_FALSE(doc_.Repack());
  RemoveDirectoryA(doc_.RepackPath().c_str());
  ASSERT_EQ(rig_.prompt.shown.size(), 1u);
  EXPECT_EQ(rig_.prompt.shown[0].caption, "Fail");
  EXPECT_TRUE(doc_.IsOpen());
  // Nothing was lost: the change still waits, and the next save keeps it.
  EXPECT_TRUE(doc_.Modified());
  EXPECT_TRUE(doc_.Save());
  doc_.Close();
  EXPECT_TRUE(FileHasItem(path, CatalogFolder(), "Precious"));
}

TEST_F(DocumentTest, TheCloseQuestionSavesDiscardsOrCancels) {
  std::string path = LibraryPath();
  MakeSavedLibrary(path);
  rig_.host.location = CatalogFolder() + "\\Where I was";
  // Nothing changed: no question, the location is stored.
  EXPECT_TRUE(doc_.AskBeforeGivingUp());
  EXPECT_TRUE(rig_.prompt.shown.empty());
  EXPECT_EQ(doc_.ReadSettingsSlot(0).AsString(), rig_.host.location);

  AddItem(SecondCatalog(), "Pending");
  rig_.prompt.messageAnswers = {IDCANCEL};
  EXPECT_FALSE(doc_.AskBeforeGivingUp());
  ASSERT_EQ(rig_.prompt.shown.size(), 1u);
  EXPECT_EQ(rig_.prompt.shown[0].type, static_cast<UINT>(MB_YESNOCANCEL | MB_ICONQUESTION));
  EXPECT_EQ(rig_.prompt.shown[0].text, rig_.texts.Text(kTextSaveChangesQuestion));

  rig_.prompt.messageAnswers = {IDYES};
  EXPECT_TRUE(doc_.AskBeforeGivingUp());
  EXPECT_FALSE(doc_.Modified());
  doc_.Close();
  EXPECT_TRUE(FileHasItem(path, SecondCatalog(), "Pending"));
}

TEST_F(DocumentTest, NoAtTheCloseQuestionDropsChangesButStillStoresTheLocation) {
  std::string path = LibraryPath();
  MakeSavedLibrary(path);
  AddItem(SecondCatalog(), "Dropped");
  rig_.host.location = SecondCatalog() + "\\Dropped";
  rig_.prompt.messageAnswers = {IDNO};
  EXPECT_TRUE(doc_.AskBeforeGivingUp());
  EXPECT_FALSE(doc_.Modified());
  doc_.Close();
  EXPECT_FALSE(FileHasItem(path, SecondCatalog(), "Dropped"));
  StorageHandle root;
  ASSERT_HRESULT_SUCCEEDED(root.OpenRoot(path.c_str(), kReadMode));
  EXPECT_EQ(ReadSettingsString(root, 0), rig_.host.location);
  root.Release();
  // The next open goes back there.
  ASSERT_TRUE(doc_.OpenLibrary(path));
  EXPECT_EQ(rig_.host.visited.back(), rig_.host.location);
}

TEST_F(DocumentTest, UnsavedTextEditsAlsoRaiseTheQuestion) {
  MakeSavedLibrary(LibraryPath());
  rig_.host.textModified = true;
  int stores = rig_.host.stores;
  rig_.prompt.messageAnswers = {IDYES};
  EXPECT_TRUE(doc_.AskBeforeGivingUp());
  EXPECT_EQ(rig_.host.stores, stores + 1);
  EXPECT_FALSE(rig_.host.textModified);
}

TEST_F(DocumentTest, TheLocationOfAnUnchangedNewLibraryReachesTheFile) {
  std::string path = LibraryPath();
  ASSERT_TRUE(doc_.CreateLibrary(path));  // a transacted root
  rig_.host.location = TreeFolder();
  EXPECT_TRUE(doc_.AskBeforeGivingUp());
  doc_.Close();
  StorageHandle root;
  ASSERT_HRESULT_SUCCEEDED(root.OpenRoot(path.c_str(), kReadMode));
  EXPECT_EQ(ReadSettingsString(root, 0), TreeFolder());
}

TEST_F(DocumentTest, YesOnTheScratchLibraryWithACancelledDialogKeepsItOpen) {
  ASSERT_TRUE(doc_.CreateLibrary(""));
  AddItem(CatalogFolder(), "Unsaved work");
  rig_.prompt.messageAnswers = {IDYES};
  rig_.prompt.files.push_back("");
  EXPECT_FALSE(doc_.AskBeforeGivingUp());
  EXPECT_TRUE(doc_.IsOpen());
  EXPECT_TRUE(doc_.Modified());
  EXPECT_TRUE(FileHasItemThroughDocument(CatalogFolder(), "Unsaved work"));
}

TEST_F(DocumentTest, OpenFailuresOfTheOpenCommandEndInTheScratchLibrary) {
  std::string corrupt = LibraryPath("corrupt.vlx");
  ASSERT_TRUE(vtest::WriteWholeFile(corrupt, std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + "truncated"));
  ASSERT_TRUE(doc_.CreateLibrary(LibraryPath()));
  // A missing file gets the message for a missing file; a damaged one says
  // what is wrong with it (and offers to salvage it, declined here).
  struct Case {
    std::string path;
    const char* caption;
    std::string text;
  };
  const Case cases[] = {
      {corrupt, "Damaged Library", "- The file is too short to be a library"},
      {LibraryPath("missing.vlx"), "Fail", rig_.texts.Text(kTextOpenFailed)},
  };
  for (const Case& c : cases) {
    rig_.prompt.shown.clear();
    rig_.prompt.files.push_back(c.path);
    rig_.prompt.messageAnswers = {IDNO};
    doc_.AskAndOpenLibrary();
    ASSERT_EQ(rig_.prompt.shown.size(), 1u) << c.path;
    EXPECT_EQ(rig_.prompt.shown[0].caption, c.caption);
    EXPECT_NE(rig_.prompt.shown[0].text.find(c.text), std::string::npos) << rig_.prompt.shown[0].text;
    EXPECT_TRUE(doc_.IsScratch());
    rig_.prompt.messageAnswers.clear();
  }
}

TEST_F(DocumentTest, ALibraryPasswordGuardsTheOpen) {
  std::string path = LibraryPath();
  ASSERT_TRUE(doc_.CreateLibrary(path));
  doc_.WriteSettingsSlot(6, Variant::FromString("secret"));
  doc_.Save();
  doc_.Close();
  rig_.prompt.passwordAnswers = {false};
  EXPECT_TRUE(doc_.OpenLibrary(path));
  EXPECT_TRUE(doc_.IsScratch());
  ASSERT_EQ(rig_.prompt.shown.size(), 1u);
  EXPECT_EQ(rig_.prompt.shown[0].text, rig_.texts.Text(kTextPasswordFailed));
  EXPECT_EQ(rig_.prompt.shown[0].caption, rig_.texts.Text(kTextTipCaption));
  rig_.prompt.passwordAnswers = {true};
  EXPECT_TRUE(doc_.OpenLibrary(path));
  EXPECT_EQ(doc_.Path(), path);
}

TEST_F(DocumentTest, ASlotThatCannotBeReadBeforeThePasswordLeavesTheOpenGuarded) {
  // A string whose byte count is odd: no UTF-16 text, but its end is known.
  const std::string bad("\x08\x00\x03\x00\x00\x00" "abc", 9);
  for (int position : {0, 2, 5}) {
    SCOPED_TRACE(position);
    const std::string path = LibraryPath(("bad" + std::to_string(position) + ".vlx").c_str());
    ASSERT_TRUE(doc_.CreateLibrary(path));
    for (int slot = 0; slot < 6; ++slot) doc_.WriteSettingsSlot(slot, Variant::FromString("x"));
    doc_.WriteSettingsSlot(6, Variant::FromString("secret"));
    doc_.Save();
    doc_.Close();
    {
      // Slot `position` replaced by the bad bytes.
      StorageHandle root;
      ASSERT_HRESULT_SUCCEEDED(root.OpenRoot(path.c_str(), kWriteMode));
      SettingsStream s;
      ASSERT_HRESULT_SUCCEEDED(OpenSettingsStream(root, kInterfaceSettingStream, s));
      const std::string x("\x08\x00\x04\x00\x00\x00x\x00\x00\x00", 10);
      std::string bytes;
      for (int slot = 0; slot < 6; ++slot) bytes += slot == position ? bad : x;
      bytes += std::string("\x08\x00\x0E\x00\x00\x00s\0e\0c\0r\0e\0t\0\0\0", 20);
      ASSERT_HRESULT_SUCCEEDED(s.stream.Reset());
      ASSERT_HRESULT_SUCCEEDED(s.stream.WriteBytes(bytes.data(), static_cast<ULONG>(bytes.size())));
    }
    rig_.prompt.passwordNames.clear();
    rig_.prompt.passwordAnswers = {false};
    EXPECT_TRUE(doc_.OpenLibrary(path));
    EXPECT_EQ(rig_.prompt.passwordNames.size(), 1u);
    EXPECT_TRUE(doc_.IsScratch());
    rig_.prompt.shown.clear();
    rig_.prompt.passwordAnswers = {true};
    ASSERT_TRUE(doc_.OpenLibrary(path));
    EXPECT_EQ(doc_.Path(), path);
    doc_.Close();  // writes the last location into slot 0
    StorageHandle root;
    ASSERT_HRESULT_SUCCEEDED(root.OpenRoot(path.c_str(), kReadMode));
    EXPECT_EQ(ReadSettingsString(root, 6), "secret");
    if (position != 0) {
      StorageHandle settings = root.OpenStorageFor(kSettingsStorage, true);
      StreamHandle s = settings.OpenStreamFor(kInterfaceSettingStream, true);
      std::string bytes(static_cast<size_t>(s.Size()), '\0');
      ULONG got = 0;
      s.ReadBytes(bytes.data(), static_cast<ULONG>(bytes.size()), &got);
      EXPECT_NE(bytes.find(bad), std::string::npos);
    }
  }
}

TEST_F(DocumentTest, NewOpenAndRecentDoNothingWhenTheQuestionIsCancelled) {
  std::string path = LibraryPath(), other = LibraryPath("other.vlx");
  ASSERT_TRUE(doc_.CreateLibrary(other));
  doc_.Save();
  MakeSavedLibrary(path);
  AddItem(CatalogFolder(), "Pending");
  const std::function<void()> commands[] = {[&] { doc_.AskAndCreateLibrary(); }, [&] { doc_.AskAndOpenLibrary(); },
                                            [&] { doc_.OpenRecentEntry(doc_.Recent().IndexFromNewest(1)); }};
  for (size_t command = 0; command < std::size(commands); ++command) {
    rig_.prompt.messageAnswers = {IDCANCEL};
    commands[command]();
    EXPECT_EQ(doc_.Path(), path) << command;
    EXPECT_TRUE(rig_.prompt.dialogs.empty());
  }
}

TEST_F(DocumentTest, ARecentEntryWhoseFileIsGoneIsDroppedAndTheLibraryStays) {
  std::string gone = LibraryPath("gone.vlx"), path = LibraryPath();
  ASSERT_TRUE(doc_.CreateLibrary(gone));
  doc_.Close();
  MakeSavedLibrary(path);
  ASSERT_TRUE(DeleteFileA(gone.c_str()));
  ASSERT_EQ(doc_.Recent().Count(), 2);
  doc_.OpenRecentEntry(doc_.Recent().IndexFromNewest(1));  // the entry before the newest
  EXPECT_EQ(doc_.Recent().Count(), 1);
  ASSERT_EQ(rig_.prompt.shown.size(), 1u);
  EXPECT_EQ(rig_.prompt.shown[0].type, static_cast<UINT>(MB_OK | MB_ICONSTOP));
  EXPECT_EQ(rig_.prompt.shown[0].caption, rig_.texts.Text(kTextErrorCaption));
  EXPECT_EQ(doc_.Path(), path);
  // An existing entry is opened.
  std::string third = LibraryPath("third.vlx");
  ASSERT_TRUE(doc_.CreateLibrary(third));
  doc_.Save();
  doc_.OpenRecentEntry(doc_.Recent().IndexFromNewest(1));
  EXPECT_EQ(doc_.Path(), path);
  EXPECT_EQ(doc_.Recent().Newest(), path);
}

TEST_F(DocumentTest, StartupOpensTheGivenPathOrTheNewestRecentLibrary) {
  std::string a = LibraryPath("a.vlx"), b = LibraryPath("b.vlx");
  ASSERT_TRUE(doc_.CreateLibrary(a));
  ASSERT_TRUE(doc_.CreateLibrary(b));
  doc_.Save();
  doc_.Close();
  EXPECT_TRUE(doc_.ChooseStartupLibrary(a));
  EXPECT_EQ(doc_.Path(), a);
  doc_.Close();
  ASSERT_TRUE(DeleteFileA(a.c_str()));  // now the newest recent entry
  rig_.prompt.welcomeAnswers = {kWelcomeOpenNextRecent};
  EXPECT_TRUE(doc_.ChooseStartupLibrary(""));
  EXPECT_EQ(rig_.prompt.welcomeShown, 1);
  EXPECT_EQ(doc_.Path(), b);
  EXPECT_EQ(doc_.Recent().Count(), 1);
}

TEST_F(DocumentTest, StartupWithNothingToOpenShowsTheWelcomeChoices) {
  rig_.prompt.welcomeAnswers = {kWelcomeExit};
  EXPECT_FALSE(doc_.ChooseStartupLibrary(""));
  EXPECT_EQ(rig_.prompt.welcomeShown, 1);
  EXPECT_FALSE(doc_.IsOpen());

  rig_.prompt.welcomeAnswers = {kWelcomeCreateNew};
  rig_.prompt.files.push_back("");
  EXPECT_FALSE(doc_.ChooseStartupLibrary(""));

  std::string path = LibraryPath();
  rig_.prompt.welcomeAnswers = {kWelcomeCreateNew};
  rig_.prompt.files.push_back(path);
  EXPECT_TRUE(doc_.ChooseStartupLibrary(""));
  EXPECT_EQ(doc_.Path(), path);
  doc_.Save();
  doc_.Close();

  rig_.prompt.welcomeAnswers = {kWelcomeOpenSpecific};
  rig_.prompt.files.push_back(path);
  EXPECT_TRUE(doc_.ChooseStartupLibrary(LibraryPath("not there.vlx")));
  EXPECT_EQ(doc_.Path(), path);
}

TEST_F(DocumentTest, RenamingTheCurrentFolderKeepsItCurrentUnderItsNewName) {
  MakeSavedLibrary(LibraryPath());
  AddItem(CatalogFolder(), "Inside");
  EXPECT_FALSE(doc_.RenameFolder(CatalogFolder(), SecondCatalog()));
  ASSERT_TRUE(doc_.RenameFolder(CatalogFolder(), "Renamed"));
  EXPECT_EQ(doc_.CurrentFolderName(), "Renamed");
  EXPECT_FALSE(doc_.CurrentFolder().Empty());
  EXPECT_EQ(doc_.CurrentFolder().FindElement("Inside"), ElementType::Storage);
  EXPECT_EQ(doc_.Folders().count(CatalogFolder()), 0u);
  EXPECT_EQ(doc_.Folders().count("Renamed"), 1u);
}

TEST_F(DocumentTest, SelectingAFolderOpensItAndTheSameNameIsANoOp) {
  MakeSavedLibrary(LibraryPath());
  ASSERT_HRESULT_SUCCEEDED(doc_.SelectCurrentFolder(TreeFolder()));
  IStorage* held = doc_.CurrentFolder().Get();
  ASSERT_HRESULT_SUCCEEDED(doc_.SelectCurrentFolder(TreeFolder()));
  EXPECT_EQ(doc_.CurrentFolder().Get(), held);
  bool current = false;
  StorageHandle same = doc_.OpenFolder(TreeFolder(), true, current);
  EXPECT_TRUE(current);
  EXPECT_EQ(same.Get(), held);
  StorageHandle other = doc_.OpenFolder(CatalogFolder(), true, current);
  EXPECT_FALSE(current);
  EXPECT_FALSE(other.Empty());
  EXPECT_HRESULT_FAILED(doc_.SelectCurrentFolder("No such folder"));
}

TEST_F(DocumentTest, ExitAsksTheFrameToClose) {
  doc_.RequestClose();
  EXPECT_EQ(rig_.host.closeRequests, 1);
}

}  // namespace

namespace {

// Wine's transacted storages lose elements at the commit when one of their
// streams was left cut to nothing: clearing the bookmarks of a new library
// (whose root is transacted) must not take the folders with it.
TEST_F(DocumentTest, ClearingTheBookmarksOfANewLibraryKeepsEverythingElseThroughSave) {
  const std::string path = LibraryPath();
  ASSERT_TRUE(doc_.CreateLibrary(path));
  ASSERT_HRESULT_SUCCEEDED(doc_.AddBookmark({"First", "x"}));
  ASSERT_HRESULT_SUCCEEDED(doc_.AddBookmark({"Second", "y"}));
  doc_.Save();
  const size_t folders = doc_.Folders().size();
  ASSERT_HRESULT_SUCCEEDED(doc_.ReplaceBookmarks({}));
  doc_.Save();
  doc_.Close();
  ASSERT_TRUE(doc_.OpenLibrary(path));
  EXPECT_EQ(doc_.Folders().size(), folders);
  EXPECT_TRUE(ReadBookmarks(doc_.Root()).empty());
  EXPECT_FALSE(doc_.Root().OpenStorageFor(kSettingsStorage, true).OpenStreamFor(kMainInfoStream, true).Empty());
}

}  // namespace
