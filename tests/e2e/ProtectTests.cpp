// Protecting and personalising in the real Vellora.exe, driven from this
// process as a user would: a node protected through the dialogs and asked
// for after reopening, a library password refusing the open, the tray lock,
// the read-only lock, and a look that belongs to one library only.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "content/CommandIds.h"
#include "store/LibraryDocument.h"
#include "tests/TestSupport.h"
#include "tests/e2e/NoteLibrary.h"
#include "tests/e2e/ProgramFixture.h"
#include "tests/store/DocumentFixtures.h"
#include "views/dialogs/DialogIds.h"

using namespace vellora;

namespace {

constexpr UINT kTrayMessage = WM_USER + 0x64;
constexpr UINT kTrayIconId = 255;

using vtest::Press;
using vtest::WaitUntil;

std::string Rtf(const char* body) { return std::string("{\\rtf1\\ansi ") + body + "}"; }

class ProtectProgram : public vtest::ProgramFixture {
 protected:
  void SetUp() override {
    ProgramFixture::SetUp();
    tree_ = rig_.texts.TextOr(kTextFirstTreeFolder, "");
  }
  // Open | Vault [Secret] | Shelf [Book]; the library password when given.
  std::string MakeLibrary(const char* name, const std::string& libraryPassword = {}) {
    const std::string path = rig_.dir.File(name);
    LibraryDocument doc(rig_.host, rig_.prompt, rig_.texts, rig_.log, rig_.Setup());
    EXPECT_TRUE(doc.CreateLibrary(path));
    StorageHandle folder = doc.Root().OpenStorageFor(tree_.c_str(), false);
    auto leaf = [&](const StorageHandle& parent, const char* title, int32_t sequence) {
      vtest::AddNote(parent, title, sequence, Rtf((std::string("text of ") + title).c_str()));
    };
    leaf(folder, "Open", 1);
    StorageHandle vault, shelf;
    EXPECT_HRESULT_SUCCEEDED(CreateFolderNode(folder, "Vault", NodeInfoRecord{2, kItemText}, vault));
    leaf(vault, "Secret", 1);
    EXPECT_HRESULT_SUCCEEDED(CreateFolderNode(folder, "Shelf", NodeInfoRecord{3, kItemText}, shelf));
    leaf(shelf, "Book", 1);
    vault.Release();
    shelf.Release();
    folder.Release();
    doc.WriteSettingsSlot(0, Variant::FromString(tree_ + "\\Open"));
    if (!libraryPassword.empty()) doc.WriteSettingsSlot(6, Variant::FromString(libraryPassword));
    doc.Save();
    return path;
  }
  HWND TreeOf(HWND main) { return vtest::FindChildOfClass(main, WC_TREEVIEWA); }
  HTREEITEM Top(HWND tree, const std::string& title) {
    for (auto item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0)); item;
         item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item))))
      if (ItemText(tree, item) == title) return item;
    return nullptr;
  }
  // An item's text, read through memory of the program's own.
  std::string ItemText(HWND tree, HTREEITEM item) {
    DWORD pid = 0;
    GetWindowThreadProcessId(tree, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process) return {};
    constexpr size_t kBytes = sizeof(TVITEMA) + 64;
    void* remote = VirtualAllocEx(process, nullptr, kBytes, MEM_COMMIT, PAGE_READWRITE);
    TVITEMA tv = {};
    tv.mask = TVIF_TEXT;
    tv.hItem = item;
    tv.pszText = static_cast<char*>(remote) + sizeof(TVITEMA);
    tv.cchTextMax = 64;
    WriteProcessMemory(process, remote, &tv, sizeof tv, nullptr);
    SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(remote));
    char text[64] = "";
    ReadProcessMemory(process, static_cast<char*>(remote) + sizeof(TVITEMA), text, sizeof text - 1, nullptr);
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return text;
  }
  std::string Selected(HWND tree) {
    auto item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    return item ? ItemText(tree, item) : std::string();
  }
  // Answers the message box of that caption; its text comes back.
  std::string AnswerBox(const std::string& caption, int button = IDOK) {
    HWND box = program_.WaitForWindow(caption);
    if (!box) return "<no box " + caption + ">";
    std::string text = vtest::WindowText(GetDlgItem(box, 0xFFFF));
    vtest::ClickButton(box, button);
    WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); });
    return text;
  }
  // Types a password into the open prompt and presses Ok.
  HWND TypePassword(const std::string& password) {
    HWND prompt = nullptr;
    WaitUntil([&] {
      prompt = program_.FindTopLevel("#32770", nullptr);
      return prompt && GetDlgItem(prompt, IDC_PASSWORD_EDIT);
    });
    if (!prompt) return nullptr;
    SetDlgItemTextA(prompt, IDC_PASSWORD_EDIT, password.c_str());
    vtest::ClickButton(prompt, IDOK);
    return prompt;
  }
  std::string Tip() const { return rig_.texts.TextOr(kTextTipCaption, "Tip"); }

  std::string tree_;
};

