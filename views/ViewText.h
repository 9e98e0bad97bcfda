#pragma once
// One line of bold text in the views' face, for the frame's small views
// (the placeholder and the title strip).
#include <windows.h>

#include "platform/Dpi.h"
#include "platform/GdiHandles.h"

namespace vellora {

// height: in pixels at 96 DPI, scaled to the screen's.
inline void DrawViewText(HDC dc, const char* text, RECT area, int height, UINT format) {
  FontHandle font(CreateFontA(-Scaled(height), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                              CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "Tahoma"));
  SelectGuard selected(dc, font.Get());
  DrawTextA(dc, text, -1, &area, format | DT_SINGLELINE | DT_NOPREFIX);
}

}  // namespace vellora
