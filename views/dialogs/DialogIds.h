/*
 * Identifiers of the dialogs and their controls. Plain #define lines only, so
 * that the resource compiler reads this file as well as the C++ compiler.
 */
#ifndef VELLORA_DIALOG_IDS_H
#define VELLORA_DIALOG_IDS_H

/* "Rename": one edit with its label, Ok and Cancel; also the search prompt. */
#define IDD_RENAME                  244
#define IDC_RENAME_EDIT             1037
#define IDC_RENAME_LABEL            1084

/* "Bookmark list": the bookmarks in order, with the buttons that edit the list. */
#define IDD_BOOKMARK_LIST           253
#define IDC_BOOKMARK_LIST           1201
#define IDC_BOOKMARK_DELETE         1202
#define IDC_BOOKMARK_MODIFY         1203
#define IDC_BOOKMARK_MOVE_UP        1204
#define IDC_BOOKMARK_MOVE_DOWN      1205

#endif /* VELLORA_DIALOG_IDS_H */
