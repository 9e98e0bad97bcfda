// The main window as the content commands see it (the outlook bar's groups
// and items, the tree, the shown item), the tree's label editing and drag
// and drop, and context menus whose commands act on what was right-clicked.
#include <windows.h>
#include <commctrl.h>
#include <windowsx.h>

#include "app/frame/MainFrame.h"
#include "app/resources/ToolbarLayout.h"
#include "views/ItemIcons.h"

namespace vellora {

// ---- folders ------------------------------------------------------------------------

int MainFrame::GroupCount() const { return static_cast<int>(groups_.size()); }

std::string MainFrame::GroupName(int group) const {
  return group >= 0 && group < GroupCount() ? groups_[static_cast<size_t>(group)].name : std::string();
}

uint16_t MainFrame::GroupKind(int group) const {
  return group >= 0 && group < GroupCount() ? groups_[static_cast<size_t>(group)].kind : 0;
}

int MainFrame::SelectedGroup() const { return outbar_.SelectedGroup(); }

int MainFrame::TargetGroup() const { return hitGroup_ >= 0 ? hitGroup_ : outbar_.SelectedGroup(); }

void MainFrame::AddGroup(const std::string& name, uint16_t kind) { AddFolder(name, kind); }

void MainFrame::RemoveGroup(int group) {
  if (group < 0 || group >= GroupCount()) return;
  if (group == outbar_.SelectedGroup()) {
    ReleaseShownItem();
    treeModel_.Clear();
    state_.folderKind = 0;
    ShowPlaceholder(PlaceholderView::Form::NoItem);
  }
  outbar_.RemoveGroup(group);
  groups_.erase(groups_.begin() + group);
}

void MainFrame::RenameGroup(int group, const std::string& name) {
  if (group < 0 || group >= GroupCount()) return;
  groups_[static_cast<size_t>(group)].name = name;
  outbar_.SetGroupText(group, name);
}

void MainFrame::SwapGroups(int first, int second) {
  if (first < 0 || second < 0 || first >= GroupCount() || second >= GroupCount()) return;
  std::swap(groups_[static_cast<size_t>(first)], groups_[static_cast<size_t>(second)]);
  outbar_.SwapGroups(first, second);
}

void MainFrame::SelectGroup(int group) {
  if (group >= 0 && group < GroupCount()) outbar_.SetSelectedGroup(group, true);
}

// ---- catalog items -------------------------------------------------------------------

std::vector<CatalogItemEntry>& MainFrame::ShownItems() {
  static std::vector<CatalogItemEntry> none;
  const int group = outbar_.SelectedGroup();
  if (group < 0 || group >= GroupCount()) {
    none.clear();
    return none;
  }
  return groups_[static_cast<size_t>(group)].items;
}

const std::vector<CatalogItemEntry>& MainFrame::Items() const { return const_cast<MainFrame*>(this)->ShownItems(); }

void MainFrame::ForgetItems(const std::string& folderName) {
  for (int g = 0; g < GroupCount(); ++g) {
    FolderGroup& folder = groups_[static_cast<size_t>(g)];
    if (folder.name != folderName || g == outbar_.SelectedGroup()) continue;
    folder.loaded = false;
    folder.items.clear();
    outbar_.RemoveAllItems(g);
  }
}

int MainFrame::SelectedItem() const { return outbar_.SelectedItem(); }

int MainFrame::TargetItem() const { return hitItem_ >= 0 ? hitItem_ : outbar_.SelectedItem(); }

int MainFrame::ItemImage(const CatalogItemEntry& item) {
  const int byKind = resources::OutbarImageForKind(item.kind);
  if (item.iconPath.empty()) return byKind;
  auto known = iconImages_.find(item.iconPath);
  if (known == iconImages_.end())
    known = iconImages_.emplace(item.iconPath, AddItemIconImage(largeIcons_, smallIcons_, item.iconPath, -1)).first;
  return known->second >= 0 ? known->second : byKind;
}

void MainFrame::AddItem(const CatalogItemEntry& entry) {
  const int group = outbar_.SelectedGroup();
  if (group < 0) return;
  ShownItems().push_back(entry);
  outbar_.AddItem(group, entry.title, ItemImage(entry), entry.itemId);
}

void MainFrame::RemoveItem(int item) {
  const int group = outbar_.SelectedGroup();
  if (group < 0 || item < 0 || item >= static_cast<int>(ShownItems().size())) return;
  outbar_.RemoveItem(group, item);
  ShownItems().erase(ShownItems().begin() + item);
}

void MainFrame::UpdateItem(int item, const CatalogItemEntry& entry) {
  const int group = outbar_.SelectedGroup();
  if (group < 0 || item < 0 || item >= static_cast<int>(ShownItems().size())) return;
  const bool newIcon = entry.iconPath != ShownItems()[static_cast<size_t>(item)].iconPath;
  ShownItems()[static_cast<size_t>(item)] = entry;
  outbar_.SetItemText(group, item, entry.title);
  outbar_.SetItemData(group, item, entry.itemId);
  if (newIcon) {
    // An icon that does not load leaves the item's picture as it was; a
    // file chosen again is read again (it may have changed).
    iconImages_.erase(entry.iconPath);
    int image = ItemImage(entry);
    if (image != resources::OutbarImageForKind(entry.kind)) outbar_.SetItemImage(group, item, image);
  }
}

void MainFrame::SwapItems(int first, int second) {
  const int group = outbar_.SelectedGroup();
  const int count = static_cast<int>(ShownItems().size());
  if (group < 0 || first < 0 || second < 0 || first >= count || second >= count) return;
  std::swap(ShownItems()[static_cast<size_t>(first)], ShownItems()[static_cast<size_t>(second)]);
  outbar_.SwapItems(group, first, second);
}

void MainFrame::SelectItem(int item) { outbar_.SetSelectedItem(item, true); }

// ---- the shown item -----------------------------------------------------------------

void MainFrame::LeaveShownItem() {
  if (!shownItemView_) return;
  ReleaseShownItem();
  ShowPlaceholder(PlaceholderView::Form::NoItem);
}

void MainFrame::ShowSelection() {
  if (state_.folderKind == kFolderTree) {
    ShowTreeSelection();
    return;
  }
  const int item = outbar_.SelectedItem();
  if (item >= 0) ShowCatalogItem(outbar_.SelectedGroup(), item);
  else ShowPlaceholder(PlaceholderView::Form::NoItem);
}

std::string MainFrame::SelectedText() const {
  return shownItemView_ == &textView_ ? textView_.SelectedText() : std::string();
}

void MainFrame::SetItemTitleStrip(const std::string& title) { titleStrip_.SetTitle(title); }

void MainFrame::FocusTree() {
  if (IsWindowVisible(tree_)) SetFocus(tree_);
}

// ---- context menus -----------------------------------------------------------------

void MainFrame::TrackContextMenu(HMENU popup, POINT screen, int group, int item) {
  // The group and item clicked are the commands' target already while the
  // menu opens, so that its entries are enabled for them.
  hitGroup_ = group;
  hitItem_ = item;
  RefreshFrameState();
  UINT command = commandBar_.TrackPopup(popup, screen.x, screen.y, Handle(), TPM_RETURNCMD);
  if (command) OnCommand(command);
  hitGroup_ = hitItem_ = -1;
  // The commands follow the selection again.
  RefreshFrameState();
}

// ---- the tree ----------------------------------------------------------------------------

LRESULT MainFrame::OnTreeNotify(NMHDR* header) {
  switch (header->code) {
    case TVN_SELCHANGEDA:
      admitted_.clear();
      if (!treeModel_.Busy()) ShowTreeSelection();
      return 0;
    case TVN_SELCHANGINGA:
    case TVN_ITEMEXPANDINGA: return OnTreeGate(header);
    case TVN_DELETEITEMA: treeModel_.OnItemDeleted(*reinterpret_cast<NMTREEVIEWA*>(header)); return 0;
    case TVN_ITEMEXPANDEDA: treeModel_.OnItemExpanded(*reinterpret_cast<NMTREEVIEWA*>(header)); return 0;
    case TVN_BEGINLABELEDITA:
      // TRUE cancels: no renaming under the read-only lock.
      return content_->CanEditLabel(state_.readOnly) ? FALSE : TRUE;
    case TVN_ENDLABELEDITA: {
      auto* edit = reinterpret_cast<NMTVDISPINFOA*>(header);
      return content_->EndLabelEdit(TreeModel::Ref(edit->item.hItem), edit->item.pszText) ? TRUE : FALSE;
    }
    case TVN_BEGINDRAGA: OnBeginDrag(*reinterpret_cast<NMTREEVIEWA*>(header)); return 0;
    case NM_RCLICK: {
      POINT pt;
      GetCursorPos(&pt);
      OnContextMenu(tree_, pt);
      return 1;
    }
    default: return 0;
  }
}

void MainFrame::OnBeginDrag(const NMTREEVIEWA& info) {
  if (state_.readOnly || !content_->CanDrag(TreeModel::Ref(info.itemNew.hItem))) return;
  drag_.Begin(tree_, info.itemNew.hItem, info.ptDrag, Handle());
}

void MainFrame::OnDragMouse(UINT msg, POINT client) {
  POINT screen = client;
  ClientToScreen(Handle(), &screen);
  if (msg == WM_MOUSEMOVE) {
    drag_.Move(screen);
    return;
  }
  HTREEITEM dragged = drag_.Dragged();
  DWORD elapsed = 0;
  HTREEITEM target = drag_.End(screen, elapsed);
  // A drop right after the drag began is a slip of the mouse.
  if (elapsed < TreeDrag::kMinimumMs || !target || target == dragged) return;
  content_->DropNode(TreeModel::Ref(dragged), TreeModel::Ref(target));
}

}  // namespace vellora
