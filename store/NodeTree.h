#pragma once
// The one reading of a tree folder's nodes and their one order, for the
// program and the collector alike. Folder nodes are storages (their record in
// "#BOOKFOLDERITEMINFO#"), leaf nodes are streams (their record in the first
// 40 bytes); the walk is bounded by the depth every element walk keeps.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "store/ElementWalk.h"
#include "store/LibraryFormat.h"
#include "store/StorageHandle.h"

namespace vellora {

// A tree nested deeper than this is cut there: the folder node on the last
// level is listed without its children. (A damaged file can make a folder
// node contain itself; the limit is the one every element walk keeps.)
inline constexpr int kMaxTreeDepth = kMaxElementDepth;

struct TreeNode {
  std::string elementName;  // name inside the parent storage
  std::string title;        // the element name decoded
  int32_t sequence = 0;     // position among the siblings
  uint16_t kind = 0;        // item kind of a leaf
  uint16_t flags = 0;       // bit 15: access password
  std::string password;     // meaningful only with the password flag
  bool isFolderNode = false;
  // False for a folder node whose children were left for later (a load of
  // fewer levels than the tree has).
  bool childrenLoaded = true;
  std::vector<TreeNode> children;  // sorted by sequence

  bool HasPassword() const { return (flags & kPasswordFlag) != 0; }
};

// What a load could not read; what could be read is listed all the same.
struct TreeLoadReport {
  int unlistedStorages = 0;  // whose elements could not be enumerated (the start included)
  int unopenedStorages = 0;  // folder nodes listed without their children: they would not open
  int cutBranches = 0;       // folder nodes on the last level of kMaxTreeDepth, listed without children
};

// Reads the nodes of a tree folder (or of a folder node's storage) into
// roots, every level sorted. Answers the HRESULT of enumerating the folder,
// S_FALSE when a branch was cut at kMaxTreeDepth or a storage below could not
// be opened (what could be read is listed).
HRESULT LoadTree(const StorageHandle& folder, std::vector<TreeNode>& roots);
// The same for the first `levels` levels only: folder nodes on the last level
// come without their children (childrenLoaded false). A tree of thousands of
// nodes is shown from its first levels, the rest loaded when expanded.
HRESULT LoadTreeLevels(const StorageHandle& storage, int levels, std::vector<TreeNode>& roots);
// The whole tree, with what could not be read counted in report.
HRESULT LoadTree(const StorageHandle& folder, std::vector<TreeNode>& roots, TreeLoadReport& report);

// Siblings in display order: ascending sequence number (signed), equal
// numbers by title, then by element name, so the order never depends on how
// the file enumerates. Sorts one level / every level.
bool ShowsBefore(const TreeNode& a, const TreeNode& b);
void SortSiblings(std::vector<TreeNode>& siblings);
void SortTree(std::vector<TreeNode>& roots);

// Counts the nodes of a branch list, all levels.
size_t CountNodes(const std::vector<TreeNode>& roots);

}  // namespace vellora
