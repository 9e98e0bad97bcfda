#include "app/frame/FrameSettings.h"

#include "platform/RegistryKey.h"

namespace vellora {

namespace {

constexpr char kPlacementValue[] = "MainFrameWindowPlacement";
constexpr char kSplitterValue[] = "MainSplitterSplitterPos";

}  // namespace

bool FrameSettings::ReadPlacement(WINDOWPLACEMENT& out) const {
  RegistryKey key;
  if (key.Open(root_, keyPath_.c_str(), KEY_READ) != ERROR_SUCCESS) return false;
  WINDOWPLACEMENT value = {};
  if (!key.ReadBinary(kPlacementValue, &value, sizeof value)) return false;
  value.length = sizeof value;
  out = value;
  return true;
}

void FrameSettings::WritePlacement(const WINDOWPLACEMENT& placement) const {
  RegistryKey key;
  if (key.Create(root_, keyPath_.c_str(), KEY_WRITE) != ERROR_SUCCESS) return;
  key.WriteBinary(kPlacementValue, &placement, sizeof placement);
}

std::optional<DWORD> FrameSettings::ReadSplitterPos() const {
  RegistryKey key;
  if (key.Open(root_, keyPath_.c_str(), KEY_READ) != ERROR_SUCCESS) return std::nullopt;
  return key.ReadDword(kSplitterValue);
}

void FrameSettings::WriteSplitterPos(DWORD pos) const {
  RegistryKey key;
  if (key.Create(root_, keyPath_.c_str(), KEY_WRITE) != ERROR_SUCCESS) return;
  key.WriteDword(kSplitterValue, pos);
}

bool ShowCommandAfterPlacement(int showCommand, const WINDOWPLACEMENT& placement) {
  bool minimized = placement.showCmd == SW_SHOWMINIMIZED || placement.showCmd == SW_MINIMIZE;
  return !(showCommand == SW_SHOWNORMAL && !minimized);
}

}  // namespace vellora
