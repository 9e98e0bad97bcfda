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
    case kOutBarGroupSelected: SelectFolderGroup(note->group); break;
    case kOutBarItemClicked: ShowCatalogItem(note->group, note->item); break;
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

void MainFrame::SelectFolderGroup(int group) {
  const FolderBar::Folder* chosen = folders_.FolderAt(group);
  if (!chosen) return;
  StoreTextViewContent();
  const FolderBar::Folder folder = *chosen;
  document_->SelectCurrentFolder(folder.name);
  state_.folderKind = folder.kind;
  TreeModel& model = tree_.Model();
  model.Clear();
  model.SetElementBudget(document_->ElementBudget());
  if (folder.kind == kFolderTree) {
    // Two levels now (the top nodes and what their node lists show); deeper
    // branches are read when they are opened.
    std::vector<TreeNode> roots;
    LoadTreeLevels(document_->CurrentFolder(), 2, roots);
    model.Fill(roots);
    folders_.SetGroupChild(group, tree_.Handle());
    HTREEITEM first = TreeView_GetRoot(tree_.Handle());
    if (first) TreeView_SelectItem(tree_.Handle(), first);
    // Nothing of the folder left before stays shown, also when the first
    // node's password was refused.
    if (!first || tree_.Selection() != first) ShowPlaceholder(PlaceholderView::Form::NoItem);
    ApplyMenuRules();
    return;
  }
  // Read once; later selections show what the group already holds.
  folders_.FillOnce(group, [this](const std::string& name, std::vector<CatalogItemEntry>& items) {
    LoadCatalogFolder(*document_, name, items);
  });
  ApplyMenuRules();
  // "No item" is for an empty folder; otherwise its item is shown.
  if (folders_.Items().empty()) {
    ShowPlaceholder(PlaceholderView::Form::NoItem);
  } else {
    int item = folders_.SelectedItem();
    if (item < 0) item = 0;
    folders_.SelectItem(item, false);
    ShowCatalogItem(group, item);
  }
}

void MainFrame::ShowCatalogItem(int group, int item) {
  const std::vector<CatalogItemEntry>& shown = folders_.Items();
  if (group != folders_.SelectedGroup() || item < 0 || item >= static_cast<int>(shown.size())) return;
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
  folders_.RemoveAllGroups();
  state_.folderKind = 0;
  // What the shown view holds was saved or given up by the question before.
  items_.ForgetShown();
}

void MainFrame::AddFolder(const std::string& name, uint16_t kind) {
  folders_.AddGroup(name, kind);
}

void MainFrame::SelectFirstFolder() {
  if (folders_.GroupCount() > 0) folders_.Bar().SetSelectedGroup(0, true);
}

void MainFrame::SetTitle(const std::string& title) { SetWindowTextA(Handle(), title.c_str()); }

void MainFrame::CloseMainWindow() { SendMessageA(Handle(), WM_CLOSE, 0, 0); }

}  // namespace vellora
