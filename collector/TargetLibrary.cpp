#include "collector/TargetLibrary.h"

#include "store/CompoundFileCheck.h"
#include "store/NodeTree.h"

#include <algorithm>

namespace vellora::collector {

namespace {

// A leaf bigger than this is not loaded into memory for rewriting.
constexpr ULONGLONG kMaxLeafBytes = 256ull * 1024 * 1024;

// The tree as the program reads and orders it, kept with links to the
// parents, which a write needs to find its way back down.
void TakeNodes(std::vector<TreeNode>& from, FolderNode* parent, FolderNodes& out) {
  out.reserve(from.size());
  for (TreeNode& read : from) {
    auto node = std::make_unique<FolderNode>();
    node->elementName = std::move(read.elementName);
    node->displayText = std::move(read.title);
    node->sequence = read.sequence;
    node->isFolderNode = read.isFolderNode;
    node->isProtected = read.HasPassword();
    node->parent = parent;
    TakeNodes(read.children, node.get(), node->children);
    out.push_back(std::move(node));
  }
}

HRESULT WriteLeaf(const StreamHandle& stream, const NodeInfoRecord& record, const std::string& bytes) {
  HRESULT hr = stream.Seek(0, STREAM_SEEK_SET);
  if (FAILED(hr)) return hr;
  if (!WriteNodeInfo(stream, record)) return STG_E_WRITEFAULT;
  if (!bytes.empty()) {
    hr = stream.WriteBytes(bytes.data(), static_cast<ULONG>(bytes.size()));
    if (FAILED(hr)) return hr;
  }
  // No byte of an older, longer content may stay behind the new one.
  ULARGE_INTEGER size;
  size.QuadPart = kRecordSize + bytes.size();
  return stream->SetSize(size);
}

int32_t Next(int32_t sequence) { return static_cast<int32_t>(static_cast<uint32_t>(sequence) + 1u); }

// The settings storage and the names of its streams are the library's own,
// whatever class id such a storage carries; the storage finds names without
// regard to letter case, so neither do we.
bool IsLibrarysOwnName(const std::string& name) {
  for (const char* own : {kSettingsStorage, kBookmarkStream, kMainInfoStream, kLastInterfaceStream,
                          kInterfaceSettingStream})
    if (lstrcmpiA(name.c_str(), own) == 0) return true;
  return false;
}

// Nodes go into tree folders only.
bool TakesNodes(const std::string& name, uint16_t kind) { return kind == kFolderTree && !IsLibrarysOwnName(name); }

}  // namespace

std::vector<std::string> ElementPath(const FolderNode& node) {
  std::vector<std::string> path;
  for (const FolderNode* at = &node; at; at = at->parent) path.push_back(at->elementName);
  std::reverse(path.begin(), path.end());
  return path;
}

HRESULT TargetLibrary::Open(const std::string& path) {
  Close();
  damage_.clear();
  if (path.empty()) return STG_E_FILENOTFOUND;
  // A file another program holds cannot be read here either; the platform's
  // open then fails as it would and the hand-over follows.
  CompoundFileReport report = CheckCompoundFile(path.c_str());
  if (report.fileOpened && !report.Sound()) {
    damage_ = report.Summary();
    return STG_E_DOCFILECORRUPT;
  }
  return root_.OpenRoot(path.c_str(), kTransactedMode);
}

void TargetLibrary::Adopt(StorageHandle root) {
  Close();
  root_ = std::move(root);
}

void TargetLibrary::Close() {
  roots_.clear();
  folder_.Release();
  folderName_.clear();
  root_.Release();
}

HRESULT TargetLibrary::ListTreeFolders(std::vector<std::string>& names) const {
  names.clear();
  std::vector<FolderEntry> folders;
  HRESULT hr = ListFolders(root_, folders);
  if (FAILED(hr)) return hr;
  // The loaded folder is open exclusively, so its class id comes from our handle.
  for (FolderEntry& folder : folders) {
    CLSID clsid = {};
    if (!folder_.Empty() && folder.name == folderName_ && SUCCEEDED(folder_.ReadClass(clsid)))
      DecodeFolderClassId(clsid, folder.kind, folder.order);
  }
  std::stable_sort(folders.begin(), folders.end(), [](const auto& a, const auto& b) { return a.order < b.order; });
  for (const FolderEntry& folder : folders)
    if (TakesNodes(folder.name, folder.kind)) names.push_back(folder.name);
  return S_OK;
}

HRESULT TargetLibrary::LoadFolder(const std::string& name, int& failedListings) {
  failedListings = 0;
  roots_.clear();
  folder_.Release();
  folderName_.clear();
  HRESULT hr = root_.OpenStorage(name.c_str(), kTransactedMode, folder_);
  if (FAILED(hr)) return hr;
  // Asked for by name, the folder itself still decides whether it takes nodes.
  CLSID clsid = {};
  uint16_t kind = 0, order = 0;
  if (SUCCEEDED(folder_.ReadClass(clsid))) DecodeFolderClassId(clsid, kind, order);
  if (!TakesNodes(name, kind)) {
    folder_.Release();
    return kNotATreeFolder;
  }
  folderName_ = name;
  std::vector<TreeNode> read;
  TreeLoadReport report;
  // A storage that would not list leaves its branch empty; the rest is offered.
  LoadTree(folder_, read, report);
  failedListings = report.unlistedStorages;
  TakeNodes(read, nullptr, roots_);
  return S_OK;
}

HRESULT TargetLibrary::DiscardChanges(int& failedListings) {
  // Letting a transacted storage go without committing drops its changes.
  std::string name = folderName_;
  return LoadFolder(name, failedListings);
}

HRESULT TargetLibrary::OpenContainer(const FolderNode* parent, std::vector<StorageHandle>& path) const {
  path.clear();
  if (folder_.Empty()) return E_UNEXPECTED;
  std::vector<const FolderNode*> chain;
  for (const FolderNode* at = parent; at; at = at->parent) chain.push_back(at);
  std::reverse(chain.begin(), chain.end());
  for (const FolderNode* step : chain) {
    StorageHandle next;
    HRESULT hr = Container(path).OpenStorage(step->elementName.c_str(), kWriteMode, next);
    if (FAILED(hr)) {
      path.clear();
      return hr;
    }
    path.push_back(std::move(next));
  }
  return S_OK;
}

HRESULT TargetLibrary::OpenLeaf(const FolderNode& node, DWORD mode, std::vector<StorageHandle>& path,
                                StreamHandle& leaf) const {
  HRESULT hr = OpenContainer(node.parent, path);
  if (FAILED(hr)) return hr;
  hr = Container(path).OpenStream(node.elementName.c_str(), mode, leaf);
  if (FAILED(hr) && Container(path).FindElement(node.elementName.c_str()) == ElementType::Storage) return kNotALeaf;
  return hr;
}

HRESULT TargetLibrary::ReadLeaf(const FolderNode& node, NodeInfoRecord& record, std::string& content) const {
  record = NodeInfoRecord();
  content.clear();
  std::vector<StorageHandle> path;
  StreamHandle leaf;
  HRESULT hr = OpenLeaf(node, kReadMode, path, leaf);
  if (FAILED(hr)) return hr;
  ReadNodeInfo(leaf, record);
  ULONGLONG rest = leaf.Remaining();
  if (rest > kMaxLeafBytes) return kContentTooLarge;
  content.resize(static_cast<size_t>(rest));
  ULONG got = 0;
  if (rest) {
    hr = leaf.ReadBytes(content.data(), static_cast<ULONG>(rest), &got);
    if (FAILED(hr)) return hr;
    content.resize(got);
  }
  return S_OK;
}

HRESULT TargetLibrary::OverwriteLeaf(const FolderNode& node, const LeafContent& content) const {
  if (node.isFolderNode) return kNotALeaf;
  std::vector<StorageHandle> path;
  StreamHandle leaf;
  HRESULT hr = OpenLeaf(node, kWriteMode, path, leaf);
  if (FAILED(hr)) return hr;
  NodeInfoRecord record;
  ReadNodeInfo(leaf, record);
  // The record as it is now decides, not the listing: a password keeps the leaf.
  if (record.HasPassword()) return kProtectedLeaf;
  record.kind = content.kind;
  return WriteLeaf(leaf, record, content.bytes);
}

HRESULT TargetLibrary::Renumber(const StorageHandle& container, const FolderNode& node) const {
  StreamHandle info;
  StorageHandle folderNode;
  HRESULT hr;
  if (node.isFolderNode) {
    hr = container.OpenStorage(node.elementName.c_str(), kWriteMode, folderNode);
    if (FAILED(hr)) return hr;
    hr = folderNode.OpenStream(kNodeInfoStream, kWriteMode, info);
    // A folder node without its record reads as zeros; it gets one now.
    if (hr == STG_E_FILENOTFOUND) hr = folderNode.CreateStream(kNodeInfoStream, kWriteMode, info);
  } else {
    hr = container.OpenStream(node.elementName.c_str(), kWriteMode, info);
  }
  if (FAILED(hr)) return hr;
  NodeInfoRecord record;
  ReadNodeInfo(info, record);
  record.sequence = Next(record.sequence);
  hr = info.Seek(0, STREAM_SEEK_SET);
  if (FAILED(hr)) return hr;
  return WriteNodeInfo(info, record) ? S_OK : STG_E_WRITEFAULT;
}

HRESULT TargetLibrary::InsertNode(const FolderNode& selected, const std::string& title, const LeafContent& content,
                                  std::string* usedName) const {
  if (title.empty()) return E_INVALIDARG;
  const bool inside = !selected.children.empty();
  const int32_t sequence = inside ? Next(selected.children.back()->sequence) : selected.sequence;
  // The container: the selected node itself when it has children, else its parent.
  std::vector<StorageHandle> path;
  HRESULT hr = OpenContainer(inside ? &selected : selected.parent, path);
  if (FAILED(hr)) return hr;
  const StorageHandle& container = Container(path);

  if (!inside) {
    // The new node takes the selected node's place: it and every later
    // sibling move up by one.
    const FolderNodes& siblings = selected.parent ? selected.parent->children : roots_;
    bool after = false;
    for (const auto& sibling : siblings) {
      if (sibling.get() == &selected) after = true;
      if (!after) continue;
      hr = Renumber(container, *sibling);
      if (FAILED(hr)) return hr;
    }
  }

  return CreateNode(container, title, sequence, content, usedName);
}

HRESULT TargetLibrary::AddToEmptyFolder(const std::string& title, const LeafContent& content,
                                        std::string* usedName) const {
  if (title.empty()) return E_INVALIDARG;
  if (folder_.Empty() || !roots_.empty()) return E_UNEXPECTED;
  return CreateNode(folder_, title, 1, content, usedName);
}

HRESULT TargetLibrary::CreateNode(const StorageHandle& container, const std::string& title, int32_t sequence,
                                  const LeafContent& content, std::string* usedName) const {
  NodeInfoRecord record;
  record.sequence = sequence;
  record.kind = content.kind;
  std::string name;
  HRESULT hr = CreateUnderFreeName(
      title,
      [&](const char* candidate) -> HRESULT {
        // A title may not take the place of a folder node's record.
        if (IsNodeInfoStreamName(candidate)) return STG_E_FILEALREADYEXISTS;
        return CreateLeafNode(container, candidate, record, content.bytes.data(),
                              static_cast<ULONG>(content.bytes.size()));
      },
      name);
  if (SUCCEEDED(hr) && usedName) *usedName = name;
  return hr;
}

HRESULT TargetLibrary::Commit() {
  if (root_.Empty() || folder_.Empty()) return E_UNEXPECTED;
  HRESULT hr = folder_.Commit();
  if (FAILED(hr)) return hr;
  hr = root_.Commit();
  if (FAILED(hr)) return hr;
  roots_.clear();
  folder_.Release();
  root_.Release();
  folderName_.clear();
  return S_OK;
}

}  // namespace vellora::collector
