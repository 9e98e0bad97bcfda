#pragma once
// Automatic backups of a library: a copy of the file as it was before a
// session first writes to it, the last few kept in a "Backups" folder beside
// the library (or in a folder the user chose). Backups are only ever copied
// from, never opened for writing.
#include <windows.h>

#include <string>
#include <vector>

namespace vellora {

struct BackupPolicy {
  bool enabled = true;
  unsigned keep = 3;   // how many backups of one library are kept
  std::string folder;  // empty: "Backups" beside the library
};

// The policy kept under <key>\Backups: "Enabled" (REG_DWORD, 0 turns backups
// off), "Keep" (REG_DWORD, 1 to 99) and "Folder" (REG_SZ). Missing or wrong
// values keep their defaults.
BackupPolicy ReadBackupPolicy(HKEY root, const std::string& key);

struct BackupFile {
  std::string path;
  std::string stamp;  // "YYYYMMDD-HHMMSS-mmm", which sorts as the times do
};

class LibraryBackups {
 public:
  explicit LibraryBackups(BackupPolicy policy) : policy_(std::move(policy)) {}
  const BackupPolicy& Policy() const { return policy_; }

  // The folder the library's backups go into.
  std::string FolderFor(const std::string& libraryPath) const;
  // The library's backups, newest first.
  std::vector<BackupFile> List(const std::string& libraryPath) const;
  // Copies the library (which must not be open) into a new backup, unless
  // the newest backup already holds it as it is, and lets the oldest go
  // beyond the number kept. Answers the backup's path, or empty when none
  // was made (turned off, unchanged, or the copy failed: error says why).
  std::string Make(const std::string& libraryPath, std::string& error) const;
  // The newest backup that passes the structural check; empty when none does.
  std::string NewestSound(const std::string& libraryPath) const;

 private:
  std::string Prefix(const std::string& libraryPath) const;
  BackupPolicy policy_;
};

}  // namespace vellora
