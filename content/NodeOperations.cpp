#include "content/NodeOperations.h"

#include <algorithm>

namespace vellora {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Storages opened one below the other from a base storage, all held open.
class StorageChain {
 public:
  HRESULT Open(const StorageHandle& base, const NodePath& names, size_t from, size_t to, DWORD mode) {
    base_ = &base;
    for (size_t i = from; i < to; ++i) {
      StorageHandle next;
      HRESULT hr = Last().OpenStorage(names[i].c_str(), mode, next);
      if (FAILED(hr)) return hr;
      chain_.push_back(std::move(next));
    }
    return S_OK;
  }
  const StorageHandle& Last() const { return chain_.empty() ? *base_ : chain_.back(); }
  ~StorageChain() {
    while (!chain_.empty()) chain_.pop_back();  // innermost first
  }

 private:
  const StorageHandle* base_ = nullptr;
  std::vector<StorageHandle> chain_;
};

NodePath ParentOf(const NodePath& path) { return NodePath(path.begin(), path.end() - (path.empty() ? 0 : 1)); }

// The record stream of a child node, whichever form it has.
HRESULT OpenChildRecord(const StorageHandle& container, const std::string& name, DWORD mode, StorageHandle& storage,
                        StreamHandle& stream) {
  HRESULT hr = container.OpenStream(name.c_str(), mode, stream);
  if (hr != STG_E_FILENOTFOUND) return hr;
  hr = container.OpenStorage(name.c_str(), mode, storage);
  if (FAILED(hr)) return hr;
  return storage.OpenStream(kNodeInfoStream, mode, stream);
}

HRESULT WriteChildSequence(const StorageHandle& container, const std::string& name, int32_t sequence) {
  StorageHandle storage;
  StreamHandle stream;
  HRESULT hr = OpenChildRecord(container, name, kWriteMode, storage, stream);
  if (FAILED(hr)) return hr;
  NodeInfoRecord record;
  ReadNodeInfo(stream, record);  // a short record reads as zeros and is written whole
  record.sequence = sequence;
  if (FAILED(stream.Seek(0, STREAM_SEEK_SET)) || !WriteNodeInfo(stream, record)) return STG_E_WRITEFAULT;
  return S_OK;
}

// Gives an element a free temporary name, so that an element of the other
// form can be made under its own name before the old one goes.
HRESULT SetAside(const StorageHandle& container, const std::string& name, std::string& aside) {
  return CreateUnderFreeName(
      "#aside", [&](const char* candidate) { return container.RenameElement(name.c_str(), candidate); }, aside,
      true);
}

uint64_t StorageSize(const StorageHandle& storage, int depth) {
  uint64_t total = 0;
  std::vector<std::string> storages;
  storage.ForEachElement([&](const STATSTG& stat, const std::string& name) {
    if (stat.type == STGTY_STREAM) total += stat.cbSize.QuadPart;
    else if (stat.type == STGTY_STORAGE) storages.push_back(name);
    return true;
  });
  if (depth >= kMaxTreeDepth) return total;
  for (const std::string& name : storages) {
    StorageHandle child;
    if (SUCCEEDED(storage.OpenStorage(name.c_str(), kReadMode, child))) total += StorageSize(child, depth + 1);
  }
  return total;
}

}  // namespace

std::string CleanNodeTitle(const std::string& text, size_t maxBytes) {
  std::string title = CutToBytes(text, maxBytes);
  size_t first = 0;
  while (first < title.size() && IsBlank(title[first])) ++first;
  size_t last = title.size();
  while (last > first && IsBlank(title[last - 1])) --last;
  title = title.substr(first, last - first);
  for (size_t i = 0; i < title.size(); ++i) {
    // A trail byte of a double-byte character may equal '\\': it is not one.
    if (IsDBCSLeadByte(static_cast<BYTE>(title[i])) && i + 1 < title.size()) {
      ++i;
      continue;
    }
    char& c = title[i];
    if (c == '!' || c == '/' || c == ':' || c == '\\') c = '-';
  }
  return title.empty() ? std::string("...") : title;
}

NodeInfoRecord FreshNodeRecord(int32_t sequence) {
  NodeInfoRecord record;
  record.sequence = sequence;
  record.kind = kItemText;
  return record;
}

HRESULT NodeContainer::Open(const StorageHandle& folder, const NodePath& nodePath, bool readOnly) {
  node_.Release();
  folder_ = &folder;
  path_ = nodePath;
  if (folder.Empty()) return E_POINTER;
  if (nodePath.empty()) return S_OK;
  return OpenNodeStorage(folder, nodePath, readOnly, node_);
}

HRESULT CreateLeafUnder(const StorageHandle& folder, const NodePath& parentPath, const std::string& title,
                        int32_t sequence, std::string& elementName) {
  NodeContainer parent;
  HRESULT hr = parent.Open(folder, parentPath);
  if (FAILED(hr)) return hr;
  const NodeInfoRecord record = FreshNodeRecord(sequence);
  return CreateUnderFreeName(
      title, [&](const char* name) { return CreateLeafNode(parent.Storage(), name, record, nullptr, 0); },
      elementName);
}

