#pragma once
// A file folder item as it lies in the library, with no window: its entries
// (links to files on disk and files embedded in the item's storage) in the
// content stream, the streams that hold embedded files, and the naming rules
// of titles, streams and the copies handed to other programs.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "content/ItemSource.h"
#include "store/StorageHandle.h"

namespace vellora {

inline constexpr uint32_t kEmbeddedFileFlag = 0x4000;

struct FileEntry {
  uint32_t flags = 0;      // kEmbeddedFileFlag: the bytes are in the library
  std::string title;       // unique within the item; the label in the view
  std::string sourcePath;  // where the file was added from
  // An embedded file's stream in the item storage: the title's file name,
  // or the name recorded in the record's third string when a unique one had
  // to be chosen. A name read from the file is kept as it is, but storage is
  // touched under it only when UsableStreamName says so.
  std::string streamName;

  bool Embedded() const { return (flags & kEmbeddedFileFlag) != 0; }
};

// What reading the entries found.
struct FileFolderRead {
  // The content ended inside a record or held a string that cannot be read:
  // the entries before it are in the list, nothing after it.
  bool damaged = false;
};

FileFolderRead ParseFileEntries(const std::string& content, std::vector<FileEntry>& out);
FileFolderRead ReadFileEntries(const OpenedItem& item, std::vector<FileEntry>& out);
// The content stream's bytes: one record per entry in view order.
std::string EncodeFileEntries(const std::vector<FileEntry>& entries);

// ---- names ------------------------------------------------------------------

using NameTaken = std::function<bool(const std::string&)>;

// The part of a title (or path) after its last backslash; the whole text when
// it has none.
std::string FileNamePart(const std::string& title);
// The stream of an entry stored without a stream name: its title's file name.
std::string StreamNameFromTitle(const std::string& title);
// Whether a stream of that name may hold an embedded file: a valid element
// name (at most 31 characters, none of \ / : ! or control characters) that
// is none of the library's own names ("FolderItemContent", "TabPageItemInfo",
// ...), which a crafted entry must never replace, rename or destroy.
bool UsableStreamName(const std::string& name);
// The title with "(2)" appended until no other entry has it.
std::string UniqueTitle(std::string title, const NameTaken& taken);
// A stream name for a new embedded file: the title's file name made valid
// for a compound file (no \ / : ! or control characters, at most 31
// characters, the extension kept, never a reserved name) and, while taken (compared without letter
// case, as the compound file does), numbered " (2)", " (3)", ... before its
// extension.
std::string NewStreamName(const std::string& title, const NameTaken& taken);
// The name of the copy an outside program opens: the stream name made valid
// for a file system (a device name such as "nul.txt" or "COM1" gets a '_' in
// front), with "(2)" marks moved in front of the extension ("b.txt(2)"
// becomes "b(2).txt") so the copy keeps the file's type.
std::string WorkingCopyName(const std::string& streamName);
// The file name that Export proposes: the title's file name with its "(2)"
// marks moved in front of the extension, given the source's extension when
// it has none of its own.
std::string ExportFileName(const FileEntry& entry);

// ---- streams of embedded files ---------------------------------------------

// A new stream in the item storage holding the file's bytes. Nothing is left
// behind when it fails.
HRESULT EmbedFile(const StorageHandle& itemStorage, const std::string& path, const std::string& streamName);
// Copies the source of an embedded entry into its stream again when the
// source exists and its size differs from the stream's, or the stream is
// missing. A source that is gone leaves the bytes in the library alone.
// S_FALSE when nothing needed copying.
HRESULT RefreshEmbeddedFile(const StorageHandle& itemStorage, const FileEntry& entry);

// What happened to the streams of embedded files since the last write.
struct StreamChanges {
  std::vector<std::pair<std::string, std::string>> renamed;  // old name, new name; in order
  std::vector<std::string> dropped;                          // of deleted entries

  bool Empty() const { return renamed.empty() && dropped.empty(); }
  void Clear() {
    renamed.clear();
    dropped.clear();
  }
};

// Writes the entries into an item opened for update: renames the streams of
// renamed entries, refreshes every embedded file from its source, writes
// the records, and removes the dropped streams that no entry still uses.
// The caller commits; a failure leaves the update to be given up.
HRESULT WriteFileFolder(OpenedItem& item, const std::vector<FileEntry>& entries, const StreamChanges& changes);
// Writes an embedded entry's bytes to a file (created or replaced); a file
// that could not be written whole is removed.
HRESULT ExportEmbeddedFile(const StorageHandle& itemStorage, const std::string& streamName, const std::string& path);
bool StreamExists(const StorageHandle& itemStorage, const std::string& streamName);
// The copy of an embedded entry that an outside program opens, in the
// working folder under WorkingCopyName: an older copy is replaced, and the
// new one is read-only, so whoever edits it is told by the editor instead of
// losing the edit when the folder is cleared. copyPath gets its path.
HRESULT WriteWorkingCopy(const StorageHandle& itemStorage, const FileEntry& entry, const std::string& folder,
                         std::string& copyPath);

}  // namespace vellora
