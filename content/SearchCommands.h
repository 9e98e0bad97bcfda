#pragma once
// The five search commands: their prompts, the walks they run, the messages
// they give and what "Repeat Last Search" repeats. The frame answers what
// they need to know of the windows through SearchHost.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "content/CommandHandler.h"
#include "content/LibrarySearch.h"
#include "content/ContentPrompt.h"

namespace vellora {

class LibraryDocument;

enum SearchKind : int {
  kSearchNone = 0,
  kSearchCurrentItem = 1,
  kSearchCurrentBranch = 2,
  kSearchTitles = 3,
  kSearchCurrentFolder = 4,
};

// What is selected and shown when a search command runs.
struct SearchSelection {
  int folderKind = 0;  // 1 tree folder, 2 catalog folder
  std::string folderName;
  // Tree folder: the selected node.
  bool hasNode = false;
  std::vector<std::string> nodePath;  // element names from the folder down
  std::string nodeTitle;
  bool nodeHasChildren = false;
  // Catalog folder: the selected item.
  bool hasItem = false;
  std::string itemElementName;
  int viewKind = 0;  // what the item view area shows (ViewKind)
};

class SearchHost {
 public:
  virtual ~SearchHost() = default;
  virtual SearchSelection Selection() = 0;
  // Writes what the shown item holds unsaved, so that a walk over the stored
  // content finds what the user sees.
  virtual void StorePendingEdits() = 0;
  // The next match in the shown view after its current match or selection:
  // the text view only, or (not textOnly) the text, data list or file view,
  // whichever is shown. False when there is none.
  virtual bool FindInShownView(const std::string& text, bool textOnly) = 0;
  // True when the web view is shown and its own find dialog was opened.
  virtual bool OpenWebFind() = 0;
  // True when the node at this path of element names is still in the tree.
  virtual bool TreeNodeExists(const std::vector<std::string>& path) = 0;
  // Fills the results window (joined paths) and shows it.
  virtual void ShowSearchResults(const std::string& text, const std::vector<std::string>& paths) = 0;
};

class SearchCommands : public CommandHandler {
 public:
  // The prompts are the one-line "Rename" dialog with the search's caption and label.
  SearchCommands(LibraryDocument& document, ContentPrompt& prompt, SearchHost& host)
      : document_(document), prompt_(prompt), host_(host) {}

  // Runs one of the search commands; false for other ids.
  bool Run(UINT id) { return RunEntry(Map(), *this, id); }
  bool Handle(UINT id) override { return Run(id); }
  static bool Handles(UINT id) { return FindEntry(Map(), id) != nullptr; }

  int LastKind() const { return lastKind_; }
  const std::string& LastText() const { return lastText_; }
  // Forgets the branch when another library is opened.
  void ForgetBranch() { lastBranch_.clear(); }

  // The walks, for the commands and for tests.
  SearchResults WalkFolder(const std::string& text);
  SearchResults WalkBranch(const std::vector<std::string>& nodePath, const std::string& text);
  SearchResults WalkTabPages(const std::string& itemElementName, const std::string& text);
  SearchResults WalkTitles(const std::string& text);

 private:
  static std::span<const CommandEntry<SearchCommands>> Map();
  void SearchCurrentItem();
  void SearchCurrentBranch();
  void SearchTitles();
  void SearchCurrentFolder();
  void RepeatLastSearch();
  // Looks in the shown view; says so when nothing is found and a message is given.
  void FindInView(const std::string& text, bool textOnly, const char* failure, const char* caption);
  void Show(const std::string& text, const SearchResults& results);
  void Tip(const std::string& text);

  LibraryDocument& document_;
  bool Ask(const std::string& caption, const char* label, std::string& text) {
    return prompt_.AskName(caption, "", text, label);
  }

  ContentPrompt& prompt_;
  SearchHost& host_;
  int lastKind_ = kSearchNone;
  std::string lastText_;
  std::vector<std::string> lastBranch_;  // element names of the branch searched last
};

// "Search In Tree Node [title]" and the like: the names put in place of the
// first and the second "%s" (a name holding "%s" itself is never read as a format).
std::string Bracketed(const char* format, const std::string& name, const std::string& second = {});

}  // namespace vellora
