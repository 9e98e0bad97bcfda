#include "store/StorageHandle.h"

#include "store/MappedFile.h"

#include <process.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <memory>
#include <vector>

namespace vellora {

WideName::WideName(const char* ansi) {
  buffer_[0] = 0;
  if (!ansi) return;
  int n = MultiByteToWideChar(CP_THREAD_ACP, 0, ansi, -1, buffer_, kCapacity);
  ok_ = n > 0;
}

std::string AnsiFromWide(const wchar_t* wide) {
  if (!wide) return {};
  int n = WideCharToMultiByte(CP_THREAD_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return {};
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_THREAD_ACP, 0, wide, -1, out.data(), n, nullptr, nullptr);
  out.resize(static_cast<size_t>(n - 1));
  return out;
}

std::wstring WideFromAnsi(const std::string& ansi) {
  if (ansi.empty()) return {};
  int n = MultiByteToWideChar(CP_THREAD_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
  if (n <= 0) return {};
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_THREAD_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), out.data(), n);
  return out;
}

// ---- StorageHandle ----------------------------------------------------------

HRESULT StorageHandle::OpenRoot(const char* path, DWORD mode) {
  Release();
  WideName name(path);
  return StgOpenStorage(name.Get(), nullptr, mode, nullptr, 0, Receive());
}

HRESULT StorageHandle::CreateRoot(const char* path, DWORD mode) {
  Release();
  WideName name(path);
  return StgCreateDocfile(name.Get(), mode | STGM_CREATE, 0, Receive());
}

HRESULT StorageHandle::OpenStorage(const char* name, DWORD mode, StorageHandle& out) const {
  out.Release();
  if (Empty()) return E_POINTER;
  WideName wide(name);
  return Get()->OpenStorage(wide.Get(), nullptr, mode, nullptr, 0, out.Receive());
}

StorageHandle StorageHandle::OpenStorageFor(const char* name, bool readOnly) const {
  StorageHandle out;
  OpenStorage(name, readOnly ? kReadMode : kWriteMode, out);
  return out;
}

StorageHandle StorageHandle::OpenStorageFor(const wchar_t* enumeratedName, bool readOnly) const {
  std::string ansi = AnsiFromWide(enumeratedName);
  return OpenStorageFor(ansi.c_str(), readOnly);
}

HRESULT StorageHandle::CreateStorage(const char* name, DWORD mode, StorageHandle& out) const {
  out.Release();
  if (Empty()) return E_POINTER;
  WideName wide(name);
  return Get()->CreateStorage(wide.Get(), mode, 0, 0, out.Receive());
}

HRESULT StorageHandle::CreateOrReplaceStorage(const char* name, DWORD mode, StorageHandle& out) const {
  return CreateStorage(name, mode | STGM_CREATE, out);
}

HRESULT StorageHandle::OpenStream(const char* name, DWORD mode, StreamHandle& out) const {
  out.Release();
  if (Empty()) return E_POINTER;
  WideName wide(name);
  return Get()->OpenStream(wide.Get(), nullptr, mode, 0, out.Receive());
}

StreamHandle StorageHandle::OpenStreamFor(const char* name, bool readOnly) const {
  StreamHandle out;
  OpenStream(name, readOnly ? kReadMode : kWriteMode, out);
  return out;
}

StreamHandle StorageHandle::OpenStreamFor(const wchar_t* enumeratedName, bool readOnly) const {
  std::string ansi = AnsiFromWide(enumeratedName);
  return OpenStreamFor(ansi.c_str(), readOnly);
}

HRESULT StorageHandle::CreateStream(const char* name, DWORD mode, StreamHandle& out) const {
  out.Release();
  if (Empty()) return E_POINTER;
  WideName wide(name);
  return Get()->CreateStream(wide.Get(), mode, 0, 0, out.Receive());
}

HRESULT StorageHandle::CreateEmptyStream(const char* name) const {
  StreamHandle stream;
  return CreateStream(name, kWriteMode, stream);
}

