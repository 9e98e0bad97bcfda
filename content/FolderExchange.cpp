// Export folders as library and Import folders from library: the copies
// between library files and the two commands that run them.
#include "content/FolderExchange.h"

#include <commdlg.h>

#include <algorithm>
#include <cstdio>

#include "content/ContentCommands.h"
#include "store/CompoundFileCheck.h"
#include "store/LibraryFormat.h"

namespace vellora {

namespace {

constexpr char kLibraryFilter[] = "Vellora Library File(*.VLX)|*.vlx|";
// Enough for any folder count a library can hold (order numbers are 16 bits).
constexpr int kMaxNameNumber = 65536;

std::string FullPath(const std::string& path, std::string* folder = nullptr) {
  char full[MAX_PATH];
  char* filePart = nullptr;
  DWORD n = GetFullPathNameA(path.c_str(), MAX_PATH, full, &filePart);
  if (n == 0 || n >= MAX_PATH) return {};
  if (folder) *folder = filePart ? std::string(full, filePart) : std::string(full);
  return full;
}

bool SameFile(const std::string& a, const std::string& b) {
  const std::string fa = FullPath(a), fb = FullPath(b);
  return !fa.empty() && lstrcmpiA(fa.c_str(), fb.c_str()) == 0;
}

// The current folder is open through the document's own storage and cannot
// be opened a second time: a storage of its name is made in the new file and
// the held storage copied into it, pending changes included.
HRESULT CopyCurrentFolder(const LibraryDocument& document, const StorageHandle& file) {
  const StorageHandle& current = document.CurrentFolder();
  STATSTG stat = {};
  HRESULT hr = current->Stat(&stat, STATFLAG_NONAME);
  if (FAILED(hr)) return hr;
  StorageHandle copy;
  if (FAILED(hr = file.CreateStorage(document.CurrentFolderName().c_str(), kWriteMode, copy))) return hr;
  if (FAILED(hr = copy.WriteClass(stat.clsid))) return hr;
  if (FAILED(hr = current.CopyWholeStorage(copy))) return hr;
  // The copy may have taken the class id along; it must be the folder's.
  if (FAILED(hr = copy.WriteClass(stat.clsid))) return hr;
  if (stat.grfStateBits) hr = copy->SetStateBits(stat.grfStateBits, 0xFFFFFFFFu);
  return hr;
}

HRESULT WriteExport(const LibraryDocument& document, const std::vector<std::string>& names,
                    const std::string& path, std::string& failedFolder) {
  StorageHandle file;
  HRESULT hr = file.CreateRoot(path.c_str(), kReplaceMode);
  if (FAILED(hr)) return hr;
  for (const std::string& name : names) {
    const bool current = !document.CurrentFolder().Empty() && name == document.CurrentFolderName();
    hr = current ? CopyCurrentFolder(document, file)
                 : document.Root().CopyOrMoveElement(name.c_str(), file, nullptr, false);
    if (FAILED(hr)) {
      failedFolder = name;
      return hr;
    }
  }
  if (FAILED(hr = LayDownSettings(file))) return hr;
  return file.Commit();
}

std::string Fill(const std::string& format, const std::string& argument) {
  int n = std::snprintf(nullptr, 0, format.c_str(), argument.c_str());
  if (n <= 0) return format;
  std::string out(static_cast<size_t>(n) + 1, '\0');
  std::snprintf(out.data(), out.size(), format.c_str(), argument.c_str());
  out.resize(static_cast<size_t>(n));
  return out;
}

}  // namespace

std::string FreeFolderName(const StorageHandle& root, const std::string& name) {
  if (root.FindElement(name.c_str()) == ElementType::None) return name;
  for (int number = 2; number <= kMaxNameNumber; ++number) {
    const std::string suffix = "(" + std::to_string(number) + ")";
    std::string base = name;
    while (!base.empty() && WideFromAnsi(base + suffix).size() > kMaxElementName)
      base = CutToBytes(base, base.size() - 1);
    const std::string candidate = base + suffix;
    if (root.FindElement(candidate.c_str()) == ElementType::None) return candidate;
  }
  return {};
}

HRESULT ExportFolders(const LibraryDocument& document, const std::vector<std::string>& names,
                      const std::string& path, std::string& failedFolder) {
  failedFolder.clear();
  if (!document.IsOpen()) return E_UNEXPECTED;
  const std::string own = document.IsScratch() ? document.ScratchPath() : document.Path();
  if (SameFile(path, own)) return STG_E_SHAREVIOLATION;
  std::string folder;
  if (FullPath(path, &folder).empty()) return STG_E_INVALIDNAME;
  char temp[MAX_PATH];
  if (!GetTempFileNameA(folder.c_str(), "vlx", 0, temp)) return HRESULT_FROM_WIN32(GetLastError());
  HRESULT hr = WriteExport(document, names, temp, failedFolder);
  if (SUCCEEDED(hr) &&
      !MoveFileExA(temp, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH))
    hr = HRESULT_FROM_WIN32(GetLastError());
  if (FAILED(hr)) DeleteFileA(temp);
  return hr;
}

std::vector<std::string> FolderNamesByName(const StorageHandle& root) {
  std::vector<FolderEntry> folders;
  ListFolders(root, folders);
  std::vector<std::string> names;
  for (const FolderEntry& f : folders) names.push_back(f.name);
  std::sort(names.begin(), names.end());
  return names;
}

HRESULT ImportFolder(LibraryDocument& document, const StorageHandle& sourceRoot, const std::string& name,
                     std::string& newName, uint16_t& kind) {
  newName.clear();
  StorageHandle source;
  HRESULT hr = sourceRoot.OpenStorage(name.c_str(), kReadMode, source);
  if (FAILED(hr)) return hr;
  STATSTG stat = {};
  if (FAILED(hr = source->Stat(&stat, STATFLAG_NONAME))) return hr;
  uint16_t order = 0;
  DecodeFolderClassId(stat.clsid, kind, order);
  const std::string target = FreeFolderName(document.Root(), name);
  if (target.empty()) return STG_E_FILEALREADYEXISTS;
  // Made as a new folder first, so that the document counts it with the
  // next order number; then filled and given the source's class id with
  // that order number in place of its own.
  if (FAILED(hr = document.CreateFolder(target, kind))) return hr;
  {
    StorageHandle copy;
    hr = document.Root().OpenStorage(target.c_str(), kWriteMode, copy);
    if (SUCCEEDED(hr)) hr = source.CopyWholeStorage(copy);
    if (SUCCEEDED(hr)) {
      CLSID clsid = stat.clsid;
      clsid.Data3 = document.Folders().at(target).order;
      hr = copy.WriteClass(clsid);
    }
    if (SUCCEEDED(hr) && stat.grfStateBits) hr = copy->SetStateBits(stat.grfStateBits, 0xFFFFFFFFu);
  }
  if (FAILED(hr)) {
    document.DeleteFolder(target);
    return hr;
  }
  newName = target;
  return S_OK;
}

// ---- the commands ---------------------------------------------------------------

void ContentCommands::ExportFolders() {
  if (document_.ReadOnly()) {
    // The platform's copy would carry the damage along; Save Copy salvages.
    Message("This library is damaged and open read-only, so its folders are not exported.\n"
            "Save Copy saves what can be read of it.",
            Text(kTextTipCaption, "Tip"), MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  std::vector<std::string> names;
  for (int g = 0; g < host_.GroupCount(); ++g) names.push_back(host_.GroupName(g));
  std::vector<std::string> chosen;
  if (host_.SelectedGroup() >= 0) chosen.push_back(host_.GroupName(host_.SelectedGroup()));
  if (!prompt_.AskFolders(FolderPickMode::kExport, names, chosen) || chosen.empty()) return;

  FileDialogRequest request;
  request.save = true;
  request.title = "Export folder as library file";
  request.filter = kLibraryFilter;
  request.defaultExtension = "vlx";
  request.flags = OFN_EXPLORER | OFN_ENABLESIZING | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
  std::string path;
  if (!prompt_.ChooseFile(request, path)) return;

  std::string failedFolder;
  HRESULT hr = vellora::ExportFolders(document_, chosen, path, failedFolder);
  if (SUCCEEDED(hr)) return;
  std::string text;
  if (hr == STG_E_SHAREVIOLATION) {
    text = "The folders cannot be exported into the library that is open:\n" + path;
  } else {
    text = "The folders could not be exported to\n" + path + "\n\n";
    if (!failedFolder.empty()) text += "The folder \"" + failedFolder + "\" could not be copied.\n";
    text += "No file was written; a file of that name was left as it was.";
  }
  Message(text, Text(kTextFailCaption, "Fail"), MB_OK | MB_ICONEXCLAMATION);
}

void ContentCommands::ImportFolders() {
  if (document_.ReadOnly()) return;
  FileDialogRequest request;
  request.title = "Import form other library";
  request.filter = kLibraryFilter;
  request.defaultExtension = "vlx";
  request.flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
  std::string path;
  if (!prompt_.ChooseFile(request, path)) return;

  const std::string caption = Text(kTextTipCaption, "Tip");
  const std::string cannotOpen = Fill(Text(kTextImportOpenFailed, "Cannot open the library\n%s"), path);
  // Only a file our own reader found sound is handed to the platform: the
  // platform's copy would follow a damaged file's faults into this library.
  const CompoundFileReport report = CheckCompoundFile(path.c_str());
  if (report.fileOpened && !report.Sound()) {
    Message(cannotOpen + "\n\n" + report.Summary(), caption, MB_OK | MB_ICONSTOP);
    return;
  }
  // Read mode is enough, and exclusive as well: a library open here or in
  // another process is refused.
  StorageHandle other;
  if (!report.fileOpened || FAILED(other.OpenRoot(path.c_str(), kReadMode))) {
    Message(cannotOpen, caption, MB_OK | MB_ICONSTOP);
    return;
  }

  std::vector<std::string> chosen;
  if (!prompt_.AskFolders(FolderPickMode::kImport, FolderNamesByName(other), chosen)) return;
  std::string failed;
  bool added = false;
  for (const std::string& name : chosen) {
    std::string newName;
    uint16_t kind = 0;
    if (FAILED(ImportFolder(document_, other, name, newName, kind))) {
      failed += "\n" + name;
      continue;
    }
    host_.AddGroup(newName, kind);
    added = true;
  }
  other.Release();
  if (added) {
    document_.SetModified();
    if (host_.SelectedGroup() < 0) host_.SelectGroup(host_.GroupCount() - 1);
  }
  if (!failed.empty())
    Message("These folders could not be imported; nothing of them was added:" + failed,
            Text(kTextFailCaption, "Fail"), MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace vellora
