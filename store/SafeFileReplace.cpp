#include "store/SafeFileReplace.h"

#include <cstdio>

#include "platform/KernelHandle.h"
#include "store/CompoundFileCheck.h"

namespace vellora {

namespace {

bool Attributes(const std::string& path, WIN32_FILE_ATTRIBUTE_DATA& out) {
  return GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &out) &&
         !(out.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

void AddIfSound(LeftoverCopy::Kind kind, const std::string& path, std::vector<LeftoverCopy>& out) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!Attributes(path, data)) return;
  if (!CheckCompoundFile(path.c_str()).Sound()) return;
  LeftoverCopy copy;
  copy.kind = kind;
  copy.path = path;
  copy.written = data.ftLastWriteTime;
  copy.size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  out.push_back(copy);
}

}  // namespace

bool FlushFileToDisk(const std::string& path) {
  KernelHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  return file.Valid() && FlushFileBuffers(file.Get());
}

std::string RepackCopyPath(const std::string& libraryPath) { return libraryPath + ".repack-new"; }
std::string EarlierAsidePath(const std::string& libraryPath) { return libraryPath + ".repack-old"; }

ReplaceResult ReplaceWithCheckedCopy(const std::string& replacement, const std::string& target) {
  if (!FlushFileToDisk(replacement)) return ReplaceResult::kFlushFailed;
  if (!CheckCompoundFile(replacement.c_str()).Sound()) return ReplaceResult::kCopyUnsound;
  // One rename: the path holds the old library up to it and the new one
  // after it; write-through puts the rename itself on the disk before it
  // returns.
  if (!MoveFileExA(replacement.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return ReplaceResult::kRenameFailed;
  return ReplaceResult::kReplaced;
}

std::vector<LeftoverCopy> FindRepackLeftovers(const std::string& libraryPath, const std::string& tempFolder) {
  std::vector<LeftoverCopy> found;
  if (libraryPath.empty()) return found;
  AddIfSound(LeftoverCopy::Kind::kRepackCopy, RepackCopyPath(libraryPath), found);
  AddIfSound(LeftoverCopy::Kind::kEarlierAside, EarlierAsidePath(libraryPath), found);
  std::string temp = tempFolder;
  if (!temp.empty() && temp.back() != '\\' && temp.back() != '/') temp += '\\';
  AddIfSound(LeftoverCopy::Kind::kEarlierTempCopy, temp + "ForReplace.vlx", found);
  return found;
}

std::string DescribeFileTime(const FILETIME& written) {
  FILETIME local;
  SYSTEMTIME t;
  if (!FileTimeToLocalFileTime(&written, &local) || !FileTimeToSystemTime(&local, &t)) return "?";
  char text[32];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute);
  return text;
}

}  // namespace vellora
