#pragma once
// The text notes of one branch of a tree folder, or of the whole folder, in
// the tree's order, gathered for printing: their titles and where they are.
// Their text is read only when their pages are reached. Protected nodes are
// asked for as the walk reaches them, as the readable export asks; one whose
// password is not given stays out with everything below it. No window is
// involved.
#include <windows.h>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "store/StorageHandle.h"

namespace vellora {

struct BranchNote {
  std::string title;
  std::vector<std::string> path;  // element names from the tree folder down to the leaf
};

struct BranchWalk {
  // Element names from the folder down to the branch's node; empty: the whole folder.
  std::vector<std::string> branch;
  std::string folderTitle;  // the first part of the title paths the unlock is asked with
  // Whether the user gives the password of a protected node ("Folder/Node/Child",
  // the password stored); unset: no protected node is read.
  std::function<bool(const std::string& titlePath, const std::string& stored)> unlock;
  // The nodes done and their total; false stops the walk.
  std::function<bool(size_t done, size_t total)> progress;
};

enum class BranchWalkStatus { kDone, kNotFound, kCancelled };

// The largest note a printout reads; a bigger one prints as far as this.
inline constexpr size_t kMaxPrintedNoteBytes = 64u << 20;

class BranchNotes {
 public:
  // folder must stay open while the notes are read (the document's current folder).
  explicit BranchNotes(const StorageHandle& folder) : folder_(folder) {}

  size_t Count() const { return notes.size(); }
  // The note's rich text; false when it cannot be read.
  bool ReadText(size_t note, std::string& rtf) const;

  std::vector<BranchNote> notes;
  size_t leftOut = 0;     // protected nodes left out, with every node below them
  size_t otherKinds = 0;  // leaves that hold something else than a note

 private:
  const StorageHandle& folder_;
};

// Walks the branch (or the folder) and lists its notes into out.
BranchWalkStatus GatherBranchNotes(const StorageHandle& folder, const BranchWalk& walk, BranchNotes& out);

}  // namespace vellora
