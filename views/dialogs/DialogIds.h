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

#endif /* VELLORA_DIALOG_IDS_H */
