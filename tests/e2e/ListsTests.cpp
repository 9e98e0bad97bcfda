// Vellora.exe with a data list and a file folder, made through "Add
// Information Item" and filled through the views' own dialogs and commands,
// driven from this process; what the program wrote is read back from the
// file afterwards.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>

#include <string>
#include <vector>

#include "content/CommandIds.h"
#include "content/DataList.h"
#include "content/FileFolder.h"
#include "store/LibraryDocument.h"
#include "tests/TestSupport.h"
#include "tests/e2e/ProgramFixture.h"
#include "tests/store/DocumentFixtures.h"
#include "views/ViewResourceIds.h"
#include "views/dialogs/DialogIds.h"

using namespace vellora;

namespace {

int ItemCount(HWND list) { return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); }

void SetText(HWND control, const std::string& text) {
  SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

class ListsProgramTest : public vtest::ProgramFixture {
 protected:

  std::string CatalogFolder() const { return rig_.texts.TextOr(kTextFirstCatalogFolder, "?"); }

  // A library with an empty catalog folder, reopening in it.
  std::string MakeLibrary() {
    std::string path = rig_.dir.File("lists.vlx");
    LibraryDocument doc(rig_.host, rig_.prompt, rig_.texts, rig_.log, rig_.Setup());
    EXPECT_TRUE(doc.CreateLibrary(path));
    doc.WriteSettingsSlot(0, Variant::FromString(CatalogFolder()));
    doc.Save();
    return path;
  }

  // New Catalog Item through "Add Information Item", as the user fills it;
  // then the library is saved and opened again, which shows the folder's
  // first (and only) item.
  HWND CreateItemAndReopen(const std::string& path, const char* title, int kindButton,
                           const std::vector<std::string>& columns, int listId) {
    EXPECT_TRUE(program_.Start("\"" + path + "\""));
    main_ = program_.WaitForMainWindow();
    if (!main_) return nullptr;
    Command(ID_CATALOG_NEW);
    HWND dialog = program_.WaitForWindow(rig_.texts.TextOr(kTextAddItemCaption, "Add Information Item"));
    if (!dialog) return nullptr;
    SetText(GetDlgItem(dialog, IDC_ITEM_TITLE), title);
    SendMessageA(GetDlgItem(dialog, IDC_ITEM_KIND_TEXT), BM_SETCHECK, BST_UNCHECKED, 0);
    SendMessageA(GetDlgItem(dialog, kindButton), BM_SETCHECK, BST_CHECKED, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(kindButton, BN_CLICKED), 0);
    for (const std::string& column : columns) {
      SetText(GetDlgItem(dialog, IDC_ITEM_LIST_EDIT), column);
      SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_ITEM_LIST_ADD, BN_CLICKED), 0);
    }
    vtest::ClickButton(dialog, IDOK);
    if (!vtest::WaitUntil([&] { return !IsWindow(dialog); })) return nullptr;
    Close(true);
    return Start(path, listId);
  }

  // Starts the program on the library; answers its view's list control.
  HWND Start(const std::string& path, int controlId) {
    EXPECT_TRUE(program_.Start("\"" + path + "\""));
    main_ = program_.WaitForMainWindow();
    EXPECT_NE(main_, nullptr);
    HWND list = nullptr;
    vtest::WaitUntil([&] {
      list = FindList(main_, controlId);
      return list && IsWindowVisible(list);
    });
    return list;
  }

  static HWND FindList(HWND parent, int id) {
    for (HWND child = FindWindowExA(parent, nullptr, nullptr, nullptr); child;
         child = FindWindowExA(parent, child, nullptr, nullptr)) {
      char cls[64] = "";
      GetClassNameA(child, cls, sizeof cls);
      if (lstrcmpiA(cls, WC_LISTVIEWA) == 0 && GetDlgCtrlID(child) == id) return child;
      if (HWND found = FindList(child, id)) return found;
    }
    return nullptr;
  }

  void Command(UINT id) { PostMessageA(main_, WM_COMMAND, id, 0); }

  void Close(bool answerSave) { ProgramFixture::Close(main_, answerSave); }

  // The item's storage in the closed file.
  template <class Read>
  void ReadItem(const std::string& path, const char* title, Read read) {
    StorageHandle root, folder;
    ASSERT_HRESULT_SUCCEEDED(root.OpenRoot(path.c_str(), kReadMode));
    ASSERT_HRESULT_SUCCEEDED(root.OpenStorage(CatalogFolder().c_str(), kReadMode, folder));
    CatalogItemSource source(folder, title, 0, title);
    OpenedItem item;
    ASSERT_HRESULT_SUCCEEDED(source.Open(false, item));
    read(item);
  }

  HWND main_ = nullptr;
};

