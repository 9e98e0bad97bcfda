// vlx: a library from a console or a script.
#include <windows.h>

#include <cstdio>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "content/AccessPasswords.h"
#include "content/CatalogItems.h"
#include "content/ItemSource.h"
#include "content/LibraryExport.h"
#include "content/NodeOperations.h"
#include "store/CompoundFileCheck.h"
#include "store/LibraryFormat.h"
#include "store/NodeTree.h"
#include "store/StorageHandle.h"

namespace {

using namespace vellora;

enum Exit { kOk = 0, kUsage = 1, kCannotOpen = 2, kDamaged = 3, kNotFound = 4, kWriteFailed = 5, kLocked = 6 };

const char kUsageText[] =
    "usage:\n"
    "  vlx check FILE\n"
    "  vlx list FILE [FOLDER] [--password PW]\n"
    "  vlx export FILE --html|--md|--txt OUT [--folder FOLDER] [--branch A/B/C] [--password PW]\n"
    "  vlx import-text FILE FOLDER A/B/C TEXTFILE\n"
    "OUT must not exist: --html writes one file (embedded files into OUT's name + \"_files\"),\n"
    "--md and --txt a folder of files mirroring the tree. Protected nodes and items are left\n"
    "out unless --password is theirs; a library password must be given the same way. import-text adds a text note at the\n"
    "path of titles in a tree folder, or replaces the text of the note there (never in a\n"
    "damaged library, nor in one with a library password).\n"
    "exit codes: 0 done, 1 wrong use, 2 the file cannot be opened, 3 the library is damaged,\n"
    "4 folder, branch or node not found, 5 writing failed (or OUT exists),\n"
    "6 the library has a library password and --password is not it\n";

int Usage() {
  std::fprintf(stderr, "%s", kUsageText);
  return kUsage;
}

std::vector<std::string> SplitPath(const std::string& path) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t slash = path.find('/', start);
    std::string part = path.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
    if (!part.empty()) parts.push_back(part);
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  return parts;
}

// 0 when the library may be used; else the exit code, with a message.
int Preflight(const char* path, bool mustBeSound) {
  CompoundFileReport report = CheckCompoundFile(path);
  if (!report.fileOpened) {
    std::fprintf(stderr, "vlx: cannot open %s: %s\n", path, report.Summary().c_str());
    return kCannotOpen;
  }
  if (report.Sound()) return kOk;
  if (mustBeSound || !report.PlatformMayRead()) {
    std::fprintf(stderr, "vlx: %s is damaged:\n%s\n", path, report.Summary(8).c_str());
    return kDamaged;
  }
  std::fprintf(stderr, "vlx: warning: %s is damaged; reading what can be read\n", path);
  return kOk;
}

int Check(const char* path) {
  CompoundFileReport report = CheckCompoundFile(path);
  if (!report.fileOpened) {
    std::printf("%s\n", report.Summary().c_str());
    return kCannotOpen;
  }
  if (report.Sound()) {
    std::printf("sound\n");
    return kOk;
  }
  std::printf("damaged (%s):\n%s\n", report.PlatformMayRead() ? "can be opened read-only" : "cannot be opened safely",
              report.Summary(32).c_str());
  return kDamaged;
}

const char* KindName(uint16_t kind) {
  switch (kind) {
    case kItemText: return "text";
    case kItemDataList: return "datalist";
    case kItemWebLink: return "weblink";
    case kItemWebArchive: return "webpage";
    case kItemFileFolder: return "files";
    case kItemTabPages: return "tabpages";
    case kItemOleControl: return "control";
    default: return "unknown";
  }
}

void PrintTree(const std::vector<TreeNode>& nodes, int depth) {
  for (const TreeNode& node : nodes) {
    std::printf("%*s%s\t%s%s\n", depth * 2, "", node.title.c_str(), node.isFolderNode ? "folder" : KindName(node.kind),
                node.HasPassword() ? "\tprotected" : "");
    PrintTree(node.children, depth + 1);
  }
}

