// vlxcheck FILE: checks the structure of a library file without opening it
// through the platform, prints a short report and answers with the exit code
// 0 (sound), 1 (damaged, readable), 2 (damaged, unreadable by the platform),
// 3 (the file could not be read) or 4 (wrong use).
#include <windows.h>

#include <cstdio>

#include "store/CompoundFileCheck.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: vlxcheck FILE\n");
    return 4;
  }
  vellora::CompoundFileReport report = vellora::CheckCompoundFile(argv[1]);
  std::printf("%s\n", argv[1]);
  if (!report.fileOpened) {
    std::printf("%s\n", report.Summary().c_str());
    return 3;
  }
  std::printf("%u-byte sectors, %u sectors, %u directory entries, %u storages, %u streams\n",
              static_cast<unsigned>(report.sectorSize), static_cast<unsigned>(report.sectorCount),
              static_cast<unsigned>(report.directoryEntries), static_cast<unsigned>(report.storages),
              static_cast<unsigned>(report.streams));
  if (report.Sound()) {
    std::printf("sound\n");
    return 0;
  }
  bool readable = report.PlatformMayRead();
  std::printf("damaged (%s):\n%s\n", readable ? "can be opened read-only" : "cannot be opened safely",
              report.Summary(32).c_str());
  return readable ? 1 : 2;
}
