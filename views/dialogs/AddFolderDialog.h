#pragma once
// "Add Folder" (dialog 243): a name of at most 19 bytes, never empty, and the
// kind, "Favorite Folder" unless the user picks "Favorite Tree".
#include <windows.h>

#include "content/ContentPrompt.h"
#include "platform/ModalDialog.h"
#include "store/Services.h"

namespace vellora {

class AddFolderDialog : public ModalDialog {
 public:
  static constexpr size_t kMaxNameBytes = 19;

  explicit AddFolderDialog(const TextSource& texts) : texts_(texts) {}
  // True with the answer filled when the user chose Ok.
  bool Ask(HWND owner, NewFolderRequest& answer);

 protected:
  bool OnInit() override;
  bool OnOk() override;

 private:
  const TextSource& texts_;
  NewFolderRequest answer_;
};

}  // namespace vellora
