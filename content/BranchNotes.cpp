// The notes of a branch or a tree folder gathered for printing, and the
// command side that asks for the branch, the passwords and tells what was
// left out.
#include "content/BranchNotes.h"

#include <algorithm>

#include "content/CommandIds.h"
#include "content/ContentCommands.h"
#include "content/ItemSource.h"
#include "store/LibraryFormat.h"
#include "store/NodeTree.h"

namespace vellora {

namespace {

class Walker {
 public:
  Walker(const BranchWalk& walk, BranchNotes& out) : walk_(walk), out_(out) {}

  BranchWalkStatus Run(const std::vector<TreeNode>& roots, const std::vector<std::string>& parents,
                       const std::string& parentTitles) {
    total_ = CountNodes(roots);
    if (!Report()) return BranchWalkStatus::kCancelled;
    for (const TreeNode& node : roots)
      if (!Visit(node, parents, parentTitles)) return BranchWalkStatus::kCancelled;
    return BranchWalkStatus::kDone;
  }

 private:
  bool Report() { return !walk_.progress || walk_.progress(done_, total_); }

  bool Visit(const TreeNode& node, std::vector<std::string> parents, const std::string& parentTitles) {
    const std::string titlePath = parentTitles + "/" + node.title;
    if (node.HasPassword() && !(walk_.unlock && walk_.unlock(titlePath, node.password))) {
      const size_t skipped = 1 + CountNodes(node.children);
      out_.leftOut += skipped;
      done_ += skipped;
      return Report();
    }
    parents.push_back(node.elementName);
    ++done_;
    if (node.isFolderNode) {
      if (!Report()) return false;
      for (const TreeNode& child : node.children)
        if (!Visit(child, parents, titlePath)) return false;
      return true;
    }
    if (node.kind == kItemText) out_.notes.push_back({node.title, parents});
    else ++out_.otherKinds;
    return Report();
  }

  const BranchWalk& walk_;
  BranchNotes& out_;
  size_t done_ = 0, total_ = 0;
};

}  // namespace

bool BranchNotes::ReadText(size_t note, std::string& rtf) const {
  rtf.clear();
  if (note >= notes.size()) return false;
  LeafNodeSource source(folder_, notes[note].path, kItemText, notes[note].title);
  OpenedItem item;
  if (FAILED(source.Open(false, item)) || FAILED(item.SeekContent())) return false;
  char buffer[65536];
  while (rtf.size() < kMaxPrintedNoteBytes) {
    ULONG got = 0;
    if (FAILED(item.Content().ReadBytes(buffer, sizeof buffer, &got))) return false;
    rtf.append(buffer, got);
    if (got < sizeof buffer) break;
  }
  if (rtf.size() > kMaxPrintedNoteBytes) rtf.resize(kMaxPrintedNoteBytes);
  return true;
}

BranchWalkStatus GatherBranchNotes(const StorageHandle& folder, const BranchWalk& walk, BranchNotes& out) {
  std::vector<TreeNode> roots;
  LoadTree(folder, roots);
  std::vector<std::string> parents;
  std::string titles = walk.folderTitle;
  // The branch's node is found by its element names: titles may repeat among siblings.
  for (size_t k = 0; k < walk.branch.size(); ++k) {
    auto it = std::find_if(roots.begin(), roots.end(),
                           [&](const TreeNode& n) { return n.elementName == walk.branch[k]; });
    if (it == roots.end()) return BranchWalkStatus::kNotFound;
    if (k + 1 == walk.branch.size()) {
      TreeNode found = std::move(*it);
      roots.clear();
      roots.push_back(std::move(found));
      break;
    }
    parents.push_back(it->elementName);
    titles += "/" + it->title;
    std::vector<TreeNode> children = std::move(it->children);
    roots = std::move(children);
  }
  return Walker(walk, out).Run(roots, parents, titles);
}

// ---- the command side -------------------------------------------------------------

bool ContentCommands::GatherNotesToPrint(UINT id, BranchNotes& out, std::string& name) {
  const bool branch = id == ID_PRINT_BRANCH || id == ID_PREVIEW_BRANCH;
  if (host_.GroupKind(host_.SelectedGroup()) != kFolderTree) {
    Message("Please select a tree folder first.", "Tip", MB_OK | MB_ICONWARNING);
    return false;
  }
  BranchWalk walk;
  walk.folderTitle = document_.CurrentFolderName();
  name = walk.folderTitle;
  if (branch) {
    TreeAccess& tree = host_.Tree();
    NodeRef node = tree.Selected();
    if (!node) {
      Message("Please select a tree node first.", "Tip", MB_OK | MB_ICONWARNING);
      return false;
    }
    walk.branch = tree.Path(node);
    name = tree.Title(node);
  }
  // The note shown prints with the edits not stored yet.
  host_.StoreShownItem();
  // As the export does: each protected node is asked for as the walk reaches
  // it; the first one the user cancels ends the asking.
  bool asking = true;
  walk.unlock = [this, &asking](const std::string& titlePath, const std::string& stored) {
    if (!asking) return false;
    if (prompt_.AskPassword(titlePath, stored)) return true;
    asking = false;
    return false;
  };
  BranchWalkStatus status;
  {
    std::unique_ptr<ProgressReport> progress = prompt_.BeginProgress("Gathering the notes of " + name);
    walk.progress = [&progress](size_t done, size_t total) { return !progress || progress->Step(done, total); };
    status = GatherBranchNotes(Folder(), walk, out);
  }
  if (status == BranchWalkStatus::kCancelled) return false;
  if (status == BranchWalkStatus::kNotFound) {
    Message("\"" + name + "\" is no longer in the library.", Text(kTextFailCaption, "Fail"), MB_OK | MB_ICONWARNING);
    return false;
  }
  std::string leftOut;
  if (out.leftOut)
    leftOut = std::to_string(out.leftOut) + " protected node(s) whose password was not given are left out.";
  if (out.notes.empty()) {
    Message("There is no note to print in \"" + name + "\"." + (leftOut.empty() ? "" : "\n\n" + leftOut), "Print",
            MB_OK | MB_ICONINFORMATION);
    return false;
  }
  if (!leftOut.empty()) Message(leftOut, "Print", MB_OK | MB_ICONINFORMATION);
  return true;
}

}  // namespace vellora
