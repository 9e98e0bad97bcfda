#include "platform/Dpi.h"

namespace vellora {

int ScreenDpi() {
  static const int dpi = [] {
    HDC screen = GetDC(nullptr);
    if (!screen) return kDesignDpi;
    int read = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return read > 0 ? read : kDesignDpi;
  }();
  return dpi;
}

}  // namespace vellora
