// The menu bar and the context menus as compiled into this test program: every
// command with its exact label, the popups the frame finds by position, the
// entries of each context menu, and a status-bar prompt for every command.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/resources/ResourceIds.h"

namespace {

struct Expected {
  UINT id;
  const char* label;
};

// The command table of the main frame: id and menu label, as the menu shows them.
const Expected kMenuBarCommands[] = {
    {57600, "&New Library...\tCtrl+N"},
    {57601, "&Open Library...\tCtrl+O"},
    {57603, "&Save Library\tCtrl+S"},
    {57604, "S&ave Copy(A)..."},
    {32956, "Export folders as library..."},
    {32957, "Import folders from library..."},
    {32937, "Restore to last save"},
    {32831, "Repack Library(&Z)"},
    {32962, "&Print...\tCtrl+P"},
    {32963, "Print Pre&view"},
    {ID_PRINT_BRANCH, "&Branch..."},
    {ID_PREVIEW_BRANCH, "Branch Pre&view"},
    {ID_PRINT_FOLDER, "&Folder..."},
    {ID_PREVIEW_FOLDER, "F&older Preview"},
    {57606, "Pr&int Setup..."},
    {57665, "&Exit"},
    {57643, "&Undo\tCtrl+Z"},
    {57644, "&Redo\tCtrl+Y"},
    {57634, "&Copy\tCtrl+C"},
    {57635, "&Cut\tCtrl+X"},
    {57637, "&Paste\tCtrl+V"},
    {57642, "Select &All"},
    {32840, "Set as &Title\tCtrl+Q"},
    {32841, "Reorganize &Paragraphs\tCtrl+U"},
    {32847, "Delete &Line End Spaces"},
    {32848, "Cleanup Paragraph &Spaces"},
    {32849, "Insert Single Line\tCtrl + -"},
    {32850, "Insert Double Line\tCtrl + ="},
    {32843, "Insert current t&ime\tF7"},
    {32844, "Delete current line\tCtrl+Shift+Y"},
    {32842, "Delete empty line\tShift+Atl+Y"},
    {32969, "Delete extra spaces"},
    {32845, "Insert empty line\tCtrl+Shift+W"},
    {32811, "&New Folder"},
    {32815, "&Delete Folder"},
    {32902, "&Rename Folder"},
    {32904, "Move &Up"},
    {32905, "Move &Down"},
    {32923, "&New Catalog Item"},
    {32910, "&Delete Catalog Item"},
    {32911, "&Rename Catalog Item"},
    {32907, "Move &Up"},
    {32908, "Move &Down"},
    {32788, "Add Root Node\tCtrl+T"},
    {32786, "Add Child Node\tCtrl+R"},
    {32774, "Add Sibling Node\tCtrl+E"},
    {32775, "Rename Node Title\tF2"},
    {32787, "Delete Node\tShift+Del"},
    {32934, "Copy Item\tCtrl+Shift+C"},
    {32935, "Cut Item\tCtrl+Shift+X"},
    {32936, "Paste Item\tCtrl+Shift+V"},
    {32793, "Add &Bookmark\tCtrl+J"},
    {32794, "Bookmark Manager...\tCtrl+L"},
    {32966, "Access Password\tCtrl+Shift+P"},
    {32859, "Text File"},
    {32836, "HTML Page"},
    {32967, "Text File"},
    {32996, "Branch as Web Page or Files..."},
    {32997, "Folder as Web Page or Files..."},
    {32998, "Library as Web Page or Files..."},
    {ID_PRINT_BRANCH, "&Branch..."},
    {ID_PREVIEW_BRANCH, "Branch Pre&view"},
    {ID_PRINT_FOLDER, "&Folder..."},
    {ID_PREVIEW_FOLDER, "F&older Preview"},
    {32833, "&Property\tAtl+Enter"},
    {59392, "&Toolbar"},
    {59393, "&Status bar"},
    {32887, "&Title bar"},
    {32888, "&Format Toolbar"},
    {32964, "&Search Result\tCtrl+U"},
    {32944, "Fore Color"},
    {32940, "Back Color"},
    {32941, "Back Image"},
    {32942, "Restore Default"},
    {32886, "Show Tree&View"},
    {32899, "Fore Color"},
    {32863, "Back Color"},
    {32864, "Font..."},
    {32865, "Back Image"},
    {32943, "Restore Default"},
    {32883, "Expand Brach"},
    {32884, "Collapse Branch"},
    {32881, "Expand All"},
    {32882, "Collapse All"},
    {32808, "&Back Color"},
    {57696, "&Font..."},
    {32809, "&Auto Line"},
    {32898, "Show ListView"},
    {32897, "Text Color"},
    {32900, "Back Color"},
    {32901, "Back Image"},
    {32860, "Custom Item Icon..."},
    {32959, "Fore Color"},
    {32960, "Back Color"},
    {32961, "Back Image"},
    {32891, "Standard\tCtrl+Shift+S"},
    {32894, "Text Reading\tCtrl+Shift+R"},
    {32892, "Text Editor\tCtrl+Shift+E"},
    {32893, "Web Browser\tCtrl+Shift+W"},
    {32927, "Search Titles...\tCtrl+Shift+H"},
    {32773, "Search Current Item...\tCtrl+F"},
    {32838, "Search Current Branch...\tCtrl+H"},
    {32928, "Search Current Folder...\tCtrl+Shift+F"},
    {32885, "Repeat Last Search\tF3"},
    {32854, "Lock &Readonly\tCtrl+D"},
    {32866, "Lock &TrayIcon\tCtrl+K"},
    {32931, "Library &Password"},
    {ID_TOOLS_CHECK_LIBRARY, "&Check Library..."},
    {ID_TOOLS_BACKUPS, "&Backups..."},
    {57670, "Vellora &Help\tF1"},
    {32980, "&Technical Support..."},
    {32981, "&Program Feedback..."},
    {32982, "Software &Website..."},
    {57664, "&About Vellora..."},
};

struct MenuDeleter {
  void operator()(HMENU m) const { DestroyMenu(m); }
};

HMENU Load(UINT id) { return LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id)); }

