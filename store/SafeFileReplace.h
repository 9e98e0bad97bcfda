#pragma once
// Putting a new copy of a library in the place of the old one so that a crash
// or a power cut at any moment leaves one whole library at the path: the copy
// is written beside it, flushed to the disk and checked, then one replacing
// rename. Also the names of the copies such a replacement, or the two-rename
// replacement of earlier versions, can leave behind.
#include <windows.h>

#include <string>
#include <vector>

namespace vellora {

// Writes the file's cached data to the disk (opening it for writing, sharing
// everything, so a library open in this process can be flushed too). False
// when it could not be opened or flushed.
bool FlushFileToDisk(const std::string& path);

// The copy a repack writes beside the library before it takes its place.
std::string RepackCopyPath(const std::string& libraryPath);

// Where an earlier version's repack set the library aside before moving its
// new copy in, and the folder-wide name it wrote that copy under.
std::string EarlierAsidePath(const std::string& libraryPath);

enum class ReplaceResult {
  kReplaced,
  kCopyUnsound,    // the new copy failed the structural check; nothing was touched
  kFlushFailed,    // the new copy could not be flushed; nothing was touched
  kRenameFailed,   // the rename failed; the library is as it was
};

// Flushes the replacement, checks its structure, and renames it over target
// in one step. Before the rename the target is untouched; after it the
// target is the flushed, checked copy.
ReplaceResult ReplaceWithCheckedCopy(const std::string& replacement, const std::string& target);

// A copy that may stand in for a missing or damaged library.
struct LeftoverCopy {
  enum class Kind { kRepackCopy, kEarlierAside, kEarlierTempCopy, kBackup };
  Kind kind = Kind::kRepackCopy;
  std::string path;
  FILETIME written = {};
  ULONGLONG size = 0;
};

// The copies an interrupted repack (this version's or an earlier one's) may
// have left of the library that pass the structural check, the most likely
// first: this version's copy beside it, the earlier version's aside copy,
// then the earlier version's copy in the temporary folder (which any library
// may have left, so it is offered last).
std::vector<LeftoverCopy> FindRepackLeftovers(const std::string& libraryPath, const std::string& tempFolder);

// "2026-12-09 11:48" for messages.
std::string DescribeFileTime(const FILETIME& written);

}  // namespace vellora
