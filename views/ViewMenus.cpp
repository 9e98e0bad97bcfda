#include "views/ViewMenus.h"

#include "views/ViewResourceIds.h"

namespace vellora {

namespace {

MenuHandle LoadPopupAt(int menuId, int position, HMENU& popup) {
  MenuHandle menu(LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(menuId)));
  popup = menu ? GetSubMenu(menu, position) : nullptr;
  return menu;
}

}  // namespace

MenuHandle LoadViewPopup(int position, HMENU& popup) { return LoadPopupAt(IDR_VIEW_POPUPS, position, popup); }

MenuHandle LoadFirstPopup(int menuId, HMENU& popup) { return LoadPopupAt(menuId, 0, popup); }

void RemoveCommands(HMENU popup, std::initializer_list<UINT> ids) {
  for (UINT id : ids) RemoveMenu(popup, id, MF_BYCOMMAND);
}

void TidySeparators(HMENU popup) {
  bool previousWasSeparator = true;  // nothing before the first entry
  for (int i = 0; i < GetMenuItemCount(popup);) {
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE;
    GetMenuItemInfoA(popup, static_cast<UINT>(i), TRUE, &info);
    bool separator = (info.fType & MFT_SEPARATOR) != 0;
    if (separator && previousWasSeparator) {
      RemoveMenu(popup, static_cast<UINT>(i), MF_BYPOSITION);
      continue;
    }
    previousWasSeparator = separator;
    ++i;
  }
  int last = GetMenuItemCount(popup) - 1;
  if (last >= 0 && previousWasSeparator) RemoveMenu(popup, static_cast<UINT>(last), MF_BYPOSITION);
}

}  // namespace vellora
