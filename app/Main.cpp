// Program entry: string table, COM, common controls and the rich edit
// library; then the main window, its placement, and the message loop.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <string>

#include "app/ErrorLog.h"
#include "app/StringTable.h"
#include "app/frame/MainFrame.h"
#include "platform/CallbackGuard.h"

namespace vellora {

namespace {

// Where the callback walls report what they caught: the program's error log.
ErrorLog* g_callbackLog = nullptr;

void LogCallbackFailure(const char* where, const char* what) {
  if (g_callbackLog) g_callbackLog->Write("callback failed in %s: %s", where ? where : "?", what ? what : "?");
}

}  // namespace

// The one application object: what lives as long as the program.
class Application {
 public:
  bool LoadStrings() { return texts_.LoadForProgram(); }
  int Run(const std::string& startupPath, int showCommand);

 private:
  StringTable texts_;
  ErrorLog log_{"error"};
};

std::string StartupPath(const char* commandLine) {
  std::string path = commandLine ? commandLine : "";
  while (!path.empty() && (path.front() == '"' || path.front() == ' ')) path.erase(path.begin());
  while (!path.empty() && (path.back() == '"' || path.back() == ' ')) path.pop_back();
  return path;
}

int Application::Run(const std::string& startupPath, int showCommand) {
  g_callbackLog = &log_;
  SetCallbackFailureReporter(LogCallbackFailure);
  FrameSetup setup;
  setup.startupPath = startupPath;
  MainFrame frame(texts_, log_, setup);
  if (!frame.CreateFrame()) return 0;
  frame.RestorePlacement(showCommand);
  frame.UpdateCommandUi();
  MSG msg = {};
  for (;;) {
    // Idle pass: once the queue is empty, bring the toolbars up to date.
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) frame.UpdateCommandUi();
    BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) break;
    if (frame.Handle() && (frame.PreTranslate(msg) || frame.TranslateAccelerator(msg))) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  SetCallbackFailureReporter(nullptr);
  g_callbackLog = nullptr;
  return static_cast<int>(msg.wParam);
}

}  // namespace vellora

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int showCommand) {
  vellora::Application app;
  if (!app.LoadStrings()) return 0;
  // OLE, not only COM: the hosted controls and the rich edit's drag and drop need it.
  OleInitialize(nullptr);
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_BAR_CLASSES | ICC_USEREX_CLASSES | ICC_COOL_CLASSES};
  InitCommonControlsEx(&icc);
  INITCOMMONCONTROLSEX tree = {sizeof tree, ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&tree);
  HMODULE richEdit = LoadLibraryA("RICHED20.DLL");
  int result = app.Run(vellora::StartupPath(commandLine), showCommand);
  if (richEdit) FreeLibrary(richEdit);
  OleUninitialize();
  return result;
}
