// Times Save on the 10,000-node sample through the real library document:
// with automatic backups on and off after 1,000 new nodes (the backup is taken
// when the library is opened, so open and save are timed together), the
// flushed save of a one-node edit split into its steps, how the folder's
// commit grows with the nodes written, and Repack.
//   SaveBenchmark <work folder> [--rounds N] [--repack-only]
// The sample is made there with MakeSampleLibrary (beside this program) the
// first time.
#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/ErrorLog.h"
#include "app/StringTable.h"
#include "platform/KernelHandle.h"
#include "store/CompoundFileCheck.h"
#include "store/CompoundFileWriter.h"
#include "store/LibraryDocument.h"
#include "store/SafeFileReplace.h"
#include "tools/BenchmarkTiming.h"
#include "tools/QuietDocument.h"

using namespace vellora;

namespace {

struct Clock {
  LARGE_INTEGER start = Now();
  double Ms() const { return Milliseconds(start, Now()); }
};

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

long long FileBytes(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
  return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool MakeSample(const std::string& path) {
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string maker = self;
  maker = maker.substr(0, maker.find_last_of('\\')) + "\\MakeSampleLibrary.exe";
  std::string command = "\"" + maker + "\" \"" + path + "\" --nodes 10000 --items 1000";
  std::vector<char> line(command.begin(), command.end());
  line.push_back(0);
  STARTUPINFOA si = {sizeof si};
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
  KernelHandle process(pi.hProcess), thread(pi.hThread);
  WaitForSingleObject(process.Get(), INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(process.Get(), &code);
  return code == 0;
}

NodeInfoRecord Leaf(int sequence) {
  NodeInfoRecord r;
  r.sequence = sequence;
  r.kind = kItemText;
  return r;
}

// New leaves in a new folder node of the tree folder (the current folder).
void AddNodes(LibraryDocument& doc, int count, const char* folderName) {
  StorageHandle folder;
  CreateFolderNode(doc.CurrentFolder(), folderName, Leaf(900), folder);
  const std::string text = "{\\rtf1\\ansi A new note with a line of text.\\par}";
  for (int i = 0; i < count; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "New note %04d", i);
    CreateLeafNode(folder, name, Leaf(i + 1), text.data(), static_cast<ULONG>(text.size()));
  }
  doc.SetModified();
}

// Answers OK to every message and shows nothing.
class SilentPrompt : public NoPrompt {
 public:
  int ShowMessage(const std::string&, const std::string&, UINT) override { return IDOK; }
};

struct Rig {
  StringTable texts;
  ErrorLog log;
  QuietHost host;
  SilentPrompt prompt;
  std::string folder;
  std::string tree;

  std::unique_ptr<LibraryDocument> Document(bool backups) {
    DocumentSetup setup;
    setup.registryKey = "Software\\VelloraTools";
    setup.tempFolder = folder;
    BackupPolicy policy;
    policy.enabled = backups;
    policy.folder = folder + "\\Backups";
    setup.backups = policy;
    return std::make_unique<LibraryDocument>(host, prompt, texts, log, setup);
  }
};

void RemoveBackups(const std::string& folder) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + "\\*.vlx").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    std::string path = folder + "\\" + data.cFileName;
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
  } while (FindNextFileA(find, &data));
  FindClose(find);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: SaveBenchmark <work folder> [--rounds N]\n");
    return 2;
  }
  int rounds = 3;
  bool repackOnly = false;
  for (int i = 2; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--rounds") && i + 1 < argc) rounds = std::max(1, std::atoi(argv[++i]));
    if (!std::strcmp(argv[i], "--repack-only")) repackOnly = true;
  }
  CoInitialize(nullptr);
  {
    Rig rig;
    rig.texts.LoadForProgram();
    rig.folder = argv[1];
    rig.log = ErrorLog("savebench", rig.folder);
    rig.tree = rig.texts.TextOr(kTextFirstTreeFolder, "Favorite Tree");
    CreateDirectoryA(rig.folder.c_str(), nullptr);
    const std::string sample = rig.folder + "\\sample10k.vlx";
    if (FileBytes(sample) <= 0) {
      Clock made;
      if (!MakeSample(sample)) {
        std::fprintf(stderr, "cannot make %s\n", sample.c_str());
        return 2;
      }
      std::printf("sample made in %.1f s\n", made.Ms() / 1000);
    }
    std::printf("sample: %s, %lld kB (10,000 nodes, 1,000 items)\n", sample.c_str(), FileBytes(sample) / 1000);
    const std::string work = rig.folder + "\\work.vlx";

    // Backups on and off, in turns, after 1,000 new nodes.
    std::vector<double> open[2], add[2], save[2], total[2];
    for (int r = 0; r < rounds && !repackOnly; ++r) {
      for (int on = 0; on < 2; ++on) {
        RemoveBackups(rig.folder + "\\Backups");
        CopyFileA(sample.c_str(), work.c_str(), FALSE);
        auto doc = rig.Document(on == 1);
        Clock opened;
        if (!doc->OpenLibrary(work)) return 3;
        open[on].push_back(opened.Ms());
        if (on && doc->LastBackup().empty()) std::fprintf(stderr, "no backup was made\n");
        doc->SelectCurrentFolder(rig.tree);
        Clock added;
        AddNodes(*doc, 1000, "Thousand new");
        add[on].push_back(added.Ms());
        Clock saved;
        doc->Save();
        save[on].push_back(saved.Ms());
        total[on].push_back(open[on].back() + save[on].back());
        doc->Close();
      }
    }
    std::printf("\n1,000 new nodes, then Save (median of %d):\n", rounds);
    for (int on = 0; on < 2; ++on)
      std::printf("  backups %-3s: open %7.1f ms, adding %7.1f ms, Save %7.1f ms, open + Save %7.1f ms\n",
                  on ? "on" : "off", Median(open[on]), Median(add[on]), Median(save[on]), Median(total[on]));
    double offTotal = Median(total[0]), onTotal = Median(total[1]);
    std::printf("  with backups: Save %+.1f %%, open + Save %+.1f %%\n",
                100.0 * (Median(save[1]) - Median(save[0])) / std::max(1.0, Median(save[0])),
                100.0 * (onTotal - offTotal) / std::max(1.0, offTotal));

    // The flushed save of a one-node edit, step by step.
    std::vector<double> folderCommit, rootCommit, whole;
    for (int r = 0; r < rounds && !repackOnly; ++r) {
      CopyFileA(sample.c_str(), work.c_str(), FALSE);
      auto doc = rig.Document(false);
      if (!doc->OpenLibrary(work)) return 3;
      doc->SelectCurrentFolder(rig.tree);
      AddNodes(*doc, 1, "One new");
      Clock a;
      doc->CurrentFolder().Commit();
      folderCommit.push_back(a.Ms());
      Clock b;
      doc->Root().Commit();
      rootCommit.push_back(b.Ms());
      AddNodes(*doc, 1, "Another new");
      Clock d;
      doc->Save();
      whole.push_back(d.Ms());
      doc->Close();
    }
    std::printf("\none-node edit in the tree folder of the sample, then Save (median of %d):\n", rounds);
    std::printf("  folder commit %.1f ms; the platform's commit of the root, which Save no longer makes, %.1f ms\n",
                Median(folderCommit), Median(rootCommit));
    std::printf("  Save as a whole (the copy written, flushed, checked, renamed in, opened again) %.1f ms\n",
                Median(whole));

    // How the folder's commit grows with the nodes written.
    std::printf("\nthe tree folder's commit and the Save after it, by nodes written:\n");
    for (int count : {1, 10, 100, 1000, 3000}) {
      if (repackOnly) break;
      CopyFileA(sample.c_str(), work.c_str(), FALSE);
      auto doc = rig.Document(false);
      if (!doc->OpenLibrary(work)) return 3;
      doc->SelectCurrentFolder(rig.tree);
      AddNodes(*doc, count, "Batch");
      Clock a;
      doc->CurrentFolder().Commit();
      double commit = a.Ms();
      Clock b;
      doc->Save();
      const double saved = b.Ms();
      std::printf("  %5d nodes: folder commit %8.1f ms (%.2f ms a node), then Save %.1f ms\n", count, commit,
                  commit / count, saved);
      doc->Close();
    }

    // Repack of the sample, and its steps one by one: our writer's copy of
    // the whole library (beside the platform's own copy, which Repack used
    // before), the flush and the check of the copy, the rename.
    std::vector<double> repack, copying, platform, flushing, checking, renaming;
    for (int r = 0; r < rounds; ++r) {
      CopyFileA(sample.c_str(), work.c_str(), FALSE);
      auto doc = rig.Document(false);
      if (!doc->OpenLibrary(work)) return 3;
      const std::string copyPath = RepackCopyPath(work);
      const std::string other = work + ".platform";
      Clock p;
      {
        StorageHandle copy;
        if (SUCCEEDED(copy.CreateRoot(other.c_str(), kWriteMode)) && SUCCEEDED(doc->Root().CopyWholeStorage(copy)))
          copy.Commit();
      }
      platform.push_back(p.Ms());
      DeleteFileA(other.c_str());
      Clock a;
      CompoundFileWriter::CopyWhole(doc->Root().Get(), copyPath.c_str());
      copying.push_back(a.Ms());
      doc->Close();
      Clock b;
      FlushFileToDisk(copyPath);
      flushing.push_back(b.Ms());
      Clock c;
      CheckCompoundFile(copyPath.c_str());
      checking.push_back(c.Ms());
      Clock d;
      MoveFileExA(copyPath.c_str(), work.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
      renaming.push_back(d.Ms());
    }
    std::printf("\nRepack's steps: our writer's copy %.1f ms (the platform's copy %.1f ms), flush %.1f ms, "
                "check %.1f ms, rename %.1f ms\n",
                Median(copying), Median(platform), Median(flushing), Median(checking), Median(renaming));
    for (int r = 0; r < rounds; ++r) {
      CopyFileA(sample.c_str(), work.c_str(), FALSE);
      auto doc = rig.Document(false);
      if (!doc->OpenLibrary(work)) return 3;
      Clock a;
      doc->Repack();
      repack.push_back(a.Ms());
      doc->Close();
    }
    std::printf("\nRepack of the sample: %.1f ms (median of %d)\n", Median(repack), rounds);
    DeleteFileA(work.c_str());
    RemoveBackups(rig.folder + "\\Backups");
  }
  CoUninitialize();
  return 0;
}
