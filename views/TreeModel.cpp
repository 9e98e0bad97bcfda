#include "views/TreeModel.h"

#include "platform/CallbackGuard.h"

#include <algorithm>
#include <utility>

namespace vellora {

namespace {

// Titles are element names (31 characters, at most 62 bytes in a double-byte
// code page); this is ample.
constexpr int kTitleBuffer = 260;

// Turns drawing off for its lifetime and repaints at the end.
class RedrawOff {
 public:
  explicit RedrawOff(HWND window) : window_(window) {
    if (window_) SendMessageA(window_, WM_SETREDRAW, FALSE, 0);
  }
  ~RedrawOff() {
    if (!window_) return;
    SendMessageA(window_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(window_, nullptr, TRUE);
  }
  RedrawOff(const RedrawOff&) = delete;
  RedrawOff& operator=(const RedrawOff&) = delete;

 private:
  HWND window_;
};

class BusyFlag {
 public:
  explicit BusyFlag(bool& flag) : flag_(flag), was_(std::exchange(flag, true)) {}
  ~BusyFlag() { flag_ = was_; }
  BusyFlag(const BusyFlag&) = delete;
  BusyFlag& operator=(const BusyFlag&) = delete;

 private:
  bool& flag_;
  bool was_;
};

}  // namespace

void TreeModel::DeleteAll() {
  // The deletion notifications come while busy_ is set and free nothing;
  // the records go all at once after the control has let go of them.
  if (tree_) SendMessageA(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  records_.clear();
}

void TreeModel::Clear() {
  BusyFlag busy(busy_);
  RedrawOff redraw(tree_);
  DeleteAll();
}

void TreeModel::Fill(const std::vector<TreeNode>& roots) {
  BusyFlag busy(busy_);
  RedrawOff redraw(tree_);
  DeleteAll();
  if (!tree_) return;
  records_.reserve(CountNodes(roots));
  for (const TreeNode& node : roots) InsertBranch(TVI_ROOT, TVI_LAST, node);
}

HTREEITEM TreeModel::InsertItem(HTREEITEM parent, HTREEITEM after, const std::string& title,
                                const TreeItemData& data) {
  if (!tree_) return nullptr;
  auto record = std::make_unique<TreeItemData>(data);
  TVINSERTSTRUCTA insert = {};
  insert.hParent = parent ? parent : TVI_ROOT;
  insert.hInsertAfter = after ? after : TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
  insert.item.pszText = const_cast<char*>(title.c_str());
  insert.item.iImage = data.isFolderNode ? images_.folderNode : images_.leaf;
  insert.item.iSelectedImage = data.isFolderNode ? images_.folderNode : images_.selectedLeaf;
  insert.item.lParam = reinterpret_cast<LPARAM>(record.get());
  if (data.isFolderNode && !data.childrenLoaded) {
    // The expand button shows before the children are loaded.
    insert.item.mask |= TVIF_CHILDREN;
    insert.item.cChildren = 1;
  }
  auto item = reinterpret_cast<HTREEITEM>(
      SendMessageA(tree_, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
  if (!item) return nullptr;
  record->item = reinterpret_cast<NodeRef>(item);
  const TreeItemData* key = record.get();
  records_.emplace(key, std::move(record));
  return item;
}

HTREEITEM TreeModel::InsertBranch(HTREEITEM parent, HTREEITEM after, const TreeNode& node) {
  HTREEITEM top = InsertItem(parent, after, node.title, TreeItemData::FromNode(node));
  if (!top) return nullptr;
  // Depth first with an explicit stack: children are appended in their
  // sorted order, each after its parent, so the control never sorts.
  struct Pending {
    const TreeNode* node;
    HTREEITEM parent;
  };
  std::vector<Pending> pending;
  auto pushChildren = [&](const TreeNode& of, HTREEITEM item) {
    for (auto child = of.children.rbegin(); child != of.children.rend(); ++child) pending.push_back({&*child, item});
  };
  pushChildren(node, top);
  while (!pending.empty()) {
    Pending next = pending.back();
    pending.pop_back();
    HTREEITEM item = InsertItem(next.parent, TVI_LAST, next.node->title, TreeItemData::FromNode(*next.node));
    if (item) pushChildren(*next.node, item);
  }
  return top;
}

bool TreeModel::EnsureChildren(HTREEITEM item, const StorageHandle& folder) {
  TreeItemData* data = DataOf(item);
  if (!data || !data->isFolderNode) return data != nullptr;
  if (data->childrenLoaded) return true;
  std::vector<TreeNode> children;
  std::vector<std::string> path = NodePath(item);
  // A branch is never read below the walk limit, however often it is opened
  // (a damaged folder node can contain itself).
  if (path.size() < static_cast<size_t>(kMaxElementDepth) && records_.size() < elementBudget_) {
    OpenedNode opened;
    if (FAILED(OpenNodeStorage(folder, path, true, opened))) return false;
    LoadTreeLevels(opened.Storage(), 1, children);
  }
  data->childrenLoaded = true;
  for (const TreeNode& child : children) InsertBranch(item, TVI_LAST, child);
  if (children.empty()) {
    TVITEMA none = {};
    none.mask = TVIF_CHILDREN;
    none.hItem = item;
    none.cChildren = 0;
    SendMessageA(tree_, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&none));
  }
  return true;
}

HTREEITEM TreeModel::LoadAlongPath(const std::vector<std::string>& path, const StorageHandle& folder) {
  std::vector<std::string> prefix;
  HTREEITEM item = nullptr;
  for (const std::string& name : path) {
    if (item) EnsureChildren(item, folder);
    prefix.push_back(name);
    item = FindByPath(prefix);
    if (!item) return nullptr;
  }
  return item;
}

TreeItemData* TreeModel::DataFromParam(LPARAM param) const {
  auto found = records_.find(reinterpret_cast<const TreeItemData*>(param));
  return found == records_.end() ? nullptr : found->second.get();
}

TreeItemData* TreeModel::DataOf(HTREEITEM item) const {
  if (!tree_ || !item) return nullptr;
  TVITEMA query = {};
  query.mask = TVIF_PARAM | TVIF_HANDLE;
  query.hItem = item;
  if (!SendMessageA(tree_, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&query))) return nullptr;
  return DataFromParam(query.lParam);
}

void TreeModel::OnItemDeleted(const NMTREEVIEWA& info) {
  if (busy_) return;
  records_.erase(reinterpret_cast<const TreeItemData*>(info.itemOld.lParam));
}

void TreeModel::SetImages(HTREEITEM item, int image, int selectedImage) const {
  TVITEMA change = {};
  change.mask = TVIF_HANDLE | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  change.hItem = item;
  change.iImage = image;
  change.iSelectedImage = selectedImage;
  SendMessageA(tree_, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&change));
}

void TreeModel::OnItemExpanded(const NMTREEVIEWA& info) {
  TreeItemData* data = DataOf(info.itemNew.hItem);
  if (!data || !data->isFolderNode) return;
  int image = (info.action & TVE_EXPAND) ? images_.expandedFolderNode : images_.folderNode;
  SetImages(info.itemNew.hItem, image, image);
}

void TreeModel::SetNodeForm(HTREEITEM item, bool folderNode) {
  TreeItemData* data = DataOf(item);
  if (!data) return;
  data->isFolderNode = folderNode;
  if (folderNode) SetImages(item, images_.folderNode, images_.folderNode);
  else SetImages(item, images_.leaf, images_.selectedLeaf);
}

int CALLBACK TreeModel::CompareItems(LPARAM first, LPARAM second, LPARAM model) {
  return Guarded("tree sort", 0, [&] { return Compare(first, second, model); });
}

int TreeModel::Compare(LPARAM first, LPARAM second, LPARAM model) {
  const auto* self = reinterpret_cast<const TreeModel*>(model);
  const TreeItemData* a = self->DataFromParam(first);
  const TreeItemData* b = self->DataFromParam(second);
  if (!a || !b) return a ? -1 : (b ? 1 : 0);
  // Compared, not subtracted: the difference of two far-apart numbers overflows.
  if (a->sequence != b->sequence) return a->sequence < b->sequence ? -1 : 1;
  int byTitle = lstrcmpiA(DisplayName(a->elementName).c_str(), DisplayName(b->elementName).c_str());
  if (byTitle != 0) return byTitle;
  return a->elementName.compare(b->elementName);
}

void TreeModel::SortChildren(HTREEITEM parent) {
  if (!tree_) return;
  TVSORTCB sort = {};
  sort.hParent = parent ? parent : TVI_ROOT;
  sort.lpfnCompare = &TreeModel::CompareItems;
  sort.lParam = reinterpret_cast<LPARAM>(this);
  SendMessageA(tree_, TVM_SORTCHILDRENCB, FALSE, reinterpret_cast<LPARAM>(&sort));
}

HTREEITEM TreeModel::FirstChild(HTREEITEM parent) const {
  if (!tree_) return nullptr;
  if (!parent || parent == TVI_ROOT)
    return reinterpret_cast<HTREEITEM>(SendMessageA(tree_, TVM_GETNEXTITEM, TVGN_ROOT, 0));
  return reinterpret_cast<HTREEITEM>(
      SendMessageA(tree_, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(parent)));
}

HTREEITEM TreeModel::NextSibling(HTREEITEM item) const {
  if (!tree_ || !item) return nullptr;
  return reinterpret_cast<HTREEITEM>(SendMessageA(tree_, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)));
}

HTREEITEM TreeModel::ParentOf(HTREEITEM item) const {
  if (!tree_ || !item) return nullptr;
  return reinterpret_cast<HTREEITEM>(
      SendMessageA(tree_, TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(item)));
}

std::vector<std::string> TreeModel::NodePath(HTREEITEM item) const {
  std::vector<std::string> path;
  for (HTREEITEM at = item; at; at = ParentOf(at)) {
    const TreeItemData* data = DataOf(at);
    if (!data) return {};
    path.push_back(data->elementName);
  }
  std::reverse(path.begin(), path.end());
  return path;
}

HTREEITEM TreeModel::FindByPath(const std::vector<std::string>& path) const {
  if (path.empty()) return nullptr;
  HTREEITEM parent = nullptr;
  for (const std::string& name : path) {
    HTREEITEM found = nullptr;
    for (HTREEITEM child = FirstChild(parent); child; child = NextSibling(child)) {
      const TreeItemData* data = DataOf(child);
      if (data && lstrcmpiA(data->elementName.c_str(), name.c_str()) == 0) {
        found = child;
        break;
      }
    }
    if (!found) return nullptr;
    parent = found;
  }
  return parent;
}

std::string TreeModel::TitleOf(HTREEITEM item) const {
  if (!tree_ || !item) return {};
  char text[kTitleBuffer] = {};
  TVITEMA query = {};
  query.mask = TVIF_TEXT | TVIF_HANDLE;
  query.hItem = item;
  query.pszText = text;
  query.cchTextMax = sizeof text;
  if (!SendMessageA(tree_, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&query))) return {};
  // The control may hand back its own buffer instead of filling ours.
  return query.pszText ? std::string(query.pszText) : std::string();
}