std::string TextAt(HMENU menu, int position) {
  char text[256] = {};
  GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
  return text;
}

// Every command entry below a menu: id -> the labels it appears with.
void Collect(HMENU menu, std::multimap<UINT, std::string>& out) {
  for (int i = 0, n = GetMenuItemCount(menu); i < n; ++i) {
    if (HMENU sub = GetSubMenu(menu, i)) {
      Collect(sub, out);
      continue;
    }
    UINT id = GetMenuItemID(menu, i);
    if (GetMenuState(menu, i, MF_BYPOSITION) & MF_SEPARATOR) continue;
    out.emplace(id, TextAt(menu, i));
  }
}

// The entries of one popup in order, "-" for a separator, "[text]" for a submenu.
std::vector<std::string> Entries(HMENU popup) {
  std::vector<std::string> out;
  for (int i = 0, n = GetMenuItemCount(popup); i < n; ++i) {
    if (GetSubMenu(popup, i)) {
      std::string name(1, '[');
      name += TextAt(popup, i);
      name += ']';
      out.push_back(name);
    } else if (GetMenuState(popup, i, MF_BYPOSITION) & MF_SEPARATOR) {
      out.push_back("-");
    } else {
      out.push_back(std::to_string(GetMenuItemID(popup, i)) + " " + TextAt(popup, i));
    }
  }
  return out;
}

class MenuBar : public ::testing::Test {
 protected:
  void SetUp() override {
    bar_ = Load(IDR_MAINFRAME);
    ASSERT_NE(bar_, nullptr);
  }
  void TearDown() override { DestroyMenu(bar_); }
  HMENU bar_ = nullptr;
};

