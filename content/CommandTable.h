#pragma once
// Every command of the main window as one table of data: its id (or id
// range), what it needs to be enabled, who handles it and what its check mark
// follows. The menus, the toolbars and the accelerators are enabled from this
// table on every idle pass and before a menu opens. Beside it, the popups of
// the menu bar that are enabled as a whole, with what they need.
#include <windows.h>

#include <cstdint>
#include <span>

#include "content/CommandIds.h"
#include "content/MenuPositions.h"
#include "store/LibraryFormat.h"

namespace vellora {

// What the item area shows when no item view is in it: its own panes. An
// item view is named by the kind of item it shows (ItemKind), which these
// values do not take; CommandContext::viewKind holds either.
enum ViewKind : int {
  kViewNone = 0,
  kViewPlaceholder = 7,
  kViewNodeList = 8,
};

// The item clipboard state that holds nothing to paste.
constexpr int kClipboardEmpty = 3;

// What the frame knows when it decides which commands are available.
struct CommandContext {
  bool readOnly = false;
  int folderKind = 0;  // 1 tree folder, 2 list folder
  int viewKind = kViewNone;
  // What a tab pages item shows on its selected page: its page views take
  // the commands of their kind through it.
  int pageViewKind = kViewNone;
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
  kNeedTextView = 1u << 13,  // shown as the item, or as the page of a tab pages item
  kNeedListView = 1u << 14,  // the data list view is the item shown
  kNeedFileView = 1u << 15,  // the file view is the item shown
  kNeedWebView = 1u << 16,   // shown as the item, or as the page of a tab pages item
  // No handler in this build: shown, always greyed.
  kNotBuilt = 1u << 31,
};

// Who handles a command: the one handler the router hands it to.
enum class CommandOwner : uint8_t {
  None,       // no handler in this build
  Frame,      // the frame's own bars, panes, tree walks, layouts, locks, help, bookmarks
  Content,    // folders, catalog items, tree nodes, the item clipboard, Set as Title
  Search,     // the search commands
  Passwords,  // access and library passwords
  Looks,      // the library's colours, pictures and tree font
  View,       // the shown item view's own map
  Document,   // the library file as a whole, the recent libraries
};
constexpr size_t kCommandOwnerCount = static_cast<size_t>(CommandOwner::Document) + 1;

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

// A popup of the menu bar that is enabled as a whole: its place and its needs.
struct PopupRow {
  int menu;      // MENU_POS_... of the top-level menu
  int position;  // the popup's position inside it; kWholeMenu: every entry of the menu
  uint32_t needs;
};
constexpr int kWholeMenu = -1;

std::span<const PopupRow> PopupRows();
// Whether the popup is enabled in this context.
bool EvaluatePopup(const PopupRow& row, const CommandContext& context);

}  // namespace vellora
