#pragma once
// The folder selection dialog (263) of Export folders and Import folders: a
// list of folder names with a check box each. Ok needs at least one checked.
#include <windows.h>

#include <string>
#include <vector>

#include "content/ContentPrompt.h"
#include "platform/ModalDialog.h"
#include "store/Services.h"

namespace vellora {

class FolderPickDialog : public ModalDialog {
 public:
  // names in list order; checked: the names checked when it opens.
  FolderPickDialog(const TextSource& texts, FolderPickMode mode, std::vector<std::string> names,
                   std::vector<std::string> checked);
  bool Ask(HWND owner);
  // After Ok: the checked names in list order.
  const std::vector<std::string>& Checked() const { return checked_; }

 protected:
  bool OnInit() override;
  bool OnOk() override;

 private:
  HWND List() const;

  const TextSource& texts_;
  FolderPickMode mode_;
  std::vector<std::string> names_;
  std::vector<std::string> checked_;
};

}  // namespace vellora