TEST_F(MenuBar, HoldsEveryCommandOfTheCommandTableWithItsLabel) {
  std::multimap<UINT, std::string> found;
  Collect(bar_, found);
  for (const Expected& e : kMenuBarCommands) {
    auto [lo, hi] = found.equal_range(e.id);
    ASSERT_NE(lo, hi) << "command " << e.id << " (" << e.label << ") is not in the menu bar";
    bool labelled = false;
    for (auto it = lo; it != hi; ++it) labelled |= it->second == e.label;
    EXPECT_TRUE(labelled) << "command " << e.id << " is labelled \"" << lo->second << "\", not \"" << e.label
                          << "\"";
  }
}

TEST_F(MenuBar, UsesEachCommandOnceAndOnlyKnownCommands) {
  std::multimap<UINT, std::string> found;
  Collect(bar_, found);
  std::map<UINT, int> expected;
  for (const Expected& e : kMenuBarCommands) expected[e.id]++;
  expected[ID_FILE_MRU_FIRST] = 1;
  expected[ID_QUICK_ACCESS_PLACEHOLDER] = 1;
  for (const auto& [id, count] : expected) {
    EXPECT_EQ(found.count(id), static_cast<size_t>(count)) << "command " << id;
  }
  for (const auto& [id, label] : found) {
    EXPECT_TRUE(expected.count(id)) << "unexpected command " << id << " \"" << label << "\"";
  }
}

TEST_F(MenuBar, TopLevelPopupsSitAtTheirPositions) {
  ASSERT_EQ(GetMenuItemCount(bar_), MENU_TOP_COUNT);
  EXPECT_EQ(TextAt(bar_, MENU_POS_FILE), "&File");
  EXPECT_EQ(TextAt(bar_, MENU_POS_EDIT), "&Edit");
  EXPECT_EQ(TextAt(bar_, MENU_POS_VIEW), "&View");
  EXPECT_EQ(TextAt(bar_, MENU_POS_CONTENT), "&Content");
  EXPECT_EQ(TextAt(bar_, MENU_POS_SEARCH), "&Search");
  EXPECT_EQ(TextAt(bar_, MENU_POS_TOOLS), "&Tools");
  EXPECT_EQ(TextAt(bar_, MENU_POS_HELP), "&Help");
  for (int i = 0; i < MENU_TOP_COUNT; ++i) EXPECT_NE(GetSubMenu(bar_, i), nullptr) << i;
  // The Edit menu holds commands only: the frame enables or disables all of its entries at once.
  HMENU edit = GetSubMenu(bar_, MENU_POS_EDIT);
  for (int i = 0, n = GetMenuItemCount(edit); i < n; ++i) EXPECT_EQ(GetSubMenu(edit, i), nullptr) << i;
}

TEST_F(MenuBar, ViewPopupsSitAtTheirPositions) {
  HMENU view = GetSubMenu(bar_, MENU_POS_VIEW);
  const struct {
    int position;
    const char* text;
    UINT firstCommand;
  } popups[] = {
      {VIEW_POS_FOLDER, "Folder", ID_FOLDER_FORE_COLOR},
      {VIEW_POS_TREE_VIEW, "Tree View", ID_TREE_FORE_COLOR},
      {VIEW_POS_TEXT_VIEW, "Text View", ID_TEXT_BACK_COLOR},
      {VIEW_POS_LIST_VIEW, "List View", ID_LIST_TEXT_COLOR},
      {VIEW_POS_FILE_VIEW, "File View", ID_FILEVIEW_FORE_COLOR},
      {VIEW_POS_PREDEFINED, "Predefined Interface", ID_LAYOUT_STANDARD},
  };
  for (const auto& p : popups) {
    EXPECT_EQ(TextAt(view, p.position), p.text);
    HMENU sub = GetSubMenu(view, p.position);
    ASSERT_NE(sub, nullptr) << p.text;
    EXPECT_EQ(GetMenuItemID(sub, 0), p.firstCommand) << p.text;
  }
}

