// Times the tab pages view under Wine with the real text view as its page
// view: showing an item of 50 text pages, switching tabs between two pages
// of 100 KB, and beside it the text view's own load of one 100 KB note. The
// items live in a catalog folder held open transacted, as the program holds
// its current folder.
// Usage: TabPagesBenchmark [work folder] [--pages N] [--rounds N]
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "content/ItemSource.h"
#include "store/LibraryFormat.h"
#include "store/StorageHandle.h"
#include "tools/BenchmarkSupport.h"
#include "tools/BenchmarkTiming.h"
#include "tools/QuietContentPrompt.h"
#include "views/TabPagesView.h"
#include "views/TextView.h"

using namespace vellora;

namespace {

// A note of about `bytes` characters in lines of about fifty.
std::string NoteRtf(size_t bytes, const char* word) {
  std::string rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Tahoma;}}\\f0\\fs20 ";
  size_t text = 0;
  for (int i = 0; text < bytes; ++i) {
    std::string line = std::to_string(i);
    while (line.size() < 50) line += std::string(" ") + word;
    if (i % 4 == 0) line = "{\\b " + line + "}";
    rtf += line + "\\par\n";
    text += line.size() + 1;
  }
  return rtf + "}";
}

bool WriteContent(const StorageHandle& storage, const char* stream, const std::string& bytes) {
  StreamHandle out;
  if (FAILED(storage.CreateStream(stream, kReplaceMode, out))) return false;
  return SUCCEEDED(out.WriteBytes(bytes.data(), static_cast<ULONG>(bytes.size())));
}

// A tab pages item whose pages are all notes: the item as the program makes
// it, its file folder page taken out and text pages added up to `pages`.
bool MakeTextBinder(const StorageHandle& folder, const char* name, int32_t itemId, int pages, size_t pageBytes) {
  if (FAILED(CreateItem(folder, kItemTabPages, name, itemId, kFolderItemInfo, kFolderItemContent, {}))) return false;
  StorageHandle binder;
  if (FAILED(folder.OpenStorage(name, kWriteMode, binder))) return false;
  binder.DestroyElement("Files");
  for (int p = 1; p < pages; ++p) {
    const std::string title = "Page " + std::to_string(p + 1);
    if (FAILED(CreateItem(binder, kItemText, title.c_str(), p, kTabPageItemInfo, kTabPageItemContent, {})))
      return false;
  }
  bool written = true;
  int index = 0;
  binder.ForEachElement([&](const STATSTG& stat, const std::string& page) {
    if (stat.type != STGTY_STORAGE) return true;
    StorageHandle storage = binder.OpenStorageFor(page.c_str(), false);
    written = written && storage && WriteContent(storage, kTabPageItemContent,
                                                 NoteRtf(pageBytes, index++ % 2 ? "page" : "word"));
    return true;
  });
  return written;
}

// Times `run`, `rounds` times, each after `prepare` (not timed); what
// either posts is handled before the clock stops or starts.
template <class Prepare, class Run>
Figures Time(int rounds, Prepare prepare, Run run) {
  Figures figures;
  for (int r = 0; r < rounds; ++r) {
    prepare();
    Pump();
    Stopwatch watch;
    run();
    Pump();
    figures.Add(watch.Milliseconds());
  }
  return figures;
}

