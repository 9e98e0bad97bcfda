#include "views/dialogs/AddFolderDialog.h"

#include "store/LibraryFormat.h"
#include "views/dialogs/DialogIds.h"

namespace vellora {

bool AddFolderDialog::Ask(HWND owner, NewFolderRequest& answer) {
  if (Run(owner, IDD_ADD_FOLDER) != IDOK) return false;
  answer = answer_;
  return true;
}

bool AddFolderDialog::OnInit() {
  SendMessageA(Item(IDC_FOLDER_NAME), EM_LIMITTEXT, kMaxNameBytes, 0);
  SetChecked(IDC_FOLDER_CATALOG, true);
  CentreOnOwner();
  SetFocus(Item(IDC_FOLDER_NAME));
  return false;
}

bool AddFolderDialog::OnOk() {
  // Read through a 20-byte buffer: longer input is cut, never mid-character.
  std::string name = ItemText(IDC_FOLDER_NAME, kMaxNameBytes + 1);
  if (name.empty()) {
    MessageBoxA(Handle(), texts_.TextOr(kTextFolderNameEmpty, "Please enter a name for the folder.").c_str(),
                texts_.TextOr(kTextAddFolderCaption, "Add Folder").c_str(), MB_OK | MB_ICONWARNING);
    SetFocus(Item(IDC_FOLDER_NAME));
    return false;
  }
  answer_.name = name;
  answer_.kind = IsChecked(IDC_FOLDER_CATALOG) ? kFolderCatalog : kFolderTree;
  return true;
}

}  // namespace vellora
