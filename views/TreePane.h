#pragma once
// The favourite tree of a tree folder as the outlook bar shows it: the tree
// control with its images and its model, the gate in front of protected
// nodes (a node is entered only through its password, however it is
// reached), expanding and collapsing branches, dragging a node, and the
// tree's part of the library's look.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "content/ContentPrompt.h"
#include "content/LibraryLook.h"
#include "platform/GdiHandles.h"
#include "controls/ViewBackdrop.h"
#include "views/TreeDrag.h"
#include "views/TreeModel.h"

namespace vellora {

class TreePane {
 public:
  explicit TreePane(UserPrompt& prompt);

  // Creates the tree control, hidden, as a child of parent.
  bool Create(HWND parent, UINT id);
  HWND Handle() const { return tree_; }
  TreeModel& Model() { return model_; }
  const TreeModel& Model() const { return model_; }
  bool Visible() const { return tree_ && IsWindowVisible(tree_); }
  HTREEITEM Selection() const { return tree_ ? TreeView_GetSelection(tree_) : nullptr; }

  // What the tree's owner does when the tree asks.
  std::function<void()> onSelected;                  // the selection changed
  std::function<bool()> mayEditLabel;                // a label edit starts
  std::function<bool(NodeRef node, const char* text)> onLabelEdited;
  std::function<bool(NodeRef node)> mayDrag;
  std::function<void(NodeRef dragged, NodeRef target)> onDropped;
  std::function<void(POINT screen)> onRightClick;

  // The tree control's notifications (sent to the window that owns it).
  LRESULT OnNotify(NMHDR* header);
  // The dragged node follows the mouse the owner captured; the owner's
  // window, its mouse messages and its timer come here while a drag runs.
  bool Dragging() const { return drag_.Active(); }
  void OnDragMouse(HWND owner, UINT msg, POINT client);
  void OnDragTimer() { drag_.OnTimer(); }
  void CancelDrag() { drag_.Cancel(); }

  // Expand or collapse (branch or all) for the tree commands.
  void ExpandTree(UINT id);
  // Opens a closed protected node after its prompt (on the way down a
  // path); false when refused.
  bool EnterProtectedNode(HTREEITEM item);

  // The tree's part of the library's look; false when a picture could not be loaded.
  bool ApplyLook(const LibraryLook& look);
  COLORREF TextColor() const;
  COLORREF BackColor() const;
  LOGFONTA Font() const;

 private:
  LRESULT OnGate(NMHDR* header);
  bool IsProtectedNode(HTREEITEM item) const;
  bool IsExpanded(HTREEITEM item) const;
  // Asks for a protected node's password; true for any other node.
  bool AdmitNode(HTREEITEM item);
  // Expand All and Expand Branch leave protected branches closed, except the
  // selected node (its prompt ran when it was selected).
  bool StaysClosed(HTREEITEM item) const;
  void ExpandBelow(HTREEITEM first, UINT how, bool siblings = true, int depth = 0);
  void LoadBelow(HTREEITEM first, int depth = 0);

  UserPrompt& prompt_;
  HWND tree_ = nullptr;
  ImageListHandle images_;
  TreeModel model_;
  TreeDrag drag_;
  // Protected nodes the running selection may open without asking again.
  std::set<HTREEITEM> admitted_;
  ViewBackdrop backdrop_;
  FontHandle font_;
  LOGFONTA fontShown_ = {};
};

}  // namespace vellora
