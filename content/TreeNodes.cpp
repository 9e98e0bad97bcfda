#include "content/TreeNodes.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace vellora {

namespace {

struct ElementEntry {
  std::string name;
  bool isStorage;
};

// The elements of one storage, named before any of them is opened, so no
// child is opened while the storage's enumerator walks it.
HRESULT ListElements(const StorageHandle& storage, std::vector<ElementEntry>& out) {
  out.clear();
  return storage.ForEachElement([&](const STATSTG& stat, const std::string& name) {
    if (stat.type == STGTY_STORAGE) out.push_back({name, true});
    else if (stat.type == STGTY_STREAM && !IsNodeInfoStreamName(name)) out.push_back({name, false});
    return true;
  });
}

void TakeRecord(const NodeInfoRecord& record, TreeNode& node) {
  node.sequence = record.sequence;
  node.kind = record.kind;
  node.flags = record.flags;
  if (node.HasPassword()) node.password = record.Password();
}

NodeInfoRecord ReadRecordOf(const StorageHandle& parent, const std::string& leafName) {
  NodeInfoRecord record;  // zeros when the record cannot be read whole
  StreamHandle stream;
  if (SUCCEEDED(parent.OpenStream(leafName.c_str(), kReadMode, stream))) ReadNodeInfo(stream, record);
  return record;
}

// Reads the children of one storage at the given level (1: the folder's top
// level). Recursion goes as deep as the tree, and no deeper than kMaxTreeDepth.
// S_FALSE when something below could not be read or a branch was cut.
HRESULT LoadLevel(const StorageHandle& storage, int level, int lastLevel, std::vector<TreeNode>& nodes) {
  std::vector<ElementEntry> elements;
  HRESULT hr = ListElements(storage, elements);
  if (FAILED(hr)) return hr;
  bool complete = true;
  nodes.reserve(elements.size());
  for (ElementEntry& element : elements) {
    nodes.emplace_back();
    TreeNode& node = nodes.back();
    node.title = DisplayName(element.name);
    node.elementName = std::move(element.name);
    node.isFolderNode = element.isStorage;
    if (!node.isFolderNode) {
      TakeRecord(ReadRecordOf(storage, node.elementName), node);
      continue;
    }
    StorageHandle child;
    if (FAILED(storage.OpenStorage(node.elementName.c_str(), kReadMode, child))) {
      complete = false;
      continue;
    }
    // A folder node without its record stream still loads, with zeros.
    // (Element names compare without case, so any spelling of it is found.)
    TakeRecord(ReadRecordOf(child, kNodeInfoStream), node);
    if (level >= lastLevel && lastLevel < kMaxTreeDepth) {
      node.childrenLoaded = false;
      continue;
    }
    if (level >= kMaxTreeDepth) {
      complete = false;
      continue;
    }
    if (LoadLevel(child, level + 1, lastLevel, node.children) != S_OK) complete = false;
  }
  SortSiblings(nodes);
  return complete ? S_OK : S_FALSE;
}

}  // namespace

HRESULT LoadTree(const StorageHandle& folder, std::vector<TreeNode>& roots) {
  roots.clear();
  return LoadLevel(folder, 1, kMaxTreeDepth, roots);
}

HRESULT LoadTreeLevels(const StorageHandle& storage, int levels, std::vector<TreeNode>& roots) {
  roots.clear();
  if (levels < 1) levels = 1;
  return LoadLevel(storage, 1, levels < kMaxTreeDepth ? levels : kMaxTreeDepth, roots);
}

bool ShowsBefore(const TreeNode& a, const TreeNode& b) {
  if (a.sequence != b.sequence) return a.sequence < b.sequence;
  int byTitle = lstrcmpiA(a.title.c_str(), b.title.c_str());
  if (byTitle != 0) return byTitle < 0;
  return a.elementName < b.elementName;
}

void SortSiblings(std::vector<TreeNode>& siblings) { std::stable_sort(siblings.begin(), siblings.end(), ShowsBefore); }

void SortTree(std::vector<TreeNode>& roots) {
  // Explicit stack: the depth of a tree built in memory is not bounded.
  std::vector<std::vector<TreeNode>*> pending{&roots};
  while (!pending.empty()) {
    std::vector<TreeNode>* level = pending.back();
    pending.pop_back();
    SortSiblings(*level);
    for (TreeNode& node : *level)
      if (!node.children.empty()) pending.push_back(&node.children);
  }
}

