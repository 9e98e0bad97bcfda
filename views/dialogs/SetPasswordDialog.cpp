#include "views/dialogs/SetPasswordDialog.h"

#include <utility>

#include "content/AccessPasswords.h"
#include "views/dialogs/DialogIds.h"

namespace vellora {

SetPasswordDialog::SetPasswordDialog(const TextSource& texts, std::string current)
    : texts_(texts), current_(std::move(current)) {}

bool SetPasswordDialog::Ask(HWND owner) { return Run(owner, IDD_SET_PASSWORD) == IDOK; }

bool SetPasswordDialog::OnInit() {
  for (int id : {IDC_SET_PASSWORD_OLD, IDC_SET_PASSWORD_NEW, IDC_SET_PASSWORD_CONFIRM})
    SendMessageA(Item(id), EM_LIMITTEXT, kMaxPasswordBytes, 0);
  const bool hasPassword = !current_.empty();
  EnableWindow(Item(IDC_SET_PASSWORD_OLD), hasPassword);
  EnableWindow(Item(IDC_SET_PASSWORD_OLD_LABEL), hasPassword);
  CentreOnOwner();
  SetFocus(Item(hasPassword ? IDC_SET_PASSWORD_OLD : IDC_SET_PASSWORD_NEW));
  return false;
}

void SetPasswordDialog::Refuse(const char* text, UINT icon, int focus) {
  MessageBoxA(Handle(), text, texts_.TextOr(kTextErrorCaption, "Error").c_str(), MB_OK | icon);
  SetFocus(Item(focus));
  SendMessageA(Item(focus), EM_SETSEL, 0, -1);
}

bool SetPasswordDialog::OnOk() {
  // Without a password set, whatever stands in the disabled edit is ignored.
  const std::string typedOld = current_.empty() ? std::string() : ItemText(IDC_SET_PASSWORD_OLD, kMaxPasswordBytes + 1);
  const std::string typedNew = ItemText(IDC_SET_PASSWORD_NEW, kMaxPasswordBytes + 1);
  const std::string typedConfirm = ItemText(IDC_SET_PASSWORD_CONFIRM, kMaxPasswordBytes + 1);
  switch (CheckPasswordChange(current_, typedOld, typedNew, typedConfirm)) {
    case PasswordChangeCheck::WrongOldPassword:
      Refuse("Error old password.", MB_ICONERROR, IDC_SET_PASSWORD_OLD);
      return false;
    case PasswordChangeCheck::ConfirmationDiffers:
      Refuse("New password is not equal to confirm password!", MB_ICONWARNING, IDC_SET_PASSWORD_CONFIRM);
      return false;
    case PasswordChangeCheck::Accepted: break;
  }
  result_ = typedNew;
  return true;
}

}  // namespace vellora
