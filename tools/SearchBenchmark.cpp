// Times the searches on a large library: a content search of a tree folder
// of 10,000 notes (10 MB of rich text), Search Titles, filling the results
// window with 10,000 rows, and going to a location in the real main window.
//   SearchBenchmark <library to create> [nodes] [bytes]
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <richedit.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/ErrorLog.h"
#include "app/StringTable.h"
#include "app/frame/MainFrame.h"
#include "tools/BenchmarkTiming.h"
#include "content/LibrarySearch.h"
#include "content/LocationPath.h"
#include "tools/QuietDocument.h"
#include "views/SearchResultsWindow.h"

using namespace vellora;

namespace {


const char* kWords[] = {"alpha", "Bravo", "charlie", "delta", "ECHO", "foxtrot", "golf", "hotel", "india",
                        "juliet", "kilo", "Lima", "mike", "november", "oscar", "papa", "quebec", "romeo",
                        "sierra", "tango", "uniform", "victor", "whiskey", "x-ray", "yankee", "zulu"};

// A note of about `bytes` bytes of rich text as the control writes it:
// font and colour tables, formatting runs, paragraphs and some hex escapes.
std::string Note(unsigned seed, size_t bytes, bool withNeedle) {
  std::string rtf =
      "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}"
      "{\\f1\\fnil\\fcharset134 SimSun;}}{\\colortbl ;\\red255\\green0\\blue0;}\\viewkind4\\uc1\\pard\\f0\\fs20 ";
  unsigned state = seed * 2654435761u + 1;
  size_t words = 0;
  while (rtf.size() + 40 < bytes) {
    state = state * 1664525u + 1013904223u;
    rtf += kWords[(state >> 8) % 26];
    if (++words % 11 == 0) rtf += "\\par\r\n";
    else if (words % 7 == 0) rtf += " {\\b bold} ";
    else if (words % 13 == 0) rtf += " caf\\'e9 \\cf1 red\\cf0  ";
    else rtf += ' ';
    if (withNeedle && words == 40) rtf += "Rendezvous ";
  }
  rtf += "\\par\r\n}\r\n";
  return rtf;
}

std::string TreeFolderName(const StringTable& texts) { return texts.TextOr(kTextFirstTreeFolder, "Favorite Tree"); }

// A library document without windows, its recent list under the benchmark's key.
struct QuietDocument {
  explicit QuietDocument(const StringTable& texts) : doc(host, prompt, texts, log, Setup()) {}
  static DocumentSetup Setup() {
    DocumentSetup setup;
    setup.registryKey = "Software\\VelloraBenchmark";
    return setup;
  }
  QuietHost host;
  NoPrompt prompt;
  ErrorLog log{"error"};
  LibraryDocument doc;
};

bool MakeLibrary(const std::string& path, const StringTable& texts, int nodes, size_t bytes) {
  QuietDocument quiet(texts);
  LibraryDocument& doc = quiet.doc;
  if (!doc.CreateLibrary(path)) return false;
  if (FAILED(doc.SelectCurrentFolder(TreeFolderName(texts)))) return false;
  const StorageHandle& folder = doc.CurrentFolder();
  const int perFolder = 100;
  const size_t perNote = bytes / static_cast<size_t>(nodes);
  for (int f = 0; f * perFolder < nodes; ++f) {
    NodeInfoRecord record;
    record.sequence = f + 1;
    record.kind = kItemText;
    StorageHandle branch;
    std::string branchName = "Folder " + std::to_string(f);
    if (FAILED(CreateFolderNode(folder, branchName.c_str(), record, branch))) return false;
    for (int n = 0; n < perFolder && f * perFolder + n < nodes; ++n) {
      int index = f * perFolder + n;
      std::string note = Note(static_cast<unsigned>(index), perNote, index % 1000 == 7);
      NodeInfoRecord leaf;
      leaf.sequence = n + 1;
      leaf.kind = kItemText;
      std::string name = "Leaf " + std::to_string(n);
      if (FAILED(CreateLeafNode(branch, name.c_str(), leaf, note.data(), static_cast<ULONG>(note.size()))))
        return false;
    }
  }
  doc.Save();
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: SearchBenchmark <library to create> [nodes] [bytes]\n");
    return 2;
  }
  const std::string path = argv[1];
  const int nodes = argc > 2 ? std::atoi(argv[2]) : 10000;
  const size_t bytes = argc > 3 ? static_cast<size_t>(std::atoll(argv[3])) : 10000000u;
  CoInitialize(nullptr);
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_BAR_CLASSES | ICC_USEREX_CLASSES | ICC_COOL_CLASSES |
                                              ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  HMODULE richEdit = LoadLibraryA("RICHED20.DLL");
  StringTable texts;
  if (!texts.LoadForProgram()) return 1;
  DeleteFileA(path.c_str());
  LARGE_INTEGER m0 = Now();
  if (!MakeLibrary(path, texts, nodes, bytes)) {
    std::fprintf(stderr, "cannot make %s\n", path.c_str());
    return 1;
  }
  LARGE_INTEGER m1 = Now();
  std::printf("library of %d text nodes, %zu bytes of rich text, made in %.0f ms\n", nodes, bytes,
              Milliseconds(m0, m1));

