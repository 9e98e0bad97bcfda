#pragma once
// The one top-level window: it owns the library document and the command
// handlers, puts the bars, the outlook bar with its tree and the item area
// together, routes every command, and keeps the commands' enabled state in
// step. The panes do their own work; the frame wires them.
#include <windows.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/frame/FolderBar.h"
#include "app/frame/FrameChrome.h"
#include "app/frame/FrameSettings.h"
#include "app/frame/RecentMenu.h"
#include "app/frame/TrayLock.h"
#include "app/frame/WindowPrompt.h"
#include "content/AccessPasswords.h"
#include "content/BranchNotes.h"
#include "content/CatalogItems.h"
#include "content/CommandRouter.h"
#include "content/CommandTable.h"
#include "content/DocumentCommands.h"
#include "content/ContentCommands.h"
#include "content/ContentHost.h"
#include "content/LibrarySelection.h"
#include "content/ItemSource.h"
#include "content/LibraryLook.h"
#include "content/LocationPath.h"
#include "content/SearchCommands.h"
#include "controls/Splitter.h"
#include "platform/Window.h"
#include "store/LibraryDocument.h"
#include "store/ProgramWindow.h"
#include "views/ItemArea.h"
#include "views/PagePrinting.h"
#include "views/SearchResultsWindow.h"
#include "views/TreePane.h"

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

