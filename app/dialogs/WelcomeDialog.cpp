#include "app/dialogs/WelcomeDialog.h"

#include "app/resources/ResourceIds.h"
#include "store/UserPrompt.h"

namespace vellora {

int WelcomeDialog::Choose(HWND owner) {
  INT_PTR code = Run(owner, IDD_WELCOME);
  return code <= 0 ? kWelcomeExit : static_cast<int>(code);
}

bool WelcomeDialog::OnInit() {
  CheckRadioButton(Handle(), IDC_WELCOME_OPEN_SPECIFIC, IDC_WELCOME_CREATE_NEW, IDC_WELCOME_CREATE_NEW);
  if (!reason_.empty()) SetDlgItemTextA(Handle(), IDC_WELCOME_TEXT, reason_.c_str());
  CentreOnOwner();
  return true;
}

bool WelcomeDialog::OnOk() {
  End(IsChecked(IDC_WELCOME_OPEN_NEXT)       ? kWelcomeOpenNextRecent
      : IsChecked(IDC_WELCOME_CREATE_NEW)    ? kWelcomeCreateNew
      : IsChecked(IDC_WELCOME_OPEN_SPECIFIC) ? kWelcomeOpenSpecific
                                             : kWelcomeExit);
  return false;
}

bool WelcomeDialog::OnCancel() {
  End(kWelcomeExit);
  return false;
}

}  // namespace vellora
