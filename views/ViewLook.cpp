#include "views/ViewLook.h"

#include <commctrl.h>

#include "platform/GdiHandles.h"
#include "controls/ListViewLook.h"
#include "views/ViewResourceIds.h"

namespace vellora {

namespace {
constexpr COLORREF kWhite = RGB(255, 255, 255);
}  // namespace

HBITMAP LoadBitmapFile(const std::string& path) {
  if (path.empty()) return nullptr;
  return static_cast<HBITMAP>(
      LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
}

bool BitmapFileLoads(const std::string& path) {
  BitmapHandle bitmap(LoadBitmapFile(path));
  return static_cast<bool>(bitmap);
}

HBITMAP PictureOf(const Backdrop& back) {
  switch (back.source) {
    case Backdrop::Source::Default:
      return LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_VIEW_BACKGROUND));
    case Backdrop::Source::Image: return LoadBitmapFile(back.imagePath);
    case Backdrop::Source::Color: break;
  }
  return nullptr;
}

Backdrop Loadable(const Backdrop& back) {
  if (back.source == Backdrop::Source::Image && !BitmapFileLoads(back.imagePath)) return Backdrop{};
  return back;
}

void ListLook::Apply(HWND list, const std::optional<Backdrop>& back, const std::optional<COLORREF>& text) {
  if (!list) return;
  if (back) {
    if (!backdrop_) {
      backdrop_ = std::make_unique<ViewBackdrop>();
      backdrop_->Attach(list);
    }
    HBITMAP picture = back->source == Backdrop::Source::Image ? LoadBitmapFile(back->imagePath) : nullptr;
    // A picture shows through the list's own colour; without one that colour shows.
    SetListBackColor(list, picture ? kWhite : back->source == Backdrop::Source::Color ? back->color : CLR_DEFAULT);
    backdrop_->SetBitmap(picture);
  }
  if (text) SetListTextColor(list, *text);
}

}  // namespace vellora
