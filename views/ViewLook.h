#pragma once
// The pictures of a library's look as the windows load them, and the list
// part of a look on one list control (the data list's and the file view's).
#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "content/LibraryLook.h"
#include "controls/ViewBackdrop.h"

namespace vellora {

// A bitmap file's picture; null for an empty path or a file that does not load.
HBITMAP LoadBitmapFile(const std::string& path);
bool BitmapFileLoads(const std::string& path);
// The picture of a backdrop: the file's, or the built-in background; null
// for a colour or a file that does not load.
HBITMAP PictureOf(const Backdrop& back);
// The picture of a backdrop that a library stores may be gone: the built-in
// one stands in, without a word.
Backdrop Loadable(const Backdrop& back);

// The backdrop and text colour of a list control.
class ListLook {
 public:
  // Nothing changes for a part that is not given.
  void Apply(HWND list, const std::optional<Backdrop>& back, const std::optional<COLORREF>& text);

 private:
  std::unique_ptr<ViewBackdrop> backdrop_;
};

}  // namespace vellora
