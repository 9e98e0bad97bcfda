// What the whole DLL shares: its instance handle, its object and lock counts,
// and the paths derived from its own file name.
#pragma once
#include <windows.h>

#include <string>

namespace vellora::collector {

// The module that holds the collector's resources; the DLL sets it when it
// is loaded. Code linked into another module uses that module's handle.
HINSTANCE ModuleInstance();
void SetModuleInstance(HINSTANCE instance);

// Counts that decide DllCanUnloadNow; changed with interlocked operations.
void ObjectCreated();
void ObjectDestroyed();
void LockServer(bool lock);
bool CanUnload();

// The module's full file name.
std::string ModulePath();
// The menu page: the module path with its last three characters made "htm".
std::string MenuPagePath(const std::string& modulePath);
// The module's folder including its last backslash.
std::string ModuleFolder(const std::string& modulePath);

}  // namespace vellora::collector
