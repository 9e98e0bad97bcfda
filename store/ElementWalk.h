#pragma once
// The one depth limit of every walk over a library's element tree: loading
// and expanding trees, copies, salvage, searches. A damaged file can make a
// storage contain itself; no walk may follow it further than this.
namespace vellora {

// Storages below the walk's start (a folder's top nodes are level 1). Real
// trees never come near it; it keeps a recursion well inside a thread's stack.
inline constexpr int kMaxElementDepth = 512;

}  // namespace vellora
