// Building a library by hand in the real main frame, with the questions
// answered from a script: folders, catalog items, tree nodes with label
// editing and dropping, the item clipboard and Set as Title, then Save and a
// look at what the file holds.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>

#include "app/frame/MainFrame.h"
#include "content/CatalogItems.h"
#include "content/CommandIds.h"
#include "content/NodeOperations.h"
#include "tests/TestSupport.h"
#include "tests/frame/FrameFixture.h"
#include "tests/store/DocumentFixtures.h"

using namespace vellora;

namespace {

using vtest::Pump;

class EditFrame : public vtest::FrameFixture {
 protected:
  void SetUp() override {
    FrameFixture::SetUp();
    path_ = rig_.dir.File("edit.vlx");
    LibraryDocument doc(rig_.host, rig_.prompt, rig_.texts, rig_.log, rig_.Setup());
    ASSERT_TRUE(doc.CreateLibrary(path_));
    StorageHandle tree = doc.Root().OpenStorageFor(TreeFolder().c_str(), false);
    for (auto [name, sequence] : {std::pair{"A", 1}, {"B", 2}, {"C", 3}})
      vtest::AddNote(tree, name, sequence, std::string("{\\rtf1 text of ") + name + "}");
    tree.Release();
    doc.Save();
  }
  MainFrame& Open() { return OpenLibrary(path_, true); }
  ContentHost& Host() { return *frame_; }
  // Titles of the tree's top level, or of a node's children, in order.
  std::string Titles(NodeRef parent = nullptr) {
    TreeAccess& tree = frame_->Tree();
    std::string out;
    for (NodeRef n = tree.FirstChild(parent); n; n = tree.Next(n)) {
      if (!out.empty()) out.push_back(' ');
      out.append(tree.Title(n));
    }
    return out;
  }
  NodeRef Node(const std::string& title, NodeRef parent = nullptr) { return NodeTitled(title, parent); }
  // Types a title into the label edit that a node command started.
  void TypeLabel(const char* text) {
    HWND tree = vtest::FindChildOfClass(frame_->Handle(), WC_TREEVIEWA);
    HWND edit = reinterpret_cast<HWND>(SendMessageA(tree, TVM_GETEDITCONTROL, 0, 0));
    ASSERT_NE(edit, nullptr);
    SetWindowTextA(edit, text);
    SendMessageA(tree, TVM_ENDEDITLABELNOW, FALSE, 0);
    Pump();
  }
  // Saves and reads the file back as the program would.
  std::vector<TreeNode> SavedTree() {
    Command(ID_FILE_SAVE);
    frame_.reset();
    StorageHandle root;
    EXPECT_HRESULT_SUCCEEDED(root.OpenRoot(path_.c_str(), kReadMode));
    std::vector<TreeNode> nodes;
    LoadTree(root.OpenStorageFor(TreeFolder().c_str(), true), nodes);
    return nodes;
  }

  // The tree folder of the file while no frame holds it, open for writing.
  void WithTreeFolder(const std::function<void(const StorageHandle&)>& change) {
    StorageHandle root;
    ASSERT_HRESULT_SUCCEEDED(root.OpenRoot(path_.c_str(), kWriteMode));
    change(root.OpenStorageFor(TreeFolder().c_str(), false));
  }
  HWND TreeWindow() { return vtest::FindChildOfClass(frame_->Handle(), WC_TREEVIEWA); }

