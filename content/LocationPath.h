#pragma once
// Location paths: a folder name, then the nodes (or the catalog item, and a
// tab page) down to a place in the library, joined with "\", optionally
// ending in "#TEXT_NODE#" and the character index of the first line that
// was visible in the text view. Bookmarks, the last location of a library and
// the search results all name places this way.
#include <string>
#include <vector>

namespace vellora {

struct Location {
  std::vector<std::string> components;  // the folder name first
  bool hasTextIndex = false;
  long textIndex = 0;  // the first visible character of the text view
};

std::vector<std::string> SplitLocation(const std::string& path);
std::string JoinLocation(const std::vector<std::string>& components);
// Splits the path and takes off its "#TEXT_NODE#" component, if it ends in one.
Location ParseLocation(const std::string& path);
std::string FormatLocation(const Location& location);

// A place among siblings named by a path component: the element name is
// looked for first (search results name elements), the shown title second
// (bookmarks and the last location name titles). Answers the index, or -1.
struct NamedSibling {
  std::string elementName;
  std::string title;
};
int MatchComponent(const std::vector<NamedSibling>& siblings, const std::string& component);

// What the bookmark name starts as: the path's last component cut to 31
// bytes, or nothing when the path ends at a place in a text.
std::string ProposedBookmarkName(const std::string& path);

}  // namespace vellora
