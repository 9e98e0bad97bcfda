// Resource and control ids of the collector, shared by its resource script,
// its code and its tests.
#pragma once

#define IDS_PROJNAME                100
#define IDR_TYPELIB                 1

#define IDD_SAVE_TO                 201
#define IDB_SAVE_TO_TREE            202

#define IDC_SAVE_TO_TREE            201
#define IDC_SAVE_TO_TITLE           202
#define IDC_SAVE_TO_RUN_PROGRAM     203
#define IDC_SAVE_TO_LINK            204
#define IDC_SAVE_TO_INSERT          207
#define IDC_SAVE_TO_OVERWRITE       208
#define IDC_SAVE_TO_ADDRESS_ONLY    209
#define IDC_SAVE_TO_EMBED_PAGE      210
#define IDC_SAVE_TO_BANNER          212
#define IDC_SAVE_TO_FOLDERS         213
#define IDC_SAVE_TO_OVERWRITE_ALL   214
#define IDC_SAVE_TO_APPEND          215
#define IDC_SAVE_TO_INSERT_FRONT    216
// Labels and frames that nothing refers to.
#define IDC_SAVE_TO_STATIC          -1