HRESULT StorageHandle::DestroyElement(const char* name) const {
  if (Empty()) return E_POINTER;
  WideName wide(name);
  return Get()->DestroyElement(wide.Get());
}

HRESULT StorageHandle::RenameElement(const char* oldName, const char* newName) const {
  if (Empty()) return E_POINTER;
  if (!PlatformRenameIsSound()) return CopyOrMoveElement(oldName, *this, newName, true);
  WideName from(oldName);
  WideName to(newName);
  return Get()->RenameElement(from.Get(), to.Get());
}

namespace {

// Times and state bits of an element the platform keeps beside its bytes.
void KeepElementTimes(IStorage* parent, const char* name, const STATSTG& stat) {
  WideName wide(name);
  if (wide.Get()) parent->SetElementTimes(wide.Get(), &stat.ctime, &stat.atime, &stat.mtime);
}

}  // namespace

HRESULT StorageHandle::CopyOrMoveElement(const char* name, const StorageHandle& destination,
                                         const char* newName, bool move) const {
  if (Empty() || destination.Empty()) return E_POINTER;
  if (!name) return STG_E_INVALIDNAME;
  const char* target = newName ? newName : name;
  // IStorage::MoveElementTo is not available everywhere (Wine lacks it), so
  // the element is copied by hand: open it, copy it into a new element of
  // the destination, keep its class id, state bits and times, and destroy
  // the source for a move.
  HRESULT hr = E_FAIL;
  ElementType type = FindElement(name);
  if (type == ElementType::None) return STG_E_FILENOTFOUND;
  if (destination.FindElement(target) != ElementType::None) return STG_E_FILEALREADYEXISTS;
  STATSTG stat = {};
  if (type == ElementType::Storage) {
    StorageHandle source;
    hr = OpenStorage(name, kReadMode, source);
    if (FAILED(hr)) return hr;
    hr = source->Stat(&stat, STATFLAG_NONAME);
    if (FAILED(hr)) return hr;
    StorageHandle copy;
    hr = destination.CreateStorage(target, kWriteMode, copy);
    if (FAILED(hr)) return hr;
    hr = source.CopyWholeStorage(copy);
    if (SUCCEEDED(hr)) hr = copy.WriteClass(stat.clsid);
    if (SUCCEEDED(hr) && stat.grfStateBits) hr = copy->SetStateBits(stat.grfStateBits, 0xFFFFFFFFu);
    copy.Release();
    if (FAILED(hr)) {
      destination.DestroyElement(target);
      return hr;
    }
  } else {
    StreamHandle source;
    hr = OpenStream(name, kReadMode, source);
    if (FAILED(hr)) return hr;
    hr = source->Stat(&stat, STATFLAG_NONAME);
    if (FAILED(hr)) return hr;
    StreamHandle copy;
    hr = destination.CreateStream(target, kWriteMode, copy);
    if (FAILED(hr)) return hr;
    ULARGE_INTEGER all;
    all.QuadPart = ~0ULL;
    ULARGE_INTEGER written = {};
    hr = source->CopyTo(copy.Get(), all, nullptr, &written);
    if (SUCCEEDED(hr) && written.QuadPart != stat.cbSize.QuadPart) hr = STG_E_WRITEFAULT;
    copy.Release();
    if (FAILED(hr)) {
      destination.DestroyElement(target);
      return hr;
    }
  }
  // Times are not part of the library's format: where the platform keeps
  // none (Wine's call does nothing), the copy goes on without them.
  KeepElementTimes(destination.Get(), target, stat);
  if (!move) return S_OK;
  hr = DestroyElement(name);
  if (FAILED(hr)) {
    // Never both: the copy goes again and the source stays as it was.
    destination.DestroyElement(target);
    return hr;
  }
  return S_OK;
}

HRESULT StorageHandle::CopyWholeStorage(const StorageHandle& destination) const {
  if (Empty() || destination.Empty()) return E_POINTER;
  IStorage* source = Get();
  IStorage* target = destination.Get();
  return RunWithLargeStack([source, target] { return source->CopyTo(0, nullptr, nullptr, target); });
}

