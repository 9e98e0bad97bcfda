#pragma once
// Owned kernel handles and a read-only view of a whole file, for the
// transfers and checks that move a file through a mapping instead of a loop.
#include <windows.h>

#include <cstdint>
#include <utility>

namespace vellora {

class KernelHandle {
 public:
  explicit KernelHandle(HANDLE h = nullptr) : h_(h) {}
  ~KernelHandle() {
    if (Valid()) CloseHandle(h_);
  }
  KernelHandle(const KernelHandle&) = delete;
  KernelHandle& operator=(const KernelHandle&) = delete;
  KernelHandle(KernelHandle&& other) noexcept : h_(std::exchange(other.h_, nullptr)) {}
  KernelHandle& operator=(KernelHandle&& other) noexcept {
    if (this != &other) {
      if (Valid()) CloseHandle(h_);
      h_ = std::exchange(other.h_, nullptr);
    }
    return *this;
  }
  HANDLE Get() const { return h_; }
  bool Valid() const { return h_ != nullptr && h_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE h_;
};

class MappedView {
 public:
  explicit MappedView(void* view = nullptr) : view_(view) {}
  ~MappedView() {
    if (view_) UnmapViewOfFile(view_);
  }
  MappedView(const MappedView&) = delete;
  MappedView& operator=(const MappedView&) = delete;
  MappedView(MappedView&& other) noexcept : view_(std::exchange(other.view_, nullptr)) {}
  MappedView& operator=(MappedView&& other) noexcept {
    if (this != &other) {
      if (view_) UnmapViewOfFile(view_);
      view_ = std::exchange(other.view_, nullptr);
    }
    return *this;
  }
  void* Get() const { return view_; }

 private:
  void* view_;
};

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