  std::string path_;
};

std::string Shape(const std::vector<TreeNode>& nodes) {
  std::string out;
  for (const TreeNode& node : nodes) {
    if (!out.empty()) out += ' ';
    out.append(node.title);
    if (node.isFolderNode) out.append("[").append(Shape(node.children)).append("]");
  }
  return out;
}

TEST_F(EditFrame, FoldersAreAddedReplacedDeletedAndMovedAsAsked) {
  MainFrame& frame = Open();
  const int before = Host().GroupCount();
  rig_.prompt.folders = {NewFolderRequest{"Projects", kFolderTree}};
  Command(ID_FOLDER_NEW);
  ASSERT_EQ(Host().GroupCount(), before + 1);
  // The same name again: No asks for another name, the same name asks again, Yes replaces.
  rig_.prompt.folders = {NewFolderRequest{"projects", kFolderCatalog}};
  rig_.prompt.messageAnswers = {IDNO, IDYES};
  rig_.prompt.names = {std::string("Projects")};
  Command(ID_FOLDER_NEW);
  EXPECT_EQ(Host().GroupCount(), before + 1);  // one group of that name, not two
  EXPECT_EQ(Host().GroupKind(GroupOf("Projects")), kFolderCatalog);
  EXPECT_EQ(rig_.prompt.nameCaptions.back(), "Rename adding item");
  // The library's own settings storage can never be replaced by a folder.
  rig_.prompt.folders = {NewFolderRequest{"#$LibrarySetting#$", kFolderTree}};
  rig_.prompt.messageAnswers = {IDYES, IDOK, IDCANCEL};
  Command(ID_FOLDER_NEW);
  EXPECT_EQ(Host().GroupCount(), before + 1);
  EXPECT_EQ(ReadSettingsSlot(frame.Document().Root(), 0).Type(), VT_EMPTY);
  EXPECT_FALSE(frame.Document().Root().OpenStorageFor(kSettingsStorage, true).Empty());

  // Moving the first up does nothing; moving it down swaps the first two.
  const std::string first = Host().GroupName(0), second = Host().GroupName(1);
  Host().SelectGroup(0);
  Pump();
  Command(ID_FOLDER_MOVE_UP);
  EXPECT_EQ(Host().GroupName(0), first);
  Command(ID_FOLDER_MOVE_DOWN);
  EXPECT_EQ(Host().GroupName(0), second);
  EXPECT_EQ(Host().GroupName(1), first);

  // Deleting the selected folder lets it go and selects another.
  SelectGroup("Projects");
  rig_.prompt.messageAnswers = {IDYES};
  Command(ID_FOLDER_DELETE);
  EXPECT_EQ(GroupOf("Projects"), -1);
  EXPECT_GE(Host().SelectedGroup(), 0);
  EXPECT_NE(frame.Document().CurrentFolderName(), "Projects");

  Command(ID_FILE_SAVE);
  frame_.reset();
  // The order and the folders are in the file.
  Open();
  EXPECT_EQ(Host().GroupName(0), second);
  EXPECT_EQ(Host().GroupName(1), first);
  EXPECT_EQ(GroupOf("Projects"), -1);
}

TEST_F(EditFrame, TheLastFolderStays) {
  Open();
  while (Host().GroupCount() > 1) {
    Host().SelectGroup(0);
    Pump();
    rig_.prompt.messageAnswers = {IDYES};
    Command(ID_FOLDER_DELETE);
  }
  Command(ID_FOLDER_DELETE);  // refused with a notice, no question
  EXPECT_EQ(Host().GroupCount(), 1);
  EXPECT_EQ(rig_.prompt.shown.back().type, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
}

TEST_F(EditFrame, CatalogItemsTakeTheirFoldersNextIdAndComeBackAfterSaving) {
  MainFrame& frame = Open();
  const std::string other = rig_.texts.TextOr(kTextSecondCatalogFolder, "");
  // Three items in the second catalog folder, then one in the first: the
  // counter must not follow the folder loaded last.
  SelectGroup(other);
  for (const char* title : {"x1", "x2", "x3"}) {
    NewItemRequest item;
    item.title = title;
    rig_.prompt.items = {item};
    Command(ID_CATALOG_NEW);
  }
  SelectGroup(CatalogFolder());
  EXPECT_EQ(frame.State().viewKind, kViewPlaceholder);  // an empty folder shows "No item"
  NewItemRequest list;
  list.title = "Phones";
  list.kind = kItemDataList;
  list.columns = {"Name", "Number"};
  rig_.prompt.items = {list};
  Command(ID_CATALOG_NEW);
  ASSERT_EQ(Host().Items().size(), 1u);
  EXPECT_EQ(Host().Items()[0].itemId, 1);
  // A second "Phones": Cancel creates nothing.
  rig_.prompt.items = {list};
  rig_.prompt.messageAnswers = {IDCANCEL};
  Command(ID_CATALOG_NEW);
  EXPECT_EQ(Host().Items().size(), 1u);

  // Renamed, then moved below a second item and back.
  NewItemRequest text;
  text.title = "Diary";
  rig_.prompt.items = {text};
  Command(ID_CATALOG_NEW);
  Host().SelectItem(0);
  Pump();
  rig_.prompt.names = {std::string("Phone book")};
  Command(ID_CATALOG_RENAME);
  EXPECT_EQ(Host().Items()[0].title, "Phone book");
  Command(ID_CATALOG_MOVE_DOWN);
  EXPECT_EQ(Host().Items()[1].title, "Phone book");
  EXPECT_EQ(Host().Items()[1].itemId, 2);
  Command(ID_CATALOG_MOVE_DOWN);  // the last does not go down
  EXPECT_EQ(Host().Items()[1].title, "Phone book");

  // Selecting the folder again shows its item, not "No item".
  Host().SelectItem(0);
  Pump();
  SelectGroup(other);
  SelectGroup(CatalogFolder());
  EXPECT_EQ(frame.State().viewKind, kItemText);

  Command(ID_FILE_SAVE);
  frame_.reset();
  StorageHandle root;
  ASSERT_HRESULT_SUCCEEDED(root.OpenRoot(path_.c_str(), kReadMode));
  std::vector<CatalogItemEntry> items;
  LoadCatalogItems(root.OpenStorageFor(CatalogFolder().c_str(), true), items);
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].title, "Diary");
  EXPECT_EQ(items[1].title, "Phone book");
  EXPECT_EQ(items[1].kind, kItemDataList);
}

