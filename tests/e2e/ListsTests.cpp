// Vellora.exe with a data list and a file folder, driven from this process
// through the views' own dialogs and commands; what the program wrote is
// read back from the file afterwards.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "content/CommandIds.h"
#include "content/DataList.h"
#include "content/FileFolder.h"
#include "store/LibraryDocument.h"
#include "tests/TestSupport.h"
#include "tests/e2e/VelloraProcess.h"
#include "tests/store/DocumentFixtures.h"

using namespace vellora;

namespace {

constexpr DWORD kWait = 20000;
constexpr int kRowAdd = 1017;
constexpr int kRowFirstEdit = 2000;
constexpr int kRenameEdit = 1037;

// Polls until the condition holds (true) or the time is up (false).
template <class Condition>
bool Eventually(Condition condition, DWORD timeoutMs = kWait) {
  DWORD start = GetTickCount();
  while (GetTickCount() - start < timeoutMs) {
    if (condition()) return true;
    Sleep(100);
  }
  return condition();
}

int ItemCount(HWND list) { return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); }

void SetText(HWND control, const std::string& text) {
  SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

class ListsProgramTest : public ::testing::Test {
 protected:
  void SetUp() override { vtest::ResetProgramRegistry(); }
  void TearDown() override { vtest::ResetProgramRegistry(); }

  std::string CatalogFolder() const { return rig_.texts.TextOr(kTextFirstCatalogFolder, "?"); }

  // A library whose catalog folder holds one item, reopening at that item.
  // The item is laid down through the store: the program's own dialog for
  // new items is not part of this build yet.
  std::string MakeLibrary(uint16_t kind, const char* title, const std::vector<std::string>& columns) {
    std::string path = rig_.dir.File("lists.vlx");
    LibraryDocument doc(rig_.host, rig_.prompt, rig_.texts, rig_.log, rig_.Setup());
    EXPECT_TRUE(doc.CreateLibrary(path));
    StorageHandle catalog = doc.Root().OpenStorageFor(CatalogFolder().c_str(), false);
    EXPECT_HRESULT_SUCCEEDED(doc.CreateItem(catalog, kind, title, 1, kFolderItemInfo, kFolderItemContent, columns));
    catalog.Release();
    doc.WriteSettingsSlot(0, Variant::FromString(CatalogFolder() + "\\" + title));
    doc.Save();
    return path;
  }

  // Starts the program on the library; answers its view's list control.
  HWND Start(const std::string& path, int controlId) {
    EXPECT_TRUE(program_.Start("\"" + path + "\""));
    main_ = program_.WaitForMainWindow();
    EXPECT_NE(main_, nullptr);
    HWND list = nullptr;
    Eventually([&] {
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

  // Closes the program, saving when it asks.
  void Close(bool expectQuestion) {
    PostMessageA(main_, WM_CLOSE, 0, 0);
    if (expectQuestion) {
      HWND question = program_.WaitForWindow(rig_.texts.TextOr(kTextQueryCaption, "Query"), kWait);
      ASSERT_NE(question, nullptr);
      vtest::ClickButton(question, IDYES);
    }
    DWORD code = 99;
    ASSERT_TRUE(program_.WaitForExit(kWait, code));
    EXPECT_EQ(code, 0u);
  }

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

  vtest::DocumentRig rig_;
  vtest::VelloraProcess program_;
  HWND main_ = nullptr;
};

TEST_F(ListsProgramTest, ADataListFilledThroughItsDialogsComesBackFromTheFile) {
  std::string path = MakeLibrary(kItemDataList, "Contacts", {"Name", "Phone"});
  HWND list = Start(path, 105);
  ASSERT_NE(list, nullptr);

  Command(ID_LIST_ADD_ROW);
  HWND dialog = program_.WaitForWindow("Add Info Item");
  ASSERT_NE(dialog, nullptr);
  HWND lines = FindWindowExA(dialog, nullptr, "VelloraRowLines", nullptr);
  ASSERT_NE(lines, nullptr);
  const char* rows[][2] = {{"Ann", "555-0101"}, {"Bob", ""}};
  for (int r = 0; r < 2; ++r) {
    for (int c = 0; c < 2; ++c) SetText(GetDlgItem(lines, kRowFirstEdit + c), rows[r][c]);
    vtest::ClickButton(dialog, kRowAdd);
    ASSERT_TRUE(Eventually([&] { return ItemCount(list) == r + 1; }));
  }
  vtest::ClickButton(dialog, IDOK);
  ASSERT_TRUE(Eventually([&] { return !IsWindow(dialog); }));

  Command(ID_LIST_INSERT_COLUMN);
  HWND name = program_.WaitForWindow("Added column name");
  ASSERT_NE(name, nullptr);
  SetText(GetDlgItem(name, kRenameEdit), "Mail");
  vtest::ClickButton(name, IDOK);
  HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
  ASSERT_TRUE(Eventually([&] { return SendMessageA(header, HDM_GETITEMCOUNT, 0, 0) == 3; }));
  Close(true);

  // Shown again as it was left.
  list = Start(path, 105);
  ASSERT_NE(list, nullptr);
  EXPECT_TRUE(Eventually([&] { return ItemCount(list) == 2; }));
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
  std::string path = MakeLibrary(kItemFileFolder, "Documents", {});
  HWND list = Start(path, 107);
  ASSERT_NE(list, nullptr);

  Command(ID_FILES_ADD_EMBED);
  HWND open = program_.WaitForWindow("Open all files");
  ASSERT_NE(open, nullptr);
  ASSERT_TRUE(vtest::AnswerFileDialog(open, original));
  ASSERT_TRUE(Eventually([&] { return ItemCount(list) == 1; }));
  Close(true);
  ASSERT_TRUE(DeleteFileA(original.c_str()));

  list = Start(path, 107);
  ASSERT_NE(list, nullptr);
  ASSERT_TRUE(Eventually([&] { return ItemCount(list) == 1; }));
  // A click on the first icon (top left of the view) selects it.
  PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(37, 18));
  PostMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(37, 18));
  ASSERT_TRUE(Eventually([&] { return SendMessageA(list, LVM_GETNEXTITEM, -1, LVNI_SELECTED) == 0; }));
  Command(ID_FILES_EXPORT);
  HWND save = program_.WaitForWindow("Export File");
  ASSERT_NE(save, nullptr);
  std::string exported = rig_.dir.File("exported.bin");
  ASSERT_TRUE(vtest::AnswerFileDialog(save, exported));
  EXPECT_TRUE(Eventually([&] { return vtest::FileSize(exported) == static_cast<long long>(bytes.size()); }));
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
