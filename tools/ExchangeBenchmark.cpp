// Figures for moving content out of and between libraries:
//   ExchangeBenchmark <library> <scratch folder>
// - the floor of the file system: as many small files as the tree mirror
//   writes, in folders of the same shape, with nothing read;
// - the readable exports (plain text, Markdown, HTML) of the whole library,
//   the same work as `vlx export`;
// - a tree folder copied into a new library (import and the save that
//   writes it) and exported as a library of its own.
// The library is one made by MakeSampleLibrary --nodes 10000.
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/ErrorLog.h"
#include "app/StringTable.h"
#include "content/FolderExchange.h"
#include "content/LibraryExport.h"
#include "store/LibraryDocument.h"
#include "tools/BenchmarkSupport.h"
#include "tools/QuietDocument.h"

using namespace vellora;

namespace {

// 10 x 10 folders with `perFolder` files of `size` bytes each.
double FileFloor(const std::string& dir, int perFolder, size_t size) {
  std::string bytes(size, 'x');
  Stopwatch watch;
  CreateDirectoryA(dir.c_str(), nullptr);
  for (int a = 0; a < 10; ++a) {
    std::string top = dir + "\\Folder " + std::to_string(a);
    CreateDirectoryA(top.c_str(), nullptr);
    for (int b = 0; b < 10; ++b) {
      std::string middle = top + "\\Folder " + std::to_string(b);
      CreateDirectoryA(middle.c_str(), nullptr);
      for (int c = 0; c < perFolder; ++c) {
        std::string path = middle + "\\Note " + std::to_string(c) + ".txt";
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return -1;
        DWORD written = 0;
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
      }
    }
  }
  return watch.Milliseconds();
}

void Export(const char* what, const std::string& library, const std::string& target, ExportFormat format) {
  ExportOptions options;
  options.format = format;
  Stopwatch watch;
  ExportResult result = ExportLibrary(library, target, options);
  double ms = watch.Milliseconds();
  std::printf("export %-9s %9.1f ms  (%zu nodes and items, status %d)\n", what, ms, result.nodes,
              static_cast<int>(result.status));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: ExchangeBenchmark <library> <scratch folder>\n");
    return 2;
  }
  const std::string library = argv[1], scratch = argv[2];
  CoInitialize(nullptr);
  CreateDirectoryA(scratch.c_str(), nullptr);
  {
    const std::string floor = scratch + "\\floor";
    RemoveTree(floor);
    std::printf("file floor       %9.1f ms  (9,900 files of 200 bytes in 100 folders)\n", FileFloor(floor, 99, 200));
    RemoveTree(floor);
  }
  struct {
    const char* name;
    const char* out;
    ExportFormat format;
  } exports[] = {{"--txt", "\\out-txt", ExportFormat::Text},
                 {"--md", "\\out-md", ExportFormat::Markdown},
                 {"--html", "\\out.html", ExportFormat::Html}};
  for (const auto& e : exports) {
    std::string target = scratch + e.out;
    RemoveTree(target);
    DeleteFileA(target.c_str());
    RemoveTree(scratch + "\\out_files");
    Export(e.name, library, target, e.format);
  }

  {
    StringTable texts;
    ErrorLog log("error");
    QuietHost host;
    NoPrompt prompt;
    DocumentSetup setup;
    setup.registryKey = "Software\\VelloraTools";
    std::string tree;
    {
      StorageHandle root;
      if (FAILED(root.OpenRoot(library.c_str(), kReadMode))) {
        std::fprintf(stderr, "cannot open %s\n", library.c_str());
        return 1;
      }
      LibraryDocument into(host, prompt, texts, log, setup);
      const std::string copy = scratch + "\\copy.vlx";
      DeleteFileA(copy.c_str());
      into.CreateLibrary(copy);
      for (const std::string& name : FolderNamesByName(root)) {
        StorageHandle folder;
        if (FAILED(root.OpenStorage(name.c_str(), kReadMode, folder))) continue;
        STATSTG stat = {};
        folder->Stat(&stat, STATFLAG_NONAME);
        uint16_t kind = 0, order = 0;
        DecodeFolderClassId(stat.clsid, kind, order);
        if (kind == kFolderTree) {
          tree = name;
          break;
        }
      }
      Stopwatch watch;
      std::string newName;
      uint16_t kind = 0;
      HRESULT hr = ImportFolder(into, root, tree, newName, kind);
      double imported = watch.Milliseconds();
      watch.Restart();
      into.Save();
      double saved = watch.Milliseconds();
      std::printf("folder import    %9.1f ms  (\"%s\", hr 0x%08lx) + save %.1f ms = %.1f ms\n", imported, tree.c_str(),
                  static_cast<unsigned long>(hr), saved, imported + saved);
    }
    LibraryDocument from(host, prompt, texts, log, setup);
    if (from.OpenLibrary(library)) {
      const std::string out = scratch + "\\exported.vlx";
      DeleteFileA(out.c_str());
      std::string failed;
      Stopwatch watch;
      HRESULT hr = ExportFolders(from, {tree}, out, failed);
      std::printf("folder export    %9.1f ms  (hr 0x%08lx)\n", watch.Milliseconds(), static_cast<unsigned long>(hr));
    }
  }
  CoUninitialize();
  return 0;
}
