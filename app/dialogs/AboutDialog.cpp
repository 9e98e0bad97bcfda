#include "app/dialogs/AboutDialog.h"

#include "app/resources/ResourceIds.h"

namespace vellora {

void AboutDialog::Show(HWND owner) { Run(owner, IDD_ABOUTBOX); }

}  // namespace vellora
