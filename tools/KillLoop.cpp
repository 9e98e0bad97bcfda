// Kills a program that is saving real edits at random moments and checks
// after every kill that the library still opens and holds either what it held
// before or what was being saved, never a mix and never nothing.
//   KillLoop <work folder> [--kills N] [--nodes N] [--mode save|repack|close|all]
//            [--earlier-repack] [--watch] [--seed S] [--max-delay MS]
// The program killed is this one, started again as a child that runs the real
// library document on a library of --nodes tree nodes (2,000 by default): in
// each round it writes one generation number into three places of the tree
// folder (a leaf's text, a leaf deep in the tree, and one new leaf per
// generation), then saves it as the mode says (Save; Repack; the close
// question answered Yes, then the library opened again; all: the three in
// turn). --earlier-repack repacks the way earlier versions did (the copy in
// the temporary folder, the library moved aside, the copy moved in), to show
// what that left. --watch also kills the moment the library's path holds no
// file, the worst moment a replacement can have.
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "app/ErrorLog.h"
#include "app/StringTable.h"
#include "platform/KernelHandle.h"
#include "store/CompoundFileCheck.h"
#include "store/LibraryDocument.h"
#include "store/SafeFileReplace.h"
#include "tools/BenchmarkTiming.h"
#include "tools/QuietDocument.h"

using namespace vellora;

