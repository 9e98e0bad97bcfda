// The colour palette: finding its entries, and choosing from it with the
// mouse and the keyboard.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "controls/ColorPalette.h"

using namespace vellora;

namespace {

TEST(ColorPalette, EveryColourIsFoundAtItsOwnEntry) {
  // No colour twice, or choosing one would light up another entry.
  for (int i = 0; i < kPaletteColorCount; ++i) EXPECT_EQ(PaletteIndexOf(kPaletteColors[i].color), i);
  EXPECT_EQ(PaletteIndexOf(RGB(1, 2, 3)), -1);
}

struct Drive {
  const char* name;
  int click;     // entry to click, or -1
  WPARAM key;    // key to press when no click
  PaletteResult result;
  COLORREF color;
};

class ColorPaletteRun : public ::testing::TestWithParam<Drive> {};

TEST_P(ColorPaletteRun, AnswersWhatTheUserDid) {
  const Drive& d = GetParam();
  ColorPalette palette;
  palette.onShown = [&](ColorPalette& p) {
    if (d.click >= 0) {
      RECT r = ColorPalette::CellRect(d.click);
      LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
      PostMessageA(p.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
      PostMessageA(p.Handle(), WM_LBUTTONUP, 0, at);
    } else {
      PostMessageA(p.Handle(), WM_KEYDOWN, d.key, 0);
      if (d.key != VK_ESCAPE) PostMessageA(p.Handle(), WM_KEYDOWN, VK_RETURN, 0);
    }
  };
  RECT anchor = {100, 100, 120, 120};
  // The current colour (Red, entry 16) is where the keyboard starts.
  PaletteChoice choice = palette.Run(nullptr, anchor, RGB(255, 0, 0));
  EXPECT_EQ(choice.result, d.result);
  if (d.result == PaletteResult::Chosen) {
    EXPECT_EQ(choice.color, d.color);
  }
  EXPECT_EQ(palette.Handle(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Drives, ColorPaletteRun,
    ::testing::Values(Drive{"ClickAnEntry", 9, 0, PaletteResult::Chosen, RGB(255, 104, 32)},
                      Drive{"ClickTheOtherColourEntry", kPaletteColorCount, 0, PaletteResult::OtherColor, 0},
                      Drive{"ArrowRightFromTheCurrentColour", -1, VK_RIGHT, PaletteResult::Chosen, RGB(255, 173, 91)},
                      Drive{"ArrowDownFromTheCurrentColour", -1, VK_DOWN, PaletteResult::Chosen, RGB(255, 192, 203)},
                      Drive{"EscapeChoosesNothing", -1, VK_ESCAPE, PaletteResult::Cancelled, 0}),
    [](const ::testing::TestParamInfo<Drive>& info) { return std::string(info.param.name); });

}  // namespace
