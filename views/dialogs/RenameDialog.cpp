#include "views/dialogs/RenameDialog.h"

#include <utility>

#include "store/LibraryFormat.h"
#include "views/dialogs/DialogIds.h"

namespace vellora {

RenameDialog::RenameDialog(std::string caption, std::string initial, std::string emptyCaption, std::string label)
    : caption_(std::move(caption)),
      text_(CutToBytes(initial, kMaxBytes)),
      emptyCaption_(std::move(emptyCaption)),
      label_(std::move(label)) {}

bool RenameDialog::Ask(HWND owner) { return Run(owner, IDD_RENAME) == IDOK; }

bool RenameDialog::OnInit() {
  SetWindowTextA(Handle(), caption_.c_str());
  if (!label_.empty()) SetItemText(IDC_RENAME_LABEL, label_);
  SendMessageA(Item(IDC_RENAME_EDIT), EM_LIMITTEXT, kMaxBytes, 0);
  SetItemText(IDC_RENAME_EDIT, text_);
  SendMessageA(Item(IDC_RENAME_EDIT), EM_SETSEL, 0, -1);
  CentreOnOwner();
  SetFocus(Item(IDC_RENAME_EDIT));
  return false;
}

bool RenameDialog::OnOk() {
  std::string entered = ItemText(IDC_RENAME_EDIT, kMaxBytes + 1);
  if (entered.empty()) {
    MessageBoxA(Handle(), "The name can not be empty!", emptyCaption_.c_str(), MB_OK | MB_ICONINFORMATION);
    SetFocus(Item(IDC_RENAME_EDIT));
    return false;
  }
  text_ = std::move(entered);
  return true;
}

}  // namespace vellora
