// Protecting and personalising in the real main frame, with the questions
// answered from a script: protected branches whatever opens them, refused
// items, the password commands, the read-only lock, the layouts, each
// library's own look, and the tray lock against a stand-in shell.
#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/frame/MainFrame.h"
#include "app/resources/ResourceIds.h"
#include "content/CatalogItems.h"
#include "content/CommandIds.h"
#include "tests/TestSupport.h"
#include "tests/frame/FrameFixture.h"
#include "tests/store/DocumentFixtures.h"

using namespace vellora;

namespace {

using vtest::Pump;

// A folder node's record; protected when password is given.
NodeInfoRecord Record(int32_t sequence, const char* password = nullptr) {
  NodeInfoRecord record;
  record.sequence = sequence;
  record.kind = kItemText;
  if (password) {
    record.flags = kPasswordFlag;
    record.SetPassword(password);
  }
  return record;
}

void Leaf(const StorageHandle& parent, const char* name, int32_t sequence, const char* password = nullptr) {
  vtest::AddNote(parent, name, sequence, std::string("{\\rtf1 text of ") + name + "}", password);
}

struct ShellCall {
  DWORD message;
  UINT id;
  UINT callback;
  std::string tip;
};

class ProtectFrame : public vtest::FrameFixture {
 public:  // the cases' lambdas reach in
  void SetUp() override {
    FrameFixture::SetUp();
    path_ = rig_.dir.File("protect.vlx");
    LibraryDocument doc(rig_.host, rig_.prompt, rig_.texts, rig_.log, rig_.Setup());
    ASSERT_TRUE(doc.CreateLibrary(path_));
    // Open | Vault (key) [Inner [Note], Loose] | Locked (pw) | Shelf [Book]
    StorageHandle tree = doc.Root().OpenStorageFor(TreeFolder().c_str(), false);
    Leaf(tree, "Open", 1);
    StorageHandle vault, inner, shelf;
    ASSERT_HRESULT_SUCCEEDED(CreateFolderNode(tree, "Vault", Record(2, "key"), vault));
    ASSERT_HRESULT_SUCCEEDED(CreateFolderNode(vault, "Inner", Record(1), inner));
    Leaf(inner, "Note", 1);
    Leaf(vault, "Loose", 2);
    Leaf(tree, "Locked", 3, "pw");
    ASSERT_HRESULT_SUCCEEDED(CreateFolderNode(tree, "Shelf", Record(4), shelf));
    Leaf(shelf, "Book", 1);
    inner.Release();
    vault.Release();
    shelf.Release();
    tree.Release();
    StorageHandle catalog = doc.Root().OpenStorageFor(CatalogFolder().c_str(), false);
    ASSERT_HRESULT_SUCCEEDED(doc.CreateItem(catalog, kItemText, "Public", 1, kFolderItemInfo, kFolderItemContent, {}));
    ASSERT_HRESULT_SUCCEEDED(doc.CreateItem(catalog, kItemText, "Private", 2, kFolderItemInfo, kFolderItemContent, {}));
    ASSERT_HRESULT_SUCCEEDED(
        doc.CreateItem(catalog, kItemDataList, "Table", 3, kFolderItemInfo, kFolderItemContent, {"Name", "Phone"}));
    ASSERT_HRESULT_SUCCEEDED(doc.CreateItem(catalog, kItemFileFolder, "Files", 4, kFolderItemInfo, kFolderItemContent, {}));
    catalog.Release();
    ASSERT_HRESULT_SUCCEEDED(WriteItemPassword(doc.Root().OpenStorageFor(CatalogFolder().c_str(), false), "Private",
                                               "cat"));
    doc.WriteSettingsSlot(0, Variant::FromString(TreeFolder()));
    doc.Save();
  }
  MainFrame& Open(const std::string& path = {}) {
    FrameSetup setup;
    setup.startupPath = path.empty() ? path_ : path;
    setup.prompt = &rig_.prompt;
    setup.trayShell = [this](DWORD message, NOTIFYICONDATAA& data) {
      shell_.push_back({message, data.uID, data.uCallbackMessage, data.szTip});
      return shellAccepts_ ? TRUE : FALSE;
    };
    OpenFrame(setup);
    tree_ = vtest::FindChildOfClass(frame_->Handle(), WC_TREEVIEWA);
    return *frame_;
  }
  HTREEITEM Node(const std::string& title, HTREEITEM parent = nullptr) {
    return TreeModel::Item(NodeTitled(title, TreeModel::Ref(parent)));
  }
  std::string Selected() {
    HTREEITEM item = TreeView_GetSelection(tree_);
    return item ? frame_->Tree().TitleOf(item) : std::string();
  }
  bool Expanded(HTREEITEM item) { return (TreeView_GetItemState(tree_, item, TVIS_EXPANDED) & TVIS_EXPANDED) != 0; }
  // A click on a node's plus button, as the user opens a branch.
  void ClickButton(HTREEITEM item) {
    RECT row = {};
    ASSERT_TRUE(TreeView_GetItemRect(tree_, item, &row, FALSE));
    TVHITTESTINFO hit = {};
    for (hit.pt = {0, (row.top + row.bottom) / 2}; hit.pt.x < row.right; ++hit.pt.x) {
      if (TreeView_HitTest(tree_, &hit) == item && (hit.flags & TVHT_ONITEMBUTTON)) break;
    }
    ASSERT_LT(hit.pt.x, row.right) << "no button";
    SendMessageA(tree_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(hit.pt.x, hit.pt.y));
    SendMessageA(tree_, WM_LBUTTONUP, 0, MAKELPARAM(hit.pt.x, hit.pt.y));
    Pump();
  }
  std::string ShownText() {
    HWND text = vtest::FindChildOfClass(frame_->Handle(), "VelloraTextView");
    char buffer[256] = "";
    GetWindowTextA(text, buffer, sizeof buffer);
    return IsWindowVisible(text) ? buffer : "(hidden)";
  }
  bool PlaceholderShows(const char* text) {
    HWND placeholder = vtest::FindChildOfClass(frame_->Handle(), "VelloraPlaceholderView");
    char shown[64] = "";
    GetWindowTextA(placeholder, shown, sizeof shown);
    return IsWindowVisible(placeholder) && std::string(shown) == text;
  }
  void ClickItem(int group, int item) {
    OutBarNotify note = {group, item, {0, 0}};
    SendMessageA(frame_->Handle(), OutBarNotifyMessage(), kOutBarItemClicked, reinterpret_cast<LPARAM>(&note));
    Pump();
  }
  LookHost& Look() { return *frame_; }
  // The icon's adds ("+") and removals ("-") so far, blinking left out.
  std::string AddsAndDeletes() const {
    std::string out;
    for (const ShellCall& call : shell_) {
      if (call.message == NIM_ADD) out += '+';
      else if (call.message == NIM_DELETE) out += '-';
    }
    return out;
  }
  // A bookmark, a search result or the last location.
  void GoTo(const std::string& location) { static_cast<DocumentHost&>(*frame_).GoToLocation(location); }

