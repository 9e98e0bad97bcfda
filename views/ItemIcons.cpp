#include "views/ItemIcons.h"

#include <utility>

namespace vellora {

ItemIcons::ItemIcons(ItemIcons&& other) noexcept
    : large_(std::exchange(other.large_, nullptr)), small_(std::exchange(other.small_, nullptr)) {}

ItemIcons& ItemIcons::operator=(ItemIcons&& other) noexcept {
  if (this != &other) {
    Reset();
    large_ = std::exchange(other.large_, nullptr);
    small_ = std::exchange(other.small_, nullptr);
  }
  return *this;
}

void ItemIcons::Reset() {
  if (large_) DestroyIcon(std::exchange(large_, nullptr));
  if (small_) DestroyIcon(std::exchange(small_, nullptr));
}

bool ItemIcons::Load(const std::string& path, int largeSize, int smallSize) {
  Reset();
  if (path.empty()) return false;
  large_ = static_cast<HICON>(LoadImageA(nullptr, path.c_str(), IMAGE_ICON, largeSize, largeSize, LR_LOADFROMFILE));
  small_ = static_cast<HICON>(LoadImageA(nullptr, path.c_str(), IMAGE_ICON, smallSize, smallSize, LR_LOADFROMFILE));
  if (large_ && small_) return true;
  Reset();
  return false;
}

int AddItemIconImage(HIMAGELIST large, HIMAGELIST small, const std::string& iconPath, int defaultImage) {
  if (!large || !small || iconPath.empty()) return defaultImage;
  int largeSize = 32, smallSize = 16, other = 0;
  ImageList_GetIconSize(large, &largeSize, &other);
  ImageList_GetIconSize(small, &smallSize, &other);
  ItemIcons icons;
  if (!icons.Load(iconPath, largeSize, smallSize)) return defaultImage;
  // The image lists copy the icons; ours are destroyed on the way out.
  int index = ImageList_AddIcon(large, icons.Large());
  if (index < 0) return defaultImage;
  if (ImageList_AddIcon(small, icons.Small()) < 0) {
    ImageList_Remove(large, index);
    return defaultImage;
  }
  return index;
}

}  // namespace vellora
