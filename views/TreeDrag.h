#pragma once
// Dragging a node of the favourite tree with the mouse: the node's image
// follows the cursor, the node under it is shown as the drop target, a
// target hovered over long enough is expanded, and the cursor shows where
// nothing can be dropped. The owner window captures the mouse and hands its
// mouse and timer messages here; what a drop does is the content logic's.
#include <windows.h>
#include <commctrl.h>

namespace vellora {

class TreeDrag {
 public:
  // Hovering this long over a new target expands it; the owner's timer.
  static constexpr UINT kExpandDelayMs = 1400;
  static constexpr UINT_PTR kExpandTimer = 1;
  // A drop this soon after the drag began is taken for a slip of the mouse.
  static constexpr DWORD kMinimumMs = 500;

  TreeDrag() = default;
  ~TreeDrag() { Cancel(); }
  TreeDrag(const TreeDrag&) = delete;
  TreeDrag& operator=(const TreeDrag&) = delete;

  // Starts dragging item (at clientPoint of the tree); owner gets the mouse.
  bool Begin(HWND tree, HTREEITEM item, POINT clientPoint, HWND owner);
  bool Active() const { return dragged_ != nullptr; }
  HTREEITEM Dragged() const { return dragged_; }
  // The mouse moved (screen coordinates).
  void Move(POINT screen);
  // The owner's expand timer fired.
  void OnTimer();
  // The button went up: the drop target (null over no node) and how long the
  // drag lasted. The drag is over afterwards.
  HTREEITEM End(POINT screen, DWORD& elapsedMs);
  void Cancel();

 private:
  HTREEITEM HitTest(POINT screen) const;
  void Finish();

  HWND tree_ = nullptr;
  HWND owner_ = nullptr;
  HTREEITEM dragged_ = nullptr;
  HTREEITEM target_ = nullptr;
  HIMAGELIST image_ = nullptr;
  DWORD started_ = 0;
};

}  // namespace vellora
