// The main window's command routing, enabling and its own commands.
#include <windows.h>
#include <commctrl.h>
#include <windowsx.h>
#include <richedit.h>
#include <shellapi.h>

#include "app/dialogs/AboutDialog.h"
#include "app/frame/MainFrame.h"
#include "app/frame/SupportAddresses.h"
#include "content/DocumentCommands.h"
#include "app/resources/ResourceIds.h"
#include "app/resources/ToolbarLayout.h"
#include "views/dialogs/BackupSettingsDialog.h"

namespace vellora {

using namespace resources;

void MainFrame::OnCommand(UINT id, HWND control) {
  // A greyed command does nothing, also when its key is pressed; the row's
  // owner alone runs it.
  RefreshFrameState();
  viewCommands_.control = control;
  router_.Route(id);
  viewCommands_.control = nullptr;
}

CommandUi MainFrame::QueryCommandUi(UINT id) { return router_.Query(id); }

bool MainFrame::ShownViewCommands::Handle(UINT id) {
  ItemView* shown = area.Shown();
  return shown && (control ? shown->HandleCommandFrom(id, control) : shown->HandleCommand(id));
}

bool MainFrame::ShownViewCommands::Query(UINT id, CommandUi& ui) const {
  return area.Shown() && area.Shown()->QueryCommand(id, ui);
}

bool MainFrame::OnFrameCommand(UINT id) {
  switch (id) {
    case ID_VIEW_STATUS_BAR: ToggleStatusBar(); return true;
    case ID_VIEW_TOOLBAR: ShowToolbar(!chrome_.ToolbarShown()); return true;
    case ID_VIEW_TITLE_BAR: ToggleSplitter(items_.TitleSplitter(), SplitterPane::Second); return true;
    case ID_VIEW_SHOW_TREEVIEW:
    case ID_VIEW_SHOW_LISTVIEW: ToggleSplitter(mainSplitter_, SplitterPane::Second); return true;
    case ID_TREE_EXPAND_BRANCH:
    case ID_TREE_COLLAPSE_BRANCH:
    case ID_TREE_EXPAND_ALL:
    case ID_TREE_COLLAPSE_ALL: tree_.ExpandTree(id); return true;
    case ID_NEXT_PANE: MoveFocus(); return true;
    case ID_HELP_CONTENTS: OpenHelp(); return true;
    case ID_HELP_SUPPORT:
    case ID_HELP_FEEDBACK: OpenAddress(kSupportMailAddress); return true;
    case ID_HELP_WEBSITE: OpenAddress(kSupportWebAddress); return true;
    case ID_APP_ABOUT: ShowAbout(); return true;
    case ID_TOOLS_BACKUPS: ChooseBackups(); return true;
    default: return OnProtectCommand(id) || OnLookCommand(id) || OnSearchCommand(id) || OnPrintCommand(id);
  }
}

void MainFrame::ShowToolbar(bool show) {
  chrome_.ShowToolbar(show);
  LayoutFrame();
}

void MainFrame::ToggleStatusBar() {
  chrome_.ShowStatusBar(!chrome_.StatusShown());
  LayoutFrame();
}

void MainFrame::ToggleSplitter(Splitter& splitter, SplitterPane keep) {
  splitter.SetSinglePane(splitter.SinglePane() == SplitterPane::None ? keep : SplitterPane::None);
  RefreshFrameState();
}

void MainFrame::MoveFocus() {
  HWND focus = GetFocus();
  HWND bar = folders_.Bar().Handle();
  bool inBar = focus && (focus == tree_.Handle() || focus == bar || IsChild(bar, focus));
  if (!inBar) {
    SetFocus(tree_.Visible() ? tree_.Handle() : bar);
    return;
  }
  if (HWND pane = items_.FocusWindow()) SetFocus(pane);
}

void MainFrame::OpenHelp() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string help(path, n);
  help = help.substr(0, help.find_last_of('\\') + 1) + "VelloraHelp.chm";
  if (GetFileAttributesA(help.c_str()) == INVALID_FILE_ATTRIBUTES) {
    MessageBoxA(Handle(), texts_.TextOr(kTextHelpMissing, "The help file is missing.").c_str(), texts_.TextOr(kTextHelpCaption, "Tip").c_str(),
                MB_OK | MB_ICONWARNING);
    return;
  }
  ShellExecuteA(Handle(), "open", help.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void MainFrame::OpenAddress(const char* address) {
  ShellExecuteA(Handle(), "open", address, nullptr, nullptr, SW_SHOWNORMAL);
}

void MainFrame::ShowAbout() {
  AboutDialog().Show(Handle());
}

void MainFrame::ChooseBackups() {
  BackupSettingsDialog dialog(texts_, setup_.registryRoot, setup_.registryKey);
  if (dialog.Ask(Handle())) document_->SetBackupPolicy(dialog.Result());
}

// ---- enabling ---------------------------------------------------------------------

void MainFrame::RefreshFrameState() {
  CommandContext& s = state_;
  // A library that failed the structural check is never written.
  s.readOnly = ReadOnlyNow();
  s.clipboardState = content_->Clipboard().state;
  s.documentModified = document_->Modified();
  s.viewKind = items_.ShownKind();
  // A tab pages item's page view takes the commands of its kind.
  const ItemView* shown = items_.Shown();
  s.pageViewKind = shown && &shown->ActiveView() != shown ? static_cast<int>(shown->ActiveView().Kind()) : kViewNone;
  s.viewModified = items_.Shown() && items_.Shown()->Modified();
  s.treeVisible = tree_.Visible();
  s.treeHasSelection = tree_.Selection() != nullptr;
  s.outbarHasGroup = selection_.SelectedGroup() >= 0;
  s.outbarHasSelectedItem = TargetItem() >= 0;
  s.outbarVisible = IsWindowVisible(folders_.Bar().Handle()) != FALSE;
  s.nodeListVisible = IsWindowVisible(items_.NodeList().Handle()) != FALSE;
  s.outlookPaneShown = mainSplitter_.SinglePane() == SplitterPane::None;
  s.toolbarShown = chrome_.ToolbarShown();
  s.statusBarShown = chrome_.StatusShown();
  s.titleStripShown = items_.TitleSplitter().SinglePane() == SplitterPane::None;
  s.lastSearchKind = search_->LastKind();
  s.searchResultVisible = results_.Handle() && resultsSplitter_.SinglePane() == SplitterPane::None;
}

void MainFrame::UpdateCommandUi() {
  if (!Handle() || shuttingDown_) return;
  RefreshFrameState();
  // A tab pages item changes its active view without the pane changing.
  ApplyMenuRules();
  chrome_.UpdateButtons([this](UINT id) { return QueryCommandUi(id); });
  if (ItemView* shown = items_.Shown()) shown->UpdateCommandUi();
}

void MainFrame::OnInitMenuPopup(HMENU menu) {
  RefreshFrameState();
  int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_FTYPE;
    if (!GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info)) continue;
    if (info.hSubMenu || (info.fType & MFT_SEPARATOR)) continue;
    // The placeholder of the recent list stays as the list made it.
    if (info.wID >= ID_FILE_MRU_FIRST && info.wID <= ID_FILE_MRU_LAST && document_->Recent().Count() == 0) continue;
    CommandUi ui = QueryCommandUi(info.wID);
    EnableMenuItem(menu, static_cast<UINT>(i), MF_BYPOSITION | (ui.enabled ? MF_ENABLED : MF_GRAYED));
    CheckMenuItem(menu, static_cast<UINT>(i), MF_BYPOSITION | (ui.checked ? MF_CHECKED : MF_UNCHECKED));
  }
}

