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

#endif /* VELLORA_VIEW_RESOURCE_IDS_H */
