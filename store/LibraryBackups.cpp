#include "store/LibraryBackups.h"

#include "store/PathParts.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

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

// The characters of a path in the system code page: a lead byte and the byte
// after it are one character, whatever that byte is (a trail byte may be
// 0x5C, the backslash, or 0x7C, the bar). Empty when the text ends in a lone
// lead byte.
struct PathCharacter {
  size_t bytes;
  char single;  // the character when it is a single byte, else 0
};
std::vector<PathCharacter> PathCharacters(const std::string& text) {
  std::vector<PathCharacter> out;
  for (size_t i = 0; i < text.size();) {
    if (IsDBCSLeadByte(static_cast<BYTE>(text[i]))) {
      if (i + 1 >= text.size() || text[i + 1] == '\0') return {};
      out.push_back({2, 0});
      i += 2;
    } else {
      out.push_back({1, text[i]});
      ++i;
    }
  }
  return out;
}

bool IsSeparator(const PathCharacter& c) { return c.single == '\\' || c.single == '/'; }

// A drive's full path ("C:\..."), or a share's ("\\server\share...").
bool IsFullPath(const std::vector<PathCharacter>& c) {
  if (c.size() >= 3 && std::isalpha(static_cast<unsigned char>(c[0].single)) && c[1].single == ':' &&
      IsSeparator(c[2]))
    return true;
  if (c.size() < 5 || !IsSeparator(c[0]) || !IsSeparator(c[1])) return false;
  size_t i = 2;
  size_t server = i;
  while (i < c.size() && !IsSeparator(c[i])) ++i;
  if (i == server || i == c.size()) return false;
  size_t share = ++i;
  while (i < c.size() && !IsSeparator(c[i])) ++i;
  return i > share;
}

}  // namespace

std::string JoinedPath(const std::string& folder, const std::string& name) {
  std::vector<PathCharacter> chars = PathCharacters(folder);
  if (!chars.empty() && IsSeparator(chars.back())) return folder + name;
  return folder + "\\" + name;
}

std::string CheckBackupFolder(const std::string& folder) {
  if (folder.empty()) return {};
  if (folder.size() > kMaxBackupFolderBytes)
    return "The folder is longer than " + std::to_string(kMaxBackupFolderBytes) + " bytes: choose a shorter one.";
  std::vector<PathCharacter> chars = PathCharacters(folder);
  if (chars.empty()) return "The folder ends in half a double-byte character.";
  for (size_t i = 0; i < chars.size(); ++i) {
    const char c = chars[i].single;
    if (chars[i].bytes == 2) continue;
    if (static_cast<unsigned char>(c) < 0x20) return "The folder may not hold control characters.";
    // A colon belongs only after a drive letter.
    if (std::strchr("<>\"|?*", c) || (c == ':' && i != 1))
      return std::string("The folder may not hold the character ") + c + ".";
  }
  if (!IsFullPath(chars)) return "The folder must be a full path, such as C:\\Backups.";
  return {};
}

BackupPolicy ReadBackupPolicy(HKEY root, const std::string& key) {
  BackupPolicy policy;
  RegistryKey backups;
  if (backups.Open(root, (key + "\\Backups").c_str(), KEY_READ) != ERROR_SUCCESS) return policy;
  if (auto enabled = backups.ReadDword("Enabled")) policy.enabled = *enabled != 0;
  if (auto keep = backups.ReadDword("Keep"); keep && *keep >= kFewestBackupsKept && *keep <= kMostBackupsKept)
    policy.keep = *keep;
  if (auto folder = backups.ReadString("Folder", MAX_PATH); folder && CheckBackupFolder(*folder).empty())
    policy.folder = *folder;
  return policy;
}

LONG WriteBackupPolicy(HKEY root, const std::string& key, const BackupPolicy& policy) {
  if (!CheckBackupFolder(policy.folder).empty()) return ERROR_INVALID_PARAMETER;
  RegistryKey backups;
  LONG result = backups.Create(root, (key + "\\Backups").c_str(), KEY_SET_VALUE);
  if (result != ERROR_SUCCESS) return result;
  if ((result = backups.WriteDword("Enabled", policy.enabled ? 1 : 0)) != ERROR_SUCCESS) return result;
  const unsigned keep = std::clamp(policy.keep, kFewestBackupsKept, kMostBackupsKept);
  if ((result = backups.WriteDword("Keep", keep)) != ERROR_SUCCESS) return result;
  if (!policy.folder.empty()) return backups.WriteString("Folder", policy.folder);
  result = backups.DeleteValue("Folder");
  return result == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : result;
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
  HANDLE find = FindFirstFileA(JoinedPath(folder, prefix + "*" + kExtension).c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return found;
  do {
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    std::string name = data.cFileName;
    if (name.size() != prefix.size() + kStampLength + sizeof kExtension - 1) continue;
    if (lstrcmpiA(name.substr(0, prefix.size()).c_str(), prefix.c_str()) != 0) continue;
    std::string stamp = name.substr(prefix.size(), kStampLength);
    if (!IsStamp(stamp)) continue;
    found.push_back({JoinedPath(folder, name), stamp});
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
  std::string target = JoinedPath(folder, Prefix(libraryPath) + stamp + kExtension);
  for (int tries = 0; GetFileAttributesA(target.c_str()) != INVALID_FILE_ATTRIBUTES && tries < 50; ++tries) {
    Sleep(2);
    stamp = StampNow();
    target = JoinedPath(folder, Prefix(libraryPath) + stamp + kExtension);
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
