// The main window's command routing, enabling and its own commands.
#include <windows.h>
#include <commctrl.h>
#include <windowsx.h>
#include <richedit.h>
#include <shellapi.h>

#include "app/frame/MainFrame.h"
#include "app/frame/SupportAddresses.h"
#include "app/resources/ResourceIds.h"
#include "app/resources/ToolbarLayout.h"
#include "store/ElementWalk.h"

namespace vellora {

using namespace resources;

void MainFrame::OnCommand(UINT id) {
  // The frame's own table, then the shown view's map, then the document's.
  if (!IsCommandAvailable(id)) return;
  if (OnFrameCommand(id)) return;
  if (document_->HandleCommand(id)) return;
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
    case ID_EDIT_UNDO: SendMessageA(textView_, EM_UNDO, 0, 0); return true;
    case ID_EDIT_REDO: SendMessageA(textView_, EM_REDO, 0, 0); return true;
    case ID_EDIT_COPY: SendMessageA(textView_, WM_COPY, 0, 0); return true;
    case ID_EDIT_CUT: SendMessageA(textView_, WM_CUT, 0, 0); return true;
    case ID_EDIT_PASTE: SendMessageA(textView_, WM_PASTE, 0, 0); return true;
    case ID_EDIT_SELECT_ALL: SendMessageA(textView_, EM_SETSEL, 0, -1); return true;
    default: return false;
  }
}

void MainFrame::ToggleToolbar() {
  toolbarShown_ = !toolbarShown_;
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
    if (!child) continue;
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
  if (IsWindowVisible(textView_)) SetFocus(textView_);
  else if (shownView_) SetFocus(shownView_);
}

void MainFrame::OpenHelp() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string help(path, n);
  help = help.substr(0, help.find_last_of('\\') + 1) + "VelloraHelp.chm";
  if (GetFileAttributesA(help.c_str()) == INVALID_FILE_ATTRIBUTES) {
    MessageBoxA(Handle(), texts_.TextOr(4837, "The help file is missing.").c_str(), texts_.TextOr(4888, "Tip").c_str(),
                MB_OK | MB_ICONWARNING);
    return;
  }
  ShellExecuteA(Handle(), "open", help.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void MainFrame::OpenAddress(const char* address) {
  ShellExecuteA(Handle(), "open", address, nullptr, nullptr, SW_SHOWNORMAL);
}

namespace {

INT_PTR CALLBACK AboutProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
  if (msg == WM_INITDIALOG) return TRUE;
  if (msg == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    EndDialog(dialog, LOWORD(wParam));
    return TRUE;
  }
  return FALSE;
}

}  // namespace

void MainFrame::ShowAbout() {
  DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ABOUTBOX), Handle(), AboutProc, 0);
}

// ---- enabling ---------------------------------------------------------------------

