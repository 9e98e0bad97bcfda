#include "app/StringTable.h"

#include <windows.h>

#include <cstdio>
#include <memory>

namespace vellora {

namespace {

struct FileCloser {
  void operator()(FILE* f) const {
    if (f) fclose(f);
  }
};

}  // namespace

bool StringTable::Load(const std::string& path) {
  std::unique_ptr<FILE, FileCloser> file(fopen(path.c_str(), "rb"));
  if (!file) return false;
  if (fseek(file.get(), 0, SEEK_END) != 0) return false;
  long size = ftell(file.get());
  if (size < 0 || fseek(file.get(), 0, SEEK_SET) != 0) return false;

  std::vector<char> bytes(static_cast<size_t>(size) + 1, '\0');
  if (size > 0 && fread(bytes.data(), 1, static_cast<size_t>(size), file.get()) !=
                      static_cast<size_t>(size))
    return false;
  bytes_.swap(bytes);
  size_ = static_cast<size_t>(size);
  return true;
}

std::string StringTable::ProgramTablePath() {
  char module[MAX_PATH + 1] = {};
  DWORD n = GetModuleFileNameA(nullptr, module, MAX_PATH);
  std::string path(module, n < MAX_PATH ? n : MAX_PATH);
  size_t slash = path.find_last_of('\\');
  path.erase(slash == std::string::npos ? 0 : slash + 1);
  return path + "Cnfg\\StringTable.stb";
}

bool StringTable::LoadForProgram() { return Load(ProgramTablePath()); }

const char* StringTable::At(int offset) const {
  if (offset < 0 || static_cast<size_t>(offset) >= size_) return nullptr;
  return bytes_.data() + offset;
}

}  // namespace vellora
