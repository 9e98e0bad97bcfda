#include "views/dialogs/FolderPickDialog.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "views/dialogs/DialogIds.h"

namespace vellora {

namespace {

constexpr UINT kUnchecked = INDEXTOSTATEIMAGEMASK(1);
constexpr UINT kChecked = INDEXTOSTATEIMAGEMASK(2);

}  // namespace

FolderPickDialog::FolderPickDialog(const TextSource& texts, FolderPickMode mode, std::vector<std::string> names,
                                   std::vector<std::string> checked)
    : texts_(texts), mode_(mode), names_(std::move(names)), checked_(std::move(checked)) {}

bool FolderPickDialog::Ask(HWND owner) { return Run(owner, IDD_FOLDER_PICK) == IDOK; }

HWND FolderPickDialog::List() const { return Item(IDC_FOLDER_PICK_LIST); }

bool FolderPickDialog::OnInit() {
  // The export caption is the template's own.
  if (mode_ == FolderPickMode::kImport) SetWindowTextA(Handle(), "Import Folders");
  SetItemText(IDC_FOLDER_PICK_LABEL, mode_ == FolderPickMode::kImport ? "Please select the folders to import:"
                                                                      : "Select the folders to export:");
  HWND list = List();
  // Check boxes before the first row: the state images come with the style.
  SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
  LVCOLUMNA column = {};
  column.mask = LVCF_TEXT | LVCF_WIDTH;
  column.cx = 120;
  column.pszText = const_cast<char*>("NotShow");
  SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
  for (size_t i = 0; i < names_.size(); ++i) {
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(i);
    item.pszText = const_cast<char*>(names_[i].c_str());
    const int at = static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    const bool checked = std::find(checked_.begin(), checked_.end(), names_[i]) != checked_.end();
    LVITEMA state = {};
    state.stateMask = LVIS_STATEIMAGEMASK;
    state.state = checked ? kChecked : kUnchecked;
    SendMessageA(list, LVM_SETITEMSTATE, at, reinterpret_cast<LPARAM>(&state));
  }
  CentreOnOwner();
  SetFocus(list);
  return false;
}

bool FolderPickDialog::OnOk() {
  HWND list = List();
  std::vector<std::string> checked;
  const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count && i < static_cast<int>(names_.size()); ++i) {
    const UINT state = static_cast<UINT>(SendMessageA(list, LVM_GETITEMSTATE, i, LVIS_STATEIMAGEMASK));
    if ((state & LVIS_STATEIMAGEMASK) == kChecked) checked.push_back(names_[static_cast<size_t>(i)]);
  }
  if (checked.empty()) {
    MessageBoxA(Handle(), "You have not select any fodler.", texts_.TextOr(kTextTipCaption, "Tip").c_str(),
                MB_OK | MB_ICONINFORMATION);
    SetFocus(list);
    return false;
  }
  checked_ = std::move(checked);
  return true;
}

}  // namespace vellora