HRESULT ConvertLeafAndAddChild(const StorageHandle& folder, const NodePath& leafPath, bool keepContent,
                               const std::string& childTitle, int32_t childSequence,
                               std::string& childElementName) {
  if (leafPath.empty()) return E_INVALIDARG;
  NodeContainer parent;
  HRESULT hr = parent.Open(folder, ParentOf(leafPath));
  if (FAILED(hr)) return hr;
  const StorageHandle& container = parent.Storage();
  const std::string& name = leafPath.back();
  NodeInfoRecord record;
  {
    StreamHandle leaf;
    hr = container.OpenStream(name.c_str(), kReadMode, leaf);
    if (FAILED(hr)) return hr;
    ReadNodeInfo(leaf, record);
  }
  std::string aside;
  hr = SetAside(container, name, aside);
  if (FAILED(hr)) return hr;
  StorageHandle node;
  hr = CreateFolderNode(container, name.c_str(), record, node);
  if (SUCCEEDED(hr)) {
    if (keepContent) {
      hr = CreateUnderFreeName(
          childTitle,
          [&](const char* candidate) { return container.CopyOrMoveElement(aside.c_str(), node, candidate, false); },
          childElementName);
      if (SUCCEEDED(hr)) hr = WriteChildSequence(node, childElementName, childSequence);
    } else {
      const NodeInfoRecord fresh = FreshNodeRecord(childSequence);
      hr = CreateUnderFreeName(
          childTitle, [&](const char* candidate) { return CreateLeafNode(node, candidate, fresh, nullptr, 0); },
          childElementName);
    }
    node.Release();
    if (FAILED(hr)) container.DestroyElement(name.c_str());
  }
  if (FAILED(hr)) {
    // The leaf goes back under its own name, untouched.
    container.RenameElement(aside.c_str(), name.c_str());
    return hr;
  }
  container.DestroyElement(aside.c_str());
  return S_OK;
}

HRESULT ConvertToLeaf(const StorageHandle& folder, const NodePath& nodePath) {
  if (nodePath.empty()) return E_INVALIDARG;
  NodeContainer parent;
  HRESULT hr = parent.Open(folder, ParentOf(nodePath));
  if (FAILED(hr)) return hr;
  const StorageHandle& container = parent.Storage();
  const std::string& name = nodePath.back();
  NodeInfoRecord record;
  {
    StorageHandle node;
    hr = container.OpenStorage(name.c_str(), kReadMode, node);
    if (FAILED(hr)) return hr;
    if (CountChildNodes(node) != 0) return E_UNEXPECTED;
    StreamHandle info;
    if (SUCCEEDED(node.OpenStream(kNodeInfoStream, kReadMode, info))) ReadNodeInfo(info, record);
  }
  std::string aside;
  hr = SetAside(container, name, aside);
  if (FAILED(hr)) return hr;
  hr = CreateLeafNode(container, name.c_str(), record, nullptr, 0);
  if (FAILED(hr)) {
    container.RenameElement(aside.c_str(), name.c_str());
    return hr;
  }
  container.DestroyElement(aside.c_str());
  return S_OK;
}

HRESULT RenameNode(const StorageHandle& folder, const NodePath& path, const std::string& title,
                   std::string& elementName) {
  if (path.empty()) return E_INVALIDARG;
  elementName = path.back();
  if (title == path.back()) return S_OK;
  NodeContainer parent;
  HRESULT hr = parent.Open(folder, ParentOf(path));
  if (FAILED(hr)) return hr;
  return CreateUnderFreeName(
      title, [&](const char* name) { return parent.Storage().RenameElement(path.back().c_str(), name); },
      elementName, true);
}

HRESULT DeleteNode(const StorageHandle& folder, const NodePath& path, bool& parentEmptied) {
  parentEmptied = false;
  if (path.empty()) return E_INVALIDARG;
  NodeContainer parent;
  HRESULT hr = parent.Open(folder, ParentOf(path));
  if (FAILED(hr)) return hr;
  hr = parent.Storage().DestroyElement(path.back().c_str());
  if (SUCCEEDED(hr) && path.size() > 1) parentEmptied = CountChildNodes(parent.Storage()) == 0;
  return hr;
}

size_t CountChildNodes(const StorageHandle& storage) {
  size_t count = 0;
  storage.ForEachElement([&](const STATSTG& stat, const std::string& name) {
    if (stat.type == STGTY_STORAGE || (stat.type == STGTY_STREAM && !IsNodeInfoStreamName(name))) ++count;
    return true;
  });
  return count;
}

