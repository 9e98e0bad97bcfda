#pragma once
// Automatic backups of a library: a copy of the file as it was before a
// session first writes to it, the last few kept in a "Backups" folder beside
// the library (or in a folder the user chose). Backups are only ever copied
// from, never opened for writing.
#include <windows.h>

#include <string>
#include <vector>

namespace vellora {

constexpr unsigned kFewestBackupsKept = 1;
constexpr unsigned kMostBackupsKept = 99;
// A chosen folder leaves this much of MAX_PATH to the backups' own names.
constexpr size_t kMaxBackupFolderBytes = 200;

struct BackupPolicy {
  bool enabled = true;
  unsigned keep = 3;   // how many backups of one library are kept
  std::string folder;  // empty: "Backups" beside the library
};

// The policy kept under <key>\Backups: "Enabled" (REG_DWORD, 0 turns backups
// off), "Keep" (REG_DWORD, 1 to 99) and "Folder" (REG_SZ). Missing or wrong
// values keep their defaults; a stored folder that CheckBackupFolder refuses
// is taken as none (the backups go beside the library).
BackupPolicy ReadBackupPolicy(HKEY root, const std::string& key);
// Writes the policy there, the count held to 1..99 and an empty folder as no
// "Folder" value. Writes nothing and answers ERROR_INVALID_PARAMETER when
// the folder is refused; otherwise ERROR_SUCCESS or the registry's error.
LONG WriteBackupPolicy(HKEY root, const std::string& key, const BackupPolicy& policy);

// Why folder cannot hold the backups of every library, as a sentence for the
// user; empty when it can. Empty is the "Backups" folder beside each
// library; anything else must be a full path (a drive's or a share's) of at
// most 200 bytes, in the system code page, without the characters Windows
// keeps out of paths. The folder need not exist yet.
std::string CheckBackupFolder(const std::string& folder);
// name's path in folder: one backslash between them, none added after a
// folder that ends in one (a drive's root), read character by character in
// the system code page (a character whose second byte is 0x5C does not end
// in a backslash).
std::string JoinedPath(const std::string& folder, const std::string& name);

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
