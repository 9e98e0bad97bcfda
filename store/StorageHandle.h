#pragma once
// Owning handles over the structured-storage interfaces of a library file, the
// fixed open modes, and the ANSI <-> UTF-16 conversion of element names.
// Nothing here shows a message: results go back as HRESULTs, handles or flags.
#include <windows.h>
#include <objbase.h>
#include <objidl.h>

#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "platform/ComPtr.h"

namespace vellora {

// The only STGM combinations the program uses.
constexpr DWORD kReadMode = STGM_READ | STGM_SHARE_EXCLUSIVE;                          // 0x10
constexpr DWORD kWriteMode = STGM_READWRITE | STGM_SHARE_EXCLUSIVE;                    // 0x12
constexpr DWORD kReplaceMode = kWriteMode | STGM_CREATE;                               // 0x1012
constexpr DWORD kTransactedMode = kWriteMode | STGM_TRANSACTED;                        // 0x10012
constexpr DWORD kTransactedFileMode = kTransactedMode | STGM_CREATE;                   // 0x11012
constexpr DWORD kScratchFileMode = kWriteMode | STGM_DELETEONRELEASE;                  // 0x4000012

// Size of the info records that most reads and writes move (item and node records).
constexpr ULONG kRecordSize = 40;

enum class ElementType { None = 0, Storage = 1, Stream = 2 };

// An element name converted from the thread's ANSI code page into UTF-16 on
// the stack. A null name, one too long for the buffer or one that does not
// convert gives a null pointer, which makes the storage call fail.
class WideName {
 public:
  explicit WideName(const char* ansi);
  const wchar_t* Get() const { return ok_ ? buffer_ : nullptr; }

 private:
  static constexpr int kCapacity = 260;
  wchar_t buffer_[kCapacity];
  bool ok_ = false;
};

// UTF-16 name from an enumeration turned into ANSI (same code page).
std::string AnsiFromWide(const wchar_t* wide);
std::wstring WideFromAnsi(const std::string& ansi);

// Holds at most one interface pointer; releases it at destruction or
// reassignment when it owns it (every handle made by this layer does).
template <class I>
class InterfaceHandle {
 public:
  InterfaceHandle() = default;
  InterfaceHandle(I* pointer, bool owns) : pointer_(pointer), owns_(owns) {}
  InterfaceHandle(const InterfaceHandle&) = delete;
  InterfaceHandle& operator=(const InterfaceHandle&) = delete;
  InterfaceHandle(InterfaceHandle&& other) noexcept
      : pointer_(std::exchange(other.pointer_, nullptr)), owns_(std::exchange(other.owns_, false)) {}
  InterfaceHandle& operator=(InterfaceHandle&& other) noexcept {
    if (this != &other) {
      Release();
      pointer_ = std::exchange(other.pointer_, nullptr);
      owns_ = std::exchange(other.owns_, false);
    }
    return *this;
  }
  ~InterfaceHandle() { Release(); }

  void Attach(I* pointer, bool owns = true) {
    Release();
    pointer_ = pointer;
    owns_ = owns;
  }
  void Release() {
    I* old = std::exchange(pointer_, nullptr);
    if (old && owns_) old->Release();
    owns_ = false;
  }
  I* Get() const { return pointer_; }
  I* operator->() const { return pointer_; }
  bool Empty() const { return pointer_ == nullptr; }
  explicit operator bool() const { return pointer_ != nullptr; }

 protected:
  // Receives a new pointer from a creating call; the handle owns it.
  I** Receive() {
    Release();
    owns_ = true;
    return &pointer_;
  }

 private:
  I* pointer_ = nullptr;
  bool owns_ = false;
};

class StreamHandle;

class StorageHandle : public InterfaceHandle<IStorage> {
 public:
  using InterfaceHandle::InterfaceHandle;

  // Root storages (library files).
  HRESULT OpenRoot(const char* path, DWORD mode);
  HRESULT CreateRoot(const char* path, DWORD mode);

  HRESULT OpenStorage(const char* name, DWORD mode, StorageHandle& out) const;
  StorageHandle OpenStorageFor(const char* name, bool readOnly) const;
  StorageHandle OpenStorageFor(const wchar_t* enumeratedName, bool readOnly) const;
  HRESULT CreateStorage(const char* name, DWORD mode, StorageHandle& out) const;
  HRESULT CreateOrReplaceStorage(const char* name, DWORD mode, StorageHandle& out) const;

  HRESULT OpenStream(const char* name, DWORD mode, StreamHandle& out) const;
  StreamHandle OpenStreamFor(const char* name, bool readOnly) const;
  StreamHandle OpenStreamFor(const wchar_t* enumeratedName, bool readOnly) const;
  HRESULT CreateStream(const char* name, DWORD mode, StreamHandle& out) const;
  // Lays down an empty stream (write mode) and lets it go at once.
  HRESULT CreateEmptyStream(const char* name) const;

