#include "collector/MainProgram.h"

#include <shellapi.h>

namespace vellora::collector {

HWND FindMainProgram() { return FindWindowA(kMainWindowClass, nullptr); }

ReleaseAnswer RequestRelease(HWND window, DWORD timeoutMs) {
  DWORD_PTR answer = 0;
  // Without SMTO_ABORTIFHUNG: a request that was given up on is always still
  // queued for a program that is busy saving, so it is never sent twice.
  if (!SendMessageTimeoutA(window, kReleaseLibraryMessage, 0, 0, SMTO_NORMAL, timeoutMs, &answer))
    return ReleaseAnswer::NoAnswer;
  return answer == 1 ? ReleaseAnswer::Released : ReleaseAnswer::Refused;
}

void WaitForProcessEnd(DWORD processId, DWORD timeoutMs) {
  // A window of the browser's own process would never see it end.
  if (!processId || processId == GetCurrentProcessId()) return;
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);
  if (!process) return;
  WaitForSingleObject(process, timeoutMs);
  CloseHandle(process);
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
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Vellora\\Recent Document List", 0, KEY_READ, &key) != ERROR_SUCCESS)
    return {};
  char path[MAX_PATH + 1] = "";
  DWORD size = MAX_PATH;
  DWORD type = 0;
  LONG error = RegQueryValueExA(key, "Document1", nullptr, &type, reinterpret_cast<BYTE*>(path), &size);
  RegCloseKey(key);
  if (error != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return {};
  // The stored value need not end with its NUL.
  path[size < MAX_PATH ? size : MAX_PATH] = '\0';
  return path;
}

}  // namespace vellora::collector
