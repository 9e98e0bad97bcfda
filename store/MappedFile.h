#pragma once
// A read-only view of a whole file, for the transfers and checks that move a
// file through a mapping instead of a loop.
#include <windows.h>

#include <cstdint>

#include "platform/KernelHandle.h"

namespace vellora {

// A whole file mapped for reading. The file is opened sharing read access
// only, so nobody writes it while it is looked at.
class MappedFile {
 public:
  // False when the file cannot be opened; an empty file opens with no bytes.
  bool Open(const char* path);
  const uint8_t* Bytes() const { return static_cast<const uint8_t*>(view_.Get()); }
  uint64_t Size() const { return size_; }
  // The error of the failed open (GetLastError), 0 when it opened.
  DWORD Error() const { return error_; }

 private:
  KernelHandle file_;
  KernelHandle mapping_;
  MappedView view_;
  uint64_t size_ = 0;
  DWORD error_ = 0;
};

}  // namespace vellora
