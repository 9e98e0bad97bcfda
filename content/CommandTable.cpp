#include "content/CommandTable.h"

#include <algorithm>
#include <array>

namespace vellora {

namespace {

using O = CommandOwner;
using C = CommandCheck;

constexpr uint32_t kWritableTree = kNeedWritable | kNeedTreeFolder;
constexpr uint32_t kWritableItem = kNeedWritable | kNeedItemSelected;
constexpr uint32_t kWritableCatalogItem = kNeedWritable | kNeedCatalogItemSelected;

constexpr CommandRow Row(UINT id, uint32_t needs, CommandOwner owner, CommandCheck check = C::None) {
  return CommandRow{id, id, needs, owner, check};
}
constexpr CommandRow Range(UINT first, UINT last, uint32_t needs, CommandOwner owner) {
  return CommandRow{first, last, needs, owner, C::None};
}

constexpr auto kRows = std::to_array<CommandRow>({
    // File menu: the document's map.
    Row(ID_FILE_NEW, kNeedNothing, O::Document),
    Row(ID_FILE_OPEN, kNeedNothing, O::Document),
    Row(ID_FILE_SAVE, kNeedSomethingToSave, O::Document),
    Row(ID_FILE_SAVE_COPY, kNeedNothing, O::Document),
    Row(ID_FILE_RESTORE, kNeedNothing, O::Document),
    Row(ID_FILE_REPACK, kNeedWritable, O::Document),
    Range(ID_FILE_MRU_FIRST, ID_FILE_MRU_LAST, kNeedNothing, O::Document),
    Row(ID_APP_EXIT, kNeedNothing, O::Document),
    Row(ID_FILE_EXPORT_FOLDERS, kNeedNothing, O::Content),
    Row(ID_FILE_IMPORT_FOLDERS, kNeedWritable, O::Content),
    // The frame picks the view that prints; available also under the lock.
    Row(ID_FILE_PRINT, kNeedNothing, O::Frame),
    Row(ID_FILE_PRINT_PREVIEW, kNeedNothing, O::Frame),
    Row(ID_FILE_PRINT_SETUP, kNeedNothing, O::Frame),
    Row(ID_PRINT_BRANCH, kNeedTreeFolder | kNeedItemSelected, O::Frame),
    Row(ID_PREVIEW_BRANCH, kNeedTreeFolder | kNeedItemSelected, O::Frame),
    Row(ID_PRINT_FOLDER, kNeedTreeFolder, O::Frame),
    Row(ID_PREVIEW_FOLDER, kNeedTreeFolder, O::Frame),

    // Edit menu: the text view's own operations and tools; the text view
    // decides further whether its text takes them.
    Row(ID_EDIT_UNDO, kNeedTextView, O::View),
    Row(ID_EDIT_REDO, kNeedTextView, O::View),
    Row(ID_EDIT_CUT, kNeedTextView, O::View),
    Row(ID_EDIT_COPY, kNeedTextView, O::View),
    Row(ID_EDIT_PASTE, kNeedTextView, O::View),
    Row(ID_EDIT_SELECT_ALL, kNeedTextView, O::View),
    // It renames the node or item from the note's selection: not under the
    // read-only lock, and only while a note is shown.
    Row(ID_EDIT_SET_TITLE, kNeedWritable | kNeedTextView, O::Content),
    Row(ID_TEXT_REORGANIZE_PARAGRAPHS, kNeedTextView, O::View),
    Row(ID_TEXT_DELETE_LINE_END_SPACES, kNeedTextView, O::View),
    Row(ID_TEXT_CLEANUP_PARAGRAPH_SPACES, kNeedTextView, O::View),
    Row(ID_TEXT_INSERT_SINGLE_LINE, kNeedTextView, O::View),
    Row(ID_TEXT_INSERT_DOUBLE_LINE, kNeedTextView, O::View),
    Row(ID_TEXT_INSERT_TIME, kNeedTextView, O::View),
    Row(ID_TEXT_DELETE_CURRENT_LINE, kNeedTextView, O::View),
    Row(ID_TEXT_DELETE_EMPTY_LINES, kNeedTextView, O::View),
    Row(ID_TEXT_DELETE_EXTRA_SPACES, kNeedTextView, O::View),
    Row(ID_TEXT_INSERT_EMPTY_LINES, kNeedTextView, O::View),
    Row(ID_FORMAT_BOLD, kNeedTextView, O::View),
    Row(ID_FORMAT_ITALIC, kNeedTextView, O::View),
    Row(ID_FORMAT_UNDERLINE, kNeedTextView, O::View),
    Row(ID_FORMAT_ALIGN_LEFT, kNeedTextView, O::View),
    Row(ID_FORMAT_ALIGN_CENTER, kNeedTextView, O::View),
    Row(ID_FORMAT_ALIGN_RIGHT, kNeedTextView, O::View),
    Row(ID_FORMAT_TEXT_COLOR, kNeedTextView, O::View),
    Row(ID_FORMAT_HIGHLIGHT_COLOR, kNeedTextView, O::View),
    Row(ID_TEXT_BACK_COLOR, kNeedTextView, O::View),
    Row(ID_TEXT_AUTO_LINE, kNeedTextView, O::View),
    Row(ID_TEXT_FONT, kNeedTextView, O::View),

    // View menu: the frame's bars and panes.
    Row(ID_VIEW_TOOLBAR, kNeedNothing, O::Frame, C::Toolbar),
    Row(ID_VIEW_STATUS_BAR, kNeedNothing, O::Frame, C::StatusBar),
    Row(ID_VIEW_TITLE_BAR, kNeedNothing, O::Frame, C::TitleStrip),
    // The text view's own strip: the view says whether it shows.
    Row(ID_VIEW_FORMAT_TOOLBAR, kNeedNothing, O::View),
    Row(ID_VIEW_SEARCH_RESULT, kNeedNothing, O::Frame, C::SearchResult),
    Row(ID_VIEW_SHOW_TREEVIEW, kNeedTreeFolder, O::Frame, C::OutlookPane),
    Row(ID_VIEW_SHOW_LISTVIEW, kNeedListFolder, O::Frame),
    Row(ID_FOLDER_FORE_COLOR, kNeedNothing, O::Looks),
    Row(ID_FOLDER_BACK_COLOR, kNeedNothing, O::Looks),
    Row(ID_FOLDER_BACK_IMAGE, kNeedNothing, O::Looks),
    Row(ID_FOLDER_RESTORE_DEFAULT, kNeedNothing, O::Looks),
    Row(ID_ITEM_CUSTOM_ICON, kWritableItem | kNeedListFolder, O::Content),
    Row(ID_TREE_FORE_COLOR, kNeedNothing, O::Looks),
    Row(ID_TREE_BACK_COLOR, kNeedTreeVisible, O::Looks),
    Row(ID_TREE_FONT, kNeedTreeVisible, O::Looks),
    Row(ID_TREE_BACK_IMAGE, kNeedTreeVisible, O::Looks),
    Row(ID_TREE_RESTORE_DEFAULT, kNeedNothing, O::Looks),
    Row(ID_TREE_EXPAND_ALL, kNeedTreeVisible, O::Frame),
    Row(ID_TREE_COLLAPSE_ALL, kNeedTreeVisible, O::Frame),
    Row(ID_TREE_EXPAND_BRANCH, kNeedTreeVisible, O::Frame),
    Row(ID_TREE_COLLAPSE_BRANCH, kNeedTreeVisible, O::Frame),
    Row(ID_LIST_TEXT_COLOR, kNeedNothing, O::Looks),
    Row(ID_LIST_BACK_COLOR, kNeedNothing, O::Looks),
    Row(ID_LIST_BACK_IMAGE, kNeedNothing, O::Looks),
    Row(ID_FILEVIEW_FORE_COLOR, kNeedNothing, O::Looks),
    Row(ID_FILEVIEW_BACK_COLOR, kNeedNothing, O::Looks),
    Row(ID_FILEVIEW_BACK_IMAGE, kNeedNothing, O::Looks),
    Row(ID_LAYOUT_STANDARD, kNeedNothing, O::Frame),
    Row(ID_LAYOUT_TEXT_READING, kNeedNothing, O::Frame),
    Row(ID_LAYOUT_TEXT_EDITOR, kNeedNothing, O::Frame),
    Row(ID_LAYOUT_WEB_BROWSER, kNeedNothing, O::Frame),

    // Content menu: folders, catalog items, tree nodes, the item clipboard.
    Row(ID_FOLDER_NEW, kNeedWritable, O::Content),
    Row(ID_FOLDER_DELETE, kNeedWritable, O::Content),
    Row(ID_FOLDER_RENAME, kNeedWritable, O::Content),
    Row(ID_FOLDER_MOVE_UP, kNeedWritable, O::Content),
    Row(ID_FOLDER_MOVE_DOWN, kNeedWritable, O::Content),
    Row(ID_CATALOG_NEW, kNeedWritable | kNeedListFolder, O::Content),
    Row(ID_CATALOG_DELETE, kWritableCatalogItem, O::Content),
    Row(ID_CATALOG_RENAME, kWritableCatalogItem, O::Content),
    Row(ID_CATALOG_MOVE_UP, kNeedWritable, O::Content),
    Row(ID_CATALOG_MOVE_DOWN, kNeedWritable, O::Content),
    Row(ID_NODE_ADD_ROOT, kWritableTree, O::Content),
    Row(ID_NODE_ADD_CHILD, kWritableTree, O::Content),
    Row(ID_NODE_ADD_SIBLING, kWritableTree, O::Content),
    Row(ID_NODE_RENAME, kWritableTree, O::Content),
    Row(ID_NODE_DELETE, kWritableTree, O::Content),
    Row(ID_NODE_PROPERTY, kNeedTreeFolder, O::Content),
    Row(ID_ITEM_COPY, kWritableItem, O::Content),
    Row(ID_ITEM_CUT, kWritableItem, O::Content),
    Row(ID_ITEM_PASTE, kNeedWritable | kNeedOutbarVisible | kNeedClipboard, O::Content),
    // The frame keeps the bookmarks: it knows where the user is and goes there.
    Row(ID_BOOKMARK_ADD, kNeedWritable, O::Frame),
    Row(ID_BOOKMARK_MANAGER, kNeedWritable, O::Frame),
    Range(ID_QUICK_ACCESS_FIRST, ID_QUICK_ACCESS_LAST, kNeedNothing, O::Frame),
    Row(ID_ITEM_ACCESS_PASSWORD, kNeedWritable, O::Passwords),
    Row(ID_IMPORT_TEXT, kNeedWritable | kNeedTextImportTarget, O::Content),
    Row(ID_EXPORT_BRANCH_READABLE, kNeedTreeFolder | kNeedItemSelected, O::Content),
    Row(ID_EXPORT_FOLDER_READABLE, kNeedNothing, O::Content),
    Row(ID_EXPORT_LIBRARY_READABLE, kNeedNothing, O::Content),
    Row(ID_IMPORT_HTML, kNeedWritable | kNeedWebImportTarget, O::Content),
    Row(ID_EXPORT_TEXT, kNeedTextOrListView, O::Content),

    // Search menu.
    Row(ID_SEARCH_CURRENT_ITEM, kNeedNothing, O::Search),
    Row(ID_SEARCH_CURRENT_BRANCH, kNeedNothing, O::Search),
    Row(ID_SEARCH_TITLES, kNeedNothing, O::Search),
    Row(ID_SEARCH_CURRENT_FOLDER, kNeedNothing, O::Search),
    Row(ID_SEARCH_REPEAT, kNeedSearchRun, O::Search),

    // Tools menu, tray menu, focus key.
    Row(ID_TOOLS_LOCK_READONLY, kNeedNothing, O::Frame, C::ReadOnly),
    Row(ID_TOOLS_LOCK_TRAY, kNeedNothing, O::Frame),
    Row(ID_TOOLS_LIBRARY_PASSWORD, kNeedWritable, O::Passwords),
    Row(ID_TOOLS_CHECK_LIBRARY, kNeedNothing, O::Document),
    Row(ID_TOOLS_BACKUPS, kNeedNothing, O::Frame),
    Row(ID_TRAY_ACTIVATE, kNeedNothing, O::Frame),
    Row(ID_NEXT_PANE, kNeedNothing, O::Frame),

    // Help menu.
    Row(ID_HELP_CONTENTS, kNeedNothing, O::Frame),
    Row(ID_HELP_SUPPORT, kNeedNothing, O::Frame),
    Row(ID_HELP_FEEDBACK, kNeedNothing, O::Frame),
    Row(ID_HELP_WEBSITE, kNeedNothing, O::Frame),
    Row(ID_APP_ABOUT, kNeedNothing, O::Frame),

    // The item views' own menus.
    Row(ID_LIST_ADD_ROW, kNeedNothing, O::View),
    Row(ID_LIST_MODIFY_ROW, kNeedNothing, O::View),
    Row(ID_LIST_DELETE_ROW, kNeedNothing, O::View),
    Row(ID_LIST_INSERT_COLUMN, kNeedNothing, O::View),
    Row(ID_LIST_DELETE_COLUMN, kNeedNothing, O::View),
    Row(ID_LIST_RENAME_COLUMN, kNeedNothing, O::View),
    Row(ID_LIST_SAVE_WIDTHS, kNeedNothing, O::View),
    Row(ID_LIST_MOVE_UP, kNeedNothing, O::View),
    Row(ID_LIST_MOVE_DOWN, kNeedNothing, O::View),
    Row(ID_FILES_ADD_LINK, kNeedNothing, O::View),
    Row(ID_FILES_ADD_EMBED, kNeedNothing, O::View),
    Row(ID_FILES_OPEN, kNeedNothing, O::View),
    Row(ID_FILES_DELETE, kNeedNothing, O::View),
    Row(ID_FILES_RENAME, kNeedNothing, O::View),
    Row(ID_FILES_EXPORT, kNeedNothing, O::View),
    Row(ID_TABPAGE_ADD, kNeedWritable, O::View),
    Row(ID_TABPAGE_DELETE, kNeedWritable, O::View),
    Row(ID_TABPAGE_RENAME, kNeedWritable, O::View),
    Row(ID_TABPAGE_MOVE_FORWARD, kNeedWritable, O::View),
    Row(ID_TABPAGE_MOVE_BACK, kNeedWritable, O::View),
    Row(ID_WEB_FORWARD, kNeedWebView, O::View),
    Row(ID_WEB_BACK, kNeedWebView, O::View),
    Row(ID_WEB_STOP, kNeedWebView, O::View),
    Row(ID_WEB_BROWSE, kNeedWebView, O::View),
    Row(ID_WEB_SOURCE, kNeedWebView, O::View),
    Row(ID_WEB_EDIT, kNeedWebView, O::View),
    Row(ID_WEB_PRINT, kNeedWebView, O::View),
    Row(ID_WEB_REFRESH, kNeedWebView, O::View),
});

bool Met(uint32_t need, const CommandContext& c) {
  const bool writable = !c.readOnly;
  const bool tree = c.folderKind == 1;
  const bool list = c.folderKind == 2;
  switch (need) {
    case kNeedWritable: return writable;
    case kNeedTreeFolder: return tree;
    case kNeedListFolder: return list;
    case kNeedItemSelected:
      return tree ? c.treeHasSelection : (list && c.outbarHasGroup && c.outbarHasSelectedItem);
    case kNeedCatalogItemSelected: return c.outbarHasGroup && c.outbarHasSelectedItem;
    case kNeedClipboard: return c.clipboardState != kClipboardEmpty;
    case kNeedOutbarVisible: return c.outbarVisible;
    case kNeedTreeVisible: return c.treeVisible;
    case kNeedSearchRun: return c.lastSearchKind != 0;
    case kNeedSomethingToSave: return c.documentModified || (c.viewModified && writable);
    case kNeedTextImportTarget: return c.viewKind == kItemText || (tree && !c.nodeListVisible);
    case kNeedWebImportTarget: return Met(kNeedWebView, c) || (tree && !c.nodeListVisible);
    case kNeedWebView:
      return c.viewKind == kItemWebLink || (c.viewKind == kItemTabPages && c.pageViewKind == kItemWebLink);
    case kNeedTextOrListView: return c.viewKind == kItemText || c.viewKind == kItemDataList;
    case kNeedTextView: return c.viewKind == kItemText || (c.viewKind == kItemTabPages && c.pageViewKind == kItemText);
    case kNeedListView: return c.viewKind == kItemDataList;
    case kNeedFileView: return c.viewKind == kItemFileFolder;
    default: return true;
  }
}

bool AllMet(uint32_t needs, const CommandContext& c) {
  for (uint32_t bit = 1; bit && bit != kNotBuilt; bit <<= 1)
    if ((needs & bit) && !Met(bit, c)) return false;
  return true;
}

// The popups enabled as a whole when the folder or the view changes. Their
// entries are evaluated from their own rows when the popup opens.
constexpr PopupRow kPopups[] = {
    {MENU_POS_VIEW, VIEW_POS_TREE_VIEW, kNeedTreeFolder},
    {MENU_POS_VIEW, VIEW_POS_FOLDER, kNeedListFolder},
    {MENU_POS_CONTENT, CONTENT_POS_CATALOG, kNeedListFolder},
    {MENU_POS_VIEW, VIEW_POS_TEXT_VIEW, kNeedTextView},
    {MENU_POS_VIEW, VIEW_POS_LIST_VIEW, kNeedListView},
    {MENU_POS_VIEW, VIEW_POS_FILE_VIEW, kNeedFileView},
    // Until it opens, the Edit menu follows the note and the lock as a whole.
    {MENU_POS_EDIT, kWholeMenu, kNeedTextView | kNeedWritable},
};

bool Checked(CommandCheck check, const CommandContext& c) {
  switch (check) {
    case C::OutlookPane: return c.outlookPaneShown;
    case C::Toolbar: return c.toolbarShown;
    case C::StatusBar: return c.statusBarShown;
    case C::TitleStrip: return c.titleStripShown;
    case C::SearchResult: return c.searchResultVisible;
    case C::ReadOnly: return c.readOnly;
    case C::None: break;
  }
  return false;
}

}  // namespace

std::span<const CommandRow> CommandRows() { return kRows; }

const CommandRow* FindCommand(UINT id) {
  for (const CommandRow& row : kRows)
    if (id >= row.first && id <= row.last) return &row;
  return nullptr;
}

CommandUi EvaluateRule(UINT id, const CommandContext& context) {
  CommandUi ui;
  const CommandRow* row = FindCommand(id);
  if (!row) return ui;
  ui.enabled = AllMet(row->needs, context);
  ui.checked = Checked(row->check, context);
  return ui;
}

CommandUi EvaluateCommand(UINT id, const CommandContext& context) {
  const CommandRow* row = FindCommand(id);
  if (!row || (row->needs & kNotBuilt)) return CommandUi{false, row ? Checked(row->check, context) : false};
  return EvaluateRule(id, context);
}

std::span<const PopupRow> PopupRows() { return kPopups; }

bool EvaluatePopup(const PopupRow& row, const CommandContext& context) { return AllMet(row.needs, context); }

}  // namespace vellora