  using FrameFixture::CatalogFolder;
  using FrameFixture::Command;
  using FrameFixture::frame_;
  using FrameFixture::GroupOf;
  using FrameFixture::rig_;
  using FrameFixture::SelectGroup;
  using FrameFixture::TreeFolder;
  std::string path_;
  HWND tree_ = nullptr;
  std::vector<ShellCall> shell_;
  bool shellAccepts_ = true;
};

// ---- protected branches -------------------------------------------------------------------

TEST_F(ProtectFrame, AProtectedBranchIsEnteredOnlyThroughItsPasswordWhateverOpensIt) {
  struct Opener {
    const char* what;
    std::function<void(ProtectFrame&)> open;
    const char* target;  // selected when let in; empty: only the branch opens
  } openers[] = {
      {"expanding it", [](ProtectFrame& t) { TreeView_Expand(t.tree_, t.Node("Vault"), TVE_EXPAND); }, ""},
      {"selecting a node inside it",
       [](ProtectFrame& t) { TreeView_SelectItem(t.tree_, t.Node("Loose", t.Node("Vault"))); }, "Loose"},
      {"a bookmark or search result",
       [](ProtectFrame& t) { t.GoTo(t.TreeFolder() + "\\Vault\\Inner\\Note"); }, "Note"},
  };
  for (const Opener& o : openers) {
    for (bool answer : {false, true}) {
      MainFrame& frame = Open();
      ASSERT_EQ(Selected(), "Open") << o.what;
      const std::string shownBefore = ShownText();
      rig_.prompt.passwordNames.clear();
      rig_.prompt.passwordAnswers = {answer};
      o.open(*this);
      Pump();
      // Asked once, for the protected node, whatever lay below it.
      EXPECT_EQ(rig_.prompt.passwordNames, std::vector<std::string>{"Vault"}) << o.what;
      EXPECT_EQ(Expanded(Node("Vault")), answer) << o.what;
      if (!answer) {
        // Refused: nothing changes, and what was shown stays.
        EXPECT_EQ(Selected(), "Open") << o.what;
        EXPECT_EQ(ShownText(), shownBefore) << o.what;
        EXPECT_FALSE(PlaceholderShows("Invalid password, access denied!")) << o.what;
      } else if (*o.target) {
        EXPECT_EQ(Selected(), o.target) << o.what;
        EXPECT_EQ(ShownText(), std::string("text of ") + o.target) << o.what;
      }
      EXPECT_TRUE(rig_.prompt.passwordAnswers.empty()) << o.what;
      (void)frame;
    }
  }
}

TEST_F(ProtectFrame, APasswordIsNotRememberedAndAnOpenedBranchNeverReopensSilently) {
  Open();
  rig_.prompt.passwordAnswers = {true};
  ClickButton(Node("Vault"));
  ASSERT_TRUE(Expanded(Node("Vault")));
  ClickButton(Node("Vault"));
  ASSERT_FALSE(Expanded(Node("Vault")));
  // The control opens a node it opened once without a word: a bookmark into
  // the branch must ask all the same.
  rig_.prompt.passwordNames.clear();
  rig_.prompt.passwordAnswers = {false};
  GoTo(TreeFolder() + "\\Vault\\Loose");
  Pump();
  EXPECT_EQ(rig_.prompt.passwordNames, std::vector<std::string>{"Vault"});
  EXPECT_FALSE(Expanded(Node("Vault")));
  EXPECT_EQ(Selected(), "Open");
  // Its button asks again too.
  rig_.prompt.passwordAnswers = {false};
  ClickButton(Node("Vault"));
  EXPECT_FALSE(Expanded(Node("Vault")));
  EXPECT_TRUE(rig_.prompt.passwordAnswers.empty());
}

TEST_F(ProtectFrame, HoveringWithADraggedNodeNeverOpensAProtectedBranch) {
  Open();
  // It was open once, so the control would open it again without a word.
  rig_.prompt.passwordAnswers = {true};
  ClickButton(Node("Vault"));
  ClickButton(Node("Vault"));
  auto hoverOver = [&](HTREEITEM target) {
    NMTREEVIEWA begin = {};
    begin.hdr.hwndFrom = tree_;
    begin.hdr.idFrom = IDC_FAVORITE_TREE;
    begin.hdr.code = TVN_BEGINDRAGA;
    begin.itemNew.hItem = Node("Open");
    SendMessageA(frame_->Handle(), WM_NOTIFY, IDC_FAVORITE_TREE, reinterpret_cast<LPARAM>(&begin));
    RECT row = {};
    TreeView_GetItemRect(tree_, target, &row, TRUE);
    POINT at = {(row.left + row.right) / 2, (row.top + row.bottom) / 2};
    MapWindowPoints(tree_, frame_->Handle(), &at, 1);
    SendMessageA(frame_->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
    SendMessageA(frame_->Handle(), WM_TIMER, TreeDrag::kExpandTimer, 0);
    ReleaseCapture();
    Pump();
  };
  hoverOver(Node("Vault"));
  EXPECT_FALSE(Expanded(Node("Vault")));
  hoverOver(Node("Shelf"));
  EXPECT_TRUE(Expanded(Node("Shelf")));
  EXPECT_TRUE(rig_.prompt.passwordAnswers.empty());
}

TEST_F(ProtectFrame, ExpandAllAndExpandBranchLeaveProtectedBranchesClosed) {
  Open();
  // No prompt may come (the script has no answer for one).
  Command(ID_TREE_EXPAND_ALL);
  EXPECT_FALSE(Expanded(Node("Vault")));
  EXPECT_TRUE(Expanded(Node("Shelf")));
  // Nothing below the protected node was opened either.
  EXPECT_FALSE(Expanded(Node("Inner", Node("Vault"))));
  Command(ID_TREE_COLLAPSE_ALL);
  // With no node selected Expand Branch is Expand All.
  TreeView_SelectItem(tree_, nullptr);
  Pump();
  Command(ID_TREE_EXPAND_BRANCH);
  EXPECT_FALSE(Expanded(Node("Vault")));
  EXPECT_TRUE(Expanded(Node("Shelf")));
  // The selected protected node was let in when it was selected: its branch
  // opens, but a protected node inside would stay closed.
  rig_.prompt.passwordAnswers = {true};
  TreeView_SelectItem(tree_, Node("Vault"));
  Pump();
  ASSERT_EQ(Selected(), "Vault");
  Command(ID_TREE_EXPAND_BRANCH);
  EXPECT_TRUE(Expanded(Node("Vault")));
  EXPECT_TRUE(Expanded(Node("Inner", Node("Vault"))));
  EXPECT_TRUE(rig_.prompt.passwordAnswers.empty());
}

TEST_F(ProtectFrame, ARefusedCatalogItemSaysSoAndShowsTheAccessDeniedForm) {
  Open();
  SelectGroup(CatalogFolder());
  const int group = GroupOf(CatalogFolder());
  ASSERT_EQ(frame_->State().viewKind, kItemText);  // "Public", open to all
  rig_.prompt.passwordAnswers = {false};
  ClickItem(group, 1);
  ASSERT_FALSE(rig_.prompt.shown.empty());
  EXPECT_EQ(rig_.prompt.shown.back().text, rig_.texts.TextOr(kTextItemAccessDenied, "?"));
  EXPECT_EQ(rig_.prompt.shown.back().caption, rig_.texts.TextOr(kTextAccessDeniedCaption, "?"));
  EXPECT_TRUE(PlaceholderShows("Invalid password, access denied!"));
  EXPECT_EQ(frame_->State().viewKind, kViewPlaceholder);
  rig_.prompt.passwordAnswers = {true};
  ClickItem(group, 1);
  EXPECT_EQ(frame_->State().viewKind, kItemText);
  EXPECT_EQ(rig_.prompt.passwordNames.back(), "Private");
}

TEST_F(ProtectFrame, AFolderWhoseFirstNodeIsRefusedShowsNothingOfTheFolderBefore) {
  {
    // The first node of the tree folder is protected.
    StorageHandle root;
    ASSERT_HRESULT_SUCCEEDED(root.OpenRoot(path_.c_str(), kWriteMode));
    StorageHandle tree = root.OpenStorageFor(TreeFolder().c_str(), false);
    ASSERT_HRESULT_SUCCEEDED(WriteNodePassword(tree, {"Open"}, "first"));
    WriteSettingsSlot(root, 0, Variant::FromString(CatalogFolder()));
  }
  Open();
  ASSERT_EQ(frame_->State().folderKind, kFolderCatalog);
  ASSERT_EQ(frame_->State().viewKind, kItemText);
  rig_.prompt.passwordAnswers = {false};
  SelectGroup(TreeFolder());
  // The catalog item is not left in view over a folder it does not belong to.
  EXPECT_EQ(frame_->State().viewKind, kViewPlaceholder);
  EXPECT_EQ(Selected(), "");
}

// ---- the password commands ------------------------------------------------------------------

TEST_F(ProtectFrame, AccessPasswordSetsAndClearsTheHeadersOfNodesAndItems) {
  struct Case {
    const char* what;
    std::function<void(ProtectFrame&)> select;
    const char* title;
    const char* cleared;  // the message when a password is cleared
  } cases[] = {
      {"tree node", [](ProtectFrame& t) { TreeView_SelectItem(t.tree_, t.Node("Shelf")); }, "Shelf",
       "The item's password is cleared!"},
      // Selecting the folder shows its first item.
      {"catalog item", [](ProtectFrame& t) { t.SelectGroup(t.CatalogFolder()); }, "Public",
       "The item's password has been deleted!"},
  };
  for (const Case& c : cases) {
    Open();
    c.select(*this);
    rig_.prompt.newPasswords = {std::string("Sesame")};
    rig_.prompt.currentPasswords.clear();
    Command(ID_ITEM_ACCESS_PASSWORD);
    EXPECT_EQ(rig_.prompt.currentPasswords, std::vector<std::string>{""}) << c.what;
    EXPECT_TRUE(frame_->Document().Modified()) << c.what;
    Command(ID_FILE_SAVE);
    // Reopened, the node or item asks for it.
    Open();
    rig_.prompt.passwordNames.clear();
    rig_.prompt.passwordAnswers = {true};
    c.select(*this);
    EXPECT_EQ(rig_.prompt.passwordNames, std::vector<std::string>{c.title}) << c.what;
    // Cleared with the old password given.
    rig_.prompt.newPasswords = {std::string("")};
    rig_.prompt.currentPasswords.clear();
    rig_.prompt.shown.clear();
    Command(ID_ITEM_ACCESS_PASSWORD);
    EXPECT_EQ(rig_.prompt.currentPasswords, std::vector<std::string>{"Sesame"}) << c.what;
    ASSERT_EQ(rig_.prompt.shown.size(), 1u) << c.what;
    EXPECT_EQ(rig_.prompt.shown[0].text, c.cleared) << c.what;
    Command(ID_FILE_SAVE);
    Open();
    c.select(*this);  // no prompt now (none scripted)
    EXPECT_TRUE(rig_.prompt.passwordAnswers.empty()) << c.what;
  }
  // Older copies of a header may stay in the file's free space; a repack
  // leaves none.
  Open();
  Command(ID_FILE_REPACK);
  frame_.reset();
  EXPECT_EQ(vtest::ReadWholeFile(path_).find("Sesame"), std::string::npos);
}

TEST_F(ProtectFrame, AccessPasswordWithNothingSelectedSaysWhatToSelect) {
  Open();
  TreeView_SelectItem(tree_, nullptr);
  Pump();
  Command(ID_ITEM_ACCESS_PASSWORD);
  ASSERT_EQ(rig_.prompt.shown.size(), 1u);
  EXPECT_EQ(rig_.prompt.shown[0].text, "Please select the tree item you want to set password first!");
  EXPECT_EQ(rig_.prompt.shown[0].caption, "Tip");
}

TEST_F(ProtectFrame, TheLibraryPasswordIsAskedForWhenTheLibraryOpens) {
  Open();
  rig_.prompt.newPasswords = {std::string("Library1")};
  Command(ID_TOOLS_LIBRARY_PASSWORD);
  EXPECT_EQ(frame_->Document().ReadSettingsSlot(6).AsString(), "Library1");
  Command(ID_FILE_SAVE);
  rig_.prompt.passwordAnswers = {true};
  rig_.prompt.passwordNames.clear();
  Open();
  EXPECT_EQ(rig_.prompt.passwordNames, std::vector<std::string>{path_});
  EXPECT_EQ(frame_->Document().Path(), path_);
  // Cleared: the user is told, and the next open asks nothing.
  rig_.prompt.newPasswords = {std::string("")};
  rig_.prompt.shown.clear();
  Command(ID_TOOLS_LIBRARY_PASSWORD);
  ASSERT_EQ(rig_.prompt.shown.size(), 1u);
  EXPECT_EQ(rig_.prompt.shown[0].text, rig_.texts.TextOr(kTextLibraryPasswordRemoved, "?"));
  // Like every change, it reaches the file when the library is saved.
  Command(ID_FILE_SAVE);
  Open();
  EXPECT_EQ(frame_->Document().Path(), path_);
}

// ---- the read-only lock and the layouts ----------------------------------------------------------

TEST_F(ProtectFrame, TheReadOnlyLockGreysEditingAndKeepsKeysOutOfTheText) {
  Open();
  HWND text = vtest::FindChildOfClass(frame_->Handle(), "VelloraTextView");
  HMENU edit = GetSubMenu(frame_->MenuBar(), MENU_POS_EDIT);
  auto editMenuGreyed = [&] {
    for (int i = 0; i < GetMenuItemCount(edit); ++i)
      if (!(GetMenuState(edit, i, MF_BYPOSITION) & (MF_GRAYED | MF_SEPARATOR))) return false;
    return true;
  };
  Command(ID_TOOLS_LOCK_READONLY);
  EXPECT_TRUE(frame_->State().readOnly);
  EXPECT_TRUE(frame_->QueryCommandUi(ID_TOOLS_LOCK_READONLY).checked);
  // Which command the lock greys is the command table's to prove; here, that the lock reaches it.
  EXPECT_FALSE(frame_->QueryCommandUi(ID_NODE_ADD_ROOT).enabled);
  EXPECT_FALSE(frame_->QueryCommandUi(ID_ITEM_ACCESS_PASSWORD).enabled);
  EXPECT_TRUE(frame_->QueryCommandUi(ID_SEARCH_TITLES).enabled);
  EXPECT_TRUE(editMenuGreyed());
  EXPECT_TRUE(SendMessageA(text, EM_GETOPTIONS, 0, 0) & ECO_READONLY);
  // Twice: editable again.
  Command(ID_TOOLS_LOCK_READONLY);
  EXPECT_FALSE(frame_->State().readOnly);
  EXPECT_FALSE(editMenuGreyed());
  EXPECT_TRUE(frame_->QueryCommandUi(ID_NODE_ADD_ROOT).enabled);
  EXPECT_FALSE(SendMessageA(text, EM_GETOPTIONS, 0, 0) & ECO_READONLY);
}

TEST_F(ProtectFrame, LayoutsArrangeThePanesAndSetOrClearTheOneReadOnlyLock) {
  Open();
  HWND outbar = vtest::FindChildOfClass(frame_->Handle(), "WTLOutBarCtrl");
  HWND title = vtest::FindChildOfClass(frame_->Handle(), "VelloraTitleStrip");
  HWND format = vtest::FindChildOfClass(frame_->Handle(), "VelloraFormatStrip");
  ASSERT_TRUE(outbar && title && format);
  struct Case {
    UINT layout;
    bool outbarShown, titleShown, formatShown, toolbarShown, readOnly;
  } cases[] = {
      {ID_LAYOUT_TEXT_READING, false, false, false, false, true},
      {ID_LAYOUT_TEXT_EDITOR, false, true, true, false, false},  // the toolbar stays as it was
      {ID_LAYOUT_WEB_BROWSER, false, true, false, false, false},
      {ID_LAYOUT_STANDARD, true, true, true, true, false},
  };
  for (const Case& c : cases) {
    Command(c.layout);
    EXPECT_EQ(IsWindowVisible(outbar) != FALSE, c.outbarShown) << c.layout;
    EXPECT_EQ(IsWindowVisible(title) != FALSE, c.titleShown) << c.layout;
    // The strip's own state: after Web Browser the web view, not the text pane, is the one shown.
    EXPECT_EQ((GetWindowLongA(format, GWL_STYLE) & WS_VISIBLE) != 0, c.formatShown) << c.layout;
    EXPECT_EQ(frame_->State().toolbarShown, c.toolbarShown) << c.layout;
    EXPECT_EQ(frame_->State().readOnly, c.readOnly) << c.layout;
  }
  // One lock: every layout but Text Reading clears it, also when it was set by hand.
  HWND text = vtest::FindChildOfClass(frame_->Handle(), "VelloraTextView");
  for (UINT layout : {ID_LAYOUT_STANDARD, ID_LAYOUT_TEXT_EDITOR, ID_LAYOUT_WEB_BROWSER}) {
    Command(ID_TOOLS_LOCK_READONLY);
    ASSERT_TRUE(frame_->State().readOnly) << layout;
    Command(layout);
    EXPECT_FALSE(frame_->State().readOnly) << layout;
    EXPECT_FALSE(SendMessageA(text, EM_GETOPTIONS, 0, 0) & ECO_READONLY) << layout;
  }
  // Lock Readonly turns over the lock Text Reading set, as any other.
  Command(ID_LAYOUT_TEXT_READING);
  Command(ID_TOOLS_LOCK_READONLY);
  EXPECT_FALSE(frame_->State().readOnly);
  Command(ID_TOOLS_LOCK_READONLY);
  EXPECT_TRUE(frame_->State().readOnly);
  Command(ID_LAYOUT_STANDARD);
  EXPECT_FALSE(frame_->State().readOnly);
}

TEST_F(ProtectFrame, TheTextLayoutsBringInTheTextViewAndTheWebLayoutTheWebView) {
  Open();
  const int catalog = GroupOf(CatalogFolder());
  struct Case {
    const char* shown;
    std::function<void()> show;
    int before;
  } cases[] = {
      {"a folder node", [&] {
         SelectGroup(TreeFolder());
         TreeView_SelectItem(tree_, Node("Shelf"));
         Pump();
       }, kViewNodeList},
      {"a data list", [&] {
         SelectGroup(CatalogFolder());
         ClickItem(catalog, 2);
       }, kItemDataList},
      {"a file folder", [&] {
         SelectGroup(CatalogFolder());
         ClickItem(catalog, 3);
       }, kItemFileFolder},
  };
  for (const Case& c : cases) {
    for (UINT layout : {ID_LAYOUT_WEB_BROWSER, ID_LAYOUT_TEXT_EDITOR, ID_LAYOUT_TEXT_READING}) {
      Command(ID_LAYOUT_STANDARD);
      c.show();
      ASSERT_EQ(frame_->State().viewKind, c.before) << c.shown;
      Command(layout);
      if (layout == ID_LAYOUT_WEB_BROWSER) {
        // The web view comes in without a page of its own.
        EXPECT_EQ(frame_->State().viewKind, kItemWebLink) << c.shown;
        HWND web = vtest::FindChildOfClass(frame_->Handle(), "VelloraWebPane");
        EXPECT_TRUE(web && IsWindowVisible(web)) << c.shown;
        continue;
      }
      EXPECT_EQ(frame_->State().viewKind, kItemText) << c.shown << " " << layout;
      // The text view comes in empty, and takes no typing that nothing could keep.
      EXPECT_EQ(ShownText(), "") << c.shown << " " << layout;
      HWND text = vtest::FindChildOfClass(frame_->Handle(), "VelloraTextView");
      EXPECT_TRUE(SendMessageA(text, EM_GETOPTIONS, 0, 0) & ECO_READONLY) << c.shown << " " << layout;
    }
  }
  // A note shown stays shown, editable under Text Editor.
  Command(ID_LAYOUT_STANDARD);
  SelectGroup(TreeFolder());
  TreeView_SelectItem(tree_, Node("Open"));
  Pump();
  Command(ID_LAYOUT_TEXT_EDITOR);
  EXPECT_EQ(ShownText(), "text of Open");
  HWND text = vtest::FindChildOfClass(frame_->Handle(), "VelloraTextView");
  EXPECT_FALSE(SendMessageA(text, EM_GETOPTIONS, 0, 0) & ECO_READONLY);
  // Leaving the empty view for an item shows the item.
  TreeView_SelectItem(tree_, Node("Shelf"));
  Pump();
  Command(ID_LAYOUT_TEXT_READING);
  TreeView_SelectItem(tree_, Node("Open"));
  Pump();
  EXPECT_EQ(ShownText(), "text of Open");
  Command(ID_LAYOUT_STANDARD);
}

// ---- each library's own look ----------------------------------------------------------------------

TEST_F(ProtectFrame, ALookSetInOneLibraryIsAbsentInAnotherAndBackAfterReopening) {
  Open();
  const std::string picture = rig_.dir.File("paper.bmp");
  ASSERT_TRUE(vtest::WriteWholeFile(picture, vtest::SolidBitmapFileBytes(8, 8, RGB(0, 0, 200))));
  ASSERT_EQ(frame_->State().viewKind, kItemText);
  rig_.prompt.colors = {RGB(200, 10, 10), RGB(10, 120, 10), RGB(250, 250, 200), RGB(230, 240, 255)};
  Command(ID_TREE_FORE_COLOR);
  Command(ID_FOLDER_FORE_COLOR);
  Command(ID_TREE_BACK_COLOR);
  Command(ID_TEXT_BACK_COLOR);
  EXPECT_EQ(frame_->Document().ReadSettingsSlot(4).AsInt(), static_cast<long>(RGB(230, 240, 255)));
  LOGFONTA font = TreeFontOf("Courier New", -19);
  rig_.prompt.fonts = {font};
  Command(ID_TREE_FONT);
  rig_.prompt.files = {picture};
  Command(ID_FOLDER_BACK_IMAGE);
  auto treeFont = [&] {
    LOGFONTA shown = {};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(tree_, WM_GETFONT, 0, 0)), sizeof shown, &shown);
    return std::pair<std::string, LONG>(shown.lfFaceName, shown.lfHeight);
  };
  auto expectOwnLook = [&](const char* when) {
    EXPECT_EQ(TreeView_GetTextColor(tree_), RGB(200, 10, 10)) << when;
    EXPECT_EQ(Look().CurrentColor(LookPart::OutbarText), RGB(10, 120, 10)) << when;
    EXPECT_EQ(TreeView_GetBkColor(tree_), RGB(250, 250, 200)) << when;
    EXPECT_EQ(treeFont(), (std::pair<std::string, LONG>("Courier New", -19))) << when;
  };
  expectOwnLook("as chosen");
  Command(ID_FILE_SAVE);

