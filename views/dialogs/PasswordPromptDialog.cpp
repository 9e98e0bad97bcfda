#include "views/dialogs/PasswordPromptDialog.h"

#include <cstdio>
#include <utility>

#include "store/LibraryFormat.h"
#include "views/dialogs/DialogIds.h"

namespace vellora {

PasswordPromptDialog::PasswordPromptDialog(const TextSource& texts, std::string displayName, std::string expected)
    : texts_(texts), displayName_(std::move(displayName)), expected_(std::move(expected)) {}

std::string PasswordPromptDialog::PromptText(const std::string& displayName) {
  return "Please input password to access item [" + CutToBytes(displayName, 18) + "]";
}

bool PasswordPromptDialog::Ask(HWND owner) { return Run(owner, IDD_PASSWORD_PROMPT) == IDOK; }

bool PasswordPromptDialog::OnInit() {
  SetItemText(IDC_PASSWORD_TEXT, PromptText(displayName_));
  SendMessageA(Item(IDC_PASSWORD_EDIT), EM_LIMITTEXT, kMaxPasswordBytes, 0);
  CentreOnOwner();
  SetFocus(Item(IDC_PASSWORD_EDIT));
  return false;
}

bool PasswordPromptDialog::OnOk() {
  const std::string typed = ItemText(IDC_PASSWORD_EDIT, kMaxPasswordBytes + 1);
  if (typed == expected_) return true;
  if (chances_ <= 1) {
    End(IDCANCEL);
    return false;
  }
  MessageBoxA(Handle(), texts_.TextOr(kTextWrongPasswordTryAgain, "Wrong password.").c_str(), texts_.TextOr(kTextTipCaption, "Tip").c_str(),
              MB_OK | MB_ICONWARNING);
  --chances_;
  char caption[96];
  std::snprintf(caption, sizeof caption, "Password authentication - you have still %d chances to input", chances_);
  SetWindowTextA(Handle(), caption);
  SetItemText(IDC_PASSWORD_EDIT, "");
  SetFocus(Item(IDC_PASSWORD_EDIT));
  return false;
}

}  // namespace vellora
