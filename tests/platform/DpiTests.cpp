// Lengths designed at 96 DPI, at other DPIs: to the nearest pixel, a thin
// line never vanishes, and 96 itself (or an unreadable DPI) changes nothing.
#include <gtest/gtest.h>

#include "platform/Dpi.h"

using namespace vellora;

TEST(Dpi, LengthsScaleToTheNearestPixelAndNeverVanish) {
  struct Case {
    int pixels, dpi, expected;
  } cases[] = {
      {20, 96, 20}, {20, 144, 30}, {22, 120, 28} /* 27.5 */, {7, 120, 9} /* 8.75 */, {3, 72, 2} /* 2.25 */,
      {1, 120, 1},  {1, 72, 1},    {1, 48, 1} /* 0.5 */,   {160, 192, 320},       {0, 144, 0},
      {-4, 144, -6}, {20, 0, 20},  {20, -1, 20},
  };
  for (const Case& c : cases) EXPECT_EQ(ScaledTo(c.pixels, c.dpi), c.expected) << c.pixels << " at " << c.dpi;
  static_assert(ScaledTo(24, 144) == 36, "usable in constant expressions");
}

// A tree font kept with the library is in 96-DPI pixels: shown scaled, and a
// height chosen on the screen goes back to what it was.
TEST(Dpi, HeightsChosenOnTheScreenGoBackToTheirDesignSize) {
  for (int dpi : {96, 120, 144, 192})
    for (int height : {-11, -12, -13, -16, -24, 12}) {
      EXPECT_EQ(UnscaledFrom(ScaledTo(height, dpi), dpi), height) << height << " at " << dpi;
    }
  EXPECT_EQ(UnscaledFrom(-20, 144), -13);  // 13.33
  EXPECT_EQ(UnscaledFrom(20, 0), 20);
}
