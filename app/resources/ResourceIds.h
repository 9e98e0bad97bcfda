/*
 * Identifiers of every resource of Vellora.exe: command ids, menus, dialogs and
 * their controls, bitmaps, icons, strings and the child-window ids of the main
 * window. Plain #define lines only, so that windres reads this file as well as
 * the C++ compiler; keep it free of anything else.
 *
 * Command ids are shared by the menu bar, the context menus, the accelerator
 * table and the toolbars; the same id means the same command everywhere.
 */
#ifndef VELLORA_RESOURCE_IDS_H
#define VELLORA_RESOURCE_IDS_H

/* ---------------------------------------------------------------- resources */

/* Menu bar, accelerators, main toolbar bitmap and program icon share 128. */
#define IDR_MAINFRAME               128
#define IDI_VELLORA                 128
#define IDB_MAIN_TOOLBAR            128
#define IDB_MAIN_TOOLBAR_HOT        210
#define IDB_NODE_LIST               202   /* node list rows: 32x32, folder node then leaf */
#define IDB_OUTBAR_SMALL            207   /* outlook bar items, 16x16 */
#define IDB_OUTBAR_LARGE            208   /* outlook bar items, 32x32 */
#define IDB_TREE                    219   /* favourite tree, 20x20 */
#define IDB_FORMAT_TOOLBAR          221   /* format toolbar, 16x16 */
#define IDB_MENU_IMAGES             229   /* menu images, 16x16 */
#define IDB_VIEW_BACKGROUND         239   /* default background of the outlook bar and the tree */
#define IDB_WEB_TOOLBAR             270   /* web view toolbar, 24x24 */
#define IDB_SORT_ARROWS             280   /* data list header: 0 ascending, 1 descending */

#define IDI_CLOCK                   260
#define IDI_TRAY                    255
#define IDC_PAN_HAND                267   /* print preview panning cursor */

/* Context menus. Each holds one popup, except 215 which holds three. */
#define IDR_OUTBAR_POPUP            214   /* "_pop1" */
#define IDR_VIEW_POPUPS             215   /* "_ListPop", "_TextViewPop", "_FolderViewPop" */
#define IDR_TREE_POPUP              220   /* "_TreePop1" */
#define IDR_FOLDER_POPUP            247   /* "_FolderPop" */
#define IDR_OUTBAR_ITEM_POPUP       249   /* "_OutlookItemPop" */
#define IDR_TRAY_POPUP              255   /* "-TrayPop" */
#define IDR_TABPAGE_POPUP           262   /* "_TabPagePop" */

/* Toolbar layouts (command lists in ToolbarLayout.h, bitmaps above). */
#define IDR_MAIN_TOOLBAR            128
#define IDR_FORMAT_TOOLBAR          221
#define IDR_MENU_IMAGES             229
#define IDR_WEB_TOOLBAR             270

/* Dialogs. */
#define IDD_ABOUTBOX                100
#define IDD_WELCOME                 257

/* About box controls. */
#define IDC_ABOUT_ICON              1001
#define IDC_ABOUT_NAME              1002
#define IDC_ABOUT_VERSION           1003
#define IDC_ABOUT_COPYRIGHT         1004

/* Welcome dialog controls; the dialog answers with the code of the choice. */
#define IDC_WELCOME_TEXT            1051
#define IDC_WELCOME_OPEN_SPECIFIC   1052
#define IDC_WELCOME_EXIT            1053
#define IDC_WELCOME_OPEN_NEXT       1054
#define IDC_WELCOME_CREATE_NEW      1055

/* Positions of the popups of menu 215. */
#define VIEWPOP_POS_LIST            0
#define VIEWPOP_POS_TEXT            1
#define VIEWPOP_POS_FILES           2

/* ---------------------------------------------------------------- strings */

#define IDS_EMPTY_TITLE             130   /* "Sorry but folder name can not be empty!" */
#define IDS_FAIL                    131   /* "Fail" */
#define IDS_READY                   57345 /* idle text of the status bar */

/* ---------------------------------------------------------------- windows */

#define IDC_OUTBAR                  101
#define IDC_FAVORITE_TREE           102
#define IDC_FONT_NAME_COMBO         103
#define IDC_FONT_SIZE_COMBO         104
#define IDC_DATA_LIST               105
#define IDC_FILE_VIEW               107
#define IDC_WEB_VIEW                108
#define IDC_CONTROL_VIEW            113
#define IDW_STATUS_BAR              59393
#define IDW_TOOLBAR_BAND            60161 /* the main toolbar's band of the rebar */

/* ---------------------------------------------------------------- menu bar */

/* Top-level popups of menu 128, found by position. */
#define MENU_POS_FILE               0
#define MENU_POS_EDIT               1
#define MENU_POS_VIEW               2
#define MENU_POS_CONTENT            3
#define MENU_POS_SEARCH             4
#define MENU_POS_TOOLS              5
#define MENU_POS_HELP               6
#define MENU_TOP_COUNT              7

/* Popups inside View. */
#define VIEW_POS_FOLDER             9
#define VIEW_POS_TREE_VIEW          10
#define VIEW_POS_TEXT_VIEW          11
#define VIEW_POS_LIST_VIEW          12
#define VIEW_POS_FILE_VIEW          13
#define VIEW_POS_PREDEFINED         15

/* Popups inside Content. The tree's context menu is Content less its first
 * CONTENT_TREE_MENU_SKIP entries ("Folder", "Catalog" and a separator). */
#define CONTENT_POS_FOLDER          0
#define CONTENT_POS_CATALOG         1
#define CONTENT_TREE_MENU_SKIP      3
#define CONTENT_POS_QUICK_ACCESS    14
#define CONTENT_POS_IMPORT          19
#define CONTENT_POS_EXPORT          20

/* "Quick &Access" inside "_TreePop1" and "Quick Access" inside "_OutlookItemPop". */
#define TREEPOP_POS_QUICK_ACCESS    3
#define OUTITEMPOP_POS_QUICK_ACCESS 12

/* ---------------------------------------------------------------- commands */

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

#endif /* VELLORA_RESOURCE_IDS_H */
