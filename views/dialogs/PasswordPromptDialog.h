#pragma once
// "Password" (dialog 233): the prompt before a protected library, node or
// item is entered. Four chances: after each of the first three wrong answers
// the user is told and the caption counts down; the fourth ends the prompt.
#include <windows.h>

#include <string>

#include "platform/ModalDialog.h"
#include "store/Services.h"

namespace vellora {

class PasswordPromptDialog : public ModalDialog {
 public:
  static constexpr int kChances = 4;
  static constexpr size_t kMaxPasswordBytes = 19;

  PasswordPromptDialog(const TextSource& texts, std::string displayName, std::string expected);
  // True when the right password was given before the chances ran out.
  bool Ask(HWND owner);

  // "Please input password to access item [%s]" with the first 18 characters of the name.
  static std::string PromptText(const std::string& displayName);

 protected:
  bool OnInit() override;
  bool OnOk() override;

 private:
  const TextSource& texts_;
  std::string displayName_;
  std::string expected_;
  int chances_ = kChances;
};

}  // namespace vellora
