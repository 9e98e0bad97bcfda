#pragma once
// The one top-level window: builds the layout, owns the library document,
// routes every command, and keeps the commands' enabled state in step.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/frame/FormatStrip.h"
#include "app/frame/FrameSettings.h"
#include "app/frame/NodeListView.h"
#include "app/frame/PlaceholderView.h"
#include "app/frame/RecentMenu.h"
#include "app/frame/TitleStrip.h"
#include "app/frame/WindowPrompt.h"
#include "content/CatalogItems.h"
#include "content/CommandTable.h"
#include "content/ItemSource.h"
#include "controls/CommandBar.h"
#include "controls/OutlookBar.h"
#include "controls/Splitter.h"
#include "controls/Window.h"
#include "store/LibraryDocument.h"
#include "views/DataListView.h"
#include "views/FileView.h"
#include "views/TextView.h"
#include "views/TreeModel.h"

namespace vellora {

// Sent by the collector: save, close and answer 1.
constexpr UINT WM_RELEASE_LIBRARY = WM_USER + 2001;
constexpr char kMainWindowClass[] = "VELLORA_SYSTEM";

struct FrameSetup {
  std::string startupPath;
  HKEY registryRoot = HKEY_CURRENT_USER;
  std::string registryKey = "Software\\Vellora";
};

class MainFrame : public Window, public DocumentHost {
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
  // The menu bar the command bar shows.
  HMENU MenuBar() const { return menu_; }
  const CommandContext& State() const { return state_; }
  // Enabled and checked state of a command as the menus show it now.
  CommandUi QueryCommandUi(UINT id);

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
  bool LeaveShownItem();
  void PutIntoPane(HWND view, int kind);
  ItemView* ViewForKind(uint16_t kind);
  HWND PaneWindowOf(ItemView& view);
  void ShowPlaceholder(PlaceholderView::Form form);
  void ApplyFolderMenuRules();
  void ApplyViewMenuRules();
  void UpdateClock();
  void SyncFormatBoxes();

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

  // The frame's own commands.
  void ToggleToolbar();
  void ToggleStatusBar();
  void ToggleSplitter(Splitter& splitter, SplitterPane keep);
  void ExpandTree(UINT how);
  // Expands or collapses first (and, with siblings, the items after it) and
  // everything below.
  void ExpandBelow(HTREEITEM first, UINT how, bool siblings = true);
  void LoadBelow(HTREEITEM first);
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

  const TextSource& texts_;
  DiagnosticSink& log_;
  FrameSetup setup_;
  FrameSettings settings_;
  WindowPrompt prompt_;
  std::unique_ptr<LibraryDocument> document_;

  HMENU menu_ = nullptr;
  HACCEL accelerators_ = nullptr;
  HWND rebar_ = nullptr;
  HWND toolbar_ = nullptr;
  HWND status_ = nullptr;
  HWND formatBar_ = nullptr;
  HWND fontName_ = nullptr;
  HWND fontSize_ = nullptr;
  HWND tree_ = nullptr;
  TextView textView_;
  // The data list and file views, made the first time an item needs them.
  SortMemory listSortMemory_;
  std::unique_ptr<DataListView> dataListView_;
  std::unique_ptr<FileView> fileView_;
  HIMAGELIST sortImages_ = nullptr;
  // The item view shown in the pane (null for the frame's own views) and
  // the source of the item it shows.
  ItemView* shownItemView_ = nullptr;
  std::unique_ptr<ItemSource> shownSource_;
  HIMAGELIST toolbarImages_ = nullptr;
  HIMAGELIST formatImages_ = nullptr;
  HIMAGELIST treeImages_ = nullptr;
  HIMAGELIST largeIcons_ = nullptr;
  HIMAGELIST smallIcons_ = nullptr;
  HIMAGELIST nodeListImages_ = nullptr;
  int baseIconCount_ = 0;
  HICON clockIcon_ = nullptr;
  HICON smallProgramIcon_ = nullptr;
  CommandBar commandBar_;
  Splitter mainSplitter_;
  Splitter titleSplitter_;
  Splitter textSplitter_;
  OutlookBar outbar_;
  TitleStrip titleStrip_;
  FormatStrip formatStrip_;
  PlaceholderView placeholder_;
  NodeListView nodeList_;
  HWND shownView_ = nullptr;
  UINT outbarMessage_ = 0;

  struct FolderGroup {
    std::string name;
    uint16_t kind = 0;
  };
  std::vector<FolderGroup> groups_;
  std::vector<CatalogItemEntry> items_;  // of the shown catalog folder, in group order
  TreeModel treeModel_;
  CommandContext state_;
  RecentMenu recentMenu_;
  bool active_ = true;
  bool toolbarShown_ = true;
  bool statusShown_ = true;
  bool shuttingDown_ = false;
};

}  // namespace vellora
