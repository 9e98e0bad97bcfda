// The real main frame in this process: layout, routing, menu rules and the
// views that show a library. The program's resources are linked in.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "app/frame/MainFrame.h"
#include "app/resources/ResourceIds.h"
#include "tests/TestSupport.h"
#include "tests/frame/FrameFixture.h"
#include "tests/store/DocumentFixtures.h"

using namespace vellora;

namespace {

HWND FindChild(HWND parent, const char* className) { return vtest::FindChildOfClass(parent, className); }

using vtest::Pump;

class FrameTest : public vtest::FrameFixture {
 protected:
  void SetUp() override {
    FrameFixture::SetUp();
    path_ = rig_.dir.File("frame.vlx");
    LibraryDocument doc(rig_.host, rig_.prompt, rig_.texts, rig_.log, rig_.Setup());
    ASSERT_TRUE(doc.CreateLibrary(path_));
    StorageHandle tree = doc.Root().OpenStorageFor(Folder(kTextFirstTreeFolder).c_str(), false);
    NodeInfoRecord record;
    record.kind = kItemText;
    StorageHandle parent;
    record.sequence = 1;
    ASSERT_HRESULT_SUCCEEDED(CreateFolderNode(tree, "Parent", record, parent));
    ASSERT_HRESULT_SUCCEEDED(CreateLeafNode(parent, "Child B", record, nullptr, 0));
    record.sequence = 0;
    ASSERT_HRESULT_SUCCEEDED(CreateLeafNode(parent, "Child A", record, nullptr, 0));
    parent.Release();
    record.sequence = 2;
    ASSERT_HRESULT_SUCCEEDED(CreateLeafNode(tree, "Leaf", record, nullptr, 0));
    record.sequence = 4;
    StorageHandle deep, middle;
    ASSERT_HRESULT_SUCCEEDED(CreateFolderNode(tree, "Deep", record, deep));
    ASSERT_HRESULT_SUCCEEDED(CreateFolderNode(deep, "Middle", record, middle));
    ASSERT_HRESULT_SUCCEEDED(CreateLeafNode(middle, "Bottom", record, nullptr, 0));
    middle.Release();
    deep.Release();
    record.sequence = 3;
    record.flags = kPasswordFlag;
    record.SetPassword("secret");
    ASSERT_HRESULT_SUCCEEDED(CreateLeafNode(tree, "Locked", record, nullptr, 0));
    tree.Release();
    doc.Save();
  }
  std::string Folder(vellora::TextKey key) const { return rig_.texts.TextOr(key, ""); }

  MainFrame& Open() {
    FrameSetup setup;
    setup.startupPath = path_;
    return OpenFrame(setup);
  }

  std::string path_;
};

TEST_F(FrameTest, OpensTheLibraryInItsFirstFolderWithTheTreeSorted) {
  MainFrame& frame = Open();
  EXPECT_EQ(frame.Document().Path(), path_);
  EXPECT_EQ(frame.State().folderKind, 1);
  HWND tree = FindChild(frame.Handle(), WC_TREEVIEWA);
  ASSERT_TRUE(tree);
  EXPECT_TRUE(IsWindowVisible(tree));
  HTREEITEM first = TreeView_GetRoot(tree);
  char text[64] = "";
  TVITEMA item = {};
  item.mask = TVIF_TEXT;
  item.hItem = TreeView_GetChild(tree, first);
  item.pszText = text;
  item.cchTextMax = sizeof text;
  TreeView_GetItem(tree, &item);
  EXPECT_STREQ(text, "Child A");  // sequence 0 before sequence 1
  // The first node has children: the node list shows them, in tree order.
  EXPECT_EQ(frame.State().viewKind, kViewNodeList);
  HWND list = FindChild(frame.Handle(), "LISTBOX");
  ASSERT_TRUE(list);
  EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 2);
  EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 0);
}

TEST_F(FrameTest, TheNodeListsOpenButtonSelectsThatChild) {
  MainFrame& frame = Open();
  HWND list = FindChild(frame.Handle(), "LISTBOX");
  ASSERT_TRUE(list);
  SendMessageA(list, LB_SETCURSEL, 1, 0);
  HWND open = FindWindowExA(GetParent(list), nullptr, "BUTTON", "Open");
  ASSERT_TRUE(open);
  SendMessageA(open, BM_CLICK, 0, 0);
  Pump();
  HWND tree = FindChild(frame.Handle(), WC_TREEVIEWA);
  char text[64] = "";
  TVITEMA item = {};
  item.mask = TVIF_TEXT;
  item.hItem = TreeView_GetSelection(tree);
  item.pszText = text;
  item.cchTextMax = sizeof text;
  TreeView_GetItem(tree, &item);
  EXPECT_STREQ(text, "Child B");
  EXPECT_EQ(frame.State().viewKind, kItemText);  // an empty text leaf
}

