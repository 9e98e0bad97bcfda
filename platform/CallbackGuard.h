#pragma once
// The wall in front of every Win32 callback (window and dialog procedures,
// hooks, stream and sort callbacks): nothing thrown gets through it. What was
// caught goes to the reporter the program installs (its error log) and the
// callback answers its safe value.
#include <exception>
#include <utility>

namespace vellora {

using CallbackFailureReporter = void (*)(const char* where, const char* what);

// Installed once at start-up; without one, failures are only sent to the debugger.
void SetCallbackFailureReporter(CallbackFailureReporter reporter);
void ReportCallbackFailure(const char* where, const char* what);

template <class R, class F>
R Guarded(const char* where, R safe, F&& work) noexcept {
  try {
    return std::forward<F>(work)();
  } catch (const std::exception& e) {
    ReportCallbackFailure(where, e.what());
  } catch (...) {
    ReportCallbackFailure(where, "unknown exception");
  }
  return safe;
}

}  // namespace vellora
