// Vellora.exe with a tab pages item made through "Add Information Item", its
// pages added, renamed, moved and deleted through the tab menu's commands, a
// text page typed into and left for another tab, driven from this process;
// what the program wrote is read back from the file afterwards (and by the
// independent reader, a test of its own).
#include <windows.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "content/CommandIds.h"
#include "content/ItemSource.h"
#include "content/TabPages.h"
#include "store/CompoundFileCheck.h"
#include "store/LibraryDocument.h"
#include "tests/TestSupport.h"
#include "tests/e2e/ProgramFixture.h"
#include "tests/store/DocumentFixtures.h"
#include "views/dialogs/DialogIds.h"

using namespace vellora;

namespace {

HWND FindVisible(HWND parent, const char* className) {
  for (HWND child = FindWindowExA(parent, nullptr, nullptr, nullptr); child;
       child = FindWindowExA(parent, child, nullptr, nullptr)) {
    char cls[64] = "";
    GetClassNameA(child, cls, sizeof cls);
    if (lstrcmpiA(cls, className) == 0 && IsWindowVisible(child)) return child;
    if (HWND found = FindVisible(child, className)) return found;
  }
  return nullptr;
}

class TabPagesProgram : public vtest::ProgramFixture {
 protected:
  std::string CatalogFolder() const { return rig_.texts.TextOr(kTextFirstCatalogFolder, "?"); }

  void Command(UINT id) { PostMessageA(main_, WM_COMMAND, id, 0); }

  HWND StartOn(const std::string& path) {
    EXPECT_TRUE(program_.Start("\"" + path + "\""));
    main_ = program_.WaitForMainWindow();
    return main_;
  }

