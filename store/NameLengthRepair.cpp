#include "store/NameLengthRepair.h"

#include <cstdio>
#include <cstring>

#include "store/MappedFile.h"

namespace vellora {

namespace {

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Writes the bytes into a new file; false (and no file) when it could not be done whole.
bool WriteCopy(const std::string& path, const uint8_t* bytes, uint64_t size, std::string& failure) {
  bool whole = false;
  {
    KernelHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) {
      failure = "The copy " + path + " could not be made; the file was not touched.";
      return false;
    }
    whole = true;
    constexpr uint64_t kSlice = 4u << 20;
    for (uint64_t at = 0; at < size && whole; at += kSlice) {
      DWORD want = static_cast<DWORD>(size - at < kSlice ? size - at : kSlice);
      DWORD put = 0;
      whole = WriteFile(file.Get(), bytes + at, want, &put, nullptr) && put == want;
    }
    whole = whole && FlushFileBuffers(file.Get());
  }
  if (!whole) {
    DeleteFileA(path.c_str());
    failure = "The copy " + path + " could not be written whole; the file was not touched.";
  }
  return whole;
}

}  // namespace

std::string RepairBackupPath(const std::string& path) {
  std::string candidate = path + ".bak";
  for (int n = 2; Exists(candidate) && n < 1000; ++n) candidate = path + ".bak" + std::to_string(n);
  return candidate;
}

std::string NameLengthRepair::Summary() const {
  char count[32];
  std::snprintf(count, sizeof count, "%lu", static_cast<unsigned long>(fieldsWritten));
  switch (result) {
    case RepairResult::kRepaired:
      return std::string("The lengths of ") + count + " names in the file's directory were put right; nothing else "
             "was written. The file as it was is kept as\n" + backupPath;
    case RepairResult::kNothingToRepair:
      return "No damage was found; the file was not touched.";
    case RepairResult::kRefused:
      return "Only wrong name lengths can be repaired in place; this file has other damage and was not touched.";
    case RepairResult::kFailed:
      break;
  }
  return "The repair could not be done. " + failure;
}

NameLengthRepair RepairNameLengths(const std::string& path, const std::string& backupPath) {
  NameLengthRepair out;
  // Nobody else may open the file while it is checked, copied and mended, so
  // the bytes checked are the bytes copied and the bytes written.
  KernelHandle file(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) {
    out.failure = "The file could not be opened for writing (it may be open in a program); it was not touched.";
    return out;
  }
  LARGE_INTEGER size = {};
  if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart <= 0 || size.QuadPart > 0x60000000LL) {
    out.failure = "The file's size cannot be mapped; it was not touched.";
    return out;
  }
  {
    KernelHandle mapping(CreateFileMappingA(file.Get(), nullptr, PAGE_READWRITE, 0, 0, nullptr));
    MappedView view(mapping.Valid() ? MapViewOfFile(mapping.Get(), FILE_MAP_WRITE, 0, 0, 0) : nullptr);
    if (!view.Get()) {
      out.failure = "The file could not be mapped; it was not touched.";
      return out;
    }
    auto* bytes = static_cast<uint8_t*>(view.Get());
    const uint64_t length = static_cast<uint64_t>(size.QuadPart);
    out.before = CheckCompoundFileBytes(bytes, length);
    if (out.before.Sound()) {
      out.result = RepairResult::kNothingToRepair;
      return out;
    }
    if (!out.before.Repairable()) {
      out.result = RepairResult::kRefused;
      return out;
    }
    if (Exists(backupPath) || !WriteCopy(backupPath, bytes, length, out.failure)) {
      if (out.failure.empty()) out.failure = "The copy " + backupPath + " already exists; the file was not touched.";
      return out;
    }
    out.backupPath = backupPath;
    for (const NameLengthFix& fix : out.before.nameLengthFixes) {
      if (fix.offset + 2 > length) continue;  // the reader never names such a place; never write past the end
      bytes[fix.offset] = static_cast<uint8_t>(fix.bytes & 0xFF);
      bytes[fix.offset + 1] = static_cast<uint8_t>(fix.bytes >> 8);
      ++out.fieldsWritten;
    }
    if (!FlushViewOfFile(bytes, 0)) out.failure = "The file could not be written.";
  }
  FlushFileBuffers(file.Get());
  file = KernelHandle();
  CompoundFileReport after = CheckCompoundFile(path.c_str());
  if (!out.failure.empty() || !after.Sound()) {
    // Whatever went wrong, the file goes back to what it was.
    bool restored = CopyFileA(backupPath.c_str(), path.c_str(), FALSE) != 0;
    if (out.failure.empty()) out.failure = "The file did not check sound afterwards.";
    if (restored) out.failure += " It was put back from the copy.";
    else out.failure += " Put it back from the copy " + backupPath + ".";
    out.fieldsWritten = 0;
    return out;
  }
  out.result = RepairResult::kRepaired;
  return out;
}

}  // namespace vellora
