#include "app/frame/RecentMenu.h"

#include <algorithm>

#include "content/CommandIds.h"

namespace vellora {

// Menu text shows '&' as a mnemonic marker, so a path's own ampersands are
// doubled. Trail bytes of double-byte characters are copied untouched.
std::string RecentMenuText(int number, const std::string& path) {
  std::string text = "&";
  text += std::to_string(number);
  text += ' ';
  for (size_t i = 0; i < path.size(); ++i) {
    char c = path[i];
    text += c;
    if (IsDBCSLeadByte(static_cast<BYTE>(c)) && i + 1 < path.size())
      text += path[++i];
    else if (c == '&')
      text += '&';
  }
  return text;
}

RecentMenu::~RecentMenu() { Detach(); }

void RecentMenu::Attach(HMENU menu, RecentList& list) {
  Detach();
  menu_ = menu;
  list_ = &list;
  placeholder_ = "(empty)";
  char text[256];
  if (menu && GetMenuStringA(menu, ID_FILE_MRU_FIRST, text, sizeof text, MF_BYCOMMAND) > 0) placeholder_ = text;
  list.SetOnChange([this] { Rebuild(); });
  Rebuild();
}

void RecentMenu::Detach() {
  if (list_) list_->SetOnChange(nullptr);
  list_ = nullptr;
  menu_ = nullptr;
}

void RecentMenu::Rebuild() {
  if (!list_ || !menu_ || !IsMenu(menu_)) return;
  // The whole reserved range goes, not only up to the current maximum, so no
  // item survives from a rebuild made under a larger one.
  for (UINT id = ID_FILE_MRU_FIRST + 1; id <= ID_FILE_MRU_LAST; ++id) DeleteMenu(menu_, id, MF_BYCOMMAND);

  // The entries take the place of the first item; without one they go to
  // the end and no other item is touched.
  const int items = GetMenuItemCount(menu_);
  int pos = items < 0 ? 0 : items;
  for (int i = 0; i < items; ++i) {
    if (GetMenuItemID(menu_, i) == ID_FILE_MRU_FIRST) {
      DeleteMenu(menu_, i, MF_BYPOSITION);
      pos = i;
      break;
    }
  }
  const int count = list_->Count();
  if (count == 0) {
    InsertMenuA(menu_, pos, MF_BYPOSITION | MF_STRING | MF_GRAYED, ID_FILE_MRU_FIRST, placeholder_.c_str());
    return;
  }
  const int shown = std::min(count, static_cast<int>(ID_FILE_MRU_LAST - ID_FILE_MRU_FIRST + 1));
  for (int k = 0; k < shown; ++k) {
    const std::string text = RecentMenuText(k + 1, list_->Entry(count - 1 - k));
    InsertMenuA(menu_, pos + k, MF_BYPOSITION | MF_STRING | MF_ENABLED, ID_FILE_MRU_FIRST + k, text.c_str());
  }
}

}  // namespace vellora
