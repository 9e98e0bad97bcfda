// Makes a library with folders of both kinds, tree nodes and catalog items,
// through the library document, for the run command, for the independent
// reader check and, with --nodes/--items, for the benchmarks.
//   MakeSampleLibrary <path> [--nodes N] [--items M] [--sequential] [--protect]
// --protect gives every folder node of the middle level (a hundred of them)
// an access password.
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/ErrorLog.h"
#include "app/StringTable.h"
#include "store/LibraryDocument.h"
#include "store/WebArchive.h"
#include "tools/QuietDocument.h"

using namespace vellora;

namespace {

std::string Rtf(const std::string& text) {
  std::string out = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fnil Tahoma;}}\\viewkind4\\uc1\\pard\\f0\\fs20 ";
  for (char c : text) {
    if (c == '\n') out += "\\par\r\n";
    else if (c == '\\' || c == '{' || c == '}') { out += '\\'; out += c; }
    else out += c;
  }
  return out + "\\par\r\n}\r\n";
}

NodeInfoRecord NodeRecord(int sequence) {
  NodeInfoRecord r;
  r.sequence = sequence;
  r.kind = kItemText;
  return r;
}

HRESULT AddLeaf(const StorageHandle& parent, const std::string& title, int sequence, const std::string& text) {
  std::string rtf = Rtf(text);
  std::string used;
  return CreateUnderFreeName(
      title,
      [&](const char* name) {
        return CreateLeafNode(parent, name, NodeRecord(sequence), rtf.data(), static_cast<ULONG>(rtf.size()));
      },
      used);
}

HRESULT AddFolderNode(const StorageHandle& parent, const std::string& title, int sequence, StorageHandle& out,
                      const char* password = nullptr) {
  NodeInfoRecord record = NodeRecord(sequence);
  if (password) {
    record.flags = kPasswordFlag;
    record.SetPassword(password);
  }
  std::string used;
  return CreateUnderFreeName(
      title, [&](const char* name) { return CreateFolderNode(parent, name, record, out); }, used);
}

const char* kWords[] = {"Garden", "Budget", "Recipe", "Travel", "Meeting", "Invoice", "Letter", "Draft",
                        "Lecture", "Journal", "Review", "Contract", "Holiday", "Project", "Archive", "Plan",
                        "Summary", "Report", "Notes", "Sketch", "Outline", "Minutes", "Ideas", "Reading"};
constexpr int kWordCount = sizeof kWords / sizeof kWords[0];

std::string VariedTitle(unsigned& seed, int index) {
  seed = seed * 1103515245u + 12345u;
  const char* a = kWords[(seed >> 16) % kWordCount];
  seed = seed * 1103515245u + 12345u;
  const char* b = kWords[(seed >> 16) % kWordCount];
  char buf[64];
  std::snprintf(buf, sizeof buf, "%s %s %d", a, b, index);
  return buf;
}

std::string Title(bool sequential, unsigned& seed, int index) {
  if (!sequential) return VariedTitle(seed, index);
  char buf[32];
  std::snprintf(buf, sizeof buf, "Note %04d", index);
  return buf;
}

void MakeSampleContent(LibraryDocument& doc, const StringTable& texts) {
  const StorageHandle& root = doc.Root();
  StorageHandle tree = root.OpenStorageFor(texts.TextOr(kTextFirstTreeFolder, "Favorite Tree").c_str(), false);
  AddLeaf(tree, "Getting started", 1,
          "Welcome to Vellora.\nNotes, tables, web pages and files live together in one library.");
  StorageHandle projects;
  AddFolderNode(tree, "Projects", 2, projects);
  AddLeaf(projects, "Roadmap", 1, "Spring: garden plan\nSummer: travel journal");
  AddLeaf(projects, "Reading list", 2, "1. A book on gardens\n2. A book on travel");
  StorageHandle archive;
  AddFolderNode(projects, "Archive", 3, archive);
  AddLeaf(archive, "Old ideas", 1, "Kept for later.");
  archive.Release();
  projects.Release();
  AddLeaf(tree, "Shopping", 3, "Bread, apples, tea");
  tree.Release();

  StorageHandle catalog = root.OpenStorageFor(texts.TextOr(kTextFirstCatalogFolder, "Favorite Folder").c_str(), false);
  doc.CreateItem(catalog, kItemText, "Meeting notes", 1, kFolderItemInfo, kFolderItemContent, {});
  doc.CreateItem(catalog, kItemDataList, "Contacts", 2, kFolderItemInfo, kFolderItemContent,
                 {"Name", "Phone", "Mail"});
  doc.CreateItem(catalog, kItemWebLink, "Project site", 3, kFolderItemInfo, kFolderItemContent,
                 {"http://localhost/"});
  doc.CreateItem(catalog, kItemFileFolder, "Documents", 4, kFolderItemInfo, kFolderItemContent, {});
  doc.CreateItem(catalog, kItemTabPages, "Workbook", 5, kFolderItemInfo, kFolderItemContent, {});
  // A page kept whole, as Import webpage's "Embed webpage content" keeps one.
  if (SUCCEEDED(doc.CreateItem(catalog, kItemWebArchive, "Saved page", 6, kFolderItemInfo, kFolderItemContent, {}))) {
    const std::string page =
        "<html><head><title>Saved page</title></head><body><h1>A page kept in the library</h1>"
        "<p>It was saved with its pictures and style sheets, and shows without the network.</p></body></html>";
    const std::string saved = BuildWebArchive({"http://localhost/saved.html", "text/html", "windows-1252", page}, {},
                                              "Saved page");
    StorageHandle item = catalog.OpenStorageFor("Saved page", false);
    StreamHandle content = item ? item.OpenStreamFor(kFolderItemContent, false) : StreamHandle();
    if (content) content.WriteBytes(saved.data(), static_cast<ULONG>(saved.size()));
  }
  catalog.Release();
}

