// Splitting, joining and following location paths.
#include "content/LocationPath.h"

#include <cstdlib>
#include <cstring>

#include <windows.h>

#include "store/LibraryFormat.h"

namespace vellora {

namespace {

// The next "\" at or after from that is a character of its own, not the
// trail byte of a double-byte character (from is at a character's start).
size_t NextSeparator(const std::string& path, size_t from) {
  for (size_t i = from; i < path.size();) {
    const unsigned char c = static_cast<unsigned char>(path[i]);
    if (c == '\\') return i;
    i += IsDBCSLeadByte(c) && i + 1 < path.size() ? 2 : 1;
  }
  return std::string::npos;
}

}  // namespace

std::vector<std::string> SplitLocation(const std::string& path) {
  std::vector<std::string> parts;
  if (path.empty()) return parts;
  size_t from = 0;
  for (;;) {
    size_t next = NextSeparator(path, from);
    parts.push_back(path.substr(from, next == std::string::npos ? std::string::npos : next - from));
    if (next == std::string::npos) break;
    from = next + 1;
  }
  // A path written with a trailing "\" has no empty last component.
  if (parts.size() > 1 && parts.back().empty()) parts.pop_back();
  return parts;
}

std::string JoinLocation(const std::vector<std::string>& components) {
  std::string path;
  for (size_t i = 0; i < components.size(); ++i) {
    if (i) path += '\\';
    path += components[i];
  }
  return path;
}

Location ParseLocation(const std::string& path) {
  Location location;
  location.components = SplitLocation(path);
  const size_t markerLength = std::strlen(kTextNodeMarker);
  if (location.components.size() > 1 && location.components.back().compare(0, markerLength, kTextNodeMarker) == 0) {
    const std::string digits = location.components.back().substr(markerLength);
    location.hasTextIndex = true;
    location.textIndex = std::strtol(digits.c_str(), nullptr, 10);
    if (location.textIndex < 0) location.textIndex = 0;
    location.components.pop_back();
  }
  return location;
}

Location ParseLocation(const std::string& path, int folderKind) {
  if (folderKind != kFolderCatalog) return ParseLocation(path);
  Location location;
  location.components = SplitLocation(path);
  // A page titled like the text marker is still a page: catalog places
  // never carry a text index.
  if (location.components.size() > 2) {
    location.page = location.components[2];
    location.components.resize(2);
  }
  return location;
}

std::string FormatLocation(const Location& location) {
  std::string path = JoinLocation(location.components);
  if (!location.page.empty()) path += "\\" + location.page;
  if (location.hasTextIndex) path += "\\" + std::string(kTextNodeMarker) + std::to_string(location.textIndex);
  return path;
}

int MatchComponent(const std::vector<NamedSibling>& siblings, const std::string& component) {
  for (size_t i = 0; i < siblings.size(); ++i)
    if (siblings[i].elementName == component) return static_cast<int>(i);
  for (size_t i = 0; i < siblings.size(); ++i)
    if (siblings[i].title == component) return static_cast<int>(i);
  return -1;
}

std::string ProposedBookmarkName(const std::string& path) {
  size_t cut = std::string::npos;
  for (size_t at = NextSeparator(path, 0); at != std::string::npos; at = NextSeparator(path, at + 1)) cut = at;
  std::string last = cut == std::string::npos ? path : path.substr(cut + 1);
  if (last.compare(0, std::strlen(kTextNodeMarker), kTextNodeMarker) == 0) return {};
  // A catalog item is named by its element name; the user knows it by its title.
  return CutToBytes(DisplayName(last), kMaxElementName);
}

}  // namespace vellora
