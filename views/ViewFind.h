#pragma once
// Finding text in the item views that show it: the text view's rich edit
// (its own find, case ignored) and the report lists of the data list and the
// file view (byte-wise, case kept). Each selects what it found.
#include <windows.h>

#include <string>

namespace vellora {

// From the end of the selection (from the top when nothing is selected) to
// the end of the text; the match is selected and scrolled into view.
bool FindInRichEdit(HWND edit, const std::string& text);

// Rows after the selected one (from the first row when none is selected),
// each row's cells left to right, or only its first cell; the matching row is
// selected, focused and scrolled into view.
bool FindInListRows(HWND list, const std::string& text, bool allColumns);

// The character index of the text view's first visible line, and scrolling
// so that the line holding a character index becomes the first visible one.
long FirstVisibleCharacter(HWND edit);
void ScrollToCharacter(HWND edit, long index);

}  // namespace vellora
