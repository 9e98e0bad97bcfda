// The main accelerator table: which command each key runs when the table is
// searched from the top, as TranslateAccelerator does.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "app/resources/ResourceIds.h"

namespace {

constexpr BYTE kCtrl = FCONTROL, kShift = FSHIFT, kAlt = FALT;

std::vector<ACCEL> Table() {
  HACCEL table = LoadAcceleratorsA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME));
  if (!table) return {};
  std::vector<ACCEL> entries(CopyAcceleratorTableA(table, nullptr, 0));
  CopyAcceleratorTableA(table, entries.data(), static_cast<int>(entries.size()));
  DestroyAcceleratorTable(table);
  return entries;
}

// The command the first entry for the key runs, 0 when no entry has the key.
UINT FirstMatch(const std::vector<ACCEL>& table, BYTE modifiers, WORD key) {
  for (const ACCEL& a : table) {
    BYTE mods = a.fVirt & (FCONTROL | FSHIFT | FALT);
    if ((a.fVirt & FVIRTKEY) && mods == modifiers && a.key == key) return a.cmd;
  }
  return 0;
}

struct Binding {
  BYTE modifiers;
  WORD key;
  UINT command;
};

const Binding kBindings[] = {
    {kCtrl, 'N', ID_FILE_NEW},
    {kCtrl, 'O', ID_FILE_OPEN},
    {kCtrl, 'S', ID_FILE_SAVE},
    {kCtrl, 'P', ID_FILE_PRINT},
    {kCtrl, 'Z', ID_EDIT_UNDO},
    {kAlt, VK_BACK, ID_EDIT_UNDO},
    {kCtrl, 'Y', ID_EDIT_REDO},
    {kCtrl, 'C', ID_EDIT_COPY},
    {kCtrl, VK_INSERT, ID_EDIT_COPY},
    {kCtrl, 'X', ID_EDIT_CUT},
    {kShift, VK_INSERT, ID_EDIT_PASTE},
    {kCtrl | kShift, 'Y', ID_TEXT_DELETE_CURRENT_LINE},
    {kShift | kAlt, 'Y', ID_TEXT_DELETE_EMPTY_LINES},
    {kCtrl, 'T', ID_NODE_ADD_ROOT},
    {kCtrl, 'R', ID_NODE_ADD_CHILD},
    {kCtrl, 'E', ID_NODE_ADD_SIBLING},
    {0, VK_F2, ID_NODE_RENAME},
    {kShift, VK_DELETE, ID_NODE_DELETE},
    {kCtrl | kShift, 'C', ID_ITEM_COPY},
    {kCtrl | kShift, 'X', ID_ITEM_CUT},
    {kCtrl | kShift, 'V', ID_ITEM_PASTE},
    {kCtrl, 'J', ID_BOOKMARK_ADD},
    {kCtrl, 'L', ID_BOOKMARK_MANAGER},
    {kAlt, VK_RETURN, ID_NODE_PROPERTY},
    {kCtrl, 'U', ID_VIEW_SEARCH_RESULT},
    {kCtrl | kShift, 'S', ID_LAYOUT_STANDARD},
    {kCtrl | kShift, 'R', ID_LAYOUT_TEXT_READING},
    {kCtrl | kShift, 'E', ID_LAYOUT_TEXT_EDITOR},
    {kCtrl | kShift, 'W', ID_LAYOUT_WEB_BROWSER},
    {kCtrl | kShift, 'H', ID_SEARCH_TITLES},
    {kCtrl, 'F', ID_SEARCH_CURRENT_ITEM},
    {kCtrl, 'H', ID_SEARCH_CURRENT_BRANCH},
    {kCtrl | kShift, 'F', ID_SEARCH_CURRENT_FOLDER},
    {0, VK_F3, ID_SEARCH_REPEAT},
    {kCtrl, 'D', ID_TOOLS_LOCK_READONLY},
    {kCtrl, 'K', ID_TOOLS_LOCK_TRAY},
    {kCtrl, VK_TAB, ID_NEXT_PANE},
    {0, VK_F1, ID_HELP_CONTENTS},
};

TEST(Accelerators, EachKeyRunsItsCommand) {
  std::vector<ACCEL> table = Table();
  ASSERT_FALSE(table.empty());
  for (const Binding& b : kBindings) {
    EXPECT_EQ(FirstMatch(table, b.modifiers, b.key), b.command)
        << "key " << b.key << " with modifiers " << int(b.modifiers);
  }
}

// Two menus name Ctrl+Shift+W and Ctrl+U; the layout and the search results own them.
TEST(Accelerators, FirstEntryWinsForKeysTwoMenusName) {
  std::vector<ACCEL> table = Table();
  EXPECT_EQ(FirstMatch(table, kCtrl | kShift, 'W'), static_cast<UINT>(ID_LAYOUT_WEB_BROWSER));
  EXPECT_EQ(FirstMatch(table, kCtrl, 'U'), static_cast<UINT>(ID_VIEW_SEARCH_RESULT));
}

// Ctrl+V belongs to the text control, and the ids no handler takes are never sent.
TEST(Accelerators, LeavesCtrlVToTheTextControlAndSendsNoDeadIds) {
  std::vector<ACCEL> table = Table();
  EXPECT_EQ(FirstMatch(table, kCtrl, 'V'), 0u);
  for (const ACCEL& a : table) {
    EXPECT_TRUE(a.fVirt & FVIRTKEY) << a.cmd;
    EXPECT_NE(a.cmd, ID_ITEM_COPY_OLD);
    EXPECT_NE(a.cmd, ID_ITEM_CUT_OLD);
    EXPECT_NE(a.cmd, ID_ITEM_PASTE_OLD);
    EXPECT_NE(a.cmd, ID_FILE_PRINT_OLD);
  }
}

// Keys only named in menus reach nothing.
TEST(Accelerators, KeysOnlyNamedInMenusAreUnbound) {
  std::vector<ACCEL> table = Table();
  EXPECT_EQ(FirstMatch(table, kCtrl, 'Q'), 0u);
  EXPECT_EQ(FirstMatch(table, 0, VK_F7), 0u);
  EXPECT_EQ(FirstMatch(table, kCtrl | kShift, 'P'), 0u);
}

}  // namespace
