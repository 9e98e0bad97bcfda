#pragma once
// The base of every modal dialog: the dialog's state lives in the object, the
// template comes from the resources (or is built in memory), and one guarded
// procedure hands WM_INITDIALOG to OnInit, Ok to OnOk, Cancel to OnCancel and
// every other command to OnCommand. Nothing thrown leaves the procedure.
#include <windows.h>

#include <string>

namespace vellora {

class ModalDialog {
 public:
  ModalDialog() = default;
  ModalDialog(const ModalDialog&) = delete;
  ModalDialog& operator=(const ModalDialog&) = delete;
  virtual ~ModalDialog() = default;

  // Runs the dialog of the resource template and answers the code it ended
  // with (IDOK, IDCANCEL, ...), or -1 when it could not be shown. The
  // template comes from resources, or from the program when that is null (a
  // DLL names its own module).
  INT_PTR Run(HWND owner, int templateId, HINSTANCE resources = nullptr);
  // The same with a template in memory (a DLGTEMPLATE and its items).
  INT_PTR RunIndirect(HWND owner, const DLGTEMPLATE* dialogTemplate);

  HWND Handle() const { return dialog_; }

  // A control's text read through a buffer of maxBytes bytes (its NUL
  // included), so at most maxBytes - 1 bytes, never half a double-byte
  // character at the cut.
  static std::string ControlText(HWND control, size_t maxBytes);

 protected:
  // WM_INITDIALOG; answer false after setting the focus yourself. A dialog
  // whose OnInit throws is ended with IDCANCEL: it was never set up.
  virtual bool OnInit() { return true; }
  // IDOK: answer true to close the dialog with IDOK, false to keep it open.
  virtual bool OnOk() { return true; }
  // IDCANCEL, Escape and the close box: answer true to close with IDCANCEL.
  virtual bool OnCancel() { return true; }
  // Every other WM_COMMAND; answer true when handled.
  virtual bool OnCommand(int id, int code, HWND control) {
    (void)id, (void)code, (void)control;
    return false;
  }
  // Every other message; set handled to make the result the procedure's
  // answer (a WM_NOTIFY result goes through DWLP_MSGRESULT, as usual).
  virtual INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
    (void)msg, (void)wParam, (void)lParam;
    handled = false;
    return 0;
  }

  void End(INT_PTR code) { EndDialog(dialog_, code); }
  HWND Item(int id) const { return GetDlgItem(dialog_, id); }
  std::string ItemText(int id, size_t maxBytes) const { return ControlText(Item(id), maxBytes); }
  void SetItemText(int id, const std::string& text) const { SetDlgItemTextA(dialog_, id, text.c_str()); }
  bool IsChecked(int id) const { return IsDlgButtonChecked(dialog_, id) == BST_CHECKED; }
  void SetChecked(int id, bool checked) const { CheckDlgButton(dialog_, id, checked ? BST_CHECKED : BST_UNCHECKED); }
  // Centres the dialog on its owner (or on the work area without one).
  void CentreOnOwner() const;

 private:
  static INT_PTR CALLBACK Procedure(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
  INT_PTR Dispatch(UINT msg, WPARAM wParam, LPARAM lParam);

  HWND dialog_ = nullptr;
};

}  // namespace vellora