int List(const char* path, const char* folderName, const std::string& password) {
  if (int code = Preflight(path, false)) return code;
  StorageHandle root;
  if (FAILED(root.OpenRoot(path, kReadMode))) {
    std::fprintf(stderr, "vlx: cannot open %s\n", path);
    return kCannotOpen;
  }
  std::string libraryPassword = ReadSettingsString(root, kLibraryPasswordSlot);
  if (!libraryPassword.empty() && password != libraryPassword) {
    std::fprintf(stderr, "vlx: %s has a library password\n", path);
    return kLocked;
  }
  std::vector<FolderEntry> folders;
  ListFolders(root, folders);
  std::stable_sort(folders.begin(), folders.end(),
                   [](const FolderEntry& a, const FolderEntry& b) { return a.order < b.order; });
  for (const FolderEntry& folder : folders) {
    std::string title = DisplayName(folder.name);
    if (!folderName) {
      std::printf("%s\t%s\n", title.c_str(), folder.kind == kFolderTree ? "tree" : "catalog");
      continue;
    }
    if (lstrcmpiA(title.c_str(), folderName) != 0) continue;
    StorageHandle storage = root.OpenStorageFor(folder.name.c_str(), true);
    if (folder.kind == kFolderTree) {
      std::vector<TreeNode> roots;
      LoadTree(storage, roots);
      PrintTree(roots, 0);
    } else {
      std::vector<CatalogItemEntry> items;
      LoadCatalogItems(storage, items);
      for (const CatalogItemEntry& item : items) {
        std::printf("%s\t%s%s\n", item.title.c_str(), KindName(item.kind), item.hasPassword ? "\tprotected" : "");
      }
    }
    return kOk;
  }
  if (folderName) {
    std::fprintf(stderr, "vlx: no folder %s\n", folderName);
    return kNotFound;
  }
  return kOk;
}

int Export(int argc, char** argv) {
  // vlx export FILE --html|--md|--txt OUT [options]
  if (argc < 5) return Usage();
  const char* path = argv[2];
  ExportOptions options;
  std::string format = argv[3];
  if (format == "--html") {
    options.format = ExportFormat::Html;
  } else if (format == "--md") {
    options.format = ExportFormat::Markdown;
  } else if (format == "--txt") {
    options.format = ExportFormat::Text;
  } else {
    return Usage();
  }
  std::string out = argv[4];
  std::vector<std::string> passwords;
  for (int i = 5; i < argc; ++i) {
    std::string option = argv[i];
    if (i + 1 >= argc) return Usage();
    if (option == "--folder") {
      options.folder = argv[++i];
    } else if (option == "--branch") {
      options.branch = SplitPath(argv[++i]);
    } else if (option == "--password") {
      passwords.push_back(argv[++i]);
    } else {
      return Usage();
    }
  }
  if (!options.branch.empty() && options.folder.empty()) return Usage();
  if (int code = Preflight(path, false)) return code;
  if (passwords.size() > 1) return Usage();
  if (!passwords.empty()) {
    std::string given = passwords[0];
    options.password = [given](const std::string&) { return given; };
  }
  ExportResult result = ExportLibrary(path, out, options);
  switch (result.status) {
    case ExportStatus::Done:
      std::printf("%u exported, %u protected left out\n", static_cast<unsigned>(result.nodes),
                  static_cast<unsigned>(result.leftOut));
      return kOk;
    case ExportStatus::CannotOpen:
      std::fprintf(stderr, "vlx: %s\n", result.message.c_str());
      return kCannotOpen;
    case ExportStatus::Locked:
      std::fprintf(stderr, "vlx: %s\n", result.message.c_str());
      return kLocked;
    case ExportStatus::NotFound:
      std::fprintf(stderr, "vlx: %s\n", result.message.c_str());
      return kNotFound;
    default:
      std::fprintf(stderr, "vlx: %s\n", result.message.c_str());
      return kWriteFailed;
  }
}

std::wstring ReadTextFile(const char* path, bool& ok) {
  ok = false;
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string bytes;
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  CloseHandle(file);
  ok = true;
  UINT cp = CP_UTF8;
  if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    bytes.erase(0, 3);
  } else if (!bytes.empty() &&
             MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0) == 0) {
    cp = CP_ACP;  // not UTF-8: the system code page
  }
  if (bytes.empty()) return {};
  int n = MultiByteToWideChar(cp, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring text(n > 0 ? n : 0, L'\0');
  if (n > 0) MultiByteToWideChar(cp, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), n);
  return text;
}

