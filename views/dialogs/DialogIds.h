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

/* The row dialog of a data list: one label and edit per column, made when it
 * opens (edits IDC_ROW_FIRST_EDIT + column), "&Add" / "&Modify" and "&Done". */
#define IDD_LIST_ROW                225
#define IDC_ROW_ADD                 1017
#define IDC_ROW_FIRST_EDIT          2000
#define IDC_ROW_FIRST_LABEL         3000

#endif /* VELLORA_DIALOG_IDS_H */