void MakeBenchmarkContent(LibraryDocument& doc, const StringTable& texts, int nodes, int items, bool sequential,
                          bool protect) {
  const StorageHandle& root = doc.Root();
  unsigned seed = 7;
  StorageHandle tree = root.OpenStorageFor(texts.TextOr(kTextFirstTreeFolder, "Favorite Tree").c_str(), false);
  // Three levels: 10 folder nodes, 10 folder nodes in each, leaves below.
  const int top = 10, middle = 10;
  int leaves = nodes - top - top * middle;
  if (leaves < 0) leaves = 0;
  int made = 0, index = 0;
  for (int t = 0; t < top; ++t) {
    StorageHandle a;
    AddFolderNode(tree, Title(sequential, seed, ++index), t + 1, a);
    for (int m = 0; m < middle; ++m) {
      StorageHandle b;
      AddFolderNode(a, Title(sequential, seed, ++index), m + 1, b, protect ? "sample" : nullptr);
      int here = leaves / (top * middle) + ((t * middle + m) < leaves % (top * middle) ? 1 : 0);
      for (int l = 0; l < here; ++l, ++made) AddLeaf(b, Title(sequential, seed, ++index), l + 1, "Some text.");
    }
  }
  tree.Release();
  StorageHandle catalog = root.OpenStorageFor(texts.TextOr(kTextFirstCatalogFolder, "Favorite Folder").c_str(), false);
  for (int i = 0; i < items; ++i) {
    std::string used;
    std::string title = Title(sequential, seed, i + 1);
    CreateUnderFreeName(
        title,
        [&](const char* name) {
          if (catalog.FindElement(name) != ElementType::None) return STG_E_FILEALREADYEXISTS;
          return doc.CreateItem(catalog, kItemText, name, i + 1, kFolderItemInfo, kFolderItemContent, {});
        },
        used);
  }
  catalog.Release();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: MakeSampleLibrary <path> [--nodes N] [--items M] [--sequential] [--protect]\n");
    return 2;
  }
  int nodes = 0, items = 0;
  bool sequential = false, protect = false;
  for (int i = 2; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--nodes") && i + 1 < argc) nodes = std::atoi(argv[++i]);
    else if (!std::strcmp(argv[i], "--items") && i + 1 < argc) items = std::atoi(argv[++i]);
    else if (!std::strcmp(argv[i], "--sequential")) sequential = true;
    else if (!std::strcmp(argv[i], "--protect")) protect = true;
  }
  CoInitialize(nullptr);
  int result = 1;
  {
    StringTable texts;
    texts.LoadForProgram();
    ErrorLog log("error");
    QuietHost host;
    NoPrompt prompt;
    DocumentSetup setup;
    setup.registryKey = "Software\\VelloraTools";
    LibraryDocument doc(host, prompt, texts, log, setup);
    if (doc.CreateLibrary(argv[1])) {
      if (nodes || items) MakeBenchmarkContent(doc, texts, nodes, items, sequential, protect);
      else MakeSampleContent(doc, texts);
      doc.Save();
      result = 0;
    } else {
      std::fprintf(stderr, "cannot create %s\n", argv[1]);
    }
  }
  CoUninitialize();
  return result;
}
