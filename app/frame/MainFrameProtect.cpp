// The main window's protection: the gate of the tree in front of protected
// nodes, the password commands, the lock to the notification area and the
// read-only lock.
#include <windows.h>
#include <commctrl.h>

#include "app/frame/MainFrame.h"
#include "app/resources/ResourceIds.h"
#include "platform/CallbackGuard.h"

namespace vellora {

namespace {

// The name the tray's password prompt shows.
constexpr char kTrayPromptName[] = "This library";

struct OwnedWindows {
  HWND owner;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectOwned(HWND window, LPARAM search) {
  return Guarded("owned window enumeration", TRUE, [&] {
    auto* owned = reinterpret_cast<OwnedWindows*>(search);
    if (GetWindow(window, GW_OWNER) == owned->owner && IsWindowVisible(window)) owned->found.push_back(window);
    return TRUE;
  });
}

// The visible top-level windows of this thread that the window owns.
std::vector<HWND> VisibleWindowsOwnedBy(HWND owner) {
  OwnedWindows owned{owner, {}};
  EnumThreadWindows(GetCurrentThreadId(), CollectOwned, reinterpret_cast<LPARAM>(&owned));
  return owned.found;
}

}  // namespace

void MainFrame::CreateProtection() {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  // The tray icon blinks between the locked emblem and the program's own.
  std::vector<HICON> icons;
  for (int id : {IDI_TRAY, IDR_MAINFRAME})
    icons.push_back(static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(id), IMAGE_ICON, 16, 16, 0)));
  tray_.Setup(Handle(), IDR_TRAY_POPUP, "Vellora", icons, LoadMenuA(instance, MAKEINTRESOURCEA(IDR_TRAY_POPUP)),
              ID_TRAY_ACTIVATE);
  // Hovering with a dragged node never opens a protected branch: no password
  // is asked in the middle of a drag.
  drag_.mayExpand = [this](HTREEITEM target) { return !StaysClosed(target); };
}

bool MainFrame::OnProtectCommand(UINT id) {
  switch (id) {
    case ID_TOOLS_LOCK_TRAY: LockToTray(); return true;
    case ID_TRAY_ACTIVATE: ActivateFromTray(); return true;
    case ID_TOOLS_LOCK_READONLY: ToggleReadOnlyLock(); return true;
    default: return passwords_->Handle(id);
  }
}

// ---- the tree's gate -------------------------------------------------------------------

bool MainFrame::IsProtectedNode(HTREEITEM item) const {
  const TreeItemData* data = item ? treeModel_.DataOf(item) : nullptr;
  return data && data->HasPassword();
}