std::vector<NodeListEntry> TreeModel::ChildrenOf(HTREEITEM item) const {
  std::vector<NodeListEntry> rows;
  for (HTREEITEM child = FirstChild(item); child; child = NextSibling(child))
    rows.push_back({NodeListTitle(TitleOf(child)), FirstChild(child) != nullptr});
  return rows;
}

HTREEITEM TreeModel::FindChildByTitle(HTREEITEM parent, const std::string& title) const {
  for (HTREEITEM child = FirstChild(parent); child; child = NextSibling(child))
    if (NodeListTitle(TitleOf(child)) == title) return child;
  return nullptr;
}

// ---- what the content commands see of the tree ------------------------------

NodeRef TreeModel::Selected() const {
  if (!tree_) return nullptr;
  return Ref(reinterpret_cast<HTREEITEM>(SendMessageA(tree_, TVM_GETNEXTITEM, TVGN_CARET, 0)));
}

bool TreeModel::EnsureChildren(NodeRef node) { return folder_ && EnsureChildren(Item(node), *folder_); }

NodeRef TreeModel::Find(const std::vector<std::string>& path) {
  return folder_ ? Ref(LoadAlongPath(path, *folder_)) : Ref(FindByPath(path));
}

NodeRef TreeModel::Insert(NodeRef parent, const std::string& title, const TreeItemData& data) {
  return Ref(InsertItem(parent ? Item(parent) : TVI_ROOT, TVI_LAST, title, data));
}