TEST_F(FrameTest, ExpandAndCollapseWalkTheWholeTree) {
  MainFrame& frame = Open();
  HWND tree = FindChild(frame.Handle(), WC_TREEVIEWA);
  HTREEITEM parent = TreeView_GetRoot(tree);
  Command(ID_TREE_EXPAND_ALL);
  EXPECT_TRUE(TreeView_GetItemState(tree, parent, TVIS_EXPANDED) & TVIS_EXPANDED);
  Command(ID_TREE_COLLAPSE_ALL);
  EXPECT_FALSE(TreeView_GetItemState(tree, parent, TVIS_EXPANDED) & TVIS_EXPANDED);
  // With nothing selected "Expand Brach" expands everything.
  TreeView_SelectItem(tree, nullptr);
  Command(ID_TREE_EXPAND_BRANCH);
  EXPECT_TRUE(TreeView_GetItemState(tree, parent, TVIS_EXPANDED) & TVIS_EXPANDED);
}

TEST_F(FrameTest, DeepBranchesAreReadWhenTheyAreOpened) {
  MainFrame& frame = Open();
  HWND tree = FindChild(frame.Handle(), WC_TREEVIEWA);
  HTREEITEM deep = vtest::FindTitle(tree, TreeView_GetRoot(tree), "Deep");
  ASSERT_TRUE(deep);
  HTREEITEM middle = TreeView_GetChild(tree, deep);
  ASSERT_TRUE(middle);  // the first two levels are there at once
  EXPECT_EQ(TreeView_GetChild(tree, middle), nullptr);
  TVITEMA query = {};
  query.mask = TVIF_CHILDREN;
  query.hItem = middle;
  TreeView_GetItem(tree, &query);
  EXPECT_EQ(query.cChildren, 1);  // it shows its expand button all the same
  TreeView_Expand(tree, deep, TVE_EXPAND);
  TreeView_Expand(tree, middle, TVE_EXPAND);
  Pump();
  HTREEITEM bottom = TreeView_GetChild(tree, middle);
  ASSERT_TRUE(bottom);
  EXPECT_TRUE(vtest::FindTitle(tree, bottom, "Bottom"));
  EXPECT_EQ(SendMessageA(tree, TVM_GETCOUNT, 0, 0), 8);
  // Closing and opening the branch again reads nothing twice.
  TreeView_Expand(tree, middle, TVE_COLLAPSE);
  TreeView_Expand(tree, middle, TVE_EXPAND);
  Command(ID_TREE_EXPAND_ALL);
  EXPECT_EQ(SendMessageA(tree, TVM_GETCOUNT, 0, 0), 8);
}

TEST_F(FrameTest, ExpandAllReadsEveryBranch) {
  MainFrame& frame = Open();
  HWND tree = FindChild(frame.Handle(), WC_TREEVIEWA);
  EXPECT_EQ(SendMessageA(tree, TVM_GETCOUNT, 0, 0), 7);  // all but "Bottom"
  Command(ID_TREE_EXPAND_ALL);
  EXPECT_EQ(SendMessageA(tree, TVM_GETCOUNT, 0, 0), 8);
  HTREEITEM middle = TreeView_GetChild(tree, vtest::FindTitle(tree, TreeView_GetRoot(tree), "Deep"));
  EXPECT_TRUE(TreeView_GetItemState(tree, middle, TVIS_EXPANDED) & TVIS_EXPANDED);
}

TEST_F(FrameTest, TheFramesToggleCommandsShowAndHideTheirParts) {
  MainFrame& frame = Open();
  HWND status = GetDlgItem(frame.Handle(), ID_VIEW_STATUS_BAR);
  ASSERT_TRUE(status);
  EXPECT_TRUE(IsWindowVisible(status));
  Command(ID_VIEW_STATUS_BAR);
  EXPECT_FALSE(IsWindowVisible(status));
  Command(ID_VIEW_STATUS_BAR);
  EXPECT_TRUE(IsWindowVisible(status));

  HWND title = FindChild(frame.Handle(), "VelloraTitleStrip");
  ASSERT_TRUE(title);
  Command(ID_VIEW_TITLE_BAR);
  EXPECT_FALSE(IsWindowVisible(title));
  EXPECT_FALSE(frame.State().titleStripShown);
  Command(ID_VIEW_TITLE_BAR);
  EXPECT_TRUE(IsWindowVisible(title));

  HWND outbar = FindChild(frame.Handle(), "WTLOutBarCtrl");
  Command(ID_VIEW_SHOW_TREEVIEW);
  EXPECT_FALSE(IsWindowVisible(outbar));
  Command(ID_VIEW_SHOW_TREEVIEW);
  EXPECT_TRUE(IsWindowVisible(outbar));
}

