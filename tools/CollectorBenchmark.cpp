// Times the collector on a big library: opening the "Save to" dialog with the
// whole tree listed, and appending a selection to a 1 MB note and committing,
// first through the dialog and then step by step. Run it on a library made by
//   MakeSampleLibrary <path> --nodes 10000 --items 1000
// Usage: CollectorBenchmark <library.vlx> [--hold SECONDS] [--selection]
// (--hold keeps the first dialog up for a look, --selection gives it selected text)
// It works on a copy of the library, and points the recent list's newest
// entry at that copy for the run (the old entry is put back afterwards).
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <thread>

#include "collector/PageCapture.h"
#include "collector/RichTextComposer.h"
#include "collector/SaveToDialog.h"
#include "collector/TargetLibrary.h"
#include "platform/RegistryKey.h"
#include "store/LibraryFormat.h"

using namespace vellora;
using namespace vellora::collector;

namespace {

constexpr char kRecentKey[] = "Software\\Vellora\\Recent Document List";
// The two 1 MB notes and how their rich text is shaped.
const struct {
  const char* name;
  bool dense;
  const char* shape;
} kNotes[] = {{"Big note", false, "500-character paragraphs"}, {"Dense note", true, "85-character lines, bold in each"}};

double Now() {
  LARGE_INTEGER frequency, counter;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&counter);
  return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void Report(const char* what, double ms, const std::string& detail = {}) {
  std::printf("%-44s %9.1f ms  %s\n", what, ms, detail.c_str());
  std::fflush(stdout);
}

// "Document1" of the recent list, swapped for the run.
class NewestEntry {
 public:
  explicit NewestEntry(const std::string& path) {
    key_.Create(HKEY_CURRENT_USER, kRecentKey, KEY_ALL_ACCESS);
    old_ = key_.ReadString("Document1", MAX_PATH);
    key_.WriteString("Document1", path);
  }
  ~NewestEntry() {
    if (old_) key_.WriteString("Document1", *old_);
    else key_.DeleteValue("Document1");
  }

 private:
  RegistryKey key_;
  std::optional<std::string> old_;
};

// A note of about 1 MB: paragraphs of some 500 characters, each with a few
// bold words, or (dense) short lines that each switch bold on and off.
std::string MegabyteOfRtf(bool dense) {
  std::string rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fnil Tahoma;}}\\pard\\f0\\fs20 ";
  std::string paragraph;
  if (dense) {
    paragraph = "A long note that keeps growing, line after line, with some \\b bold\\b0  words.\\par\r\n";
  } else {
    for (int i = 0; i < 5; ++i) paragraph += "A paragraph of a longer note that goes on for a while, as notes copied from pages do. ";
    paragraph += "Some \\b bold\\b0  words end it.\\par\r\n";
  }
  while (rtf.size() < 1024 * 1024) rtf += paragraph;
  return rtf + "}\r\n";
}

// Puts the 1 MB notes first in the first tree folder.
bool AddBigNotes(const std::string& path, std::string& folderName) {
  StorageHandle root;
  if (FAILED(root.OpenRoot(path.c_str(), kWriteMode))) return false;
  std::vector<FolderEntry> folders;
  ListFolders(root, folders);
  for (const FolderEntry& f : folders)
    if (f.kind == kFolderTree && folderName.empty()) folderName = f.name;
  StorageHandle folder = root.OpenStorageFor(folderName.c_str(), false);
  for (const auto& note : kNotes) {
    NodeInfoRecord record;
    record.sequence = -1;
    record.kind = kItemText;
    std::string rtf = MegabyteOfRtf(note.dense);
    if (FAILED(CreateLeafNode(folder, note.name, record, rtf.data(), static_cast<ULONG>(rtf.size())))) return false;
  }
  return true;
}

HWND WaitForDialog(DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (GetTickCount() - start < timeoutMs) {
    HWND dialog = FindWindowA(nullptr, "Save to");
    if (dialog && IsWindowVisible(dialog)) return dialog;
    Sleep(1);
  }
  return nullptr;
}

