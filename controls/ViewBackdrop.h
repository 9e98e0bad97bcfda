#pragma once
// A bitmap drawn behind the items of a tree view or list view control. The
// control paints itself into a memory bitmap over its own background colour;
// everything of that colour then lets the picture through. The picture is
// tiled from the top of the control's content, so it scrolls with the items
// and a scroll that moves the painted bits keeps it whole. (The list view's
// own background image is not drawn everywhere the program runs.)
#include <windows.h>

#include "platform/GdiHandles.h"

namespace vellora {

class ViewBackdrop {
 public:
  ViewBackdrop() = default;
  ~ViewBackdrop();
  ViewBackdrop(const ViewBackdrop&) = delete;
  ViewBackdrop& operator=(const ViewBackdrop&) = delete;

  // Starts drawing behind the items of a tree view or a report-style list
  // view (the control must outlive the attachment or be detached first).
  bool Attach(HWND control);
  void Detach();
  // The picture drawn behind the items (taken); null draws the control's own
  // background colour alone.
  void SetBitmap(HBITMAP bitmap);
  bool HasBitmap() const { return static_cast<bool>(bitmap_); }

  // Paints the control as the screen shows it into dc (client coordinates).
  void PaintInto(HDC dc);

 private:
  // The tie between the control and this object, kept in the control's user
  // data. Found without asking the window manager for a property: the tree
  // gets tens of thousands of messages when a large branch opens.
  struct Link {
    ViewBackdrop* owner;
    WNDPROC original;
  };
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT Original(UINT msg, WPARAM wParam, LPARAM lParam) const;
  void OnPaint();
  COLORREF BackColor() const;
  // Where the top left of the content lies now, in client coordinates.
  POINT ContentOrigin() const;

  HWND control_ = nullptr;
  Link* link_ = nullptr;
  bool list_ = false;
  BitmapHandle bitmap_;
  SIZE size_ = {};
};

}  // namespace vellora
