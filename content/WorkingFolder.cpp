#include "content/WorkingFolder.h"

#include <windows.h>

namespace vellora {

std::string WorkingFolderPath() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, n);
  return folder.substr(0, folder.find_last_of('\\') + 1) + "TempVL";
}

void RemoveWorkingFolder(const std::string& folder) {
  if (GetFileAttributesA(folder.c_str()) == INVALID_FILE_ATTRIBUTES) return;
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA((folder + "\\*.*").c_str(), &found);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      std::string file = folder + "\\" + name;
      SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileA(file.c_str());
    } while (FindNextFileA(h, &found));
    FindClose(h);
  }
  RemoveDirectoryA(folder.c_str());
}

bool EnsureWorkingFolder(const std::string& folder) {
  DWORD attributes = GetFileAttributesA(folder.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  return CreateDirectoryA(folder.c_str(), nullptr) != FALSE;
}

}  // namespace vellora
