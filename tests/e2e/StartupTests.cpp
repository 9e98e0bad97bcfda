// Vellora.exe started and driven from this process.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "store/LibraryDocument.h"
#include "tests/e2e/VelloraProcess.h"
#include "tests/TestSupport.h"
#include "tests/store/DocumentFixtures.h"

using namespace vellora;

namespace {

constexpr DWORD kExitWait = 20000;

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override { vtest::ResetProgramRegistry(); }
  void TearDown() override { vtest::ResetProgramRegistry(); }

  // A library made through the document, optionally reopening at location.
  std::string MakeLibrary(const char* name, const std::string& location = {}) {
    std::string path = rig_.dir.File(name);
    LibraryDocument doc(rig_.host, rig_.prompt, rig_.texts, rig_.log, rig_.Setup());
    EXPECT_TRUE(doc.CreateLibrary(path));
    if (!location.empty()) doc.WriteSettingsSlot(0, Variant::FromString(location));
    doc.Save();
    return path;
  }
  std::string Folder(vellora::TextKey key) const { return rig_.texts.TextOr(key, ""); }

  // Closes the program as the user would and waits for it to end.
  void CloseProgram(HWND main) {
    PostMessageA(main, WM_CLOSE, 0, 0);
    DWORD code = 1;
    ASSERT_TRUE(program_.WaitForExit(kExitWait, code));
    EXPECT_EQ(code, 0u);
  }

  vtest::DocumentRig rig_;
  vtest::VelloraProcess program_;
};

TEST_F(ProgramTest, WithoutItsStringTableTheProgramEndsAtOnceWithoutAWindow) {
  // A copy of the program in a folder without Cnfg\StringTable.stb.
  std::string copy = rig_.dir.File("Vellora.exe");
  ASSERT_TRUE(CopyFileA((vtest::BinFolder() + "\\Vellora.exe").c_str(), copy.c_str(), FALSE));
  ASSERT_TRUE(program_.Start("", copy));
  DWORD code = 99;
  ASSERT_TRUE(program_.WaitForExit(kExitWait, code));
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(program_.FindTopLevel("VELLORA_SYSTEM", nullptr, false), nullptr);
}

TEST_F(ProgramTest, AQuotedPathOpensThatLibraryAndPutsItFirstInTheRecentList) {
  std::string other = MakeLibrary("other.vlx");
  std::string path = MakeLibrary("my library.vlx");
  vtest::SetRecentLibraries({other});
  ASSERT_TRUE(program_.Start("\"" + path + "\""));
  HWND main = program_.WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(vtest::WindowText(main), "Vellora - " + path);
  CloseProgram(main);
  std::vector<std::string> recent = vtest::RecentLibraries();
  ASSERT_EQ(recent.size(), 2u);
  EXPECT_EQ(recent[0], path);
  EXPECT_EQ(recent[1], other);
}

TEST_F(ProgramTest, WithNoRecentLibraryTheWelcomeDialogAppearsAndExitEndsTheProgram) {
  ASSERT_TRUE(program_.Start(""));
  HWND welcome = program_.WaitForWindow("Welcome to Vellora");
  ASSERT_NE(welcome, nullptr);
  EXPECT_EQ(SendMessageA(GetDlgItem(welcome, 1055), BM_GETCHECK, 0, 0), BST_CHECKED);
  SendMessageA(GetDlgItem(welcome, 1055), BM_SETCHECK, BST_UNCHECKED, 0);
  SendMessageA(GetDlgItem(welcome, 1053), BM_SETCHECK, BST_CHECKED, 0);
  vtest::ClickButton(welcome, IDOK);
  DWORD code = 99;
  ASSERT_TRUE(program_.WaitForExit(kExitWait, code));
  EXPECT_EQ(code, 0u);
}