int ImportText(const char* path, const char* folderName, const char* nodePath, const char* textPath) {
  std::vector<std::string> titles = SplitPath(nodePath);
  if (titles.empty()) return Usage();
  bool read = false;
  std::wstring text = ReadTextFile(textPath, read);
  if (!read) {
    std::fprintf(stderr, "vlx: cannot read %s\n", textPath);
    return kCannotOpen;
  }
  // Never written into a library the check finds damaged.
  if (int code = Preflight(path, true)) return code;
  StorageHandle root;
  if (FAILED(root.OpenRoot(path, kWriteMode))) {
    std::fprintf(stderr, "vlx: cannot open %s for writing\n", path);
    return kCannotOpen;
  }
  if (!ReadSettingsString(root, kLibraryPasswordSlot).empty()) {
    std::fprintf(stderr, "vlx: %s has a library password; it is written only by the program\n", path);
    return kLocked;
  }
  std::vector<FolderEntry> folders;
  ListFolders(root, folders);
  const FolderEntry* folder = nullptr;
  for (const FolderEntry& entry : folders) {
    if (entry.kind == kFolderTree && lstrcmpiA(DisplayName(entry.name).c_str(), folderName) == 0) folder = &entry;
  }
  if (!folder) {
    std::fprintf(stderr, "vlx: no tree folder %s\n", folderName);
    return kNotFound;
  }
  StorageHandle storage = root.OpenStorageFor(folder->name.c_str(), false);
  if (!storage) {
    std::fprintf(stderr, "vlx: cannot open the folder %s for writing\n", folderName);
    return kWriteFailed;
  }
  std::vector<TreeNode> roots;
  LoadTree(storage, roots);
  NodePath parents;
  std::vector<TreeNode>* level = &roots;
  const TreeNode* parentNode = nullptr;
  for (size_t k = 0; k + 1 < titles.size(); ++k) {
    auto it = std::find_if(level->begin(), level->end(), [&](const TreeNode& n) { return n.title == titles[k]; });
    if (it == level->end()) {
      std::fprintf(stderr, "vlx: no node %s\n", titles[k].c_str());
      return kNotFound;
    }
    parents.push_back(it->elementName);
    parentNode = &*it;
    level = &it->children;
  }
  std::string title = CleanNodeTitle(titles.back());
  auto it = std::find_if(level->begin(), level->end(), [&](const TreeNode& n) { return n.title == title; });
  NodePath leaf = parents;
  HRESULT hr = S_OK;
  if (it != level->end()) {
    if (it->isFolderNode || it->kind != kItemText) {
      std::fprintf(stderr, "vlx: %s is not a text note\n", title.c_str());
      return kNotFound;
    }
    leaf.push_back(it->elementName);
  } else {
    std::string elementName;
    int32_t sequence = level->empty() ? 1 : level->back().sequence + 1;
    if (parentNode && !parentNode->isFolderNode) {
      NodePath leafPath = parents;
      hr = ConvertLeafAndAddChild(storage, leafPath, true, title, 1, elementName);
    } else {
      hr = CreateLeafUnder(storage, parents, title, sequence, elementName);
    }
    leaf.push_back(elementName);
  }
  if (SUCCEEDED(hr)) {
    LeafNodeSource source(storage, leaf, kItemText, title);
    OpenedItem item;
    hr = source.Open(true, item);
    if (SUCCEEDED(hr)) hr = item.ReplaceContent(RtfFromText(text));
  }
  if (SUCCEEDED(hr)) hr = storage.Commit();
  if (SUCCEEDED(hr)) hr = root.Commit();
  if (FAILED(hr)) {
    std::fprintf(stderr, "vlx: writing failed (0x%08lx)\n", static_cast<unsigned long>(hr));
    return kWriteFailed;
  }
  std::printf("%s %s\n", it != level->end() ? "replaced" : "added", nodePath);
  return kOk;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  std::string command = argv[1];
  if (command == "check" && argc == 3) return Check(argv[2]);
  if (command == "list") {
    // vlx list FILE [FOLDER] [--password PW]
    std::string password;
    if (argc >= 5 && std::strcmp(argv[argc - 2], "--password") == 0) {
      password = argv[argc - 1];
      argc -= 2;
    }
    if (argc == 3 || argc == 4) return List(argv[2], argc == 4 ? argv[3] : nullptr, password);
    return Usage();
  }
  if (command == "export") return Export(argc, argv);
  if (command == "import-text" && argc == 6) return ImportText(argv[2], argv[3], argv[4], argv[5]);
  return Usage();
}
