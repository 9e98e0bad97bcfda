#pragma once
// The arithmetic of the print preview, apart from its windows: the zoom
// steps, where the page lies in the preview window, and which drags of a
// zoomed page are taken.
#include <windows.h>

namespace vellora {

class PreviewZoom {
 public:
  static constexpr double kStep = 1.2;
  static constexpr double kMost = 16.0;   // zooming in stops once the factor is there
  static constexpr double kLeast = 0.2;   // zooming out stops once the factor is there

  double Factor() const { return factor_; }
  // One step in or out; false when the factor is at its end already.
  bool In();
  bool Out();
  // Only a page shown larger than it fits can be dragged.
  bool CanPan() const { return factor_ > 1.0; }

 private:
  double factor_ = 1.0;
};

// The page's rectangle in a window's client area: the largest rectangle of
// the page's proportions that fits inside a margin of 10 pixels, centred,
// grown around its centre by the zoom, moved by the panning offset.
RECT PreviewPageRect(const RECT& client, SIZE page, double zoom, POINT offset);

// The offset after dragging by (dx, dy): each direction is taken only when
// the page's edge it moves away from stays less than 50 pixels inside the
// window's edge on that side.
POINT PanPreview(const RECT& client, SIZE page, double zoom, POINT offset, int dx, int dy);

}  // namespace vellora
