#include "store/MappedFile.h"

namespace vellora {

bool MappedFile::Open(const char* path) {
  error_ = 0;
  size_ = 0;
  if (!path) {
    error_ = ERROR_INVALID_PARAMETER;
    return false;
  }
  KernelHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) {
    error_ = GetLastError();
    return false;
  }
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.Get(), &size)) {
    error_ = GetLastError();
    return false;
  }
  // A 32-bit process cannot map more than a part of its address space.
  if (size.QuadPart > 0x60000000LL) {
    error_ = ERROR_FILE_TOO_LARGE;
    return false;
  }
  if (size.QuadPart > 0) {
    KernelHandle mapping(CreateFileMappingA(file.Get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping.Valid()) {
      error_ = GetLastError();
      return false;
    }
    MappedView view(MapViewOfFile(mapping.Get(), FILE_MAP_READ, 0, 0, 0));
    if (!view.Get()) {
      error_ = GetLastError();
      return false;
    }
    mapping_ = std::move(mapping);
    view_ = std::move(view);
  }
  file_ = std::move(file);
  size_ = static_cast<uint64_t>(size.QuadPart);
  return true;
}

}  // namespace vellora
