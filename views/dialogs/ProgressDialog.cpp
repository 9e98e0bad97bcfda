#include "views/dialogs/ProgressDialog.h"

#include <commctrl.h>

#include <utility>

#include "platform/CallbackGuard.h"
#include "views/dialogs/DialogIds.h"

namespace vellora {

ProgressDialog::ProgressDialog(HWND owner, std::string caption)
    : owner_(owner), caption_(std::move(caption)), started_(GetTickCount()) {}

ProgressDialog::~ProgressDialog() {
  if (!dialog_) return;
  // The owner comes back first, so that the activation goes to it.
  if (owner_ && ownerWasEnabled_) EnableWindow(owner_, TRUE);
  DestroyWindow(dialog_);
}

INT_PTR CALLBACK ProgressDialog::Procedure(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  return Guarded("progress dialog", static_cast<INT_PTR>(FALSE), [&]() -> INT_PTR {
    if (msg == WM_INITDIALOG) {
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      return TRUE;
    }
    auto* self = reinterpret_cast<ProgressDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (self && msg == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
      self->cancelled_ = true;
      EnableWindow(GetDlgItem(dialog, IDCANCEL), FALSE);
      return TRUE;
    }
    return FALSE;
  });
}

void ProgressDialog::Show() {
  dialog_ = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PROGRESS), owner_, Procedure,
                               reinterpret_cast<LPARAM>(this));
  if (!dialog_) return;
  SetWindowTextA(dialog_, caption_.c_str());
  SendDlgItemMessageA(dialog_, IDC_PROGRESS_BAR, PBM_SETRANGE32, 0, 1000);
  if (owner_) {
    RECT o, d;
    GetWindowRect(owner_, &o);
    GetWindowRect(dialog_, &d);
    SetWindowPos(dialog_, nullptr, o.left + ((o.right - o.left) - (d.right - d.left)) / 2,
                 o.top + ((o.bottom - o.top) - (d.bottom - d.top)) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ownerWasEnabled_ = IsWindowEnabled(owner_) != FALSE;
    EnableWindow(owner_, FALSE);
  }
  ShowWindow(dialog_, SW_SHOW);
}

bool ProgressDialog::Step(size_t done, size_t total) {
  if (!dialog_ && !cancelled_ && GetTickCount() - started_ >= kShowAfterMs) Show();
  if (dialog_) {
    const LPARAM permille = total ? static_cast<LPARAM>(done * 1000 / total) : 0;
    SendDlgItemMessageA(dialog_, IDC_PROGRESS_BAR, PBM_SETPOS, static_cast<WPARAM>(permille), 0);
    char text[64];
    wsprintfA(text, "%lu of %lu", static_cast<unsigned long>(done), static_cast<unsigned long>(total));
    SetDlgItemTextA(dialog_, IDC_PROGRESS_TEXT, text);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        // Left for the program's own loop, which ends on it.
        PostQuitMessage(static_cast<int>(msg.wParam));
        cancelled_ = true;
        break;
      }
      if (!IsDialogMessageA(dialog_, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
    }
  }
  return !cancelled_;
}

}  // namespace vellora