class MainFrame : public Window,
                  public DocumentHost,
                  public SelectionContentHost,
                  private SelectionObserver,
                  public SearchHost,
                  public LookHost {
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
  TreeModel& Tree() override { return tree_.Model(); }
  // The menu bar the command bar shows.
  HMENU MenuBar() const { return chrome_.Menu(); }
  const CommandContext& State() const { return state_; }
  // Enabled and checked state of a command as the menus show it now.
  CommandUi QueryCommandUi(UINT id);
  // The search results window (null until the first search or toggle).
  const SearchResultsWindow* SearchResults() const { return results_.Handle() ? &results_ : nullptr; }
  // Locked to the notification area: the window hidden, the tray icon shown.
  bool LockedInTray() const { return lock_.Locked(); }
  const TrayIcon& Tray() const { return lock_.Icon(); }
  // Keys the shown view takes before the accelerators (a control's own).
  bool PreTranslate(MSG& msg);

 protected:
  const char* ClassName() const override { return kMainWindowClass; }
  void RegisterClassInfo(WNDCLASSEXA& wc) const override;
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  // Creation and layout.
  bool OnCreate();
  void CreatePanes();
  // The view table: the view of each item kind, made the first time an item
  // of that kind is shown.
  void CreateViewTable();
  void LayoutFrame();
  void ShowPlaceholder(PlaceholderView::Form form);
  // What the pane shows: the active view's kind, or the area's own pane.
  int ShownKind() const;
  // The menu bar's popups enabled as the popup table says for the state now.
  void ApplyMenuRules();

  // Messages.
  void OnClose();
  void OnDestroy();
  LRESULT OnNotify(NMHDR* header);
  void OnOutBarNotify(WPARAM code, LPARAM data);
  void OnInitMenuPopup(HMENU menu);
  void OnCommand(UINT id, HWND control = nullptr);
  bool OnFrameCommand(UINT id);
  LRESULT OnReleaseLibrary();
  void OnContextMenu(HWND source, POINT screen);
  // Tracks a context menu and runs its command at once, while the group or
  // item it was opened on is still the commands' target.
  void TrackContextMenu(HMENU popup, POINT screen, int group = -1, int item = -1);
  void ConnectTree();

  // The frame's own commands.
  void ShowToolbar(bool show);
  void ToggleStatusBar();
  void ToggleSplitter(Splitter& splitter, SplitterPane keep);
  void MoveFocus();
  void OpenHelp();
  void OpenAddress(const char* address);
  void ShowAbout();
  // Tools > Backups: the dialog writes the settings, the open document takes them.
  void ChooseBackups();

  // Showing the library: the selection model's changes.
  void GroupLeaving(int previous) override;
  void GroupSelected(int group) override;
  void GroupAdded(int group) override { folders_.GroupAdded(group); }
  void GroupRemoved(int group, bool wasSelected) override;
  void GroupRenamed(int group) override { folders_.GroupRenamed(group); }
  void GroupsSwapped(int first, int second) override { folders_.GroupsSwapped(first, second); }
  void GroupsCleared() override { folders_.GroupsCleared(); }
  void ItemsLoaded(int group) override { folders_.ItemsLoaded(group); }
  void ItemsForgotten(int group) override { folders_.ItemsForgotten(group); }
  void ItemAdded(int group, int item) override { folders_.ItemAdded(group, item); }
  void ItemRemoved(int group, int item) override { folders_.ItemRemoved(group, item); }
  void ItemUpdated(int group, int item, const CatalogItemEntry& before) override {
    folders_.ItemUpdated(group, item, before);
  }
  void ItemsSwapped(int group, int first, int second) override { folders_.ItemsSwapped(group, first, second); }
  void ItemSelected(int group, int item) override;
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

  // What the content commands need of the windows (the folders and items
  // are the selection model's).
  int ShownViewKind() const override { return ShownKind(); }
  void StoreShownItem() override { StoreTextViewContent(); }
  void LeaveShownItem() override;
  void ShowSelection() override;
  std::string SelectedText() const override;
  bool ShownViewText(std::string& text) const override;
  std::string ShownPage() const override { return items_.Shown() ? items_.Shown()->ShownPage() : std::string(); }
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
  bool GoToCatalogLocation(const Location& location);
  SearchSelection Selection() override;
  void StorePendingEdits() override;
  bool FindInShownView(const std::string& text, bool textOnly) override;
  bool OpenWebFind() override;
  bool TreeNodeExists(const std::vector<std::string>& path) override;
  void ShowSearchResults(const std::string& text, const std::vector<std::string>& paths) override;

  // Passwords, the tray lock and the read-only lock (MainFrameProtect.cpp).
  bool OnProtectCommand(UINT id);
  void ToggleReadOnlyLock();
  // The effective read-only state into the views and the Edit menu.
  void ApplyReadOnly();
  bool ReadOnlyNow() const;

  // Looks and layouts (MainFrameLook.cpp).
  bool OnLookCommand(UINT id);
  void ApplyLayout(const InterfaceLayout& layout);
  void ApplyLibraryLook() override;
  COLORREF CurrentColor(LookPart part) const override;
  LOGFONTA CurrentTreeFont() const override;
  bool ApplyLook(const LibraryLook& look) override;

  // Print, Print Preview and Print Setup (MainFramePrint.cpp).
  bool OnPrintCommand(UINT id);
  const ItemView* PrintableView() const;
  void PrintShownView();
  void PreviewShownView();
  void ReportPrintOutcome(PrintOutcome outcome);
  // A view printing with its control's own commands whose control refused.
  void ReportOwnPrintRefused(bool preview);
  // Print Branch, Print Folder and their previews: the notes gathered by the
  // content commands, their pages from a BranchPages.
  void PrintNotes(UINT id, bool preview);
  void RunNotesJob(const BranchNotes& notes, const std::string& name);

  // The handlers the router knows besides the content layer's: the frame's
  // own commands, and the shown view's map.
  struct FrameCommands : CommandHandler {
    explicit FrameCommands(MainFrame& owner) : frame(owner) {}
    bool Handle(UINT id) override { return frame.OnFrameCommand(id); }
    MainFrame& frame;
  };
  struct ShownViewCommands : CommandHandler {
    explicit ShownViewCommands(ItemArea& owner) : area(owner) {}
    bool Handle(UINT id) override;
    bool Query(UINT id, CommandUi& ui) const override;
    ItemArea& area;
    HWND control = nullptr;  // the control a command came from, while it runs
  };

  const TextSource& texts_;
  DiagnosticSink& log_;
  FrameSetup setup_;
  FrameSettings settings_;
  WindowPrompt windowPrompt_;
  ContentPrompt& prompt_;
  std::unique_ptr<LibraryDocument> document_;
  LibrarySelection selection_;
  std::unique_ptr<ContentCommands> content_;
  std::unique_ptr<SearchCommands> search_;
  std::unique_ptr<PasswordCommands> passwords_;
  std::unique_ptr<LookCommands> looks_;
  std::unique_ptr<DocumentCommands> documentCommands_;

  FrameChrome chrome_;
  Splitter mainSplitter_;     // the outlook bar left, the item area right
  FolderBar folders_;
  TreePane tree_;
  Splitter resultsSplitter_;  // the item area above, the docked results below
  ItemArea items_;
  SearchResultsWindow results_;
  TrayLock lock_;
  RecentMenu recentMenu_;
  CommandContext state_;
  CommandRouter router_;
  FrameCommands frameCommands_{*this};
  ShownViewCommands viewCommands_{items_};
  UINT outbarMessage_ = 0;
  // The read-only lock: Lock Readonly turns it over, the layouts set or clear it.
  bool readOnlyLock_ = false;
  bool active_ = true;
  bool shuttingDown_ = false;
};

}  // namespace vellora
