// The main window's locks: the lock to the notification area and the
// read-only lock. The tree's gate in front of
// protected nodes is the tree pane's.
#include <windows.h>

#include "app/frame/MainFrame.h"
#include "app/resources/ResourceIds.h"

namespace vellora {

bool MainFrame::OnProtectCommand(UINT id) {
  switch (id) {
    case ID_TOOLS_LOCK_TRAY: lock_.Lock(); return true;
    case ID_TRAY_ACTIVATE: lock_.Unlock(LibraryPassword(*document_)); return true;
    case ID_TOOLS_LOCK_READONLY: ToggleReadOnlyLock(); return true;
    default: return false;
  }
}

bool MainFrame::ReadOnlyNow() const { return document_->ReadOnly() || readOnlyLock_; }

void MainFrame::ToggleReadOnlyLock() {
  readOnlyLock_ = !readOnlyLock_;
  ApplyReadOnly();
}

void MainFrame::ApplyReadOnly() {
  RefreshFrameState();
  items_.SetReadOnly(state_.readOnly);
  ApplyMenuRules();
  UpdateCommandUi();
}

}  // namespace vellora