  HRESULT DestroyElement(const char* name) const;
  // Renames in place where the platform's rename writes a right directory
  // entry, else by copy and destroy (see PlatformRenameIsSound). Either way
  // STG_E_FILEALREADYEXISTS says the new name is taken, STG_E_ACCESSDENIED
  // that the element is open; a failed rename leaves the element as it was.
  HRESULT RenameElement(const char* oldName, const char* newName) const;
  // Copies (or moves) one element into the destination, under newName or,
  // when that is null, under the same name. The element's class id, state
  // bits and times are kept. Fails with STG_E_FILEALREADYEXISTS when the
  // destination name is taken; a failed copy or move leaves no trace in the
  // destination and the source as it was.
  HRESULT CopyOrMoveElement(const char* name, const StorageHandle& destination, const char* newName,
                            bool move) const;
  // Copies every element of this storage into the destination.
  HRESULT CopyWholeStorage(const StorageHandle& destination) const;

  // Case-insensitive look-up of an element by name.
  ElementType FindElement(const char* name) const;
  HRESULT Enumerate(ComPtr<IEnumSTATSTG>& out) const;
  // Visits each element with its ANSI name; the visitor returns false to stop.
  // Answers the HRESULT of starting the enumeration.
  HRESULT ForEachElement(const std::function<bool(const STATSTG&, const std::string&)>& visit) const;

  HRESULT Commit() const;
  HRESULT ReadClass(CLSID& out) const;
  HRESULT WriteClass(const CLSID& clsid) const;
};

class StreamHandle : public InterfaceHandle<IStream> {
 public:
  using InterfaceHandle::InterfaceHandle;
  friend class StorageHandle;

  // Fixed-size records; size 0 means the 40-byte info record. Succeeds only
  // when exactly size bytes moved. With rewind the position goes back by size
  // afterwards, so a record can be read and then rewritten in place.
  bool ReadRecord(void* buffer, ULONG size = 0, bool rewind = false) const;
  bool WriteRecord(const void* buffer, ULONG size = 0, bool rewind = false) const;

  // Size 0, position 0.
  HRESULT Reset() const;

  // Counted UTF-16 strings: u32 byte count, then the text with its NUL. A null
  // string (nullopt) is the count 0 alone; the end of the stream reads as a
  // null string. A count that does not fit what the stream still holds is a
  // failed read (the position goes back over the count).
  HRESULT WriteCountedString(const std::optional<std::string>& ansi) const;
  HRESULT WriteCountedStringW(const wchar_t* text, size_t length) const;  // text null: null string
  HRESULT ReadCountedString(std::optional<std::string>& out) const;
  HRESULT ReadCountedStringW(std::optional<std::wstring>& out) const;

  // A 16-bit VARTYPE followed by the value.
  HRESULT WriteVariant(const VARIANT& value) const;
  // out must be initialised; it is cleared first. An object variant names a
  // COM class that loading would instantiate: unless the caller asks for
  // objects (a stream it made itself), it is refused with DISP_E_BADVARTYPE
  // and the position stays before the type.
  enum class Objects { kRefuse, kLoad };
  HRESULT ReadVariant(VARIANT& out, Objects objects = Objects::kRefuse) const;

  HRESULT OpenOnMemory(HGLOBAL memory, bool deleteOnRelease);

  // Whole files in and out through file mappings.
  bool ImportFile(const char* path, bool onlyIfChanged) const;
  bool ExportToFile(const char* path) const;
  bool ExportTailToFile(const char* path, ULONG offset) const;

  HRESULT Seek(LONGLONG offset, DWORD origin, ULONGLONG* newPosition = nullptr) const;
  ULONGLONG Position() const;
  ULONGLONG Size() const;
  // Bytes between the current position and the end.
  ULONGLONG Remaining() const;
  HRESULT ReadBytes(void* buffer, ULONG size, ULONG* got) const;
  HRESULT WriteBytes(const void* buffer, ULONG size) const;
};

// In the stream encoding of variants: the bytes that follow the type for the
// types stored as plain values; 0 for the types stored otherwise (strings,
// objects, empty).
ULONG FixedValueSize(VARTYPE type);

// Whether IStorage::RenameElement leaves a right directory entry on this
// platform. Wine's keeps the old name's length beside the new name, which
// other readers of the file take at its word; asked once per process, of a
// storage in memory.
bool PlatformRenameIsSound();

// Runs work on a worker thread with a large stack and waits for it. The
// platform's whole-storage copy recurses once per sibling element, which
// needs far more stack than a user-interface thread has for big folders.
HRESULT RunWithLargeStack(const std::function<HRESULT()>& work);

}  // namespace vellora