void Report(const char* what, const Figures& f, const std::string& detail) {
  std::printf("%-44s %8.1f ms average, %8.1f ms worst, %8.1f ms first  %s\n", what, f.Average(), f.worst, f.first,
              detail.c_str());
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  CoInitialize(nullptr);
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_BAR_CLASSES | ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  HMODULE richEdit = LoadLibraryA("RICHED20.DLL");
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string work = argc > 1 && argv[1][0] != '-' ? argv[1] : std::string(temp) + "TabPagesBenchmark";
  CreateDirectoryA(work.c_str(), nullptr);
  const int pageCount = std::max(2, ArgumentAfter(argc, argv, "--pages", 50));
  const int rounds = std::max(1, ArgumentAfter(argc, argv, "--rounds", 6));
  const std::string path = work + "\\tabpages.vlx";

  StorageHandle root, folder;
  {
    StorageHandle created;
    if (FAILED(root.CreateRoot(path.c_str(), kReplaceMode)) || FAILED(root.CreateStorage("Folder", kWriteMode, created))) {
      std::fprintf(stderr, "cannot make %s\n", path.c_str());
      return 1;
    }
    constexpr size_t kSmallPage = 2000, kBigPage = 100000;
    bool made = MakeTextBinder(created, "Fifty", 1, pageCount, kSmallPage) &&
                MakeTextBinder(created, "Two", 2, 2, kBigPage) &&
                SUCCEEDED(CreateItem(created, kItemText, "Note", 3, kFolderItemInfo, kFolderItemContent, {}));
    StorageHandle note;
    made = made && SUCCEEDED(created.OpenStorage("Note", kWriteMode, note)) &&
           WriteContent(note, kFolderItemContent, NoteRtf(kBigPage, "note"));
    note.Release();
    created.Release();
    if (!made || FAILED(root.OpenStorage("Folder", kTransactedMode, folder))) {
      std::fprintf(stderr, "cannot lay down the items in %s\n", path.c_str());
      return 1;
    }
  }

  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "TabPagesBenchmarkParent";
  RegisterClassA(&wc);
  HWND parent = CreateWindowExA(0, wc.lpszClassName, "bench", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 900, 700,
                                nullptr, nullptr, wc.hInstance, nullptr);
  ShowWindow(parent, SW_SHOWNA);
  NoContentPrompt prompt;
  NoTexts texts;
  TextView text;
  TabPagesView tabs(prompt, texts, [&text](uint16_t kind) -> ItemView* { return kind == kItemText ? &text : nullptr; });
  if (!text.Create(parent) || !tabs.Create(parent)) {
    std::fprintf(stderr, "cannot make the views\n");
    return 1;
  }
  MoveWindow(tabs.Window(), 0, 0, 880, 660, FALSE);
  ShowWindow(tabs.Window(), SW_SHOWNA);
  Pump();

  // Showing the 50-page item: its pages read, one tab each, the first page loaded.
  CatalogItemSource fifty(folder, "Fifty", kItemTabPages, "Fifty");
  Figures show = Time(rounds, [&] { tabs.Clear(); }, [&] { tabs.Load(fifty); });
  Report("show a tab pages item (goal <= 200 ms)", show,
         std::to_string(tabs.Strip().TabCount()) + " tabs of 2 KB notes");

  // Switching tabs between two pages of 100 KB, as a click does.
  CatalogItemSource two(folder, "Two", kItemTabPages, "Two");
  tabs.Load(two);
  Pump();
  Figures switching = Time(rounds, [] {}, [&] { tabs.ChooseTab(tabs.Strip().Selected() == 0 ? 1 : 0); });
  GETTEXTLENGTHEX length = {GTL_DEFAULT, CP_ACP};
  const LRESULT shownChars = SendMessageA(text.Window(), EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0);
  Report("switch tabs between two 100 KB pages", switching, std::to_string(shownChars) + " characters shown");

  // The text view on its own, in the same window, loading one 100 KB note.
  tabs.Clear();
  Pump();
  SetParent(text.Window(), parent);
  MoveWindow(text.Window(), 0, 24, 880, 636, FALSE);
  ShowWindow(text.Window(), SW_SHOWNA);
  CatalogItemSource note(folder, "Note", kItemText, "Note");
  Figures own = Time(rounds, [&] { text.Clear(); }, [&] { text.Load(note); });
  Report("text view's own load of one 100 KB note", own, "for comparison with the switch");

  text.Clear();
  tabs.Clear();
  DestroyWindow(parent);
  folder.Release();
  root.Release();
  DeleteFileA(path.c_str());
  if (richEdit) FreeLibrary(richEdit);
  CoUninitialize();
  return 0;
}
