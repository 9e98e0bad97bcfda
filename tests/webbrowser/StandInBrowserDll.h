#pragma once
// The tests' stand-in web browser (VelloraStandInBrowser.dll beside the test
// programs): loaded once and registered under the web browser's class id for
// the run, with what it tells of itself (the log of what the program asked of
// it, its live objects). The platform's own registration comes back when the
// run ends, or at once through RestorePlatform.
#include <windows.h>

#include <string>
#include <vector>

namespace vtest::web {

// The browser's command group (the web view's view-source command is its 2).
inline constexpr GUID kCommandGroupWebBrowser = {
    0xed016940, 0xbd5b, 0x11cf, {0xba, 0x4e, 0x00, 0xc0, 0x4f, 0xd7, 0x08, 0x16}};
// The environment variable naming a file that receives every log line too
// (for a browser held by another process, such as Vellora.exe).
inline constexpr char kLogFileVariable[] = "VELLORA_STANDIN_LOG";
// The class of the window the stand-in paints its address in.
inline constexpr char kWindowClass[] = "VelloraStandInBrowser";

class StandInBrowserDll {
 public:
  // Loads the DLL; registers it unless asked not to.
  explicit StandInBrowserDll(bool registerIt = true) {
    module_ = LoadLibraryA("VelloraStandInBrowser.dll");
    if (!module_) return;
    log_ = Export<const char*(WINAPI*)()>("StandInLog");
    clear_ = Export<void(WINAPI*)()>("StandInClearLog");
    live_ = Export<LONG(WINAPI*)()>("StandInLiveObjects");
    if (registerIt) registered_ = SUCCEEDED(Register());
  }
  ~StandInBrowserDll() {
    if (registered_) Unregister();
  }
  StandInBrowserDll(const StandInBrowserDll&) = delete;
  StandInBrowserDll& operator=(const StandInBrowserDll&) = delete;

  bool Loaded() const { return module_ && log_ && clear_ && live_; }
  bool Registered() const { return registered_; }

  HRESULT Register() { return Call("DllRegisterServer"); }
  HRESULT Unregister() { return Call("DllUnregisterServer"); }
  // The platform's own registration back, whatever an earlier run left.
  HRESULT RestorePlatform() { return Call("StandInRestorePlatformBrowser"); }

  std::string Log() const { return log_ ? log_() : ""; }
  void ClearLog() const {
    if (clear_) clear_();
  }
  LONG LiveObjects() const { return live_ ? live_() : -1; }

  // The log's lines that start with the prefix ("navigate", "key", ...).
  std::vector<std::string> Lines(const std::string& prefix = {}) const {
    std::vector<std::string> lines;
    const std::string log = Log();
    size_t at = 0;
    while (at < log.size()) {
      size_t end = log.find('\n', at);
      if (end == std::string::npos) end = log.size();
      std::string line = log.substr(at, end - at);
      if (line.compare(0, prefix.size(), prefix) == 0) lines.push_back(line);
      at = end + 1;
    }
    return lines;
  }

 private:
  template <class F>
  F Export(const char* name) const {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
  }
  HRESULT Call(const char* name) {
    auto function = Export<HRESULT(WINAPI*)()>(name);
    return function ? function() : E_NOTIMPL;
  }

  HMODULE module_ = nullptr;
  bool registered_ = false;
  const char*(WINAPI* log_)() = nullptr;
  void(WINAPI* clear_)() = nullptr;
  LONG(WINAPI* live_)() = nullptr;
};

// The stand-in, registered for the rest of the run.
inline StandInBrowserDll& StandIn() {
  static StandInBrowserDll dll;
  return dll;
}

}  // namespace vtest::web
