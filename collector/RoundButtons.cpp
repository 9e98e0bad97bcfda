#include "collector/RoundButtons.h"

#include <commctrl.h>

#include <string>

#include "platform/GdiHandles.h"

namespace vellora::collector {

namespace {

constexpr UINT_PTR kSubclassId = 0x5652;
constexpr char kHotProperty[] = "VelloraRoundButtonHot";

const COLORREF kFrameNormal = RGB(128, 134, 142);
const COLORREF kFrameHot = RGB(47, 114, 201);
const COLORREF kFrameFocus = RGB(61, 156, 61);
const COLORREF kFillNormal = RGB(246, 248, 250);
const COLORREF kFillHot = RGB(225, 236, 250);
const COLORREF kFillPressed = RGB(196, 216, 240);

bool IsHot(HWND button) { return GetPropA(button, kHotProperty) != nullptr; }

void SetHot(HWND button, bool hot) {
  if (IsHot(button) == hot) return;
  if (hot) SetPropA(button, kHotProperty, reinterpret_cast<HANDLE>(1));
  else RemovePropA(button, kHotProperty);
  InvalidateRect(button, nullptr, FALSE);
}

LRESULT CALLBACK TrackMouse(HWND button, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
  if (message == WM_MOUSEMOVE && !IsHot(button)) {
    TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, button, 0};
    TrackMouseEvent(&track);
    SetHot(button, true);
  } else if (message == WM_MOUSELEAVE) {
    SetHot(button, false);
  } else if (message == WM_NCDESTROY) {
    RemovePropA(button, kHotProperty);
    RemoveWindowSubclass(button, TrackMouse, kSubclassId);
  }
  return DefSubclassProc(button, message, wParam, lParam);
}

}  // namespace

void AttachRoundButton(HWND button) {
  if (button) SetWindowSubclass(button, TrackMouse, kSubclassId, 0);
}

void DetachRoundButton(HWND button) {
  if (!button) return;
  RemovePropA(button, kHotProperty);
  RemoveWindowSubclass(button, TrackMouse, kSubclassId);
}

void DrawRoundButton(const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  RECT box = item.rcItem;
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;
  const bool focused = (item.itemState & ODS_FOCUS) != 0;
  const bool disabled = (item.itemState & ODS_DISABLED) != 0;
  const bool hot = IsHot(item.hwndItem) && !disabled;

  FillRect(dc, &box, GetSysColorBrush(COLOR_BTNFACE));
  COLORREF frame = disabled ? GetSysColor(COLOR_GRAYTEXT) : hot ? kFrameHot : focused ? kFrameFocus : kFrameNormal;
  COLORREF fill = pressed ? kFillPressed : hot ? kFillHot : kFillNormal;
  PenHandle pen(CreatePen(PS_SOLID, focused || hot ? 2 : 1, frame));
  BrushHandle brush(CreateSolidBrush(fill));
  {
    SelectGuard usePen(dc, pen);
    SelectGuard useBrush(dc, brush);
    RoundRect(dc, box.left + 1, box.top + 1, box.right - 1, box.bottom - 1, 10, 10);
  }

  char text[128] = "";
  GetWindowTextA(item.hwndItem, text, sizeof text);
  RECT label = box;
  if (pressed) OffsetRect(&label, 1, 1);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, disabled ? GetSysColor(COLOR_GRAYTEXT) : RGB(33, 37, 43));
  DrawTextA(dc, text, -1, &label, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

}  // namespace vellora::collector