TEST_F(EditFrame, NodesAreAddedWithTheirLabelRenamedDroppedAndDeleted) {
  MainFrame& frame = Open();
  TreeAccess& tree = frame.Tree();
  Command(ID_NODE_ADD_ROOT);
  EXPECT_TRUE(frame.Content().NewNodePending());
  TypeLabel("  a/b:c ");
  EXPECT_EQ(Titles(), "A B C a-b-c");
  EXPECT_EQ(tree.Title(tree.Selected()), "a-b-c");

  // A child of a leaf: Yes takes the leaf's text along into the child.
  SelectNode("B");
  rig_.prompt.messageAnswers = {IDYES};
  Command(ID_NODE_ADD_CHILD);
  TypeLabel("inside");
  EXPECT_TRUE(tree.Data(Node("B"))->isFolderNode);

  // A sibling of a node whose label edit is cancelled keeps "New Item".
  SelectNode("A");
  Command(ID_NODE_ADD_SIBLING);
  HWND control = vtest::FindChildOfClass(frame.Handle(), WC_TREEVIEWA);
  SendMessageA(control, TVM_ENDEDITLABELNOW, TRUE, 0);
  Pump();
  EXPECT_EQ(Titles(), "A B C a-b-c New Item");

  // Renaming to a sibling's title: an encoded element name, the plain title shown.
  SelectNode("New Item");
  Command(ID_NODE_RENAME);
  TypeLabel("A");
  EXPECT_EQ(Titles(), "A B C a-b-c A");
  EXPECT_NE(tree.Data(tree.Selected())->elementName, "A");

  // C dropped on A comes first; a node dropped under its own child is refused.
  frame.Content().DropNode(Node("C"), Node("A"));
  EXPECT_EQ(Titles().substr(0, 5), "C A B");
  frame.Content().DropNode(Node("B"), Node("inside", Node("B")));
  EXPECT_EQ(rig_.prompt.shown.back().text, "Can not move a node under its child!");

  // Deleting the only child makes its parent a leaf again.
  SelectNode("inside", Node("B"));
  rig_.prompt.messageAnswers = {IDYES};
  Command(ID_NODE_DELETE);
  EXPECT_FALSE(tree.Data(Node("B"))->isFolderNode);

  EXPECT_EQ(Shape(SavedTree()), "C A B a-b-c A");
}