ElementType StorageHandle::FindElement(const char* name) const {
  if (Empty() || !name) return ElementType::None;
  ElementType found = ElementType::None;
  ForEachElement([&](const STATSTG& stat, const std::string& ansi) {
    if (lstrcmpiA(ansi.c_str(), name) != 0) return true;
    found = stat.type == STGTY_STORAGE ? ElementType::Storage
            : stat.type == STGTY_STREAM ? ElementType::Stream
                                         : ElementType::None;
    return found == ElementType::None;
  });
  return found;
}

HRESULT StorageHandle::Enumerate(ComPtr<IEnumSTATSTG>& out) const {
  out.Reset();
  if (Empty()) return E_POINTER;
  return Get()->EnumElements(0, nullptr, 0, out.Put());
}

HRESULT StorageHandle::ForEachElement(
    const std::function<bool(const STATSTG&, const std::string&)>& visit) const {
  ComPtr<IEnumSTATSTG> elements;
  HRESULT hr = Enumerate(elements);
  if (FAILED(hr) || !elements) return FAILED(hr) ? hr : E_FAIL;
  for (;;) {
    STATSTG stat = {};
    if (elements->Next(1, &stat, nullptr) != S_OK) break;
    std::string ansi = AnsiFromWide(stat.pwcsName);
    bool more = visit(stat, ansi);
    CoTaskMemFree(stat.pwcsName);
    if (!more) break;
  }
  return S_OK;
}

HRESULT StorageHandle::Commit() const {
  if (Empty()) return E_POINTER;
  return Get()->Commit(STGC_DEFAULT);
}

HRESULT StorageHandle::ReadClass(CLSID& out) const {
  out = CLSID{};
  if (Empty()) return E_POINTER;
  STATSTG stat = {};
  HRESULT hr = Get()->Stat(&stat, STATFLAG_NONAME);
  if (SUCCEEDED(hr)) out = stat.clsid;
  return hr;
}

HRESULT StorageHandle::WriteClass(const CLSID& clsid) const {
  if (Empty()) return E_POINTER;
  return Get()->SetClass(clsid);
}

// ---- StreamHandle -----------------------------------------------------------

bool StreamHandle::ReadRecord(void* buffer, ULONG size, bool rewind) const {
  if (Empty() || !buffer) return false;
  if (size == 0) size = kRecordSize;
  ULONG got = 0;
  HRESULT hr = Get()->Read(buffer, size, &got);
  if (FAILED(hr) || got != size) return false;
  if (rewind) return SUCCEEDED(Seek(-static_cast<LONGLONG>(size), STREAM_SEEK_CUR));
  return true;
}

bool StreamHandle::WriteRecord(const void* buffer, ULONG size, bool rewind) const {
  if (Empty() || !buffer) return false;
  if (size == 0) size = kRecordSize;
  ULONG put = 0;
  HRESULT hr = Get()->Write(buffer, size, &put);
  if (FAILED(hr) || put != size) return false;
  if (rewind) return SUCCEEDED(Seek(-static_cast<LONGLONG>(size), STREAM_SEEK_CUR));
  return true;
}

HRESULT StreamHandle::Reset() const {
  if (Empty()) return E_POINTER;
  ULARGE_INTEGER zero;
  zero.QuadPart = 0;
  HRESULT hr = Get()->SetSize(zero);
  if (FAILED(hr)) return hr;
  return Seek(0, STREAM_SEEK_SET);
}

HRESULT StreamHandle::Seek(LONGLONG offset, DWORD origin, ULONGLONG* newPosition) const {
  if (Empty()) return E_POINTER;
  LARGE_INTEGER move;
  move.QuadPart = offset;
  ULARGE_INTEGER now;
  now.QuadPart = 0;
  HRESULT hr = Get()->Seek(move, origin, &now);
  if (newPosition) *newPosition = now.QuadPart;
  return hr;
}

