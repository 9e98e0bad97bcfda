#pragma once
// The item views' context menus: a popup of menu 215 loaded for one showing,
// with the entries that do not apply taken out.
#include <windows.h>

#include <initializer_list>

#include "platform/GdiHandles.h"

namespace vellora {

// Loads menu 215; popup gets its popup at position (null when missing).
MenuHandle LoadViewPopup(int position, HMENU& popup);
// Loads another menu of the views and gives its first popup.
MenuHandle LoadFirstPopup(int menuId, HMENU& popup);
void RemoveCommands(HMENU popup, std::initializer_list<UINT> ids);
// No separator first, last or right after another one.
void TidySeparators(HMENU popup);

}  // namespace vellora
