#pragma once
// The main window's bars: the menu bar (shown by the command bar), the main
// toolbar in the rebar, the status bar with its clock, the accelerators and
// the rebar's background picture. The frame lays out what is left.
#include <windows.h>

#include <functional>

#include "content/CommandTable.h"
#include "controls/CommandBar.h"
#include "platform/GdiHandles.h"

namespace vellora {

class FrameChrome {
 public:
  FrameChrome() = default;
  ~FrameChrome();
  FrameChrome(const FrameChrome&) = delete;
  FrameChrome& operator=(const FrameChrome&) = delete;

  // Takes the window's menu bar over (the command bar shows it from here on,
  // and it is ours to destroy) and makes the bars.
  void Create(HWND frame);
  // Lays the bars out in the frame's client area; the rest of the client area
  // (the main splitter's place) comes back.
  RECT Layout();

  HMENU Menu() const { return menu_; }
  CommandBar& Commands() { return commandBar_; }
  // Tracks a popup with the command bar (its images and enabling); flags as
  // for TrackPopupMenu (TPM_RETURNCMD gives the command back).
  UINT TrackPopup(HMENU popup, POINT screen, UINT flags = 0);
  bool TranslateAccelerator(MSG& msg);

  bool ToolbarShown() const { return toolbarShown_; }
  bool StatusShown() const { return statusShown_; }
  void ShowToolbar(bool show);
  void ShowStatusBar(bool show);
  HWND StatusBar() const { return status_; }
  // The status bar's first part: the prompt of a menu entry, or "Ready".
  void ShowMenuPrompt(UINT id, UINT flags, HMENU menu);
  void UpdateClock();
  // Enables the toolbar's buttons as the commands are now.
  void UpdateButtons(const std::function<CommandUi(UINT id)>& query);

 private:
  void CreateBars();
  void CreateStatusBar();
  void LoadRebarBackground();

  HWND frame_ = nullptr;
  HMENU menu_ = nullptr;
  MenuHandle menuBar_;
  HACCEL accelerators_ = nullptr;
  HWND rebar_ = nullptr;
  HWND toolbar_ = nullptr;
  HWND status_ = nullptr;
  ImageListHandle toolbarImages_;
  IconHandle clockIcon_;
  IconHandle smallProgramIcon_;
  BitmapHandle rebarBack_;
  CommandBar commandBar_;
  bool toolbarShown_ = true;
  bool statusShown_ = true;
};

}  // namespace vellora