ULONGLONG StreamHandle::Position() const {
  ULONGLONG now = 0;
  Seek(0, STREAM_SEEK_CUR, &now);
  return now;
}

ULONGLONG StreamHandle::Size() const {
  if (Empty()) return 0;
  STATSTG stat = {};
  if (FAILED(Get()->Stat(&stat, STATFLAG_NONAME))) return 0;
  return stat.cbSize.QuadPart;
}

ULONGLONG StreamHandle::Remaining() const {
  ULONGLONG size = Size();
  ULONGLONG now = Position();
  return now < size ? size - now : 0;
}

HRESULT StreamHandle::ReadBytes(void* buffer, ULONG size, ULONG* got) const {
  if (got) *got = 0;
  if (Empty()) return E_POINTER;
  return Get()->Read(buffer, size, got);
}

HRESULT StreamHandle::WriteBytes(const void* buffer, ULONG size) const {
  if (Empty()) return E_POINTER;
  ULONG put = 0;
  HRESULT hr = Get()->Write(buffer, size, &put);
  if (SUCCEEDED(hr) && put != size) hr = STG_E_MEDIUMFULL;
  return hr;
}

HRESULT StreamHandle::WriteCountedStringW(const wchar_t* text, size_t length) const {
  if (Empty()) return E_POINTER;
  if (!text) {
    DWORD zero = 0;
    return WriteBytes(&zero, sizeof zero);
  }
  if (length > (0xFFFFFFFFu - 2) / 2) return E_INVALIDARG;
  DWORD bytes = static_cast<DWORD>(length * 2 + 2);
  HRESULT hr = WriteBytes(&bytes, sizeof bytes);
  if (FAILED(hr)) return hr;
  if (length) {
    hr = WriteBytes(text, static_cast<ULONG>(length * 2));
    if (FAILED(hr)) return hr;
  }
  wchar_t nul = 0;
  return WriteBytes(&nul, sizeof nul);
}

HRESULT StreamHandle::WriteCountedString(const std::optional<std::string>& ansi) const {
  if (!ansi) return WriteCountedStringW(nullptr, 0);
  std::wstring wide = WideFromAnsi(*ansi);
  return WriteCountedStringW(wide.c_str(), wide.size());
}

HRESULT StreamHandle::ReadCountedStringW(std::optional<std::wstring>& out) const {
  out.reset();
  if (Empty()) return E_POINTER;
  DWORD bytes = 0;
  ULONG got = 0;
  HRESULT hr = ReadBytes(&bytes, sizeof bytes, &got);
  if (FAILED(hr)) return hr;
  if (got == 0) return S_OK;  // the end of the stream reads as a null string
  if (got != sizeof bytes) {
    Seek(-static_cast<LONGLONG>(got), STREAM_SEEK_CUR);
    return E_FAIL;
  }
  if (bytes == 0) return S_OK;
  // Never trust the count beyond what the stream really holds: a corrupt or
  // cut library must not make us allocate or read gigabytes.
  if ((bytes & 1) != 0 || bytes > Remaining()) {
    Seek(-4, STREAM_SEEK_CUR);
    return E_FAIL;
  }
  std::wstring text(bytes / 2, L'\0');
  hr = ReadBytes(text.data(), bytes, &got);
  if (hr == S_FALSE || (SUCCEEDED(hr) && got != bytes)) hr = E_FAIL;
  if (FAILED(hr)) {
    Seek(-static_cast<LONGLONG>(got) - 4, STREAM_SEEK_CUR);
    return hr;
  }
  // The stored text ends with its NUL; keep what precedes the first NUL.
  size_t end = text.find(L'\0');
  if (end != std::wstring::npos) text.resize(end);
  out = std::move(text);
  return S_OK;
}

HRESULT StreamHandle::ReadCountedString(std::optional<std::string>& out) const {
  out.reset();
  std::optional<std::wstring> wide;
  HRESULT hr = ReadCountedStringW(wide);
  if (SUCCEEDED(hr) && wide) out = AnsiFromWide(wide->c_str());
  return hr;
}