TEST_F(EditFrame, TheItemClipboardMovesAndConvertsAcrossFolders) {
  MainFrame& frame = Open();
  // Copy node B, paste it into the catalog folder: it becomes an item.
  SelectNode("B");
  Command(ID_ITEM_COPY);
  EXPECT_EQ(frame.Content().Clipboard().state, ItemClipboard::kNode);
  SelectGroup(CatalogFolder());
  Command(ID_ITEM_PASTE);
  ASSERT_EQ(Host().Items().size(), 1u);
  EXPECT_EQ(Host().Items()[0].title, "B");
  EXPECT_EQ(Host().Items()[0].kind, kItemText);
  EXPECT_EQ(frame.Content().Clipboard().state, ItemClipboard::kNode);  // a copy pastes again

  // Cut the item and paste it back over itself: nothing changes.
  Command(ID_ITEM_CUT);
  rig_.prompt.messageAnswers = {IDYES};
  Command(ID_ITEM_PASTE);
  EXPECT_EQ(Host().Items().size(), 1u);
  EXPECT_EQ(frame.Content().Clipboard().state, ItemClipboard::kEmpty);

  // Cut it again and paste it into the tree before A: the item leaves its folder.
  Command(ID_ITEM_CUT);
  SelectGroup(TreeFolder());
  SelectNode("A");
  Command(ID_ITEM_PASTE);
  EXPECT_EQ(Titles(), "B A B C");
  SelectGroup(CatalogFolder());
  EXPECT_TRUE(Host().Items().empty());

  // Copy C and paste it on its sibling A in the same folder: reordered, no duplicate.
  SelectGroup(TreeFolder());
  SelectNode("C");
  Command(ID_ITEM_COPY);
  SelectNode("A");
  Command(ID_ITEM_PASTE);
  EXPECT_EQ(Titles(), "B C A B");

  // Cutting an only child is turned into a copy, with a notice.
  rig_.prompt.messageAnswers = {IDYES};
  SelectNode("A");
  Command(ID_NODE_ADD_CHILD);
  TypeLabel("only");
  SelectNode("only", Node("A"));
  Command(ID_ITEM_CUT);
  EXPECT_FALSE(frame.Content().Clipboard().cut);
  EXPECT_EQ(Shape(SavedTree()), "B C A[only] B");
}

TEST_F(EditFrame, NodesGoToOtherTreeFoldersSetAsTitleCleansAndIconsAreStored) {
  MainFrame& frame = Open();
  // A second tree folder receives a cut node; the first loses it.
  rig_.prompt.folders = {NewFolderRequest{"Archive", kFolderTree}};
  Command(ID_FOLDER_NEW);
  SelectNode("B");
  Command(ID_ITEM_CUT);
  SelectGroup("Archive");
  Command(ID_ITEM_PASTE);
  EXPECT_EQ(Titles(), "B");
  SelectGroup(TreeFolder());
  EXPECT_EQ(Titles(), "A C");

  // Set as Title takes the note's selected text, cleaned as a typed title.
  SelectNode("A");
  HWND note = vtest::FindChildOfClass(frame.Handle(), "VelloraTextView");
  ASSERT_NE(note, nullptr);
  SendMessageA(note, EM_SETREADONLY, FALSE, 0);
  SetWindowTextA(note, "  Plans: 2027/2028  ");
  SendMessageA(note, EM_SETSEL, 0, -1);
  Command(ID_EDIT_SET_TITLE);
  EXPECT_EQ(Titles(), "Plans- 2027-2028 C");

  // A custom icon is stored behind the item's record.
  const std::string icon = rig_.dir.File("item.ico");
  ASSERT_TRUE(vtest::WriteWholeFile(icon, "not really an icon"));
  SelectGroup(CatalogFolder());
  NewItemRequest item;
  item.title = "Iconic";
  rig_.prompt.items = {item};
  Command(ID_CATALOG_NEW);
  Host().SelectItem(0);
  Pump();
  rig_.prompt.files = {icon};
  Command(ID_ITEM_CUSTOM_ICON);
  EXPECT_EQ(Host().Items()[0].iconPath, icon);
  Command(ID_FILE_SAVE);
  frame_.reset();
  StorageHandle root;
  ASSERT_HRESULT_SUCCEEDED(root.OpenRoot(path_.c_str(), kReadMode));
  CatalogItemEntry stored;
  ReadCatalogItem(root.OpenStorageFor(CatalogFolder().c_str(), true), "Iconic", stored);
  EXPECT_EQ(stored.iconPath, icon);
}

