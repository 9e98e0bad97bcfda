#pragma once
// The one top-level window: builds the layout, owns the library document,
// routes every command, and keeps the commands' enabled state in step.
#include <windows.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/frame/FormatStrip.h"
#include "app/frame/FrameSettings.h"
#include "app/frame/NodeListView.h"
#include "app/frame/PlaceholderView.h"
#include "app/frame/RecentMenu.h"
#include "app/frame/TitleStrip.h"
#include "app/frame/WindowPrompt.h"
#include "content/AccessPasswords.h"
#include "content/CatalogItems.h"
#include "content/CommandTable.h"
#include "content/ContentCommands.h"
#include "content/ContentHost.h"
#include "content/ItemSource.h"
#include "content/LibraryLook.h"
#include "content/SearchCommands.h"
#include "controls/CommandBar.h"
#include "controls/OutlookBar.h"
#include "controls/Splitter.h"
#include "controls/TrayIcon.h"
#include "controls/ViewBackdrop.h"
#include "platform/Window.h"
#include "store/LibraryDocument.h"
#include "store/ProgramWindow.h"
#include "views/DataListView.h"
#include "views/ControlView.h"
#include "views/FileView.h"
#include "views/SearchResultsWindow.h"
#include "views/TextView.h"
#include "views/TreeDrag.h"
#include "views/TreeModel.h"

namespace vellora {

struct FrameSetup {
  std::string startupPath;
  HKEY registryRoot = HKEY_CURRENT_USER;
  std::string registryKey = "Software\\Vellora";
  // Answers the questions instead of the program's dialogs (tests); null:
  // the dialogs.
  ContentPrompt* prompt = nullptr;
  // Adds and removes the tray icon instead of the shell (tests); empty: the shell.
  TrayIcon::ShellCall trayShell;
};

class MainFrame : public Window, public DocumentHost, public ContentHost, public SearchHost, public LookHost {
 public:
  MainFrame(const TextSource& texts, DiagnosticSink& log, FrameSetup setup);
  ~MainFrame() override;

  // Creates the window; false when no library could be had at start-up.
  bool CreateFrame();
  // Applies the stored placement and splitter position (after creation).
  void RestorePlacement(int showCommand);
  bool TranslateAccelerator(MSG& msg);
  // Recomputes enabled and checked commands (idle pass).
  void UpdateCommandUi();

  LibraryDocument& Document() { return *document_; }
  ContentCommands& Content() { return *content_; }
  TreeModel& Tree() override { return treeModel_; }
  // The menu bar the command bar shows.
  HMENU MenuBar() const { return menu_; }
  const CommandContext& State() const { return state_; }
  // Enabled and checked state of a command as the menus show it now.
  CommandUi QueryCommandUi(UINT id);
  // The search results window (null until the first search or toggle).
  const SearchResultsWindow* SearchResults() const { return results_.Handle() ? &results_ : nullptr; }
  // Locked to the notification area: the window hidden, the tray icon shown.
  bool LockedInTray() const { return tray_.Shown(); }
  const TrayIcon& Tray() const { return tray_; }

 protected:
  const char* ClassName() const override { return kMainWindowClass; }
  void RegisterClassInfo(WNDCLASSEXA& wc) const override;
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  // Creation and layout.
  bool OnCreate();
  void CreateBars();
  void CreateStatusBar();
  void CreateViews();
  void LayoutFrame();
  // A view of the frame's own (placeholder, node list) into the item pane.
  void ShowItemView(HWND view, int kind);
  // The item of source in the view of its kind (the placeholder for kinds
  // without a view yet); the item shown before is stored and left first.
  void ShowItem(std::unique_ptr<ItemSource> source);
  // Stores what the shown item view holds and lets it go; false when its
  // edits could not be written.
  bool ReleaseShownItem();
  void PutIntoPane(HWND view, int kind);
  ItemView* ViewForKind(uint16_t kind);
  HWND PaneWindowOf(ItemView& view);
  void ShowPlaceholder(PlaceholderView::Form form);
  void ApplyFolderMenuRules();
  void ApplyViewMenuRules();
  void UpdateClock();
  void SyncFormatBoxes();
  // The text view's ties to the frame: its context menu, its window, the
  // format strip's boxes and colour drop-downs (MainFrameText.cpp).
  void ConnectTextView();
  bool OnFormatStripCommand(UINT id, UINT code, HWND control);
  void OnColorDropDown(const NMTOOLBARA& note);
  // Stores the shown view's edits; a store marks the library modified.
  bool StoreItemView();

  // Messages.
  void OnClose();
  void OnDestroy();
  LRESULT OnNotify(NMHDR* header);
  void OnOutBarNotify(WPARAM code, LPARAM data);
  void OnInitMenuPopup(HMENU menu);
  void OnCommand(UINT id);
  bool OnFrameCommand(UINT id);
  LRESULT OnReleaseLibrary();
  void OnContextMenu(HWND source, POINT screen);
  // Tracks a context menu and runs its command at once, while the group or
  // item it was opened on is still the commands' target.
  void TrackContextMenu(HMENU popup, POINT screen, int group = -1, int item = -1);
  LRESULT OnTreeNotify(NMHDR* header);
  void OnBeginDrag(const NMTREEVIEWA& info);
  void OnDragMouse(UINT msg, POINT client);

