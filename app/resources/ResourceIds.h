/*
 * Identifiers of the resources of Vellora.exe: menus, dialogs and their
 * controls, bitmaps, icons, strings and the child-window ids of the main
 * window. Plain #define lines only, so that windres reads this file as well as
 * the C++ compiler; keep it free of anything else.
 *
 * Command ids are shared by the menu bar, the context menus, the accelerator
 * table and the toolbars; the same id means the same command everywhere.
 */
#ifndef VELLORA_RESOURCE_IDS_H
#define VELLORA_RESOURCE_IDS_H

/* The command ids and the menu positions live with the command table, below
 * the windows; the ids the item views use live with the views. */
#include "content/CommandIds.h"
#include "content/MenuPositions.h"
#include "views/ViewResourceIds.h"
#include "views/dialogs/DialogIds.h"

/* ---------------------------------------------------------------- resources */

/* Menu bar, accelerators, main toolbar bitmap and program icon share 128. */
#define IDR_MAINFRAME               128
#define IDI_VELLORA                 128
#define IDB_MAIN_TOOLBAR            128
#define IDB_MAIN_TOOLBAR_HOT        210
#define IDB_OUTBAR_SMALL            207   /* outlook bar items, 16x16 */
#define IDB_OUTBAR_LARGE            208   /* outlook bar items, 32x32 */
#define IDB_MENU_IMAGES             229   /* menu images, 16x16 */

#define IDI_CLOCK                   260
#define IDI_TRAY                    255
#define IDC_PAN_HAND                IDC_PREVIEW_PAN_HAND   /* print preview panning cursor */

/* Context menus. Each holds one popup, except 215 which holds three. */
#define IDR_OUTBAR_POPUP            214   /* "_pop1" */
#define IDR_TREE_POPUP              220   /* "_TreePop1" */
#define IDR_FOLDER_POPUP            247   /* "_FolderPop" */
#define IDR_OUTBAR_ITEM_POPUP       249   /* "_OutlookItemPop" */
#define IDR_TRAY_POPUP              255   /* "-TrayPop" */

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

/* ---------------------------------------------------------------- strings */

/* IDS_EMPTY_TITLE and IDS_FAIL, which dialogs show, are in views/dialogs/DialogIds.h. */
#define IDS_READY                   57345 /* idle text of the status bar */

/* ---------------------------------------------------------------- windows */

#define IDC_OUTBAR                  101
#define IDC_CONTROL_VIEW            113
#define IDW_STATUS_BAR              59393
#define IDW_TOOLBAR_BAND            60161 /* the main toolbar's band of the rebar */

#endif /* VELLORA_RESOURCE_IDS_H */