ULONG FixedValueSize(VARTYPE type) {
  switch (type) {
    case VT_I1:
    case VT_UI1:
      return 1;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
      return 2;
    case VT_R8:
    case VT_DATE:
    case VT_CY:
    case VT_I8:
    case VT_UI8:
      return 8;
    case VT_I4:
    case VT_UI4:
    case VT_R4:
    case VT_INT:
    case VT_UINT:
    case VT_ERROR:
    case VT_HRESULT:
      return 4;
    default:
      return 0;
  }
}

namespace {

bool IsObject(VARTYPE type) { return type == VT_UNKNOWN || type == VT_DISPATCH; }

}  // namespace

HRESULT StreamHandle::WriteVariant(const VARIANT& value) const {
  if (Empty()) return E_POINTER;
  VARTYPE type = value.vt;
  if (type & (VT_ARRAY | VT_BYREF | VT_VECTOR)) return DISP_E_BADVARTYPE;
  HRESULT hr = WriteBytes(&type, sizeof type);
  if (FAILED(hr)) return hr;
  if (type == VT_EMPTY || type == VT_NULL) return S_OK;
  if (ULONG size = FixedValueSize(type)) return WriteBytes(&value.bVal, size);
  if (IsObject(type)) {
    if (!value.punkVal) return E_POINTER;
    ComPtr<IPersistStream> persist;
    hr = value.punkVal->QueryInterface(IID_IPersistStream, persist.PutVoid());
    if (FAILED(hr)) return hr;
    return OleSaveToStream(persist.Get(), Get());
  }
  if (type == VT_BSTR) return WriteCountedStringW(value.bstrVal, value.bstrVal ? SysStringLen(value.bstrVal) : 0);
  // Any other type is kept as its text.
  VARIANT text;
  VariantInit(&text);
  hr = VariantChangeType(&text, const_cast<VARIANT*>(&value), VARIANT_NOVALUEPROP, VT_BSTR);
  if (SUCCEEDED(hr)) hr = WriteCountedStringW(text.bstrVal, text.bstrVal ? SysStringLen(text.bstrVal) : 0);
  VariantClear(&text);
  return hr;
}

HRESULT StreamHandle::ReadVariant(VARIANT& out, Objects objects) const {
  VariantClear(&out);
  if (Empty()) return E_POINTER;
  VARTYPE type = VT_EMPTY;
  ULONG got = 0;
  HRESULT hr = ReadBytes(&type, sizeof type, &got);
  if (FAILED(hr)) return hr;
  if (got != sizeof type) return E_FAIL;
  if (type == VT_EMPTY || type == VT_NULL) {
    out.vt = type;
    return S_OK;
  }
  if (ULONG size = FixedValueSize(type)) {
    VARIANT value;
    VariantInit(&value);
    if (!ReadRecord(&value.bVal, size)) {
      Seek(-2, STREAM_SEEK_CUR);
      return E_FAIL;
    }
    value.vt = type;
    out = value;
    return S_OK;
  }
  if (IsObject(type)) {
    if (objects != Objects::kLoad) {
      Seek(-2, STREAM_SEEK_CUR);
      return DISP_E_BADVARTYPE;
    }
    ComPtr<IUnknown> object;
    hr = OleLoadFromStream(Get(), type == VT_DISPATCH ? IID_IDispatch : IID_IUnknown, object.PutVoid());
    if (FAILED(hr)) return hr;
    out.vt = type;
    out.punkVal = object.Detach();
    return S_OK;
  }
  std::optional<std::wstring> text;
  hr = ReadCountedStringW(text);
  if (FAILED(hr)) {
    Seek(-2, STREAM_SEEK_CUR);
    return hr;
  }
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_BSTR;
  value.bstrVal = text ? SysAllocStringLen(text->data(), static_cast<UINT>(text->size())) : nullptr;
  if (type != VT_BSTR) {
    hr = VariantChangeType(&out, &value, VARIANT_NOVALUEPROP, type);
    VariantClear(&value);
    return hr;
  }
  out = value;
  return S_OK;
}

