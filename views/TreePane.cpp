#include "views/TreePane.h"

#include "platform/Dpi.h"

#include "controls/ImageStrip.h"
#include "content/CommandIds.h"
#include "store/ElementWalk.h"
#include "views/ToolbarLayout.h"
#include "views/ViewLook.h"
#include "views/ViewResourceIds.h"

namespace vellora {

using namespace resources;

namespace {
constexpr COLORREF kWhite = RGB(255, 255, 255);

COLORREF Resolved(COLORREF color, int systemColor) {
  return color == static_cast<COLORREF>(-1) || color == CLR_DEFAULT ? GetSysColor(systemColor) : color;
}
}  // namespace

TreePane::TreePane(UserPrompt& prompt) : prompt_(prompt) {
  // Hovering with a dragged node never opens a protected branch: no password
  // is asked in the middle of a drag.
  drag_.mayExpand = [this](HTREEITEM target) { return !StaysClosed(target); };
}

bool TreePane::Create(HWND parent, UINT id) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  tree_ = CreateWindowExA(0, WC_TREEVIEWA, nullptr,
                          WS_CHILD | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_EDITLABELS |
                              TVS_SHOWSELALWAYS | TVS_TRACKSELECT,
                          0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), instance, nullptr);
  if (!tree_) return false;
  images_.Reset(LoadImageListForDpi(instance, IDB_TREE, kTreeImageSize, kImageMaskColor));
  TreeView_SetImageList(tree_, images_, TVSIL_NORMAL);
  model_.Attach(tree_);
  SendMessageA(tree_, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  backdrop_.Attach(tree_);
  return true;
}

// ---- notifications ---------------------------------------------------------------

LRESULT TreePane::OnNotify(NMHDR* header) {
  switch (header->code) {
    case TVN_SELCHANGEDA:
      admitted_.clear();
      if (!model_.Busy() && onSelected) onSelected();
      return 0;
    case TVN_SELCHANGINGA:
    case TVN_ITEMEXPANDINGA: return OnGate(header);
    case TVN_DELETEITEMA: model_.OnItemDeleted(*reinterpret_cast<NMTREEVIEWA*>(header)); return 0;
    case TVN_ITEMEXPANDEDA: model_.OnItemExpanded(*reinterpret_cast<NMTREEVIEWA*>(header)); return 0;
    case TVN_BEGINLABELEDITA:
      // TRUE cancels.
      return mayEditLabel && mayEditLabel() ? FALSE : TRUE;
    case TVN_ENDLABELEDITA: {
      auto* edit = reinterpret_cast<NMTVDISPINFOA*>(header);
      return onLabelEdited && onLabelEdited(TreeModel::Ref(edit->item.hItem), edit->item.pszText) ? TRUE : FALSE;
    }
    case TVN_BEGINDRAGA: {
      const auto& info = *reinterpret_cast<NMTREEVIEWA*>(header);
      if (mayDrag && mayDrag(TreeModel::Ref(info.itemNew.hItem)))
        drag_.Begin(tree_, info.itemNew.hItem, info.ptDrag, GetAncestor(tree_, GA_ROOT));
      return 0;
    }
    case NM_RCLICK: {
      POINT pt;
      GetCursorPos(&pt);
      if (onRightClick) onRightClick(pt);
      return 1;
    }
    default: return 0;
  }
}

void TreePane::OnDragMouse(HWND owner, UINT msg, POINT client) {
  POINT screen = client;
  ClientToScreen(owner, &screen);
  if (msg == WM_MOUSEMOVE) {
    drag_.Move(screen);
    return;
  }
  HTREEITEM dragged = drag_.Dragged();
  DWORD elapsed = 0;
  HTREEITEM target = drag_.End(screen, elapsed);
  // A drop right after the drag began is a slip of the mouse.
  if (elapsed < TreeDrag::kMinimumMs || !target || target == dragged) return;
  if (onDropped) onDropped(TreeModel::Ref(dragged), TreeModel::Ref(target));
}

// ---- the gate --------------------------------------------------------------------

bool TreePane::IsProtectedNode(HTREEITEM item) const {
  const TreeItemData* data = item ? model_.DataOf(item) : nullptr;
  return data && data->HasPassword();
}

