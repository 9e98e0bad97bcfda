// The "Save to" dialog reached as the browser reaches it: the object created
// by its ProgID and called through IDispatch with a test document, a second
// thread acting as the user, and every result read back from the file.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "collector/CollectorIds.h"
#include "collector/CollectorModule.h"
#include "collector/PageCapture.h"
#include "collector/RichTextComposer.h"
#include "collector/SaveToDialog.h"
#include "store/LibraryDocument.h"
#include "store/WebArchive.h"
#include "tests/TestSupport.h"
#include "tests/collector/CollectorRig.h"
#include "tests/store/DamageKit.h"
#include "tests/e2e/VelloraProcess.h"
#include "tests/store/DocumentFixtures.h"

using namespace vellora;
using namespace vtest;

namespace {

constexpr char kSeparatorText[] = "======================Next copy text==========================";
const std::string kSavedPageBytes =
    "MIME-Version: 1.0\r\nContent-Type: multipart/related; boundary=\"b\"\r\n\r\n--b\r\n"
    "Content-Type: text/html\r\nContent-Location: http://old/\r\n\r\n<html>" +
    std::string(2000, 'M') + "</html>\r\n--b--\r\n";

NodeInfoRecord Record(int sequence, uint16_t kind, bool locked = false) {
  NodeInfoRecord record;
  record.sequence = sequence;
  record.kind = kind;
  if (locked) {
    record.flags = static_cast<uint16_t>(kPasswordFlag);
    record.SetPassword("secret");
  }
  return record;
}

void AddLeaf(const StorageHandle& parent, const char* name, const NodeInfoRecord& record, const std::string& content) {
  ASSERT_HRESULT_SUCCEEDED(CreateLeafNode(parent, name, record, content.data(), static_cast<ULONG>(content.size())));
}

// The tree folder of every test library, shown top to bottom:
//   Getting started (text, bold) 1 | Projects 2 [Roadmap 1, Site 2] | Saved page 3 | Locked 4 | News 5
class SaveToTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_EQ(RunRegsvr32(false), 0u); }

  void SetUp() override {
    EndStrayPrograms();
    library_ = rig_.dir.File("library.vlx");
    {
      LibraryDocument doc(rig_.host, rig_.prompt, rig_.texts, rig_.log, rig_.Setup());
      ASSERT_TRUE(doc.CreateLibrary(library_));
      tree_ = rig_.texts.TextOr(kTextFirstTreeFolder, "Favorite Tree");
      StorageHandle folder = doc.Root().OpenStorageFor(tree_.c_str(), false);
      AddLeaf(folder, "Getting started", Record(1, kItemText), Rtf("Keep me bold", true));
      StorageHandle projects;
      ASSERT_HRESULT_SUCCEEDED(CreateFolderNode(folder, "Projects", Record(2, kItemText), projects));
      AddLeaf(projects, "Roadmap", Record(1, kItemText), Rtf("Spring"));
      AddLeaf(projects, "Site", Record(2, kItemWebLink), std::string("\x04\0\0\0x\0\0\0", 8));
      projects.Release();
      AddLeaf(folder, "Saved page", Record(3, kItemWebArchive), kSavedPageBytes);
      AddLeaf(folder, "Locked", Record(4, kItemText, true), Rtf("Private"));
      AddLeaf(folder, "#$VLX$#3\tNews", Record(5, kItemText), Rtf("Headlines"));
      folder.Release();
      doc.Save();
    }
    MakeNewestLibrary(library_);
    page_ = std::make_shared<TestPage>();
  }
  void TearDown() override {
    EndStrayPrograms();
    ResetProgramRegistry();
  }

  void SelectText(const std::wstring& text) {
    page_->selectionType = L"Text";
    page_->selectionText = text;
  }
  NodeSnapshot Leaf(const std::vector<std::string>& path) const { return ReadLeafFromFile(library_, tree_, path); }
  std::vector<std::pair<std::string, int>> TopLevel() const { return ChildrenInFile(library_, tree_, {}); }
  int SequenceOf(const std::string& name, const std::vector<std::string>& parent = {}) const {
    for (const auto& [element, sequence] : ChildrenInFile(library_, tree_, parent))
      if (element == name) return sequence;
    return -1;
  }

  // Runs the dialog: user gets the dialog window once it is up.
  void Transmit(const std::function<void(HWND)>& user) {
    HRESULT hr = TransmitWhileUser(page_, [&] {
      HWND dialog = WaitForOwnDialog("Save to");
      ASSERT_NE(dialog, nullptr);
      user(dialog);
    });
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(page_->references, 0) << "the collector kept the document after the call";
  }
  // Presses OK and expects the dialog to end.
  static void Accept(HWND dialog) {
    PressButton(dialog, IDOK);
    EXPECT_TRUE(WaitUntilGone(dialog));
  }

  DocumentRig rig_;
  std::string library_;
  std::string tree_;
  std::shared_ptr<TestPage> page_;
};