TEST_F(MenuBar, ContentMenuStartsWithFolderCatalogAndASeparator) {
  HMENU content = GetSubMenu(bar_, MENU_POS_CONTENT);
  EXPECT_EQ(TextAt(content, CONTENT_POS_FOLDER), "Folder");
  EXPECT_EQ(GetMenuItemID(GetSubMenu(content, CONTENT_POS_FOLDER), 0), static_cast<UINT>(ID_FOLDER_NEW));
  EXPECT_EQ(TextAt(content, CONTENT_POS_CATALOG), "Catalog");
  EXPECT_EQ(GetMenuItemID(GetSubMenu(content, CONTENT_POS_CATALOG), 0), static_cast<UINT>(ID_CATALOG_NEW));
  ASSERT_EQ(CONTENT_TREE_MENU_SKIP, 3);
  EXPECT_TRUE(GetMenuState(content, 2, MF_BYPOSITION) & MF_SEPARATOR);
  // What the tree's context menu starts with once the first three entries are gone.
  EXPECT_EQ(GetMenuItemID(content, CONTENT_TREE_MENU_SKIP), static_cast<UINT>(ID_NODE_ADD_ROOT));
}

TEST_F(MenuBar, QuickAccessImportAndExportSubmenus) {
  HMENU content = GetSubMenu(bar_, MENU_POS_CONTENT);
  EXPECT_EQ(TextAt(content, CONTENT_POS_QUICK_ACCESS), "Quick Access");
  HMENU quick = GetSubMenu(content, CONTENT_POS_QUICK_ACCESS);
  ASSERT_NE(quick, nullptr);
  // Only the placeholder, which the bookmark refresh removes.
  EXPECT_EQ(Entries(quick), (std::vector<std::string>{"42200 (empty)"}));
  EXPECT_TRUE(GetMenuState(quick, 0, MF_BYPOSITION) & MF_GRAYED);
  EXPECT_EQ(Entries(GetSubMenu(content, CONTENT_POS_IMPORT)),
            (std::vector<std::string>{"32859 Text File", "32836 HTML Page"}));
  EXPECT_EQ(Entries(GetSubMenu(content, CONTENT_POS_EXPORT)),
            (std::vector<std::string>{"32967 Text File", "-", "32996 Branch as Web Page or Files...",
                                      "32997 Folder as Web Page or Files...",
                                      "32998 Library as Web Page or Files..."}));
  // The same four print entries in the Content menu (and so the node's context menu) and under File.
  const std::vector<std::string> print = {"32999 &Branch...", "33000 Branch Pre&view", "33001 &Folder...",
                                          "33002 F&older Preview"};
  EXPECT_EQ(TextAt(content, CONTENT_POS_PRINT), "Print...");
  EXPECT_EQ(Entries(GetSubMenu(content, CONTENT_POS_PRINT)), print);
  HMENU file = GetSubMenu(bar_, MENU_POS_FILE);
  bool underFile = false;
  for (int i = 0; i < GetMenuItemCount(file); ++i)
    if (HMENU sub = GetSubMenu(file, i)) underFile |= Entries(sub) == print;
  EXPECT_TRUE(underFile);
}

TEST_F(MenuBar, RecentLibraryPlaceholderIsGreyedBeforeExit) {
  HMENU file = GetSubMenu(bar_, MENU_POS_FILE);
  int n = GetMenuItemCount(file);
  int at = -1;
  for (int i = 0; i < n; ++i) {
    if (GetMenuItemID(file, i) == ID_FILE_MRU_FIRST) at = i;
  }
  ASSERT_GE(at, 0);
  EXPECT_FALSE(TextAt(file, at).empty());
  EXPECT_TRUE(GetMenuState(file, at, MF_BYPOSITION) & MF_GRAYED);
  EXPECT_EQ(GetMenuItemID(file, n - 1), static_cast<UINT>(ID_APP_EXIT));
}