namespace {

constexpr char kMarker[] = "Marker";
constexpr char kDeepFolder[] = "Deep";
constexpr char kDeepMarker[] = "Deep marker";
constexpr char kEditsFolder[] = "Edits";
constexpr ULONG kMarkerBytes = 24;  // "generation 00000000" and padding, always the same size

enum Phase : LONG { kStarting, kOpening, kEditing, kSaving, kRepacking, kClosing, kPhaseCount };
const char* kPhaseNames[kPhaseCount] = {"starting", "opening", "editing", "saving", "repacking", "close-saving"};

struct Shared {
  volatile LONG phase;
  volatile LONG generation;  // the last generation whose save returned
};

std::string MarkerText(long generation) {
  char text[kMarkerBytes + 1];
  std::snprintf(text, sizeof text, "generation %08ld      ", generation);
  return std::string(text, kMarkerBytes);
}

long ParseMarker(const std::vector<char>& bytes) {
  std::string text(bytes.begin(), bytes.end());
  if (text.compare(0, 11, "generation ") != 0) return -1;
  return std::strtol(text.c_str() + 11, nullptr, 10);
}

NodeInfoRecord Leaf(int sequence) {
  NodeInfoRecord r;
  r.sequence = sequence;
  r.kind = kItemText;
  return r;
}

// Yes to the close question, OK to every message, no to everything else;
// nothing is shown.
class YesPrompt : public NoPrompt {
 public:
  int ShowMessage(const std::string&, const std::string&, UINT type) override {
    return (type & 0xF) == MB_YESNOCANCEL ? IDYES : IDOK;
  }
};

// Declines every offer, shows nothing.
class DeclinePrompt : public NoPrompt {
 public:
  int ShowMessage(const std::string&, const std::string&, UINT type) override {
    return (type & 0xF) == MB_OK ? IDOK : IDNO;
  }
};

struct Stopwatch {
  LARGE_INTEGER start = Now();
  double Seconds() const { return Milliseconds(start, Now()) / 1000.0; }
};

long long FileBytes(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
  return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::string TreeName(const StringTable& texts) { return texts.TextOr(kTextFirstTreeFolder, "Favorite Tree"); }

// ---- the library ------------------------------------------------------------

bool MakeLibrary(const std::string& path, int nodes, const StringTable& texts, ErrorLog& log) {
  QuietHost host;
  NoPrompt prompt;
  DocumentSetup setup;
  setup.registryKey = "Software\\VelloraTools";
  setup.backups = BackupPolicy{false};
  LibraryDocument doc(host, prompt, texts, log, setup);
  if (!doc.CreateLibrary(path)) return false;
  StorageHandle tree = doc.Root().OpenStorageFor(TreeName(texts).c_str(), false);
  if (!tree) return false;
  std::string marker = MarkerText(0);
  CreateLeafNode(tree, kMarker, Leaf(1), marker.data(), kMarkerBytes);
  StorageHandle edits;
  CreateFolderNode(tree, kEditsFolder, Leaf(2), edits);
  edits.Release();
  // Ten folder nodes of ten folder nodes with leaves, the deep marker in the first.
  int made = 2;
  StorageHandle deep;
  for (int t = 0; t < 10 && made < nodes; ++t) {
    StorageHandle a;
    char name[32];
    std::snprintf(name, sizeof name, "Part %02d", t);
    CreateFolderNode(tree, name, Leaf(t + 3), a);
    ++made;
    for (int m = 0; m < 10 && made < nodes; ++m) {
      StorageHandle b;
      std::snprintf(name, sizeof name, "Chapter %02d", m);
      CreateFolderNode(a, name, Leaf(m + 1), b);
      ++made;
      for (int l = 0; l < (nodes - 110) / 100 && made < nodes; ++l, ++made) {
        std::snprintf(name, sizeof name, "Note %04d", l);
        std::string text = "Some text of a note, long enough to take a few small sectors of its own. " + std::string(name);
        CreateLeafNode(b, name, Leaf(l + 1), text.data(), static_cast<ULONG>(text.size()));
      }
      if (t == 0 && m == 0) {
        CreateFolderNode(b, kDeepFolder, Leaf(99), deep);
        CreateLeafNode(deep, kDeepMarker, Leaf(1), marker.data(), kMarkerBytes);
        deep.Release();
      }
    }
  }
  tree.Release();
  doc.Save();
  return true;
}

// The folder node of the deep marker, with the storages above it held open
// (letting a parent go would take its open children with it).
struct DeepFolder {
  StorageHandle part, chapter, deep;
  DeepFolder(const StorageHandle& tree, bool readOnly) {
    part = tree.OpenStorageFor("Part 00", readOnly);
    if (part) chapter = part.OpenStorageFor("Chapter 00", readOnly);
    if (chapter) deep = chapter.OpenStorageFor(kDeepFolder, readOnly);
  }
};

bool ReadLeafText(const StorageHandle& parent, const char* name, std::vector<char>& out) {
  StreamHandle leaf = parent.OpenStreamFor(name, true);
  if (!leaf) return false;
  if (FAILED(leaf.Seek(kRecordSize, STREAM_SEEK_SET))) return false;
  out.assign(kMarkerBytes, 0);
  ULONG got = 0;
  return SUCCEEDED(leaf.ReadBytes(out.data(), kMarkerBytes, &got)) && got == kMarkerBytes;
}

bool WriteLeafText(const StorageHandle& parent, const char* name, const std::string& text) {
  StreamHandle leaf = parent.OpenStreamFor(name, false);
  return leaf && SUCCEEDED(leaf.Seek(kRecordSize, STREAM_SEEK_SET)) &&
         SUCCEEDED(leaf.WriteBytes(text.data(), static_cast<ULONG>(text.size())));
}

// What a library holds: the generation of each of the three marks, or -1.
struct Marks {
  long marker = -1, deep = -1, edits = -1;
  bool Agree() const { return marker >= 0 && marker == deep && deep == edits; }
};

Marks ReadMarks(const StorageHandle& tree) {
  Marks marks;
  std::vector<char> bytes;
  if (ReadLeafText(tree, kMarker, bytes)) marks.marker = ParseMarker(bytes);
  DeepFolder deep(tree, true);
  if (deep.deep && ReadLeafText(deep.deep, kDeepMarker, bytes)) marks.deep = ParseMarker(bytes);
  StorageHandle edits = tree.OpenStorageFor(kEditsFolder, true);
  if (edits) {
    long count = 0;
    edits.ForEachElement([&](const STATSTG& stat, const std::string& name) {
      if (stat.type == STGTY_STREAM && name.compare(0, 5, "Edit ") == 0) ++count;
      return true;
    });
    marks.edits = count;
  }
  return marks;
}

// ---- the child: edits and saves until it is killed ----------------------------

// The earlier versions' repack, kept here only to show what a kill did to it:
// the copy in the temporary folder, then two renames.
bool EarlierRepack(LibraryDocument& doc, const std::string& tempFolder) {
  std::string path = doc.Path();
  std::string temp = tempFolder + "\\ForReplace.vlx";
  doc.StoreLastLocation();
  doc.CurrentFolder().Commit();
  doc.Root().Commit();
  doc.SetModified(false);
  {
    StorageHandle copy;
    HRESULT hr = copy.CreateRoot(temp.c_str(), kWriteMode);
    // The whole-storage copy needs the current folder closed: opening
    // another folder and letting it go through Close does that.
    if (SUCCEEDED(hr)) {
      std::string folder = doc.CurrentFolderName();
      doc.Close();
      StorageHandle root;
      hr = root.OpenRoot(path.c_str(), kWriteMode);
      if (SUCCEEDED(hr)) hr = root.CopyWholeStorage(copy);
      if (SUCCEEDED(hr)) hr = copy.Commit();
    }
    if (FAILED(hr)) return false;
  }
  std::string aside = path + ".repack-old";
  DeleteFileA(aside.c_str());
  if (!MoveFileExA(path.c_str(), aside.c_str(), MOVEFILE_WRITE_THROUGH)) return false;
  if (!MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH))
    return false;
  DeleteFileA(aside.c_str());
  return doc.OpenLibrary(path);
}

int RunChild(const std::string& path, const std::string& mode, bool earlier, const std::string& mapping) {
  KernelHandle map(OpenFileMappingA(FILE_MAP_WRITE, FALSE, mapping.c_str()));
  if (!map.Valid()) return 3;
  MappedView view(MapViewOfFile(map.Get(), FILE_MAP_WRITE, 0, 0, sizeof(Shared)));
  if (!view) return 3;
  Shared* shared = static_cast<Shared*>(view.Get());
  StringTable texts;
  texts.LoadForProgram();
  std::string folder = path.substr(0, path.find_last_of('\\'));
  ErrorLog log("killloop", folder);
  QuietHost host;
  YesPrompt prompt;
  DocumentSetup setup;
  setup.registryKey = "Software\\VelloraTools";
  setup.tempFolder = folder + "\\temp";
  CreateDirectoryA(setup.tempFolder.c_str(), nullptr);
  LibraryDocument doc(host, prompt, texts, log, setup);
  shared->phase = kOpening;
  if (!doc.OpenLibrary(path)) return 4;
  const std::string tree = TreeName(texts);
  unsigned seed = GetCurrentProcessId() * 2654435761u;
  for (long round = 0;; ++round) {
    shared->phase = kEditing;
    if (FAILED(doc.SelectCurrentFolder(tree))) return 5;
    const StorageHandle& current = doc.CurrentFolder();
    Marks now = ReadMarks(current);
    if (!now.Agree()) return 6;
    long g = now.marker + 1;
    std::string text = MarkerText(g);
    WriteLeafText(current, kMarker, text);
    {
      DeepFolder deep(current, false);
      if (deep.deep) WriteLeafText(deep.deep, kDeepMarker, text);
    }
    StorageHandle edits = current.OpenStorageFor(kEditsFolder, false);
    char name[32];
    std::snprintf(name, sizeof name, "Edit %ld", g);
    if (edits) CreateLeafNode(edits, name, Leaf(static_cast<int>(g)), text.data(), kMarkerBytes);
    edits.Release();
    // Some of the notes get longer, so saves move real amounts of data.
    for (int i = 0; i < 20; ++i) {
      seed = seed * 1103515245u + 12345u;
      int t = (seed >> 8) % 10, m = (seed >> 12) % 10, l = (seed >> 16) % 18;
      char part[16], chapter[16], note[16];
      std::snprintf(part, sizeof part, "Part %02d", t);
      std::snprintf(chapter, sizeof chapter, "Chapter %02d", m);
      std::snprintf(note, sizeof note, "Note %04d", l);
      StorageHandle a = current.OpenStorageFor(part, false);
      StorageHandle b = a ? a.OpenStorageFor(chapter, false) : StorageHandle();
      StreamHandle s = b ? b.OpenStreamFor(note, false) : StreamHandle();  // released before b and a
      if (!s) continue;
      std::string more(200, static_cast<char>('a' + g % 26));
      s.Seek(0, STREAM_SEEK_END);
      s.WriteBytes(more.data(), static_cast<ULONG>(more.size()));
    }
    doc.SetModified();
    const std::string& how = mode == "all" ? (round % 3 == 0 ? "save" : round % 3 == 1 ? "repack" : "close") : mode;
    if (how == "save") {
      shared->phase = kSaving;
      doc.Save();
    } else if (how == "repack") {
      shared->phase = kRepacking;
      bool done = earlier ? EarlierRepack(doc, setup.tempFolder) : doc.Repack();
      if (!done) return 7;
    } else {
      shared->phase = kClosing;
      if (!doc.AskBeforeGivingUp()) return 8;
      doc.Close();
      shared->phase = kOpening;
      if (!doc.OpenLibrary(path)) return 4;
    }
    shared->generation = g;
  }
}

// ---- the parent: kills and checks ---------------------------------------------

enum Outcome { kOld, kNew, kMixed, kDamagedButWhole, kDamaged, kNoLibrary, kUnreadable, kOutcomeCount };
const char* kOutcomeNames[kOutcomeCount] = {"old content", "new content", "mixed", "whole but reported damaged",
                                            "damaged", "no library at the path", "unreadable"};

struct Verdict {
  Outcome outcome = kUnreadable;
  long generation = -1;
  std::string findings;
  bool standInFound = false;
  uint32_t abandoned = 0;  // entries a cut-short save left outside every storage
  bool backupToOffer = false;  // a damaged library has a sound backup the open offers
};

Verdict Verify(const std::string& path, long confirmed, const std::string& tempFolder, const StringTable& texts,
               ErrorLog& log) {
  Verdict v;
  if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
    v.outcome = kNoLibrary;
    v.standInFound = !FindRepackLeftovers(path, tempFolder).empty();
    return v;
  }
  CompoundFileReport report = CheckCompoundFile(path.c_str());
  bool sound = report.Sound();
  if (!sound) v.findings = report.Summary(4);
  v.abandoned = report.abandonedEntries;
  // Opened as the program opens it: a damaged file read-only, nothing offered.
  QuietHost host;
  DeclinePrompt prompt;
  DocumentSetup setup;
  setup.registryKey = "Software\\VelloraTools";
  setup.tempFolder = tempFolder;
  setup.backups = BackupPolicy{false};
  LibraryDocument doc(host, prompt, texts, log, setup);
  if (!sound) v.backupToOffer = !LibraryBackups(BackupPolicy{}).NewestSound(path).empty();
  if (!report.PlatformMayRead() || !doc.OpenLibrary(path)) {
    v.outcome = kUnreadable;
    return v;
  }
  StorageHandle tree = doc.Root().OpenStorageFor(TreeName(texts).c_str(), true);
  Marks marks = tree ? ReadMarks(tree) : Marks{};
  tree.Release();
  doc.Close();
  v.generation = marks.marker;
  if (!marks.Agree()) {
    char text[96];
    std::snprintf(text, sizeof text, "marks: %ld, deep %ld, edits %ld", marks.marker, marks.deep, marks.edits);
    v.findings += text;
    v.outcome = sound ? kMixed : kDamaged;
  } else if (marks.marker == confirmed || marks.marker == confirmed + 1) {
    v.outcome = !sound ? kDamagedButWhole : marks.marker == confirmed ? kOld : kNew;
  } else {
    v.outcome = kMixed;  // neither before nor after: rolled back or ahead
  }
  return v;
}