TEST_F(SaveToTest, TheDialogListsTreeFoldersAndTheSortedNodesWithDecodedNames) {
  std::vector<std::string> shown;
  std::string folders;
  Transmit([&](HWND dialog) {
    shown = TopLevelTexts(dialog);
    HWND list = GetDlgItem(dialog, IDC_SAVE_TO_FOLDERS);
    EXPECT_EQ(SendMessageA(list, CB_GETCOUNT, 0, 0), 1) << "only tree folders are offered";
    folders = ControlText(dialog, IDC_SAVE_TO_FOLDERS);
    EXPECT_EQ(ControlText(dialog, IDC_SAVE_TO_LINK), "http://localhost/a page.html");
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, IDC_SAVE_TO_APPEND)));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, IDC_SAVE_TO_ADDRESS_ONLY)));
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_SAVE_TO_INSERT), BST_CHECKED);
    PressButton(dialog, IDCANCEL);
  });
  EXPECT_EQ(folders, tree_);
  EXPECT_EQ(shown, (std::vector<std::string>{"Getting started", "Projects", "Saved page", "Locked", "News"}));
}

// The page title is the box's first text in either default mode; a node's
// own name only comes in with a click on "Overwrite selected node" or a node
// picked while it is checked.
TEST_F(SaveToTest, TheTitleBoxStartsWithThePageTitle) {
  for (bool withSelection : {false, true}) {
    SetUp();
    if (withSelection) SelectText(L"Picked words");
    std::string title, afterPick;
    bool overwrite = false;
    Transmit([&](HWND dialog) {
      title = ControlText(dialog, IDC_SAVE_TO_TITLE);
      overwrite = IsDlgButtonChecked(dialog, IDC_SAVE_TO_OVERWRITE) == BST_CHECKED;
      ClickRadio(dialog, IDC_SAVE_TO_OVERWRITE);
      ASSERT_TRUE(SelectNode(dialog, {"Projects", "Roadmap"}));
      afterPick = ControlText(dialog, IDC_SAVE_TO_TITLE);
      PressButton(dialog, IDCANCEL);
    });
    EXPECT_EQ(title, "A page") << "with selection " << withSelection;
    EXPECT_EQ(overwrite, withSelection);
    EXPECT_EQ(afterPick, "Roadmap");
  }
}

TEST_F(SaveToTest, CancelLeavesTheFileByteForByte) {
  std::string before = ReadWholeFile(library_);
  SelectText(L"Picked words");
  Transmit([&](HWND dialog) {
    ClickRadio(dialog, IDC_SAVE_TO_INSERT);
    SelectNode(dialog, {"Projects", "Roadmap"});
    ClickRadio(dialog, IDC_SAVE_TO_INSERT_FRONT);
    PressButton(dialog, IDCANCEL);
    EXPECT_TRUE(WaitUntilGone(dialog));
  });
  EXPECT_EQ(ReadWholeFile(library_), before);
}

TEST_F(SaveToTest, ANewTextNodeTakesTheSelectedLeafsPlaceAndLaterSiblingsMoveUp) {
  SelectText(L"Picked words");
  Transmit([&](HWND dialog) {
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_SAVE_TO_OVERWRITE), BST_CHECKED);
    ClickRadio(dialog, IDC_SAVE_TO_INSERT);
    EXPECT_EQ(ControlText(dialog, IDC_SAVE_TO_TITLE), "A page");
    ASSERT_TRUE(SelectNode(dialog, {"Saved page"}));
    Accept(dialog);
  });
  NodeSnapshot added = Leaf({"A page"});
  ASSERT_TRUE(added.found);
  EXPECT_EQ(added.record.sequence, 3);
  EXPECT_EQ(added.record.kind, kItemText);
  EXPECT_EQ(PlainTextOfRtf(added.content), "Picked words");
  EXPECT_EQ(SequenceOf("Getting started"), 1);
  EXPECT_EQ(SequenceOf("Projects"), 2);
  EXPECT_EQ(SequenceOf("Saved page"), 4);
  EXPECT_EQ(SequenceOf("Locked"), 5);
  EXPECT_EQ(SequenceOf("#$VLX$#3\tNews"), 6);
  EXPECT_EQ(Leaf({"Locked"}).record.Password(), "secret") << "renumbering keeps the rest of the record";
}

