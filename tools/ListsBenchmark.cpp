// Times the data list and file views on big items: a list of 10,000 rows of
// 10 columns loaded into the real list view, sorted and stored; a file
// folder of 1,000 entries loaded and stored; a 100 MB file embedded and
// exported, with the process's peak memory beside it. The items live in a
// catalog folder opened in transacted mode, as the program holds it.
// Usage: ListsBenchmark [work folder] [--rows N] [--entries N] [--megabytes N]
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "content/CommandIds.h"
#include "content/DataList.h"
#include "content/FileFolder.h"
#include "store/LibraryFormat.h"
#include "views/DataListView.h"
#include "tools/BenchmarkSupport.h"
#include "views/FileView.h"

using namespace vellora;

namespace {


// Says what it would have asked and answers OK, or with the next file:
// nothing here waits for a user.
class ReportingPrompt : public UserPrompt {
 public:
  std::string nextFile;
  int ShowMessage(const std::string& text, const std::string&, UINT) override {
    std::fprintf(stderr, "message: %s\n", text.c_str());
    return IDOK;
  }
  bool ChooseFile(const FileDialogRequest&, std::string& path) override {
    path = nextFile;
    return !path.empty();
  }
  bool AskPassword(const std::string&, const std::string&) override { return false; }
  int ShowWelcome() override { return 2; }
};


void Report(const char* what, double ms, const std::string& detail = {}) {
  std::printf("%-40s %10.1f ms  %s\n", what, ms, detail.c_str());
  std::fflush(stdout);
}

double PeakMegabytes() {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return static_cast<double>(counters.PeakPagefileUsage) / (1024.0 * 1024.0);
}

bool WriteFileOfSize(const std::string& path, size_t megabytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  std::vector<char> block(1 << 20);
  bool ok = true;
  for (size_t m = 0; m < megabytes && ok; ++m) {
    for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>((i * 31 + m * 7) & 0xFF);
    DWORD put = 0;
    ok = WriteFile(file, block.data(), static_cast<DWORD>(block.size()), &put, nullptr) && put == block.size();
  }
  CloseHandle(file);
  return ok;
}

// A library file with one catalog folder, held open transacted.
struct Library {
  StorageHandle root;
  StorageHandle folder;
  bool Open(const std::string& path) {
    if (FAILED(root.CreateRoot(path.c_str(), kReplaceMode))) return false;
    StorageHandle created;
    if (FAILED(root.CreateStorage("Folder", kWriteMode, created))) return false;
    created.Release();
    return SUCCEEDED(root.OpenStorage("Folder", kTransactedMode, folder));
  }
};

const char* const kKinds[] = {".txt", ".doc", ".pdf", ".png", ".xls"};

std::string EntryFile(const std::string& work, int i) { return work + "\\file" + std::to_string(i) + kKinds[i % 5]; }

}  // namespace

