// The frame's side of searching and bookmarks: the docked results window,
// the search host, location paths built and followed, Quick Access and the
// bookmark commands.
#include <windows.h>
#include <commctrl.h>

#include "app/frame/MainFrame.h"
#include "app/resources/ResourceIds.h"
#include "content/Bookmarks.h"
#include "content/LocationPath.h"
#include "views/ViewFind.h"
#include "views/dialogs/BookmarkListDialog.h"

namespace vellora {


namespace {

// The results pane's height when it first appears.
constexpr int kResultsPaneHeight = 160;

constexpr char kBookmarksNotStored[] =
    "The bookmarks could not be written into the library, so they stay as they were.";

}  // namespace

// ---- the docked results window ---------------------------------------------------

void MainFrame::CreateResultsDock() {
  resultsSplitter_.Create(mainSplitter_.Handle(), SplitterOrientation::Horizontal);
  resultsSplitter_.SetPanes(titleSplitter_.Handle(), nullptr);
  resultsSplitter_.SetSinglePane(SplitterPane::First);
  mainSplitter_.SetPanes(outbar_.Handle(), resultsSplitter_.Handle());
}

void MainFrame::ShowResultsWindow(bool show) {
  if (!results_.Handle()) {
    if (!show || !results_.Create(resultsSplitter_.Handle())) return;
    results_.onOpen = [this](const std::string& path) { OpenResult(path); };
    results_.onClose = [this] { ShowResultsWindow(false); };
    resultsSplitter_.SetPane(1, results_.Handle());
    RECT rc = {};
    GetClientRect(resultsSplitter_.Handle(), &rc);
    resultsSplitter_.SetPosition(rc.bottom > 2 * kResultsPaneHeight ? rc.bottom - kResultsPaneHeight
                                                                    : rc.bottom * 2 / 3);
  }
  // The splitter keeps the pane's height while it is hidden.
  resultsSplitter_.SetSinglePane(show ? SplitterPane::None : SplitterPane::First);
  RefreshFrameState();
}

void MainFrame::ShowSearchResults(const std::string& text, const std::vector<std::string>& paths) {
  ShowResultsWindow(true);
  results_.Fill(text, paths);
}

void MainFrame::OpenResult(const std::string& path) {
  GoToLocation(path);
  if (shownItemView_ == &textView_) FindInRichEdit(textView_.Window(), results_.SearchText());
}

// ---- commands ---------------------------------------------------------------------

bool MainFrame::OnSearchCommand(UINT id) {
  switch (id) {
    case ID_VIEW_SEARCH_RESULT:
      ShowResultsWindow(!(results_.Handle() && resultsSplitter_.SinglePane() == SplitterPane::None));
      return true;
    case ID_BOOKMARK_ADD: AddBookmarkForSelection(); return true;
    case ID_BOOKMARK_MANAGER: ManageBookmarks(); return true;
    default: break;
  }
  if (id >= ID_QUICK_ACCESS_FIRST && id <= ID_QUICK_ACCESS_LAST) {
    if (const Bookmark* bookmark = BookmarkForCommand(document_->Bookmarks(), id)) {
      std::string location = bookmark->location;  // going there may reload the list
      GoToLocation(location);
    }
    return true;
  }
  return search_->Run(id);
}

void MainFrame::AddBookmarkForSelection() {
  std::string location = CurrentLocation();
  if (location.empty()) return;
  std::string name;
  if (!prompt_.AskName("Add Bookmark For Selected Item", ProposedBookmarkName(location), name)) return;
  if (FAILED(document_->AddBookmark({CutToBytes(name, kMaxBookmarkName), location}))) TellBookmarksNotStored();
}

void MainFrame::ManageBookmarks() {
  BookmarkListDialog dialog(document_->Bookmarks(), texts_.TextOr(kTextTipCaption, "Tip"));
  if (dialog.Ask(Handle()) && FAILED(document_->ReplaceBookmarks(dialog.Result()))) TellBookmarksNotStored();
}

void MainFrame::TellBookmarksNotStored() {
  prompt_.ShowMessage(kBookmarksNotStored, texts_.TextOr(kTextFailCaption, "Fail"), MB_OK | MB_ICONWARNING);
}

void MainFrame::FillQuickAccess(HMENU submenu) {
  if (!submenu) return;
  while (GetMenuItemCount(submenu) > 0) DeleteMenu(submenu, 0, MF_BYPOSITION);
  for (const QuickAccessEntry& entry : QuickAccessEntries(document_->Bookmarks()))
    AppendMenuA(submenu, MF_STRING | (entry.grayed ? MF_GRAYED : 0), entry.id, entry.label.c_str());
}

void MainFrame::RefreshBookmarkMenu() {
  HMENU content = GetSubMenu(menu_, MENU_POS_CONTENT);
  FillQuickAccess(content ? GetSubMenu(content, CONTENT_POS_QUICK_ACCESS) : nullptr);
}

// ---- location paths ---------------------------------------------------------------

std::string MainFrame::CurrentLocation() {
  int group = outbar_.SelectedGroup();
  if (group < 0 || group >= static_cast<int>(groups_.size())) return {};
  Location location;
  location.components.push_back(groups_[static_cast<size_t>(group)].name);
  if (groups_[static_cast<size_t>(group)].kind == kFolderTree) {
    // Bookmarks and the last location name nodes by their titles.
    std::vector<std::string> titles;
    for (HTREEITEM item = TreeView_GetSelection(tree_); item && treeModel_.DataOf(item);
         item = treeModel_.ParentOf(item))
      titles.insert(titles.begin(), treeModel_.TitleOf(item));
    location.components.insert(location.components.end(), titles.begin(), titles.end());
    if (!titles.empty() && shownItemView_ == &textView_) {
      location.hasTextIndex = true;
      location.textIndex = FirstVisibleCharacter(textView_.Window());
    }
  } else {
    int item = outbar_.SelectedItem();
    if (item >= 0 && item < static_cast<int>(ShownItems().size()))
      location.components.push_back(ShownItems()[static_cast<size_t>(item)].elementName);
  }
  return FormatLocation(location);
}

bool MainFrame::GoToLocation(const std::string& path) {
  Location location = ParseLocation(path);
  if (location.components.empty()) return false;
  for (size_t g = 0; g < groups_.size(); ++g) {
    if (groups_[g].name != location.components[0]) continue;
    if (outbar_.SelectedGroup() != static_cast<int>(g)) outbar_.SetSelectedGroup(static_cast<int>(g), true);
    if (groups_[g].kind == kFolderTree) return GoToTreeLocation(location.components, location.hasTextIndex, location.textIndex);
    return GoToCatalogLocation(location.components);
  }
  return false;
}

bool MainFrame::GoToTreeLocation(const std::vector<std::string>& components, bool hasTextIndex, long textIndex) {
  HTREEITEM parent = nullptr, found = nullptr;
  for (size_t i = 1; i < components.size(); ++i) {
    if (parent) {
      treeModel_.EnsureChildren(parent, document_->CurrentFolder());
      // A protected node is entered only through its password, also on the
      // way down to a bookmark or a search result.
      if (!EnterProtectedNode(parent)) return true;
    }
    std::vector<NamedSibling> siblings;
    std::vector<HTREEITEM> items;
    for (HTREEITEM child = treeModel_.FirstChild(parent); child; child = treeModel_.NextSibling(child)) {
      const TreeItemData* data = treeModel_.DataOf(child);
      siblings.push_back({data ? data->elementName : std::string(), treeModel_.TitleOf(child)});
      items.push_back(child);
    }
    int match = MatchComponent(siblings, components[i]);
    // What still matches is selected when the rest of the path is gone.
    if (match < 0) break;
    found = items[static_cast<size_t>(match)];
    parent = found;
  }
  if (!found) return true;
  TreeView_EnsureVisible(tree_, found);
  if (TreeView_GetSelection(tree_) != found) TreeView_SelectItem(tree_, found);
  // A refused password leaves the selection where it was.
  if (TreeView_GetSelection(tree_) != found) return true;
  if (hasTextIndex && shownItemView_ == &textView_) ScrollToCharacter(textView_.Window(), textIndex);
  return true;
}

bool MainFrame::GoToCatalogLocation(const std::vector<std::string>& components) {
  if (components.size() < 2) return true;
  std::vector<NamedSibling> siblings;
  for (const CatalogItemEntry& item : ShownItems()) siblings.push_back({item.elementName, item.title});
  int match = MatchComponent(siblings, components[1]);
  if (match < 0) return true;
  outbar_.SetSelectedItem(match);
  outbar_.EnsureItemVisible(match);
  ShowCatalogItem(outbar_.SelectedGroup(), match);
  return true;
}

// ---- what the search commands ask of the frame ----------------------------------------

SearchSelection MainFrame::Selection() {
  SearchSelection s;
  s.folderKind = state_.folderKind;
  s.viewKind = state_.viewKind;
  int group = outbar_.SelectedGroup();
  if (group >= 0 && group < static_cast<int>(groups_.size())) s.folderName = groups_[static_cast<size_t>(group)].name;
  if (s.folderKind == kFolderTree) {
    HTREEITEM item = TreeView_GetSelection(tree_);
    if (item && treeModel_.DataOf(item)) {
      s.hasNode = true;
      s.nodePath = treeModel_.NodePath(item);
      s.nodeTitle = treeModel_.TitleOf(item);
      treeModel_.EnsureChildren(item, document_->CurrentFolder());
      s.nodeHasChildren = TreeView_GetChild(tree_, item) != nullptr;
    }
  } else {
    int item = outbar_.SelectedItem();
    if (item >= 0 && item < static_cast<int>(ShownItems().size())) {
      s.hasItem = true;
      s.itemElementName = ShownItems()[static_cast<size_t>(item)].elementName;
    }
  }
  return s;
}

void MainFrame::StorePendingEdits() { StoreTextViewContent(); }

bool MainFrame::FindInShownView(const std::string& text, bool textOnly) {
  if (shownItemView_ == &textView_) {
    if (!FindInRichEdit(textView_.Window(), text)) return false;
    SetFocus(textView_.Window());
    return true;
  }
  if (textOnly || !shownItemView_) return false;
  if (state_.viewKind != kViewDataList && state_.viewKind != kViewFileFolder) return false;
  // The rows are in the list control the view keeps the keyboard in, not in
  // the window around it.
  HWND list = shownItemView_->FocusWindow();
  if (!FindInListRows(list, text, state_.viewKind == kViewDataList)) return false;
  SetFocus(list);
  return true;
}

// The web view's own find comes with the web view.
bool MainFrame::OpenWebFind() { return false; }

bool MainFrame::TreeNodeExists(const std::vector<std::string>& path) {
  return state_.folderKind == kFolderTree && treeModel_.LoadAlongPath(path, document_->CurrentFolder()) != nullptr;
}

}  // namespace vellora