HRESULT StreamHandle::OpenOnMemory(HGLOBAL memory, bool deleteOnRelease) {
  return CreateStreamOnHGlobal(memory, deleteOnRelease ? TRUE : FALSE, Receive());
}


namespace {

// Files move through views of their mapping a slice at a time, so a big file
// needs neither a copy in memory nor one run of free address space its size.
constexpr ULONGLONG kMappedSlice = 64ull << 20;
// Streams of this layer are read and written in ULONG counts.
constexpr ULONGLONG kLargestTransfer = 0x7FFFFFFFull;

// Maps the first size bytes of a mapping slice by slice and hands each view
// and its length to move; false as soon as a view or a move fails.
template <class Move>
bool ForEachMappedSlice(HANDLE mapping, ULONGLONG size, DWORD access, Move move) {
  for (ULONGLONG at = 0; at < size; at += kMappedSlice) {
    const ULONGLONG length = size - at < kMappedSlice ? size - at : kMappedSlice;
    MappedView view(MapViewOfFile(mapping, access, static_cast<DWORD>(at >> 32), static_cast<DWORD>(at),
                                  static_cast<SIZE_T>(length)));
    if (!view.Get() || !move(view.Get(), static_cast<ULONG>(length))) return false;
  }
  return true;
}

}  // namespace

