#pragma once
// A window split into two panes by a bar. A vertical splitter has its panes
// left and right of a vertical bar, a horizontal one above and below a
// horizontal bar. The position is the extent of the first pane (its width, or
// its height) in pixels; the second pane takes the rest. The user may drag
// the bar unless the splitter is made fixed, and either pane can be shown
// alone.
//
// Panes are children of the splitter (a pane given with another parent is
// moved under it). Notifications of the panes (WM_COMMAND, WM_NOTIFY, the
// owner-draw and control-colour messages, and registered window messages) are
// passed on to the splitter's parent, so nested splitters are transparent to
// the window that owns them.
#include "platform/Window.h"

namespace vellora {

enum class SplitterOrientation { Vertical, Horizontal };

// Which pane a splitter shows alone; None shows both.
enum class SplitterPane { None, First, Second };

class Splitter : public Window {
 public:
  static constexpr int kDefaultBarWidth = 4;

  Splitter() = default;
  explicit Splitter(SplitterOrientation orientation) : orientation_(orientation) {}
  // Destroyed while this object is whole, so the panes' last notifications
  // are still passed on.
  ~Splitter() override { Destroy(); }

  // Creates the splitter as a visible child of `parent`.
  HWND Create(HWND parent, SplitterOrientation orientation, UINT id = 0);
  using Window::Create;

  SplitterOrientation Orientation() const { return orientation_; }

  // Sets both panes (either may be nullptr) and lays them out.
  void SetPanes(HWND first, HWND second);
  // Replaces one pane (0 = first, 1 = second) without touching its visibility,
  // except that a pane hidden by the single-pane mode is hidden.
  void SetPane(int index, HWND pane);
  HWND Pane(int index) const { return index == 0 ? panes_[0] : index == 1 ? panes_[1] : nullptr; }

  // The first pane's width (vertical) or height (horizontal). While the
  // splitter has a client area the position is clamped to it; before that
  // (or while it is minimised) any value is kept and clamped when shown.
  void SetPosition(int position);
  int Position() const { return position_; }

  void SetBarWidth(int width);
  int BarWidth() const { return barWidth_; }

  // A fixed splitter ignores the mouse and shows no resize cursor.
  void SetDraggable(bool draggable) { draggable_ = draggable; }
  bool Draggable() const { return draggable_; }

  // Shows one pane alone over the whole client area (hiding the other), or
  // both again (None shows both panes). The pane shown alone becomes the one
  // that receives the focus given to the splitter.
  void SetSinglePane(SplitterPane pane);
  SplitterPane SinglePane() const { return single_; }

  // The pane (0 or 1) that gets the focus when the splitter is focused.
  void SetDefaultActivePane(int index) { activePane_ = index == 1 ? 1 : 0; }
  int DefaultActivePane() const { return activePane_; }

  // The bar in client coordinates; empty in single-pane mode.
  RECT BarRect() const;
  // Moves the panes to their places.
  void Layout();

 protected:
  const char* ClassName() const override { return "WTL_SplitterWindow"; }
  void RegisterClassInfo(WNDCLASSEXA& wc) const override;
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  int Extent() const;  // the client width (vertical) or height (horizontal)
  int Clamp(int position) const;
  int Along(LPARAM lParam) const;  // the mouse coordinate across the bar
  void OnPaint();
  void OnLButtonDown(LPARAM lParam);
  void OnMouseMove(LPARAM lParam);
  void EndDrag();
  bool OnSetCursor();

  SplitterOrientation orientation_ = SplitterOrientation::Vertical;
  HWND panes_[2] = {nullptr, nullptr};
  int position_ = 0;
  int barWidth_ = kDefaultBarWidth;
  bool draggable_ = true;
  SplitterPane single_ = SplitterPane::None;
  int activePane_ = 0;
  bool dragging_ = false;
  int dragOffset_ = 0;  // the mouse's distance from the bar's leading edge
};

}  // namespace vellora