TEST_F(ProtectProgram, ANodeProtectedThroughTheDialogsIsAskedForAfterReopening) {
  const std::string path = MakeLibrary("protect.vlx");
  HWND main = Start(path);
  ASSERT_NE(main, nullptr);
  HWND tree = TreeOf(main);
  ASSERT_TRUE(WaitUntil([&] { return Selected(tree) == "Open"; }));
  PostMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(Top(tree, "Vault")));
  ASSERT_TRUE(WaitUntil([&] { return Selected(tree) == "Vault"; }));
  PostMessageA(main, WM_COMMAND, ID_ITEM_ACCESS_PASSWORD, 0);
  HWND set = program_.WaitForWindow("Set Password - Empty to clear");
  ASSERT_NE(set, nullptr);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(set, IDC_SET_PASSWORD_OLD)));
  SetDlgItemTextA(set, IDC_SET_PASSWORD_NEW, "Key9");
  SetDlgItemTextA(set, IDC_SET_PASSWORD_CONFIRM, "Key9");
  vtest::ClickButton(set, IDOK);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(set); }));
  // Back to the open note, then save and close.
  PostMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(Top(tree, "Open")));
  ASSERT_TRUE(WaitUntil([&] { return Selected(tree) == "Open"; }));
  PostMessageA(main, WM_COMMAND, ID_FILE_SAVE, 0);
  Close(main, false);

  main = Start(path);
  ASSERT_NE(main, nullptr);
  tree = TreeOf(main);
  ASSERT_TRUE(WaitUntil([&] { return Selected(tree) == "Open"; }));
  // Selecting it asks; three wrong answers count the chances down, the fourth ends it.
  PostMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(Top(tree, "Vault")));
  std::vector<std::string> captions;
  for (int attempt = 1; attempt <= 4; ++attempt) {
    HWND prompt = TypePassword("key9");  // the case of a letter matters
    ASSERT_NE(prompt, nullptr) << attempt;
    if (attempt == 1) {
      EXPECT_EQ(vtest::WindowText(GetDlgItem(prompt, IDC_PASSWORD_TEXT)),
                "Please input password to access item [Vault]");
    }
    if (attempt < 4) {
      EXPECT_EQ(AnswerBox(Tip()), rig_.texts.TextOr(kTextWrongPasswordTryAgain, "?")) << attempt;
      captions.push_back(vtest::WindowText(prompt));
    } else {
      EXPECT_TRUE(WaitUntil([&] { return !IsWindow(prompt); }));
    }
  }
  EXPECT_EQ(captions, (std::vector<std::string>{"Password authentication - you have still 3 chances to input",
                                                "Password authentication - you have still 2 chances to input",
                                                "Password authentication - you have still 1 chances to input"}));
  // Refused: the selection and the note shown stay.
  Sleep(300);
  EXPECT_EQ(Selected(tree), "Open");
  HWND note = vtest::FindChildOfClass(main, "VelloraTextView");
  EXPECT_EQ(vtest::TextOf(note), "text of Open");
  EXPECT_FALSE(IsWindowVisible(vtest::FindChildOfClass(main, "VelloraPlaceholderView")));

  // The right one lets the user in.
  PostMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(Top(tree, "Vault")));
  ASSERT_NE(TypePassword("Key9"), nullptr);
  EXPECT_TRUE(WaitUntil([&] { return Selected(tree) == "Vault"; }));
}

