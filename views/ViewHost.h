#pragma once
// The window a data list or file view puts into the item pane: it holds the
// view's one control, keeps it filling the window, and hands the control's
// notifications, its context menu and the messages the view posts to itself
// back to the view.
#include <windows.h>

#include <functional>

#include "platform/Window.h"

namespace vellora {

class ViewHost : public Window {
 public:
  explicit ViewHost(const char* className) : className_(className) {}

  void SetControl(HWND control) { control_ = control; }
  HWND Control() const { return control_; }

  std::function<LRESULT(NMHDR* header)> onNotify;
  // screen is (-1, -1) when the menu was asked for from the keyboard.
  std::function<void(POINT screen)> onContextMenu;
  // Messages from WM_APP on, which the view posts to itself to act after
  // the control has finished what it was doing.
  std::function<void(UINT msg)> onPosted;

 protected:
  const char* ClassName() const override { return className_; }
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  const char* className_;
  HWND control_ = nullptr;
};


}  // namespace vellora