TEST_F(SaveToTest, OverwritingATextLeafAppendsOrInsertsAndKeepsTheOldFormatting) {
  struct Case {
    int mode;
    std::string expected;
    long boldAt;  // where "Keep me bold" starts in the new text; -1 when it is gone
  };
  const std::string sep = std::string("\r\r") + kSeparatorText + "\r";
  const Case cases[] = {
      {IDC_SAVE_TO_APPEND, "Keep me bold" + sep + "Picked words", 0},
      {IDC_SAVE_TO_INSERT_FRONT, "Picked words" + sep + "Keep me bold", static_cast<long>(12 + sep.size())},
      {IDC_SAVE_TO_OVERWRITE_ALL, "Picked words", -1},
  };
  for (const Case& c : cases) {
    SetUp();
    SelectText(L"Picked words");
    Transmit([&](HWND dialog) {
      ASSERT_TRUE(SelectNode(dialog, {"Getting started"}));
      EXPECT_EQ(ControlText(dialog, IDC_SAVE_TO_TITLE), "Getting started");
      EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_SAVE_TO_TITLE)));
      ClickRadio(dialog, c.mode);
      Accept(dialog);
    });
    NodeSnapshot leaf = Leaf({"Getting started"});
    ASSERT_TRUE(leaf.found) << c.mode;
    EXPECT_EQ(leaf.record.sequence, 1);
    EXPECT_EQ(leaf.record.kind, kItemText);
    bool bold = false;
    EXPECT_EQ(PlainTextOfRtf(leaf.content, c.boldAt, &bold), c.expected) << c.mode;
    if (c.boldAt >= 0) {
      EXPECT_TRUE(bold) << "the old text lost its bold face, mode " << c.mode;
    }
    EXPECT_EQ(TopLevel().size(), 5u);
  }
}

TEST_F(SaveToTest, TextOverASavedPageReplacesItWithoutLeavingOldBytes) {
  SelectText(L"Only this");
  Transmit([&](HWND dialog) {
    ASSERT_TRUE(SelectNode(dialog, {"Saved page"}));
    Accept(dialog);
  });
  NodeSnapshot leaf = Leaf({"Saved page"});
  EXPECT_EQ(leaf.record.kind, kItemText);
  EXPECT_EQ(leaf.record.sequence, 3);
  EXPECT_EQ(PlainTextOfRtf(leaf.content), "Only this");
  EXPECT_EQ(leaf.content.find("MMMM"), std::string::npos);
}

TEST_F(SaveToTest, AnAddressGoesAfterTheLastChildOfANodeWithChildren) {
  Transmit([&](HWND dialog) {
    ASSERT_TRUE(SelectNode(dialog, {"Projects"}));
    Accept(dialog);
  });
  NodeSnapshot leaf = Leaf({"Projects", "A page"});
  ASSERT_TRUE(leaf.found);
  EXPECT_EQ(leaf.record.kind, kItemWebLink);
  EXPECT_EQ(leaf.record.sequence, 3);
  const std::wstring link = L"http://localhost/a page.html";
  std::string expected(4, '\0');
  uint32_t count = static_cast<uint32_t>(link.size() * 2 + 2);
  std::memcpy(expected.data(), &count, 4);
  expected.append(reinterpret_cast<const char*>(link.c_str()), link.size() * 2 + 2);
  EXPECT_EQ(leaf.content, expected);
  EXPECT_EQ(SequenceOf("Roadmap", {"Projects"}), 1);
  EXPECT_EQ(SequenceOf("Site", {"Projects"}), 2);
}

TEST_F(SaveToTest, TheEmbeddedPageIsAWebArchiveOfTheDocument) {
  page_->charset = L"utf-8";
  Transmit([&](HWND dialog) {
    ClickRadio(dialog, IDC_SAVE_TO_OVERWRITE);
    ClickRadio(dialog, IDC_SAVE_TO_EMBED_PAGE);
    ASSERT_TRUE(SelectNode(dialog, {"Projects", "Site"}));
    EXPECT_EQ(ControlText(dialog, IDC_SAVE_TO_TITLE), "Site");
    Accept(dialog);
  });
  EXPECT_EQ(page_->saves, 1);
  NodeSnapshot leaf = Leaf({"Projects", "Site"});
  EXPECT_EQ(leaf.record.kind, kItemWebArchive);
  const std::string& archive = leaf.content;
  EXPECT_NE(archive.find("Content-Type: multipart/related;"), std::string::npos);
  EXPECT_NE(archive.find("Content-Location: http://localhost/a%20page.html\r\n"), std::string::npos);
  EXPECT_NE(archive.find("charset=\"utf-8\""), std::string::npos);
  EXPECT_NE(archive.find("<body><p>Hello</p></body>"), std::string::npos);
}

