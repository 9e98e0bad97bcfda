// The main window showing the library: folders, catalog items and the tree,
// and what the library document asks of the frame.
#include <commctrl.h>
#include <richedit.h>

#include "app/frame/MainFrame.h"
#include "app/frame/WorkingFolder.h"
#include "app/resources/ResourceIds.h"
#include "content/CatalogItems.h"
#include "content/TreeNodes.h"

namespace vellora {

namespace {

// Outlook bar images by item kind (large and small strips share the order).
int ItemImage(uint16_t kind) {
  switch (kind) {
    case kItemText: return 0;
    case kItemDataList: return 1;
    case kItemWebLink: return 2;
    case kItemWebArchive: return 3;
    case kItemFileFolder: return 4;
    case kItemTabPages: return 5;
    case kItemOleControl: return 6;
    default: return 0;
  }
}

constexpr int kTreeFolderImage = 0;
constexpr int kTreeOpenFolderImage = 1;
constexpr int kTreeLeafImage = 2;

}  // namespace

void MainFrame::OnOutBarNotify(WPARAM code, LPARAM data) {
  const auto* note = reinterpret_cast<const OutBarNotify*>(data);
  if (!note) return;
  if (code == kOutBarGroupSelected) SelectFolderGroup(note->group);
  else if (code == kOutBarItemClicked) ShowCatalogItem(note->group, note->item);
}

void MainFrame::SelectFolderGroup(int group) {
  if (group < 0 || group >= static_cast<int>(groups_.size())) return;
  StoreTextViewContent();
  const FolderGroup& folder = groups_[static_cast<size_t>(group)];
  document_->SelectCurrentFolder(folder.name);
  state_.folderKind = folder.kind;
  treeModel_.Clear(tree_);
  if (folder.kind == kFolderTree) {
    std::vector<TreeNode> roots;
    LoadTree(document_->CurrentFolder(), roots);
    treeModel_.Fill(tree_, roots, kTreeFolderImage, kTreeLeafImage);
    outbar_.SetGroupChild(group, tree_);
    if (HTREEITEM first = TreeView_GetRoot(tree_)) TreeView_SelectItem(tree_, first);
    else ShowPlaceholder(PlaceholderView::Form::NoItem);
  } else {
    items_.clear();
    LoadCatalogFolder(*document_, folder.name, items_);
    outbar_.RemoveItems(group);
    for (const CatalogItemEntry& item : items_) outbar_.AddItem(group, item.title, ItemImage(item.kind), item.itemId);
    ShowPlaceholder(PlaceholderView::Form::NoItem);
  }
  ApplyFolderMenuRules();
}

void MainFrame::ShowCatalogItem(int group, int item) {
  if (group != outbar_.SelectedGroup() || item < 0 || item >= static_cast<int>(items_.size())) return;
  StoreTextViewContent();
  const CatalogItemEntry& entry = items_[static_cast<size_t>(item)];
  titleStrip_.SetTitle(entry.title);
  bool current = false;
  StorageHandle folder = document_->OpenFolder(groups_[static_cast<size_t>(group)].name, true, current);
  StorageHandle storage = folder.OpenStorageFor(entry.elementName.c_str(), true);
  StreamHandle content = storage.OpenStreamFor(kFolderItemContent, true);
  if (entry.kind == kItemText && content) {
    ShowTextOfStream(content, 0);
    titleStrip_.SetTitle(entry.title);
  } else {
    ShowPlaceholder(PlaceholderView::Form::NoItem);
    titleStrip_.SetTitle(entry.title);
  }
}

namespace {

struct StreamReader {
  const StreamHandle* stream;
};

DWORD CALLBACK ReadFromStream(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* got) {
  auto* reader = reinterpret_cast<StreamReader*>(cookie);
  ULONG n = 0;
  HRESULT hr = reader->stream->ReadBytes(buffer, static_cast<ULONG>(size), &n);
  *got = static_cast<LONG>(n);
  return FAILED(hr) ? 1 : 0;
}

}  // namespace

void MainFrame::ShowTextOfStream(const StreamHandle& stream, ULONG offset) {
  stream.Seek(offset, STREAM_SEEK_SET);
  StreamReader reader{&stream};
  EDITSTREAM es = {};
  es.dwCookie = reinterpret_cast<DWORD_PTR>(&reader);
  es.pfnCallback = ReadFromStream;
  SendMessageA(textView_, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&es));
  SendMessageA(textView_, EM_SETMODIFY, FALSE, 0);
  ShowItemView(textSplitter_.Handle(), kViewText);
}

void MainFrame::ShowTreeSelection() {
  HTREEITEM item = TreeView_GetSelection(tree_);
  const TreeNodeData* node = treeModel_.NodeAt(tree_, item);
  if (!node) {
    ShowPlaceholder(PlaceholderView::Form::NoItem);
    return;
  }
  if (!node->children.empty()) {
    std::vector<NodeListView::Row> rows;
    for (const NodeListEntry& child : ChildrenOf(node->Node())) rows.push_back({child.title, child.hasChildren});
    nodeList_.SetRows(rows);
    ShowItemView(nodeList_.Handle(), kViewNodeList);
    titleStrip_.SetTitle(node->title);
    return;
  }
  OpenedNode opened;
  if (node->kind == kItemText &&
      SUCCEEDED(OpenNodeStream(document_->CurrentFolder(), node->path, true, opened))) {
    ShowTextOfStream(opened.Stream(), kRecordSize);
  } else {
    ShowPlaceholder(PlaceholderView::Form::NoItem);
  }
  titleStrip_.SetTitle(node->title);
}

