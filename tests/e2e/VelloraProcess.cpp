#include "tests/e2e/VelloraProcess.h"

#include <cstdio>

#include "tests/TestSupport.h"

namespace vtest {

namespace {

constexpr char kKey[] = "Software\\Vellora";

struct FindRequest {
  DWORD pid;
  const char* className;
  const char* caption;
  bool visibleOnly;
  HWND found;
};

BOOL CALLBACK FindTopLevelProc(HWND hwnd, LPARAM param) {
  auto* r = reinterpret_cast<FindRequest*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != r->pid) return TRUE;
  if (r->visibleOnly && !IsWindowVisible(hwnd)) return TRUE;
  char cls[128] = "";
  GetClassNameA(hwnd, cls, sizeof cls);
  if (r->className && lstrcmpiA(cls, r->className) != 0) return TRUE;
  if (r->caption && WindowText(hwnd) != r->caption) return TRUE;
  r->found = hwnd;
  return FALSE;
}

void DeleteTree(HKEY parent, const char* sub) {
  HKEY key;
  if (RegOpenKeyExA(parent, sub, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
  char name[256];
  for (;;) {
    DWORD len = sizeof name;
    if (RegEnumKeyExA(key, 0, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    DeleteTree(key, name);
  }
  RegCloseKey(key);
  RegDeleteKeyA(parent, sub);
}

}  // namespace

std::string BinFolder() { return ProgramFolder(); }

std::string WindowText(HWND window) {
  char text[1024] = "";
  // WM_GETTEXT works across processes; GetWindowText would not read controls.
  SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000,
                      nullptr);
  return text;
}

VelloraProcess::~VelloraProcess() {
  Kill();
  if (info_.hProcess) CloseHandle(info_.hProcess);
  if (info_.hThread) CloseHandle(info_.hThread);
}

bool VelloraProcess::Start(const std::string& arguments, const std::string& program, int showCommand) {
  std::string exe = program.empty() ? BinFolder() + "\\Vellora.exe" : program;
  std::string commandLine = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
  STARTUPINFOA si = {sizeof si};
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = static_cast<WORD>(showCommand);
  std::string folder = exe.substr(0, exe.find_last_of('\\'));
  return CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si,
                        &info_) != FALSE;
}

HWND VelloraProcess::FindTopLevel(const char* className, const char* caption, bool visibleOnly) const {
  FindRequest r{info_.dwProcessId, className, caption, visibleOnly, nullptr};
  EnumWindows(FindTopLevelProc, reinterpret_cast<LPARAM>(&r));
  return r.found;
}

HWND VelloraProcess::WaitForMainWindow(DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (GetTickCount() - start < timeoutMs) {
    if (HWND w = FindTopLevel("VELLORA_SYSTEM")) return w;
    if (!Running()) return nullptr;
    Sleep(100);
  }
  return nullptr;
}

HWND VelloraProcess::WaitForWindow(const std::string& caption, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (GetTickCount() - start < timeoutMs) {
    if (HWND w = FindTopLevel(nullptr, caption.c_str())) return w;
    if (!Running()) return nullptr;
    Sleep(100);
  }
  return nullptr;
}

bool VelloraProcess::WaitForExit(DWORD timeoutMs, DWORD& exitCode) {
  if (!info_.hProcess) return false;
  if (WaitForSingleObject(info_.hProcess, timeoutMs) != WAIT_OBJECT_0) return false;
  GetExitCodeProcess(info_.hProcess, &exitCode);
  return true;
}

bool VelloraProcess::Running() const {
  return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

void VelloraProcess::Kill() {
  if (Running()) {
    TerminateProcess(info_.hProcess, 99);
    WaitForSingleObject(info_.hProcess, 5000);
  }
}

void ClickButton(HWND dialog, int id) {
  HWND button = GetDlgItem(dialog, id);
  if (!button) return;
  // BM_CLICK is posted so that a modal loop started by the click does not block us.
  PostMessageA(button, BM_CLICK, 0, 0);
}

bool AnswerFileDialog(HWND dialog, const std::string& path) {
  // The file name box of the common dialogs (edt1, or the combo box cmb13).
  HWND edit = GetDlgItem(dialog, 0x480);
  if (!edit) {
    HWND combo = GetDlgItem(dialog, 0x47C);
    edit = combo ? FindWindowExA(combo, nullptr, "Edit", nullptr) : nullptr;
    if (!edit) edit = combo;
  }
  if (!edit) return false;
  SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  return true;
}

std::string TextOf(HWND control) {
  std::string text(static_cast<size_t>(SendMessageA(control, WM_GETTEXTLENGTH, 0, 0)) + 1, '\0');
  LRESULT got = SendMessageA(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(got > 0 ? static_cast<size_t>(got) : 0);
  return text;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  for (DWORD start = GetTickCount(); GetTickCount() - start < timeoutMs; Sleep(50))
    if (condition()) return true;
  return condition();
}

void Key(WORD vk, bool up) {
  INPUT in = {};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  SendInput(1, &in, sizeof in);
}

void Press(WORD vk, WORD modifier) {
  if (modifier) Key(modifier, false);
  Key(vk, false);
  Key(vk, true);
  if (modifier) Key(modifier, true);
}

void Type(const std::string& text) {
  for (char c : text) {
    SHORT vk = VkKeyScanA(c);
    Press(static_cast<WORD>(vk & 0xFF), ((vk >> 8) & 1) ? VK_SHIFT : 0);
  }
}

void MouseTo(POINT screen) {
  SetCursorPos(screen.x, screen.y);
  INPUT in = {};
  in.type = INPUT_MOUSE;
  in.mi.dx = screen.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
  in.mi.dy = screen.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
  in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &in, sizeof in);
}

void MouseButton(bool up) {
  INPUT in = {};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = up ? MOUSEEVENTF_LEFTUP : MOUSEEVENTF_LEFTDOWN;
  SendInput(1, &in, sizeof in);
}

void Click(POINT screen) {
  MouseTo(screen);
  Sleep(100);
  MouseButton(false);
  Sleep(50);
  MouseButton(true);
  Sleep(300);
}

void ResetProgramRegistry() { DeleteTree(HKEY_CURRENT_USER, kKey); }

void SetRecentLibraries(const std::vector<std::string>& newestFirst) {
  HKEY key;
  std::string sub = std::string(kKey) + "\\Recent Document List";
  if (RegCreateKeyExA(HKEY_CURRENT_USER, sub.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return;
  DWORD count = 8;
  RegSetValueExA(key, "DocumentCount", 0, REG_DWORD, reinterpret_cast<BYTE*>(&count), sizeof count);
  for (size_t i = 0; i < newestFirst.size(); ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "Document%u", static_cast<unsigned>(i + 1));
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(newestFirst[i].c_str()),
                   static_cast<DWORD>(newestFirst[i].size() + 1));
  }
  RegCloseKey(key);
}

std::vector<std::string> RecentLibraries() {
  std::vector<std::string> out;
  HKEY key;
  std::string sub = std::string(kKey) + "\\Recent Document List";
  if (RegOpenKeyExA(HKEY_CURRENT_USER, sub.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return out;
  for (int i = 1; i <= 16; ++i) {
    char name[32], value[MAX_PATH + 1] = "";
    std::snprintf(name, sizeof name, "Document%d", i);
    DWORD size = MAX_PATH, type = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) != ERROR_SUCCESS) break;
    out.push_back(value);
  }
  RegCloseKey(key);
  return out;
}

}  // namespace vtest