  // Answers a dialog of that caption: text into the edit, then OK.
  void Answer(const std::string& caption, int edit, const std::string& text) {
    HWND dialog = program_.WaitForWindow(caption);
    ASSERT_NE(dialog, nullptr) << caption;
    SendMessageA(GetDlgItem(dialog, edit), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    vtest::ClickButton(dialog, IDOK);
    ASSERT_TRUE(vtest::WaitUntil([&] { return !IsWindow(dialog); })) << caption;
  }

  // The pages of the item as the program's own reader sees them, in tab order.
  std::vector<std::string> StoredPages(const std::string& path, const std::string& item) {
    std::vector<std::string> titles;
    StorageHandle root, folder, storage;
    EXPECT_HRESULT_SUCCEEDED(root.OpenRoot(path.c_str(), kReadMode));
    EXPECT_HRESULT_SUCCEEDED(root.OpenStorage(CatalogFolder().c_str(), kReadMode, folder));
    EXPECT_HRESULT_SUCCEEDED(folder.OpenStorage(item.c_str(), kReadMode, storage));
    TabPages pages;
    EXPECT_HRESULT_SUCCEEDED(pages.Load(storage));
    for (const TabPageEntry& page : pages.Pages()) titles.push_back(page.title);
    return titles;
  }

  HWND main_ = nullptr;
};

TEST_F(TabPagesProgram, PagesAddedRenamedMovedDeletedAndTypedIntoComeBackFromTheFile) {
  const std::string path = rig_.dir.File("tabpages.vlx");
  const std::string forTheReader = vtest::BinFolder() + "\\tabpages.vlx";
  DeleteFileA(forTheReader.c_str());  // only a file this run made is read next
  {
    LibraryDocument doc(rig_.host, rig_.prompt, rig_.texts, rig_.log, rig_.Setup());
    ASSERT_TRUE(doc.CreateLibrary(path));
    doc.WriteSettingsSlot(0, Variant::FromString(CatalogFolder()));
    doc.Save();
  }
  ASSERT_TRUE(StartOn(path));
  Command(ID_CATALOG_NEW);
  HWND add = program_.WaitForWindow(rig_.texts.TextOr(kTextAddItemCaption, "Add Information Item"));
  ASSERT_NE(add, nullptr);
  SendMessageA(GetDlgItem(add, IDC_ITEM_TITLE), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Project"));
  SendMessageA(GetDlgItem(add, IDC_ITEM_KIND_TEXT), BM_SETCHECK, BST_UNCHECKED, 0);
  SendMessageA(GetDlgItem(add, IDC_ITEM_KIND_TABS), BM_SETCHECK, BST_CHECKED, 0);
  SendMessageA(add, WM_COMMAND, MAKEWPARAM(IDC_ITEM_KIND_TABS, BN_CLICKED), 0);
  vtest::ClickButton(add, IDOK);
  ASSERT_TRUE(vtest::WaitUntil([&] { return !IsWindow(add); }));
  PostMessageA(main_, WM_COMMAND, ID_FILE_SAVE, 0);
  Close(main_, false);
  EXPECT_EQ(StoredPages(path, "Project"), (std::vector<std::string>{"Content", "Files"}));

  // Opened again, the folder shows its one item: the tab pages view.
  ASSERT_TRUE(StartOn(path));
  HWND strip = nullptr;
  ASSERT_TRUE(vtest::WaitUntil([&] { return (strip = FindVisible(main_, "VelloraTabStrip")) != nullptr; }));

  Command(ID_TABPAGE_ADD);  // a text page, the kind the dialog offers first
  ASSERT_NO_FATAL_FAILURE(Answer("Add TabPage", IDC_ITEM_TITLE, "Notes"));
  Command(ID_TABPAGE_RENAME);  // the added page is the selected one
  ASSERT_NO_FATAL_FAILURE(Answer("Rename TabPage", IDC_RENAME_EDIT, "Ideas"));
  Command(ID_TABPAGE_MOVE_FORWARD);  // before "Files"

  // Typed into the selected text page, which is stored when another tab is chosen.
  // The commands are posted: the page is shown anew once they have run.
  Sleep(1000);
  HWND edit = nullptr;
  ASSERT_TRUE(vtest::WaitUntil([&] { return (edit = FindVisible(main_, "VelloraTextView")) != nullptr; }));
  // Characters as the keyboard's would come, to the page's own edit window
  // (real keys would go wherever the foreground is on a busy display).
  for (char c : std::string("typed on a page")) PostMessageA(edit, WM_CHAR, static_cast<WPARAM>(c), 1);
  ASSERT_TRUE(vtest::WaitUntil([&] {
    edit = FindVisible(main_, "VelloraTextView");
    return edit && vtest::TextOf(edit).find("typed on a page") != std::string::npos;
  }))
      << vtest::TextOf(edit) << " read-only: " << ((SendMessageA(edit, EM_GETOPTIONS, 0, 0) & ECO_READONLY) != 0)
      << " box: " << vtest::WindowText(program_.FindTopLevel("#32770")) << " focus-visible: " << IsWindowVisible(edit);
  RECT client = {};
  GetClientRect(strip, &client);
  const LPARAM firstTab = MAKELPARAM(8, client.bottom / 2);
  PostMessageA(strip, WM_LBUTTONDOWN, MK_LBUTTON, firstTab);
  PostMessageA(strip, WM_LBUTTONUP, 0, firstTab);
  ASSERT_TRUE(vtest::WaitUntil([&] {
    HWND shown = FindVisible(main_, "VelloraTextView");
    return shown && vtest::TextOf(shown).find("typed on a page") == std::string::npos;
  }));
  Command(ID_TABPAGE_DELETE);  // "Content", the tab chosen now
  PostMessageA(main_, WM_COMMAND, ID_FILE_SAVE, 0);
  Close(main_, false);

  EXPECT_EQ(StoredPages(path, "Project"), (std::vector<std::string>{"Ideas", "Files"}));
  StorageHandle root, folder;
  ASSERT_HRESULT_SUCCEEDED(root.OpenRoot(path.c_str(), kReadMode));
  ASSERT_HRESULT_SUCCEEDED(root.OpenStorage(CatalogFolder().c_str(), kReadMode, folder));
  TabPageSource ideas(folder, "Project", "Ideas", kItemText, "Ideas");
  OpenedItem page;
  ASSERT_HRESULT_SUCCEEDED(ideas.Open(false, page));
  ASSERT_HRESULT_SUCCEEDED(page.SeekContent());
  std::string rtf(static_cast<size_t>(page.Content().Size()), '\0');
  ULONG got = 0;
  ASSERT_HRESULT_SUCCEEDED(page.Content().ReadBytes(rtf.data(), static_cast<ULONG>(rtf.size()), &got));
  rtf.resize(got);
  EXPECT_NE(rtf.find("typed on a page"), std::string::npos);
  page = OpenedItem();
  folder.Release();
  root.Release();
  EXPECT_TRUE(CheckCompoundFile(path.c_str()).Sound());
  CopyFileA(path.c_str(), forTheReader.c_str(), FALSE);
}

}  // namespace
