/*
 * Every command id of Vellora: the menu bar, the context menus, the
 * accelerator table and the toolbars send them; the same id means the same
 * command everywhere. Plain #define lines only, so that the resource compiler
 * reads this file as well as the C++ compiler; keep it free of anything else.
 * Code and tests name these ids, never their numbers.
 */
#ifndef VELLORA_COMMAND_IDS_H
#define VELLORA_COMMAND_IDS_H

/* File */
#define ID_FILE_NEW                 57600
#define ID_FILE_OPEN                57601
#define ID_FILE_SAVE                57603
#define ID_FILE_SAVE_COPY           57604
#define ID_FILE_PRINT_SETUP         57606
#define ID_FILE_EXPORT_FOLDERS      32956
#define ID_FILE_IMPORT_FOLDERS      32957
#define ID_FILE_RESTORE             32937
#define ID_FILE_REPACK              32831
#define ID_FILE_PRINT               32962
#define ID_FILE_PRINT_PREVIEW       32963
#define ID_FILE_MRU_FIRST           57616 /* also the placeholder shown while the list is empty */
#define ID_FILE_MRU_LAST            57631
#define ID_APP_EXIT                 57665

/* Ids that an older key table sent for Ctrl+Shift+C/X/V and Ctrl+P. No handler
 * takes them; the accelerators bind those keys to the item and print commands. */
#define ID_ITEM_COPY_OLD            32789
#define ID_ITEM_CUT_OLD             32790
#define ID_ITEM_PASTE_OLD           32791
#define ID_FILE_PRINT_OLD           57607

/* Edit: the text view's own operations */
#define ID_EDIT_COPY                57634
#define ID_EDIT_CUT                 57635
#define ID_EDIT_PASTE               57637
#define ID_EDIT_SELECT_ALL          57642
#define ID_EDIT_UNDO                57643
#define ID_EDIT_REDO                57644
#define ID_EDIT_SET_TITLE           32840

/* Edit: text tools */
#define ID_TEXT_REORGANIZE_PARAGRAPHS   32841
#define ID_TEXT_DELETE_EMPTY_LINES      32842
#define ID_TEXT_INSERT_TIME             32843
#define ID_TEXT_DELETE_CURRENT_LINE     32844
#define ID_TEXT_INSERT_EMPTY_LINES      32845
#define ID_TEXT_DELETE_LINE_END_SPACES  32847
#define ID_TEXT_CLEANUP_PARAGRAPH_SPACES 32848
#define ID_TEXT_INSERT_SINGLE_LINE      32849
#define ID_TEXT_INSERT_DOUBLE_LINE      32850
#define ID_TEXT_DELETE_EXTRA_SPACES     32969

/* Text formatting (format toolbar, "_TextViewPop", View > Text View) */
#define ID_FORMAT_BOLD              32802
#define ID_FORMAT_ITALIC            32803
#define ID_FORMAT_UNDERLINE         32804
#define ID_FORMAT_ALIGN_LEFT        32805
#define ID_FORMAT_ALIGN_CENTER      32806
#define ID_FORMAT_ALIGN_RIGHT       32807
#define ID_TEXT_BACK_COLOR          32808
#define ID_TEXT_AUTO_LINE           32809
#define ID_FORMAT_TEXT_COLOR        32821
#define ID_FORMAT_HIGHLIGHT_COLOR   32824
#define ID_TEXT_FONT                57696

/* View: bars and panes */
#define ID_VIEW_TOOLBAR             59392
#define ID_VIEW_STATUS_BAR          59393
#define ID_VIEW_TITLE_BAR           32887
#define ID_VIEW_FORMAT_TOOLBAR      32888
#define ID_VIEW_SEARCH_RESULT       32964
#define ID_VIEW_SHOW_TREEVIEW       32886
#define ID_VIEW_SHOW_LISTVIEW       32898

/* View > Folder (outlook bar appearance) */
#define ID_FOLDER_FORE_COLOR        32944
#define ID_FOLDER_BACK_COLOR        32940
#define ID_FOLDER_BACK_IMAGE        32941
#define ID_FOLDER_RESTORE_DEFAULT   32942
#define ID_ITEM_CUSTOM_ICON         32860

/* View > Tree View */
#define ID_TREE_FORE_COLOR          32899
#define ID_TREE_BACK_COLOR          32863
#define ID_TREE_FONT                32864
#define ID_TREE_BACK_IMAGE          32865
#define ID_TREE_RESTORE_DEFAULT     32943
#define ID_TREE_EXPAND_ALL          32881
#define ID_TREE_COLLAPSE_ALL        32882
#define ID_TREE_EXPAND_BRANCH       32883
#define ID_TREE_COLLAPSE_BRANCH     32884

/* View > List View, View > File View */
#define ID_LIST_TEXT_COLOR          32897
#define ID_LIST_BACK_COLOR          32900
#define ID_LIST_BACK_IMAGE          32901
#define ID_FILEVIEW_FORE_COLOR      32959
#define ID_FILEVIEW_BACK_COLOR      32960
#define ID_FILEVIEW_BACK_IMAGE      32961

/* View > Predefined Interface */
#define ID_LAYOUT_STANDARD          32891
#define ID_LAYOUT_TEXT_EDITOR       32892
#define ID_LAYOUT_WEB_BROWSER       32893
#define ID_LAYOUT_TEXT_READING      32894

