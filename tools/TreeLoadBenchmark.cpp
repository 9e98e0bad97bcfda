// Times what showing a big library costs: opening the file, reading the tree
// folder's nodes, putting them into a real tree view, and reading a catalog
// folder's items. Run it on a library made by
//   MakeSampleLibrary <path> --nodes 10000 --items 1000 [--sequential]
// Usage: TreeLoadBenchmark <library.vlx> [--rounds N]
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "content/CatalogItems.h"
#include "views/TreeModel.h"
#include "content/TreeNodes.h"
#include "store/LibraryDocument.h"
#include "tools/BenchmarkSupport.h"
#include "tools/QuietDocument.h"

using namespace vellora;

namespace {


class StderrSink : public DiagnosticSink {
 public:
  void Report(const std::string& message) override { std::fprintf(stderr, "%s\n", message.c_str()); }
};


void Report(const char* what, double ms, const char* detail = "") {
  std::printf("%-34s %10.1f ms  %s\n", what, ms, detail);
  std::fflush(stdout);
}

void PumpMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

// The frame stands in for the main window: it hands the tree's deletion
// notifications to the model.
TreeModel* g_model = nullptr;

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NOTIFY && g_model) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header->code == TVN_DELETEITEMA) g_model->OnItemDeleted(*reinterpret_cast<const NMTREEVIEWA*>(lParam));
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// The first folder of the kind in outlook-bar order.
std::string FirstFolderOfKind(const LibraryDocument& doc, uint16_t kind) {
  std::string best;
  int bestOrder = 0x10000;
  for (const auto& [name, info] : doc.Folders()) {
    if (info.kind == kind && info.order < bestOrder) {
      best = name;
      bestOrder = info.order;
    }
  }
  return best;
}

int Run(const std::string& path, int rounds) {
  INITCOMMONCONTROLSEX init = {sizeof init, ICC_TREEVIEW_CLASSES};
  InitCommonControlsEx(&init);
  WNDCLASSA wc = {};
  wc.lpfnWndProc = FrameProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "TreeLoadBenchmarkFrame";
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  RegisterClassA(&wc);
  HWND frame = CreateWindowExA(0, wc.lpszClassName, "Tree load benchmark", WS_OVERLAPPEDWINDOW, 0, 0, 300, 700,
                               nullptr, nullptr, wc.hInstance, nullptr);
  HWND tree = CreateWindowExA(WS_EX_CLIENTEDGE, WC_TREEVIEWA, "",
                              WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT |
                                  TVS_EDITLABELS | TVS_SHOWSELALWAYS,
                              0, 0, 280, 660, frame, reinterpret_cast<HMENU>(102), wc.hInstance, nullptr);
  if (!frame || !tree) {
    std::fprintf(stderr, "cannot create the tree view\n");
    return 1;
  }
  ShowWindow(frame, SW_SHOWNOACTIVATE);
  UpdateWindow(frame);
  PumpMessages();

  QuietHost host;
  NoPrompt prompt;
  NoTexts texts;
  StderrSink sink;
  DocumentSetup setup;
  setup.registryKey = "Software\\VelloraTools";
  LibraryDocument doc(host, prompt, texts, sink, setup);
  TreeModel model;
  model.Attach(tree);
  g_model = &model;
  char detail[160];

  Stopwatch watch;
  if (!doc.OpenLibrary(path) || doc.IsScratch()) {
    std::fprintf(stderr, "cannot open %s\n", path.c_str());
    return 1;
  }
  std::snprintf(detail, sizeof detail, "%u folders", static_cast<unsigned>(doc.Folders().size()));
  Report("open library", watch.Milliseconds(), detail);

  const std::string treeFolder = FirstFolderOfKind(doc, kFolderTree);
  const std::string catalogFolder = FirstFolderOfKind(doc, kFolderCatalog);
  for (int round = 1; round <= rounds; ++round) {
    std::printf("-- round %d\n", round);
    watch.Restart();
    HRESULT hr = doc.SelectCurrentFolder(treeFolder);
    Report("select tree folder (transacted)", watch.Milliseconds(), treeFolder.c_str());
    if (FAILED(hr)) return 1;

    std::vector<TreeNode> roots;
    watch.Restart();
    hr = LoadTree(doc.CurrentFolder(), roots);
    std::snprintf(detail, sizeof detail, "%u nodes, hr 0x%08lX", static_cast<unsigned>(CountNodes(roots)),
                  static_cast<unsigned long>(hr));
    Report("LoadTree", watch.Milliseconds(), detail);

    watch.Restart();
    model.Fill(roots);
    double fill = watch.Milliseconds();
    std::snprintf(detail, sizeof detail, "%d items (first fill clears %s)",
                  static_cast<int>(SendMessageA(tree, TVM_GETCOUNT, 0, 0)), round == 1 ? "nothing" : "the last");
    Report("FillTreeView", fill, detail);

    watch.Restart();
    UpdateWindow(tree);
    PumpMessages();
    Report("first paint after the fill", watch.Milliseconds());

    // Walk to the deepest first leaf and open it through its path.
    HTREEITEM item = model.FirstChild(HTREEITEM{});
    while (item && model.FirstChild(item)) item = model.FirstChild(item);
    watch.Restart();
    OpenedNode node;
    hr = OpenNodeRecord(doc.CurrentFolder(), model.NodePath(item), true, node);
    std::snprintf(detail, sizeof detail, "%s, hr 0x%08lX", model.TitleOf(item).c_str(), static_cast<unsigned long>(hr));
    Report("open a deep leaf by its path", watch.Milliseconds(), detail);
    node.Release();

    watch.Restart();
    hr = doc.SelectCurrentFolder(catalogFolder);
    Report("select catalog folder (transacted)", watch.Milliseconds(), catalogFolder.c_str());
    if (FAILED(hr)) return 1;

    // Walking the names alone shows how much of the load is the file's own
    // directory look-ups rather than reading records.
    watch.Restart();
    int names = 0;
    doc.CurrentFolder().ForEachElement([&](const STATSTG&, const std::string&) { return ++names, true; });
    std::snprintf(detail, sizeof detail, "%d elements", names);
    Report("enumerate the catalog folder only", watch.Milliseconds(), detail);

    std::vector<CatalogItemEntry> items;
    watch.Restart();
    hr = LoadCatalogFolder(doc, catalogFolder, items);
    std::snprintf(detail, sizeof detail, "%u items, counter %ld", static_cast<unsigned>(items.size()),
                  static_cast<long>(doc.ItemCounter()));
    Report("LoadCatalogItems", watch.Milliseconds(), detail);
  }

  watch.Restart();
  model.Clear();
  Report("clear the tree view", watch.Milliseconds());
  g_model = nullptr;
  DestroyWindow(frame);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: TreeLoadBenchmark <library.vlx> [--rounds N]\n");
    return 2;
  }
  int rounds = 2;
  for (int i = 2; i < argc; ++i)
    if (!std::strcmp(argv[i], "--rounds") && i + 1 < argc) rounds = std::atoi(argv[++i]);
  if (rounds < 1) rounds = 1;
  CoInitialize(nullptr);
  int result = Run(argv[1], rounds);
  CoUninitialize();
  return result;
}
