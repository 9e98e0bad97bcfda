#include "views/dialogs/PropertyDialog.h"

#include <cstdio>

#include "views/dialogs/DialogIds.h"

namespace vellora {

std::string PropertyDialog::SizeText(const NodeProperties& p) {
  char text[48];
  std::snprintf(text, sizeof text, "%llu bytes", static_cast<unsigned long long>(p.size));
  return text;
}

std::string PropertyDialog::TypeText(const NodeProperties& p) { return p.folderNode ? "Folder Node" : "Leave Node"; }

std::string PropertyDialog::ChildrenText(const NodeProperties& p) {
  if (p.children == 0) return "No children";
  char text[48];
  std::snprintf(text, sizeof text, "%u children", static_cast<unsigned>(p.children));
  return text;
}

std::string PropertyDialog::CreatedText(const SYSTEMTIME& t) {
  char text[64];
  std::snprintf(text, sizeof text, "%4d/%2d/%2d, %02d:%02d:%02d", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                t.wSecond);
  return text;
}

std::string PropertyDialog::TimeText(const SYSTEMTIME& t) {
  char text[64];
  std::snprintf(text, sizeof text, "%4d/%2d/%2d, %2d:%2d:%2d", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                t.wSecond);
  return text;
}

void PropertyDialog::Show(HWND owner) { Run(owner, IDD_PROPERTY); }

bool PropertyDialog::OnInit() {
  SetItemText(IDC_PROPERTY_TITLE, properties_.title);
  SetItemText(IDC_PROPERTY_CATEGORY, properties_.category);
  SetItemText(IDC_PROPERTY_SIZE, SizeText(properties_));
  SetItemText(IDC_PROPERTY_TYPE, TypeText(properties_));
  SetItemText(IDC_PROPERTY_CHILDREN, ChildrenText(properties_));
  SetItemText(IDC_PROPERTY_CREATED, CreatedText(properties_.created));
  SetItemText(IDC_PROPERTY_MODIFIED, TimeText(properties_.modified));
  SetItemText(IDC_PROPERTY_ACCESSED, TimeText(properties_.accessed));
  CentreOnOwner();
  return true;
}

}  // namespace vellora
