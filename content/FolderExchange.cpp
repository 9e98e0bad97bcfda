// Export folders as library and Import folders from library: the copies
// between library files and the two commands that run them.
#include "content/FolderExchange.h"

#include <commdlg.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

#include "content/ContentCommands.h"
#include "store/CompoundFileCheck.h"
#include "store/CompoundFileWriter.h"
#include "store/ElementWalk.h"
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

size_t CountElements(const StorageHandle& storage, int depth) {
  size_t count = 0;
  storage.ForEachElement([&](const STATSTG& stat, const std::string&) {
    ++count;
    if (stat.type == STGTY_STORAGE && depth < kMaxElementDepth) {
      StorageHandle child = storage.OpenStorageFor(stat.pwcsName, true);
      if (!child.Empty()) count += CountElements(child, depth + 1);
    }
    return true;
  });
  return count;
}

// What a progress bar counts: the folder and every element below it.
size_t CountFolderElements(const LibraryDocument& document, const std::string& name) {
  if (!document.CurrentFolder().Empty() && name == document.CurrentFolderName())
    return 1 + CountElements(document.CurrentFolder(), 1);
  StorageHandle folder;
  if (FAILED(document.Root().OpenStorage(name.c_str(), kReadMode, folder))) return 1;
  return 1 + CountElements(folder, 1);
}

// A folder's storage as the new file gets it: with its name, class id and
// state bits. The current folder is open through the document's own storage
// and cannot be opened a second time; that held storage is read, pending
// changes included.
HRESULT AddFolder(const LibraryDocument& document, const std::string& name, CompoundFileWriter& writer) {
  const bool current = !document.CurrentFolder().Empty() && name == document.CurrentFolderName();
  StorageHandle opened;
  if (!current) {
    HRESULT hr = document.Root().OpenStorage(name.c_str(), kReadMode, opened);
    if (FAILED(hr)) return hr;
  }
  IStorage* folder = current ? document.CurrentFolder().Get() : opened.Get();
  STATSTG stat = {};
  HRESULT hr = folder->Stat(&stat, STATFLAG_DEFAULT);
  if (FAILED(hr)) return hr;
  const std::wstring wide = stat.pwcsName ? stat.pwcsName : WideFromAnsi(name);
  CoTaskMemFree(stat.pwcsName);
  stat.pwcsName = nullptr;
  return writer.AddStorage(folder, wide, stat);
}

// The new file is written by our own writer in one pass: the platform's
// writer takes time growing with the square of the elements of a big folder.
HRESULT WriteExport(const LibraryDocument& document, const std::vector<std::string>& names,
                    const std::string& path, std::string& failedFolder, ProgressReport* progress) {
  size_t done = 0, total = 0;
  for (const std::string& name : names) total += CountFolderElements(document, name);
  CompoundFileWriter writer([&] { return !progress || progress->Step(++done, total); });
  HRESULT hr = writer.Create(path.c_str());
  if (FAILED(hr)) return hr;
  for (const std::string& name : names) {
    hr = AddFolder(document, name, writer);
    if (FAILED(hr)) {
      if (hr != E_ABORT) failedFolder = name;
      return hr;
    }
  }
  // The settings storage is laid down in memory and written with the rest.
  StorageHandle settings;
  {
    ComPtr<ILockBytes> bytes;
    IStorage* made = nullptr;
    if (FAILED(hr = CreateILockBytesOnHGlobal(nullptr, TRUE, bytes.Put()))) return hr;
    if (FAILED(hr = StgCreateDocfileOnILockBytes(bytes.Get(), STGM_CREATE | kWriteMode, 0, &made))) return hr;
    settings.Attach(made);
  }
  if (FAILED(hr = LayDownSettings(settings))) return hr;
  if (FAILED(hr = writer.AddContents(settings.Get()))) return hr;
  return writer.Finish();
}

