#include "content/FileFolder.h"

#include <algorithm>

#include "content/CountedStrings.h"
#include "content/WorkingFolder.h"
#include "store/LibraryFormat.h"

namespace vellora {

namespace {

constexpr size_t kRecordHead = 12;      // position, flags, reserved
constexpr size_t kLongestExtension = 16;  // ".backup-2024" and the like, not a whole sentence
constexpr char kCopyMark[] = "(2)";
constexpr size_t kCopyMarkLength = 3;

// Byte offsets of the characters of an ANSI text; a double-byte character's
// trail byte may equal '\' or '|', so texts are walked character by
// character, never byte by byte.
template <class Visit>
void ForEachCharacter(const std::string& text, Visit visit) {
  size_t at = 0;
  while (at < text.size()) {
    size_t step = (IsDBCSLeadByte(static_cast<BYTE>(text[at])) && at + 1 < text.size()) ? 2 : 1;
    visit(at, step);
    at += step;
  }
}

size_t LastSeparator(const std::string& text, bool slashToo) {
  size_t last = std::string::npos;
  ForEachCharacter(text, [&](size_t at, size_t step) {
    if (step == 1 && (text[at] == '\\' || (slashToo && text[at] == '/'))) last = at;
  });
  return last;
}

// The extension's offset (its dot), or npos for a name without one.
size_t ExtensionAt(const std::string& name) {
  size_t dot = std::string::npos;
  ForEachCharacter(name, [&](size_t at, size_t step) {
    if (step == 1 && name[at] == '.') dot = at;
  });
  if (dot == std::string::npos || dot == 0 || name.size() - dot > kLongestExtension || dot + 1 == name.size())
    return std::string::npos;
  return dot;
}

// "b.txt(2)(2)" -> "b(2)(2).txt": copy marks in front of the extension.
std::string MoveCopyMarks(const std::string& name) {
  size_t end = name.size();
  while (end >= kCopyMarkLength && name.compare(end - kCopyMarkLength, kCopyMarkLength, kCopyMark) == 0)
    end -= kCopyMarkLength;
  if (end == name.size()) return name;
  std::string base = name.substr(0, end);
  std::string marks = name.substr(end);
  size_t dot = ExtensionAt(base);
  if (dot == std::string::npos) return name;
  return base.substr(0, dot) + marks + base.substr(dot);
}

// A name the file system takes for a device, not a file: "CON", "nul.txt",
// "com1 .log", "LPT9." (what comes after the first dot and trailing dots and
// spaces do not count).
bool IsDeviceName(const std::string& name) {
  std::string base = name.substr(0, name.find('.'));
  while (!base.empty() && (base.back() == ' ' || base.back() == '.')) base.pop_back();
  for (const char* device : {"CON", "PRN", "AUX", "NUL"})
    if (lstrcmpiA(base.c_str(), device) == 0) return true;
  if (base.size() != 4 || base[3] < '1' || base[3] > '9') return false;
  std::string stem = base.substr(0, 3);
  return lstrcmpiA(stem.c_str(), "COM") == 0 || lstrcmpiA(stem.c_str(), "LPT") == 0;
}

// Characters a file system does not take in a file name become '_'; a
// device name gets a '_' in front, so what is written is a file.
std::string FileSystemName(const std::string& name) {
  std::string out = name;
  ForEachCharacter(out, [&](size_t at, size_t step) {
    if (step != 1) return;
    unsigned char c = static_cast<unsigned char>(out[at]);
    if (c < 32 || std::string("<>:\"/\\|?*").find(static_cast<char>(c)) != std::string::npos) out[at] = '_';
  });
  // Trailing dots and spaces are dropped by the file system; keep the name as written.
  while (!out.empty() && (out.back() == '.' || out.back() == ' ')) out.pop_back();
  if (out.empty()) return "File";
  return IsDeviceName(out) ? "_" + out : out;
}

bool SameName(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

bool ForbiddenInStreamName(wchar_t c) { return c < 32 || c == L'\\' || c == L'/' || c == L':' || c == L'!'; }

}  // namespace

// ---- records ----------------------------------------------------------------

FileFolderRead ParseFileEntries(const std::string& content, std::vector<FileEntry>& out) {
  out.clear();
  FileFolderRead result;
  CountedReader reader(content);
  while (reader.Remaining() > 0) {
    uint32_t position = 0, flags = 0, reserved = 0;
    if (reader.Remaining() < kRecordHead) {
      result.damaged = true;
      break;
    }
    reader.NextU32(position);
    reader.NextU32(flags);
    reader.NextU32(reserved);
    FileEntry entry;
    entry.flags = flags;
    std::string extra;
    if (reader.Next(entry.title) != CountedReader::Got::Text ||
        reader.Next(entry.sourcePath) != CountedReader::Got::Text ||
        reader.Next(extra) != CountedReader::Got::Text) {
      result.damaged = true;
      break;
    }
    if (entry.Embedded()) entry.streamName = extra.empty() ? StreamNameFromTitle(entry.title) : extra;
    out.push_back(std::move(entry));
  }
  return result;
}

FileFolderRead ReadFileEntries(const OpenedItem& item, std::vector<FileEntry>& out) {
  std::string content;
  bool readable = SUCCEEDED(item.SeekContent()) && ReadToEnd(item.Content(), content);
  FileFolderRead result = ParseFileEntries(content, out);
  if (!readable) result.damaged = true;
  return result;
}

std::string EncodeFileEntries(const std::vector<FileEntry>& entries) {
  std::string bytes;
  uint32_t position = 0;
  for (const FileEntry& entry : entries) {
    AppendU32(bytes, position++);
    AppendU32(bytes, entry.flags);
    AppendU32(bytes, 0);
    AppendCounted(bytes, entry.title);
    AppendCounted(bytes, entry.sourcePath);
    // The format names a stream after the title; only a name chosen apart
    // from it is recorded.
    const bool recorded = entry.Embedded() && entry.streamName != StreamNameFromTitle(entry.title);
    AppendCounted(bytes, recorded ? entry.streamName : std::string());
  }
  return bytes;
}

// ---- names ------------------------------------------------------------------

std::string FileNamePart(const std::string& title) {
  size_t cut = LastSeparator(title, false);
  return cut == std::string::npos ? title : title.substr(cut + 1);
}

std::string StreamNameFromTitle(const std::string& title) { return FileNamePart(title); }

bool UsableStreamName(const std::string& name) {
  if (name.empty() || IsReservedElementName(name)) return false;
  std::wstring wide = WideFromAnsi(name);
  return !wide.empty() && wide.size() <= kMaxElementName &&
         std::none_of(wide.begin(), wide.end(), ForbiddenInStreamName);
}

std::string UniqueTitle(std::string title, const NameTaken& taken) {
  while (taken(title)) title += kCopyMark;
  return title;
}

std::string NewStreamName(const std::string& title, const NameTaken& taken) {
  size_t cut = LastSeparator(title, true);
  std::wstring name = WideFromAnsi(cut == std::string::npos ? title : title.substr(cut + 1));
  for (wchar_t& c : name)
    if (ForbiddenInStreamName(c)) c = L'_';
  if (name.empty()) name = L"File";
  std::wstring stem = name, extension;
  size_t dot = name.find_last_of(L'.');
  if (dot != std::wstring::npos && dot > 0 && name.size() - dot <= kLongestExtension && dot + 1 < name.size()) {
    stem = name.substr(0, dot);
    extension = name.substr(dot);
  }
  std::string candidate;
  constexpr int kTries = 10000;
  for (int n = 1; n <= kTries; ++n) {
    std::wstring suffix = n == 1 ? std::wstring() : L" (" + std::to_wstring(n) + L")";
    std::wstring ext = extension;
    if (suffix.size() + ext.size() >= kMaxElementName) ext.clear();
    size_t room = kMaxElementName - suffix.size() - ext.size();
    std::wstring part = stem.substr(0, std::min(room, stem.size()));
    // Never half of a surrogate pair at the cut.
    if (part.size() < stem.size() && !part.empty() && part.back() >= 0xD800 && part.back() <= 0xDBFF) part.pop_back();
    std::wstring whole = part + suffix + ext;
    candidate = AnsiFromWideChars(whole.data(), whole.size());
    if (UsableStreamName(candidate) && !taken(candidate)) return candidate;
  }
  return candidate;
}

std::string WorkingCopyName(const std::string& streamName) { return FileSystemName(MoveCopyMarks(streamName)); }

std::string ExportFileName(const FileEntry& entry) {
  std::string name = MoveCopyMarks(FileNamePart(entry.title));
  if (ExtensionAt(name) == std::string::npos) {
    std::string source = FileNamePart(entry.sourcePath);
    size_t dot = ExtensionAt(source);
    if (dot != std::string::npos) name += source.substr(dot);
  }
  return FileSystemName(name);
}

// ---- streams ------------------------------------------------------------------

bool StreamExists(const StorageHandle& itemStorage, const std::string& streamName) {
  return UsableStreamName(streamName) && itemStorage.FindElement(streamName.c_str()) == ElementType::Stream;
}

HRESULT EmbedFile(const StorageHandle& itemStorage, const std::string& path, const std::string& streamName) {
  if (!UsableStreamName(streamName)) return STG_E_INVALIDNAME;
  if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) return STG_E_FILENOTFOUND;
  StreamHandle stream;
  HRESULT hr = itemStorage.CreateStream(streamName.c_str(), kWriteMode, stream);
  if (FAILED(hr)) return hr;
  if (stream.ImportFile(path.c_str(), false)) return S_OK;
  stream.Release();
  itemStorage.DestroyElement(streamName.c_str());
  return STG_E_WRITEFAULT;
}

HRESULT RefreshEmbeddedFile(const StorageHandle& itemStorage, const FileEntry& entry) {
  // A name the file gave that this storage cannot hold, or one of the item's
  // own streams, never has bytes to refresh.
  if (!entry.Embedded() || !UsableStreamName(entry.streamName)) return S_FALSE;
  WIN32_FILE_ATTRIBUTE_DATA source = {};
  if (!GetFileAttributesExA(entry.sourcePath.c_str(), GetFileExInfoStandard, &source) ||
      (source.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return S_FALSE;
  const ULONGLONG sourceSize = (static_cast<ULONGLONG>(source.nFileSizeHigh) << 32) | source.nFileSizeLow;
  StreamHandle stream;
  // Looked at without write access: an unchanged stream costs nothing then,
  // however big it is.
  HRESULT hr = itemStorage.OpenStream(entry.streamName.c_str(), kReadMode, stream);
  if (SUCCEEDED(hr) && stream.Size() == sourceSize) return S_FALSE;
  if (hr != STG_E_FILENOTFOUND && FAILED(hr)) return hr;
  // A new stream rather than one cut to nothing: a transacted storage under
  // Wine loses all its elements at the commit after a stream was emptied.
  stream.Release();
  if (SUCCEEDED(hr)) hr = itemStorage.DestroyElement(entry.streamName.c_str());
  else hr = S_OK;
  if (SUCCEEDED(hr)) hr = itemStorage.CreateStream(entry.streamName.c_str(), kWriteMode, stream);
  if (FAILED(hr)) return hr;
  return stream.ImportFile(entry.sourcePath.c_str(), false) ? S_OK : STG_E_WRITEFAULT;
}

HRESULT WriteFileFolder(OpenedItem& item, const std::vector<FileEntry>& entries, const StreamChanges& changes) {
  const StorageHandle& storage = item.itemStorage;
  HRESULT hr = S_OK;
  if (storage) {
    for (const auto& [from, to] : changes.renamed) {
      if (!UsableStreamName(from) || !UsableStreamName(to)) continue;
      hr = storage.RenameElement(from.c_str(), to.c_str());
      // A stream that was never there has nothing to carry over.
      if (FAILED(hr) && hr != STG_E_FILENOTFOUND) return hr;
    }
    for (const FileEntry& entry : entries) {
      hr = RefreshEmbeddedFile(storage, entry);
      if (FAILED(hr)) return hr;
    }
  }
  hr = item.ReplaceContent(EncodeFileEntries(entries));
  if (FAILED(hr) || !storage) return hr;
  for (const std::string& name : changes.dropped) {
    // Two entries of an older file may share a stream: it goes with the last one.
    bool used = std::any_of(entries.begin(), entries.end(), [&](const FileEntry& e) {
      return e.Embedded() && SameName(e.streamName, name);
    });
    if (used || !UsableStreamName(name)) continue;
    HRESULT destroyed = storage.DestroyElement(name.c_str());
    if (FAILED(destroyed) && destroyed != STG_E_FILENOTFOUND) return destroyed;
  }
  return S_OK;
}

HRESULT ExportEmbeddedFile(const StorageHandle& itemStorage, const std::string& streamName, const std::string& path) {
  if (!UsableStreamName(streamName)) return STG_E_FILENOTFOUND;
  StreamHandle stream;
  HRESULT hr = itemStorage.OpenStream(streamName.c_str(), kReadMode, stream);
  if (FAILED(hr)) return hr;
  return stream.ExportToFile(path.c_str()) ? S_OK : STG_E_WRITEFAULT;
}

HRESULT WriteWorkingCopy(const StorageHandle& itemStorage, const FileEntry& entry, const std::string& folder,
                         std::string& copyPath) {
  copyPath.clear();
  if (!EnsureWorkingFolder(folder)) return STG_E_PATHNOTFOUND;
  std::string path = folder + "\\" + WorkingCopyName(entry.streamName);
  // The copy of an earlier opening is read-only; it gives way to the new one.
  if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  HRESULT hr = ExportEmbeddedFile(itemStorage, entry.streamName, path);
  if (FAILED(hr)) return hr;
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
  copyPath = path;
  return S_OK;
}

}  // namespace vellora
