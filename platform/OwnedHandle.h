#pragma once
// The one owner of a system handle: whatever it holds is released with Close
// exactly once, when the owner goes or is given another handle; moving hands
// the handle over, copying is not possible.
#include <utility>

namespace vellora {

// One owned handle; Close is the function that releases it.
template <typename H, auto Close>
class OwnedHandle {
 public:
  OwnedHandle() = default;
  explicit OwnedHandle(H handle) : handle_(handle) {}
  ~OwnedHandle() { Reset(); }
  OwnedHandle(const OwnedHandle&) = delete;
  OwnedHandle& operator=(const OwnedHandle&) = delete;
  OwnedHandle(OwnedHandle&& other) noexcept : handle_(other.Release()) {}
  OwnedHandle& operator=(OwnedHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }

  H Get() const { return handle_; }
  operator H() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  H Release() { return std::exchange(handle_, nullptr); }
  void Reset(H handle = nullptr) {
    if (handle_ && handle_ != handle) Close(handle_);
    handle_ = handle;
  }

 private:
  H handle_ = nullptr;
};

}  // namespace vellora