TEST_F(ProtectProgram, AWrongLibraryPasswordOpensTheScratchLibraryInstead) {
  const std::string path = MakeLibrary("locked.vlx", "Lib-42");
  ASSERT_TRUE(program_.Start("\"" + path + "\""));
  HWND prompt = program_.WaitForWindow("Password");
  ASSERT_NE(prompt, nullptr);
  EXPECT_EQ(vtest::WindowText(GetDlgItem(prompt, IDC_PASSWORD_TEXT)),
            "Please input password to access item [" + path.substr(0, 18) + "]");
  vtest::ClickButton(prompt, IDCANCEL);
  EXPECT_EQ(AnswerBox(Tip()), rig_.texts.TextOr(kTextPasswordFailed, "?"));
  HWND main = program_.WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  EXPECT_NE(vtest::WindowText(main).find(rig_.texts.TextOr(kTextUntitled, "?")), std::string::npos)
      << vtest::WindowText(main);
}

TEST_F(ProtectProgram, TheTrayLockComesBackOnlyWithTheLibraryPassword) {
  const std::string path = MakeLibrary("tray.vlx", "Tray-7");
  ASSERT_TRUE(program_.Start("\"" + path + "\""));
  ASSERT_NE(TypePassword("Tray-7"), nullptr);
  HWND main = program_.WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  auto iconShown = [&] {
    NOTIFYICONDATAA data = {};
    data.cbSize = offsetof(NOTIFYICONDATAA, guidItem);
    data.hWnd = main;
    data.uID = kTrayIconId;
    return Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
  };
  EXPECT_FALSE(iconShown());
  PostMessageA(main, WM_COMMAND, ID_TOOLS_LOCK_TRAY, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(main); }));
  EXPECT_TRUE(iconShown());

  // A double click on the icon asks; a cancelled prompt leaves it locked.
  PostMessageA(main, kTrayMessage, kTrayIconId, WM_LBUTTONDBLCLK);
  HWND prompt = program_.WaitForWindow("Password");
  ASSERT_NE(prompt, nullptr);
  EXPECT_EQ(vtest::WindowText(GetDlgItem(prompt, IDC_PASSWORD_TEXT)),
            "Please input password to access item [This library]");
  vtest::ClickButton(prompt, IDCANCEL);
  EXPECT_EQ(AnswerBox(Tip()), rig_.texts.TextOr(kTextStillLocked, "?"));
  Sleep(300);
  EXPECT_FALSE(IsWindowVisible(main));
  EXPECT_TRUE(iconShown());

  // The right one brings the window back and takes the icon away.
  PostMessageA(main, kTrayMessage, kTrayIconId, WM_LBUTTONDBLCLK);
  ASSERT_NE(TypePassword("Tray-7"), nullptr);
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }));
  EXPECT_TRUE(WaitUntil([&] { return !iconShown(); }));
}

