// The dialog's owner-drawn push buttons: rounded frames whose colour follows
// the mouse (hover) and the keyboard focus.
#pragma once
#include <windows.h>

namespace vellora::collector {

// Lets the button track the mouse so that it is drawn hot while hovered.
void AttachRoundButton(HWND button);
void DetachRoundButton(HWND button);
// Draws a BS_OWNERDRAW button from its WM_DRAWITEM data.
void DrawRoundButton(const DRAWITEMSTRUCT& item);

}  // namespace vellora::collector
