#include "views/dialogs/BackupSettingsDialog.h"

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <memory>
#include <utility>

#include "platform/CallbackGuard.h"
#include "views/dialogs/DialogIds.h"

namespace vellora {

namespace {

// Room to read a folder typed past the check's limit, so that it is refused
// with its reason rather than cut without a word.
constexpr size_t kFolderEditBytes = MAX_PATH;

struct IdListFree {
  void operator()(ITEMIDLIST* list) const { CoTaskMemFree(list); }
};

int CALLBACK BrowseCallback(HWND window, UINT msg, LPARAM, LPARAM data) {
  return Guarded("BackupSettingsDialog browse", 0, [&] {
    const auto* start = reinterpret_cast<const std::string*>(data);
    if (msg == BFFM_INITIALIZED && !start->empty())
      SendMessageA(window, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(start->c_str()));
    return 0;
  });
}

bool BrowseForFolder(HWND owner, const std::string& start, std::string& folder) {
  BROWSEINFOA info = {};
  info.hwndOwner = owner;
  info.lpszTitle = "The folder for the backups of every library:";
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  info.lpfn = BrowseCallback;
  info.lParam = reinterpret_cast<LPARAM>(&start);
  std::unique_ptr<ITEMIDLIST, IdListFree> chosen(SHBrowseForFolderA(&info));
  if (!chosen) return false;
  char path[MAX_PATH] = {};
  if (!SHGetPathFromIDListA(chosen.get(), path)) return false;
  folder = path;
  return true;
}

// Spaces around a typed folder are no part of it (a space is never the
// second byte of a double-byte character).
std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

BackupSettingsDialog::BackupSettingsDialog(const TextSource& texts, HKEY root, std::string key)
    : texts_(texts), root_(root), key_(std::move(key)) {}

bool BackupSettingsDialog::Ask(HWND owner) {
  if (!chooseFolder) chooseFolder = BrowseForFolder;
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_UPDOWN_CLASS};
  InitCommonControlsEx(&controls);
  policy_ = ReadBackupPolicy(root_, key_);
  return Run(owner, IDD_BACKUP_SETTINGS) == IDOK;
}

bool BackupSettingsDialog::OnInit() {
  SetChecked(IDC_BACKUP_ENABLED, policy_.enabled);
  SendMessageA(Item(IDC_BACKUP_KEEP), EM_LIMITTEXT, 2, 0);
  SendMessageA(Item(IDC_BACKUP_KEEP_SPIN), UDM_SETRANGE32, kFewestBackupsKept, kMostBackupsKept);
  SendMessageA(Item(IDC_BACKUP_KEEP_SPIN), UDM_SETPOS32, 0, policy_.keep);
  SendMessageA(Item(IDC_BACKUP_FOLDER), EM_LIMITTEXT, kFolderEditBytes, 0);
  SetItemText(IDC_BACKUP_FOLDER, policy_.folder);
  EnableDetails(policy_.enabled);
  CentreOnOwner();
  SetFocus(Item(IDC_BACKUP_ENABLED));
  return false;
}

void BackupSettingsDialog::EnableDetails(bool enabled) {
  for (int id : {IDC_BACKUP_KEEP_LABEL, IDC_BACKUP_KEEP, IDC_BACKUP_KEEP_SPIN, IDC_BACKUP_KEEP_UNIT,
                 IDC_BACKUP_FOLDER_LABEL, IDC_BACKUP_FOLDER, IDC_BACKUP_BROWSE, IDC_BACKUP_FOLDER_NOTE})
    EnableWindow(Item(id), enabled);
}

bool BackupSettingsDialog::OnCommand(int id, int code, HWND control) {
  (void)control;
  if (code != BN_CLICKED) return false;
  if (id == IDC_BACKUP_ENABLED) {
    EnableDetails(IsChecked(IDC_BACKUP_ENABLED));
    return true;
  }
  if (id == IDC_BACKUP_BROWSE) {
    std::string folder;
    if (chooseFolder && chooseFolder(Handle(), Trimmed(ItemText(IDC_BACKUP_FOLDER, kFolderEditBytes + 1)), folder))
      SetItemText(IDC_BACKUP_FOLDER, folder);
    return true;
  }
  return false;
}

void BackupSettingsDialog::Refuse(const std::string& why) {
  MessageBoxA(Handle(), why.c_str(), texts_.TextOr(kTextErrorCaption, "Error").c_str(), MB_OK | MB_ICONWARNING);
}

bool BackupSettingsDialog::OnOk() {
  BackupPolicy chosen;
  chosen.enabled = IsChecked(IDC_BACKUP_ENABLED);
  BOOL numeric = FALSE;
  const UINT typed = GetDlgItemInt(Handle(), IDC_BACKUP_KEEP, &numeric, FALSE);
  chosen.keep = numeric ? std::clamp<unsigned>(typed, kFewestBackupsKept, kMostBackupsKept) : policy_.keep;
  chosen.folder = Trimmed(ItemText(IDC_BACKUP_FOLDER, kFolderEditBytes + 1));
  const std::string why = CheckBackupFolder(chosen.folder);
  if (!why.empty()) {
    // With backups off the folder cannot be mended here (its edit is
    // greyed): the one kept before stays.
    if (chosen.enabled) {
      Refuse(why);
      SetFocus(Item(IDC_BACKUP_FOLDER));
      SendMessageA(Item(IDC_BACKUP_FOLDER), EM_SETSEL, 0, -1);
      return false;
    }
    chosen.folder = policy_.folder;
  }
  if (LONG written = WriteBackupPolicy(root_, key_, chosen); written != ERROR_SUCCESS) {
    Refuse("The backup settings could not be stored (system error " + std::to_string(written) + ").");
    return false;
  }
  policy_ = chosen;
  return true;
}

}  // namespace vellora
