#pragma once
// The welcome dialog (257), shown when no start-up library can be opened:
// it answers with the code of the open mode the user chose.
#include "controls/ModalDialog.h"

namespace vellora {

class WelcomeDialog : public ModalDialog {
 public:
  // One of the WelcomeChoice codes; Exit when the dialog is closed.
  int Choose(HWND owner);

 protected:
  bool OnInit() override;
  bool OnOk() override;
  bool OnCancel() override;
};

}  // namespace vellora