TEST_F(SaveToTest, TheEmbeddedPageCarriesThePicturesItUses) {
  std::string picture = "\x89PNG\r\n\x1a\n" + std::string(3000, '\0') + "\xFF\x01";
  std::string path = rig_.dir.File("picture.png");
  ASSERT_TRUE(WriteWholeFile(path, picture));
  std::string url = ArchiveAddress(path);
  page_->html = "<html><body><img src=\"" + url + "\"><img src=\"" + ArchiveAddress(rig_.dir.File("gone.png")) +
                "\"></body></html>";
  Transmit([&](HWND dialog) {
    ClickRadio(dialog, IDC_SAVE_TO_OVERWRITE);
    ClickRadio(dialog, IDC_SAVE_TO_EMBED_PAGE);
    ASSERT_TRUE(SelectNode(dialog, {"Projects", "Site"}));
    Accept(dialog);
  });
  std::vector<ArchivePart> parts;
  ASSERT_TRUE(ReadWebArchive(Leaf({"Projects", "Site"}).content, parts));
  ASSERT_EQ(parts.size(), 2u) << "the page and the picture that is there";
  EXPECT_EQ(parts[0].bytes, page_->html);
  EXPECT_EQ(parts[1].location, url);
  EXPECT_EQ(parts[1].contentType, "image/png");
  EXPECT_EQ(parts[1].bytes, picture);
}

TEST_F(SaveToTest, APageThatCannotBeSavedIsReportedAndNothingIsWritten) {
  page_->saveFails = true;
  std::string before = ReadWholeFile(library_);
  std::string told;
  Transmit([&](HWND dialog) {
    ClickRadio(dialog, IDC_SAVE_TO_EMBED_PAGE);
    ASSERT_TRUE(SelectNode(dialog, {"Getting started"}));
    PressButton(dialog, IDOK);
    told = AnswerMessage("Vellora", IDOK);
    EXPECT_TRUE(IsWindowVisible(dialog)) << "the dialog stays for another choice";
    PressButton(dialog, IDCANCEL);
  });
  EXPECT_NE(told.find("web page could not be saved"), std::string::npos) << told;
  EXPECT_EQ(ReadWholeFile(library_), before);
}

TEST_F(SaveToTest, RefusedChecksKeepTheDialogOpenAndTheFileUnchanged) {
  struct Case {
    std::vector<std::string> node;
    bool overwrite;
    std::string title;  // typed into the Title box in insert mode
    std::string message;
  };
  const Case cases[] = {
      {{"Getting started"}, false, "", "Sorry but the node title can not be empty."},
      {{"Getting started"}, false, "Notes: May", "Sorry but the title name can not contain \\/:!."},
      {{"Projects"}, true, "", "Sorry but the target node can not be overwriten!"},
      {{"Locked"}, true, "", "Sorry but the selected node is protected by a password and can not be overwritten."},
  };
  std::string before = ReadWholeFile(library_);
  for (const Case& c : cases) {
    std::string told;
    Transmit([&](HWND dialog) {
      ClickRadio(dialog, c.overwrite ? IDC_SAVE_TO_OVERWRITE : IDC_SAVE_TO_INSERT);
      ASSERT_TRUE(SelectNode(dialog, c.node));
      if (!c.overwrite) SetControlText(dialog, IDC_SAVE_TO_TITLE, c.title);
      PressButton(dialog, IDOK);
      told = AnswerMessage("Vellora", IDOK);
      EXPECT_TRUE(IsWindowVisible(dialog));
      PressButton(dialog, IDCANCEL);
    });
    EXPECT_EQ(told.substr(0, c.message.size()), c.message);
    EXPECT_EQ(ReadWholeFile(library_), before) << c.message;
  }
}

