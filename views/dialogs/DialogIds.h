/*
 * Identifiers of the dialogs and their controls. Plain #define lines only, so
 * that the resource compiler reads this file as well as the C++ compiler.
 */
#ifndef VELLORA_DIALOG_IDS_H
#define VELLORA_DIALOG_IDS_H

/* Strings of the resources that dialogs show. */
#define IDS_EMPTY_TITLE             130   /* "Sorry but folder name can not be empty!" */
#define IDS_FAIL                    131   /* "Fail" */

/* "Rename": one edit with its label, Ok and Cancel; also the search prompt. */
#define IDD_RENAME                  244
#define IDC_RENAME_EDIT             1037
#define IDC_RENAME_LABEL            1084

/* "Add Folder". */
#define IDD_ADD_FOLDER              243
#define IDC_FOLDER_NAME             1100
#define IDC_FOLDER_NAME_LABEL       1101
#define IDC_FOLDER_TYPE_GROUP       1102
#define IDC_FOLDER_TREE             1103
#define IDC_FOLDER_CATALOG          1104

/* "Add Information Item": the kind's radio buttons and the lower group. */
#define IDD_ADD_ITEM                223
#define IDC_ITEM_LIST               1009
#define IDC_ITEM_LIST_ADD           1010
#define IDC_ITEM_LIST_DELETE        1011
#define IDC_ITEM_LIST_UP            1012
#define IDC_ITEM_LIST_DOWN          1013
#define IDC_ITEM_LIST_EDIT          1014
#define IDC_ITEM_LOWER_GROUP        1015
#define IDC_ITEM_KIND_FILES         1056
#define IDC_ITEM_KIND_LIST          1057
#define IDC_ITEM_KIND_TEXT          1058
#define IDC_ITEM_TITLE              1060
#define IDC_ITEM_TITLE_LABEL        1061
#define IDC_ITEM_UPPER_GROUP        1062
#define IDC_ITEM_KIND_TABS          1066
#define IDC_ITEM_KIND_WEB           1067
#define IDC_ITEM_KIND_CONTROL       1068
#define IDC_ITEM_LIST_LABEL         1069

/* "Insert ActiveX Control": the registered controls, the chosen one's class id and server. */
#define IDD_INSERT_CONTROL          264
#define IDC_CONTROL_LIST            1072
#define IDC_CONTROL_CLASS_LABEL     1073
#define IDC_CONTROL_CLASS           1074
#define IDC_CONTROL_LOCATION        1075
#define IDC_CONTROL_LOCATION_LABEL  1076

/* The folder selection of Export folders and Import folders: a check-box list and its label. */
#define IDD_FOLDER_PICK             263
#define IDC_FOLDER_PICK_LIST        1071
#define IDC_FOLDER_PICK_LABEL       1076

/* "Import webpage": the address, its file chooser, link or embedded page. */
#define IDD_IMPORT_WEB              236
#define IDC_IMPORT_WEB_ADDRESS      1027
#define IDC_IMPORT_WEB_BROWSE       1028
#define IDC_IMPORT_WEB_LABEL        1029
#define IDC_IMPORT_WEB_LINK         1030
#define IDC_IMPORT_WEB_EMBED        1031

/* The progress of a long export or import, with Cancel. */
#define IDD_PROGRESS                269
#define IDC_PROGRESS_TEXT           1145
#define IDC_PROGRESS_BAR            1146

/* "Property Information": one value beside each label. */
#define IDD_PROPERTY                246
#define IDC_PROPERTY_TITLE          1110
#define IDC_PROPERTY_CATEGORY       1111
#define IDC_PROPERTY_SIZE           1112
#define IDC_PROPERTY_TYPE           1113
#define IDC_PROPERTY_CHILDREN       1114
#define IDC_PROPERTY_CREATED        1115
#define IDC_PROPERTY_MODIFIED       1116
#define IDC_PROPERTY_ACCESSED       1117

/* "Password": the prompt before a protected library or item. */
#define IDD_PASSWORD_PROMPT         233
#define IDC_PASSWORD_TEXT           1120
#define IDC_PASSWORD_EDIT           1121

/* "Set Password - Empty to clear": the old password, the new one and its confirmation. */
#define IDD_SET_PASSWORD            232
#define IDC_SET_PASSWORD_OLD        1130
#define IDC_SET_PASSWORD_NEW        1131
#define IDC_SET_PASSWORD_CONFIRM    1132
#define IDC_SET_PASSWORD_OLD_LABEL  1133
#define IDC_SET_PASSWORD_NEW_LABEL  1134
#define IDC_SET_PASSWORD_CONFIRM_LABEL 1135
#define IDC_SET_PASSWORD_NOTE       1136

/* "Bookmark list": the bookmarks in order, with the buttons that edit the list. */
#define IDD_BOOKMARK_LIST           253
#define IDC_BOOKMARK_LIST           1201
#define IDC_BOOKMARK_DELETE         1202
#define IDC_BOOKMARK_MODIFY         1203
#define IDC_BOOKMARK_MOVE_UP        1204
#define IDC_BOOKMARK_MOVE_DOWN      1205

/* The row dialog of a data list: one label and edit per column, made when it
 * opens (edits IDC_ROW_FIRST_EDIT + column), "&Add" / "&Modify" and "&Done". */
#define IDD_LIST_ROW                225
#define IDC_ROW_ADD                 1017
#define IDC_ROW_FIRST_EDIT          2000
#define IDC_ROW_FIRST_LABEL         3000

/* "Vellora Print Preview": the button bar, its buttons and the page below it. */
#define IDD_PRINT_PREVIEW           266
#define IDC_PREVIEW_PAN_HAND        267   /* the cursor while a zoomed page can be dragged */
#define IDC_PREVIEW_PREV            1077
#define IDC_PREVIEW_NEXT            1078
#define IDC_PREVIEW_BAR             1079
#define IDC_PREVIEW_ZOOM_IN         1080
#define IDC_PREVIEW_ZOOM_OUT        1081
#define IDC_PREVIEW_PRINT           1082
#define IDC_PREVIEW_PAGE            1083

/* "Backups": whether backups are kept, how many, and the folder they go into. */
#define IDD_BACKUP_SETTINGS         271
#define IDC_BACKUP_ENABLED          1150
#define IDC_BACKUP_KEEP_LABEL       1151
#define IDC_BACKUP_KEEP             1152
#define IDC_BACKUP_KEEP_SPIN        1153
#define IDC_BACKUP_KEEP_UNIT        1154
#define IDC_BACKUP_FOLDER_LABEL     1155
#define IDC_BACKUP_FOLDER           1156
#define IDC_BACKUP_BROWSE           1157
#define IDC_BACKUP_FOLDER_NOTE      1158

#endif /* VELLORA_DIALOG_IDS_H */
