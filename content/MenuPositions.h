/*
 * Where the popups of the menu bar (menu 128) and of the context menus sit:
 * the enabling table names them by these positions. Plain #define lines only,
 * so that the resource compiler reads this file as well as the C++ compiler.
 */
#ifndef VELLORA_MENU_POSITIONS_H
#define VELLORA_MENU_POSITIONS_H

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
#define CONTENT_POS_PRINT           21

/* "Quick &Access" inside "_TreePop1" and "Quick Access" inside "_OutlookItemPop". */
#define TREEPOP_POS_QUICK_ACCESS    3
#define OUTITEMPOP_POS_QUICK_ACCESS 12

#endif /* VELLORA_MENU_POSITIONS_H */
