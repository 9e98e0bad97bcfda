#include "content/TreeNodes.h"

#include <utility>

namespace vellora {

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