HRESULT WriteSequences(const StorageHandle& folder, const NodePath& parentPath,
                       const std::vector<std::pair<std::string, int32_t>>& numbers) {
  NodeContainer parent;
  HRESULT hr = parent.Open(folder, parentPath);
  if (FAILED(hr)) return hr;
  HRESULT result = S_OK;
  for (const auto& [name, sequence] : numbers) {
    hr = WriteChildSequence(parent.Storage(), name, sequence);
    if (FAILED(hr)) result = hr;
  }
  return result;
}

HRESULT CopyNode(const StorageHandle& sourceFolder, const NodePath& sourcePath, const StorageHandle& targetFolder,
                 const NodePath& targetParent, int32_t sequence, bool move, std::string& elementName) {
  if (sourcePath.empty()) return E_INVALIDARG;
  const NodePath sourceParent = ParentOf(sourcePath);
  const std::string& name = sourcePath.back();
  // Within one folder, the two parents are opened from their common part
  // once: a storage can be open only once at a time.
  size_t common = 0;
  const bool sameFolder = &sourceFolder == &targetFolder;
  if (sameFolder)
    while (common < sourceParent.size() && common < targetParent.size() &&
           sourceParent[common] == targetParent[common])
      ++common;
  StorageChain base, sourceChain, targetChain;
  HRESULT hr = base.Open(sourceFolder, sourceParent, 0, common, kWriteMode);
  if (SUCCEEDED(hr)) hr = sourceChain.Open(base.Last(), sourceParent, common, sourceParent.size(), kWriteMode);
  if (FAILED(hr)) return hr;
  if (sameFolder) hr = targetChain.Open(base.Last(), targetParent, common, targetParent.size(), kWriteMode);
  else hr = targetChain.Open(targetFolder, targetParent, 0, targetParent.size(), kWriteMode);
  if (FAILED(hr)) return hr;
  const StorageHandle& from = sourceChain.Last();
  const StorageHandle& to = targetChain.Last();
  hr = CreateUnderFreeName(
      DisplayName(name),
      [&](const char* candidate) { return from.CopyOrMoveElement(name.c_str(), to, candidate, false); },
      elementName);
  if (FAILED(hr)) return hr;
  hr = WriteChildSequence(to, elementName, sequence);
  if (FAILED(hr)) {
    to.DestroyElement(elementName.c_str());
    return hr;
  }
  return move ? from.DestroyElement(name.c_str()) : S_OK;
}

HRESULT ReadTreeNode(const StorageHandle& folder, const NodePath& parentPath, const std::string& elementName,
                     TreeNode& out) {
  out = TreeNode{};
  out.elementName = elementName;
  out.title = DisplayName(elementName);
  NodeContainer parent;
  HRESULT hr = parent.Open(folder, parentPath, true);
  if (FAILED(hr)) return hr;
  NodeInfoRecord record;
  StreamHandle leaf;
  hr = parent.Storage().OpenStream(elementName.c_str(), kReadMode, leaf);
  if (SUCCEEDED(hr)) {
    ReadNodeInfo(leaf, record);
  } else {
    StorageHandle node;
    hr = parent.Storage().OpenStorage(elementName.c_str(), kReadMode, node);
    if (FAILED(hr)) return hr;
    out.isFolderNode = true;
    StreamHandle info;
    if (SUCCEEDED(node.OpenStream(kNodeInfoStream, kReadMode, info))) ReadNodeInfo(info, record);
    LoadTreeLevels(node, 1, out.children);
  }
  out.sequence = record.sequence;
  out.kind = record.kind;
  out.flags = record.flags;
  if (out.HasPassword()) out.password = record.Password();
  return S_OK;
}

HRESULT ReadNodeStatistics(const StorageHandle& folder, const NodePath& path, NodeStatistics& out) {
  out = NodeStatistics{};
  if (path.empty()) return E_INVALIDARG;
  NodeContainer parent;
  HRESULT hr = parent.Open(folder, ParentOf(path), true);
  if (FAILED(hr)) return hr;
  const StorageHandle& container = parent.Storage();
  STATSTG stat = {};
  StreamHandle leaf;
  hr = container.OpenStream(path.back().c_str(), kReadMode, leaf);
  if (SUCCEEDED(hr)) {
    hr = leaf->Stat(&stat, STATFLAG_NONAME);
    if (FAILED(hr)) return hr;
    out.size = stat.cbSize.QuadPart;
  } else {
    StorageHandle node;
    hr = container.OpenStorage(path.back().c_str(), kReadMode, node);
    if (FAILED(hr)) return hr;
    hr = node->Stat(&stat, STATFLAG_NONAME);
    if (FAILED(hr)) return hr;
    out.folderNode = true;
    out.children = CountChildNodes(node);
    out.size = StorageSize(node, static_cast<int>(path.size()));
  }
  out.created = stat.ctime;
  out.modified = stat.mtime;
  out.accessed = stat.atime;
  return S_OK;
}

}  // namespace vellora