bool TreePane::IsExpanded(HTREEITEM item) const {
  return item && (TreeView_GetItemState(tree_, item, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
}

bool TreePane::AdmitNode(HTREEITEM item) {
  const TreeItemData* node = model_.DataOf(item);
  if (!node || !node->HasPassword()) return true;
  // Read before the prompt: its message loop may change the tree.
  const std::string title = model_.TitleOf(item), password = node->password;
  return prompt_.AskPassword(title, password);
}

bool TreePane::EnterProtectedNode(HTREEITEM item) {
  if (!IsProtectedNode(item) || IsExpanded(item) || item == Selection()) return true;
  if (!AdmitNode(item)) return false;
  model_.EnsureChildren(TreeModel::Ref(item));
  // An expand message asks nothing of a node that was open once before; the
  // control may still ask, and is let through.
  admitted_.insert(item);
  TreeView_Expand(tree_, item, TVE_EXPAND);
  admitted_.erase(item);
  return true;
}

bool TreePane::StaysClosed(HTREEITEM item) const {
  return IsProtectedNode(item) && !IsExpanded(item) && item != Selection();
}

LRESULT TreePane::OnGate(NMHDR* header) {
  auto* change = reinterpret_cast<NMTREEVIEWA*>(header);
  HTREEITEM item = change->itemNew.hItem;
  if (model_.Busy() || !model_.DataOf(item)) return FALSE;
  if (header->code == TVN_ITEMEXPANDINGA) {
    if (!(change->action & TVE_EXPAND)) return FALSE;
    // The selected node was asked for when it was selected; a node the
    // running selection admitted is not asked for twice.
    const bool admitted = admitted_.erase(item) > 0 || item == Selection() || IsExpanded(item);
    if (!admitted && !AdmitNode(item)) return TRUE;
    model_.EnsureChildren(TreeModel::Ref(item));
    return FALSE;
  }
  // A node deep in a closed protected branch is reached only through the
  // password of every closed protected node above it, outermost first; the
  // control then opens them on its way down without asking again.
  admitted_.clear();
  std::vector<HTREEITEM> closed;
  for (HTREEITEM up = model_.ParentOf(item); up; up = model_.ParentOf(up))
    if (StaysClosed(up)) closed.insert(closed.begin(), up);
  for (HTREEITEM node : closed) {
    if (!AdmitNode(node)) {
      admitted_.clear();
      return TRUE;
    }
    admitted_.insert(node);
  }
  // A refusal cancels the change: what was shown stays.
  if (!AdmitNode(item)) {
    admitted_.clear();
    return TRUE;
  }
  return FALSE;
}

// ---- expanding ----------------------------------------------------------------------

void TreePane::LoadBelow(HTREEITEM item, int depth) {
  // Never below the walk limit: a damaged folder node can contain itself.
  if (depth >= kMaxElementDepth) return;
  for (; item; item = TreeView_GetNextSibling(tree_, item)) {
    if (StaysClosed(item)) continue;
    model_.EnsureChildren(TreeModel::Ref(item));
    if (HTREEITEM child = TreeView_GetChild(tree_, item)) LoadBelow(child, depth + 1);
  }
}

void TreePane::ExpandBelow(HTREEITEM item, UINT how, bool siblings, int depth) {
  if (depth >= kMaxElementDepth) return;
  // The expanded state and its image are set directly: an expand message per
  // node makes the control lay out the whole tree each time.
  const TreeImages& images = model_.Images();
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

void TreePane::ExpandTree(UINT id) {
  UINT how = (id == ID_TREE_EXPAND_BRANCH || id == ID_TREE_EXPAND_ALL) ? TVE_EXPAND : TVE_COLLAPSE;
  HTREEITEM selected = Selection();
  bool whole = id == ID_TREE_EXPAND_ALL || id == ID_TREE_COLLAPSE_ALL || !selected;
  SendMessageA(tree_, WM_SETREDRAW, FALSE, 0);
  // Branches still in the file are read first, while they are closed, so
  // that no insertion has to lay out an open tree; then they are expanded.
  if (how == TVE_EXPAND) {
    if (whole) {
      LoadBelow(TreeView_GetRoot(tree_));
    } else {
      model_.EnsureChildren(TreeModel::Ref(selected));
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

// ---- the look ---------------------------------------------------------------------

bool TreePane::ApplyLook(const LibraryLook& look) {
  bool loaded = true;
  if (look.treeBack) {
    if (look.treeBack->source == Backdrop::Source::Color) {
      backdrop_.SetBitmap(nullptr);
      TreeView_SetBkColor(tree_, look.treeBack->color);
    } else if (HBITMAP picture = PictureOf(*look.treeBack)) {
      TreeView_SetBkColor(tree_, kWhite);
      backdrop_.SetBitmap(picture);
    } else {
      loaded = false;
    }
  }
  if (look.treeText) TreeView_SetTextColor(tree_, *look.treeText);
  if (look.treeFont) {
    // The library keeps its tree font's height at 96 DPI.
    LOGFONTA scaled = *look.treeFont;
    scaled.lfHeight = Scaled(scaled.lfHeight);
    FontHandle font(CreateFontIndirectA(&scaled));
    if (font) {
      SendMessageA(tree_, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
      font_ = std::move(font);  // the one the tree had before goes now
      fontShown_ = *look.treeFont;
    }
  }
  return loaded;
}

COLORREF TreePane::TextColor() const { return Resolved(TreeView_GetTextColor(tree_), COLOR_WINDOWTEXT); }

COLORREF TreePane::BackColor() const { return Resolved(TreeView_GetBkColor(tree_), COLOR_WINDOW); }

LOGFONTA TreePane::Font() const {
  if (fontShown_.lfFaceName[0]) {
    LOGFONTA font = fontShown_;  // as the screen shows it
    font.lfHeight = Scaled(font.lfHeight);
    return font;
  }
  LOGFONTA font = {};
  auto shown = reinterpret_cast<HFONT>(SendMessageA(tree_, WM_GETFONT, 0, 0));
  GetObjectA(shown ? static_cast<HGDIOBJ>(shown) : GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
  return font;
}

}  // namespace vellora
