// The main window as the content commands see it (the outlook bar's groups
// and items, the tree, the shown item), and context menus whose commands act
// on what was right-clicked.
#include <windows.h>
#include <commctrl.h>

#include "app/frame/MainFrame.h"

namespace vellora {

// ---- folders ------------------------------------------------------------------------

int MainFrame::GroupCount() const { return folders_.GroupCount(); }

std::string MainFrame::GroupName(int group) const { return folders_.GroupName(group); }

uint16_t MainFrame::GroupKind(int group) const { return folders_.GroupKind(group); }

int MainFrame::SelectedGroup() const { return folders_.SelectedGroup(); }

int MainFrame::TargetGroup() const { return folders_.TargetGroup(); }

void MainFrame::AddGroup(const std::string& name, uint16_t kind) { AddFolder(name, kind); }

void MainFrame::RemoveGroup(int group) {
  if (group < 0 || group >= GroupCount()) return;
  if (group == folders_.SelectedGroup()) {
    items_.ReleaseShown();
    tree_.Model().Clear();
    state_.folderKind = 0;
    ShowPlaceholder(PlaceholderView::Form::NoItem);
  }
  folders_.RemoveGroup(group);
}

void MainFrame::RenameGroup(int group, const std::string& name) { folders_.RenameGroup(group, name); }

void MainFrame::SwapGroups(int first, int second) { folders_.SwapGroups(first, second); }

void MainFrame::SelectGroup(int group) { folders_.SelectGroup(group); }

// ---- catalog items -------------------------------------------------------------------

const std::vector<CatalogItemEntry>& MainFrame::Items() const { return folders_.Items(); }

void MainFrame::ForgetItems(const std::string& folderName) { folders_.ForgetItems(folderName); }

int MainFrame::SelectedItem() const { return folders_.SelectedItem(); }

int MainFrame::TargetItem() const { return folders_.TargetItem(); }

void MainFrame::AddItem(const CatalogItemEntry& entry) { folders_.AddItem(entry); }

void MainFrame::RemoveItem(int item) { folders_.RemoveItem(item); }

void MainFrame::UpdateItem(int item, const CatalogItemEntry& entry) { folders_.UpdateItem(item, entry); }

void MainFrame::SwapItems(int first, int second) { folders_.SwapItems(first, second); }

void MainFrame::SelectItem(int item) { folders_.SelectItem(item, true); }

// ---- the shown item -----------------------------------------------------------------

void MainFrame::LeaveShownItem() {
  if (!items_.Shown()) return;
  items_.ReleaseShown();
  ShowPlaceholder(PlaceholderView::Form::NoItem);
}

void MainFrame::ShowSelection() {
  if (state_.folderKind == kFolderTree) {
    ShowTreeSelection();
    return;
  }
  const int item = folders_.SelectedItem();
  if (item >= 0) ShowCatalogItem(folders_.SelectedGroup(), item);
  else ShowPlaceholder(PlaceholderView::Form::NoItem);
}

std::string MainFrame::SelectedText() const {
  return items_.Shown() ? items_.Shown()->SelectedText() : std::string();
}

void MainFrame::SetItemTitleStrip(const std::string& title) { items_.Title().SetTitle(title); }

void MainFrame::FocusTree() {
  if (tree_.Visible()) SetFocus(tree_.Handle());
}

// ---- context menus -----------------------------------------------------------------

void MainFrame::TrackContextMenu(HMENU popup, POINT screen, int group, int item) {
  // The group and item clicked are the commands' target already while the
  // menu opens, so that its entries are enabled for them.
  folders_.SetTarget(group, item);
  RefreshFrameState();
  UINT command = chrome_.TrackPopup(popup, screen, TPM_RETURNCMD);
  if (command) OnCommand(command);
  folders_.SetTarget(-1, -1);
  // The commands follow the selection again.
  RefreshFrameState();
}

// ---- the tree ----------------------------------------------------------------------------

void MainFrame::ConnectTree() {
  tree_.onSelected = [this] { ShowTreeSelection(); };
  // No renaming and no dragging under the read-only lock.
  tree_.mayEditLabel = [this] { return content_->CanEditLabel(state_.readOnly); };
  tree_.onLabelEdited = [this](NodeRef node, const char* text) { return content_->EndLabelEdit(node, text); };
  tree_.mayDrag = [this](NodeRef node) { return !state_.readOnly && content_->CanDrag(node); };
  tree_.onDropped = [this](NodeRef dragged, NodeRef target) { content_->DropNode(dragged, target); };
  tree_.onRightClick = [this](POINT screen) { OnContextMenu(tree_.Handle(), screen); };
}

}  // namespace vellora
