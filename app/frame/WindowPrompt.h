#pragma once
// The user prompt of the running program: real message boxes and dialogs,
// owned by the main window.
#include <windows.h>

#include "store/UserPrompt.h"

namespace vellora {

class WindowPrompt : public UserPrompt {
 public:
  void SetOwner(HWND owner) { owner_ = owner; }
  int ShowMessage(const std::string& text, const std::string& caption, UINT type) override;
  bool ChooseFile(const FileDialogRequest& request, std::string& path) override;
  bool AskPassword(const std::string& displayName, const std::string& password) override;
  int ShowWelcome() override;

 private:
  HWND owner_ = nullptr;
};

// The filter of a file dialog from its '|'-separated form.
std::string DialogFilter(const std::string& separated);

}  // namespace vellora
