#pragma once
// Owned kernel objects: a handle closed with CloseHandle (files, mappings,
// processes, threads, events) and a mapped view of a file, each let go exactly
// once, when its owner goes or is given another.
#include <windows.h>

#include "platform/OwnedHandle.h"

namespace vellora {

namespace detail {
// CreateFile answers INVALID_HANDLE_VALUE where others answer null: neither is closed.
inline BOOL WINAPI CloseKernelHandle(HANDLE h) { return h != INVALID_HANDLE_VALUE ? CloseHandle(h) : FALSE; }
inline BOOL WINAPI UnmapView(void* view) { return UnmapViewOfFile(view); }
}  // namespace detail

class KernelHandle : public OwnedHandle<HANDLE, detail::CloseKernelHandle> {
 public:
  using OwnedHandle::OwnedHandle;
  bool Valid() const { return Get() != nullptr && Get() != INVALID_HANDLE_VALUE; }
};

using MappedView = OwnedHandle<void*, detail::UnmapView>;

}  // namespace vellora
