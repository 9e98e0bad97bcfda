#pragma once
// The recent libraries shown at the foot of the File menu: the entries,
// newest first, with the commands ID_FILE_MRU_FIRST + k, or one disabled
// placeholder while the list is empty. Rebuilt whenever the list changes.
#include <windows.h>

#include <string>

#include "store/RecentList.h"

namespace vellora {

class RecentMenu {
 public:
  RecentMenu() = default;
  ~RecentMenu();
  RecentMenu(const RecentMenu&) = delete;
  RecentMenu& operator=(const RecentMenu&) = delete;

  // Shows `list` in `menu`, the popup that directly holds the item
  // ID_FILE_MRU_FIRST (or, without one, at its end), and follows the list's
  // changes from now on. That item's text is shown for an empty list, or
  // "(empty)" when there is no such item. The menu is rebuilt at once.
  void Attach(HMENU menu, RecentList& list);
  void Detach();
  void Rebuild();
  const std::string& PlaceholderText() const { return placeholder_; }

 private:
  HMENU menu_ = nullptr;
  RecentList* list_ = nullptr;
  std::string placeholder_ = "(empty)";
};

// "&<number> <path>" with the path's own ampersands doubled.
std::string RecentMenuText(int number, const std::string& path);

}  // namespace vellora
