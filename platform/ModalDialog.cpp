#include "platform/ModalDialog.h"

#include <vector>

#include "platform/CallbackGuard.h"

namespace vellora {

INT_PTR ModalDialog::Run(HWND owner, int templateId, HINSTANCE resources) {
  return DialogBoxParamA(resources ? resources : GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), owner,
                         Procedure, reinterpret_cast<LPARAM>(this));
}

INT_PTR ModalDialog::RunIndirect(HWND owner, const DLGTEMPLATE* dialogTemplate) {
  return DialogBoxIndirectParamA(GetModuleHandleA(nullptr), dialogTemplate, owner, Procedure,
                                 reinterpret_cast<LPARAM>(this));
}

std::string ModalDialog::ControlText(HWND control, size_t maxBytes) {
  if (!control || maxBytes == 0) return {};
  std::vector<char> buffer(maxBytes, '\0');
  int got = GetWindowTextA(control, buffer.data(), static_cast<int>(maxBytes));
  std::string text(buffer.data(), got > 0 ? static_cast<size_t>(got) : 0);
  // A cut through a double-byte character leaves its lead byte alone at the
  // end; it goes too.
  size_t i = 0, last = 0;
  while (i < text.size()) {
    last = i;
    i += IsDBCSLeadByte(static_cast<BYTE>(text[i])) ? 2 : 1;
  }
  if (i > text.size()) text.resize(last);
  return text;
}

void ModalDialog::CentreOnOwner() const {
  HWND owner = GetWindow(dialog_, GW_OWNER);
  RECT o, d;
  if (!owner || !IsWindowVisible(owner) || !GetWindowRect(owner, &o)) SystemParametersInfoA(SPI_GETWORKAREA, 0, &o, 0);
  GetWindowRect(dialog_, &d);
  int x = o.left + ((o.right - o.left) - (d.right - d.left)) / 2;
  int y = o.top + ((o.bottom - o.top) - (d.bottom - d.top)) / 2;
  SetWindowPos(dialog_, nullptr, x < 0 ? 0 : x, y < 0 ? 0 : y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK ModalDialog::Procedure(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  ModalDialog* self = nullptr;
  if (msg == WM_INITDIALOG) {
    self = reinterpret_cast<ModalDialog*>(lParam);
    SetWindowLongPtrA(dialog, DWLP_USER, lParam);
    if (self) self->dialog_ = dialog;
  } else {
    self = reinterpret_cast<ModalDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
  }
  if (!self) return FALSE;
  bool failed = true;
  INT_PTR result = Guarded("dialog", static_cast<INT_PTR>(FALSE), [&] {
    INT_PTR r = self->Dispatch(msg, wParam, lParam);
    failed = false;
    return r;
  });
  if (failed && msg == WM_INITDIALOG) EndDialog(dialog, IDCANCEL);
  if (msg == WM_NCDESTROY) self->dialog_ = nullptr;
  return result;
}

INT_PTR ModalDialog::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG: return OnInit() ? TRUE : FALSE;
    case WM_COMMAND: {
      int id = LOWORD(wParam), code = HIWORD(wParam);
      if (id == IDOK && code == BN_CLICKED) {
        if (OnOk()) End(IDOK);
        return TRUE;
      }
      if (id == IDCANCEL) {
        if (OnCancel()) End(IDCANCEL);
        return TRUE;
      }
      return OnCommand(id, code, reinterpret_cast<HWND>(lParam)) ? TRUE : FALSE;
    }
    default: {
      bool handled = false;
      INT_PTR result = OnMessage(msg, wParam, lParam, handled);
      return handled ? result : FALSE;
    }
  }
}

}  // namespace vellora