  // Another library, made new: the built-in look, nothing of the first.
  rig_.prompt.files = {rig_.dir.File("other.vlx")};
  Command(ID_FILE_NEW);
  ASSERT_EQ(frame_->Document().Path(), rig_.dir.File("other.vlx"));
  EXPECT_EQ(TreeView_GetTextColor(tree_), kDefaultTreeText);
  EXPECT_EQ(Look().CurrentColor(LookPart::OutbarText), kDefaultOutbarText);
  EXPECT_EQ(TreeView_GetBkColor(tree_), RGB(255, 255, 255));
  EXPECT_EQ(treeFont(), (std::pair<std::string, LONG>(rig_.texts.TextOr(kTextFontFace, "?"), kDefaultTreeFontHeight)));
  EXPECT_TRUE(frame_->Document().ReadSettingsSlot(4).Type() == VT_EMPTY);

  // The first again: its own look comes back with it.
  rig_.prompt.messageAnswers = {IDNO};
  rig_.prompt.files = {path_};
  Command(ID_FILE_OPEN);
  ASSERT_EQ(frame_->Document().Path(), path_);
  expectOwnLook("reopened");
  // A picture file that went missing gives the built-in picture, silently.
  DeleteFileA(picture.c_str());
  rig_.prompt.shown.clear();
  Open();
  expectOwnLook("picture gone");
  EXPECT_TRUE(rig_.prompt.shown.empty());
}

