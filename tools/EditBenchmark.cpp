// Times the editing commands in the real main frame on a big library:
// adding, renaming and deleting a node among 10,000, pasting a 1,000-node
// branch from another folder, dropping a node among 5,000 siblings, showing
// a catalog folder of 2,000 items with custom icons, and saving after 1,000
// new nodes. Titles are varied words or, with --sequential, "Note 0001"...
//   EditBenchmark <work folder> [--sequential]
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "app/ErrorLog.h"
#include "app/StringTable.h"
#include "app/frame/MainFrame.h"
#include "content/CatalogOperations.h"
#include "tools/QuietContentPrompt.h"
#include "tools/QuietDocument.h"

using namespace vellora;

namespace {

double Now();

double Now() {
  LARGE_INTEGER t, f;
  QueryPerformanceCounter(&t);
  QueryPerformanceFrequency(&f);
  return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

// Says yes to every question and gives the next name it was told.
class YesPrompt : public NoContentPrompt {
 public:
  std::string name = "Renamed node";
  int ShowMessage(const std::string&, const std::string&, UINT type) override {
    return (type & 0xF) == MB_OK ? IDOK : IDYES;
  }
  bool AskPassword(const std::string&, const std::string&) override { return true; }
  bool AskName(const std::string&, const std::string&, std::string& answer, const std::string&) override {
    answer = name;
    return true;
  }
};

const char* kWords[] = {"Garden", "Budget", "Recipe", "Travel", "Meeting", "Invoice", "Letter", "Draft",
                        "Lecture", "Journal", "Review", "Contract", "Holiday", "Project", "Archive", "Plan"};

std::string Title(bool sequential, int index) {
  char text[48];
  if (sequential) std::snprintf(text, sizeof text, "Note %05d", index);
  else std::snprintf(text, sizeof text, "%s %s %d", kWords[(index * 7) % 16], kWords[(index * 13 + 5) % 16], index);
  return text;
}

void Leaf(const StorageHandle& parent, const std::string& title, int sequence) {
  static const char kText[] = "{\\rtf1 Some text.}";
  std::string used;
  CreateUnderFreeName(
      title,
      [&](const char* name) {
        NodeInfoRecord record;
        record.sequence = sequence;
        record.kind = kItemText;
        return CreateLeafNode(parent, name, record, kText, sizeof kText - 1);
      },
      used);
}

StorageHandle FolderNode(const StorageHandle& parent, const std::string& title, int sequence) {
  StorageHandle out;
  std::string used;
  NodeInfoRecord record;
  record.sequence = sequence;
  record.kind = kItemText;
  CreateUnderFreeName(title, [&](const char* name) { return CreateFolderNode(parent, name, record, out); }, used);
  return out;
}

// The .ico file every catalog item of the benchmark points to: one 32 x 32 image.
void WriteIcon(const std::string& path) {
  std::string ico;
  auto u16 = [&](uint16_t v) { ico.append(reinterpret_cast<const char*>(&v), 2); };
  auto u32 = [&](uint32_t v) { ico.append(reinterpret_cast<const char*>(&v), 4); };
  const uint32_t pixels = 32 * 32 * 4, mask = 32 * 4, image = 40 + pixels + mask;
  u16(0), u16(1), u16(1);
  ico += std::string{32, 32, 0, 0};
  u16(1), u16(32), u32(image), u32(22);
  u32(40), u32(32), u32(64), u16(1), u16(32), u32(0), u32(pixels + mask), u32(0), u32(0), u32(0), u32(0);
  for (int i = 0; i < 32 * 32; ++i) ico += std::string{'\x40', '\x80', '\x20', '\xFF'};
  ico += std::string(mask, '\0');
  HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(f, ico.data(), static_cast<DWORD>(ico.size()), &written, nullptr);
  CloseHandle(f);
}

void MakeLibrary(const std::string& path, const std::string& icon, bool sequential, const StringTable& texts) {
  QuietHost host;
  NoPrompt prompt;
  ErrorLog log("error");
  DocumentSetup setup;
  setup.registryKey = "Software\\VelloraBenchmark";
  LibraryDocument doc(host, prompt, texts, log, setup);
  doc.CreateLibrary(path);
  const StorageHandle& root = doc.Root();
  int index = 0;
  {
    // 10,000 nodes: 10 folder nodes of 10 folder nodes of about 99 leaves.
    StorageHandle tree = root.OpenStorageFor(texts.TextOr(kTextFirstTreeFolder, "").c_str(), false);
    for (int t = 0; t < 10; ++t) {
      StorageHandle a = FolderNode(tree, Title(sequential, ++index), t + 1);
      for (int m = 0; m < 10; ++m) {
        StorageHandle b = FolderNode(a, Title(sequential, ++index), m + 1);
        for (int l = 0; l < 99; ++l) Leaf(b, Title(sequential, ++index), l + 1);
      }
    }
  }
  doc.CreateFolder("Siblings", kFolderTree);
  {
    StorageHandle siblings = root.OpenStorageFor("Siblings", false);
    for (int i = 0; i < 5000; ++i) Leaf(siblings, Title(sequential, ++index), i + 1);
  }
  doc.CreateFolder("Source", kFolderTree);
  {
    StorageHandle source = root.OpenStorageFor("Source", false);
    StorageHandle branch = FolderNode(source, "Branch", 1);
    for (int m = 0; m < 10; ++m) {
      StorageHandle b = FolderNode(branch, Title(sequential, ++index), m + 1);
      for (int l = 0; l < 99; ++l) Leaf(b, Title(sequential, ++index), l + 1);
    }
  }
  {
    StorageHandle catalog = root.OpenStorageFor(texts.TextOr(kTextFirstCatalogFolder, "").c_str(), false);
    for (int i = 0; i < 2000; ++i) {
      std::string name = Title(sequential, ++index);
      doc.CreateItem(catalog, kItemText, name.c_str(), i + 1, kFolderItemInfo, kFolderItemContent, {});
      WriteItemIcon(catalog, name, icon);
    }
  }
  // Everything above waits in the new library's transaction until Save.
  double t = Now();
  doc.Save();
  std::printf("commit of the new library's transaction: %.0f ms\n", Now() - t);
}

int GroupNamed(ContentHost& host, const std::string& name) {
  for (int g = 0; g < host.GroupCount(); ++g)
    if (host.GroupName(g) == name) return g;
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: EditBenchmark <work folder> [--sequential]\n");
    return 2;
  }
  const bool sequential = argc > 2 && !std::strcmp(argv[2], "--sequential");
  CoInitialize(nullptr);
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_BAR_CLASSES | ICC_USEREX_CLASSES | ICC_COOL_CLASSES |
                                              ICC_TREEVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  HMODULE richEdit = LoadLibraryA("RICHED20.DLL");
  StringTable texts;
  if (!texts.LoadForProgram()) return 1;
  ErrorLog log("error");
  const std::string folder = argv[1];
  const std::string path = folder + "\\edit-benchmark.vlx", icon = folder + "\\item.ico";
  CreateDirectoryA(folder.c_str(), nullptr);
  WriteIcon(icon);
  double t = Now();
  MakeLibrary(path, icon, sequential, texts);
  std::printf("%s titles; library made in %.0f ms\n", sequential ? "sequential" : "varied", Now() - t);

  YesPrompt prompt;
  FrameSetup setup;
  setup.startupPath = path;
  setup.registryKey = "Software\\VelloraBenchmark";
  setup.prompt = &prompt;
  {
    MainFrame frame(texts, log, setup);
    if (!frame.CreateFrame()) return 1;
    frame.RestorePlacement(SW_SHOWNORMAL);
    Pump();
    ContentHost& host = frame;
    TreeAccess& tree = frame.Tree();
    auto command = [&](UINT id) {
      SendMessageA(frame.Handle(), WM_COMMAND, id, 0);
      Pump();
    };

    host.SelectGroup(GroupNamed(host, "Source"));
    Pump();
    t = Now();
    host.SelectGroup(GroupNamed(host, texts.TextOr(kTextFirstTreeFolder, "")));
    Pump();
    std::printf("select the 10,000-node tree folder: %7.1f ms\n", Now() - t);

    // The label edit a user would type is ended from here.
    t = Now();
    SendMessageA(frame.Handle(), WM_COMMAND, ID_NODE_ADD_ROOT, 0);
    NodeRef added = nullptr;
    for (NodeRef n = tree.FirstChild(nullptr); n; n = tree.Next(n)) added = n;
    frame.Content().EndLabelEdit(added, "Added node");
    Pump();
    std::printf("add a node:                         %7.1f ms\n", Now() - t);
    t = Now();
    frame.Content().EndLabelEdit(tree.Selected(), "Renamed node");
    Pump();
    std::printf("rename a node:                      %7.1f ms\n", Now() - t);
    t = Now();
    command(ID_NODE_DELETE);
    std::printf("delete a node:                      %7.1f ms\n", Now() - t);

    // A 1,000-node branch from another folder.
    host.SelectGroup(GroupNamed(host, "Source"));
    Pump();
    tree.Select(tree.FirstChild(nullptr));
    Pump();
    command(ID_ITEM_COPY);
    host.SelectGroup(GroupNamed(host, texts.TextOr(kTextFirstTreeFolder, "")));
    Pump();
    tree.Select(tree.FirstChild(nullptr));
    Pump();
    t = Now();
    command(ID_ITEM_PASTE);
    std::printf("paste a 1,000-node branch:          %7.1f ms\n", Now() - t);

    host.SelectGroup(GroupNamed(host, "Siblings"));
    Pump();
    NodeRef first = tree.FirstChild(nullptr), last = first;
    for (NodeRef n = first; n; n = tree.Next(n)) last = n;
    t = Now();
    frame.Content().DropNode(last, first);
    Pump();
    std::printf("drop a node among 5,000 siblings:   %7.1f ms\n", Now() - t);
    // The drop waits in the folder's transaction; Save commits it.
    t = Now();
    command(ID_FILE_SAVE);
    std::printf("save after that drop (commit):      %7.1f ms\n", Now() - t);

    t = Now();
    host.SelectGroup(GroupNamed(host, texts.TextOr(kTextFirstCatalogFolder, "")));
    UpdateWindow(frame.Handle());
    Pump();
    std::printf("show 2,000 items with icons:        %7.1f ms\n", Now() - t);
    // Leaving the folder commits it again (nothing changed in it).
    host.SelectGroup(GroupNamed(host, "Siblings"));
    Pump();
    t = Now();
    host.SelectGroup(GroupNamed(host, texts.TextOr(kTextFirstCatalogFolder, "")));
    UpdateWindow(frame.Handle());
    Pump();
    std::printf("show them again (read once, kept):  %7.1f ms\n", Now() - t);

    host.SelectGroup(GroupNamed(host, texts.TextOr(kTextFirstTreeFolder, "")));
    Pump();
    command(ID_FILE_SAVE);
    for (int i = 0; i < 1000; ++i) {
      SendMessageA(frame.Handle(), WM_COMMAND, ID_NODE_ADD_ROOT, 0);
      NodeRef last = nullptr;
      for (NodeRef n = tree.FirstChild(nullptr); n; n = tree.Next(n)) last = n;
      frame.Content().EndLabelEdit(last, Title(sequential, 900000 + i).c_str());
    }
    Pump();
    t = Now();
    command(ID_FILE_SAVE);
    std::printf("save after 1,000 new nodes:         %7.1f ms\n", Now() - t);
    DestroyWindow(frame.Handle());
    Pump();
  }
  if (richEdit) FreeLibrary(richEdit);
  CoUninitialize();
  return 0;
}
