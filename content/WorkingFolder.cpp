#include "app/frame/WorkingFolder.h"

#include <windows.h>

namespace vellora {

std::string WorkingFolderPath() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, n);
  return folder.substr(0, folder.find_last_of('\\') + 1) + "TempVL";
}

void RemoveWorkingFolder() {
  std::string folder = WorkingFolderPath();
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

}  // namespace vellora
