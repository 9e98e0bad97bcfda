#include "tests/content/CommandRig.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "content/CatalogOperations.h"
#include "content/NodeOperations.h"
#include "tests/content/ContentFixtures.h"

using namespace vellora;

namespace vtest {

// ---- the tree in memory ---------------------------------------------------------------

struct MemoryTree::Node {
  std::string title;
  TreeItemData data;
  Node* parent = nullptr;
  std::vector<std::unique_ptr<Node>> children;
};

MemoryTree::MemoryTree() : top_(std::make_unique<Node>()) {}
MemoryTree::~MemoryTree() = default;

MemoryTree::Node* MemoryTree::Of(NodeRef node) const {
  return node ? reinterpret_cast<Node*>(node) : top_.get();
}

NodeRef MemoryTree::Ref(Node* node) { return reinterpret_cast<NodeRef>(node); }

void MemoryTree::Clear() {
  top_->children.clear();
  selected_ = nullptr;
  editing = nullptr;
}

void MemoryTree::Fill(const std::vector<TreeNode>& roots) {
  Clear();
  for (const TreeNode& root : roots) InsertBranch(nullptr, root);
}

NodeRef MemoryTree::Titled(const std::vector<std::string>& titles) const {
  Node* at = top_.get();
  for (const std::string& title : titles) {
    auto found = std::find_if(at->children.begin(), at->children.end(),
                              [&](const std::unique_ptr<Node>& child) { return child->title == title; });
    if (found == at->children.end()) return nullptr;
    at = found->get();
  }
  return at == top_.get() ? nullptr : Ref(at);
}

std::vector<std::string> MemoryTree::ChildTitles(NodeRef parent) const {
  std::vector<std::string> titles;
  for (const auto& child : Of(parent)->children) titles.push_back(child->title);
  return titles;
}

NodeRef MemoryTree::Selected() const { return Ref(selected_); }

NodeRef MemoryTree::Parent(NodeRef node) const {
  Node* parent = node ? Of(node)->parent : nullptr;
  return parent == top_.get() ? nullptr : Ref(parent);
}

NodeRef MemoryTree::FirstChild(NodeRef parent) const {
  Node* of = Of(parent);
  return of->children.empty() ? nullptr : Ref(of->children.front().get());
}

NodeRef MemoryTree::Next(NodeRef node) const {
  if (!node) return nullptr;
  Node* self = Of(node);
  auto& siblings = self->parent->children;
  for (size_t i = 0; i + 1 < siblings.size(); ++i)
    if (siblings[i].get() == self) return Ref(siblings[i + 1].get());
  return nullptr;
}

TreeItemData* MemoryTree::Data(NodeRef node) const { return node ? &Of(node)->data : nullptr; }

std::string MemoryTree::Title(NodeRef node) const { return node ? Of(node)->title : std::string(); }

std::vector<std::string> MemoryTree::Path(NodeRef node) const {
  std::vector<std::string> path;
  for (Node* at = node ? Of(node) : nullptr; at && at != top_.get(); at = at->parent)
    path.insert(path.begin(), at->data.elementName);
  return path;
}

bool MemoryTree::EnsureChildren(NodeRef node) {
  TreeItemData* data = Data(node);
  if (!data || !data->isFolderNode || data->childrenLoaded) return data != nullptr;
  if (!folder_) return false;
  OpenedNode opened;
  if (FAILED(OpenNodeStorage(*folder_, Path(node), true, opened))) return false;
  std::vector<TreeNode> children;
  LoadTreeLevels(opened.Storage(), 1, children);
  data->childrenLoaded = true;
  for (const TreeNode& child : children) InsertBranch(node, child);
  return true;
}

NodeRef MemoryTree::Find(const std::vector<std::string>& path) {
  NodeRef at = nullptr;
  for (const std::string& name : path) {
    if (at) EnsureChildren(at);
    NodeRef found = nullptr;
    for (NodeRef child = FirstChild(at); child && !found; child = Next(child))
      if (lstrcmpiA(Data(child)->elementName.c_str(), name.c_str()) == 0) found = child;
    if (!found) return nullptr;
    at = found;
  }
  return at;
}

NodeRef MemoryTree::Insert(NodeRef parent, const std::string& title, const TreeItemData& data) {
  auto node = std::make_unique<Node>();
  node->title = title;
  node->data = data;
  node->parent = Of(parent);
  node->data.item = Ref(node.get());
  Node* placed = node.get();
  Of(parent)->children.push_back(std::move(node));
  return Ref(placed);
}

NodeRef MemoryTree::InsertBranch(NodeRef parent, const TreeNode& node) {
  NodeRef top = Insert(parent, node.title, TreeItemData::FromNode(node));
  for (const TreeNode& child : node.children) InsertBranch(top, child);
  return top;
}

void MemoryTree::Delete(NodeRef node) {
  if (!node) return;
  Node* self = Of(node);
  bool selectionGoes = false;
  for (Node* at = selected_; at; at = at->parent) selectionGoes = selectionGoes || at == self;
  auto& siblings = self->parent->children;
  auto it = std::find_if(siblings.begin(), siblings.end(), [&](const auto& child) { return child.get() == self; });
  if (selectionGoes) {
    // As the tree view does: the next sibling, else the one before, else the parent.
    Node* next = it + 1 != siblings.end() ? (it + 1)->get() : (it != siblings.begin() ? (it - 1)->get() : self->parent);
    selected_ = next == top_.get() ? nullptr : next;
  }
  if (editing == node) editing = nullptr;
  siblings.erase(it);
}

void MemoryTree::SetForm(NodeRef node, bool folderNode) {
  if (TreeItemData* data = Data(node)) data->isFolderNode = folderNode;
}

void MemoryTree::SetTitle(NodeRef node, const std::string& title) {
  if (node) Of(node)->title = title;
}

void MemoryTree::SortChildren(NodeRef parent) {
  auto& children = Of(parent)->children;
  std::stable_sort(children.begin(), children.end(), [](const auto& a, const auto& b) {
    if (a->data.sequence != b->data.sequence) return a->data.sequence < b->data.sequence;
    return lstrcmpiA(DisplayName(a->data.elementName).c_str(), DisplayName(b->data.elementName).c_str()) < 0;
  });
}

void MemoryTree::Select(NodeRef node) {
  selected_ = node ? Of(node) : nullptr;
  ++selections;
}

bool MemoryTree::EditLabel(NodeRef node) {
  if (!editsLabels || !node) return false;
  editing = node;
  return true;
}

// ---- the document's folders into the model ---------------------------------------------

SelectionDocumentHost::SelectionDocumentHost(LibrarySelection& selection, CommandHost& host)
    : selection_(selection), host_(host) {
  selection_.SetObserver(this);
}

void SelectionDocumentHost::GroupAdded(int group) { events.push_back("added " + selection_.GroupName(group)); }

void SelectionDocumentHost::GroupRemoved(int group, bool wasSelected) {
  events.push_back("removed " + std::to_string(group) + (wasSelected ? " selected" : ""));
  if (wasSelected) host_.tree.Clear();
}

void SelectionDocumentHost::GroupsSwapped(int first, int second) {
  events.push_back("swapped " + std::to_string(first) + " " + std::to_string(second));
}

void SelectionDocumentHost::GroupSelected(int group) {
  events.push_back("selected " + selection_.GroupName(group));
  host_.tree.Clear();
  if (selection_.GroupKind(group) != kFolderTree || !document_) return;
  // As the frame shows a tree folder: two levels now, the first node selected.
  host_.tree.SetFolder(&document_->CurrentFolder());
  std::vector<TreeNode> roots;
  LoadTreeLevels(document_->CurrentFolder(), 2, roots);
  host_.tree.Fill(roots);
  if (NodeRef first = host_.tree.FirstChild(nullptr)) host_.tree.Select(first);
}

void SelectionDocumentHost::ItemsLoaded(int group) { events.push_back("loaded " + selection_.GroupName(group)); }

void SelectionDocumentHost::ItemsForgotten(int group) {
  events.push_back("forgot " + selection_.GroupName(group));
}

void SelectionDocumentHost::ItemRemoved(int group, int item) {
  events.push_back("item removed " + std::to_string(group) + " " + std::to_string(item));
}

void SelectionDocumentHost::ItemSelected(int group, int item) {
  events.push_back("item selected " + std::to_string(group) + " " + std::to_string(item));
}

// ---- the rig ---------------------------------------------------------------------------

CommandRig::CommandRig()
    : path(rig.dir.File("commands.vlx")),
      selection(document),
      host(selection),
      documentHost(selection, host),
      document(documentHost, rig.prompt, rig.texts, rig.log, rig.Setup()),
      commands(document, rig.prompt, host, rig.texts) {
  documentHost.Attach(document);
  treeFolder = rig.texts.TextOr(kTextFirstTreeFolder, "");
  catalogFolder = rig.texts.TextOr(kTextFirstCatalogFolder, "");
  secondCatalog = rig.texts.TextOr(kTextSecondCatalogFolder, "");
  EXPECT_TRUE(document.CreateLibrary(path));
  documentHost.events.clear();
}

CommandRig::~CommandRig() { selection.SetObserver(nullptr); }

int CommandRig::Select(const std::string& folderName) {
  const int group = selection.GroupNamed(folderName);
  EXPECT_GE(group, 0) << folderName;
  selection.SelectGroup(group);
  return group;
}

StorageHandle CommandRig::Folder(const std::string& name) const {
  bool isCurrent = false;
  StorageHandle folder = document.OpenFolder(name, false, isCurrent);
  EXPECT_FALSE(folder.Empty()) << name;
  return folder;
}

StorageHandle CommandRig::SavedRoot() {
  document.Save();
  document.Close();
  StorageHandle root;
  EXPECT_HRESULT_SUCCEEDED(root.OpenRoot(path.c_str(), kReadMode));
  return root;
}

// ---- reading back ------------------------------------------------------------------------

std::string StreamText(const StorageHandle& storage, const std::string& name) {
  StreamHandle stream = storage.OpenStreamFor(name.c_str(), true);
  if (stream.Empty()) return "<no stream " + name + ">";
  std::string bytes;
  char buffer[4096];
  ULONG got = 0;
  while (SUCCEEDED(stream.Get()->Read(buffer, sizeof buffer, &got)) && got > 0) bytes.append(buffer, got);
  return bytes;
}

std::vector<CatalogItemEntry> ItemsIn(const StorageHandle& root, const std::string& folder) {
  std::vector<CatalogItemEntry> items;
  StorageHandle storage = root.OpenStorageFor(folder.c_str(), true);
  EXPECT_FALSE(storage.Empty()) << folder;
  if (!storage.Empty()) LoadCatalogItems(storage, items);
  return items;
}

std::string ItemContent(const StorageHandle& root, const std::string& folder, const std::string& item) {
  StorageHandle storage = root.OpenStorageFor(folder.c_str(), true);
  StorageHandle itemStorage = storage.Empty() ? StorageHandle() : storage.OpenStorageFor(item.c_str(), true);
  if (itemStorage.Empty()) return "<no item " + item + ">";
  return StreamText(itemStorage, kFolderItemContent);
}

std::string LeafContent(const StorageHandle& folder, const std::vector<std::string>& path) {
  OpenedNode opened;
  if (FAILED(OpenNodeParent(folder, path, true, opened))) return "<no node>";
  std::string bytes = StreamText(opened.Parent(), path.back());
  return bytes.size() >= kRecordSize ? bytes.substr(kRecordSize) : "<short node>";
}

std::vector<std::string> Titles(const std::vector<TreeNode>& nodes) {
  std::vector<std::string> titles;
  for (const TreeNode& node : nodes) titles.push_back(node.title);
  return titles;
}

std::vector<std::string> Titles(const std::vector<CatalogItemEntry>& items) {
  std::vector<std::string> titles;
  for (const CatalogItemEntry& item : items) titles.push_back(item.title);
  return titles;
}

void AddItem(const StorageHandle& folder, const std::string& name, int32_t itemId, const std::string& content) {
  NewItemRequest request;
  request.title = name;
  ASSERT_HRESULT_SUCCEEDED(CreateCatalogItem(folder, request, name, itemId)) << name;
  StorageHandle item = folder.OpenStorageFor(name.c_str(), false);
  ASSERT_FALSE(item.Empty());
  WriteStream(item, kFolderItemContent, content);
}

}  // namespace vtest
