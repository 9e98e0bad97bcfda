// The enabling and check rules of the main window's commands, from the table.
#include <gtest/gtest.h>

#include <set>

#include "content/CommandTable.h"

using namespace vellora;

namespace {

CommandContext TreeFolder() {
  CommandContext s;
  s.folderKind = 1;
  s.treeVisible = true;
  return s;
}

CommandContext ListFolder() {
  CommandContext s;
  s.folderKind = 2;
  s.outbarHasGroup = true;
  return s;
}

const UINT kNodeCommands[] = {ID_NODE_ADD_SIBLING, ID_NODE_ADD_CHILD, ID_NODE_ADD_ROOT, ID_NODE_DELETE,
                              ID_NODE_RENAME};

TEST(CommandRules, NodeCommandsBelongToTreeFoldersAndNewItemsToListFolders) {
  for (UINT id : kNodeCommands) {
    EXPECT_TRUE(EvaluateRule(id, TreeFolder()).enabled) << id;
    EXPECT_FALSE(EvaluateRule(id, ListFolder()).enabled) << id;
  }
  EXPECT_TRUE(EvaluateRule(ID_CATALOG_NEW, ListFolder()).enabled);
  EXPECT_FALSE(EvaluateRule(ID_CATALOG_NEW, TreeFolder()).enabled);
  EXPECT_TRUE(EvaluateRule(ID_NODE_PROPERTY, TreeFolder()).enabled);
  EXPECT_FALSE(EvaluateRule(ID_NODE_PROPERTY, ListFolder()).enabled);
}

TEST(CommandRules, TheReadOnlyLockGreysChangesButNotReadingCommands) {
  CommandContext s = TreeFolder();
  s.readOnly = true;
  s.treeHasSelection = true;
  s.clipboardState = 1;
  s.viewKind = kItemText;
  for (UINT id : {ID_FOLDER_NEW, ID_FOLDER_DELETE, ID_FOLDER_RENAME, ID_TOOLS_LIBRARY_PASSWORD, ID_FILE_REPACK,
                  ID_ITEM_ACCESS_PASSWORD, ID_BOOKMARK_ADD, ID_BOOKMARK_MANAGER, ID_ITEM_COPY, ID_ITEM_CUT,
                  ID_ITEM_PASTE, ID_IMPORT_TEXT, ID_IMPORT_HTML, ID_NODE_ADD_SIBLING, ID_NODE_ADD_CHILD,
                  ID_NODE_ADD_ROOT, ID_NODE_DELETE, ID_NODE_RENAME, ID_EDIT_SET_TITLE})
    EXPECT_FALSE(EvaluateRule(id, s).enabled) << id;
  // Property, expand and collapse and export stay; Set as Title renames, so it goes.
  for (UINT id : {ID_NODE_PROPERTY, ID_TREE_EXPAND_ALL, ID_TREE_COLLAPSE_ALL, ID_TREE_EXPAND_BRANCH,
                  ID_TREE_COLLAPSE_BRANCH, ID_EXPORT_TEXT})
    EXPECT_TRUE(EvaluateRule(id, s).enabled) << id;
  EXPECT_TRUE(EvaluateRule(ID_TOOLS_LOCK_READONLY, s).checked);
}

TEST(CommandRules, SaveFollowsTheDocumentOrAWritableView) {
  CommandContext s;
  EXPECT_FALSE(EvaluateRule(ID_FILE_SAVE, s).enabled);
  s.documentModified = true;
  EXPECT_TRUE(EvaluateRule(ID_FILE_SAVE, s).enabled);
  s.documentModified = false;
  s.viewModified = true;
  EXPECT_TRUE(EvaluateRule(ID_FILE_SAVE, s).enabled);
  s.readOnly = true;
  EXPECT_FALSE(EvaluateRule(ID_FILE_SAVE, s).enabled);
}

TEST(CommandRules, ItemCommandsNeedASelectionOfTheFolderKind) {
  CommandContext tree = TreeFolder();
  EXPECT_FALSE(EvaluateRule(ID_ITEM_COPY, tree).enabled);
  tree.treeHasSelection = true;
  EXPECT_TRUE(EvaluateRule(ID_ITEM_COPY, tree).enabled);
  EXPECT_FALSE(EvaluateRule(ID_ITEM_CUSTOM_ICON, tree).enabled);  // custom icons are for catalog items
  CommandContext list = ListFolder();
  list.treeHasSelection = true;  // a stale tree selection does not count
  EXPECT_FALSE(EvaluateRule(ID_ITEM_CUT, list).enabled);
  EXPECT_FALSE(EvaluateRule(ID_CATALOG_DELETE, list).enabled);
  list.outbarHasSelectedItem = true;
  EXPECT_TRUE(EvaluateRule(ID_ITEM_CUT, list).enabled);
  EXPECT_TRUE(EvaluateRule(ID_ITEM_CUSTOM_ICON, list).enabled);
  EXPECT_TRUE(EvaluateRule(ID_CATALOG_RENAME, list).enabled);
  list.clipboardState = kClipboardEmpty;
  EXPECT_FALSE(EvaluateRule(ID_ITEM_PASTE, list).enabled);
  list.clipboardState = 2;
  EXPECT_TRUE(EvaluateRule(ID_ITEM_PASTE, list).enabled);
  list.outbarVisible = false;
  EXPECT_FALSE(EvaluateRule(ID_ITEM_PASTE, list).enabled);
}

TEST(CommandRules, ImportNeedsTheRightViewOrATreeLeaf) {
  CommandContext s = TreeFolder();
  EXPECT_TRUE(EvaluateRule(ID_IMPORT_TEXT, s).enabled);
  s.nodeListVisible = true;
  EXPECT_FALSE(EvaluateRule(ID_IMPORT_TEXT, s).enabled);
  EXPECT_FALSE(EvaluateRule(ID_IMPORT_HTML, s).enabled);
  s.viewKind = kItemWebLink;
  EXPECT_TRUE(EvaluateRule(ID_IMPORT_HTML, s).enabled);
  CommandContext list = ListFolder();
  EXPECT_FALSE(EvaluateRule(ID_EXPORT_TEXT, list).enabled);
  list.viewKind = kItemDataList;
  EXPECT_TRUE(EvaluateRule(ID_EXPORT_TEXT, list).enabled);
}

TEST(CommandRules, ChecksMirrorTheState) {
  CommandContext s;
  s.titleStripShown = false;
  s.statusBarShown = false;
  EXPECT_FALSE(EvaluateRule(ID_VIEW_TITLE_BAR, s).checked);
  EXPECT_TRUE(EvaluateRule(ID_VIEW_TOOLBAR, s).checked);
  EXPECT_FALSE(EvaluateRule(ID_VIEW_STATUS_BAR, s).checked);
  EXPECT_FALSE(EvaluateRule(ID_WEB_BROWSE, s).checked);  // no web view yet
  EXPECT_FALSE(EvaluateRule(ID_SEARCH_REPEAT, s).enabled);
  s.lastSearchKind = 2;
  EXPECT_TRUE(EvaluateRule(ID_SEARCH_REPEAT, s).enabled);
}

TEST(CommandTable, EveryIdHasOneRowAndRangesCoverTheirEntries) {
  std::set<UINT> seen;
  for (const CommandRow& row : CommandRows()) {
    ASSERT_LE(row.first, row.last);
    for (UINT id = row.first; id <= row.last; ++id) EXPECT_TRUE(seen.insert(id).second) << id;
  }
  EXPECT_EQ(FindCommand(ID_FILE_MRU_FIRST + 3)->owner, CommandOwner::Document);
  EXPECT_EQ(FindCommand(ID_QUICK_ACCESS_LAST)->owner, CommandOwner::Frame);
  EXPECT_EQ(FindCommand(ID_QUICK_ACCESS_LAST + 1), nullptr);  // listed, never routed
  EXPECT_EQ(FindCommand(ID_EDIT_UNDO)->owner, CommandOwner::View);
  EXPECT_EQ(FindCommand(ID_NEXT_PANE)->owner, CommandOwner::Frame);
}

TEST(CommandRules, CommandsWithoutHandlersAndUnknownIdsStayGreyed) {
  CommandContext s = TreeFolder();
  EXPECT_FALSE(EvaluateCommand(ID_ITEM_COPY_OLD, s).enabled);
  // Printing has its handler in the frame, and what is shown prints under the lock too.
  CommandContext locked = s;
  locked.readOnly = true;
  for (UINT id : {ID_FILE_PRINT, ID_FILE_PRINT_PREVIEW, ID_FILE_PRINT_SETUP}) {
    EXPECT_TRUE(EvaluateCommand(id, locked).enabled) << id;
    EXPECT_EQ(FindCommand(id)->owner, CommandOwner::Frame) << id;
  }
  // A branch prints with a node selected, a folder in any tree folder; neither in a list folder.
  struct Case {
    UINT id;
    bool withNode, withoutNode;
  };
  for (Case c : {Case{ID_PRINT_BRANCH, true, false}, Case{ID_PREVIEW_BRANCH, true, false},
                 Case{ID_PRINT_FOLDER, true, true}, Case{ID_PREVIEW_FOLDER, true, true}}) {
    CommandContext tree = TreeFolder();
    tree.readOnly = true;
    tree.treeHasSelection = true;
    EXPECT_EQ(EvaluateCommand(c.id, tree).enabled, c.withNode) << c.id;
    tree.treeHasSelection = false;
    EXPECT_EQ(EvaluateCommand(c.id, tree).enabled, c.withoutNode) << c.id;
    CommandContext list = tree;
    list.folderKind = 2;
    EXPECT_FALSE(EvaluateCommand(c.id, list).enabled) << c.id;
  }
  EXPECT_TRUE(EvaluateCommand(ID_FILE_NEW, s).enabled);
  EXPECT_TRUE(EvaluateCommand(ID_FILE_MRU_FIRST + 3, s).enabled);
  EXPECT_TRUE(EvaluateCommand(ID_TREE_EXPAND_BRANCH, s).enabled);
  EXPECT_TRUE(EvaluateCommand(ID_NODE_ADD_ROOT, s).enabled);
}

}  // namespace
