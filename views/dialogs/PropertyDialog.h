#pragma once
// "Property Information" (dialog 246): a tree node's title, parent, size,
// form, children and times. It only shows.
#include <windows.h>

#include <string>

#include "content/ContentPrompt.h"
#include "platform/ModalDialog.h"

namespace vellora {

class PropertyDialog : public ModalDialog {
 public:
  explicit PropertyDialog(const NodeProperties& properties) : properties_(properties) {}
  void Show(HWND owner);

  // The texts the dialog shows, by label.
  static std::string SizeText(const NodeProperties& p);
  static std::string TypeText(const NodeProperties& p);
  static std::string ChildrenText(const NodeProperties& p);
  static std::string CreatedText(const SYSTEMTIME& t);
  static std::string TimeText(const SYSTEMTIME& t);  // modify and access times

 protected:
  bool OnInit() override;

 private:
  const NodeProperties& properties_;
};

}  // namespace vellora