TEST_F(ProgramTest, ADeletedRecentFileIsDroppedAndOpenNextTriesTheNextOne) {
  std::string kept = MakeLibrary("kept.vlx");
  std::string gone = MakeLibrary("gone.vlx");
  ASSERT_TRUE(DeleteFileA(gone.c_str()));
  vtest::SetRecentLibraries({gone, kept});
  ASSERT_TRUE(program_.Start(""));
  HWND welcome = program_.WaitForWindow("Welcome to Vellora");
  ASSERT_NE(welcome, nullptr);
  SendMessageA(GetDlgItem(welcome, 1055), BM_SETCHECK, BST_UNCHECKED, 0);
  SendMessageA(GetDlgItem(welcome, 1054), BM_SETCHECK, BST_CHECKED, 0);
  vtest::ClickButton(welcome, IDOK);
  HWND main = program_.WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(vtest::WindowText(main), "Vellora - " + kept);
  CloseProgram(main);
  EXPECT_EQ(vtest::RecentLibraries(), std::vector<std::string>{kept});
}

TEST_F(ProgramTest, AStoredMaximizedPlacementComesBackMaximized) {
  std::string path = MakeLibrary("lib.vlx");
  WINDOWPLACEMENT placement = {};
  placement.length = sizeof placement;
  placement.showCmd = SW_SHOWMAXIMIZED;
  placement.rcNormalPosition = {40, 40, 640, 480};
  HKEY key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Vellora", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(key, "MainFrameWindowPlacement", 0, REG_BINARY, reinterpret_cast<BYTE*>(&placement),
                 sizeof placement);
  RegCloseKey(key);
  ASSERT_TRUE(program_.Start("\"" + path + "\"", {}, SW_SHOWNORMAL));
  HWND main = program_.WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(IsZoomed(main));
  CloseProgram(main);
}

TEST_F(ProgramTest, TheReleaseRequestOfAnotherProcessSavesClosesAndAnswersOne) {
  std::string path = MakeLibrary("lib.vlx", Folder(kTextFirstCatalogFolder));
  ASSERT_TRUE(program_.Start("\"" + path + "\""));
  HWND main = program_.WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  // The library reopened in its catalog folder; the release stores that
  // location and lets the file go before answering.
  DWORD_PTR answer = 0;
  ASSERT_NE(SendMessageTimeoutA(main, WM_USER + 2001, 0, 0, SMTO_NORMAL, 20000, &answer), 0);
  EXPECT_EQ(answer, 1u);
  StorageHandle root;
  EXPECT_HRESULT_SUCCEEDED(root.OpenRoot(path.c_str(), kWriteMode));
  EXPECT_EQ(ReadSettingsString(root, 0), Folder(kTextFirstCatalogFolder));
  root.Release();
  DWORD code = 99;
  ASSERT_TRUE(program_.WaitForExit(kExitWait, code));
  EXPECT_EQ(code, 0u);
}

// The first child window of the class anywhere below parent.
HWND FindChild(HWND parent, const char* className) { return vtest::FindChildOfClass(parent, className); }

// The main toolbar: the toolbar that holds the New Library button.
HWND MainToolbar(HWND main) {
  HWND rebar = FindChild(main, REBARCLASSNAMEA);
  for (HWND bar = FindWindowExA(rebar, nullptr, TOOLBARCLASSNAMEA, nullptr); bar;
       bar = FindWindowExA(rebar, bar, TOOLBARCLASSNAMEA, nullptr))
    if (SendMessageA(bar, TB_COMMANDTOINDEX, 57600, 0) >= 0) return bar;
  return nullptr;
}

bool ButtonEnabled(HWND toolbar, UINT id) { return SendMessageA(toolbar, TB_ISBUTTONENABLED, id, 0) != 0; }

// The buttons follow the state on the program's idle pass: give it a moment.
bool ButtonSettlesAt(HWND toolbar, UINT id, bool enabled) {
  for (int i = 0; i < 30; ++i) {
    if (ButtonEnabled(toolbar, id) == enabled) return true;
    Sleep(100);
  }
  return false;
}