// Copies every element of from into to, as the platform's whole-storage
// copy does, but one element at a time (so progress is heard and Cancel
// stops it) and each storage's elements in an order that leaves the
// destination's directory tree balanced.
HRESULT CopyElements(IStorage* from, IStorage* to, const std::function<bool()>& step, int depth) {
  if (depth > kMaxElementDepth) return STG_E_DOCFILECORRUPT;
  struct Element {
    std::wstring name;
    STATSTG stat;
  };
  std::vector<Element> elements;
  {
    ComPtr<IEnumSTATSTG> walk;
    HRESULT hr = from->EnumElements(0, nullptr, 0, walk.Put());
    if (FAILED(hr)) return hr;
    STATSTG stat = {};
    ULONG got = 0;
    while (walk->Next(1, &stat, &got) == S_OK && got == 1) {
      if (stat.pwcsName) {
        elements.push_back({stat.pwcsName, stat});
        elements.back().stat.pwcsName = nullptr;
      }
      CoTaskMemFree(stat.pwcsName);
    }
  }
  std::sort(elements.begin(), elements.end(),
            [](const Element& a, const Element& b) { return ElementNameLess(a.name, b.name); });
  for (size_t index : BalancedInsertOrder(elements.size())) {
    const Element& e = elements[index];
    HRESULT hr = S_OK;
    if (e.stat.type == STGTY_STORAGE) {
      ComPtr<IStorage> source, copy;
      if (FAILED(hr = from->OpenStorage(e.name.c_str(), nullptr, kReadMode, nullptr, 0, source.Put()))) return hr;
      if (FAILED(hr = to->CreateStorage(e.name.c_str(), kWriteMode, 0, 0, copy.Put()))) return hr;
      if (FAILED(hr = copy->SetClass(e.stat.clsid))) return hr;
      if (e.stat.grfStateBits && FAILED(hr = copy->SetStateBits(e.stat.grfStateBits, 0xFFFFFFFFu))) return hr;
      if (FAILED(hr = CopyElements(source.Get(), copy.Get(), step, depth + 1))) return hr;
      copy.Reset();
      to->SetElementTimes(e.name.c_str(), &e.stat.ctime, &e.stat.atime, &e.stat.mtime);
    } else if (e.stat.type == STGTY_STREAM) {
      ComPtr<IStream> source, copy;
      if (FAILED(hr = from->OpenStream(e.name.c_str(), nullptr, kReadMode, 0, source.Put()))) return hr;
      if (FAILED(hr = to->CreateStream(e.name.c_str(), kWriteMode, 0, 0, copy.Put()))) return hr;
      ULARGE_INTEGER all, read = {}, written = {};
      all.QuadPart = ~0ULL;
      if (FAILED(hr = source->CopyTo(copy.Get(), all, &read, &written))) return hr;
      if (written.QuadPart != e.stat.cbSize.QuadPart) return STG_E_WRITEFAULT;
    }
    if (!step()) return E_ABORT;
  }
  return S_OK;
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
                      const std::string& path, std::string& failedFolder, ProgressReport* progress) {
  failedFolder.clear();
  if (!document.IsOpen()) return E_UNEXPECTED;
  const std::string own = document.IsScratch() ? document.ScratchPath() : document.Path();
  if (SameFile(path, own)) return STG_E_SHAREVIOLATION;
  std::string folder;
  if (FullPath(path, &folder).empty()) return STG_E_INVALIDNAME;
  char temp[MAX_PATH];
  if (!GetTempFileNameA(folder.c_str(), "vlx", 0, temp)) return HRESULT_FROM_WIN32(GetLastError());
  HRESULT hr = WriteExport(document, names, temp, failedFolder, progress);
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
                     std::string& newName, uint16_t& kind, ProgressReport* progress) {
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
    size_t done = 0;
    const size_t total = progress ? CountElements(source, 1) : 0;
    if (SUCCEEDED(hr))
      hr = CopyElements(source.Get(), copy.Get(),
                        [&] { return !progress || progress->Step(++done, total); }, 1);
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
  HRESULT hr;
  {
    std::unique_ptr<ProgressReport> progress = prompt_.BeginProgress("Exporting folders");
    hr = vellora::ExportFolders(document_, chosen, path, failedFolder, progress.get());
  }
  if (SUCCEEDED(hr) || hr == E_ABORT) return;  // a cancelled export left nothing
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
  std::vector<std::pair<std::string, uint16_t>> imported;
  bool cancelled = false;
  {
    std::unique_ptr<ProgressReport> progress = prompt_.BeginProgress("Importing folders");
    for (const std::string& name : chosen) {
      std::string newName;
      uint16_t kind = 0;
      const HRESULT hr = ImportFolder(document_, other, name, newName, kind, progress.get());
      if (hr == E_ABORT) {
        cancelled = true;
        break;
      }
      if (FAILED(hr)) {
        failed += "\n" + name;
        continue;
      }
      imported.emplace_back(newName, kind);
    }
  }
  other.Release();
  // Cancel takes back the whole run: the folders it had copied go again.
  if (cancelled) {
    for (const auto& [name, kind] : imported) document_.DeleteFolder(name);
    return;
  }
  for (const auto& [name, kind] : imported) host_.AddGroup(name, kind);
  if (!imported.empty()) {
    document_.SetModified();
    if (host_.SelectedGroup() < 0) host_.SelectGroup(host_.GroupCount() - 1);
  }
  if (!failed.empty())
    Message("These folders could not be imported; nothing of them was added:" + failed,
            Text(kTextFailCaption, "Fail"), MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace vellora
