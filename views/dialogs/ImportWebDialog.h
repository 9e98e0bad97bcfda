#pragma once
// "Import webpage" (dialog 236): the address (at most 259 characters, not
// checked), a "..." button that picks an HTML file, and the choice between
// keeping a link ("Import webpage link", chosen at opening) and the page
// itself ("Embed webpage content").
#include <windows.h>

#include <functional>
#include <string>

#include "content/ContentPrompt.h"
#include "platform/ModalDialog.h"

namespace vellora {

class ImportWebDialog : public ModalDialog {
 public:
  static constexpr size_t kMaxAddress = 259;

  // True with the answer filled when the user chose OK.
  bool Ask(HWND owner, WebImportRequest& answer);
  // How "..." asks for a file (the open-file dialog; replaceable in tests).
  std::function<bool(HWND owner, std::string& path)> chooseFile;

 protected:
  bool OnInit() override;
  bool OnOk() override;
  bool OnCommand(int id, int code, HWND control) override;

 private:
  WebImportRequest answer_;
};

}  // namespace vellora
