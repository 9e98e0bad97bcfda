#include "platform/CallbackGuard.h"

#include <windows.h>

#include <atomic>
#include <string>

namespace vellora {

namespace {
std::atomic<CallbackFailureReporter> g_reporter{nullptr};
}

void SetCallbackFailureReporter(CallbackFailureReporter reporter) { g_reporter = reporter; }

void ReportCallbackFailure(const char* where, const char* what) {
  // The reporter itself must not throw back through the wall.
  try {
    std::string line = std::string("callback failed in ") + (where ? where : "?") + ": " + (what ? what : "?");
    OutputDebugStringA((line + "\n").c_str());
    if (CallbackFailureReporter reporter = g_reporter.load()) reporter(where, what);
  } catch (...) {
  }
}

}  // namespace vellora
