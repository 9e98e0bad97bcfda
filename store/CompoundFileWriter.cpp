#include "store/CompoundFileWriter.h"

#include <algorithm>
#include <cstring>

#include "platform/ComPtr.h"
#include "store/ElementWalk.h"

namespace vellora {

namespace {

constexpr uint32_t kSectorSize = 512;
constexpr uint32_t kMiniSectorSize = 64;
constexpr uint32_t kMiniCutoff = 4096;
constexpr uint32_t kEntrySize = 128;
constexpr uint32_t kFree = 0xFFFFFFFFu;        // also "no stream" in the directory
constexpr uint32_t kEndOfChain = 0xFFFFFFFEu;
constexpr uint32_t kFatSector = 0xFFFFFFFDu;
constexpr uint32_t kDifatSector = 0xFFFFFFFCu;
constexpr size_t kHeaderDifat = 109;
constexpr size_t kDifatPerSector = kSectorSize / 4 - 1;
constexpr size_t kMaxName = 31;
constexpr size_t kBufferSize = 1 << 20;

void Put16(uint8_t* at, uint16_t v) {
  at[0] = static_cast<uint8_t>(v);
  at[1] = static_cast<uint8_t>(v >> 8);
}
void Put32(uint8_t* at, uint32_t v) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(v >> (8 * i));
}
void PutTime(uint8_t* at, const FILETIME& t) {
  Put32(at, t.dwLowDateTime);
  Put32(at + 4, t.dwHighDateTime);
}

// Names are ordered as the format orders them: shorter first, then by the
// upper-case form, character by character.
std::wstring UpperKey(const std::wstring& name) {
  std::wstring upper(name);
  if (!upper.empty())
    LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, name.c_str(), static_cast<int>(name.size()), upper.data(),
                 static_cast<int>(upper.size()));
  return upper;
}

}  // namespace

bool ElementNameLess(const std::wstring& a, const std::wstring& b) {
  if (a.size() != b.size()) return a.size() < b.size();
  return UpperKey(a) < UpperKey(b);
}

std::vector<size_t> BalancedInsertOrder(size_t n) {
  std::vector<size_t> order;
  order.reserve(n);
  // Level by level, so every element comes after the one above it.
  std::vector<std::pair<size_t, size_t>> ranges{{0, n}}, next;
  while (!ranges.empty()) {
    next.clear();
    for (auto [low, high] : ranges) {
      if (low >= high) continue;
      const size_t middle = low + (high - low - 1) / 2;
      order.push_back(middle);
      next.emplace_back(low, middle);
      next.emplace_back(middle + 1, high);
    }
    ranges.swap(next);
  }
  return order;
}

CompoundFileWriter::CompoundFileWriter(Progress progress) : progress_(std::move(progress)) {
  Entry root;
  root.name = L"Root Entry";
  root.type = 5;
  entries_.push_back(std::move(root));
}

CompoundFileWriter::~CompoundFileWriter() { Abandon(); }

void CompoundFileWriter::Abandon() {
  if (file_ != INVALID_HANDLE_VALUE) {
    CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
  }
  if (!finished_ && !path_.empty()) DeleteFileA(path_.c_str());
  path_.clear();
}

HRESULT CompoundFileWriter::Create(const char* path) {
  if (!path || file_ != INVALID_HANDLE_VALUE) return E_UNEXPECTED;
  file_ = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file_ == INVALID_HANDLE_VALUE) return HRESULT_FROM_WIN32(GetLastError());
  path_ = path;
  // The header is written last, over this place.
  uint8_t header[kSectorSize] = {};
  DWORD done = 0;
  if (!WriteFile(file_, header, kSectorSize, &done, nullptr) || done != kSectorSize)
    return HRESULT_FROM_WIN32(GetLastError());
  buffer_.reserve(kBufferSize);
  return S_OK;
}

bool CompoundFileWriter::Continue() { return !progress_ || progress_(); }