NodeRef TreeModel::InsertBranch(NodeRef parent, const TreeNode& node) {
  return Ref(InsertBranch(parent ? Item(parent) : TVI_ROOT, TVI_LAST, node));
}

void TreeModel::Delete(NodeRef node) {
  if (tree_ && node) SendMessageA(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(Item(node)));
}

void TreeModel::SetTitle(NodeRef node, const std::string& title) {
  if (!tree_ || !node) return;
  TVITEMA change = {};
  change.mask = TVIF_HANDLE | TVIF_TEXT;
  change.hItem = Item(node);
  change.pszText = const_cast<char*>(title.c_str());
  SendMessageA(tree_, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&change));
}

void TreeModel::Select(NodeRef node) {
  if (tree_) SendMessageA(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(Item(node)));
}

void TreeModel::Expand(NodeRef node) {
  if (tree_ && node) SendMessageA(tree_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(Item(node)));
}

bool TreeModel::EditLabel(NodeRef node) {
  // A hidden tree would take the edit and never end it.
  if (!tree_ || !node || !IsWindowVisible(tree_)) return false;
  SetFocus(tree_);
  return SendMessageA(tree_, TVM_EDITLABELA, 0, reinterpret_cast<LPARAM>(Item(node))) != 0;
}

}  // namespace vellora
