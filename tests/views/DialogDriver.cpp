#include "tests/views/DialogDriver.h"

#include <vector>

namespace vtest {

namespace {

struct Search {
  std::string caption;
  bool messageBox = false;
  HWND found = nullptr;
};

BOOL CALLBACK FindCaption(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != GetCurrentProcessId() || !IsWindowVisible(window)) return TRUE;
  char text[256] = "";
  GetWindowTextA(window, text, sizeof text);
  if (search->caption != text) return TRUE;
  // A message box holds its text in the static control 0xFFFF.
  if (search->messageBox && !GetDlgItem(window, 0xFFFF)) return TRUE;
  search->found = window;
  return FALSE;
}

}  // namespace

HWND WaitForDialog(const std::string& caption, DWORD timeoutMs) {
  for (DWORD start = GetTickCount(); GetTickCount() - start < timeoutMs; Sleep(20)) {
    Search search{caption};
    EnumWindows(FindCaption, reinterpret_cast<LPARAM>(&search));
    if (search.found) return search.found;
  }
  return nullptr;
}

bool AnswerMessageBox(const std::string& caption, int button, std::string* text) {
  HWND box = nullptr;
  for (DWORD start = GetTickCount(); !box && GetTickCount() - start < 10000; Sleep(20)) {
    Search search{caption, true};
    EnumWindows(FindCaption, reinterpret_cast<LPARAM>(&search));
    box = search.found;
  }
  if (!box) return false;
  if (text) {
    // The message is the box's static control.
    *text = ControlText(box, 0xFFFF);
  }
  Click(box, button);
  for (DWORD start = GetTickCount(); IsWindow(box) && GetTickCount() - start < 5000;) Sleep(20);
  return true;
}

std::string ControlText(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  if (!control) return {};
  std::vector<char> text(static_cast<size_t>(SendMessageA(control, WM_GETTEXTLENGTH, 0, 0)) + 1, '\0');
  SendMessageA(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  return text.data();
}

void SetControlText(HWND dialog, int id, const std::string& text) {
  SendMessageA(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void Click(HWND dialog, int id) {
  if (HWND button = GetDlgItem(dialog, id)) PostMessageA(button, BM_CLICK, 0, 0);
  else PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

}  // namespace vtest
