// Content commands on tree nodes: adding with label editing, renaming,
// deleting, and moving by drag and drop.
#include <algorithm>
#include <cstdint>

#include "content/CommandIds.h"
#include "content/ContentCommands.h"

namespace vellora {

namespace {
constexpr UINT kWarning = MB_OK | MB_ICONWARNING;
}

bool ContentCommands::IsAncestor(NodeRef ancestor, NodeRef node) const {
  TreeAccess& tree = host_.Tree();
  for (NodeRef at = node ? tree.Parent(node) : nullptr; at; at = tree.Parent(at))
    if (at == ancestor) return true;
  return false;
}

bool ContentCommands::CanDrag(NodeRef node) const {
  TreeAccess& tree = host_.Tree();
  return node && (tree.Next(node) || tree.FirstChild(tree.Parent(node)) != node);
}

int32_t ContentCommands::NextSequenceUnder(NodeRef parent, NodeRef except) const {
  // The previous sibling's number plus one: the last child before `except`.
  TreeAccess& tree = host_.Tree();
  const TreeItemData* previous = nullptr;
  for (NodeRef child = tree.FirstChild(parent); child; child = tree.Next(child)) {
    if (child == except) break;
    if (const TreeItemData* data = tree.Data(child)) previous = data;
  }
  return previous ? previous->sequence + 1 : 1;
}

void ContentCommands::AddNode(UINT how) {
  if (pendingNode_) return;
  TreeAccess& tree = host_.Tree();
  NodeRef selected = tree.Selected();
  NodeRef parent = nullptr;
  if (how == ID_NODE_ADD_CHILD) {
    if (!selected) return;
    tree.EnsureChildren(selected);
    parent = selected;
  } else if (how == ID_NODE_ADD_SIBLING && selected) {
    parent = tree.Parent(selected);
  }
  TreeItemData data;
  data.kind = kItemText;
  NodeRef node = tree.Insert(parent, kNewNodeTitle, data);
  if (!node) return;
  if (parent) tree.Expand(parent);
  pendingNode_ = node;
  if (tree.EditLabel(node)) return;
  // No edit started (the tree is hidden): the node is made as a cancelled
  // edit would make it, so nothing stays pending.
  pendingNode_ = nullptr;
  CreatePendingNode(node, tree.Title(node));
}

void ContentCommands::RenameNodeTitle() {
  TreeAccess& tree = host_.Tree();
  if (NodeRef node = tree.Selected()) tree.EditLabel(node);
}

bool ContentCommands::EndLabelEdit(NodeRef node, const char* text) {
  TreeAccess& tree = host_.Tree();
  if (node == pendingNode_) {
    pendingNode_ = nullptr;
    // A cancelled edit creates the node under the text it shows.
    const std::string title = text ? CleanNodeTitle(text) : tree.Title(node);
    CreatePendingNode(node, title);
    return false;
  }
  if (!text) return false;
  RenameNodeTo(node, CleanNodeTitle(text));
  return false;
}

NodeRef ContentCommands::CreatePendingNode(NodeRef node, const std::string& title) {
  TreeAccess& tree = host_.Tree();
  NodeRef parent = tree.Parent(node);
  const int32_t sequence = NextSequenceUnder(parent, node);
  TreeItemData* parentData = parent ? tree.Data(parent) : nullptr;
  std::string elementName;
  HRESULT hr = E_FAIL;
  if (parentData && !parentData->isFolderNode) {
    // A leaf that gets a child becomes a folder node; its text may go with the child.
    const bool keep = Message(Text(kTextLeafBecomesFolderQuestion, "Move the content into the new child node?"), Text(kTextQueryCaption, "Query"),
                              MB_YESNO | MB_ICONQUESTION) == IDYES;
    host_.LeaveShownItem();
    hr = ConvertLeafAndAddChild(Folder(), tree.Path(parent), keep, title, sequence, elementName);
    if (SUCCEEDED(hr)) {
      parentData->isFolderNode = true;
      parentData->childrenLoaded = true;
      tree.SetForm(parent, true);
    }
  } else {
    hr = CreateLeafUnder(Folder(), parent ? tree.Path(parent) : NodePath{}, title, sequence, elementName);
  }
  if (FAILED(hr)) {
    tree.Delete(node);
    Message("The node \"" + title + "\" could not be created.", Text(kTextFailCaption, "Fail"), kWarning);
    host_.ShowSelection();
    return nullptr;
  }
  TreeItemData* data = tree.Data(node);
  data->elementName = elementName;
  data->sequence = sequence;
  data->kind = kItemText;
  document_.SetModified();
  tree.SetTitle(node, title);
  tree.Select(node);
  return node;
}

bool ContentCommands::RenameNodeTo(NodeRef node, const std::string& title) {
  TreeAccess& tree = host_.Tree();
  TreeItemData* data = tree.Data(node);
  if (!data) return false;
  NodeRef selected = tree.Selected();
  // The shown item's place in the file changes when it or a node above it is renamed.
  const bool affectsShown = selected && (selected == node || IsAncestor(node, selected));
  if (affectsShown) host_.LeaveShownItem();
  std::string elementName;
  HRESULT hr = RenameNode(Folder(), tree.Path(node), title, elementName);
  if (SUCCEEDED(hr)) {
    if (elementName != data->elementName) document_.SetModified();
    data->elementName = elementName;
    tree.SetTitle(node, title);
  }
  if (affectsShown) host_.ShowSelection();
  if (SUCCEEDED(hr) && node == selected) host_.SetItemTitleStrip(title);
  return SUCCEEDED(hr);
}

void ContentCommands::DeleteSelectedNode() {
  TreeAccess& tree = host_.Tree();
  NodeRef node = tree.Selected();
  if (!node) return;
  NodeRef parent = tree.Parent(node);
  if (!parent && !tree.Next(node) && tree.FirstChild(nullptr) == node) {
    Message("Can not delete last root node!", "Error to delete", kWarning);
    return;
  }
  if (Message("Are you sure to delete the selected tree node?", "Confirm", MB_YESNO | MB_ICONQUESTION) != IDYES)
    return;
  host_.LeaveShownItem();
  bool emptied = false;
  if (FAILED(DeleteNode(Folder(), tree.Path(node), emptied))) {
    Message("The node could not be deleted.", Text(kTextFailCaption, "Fail"), kWarning);
    host_.ShowSelection();
    return;
  }
  document_.SetModified();
  tree.Delete(node);
  if (emptied) AfterChildRemoved(parent);
  host_.FocusTree();
  host_.ShowSelection();
}

void ContentCommands::AfterChildRemoved(NodeRef parent) {
  // A folder node without children is a leaf again, with an empty text.
  TreeAccess& tree = host_.Tree();
  if (!parent || tree.FirstChild(parent)) return;
  if (SUCCEEDED(ConvertToLeaf(Folder(), tree.Path(parent)))) {
    if (TreeItemData* data = tree.Data(parent)) data->isFolderNode = false;
    tree.SetForm(parent, false);
  }
}

void ContentCommands::Renumber(NodeRef parent, NodeRef node, NodeRef target) {
  TreeAccess& tree = host_.Tree();
  TreeItemData* placed = tree.Data(node);
  if (!placed) return;
  std::vector<TreeItemData*> siblings;  // display order, without the placed node
  size_t at = 0;
  for (NodeRef child = tree.FirstChild(parent); child; child = tree.Next(child)) {
    if (child == node) continue;
    if (child == target) at = siblings.size();
    if (TreeItemData* data = tree.Data(child)) siblings.push_back(data);
  }
  std::vector<std::pair<TreeItemData*, int64_t>> changes;
  if (!target || at >= siblings.size() || tree.Data(target) != siblings[at]) {
    // Without a target the node goes after every sibling: one more than the
    // largest number, which no sibling holds (when that is past the range,
    // the siblings are numbered again from 1).
    int64_t largest = 0;
    for (const TreeItemData* sibling : siblings) largest = std::max<int64_t>(largest, sibling->sequence);
    if (largest < INT32_MAX) {
      changes.emplace_back(placed, largest + 1);
    } else {
      for (size_t i = 0; i < siblings.size(); ++i) changes.emplace_back(siblings[i], static_cast<int64_t>(i) + 1);
      changes.emplace_back(placed, static_cast<int64_t>(siblings.size()) + 1);
    }
  } else {
    // The node goes before the target. Either it takes the target's number
    // and the target and the siblings after it move up by one, or it takes
    // one less and the siblings before it move down: only as far as the
    // numbers run without a gap, and on the side that rewrites fewer records
    // (each record is found by name, which is slow among thousands).
    std::vector<std::pair<TreeItemData*, int64_t>> up{{placed, siblings[at]->sequence}};
    for (size_t i = at; i < siblings.size(); ++i) {
      const int64_t before = up.back().second;
      if (siblings[i]->sequence > before) break;
      up.emplace_back(siblings[i], before + 1);
    }
    std::vector<std::pair<TreeItemData*, int64_t>> down{{placed, int64_t{siblings[at]->sequence} - 1}};
    for (size_t i = at; i-- > 0;) {
      const int64_t after = down.back().second;
      if (siblings[i]->sequence < after) break;
      down.emplace_back(siblings[i], after - 1);
    }
    auto fits = [](const std::vector<std::pair<TreeItemData*, int64_t>>& list) {
      for (const auto& change : list)
        if (change.second < INT32_MIN || change.second > INT32_MAX) return false;
      return true;
    };
    const bool upFits = fits(up), downFits = fits(down);
    changes = (downFits && (!upFits || down.size() < up.size())) ? down : up;
  }
  std::vector<std::pair<std::string, int32_t>> numbers;
  for (auto& [data, sequence] : changes) {
    data->sequence = static_cast<int32_t>(sequence);
    numbers.emplace_back(data->elementName, data->sequence);
  }
  WriteSequences(Folder(), parent ? tree.Path(parent) : NodePath{}, numbers);
  document_.SetModified();
  tree.SortChildren(parent);
}

void ContentCommands::DropNode(NodeRef dragged, NodeRef target) {
  if (!dragged || !target || dragged == target) return;
  if (IsAncestor(dragged, target)) {
    Message("Can not move a node under its child!", "Error Copy ", kWarning);
    return;
  }
  MoveNodeTo(dragged, target, false);
}

void ContentCommands::MoveNodeTo(NodeRef node, NodeRef target, bool copy) {
  TreeAccess& tree = host_.Tree();
  NodeRef oldParent = tree.Parent(node);
  NodeRef newParent = target ? tree.Parent(target) : nullptr;
  if (oldParent == newParent) {
    // Among its own siblings only its place changes, for a copy as for a move.
    Renumber(newParent, node, target);
    tree.Select(node);
    return;
  }
  host_.LeaveShownItem();
  const TreeItemData* data = tree.Data(node);
  const TreeItemData* at = target ? tree.Data(target) : nullptr;
  if (!data) return;
  const int32_t sequence = at ? at->sequence : NextSequenceUnder(newParent, nullptr);
  const NodePath parentPath = newParent ? tree.Path(newParent) : NodePath{};
  std::string elementName;
  HRESULT hr = CopyNode(Folder(), tree.Path(node), Folder(), parentPath, sequence, !copy, elementName);
  if (FAILED(hr)) {
    Message("The node could not be moved there.", Text(kTextFailCaption, "Fail"), kWarning);
    host_.ShowSelection();
    return;
  }
  document_.SetModified();
  TreeNode moved;
  ReadTreeNode(Folder(), parentPath, elementName, moved);
  if (!copy) tree.Delete(node);
  NodeRef placed = tree.InsertBranch(newParent, moved);
  if (!copy) AfterChildRemoved(oldParent);
  if (!placed) return;
  Renumber(newParent, placed, target);
  tree.Select(placed);
}

}  // namespace vellora
