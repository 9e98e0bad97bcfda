#include "collector/MainProgram.h"

#include <shellapi.h>

#include "platform/KernelHandle.h"
#include "platform/RegistryKey.h"

namespace vellora::collector {

HWND FindMainProgram() { return FindWindowA(kMainWindowClass, nullptr); }

ReleaseAnswer RequestRelease(HWND window, DWORD timeoutMs) {
  DWORD_PTR answer = 0;
  // Without SMTO_ABORTIFHUNG: a request that was given up on is always still
  // queued for a program that is busy saving, so it is never sent twice.
  if (!SendMessageTimeoutA(window, WM_RELEASE_LIBRARY, 0, 0, SMTO_NORMAL, timeoutMs, &answer))
    return ReleaseAnswer::NoAnswer;
  return answer == 1 ? ReleaseAnswer::Released : ReleaseAnswer::Refused;
}

void WaitForProcessEnd(DWORD processId, DWORD timeoutMs) {
  // A window of the browser's own process would never see it end.
  if (!processId || processId == GetCurrentProcessId()) return;
  KernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, processId));
  if (!process.Valid()) return;
  WaitForSingleObject(process.Get(), timeoutMs);
}

HRESULT OpenWithRetries(const std::function<HRESULT()>& open, int attempts, DWORD pauseMs) {
  HRESULT hr = E_FAIL;
  for (int i = 0; i < attempts; ++i) {
    hr = open();
    // A damaged file stays damaged: waiting does not help.
    if (SUCCEEDED(hr) || hr == STG_E_DOCFILECORRUPT) return hr;
    if (i + 1 < attempts) Sleep(pauseMs);
  }
  return hr;
}

bool StartMainProgram(const std::string& folder) {
  std::string program = folder + kMainProgramFile;
  auto result = reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "open", program.c_str(), nullptr, nullptr,
                                                        SW_SHOWNORMAL));
  return result > 32;
}

}  // namespace vellora::collector

namespace vellora::collector {

std::string NewestLibraryPath() {
  RegistryKey key;
  if (key.Open(HKEY_CURRENT_USER, "Software\\Vellora\\Recent Document List", KEY_READ) != ERROR_SUCCESS) return {};
  return key.ReadString("Document1", MAX_PATH, true).value_or(std::string());
}

}  // namespace vellora::collector