TEST_F(SaveToTest, ATakenOrReservedTitleGetsAnEncodedNameAndDestroysNothing) {
  struct Case {
    std::vector<std::string> select;
    std::vector<std::string> parent;
    std::string title;
  };
  const Case cases[] = {
      {{"Getting started"}, {}, "getting STARTED"},
      {{"Projects"}, {"Projects"}, "#BOOKFOLDERITEMINFO#"},
      {{"Getting started"}, {}, "Projects"},
  };
  for (const Case& c : cases) {
    SetUp();
    Transmit([&](HWND dialog) {
      ASSERT_TRUE(SelectNode(dialog, c.select));
      SetControlText(dialog, IDC_SAVE_TO_TITLE, c.title);
      Accept(dialog);
    });
    std::string encoded;
    for (const auto& [name, sequence] : ChildrenInFile(library_, tree_, c.parent))
      // An encoded name longer than an element name allows shows its title cut short.
      if (name.rfind("#$VLX$#", 0) == 0 && !DisplayName(name).empty() && c.title.rfind(DisplayName(name), 0) == 0)
        encoded = name;
    EXPECT_FALSE(encoded.empty()) << c.title;
    EXPECT_EQ(Leaf({"Getting started"}).content, Rtf("Keep me bold", true)) << c.title;
    EXPECT_EQ(ChildrenInFile(library_, tree_, {"Projects"}).size(), c.parent.empty() ? 2u : 3u) << c.title;
    StorageHandle root;
    ASSERT_HRESULT_SUCCEEDED(root.OpenRoot(library_.c_str(), kReadMode));
    StorageHandle folder = root.OpenStorageFor(tree_.c_str(), true);
    StorageHandle projects = folder.OpenStorageFor("Projects", true);
    NodeInfoRecord record;
    EXPECT_TRUE(ReadNodeInfo(projects.OpenStreamFor(kNodeInfoStream, true), record));
    EXPECT_EQ(record.sequence, c.parent.empty() ? 3 : 2) << "the folder node's record is intact";
  }
}

TEST_F(SaveToTest, AMissingLibraryIsReportedWhenTheProgramIsNotRunning) {
  MakeNewestLibrary(rig_.dir.File("gone.vlx"));
  std::string told;
  EXPECT_EQ(TransmitWhileUser(page_, [&] { told = AnswerMessage("Sorry", IDNO); }), S_OK);
  EXPECT_EQ(told,
            "Sorry but program system failed to open the lastest library file!\n"
            "That file maybe deleted or moved,or it is opened already?");
}

TEST_F(SaveToTest, ADamagedLibraryIsNeverWrittenAndTheUserIsTold) {
  const std::string damaged = rig_.dir.File("damaged.vlx");
  ASSERT_TRUE(WriteSelfContainingSample(damaged));
  MakeNewestLibrary(damaged);
  const std::string before = ReadWholeFile(damaged);
  SelectText(L"Never written");
  std::string told;
  EXPECT_EQ(TransmitWhileUser(page_, [&] { told = AnswerMessage("Vellora", IDOK); }), S_OK);
  EXPECT_EQ(told.rfind("The library file is damaged", 0), 0u) << told;
  EXPECT_EQ(ReadWholeFile(damaged), before);
}

TEST_F(SaveToTest, ANullDocumentIsAnsweredWithSOkAndNoDialog) {
  bool dialogCame = true;
  EXPECT_EQ(TransmitWhileUser(nullptr, [&] { dialogCame = WaitForOwnDialog("Save to", 1500) != nullptr; }), S_OK);
  EXPECT_FALSE(dialogCame);
}


// Closes the main program that the collector started again, and waits for it.
bool CloseRestartedProgram(DWORD timeoutMs) {
  DWORD start = GetTickCount();
  HWND main = nullptr;
  while (!(main = FindWindowA("VELLORA_SYSTEM", nullptr)) && GetTickCount() - start < timeoutMs) Sleep(100);
  if (!main) return false;
  DWORD pid = 0;
  GetWindowThreadProcessId(main, &pid);
  HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid);
  PostMessageA(main, WM_CLOSE, 0, 0);
  bool ended = process && WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0;
  if (process && !ended) TerminateProcess(process, 99);
  if (process) CloseHandle(process);
  return ended;
}