// Every command of every menu has a status-bar prompt; toolbar commands also a tooltip.
TEST(CommandPrompts, EveryMenuCommandHasAPrompt) {
  std::multimap<UINT, std::string> found;
  for (UINT menu : {IDR_MAINFRAME, IDR_OUTBAR_POPUP, IDR_VIEW_POPUPS, IDR_TREE_POPUP, IDR_FOLDER_POPUP,
                    IDR_OUTBAR_ITEM_POPUP, IDR_TRAY_POPUP, IDR_TABPAGE_POPUP}) {
    std::unique_ptr<HMENU__, MenuDeleter> m(Load(menu));
    ASSERT_TRUE(m) << menu;
    Collect(m.get(), found);
  }
  for (const auto& [id, label] : found) {
    if (id == ID_FILE_MRU_FIRST) continue;
    char text[512] = {};
    EXPECT_GT(LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof text), 0)
        << "no prompt for " << id << " \"" << label << "\"";
  }
}

TEST(CommandPrompts, StatusAndCaptionStrings) {
  char text[256] = {};
  HINSTANCE self = GetModuleHandleA(nullptr);
  ASSERT_GT(LoadStringA(self, IDS_READY, text, sizeof text), 0);
  EXPECT_STREQ(text, "Ready");
  ASSERT_GT(LoadStringA(self, IDS_FAIL, text, sizeof text), 0);
  EXPECT_STREQ(text, "Fail");
  ASSERT_GT(LoadStringA(self, IDS_EMPTY_TITLE, text, sizeof text), 0);
  EXPECT_STREQ(text, "Sorry but folder name can not be empty!");
  ASSERT_GT(LoadStringA(self, ID_TOOLS_LOCK_READONLY, text, sizeof text), 0);
  EXPECT_STREQ(text, "Set current opening library as readonly.\nLock Readonly");
}

// ------------------------------------------------------------ context menus

struct PopupCase {
  UINT menu;
  int position;
  const char* name;
  std::vector<std::string> entries;
};

const PopupCase kPopups[] = {
    {IDR_OUTBAR_POPUP, 0, "_pop1", {"32990 &Big Icon", "32991 Show &Text"}},
    {IDR_VIEW_POPUPS, VIEWPOP_POS_LIST, "_ListPop",
     {"32796 &Add Item", "32819 &Modify Item", "32818 &Delete Item", "-", "32912 &Insert Column",
      "32913 &Delete Column", "32914 &Rename Column", "32797 &Save Column Widths", "-", "32915 Move &Up",
      "32916 Move &Down", "-", "32966 Access &Password", "-", "32897 Text Color", "32900 Back Color",
      "32901 Back Image"}},
    {IDR_VIEW_POPUPS, VIEWPOP_POS_TEXT, "_TextViewPop",
     {"57635 &Cut", "57634 &Copy", "57637 &Paste", "57642 Select &All", "-", "32840 Set as &Title\tCtrl+Q", "-",
      "32802 &Bold", "32803 &Italic", "32804 &Underline", "-", "32821 &Text Color", "32824 &Highlight Color",
      "57696 &Font...", "-", "32808 &Back Color", "32809 &Auto Line"}},
    {IDR_VIEW_POPUPS, VIEWPOP_POS_FILES, "_FolderViewPop",
     {"32920 &Add File Link", "32925 Add File &Embed", "-", "32924 &Open File", "32921 &Delete File",
      "32922 Rename title", "32938 &Export File...", "-", "32959 Fore Color", "32960 Back Color",
      "32961 Back Image"}},
    {IDR_TREE_POPUP, 0, "_TreePop1",
     {"32788 &Add Root Node", "32936 &Paste Item\tCtrl+Shift+V", "-", "[Quick &Access]",
      "32794 &Bookmark Manager...\tCtrl+L"}},
    {IDR_FOLDER_POPUP, 0, "_FolderPop",
     {"32904 Move &Up", "32905 Move &Down", "-", "32956 Export Folders As Library...",
      "32957 Import Folders From Library...", "-", "32811 &New Folder", "32815 &Delete Folder",
      "32902 &Rename Folder"}},
    {IDR_OUTBAR_ITEM_POPUP, 0, "_OutlookItemPop",
     {"32907 Move &Up", "32908 Move &Down", "-", "32923 &New Catalog Item", "32910 &Delete Catalog Item",
      "32911 &Rename Catalog Item", "-", "32934 &Copy Catalog Item", "32935 &Cut Catalog Item",
      "32936 &Paste Catalog Item", "-", "32793 Add &Bookmark\tCtrl+J", "[Quick Access]",
      "32794 Bookmark Manager...\tCtrl+L", "-", "32860 Custom Icon...", "32966 Access Password\tCtrl+Shift+P",
      "-", "[Import...]", "[Export...]"}},
    {IDR_TRAY_POPUP, 0, "-TrayPop", {"32932 &Activate", "-", "57665 &Exit"}},
    {IDR_TABPAGE_POPUP, 0, "_TabPagePop",
     {"32950 &Add Page", "32951 &Delete", "32952 &Rename", "-", "32953 Move &Forward", "32954 Move &Back"}},
};

