#pragma once
// The tests' ActiveX control (VelloraTestControl.dll beside the test
// programs), loaded once and registered for the run, with what it tells of
// itself: the log of its container's calls and its live objects.
#include <windows.h>

namespace vtest {

inline constexpr char kClassId[] = "{6F1B5A54-3C2E-4E8A-9A0C-5D1E2B7C9A41}";
inline constexpr char kProgId[] = "Vellora.TestControl";
inline constexpr char kUserType[] = "Vellora Test Control";

template <class F>
inline F Export(HMODULE module, const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// The control's DLL, loaded once and registered for the run.
struct TestControlDll {
  TestControlDll() {
    module = LoadLibraryA("VelloraTestControl.dll");
    if (!module) return;
    auto reg = Export<HRESULT(WINAPI*)()>(module, "DllRegisterServer");
    registered = reg && SUCCEEDED(reg());
    log = Export<const char*(WINAPI*)()>(module, "TestControlLog");
    clear = Export<void(WINAPI*)()>(module, "TestControlClearLog");
    live = Export<LONG(WINAPI*)()>(module, "TestControlLiveObjects");
  }
  ~TestControlDll() {
    if (auto unreg = Export<HRESULT(WINAPI*)()>(module, "DllUnregisterServer")) unreg();
  }
  HMODULE module = nullptr;
  bool registered = false;
  const char*(WINAPI* log)() = nullptr;
  void(WINAPI* clear)() = nullptr;
  LONG(WINAPI* live)() = nullptr;
};

inline TestControlDll& Dll() {
  static TestControlDll dll;
  return dll;
}

}  // namespace vtest
