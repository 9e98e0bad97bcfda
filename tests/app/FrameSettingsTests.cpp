// The main window's placement and splitter position in the registry.
#include <gtest/gtest.h>

#include "app/frame/FrameSettings.h"
#include "tests/TestSupport.h"

using namespace vellora;

namespace {

TEST(FrameSettings, PlacementRoundTripsAndOnlyAFullBinaryValueCounts) {
  vtest::TempRegistryKey key;
  FrameSettings settings(HKEY_CURRENT_USER, key.Path());
  WINDOWPLACEMENT p = {};
  EXPECT_FALSE(settings.ReadPlacement(p));
  WINDOWPLACEMENT stored = {};
  stored.length = sizeof stored;
  stored.showCmd = SW_SHOWMAXIMIZED;
  stored.rcNormalPosition = {10, 20, 610, 420};
  settings.WritePlacement(stored);
  ASSERT_TRUE(settings.ReadPlacement(p));
  EXPECT_EQ(p.showCmd, static_cast<UINT>(SW_SHOWMAXIMIZED));
  EXPECT_EQ(p.rcNormalPosition.right, 610);
  HKEY h;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, key.Path().c_str(), 0, KEY_WRITE, &h), ERROR_SUCCESS);
  RegSetValueExA(h, "MainFrameWindowPlacement", 0, REG_BINARY, reinterpret_cast<const BYTE*>(&stored), 40);
  RegSetValueExA(h, "MainSplitterSplitterPos", 0, REG_SZ, reinterpret_cast<const BYTE*>("250"), 4);
  RegCloseKey(h);
  EXPECT_FALSE(settings.ReadPlacement(p));
  EXPECT_FALSE(settings.ReadSplitterPos().has_value());
  settings.WriteSplitterPos(250);
  EXPECT_EQ(settings.ReadSplitterPos(), std::optional<DWORD>(250));
}

TEST(FrameSettings, ANormalStartKeepsAMaximizedPlacementButNotAMinimizedOne) {
  WINDOWPLACEMENT p = {};
  p.showCmd = SW_SHOWMAXIMIZED;
  EXPECT_FALSE(ShowCommandAfterPlacement(SW_SHOWNORMAL, p));
  p.showCmd = SW_SHOWMINIMIZED;
  EXPECT_TRUE(ShowCommandAfterPlacement(SW_SHOWNORMAL, p));
  p.showCmd = SW_MINIMIZE;
  EXPECT_TRUE(ShowCommandAfterPlacement(SW_SHOWNORMAL, p));
  p.showCmd = SW_SHOWNORMAL;
  EXPECT_TRUE(ShowCommandAfterPlacement(SW_SHOWMINNOACTIVE, p));
}

}  // namespace