int main(int argc, char** argv) {
  CoInitialize(nullptr);
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  std::string work = argc > 1 && argv[1][0] != '-' ? argv[1] : std::string(temp) + "ListsBenchmark";
  CreateDirectoryA(work.c_str(), nullptr);
  const int rows = ArgumentAfter(argc, argv, "--rows", 10000);
  const int entries = ArgumentAfter(argc, argv, "--entries", 1000);
  const int megabytes = ArgumentAfter(argc, argv, "--megabytes", 100);

  Library library;
  if (!library.Open(work + "\\lists.vlx")) {
    std::fprintf(stderr, "cannot make %s\\lists.vlx\n", work.c_str());
    return 1;
  }
  HWND parent = CreateWindowExA(0, "STATIC", "bench", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  ReportingPrompt prompt;
  NoTexts texts;

  // ---- data list ----
  std::vector<std::string> titles;
  for (int c = 0; c < 10; ++c) titles.push_back("Column " + std::to_string(c));
  CreateItem(library.folder, kItemDataList, "List", 1, kFolderItemInfo, kFolderItemContent, titles);
  CatalogItemSource listSource(library.folder, "List", kItemDataList, "List");
  {
    DataList list;
    for (const auto& t : titles) list.columns.push_back({t, 80});
    unsigned seed = 12345;
    for (int r = 0; r < rows; ++r) {
      std::vector<std::string> cells;
      for (int c = 0; c < 10; ++c) {
        seed = seed * 1103515245u + 12345u;
        cells.push_back(c == 3 ? std::to_string(seed % 100000) : "cell " + std::to_string(r) + ":" + std::to_string(c));
      }
      list.AppendRow(std::move(cells));
    }
    OpenedItem item;
    Stopwatch watch;
    listSource.OpenForUpdate(item);
    WriteDataList(item, list);
    item.Commit();
    Report("list: write (format only)", watch.Milliseconds(), std::to_string(rows) + " rows x 10 columns");
  }
  SortMemory sort;
  DataListView listView(prompt, texts, sort);
  listView.Create(parent);
  {
    Stopwatch watch;
    listView.Load(listSource);
    Report("list: load into the list view", watch.Milliseconds(),
           std::to_string(ListView_GetItemCount(listView.List())) + " rows shown");
  }
  {
    Stopwatch watch;
    listView.SetReadOnly(true);
    listView.SortByColumn(3);
    Report("list: sort by a numeric column", watch.Milliseconds(), "descending, view only");
    listView.SetReadOnly(false);
  }
  {
    Stopwatch watch;
    listView.SortByColumn(3);
    Report("list: sort and store", watch.Milliseconds(), "ascending");
  }
  {
    Stopwatch watch;
    listView.HandleCommand(ID_LIST_SAVE_WIDTHS);
    Report("list: store", watch.Milliseconds());
  }

  // ---- file folder ----
  CreateItem(library.folder, kItemFileFolder, "Files", 2, kFolderItemInfo, kFolderItemContent, {});
  CatalogItemSource fileSource(library.folder, "Files", kItemFileFolder, "Files");
  {
    // Links to files that exist, a tenth of them embedded.
    std::vector<FileEntry> list;
    OpenedItem item;
    fileSource.Open(true, item);
    for (int i = 0; i < entries; ++i) {
      std::string path = EntryFile(work, i);
      if (i % 10 == 0) {
        HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD put = 0;
        WriteFile(f, path.data(), static_cast<DWORD>(path.size()), &put, nullptr);
        CloseHandle(f);
      }
      FileEntry entry;
      entry.title = path;
      entry.sourcePath = path;
      if (i % 10 == 0) {
        entry.flags = kEmbeddedFileFlag;
        entry.streamName = FileNamePart(path);
        EmbedFile(item.itemStorage, path, entry.streamName);
      }
      list.push_back(entry);
    }
    item = OpenedItem{};
    fileSource.OpenForUpdate(item);
    WriteFileFolder(item, list, {});
    item.Commit();
  }
  FileView fileView(prompt, texts);
  fileView.Create(parent);
  {
    Stopwatch watch;
    fileView.Load(fileSource);
    Report("files: load into the icon view", watch.Milliseconds(),
           std::to_string(ListView_GetItemCount(fileView.List())) + " entries shown");
  }
  {
    Stopwatch watch;
    fileView.RenameEntry(1, "renamed entry");
    Report("files: rename one entry and store", watch.Milliseconds(), "all sources checked for changes");
  }

  // ---- a big embedded file ----
  std::string big = work + "\\big.bin";
  if (!WriteFileOfSize(big, static_cast<size_t>(megabytes))) {
    std::fprintf(stderr, "cannot write %s\n", big.c_str());
    return 1;
  }
  const double before = PeakMegabytes();
  {
    prompt.nextFile = big;
    Stopwatch watch;
    fileView.HandleCommand(ID_FILES_ADD_EMBED);
    Report("embed a big file through the view", watch.Milliseconds(),
           std::to_string(megabytes) + " MB, then the item stored");
  }
  const double afterEmbed = PeakMegabytes();
  {
    Stopwatch watch;
    fileView.RenameEntry(2, "renamed again");
    Report("files: rename and store, big file inside", watch.Milliseconds());
  }
  {
    prompt.nextFile = work + "\\big-exported.bin";
    fileView.SelectEntry(static_cast<int>(fileView.Entries().size()) - 1);
    Stopwatch watch;
    fileView.HandleCommand(ID_FILES_EXPORT);
    Report("export it again", watch.Milliseconds());
  }
  const double afterExport = PeakMegabytes();
  char memory[160];
  std::snprintf(memory, sizeof memory, "peak private memory: %.0f MB before, %.0f MB after embedding, %.0f MB after exporting",
                before, afterEmbed, afterExport);
  std::printf("%s\n", memory);
  {
    Stopwatch watch;
    library.folder.Commit();
    Report("commit the folder (the library's Save)", watch.Milliseconds());
  }
  fileView.Clear();
  listView.Clear();
  DestroyWindow(parent);
  library.folder.Release();
  library.root.Release();
  DeleteFileA(big.c_str());
  DeleteFileA((work + "\\big-exported.bin").c_str());
  DeleteFileA((work + "\\lists.vlx").c_str());
  for (int i = 0; i < entries; i += 10) DeleteFileA(EntryFile(work, i).c_str());
  RemoveDirectoryA(work.c_str());
  return 0;
}
