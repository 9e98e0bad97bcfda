// The main window showing the library: folders, catalog items and the tree,
// and what the library document asks of the frame.
#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <cstdio>

#include "app/frame/MainFrame.h"
#include "content/WorkingFolder.h"
#include "app/resources/ResourceIds.h"
#include "app/resources/ToolbarLayout.h"
#include "content/CatalogItems.h"
#include "views/ItemIcons.h"
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
  if (group < 0 || group >= static_cast<int>(groups_.size())) return;
  StoreTextViewContent();
  const FolderGroup folder = groups_[static_cast<size_t>(group)];
  document_->SelectCurrentFolder(folder.name);
  state_.folderKind = folder.kind;
  treeModel_.Clear();
  treeModel_.SetElementBudget(document_->ElementBudget());
  if (folder.kind == kFolderTree) {
    // Two levels now (the top nodes and what their node lists show); deeper
    // branches are read when they are opened.
    std::vector<TreeNode> roots;
    LoadTreeLevels(document_->CurrentFolder(), 2, roots);
    treeModel_.Fill(roots);
    outbar_.SetGroupChild(group, tree_);
    HTREEITEM first = TreeView_GetRoot(tree_);
    if (first) TreeView_SelectItem(tree_, first);
    // Nothing of the folder left before stays shown, also when the first
    // node's password was refused.
    if (!first || TreeView_GetSelection(tree_) != first) ShowPlaceholder(PlaceholderView::Form::NoItem);
  } else {
    FolderGroup& catalog = groups_[static_cast<size_t>(group)];
    if (!catalog.loaded) {
      // Read once; later selections show what the group already holds.
      LoadCatalogFolder(*document_, catalog.name, catalog.items);
      outbar_.RemoveAllItems(group);
      std::vector<OutlookBar::NewItem> rows;
      rows.reserve(catalog.items.size());
      for (const CatalogItemEntry& item : catalog.items) {
        rows.push_back({item.title, ItemImage(item), item.itemId});
      }
      outbar_.AddItems(group, rows);  // one layout for the whole folder
      catalog.loaded = true;
    }
    ApplyFolderMenuRules();
    // "No item" is for an empty folder; otherwise its item is shown.
    if (catalog.items.empty()) {
      ShowPlaceholder(PlaceholderView::Form::NoItem);
    } else {
      int item = outbar_.SelectedItem();
      if (item < 0) item = 0;
      outbar_.SetSelectedItem(item, false);
      ShowCatalogItem(group, item);
    }
    return;
  }
  ApplyFolderMenuRules();
}

void MainFrame::ShowCatalogItem(int group, int item) {
  if (group != outbar_.SelectedGroup() || item < 0 || item >= static_cast<int>(ShownItems().size())) return;
  StoreTextViewContent();
  const CatalogItemEntry& entry = ShownItems()[static_cast<size_t>(item)];
  if (entry.hasPassword && !prompt_.AskPassword(entry.title, entry.password)) {
    prompt_.ShowMessage(texts_.TextOr(kTextItemAccessDenied, "The password is wrong. The item cannot be shown."),
                        texts_.TextOr(kTextAccessDeniedCaption, "Access Denied"), MB_OK | MB_ICONWARNING);
    ShowPlaceholder(PlaceholderView::Form::AccessDenied);
    return;
  }
  ShowItem(std::make_unique<CatalogItemSource>(document_->CurrentFolder(), entry.elementName, entry.kind,
                                               entry.title));
  titleStrip_.SetTitle(entry.title);
}

void MainFrame::ShowTreeSelection() {
  HTREEITEM item = TreeView_GetSelection(tree_);
  const TreeItemData* node = treeModel_.DataOf(item);
  if (!node) {
    ShowPlaceholder(PlaceholderView::Form::NoItem);
    return;
  }
  std::string title = treeModel_.TitleOf(item);
  treeModel_.EnsureChildren(item, document_->CurrentFolder());
  if (TreeView_GetChild(tree_, item)) {
    std::vector<NodeListView::Row> rows;
    for (const NodeListEntry& child : treeModel_.ChildrenOf(item)) rows.push_back({child.title, child.hasChildren});
    nodeList_.SetRows(rows);
    ShowItemView(nodeList_.Handle(), kViewNodeList);
    titleStrip_.SetTitle(title);
    return;
  }
  if (node->isFolderNode) {
    ShowPlaceholder(PlaceholderView::Form::NoItem);
  } else {
    ShowItem(std::make_unique<LeafNodeSource>(document_->CurrentFolder(), treeModel_.NodePath(item), node->kind,
                                              title));
  }
  titleStrip_.SetTitle(title);
}

void MainFrame::OpenNodeListRow(const std::string& title) {
  HTREEITEM parent = TreeView_GetSelection(tree_);
  if (HTREEITEM child = treeModel_.FindChildByTitle(parent, title)) TreeView_SelectItem(tree_, child);
}

LRESULT MainFrame::OnNotify(NMHDR* header) {
  if (!header) return 0;
  if (header->hwndFrom == formatBar_ && header->code == TBN_DROPDOWN) {
    OnColorDropDown(*reinterpret_cast<NMTOOLBARA*>(header));
    return TBDDRET_DEFAULT;
  }
  if (header->hwndFrom && header->hwndFrom == textView_.Window()) return textView_.OnNotify(*header);
  if (header->hwndFrom == tree_) return OnTreeNotify(header);
  if (header->code == TTN_GETDISPINFOA) {
    auto* tip = reinterpret_cast<NMTTDISPINFOA*>(header);
    static char text[256];
    text[0] = 0;
    if (LoadStringA(GetModuleHandleA(nullptr), static_cast<UINT>(header->idFrom), text, sizeof text)) {
      char* nl = strchr(text, '\n');
      tip->lpszText = nl ? nl + 1 : text;
    }
    return 0;
  }
  return DefaultProc(WM_NOTIFY, header->idFrom, reinterpret_cast<LPARAM>(header));
}

// ---- what the document needs of the frame -------------------------------------------

void MainFrame::StoreTextViewContent() { StoreItemView(); }

bool MainFrame::TextViewModified() { return shownItemView_ && shownItemView_->Modified(); }

void MainFrame::ClearViews() {
  if (shuttingDown_ && !Handle()) return;
  treeModel_.Clear();
  outbar_.RemoveAllGroups();
  groups_.clear();
  state_.folderKind = 0;
  // What the shown view holds was saved or given up by the question before.
  if (shownItemView_) shownItemView_->Clear();
  shownItemView_ = nullptr;
  shownSource_.reset();
  ShowPlaceholder(PlaceholderView::Form::NoItem);
}

void MainFrame::AddFolder(const std::string& name, uint16_t kind) {
  groups_.push_back({name, kind});
  outbar_.AddGroup(name, static_cast<LPARAM>(groups_.size() - 1));
}

void MainFrame::SelectFirstFolder() {
  if (!groups_.empty()) outbar_.SetSelectedGroup(0, true);
}

void MainFrame::SetTitle(const std::string& title) { SetWindowTextA(Handle(), title.c_str()); }

void MainFrame::CloseMainWindow() { SendMessageA(Handle(), WM_CLOSE, 0, 0); }

}  // namespace vellora