TEST_F(EditFrame, TheNoteShownIsOnScreenAfterEveryKindOfSwitch) {
  MainFrame& frame = Open();
  // From the placeholder of an empty catalog folder back to a note, and from
  // note to note: each note comes in a window of its own, which must show.
  SelectGroup(CatalogFolder());
  SelectGroup(TreeFolder());
  for (const char* title : {"A", "B", "A"}) {
    SelectNode(title);
    HWND note = vtest::FindChildOfClass(frame.Handle(), "VelloraTextView");
    ASSERT_NE(note, nullptr) << title;
    EXPECT_TRUE(IsWindowVisible(note)) << title;
    RECT area = {};
    GetClientRect(note, &area);
    EXPECT_GT(area.right, 0) << title;
    EXPECT_GT(area.bottom, 0) << title;
  }
}

TEST_F(EditFrame, ReadOnlyKeysDoNothingAndPropertiesDescribeTheNode) {
  Open();
  SelectNode("A");
  Command(ID_NODE_PROPERTY);
  ASSERT_EQ(rig_.prompt.properties.size(), 1u);
  const NodeProperties& shown = rig_.prompt.properties[0];
  EXPECT_EQ(shown.title, "A");
  EXPECT_EQ(shown.category, "A");  // a top-level node is its own category
  EXPECT_FALSE(shown.folderNode);
  EXPECT_EQ(shown.size, kRecordSize + std::string("{\\rtf1 text of A}").size());
  // A node command in a catalog folder is greyed: its key does nothing.
  SelectGroup(CatalogFolder());
  Command(ID_NODE_DELETE);
  EXPECT_TRUE(rig_.prompt.shown.empty());
}