/* Content: folders */
#define ID_FOLDER_NEW               32811
#define ID_FOLDER_DELETE            32815
#define ID_FOLDER_RENAME            32902
#define ID_FOLDER_MOVE_UP           32904
#define ID_FOLDER_MOVE_DOWN         32905

/* Content: catalog items */
#define ID_CATALOG_NEW              32923
#define ID_CATALOG_DELETE           32910
#define ID_CATALOG_RENAME           32911
#define ID_CATALOG_MOVE_UP          32907
#define ID_CATALOG_MOVE_DOWN        32908

/* Content: tree nodes */
#define ID_NODE_ADD_SIBLING         32774
#define ID_NODE_RENAME              32775
#define ID_NODE_ADD_CHILD           32786
#define ID_NODE_DELETE              32787
#define ID_NODE_ADD_ROOT            32788
#define ID_NODE_PROPERTY            32833

/* Content: item clipboard, bookmarks, password, import and export */
#define ID_ITEM_COPY                32934
#define ID_ITEM_CUT                 32935
#define ID_ITEM_PASTE               32936
#define ID_BOOKMARK_ADD             32793
#define ID_BOOKMARK_MANAGER         32794
#define ID_QUICK_ACCESS_FIRST       42000
#define ID_QUICK_ACCESS_LAST        42128 /* entries past this id are listed but not routed */
/* The resource compiler cannot store an empty popup, so each "Quick Access"
 * submenu holds this greyed entry; filling the submenu with the bookmarks
 * removes every entry first, this one included. Outside the routed range. */
#define ID_QUICK_ACCESS_PLACEHOLDER 42200
#define ID_ITEM_ACCESS_PASSWORD     32966
#define ID_IMPORT_TEXT              32859
#define ID_IMPORT_HTML              32836
#define ID_EXPORT_TEXT              32967
/* The selected branch, the current folder or the whole library as one HTML
 * file or a folder of Markdown or text files. */
#define ID_EXPORT_BRANCH_READABLE   32996
#define ID_EXPORT_FOLDER_READABLE   32997
#define ID_EXPORT_LIBRARY_READABLE  32998
/* The notes of the selected branch or of the current tree folder printed,
 * each from a new page, or shown in the print preview. */
#define ID_PRINT_BRANCH             32999
#define ID_PREVIEW_BRANCH           33000
#define ID_PRINT_FOLDER             33001
#define ID_PREVIEW_FOLDER           33002

/* Search */
#define ID_SEARCH_CURRENT_ITEM      32773
#define ID_SEARCH_CURRENT_BRANCH    32838
#define ID_SEARCH_REPEAT            32885
#define ID_SEARCH_TITLES            32927
#define ID_SEARCH_CURRENT_FOLDER    32928

/* Tools */
#define ID_TOOLS_LOCK_READONLY      32854
#define ID_TOOLS_LOCK_TRAY          32866
#define ID_TOOLS_LIBRARY_PASSWORD   32931
#define ID_TOOLS_CHECK_LIBRARY      32995 /* the structural check of a library file */
#define ID_TOOLS_BACKUPS            32992 /* the settings of the automatic backups */

/* Help */
#define ID_HELP_CONTENTS            57670
#define ID_HELP_SUPPORT             32980
#define ID_HELP_FEEDBACK            32981
#define ID_HELP_WEBSITE             32982
#define ID_APP_ABOUT                57664

/* Tray menu, focus key */
#define ID_TRAY_ACTIVATE            32932
#define ID_NEXT_PANE                32949 /* Ctrl+Tab: between the tree and the item view */

/* Tab pages ("_TabPagePop") */
#define ID_TABPAGE_ADD              32950
#define ID_TABPAGE_DELETE           32951
#define ID_TABPAGE_RENAME           32952
#define ID_TABPAGE_MOVE_FORWARD     32953
#define ID_TABPAGE_MOVE_BACK        32954

/* Data list ("_ListPop") */
#define ID_LIST_ADD_ROW             32796
#define ID_LIST_SAVE_WIDTHS         32797
#define ID_LIST_DELETE_ROW          32818
#define ID_LIST_MODIFY_ROW          32819
#define ID_LIST_INSERT_COLUMN       32912
#define ID_LIST_DELETE_COLUMN       32913
#define ID_LIST_RENAME_COLUMN       32914
#define ID_LIST_MOVE_UP             32915
#define ID_LIST_MOVE_DOWN           32916

/* File folder ("_FolderViewPop") */
#define ID_FILES_ADD_LINK           32920
#define ID_FILES_DELETE             32921
#define ID_FILES_RENAME             32922
#define ID_FILES_OPEN               32924
#define ID_FILES_ADD_EMBED          32925
#define ID_FILES_EXPORT             32938

/* Web view toolbar */
#define ID_WEB_FORWARD              32970
#define ID_WEB_BACK                 32971
#define ID_WEB_STOP                 32972
#define ID_WEB_BROWSE               32974
#define ID_WEB_SOURCE               32975
#define ID_WEB_EDIT                 32976
#define ID_WEB_PRINT                32977
#define ID_WEB_REFRESH              32978

/* Outlook bar's own menu ("_pop1"); the ids are free of every other command. */
#define ID_OUTBAR_BIG_ICON          32990
#define ID_OUTBAR_SHOW_TEXT         32991

#endif /* VELLORA_COMMAND_IDS_H */