size_t CountNodes(const std::vector<TreeNode>& roots) {
  size_t count = 0;
  std::vector<const std::vector<TreeNode>*> pending{&roots};
  while (!pending.empty()) {
    const std::vector<TreeNode>* level = pending.back();
    pending.pop_back();
    count += level->size();
    for (const TreeNode& node : *level)
      if (!node.children.empty()) pending.push_back(&node.children);
  }
  return count;
}

TreeItemData TreeItemData::FromNode(const TreeNode& node) {
  TreeItemData data;
  data.elementName = node.elementName;
  data.sequence = node.sequence;
  data.kind = node.kind;
  data.flags = node.flags;
  data.password = node.password;
  data.isFolderNode = node.isFolderNode;
  data.childrenLoaded = node.childrenLoaded;
  return data;
}

// ---- node list ----------------------------------------------------------------

std::string NodeListTitle(const std::string& title) { return CutToBytes(title, kNodeListTitleBytes); }

std::vector<NodeListEntry> ChildrenOf(const TreeNode& node) {
  std::vector<NodeListEntry> rows;
  rows.reserve(node.children.size());
  for (const TreeNode& child : node.children) rows.push_back({NodeListTitle(child.title), !child.children.empty()});
  return rows;
}

// ---- opening node elements -------------------------------------------------------

OpenedNode& OpenedNode::operator=(OpenedNode&& other) noexcept {
  if (this != &other) {
    Release();
    folder_ = std::exchange(other.folder_, nullptr);
    ancestors_ = std::move(other.ancestors_);
    storage_ = std::move(other.storage_);
    stream_ = std::move(other.stream_);
  }
  return *this;
}

const StorageHandle& OpenedNode::Parent() const {
  static const StorageHandle kNone;
  if (!ancestors_.empty()) return ancestors_.back();
  return folder_ ? *folder_ : kNone;
}

void OpenedNode::Release() {
  stream_.Release();
  storage_.Release();
  while (!ancestors_.empty()) ancestors_.pop_back();
  folder_ = nullptr;
}

HRESULT OpenNodeParent(const StorageHandle& folder, const std::vector<std::string>& path, bool readOnly,
                       OpenedNode& out) {
  out.Release();
  if (folder.Empty()) return E_POINTER;
  if (path.empty()) return E_INVALIDARG;
  const DWORD mode = readOnly ? kReadMode : kWriteMode;
  out.folder_ = &folder;
  out.ancestors_.reserve(path.size() - 1);
  for (size_t i = 0; i + 1 < path.size(); ++i) {
    StorageHandle next;
    HRESULT hr = out.Parent().OpenStorage(path[i].c_str(), mode, next);
    if (FAILED(hr)) {
      out.Release();
      return hr;
    }
    out.ancestors_.push_back(std::move(next));
  }
  return S_OK;
}

HRESULT OpenNodeStream(const StorageHandle& folder, const std::vector<std::string>& path, bool readOnly,
                       OpenedNode& out) {
  HRESULT hr = OpenNodeParent(folder, path, readOnly, out);
  if (FAILED(hr)) return hr;
  hr = out.Parent().OpenStream(path.back().c_str(), readOnly ? kReadMode : kWriteMode, out.stream_);
  if (FAILED(hr)) out.Release();
  return hr;
}

HRESULT OpenNodeStorage(const StorageHandle& folder, const std::vector<std::string>& path, bool readOnly,
                        OpenedNode& out) {
  HRESULT hr = OpenNodeParent(folder, path, readOnly, out);
  if (FAILED(hr)) return hr;
  hr = out.Parent().OpenStorage(path.back().c_str(), readOnly ? kReadMode : kWriteMode, out.storage_);
  if (FAILED(hr)) out.Release();
  return hr;
}

HRESULT OpenNodeRecord(const StorageHandle& folder, const std::vector<std::string>& path, bool readOnly,
                       OpenedNode& out) {
  HRESULT hr = OpenNodeParent(folder, path, readOnly, out);
  if (FAILED(hr)) return hr;
  const DWORD mode = readOnly ? kReadMode : kWriteMode;
  const char* name = path.back().c_str();
  // A stream open by the name of a storage fails as not found: then it is a
  // folder node. (No look-up first: that would walk every sibling.)
  hr = out.Parent().OpenStream(name, mode, out.stream_);
  if (hr == STG_E_FILENOTFOUND) {
    hr = out.Parent().OpenStorage(name, mode, out.storage_);
    if (SUCCEEDED(hr)) hr = out.storage_.OpenStream(kNodeInfoStream, mode, out.stream_);
  }
  if (FAILED(hr)) out.Release();
  return hr;
}

}  // namespace vellora