TEST_F(SaveToTest, ARunningProgramIsAskedToLetTheLibraryGoAndIsStartedAgainAfterwards) {
  VelloraProcess program;
  ASSERT_TRUE(program.Start("\"" + library_ + "\""));
  ASSERT_NE(program.WaitForMainWindow(), nullptr);
  std::string warning;
  bool runEnabled = true;
  HRESULT hr = TransmitWhileUser(page_, [&] {
    warning = AnswerMessage("Warning", IDYES, 30000);
    HWND dialog = WaitForOwnDialog("Save to", 30000);
    ASSERT_NE(dialog, nullptr);
    runEnabled = IsWindowEnabled(GetDlgItem(dialog, IDC_SAVE_TO_RUN_PROGRAM)) != FALSE;
    ASSERT_TRUE(SelectNode(dialog, {"Getting started"}));
    Accept(dialog);
  });
  EXPECT_EQ(hr, S_OK);
  EXPECT_EQ(warning.rfind("The main program has already been running", 0), 0u) << warning;
  EXPECT_FALSE(runEnabled) << "the program is started again anyway";
  DWORD code = 0;
  EXPECT_TRUE(program.WaitForExit(20000, code));
  EXPECT_TRUE(CloseRestartedProgram(30000)) << "the collector starts the program again";
  NodeSnapshot added = Leaf({"A page"});
  ASSERT_TRUE(added.found);
  EXPECT_EQ(added.record.kind, kItemWebLink);
  EXPECT_EQ(SequenceOf("Getting started"), 2);
}

TEST_F(SaveToTest, ARunningProgramIsLeftAloneWhenTheUserSaysNo) {
  VelloraProcess program;
  ASSERT_TRUE(program.Start("\"" + library_ + "\""));
  HWND main = program.WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  bool dialogCame = true;
  EXPECT_EQ(TransmitWhileUser(page_, [&] {
    EXPECT_FALSE(AnswerMessage("Warning", IDNO, 30000).empty());
    dialogCame = WaitForOwnDialog("Save to", 1500) != nullptr;
  }), S_OK);
  EXPECT_FALSE(dialogCame);
  EXPECT_TRUE(program.Running());
  PostMessageA(main, WM_CLOSE, 0, 0);
  DWORD code = 0;
  EXPECT_TRUE(program.WaitForExit(20000, code));
  EXPECT_EQ(FindWindowA("VELLORA_SYSTEM", nullptr), nullptr) << "nothing was started";
}


// Every kind of node the collector writes, in one library; with
// VELLORA_COLLECTOR_LIBRARY set (a Windows path) the library is copied there
// for the reader that is not ours (see tests/CMakeLists.txt).
TEST_F(SaveToTest, EveryKindOfNodeForTheIndependentReader) {
  auto insertInto = [&](const std::vector<std::string>& node, int mode) {
    Transmit([&](HWND dialog) {
      ClickRadio(dialog, IDC_SAVE_TO_INSERT);
      if (mode) ClickRadio(dialog, mode);
      ASSERT_TRUE(SelectNode(dialog, node));
      Accept(dialog);
    });
  };
  insertInto({"Projects"}, IDC_SAVE_TO_ADDRESS_ONLY);
  page_->title = L"Saved copy";
  insertInto({"Projects"}, IDC_SAVE_TO_EMBED_PAGE);
  page_->title = L"Picked text";
  SelectText(L"Some words {in braces}");
  insertInto({"Getting started"}, 0);
  SelectText(L"More words");
  Transmit([&](HWND dialog) {
    ASSERT_TRUE(SelectNode(dialog, {"Getting started"}));
    Accept(dialog);
  });
  EXPECT_EQ(ChildrenInFile(library_, tree_, {"Projects"}).size(), 4u);
  EXPECT_EQ(Leaf({"Saved copy"}).found, false);
  EXPECT_EQ(Leaf({"Projects", "Saved copy"}).record.kind, kItemWebArchive);
  char target[MAX_PATH] = "";
  if (GetEnvironmentVariableA("VELLORA_COLLECTOR_LIBRARY", target, MAX_PATH) > 0) {
    EXPECT_TRUE(CopyFileA(library_.c_str(), target, FALSE));
  }
}


TEST_F(SaveToTest, RunMainProgramSavesLikeOkAndThenStartsTheProgramOnTheLibrary) {
  Transmit([&](HWND dialog) {
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_SAVE_TO_RUN_PROGRAM)));
    ASSERT_TRUE(SelectNode(dialog, {"Saved page"}));
    PressButton(dialog, IDC_SAVE_TO_RUN_PROGRAM);
    EXPECT_TRUE(WaitUntilGone(dialog));
  });
  EXPECT_TRUE(CloseRestartedProgram(30000));
  EXPECT_EQ(Leaf({"A page"}).record.kind, kItemWebLink);
  EXPECT_EQ(SequenceOf("Saved page"), 4);
}


