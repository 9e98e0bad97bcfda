#pragma once
// The screen's dots per inch, for a layout that scales with them. The
// program declares itself DPI aware, so the system no longer stretches its
// windows: whatever it lays out in pixels it sizes itself, from lengths
// designed at 96 DPI. The DPI is read once (the system's, which changes only
// with a new sign-in).
#include <windows.h>

namespace vellora {

inline constexpr int kDesignDpi = 96;

// The screen's DPI; 96 when it cannot be read.
int ScreenDpi();

// A length designed at 96 DPI, at `dpi` (rounded to the nearest pixel; never
// below one pixel for a positive length).
constexpr int ScaledTo(int pixels, int dpi) {
  if (dpi <= 0 || dpi == kDesignDpi) return pixels;
  long long scaled = (static_cast<long long>(pixels) * dpi + (pixels >= 0 ? kDesignDpi / 2 : -kDesignDpi / 2)) /
                     kDesignDpi;
  if (pixels > 0 && scaled < 1) scaled = 1;
  return static_cast<int>(scaled);
}

// A length designed at 96 DPI, at the screen's.
inline int Scaled(int pixels) { return ScaledTo(pixels, ScreenDpi()); }

// A length in pixels at `dpi` as it is at 96 DPI (to the nearest pixel),
// for what is kept apart from the screen, such as a library's tree font.
constexpr int UnscaledFrom(int pixels, int dpi) {
  if (dpi <= 0 || dpi == kDesignDpi) return pixels;
  long long half = dpi / 2;
  return static_cast<int>((static_cast<long long>(pixels) * kDesignDpi + (pixels >= 0 ? half : -half)) / dpi);
}

inline int Unscaled(int pixels) { return UnscaledFrom(pixels, ScreenDpi()); }

}  // namespace vellora
