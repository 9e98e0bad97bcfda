#pragma once
// A real top-level window that hosts a control under test and records what
// the control tells its parent or owner, plus a timer-driven script for
// steps that must run inside a modal menu loop.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/TestSupport.h"

namespace vtest {

struct OutBarEvent {
  int code;
  int group;
  int item;
  POINT screen;
};

class ControlHost {
 public:
  // A visible, foreground window whose client area is `width` x `height`.
  ControlHost(int width = 400, int height = 300);
  ~ControlHost();
  ControlHost(const ControlHost&) = delete;
  ControlHost& operator=(const ControlHost&) = delete;

  HWND Handle() const { return hwnd_; }

  std::vector<OutBarEvent> outbar;  // registered outlook bar notifications
  LRESULT outbarAnswer = 1;         // what the host returns to them
  std::vector<UINT> commands;       // WM_COMMAND ids
  std::vector<UINT> notifyIds;      // WM_NOTIFY idFrom values
  std::vector<HMENU> initPopups;    // WM_INITMENUPOPUP menus
  int menuSelects = 0;              // WM_MENUSELECT count
  int sysChars = 0;                 // WM_SYSCHAR that reached the host

  // Runs one step every `intervalMs` from the host's timer, also while a
  // modal loop (a menu) runs; after the last step it keeps closing menus so
  // that a test can never hang in one.
  void StartScript(std::vector<std::function<void()>> steps, UINT intervalMs = 40);
  void StopScript();

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  HWND hwnd_ = nullptr;
  std::vector<std::function<void()>> steps_;
  size_t nextStep_ = 0;
};


// A child window (a static control) of `parent` for use as a pane.
HWND MakePane(HWND parent, const char* cls = "STATIC");

// A window's rectangle in its parent's client coordinates.
RECT RectInParent(HWND child);

// Sends a click of the left (or right) button at a client point.
void Click(HWND hwnd, POINT pt, bool right = false);

POINT Center(const RECT& rc);

// "left,top,right,bottom", so failing rectangle checks print readably.
std::string Str(const RECT& rc);
std::string Str(int left, int top, int right, int bottom);

}  // namespace vtest
