// vlxcheck [--repair] FILE: checks the structure of a library file without
// opening it through the platform, prints a short report and answers with
// the exit code 0 (sound), 1 (damaged, readable), 2 (damaged, unreadable by
// the platform), 3 (the file could not be read) or 4 (wrong use). With
// --repair, a file whose only damage is wrong name lengths in its directory
// is mended in place after a copy of it is kept as FILE.bak; the exit code
// then tells the state of the file afterwards.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "store/CompoundFileCheck.h"
#include "store/NameLengthRepair.h"

namespace {

int Report(const vellora::CompoundFileReport& report) {
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
  if (report.Repairable()) std::printf("vlxcheck --repair can mend this in place.\n");
  return readable ? 1 : 2;
}

}  // namespace

int main(int argc, char** argv) {
  bool repair = argc == 3 && std::strcmp(argv[1], "--repair") == 0;
  if (argc != 2 && !repair) {
    std::fprintf(stderr, "usage: vlxcheck [--repair] FILE\n");
    return 4;
  }
  const char* path = argv[argc - 1];
  std::printf("%s\n", path);
  vellora::CompoundFileReport report = vellora::CheckCompoundFile(path);
  int code = Report(report);
  if (!repair || code == 0 || code == 3) return code;
  vellora::NameLengthRepair done = vellora::RepairNameLengths(path, vellora::RepairBackupPath(path));
  std::printf("%s\n", done.Summary().c_str());
  if (done.result != vellora::RepairResult::kRepaired) return code;
  std::printf("after the repair:\n");
  return Report(vellora::CheckCompoundFile(path));
}