bool StreamHandle::ImportFile(const char* path, bool onlyIfChanged) const {
  if (Empty() || !path) return false;
  KernelHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return false;
  LARGE_INTEGER fileSize = {};
  if (!GetFileSizeEx(file.Get(), &fileSize) || static_cast<ULONGLONG>(fileSize.QuadPart) > kLargestTransfer)
    return false;
  const ULONGLONG size = static_cast<ULONGLONG>(fileSize.QuadPart);
  if (onlyIfChanged) {
    if (Size() == size) return true;
    if (FAILED(Reset())) return false;
  }
  if (size == 0) return true;  // an empty file maps to nothing
  KernelHandle mapping(CreateFileMappingA(file.Get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
  if (!mapping.Valid()) return false;
  return ForEachMappedSlice(mapping.Get(), size, FILE_MAP_READ,
                            [&](void* view, ULONG length) { return SUCCEEDED(WriteBytes(view, length)); });
}

namespace {

bool WriteStreamToFile(const StreamHandle& stream, HANDLE file, ULONG offset) {
  const ULONGLONG whole = stream.Size();
  if (whole > kLargestTransfer) return false;
  const ULONGLONG size = whole > offset ? whole - offset : 0;
  if (FAILED(stream.Seek(offset, STREAM_SEEK_SET))) return false;
  if (size == 0) return true;
  KernelHandle mapping(CreateFileMappingA(file, nullptr, PAGE_READWRITE, 0, static_cast<DWORD>(size), nullptr));
  if (!mapping.Valid()) return false;
  return ForEachMappedSlice(mapping.Get(), size, FILE_MAP_WRITE, [&](void* view, ULONG length) {
    ULONG got = 0;
    return SUCCEEDED(stream.ReadBytes(view, length, &got)) && got == length;
  });
}

// A file that could not be written whole is removed rather than left cut short.
bool ExportFrom(const StreamHandle& stream, const char* path, DWORD share, ULONG offset) {
  if (stream.Empty() || !path) return false;
  bool whole = false;
  {
    KernelHandle file(CreateFileA(path, GENERIC_READ | GENERIC_WRITE, share, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return false;
    whole = WriteStreamToFile(stream, file.Get(), offset);
  }
  if (!whole) DeleteFileA(path);
  return whole;
}

}  // namespace

bool StreamHandle::ExportToFile(const char* path) const { return ExportFrom(*this, path, FILE_SHARE_READ, 0); }

bool StreamHandle::ExportTailToFile(const char* path, ULONG offset) const {
  return ExportFrom(*this, path, 0, offset);
}

// ---- the platform's rename ------------------------------------------------------

namespace {

// The name-length field of the directory entry of the stream called name in
// a compound file in memory, or -1 when the entry is not there. The probe's
// file is tiny and sound: 512-byte sectors, the header's allocation table.
int NameLengthInMemoryFile(const uint8_t* bytes, size_t size, const wchar_t* name) {
  constexpr size_t kSector = 512;
  constexpr uint32_t kEnd = 0xFFFFFFFEu;
  auto u32 = [&](size_t at) -> uint32_t {
    if (at + 4 > size) return kEnd;
    uint32_t v;
    std::memcpy(&v, bytes + at, 4);
    return v;
  };
  if (size < kSector || u32(0x2C) != 1) return -1;
  const size_t fat = (static_cast<size_t>(u32(0x4C)) + 1) * kSector;
  const size_t chars = std::wcslen(name);
  size_t visited = 0;
  for (uint32_t s = u32(0x30); s != kEnd && s < 128 && visited++ < 128; s = u32(fat + 4 * s)) {
    for (size_t e = 0; e < kSector / 128; ++e) {
      size_t at = (static_cast<size_t>(s) + 1) * kSector + e * 128;
      if (at + 128 > size || bytes[at + 0x42] != STGTY_STREAM) continue;
      if (std::memcmp(bytes + at, name, (chars + 1) * sizeof(wchar_t)) != 0) continue;
      return bytes[at + 0x40] | bytes[at + 0x41] << 8;
    }
  }
  return -1;
}

bool ProbeRename() {
  ComPtr<ILockBytes> bytes;
  if (FAILED(CreateILockBytesOnHGlobal(nullptr, TRUE, bytes.Put()))) return false;
  {
    StorageHandle storage;
    IStorage* made = nullptr;
    if (FAILED(StgCreateDocfileOnILockBytes(bytes.Get(), STGM_CREATE | kWriteMode, 0, &made))) return false;
    storage.Attach(made);
    if (FAILED(storage.CreateEmptyStream("Probe")) ||
        FAILED(storage->RenameElement(L"Probe", L"Probe renamed")) || FAILED(storage.Commit()))
      return false;
  }
  HGLOBAL memory = nullptr;
  if (FAILED(GetHGlobalFromILockBytes(bytes.Get(), &memory)) || !memory) return false;
  STATSTG stat = {};
  if (FAILED(bytes->Stat(&stat, STATFLAG_NONAME))) return false;
  const auto* view = static_cast<const uint8_t*>(GlobalLock(memory));
  if (!view) return false;
  size_t size = static_cast<size_t>(std::min<ULONGLONG>(stat.cbSize.QuadPart, GlobalSize(memory)));
  int length = NameLengthInMemoryFile(view, size, L"Probe renamed");
  GlobalUnlock(memory);
  return length == static_cast<int>(sizeof(L"Probe renamed"));
}

}  // namespace

bool PlatformRenameIsSound() {
  // A probe that cannot run says no: the copy is right everywhere.
  static const bool sound = ProbeRename();
  return sound;
}

// ---- worker with a large stack -----------------------------------------------

namespace {

struct LargeStackJob {
  const std::function<HRESULT()>* work;
  HRESULT result;
};

unsigned __stdcall LargeStackThread(void* parameter) {
  auto* job = static_cast<LargeStackJob*>(parameter);
  HRESULT init = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  job->result = (*job->work)();
  if (SUCCEEDED(init)) CoUninitialize();
  return 0;
}

}  // namespace

HRESULT RunWithLargeStack(const std::function<HRESULT()>& work) {
  // 256 MiB reserved (not committed): room for whole-storage copies of folders
  // with hundreds of thousands of elements.
  constexpr unsigned kStackReserve = 256u << 20;
  LargeStackJob job{&work, E_FAIL};
  uintptr_t thread = _beginthreadex(nullptr, kStackReserve, LargeStackThread, &job,
                                    STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  if (!thread) return work();
  KernelHandle handle(reinterpret_cast<HANDLE>(thread));
  WaitForSingleObject(handle.Get(), INFINITE);
  return job.result;
}

}  // namespace vellora