bool Grayed(HMENU menu, int position) {
  return (GetMenuState(menu, static_cast<UINT>(position), MF_BYPOSITION) & MF_GRAYED) != 0;
}

TEST_F(FrameTest, MenuRulesFollowTheFolderKindAndTheShownView) {
  MainFrame& frame = Open();
  HMENU bar = frame.MenuBar();
  ASSERT_TRUE(bar);
  HMENU view = GetSubMenu(bar, MENU_POS_VIEW);
  HMENU content = GetSubMenu(bar, MENU_POS_CONTENT);
  EXPECT_FALSE(Grayed(view, VIEW_POS_TREE_VIEW));
  EXPECT_TRUE(Grayed(view, VIEW_POS_FOLDER));
  EXPECT_TRUE(Grayed(content, CONTENT_POS_CATALOG));
  // The node list is shown: no text, list or file view popups, no Edit entries.
  EXPECT_TRUE(Grayed(view, VIEW_POS_TEXT_VIEW));
  EXPECT_TRUE(Grayed(GetSubMenu(bar, MENU_POS_EDIT), 0));
  // Opening the File menu greys Save while nothing changed.
  HMENU file = GetSubMenu(bar, MENU_POS_FILE);
  SendMessageA(frame.Handle(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), MENU_POS_FILE);
  EXPECT_TRUE(GetMenuState(file, ID_FILE_SAVE, MF_BYCOMMAND) & MF_GRAYED);
  EXPECT_FALSE(GetMenuState(file, ID_FILE_OPEN, MF_BYCOMMAND) & MF_GRAYED);
  // A leaf shows the text view: its popup and the Edit menu come back.
  HWND tree = FindChild(frame.Handle(), WC_TREEVIEWA);
  TreeView_SelectItem(tree, TreeView_GetNextSibling(tree, TreeView_GetRoot(tree)));
  Pump();
  EXPECT_FALSE(Grayed(view, VIEW_POS_TEXT_VIEW));
  EXPECT_TRUE(Grayed(view, VIEW_POS_LIST_VIEW));
  EXPECT_FALSE(Grayed(GetSubMenu(bar, MENU_POS_EDIT), 0));
  frame.UpdateCommandUi();
  EXPECT_TRUE(EvaluateCommand(ID_TREE_EXPAND_ALL, frame.State()).enabled);
}

TEST_F(FrameTest, CtrlTabMovesTheFocusBetweenTheTreeAndTheView) {
  MainFrame& frame = Open();
  SetForegroundWindow(frame.Handle());
  HWND tree = FindChild(frame.Handle(), WC_TREEVIEWA);
  // Show a leaf so that the text view is the visible item view.
  TreeView_SelectItem(tree, TreeView_GetNextSibling(tree, TreeView_GetRoot(tree)));
  Pump();
  HWND text = FindChild(frame.Handle(), "VelloraTextView");
  SetFocus(text);
  Command(ID_NEXT_PANE);
  EXPECT_EQ(GetFocus(), tree);
  Command(ID_NEXT_PANE);
  EXPECT_EQ(GetFocus(), text);
}

// Cancels the password dialog of this process once it appears.
DWORD WINAPI CancelPasswordDialog(void*) {
  for (int i = 0; i < 100; ++i) {
    HWND dialog = FindWindowA(nullptr, "Password");
    if (dialog) {
      PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
      return 1;
    }
    Sleep(50);
  }
  return 0;
}

