#include "collector/CollectorModule.h"

namespace vellora::collector {

namespace {

HINSTANCE g_instance = nullptr;
LONG g_objects = 0;
LONG g_locks = 0;

}  // namespace

HINSTANCE ModuleInstance() { return g_instance ? g_instance : GetModuleHandleA(nullptr); }
void SetModuleInstance(HINSTANCE instance) { g_instance = instance; }

void ObjectCreated() { InterlockedIncrement(&g_objects); }
void ObjectDestroyed() { InterlockedDecrement(&g_objects); }
void LockServer(bool lock) {
  if (lock) InterlockedIncrement(&g_locks);
  else InterlockedDecrement(&g_locks);
}
bool CanUnload() { return InterlockedCompareExchange(&g_objects, 0, 0) == 0 && InterlockedCompareExchange(&g_locks, 0, 0) == 0; }

std::string ModulePath() {
  char buffer[MAX_PATH] = "";
  DWORD n = GetModuleFileNameA(ModuleInstance(), buffer, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return {};
  return std::string(buffer, n);
}

std::string MenuPagePath(const std::string& modulePath) {
  if (modulePath.size() < 3) return modulePath;
  return modulePath.substr(0, modulePath.size() - 3) + "htm";
}

std::string ModuleFolder(const std::string& modulePath) {
  size_t slash = modulePath.find_last_of('\\');
  return slash == std::string::npos ? std::string() : modulePath.substr(0, slash + 1);
}

}  // namespace vellora::collector
