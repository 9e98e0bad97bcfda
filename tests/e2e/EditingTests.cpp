// Building a library by hand in the real Vellora.exe, driven from this
// process as a user would: the dialogs by their captions, a node's title
// typed on the keyboard, a node dragged with the mouse, a node copied into a
// catalog folder; then Save, close and the file read back.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "content/CatalogItems.h"
#include "content/CommandIds.h"
#include "content/TreeNodes.h"
#include "store/LibraryDocument.h"
#include "tests/TestSupport.h"
#include "tests/e2e/ProgramFixture.h"
#include "tests/store/DocumentFixtures.h"
#include "views/dialogs/DialogIds.h"

using namespace vellora;

namespace {

using vtest::Click;
using vtest::Key;
using vtest::MouseTo;
using vtest::Type;

void Button(bool up) { vtest::MouseButton(up); }

// Waits until the window is gone or the time is over.
bool WaitGone(HWND window) {
  return vtest::WaitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); });
}

class EditingProgram : public vtest::ProgramFixture {
 protected:
  std::string Folder(vellora::TextKey key) const { return rig_.texts.TextOr(key, ""); }
};

TEST_F(EditingProgram, DialogsKeyboardAndMouseBuildALibraryThatSurvivesReopening) {
  const std::string path = rig_.dir.File("built.vlx");
  {
    LibraryDocument doc(rig_.host, rig_.prompt, rig_.texts, rig_.log, rig_.Setup());
    ASSERT_TRUE(doc.CreateLibrary(path));
    StorageHandle tree = doc.Root().OpenStorageFor(Folder(kTextFirstTreeFolder).c_str(), false);
    for (auto [name, sequence] : {std::pair{"Alpha", 1}, {"Beta", 2}, {"Gamma", 3}})
      ASSERT_HRESULT_SUCCEEDED(CreateLeafNode(tree, name, NodeInfoRecord{sequence, kItemText}, nullptr, 0));
    tree.Release();
    doc.WriteSettingsSlot(0, Variant::FromString(Folder(kTextFirstTreeFolder)));
    doc.Save();
  }
  ASSERT_TRUE(program_.Start("\"" + path + "\""));
  HWND main = program_.WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  SetForegroundWindow(main);
  HWND tree = vtest::FindChildOfClass(main, WC_TREEVIEWA);
  HWND outbar = vtest::FindChildOfClass(main, "WTLOutBarCtrl");
  ASSERT_TRUE(tree && outbar);

  // A folder through "Add Folder".
  PostMessageA(main, WM_COMMAND, ID_FOLDER_NEW, 0);
  HWND addFolder = program_.WaitForWindow("Add Folder");
  ASSERT_NE(addFolder, nullptr);
  SetDlgItemTextA(addFolder, IDC_FOLDER_NAME, "Work");
  vtest::ClickButton(addFolder, IDOK);
  ASSERT_TRUE(WaitGone(addFolder));

  // A root node, its title typed on the keyboard.
  SetFocus(tree);
  PostMessageA(main, WM_COMMAND, ID_NODE_ADD_ROOT, 0);
  HWND edit = nullptr;
  for (DWORD start = GetTickCount(); !edit && GetTickCount() - start < kWait; Sleep(50))
    edit = reinterpret_cast<HWND>(SendMessageA(tree, TVM_GETEDITCONTROL, 0, 0));
  ASSERT_NE(edit, nullptr);
  SetForegroundWindow(main);
  SendMessageA(edit, EM_SETSEL, 0, -1);
  Type("Delta");
  Key(VK_RETURN, false);
  Key(VK_RETURN, true);
  for (DWORD start = GetTickCount(); SendMessageA(tree, TVM_GETEDITCONTROL, 0, 0) && GetTickCount() - start < kWait;)
    Sleep(50);

  // Gamma dragged onto Alpha with the mouse: the third row onto the first.
  RECT area;
  GetWindowRect(tree, &area);
  const int row = static_cast<int>(SendMessageA(tree, TVM_GETITEMHEIGHT, 0, 0));
  const int indent = static_cast<int>(SendMessageA(tree, TVM_GETINDENT, 0, 0));
  auto rowPoint = [&](int index) {
    return POINT{area.left + 2 + indent + 30, area.top + 2 + index * row + row / 2};
  };
  MouseTo(rowPoint(2));
  Sleep(200);
  Button(false);
  for (int step = 1; step <= 10; ++step) {
    POINT from = rowPoint(2), to = rowPoint(0);
    MouseTo(POINT{from.x + (to.x - from.x) * step / 10, from.y + (to.y - from.y) * step / 10});
    Sleep(80);
  }
  Sleep(200);
  Button(true);
  Sleep(500);

  // The dropped node is selected: copy it and paste it into the last folder
  // ("Work", a catalog folder), whose header lies at the bottom of the bar.
  PostMessageA(main, WM_COMMAND, ID_ITEM_COPY, 0);
  RECT bar;
  GetWindowRect(outbar, &bar);
  Click(POINT{bar.left + 20, bar.bottom - 6});
  PostMessageA(main, WM_COMMAND, ID_ITEM_PASTE, 0);
  // And a catalog item through "Add Information Item".
  PostMessageA(main, WM_COMMAND, ID_CATALOG_NEW, 0);
  HWND addItem = program_.WaitForWindow(rig_.texts.TextOr(kTextAddItemCaption, "Add Information Item"));
  ASSERT_NE(addItem, nullptr);
  SetDlgItemTextA(addItem, IDC_ITEM_TITLE, "Journal");
  vtest::ClickButton(addItem, IDOK);
  ASSERT_TRUE(WaitGone(addItem));

  PostMessageA(main, WM_COMMAND, ID_FILE_SAVE, 0);
  Close(main, false);

  StorageHandle root;
  ASSERT_HRESULT_SUCCEEDED(root.OpenRoot(path.c_str(), kReadMode));
  std::vector<TreeNode> nodes;
  LoadTree(root.OpenStorageFor(Folder(kTextFirstTreeFolder).c_str(), true), nodes);
  std::string order;
  for (const TreeNode& node : nodes) order += node.title + " ";
  EXPECT_EQ(order, "Gamma Alpha Beta Delta ");
  std::vector<CatalogItemEntry> items;
  LoadCatalogItems(root.OpenStorageFor("Work", true), items);
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].title, "Gamma");
  EXPECT_EQ(items[1].title, "Journal");
  root.Release();
  // The independent reader checks it next (a test of its own).
  CopyFileA(path.c_str(), (vtest::BinFolder() + "\\edited.vlx").c_str(), FALSE);
}

}  // namespace
