// Searching, going to results, bookmarks and the last location, driven
// through the real Vellora.exe from this process.
#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include <functional>

#include "content/CommandIds.h"
#include "store/LibraryDocument.h"
#include "tests/TestSupport.h"
#include "tests/e2e/NoteLibrary.h"
#include "tests/e2e/ProgramFixture.h"
#include "tests/store/DocumentFixtures.h"

using namespace vellora;

namespace {

using vtest::WaitUntil;

std::string Rtf(const std::string& body) { return "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 " + body + "\\par}"; }

class SearchProgramTest : public vtest::ProgramFixture {
 protected:
  void SetUp() override {
    ProgramFixture::SetUp();
    tree_ = rig_.texts.TextOr(kTextFirstTreeFolder, "");
  }

  // A library whose tree folder holds "First", and "Trip" with "Day two"
  // (the word "Rendezvous" in its text) and "Long" (200 short lines).
  std::string MakeLibrary(const std::string& lastLocation, const std::vector<Bookmark>& bookmarks = {}) {
    std::string path = rig_.dir.File("search.vlx");
    LibraryDocument doc(rig_.host, rig_.prompt, rig_.texts, rig_.log, rig_.Setup());
    EXPECT_TRUE(doc.CreateLibrary(path));
    EXPECT_HRESULT_SUCCEEDED(doc.SelectCurrentFolder(tree_));
    const StorageHandle& folder = doc.CurrentFolder();
    vtest::AddNote(folder, "First", 1, Rtf("nothing to see"));
    {
      StorageHandle trip;
      EXPECT_HRESULT_SUCCEEDED(CreateFolderNode(folder, "Trip", NodeInfoRecord{2, kItemText}, trip));
      vtest::AddNote(trip, "Day two", 1, Rtf("We meet at the Rendezvous point at noon."));
    }
    std::string lines;
    for (int i = 0; i < 200; ++i) {
      char line[32];
      std::snprintf(line, sizeof line, "Line %03d\\par ", i);
      lines += line;
    }
    vtest::AddNote(folder, "Long", 3, "{\\rtf1\\ansi " + lines + "}");
    for (const Bookmark& b : bookmarks) doc.AddBookmark(b);
    doc.WriteSettingsSlot(0, Variant::FromString(lastLocation));
    doc.Save();
    return path;
  }

  std::string Title(HWND main) { return vtest::WindowText(vtest::FindChildOfClass(main, "VelloraTitleStrip")); }
  HWND TextView(HWND main) { return vtest::FindChildOfClass(main, "VelloraTextView"); }

  // Answers the one-line prompt with the caption: types the text, then Ok.
  void Answer(const std::string& caption, const std::string& text) {
    HWND prompt = program_.WaitForWindow(caption);
    ASSERT_NE(prompt, nullptr) << caption;
    SendMessageA(GetDlgItem(prompt, 1037), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    vtest::ClickButton(prompt, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(prompt); }));
  }

  std::string tree_;
};