TEST(ContextMenus, HoldTheirEntriesInOrder) {
  for (const PopupCase& c : kPopups) {
    std::unique_ptr<HMENU__, MenuDeleter> m(Load(c.menu));
    ASSERT_TRUE(m) << c.name;
    EXPECT_EQ(TextAt(m.get(), c.position), c.name);
    HMENU popup = GetSubMenu(m.get(), c.position);
    ASSERT_NE(popup, nullptr) << c.name;
    EXPECT_EQ(Entries(popup), c.entries) << c.name;
  }
}

TEST(ContextMenus, ViewMenuHoldsExactlyItsThreePopups) {
  std::unique_ptr<HMENU__, MenuDeleter> m(Load(IDR_VIEW_POPUPS));
  ASSERT_EQ(GetMenuItemCount(m.get()), 3);
  for (UINT id : {IDR_OUTBAR_POPUP, IDR_TREE_POPUP, IDR_FOLDER_POPUP, IDR_OUTBAR_ITEM_POPUP, IDR_TRAY_POPUP,
                  IDR_TABPAGE_POPUP}) {
    std::unique_ptr<HMENU__, MenuDeleter> one(Load(id));
    EXPECT_EQ(GetMenuItemCount(one.get()), 1) << id;
  }
}

TEST(ContextMenus, QuickAccessSubmenusHoldOnlyThePlaceholder) {
  const std::vector<std::string> placeholder{"42200 (empty)"};
  static_assert(ID_QUICK_ACCESS_PLACEHOLDER > ID_QUICK_ACCESS_LAST, "the placeholder must not be routed");
  std::unique_ptr<HMENU__, MenuDeleter> tree(Load(IDR_TREE_POPUP));
  HMENU quick = GetSubMenu(GetSubMenu(tree.get(), 0), TREEPOP_POS_QUICK_ACCESS);
  ASSERT_NE(quick, nullptr);
  EXPECT_EQ(Entries(quick), placeholder);
  std::unique_ptr<HMENU__, MenuDeleter> item(Load(IDR_OUTBAR_ITEM_POPUP));
  quick = GetSubMenu(GetSubMenu(item.get(), 0), OUTITEMPOP_POS_QUICK_ACCESS);
  ASSERT_NE(quick, nullptr);
  EXPECT_EQ(Entries(quick), placeholder);
  HMENU import = GetSubMenu(GetSubMenu(item.get(), 0), OUTITEMPOP_POS_QUICK_ACCESS + 6);
  ASSERT_NE(import, nullptr);
  EXPECT_EQ(Entries(import), (std::vector<std::string>{"32859 Text File", "32836 HTML Page"}));
}

}  // namespace
