// The frame's side of searching and bookmarks: the docked results window,
// the search host, location paths built and followed, Quick Access and the
// bookmark commands.
#include <windows.h>
#include <commctrl.h>

#include "platform/Dpi.h"
#include "app/frame/MainFrame.h"
#include "app/resources/ResourceIds.h"
#include "content/Bookmarks.h"
#include "content/LocationPath.h"
#include "views/dialogs/BookmarkListDialog.h"

namespace vellora {


namespace {

// The results pane's height when it first appears.
const int kResultsPaneHeight = Scaled(160);

constexpr char kBookmarksNotStored[] =
    "The bookmarks could not be written into the library, so they stay as they were.";

}  // namespace

// ---- the docked results window ---------------------------------------------------

void MainFrame::CreateResultsDock() {
  resultsSplitter_.SetPanes(items_.Window(), nullptr);
  resultsSplitter_.SetSinglePane(SplitterPane::First);
  mainSplitter_.SetPanes(folders_.Bar().Handle(), resultsSplitter_.Handle());
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
  if (ItemView* shown = items_.Shown()) shown->Find(results_.SearchText(), true);
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
  return false;
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
  HMENU content = GetSubMenu(chrome_.Menu(), MENU_POS_CONTENT);
  FillQuickAccess(content ? GetSubMenu(content, CONTENT_POS_QUICK_ACCESS) : nullptr);
}

// ---- location paths ---------------------------------------------------------------

std::string MainFrame::CurrentLocation() {
  long index = 0;
  ItemView* shown = items_.Shown();
  std::optional<long> textIndex;
  if (shown && shown->Position(index)) textIndex = index;
  std::string path = selection_.CurrentLocation(tree_.Model(), textIndex);
  // A tab pages item names the page it shows.
  const std::string page = shown ? shown->ShownPage() : std::string();
  if (path.empty() || page.empty() || selection_.FolderKind() != kFolderCatalog) return path;
  Location location = ParseLocation(path, kFolderCatalog);
  location.page = page;
  return FormatLocation(location);
}

bool MainFrame::GoToLocation(const std::string& path) {
  Location location = ParseLocation(path);
  if (location.components.empty()) return false;
  const int group = selection_.GroupNamed(location.components[0]);
  if (group < 0) return false;
  const bool tree = selection_.GroupKind(group) == kFolderTree;
  if (selection_.SelectedGroup() != group) selection_.SelectGroup(group);
  if (tree) return GoToTreeLocation(location.components, location.hasTextIndex, location.textIndex);
  return GoToCatalogLocation(ParseLocation(path, kFolderCatalog));
}

bool MainFrame::GoToTreeLocation(const std::vector<std::string>& components, bool hasTextIndex, long textIndex) {
  TreeModel& model = tree_.Model();
  HWND tree = tree_.Handle();
  HTREEITEM parent = nullptr, found = nullptr;
  for (size_t i = 1; i < components.size(); ++i) {
    if (parent) {
      model.EnsureChildren(parent, document_->CurrentFolder());
      // A protected node is entered only through its password, also on the
      // way down to a bookmark or a search result.
      if (!tree_.EnterProtectedNode(parent)) return true;
    }
    std::vector<NamedSibling> siblings;
    std::vector<HTREEITEM> items;
    for (HTREEITEM child = model.FirstChild(parent); child; child = model.NextSibling(child)) {
      const TreeItemData* data = model.DataOf(child);
      siblings.push_back({data ? data->elementName : std::string(), model.TitleOf(child)});
      items.push_back(child);
    }
    int match = MatchComponent(siblings, components[i]);
    // What still matches is selected when the rest of the path is gone.
    if (match < 0) break;
    found = items[static_cast<size_t>(match)];
    parent = found;
  }
  if (!found) return true;
  TreeView_EnsureVisible(tree, found);
  if (tree_.Selection() != found) TreeView_SelectItem(tree, found);
  // A refused password leaves the selection where it was.
  if (tree_.Selection() != found) return true;
  if (hasTextIndex && items_.Shown()) items_.Shown()->GoToPosition(textIndex);
  return true;
}

bool MainFrame::GoToCatalogLocation(const Location& location) {
  if (location.components.size() < 2) return true;
  const int match = selection_.ItemNamedBy(location.components[1]);
  if (match < 0) return true;
  folders_.Bar().EnsureItemVisible(match);
  selection_.SelectItem(match);
  // A place inside a tab pages item goes on to its page.
  if (!location.page.empty() && items_.Shown()) items_.Shown()->ChoosePage(location.page);
  return true;
}

// ---- what the search commands ask of the frame ----------------------------------------

SearchSelection MainFrame::Selection() { return selection_.CurrentSearchSelection(tree_.Model()); }

void MainFrame::StorePendingEdits() { StoreTextViewContent(); }

bool MainFrame::FindInShownView(const std::string& text, bool textOnly) {
  return items_.Shown() && items_.Shown()->Find(text, textOnly);
}

// The web view's own find comes with the web view.
bool MainFrame::OpenWebFind() { return items_.Shown() && items_.Shown()->OpenOwnFind(); }

bool MainFrame::TreeNodeExists(const std::vector<std::string>& path) {
  return state_.folderKind == kFolderTree && tree_.Model().LoadAlongPath(path, document_->CurrentFolder()) != nullptr;
}

}  // namespace vellora