TEST_F(ProtectProgram, TheReadOnlyLockGreysEditingAndKeepsTypedKeysOutOfTheText) {
  HWND main = Start(MakeLibrary("readonly.vlx"));
  ASSERT_NE(main, nullptr);
  HWND note = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    note = vtest::FindChildOfClass(main, "VelloraTextView");
    return note && vtest::TextOf(note) == "text of Open";
  }));
  HWND toolbar = vtest::FindChildOfClass(vtest::FindChildOfClass(main, REBARCLASSNAMEA), TOOLBARCLASSNAMEA);
  ASSERT_NE(toolbar, nullptr);
  const UINT editing[] = {ID_ITEM_COPY, ID_ITEM_CUT, ID_FOLDER_NEW, ID_NODE_ADD_ROOT, ID_BOOKMARK_ADD,
                          ID_ITEM_ACCESS_PASSWORD};
  auto greyed = [&] {
    for (UINT id : editing)
      if (SendMessageA(toolbar, TB_ISBUTTONENABLED, id, 0)) return false;
    return true;
  };
  EXPECT_FALSE(greyed());
  SetForegroundWindow(main);
  Sleep(300);
  for (int round = 0; round < 2; ++round) {
    Press('D', VK_CONTROL);
    ASSERT_TRUE(WaitUntil(greyed)) << round;
    // The search commands stay.
    EXPECT_TRUE(SendMessageA(toolbar, TB_ISBUTTONENABLED, ID_SEARCH_TITLES, 0));
    Press(VK_TAB, VK_CONTROL);  // the keyboard to the note
    Sleep(300);
    Press('Q');
    Press('Z');
    Sleep(500);
    EXPECT_EQ(vtest::TextOf(note), "text of Open") << round;
    Press(VK_TAB, VK_CONTROL);  // back to the tree
    Sleep(300);
    Press('D', VK_CONTROL);
    ASSERT_TRUE(WaitUntil([&] { return SendMessageA(toolbar, TB_ISBUTTONENABLED, ID_NODE_ADD_ROOT, 0) != 0; }));
  }
  Press(VK_TAB, VK_CONTROL);
  Sleep(300);
  Press('Q');
  EXPECT_TRUE(WaitUntil([&] { return vtest::TextOf(note).find('q') != std::string::npos; })) << vtest::TextOf(note);
}

TEST_F(ProtectProgram, ALookBelongsToItsLibraryAndComesBackWithIt) {
  const std::string first = MakeLibrary("first.vlx"), second = MakeLibrary("second.vlx");
  const std::string picture = rig_.dir.File("red.bmp");
  ASSERT_TRUE(vtest::WriteWholeFile(picture, vtest::SolidBitmapFileBytes(16, 16, RGB(255, 0, 0))));
  // A pixel of the tree's empty lower part, as the screen shows it.
  auto treeCorner = [&](HWND main) { return vtest::ScreenPixelNearCorner(TreeOf(main), 6); };
  auto closeSaving = [&](HWND main) {
    PostMessageA(main, WM_CLOSE, 0, 0);
    if (HWND question = program_.WaitForWindow(rig_.texts.TextOr(kTextQueryCaption, "Sorry"), 3000))
      vtest::ClickButton(question, IDYES);
    DWORD code = 1;
    return program_.WaitForExit(kWait, code);
  };

  HWND main = Start(first);
  ASSERT_NE(main, nullptr);
  SetForegroundWindow(main);
  PostMessageA(main, WM_COMMAND, ID_TREE_BACK_IMAGE, 0);
  HWND dialog = program_.WaitForWindow(rig_.texts.TextOr(kTextBackImageTitle, "?"));
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(vtest::AnswerFileDialog(dialog, picture));
  EXPECT_TRUE(WaitUntil([&] { return treeCorner(main) == RGB(255, 0, 0); })) << std::hex << treeCorner(main);
  ASSERT_TRUE(closeSaving(main));

  main = Start(second);
  ASSERT_NE(main, nullptr);
  SetForegroundWindow(main);
  Sleep(1000);
  EXPECT_NE(treeCorner(main), RGB(255, 0, 0));
  ASSERT_TRUE(closeSaving(main));

  main = Start(first);
  ASSERT_NE(main, nullptr);
  SetForegroundWindow(main);
  EXPECT_TRUE(WaitUntil([&] { return treeCorner(main) == RGB(255, 0, 0); })) << std::hex << treeCorner(main);
  ASSERT_TRUE(closeSaving(main));
}

}  // namespace