uint32_t CompoundFileWriter::NewEntry(uint32_t parent, const wchar_t* name, uint8_t type) {
  Entry e;
  e.name = name ? name : L"";
  e.type = type;
  entries_.push_back(std::move(e));
  const uint32_t index = static_cast<uint32_t>(entries_.size() - 1);
  entries_[parent].children.push_back(index);
  return index;
}

HRESULT CompoundFileWriter::FlushBuffer() {
  size_t at = 0;
  while (at < buffer_.size()) {
    DWORD done = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(buffer_.size() - at, kBufferSize));
    if (!WriteFile(file_, buffer_.data() + at, chunk, &done, nullptr) || done == 0)
      return HRESULT_FROM_WIN32(GetLastError());
    at += done;
  }
  buffer_.clear();
  return S_OK;
}

HRESULT CompoundFileWriter::Append(const void* bytes, size_t size) {
  if (file_ == INVALID_HANDLE_VALUE) return E_UNEXPECTED;
  const char* p = static_cast<const char*>(bytes);
  while (size > 0) {
    const size_t room = kBufferSize - buffer_.size();
    const size_t take = std::min(room, size);
    buffer_.insert(buffer_.end(), p, p + take);
    p += take;
    size -= take;
    written_ += take;
    if (buffer_.size() == kBufferSize) {
      HRESULT hr = FlushBuffer();
      if (FAILED(hr)) return hr;
    }
  }
  return S_OK;
}

HRESULT CompoundFileWriter::PadToSector() {
  static const char zeros[kSectorSize] = {};
  const size_t over = static_cast<size_t>(written_ % kSectorSize);
  return over ? Append(zeros, kSectorSize - over) : S_OK;
}

uint32_t CompoundFileWriter::ChainSectors(size_t bytes) {
  const size_t count = (bytes + kSectorSize - 1) / kSectorSize;
  const uint32_t first = static_cast<uint32_t>(fat_.size());
  for (size_t i = 0; i < count; ++i)
    fat_.push_back(i + 1 < count ? static_cast<uint32_t>(first + i + 1) : kEndOfChain);
  return count ? first : kEndOfChain;
}

HRESULT CompoundFileWriter::AddStream(IStorage* parent, const STATSTG& stat, uint32_t entry) {
  ComPtr<IStream> stream;
  HRESULT hr = parent->OpenStream(stat.pwcsName, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, stream.Put());
  if (FAILED(hr)) return hr;
  // What the stream holds is read, not taken from its size: the first
  // 4,096 bytes decide between the mini stream and sectors of its own.
  std::vector<char> chunk(64 * 1024);
  size_t have = 0;
  bool ended = false;
  while (have < kMiniCutoff) {
    ULONG got = 0;
    hr = stream->Read(chunk.data() + have, static_cast<ULONG>(kMiniCutoff - have), &got);
    if (FAILED(hr)) return hr;
    if (got == 0) {
      ended = true;
      break;
    }
    have += got;
  }
  Entry& e = entries_[entry];
  if (ended && have < kMiniCutoff) {
    e.size = have;
    e.start = kEndOfChain;
    if (have == 0) return S_OK;
    const size_t count = (have + kMiniSectorSize - 1) / kMiniSectorSize;
    const uint32_t first = static_cast<uint32_t>(miniFat_.size());
    for (size_t i = 0; i < count; ++i)
      miniFat_.push_back(i + 1 < count ? static_cast<uint32_t>(first + i + 1) : kEndOfChain);
    mini_.append(chunk.data(), have);
    mini_.resize(mini_.size() + count * kMiniSectorSize - have, '\0');
    e.start = first;
    return S_OK;
  }
  uint64_t total = have;
  if (FAILED(hr = Append(chunk.data(), have))) return hr;
  for (;;) {
    ULONG got = 0;
    hr = stream->Read(chunk.data(), static_cast<ULONG>(chunk.size()), &got);
    if (FAILED(hr)) return hr;
    if (got == 0) break;
    total += got;
    // Sizes are 32 bits in a file of 512-byte sectors.
    if (total > 0xFFFFFFFFull) return STG_E_DOCFILETOOLARGE;
    if (FAILED(hr = Append(chunk.data(), got))) return hr;
  }
  if (FAILED(hr = PadToSector())) return hr;
  entries_[entry].size = total;
  entries_[entry].start = ChainSectors(static_cast<size_t>(total));
  return S_OK;
}