TEST_F(EditFrame, TheCollisionQueryComparesTitlesNotElementNames) {
  // The first catalog folder holds an item titled B under an encoded name,
  // as a second item of that title gets it.
  {
    StorageHandle root;
    ASSERT_HRESULT_SUCCEEDED(root.OpenRoot(path_.c_str(), kWriteMode));
    ASSERT_HRESULT_SUCCEEDED(CreateItem(root.OpenStorageFor(CatalogFolder().c_str(), false), kItemText,
                                        EncodedElementName("B", 7).c_str(), 1, kFolderItemInfo, kFolderItemContent,
                                        {}));
  }
  Open();
  const std::string other = rig_.texts.TextOr(kTextSecondCatalogFolder, "");
  NewItemRequest titledB;
  titledB.title = "B";
  SelectGroup(other);
  rig_.prompt.items = {titledB};
  Command(ID_CATALOG_NEW);
  struct Case {
    const char* what;
    std::function<void()> bringB;  // adds or pastes something titled B into the first catalog folder
    int answer;
  } cases[] = {
      {"a new item", [&] {
         rig_.prompt.items = {titledB};
         Command(ID_CATALOG_NEW);
       }, IDCANCEL},
      {"an item of another folder", [&] {
         SelectGroup(other);
         Host().SelectItem(0);
         Pump();
         Command(ID_ITEM_COPY);
         SelectGroup(CatalogFolder());
         Command(ID_ITEM_PASTE);
       }, IDCANCEL},
      {"a tree node", [&] {
         SelectGroup(TreeFolder());
         SelectNode("B");
         Command(ID_ITEM_COPY);
         SelectGroup(CatalogFolder());
         Command(ID_ITEM_PASTE);
       }, IDYES},  // replaced: still one item of that title, under the name it had
  };
  for (const Case& c : cases) {
    SelectGroup(CatalogFolder());
    rig_.prompt.shown.clear();
    rig_.prompt.messageAnswers = {c.answer};
    c.bringB();
    ASSERT_EQ(rig_.prompt.shown.size(), 1u) << c.what;
    EXPECT_EQ(rig_.prompt.shown[0].caption, "Query") << c.what;
    ASSERT_EQ(Host().Items().size(), 1u) << c.what;
    EXPECT_EQ(Host().Items()[0].title, "B") << c.what;
    EXPECT_EQ(Host().Items()[0].elementName, EncodedElementName("B", 7)) << c.what;
  }
}

TEST_F(EditFrame, PastingWithNothingSelectedPutsTheNodeLastUnderANumberOfItsOwn) {
  struct Case {
    int32_t a, b, c;  // the numbers the file gives A, B and C
    UINT how;
  } cases[] = {
      {1, 2, 3, ID_ITEM_COPY},
      {0, 1, 2, ID_ITEM_COPY},  // one more than A's number is B's
      {-5, 1, 2, ID_ITEM_CUT},
  };
  for (const Case& c : cases) {
    WithTreeFolder([&](const StorageHandle& tree) {
      ASSERT_HRESULT_SUCCEEDED(WriteSequences(tree, {}, {{"A", c.a}, {"B", c.b}, {"C", c.c}}));
    });
    Open();
    SelectNode("A");
    Command(c.how);
    TreeView_SelectItem(TreeWindow(), nullptr);
    Pump();
    ASSERT_EQ(frame_->Tree().Selected(), nullptr);
    Command(ID_ITEM_PASTE);
    EXPECT_EQ(Titles(), "B C A") << c.a;
    std::vector<TreeNode> saved = SavedTree();
    EXPECT_EQ(Shape(saved), "B C A") << c.a;
    std::set<int32_t> numbers;
    for (const TreeNode& node : saved) numbers.insert(node.sequence);
    EXPECT_EQ(numbers.size(), saved.size()) << c.a;
  }
}

TEST_F(EditFrame, ACutNodePastedOntoItselfStaysOnTheClipboard) {
  MainFrame& frame = Open();
  SelectNode("B");
  Command(ID_ITEM_CUT);
  Command(ID_ITEM_PASTE);
  EXPECT_EQ(Titles(), "A B C");
  EXPECT_EQ(frame.Content().Clipboard().state, ItemClipboard::kNode);
  EXPECT_TRUE(frame.Content().Clipboard().cut);
  // It can still be pasted where it was meant to go.
  SelectNode("A");
  Command(ID_ITEM_PASTE);
  EXPECT_EQ(Titles(), "B A C");
  EXPECT_EQ(frame.Content().Clipboard().state, ItemClipboard::kEmpty);
}