TEST_F(SaveToTest, AnEmptyTreeFolderTakesANewNodeAsItsFirstButCannotBeOverwritten) {
  std::string fresh = rig_.dir.File("fresh.vlx");
  {
    LibraryDocument doc(rig_.host, rig_.prompt, rig_.texts, rig_.log, rig_.Setup());
    ASSERT_TRUE(doc.CreateLibrary(fresh));
    doc.Save();
  }
  MakeNewestLibrary(fresh);
  std::string told;
  Transmit([&](HWND dialog) {
    EXPECT_TRUE(TopLevelTexts(dialog).empty());
    ClickRadio(dialog, IDC_SAVE_TO_OVERWRITE);
    SetControlText(dialog, IDC_SAVE_TO_TITLE, "Anything");
    PressButton(dialog, IDOK);
    told = AnswerMessage("Vellora", IDOK);
    ClickRadio(dialog, IDC_SAVE_TO_INSERT);
    Accept(dialog);
  });
  EXPECT_EQ(told, "Please select a node to insert the selections.");
  NodeSnapshot added = ReadLeafFromFile(fresh, tree_, {"A page"});
  ASSERT_TRUE(added.found);
  EXPECT_EQ(added.record.sequence, 1);
  EXPECT_EQ(added.record.kind, kItemWebLink);
}


// A stand-in for the main program's window on a thread of its own: it holds
// the library open and answers the release request as told, after
// answerAfterMs (busy saving); with closes it then goes as the program does.
class FakeMainWindow {
 public:
  FakeMainWindow(const std::string& library, LRESULT answer, DWORD releaseAfterMs, DWORD answerAfterMs = 0,
                 bool closes = false)
      : answer_(answer), releaseAfterMs_(releaseAfterMs), answerAfterMs_(answerAfterMs), closes_(closes) {
    EXPECT_HRESULT_SUCCEEDED(held_.OpenRoot(library.c_str(), kTransactedMode));
    thread_ = std::thread([this] { Run(); });
    while (!window_) Sleep(10);
  }
  ~FakeMainWindow() {
    PostMessageA(window_, WM_CLOSE, 0, 0);
    thread_.join();
  }
  int requests() const { return requests_; }
  bool Released() const { return released_; }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<FakeMainWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self && message == WM_USER + 2001) {
      ++self->requests_;
      Sleep(self->answerAfterMs_);
      if (self->answer_ == 1) SetTimer(window, 1, self->releaseAfterMs_, nullptr);
      return self->answer_;
    }
    if (self && message == WM_TIMER) {
      KillTimer(window, 1);
      self->held_.Release();  // saved and gone, a little later than it answered
      self->released_ = true;
      if (self->closes_) DestroyWindow(window);
      return 0;
    }
    if (message == WM_CLOSE) {
      DestroyWindow(window);
      return 0;
    }
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(window, message, wParam, lParam);
  }
  void Run() {
    WNDCLASSA type = {};
    type.lpfnWndProc = Procedure;
    type.hInstance = GetModuleHandleA(nullptr);
    type.lpszClassName = "VELLORA_SYSTEM";
    RegisterClassA(&type);
    HWND window = CreateWindowExA(0, "VELLORA_SYSTEM", "Vellora", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                  nullptr, type.hInstance, nullptr);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    window_ = window;
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    held_.Release();
    UnregisterClassA("VELLORA_SYSTEM", type.hInstance);
  }

  StorageHandle held_;
  LRESULT answer_;
  DWORD releaseAfterMs_;
  DWORD answerAfterMs_;
  bool closes_;
  std::atomic<bool> released_{false};
  std::atomic<HWND> window_{nullptr};
  std::atomic<int> requests_{0};
  std::thread thread_;
};

TEST_F(SaveToTest, TheReleaseIsRefusedOrWaitedForWhileTheProgramLetsGo) {
  std::string before = ReadWholeFile(library_);
  {
    FakeMainWindow refusing(library_, 0, 0);
    std::string told;
    bool dialogCame = true;
    EXPECT_EQ(TransmitWhileUser(page_, [&] {
      EXPECT_FALSE(AnswerMessage("Warning", IDYES).empty());
      told = AnswerMessage("Vellora", IDOK);
      dialogCame = WaitForOwnDialog("Save to", 1000) != nullptr;
    }), S_OK);
    EXPECT_EQ(refusing.requests(), 1);
    EXPECT_EQ(told, "The main program did not let the library file go; nothing was written.");
    EXPECT_FALSE(dialogCame);
  }
  EXPECT_EQ(ReadWholeFile(library_), before);
  {
    // It answers at once but holds the file a moment longer: the open is tried again.
    FakeMainWindow slow(library_, 1, 700);
    EXPECT_EQ(TransmitWhileUser(page_, [&] {
      EXPECT_FALSE(AnswerMessage("Warning", IDYES).empty());
      HWND dialog = WaitForOwnDialog("Save to");
      ASSERT_NE(dialog, nullptr);
      ASSERT_TRUE(SelectNode(dialog, {"Locked"}));
      Accept(dialog);
    }), S_OK);
    EXPECT_EQ(slow.requests(), 1);
  }
  EXPECT_TRUE(CloseRestartedProgram(30000));
  EXPECT_EQ(Leaf({"A page"}).record.sequence, 4);
}

