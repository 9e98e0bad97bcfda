#include "views/dialogs/ImportWebDialog.h"

#include <commdlg.h>

#include "views/dialogs/DialogIds.h"

namespace vellora {

namespace {

bool ChooseWebFile(HWND owner, std::string& path) {
  char file[MAX_PATH] = {};
  OPENFILENAMEA ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = "Web Page\0*.htm;*.html\0";
  ofn.lpstrFile = file;
  ofn.nMaxFile = MAX_PATH;
  ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
  if (!GetOpenFileNameA(&ofn)) return false;
  path = file;
  return true;
}

}  // namespace

bool ImportWebDialog::Ask(HWND owner, WebImportRequest& answer) {
  if (!chooseFile) chooseFile = ChooseWebFile;
  answer_ = WebImportRequest{};
  if (Run(owner, IDD_IMPORT_WEB) != IDOK) return false;
  answer = answer_;
  return true;
}

bool ImportWebDialog::OnInit() {
  SendMessageA(Item(IDC_IMPORT_WEB_ADDRESS), EM_LIMITTEXT, kMaxAddress, 0);
  SetChecked(IDC_IMPORT_WEB_LINK, true);
  CentreOnOwner();
  SetFocus(Item(IDC_IMPORT_WEB_ADDRESS));
  return false;
}

bool ImportWebDialog::OnCommand(int id, int code, HWND control) {
  (void)control;
  if (id != IDC_IMPORT_WEB_BROWSE || code != BN_CLICKED) return false;
  std::string path;
  if (chooseFile && chooseFile(Handle(), path)) SetItemText(IDC_IMPORT_WEB_ADDRESS, path);
  return true;
}

bool ImportWebDialog::OnOk() {
  answer_.address = ItemText(IDC_IMPORT_WEB_ADDRESS, kMaxAddress + 1);
  answer_.embed = IsChecked(IDC_IMPORT_WEB_EMBED);
  return true;
}

}  // namespace vellora