TEST_F(EditFrame, SetAsTitleMakesOneLineOfASelectionOverSeveralParagraphs) {
  MainFrame& frame = Open();
  SelectGroup(CatalogFolder());
  NewItemRequest note;
  note.title = "Note";
  rig_.prompt.items = {note};
  Command(ID_CATALOG_NEW);
  struct Case {
    const char* text;
    const char* title;  // null: nothing is renamed and the user is told
  } cases[] = {
      {"Plan\r\nfor\r\n\r\nMay\r\n", "Plan for May"},
      {"\tOne\vline\r\n", "One line"},
      {"\r\n\r\n", nullptr},
  };
  for (bool tree : {true, false}) {
    for (const Case& c : cases) {
      if (tree) {
        SelectGroup(TreeFolder());
        frame.Tree().Select(frame.Tree().FirstChild(NodeRef{}));
        Pump();
      } else {
        SelectGroup(CatalogFolder());
        Host().SelectItem(0);
        Pump();
      }
      const std::string before = tree ? frame.Tree().Title(frame.Tree().Selected()) : Host().Items()[0].title;
      HWND text = vtest::FindChildOfClass(frame.Handle(), "VelloraTextView");
      ASSERT_NE(text, nullptr);
      SendMessageA(text, EM_SETREADONLY, FALSE, 0);
      SetWindowTextA(text, c.text);
      SendMessageA(text, EM_SETSEL, 0, -1);
      rig_.prompt.shown.clear();
      Command(ID_EDIT_SET_TITLE);
      const std::string after = tree ? frame.Tree().Title(frame.Tree().Selected()) : Host().Items()[0].title;
      if (c.title) {
        EXPECT_EQ(after, c.title) << (tree ? "node" : "item");
        EXPECT_TRUE(rig_.prompt.shown.empty());
      } else {
        EXPECT_EQ(after, before) << (tree ? "node" : "item");
        ASSERT_EQ(rig_.prompt.shown.size(), 1u);
        EXPECT_EQ(rig_.prompt.shown[0].text, "No selected text!");
      }
    }
  }
}

// What the open popup menu shows, read from a timer of the menu's own loop,
// which then closes it.
std::map<UINT, bool> g_menuEnabled;
bool g_menuRead = false;

void CALLBACK ReadPopupAndClose(HWND, UINT, UINT_PTR, DWORD) {
  HWND popup = FindWindowA("#32768", nullptr);
  auto menu = popup ? reinterpret_cast<HMENU>(SendMessageA(popup, MN_GETHMENU, 0, 0)) : nullptr;
  if (!menu) return;
  for (auto& [id, enabled] : g_menuEnabled) enabled = !(GetMenuState(menu, id, MF_BYCOMMAND) & MF_GRAYED);
  g_menuRead = true;
  EndMenu();
}

TEST_F(EditFrame, TheItemMenuIsEnabledForTheItemClickedNotForTheSelection) {
  Open();
  SelectGroup(CatalogFolder());
  for (const char* title : {"one", "two"}) {
    NewItemRequest item;
    item.title = title;
    rig_.prompt.items = {item};
    Command(ID_CATALOG_NEW);
  }
  Host().SelectItem(-1);
  Pump();
  ASSERT_EQ(Host().SelectedItem(), -1);
  const UINT itemCommands[] = {ID_CATALOG_DELETE, ID_CATALOG_RENAME, ID_ITEM_COPY, ID_ITEM_CUT,
                               ID_ITEM_CUSTOM_ICON, ID_ITEM_ACCESS_PASSWORD};
  g_menuEnabled.clear();
  g_menuRead = false;
  for (UINT id : itemCommands) g_menuEnabled[id] = false;
  const UINT_PTR timer = SetTimer(nullptr, 0, 200, ReadPopupAndClose);
  OutBarNotify click = {GroupOf(CatalogFolder()), 1, {60, 60}};
  SendMessageA(frame_->Handle(), OutBarNotifyMessage(), kOutBarItemRightClick, reinterpret_cast<LPARAM>(&click));
  KillTimer(nullptr, timer);
  ASSERT_TRUE(g_menuRead);
  for (UINT id : itemCommands) EXPECT_TRUE(g_menuEnabled[id]) << id;
  // Closed, the menu leaves the commands to the selection again.
  EXPECT_FALSE(frame_->QueryCommandUi(ID_CATALOG_DELETE).enabled);
}

}  // namespace