HRESULT CompoundFileWriter::AddChildren(IStorage* storage, uint32_t parent, int depth) {
  if (depth > kMaxElementDepth) return STG_E_DOCFILECORRUPT;
  ComPtr<IEnumSTATSTG> elements;
  HRESULT hr = storage->EnumElements(0, nullptr, 0, elements.Put());
  if (FAILED(hr)) return hr;
  for (;;) {
    STATSTG stat = {};
    ULONG got = 0;
    hr = elements->Next(1, &stat, &got);
    if (FAILED(hr)) return hr;
    if (hr != S_OK || got == 0) break;
    struct NameFree {
      LPOLESTR name;
      ~NameFree() { CoTaskMemFree(name); }
    } freeName{stat.pwcsName};
    if (!stat.pwcsName || wcslen(stat.pwcsName) > kMaxName) return STG_E_INVALIDNAME;
    if (stat.type == STGTY_STORAGE) {
      ComPtr<IStorage> child;
      hr = storage->OpenStorage(stat.pwcsName, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, nullptr, 0, child.Put());
      if (FAILED(hr)) return hr;
      const uint32_t index = NewEntry(parent, stat.pwcsName, 1);
      Entry& e = entries_[index];
      e.clsid = stat.clsid;
      e.stateBits = stat.grfStateBits;
      e.created = stat.ctime;
      e.modified = stat.mtime;
      if (FAILED(hr = AddChildren(child.Get(), index, depth + 1))) return hr;
    } else if (stat.type == STGTY_STREAM) {
      const uint32_t index = NewEntry(parent, stat.pwcsName, 2);
      if (FAILED(hr = AddStream(storage, stat, index))) return hr;
    } else {
      continue;  // no other kind of element lives in a compound file
    }
    if (!Continue()) return E_ABORT;
  }
  return S_OK;
}

HRESULT CompoundFileWriter::AddStorage(IStorage* storage, const std::wstring& name, const STATSTG& stat) {
  if (!storage) return E_POINTER;
  if (file_ == INVALID_HANDLE_VALUE || finished_) return E_UNEXPECTED;
  if (name.empty() || name.size() > kMaxName) return STG_E_INVALIDNAME;
  const uint32_t index = NewEntry(0, name.c_str(), 1);
  Entry& e = entries_[index];
  e.clsid = stat.clsid;
  e.stateBits = stat.grfStateBits;
  e.created = stat.ctime;
  e.modified = stat.mtime;
  HRESULT hr = AddChildren(storage, index, 1);
  if (FAILED(hr)) return hr;
  return Continue() ? S_OK : E_ABORT;
}

HRESULT CompoundFileWriter::AddContents(IStorage* storage) {
  if (!storage) return E_POINTER;
  if (file_ == INVALID_HANDLE_VALUE || finished_) return E_UNEXPECTED;
  return AddChildren(storage, 0, 1);
}

HRESULT CompoundFileWriter::CopyWhole(IStorage* storage, const char* path, Progress progress) {
  if (!storage) return E_POINTER;
  CompoundFileWriter writer(std::move(progress));
  HRESULT hr = writer.Create(path);
  if (FAILED(hr)) return hr;
  STATSTG stat = {};
  if (SUCCEEDED(storage->Stat(&stat, STATFLAG_NONAME))) writer.SetRootClass(stat.clsid, stat.grfStateBits);
  if (FAILED(hr = writer.AddContents(storage))) return hr;
  return writer.Finish();
}

uint32_t CompoundFileWriter::BuildTree(std::vector<uint32_t>& sorted, size_t low, size_t high, int depth,
                                       int redDepth) {
  if (low >= high) return kFree;
  const size_t middle = low + (high - low - 1) / 2;
  Entry& e = entries_[sorted[middle]];
  // Split at the middle every time, so every path from the top to an empty
  // link has the same length give or take one: the full levels are black and
  // the nodes of the last, partly filled level red.
  e.color = depth >= redDepth ? 0 : 1;
  const uint32_t left = BuildTree(sorted, low, middle, depth + 1, redDepth);
  const uint32_t right = BuildTree(sorted, middle + 1, high, depth + 1, redDepth);
  entries_[sorted[middle]].left = left;
  entries_[sorted[middle]].right = right;
  return sorted[middle];
}

