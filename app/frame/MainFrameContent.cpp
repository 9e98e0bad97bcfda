// The main window as the content commands see it (the outlook bar's groups
// and items, the tree, the shown item), and context menus whose commands act
// on what was right-clicked.
#include <windows.h>
#include <commctrl.h>

#include "app/frame/MainFrame.h"

namespace vellora {

// ---- what the selection model tells ----------------------------------------------------

void MainFrame::GroupRemoved(int group, bool wasSelected) {
  if (wasSelected) {
    items_.ReleaseShown();
    tree_.Model().Clear();
    state_.folderKind = 0;
    ShowPlaceholder(PlaceholderView::Form::NoItem);
  }
  folders_.GroupRemoved(group);
}

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
  const int item = selection_.SelectedItem();
  if (item >= 0) ShowCatalogItem(selection_.SelectedGroup(), item);
  else ShowPlaceholder(PlaceholderView::Form::NoItem);
}

std::string MainFrame::SelectedText() const {
  return items_.Shown() ? items_.Shown()->SelectedText() : std::string();
}

bool MainFrame::ShownViewText(std::string& text) const { return items_.Shown() && items_.Shown()->PlainText(text); }

void MainFrame::SetItemTitleStrip(const std::string& title) { items_.Title().SetTitle(title); }

void MainFrame::FocusTree() {
  if (tree_.Visible()) SetFocus(tree_.Handle());
}

// ---- context menus -----------------------------------------------------------------

void MainFrame::TrackContextMenu(HMENU popup, POINT screen, int group, int item) {
  // The group and item clicked are the commands' target already while the
  // menu opens, so that its entries are enabled for them.
  {
    ContextTarget target(selection_, group, item);
    RefreshFrameState();
    UINT command = chrome_.TrackPopup(popup, screen, TPM_RETURNCMD);
    if (command) OnCommand(command);
  }
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
