#pragma once
// A small owning pointer for COM interfaces: releases what it holds when it is
// reassigned or destroyed, so no early return leaks an interface.
#include <unknwn.h>
#include <utility>

namespace vellora {

template <class I>
class ComPtr {
 public:
  ComPtr() = default;
  explicit ComPtr(I* adopt) : p_(adopt) {}
  ComPtr(const ComPtr& other) : p_(other.p_) { if (p_) p_->AddRef(); }
  ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  ~ComPtr() { Reset(); }
  ComPtr& operator=(ComPtr other) noexcept { std::swap(p_, other.p_); return *this; }

  void Reset(I* adopt = nullptr) {
    I* old = std::exchange(p_, adopt);
    if (old) old->Release();
  }
  I* Get() const { return p_; }
  I* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  // For calls that hand back a new interface: releases the held one first.
  I** Put() { Reset(); return &p_; }
  void** PutVoid() { return reinterpret_cast<void**>(Put()); }
  I* Detach() { return std::exchange(p_, nullptr); }

 private:
  I* p_ = nullptr;
};

}  // namespace vellora
