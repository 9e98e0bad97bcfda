// The main window showing the library: folders, catalog items and the tree,
// and what the library document asks of the frame.
#include <windows.h>
#include <commctrl.h>

#include "app/frame/MainFrame.h"
#include "app/resources/ResourceIds.h"
#include "content/CatalogItems.h"
#include "content/TreeNodes.h"

namespace vellora {

void MainFrame::OnOutBarNotify(WPARAM code, LPARAM data) {
  const auto* note = reinterpret_cast<const OutBarNotify*>(data);
  if (!note) return;
  switch (code) {
    case kOutBarGroupSelected: selection_.SelectGroup(note->group); break;
    case kOutBarItemClicked:
      if (note->group == selection_.SelectedGroup()) selection_.SelectItem(note->item);
      break;
    case kOutBarGroupRightClick:
    case kOutBarItemRightClick: {
      const bool onGroup = code == kOutBarGroupRightClick;
      MenuHandle menu(LoadMenuA(GetModuleHandleA(nullptr),
                                MAKEINTRESOURCEA(onGroup ? IDR_FOLDER_POPUP : IDR_OUTBAR_ITEM_POPUP)));
      if (!menu) break;
      if (!onGroup) FillQuickAccess(GetSubMenu(GetSubMenu(menu.Get(), 0), OUTITEMPOP_POS_QUICK_ACCESS));
      TrackContextMenu(GetSubMenu(menu.Get(), 0), note->screenPoint, note->group, onGroup ? -1 : note->item);
      break;
    }
    default: break;
  }
}

void MainFrame::GroupLeaving(int) {
  // What is shown still belongs to the folder left.
  StoreTextViewContent();
}

void MainFrame::GroupSelected(int group) {
  folders_.GroupSelected(group);
  const uint16_t kind = selection_.GroupKind(group);
  state_.folderKind = kind;
  TreeModel& model = tree_.Model();
  model.Clear();
  model.SetElementBudget(document_->ElementBudget());
  if (kind == kFolderTree) {
    // Two levels now (the top nodes and what their node lists show); deeper
    // branches are read when they are opened.
    std::vector<TreeNode> roots;
    LoadTreeLevels(document_->CurrentFolder(), 2, roots);
    model.Fill(roots);
    folders_.Bar().SetGroupChild(group, tree_.Handle());
    HTREEITEM first = TreeView_GetRoot(tree_.Handle());
    if (first) TreeView_SelectItem(tree_.Handle(), first);
    // Nothing of the folder left before stays shown, also when the first
    // node's password was refused.
    if (!first || tree_.Selection() != first) ShowPlaceholder(PlaceholderView::Form::NoItem);
    ApplyMenuRules();
    return;
  }
  ApplyMenuRules();
  // "No item" is for an empty folder; otherwise its item is shown.
  const int item = selection_.SelectedItem();
  if (item < 0) ShowPlaceholder(PlaceholderView::Form::NoItem);
  else ShowCatalogItem(group, item);
}

void MainFrame::ItemSelected(int group, int item) {
  folders_.ItemSelected(item);
  ShowCatalogItem(group, item);
}

void MainFrame::ShowCatalogItem(int group, int item) {
  const std::vector<CatalogItemEntry>& shown = selection_.Items();
  if (group != selection_.SelectedGroup() || item < 0 || item >= static_cast<int>(shown.size())) return;
  StoreTextViewContent();
  const CatalogItemEntry entry = shown[static_cast<size_t>(item)];
  if (entry.hasPassword && !prompt_.AskPassword(entry.title, entry.password)) {
    prompt_.ShowMessage(texts_.TextOr(kTextItemAccessDenied, "The password is wrong. The item cannot be shown."),
                        texts_.TextOr(kTextAccessDeniedCaption, "Access Denied"), MB_OK | MB_ICONWARNING);
    ShowPlaceholder(PlaceholderView::Form::AccessDenied);
    return;
  }
  items_.ShowItem(std::make_unique<CatalogItemSource>(document_->CurrentFolder(), entry.elementName, entry.kind,
                                                      entry.title),
                  ReadOnlyNow());
  items_.Title().SetTitle(entry.title);
}

void MainFrame::ShowTreeSelection() {
  TreeModel& model = tree_.Model();
  HTREEITEM item = tree_.Selection();
  const TreeItemData* node = model.DataOf(item);
  if (!node) {
    ShowPlaceholder(PlaceholderView::Form::NoItem);
    return;
  }
  std::string title = model.TitleOf(item);
  model.EnsureChildren(item, document_->CurrentFolder());
  if (TreeView_GetChild(tree_.Handle(), item)) {
    std::vector<NodeListView::Row> rows;
    for (const NodeListEntry& child : model.ChildrenOf(item)) rows.push_back({child.title, child.hasChildren});
    items_.ShowNodeList(rows);
    items_.Title().SetTitle(title);
    return;
  }
  if (node->isFolderNode) {
    ShowPlaceholder(PlaceholderView::Form::NoItem);
  } else {
    items_.ShowItem(std::make_unique<LeafNodeSource>(document_->CurrentFolder(), model.NodePath(item), node->kind,
                                                     title),
                    ReadOnlyNow());
  }
  items_.Title().SetTitle(title);
}

void MainFrame::OpenNodeListRow(const std::string& title) {
  HTREEITEM parent = tree_.Selection();
  if (HTREEITEM child = tree_.Model().FindChildByTitle(parent, title)) TreeView_SelectItem(tree_.Handle(), child);
}

// ---- what the document needs of the frame -------------------------------------------

void MainFrame::StoreTextViewContent() { items_.StoreShown(); }

bool MainFrame::TextViewModified() { return items_.Shown() && items_.Shown()->Modified(); }

void MainFrame::ClearViews() {
  if (shuttingDown_ && !Handle()) return;
  tree_.Model().Clear();
  selection_.Clear();
  state_.folderKind = 0;
  // What the shown view holds was saved or given up by the question before.
  items_.ForgetShown();
}

void MainFrame::AddFolder(const std::string& name, uint16_t kind) {
  selection_.AddGroup(name, kind);
}

void MainFrame::SelectFirstFolder() {
  if (selection_.GroupCount() > 0) selection_.SelectGroup(0);
}

void MainFrame::SetTitle(const std::string& title) { SetWindowTextA(Handle(), title.c_str()); }

void MainFrame::CloseMainWindow() { SendMessageA(Handle(), WM_CLOSE, 0, 0); }

}  // namespace vellora
