// The search commands and Repeat Last Search.
#include "content/SearchCommands.h"

#include <cstring>

#include "content/CommandIds.h"
#include "content/CommandTable.h"
#include "content/LocationPath.h"
#include "content/TreeNodes.h"
#include "store/LibraryDocument.h"

namespace vellora {

namespace {

constexpr char kSearchForLabel[] = "Search For:";
constexpr char kTitleSearchLabel[] = "Search for:";

std::vector<std::string> Joined(const SearchResults& results) {
  std::vector<std::string> paths;
  paths.reserve(results.size());
  for (const ElementPath& path : results) paths.push_back(JoinLocation(path));
  return paths;
}

}  // namespace

std::string Bracketed(const char* format, const std::string& name, const std::string& second) {
  // One pass over the format, so "%s" inside a name stays as typed.
  std::string out;
  const std::string* names[] = {&name, &second};
  size_t used = 0;
  for (const char* p = format; *p; ++p) {
    if (p[0] == '%' && p[1] == 's' && used < 2) {
      out += *names[used++];
      ++p;
    } else {
      out += *p;
    }
  }
  return out;
}

std::span<const CommandEntry<SearchCommands>> SearchCommands::Map() {
  using S = SearchCommands;
  static constexpr CommandEntry<S> kMap[] = {
      {ID_SEARCH_CURRENT_ITEM, [](S& s, UINT) { s.SearchCurrentItem(); }},
      {ID_SEARCH_CURRENT_BRANCH, [](S& s, UINT) { s.SearchCurrentBranch(); }},
      {ID_SEARCH_TITLES, [](S& s, UINT) { s.SearchTitles(); }},
      {ID_SEARCH_CURRENT_FOLDER, [](S& s, UINT) { s.SearchCurrentFolder(); }},
      {ID_SEARCH_REPEAT, [](S& s, UINT) { s.RepeatLastSearch(); }},
  };
  return kMap;
}

// ---- walks ------------------------------------------------------------------

SearchResults SearchCommands::WalkFolder(const std::string& text) {
  SearchResults results;
  host_.StorePendingEdits();
  const std::string& name = document_.CurrentFolderName();
  auto found = document_.Folders().find(name);
  if (found == document_.Folders().end() || !document_.CurrentFolder()) return results;
  ContentMatcher matcher(text);
  if (found->second.kind == kFolderTree) SearchTreeContent(document_.CurrentFolder(), {name}, matcher, results);
  else SearchCatalogContent(document_.CurrentFolder(), {name}, matcher, results);
  return results;
}

SearchResults SearchCommands::WalkBranch(const std::vector<std::string>& nodePath, const std::string& text) {
  SearchResults results;
  host_.StorePendingEdits();
  OpenedNode node;
  if (FAILED(OpenNodeStorage(document_.CurrentFolder(), nodePath, true, node))) return results;
  ElementPath prefix{document_.CurrentFolderName()};
  prefix.insert(prefix.end(), nodePath.begin(), nodePath.end());
  SearchTreeContent(node.Storage(), prefix, ContentMatcher(text), results);
  return results;
}

SearchResults SearchCommands::WalkTabPages(const std::string& itemElementName, const std::string& text) {
  SearchResults results;
  host_.StorePendingEdits();
  StorageHandle item = document_.CurrentFolder().OpenStorageFor(itemElementName.c_str(), true);
  if (!item) return results;
  SearchTabPages(item, {document_.CurrentFolderName(), itemElementName}, ContentMatcher(text), results);
  return results;
}

SearchResults SearchCommands::WalkTitles(const std::string& text) {
  SearchResults results;
  vellora::SearchTitles(document_.Root(), document_.CurrentFolderName(), document_.CurrentFolder(), text, results);
  return results;
}

// ---- commands -----------------------------------------------------------------

void SearchCommands::Tip(const std::string& text) { prompt_.ShowMessage(text, "Tip", MB_OK | MB_ICONINFORMATION); }

void SearchCommands::Show(const std::string& text, const SearchResults& results) {
  host_.ShowSearchResults(text, Joined(results));
}

void SearchCommands::FindInView(const std::string& text, bool textOnly, const char* failure, const char* caption) {
  if (host_.FindInShownView(text, textOnly) || !failure) return;
  prompt_.ShowMessage(Bracketed(failure, text), caption, MB_OK | MB_ICONINFORMATION);
}

void SearchCommands::SearchCurrentItem() {
  if (host_.OpenWebFind()) {
    lastKind_ = kSearchCurrentItem;
    return;
  }
  SearchSelection s = host_.Selection();
  std::string caption;
  if (s.folderKind == kFolderTree) {
    caption = s.hasNode ? Bracketed("Search In Tree Node [%s]", s.nodeTitle) : "Search In Current View";
  } else {
    caption = s.hasItem ? Bracketed("Search In Catalog Item [%s]", s.itemElementName) : "Search In Current View";
  }
  std::string text;
  // Cancel leaves the last search as it was.
  if (!Ask(caption, kSearchForLabel, text)) return;
  lastKind_ = kSearchCurrentItem;
  lastText_ = text;
  FindInView(text, s.folderKind == kFolderTree, "Can not find [%s] in current view.", "Finish search");
}

void SearchCommands::SearchCurrentBranch() {
  SearchSelection s = host_.Selection();
  if (s.folderKind == kFolderTree) {
    if (!s.hasNode) {
      Tip("Sorry but did not select a tree node.");
      return;
    }
    if (!s.nodeHasChildren) {
      SearchCurrentItem();
      return;
    }
    std::string text;
    if (!Ask(Bracketed("Search Under Tree Branch [%s]", s.nodeTitle), kSearchForLabel, text)) return;
    lastKind_ = kSearchCurrentBranch;
    lastText_ = text;
    lastBranch_ = s.nodePath;
    SearchResults results = WalkBranch(s.nodePath, text);
    if (results.empty()) {
      Tip(Bracketed("Can not find [%s] under tree branch [%s]", text, s.nodeTitle));
      return;
    }
    Show(text, results);
    return;
  }
  if (s.folderKind == kFolderCatalog && s.viewKind == kItemTabPages && s.hasItem) {
    std::string text;
    if (!Ask(Bracketed("Search In Tab [%s]", s.itemElementName), kSearchForLabel, text)) return;
    lastKind_ = kSearchCurrentBranch;
    lastText_ = text;
    lastBranch_.clear();
    SearchResults results = WalkTabPages(s.itemElementName, text);
    if (results.empty()) {
      Tip(Bracketed("Can not find [%s] under tab page [%s]", text, s.itemElementName));
    }
    Show(text, results);
    return;
  }
  SearchCurrentItem();
}

void SearchCommands::SearchTitles() {
  std::string text;
  if (!Ask("Search All Titles In Library", kTitleSearchLabel, text)) return;
  lastKind_ = kSearchTitles;
  lastText_ = text;
  lastBranch_.clear();
  SearchResults results = WalkTitles(text);
  if (results.empty()) {
    Tip(Bracketed("Sorry there is not a title [%s] in current library.", text));
    return;
  }
  Show(text, results);
}

void SearchCommands::SearchCurrentFolder() {
  SearchSelection s = host_.Selection();
  std::string text;
  if (!Ask(Bracketed("Search In Folder [%s]", s.folderName), kSearchForLabel, text)) return;
  lastKind_ = kSearchCurrentFolder;
  lastText_ = text;
  lastBranch_.clear();
  SearchResults results = WalkFolder(text);
  if (results.empty()) {
    Tip(Bracketed("Can not find [%s] in folder [%s]", text, s.folderName));
    return;
  }
  Show(text, results);
}

void SearchCommands::RepeatLastSearch() {
  SearchSelection s = host_.Selection();
  switch (lastKind_) {
    case kSearchCurrentItem:
      if (host_.OpenWebFind()) return;
      FindInView(lastText_, false, "Can not find [%s] in current item view.", "Finish Search");
      return;
    case kSearchCurrentBranch:
      if (s.folderKind == kFolderTree) {
        if (!lastBranch_.empty() && host_.TreeNodeExists(lastBranch_)) Show(lastText_, WalkBranch(lastBranch_, lastText_));
        else FindInView(lastText_, true, nullptr, nullptr);
      } else {
        FindInView(lastText_, false, nullptr, nullptr);
      }
      return;
    case kSearchTitles: Show(lastText_, WalkTitles(lastText_)); return;
    case kSearchCurrentFolder: Show(lastText_, WalkFolder(lastText_)); return;
    default: return;
  }
}

}  // namespace vellora