// The dialog run in this process on the DLL's resources, so that the hand-over
// can be given timings short enough for a test.
void RunDialogWhileUser(const std::shared_ptr<TestPage>& page, const collector::HandOverTimings& timings,
                        const std::function<void()>& user) {
  HMODULE dll = LoadLibraryA(CollectorDllPath().c_str());
  ASSERT_NE(dll, nullptr);
  collector::SetModuleInstance(dll);
  IDispatch* document = CreateTestDocument(page);
  collector::PageCapture capture = collector::CapturePage(document);
  document->Release();
  RunWhileUser([&] { collector::RunSaveToDialog(capture, nullptr, timings); }, user);
  capture.document.Reset();
  collector::SetModuleInstance(nullptr);
  FreeLibrary(dll);
}

// The program answers after the collector stopped waiting, or answers at once
// but keeps the file longer than the collector tries to open it: what was
// captured stays, the user is told and asked, and it is written once the file
// is free, by the one request that was sent.
TEST_F(SaveToTest, ALateAnswerOrALockedFileKeepsTheCaptureUntilTheFileIsFree) {
  struct Case {
    const char* what;
    DWORD answerAfterMs;
    DWORD releaseAfterMs;
    int earlyRetries;  // Retry pressed while the file is still held
    const char* told;
  };
  const Case cases[] = {
      {"answers after the wait gave up", 3000, 0, 0, "The main program has not answered yet"},
      {"answers late, retried too soon", 3000, 0, 1, "The main program has not answered yet"},
      {"keeps the file after answering", 0, 3000, 1, "The library file is still in use"},
  };
  collector::HandOverTimings timings;
  timings.answerMs = 300;
  timings.exitMs = 100;
  timings.reopenAttempts = 2;
  timings.reopenPauseMs = 100;
  for (const Case& c : cases) {
    SetUp();
    page_->title = L"Kept capture";
    std::vector<std::string> told;
    int requests = 0;
    {
      FakeMainWindow program(library_, 1, c.releaseAfterMs, c.answerAfterMs, true);
      RunDialogWhileUser(page_, timings, [&] {
        EXPECT_FALSE(AnswerMessage("Warning", IDYES).empty());
        for (int i = 0; i < c.earlyRetries; ++i) told.push_back(AnswerMessage("Vellora", IDRETRY));
        EXPECT_TRUE(WaitUntil([&] { return program.Released(); }, 15000));
        told.push_back(AnswerMessage("Vellora", IDRETRY));
        HWND dialog = WaitForOwnDialog("Save to");
        ASSERT_NE(dialog, nullptr) << c.what;
        EXPECT_EQ(ControlText(dialog, IDC_SAVE_TO_TITLE), "Kept capture") << c.what;
        ASSERT_TRUE(SelectNode(dialog, {"Getting started"}));
        Accept(dialog);
      });
      requests = program.requests();
    }
    EXPECT_EQ(requests, 1) << c.what << ": the request is never sent twice";
    ASSERT_EQ(told.size(), static_cast<size_t>(c.earlyRetries + 1)) << c.what;
    for (const std::string& text : told) {
      EXPECT_EQ(text.rfind(c.told, 0), 0u) << c.what << ": " << text;
      EXPECT_NE(text.find("What you captured is kept"), std::string::npos) << text;
    }
    EXPECT_TRUE(CloseRestartedProgram(30000)) << c.what;
    NodeSnapshot added = Leaf({"Kept capture"});
    ASSERT_TRUE(added.found) << c.what;
    EXPECT_EQ(added.record.kind, kItemWebLink);
    EXPECT_EQ(added.record.sequence, 1);
    EXPECT_EQ(TopLevel().size(), 6u) << c.what << ": written once";
  }
}

}  // namespace