TEST_F(ProgramTest, ATreeFolderShowsItsNodesInSequenceOrder) {
  std::string path = rig_.dir.File("tree.vlx");
  {
    LibraryDocument doc(rig_.host, rig_.prompt, rig_.texts, rig_.log, rig_.Setup());
    ASSERT_TRUE(doc.CreateLibrary(path));
    StorageHandle tree = doc.Root().OpenStorageFor(Folder(kTextFirstTreeFolder).c_str(), false);
    NodeInfoRecord later, first;
    later.sequence = 5;
    later.kind = kItemText;
    first.sequence = -1;
    first.kind = kItemText;
    ASSERT_HRESULT_SUCCEEDED(CreateLeafNode(tree, "Written first", later, nullptr, 0));
    ASSERT_HRESULT_SUCCEEDED(CreateLeafNode(tree, "Shown first", first, nullptr, 0));
    tree.Release();
    doc.WriteSettingsSlot(0, Variant::FromString(Folder(kTextFirstTreeFolder)));
    doc.Save();
  }
  ASSERT_TRUE(program_.Start("\"" + path + "\""));
  HWND main = program_.WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  HWND treeView = FindChild(main, WC_TREEVIEWA);
  ASSERT_NE(treeView, nullptr);
  EXPECT_TRUE(IsWindowVisible(treeView));
  EXPECT_EQ(SendMessageA(treeView, TVM_GETCOUNT, 0, 0), 2);
  HWND title = FindChild(main, "VelloraTitleStrip");
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(vtest::WindowText(title), "Shown first");
  HWND toolbar = MainToolbar(main);
  ASSERT_NE(toolbar, nullptr);
  EXPECT_TRUE(ButtonSettlesAt(toolbar, 32923, false));  // New Catalog Item
  EXPECT_TRUE(ButtonSettlesAt(toolbar, 57600, true));   // New Library
  EXPECT_TRUE(ButtonSettlesAt(toolbar, 57603, false));  // nothing to save
  CloseProgram(main);
}

TEST_F(ProgramTest, ACatalogFolderGreysTheNodeCommandsAndShowsNoItemWhenEmpty) {
  std::string path = MakeLibrary("catalog.vlx", Folder(kTextSecondCatalogFolder));
  ASSERT_TRUE(program_.Start("\"" + path + "\""));
  HWND main = program_.WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  HWND treeView = FindChild(main, WC_TREEVIEWA);
  ASSERT_NE(treeView, nullptr);
  EXPECT_FALSE(IsWindowVisible(treeView));
  HWND placeholder = FindChild(main, "VelloraPlaceholderView");
  ASSERT_NE(placeholder, nullptr);
  EXPECT_TRUE(IsWindowVisible(placeholder));
  EXPECT_EQ(vtest::WindowText(placeholder), "No item");
  HWND toolbar = MainToolbar(main);
  ASSERT_NE(toolbar, nullptr);
  EXPECT_TRUE(ButtonSettlesAt(toolbar, 32788, false));  // Add Root Node
  CloseProgram(main);
}

TEST_F(ProgramTest, NewLibraryIsMadeThroughTheFileDialogAndBecomesTheNewestRecent) {
  std::string first = MakeLibrary("first.vlx");
  std::string made = rig_.dir.File("made by new.vlx");
  ASSERT_TRUE(program_.Start("\"" + first + "\""));
  HWND main = program_.WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  PostMessageA(main, WM_COMMAND, 57600, 0);
  HWND dialog = program_.WaitForWindow(rig_.texts.TextOr(kTextNewLibraryTitle, ""));
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(vtest::AnswerFileDialog(dialog, made));
  for (int i = 0; i < 50 && vtest::WindowText(main) != "Vellora - " + made; ++i) Sleep(100);
  EXPECT_EQ(vtest::WindowText(main), "Vellora - " + made);
  CloseProgram(main);
  EXPECT_TRUE(vtest::FileExists(made));
  std::vector<std::string> recent = vtest::RecentLibraries();
  ASSERT_GE(recent.size(), 2u);
  EXPECT_EQ(recent[0], made);
  EXPECT_EQ(recent[1], first);
}

}  // namespace