std::string SelfPath() {
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  return self;
}

int RunParent(const std::string& folder, int kills, int nodes, const std::string& mode, bool earlier, bool watch,
              unsigned seed, int maxDelay) {
  StringTable texts;
  texts.LoadForProgram();
  CreateDirectoryA(folder.c_str(), nullptr);
  ErrorLog log("killloop", folder);
  const std::string path = folder + "\\kill.vlx";
  const std::string reference = folder + "\\reference.vlx";
  const std::string tempFolder = folder + "\\temp";
  CreateDirectoryA(tempFolder.c_str(), nullptr);
  DeleteFileA(path.c_str());
  Stopwatch made;
  if (!MakeLibrary(path, nodes, texts, log)) {
    std::fprintf(stderr, "cannot make %s\n", path.c_str());
    return 2;
  }
  CopyFileA(path.c_str(), reference.c_str(), FALSE);
  std::printf("kill loop: %d kills, %d-node library (%lld kB, made in %.1f s), mode %s, %s repack%s\n", kills, nodes,
              FileBytes(path) / 1000, made.Seconds(), mode.c_str(),
              earlier ? "earlier two-rename" : "one-step", watch ? ", watching the path" : "");
  std::fflush(stdout);

  char mappingName[64];
  std::snprintf(mappingName, sizeof mappingName, "VelloraKillLoop-%lu", GetCurrentProcessId());
  KernelHandle map(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(Shared), mappingName));
  MappedView view(MapViewOfFile(map.Get(), FILE_MAP_WRITE, 0, 0, sizeof(Shared)));
  if (!view) return 2;
  Shared* shared = static_cast<Shared*>(view.Get());

  int outcomes[kOutcomeCount] = {};
  int phases[kPhaseCount] = {};
  int standIns = 0, childFailures = 0, watchKills = 0, abandonedSeen = 0, backupsOffered = 0;
  std::map<std::string, int> findingsSeen;
  long confirmed = 0;
  for (int k = 0; k < kills; ++k) {
    shared->phase = kStarting;
    shared->generation = confirmed;
    std::string command = "\"" + SelfPath() + "\" --child \"" + path + "\" " + mode + (earlier ? " --earlier-repack" : "") +
                          " " + mappingName;
    STARTUPINFOA si = {sizeof si};
    PROCESS_INFORMATION pi = {};
    std::vector<char> line(command.begin(), command.end());
    line.push_back(0);
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 2;
    KernelHandle process(pi.hProcess), thread(pi.hThread);
    seed = seed * 1103515245u + 12345u;
    DWORD delay = 300 + (seed >> 8) % static_cast<unsigned>(maxDelay);
    Stopwatch since;
    bool exited = false;
    bool byWatch = false;
    while (since.Seconds() * 1000 < delay) {
      if (WaitForSingleObject(process.Get(), 0) == WAIT_OBJECT_0) {
        exited = true;
        break;
      }
      if (watch && shared->phase == kRepacking && GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        byWatch = true;
        break;
      }
      if (!watch) Sleep(1);
    }
    LONG phase = shared->phase;
    TerminateProcess(process.Get(), 99);
    WaitForSingleObject(process.Get(), INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.Get(), &code);
    if (exited && code != 99) {
      ++childFailures;
      std::printf("  the child ended by itself with code %lu\n", code);
    }
    if (byWatch) ++watchKills;
    confirmed = shared->generation;
    ++phases[phase >= 0 && phase < kPhaseCount ? phase : 0];
    Verdict v = Verify(path, confirmed, tempFolder, texts, log);
    ++outcomes[v.outcome];
    if (v.standInFound) ++standIns;
    if (v.abandoned) ++abandonedSeen;
    if (v.backupToOffer) ++backupsOffered;
    if (!v.findings.empty()) ++findingsSeen[v.findings];
    std::printf("  kill %3d after %4lu ms while %-12s -> %s (generation %ld, saved %ld)%s\n", k + 1, delay,
                kPhaseNames[phase >= 0 && phase < kPhaseCount ? phase : 0], kOutcomeNames[v.outcome], v.generation,
                confirmed, byWatch ? " [path empty]" : "");
    std::fflush(stdout);
    if (!v.findings.empty() || (v.outcome != kOld && v.outcome != kNew && v.outcome != kNoLibrary)) {
      // Kept for a closer look.
      char kept[64];
      std::snprintf(kept, sizeof kept, "\\kept-%03d.vlx", k + 1);
      CopyFileA(path.c_str(), (folder + kept).c_str(), FALSE);
    }
    if (v.outcome == kOld || v.outcome == kNew) {
      confirmed = v.generation;
      CopyFileA(path.c_str(), reference.c_str(), FALSE);
    } else {
      // Start the next round from the last library that was whole.
      CopyFileA(reference.c_str(), path.c_str(), FALSE);
      StorageHandle root;
      if (SUCCEEDED(root.OpenRoot(reference.c_str(), kReadMode))) {
        StorageHandle tree = root.OpenStorageFor(TreeName(texts).c_str(), true);
        confirmed = tree ? ReadMarks(tree).marker : 0;
      }
    }
    DeleteFileA(EarlierAsidePath(path).c_str());
    DeleteFileA((tempFolder + "\\ForReplace.vlx").c_str());
  }
  std::printf("killed while:");
  for (int p = 0; p < kPhaseCount; ++p) std::printf(" %s %d%s", kPhaseNames[p], phases[p], p + 1 < kPhaseCount ? "," : "\n");
  std::printf("after the kill:");
  for (int o = 0; o < kOutcomeCount; ++o)
    std::printf(" %s %d%s", kOutcomeNames[o], outcomes[o], o + 1 < kOutcomeCount ? "," : "\n");
  if (outcomes[kNoLibrary]) std::printf("  a whole copy to offer was there after %d of the empty paths\n", standIns);
  if (outcomes[kDamaged] + outcomes[kUnreadable] + outcomes[kDamagedButWhole])
    std::printf("  a sound backup to offer was there for %d of the damaged libraries\n", backupsOffered);
  if (watch) std::printf("  kills at an empty path: %d\n", watchKills);
  if (abandonedSeen)
    std::printf("  %d whole libraries held entries a cut-short save left outside every storage (not damage)\n",
                abandonedSeen);
  for (const auto& [text, n] : findingsSeen) std::printf("  reported %d time(s):\n%s\n", n, text.c_str());
  if (childFailures) std::printf("  the child stopped on its own %d time(s)\n", childFailures);
  int bad = kills - outcomes[kOld] - outcomes[kNew];
  std::printf("libraries not old or new: %d of %d\n", bad, kills);
  return bad || childFailures ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 5 && !std::strcmp(argv[1], "--child")) {
    CoInitialize(nullptr);
    bool earlier = argc >= 6 && !std::strcmp(argv[4], "--earlier-repack");
    int code = RunChild(argv[2], argv[3], earlier, argv[earlier ? 5 : 4]);
    CoUninitialize();
    return code;
  }
  if (argc < 2) {
    std::fprintf(stderr,
                 "usage: KillLoop <work folder> [--kills N] [--nodes N] [--mode save|repack|close|all] "
                 "[--earlier-repack] [--watch] [--seed S] [--max-delay MS]\n");
    return 2;
  }
  int kills = 20, nodes = 2000, maxDelay = 2500;
  unsigned seed = 12345;
  std::string mode = "all";
  bool earlier = false, watch = false;
  for (int i = 2; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--kills") && i + 1 < argc) kills = std::atoi(argv[++i]);
    else if (!std::strcmp(argv[i], "--nodes") && i + 1 < argc) nodes = std::atoi(argv[++i]);
    else if (!std::strcmp(argv[i], "--mode") && i + 1 < argc) mode = argv[++i];
    else if (!std::strcmp(argv[i], "--seed") && i + 1 < argc) seed = static_cast<unsigned>(std::atoi(argv[++i]));
    else if (!std::strcmp(argv[i], "--max-delay") && i + 1 < argc) maxDelay = std::atoi(argv[++i]);
    else if (!std::strcmp(argv[i], "--earlier-repack")) earlier = true;
    else if (!std::strcmp(argv[i], "--watch")) watch = true;
  }
  if (maxDelay < 1) maxDelay = 1;
  CoInitialize(nullptr);
  int code = RunParent(argv[1], kills, nodes, mode, earlier, watch, seed, maxDelay);
  CoUninitialize();
  return code;
}
