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

// The window of a view with strips of its own beside its content (the text
// pane, the web view): the view sees its messages first, and what it leaves
// of its children's notifications, commands and context menus goes on to the
// window that holds the pane, as if the view's children sat there.
class PaneWindow : public Window {
 public:
  // background: a system colour index for the face behind the strips (-1: none).
  explicit PaneWindow(const char* className, int background = -1) : className_(className), background_(background) {}

  // A message of the pane; handled sets whether it was taken.
  std::function<LRESULT(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled)> onMessage;

 protected:
  const char* ClassName() const override { return className_; }
  void RegisterClassInfo(WNDCLASSEXA& wc) const override {
    if (background_ >= 0) wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(background_ + 1));
  }
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  const char* className_;
  int background_;
};

}  // namespace vellora