TEST_F(ListsProgramTest, ADataListFilledThroughItsDialogsComesBackFromTheFile) {
  std::string path = MakeLibrary();
  HWND list = CreateItemAndReopen(path, "Contacts", IDC_ITEM_KIND_LIST, {"Name", "Phone"}, IDC_DATA_LIST);
  ASSERT_NE(list, nullptr);
  HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
  EXPECT_EQ(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0), 2);

  Command(ID_LIST_ADD_ROW);
  HWND dialog = program_.WaitForWindow("Add Info Item");
  ASSERT_NE(dialog, nullptr);
  HWND lines = FindWindowExA(dialog, nullptr, "VelloraRowLines", nullptr);
  ASSERT_NE(lines, nullptr);
  const char* rows[][2] = {{"Ann", "555-0101"}, {"Bob", ""}};
  for (int r = 0; r < 2; ++r) {
    for (int c = 0; c < 2; ++c) SetText(GetDlgItem(lines, IDC_ROW_FIRST_EDIT + c), rows[r][c]);
    vtest::ClickButton(dialog, IDC_ROW_ADD);
    ASSERT_TRUE(vtest::WaitUntil([&] { return ItemCount(list) == r + 1; }));
  }
  vtest::ClickButton(dialog, IDOK);
  ASSERT_TRUE(vtest::WaitUntil([&] { return !IsWindow(dialog); }));

  Command(ID_LIST_INSERT_COLUMN);
  HWND name = program_.WaitForWindow("Added column name");
  ASSERT_NE(name, nullptr);
  SetText(GetDlgItem(name, IDC_RENAME_EDIT), "Mail");
  vtest::ClickButton(name, IDOK);
  header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
  ASSERT_TRUE(vtest::WaitUntil([&] { return SendMessageA(header, HDM_GETITEMCOUNT, 0, 0) == 3; }));
  Close(true);

  // Shown again as it was left.
  list = Start(path, IDC_DATA_LIST);
  ASSERT_NE(list, nullptr);
  EXPECT_TRUE(vtest::WaitUntil([&] { return ItemCount(list) == 2; }));
  header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
  EXPECT_EQ(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0), 3);
  Close(false);

  ReadItem(path, "Contacts", [](OpenedItem& item) {
    DataList stored;
    EXPECT_FALSE(ReadDataList(item, stored).damaged);
    ASSERT_EQ(stored.columns.size(), 3u);
    EXPECT_EQ(stored.columns[2].title, "Mail");
    EXPECT_EQ(stored.columns[2].width, kInsertedColumnWidth);
    EXPECT_EQ(stored.rows, (std::vector<std::vector<std::string>>{{"Ann", "555-0101", ""}, {"Bob", "", ""}}));
  });
}

TEST_F(ListsProgramTest, AnEmbeddedFileOutlivesItsOriginalAndExportsByteForByte) {
  std::string original = rig_.dir.File("report.bin");
  std::string bytes(300000, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>((i * 131) ^ (i >> 7));
  ASSERT_TRUE(vtest::WriteWholeFile(original, bytes));
  std::string path = MakeLibrary();
  HWND list = CreateItemAndReopen(path, "Documents", IDC_ITEM_KIND_FILES, {}, IDC_FILE_VIEW);
  ASSERT_NE(list, nullptr);

  Command(ID_FILES_ADD_EMBED);
  HWND open = program_.WaitForWindow("Open all files");
  ASSERT_NE(open, nullptr);
  ASSERT_TRUE(vtest::AnswerFileDialog(open, original));
  ASSERT_TRUE(vtest::WaitUntil([&] { return ItemCount(list) == 1; }));
  Close(true);
  ASSERT_TRUE(DeleteFileA(original.c_str()));

  list = Start(path, IDC_FILE_VIEW);
  ASSERT_NE(list, nullptr);
  ASSERT_TRUE(vtest::WaitUntil([&] { return ItemCount(list) == 1; }));
  // A click on the first icon (top left of the view) selects it.
  PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(37, 18));
  PostMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(37, 18));
  ASSERT_TRUE(vtest::WaitUntil([&] { return SendMessageA(list, LVM_GETNEXTITEM, -1, LVNI_SELECTED) == 0; }));
  Command(ID_FILES_EXPORT);
  HWND save = program_.WaitForWindow("Export File");
  ASSERT_NE(save, nullptr);
  std::string exported = rig_.dir.File("exported.bin");
  ASSERT_TRUE(vtest::AnswerFileDialog(save, exported));
  EXPECT_TRUE(vtest::WaitUntil([&] { return vtest::FileSize(exported) == static_cast<long long>(bytes.size()); }));
  Close(false);
  EXPECT_EQ(vtest::ReadWholeFile(exported), bytes);

  ReadItem(path, "Documents", [](OpenedItem& item) {
    std::vector<FileEntry> entries;
    EXPECT_FALSE(ReadFileEntries(item, entries).damaged);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_TRUE(entries[0].Embedded());
    EXPECT_EQ(entries[0].streamName, "report.bin");
  });
}

}  // namespace
