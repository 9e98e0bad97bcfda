#pragma once
// Owned kernel objects: a handle closed with CloseHandle (files, mappings,
// processes, threads, events) and a mapped view of a file, each let go exactly
// once, when its owner goes or is given another.
#include <windows.h>

#include <utility>

namespace vellora {

class KernelHandle {
 public:
  explicit KernelHandle(HANDLE h = nullptr) : h_(h) {}
  ~KernelHandle() { Reset(); }
  KernelHandle(const KernelHandle&) = delete;
  KernelHandle& operator=(const KernelHandle&) = delete;
  KernelHandle(KernelHandle&& other) noexcept : h_(other.Release()) {}
  KernelHandle& operator=(KernelHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  HANDLE Get() const { return h_; }
  // CreateFile answers INVALID_HANDLE_VALUE where others answer null.
  bool Valid() const { return h_ != nullptr && h_ != INVALID_HANDLE_VALUE; }
  HANDLE Release() { return std::exchange(h_, nullptr); }
  void Reset(HANDLE h = nullptr) {
    HANDLE old = std::exchange(h_, h);
    if (old != h && old != nullptr && old != INVALID_HANDLE_VALUE) CloseHandle(old);
  }

 private:
  HANDLE h_;
};

class MappedView {
 public:
  explicit MappedView(void* view = nullptr) : view_(view) {}
  ~MappedView() { Reset(); }
  MappedView(const MappedView&) = delete;
  MappedView& operator=(const MappedView&) = delete;
  MappedView(MappedView&& other) noexcept : view_(std::exchange(other.view_, nullptr)) {}
  MappedView& operator=(MappedView&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.view_, nullptr));
    return *this;
  }
  void* Get() const { return view_; }
  void Reset(void* view = nullptr) {
    void* old = std::exchange(view_, view);
    if (old && old != view) UnmapViewOfFile(old);
  }

 private:
  void* view_;
};

}  // namespace vellora
