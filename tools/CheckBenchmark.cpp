// Times the structural check of library files and the memory it takes.
//   CheckBenchmark <library> [<large library to make if missing> [megabytes]]
// The large library is made once: streams of 1 MB in folders, and a tree of
// small leaves, written through the store.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "store/CompoundFileCheck.h"
#include "store/LibraryFormat.h"
#include "store/StorageHandle.h"

using namespace vellora;

namespace {

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

bool MakeLargeLibrary(const std::string& path, int megabytes) {
  StorageHandle root;
  if (FAILED(root.CreateRoot(path.c_str(), kWriteMode))) return false;
  std::vector<char> block(1 << 20);
  for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>('a' + i % 26);
  for (int folder = 0; folder * 10 < megabytes; ++folder) {
    StorageHandle f;
    std::string name = "Folder " + std::to_string(folder);
    if (FAILED(root.CreateStorage(name.c_str(), kWriteMode, f))) return false;
    f.WriteClass(FolderClassId(kFolderTree, static_cast<uint16_t>(folder + 1)));
    for (int i = 0; i < 10 && folder * 10 + i < megabytes; ++i) {
      NodeInfoRecord record;
      record.sequence = i + 1;
      record.kind = kItemText;
      std::string leaf = "Big " + std::to_string(i);
      if (FAILED(CreateLeafNode(f, leaf.c_str(), record, block.data(), static_cast<ULONG>(block.size()))))
        return false;
    }
    for (int i = 0; i < 200; ++i) {
      NodeInfoRecord record;
      record.sequence = 100 + i;
      record.kind = kItemText;
      std::string leaf = "Small " + std::to_string(i);
      if (FAILED(CreateLeafNode(f, leaf.c_str(), record, block.data(), 300))) return false;
    }
  }
  LayDownSettings(root);
  return SUCCEEDED(root.Commit());
}

void Measure(const char* label, const std::string& path, int rounds) {
  PROCESS_MEMORY_COUNTERS before = {sizeof before};
  GetProcessMemoryInfo(GetCurrentProcess(), &before, sizeof before);
  double best = 1e30, total = 0;
  CompoundFileReport report;
  for (int round = 0; round < rounds; ++round) {
    LARGE_INTEGER t0, t1;
    QueryPerformanceCounter(&t0);
    report = CheckCompoundFile(path.c_str());
    QueryPerformanceCounter(&t1);
    double ms = Milliseconds(t0, t1);
    total += ms;
    if (ms < best) best = ms;
  }
  PROCESS_MEMORY_COUNTERS after = {sizeof after};
  GetProcessMemoryInfo(GetCurrentProcess(), &after, sizeof after);
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
  double megabytes = (static_cast<double>(data.nFileSizeHigh) * 4294967296.0 + data.nFileSizeLow) / 1e6;
  std::printf("%s: %.1f MB, %u entries, %u storages, %u streams, %s\n", label, megabytes,
              static_cast<unsigned>(report.directoryEntries), static_cast<unsigned>(report.storages),
              static_cast<unsigned>(report.streams), report.Sound() ? "sound" : "DAMAGED");
  std::printf("  check: best %.2f ms, mean %.2f ms over %d rounds; peak working set %.1f MB (was %.1f MB), "
              "peak private bytes %.1f MB (was %.1f MB)\n",
              best, total / rounds, rounds, after.PeakWorkingSetSize / 1e6, before.PeakWorkingSetSize / 1e6,
              after.PeakPagefileUsage / 1e6, before.PeakPagefileUsage / 1e6);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: CheckBenchmark <library> [<large library> [megabytes]]\n");
    return 2;
  }
  CoInitialize(nullptr);
  Measure("sample", argv[1], 10);
  if (argc > 2) {
    std::string large = argv[2];
    int megabytes = argc > 3 ? std::atoi(argv[3]) : 100;
    if (GetFileAttributesA(large.c_str()) == INVALID_FILE_ATTRIBUTES && !MakeLargeLibrary(large, megabytes)) {
      std::fprintf(stderr, "cannot make %s\n", large.c_str());
      return 1;
    }
    Measure("large", large, 5);
  }
  CoUninitialize();
  return 0;
}
