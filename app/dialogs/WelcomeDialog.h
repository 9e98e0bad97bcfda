#pragma once
// The welcome dialog (257), shown when no start-up library can be opened:
// it answers with the code of the open mode the user chose.
#include <string>
#include <utility>

#include "platform/ModalDialog.h"

namespace vellora {

class WelcomeDialog : public ModalDialog {
 public:
  WelcomeDialog() = default;
  // reason takes the place of the dialog's own text (a damaged library is
  // not a missing one).
  explicit WelcomeDialog(std::string reason) : reason_(std::move(reason)) {}
  // One of the WelcomeChoice codes; Exit when the dialog is closed.
  int Choose(HWND owner);

 protected:
  bool OnInit() override;
  bool OnOk() override;
  bool OnCancel() override;

 private:
  std::string reason_;
};

}  // namespace vellora