  // The frame's own commands.
  void ToggleToolbar();
  void ToggleStatusBar();
  void ToggleSplitter(Splitter& splitter, SplitterPane keep);
  void ExpandTree(UINT how);
  // Expands or collapses first (and, with siblings, the items after it) and
  // everything below.
  void ExpandBelow(HTREEITEM first, UINT how, bool siblings = true, int depth = 0);
  void LoadBelow(HTREEITEM first, int depth = 0);
  void MoveFocus();
  void OpenHelp();
  void OpenAddress(const char* address);
  void ShowAbout();

  // Showing the library.
  void SelectFolderGroup(int group);
  void ShowCatalogItem(int group, int item);
  void ShowTreeSelection();
  void OpenNodeListRow(const std::string& title);
  void RefreshFrameState();

  // What the document needs of the frame.
  void StoreTextViewContent() override;
  bool TextViewModified() override;
  void ClearViews() override;
  void AddFolder(const std::string& name, uint16_t kind) override;
  std::string CurrentLocation() override;
  bool GoToLocation(const std::string& location) override;
  void SelectFirstFolder() override;
  void SetTitle(const std::string& title) override;
  void RefreshBookmarkMenu() override;
  void CloseMainWindow() override;

  // What the content commands need of the windows.
  int GroupCount() const override;
  std::string GroupName(int group) const override;
  uint16_t GroupKind(int group) const override;
  int SelectedGroup() const override;
  int TargetGroup() const override;
  void AddGroup(const std::string& name, uint16_t kind) override;
  void RemoveGroup(int group) override;
  void RenameGroup(int group, const std::string& name) override;
  void SwapGroups(int first, int second) override;
  void SelectGroup(int group) override;
  const std::vector<CatalogItemEntry>& Items() const override;
  void ForgetItems(const std::string& folderName) override;
  int SelectedItem() const override;
  int TargetItem() const override;
  void AddItem(const CatalogItemEntry& entry) override;
  void RemoveItem(int item) override;
  void UpdateItem(int item, const CatalogItemEntry& entry) override;
  void SwapItems(int first, int second) override;
  void SelectItem(int item) override;
  int ShownViewKind() const override { return state_.viewKind; }
  void StoreShownItem() override { StoreTextViewContent(); }
  void LeaveShownItem() override;
  void ShowSelection() override;
  std::string SelectedText() const override;
  void SetItemTitleStrip(const std::string& title) override;
  void FocusTree() override;

  // Search, bookmarks and the results window (MainFrameSearch.cpp).
  void CreateResultsDock();
  bool OnSearchCommand(UINT id);
  void ShowResultsWindow(bool show);
  void OpenResult(const std::string& path);
  void FillQuickAccess(HMENU submenu);
  void AddBookmarkForSelection();
  void ManageBookmarks();
  void TellBookmarksNotStored();
  bool GoToTreeLocation(const std::vector<std::string>& components, bool hasTextIndex, long textIndex);
  bool GoToCatalogLocation(const std::vector<std::string>& components);
  SearchSelection Selection() override;
  void StorePendingEdits() override;
  bool FindInShownView(const std::string& text, bool textOnly) override;
  bool OpenWebFind() override;
  bool TreeNodeExists(const std::vector<std::string>& path) override;
  void ShowSearchResults(const std::string& text, const std::vector<std::string>& paths) override;

  // Passwords, the tree's gate, the tray lock and the read-only lock
  // (MainFrameProtect.cpp).
  void CreateProtection();
  bool OnProtectCommand(UINT id);
  // Selection changing and item expanding: a protected node is entered only
  // through its password, whatever opens it.
  LRESULT OnTreeGate(NMHDR* header);
  bool IsProtectedNode(HTREEITEM item) const;
  bool IsExpanded(HTREEITEM item) const;
  // Asks for a protected node's password; true for any other node.
  bool AdmitNode(HTREEITEM item);
  // Opens a closed protected node after its prompt; false when refused.
  bool EnterProtectedNode(HTREEITEM item);
  // Expand All and Expand Branch leave protected branches closed, except the
  // selected node (its prompt ran when it was selected).
  bool StaysClosed(HTREEITEM item) const;
  void LockToTray();
  void ActivateFromTray();
  void OnTrayMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  void ToggleReadOnlyLock();
  // The effective read-only state into the views and the Edit menu.
  void ApplyReadOnly();
  bool ReadOnlyNow() const;

