#pragma once
// Location paths: a folder name, then the nodes (or the catalog item, and a
// tab page) down to a place in the library, joined with "\", optionally
// ending in "#TEXT_NODE#" and the character index of the first line that
// was visible in the text view. Bookmarks, the last location of a library and
// the search results all name places this way. A tab page is the component
// after the catalog item; paths of tree folders never have one.
#include <string>
#include <vector>

namespace vellora {

struct Location {
  // The folder name first, then the nodes, or the catalog item.
  std::vector<std::string> components;
  // The tab page shown in the catalog item: its title in a bookmark or the
  // last location, its element name in a search result; empty for none.
  std::string page;
  bool hasTextIndex = false;
  long textIndex = 0;  // the first visible character of the text view
};

std::vector<std::string> SplitLocation(const std::string& path);
std::string JoinLocation(const std::vector<std::string>& components);
// Splits the path and takes off its "#TEXT_NODE#" component, if it ends in
// one. It knows no folder kinds, so a tab page stays among the components.
Location ParseLocation(const std::string& path);
// The path read as a place in a folder of this kind (kFolderTree or
// kFolderCatalog). A tree folder's path reads as above. In a catalog folder
// the item is the second component and the page, whatever its title, the
// third; a catalog place has no text index, and components beyond the page
// name nothing (they are dropped, as the item alone was always followed).
Location ParseLocation(const std::string& path, int folderKind);
// The components, then the page, then the text index, each when there is one.
std::string FormatLocation(const Location& location);

// A place among siblings named by a path component: the element name is
// looked for first (search results name elements), the shown title second
// (bookmarks and the last location name titles). Answers the index, or -1.
struct NamedSibling {
  std::string elementName;
  std::string title;
};
int MatchComponent(const std::vector<NamedSibling>& siblings, const std::string& component);

// What the bookmark name starts as: the path's last component as it is shown
// (an encoded element name decoded), cut to 31 bytes, or nothing when the
// path ends at a place in a text.
std::string ProposedBookmarkName(const std::string& path);

}  // namespace vellora
