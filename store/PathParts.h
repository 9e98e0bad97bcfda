#pragma once
// The folder and the last part of a file path, either slash. Paths are ANSI
// in the system code page: the trail byte of a double-byte character (0x5C
// under GBK, say) is part of its character, never a separator.
#include <windows.h>

#include <string>

namespace vellora {

inline size_t LastSeparatorOf(const std::string& path) {
  size_t last = std::string::npos;
  for (size_t i = 0; i < path.size();) {
    const unsigned char c = static_cast<unsigned char>(path[i]);
    if (c == '\\' || c == '/') last = i;
    i += IsDBCSLeadByte(c) && i + 1 < path.size() ? 2 : 1;
  }
  return last;
}

// "." for a bare name.
inline std::string ParentOf(const std::string& path) {
  const size_t slash = LastSeparatorOf(path);
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

inline std::string LeafOf(const std::string& path) {
  const size_t slash = LastSeparatorOf(path);
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace vellora