TEST_F(FrameTest, AProtectedNodeIsNotEnteredWhenItsPasswordIsRefused) {
  MainFrame& frame = Open();
  HWND tree = FindChild(frame.Handle(), WC_TREEVIEWA);
  HTREEITEM leaf = TreeView_GetNextSibling(tree, TreeView_GetRoot(tree));
  TreeView_SelectItem(tree, leaf);
  Pump();
  HTREEITEM locked = TreeView_GetNextSibling(tree, leaf);
  ASSERT_TRUE(locked);
  HANDLE helper = CreateThread(nullptr, 0, CancelPasswordDialog, nullptr, 0, nullptr);
  TreeView_SelectItem(tree, locked);
  Pump();
  WaitForSingleObject(helper, 10000);
  DWORD answered = 0;
  GetExitCodeThread(helper, &answered);
  CloseHandle(helper);
  EXPECT_EQ(answered, 1u);
  EXPECT_EQ(TreeView_GetSelection(tree), leaf);
  // The refused change is cancelled: the item shown before stays shown.
  HWND placeholder = FindChild(frame.Handle(), "VelloraPlaceholderView");
  EXPECT_FALSE(IsWindowVisible(placeholder));
  EXPECT_EQ(frame.State().viewKind, kItemText);
}

TEST_F(FrameTest, QuickAccessListsTheBookmarksWithCutTitles) {
  {
    StorageHandle root;
    ASSERT_HRESULT_SUCCEEDED(root.OpenRoot(path_.c_str(), kWriteMode));
    ASSERT_HRESULT_SUCCEEDED(AppendBookmark(root, {"Short", Folder(kTextFirstTreeFolder)}));
    ASSERT_HRESULT_SUCCEEDED(AppendBookmark(root, {std::string(5000, 'x'), Folder(kTextFirstTreeFolder)}));
  }
  MainFrame& frame = Open();
  HMENU quick = GetSubMenu(GetSubMenu(frame.MenuBar(), MENU_POS_CONTENT), CONTENT_POS_QUICK_ACCESS);
  ASSERT_TRUE(quick);
  ASSERT_EQ(GetMenuItemCount(quick), 2);
  char text[256] = "";
  GetMenuStringA(quick, 0, text, sizeof text, MF_BYPOSITION);
  EXPECT_STREQ(text, "Short\t(&1)");
  GetMenuStringA(quick, 1, text, sizeof text, MF_BYPOSITION);
  EXPECT_EQ(std::string(text), std::string(63, 'x') + "\t(&2)");
  EXPECT_EQ(GetMenuItemID(quick, 1), static_cast<UINT>(ID_QUICK_ACCESS_FIRST + 1));
}

struct DialogAnswer {
  std::string caption;
  std::string text;  // the message box's text, read before it is closed
  bool seen = false;
};

// Reads and closes the first top-level window of this process with the caption.
DWORD WINAPI CloseWhenItAppears(void* parameter) {
  auto* answer = static_cast<DialogAnswer*>(parameter);
  for (int i = 0; i < 100 && !answer->seen; ++i) {
    if (HWND box = FindWindowA(nullptr, answer->caption.c_str())) {
      char text[256] = "";
      GetDlgItemTextA(box, 0xFFFF, text, sizeof text);  // the static text of a message box
      answer->text = text;
      answer->seen = true;
      PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
    Sleep(50);
  }
  return 0;
}

TEST_F(FrameTest, HelpWithoutItsFileWarnsWithTheTableTexts) {
  Open();
  DialogAnswer answer;
  answer.caption = rig_.texts.TextOr(kTextHelpCaption, "?");
  HANDLE helper = CreateThread(nullptr, 0, CloseWhenItAppears, &answer, 0, nullptr);
  Command(ID_HELP_CONTENTS);
  WaitForSingleObject(helper, 10000);
  CloseHandle(helper);
  EXPECT_TRUE(answer.seen);
  EXPECT_EQ(answer.text, rig_.texts.TextOr(kTextHelpMissing, "?"));
}

TEST(DialogFilters, BarsBecomeNulsAndTheListEndsWithTwo) {
  std::string filter = DialogFilter("Vellora Library (*.vlx)|*.vlx|");
  EXPECT_EQ(filter, std::string("Vellora Library (*.vlx)\0*.vlx\0\0\0", 32));
  EXPECT_EQ(filter.substr(filter.size() - 2), std::string("\0\0", 2));
  EXPECT_EQ(DialogFilter("Text|*.txt"), std::string("Text\0*.txt\0\0", 12));
}

TEST_F(FrameTest, ExitClosesTheWindowAndKeepsThePlacement) {
  MainFrame& frame = Open();
  HWND hwnd = frame.Handle();
  Command(ID_APP_EXIT);
  EXPECT_FALSE(IsWindow(hwnd));
  FrameSettings settings(HKEY_CURRENT_USER, rig_.key.Path());
  WINDOWPLACEMENT p = {};
  EXPECT_TRUE(settings.ReadPlacement(p));
  EXPECT_EQ(settings.ReadSplitterPos(), std::optional<DWORD>(kDefaultSplitterPos));
}

}  // namespace
