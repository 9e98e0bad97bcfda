#pragma once
// "About Vellora" (dialog 100).
#include "platform/ModalDialog.h"

namespace vellora {

class AboutDialog : public ModalDialog {
 public:
  void Show(HWND owner);
};

}  // namespace vellora
