#pragma once
// "Insert ActiveX Control" (dialog 264): the classes registered as controls
// (the component category CATID_Control), each by its full user type name,
// with the chosen one's class id and the file that serves it.
#include <windows.h>

#include <string>
#include <vector>

#include "platform/ModalDialog.h"

namespace vellora {

struct ControlClass {
  std::string name;      // the full user type name (the class id when it has none)
  std::string classId;   // in braces, as StringFromCLSID gives it
  std::string location;  // InprocServer32's default value; empty when absent
};

// Every class of the control category, through the component categories manager.
std::vector<ControlClass> RegisteredControls();

class InsertControlDialog : public ModalDialog {
 public:
  // True after OK; ClassId() is then the chosen class id (empty with no entry).
  bool Ask(HWND owner);
  const std::string& ClassId() const { return classId_; }

 protected:
  bool OnInit() override;
  bool OnOk() override;
  bool OnCancel() override;
  bool OnCommand(int id, int code, HWND control) override;

 private:
  void ShowSelected();
  void TakeSelected();

  std::vector<ControlClass> controls_;
  std::string classId_;
};

}  // namespace vellora