void MainFrame::OnContextMenu(HWND source, POINT screen) {
  HWND tree = tree_.Handle();
  if (!tree || source != tree) return;
  HINSTANCE instance = GetModuleHandleA(nullptr);
  TVHITTESTINFO hit = {};
  hit.pt = screen;
  ScreenToClient(tree, &hit.pt);
  HTREEITEM item = TreeView_HitTest(tree, &hit);
  if (item && (hit.flags & TVHT_ONITEM)) {
    TreeView_SelectItem(tree, item);
    // The Content menu less its "Folder" and "Catalog" popups and the separator.
    HMENU content = GetSubMenu(chrome_.Menu(), MENU_POS_CONTENT);
    MenuHandle copy(CreatePopupMenu());
    HMENU popup = copy.Get();
    int count = GetMenuItemCount(content);
    for (int i = CONTENT_TREE_MENU_SKIP; i < count; ++i) {
      char text[128] = "";
      MENUITEMINFOA info = {};
      info.cbSize = sizeof info;
      info.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_FTYPE | MIIM_STRING;
      info.dwTypeData = text;
      info.cch = sizeof text;
      if (!GetMenuItemInfoA(content, static_cast<UINT>(i), TRUE, &info)) continue;
      if (info.fType & MFT_SEPARATOR) AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);
      else if (info.hSubMenu) AppendMenuA(popup, MF_POPUP, reinterpret_cast<UINT_PTR>(info.hSubMenu), text);
      else AppendMenuA(popup, MF_STRING, info.wID, text);
    }
    TrackContextMenu(popup, screen);
    // The submenus belong to the menu bar: take them out before the copy goes.
    while (GetMenuItemCount(popup) > 0) RemoveMenu(popup, 0, MF_BYPOSITION);
    return;
  }
  MenuHandle menu(LoadMenuA(instance, MAKEINTRESOURCEA(IDR_TREE_POPUP)));
  if (!menu) return;
  FillQuickAccess(GetSubMenu(GetSubMenu(menu.Get(), 0), TREEPOP_POS_QUICK_ACCESS));
  TrackContextMenu(GetSubMenu(menu.Get(), 0), screen);
}

}  // namespace vellora
