// The enabling and check rules of the main window's commands.
#include <gtest/gtest.h>

#include <richedit.h>

#include "app/frame/CommandState.h"

using namespace vellora;

namespace {

FrameState TreeFolder() {
  FrameState s;
  s.folderKind = 1;
  s.treeVisible = true;
  return s;
}

FrameState ListFolder() {
  FrameState s;
  s.folderKind = 2;
  s.outbarHasGroup = true;
  return s;
}

const UINT kNodeCommands[] = {32774, 32786, 32788, 32787, 32775};

TEST(CommandRules, NodeCommandsBelongToTreeFoldersAndNewItemsToListFolders) {
  for (UINT id : kNodeCommands) {
    EXPECT_TRUE(EvaluateRule(id, TreeFolder()).enabled) << id;
    EXPECT_FALSE(EvaluateRule(id, ListFolder()).enabled) << id;
  }
  EXPECT_TRUE(EvaluateRule(32923, ListFolder()).enabled);
  EXPECT_FALSE(EvaluateRule(32923, TreeFolder()).enabled);
  EXPECT_TRUE(EvaluateRule(32833, TreeFolder()).enabled);   // Property
  EXPECT_FALSE(EvaluateRule(32833, ListFolder()).enabled);
}

TEST(CommandRules, TheReadOnlyLockGreysChangesButNotReadingCommands) {
  FrameState s = TreeFolder();
  s.readOnly = true;
  s.treeHasSelection = true;
  s.clipboardState = 1;
  s.textViewVisible = true;
  for (UINT id : {32811u, 32815u, 32902u, 32931u, 32831u, 32966u, 32793u, 32794u, 32934u, 32935u, 32936u, 32859u,
                  32836u, 32774u, 32786u, 32788u, 32787u, 32775u})
    EXPECT_FALSE(EvaluateRule(id, s).enabled) << id;
  // Property, expand and collapse, export stay.
  for (UINT id : {32833u, 32881u, 32882u, 32883u, 32884u, 32967u}) EXPECT_TRUE(EvaluateRule(id, s).enabled) << id;
  EXPECT_TRUE(EvaluateRule(32854, s).checked);
}

TEST(CommandRules, SaveFollowsTheDocumentOrAWritableTextView) {
  FrameState s;
  EXPECT_FALSE(EvaluateRule(57603, s).enabled);
  s.documentModified = true;
  EXPECT_TRUE(EvaluateRule(57603, s).enabled);
  s.documentModified = false;
  s.textModified = true;
  EXPECT_TRUE(EvaluateRule(57603, s).enabled);
  s.readOnly = true;
  EXPECT_FALSE(EvaluateRule(57603, s).enabled);
}

TEST(CommandRules, ItemCommandsNeedASelectionOfTheFolderKind) {
  FrameState tree = TreeFolder();
  EXPECT_FALSE(EvaluateRule(32934, tree).enabled);
  tree.treeHasSelection = true;
  EXPECT_TRUE(EvaluateRule(32934, tree).enabled);
  EXPECT_FALSE(EvaluateRule(32860, tree).enabled);  // custom icons are for catalog items
  FrameState list = ListFolder();
  list.treeHasSelection = true;  // a stale tree selection does not count
  EXPECT_FALSE(EvaluateRule(32935, list).enabled);
  EXPECT_FALSE(EvaluateRule(32910, list).enabled);
  list.outbarHasSelectedItem = true;
  EXPECT_TRUE(EvaluateRule(32935, list).enabled);
  EXPECT_TRUE(EvaluateRule(32860, list).enabled);
  EXPECT_TRUE(EvaluateRule(32911, list).enabled);
  list.clipboardState = kClipboardEmpty;
  EXPECT_FALSE(EvaluateRule(32936, list).enabled);
  list.clipboardState = 0;
  EXPECT_TRUE(EvaluateRule(32936, list).enabled);
  list.outbarVisible = false;
  EXPECT_FALSE(EvaluateRule(32936, list).enabled);
}

TEST(CommandRules, ImportNeedsTheRightViewOrATreeLeaf) {
  FrameState s = TreeFolder();
  EXPECT_TRUE(EvaluateRule(32859, s).enabled);
  s.nodeListVisible = true;
  EXPECT_FALSE(EvaluateRule(32859, s).enabled);
  EXPECT_FALSE(EvaluateRule(32836, s).enabled);
  s.webViewVisible = true;
  EXPECT_TRUE(EvaluateRule(32836, s).enabled);
  FrameState list = ListFolder();
  EXPECT_FALSE(EvaluateRule(32967, list).enabled);
  list.dataListVisible = true;
  EXPECT_TRUE(EvaluateRule(32967, list).enabled);
}

TEST(CommandRules, ChecksMirrorTheState) {
  FrameState s;
  s.wordWrap = true;
  s.bold = true;
  s.alignment = PFA_CENTER;
  s.titleStripShown = false;
  s.statusBarShown = false;
  EXPECT_TRUE(EvaluateRule(32809, s).checked);
  EXPECT_TRUE(EvaluateRule(32802, s).checked);
  EXPECT_FALSE(EvaluateRule(32803, s).checked);
  EXPECT_TRUE(EvaluateRule(32806, s).checked);
  EXPECT_FALSE(EvaluateRule(32805, s).checked);
  EXPECT_FALSE(EvaluateRule(32887, s).checked);
  EXPECT_TRUE(EvaluateRule(59392, s).checked);
  EXPECT_FALSE(EvaluateRule(59393, s).checked);
  EXPECT_TRUE(EvaluateRule(32888, s).checked);
  EXPECT_FALSE(EvaluateRule(32974, s).checked);  // no web view yet
  EXPECT_FALSE(EvaluateRule(32885, s).enabled);
  s.lastSearchKind = 2;
  EXPECT_TRUE(EvaluateRule(32885, s).enabled);
}

TEST(CommandRules, CommandsWithoutHandlersStayGreyed) {
  FrameState s = TreeFolder();
  for (UINT id : kNodeCommands) EXPECT_FALSE(EvaluateCommand(id, s).enabled) << id;
  EXPECT_TRUE(EvaluateCommand(57600, s).enabled);
  EXPECT_TRUE(EvaluateCommand(57616 + 3, s).enabled);
  EXPECT_TRUE(EvaluateCommand(32883, s).enabled);
}

}  // namespace