TEST_F(SearchProgramTest, AFolderSearchListsTheHitAndADoubleClickSelectsTheNodeWithTheWordSelected) {
  std::string path = MakeLibrary(tree_ + "\\First");
  HWND main = Start(path);
  ASSERT_TRUE(WaitUntil([&] { return Title(main) == "First"; }));
  PostMessageA(main, WM_COMMAND, ID_SEARCH_CURRENT_FOLDER, 0);
  Answer("Search In Folder [" + tree_ + "]", "rendezvous");
  HWND results = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    results = vtest::FindChildOfClass(main, "LIBRANE_SEARCHRESULT_DOCKINGWINDOW");
    return results && IsWindowVisible(results);
  }));
  EXPECT_EQ(vtest::WindowText(results), "Results of searching text[rendezvous]");
  HWND list = FindWindowExA(results, nullptr, "SysListView32", nullptr);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 1);
  // A double click on the first row, as the mouse gives it.
  HWND header = FindWindowExA(list, nullptr, "SysHeader32", nullptr);
  RECT rc = {};
  GetWindowRect(header, &rc);
  LPARAM at = MAKELPARAM(30, (rc.bottom - rc.top) + 6);
  PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageA(list, WM_LBUTTONUP, 0, at);
  PostMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  PostMessageA(list, WM_LBUTTONUP, 0, at);
  ASSERT_TRUE(WaitUntil([&] { return Title(main) == "Day two"; })) << Title(main);
  // The word is selected in the text view: "We meet at the " comes before it.
  DWORD start = 0, end = 0;
  ASSERT_TRUE(WaitUntil([&] {
    SendMessageA(TextView(main), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return end > start;
  }));
  EXPECT_EQ(start, 15u);
  EXPECT_EQ(end, 25u);
  // Ctrl+U hides the window and shows it again.
  PostMessageA(main, WM_COMMAND, ID_VIEW_SEARCH_RESULT, 0);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(results); }));
  PostMessageA(main, WM_COMMAND, ID_VIEW_SEARCH_RESULT, 0);
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(results) != FALSE; }));
  Close(main, false);
}

TEST_F(SearchProgramTest, ABookmarkIsKeptAcrossCloseAndReopenAndReachedFromQuickAccess) {
  std::string path = MakeLibrary(tree_ + "\\Trip\\Day two", {{"Start", tree_ + "\\First"}});
  HWND main = Start(path);
  ASSERT_TRUE(WaitUntil([&] { return Title(main) == "Day two"; })) << Title(main);
  PostMessageA(main, WM_COMMAND, ID_BOOKMARK_ADD, 0);
  Answer("Add Bookmark For Selected Item", "Meeting");
  // The first entry goes elsewhere.
  PostMessageA(main, WM_COMMAND, ID_QUICK_ACCESS_FIRST, 0);
  ASSERT_TRUE(WaitUntil([&] { return Title(main) == "First"; })) << Title(main);
  Close(main, true);
  {
    StorageHandle root;
    ASSERT_HRESULT_SUCCEEDED(root.OpenRoot(path.c_str(), kReadMode));
    std::vector<Bookmark> stored = ReadBookmarks(root);
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[1].title, "Meeting");
    EXPECT_EQ(stored[1].location.rfind(tree_ + "\\Trip\\Day two\\#TEXT_NODE#", 0), 0u) << stored[1].location;
  }
  main = Start(path);
  ASSERT_TRUE(WaitUntil([&] { return Title(main) == "First"; })) << Title(main);
  PostMessageA(main, WM_COMMAND, ID_QUICK_ACCESS_FIRST + 1, 0);
  EXPECT_TRUE(WaitUntil([&] { return Title(main) == "Day two"; })) << Title(main);
  Close(main, false);
}

TEST_F(SearchProgramTest, TheLibraryReopensAtItsScrolledPlace) {
  // Each line is "Line nnn" and its paragraph mark: 9 characters.
  std::string path = MakeLibrary(tree_ + "\\Long\\#TEXT_NODE#" + std::to_string(100 * 9));
  HWND main = Start(path);
  ASSERT_TRUE(WaitUntil([&] { return Title(main) == "Long"; })) << Title(main);
  HWND text = TextView(main);
  ASSERT_TRUE(WaitUntil([&] { return SendMessageA(text, EM_GETFIRSTVISIBLELINE, 0, 0) == 100; }))
      << SendMessageA(text, EM_GETFIRSTVISIBLELINE, 0, 0);
  SendMessageA(text, EM_LINESCROLL, 0, 20);
  ASSERT_EQ(SendMessageA(text, EM_GETFIRSTVISIBLELINE, 0, 0), 120);
  Close(main, false);
  StorageHandle root;
  ASSERT_HRESULT_SUCCEEDED(root.OpenRoot(path.c_str(), kReadMode));
  EXPECT_EQ(ReadSettingsString(root, 0), tree_ + "\\Long\\#TEXT_NODE#" + std::to_string(120 * 9));
}

}  // namespace