HTREEITEM FindTopLevel(HWND tree, const char* text) {
  for (HTREEITEM item = TreeView_GetRoot(tree); item; item = TreeView_GetNextSibling(tree, item)) {
    char buffer[64] = "";
    TVITEMA data = {};
    data.mask = TVIF_TEXT;
    data.hItem = item;
    data.pszText = buffer;
    data.cchTextMax = sizeof buffer;
    TreeView_GetItem(tree, &data);
    if (std::strcmp(buffer, text) == 0) return item;
  }
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: CollectorBenchmark <library.vlx> [--hold SECONDS] [--selection]\n");
    return 2;
  }
  int hold = 0;
  bool withSelection = false;
  for (int i = 2; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--hold") && i + 1 < argc) hold = std::atoi(argv[i + 1]);
    if (!std::strcmp(argv[i], "--selection")) withSelection = true;
  }
  OleInitialize(nullptr);
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_TREEVIEW_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  std::string source = argv[1];
  std::string copy = source.substr(0, source.find_last_of('.')) + "-collector.vlx";
  if (!CopyFileA(source.c_str(), copy.c_str(), FALSE)) {
    std::fprintf(stderr, "cannot copy %s\n", source.c_str());
    return 1;
  }
  std::string folder;
  if (!AddBigNotes(copy, folder)) {
    std::fprintf(stderr, "cannot add the note to %s\n", copy.c_str());
    return 1;
  }
  NewestEntry newest(copy);

  // 1. The dialog with the whole tree listed (the list is made before it shows).
  {
    PageCapture capture;
    capture.title = "Benchmark";
    capture.link = withSelection ? "Text Selection" : "http://localhost/";
    if (withSelection) capture.selectionText = "Some words picked on the page.";
    double opened = 0, closed = 0;
    LRESULT items = 0;
    double start = Now();
    std::thread user([&] {
      HWND dialog = WaitForDialog(60000);
      opened = Now() - start;
      items = SendMessageA(GetDlgItem(dialog, 201), TVM_GETCOUNT, 0, 0);
      if (hold > 0) Sleep(static_cast<DWORD>(hold) * 1000);
      double cancelled = Now();
      PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
      while (IsWindow(dialog)) Sleep(1);
      closed = Now() - cancelled;
    });
    RunSaveToDialog(capture, nullptr);
    user.join();
    Report("dialog shown with the tree listed", opened, std::to_string(items) + " nodes");
    Report("dialog closed by Cancel", closed);
  }

  auto openAndList = [&](TargetLibrary& library) {
    double t = Now();
    library.Open(copy);
    int failed = 0;
    library.LoadFolder(folder, failed);
    Report("open and list the tree folder", Now() - t);
  };
  {
    TargetLibrary library;
    openAndList(library);
    double t = Now();
    library.Close();
    Report("let the library go without committing", Now() - t);
  }
  for (const auto& shape : kNotes) {
    std::printf("-- %s: %s\n", shape.name, shape.shape);
    // 2. Appending a selection to the 1 MB note through the dialog (OK to closed).
    PageCapture capture;
    capture.title = "Benchmark";
    capture.selectionText = "The words picked on the page.";
    capture.link = "Text Selection";
    double took = 0;
    std::thread user([&] {
      HWND dialog = WaitForDialog(60000);
      HWND tree = GetDlgItem(dialog, 201);
      HTREEITEM note = FindTopLevel(tree, shape.name);
      SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(note));
      double start = Now();
      PostMessageA(dialog, WM_COMMAND, IDOK, 0);
      while (IsWindow(dialog)) Sleep(1);
      took = Now() - start;
    });
    RunSaveToDialog(capture, nullptr);
    user.join();
    Report("append to the note and commit (dialog)", took);

    // 3. The same steps one by one.
    TargetLibrary library;
    openAndList(library);
    const FolderNode* note = nullptr;
    for (const auto& node : library.Roots())
      if (node->elementName == shape.name) note = node.get();
    if (!note) return 1;
    double t = Now();
    NodeInfoRecord record;
    std::string old;
    library.ReadLeaf(*note, record, old);
    Report("read the note", Now() - t, std::to_string(old.size()) + " bytes");
    t = Now();
    std::string rtf;
    HRESULT hr = ComposeRichText(nullptr, &old, TextMode::AppendToLast, "More words.", rtf);
    Report("compose the new rich text", Now() - t, SUCCEEDED(hr) ? std::to_string(rtf.size()) + " bytes" : "failed");
    // The same without a font table: a shape that goes through the control.
    std::string unusual = old;
    size_t table = unusual.find("{\\fonttbl");
    if (table != std::string::npos) unusual.erase(table, unusual.find("}}", table) + 2 - table);
    std::string through;
    t = Now();
    hr = ComposeRichText(nullptr, &unusual, TextMode::AppendToLast, "More words.", through);
    Report("  (the same through the rich edit control)", Now() - t,
           SUCCEEDED(hr) ? std::to_string(through.size()) + " bytes" : "failed");
    t = Now();
    library.OverwriteLeaf(*note, {kItemText, rtf});
    Report("write the note", Now() - t);
    t = Now();
    hr = library.Commit();
    Report("commit folder and root", Now() - t, SUCCEEDED(hr) ? "" : "failed");
  }
  DeleteFileA(copy.c_str());
  OleUninitialize();
  return 0;
}
