#pragma once
// "Backups" (dialog 271): whether a library is copied before a session first
// changes it, how many copies of each are kept (1 to 99), and the folder they
// go into (empty: "Backups" beside each library), with a folder chooser.
// Opens on the policy stored under the program's key and writes what OK
// accepts back there; a folder the store's check refuses keeps it open.
#include <windows.h>

#include <functional>
#include <string>

#include "platform/ModalDialog.h"
#include "store/LibraryBackups.h"
#include "store/Services.h"

namespace vellora {

class BackupSettingsDialog : public ModalDialog {
 public:
  // The policy lives under key\Backups below root.
  BackupSettingsDialog(const TextSource& texts, HKEY root, std::string key);
  // True when OK wrote the chosen policy; Result() holds it then.
  bool Ask(HWND owner);
  const BackupPolicy& Result() const { return policy_; }

  // How "Browse..." asks for a folder, starting at the one typed (the shell's
  // folder chooser; replaceable in tests).
  std::function<bool(HWND owner, const std::string& start, std::string& folder)> chooseFolder;

 protected:
  bool OnInit() override;
  bool OnOk() override;
  bool OnCommand(int id, int code, HWND control) override;

 private:
  // The count and folder controls follow the check box.
  void EnableDetails(bool enabled);
  void Refuse(const std::string& why);

  const TextSource& texts_;
  HKEY root_;
  std::string key_;
  BackupPolicy policy_;
};

}  // namespace vellora
