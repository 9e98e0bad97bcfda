#pragma once
// Drives the real Vellora.exe from this process, as a user would: starts it,
// finds its windows, answers its dialogs by their captions, reads controls.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace vtest {

class VelloraProcess {
 public:
  VelloraProcess() = default;
  ~VelloraProcess();
  VelloraProcess(const VelloraProcess&) = delete;
  VelloraProcess& operator=(const VelloraProcess&) = delete;

  // Starts program (default: Vellora.exe beside this test) with the given
  // command line arguments, as they would be typed.
  bool Start(const std::string& arguments, const std::string& program = {}, int showCommand = SW_SHOWNORMAL);
  // The main window ("VELLORA_SYSTEM") once it is visible; null on time-out.
  HWND WaitForMainWindow(DWORD timeoutMs = 20000);
  // A top-level window of the process with that caption; null on time-out.
  HWND WaitForWindow(const std::string& caption, DWORD timeoutMs = 20000);
  // True when the process ended within the time; exitCode gets its code.
  bool WaitForExit(DWORD timeoutMs, DWORD& exitCode);
  bool Running() const;
  DWORD Id() const { return info_.dwProcessId; }
  void Kill();

  // Any top-level window of the process (visible or not) of the class.
  HWND FindTopLevel(const char* className, const char* caption = nullptr, bool visibleOnly = true) const;

 private:
  PROCESS_INFORMATION info_ = {};
};

// The folder of this test program, where Vellora.exe lies.
std::string BinFolder();
std::string WindowText(HWND window);
// Clicks a button of a dialog of another process.
void ClickButton(HWND dialog, int id);
// Types a file name into a file dialog and accepts it.
bool AnswerFileDialog(HWND dialog, const std::string& path);

// A control's whole text, asked of the control itself (GetWindowText gives only
// the caption of another process's window).
std::string TextOf(HWND control);

// Polls until the condition holds (true) or the time is up (false).
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 20000);

// Real input, as the keyboard and the mouse give it to the window in front.
void Key(WORD vk, bool up);
void Press(WORD vk, WORD modifier = 0);
void Type(const std::string& text);
void MouseTo(POINT screen);
void MouseButton(bool up);
void Click(POINT screen);

// The program's own registry key, emptied for a test: the tests share one
// Wine prefix and run one at a time (CTest resource lock).
void ResetProgramRegistry();
void SetRecentLibraries(const std::vector<std::string>& newestFirst);
std::vector<std::string> RecentLibraries();

}  // namespace vtest
