#pragma once
// The colours of a report-style list view control (the data list and the
// file view draw their rows with one); a picture behind the rows is drawn by
// ViewBackdrop.
#include <windows.h>

namespace vellora {

// CLR_DEFAULT stands for the system's colour.
void SetListTextColor(HWND list, COLORREF color);
// The colour behind the rows and behind their text.
void SetListBackColor(HWND list, COLORREF color);

}  // namespace vellora
