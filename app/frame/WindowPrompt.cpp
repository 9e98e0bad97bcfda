#include "app/frame/WindowPrompt.h"

#include <commdlg.h>

#include <cstring>
#include <vector>

#include "app/frame/DialogTemplate.h"
#include "app/resources/ResourceIds.h"

namespace vellora {

std::string DialogFilter(const std::string& separated) {
  std::string filter = separated;
  for (char& c : filter)
    if (c == '|') c = '\0';
  // The list ends with two NULs whatever the source ended with.
  filter.push_back('\0');
  filter.push_back('\0');
  return filter;
}

int WindowPrompt::ShowMessage(const std::string& text, const std::string& caption, UINT type) {
  return MessageBoxA(owner_, text.c_str(), caption.c_str(), type);
}

namespace {

// Centres a common dialog on its owner.
UINT_PTR CALLBACK CentreOnOwnerHook(HWND dialog, UINT msg, WPARAM, LPARAM) {
  if (msg != WM_INITDIALOG) return 0;
  HWND box = GetParent(dialog);
  HWND owner = GetWindow(box, GW_OWNER);
  RECT o, b;
  if (!owner || !GetWindowRect(owner, &o) || !GetWindowRect(box, &b)) return 0;
  int x = o.left + ((o.right - o.left) - (b.right - b.left)) / 2;
  int y = o.top + ((o.bottom - o.top) - (b.bottom - b.top)) / 2;
  SetWindowPos(box, nullptr, x < 0 ? 0 : x, y < 0 ? 0 : y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  return 0;
}

}  // namespace

bool WindowPrompt::ChooseFile(const FileDialogRequest& request, std::string& path) {
  char file[MAX_PATH] = {};
  lstrcpynA(file, request.initialName.c_str(), MAX_PATH);
  std::string filter = DialogFilter(request.filter);
  OPENFILENAMEA ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner_;
  ofn.lpstrFilter = filter.c_str();
  ofn.lpstrFile = file;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrTitle = request.title.empty() ? nullptr : request.title.c_str();
  ofn.lpstrDefExt = request.defaultExtension.empty() ? nullptr : request.defaultExtension.c_str();
  ofn.Flags = request.flags | OFN_EXPLORER | OFN_ENABLEHOOK | OFN_NOCHANGEDIR;
  ofn.lpfnHook = CentreOnOwnerHook;
  BOOL ok = request.save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn);
  if (!ok) return false;
  path = file;
  return true;
}

namespace {

struct PasswordDialogState {
  std::string prompt;
  std::string entered;
};

INT_PTR CALLBACK PasswordProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<PasswordDialogState*>(GetWindowLongPtrA(dialog, DWLP_USER));
  switch (msg) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      state = reinterpret_cast<PasswordDialogState*>(lParam);
      SetDlgItemTextA(dialog, 100, state->prompt.c_str());
      SendDlgItemMessageA(dialog, 101, EM_LIMITTEXT, 19, 0);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        char text[32] = {};
        GetDlgItemTextA(dialog, 101, text, sizeof text);
        state->entered = text;
        EndDialog(dialog, IDOK);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      break;
    default:
      break;
  }
  return FALSE;
}

}  // namespace

bool WindowPrompt::AskPassword(const std::string& displayName, const std::string& password) {
  DialogTemplate t("Password", 220, 70);
  t.AddStatic(100, "", 7, 7, 206, 18);
  t.AddEdit(101, 7, 28, 206, 12, ES_PASSWORD | ES_AUTOHSCROLL);
  t.AddButton(IDOK, "&Ok", 107, 48, 50, 14, BS_DEFPUSHBUTTON);
  t.AddButton(IDCANCEL, "&Cancel", 163, 48, 50, 14, BS_PUSHBUTTON);
  // Four attempts, then the caller reports the refusal.
  for (int attempt = 0; attempt < 4; ++attempt) {
    PasswordDialogState state;
    state.prompt = "Please enter the password of " + displayName + ":";
    if (t.Run(owner_, PasswordProc, reinterpret_cast<LPARAM>(&state)) != IDOK) return false;
    if (state.entered == password) return true;
  }
  return false;
}

namespace {

INT_PTR CALLBACK WelcomeProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG: {
      CheckRadioButton(dialog, IDC_WELCOME_OPEN_SPECIFIC, IDC_WELCOME_CREATE_NEW, IDC_WELCOME_CREATE_NEW);
      HWND active = GetActiveWindow();
      RECT a, d;
      if (!active || active == dialog || !GetWindowRect(active, &a)) SystemParametersInfoA(SPI_GETWORKAREA, 0, &a, 0);
      GetWindowRect(dialog, &d);
      SetWindowPos(dialog, nullptr, a.left + ((a.right - a.left) - (d.right - d.left)) / 2,
                   a.top + ((a.bottom - a.top) - (d.bottom - d.top)) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        int code = IsDlgButtonChecked(dialog, IDC_WELCOME_OPEN_NEXT) == BST_CHECKED ? 30
                   : IsDlgButtonChecked(dialog, IDC_WELCOME_CREATE_NEW) == BST_CHECKED ? 31
                   : IsDlgButtonChecked(dialog, IDC_WELCOME_OPEN_SPECIFIC) == BST_CHECKED ? 32
                                                                                : 2;
        EndDialog(dialog, code);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, 2);
        return TRUE;
      }
      break;
    case WM_CLOSE:
      EndDialog(dialog, 2);
      return TRUE;
    default:
      break;
  }
  return FALSE;
}

}  // namespace

int WindowPrompt::ShowWelcome() {
  INT_PTR r = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_WELCOME), owner_, WelcomeProc, 0);
  return r <= 0 ? 2 : static_cast<int>(r);
}

}  // namespace vellora
