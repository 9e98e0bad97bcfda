// Opens a library in the real main frame and prints how long creating the
// frame (open, folders, last location, tree shown) and painting it take.
//   FrameBenchmark <library> [rounds]
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <cstdio>
#include <cstdlib>

#include "app/ErrorLog.h"
#include "app/StringTable.h"
#include "app/frame/MainFrame.h"
#include "tools/BenchmarkTiming.h"

using namespace vellora;

namespace {


}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: FrameBenchmark <library> [rounds]\n");
    return 2;
  }
  int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
  CoInitialize(nullptr);
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_BAR_CLASSES | ICC_USEREX_CLASSES | ICC_COOL_CLASSES |
                                              ICC_TREEVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  HMODULE richEdit = LoadLibraryA("RICHED20.DLL");
  StringTable texts;
  if (!texts.LoadForProgram()) return 1;
  ErrorLog log("error");
  for (int round = 1; round <= rounds; ++round) {
    FrameSetup setup;
    setup.startupPath = argv[1];
    setup.registryKey = "Software\\VelloraBenchmark";
    LARGE_INTEGER t0, t1, t2;
    double expandAll = 0, catalog = 0;
    QueryPerformanceCounter(&t0);
    {
      MainFrame frame(texts, log, setup);
      if (!frame.CreateFrame()) {
        std::fprintf(stderr, "cannot open %s\n", argv[1]);
        return 1;
      }
      QueryPerformanceCounter(&t1);
      frame.RestorePlacement(SW_SHOWNORMAL);
      UpdateWindow(frame.Handle());
      Pump();
      QueryPerformanceCounter(&t2);
      // Expand All reads every branch that was left in the file.
      LARGE_INTEGER e0, e1;
      QueryPerformanceCounter(&e0);
      SendMessageA(frame.Handle(), WM_COMMAND, 32881, 0);
      Pump();
      QueryPerformanceCounter(&e1);
      expandAll = Milliseconds(e0, e1);
      // Then the first catalog folder, as a click on its group header would.
      OutBarNotify note = {1, -1, {0, 0}};
      LARGE_INTEGER c0, c1;
      QueryPerformanceCounter(&c0);
      SendMessageA(frame.Handle(), OutBarNotifyMessage(), kOutBarGroupSelected, reinterpret_cast<LPARAM>(&note));
      UpdateWindow(frame.Handle());
      Pump();
      QueryPerformanceCounter(&c1);
      catalog = Milliseconds(c0, c1);
      DestroyWindow(frame.Handle());
      Pump();
    }
    std::printf(
        "round %d: open and show the tree %7.1f ms, show and paint %6.1f ms, expand all %7.1f ms, "
        "catalog folder %6.1f ms\n",
        round, Milliseconds(t0, t1), Milliseconds(t1, t2), expandAll, catalog);
  }
  if (richEdit) FreeLibrary(richEdit);
  CoUninitialize();
  return 0;
}