  const std::string tree = TreeFolderName(texts);
  {
    QuietDocument quiet(texts);
    LibraryDocument& doc = quiet.doc;
    if (!doc.OpenLibrary(path) || FAILED(doc.SelectCurrentFolder(tree))) return 1;
    for (int round = 1; round <= 3; ++round) {
      SearchResults hits, titles, none;
      LARGE_INTEGER t0 = Now();
      SearchTreeContent(doc.CurrentFolder(), {tree}, ContentMatcher("rendezvous"), hits);
      LARGE_INTEGER t1 = Now();
      SearchTreeContent(doc.CurrentFolder(), {tree}, ContentMatcher("not in any note"), none);
      LARGE_INTEGER t2 = Now();
      SearchTitles(doc.Root(), doc.CurrentFolderName(), doc.CurrentFolder(), "Leaf 5", titles);
      LARGE_INTEGER t3 = Now();
      std::printf(
          "round %d: folder content search %7.1f ms (%zu hits), with no hit %7.1f ms; search titles %6.1f ms "
          "(%zu hits)\n",
          round, Milliseconds(t0, t1), hits.size(), Milliseconds(t1, t2), Milliseconds(t2, t3), titles.size());
    }
    // Where the time of a content search goes: reading the streams alone.
    std::string buffer;
    LARGE_INTEGER r0 = Now();
    size_t total = 0;
    doc.CurrentFolder().ForEachElement([&](const STATSTG&, const std::string& name) {
      StorageHandle branch = doc.CurrentFolder().OpenStorageFor(name.c_str(), true);
      branch.ForEachElement([&](const STATSTG& stat, const std::string& leaf) {
        if (stat.type != STGTY_STREAM) return true;
        StreamHandle s = branch.OpenStreamFor(leaf.c_str(), true);
        buffer.resize(static_cast<size_t>(stat.cbSize.QuadPart));
        ULONG got = 0;
        s.ReadBytes(buffer.data(), static_cast<ULONG>(buffer.size()), &got);
        total += got;
        return true;
      });
      return true;
    });
    LARGE_INTEGER r1 = Now();
    std::wstring text;
    LARGE_INTEGER p0 = Now();
    size_t characters = 0;
    for (int i = 0; i < nodes; ++i) {
      std::string note = Note(static_cast<unsigned>(i), bytes / static_cast<size_t>(nodes), false);
      characters += RtfPlainText(note).size();
    }
    LARGE_INTEGER p1 = Now();
    std::printf("  of which: opening and reading every stream %7.1f ms (%zu bytes); reading the text out of "
                "the rich text %7.1f ms (%zu characters, notes made included)\n",
                Milliseconds(r0, r1), total, Milliseconds(p0, p1), characters);
  }

  // Filling the results window with 10,000 rows, painted.
  {
    HWND parent = CreateWindowExA(0, "STATIC", "results", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 800, 600,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    SearchResultsWindow results;
    results.Create(parent);
    MoveWindow(results.Handle(), 0, 0, 780, 560, TRUE);
    ShowWindow(results.Handle(), SW_SHOW);
    std::vector<std::string> paths;
    for (int i = 0; i < 10000; ++i)
      paths.push_back(tree + "\\Folder " + std::to_string(i / 100) + "\\Leaf " + std::to_string(i % 100));
    for (int round = 1; round <= 3; ++round) {
      LARGE_INTEGER f0 = Now();
      results.Fill("Leaf", paths);
      UpdateWindow(results.Handle());
      Pump();
      LARGE_INTEGER f1 = Now();
      std::printf("round %d: results window filled with %zu rows and painted in %6.1f ms\n", round, paths.size(),
                  Milliseconds(f0, f1));
    }
    DestroyWindow(parent);
    Pump();
  }

  // Going to a location in the real main window on the library.
  {
    ErrorLog log("error");
    FrameSetup setup;
    setup.startupPath = path;
    setup.registryKey = "Software\\VelloraBenchmark";
    MainFrame frame(texts, log, setup);
    if (!frame.CreateFrame()) return 1;
    frame.RestorePlacement(SW_SHOWNORMAL);
    UpdateWindow(frame.Handle());
    Pump();
    DocumentHost& host = frame;
    const char* targets[] = {"\\Folder 99\\Leaf 99", "\\Folder 3\\Leaf 42\\#TEXT_NODE#120", "\\Folder 57\\Leaf 7",
                             "\\Folder 0\\Leaf 0"};
    for (const char* target : targets) {
      LARGE_INTEGER g0 = Now();
      host.GoToLocation(tree + target);
      UpdateWindow(frame.Handle());
      Pump();
      LARGE_INTEGER g1 = Now();
      std::printf("go to %-36s %6.1f ms (now at %s)\n", target, Milliseconds(g0, g1), host.CurrentLocation().c_str());
    }
    DestroyWindow(frame.Handle());
    Pump();
  }
  if (richEdit) FreeLibrary(richEdit);
  CoUninitialize();
  return 0;
}
