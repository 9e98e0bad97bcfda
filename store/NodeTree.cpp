#include "store/NodeTree.h"

#include <algorithm>
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
HRESULT LoadLevel(const StorageHandle& storage, int level, int lastLevel, std::vector<TreeNode>& nodes,
                  TreeLoadReport& report) {
  std::vector<ElementEntry> elements;
  HRESULT hr = ListElements(storage, elements);
  if (FAILED(hr)) {
    ++report.unlistedStorages;
    return hr;
  }
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
      ++report.unopenedStorages;
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
      ++report.cutBranches;
      complete = false;
      continue;
    }
    if (LoadLevel(child, level + 1, lastLevel, node.children, report) != S_OK) complete = false;
  }
  SortSiblings(nodes);
  return complete ? S_OK : S_FALSE;
}

}  // namespace

HRESULT LoadTree(const StorageHandle& folder, std::vector<TreeNode>& roots, TreeLoadReport& report) {
  roots.clear();
  report = TreeLoadReport();
  return LoadLevel(folder, 1, kMaxTreeDepth, roots, report);
}

HRESULT LoadTree(const StorageHandle& folder, std::vector<TreeNode>& roots) {
  TreeLoadReport report;
  return LoadTree(folder, roots, report);
}

HRESULT LoadTreeLevels(const StorageHandle& storage, int levels, std::vector<TreeNode>& roots) {
  roots.clear();
  if (levels < 1) levels = 1;
  TreeLoadReport report;
  return LoadLevel(storage, 1, levels < kMaxTreeDepth ? levels : kMaxTreeDepth, roots, report);
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

}  // namespace vellora
