// Times the text view under Wine: each text tool on notes of 10 KB, 100 KB
// and 1 MB (lines of about fifty characters), wrap on and off; loading and
// storing a 1 MB note; switching between two 100 KB notes; and showing a
// small note after one of 200,000 paragraphs. Prints one line per figure.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "content/CommandIds.h"
#include "content/ItemSource.h"
#include "store/LibraryFormat.h"
#include "store/StorageHandle.h"
#include "views/TextView.h"

using namespace vellora;

namespace {

double Now() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

// A note of about `bytes` characters: lines with doubled and trailing
// spaces, lines without a sentence end, empty lines, so every tool works.
std::string NoteRtf(size_t bytes, size_t lineLength = 50) {
  std::string rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Tahoma;}}\\f0\\fs24 ";
  size_t text = 0;
  for (int i = 0; text < bytes; ++i) {
    std::string line;
    if (i % 7 == 3) line = "   ";
    while (line.size() < lineLength) line += (i + line.size()) % 9 == 0 ? "  word" : " word";
    if (i % 5 == 0) line += ".";
    if (i % 3 == 0) line += "   ";
    if (i % 11 == 0) line.clear();
    rtf += line + "\\par\n";
    text += line.size() + 1;
  }
  return rtf + "}";
}

LRESULT CALLBACK ParentProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }

}  // namespace

int main() {
  CoInitialize(nullptr);
  WNDCLASSA wc = {};
  wc.lpfnWndProc = ParentProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "TextToolsBenchmarkParent";
  RegisterClassA(&wc);
  HWND parent = CreateWindowExA(0, wc.lpszClassName, "bench", WS_OVERLAPPEDWINDOW, 0, 0, 900, 700, nullptr, nullptr,
                                wc.hInstance, nullptr);
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  std::string path = std::string(temp) + "TextToolsBenchmark.vlx";
  DeleteFileA(path.c_str());
  StorageHandle root;
  if (FAILED(root.CreateRoot(path.c_str(), kWriteMode))) return 1;
  StorageHandle folder;
  root.CreateStorage("folder", kWriteMode, folder);
  auto addNote = [&](const char* name, const std::string& rtf) {
    NodeInfoRecord record;
    record.sequence = 1;
    record.kind = kItemText;
    CreateLeafNode(folder, name, record, rtf.data(), static_cast<ULONG>(rtf.size()));
    return LeafNodeSource(folder, {name}, kItemText, name);
  };

  TextView view;
  view.onWindowReplaced = [](HWND w) { MoveWindow(w, 0, 0, 860, 640, FALSE); };
  view.Create(parent);
  MoveWindow(view.Window(), 0, 0, 860, 640, FALSE);
  ShowWindow(view.Window(), SW_SHOWNA);

  struct Size {
    const char* name;
    size_t bytes;
  };
  const Size sizes[] = {{"10KB", 10000}, {"100KB", 100000}, {"1MB", 1000000}};
  const std::pair<UINT, const char*> tools[] = {
      {ID_TEXT_REORGANIZE_PARAGRAPHS, "ReorganizeParagraphs"}, {ID_TEXT_DELETE_LINE_END_SPACES, "DeleteLineEndSpaces"},
      {ID_TEXT_CLEANUP_PARAGRAPH_SPACES, "CleanupParagraphSpaces"}, {ID_TEXT_DELETE_EMPTY_LINES, "DeleteEmptyLine"},
      {ID_TEXT_INSERT_EMPTY_LINES, "InsertEmptyLine"}, {ID_TEXT_DELETE_EXTRA_SPACES, "DeleteExtraSpaces"},
      {ID_TEXT_DELETE_CURRENT_LINE, "DeleteCurrentLine"}, {ID_TEXT_INSERT_TIME, "InsertCurrentTime"},
      {ID_TEXT_INSERT_SINGLE_LINE, "InsertSingleLine"}, {ID_TEXT_INSERT_DOUBLE_LINE, "InsertDoubleLine"}};
  for (const Size& size : sizes) {
    LeafNodeSource note = addNote(size.name, NoteRtf(size.bytes));
    for (bool wrap : {true, false}) {
      if (view.WordWrap() != wrap) view.HandleCommand(ID_TEXT_AUTO_LINE);
      for (const auto& tool : tools) {
        view.Load(note);
        double t = Now();
        view.HandleCommand(tool.first);
        std::printf("tool %-24s %-6s wrap %-3s %8.3f s\n", tool.second, size.name, wrap ? "on" : "off", Now() - t);
        std::fflush(stdout);
      }
    }
  }
  if (!view.WordWrap()) view.HandleCommand(ID_TEXT_AUTO_LINE);

  LeafNodeSource big = addNote("load1MB", NoteRtf(1000000));
  double t = Now();
  view.Load(big);
  std::printf("load 1MB note (wrap on)            %8.3f s\n", Now() - t);
  SendMessageA(view.Window(), EM_SETMODIFY, TRUE, 0);
  t = Now();
  view.Store();
  std::printf("store 1MB note                     %8.3f s\n", Now() - t);
  view.HandleCommand(ID_TEXT_AUTO_LINE);
  t = Now();
  view.Load(big);
  std::printf("load 1MB note (wrap off)           %8.3f s\n", Now() - t);
  view.HandleCommand(ID_TEXT_AUTO_LINE);

  LeafNodeSource a = addNote("switchA", NoteRtf(100000)), b = addNote("switchB", NoteRtf(100000, 40));
  view.Load(a);
  double worst = 0, total = 0;
  for (int i = 0; i < 6; ++i) {
    t = Now();
    view.Load(i % 2 ? a : b);
    double d = Now() - t;
    total += d;
    if (d > worst) worst = d;
  }
  std::printf("switch between two 100KB notes     %8.3f s average, %.3f s worst\n", total / 6, worst);

  std::string many = "{\\rtf1\\ansi{\\fonttbl{\\f0 Tahoma;}}\\f0 ";
  for (int i = 0; i < 200000; ++i) many += "p\\par\n";
  many += "}";
  LeafNodeSource huge = addNote("paragraphs200k", many), small = addNote("small", NoteRtf(1000));
  t = Now();
  view.Load(huge);
  std::printf("load 200,000 paragraphs            %8.3f s\n", Now() - t);
  t = Now();
  view.Load(small);
  std::printf("replace 200,000 paragraphs by 1KB  %8.3f s\n", Now() - t);
  t = Now();
  view.Clear();
  std::printf("clear after it                     %8.3f s\n", Now() - t);

  view.Clear();
  folder.Release();
  root.Release();
  DeleteFileA(path.c_str());
  DestroyWindow(parent);
  return 0;
}