  // Looks and layouts (MainFrameLook.cpp).
  bool OnLookCommand(UINT id);
  void ApplyLayout(const InterfaceLayout& layout);
  // Puts the view of a layout into the item area (nothing when that view is
  // not built); the item shown in another view is stored and left first.
  void BringInView(int viewKind);
  void ShowToolbar(bool show);
  void ApplyLibraryLook() override;
  COLORREF CurrentColor(LookPart part) const override;
  LOGFONTA CurrentTreeFont() const override;
  bool ApplyLook(const LibraryLook& look) override;
  // The list views' part of the library's look, given to the data list or
  // file view shown (through the list control it draws with).
  void ApplyListLook(ItemView& view);
  void CreateLookParts();

  const TextSource& texts_;
  DiagnosticSink& log_;
  FrameSetup setup_;
  FrameSettings settings_;
  WindowPrompt windowPrompt_;
  ContentPrompt& prompt_;
  std::unique_ptr<LibraryDocument> document_;
  std::unique_ptr<ContentCommands> content_;
  TreeDrag drag_;
  // The group and item a context menu was opened on, while it runs.
  int hitGroup_ = -1;
  int hitItem_ = -1;

  HMENU menu_ = nullptr;
  // Ours once the command bar shows it instead of the window.
  MenuHandle menuBar_;
  HACCEL accelerators_ = nullptr;
  HWND rebar_ = nullptr;
  HWND toolbar_ = nullptr;
  HWND status_ = nullptr;
  HWND formatBar_ = nullptr;
  HWND fontName_ = nullptr;
  HWND fontSize_ = nullptr;
  HWND tree_ = nullptr;
  TextView textView_;
  std::string damagedNoteTold_;  // the damaged note the user was last told of
  // The data list and file views, made the first time an item needs them.
  SortMemory listSortMemory_;
  ImageListHandle sortImages_;  // the data list header's, outlives the view
  std::unique_ptr<DataListView> dataListView_;
  std::unique_ptr<FileView> fileView_;
  std::unique_ptr<ControlView> controlView_;
  // The item view shown in the pane (null for the frame's own views) and
  // the source of the item it shows.
  ItemView* shownItemView_ = nullptr;
  std::unique_ptr<ItemSource> shownSource_;
  bool shownLoadFailed_ = false;  // the shown item could not be read: read-only, never stored
  ImageListHandle toolbarImages_;
  ImageListHandle formatImages_;
  ImageListHandle treeImages_;
  ImageListHandle largeIcons_;
  ImageListHandle smallIcons_;
  ImageListHandle nodeListImages_;
  IconHandle clockIcon_;
  IconHandle smallProgramIcon_;
  CommandBar commandBar_;
  Splitter mainSplitter_;
  Splitter titleSplitter_;
  Splitter textSplitter_;
  OutlookBar outbar_;
  TitleStrip titleStrip_;
  FormatStrip formatStrip_;
  PlaceholderView placeholder_;
  NodeListView nodeList_;
  Splitter resultsSplitter_;  // the item area above, the docked results below
  SearchResultsWindow results_;
  std::unique_ptr<SearchCommands> search_;
  HWND shownView_ = nullptr;
  UINT outbarMessage_ = 0;

  // Protection and locks.
  std::unique_ptr<PasswordCommands> passwords_;
  TrayIcon tray_;
  UINT taskbarCreated_ = 0;
  // Top-level windows of the frame hidden with it while it is in the tray.
  std::vector<HWND> hiddenWithFrame_;
  bool activating_ = false;
  // The read-only lock: Lock Readonly turns it over, the layouts set or clear it.
  bool readOnlyLock_ = false;
  // Protected nodes the running selection may open without asking again.
  std::set<HTREEITEM> admitted_;

  // Looks.
  std::unique_ptr<LookCommands> looks_;
  ViewBackdrop treeBackdrop_;
  FontHandle treeFont_;
  LOGFONTA treeFontShown_ = {};
  LibraryLook listLook_;  // the list and file parts of the library's look
  std::map<ItemView*, int> listLookApplied_;
  std::map<ItemView*, std::unique_ptr<ViewBackdrop>> listBackdrops_;
  int listLookVersion_ = 0;
  BitmapHandle rebarBack_;

  // A group of the outlook bar, in display order. A catalog folder's items
  // are read the first time it is selected and kept while the library is open.
  struct FolderGroup {
    std::string name;
    uint16_t kind = 0;
    bool loaded = false;
    std::vector<CatalogItemEntry> items;  // in group order
  };
  std::vector<FolderGroup> groups_;
  // The items of the selected group (an empty list when none is selected).
  std::vector<CatalogItemEntry>& ShownItems();
  // The outlook bar image of an item: its custom icon (each file loaded once
  // into the image lists), or the picture of its kind.
  int ItemImage(const CatalogItemEntry& item);
  std::map<std::string, int> iconImages_;
  TreeModel treeModel_;
  CommandContext state_;
  RecentMenu recentMenu_;
  bool active_ = true;
  bool toolbarShown_ = true;
  bool statusShown_ = true;
  bool shuttingDown_ = false;
};

}  // namespace vellora
