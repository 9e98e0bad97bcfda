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
#include "store/ElementWalk.h"

namespace vellora {

using namespace resources;

void MainFrame::OnCommand(UINT id) {
  // A greyed command does nothing, also when its key is pressed.
  RefreshFrameState();
  if (!QueryCommandUi(id).enabled) return;
  // The frame's own commands, then the content commands, then the shown
  // view's map, then the document's.
  if (OnFrameCommand(id)) return;
  if (content_->Handle(id)) return;
  if (OnSearchCommand(id)) return;
  if (shownItemView_ && shownItemView_->HandleCommand(id)) return;
  RunDocumentCommand(*document_, id);
}

CommandUi MainFrame::QueryCommandUi(UINT id) {
  CommandUi ui = EvaluateCommand(id, state_);
  const CommandRow* row = FindCommand(id);
  if (row && row->owner == CommandOwner::View && !(row->needs & kNotBuilt)) {
    // The shown view decides about its own commands; with none shown they are greyed.
    CommandUi own = ui;
    if (shownItemView_ && shownItemView_->QueryCommand(id, own)) {
      ui.enabled = ui.enabled && own.enabled;
      ui.checked = own.checked;
    } else {
      ui.enabled = false;
    }
  }
  return ui;
}

bool MainFrame::OnFrameCommand(UINT id) {
  switch (id) {
    case ID_VIEW_TOOLBAR: ToggleToolbar(); return true;
    case ID_VIEW_STATUS_BAR: ToggleStatusBar(); return true;
    case ID_VIEW_TITLE_BAR: ToggleSplitter(titleSplitter_, SplitterPane::Second); return true;
    case ID_VIEW_FORMAT_TOOLBAR: ToggleSplitter(textSplitter_, SplitterPane::Second); return true;
    case ID_VIEW_SHOW_TREEVIEW:
    case ID_VIEW_SHOW_LISTVIEW: ToggleSplitter(mainSplitter_, SplitterPane::Second); return true;
    case ID_TREE_EXPAND_BRANCH:
    case ID_TREE_COLLAPSE_BRANCH:
    case ID_TREE_EXPAND_ALL:
    case ID_TREE_COLLAPSE_ALL: ExpandTree(id); return true;
    case ID_NEXT_PANE: MoveFocus(); return true;
    case ID_HELP_CONTENTS: OpenHelp(); return true;
    case ID_HELP_SUPPORT:
    case ID_HELP_FEEDBACK: OpenAddress(kSupportMailAddress); return true;
    case ID_HELP_WEBSITE: OpenAddress(kSupportWebAddress); return true;
    case ID_APP_ABOUT: ShowAbout(); return true;
    default: return OnProtectCommand(id) || OnLookCommand(id);
  }
}

void MainFrame::ToggleToolbar() { ShowToolbar(!toolbarShown_); }

void MainFrame::ShowToolbar(bool show) {
  toolbarShown_ = show;
  int band = static_cast<int>(SendMessageA(rebar_, RB_IDTOINDEX, 2, 0));
  SendMessageA(rebar_, RB_SHOWBAND, band, toolbarShown_);
  LayoutFrame();
}

void MainFrame::ToggleStatusBar() {
  statusShown_ = !statusShown_;
  ShowWindow(status_, statusShown_ ? SW_SHOW : SW_HIDE);
  LayoutFrame();
}

void MainFrame::ToggleSplitter(Splitter& splitter, SplitterPane keep) {
  splitter.SetSinglePane(splitter.SinglePane() == SplitterPane::None ? keep : SplitterPane::None);
  RefreshFrameState();
}

void MainFrame::LoadBelow(HTREEITEM item, int depth) {
  // Never below the walk limit: a damaged folder node can contain itself.
  if (depth >= kMaxElementDepth) return;
  for (; item; item = TreeView_GetNextSibling(tree_, item)) {
    if (StaysClosed(item)) continue;
    treeModel_.EnsureChildren(item, document_->CurrentFolder());
    if (HTREEITEM child = TreeView_GetChild(tree_, item)) LoadBelow(child, depth + 1);
  }
}

void MainFrame::ExpandBelow(HTREEITEM item, UINT how, bool siblings, int depth) {
  if (depth >= kMaxElementDepth) return;
  // The expanded state and its image are set directly: an expand message per
  // node makes the control lay out the whole tree each time.
  const TreeImages& images = treeModel_.Images();
  int image = how == TVE_EXPAND ? images.expandedFolderNode : images.folderNode;
  for (; item; item = siblings ? TreeView_GetNextSibling(tree_, item) : nullptr) {
    HTREEITEM child = TreeView_GetChild(tree_, item);
    if (!child || (how == TVE_EXPAND && StaysClosed(item))) continue;
    TVITEMA change = {};
    change.mask = TVIF_STATE | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    change.hItem = item;
    change.stateMask = TVIS_EXPANDED;
    change.state = how == TVE_EXPAND ? TVIS_EXPANDED : 0;
    change.iImage = change.iSelectedImage = image;
    TreeView_SetItem(tree_, &change);
    ExpandBelow(child, how, true, depth + 1);
  }
}

void MainFrame::ExpandTree(UINT id) {
  UINT how = (id == ID_TREE_EXPAND_BRANCH || id == ID_TREE_EXPAND_ALL) ? TVE_EXPAND : TVE_COLLAPSE;
  HTREEITEM selected = TreeView_GetSelection(tree_);
  bool whole = id == ID_TREE_EXPAND_ALL || id == ID_TREE_COLLAPSE_ALL || !selected;
  SendMessageA(tree_, WM_SETREDRAW, FALSE, 0);
  // Branches still in the file are read first, while they are closed, so
  // that no insertion has to lay out an open tree; then they are expanded.
  if (how == TVE_EXPAND) {
    if (whole) {
      LoadBelow(TreeView_GetRoot(tree_));
    } else {
      treeModel_.EnsureChildren(selected, document_->CurrentFolder());
      LoadBelow(TreeView_GetChild(tree_, selected));
    }
  }
  if (whole) {
    ExpandBelow(TreeView_GetRoot(tree_), how);
  } else {
    if (TreeView_GetChild(tree_, selected)) ExpandBelow(selected, how, false);
  }
  SendMessageA(tree_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(tree_, nullptr, TRUE);
}

void MainFrame::MoveFocus() {
  HWND focus = GetFocus();
  bool inBar = focus && (focus == tree_ || focus == outbar_.Handle() || IsChild(outbar_.Handle(), focus));
  if (!inBar) {
    SetFocus(IsWindowVisible(tree_) ? tree_ : outbar_.Handle());
    return;
  }
  if (shownItemView_) SetFocus(shownItemView_->FocusWindow());
  else if (shownView_) SetFocus(shownView_);
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

// ---- enabling ---------------------------------------------------------------------

void MainFrame::RefreshFrameState() {
  CommandContext& s = state_;
  // A library that failed the structural check is never written.
  s.readOnly = ReadOnlyNow();
  s.clipboardState = content_->Clipboard().state;
  s.documentModified = document_->Modified();
  s.viewModified = shownItemView_ && shownItemView_->Modified();
  s.treeVisible = IsWindowVisible(tree_) != FALSE;
  s.treeHasSelection = TreeView_GetSelection(tree_) != nullptr;
  s.outbarHasGroup = outbar_.SelectedGroup() >= 0;
  s.outbarHasSelectedItem = TargetItem() >= 0;
  s.outbarVisible = IsWindowVisible(outbar_.Handle()) != FALSE;
  s.nodeListVisible = IsWindowVisible(nodeList_.Handle()) != FALSE;
  s.outlookPaneShown = mainSplitter_.SinglePane() == SplitterPane::None;
  s.toolbarShown = toolbarShown_;
  s.statusBarShown = statusShown_;
  s.titleStripShown = titleSplitter_.SinglePane() == SplitterPane::None;
  s.formatStripShown = textSplitter_.SinglePane() == SplitterPane::None;
  s.lastSearchKind = search_->LastKind();
  s.searchResultVisible = results_.Handle() && resultsSplitter_.SinglePane() == SplitterPane::None;
}

void MainFrame::SyncFormatBoxes() {
  HWND focus = GetFocus();
  if (focus && (focus == fontName_ || focus == fontSize_ || IsChild(fontName_, focus) || IsChild(fontSize_, focus)))
    return;
  if (SendMessageA(fontName_, CB_GETDROPPEDSTATE, 0, 0) || SendMessageA(fontSize_, CB_GETDROPPEDSTATE, 0, 0)) return;
  std::string face;
  LONG twips = 0;
  if (!textView_.SelectionFont(face, twips)) return;
  char shown[LF_FACESIZE] = "";
  GetWindowTextA(fontName_, shown, sizeof shown);
  if (face != shown) {
    LRESULT at = SendMessageA(fontName_, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                              reinterpret_cast<LPARAM>(face.c_str()));
    if (at != CB_ERR) SendMessageA(fontName_, CB_SETCURSEL, at, 0);
    else SetWindowTextA(fontName_, face.c_str());
  }
  char size[16];
  wsprintfA(size, "%d", static_cast<int>(twips / 20));
  LRESULT at = SendMessageA(fontSize_, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(size));
  if (at != SendMessageA(fontSize_, CB_GETCURSEL, 0, 0)) SendMessageA(fontSize_, CB_SETCURSEL, at, 0);
}

void MainFrame::UpdateCommandUi() {
  if (!Handle() || shuttingDown_) return;
  RefreshFrameState();
  const bool textShown = shownItemView_ == &textView_;
  if (textShown) SyncFormatBoxes();
  for (UINT id : kMainToolbarButtons) {
    if (!id) continue;
    CommandUi ui = QueryCommandUi(id);
    SendMessageA(toolbar_, TB_ENABLEBUTTON, id, MAKELONG(ui.enabled, 0));
  }
  for (UINT id : kFormatToolbarButtons) {
    if (!id) continue;
    CommandUi ui = QueryCommandUi(id);
    SendMessageA(formatBar_, TB_ENABLEBUTTON, id, MAKELONG(ui.enabled && textShown, 0));
    SendMessageA(formatBar_, TB_CHECKBUTTON, id, MAKELONG(ui.checked, 0));
  }
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
  if (source != tree_) return;
  HINSTANCE instance = GetModuleHandleA(nullptr);
  TVHITTESTINFO hit = {};
  hit.pt = screen;
  ScreenToClient(tree_, &hit.pt);
  HTREEITEM item = TreeView_HitTest(tree_, &hit);
  if (item && (hit.flags & TVHT_ONITEM)) {
    TreeView_SelectItem(tree_, item);
    // The Content menu less its "Folder" and "Catalog" popups and the separator.
    HMENU content = GetSubMenu(menu_, MENU_POS_CONTENT);
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