void CompoundFileWriter::BuildTrees() {
  for (size_t i = 0; i < entries_.size(); ++i) {
    std::vector<uint32_t> children = std::move(entries_[i].children);
    if (children.empty()) continue;
    std::vector<std::pair<std::wstring, uint32_t>> keyed;
    keyed.reserve(children.size());
    for (uint32_t c : children) keyed.emplace_back(UpperKey(entries_[c].name), c);
    std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
      if (a.first.size() != b.first.size()) return a.first.size() < b.first.size();
      return a.first < b.first;
    });
    for (size_t k = 0; k < keyed.size(); ++k) children[k] = keyed[k].second;
    int full = 0;  // levels that are full: the largest h with 2^h - 1 <= n
    while ((size_t{2} << full) - 1 <= children.size()) ++full;
    entries_[i].child = BuildTree(children, 0, children.size(), 0, full);
  }
}

HRESULT CompoundFileWriter::Finish() {
  if (file_ == INVALID_HANDLE_VALUE || finished_) return E_UNEXPECTED;
  HRESULT hr = S_OK;
  auto fail = [this](HRESULT why) {
    Abandon();
    return why;
  };
  // The mini stream belongs to the root entry.
  Entry& root = entries_[0];
  root.size = mini_.size();
  root.start = kEndOfChain;
  if (!mini_.empty()) {
    root.start = static_cast<uint32_t>(fat_.size());
    if (FAILED(hr = Append(mini_.data(), mini_.size())) || FAILED(hr = PadToSector())) return fail(hr);
    ChainSectors(mini_.size());
    std::string().swap(mini_);
  }
  uint32_t firstMiniFat = kEndOfChain, miniFatSectors = 0;
  if (!miniFat_.empty()) {
    const size_t perSector = kSectorSize / 4;
    miniFat_.resize((miniFat_.size() + perSector - 1) / perSector * perSector, kFree);
    std::vector<uint8_t> bytes(miniFat_.size() * 4);
    for (size_t i = 0; i < miniFat_.size(); ++i) Put32(&bytes[i * 4], miniFat_[i]);
    if (FAILED(hr = Append(bytes.data(), bytes.size()))) return fail(hr);
    firstMiniFat = ChainSectors(bytes.size());
    miniFatSectors = static_cast<uint32_t>(bytes.size() / kSectorSize);
  }

  BuildTrees();
  const size_t perDirSector = kSectorSize / kEntrySize;
  const size_t slots = (entries_.size() + perDirSector - 1) / perDirSector * perDirSector;
  std::vector<uint8_t> directory(slots * kEntrySize, 0);
  for (size_t i = 0; i < slots; ++i) {
    uint8_t* at = &directory[i * kEntrySize];
    if (i >= entries_.size()) {
      Put32(at + 68, kFree);
      Put32(at + 72, kFree);
      Put32(at + 76, kFree);
      continue;
    }
    const Entry& e = entries_[i];
    const size_t chars = std::min(e.name.size(), kMaxName);
    for (size_t c = 0; c < chars; ++c) Put16(at + 2 * c, static_cast<uint16_t>(e.name[c]));
    Put16(at + 64, static_cast<uint16_t>((chars + 1) * 2));
    at[66] = e.type;
    at[67] = e.color;
    Put32(at + 68, e.left);
    Put32(at + 72, e.right);
    Put32(at + 76, e.child);
    std::memcpy(at + 80, &e.clsid, sizeof(CLSID));
    Put32(at + 96, e.stateBits);
    if (e.type == 1) {
      PutTime(at + 100, e.created);
      PutTime(at + 108, e.modified);
    }
    Put32(at + 116, e.type == 1 ? 0 : e.start);
    Put32(at + 120, static_cast<uint32_t>(e.size));
  }
  if (FAILED(hr = Append(directory.data(), directory.size()))) return fail(hr);
  const uint32_t firstDirectory = ChainSectors(directory.size());
  std::vector<uint8_t>().swap(directory);

  // The allocation table covers the data, itself and the sectors that list
  // its sectors beyond the header's 109.
  const size_t data = fat_.size();
  const size_t perFat = kSectorSize / 4;
  size_t fatSectors = 0, difatSectors = 0;
  for (;;) {
    const size_t f = (data + fatSectors + difatSectors + perFat - 1) / perFat;
    const size_t x = f > kHeaderDifat ? (f - kHeaderDifat + kDifatPerSector - 1) / kDifatPerSector : 0;
    if (f == fatSectors && x == difatSectors) break;
    fatSectors = f;
    difatSectors = x;
  }
  for (size_t i = 0; i < fatSectors; ++i) fat_.push_back(kFatSector);
  for (size_t i = 0; i < difatSectors; ++i) fat_.push_back(kDifatSector);
  fat_.resize(fatSectors * perFat, kFree);
  {
    std::vector<uint8_t> bytes(fat_.size() * 4);
    for (size_t i = 0; i < fat_.size(); ++i) Put32(&bytes[i * 4], fat_[i]);
    if (FAILED(hr = Append(bytes.data(), bytes.size()))) return fail(hr);
  }
  std::vector<uint32_t> fatAt(fatSectors);
  for (size_t i = 0; i < fatSectors; ++i) fatAt[i] = static_cast<uint32_t>(data + i);
  const uint32_t firstDifat = difatSectors ? static_cast<uint32_t>(data + fatSectors) : kEndOfChain;
  for (size_t s = 0; s < difatSectors; ++s) {
    uint8_t bytes[kSectorSize];
    for (size_t k = 0; k < kDifatPerSector; ++k) {
      const size_t n = kHeaderDifat + s * kDifatPerSector + k;
      Put32(bytes + 4 * k, n < fatSectors ? fatAt[n] : kFree);
    }
    Put32(bytes + 4 * kDifatPerSector,
          s + 1 < difatSectors ? static_cast<uint32_t>(data + fatSectors + s + 1) : kEndOfChain);
    if (FAILED(hr = Append(bytes, kSectorSize))) return fail(hr);
  }
  if (FAILED(hr = FlushBuffer())) return fail(hr);

  uint8_t header[kSectorSize] = {};
  static const uint8_t kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
  std::memcpy(header, kSignature, 8);
  Put16(header + 24, 0x003E);
  Put16(header + 26, 0x0003);
  Put16(header + 28, 0xFFFE);
  Put16(header + 30, 9);
  Put16(header + 32, 6);
  Put32(header + 44, static_cast<uint32_t>(fatSectors));
  Put32(header + 48, firstDirectory);
  Put32(header + 56, kMiniCutoff);
  Put32(header + 60, firstMiniFat);
  Put32(header + 64, miniFatSectors);
  Put32(header + 68, firstDifat);
  Put32(header + 72, static_cast<uint32_t>(difatSectors));
  for (size_t i = 0; i < kHeaderDifat; ++i) Put32(header + 76 + 4 * i, i < fatSectors ? fatAt[i] : kFree);
  LARGE_INTEGER zero = {};
  DWORD done = 0;
  if (!SetFilePointerEx(file_, zero, nullptr, FILE_BEGIN) || !WriteFile(file_, header, kSectorSize, &done, nullptr) ||
      done != kSectorSize)
    return fail(HRESULT_FROM_WIN32(GetLastError()));
  if (!FlushFileBuffers(file_)) return fail(HRESULT_FROM_WIN32(GetLastError()));
  if (!CloseHandle(file_)) {
    file_ = INVALID_HANDLE_VALUE;
    return fail(HRESULT_FROM_WIN32(GetLastError()));
  }
  file_ = INVALID_HANDLE_VALUE;
  finished_ = true;
  return S_OK;
}

}  // namespace vellora
