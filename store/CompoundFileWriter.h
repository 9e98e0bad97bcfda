#pragma once
// Writes a new compound file in one pass from storages that are open
// elsewhere. The platform's own writer looks for a free directory entry from
// the first entry on for every element it adds, so copying a folder of many
// thousand nodes into a new file takes time that grows with the square of its
// elements; this writer lays every element down once, in order: stream
// contents as they are read, then the mini stream, the directory (each
// storage's elements as a balanced red-black tree), the allocation tables
// and the header. The result is a version 3 file (512-byte sectors) that any
// reader of the format opens; nothing is read back from it while writing.
#include <windows.h>
#include <objidl.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vellora {

// The order of element names in a storage's directory tree: shorter names
// first, then by the upper-case form, character by character.
bool ElementNameLess(const std::wstring& a, const std::wstring& b);

// An order in which to add n elements, sorted by name, to a storage that
// never rebalances its tree (the platform's): each middle element before
// the halves around it, so the tree comes out balanced rather than as a
// chain that every later look-up walks.
std::vector<size_t> BalancedInsertOrder(size_t n);

class CompoundFileWriter {
 public:
  // Called after each element is written; answering false stops the write
  // (Add* then fail with E_ABORT).
  using Progress = std::function<bool()>;

  explicit CompoundFileWriter(Progress progress = {});
  ~CompoundFileWriter();  // an unfinished file is closed and deleted
  CompoundFileWriter(const CompoundFileWriter&) = delete;
  CompoundFileWriter& operator=(const CompoundFileWriter&) = delete;

  // Creates (or replaces) the file at path.
  HRESULT Create(const char* path);
  // Adds the elements of storage, all the way down, as a storage called name
  // of the new file's root, with the given class id, state bits and times.
  HRESULT AddStorage(IStorage* storage, const std::wstring& name, const STATSTG& stat);
  // Adds each element of storage to the new file's root.
  HRESULT AddContents(IStorage* storage);
  // The root's class id and state bits (none unless set).
  void SetRootClass(const CLSID& clsid, DWORD stateBits) {
    entries_[0].clsid = clsid;
    entries_[0].stateBits = stateBits;
  }
  // A whole copy of storage (a library's root) written to path, flushed.
  static HRESULT CopyWhole(IStorage* storage, const char* path, Progress progress = {});
  // Writes the rest of the file and flushes it to the disk. On failure the
  // file is deleted.
  HRESULT Finish();
  // Deletes the file (nothing happens once Finish succeeded).
  void Abandon();

  // Directory entries so far, the root included.
  size_t Entries() const { return entries_.size(); }

 private:
  struct Entry {
    std::wstring name;
    uint8_t type = 0;  // 1 storage, 2 stream, 5 root
    CLSID clsid = {};
    DWORD stateBits = 0;
    FILETIME created = {};
    FILETIME modified = {};
    uint32_t start = 0;
    uint64_t size = 0;
    std::vector<uint32_t> children;
    uint32_t left = 0xFFFFFFFFu, right = 0xFFFFFFFFu, child = 0xFFFFFFFFu;
    uint8_t color = 1;  // black
  };

  HRESULT AddChildren(IStorage* storage, uint32_t parent, int depth);
  HRESULT AddStream(IStorage* parent, const STATSTG& stat, uint32_t entry);
  uint32_t NewEntry(uint32_t parent, const wchar_t* name, uint8_t type);
  HRESULT Append(const void* bytes, size_t size);
  HRESULT PadToSector();
  HRESULT FlushBuffer();
  uint32_t ChainSectors(size_t bytes);  // the data sectors just appended
  void BuildTrees();
  uint32_t BuildTree(std::vector<uint32_t>& sorted, size_t low, size_t high, int depth, int redDepth);
  bool Continue();

  Progress progress_;
  std::string path_;
  HANDLE file_ = INVALID_HANDLE_VALUE;
  bool finished_ = false;
  std::vector<Entry> entries_;
  std::vector<uint32_t> fat_;       // next sector of every sector written after the header
  std::string mini_;                // the mini stream
  std::vector<uint32_t> miniFat_;   // next mini sector of every mini sector
  std::vector<char> buffer_;        // bytes not yet written to the file
  uint64_t written_ = 0;            // bytes after the header, buffered ones included
};

}  // namespace vellora
