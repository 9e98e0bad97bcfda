/*
 * Identifiers of the resources the item views use: their context menus, the
 * sort arrows of the data list header and the child-window ids of the views.
 * Plain #define lines only, so that windres reads this file as well as the
 * C++ compiler; app/resources/ResourceIds.h includes it for the script.
 */
#ifndef VELLORA_VIEW_RESOURCE_IDS_H
#define VELLORA_VIEW_RESOURCE_IDS_H

#define IDR_VIEW_POPUPS             215   /* "_ListPop", "_TextViewPop", "_FolderViewPop" */
#define IDR_TABPAGE_POPUP           262   /* "_TabPagePop" */
#define IDB_SORT_ARROWS             280   /* data list header: 0 ascending, 1 descending */

/* Positions of the popups of menu 215. */
#define VIEWPOP_POS_LIST            0
#define VIEWPOP_POS_TEXT            1
#define VIEWPOP_POS_FILES           2

#define IDC_DATA_LIST               105
#define IDC_FILE_VIEW               107
#define IDC_TAB_STRIP               109

/* Pictures the views and the tree draw with, and their child windows. */
#define IDB_NODE_LIST               202   /* node list rows: 32x32, folder node then leaf */
#define IDB_TREE                    219   /* favourite tree, 20x20 */
#define IDB_FORMAT_TOOLBAR          221   /* format toolbar, 16x16 */
#define IDB_VIEW_BACKGROUND         239   /* default background of the outlook bar and the tree */
#define IDB_WEB_TOOLBAR             270   /* web view toolbar, 24x24 */
#define IDC_FAVORITE_TREE           102
#define IDC_FONT_NAME_COMBO         103
#define IDC_FONT_SIZE_COMBO         104
#define IDC_WEB_VIEW                108

#endif /* VELLORA_VIEW_RESOURCE_IDS_H */