TEST_F(ProtectFrame, TheListViewsTakeTheLibrarysColoursAndPictures) {
  Open();
  SetForegroundWindow(frame_->Handle());
  SelectGroup(CatalogFolder());
  const int group = GroupOf(CatalogFolder());
  ClickItem(group, 2);  // the data list
  ASSERT_EQ(frame_->State().viewKind, kItemDataList);
  HWND table = vtest::ShownList(frame_->Handle());
  ASSERT_TRUE(table);
  rig_.prompt.colors = {RGB(200, 220, 240), RGB(120, 0, 60)};
  Command(ID_LIST_BACK_COLOR);
  Command(ID_LIST_TEXT_COLOR);
  EXPECT_EQ(ListView_GetBkColor(table), RGB(200, 220, 240));
  EXPECT_EQ(ListView_GetTextColor(table), RGB(120, 0, 60));
  // The file view keeps its own part of the look.
  ClickItem(group, 3);
  ASSERT_EQ(frame_->State().viewKind, kItemFileFolder);
  HWND files = vtest::ShownList(frame_->Handle());
  ASSERT_TRUE(files && files != table);
  EXPECT_EQ(ListView_GetBkColor(files), GetSysColor(COLOR_WINDOW));
  const std::string picture = rig_.dir.File("green.bmp");
  ASSERT_TRUE(vtest::WriteWholeFile(picture, vtest::SolidBitmapFileBytes(8, 8, RGB(0, 160, 0))));
  rig_.prompt.files = {picture};
  Command(ID_FILEVIEW_BACK_IMAGE);
  UpdateWindow(files);
  Pump();
  EXPECT_EQ(vtest::ScreenPixelNearCorner(files), RGB(0, 160, 0));
  Command(ID_FILE_SAVE);

  // Another library: nothing of it; the first again: all of it.
  rig_.prompt.files = {rig_.dir.File("lists.vlx")};
  Command(ID_FILE_NEW);
  EXPECT_NE(vtest::ScreenPixelNearCorner(files), RGB(0, 160, 0));
  Open();
  SetForegroundWindow(frame_->Handle());
  SelectGroup(CatalogFolder());
  ClickItem(GroupOf(CatalogFolder()), 2);
  table = vtest::ShownList(frame_->Handle());
  ASSERT_TRUE(table);
  EXPECT_EQ(ListView_GetBkColor(table), RGB(200, 220, 240));
  EXPECT_EQ(ListView_GetTextColor(table), RGB(120, 0, 60));
  ClickItem(GroupOf(CatalogFolder()), 3);
  files = vtest::ShownList(frame_->Handle());
  ASSERT_TRUE(files);
  UpdateWindow(files);
  Pump();
  EXPECT_EQ(vtest::ScreenPixelNearCorner(files), RGB(0, 160, 0));
}

