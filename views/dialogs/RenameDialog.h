#pragma once
// "Rename" (dialog 244): one line of text under a caption and a label, at
// most 31 bytes, never empty. Used for new names, column titles, bookmark
// names and, relabelled, as the search prompt.
#include <windows.h>

#include <string>

#include "platform/ModalDialog.h"

namespace vellora {

class RenameDialog : public ModalDialog {
 public:
  // The edit holds at most this many bytes.
  static constexpr size_t kMaxBytes = 31;

  // emptyCaption: the caption of the message that refuses an empty name.
  RenameDialog(std::string caption, std::string initial, std::string emptyCaption, std::string label = {});

  // True with the entered text in Text() when the user chose Ok.
  bool Ask(HWND owner);
  const std::string& Text() const { return text_; }

 protected:
  bool OnInit() override;
  bool OnOk() override;

 private:
  std::string caption_;
  std::string text_;
  std::string emptyCaption_;
  std::string label_;
};

}  // namespace vellora