void MainFrame::OpenNodeListRow(const std::string& title) {
  HTREEITEM parent = TreeView_GetSelection(tree_);
  for (HTREEITEM child = TreeView_GetChild(tree_, parent); child; child = TreeView_GetNextSibling(tree_, child)) {
    const TreeNodeData* node = treeModel_.NodeAt(tree_, child);
    if (node && NodeListTitle(node->title) == title) {
      TreeView_SelectItem(tree_, child);
      return;
    }
  }
}

LRESULT MainFrame::OnNotify(NMHDR* header) {
  if (!header) return 0;
  if (header->hwndFrom == tree_) {
    switch (header->code) {
      case TVN_SELCHANGEDA: ShowTreeSelection(); return 0;
      case TVN_ITEMEXPANDEDA: {
        auto* tv = reinterpret_cast<NMTREEVIEWA*>(header);
        TVITEMA item = {};
        item.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
        item.hItem = tv->itemNew.hItem;
        item.iImage = item.iSelectedImage = (tv->action & TVE_EXPAND) ? kTreeOpenFolderImage : kTreeFolderImage;
        TreeView_SetItem(tree_, &item);
        return 0;
      }
      case NM_RCLICK: {
        POINT pt;
        GetCursorPos(&pt);
        OnContextMenu(tree_, pt);
        return 1;
      }
      default: break;
    }
  }
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

void MainFrame::StoreTextViewContent() {
  // The text view shows items without edits until text items are stored back.
  SendMessageA(textView_, EM_SETMODIFY, FALSE, 0);
}

bool MainFrame::TextViewModified() { return SendMessageA(textView_, EM_GETMODIFY, 0, 0) != 0; }

void MainFrame::ClearViews() {
  if (shuttingDown_ && !Handle()) return;
  treeModel_.Clear(tree_);
  outbar_.RemoveAllGroups();
  groups_.clear();
  items_.clear();
  state_.folderKind = 0;
  SetWindowTextA(textView_, "");
  ShowPlaceholder(PlaceholderView::Form::NoItem);
}

void MainFrame::AddFolder(const std::string& name, uint16_t kind) {
  groups_.push_back({name, kind});
  outbar_.AddGroup(name, static_cast<LPARAM>(groups_.size() - 1));
}

std::string MainFrame::CurrentLocation() {
  int group = outbar_.SelectedGroup();
  if (group < 0 || group >= static_cast<int>(groups_.size())) return {};
  std::string location = groups_[static_cast<size_t>(group)].name;
  if (groups_[static_cast<size_t>(group)].kind == kFolderTree) {
    if (const TreeNodeData* node = treeModel_.NodeAt(tree_, TreeView_GetSelection(tree_)))
      for (const std::string& element : node->path) location += "\\" + element;
  } else {
    int item = outbar_.SelectedItem();
    if (item >= 0 && item < static_cast<int>(items_.size())) location += "\\" + items_[static_cast<size_t>(item)].elementName;
  }
  return location;
}

bool MainFrame::GoToLocation(const std::string& location) {
  size_t cut = location.find('\\');
  std::string folder = location.substr(0, cut);
  for (size_t g = 0; g < groups_.size(); ++g) {
    if (groups_[g].name != folder) continue;
    outbar_.SetSelectedGroup(static_cast<int>(g), true);
    if (cut == std::string::npos) return true;
    std::string rest = location.substr(cut + 1);
    if (groups_[g].kind == kFolderTree) {
      HTREEITEM item = TreeView_GetRoot(tree_);
      size_t from = 0;
      while (item) {
        size_t next = rest.find('\\', from);
        std::string part = rest.substr(from, next == std::string::npos ? std::string::npos : next - from);
        if (part.find(kTextNodeMarker) != std::string::npos) break;
        HTREEITEM found = nullptr;
        for (HTREEITEM s = item; s && !found; s = TreeView_GetNextSibling(tree_, s)) {
          const TreeNodeData* node = treeModel_.NodeAt(tree_, s);
          if (node && !node->path.empty() && node->path.back() == part) found = s;
        }
        if (!found) break;
        TreeView_SelectItem(tree_, found);
        if (next == std::string::npos) break;
        from = next + 1;
        item = TreeView_GetChild(tree_, found);
      }
    } else {
      for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i].elementName == rest) {
          outbar_.SetSelectedItem(static_cast<int>(i));
          ShowCatalogItem(static_cast<int>(g), static_cast<int>(i));
        }
    }
    return true;
  }
  return false;
}

void MainFrame::SelectFirstFolder() {
  if (!groups_.empty()) outbar_.SetSelectedGroup(0, true);
}

void MainFrame::SetTitle(const std::string& title) { SetWindowTextA(Handle(), title.c_str()); }

void MainFrame::RefreshBookmarkMenu() {
  HMENU content = GetSubMenu(menu_, MENU_POS_CONTENT);
  HMENU quick = content ? GetSubMenu(content, MENU_POS_CONTENT_QUICK_ACCESS) : nullptr;
  if (!quick) return;
  while (GetMenuItemCount(quick) > 0) DeleteMenu(quick, 0, MF_BYPOSITION);
  int n = 0;
  for (const Bookmark& b : document_->Bookmarks()) {
    if (n > 128) break;
    char text[128];
    wsprintfA(text, "%s\t(&%d)", b.title.c_str(), n + 1);
    AppendMenuA(quick, MF_STRING | MF_GRAYED, 42000 + n, text);
    ++n;
  }
}

void MainFrame::CloseMainWindow() { SendMessageA(Handle(), WM_CLOSE, 0, 0); }

}  // namespace vellora
