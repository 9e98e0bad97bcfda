#include "store/LibraryBackups.h"

#include "store/PathParts.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "platform/RegistryKey.h"
#include "store/CompoundFileCheck.h"
#include "store/SafeFileReplace.h"

namespace vellora {

namespace {

constexpr char kStampPattern[] = "YYYYMMDD-HHMMSS-mmm";
constexpr size_t kStampLength = sizeof kStampPattern - 1;
constexpr char kExtension[] = ".vlx";

std::string WithoutExtension(const std::string& name) {
  size_t dot = name.find_last_of('.');
  return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

std::string FullPath(const std::string& path) {
  char full[MAX_PATH * 2];
  DWORD n = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  return n && n < sizeof full ? std::string(full, n) : path;
}

bool IsStamp(const std::string& text) {
  if (text.size() != kStampLength) return false;
  for (size_t i = 0; i < kStampLength; ++i) {
    bool dash = kStampPattern[i] == '-';
    if (dash ? text[i] != '-' : !std::isdigit(static_cast<unsigned char>(text[i]))) return false;
  }
  return true;
}

std::string StampNow() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  char text[32];
  std::snprintf(text, sizeof text, "%04u%02u%02u-%02u%02u%02u-%03u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                t.wSecond, t.wMilliseconds);
  return text;
}

bool SameFile(const WIN32_FILE_ATTRIBUTE_DATA& a, const WIN32_FILE_ATTRIBUTE_DATA& b) {
  return a.nFileSizeHigh == b.nFileSizeHigh && a.nFileSizeLow == b.nFileSizeLow &&
         CompareFileTime(&a.ftLastWriteTime, &b.ftLastWriteTime) == 0;
}

bool EnsureFolder(const std::string& folder) {
  if (CreateDirectoryA(folder.c_str(), nullptr)) return true;
  DWORD attributes = GetFileAttributesA(folder.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void RemoveBackup(const std::string& path) {
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(path.c_str());
}

}  // namespace

BackupPolicy ReadBackupPolicy(HKEY root, const std::string& key) {
  BackupPolicy policy;
  RegistryKey backups;
  if (backups.Open(root, (key + "\\Backups").c_str(), KEY_READ) != ERROR_SUCCESS) return policy;
  if (auto enabled = backups.ReadDword("Enabled")) policy.enabled = *enabled != 0;
  if (auto keep = backups.ReadDword("Keep"); keep && *keep >= 1 && *keep <= 99) policy.keep = *keep;
  if (auto folder = backups.ReadString("Folder", MAX_PATH)) policy.folder = *folder;
  return policy;
}

std::string LibraryBackups::FolderFor(const std::string& libraryPath) const {
  if (!policy_.folder.empty()) return policy_.folder;
  return ParentOf(FullPath(libraryPath)) + "\\Backups";
}

std::string LibraryBackups::Prefix(const std::string& libraryPath) const {
  std::string stem = WithoutExtension(LeafOf(libraryPath));
  if (policy_.folder.empty()) return stem + " ";
  // One folder for every library: libraries of one name in different
  // folders are told apart by a short hash of their full path.
  std::string full = FullPath(libraryPath);
  unsigned hash = 2166136261u;
  for (char c : full) {
    hash ^= static_cast<unsigned char>(std::tolower(static_cast<unsigned char>(c)));
    hash *= 16777619u;
  }
  char tag[16];
  std::snprintf(tag, sizeof tag, " %08x ", hash);
  return stem + tag;
}

std::vector<BackupFile> LibraryBackups::List(const std::string& libraryPath) const {
  std::vector<BackupFile> found;
  const std::string folder = FolderFor(libraryPath);
  const std::string prefix = Prefix(libraryPath);
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + "\\" + prefix + "*" + kExtension).c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return found;
  do {
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    std::string name = data.cFileName;
    if (name.size() != prefix.size() + kStampLength + sizeof kExtension - 1) continue;
    if (lstrcmpiA(name.substr(0, prefix.size()).c_str(), prefix.c_str()) != 0) continue;
    std::string stamp = name.substr(prefix.size(), kStampLength);
    if (!IsStamp(stamp)) continue;
    found.push_back({folder + "\\" + name, stamp});
  } while (FindNextFileA(find, &data));
  FindClose(find);
  std::sort(found.begin(), found.end(), [](const BackupFile& a, const BackupFile& b) { return a.stamp > b.stamp; });
  return found;
}

std::string LibraryBackups::Make(const std::string& libraryPath, std::string& error) const {
  error.clear();
  if (!policy_.enabled) return {};
  WIN32_FILE_ATTRIBUTE_DATA library;
  if (!GetFileAttributesExA(libraryPath.c_str(), GetFileExInfoStandard, &library)) {
    error = "the library file could not be read";
    return {};
  }
  std::vector<BackupFile> existing = List(libraryPath);
  // A library opened again without a change in between has its backup
  // already; another copy would only push an older one out.
  WIN32_FILE_ATTRIBUTE_DATA newest;
  if (!existing.empty() && GetFileAttributesExA(existing[0].path.c_str(), GetFileExInfoStandard, &newest) &&
      SameFile(library, newest))
    return {};
  const std::string folder = FolderFor(libraryPath);
  if (!EnsureFolder(folder)) {
    error = "the folder " + folder + " could not be made";
    return {};
  }
  std::string stamp = StampNow();
  std::string target = folder + "\\" + Prefix(libraryPath) + stamp + kExtension;
  for (int tries = 0; GetFileAttributesA(target.c_str()) != INVALID_FILE_ATTRIBUTES && tries < 50; ++tries) {
    Sleep(2);
    stamp = StampNow();
    target = folder + "\\" + Prefix(libraryPath) + stamp + kExtension;
  }
  // The copy keeps the library's time of last writing, which tells an
  // unchanged library next time.
  if (!CopyFileA(libraryPath.c_str(), target.c_str(), TRUE)) {
    char text[64];
    std::snprintf(text, sizeof text, "the copy failed (system error %lu)", GetLastError());
    error = text;
    DeleteFileA(target.c_str());
    return {};
  }
  // Marked read-only: nothing of ours, nor the user by mistake, writes into it.
  SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY);
  existing.insert(existing.begin(), {target, stamp});
  for (size_t i = policy_.keep; i < existing.size(); ++i) RemoveBackup(existing[i].path);
  return target;
}

std::string LibraryBackups::NewestSound(const std::string& libraryPath) const {
  for (const BackupFile& backup : List(libraryPath))
    if (CheckCompoundFile(backup.path.c_str()).Sound()) return backup.path;
  return {};
}

}  // namespace vellora
