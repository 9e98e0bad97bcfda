#pragma once
// Mends the one fault of a library file that can be mended in place: name
// length fields of its directory that disagree with the names beside them.
// Nothing else in the file is ever written, and only after a copy of the
// file as it was has been kept beside it.
#include <string>

#include "store/CompoundFileCheck.h"

namespace vellora {

enum class RepairResult {
  kRepaired,         // the fields were written and the file checks sound
  kNothingToRepair,  // the file is sound: not touched, no copy made
  kRefused,          // other damage than wrong name lengths: not touched
  kFailed,           // could not be done; the file is as it was
};

struct NameLengthRepair {
  RepairResult result = RepairResult::kFailed;
  std::string backupPath;  // the copy of the file as it was (kRepaired only)
  size_t fieldsWritten = 0;
  CompoundFileReport before;  // the check that decided
  std::string failure;        // why, for kFailed
  // One or two sentences for the user.
  std::string Summary() const;
};

// The name the copy of path takes: path + ".bak", or with a number added
// when that name is taken.
std::string RepairBackupPath(const std::string& path);

// Holds the file exclusively while it checks it, copies it to backupPath
// (which must not exist) and writes the right name lengths, then checks it
// again; when that second check is not sound, the copy is put back.
NameLengthRepair RepairNameLengths(const std::string& path, const std::string& backupPath);

}  // namespace vellora
