#pragma once
// The main toolbar's buttons, the menu images and the image indexes of the
// outlook bar; the views' toolbars and strips are in views/ToolbarLayout.h.
// The pictures are the bitmaps of ResourceIds.h, made from app/resources/art,
// in the order of the tables here, one image per entry that is not a separator.
#include <windows.h>

#include <cstddef>
#include <iterator>

#include "app/resources/ResourceIds.h"
#include "views/ToolbarLayout.h"

namespace vellora::resources {

inline constexpr UINT kMainToolbarButtons[] = {
    ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, kSeparator,
    ID_ITEM_COPY, ID_ITEM_CUT, ID_ITEM_PASTE, kSeparator,
    ID_FOLDER_NEW, ID_CATALOG_NEW, ID_NODE_ADD_ROOT, kSeparator,
    ID_BOOKMARK_ADD, ID_NODE_PROPERTY, ID_ITEM_ACCESS_PASSWORD, kSeparator,
    ID_SEARCH_CURRENT_ITEM, ID_SEARCH_TITLES, ID_SEARCH_CURRENT_FOLDER, ID_VIEW_SEARCH_RESULT, kSeparator,
    ID_APP_ABOUT, ID_APP_EXIT,
};

inline constexpr ToolbarLayout kMainToolbar{IDB_MAIN_TOOLBAR, IDB_MAIN_TOOLBAR_HOT, 24, kMainToolbarButtons,
                                            std::size(kMainToolbarButtons)};
// Images of the menu entries (16x16, IDB_MENU_IMAGES): entry i is image i.
inline constexpr int kMenuImageSize = 16;
inline constexpr UINT kMenuImageCommands[] = {
    ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, ID_FILE_SAVE_COPY, ID_FILE_EXPORT_FOLDERS,
    ID_FILE_IMPORT_FOLDERS, ID_FILE_RESTORE, ID_FILE_REPACK, ID_FILE_PRINT, ID_FILE_PRINT_PREVIEW,
    ID_FILE_PRINT_SETUP, ID_APP_EXIT,
    ID_EDIT_UNDO, ID_EDIT_REDO, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, ID_EDIT_SELECT_ALL,
    ID_EDIT_SET_TITLE, ID_TEXT_REORGANIZE_PARAGRAPHS, ID_TEXT_INSERT_TIME, ID_TEXT_DELETE_CURRENT_LINE,
    ID_FORMAT_BOLD, ID_FORMAT_ITALIC, ID_FORMAT_UNDERLINE, ID_FORMAT_TEXT_COLOR, ID_FORMAT_HIGHLIGHT_COLOR,
    ID_TEXT_BACK_COLOR, ID_TEXT_FONT, ID_TEXT_AUTO_LINE,
    ID_VIEW_SEARCH_RESULT, ID_FOLDER_FORE_COLOR, ID_FOLDER_BACK_COLOR, ID_FOLDER_BACK_IMAGE,
    ID_ITEM_CUSTOM_ICON, ID_TREE_FORE_COLOR, ID_TREE_BACK_COLOR, ID_TREE_FONT, ID_TREE_BACK_IMAGE,
    ID_TREE_EXPAND_ALL, ID_TREE_COLLAPSE_ALL, ID_LIST_TEXT_COLOR, ID_LIST_BACK_COLOR, ID_LIST_BACK_IMAGE,
    ID_FILEVIEW_FORE_COLOR, ID_FILEVIEW_BACK_COLOR, ID_FILEVIEW_BACK_IMAGE,
    ID_FOLDER_NEW, ID_FOLDER_DELETE, ID_FOLDER_RENAME, ID_FOLDER_MOVE_UP, ID_FOLDER_MOVE_DOWN,
    ID_CATALOG_NEW, ID_CATALOG_DELETE, ID_CATALOG_RENAME, ID_CATALOG_MOVE_UP, ID_CATALOG_MOVE_DOWN,
    ID_NODE_ADD_ROOT, ID_NODE_ADD_CHILD, ID_NODE_ADD_SIBLING, ID_NODE_RENAME, ID_NODE_DELETE,
    ID_NODE_PROPERTY, ID_ITEM_COPY, ID_ITEM_CUT, ID_ITEM_PASTE, ID_BOOKMARK_ADD, ID_BOOKMARK_MANAGER,
    ID_ITEM_ACCESS_PASSWORD, ID_IMPORT_TEXT, ID_IMPORT_HTML, ID_EXPORT_TEXT,
    ID_SEARCH_CURRENT_ITEM, ID_SEARCH_CURRENT_BRANCH, ID_SEARCH_TITLES, ID_SEARCH_CURRENT_FOLDER,
    ID_SEARCH_REPEAT,
    ID_TOOLS_LOCK_READONLY, ID_TOOLS_LOCK_TRAY, ID_TOOLS_LIBRARY_PASSWORD,
    ID_HELP_CONTENTS, ID_HELP_SUPPORT, ID_HELP_FEEDBACK, ID_HELP_WEBSITE, ID_APP_ABOUT,
    ID_TRAY_ACTIVATE,
    ID_TABPAGE_ADD, ID_TABPAGE_DELETE, ID_TABPAGE_RENAME, ID_TABPAGE_MOVE_FORWARD, ID_TABPAGE_MOVE_BACK,
    ID_LIST_ADD_ROW, ID_LIST_DELETE_ROW, ID_LIST_MOVE_UP, ID_LIST_MOVE_DOWN,
    ID_FILES_ADD_LINK, ID_FILES_ADD_EMBED, ID_FILES_OPEN, ID_FILES_DELETE, ID_FILES_EXPORT,
};
inline constexpr int kMenuImageCount = static_cast<int>(std::size(kMenuImageCommands));

// Image of a menu command, -1 when it has none.
constexpr int MenuImageIndex(UINT command) {
  for (int i = 0; i < kMenuImageCount; ++i) {
    if (kMenuImageCommands[i] == command) return i;
  }
  return -1;
}

// Outlook bar items: IDB_OUTBAR_LARGE (32x32) and IDB_OUTBAR_SMALL (16x16).
// A catalog item without a custom icon shows kOutbarImageItem.
inline constexpr int kOutbarLargeSize = 32;
inline constexpr int kOutbarSmallSize = 16;
inline constexpr int kOutbarImageFolder = 0;
inline constexpr int kOutbarImageItem = 1;
inline constexpr int kOutbarImageText = 2;
inline constexpr int kOutbarImageDataList = 3;
inline constexpr int kOutbarImageWebLink = 4;
inline constexpr int kOutbarImageWebArchive = 5;
inline constexpr int kOutbarImageFileFolder = 6;
inline constexpr int kOutbarImageTabPages = 7;
inline constexpr int kOutbarImageOleControl = 8;
inline constexpr int kOutbarImageCount = 9;

// Picture of an information item kind (1 Text ... 9 OLE Controls); the plain
// item picture for kinds without one of their own.
constexpr int OutbarImageForKind(int kind) {
  switch (kind) {
    case 1: return kOutbarImageText;
    case 2: return kOutbarImageDataList;
    case 3: return kOutbarImageWebLink;
    case 4: return kOutbarImageWebArchive;
    case 5: return kOutbarImageFileFolder;
    case 6: return kOutbarImageTabPages;
    case 9: return kOutbarImageOleControl;
    default: return kOutbarImageItem;
  }
}

}  // namespace vellora::resources