bool MainFrame::IsExpanded(HTREEITEM item) const {
  return item && (TreeView_GetItemState(tree_, item, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
}

bool MainFrame::AdmitNode(HTREEITEM item) {
  const TreeItemData* node = treeModel_.DataOf(item);
  if (!node || !node->HasPassword()) return true;
  // Read before the prompt: its message loop may change the tree.
  const std::string title = treeModel_.TitleOf(item), password = node->password;
  return prompt_.AskPassword(title, password);
}

bool MainFrame::EnterProtectedNode(HTREEITEM item) {
  if (!IsProtectedNode(item) || IsExpanded(item) || item == TreeView_GetSelection(tree_)) return true;
  if (!AdmitNode(item)) return false;
  treeModel_.EnsureChildren(item, document_->CurrentFolder());
  // An expand message asks nothing of a node that was open once before; the
  // control may still ask, and is let through.
  admitted_.insert(item);
  TreeView_Expand(tree_, item, TVE_EXPAND);
  admitted_.erase(item);
  return true;
}

bool MainFrame::StaysClosed(HTREEITEM item) const {
  return IsProtectedNode(item) && !IsExpanded(item) && item != TreeView_GetSelection(tree_);
}

LRESULT MainFrame::OnTreeGate(NMHDR* header) {
  auto* change = reinterpret_cast<NMTREEVIEWA*>(header);
  HTREEITEM item = change->itemNew.hItem;
  if (treeModel_.Busy() || !treeModel_.DataOf(item)) return FALSE;
  if (header->code == TVN_ITEMEXPANDINGA) {
    if (!(change->action & TVE_EXPAND)) return FALSE;
    // The selected node was asked for when it was selected; a node the
    // running selection admitted is not asked for twice.
    const bool admitted = admitted_.erase(item) > 0 || item == TreeView_GetSelection(tree_) || IsExpanded(item);
    if (!admitted && !AdmitNode(item)) return TRUE;
    treeModel_.EnsureChildren(item, document_->CurrentFolder());
    return FALSE;
  }
  // A node deep in a closed protected branch is reached only through the
  // password of every closed protected node above it, outermost first; the
  // control then opens them on its way down without asking again.
  admitted_.clear();
  std::vector<HTREEITEM> closed;
  for (HTREEITEM up = treeModel_.ParentOf(item); up; up = treeModel_.ParentOf(up))
    if (StaysClosed(up)) closed.insert(closed.begin(), up);
  for (HTREEITEM node : closed) {
    if (!AdmitNode(node)) {
      admitted_.clear();
      return TRUE;
    }
    admitted_.insert(node);
  }
  // A refusal cancels the change: what was shown stays.
  if (!AdmitNode(item)) {
    admitted_.clear();
    return TRUE;
  }
  return FALSE;
}

// ---- the tray lock -------------------------------------------------------------------------

void MainFrame::LockToTray() {
  if (tray_.Shown()) return;
  // The icon first: a window hidden without an icon to bring it back would
  // leave the program out of reach.
  if (!tray_.Show()) {
    prompt_.ShowMessage("The program could not put its icon into the notification area, so it stays open.\n\n"
                        "Close the library or lock it read-only instead.",
                        texts_.TextOr(kTextTipCaption, "Tip"), MB_OK | MB_ICONWARNING);
    return;
  }
  // Windows of the frame's own that float beside it go and come back with it.
  hiddenWithFrame_ = VisibleWindowsOwnedBy(Handle());
  for (HWND window : hiddenWithFrame_) ShowWindow(window, SW_HIDE);
  ShowWindow(Handle(), SW_HIDE);
}

void MainFrame::ActivateFromTray() {
  // A second double click while the prompt is open does not ask again.
  if (activating_ || !tray_.Shown()) return;
  activating_ = true;
  const std::string password = LibraryPassword(*document_);
  const bool admitted = password.empty() || prompt_.AskPassword(kTrayPromptName, password);
  activating_ = false;
  if (!admitted) {
    prompt_.ShowMessage(texts_.TextOr(kTextStillLocked, "Wrong password. The library stays locked."), "Tip",
                        MB_OK | MB_ICONWARNING);
    return;
  }
  ShowWindow(Handle(), SW_SHOW);
  for (HWND window : hiddenWithFrame_)
    if (IsWindow(window)) ShowWindow(window, SW_SHOWNA);
  hiddenWithFrame_.clear();
  tray_.Hide();
  SetForegroundWindow(Handle());
}

void MainFrame::OnTrayMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == TrayIcon::kCallbackMessage) tray_.OnCallback(wParam, lParam);
  else tray_.OnTaskbarCreated();
}

// ---- the read-only lock --------------------------------------------------------------------

bool MainFrame::ReadOnlyNow() const { return document_->ReadOnly() || readOnlyLock_; }

void MainFrame::ToggleReadOnlyLock() {
  readOnlyLock_ = !readOnlyLock_;
  ApplyReadOnly();
}

void MainFrame::ApplyReadOnly() {
  RefreshFrameState();
  // A text view brought in without an item takes no typing: nothing would keep it.
  textView_.SetReadOnly(state_.readOnly || !textView_.HasItem());
  if (shownItemView_ && shownItemView_ != &textView_)
    shownItemView_->SetReadOnly(state_.readOnly || shownLoadFailed_);
  ApplyViewMenuRules();
  UpdateCommandUi();
}

}  // namespace vellora
