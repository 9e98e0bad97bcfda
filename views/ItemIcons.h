#pragma once
// Custom icons of catalog items, loaded from their files into the outlook
// bar's image lists.
#include <windows.h>
#include <commctrl.h>

#include <string>

namespace vellora {

// The two sizes of an item's custom icon; destroys what it holds.
class ItemIcons {
 public:
  ItemIcons() = default;
  ~ItemIcons() { Reset(); }
  ItemIcons(const ItemIcons&) = delete;
  ItemIcons& operator=(const ItemIcons&) = delete;
  ItemIcons(ItemIcons&& other) noexcept;
  ItemIcons& operator=(ItemIcons&& other) noexcept;

  // Loads the icon file at 32 x 32 and at 16 x 16 (or the sizes given);
  // true only when both load.
  bool Load(const std::string& path, int largeSize = 32, int smallSize = 16);
  void Reset();
  HICON Large() const { return large_; }
  HICON Small() const { return small_; }

 private:
  HICON large_ = nullptr;
  HICON small_ = nullptr;
};

// Appends the item's custom icon to the group's large and small image lists
// (kept parallel) and answers the new image index; answers defaultImage and
// leaves both lists as they were when there is no path or the file does not
// load as an icon at both sizes. The icons are taken at the lists' own sizes.
int AddItemIconImage(HIMAGELIST large, HIMAGELIST small, const std::string& iconPath, int defaultImage);

}  // namespace vellora
