#pragma once
// "Set Password - Empty to clear" (dialog 232): the old password (only when
// one is set), the new one and its confirmation. Ok with an empty new
// password clears it. Every edit is read through the 20-byte buffer of a
// password, so what was typed is cut at 19 bytes, never inside a double-byte
// character.
#include <windows.h>

#include <string>

#include "platform/ModalDialog.h"
#include "store/Services.h"

namespace vellora {

class SetPasswordDialog : public ModalDialog {
 public:
  static constexpr size_t kMaxPasswordBytes = 19;

  // current: the password set now; empty when there is none.
  SetPasswordDialog(const TextSource& texts, std::string current);
  // True with the new password (possibly empty) in Result() when confirmed.
  bool Ask(HWND owner);
  const std::string& Result() const { return result_; }

 protected:
  bool OnInit() override;
  bool OnOk() override;

 private:
  void Refuse(const char* text, UINT icon, int focus);

  const TextSource& texts_;
  std::string current_;
  std::string result_;
};

}  // namespace vellora
