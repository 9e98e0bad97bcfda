#pragma once
// The folder and the last part of a file path, either slash.
#include <string>

namespace vellora {

// "." for a bare name.
inline std::string ParentOf(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

inline std::string LeafOf(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace vellora
