#pragma once
// The search results window: a docked pane of the main window with a caption
// strip ("Results of searching text[...]") and a report list of the location
// paths found, numbered from 1. A double click on a row hands its path to the
// owner. The rows live here and the list asks for them as it draws, so ten
// thousand results fill at once.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/Window.h"

namespace vellora {

inline constexpr char kSearchResultWindowClass[] = "LIBRANE_SEARCHRESULT_DOCKINGWINDOW";

class SearchResultsWindow : public Window {
 public:
  static constexpr int kListId = 1;
  static constexpr int kCloseId = 2;

  // Creates the window (caption "Search Result", 120 x 120) as a hidden child of parent.
  bool Create(HWND parent);
  using Window::Create;

  // Sets the caption from the search text, then replaces the rows.
  void Fill(const std::string& searchText, const std::vector<std::string>& paths);
  const std::string& SearchText() const { return searchText_; }
  const std::vector<std::string>& Paths() const { return paths_; }
  HWND List() const { return list_; }
  std::string Caption() const;

  // A double click on a row (its location path); the close box.
  std::function<void(const std::string&)> onOpen;
  std::function<void()> onClose;

 protected:
  const char* ClassName() const override { return kSearchResultWindowClass; }
  void RegisterClassInfo(WNDCLASSEXA& wc) const override;
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void Layout();
  void Paint();
  LRESULT OnNotify(NMHDR* header);
  void OpenSelectedRow();

  HWND list_ = nullptr;
  HWND close_ = nullptr;
  std::string searchText_;
  std::vector<std::string> paths_;
  char number_[16] = {};
};

}  // namespace vellora
