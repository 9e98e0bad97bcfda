#include "views/dialogs/PreviewLayout.h"

#include <cmath>

namespace vellora {

namespace {
constexpr int kMargin = 10;
constexpr int kKeepInside = 50;
}  // namespace

bool PreviewZoom::In() {
  if (factor_ >= kMost) return false;
  factor_ *= kStep;
  return true;
}

bool PreviewZoom::Out() {
  if (factor_ <= kLeast) return false;
  factor_ *= 1.0 / kStep;
  return true;
}

RECT PreviewPageRect(const RECT& client, SIZE page, double zoom, POINT offset) {
  const double areaW = client.right - client.left - 2 * kMargin, areaH = client.bottom - client.top - 2 * kMargin;
  RECT r = {};
  if (areaW <= 0 || areaH <= 0 || page.cx <= 0 || page.cy <= 0) return r;
  double w = areaW, h = areaW * page.cy / page.cx;
  if (h > areaH) {
    h = areaH;
    w = areaH * page.cx / page.cy;
  }
  const double cx = client.left + kMargin + areaW / 2, cy = client.top + kMargin + areaH / 2;
  // Grown by (zoom - 1) times half its size on each side.
  w *= zoom;
  h *= zoom;
  r.left = static_cast<LONG>(std::lround(cx - w / 2)) + offset.x;
  r.top = static_cast<LONG>(std::lround(cy - h / 2)) + offset.y;
  r.right = static_cast<LONG>(std::lround(cx + w / 2)) + offset.x;
  r.bottom = static_cast<LONG>(std::lround(cy + h / 2)) + offset.y;
  return r;
}

POINT PanPreview(const RECT& client, SIZE page, double zoom, POINT offset, int dx, int dy) {
  const RECT moved = PreviewPageRect(client, page, zoom, {offset.x + dx, offset.y + dy});
  if ((dx > 0 && moved.left < client.left + kKeepInside) || (dx < 0 && moved.right > client.right - kKeepInside))
    offset.x += dx;
  if ((dy > 0 && moved.top < client.top + kKeepInside) || (dy < 0 && moved.bottom > client.bottom - kKeepInside))
    offset.y += dy;
  return offset;
}

}  // namespace vellora
