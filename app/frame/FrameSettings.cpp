#include "app/frame/FrameSettings.h"

namespace vellora {

namespace {

constexpr char kPlacementValue[] = "MainFrameWindowPlacement";
constexpr char kSplitterValue[] = "MainSplitterSplitterPos";

}  // namespace

bool FrameSettings::ReadPlacement(WINDOWPLACEMENT& out) const {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root_, keyPath_.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  WINDOWPLACEMENT value = {};
  DWORD type = 0, size = sizeof value;
  LONG r = RegQueryValueExA(key, kPlacementValue, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  RegCloseKey(key);
  if (r != ERROR_SUCCESS || type != REG_BINARY || size != sizeof value) return false;
  value.length = sizeof value;
  out = value;
  return true;
}

void FrameSettings::WritePlacement(const WINDOWPLACEMENT& placement) const {
  HKEY key = nullptr;
  if (RegCreateKeyExA(root_, keyPath_.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return;
  RegSetValueExA(key, kPlacementValue, 0, REG_BINARY, reinterpret_cast<const BYTE*>(&placement), sizeof placement);
  RegCloseKey(key);
}

std::optional<DWORD> FrameSettings::ReadSplitterPos() const {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root_, keyPath_.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
  DWORD value = 0, type = 0, size = sizeof value;
  LONG r = RegQueryValueExA(key, kSplitterValue, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  RegCloseKey(key);
  if (r != ERROR_SUCCESS || type != REG_DWORD || size != sizeof value) return std::nullopt;
  return value;
}

void FrameSettings::WriteSplitterPos(DWORD pos) const {
  HKEY key = nullptr;
  if (RegCreateKeyExA(root_, keyPath_.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return;
  RegSetValueExA(key, kSplitterValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&pos), sizeof pos);
  RegCloseKey(key);
}

bool ShowCommandAfterPlacement(int showCommand, const WINDOWPLACEMENT& placement) {
  bool minimized = placement.showCmd == SW_SHOWMINIMIZED || placement.showCmd == SW_MINIMIZE;
  return !(showCommand == SW_SHOWNORMAL && !minimized);
}

}  // namespace vellora
