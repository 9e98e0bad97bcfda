#pragma once
// The main window's values kept between runs under the program's registry
// key: its placement and the main splitter's position.
#include <windows.h>

#include <optional>
#include <string>

namespace vellora {

constexpr DWORD kDefaultSplitterPos = 180;

class FrameSettings {
 public:
  FrameSettings(HKEY root, std::string keyPath) : root_(root), keyPath_(std::move(keyPath)) {}
  // Only a 44-byte binary value counts as a placement.
  bool ReadPlacement(WINDOWPLACEMENT& out) const;
  void WritePlacement(const WINDOWPLACEMENT& placement) const;
  // Only a REG_DWORD counts as a splitter position.
  std::optional<DWORD> ReadSplitterPos() const;
  void WriteSplitterPos(DWORD pos) const;
  const std::string& KeyPath() const { return keyPath_; }
  HKEY Root() const { return root_; }

 private:
  HKEY root_;
  std::string keyPath_;
};

// Whether a stored placement replaces the show command the program was
// started with: a normal start brings back a maximized window but not a
// minimized one.
bool ShowCommandAfterPlacement(int showCommand, const WINDOWPLACEMENT& placement);

}  // namespace vellora
