// The library the collector writes into: opened exclusively and transacted,
// its tree folders, the node tree of the chosen folder, and the two ways of
// writing a capture (overwrite a leaf, insert a new node), committed as one
// step or not at all.
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "store/LibraryFormat.h"
#include "store/StorageHandle.h"

namespace vellora::collector {

// A node of the chosen tree folder as it was listed.
struct FolderNode {
  std::string elementName;  // as stored; used to open it
  std::string displayText;  // the title shown
  int32_t sequence = 0;     // its place among its siblings
  bool isFolderNode = false;  // a storage, which can hold children
  bool isProtected = false;   // its record carries a password
  FolderNode* parent = nullptr;
  std::vector<std::unique_ptr<FolderNode>> children;  // in the program's order (ShowsBefore)
};
using FolderNodes = std::vector<std::unique_ptr<FolderNode>>;

// What goes behind the 40-byte record of a leaf, and the kind it is.
struct LeafContent {
  uint16_t kind = kItemText;
  std::string bytes;
};

// Failures that are the user's to hear about rather than the platform's.
inline constexpr HRESULT kNotALeaf = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x301);
inline constexpr HRESULT kProtectedLeaf = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x302);
inline constexpr HRESULT kContentTooLarge = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x303);
inline constexpr HRESULT kNotATreeFolder = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x304);

class TargetLibrary {
 public:
  TargetLibrary() = default;
  TargetLibrary(const TargetLibrary&) = delete;
  TargetLibrary& operator=(const TargetLibrary&) = delete;

  // Read/write, exclusive, transacted: nothing reaches the file before Commit.
  // A file that fails the structural check is never handed to the platform:
  // STG_E_DOCFILECORRUPT, with what is wrong in Damage().
  HRESULT Open(const std::string& path);
  const std::string& Damage() const { return damage_; }
  // Takes a root opened elsewhere (the same mode is expected).
  void Adopt(StorageHandle root);
  bool IsOpen() const { return !root_.Empty(); }
  // Lets go of everything without committing: the file stays as it was.
  void Close();

  // Tree folders in the order the program shows folders (their order number);
  // never the library's settings storage nor a storage named like its streams.
  HRESULT ListTreeFolders(std::vector<std::string>& names) const;
  // Opens the folder (transacted) and lists its nodes; any folder that
  // ListTreeFolders would not offer gives kNotATreeFolder. failedListings counts
  // the storages whose elements could not be enumerated; their listing stops
  // there and the rest of the tree stays.
  HRESULT LoadFolder(const std::string& name, int& failedListings);
  const FolderNodes& Roots() const { return roots_; }
  const std::string& FolderName() const { return folderName_; }

  // A leaf's record and everything after it.
  HRESULT ReadLeaf(const FolderNode& node, NodeInfoRecord& record, std::string& content) const;
  // Replaces a leaf's kind and content; its name, place and the rest of its
  // record stay. Refuses nodes that can hold children and protected leaves.
  HRESULT OverwriteLeaf(const FolderNode& node, const LeafContent& content) const;
  // A new leaf named after the title: inside the selected node when it has
  // children (after the last), else before it among its siblings, which move
  // up by one. A taken or reserved name gets the encoded unique form.
  HRESULT InsertNode(const FolderNode& selected, const std::string& title, const LeafContent& content,
                     std::string* usedName = nullptr) const;
  // The first node of a folder that has none (there is nothing to select).
  HRESULT AddToEmptyFolder(const std::string& title, const LeafContent& content,
                           std::string* usedName = nullptr) const;

  // Commits the folder and then the root and lets both go. On failure
  // nothing of the attempt reaches the file once the library is closed.
  HRESULT Commit();
  // Drops what was written since the folder was loaded and lists it again.
  HRESULT DiscardChanges(int& failedListings);

 private:
  // Opens the storages from the folder down to (and including) node's
  // parent; the last handle is the node's container. Null node: the folder.
  HRESULT OpenContainer(const FolderNode* parent, std::vector<StorageHandle>& path) const;
  const StorageHandle& Container(const std::vector<StorageHandle>& path) const {
    return path.empty() ? folder_ : path.back();
  }
  // The leaf's stream with the storages above it (kept open in path).
  HRESULT OpenLeaf(const FolderNode& node, DWORD mode, std::vector<StorageHandle>& path, StreamHandle& leaf) const;
  HRESULT Renumber(const StorageHandle& container, const FolderNode& node) const;
  // A new leaf under the title or, when that is taken or reserved, its encoded form.
  HRESULT CreateNode(const StorageHandle& container, const std::string& title, int32_t sequence,
                     const LeafContent& content, std::string* usedName) const;

  StorageHandle root_;
  StorageHandle folder_;
  std::string folderName_;
  FolderNodes roots_;
  std::string damage_;
};

// A node's path of element names from the top level down, for messages and tests.
std::vector<std::string> ElementPath(const FolderNode& node);

}  // namespace vellora::collector