// ---- the tray lock -----------------------------------------------------------------------------------

TEST_F(ProtectFrame, WhenTheShellRefusesTheIconTheWindowStaysAndTheUserIsTold) {
  Open();
  shellAccepts_ = false;
  Command(ID_TOOLS_LOCK_TRAY);
  EXPECT_TRUE(IsWindowVisible(frame_->Handle()));
  EXPECT_FALSE(frame_->LockedInTray());
  ASSERT_EQ(rig_.prompt.shown.size(), 1u);
  EXPECT_NE(rig_.prompt.shown[0].text.find("notification area"), std::string::npos);
}

TEST_F(ProtectFrame, TheTrayLockHidesEverythingAndComesBackOnlyWithTheLibraryPassword) {
  Open();
  rig_.prompt.newPasswords = {std::string("Tray1")};
  Command(ID_TOOLS_LIBRARY_PASSWORD);
  // A floating window of the frame's own (as the results window may be).
  HWND floating = CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "floating", WS_POPUP | WS_VISIBLE, 10, 10, 50, 50,
                                  frame_->Handle(), nullptr, nullptr, nullptr);
  ASSERT_TRUE(IsWindowVisible(floating));
  Command(ID_TOOLS_LOCK_TRAY);
  EXPECT_TRUE(frame_->LockedInTray());
  EXPECT_FALSE(IsWindowVisible(frame_->Handle()));
  EXPECT_FALSE(IsWindowVisible(floating));
  // Blinking may have begun: only adds and removals are counted.
  EXPECT_EQ(AddsAndDeletes(), "+");
  EXPECT_EQ(shell_[0].id, 255u);
  EXPECT_EQ(shell_[0].callback, 1124u);
  EXPECT_EQ(shell_[0].tip, "Vellora");
  // The shell restarted: the icon is put back.
  SendMessageA(frame_->Handle(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  EXPECT_EQ(AddsAndDeletes(), "+-+");

  // A double click asks for the library password; a wrong one keeps it locked.
  rig_.prompt.passwordAnswers = {false};
  rig_.prompt.shown.clear();
  SendMessageA(frame_->Handle(), 1124, 255, WM_LBUTTONDBLCLK);
  Pump();
  EXPECT_EQ(rig_.prompt.passwordNames.back(), "This library");
  ASSERT_EQ(rig_.prompt.shown.size(), 1u);
  EXPECT_EQ(rig_.prompt.shown[0].text, rig_.texts.TextOr(kTextStillLocked, "?"));
  EXPECT_EQ(rig_.prompt.shown[0].caption, "Tip");
  EXPECT_FALSE(IsWindowVisible(frame_->Handle()));
  EXPECT_TRUE(frame_->LockedInTray());
  rig_.prompt.passwordAnswers = {true};
  SendMessageA(frame_->Handle(), 1124, 255, WM_LBUTTONDBLCLK);
  Pump();
  EXPECT_TRUE(IsWindowVisible(frame_->Handle()));
  EXPECT_TRUE(IsWindowVisible(floating));
  EXPECT_FALSE(frame_->LockedInTray());
  EXPECT_EQ(AddsAndDeletes(), "+-+-");
  // Nothing blinks once the icon is gone.
  EXPECT_FALSE(KillTimer(frame_->Handle(), TrayIcon::kBlinkTimer));

  // Locked again: the same icon, added once more; without a password it comes back at once.
  rig_.prompt.newPasswords = {std::string("")};
  rig_.prompt.messageAnswers = {};
  Command(ID_TOOLS_LIBRARY_PASSWORD);
  Command(ID_TOOLS_LOCK_TRAY);
  EXPECT_EQ(AddsAndDeletes(), "+-+-+");
  SendMessageA(frame_->Handle(), 1124, 255, WM_LBUTTONDBLCLK);
  Pump();
  EXPECT_TRUE(IsWindowVisible(frame_->Handle()));
  DestroyWindow(floating);
}

}  // namespace