void MainFrame::RefreshFrameState() {
  FrameState& s = state_;
  s.documentModified = document_->Modified();
  s.textModified = SendMessageA(textView_, EM_GETMODIFY, 0, 0) != 0;
  s.textViewVisible = IsWindowVisible(textView_) != FALSE;
  s.textCanPaste = s.textViewVisible && SendMessageA(textView_, EM_CANPASTE, 0, 0) != 0 &&
                   !(GetWindowLongA(textView_, GWL_STYLE) & ES_READONLY);
  CHARRANGE range = {};
  SendMessageA(textView_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
  s.textHasSelection = s.textViewVisible && range.cpMax != range.cpMin;
  s.textCanUndo = SendMessageA(textView_, EM_CANUNDO, 0, 0) != 0;
  s.textCanRedo = SendMessageA(textView_, EM_CANREDO, 0, 0) != 0;
  s.treeVisible = IsWindowVisible(tree_) != FALSE;
  s.treeHasSelection = TreeView_GetSelection(tree_) != nullptr;
  s.outbarHasGroup = outbar_.SelectedGroup() >= 0;
  s.outbarHasSelectedItem = outbar_.SelectedItem() >= 0;
  s.outbarVisible = IsWindowVisible(outbar_.Handle()) != FALSE;
  s.nodeListVisible = IsWindowVisible(nodeList_.Handle()) != FALSE;
  if (s.textViewVisible) {
    CHARFORMATA cf = {};
    cf.cbSize = sizeof cf;
    cf.dwMask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE;
    SendMessageA(textView_, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    s.bold = (cf.dwEffects & CFE_BOLD) != 0;
    s.italic = (cf.dwEffects & CFE_ITALIC) != 0;
    s.underline = (cf.dwEffects & CFE_UNDERLINE) != 0;
    PARAFORMAT pf = {};
    pf.cbSize = sizeof pf;
    pf.dwMask = PFM_ALIGNMENT;
    SendMessageA(textView_, EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf));
    s.alignment = pf.wAlignment;
  }
  s.outlookPaneShown = mainSplitter_.SinglePane() == SplitterPane::None;
  s.toolbarShown = toolbarShown_;
  s.statusBarShown = statusShown_;
  s.titleStripShown = titleSplitter_.SinglePane() == SplitterPane::None;
  s.formatStripShown = textSplitter_.SinglePane() == SplitterPane::None;
}

void MainFrame::SyncFormatBoxes() {
  HWND focus = GetFocus();
  if (focus && (focus == fontName_ || focus == fontSize_ || IsChild(fontName_, focus) || IsChild(fontSize_, focus)))
    return;
  if (SendMessageA(fontName_, CB_GETDROPPEDSTATE, 0, 0) || SendMessageA(fontSize_, CB_GETDROPPEDSTATE, 0, 0)) return;
  CHARFORMATA cf = {};
  cf.cbSize = sizeof cf;
  cf.dwMask = CFM_FACE | CFM_SIZE;
  SendMessageA(textView_, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
  char shown[LF_FACESIZE] = "";
  GetWindowTextA(fontName_, shown, sizeof shown);
  if (lstrcmpA(shown, cf.szFaceName) != 0) {
    LRESULT at = SendMessageA(fontName_, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                              reinterpret_cast<LPARAM>(cf.szFaceName));
    if (at != CB_ERR) SendMessageA(fontName_, CB_SETCURSEL, at, 0);
    else SetWindowTextA(fontName_, cf.szFaceName);
  }
  char size[16];
  wsprintfA(size, "%d", static_cast<int>(cf.yHeight / 20));
  LRESULT at = SendMessageA(fontSize_, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(size));
  if (at != SendMessageA(fontSize_, CB_GETCURSEL, 0, 0)) SendMessageA(fontSize_, CB_SETCURSEL, at, 0);
}

void MainFrame::UpdateCommandUi() {
  if (!Handle() || shuttingDown_) return;
  RefreshFrameState();
  if (state_.textViewVisible) SyncFormatBoxes();
  for (UINT id : kMainToolbarButtons) {
    if (!id) continue;
    CommandUi ui = EvaluateCommand(id, state_);
    SendMessageA(toolbar_, TB_ENABLEBUTTON, id, MAKELONG(ui.enabled, 0));
  }
  for (UINT id : kFormatToolbarButtons) {
    if (!id) continue;
    CommandUi ui = EvaluateCommand(id, state_);
    SendMessageA(formatBar_, TB_ENABLEBUTTON, id, MAKELONG(ui.enabled && state_.textViewVisible, 0));
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
    if (info.wID >= 57616 && info.wID <= 57631 && document_->Recent().Count() == 0) continue;
    CommandUi ui = EvaluateCommand(info.wID, state_);
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
    HMENU popup = CreatePopupMenu();
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
    commandBar_.TrackPopup(popup, screen.x, screen.y, Handle());
    // The submenus belong to the menu bar: take them out before the copy goes.
    while (GetMenuItemCount(popup) > 0) RemoveMenu(popup, 0, MF_BYPOSITION);
    DestroyMenu(popup);
    return;
  }
  HMENU menu = LoadMenuA(instance, MAKEINTRESOURCEA(IDR_TREE_POPUP));
  if (!menu) return;
  commandBar_.TrackPopup(GetSubMenu(menu, 0), screen.x, screen.y, Handle());
  DestroyMenu(menu);
}

}  // namespace vellora
