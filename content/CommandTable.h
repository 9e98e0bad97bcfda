#pragma once
// Every command of the main window as one table of data: its id (or id
// range), what it needs to be enabled, who handles it and what its check mark
// follows. The menus, the toolbars and the accelerators are enabled from this
// table on every idle pass and before a menu opens.
#include <windows.h>

#include <cstdint>
#include <span>

#include "content/CommandIds.h"

namespace vellora {

// What the item view area shows: the item kinds, and the frame's own views.
enum ViewKind : int {
  kViewNone = 0,
  kViewText = 1,
  kViewDataList = 2,
  kViewWeb = 3,
  kViewFileFolder = 5,
  kViewTabPages = 6,
  kViewPlaceholder = 7,
  kViewNodeList = 8,
  kViewOleControl = 9,
};

// The item clipboard state that holds nothing to paste.
constexpr int kClipboardEmpty = 3;

// What the frame knows when it decides which commands are available.
struct CommandContext {
  bool readOnly = false;
  int folderKind = 0;  // 1 tree folder, 2 list folder
  int viewKind = kViewNone;
  int clipboardState = kClipboardEmpty;
  int lastSearchKind = 0;
  bool documentModified = false;
  bool viewModified = false;  // the shown view holds edits not yet stored
  bool treeHasSelection = false;
  bool outbarHasGroup = false;
  bool outbarHasSelectedItem = false;
  bool outbarVisible = true;
  bool treeVisible = false;
  bool nodeListVisible = false;
  bool outlookPaneShown = true;
  bool toolbarShown = true;
  bool statusBarShown = true;
  bool titleStripShown = true;
  bool searchResultVisible = false;
};

// What a command needs; a row is enabled when all of its needs are met.
enum CommandNeed : uint32_t {
  kNeedNothing = 0,
  kNeedWritable = 1u << 0,
  kNeedTreeFolder = 1u << 1,
  kNeedListFolder = 1u << 2,
  // A tree node in a tree folder, a catalog item in a list folder.
  kNeedItemSelected = 1u << 3,
  // The outlook bar has a current group with a selected catalog item.
  kNeedCatalogItemSelected = 1u << 4,
  kNeedClipboard = 1u << 5,      // something to paste
  kNeedOutbarVisible = 1u << 6,
  kNeedTreeVisible = 1u << 7,
  kNeedSearchRun = 1u << 8,      // a search ran before
  kNeedSomethingToSave = 1u << 9,  // the document, or the shown view while writable
  kNeedTextImportTarget = 1u << 10,  // the text view, or a tree leaf
  kNeedWebImportTarget = 1u << 11,   // the web view, or a tree leaf
  kNeedTextOrListView = 1u << 12,
  // No handler in this build: shown, always greyed.
  kNotBuilt = 1u << 31,
};

// Who handles a command, in the order the frame asks: its own commands, the
// content commands, the shown item view's map, the document's map.
enum class CommandOwner : uint8_t { Frame, Content, View, Document };

// What a command's check mark follows (view-owned commands say it themselves).
enum class CommandCheck : uint8_t {
  None,
  OutlookPane,
  Toolbar,
  StatusBar,
  TitleStrip,
  SearchResult,
  ReadOnly,
};

struct CommandRow {
  UINT first;
  UINT last;  // first for a single command
  uint32_t needs;
  CommandOwner owner;
  CommandCheck check = CommandCheck::None;
};

struct CommandUi {
  bool enabled = true;
  bool checked = false;
};

std::span<const CommandRow> CommandRows();
// The row of a command; null for ids no command has.
const CommandRow* FindCommand(UINT id);

// The rule alone, as if every command had its handler.
CommandUi EvaluateRule(UINT id, const CommandContext& context);
// The rule, with unknown commands and those without a handler greyed. A
// view-owned command comes out as its row allows; the shown view decides the
// rest (the frame asks it).
CommandUi EvaluateCommand(UINT id, const CommandContext& context);

}  // namespace vellora
