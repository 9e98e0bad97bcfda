// The DLL's entry point, the four exports of an in-process COM server and
// DllInstall, which regsvr32 /n /i:user calls for a registration per user.
#include <windows.h>
#include <objbase.h>

#include "collector/CollectorModule.h"
#include "collector/HtmlCatch.h"
#include "collector/Registration.h"

using namespace vellora::collector;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    SetModuleInstance(instance);
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() { return CanUnload() ? S_OK : S_FALSE; }

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
  return GetClassObject(clsid, iid, object);
}

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() { return RegisterServer(ModulePath()); }

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() { return UnregisterServer(ModulePath()); }

extern "C" HRESULT STDAPICALLTYPE DllInstall(BOOL install, LPCWSTR commandLine) {
  return InstallServer(install != FALSE, commandLine, ModulePath());
}
