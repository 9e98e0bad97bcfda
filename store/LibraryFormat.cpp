#include "store/LibraryFormat.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vellora {

namespace {

void PutU32(uint8_t* at, uint32_t v) {
  at[0] = static_cast<uint8_t>(v);
  at[1] = static_cast<uint8_t>(v >> 8);
  at[2] = static_cast<uint8_t>(v >> 16);
  at[3] = static_cast<uint8_t>(v >> 24);
}
void PutU16(uint8_t* at, uint16_t v) {
  at[0] = static_cast<uint8_t>(v);
  at[1] = static_cast<uint8_t>(v >> 8);
}
uint32_t GetU32(const uint8_t* at) {
  return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 | static_cast<uint32_t>(at[2]) << 16 |
         static_cast<uint32_t>(at[3]) << 24;
}
uint16_t GetU16(const uint8_t* at) { return static_cast<uint16_t>(at[0] | at[1] << 8); }

// A NUL-terminated text inside a fixed field; the last byte always stays NUL.
std::string FieldText(const char* field, size_t size) {
  size_t n = 0;
  while (n < size && field[n]) ++n;
  return std::string(field, n);
}
void SetFieldText(char* field, size_t size, const std::string& text) {
  std::memset(field, 0, size);
  std::string cut = CutToBytes(text, size - 1 < kMaxPasswordLength ? size - 1 : kMaxPasswordLength);
  std::memcpy(field, cut.data(), cut.size());
}

UINT ThreadCodePage() {
  char buf[8] = {};
  if (GetLocaleInfoA(GetThreadLocale(), LOCALE_IDEFAULTANSICODEPAGE, buf, sizeof buf) > 0) {
    UINT cp = static_cast<UINT>(std::atoi(buf));
    if (cp) return cp;
  }
  return GetACP();
}

}  // namespace

// ---- records ----------------------------------------------------------------

static_assert(4 + 4 + 4 + 4 + 4 + kItemPasswordField == kRecordSize, "item info record is 40 bytes");
static_assert(4 + 2 + 2 + kNodePasswordField + 4 + 4 == kRecordSize, "node info record is 40 bytes");

std::string ItemInfoRecord::Password() const { return FieldText(password, sizeof password); }
void ItemInfoRecord::SetPassword(const std::string& text) { SetFieldText(password, sizeof password, text); }

void ItemInfoRecord::Encode(uint8_t (&bytes)[kRecordSize]) const {
  std::memset(bytes, 0, sizeof bytes);
  PutU32(bytes + 0, static_cast<uint32_t>(itemId));
  PutU32(bytes + 4, kind);
  PutU32(bytes + 8, created);
  PutU32(bytes + 12, places);
  PutU32(bytes + 16, flags);
  std::memcpy(bytes + 20, password, kItemPasswordField);
}

ItemInfoRecord ItemInfoRecord::Decode(const uint8_t (&bytes)[kRecordSize]) {
  ItemInfoRecord r;
  r.itemId = static_cast<int32_t>(GetU32(bytes + 0));
  r.kind = GetU32(bytes + 4);
  r.created = GetU32(bytes + 8);
  r.places = GetU32(bytes + 12);
  r.flags = GetU32(bytes + 16);
  std::memcpy(r.password, bytes + 20, kItemPasswordField);
  r.password[kItemPasswordField - 1] = 0;
  return r;
}

std::string NodeInfoRecord::Password() const { return FieldText(password, sizeof password); }
void NodeInfoRecord::SetPassword(const std::string& text) { SetFieldText(password, sizeof password, text); }

void NodeInfoRecord::Encode(uint8_t (&bytes)[kRecordSize]) const {
  std::memset(bytes, 0, sizeof bytes);
  PutU32(bytes + 0, static_cast<uint32_t>(sequence));
  PutU16(bytes + 4, kind);
  PutU16(bytes + 6, flags);
  std::memcpy(bytes + 8, password, kNodePasswordField);
  PutU32(bytes + 32, reserved1);
  PutU32(bytes + 36, reserved2);
}

NodeInfoRecord NodeInfoRecord::Decode(const uint8_t (&bytes)[kRecordSize]) {
  NodeInfoRecord r;
  r.sequence = static_cast<int32_t>(GetU32(bytes + 0));
  r.kind = GetU16(bytes + 4);
  r.flags = GetU16(bytes + 6);
  std::memcpy(r.password, bytes + 8, kNodePasswordField);
  r.password[kNodePasswordField - 1] = 0;
  r.reserved1 = GetU32(bytes + 32);
  r.reserved2 = GetU32(bytes + 36);
  return r;
}

bool ReadItemInfo(const StreamHandle& stream, ItemInfoRecord& out, bool rewind) {
  uint8_t bytes[kRecordSize] = {};
  bool whole = stream.ReadRecord(bytes, kRecordSize, rewind);
  if (!whole) std::memset(bytes, 0, sizeof bytes);
  out = ItemInfoRecord::Decode(bytes);
  return whole;
}

bool WriteItemInfo(const StreamHandle& stream, const ItemInfoRecord& record, bool rewind) {
  uint8_t bytes[kRecordSize];
  record.Encode(bytes);
  return stream.WriteRecord(bytes, kRecordSize, rewind);
}

bool ReadNodeInfo(const StreamHandle& stream, NodeInfoRecord& out, bool rewind) {
  uint8_t bytes[kRecordSize] = {};
  bool whole = stream.ReadRecord(bytes, kRecordSize, rewind);
  if (!whole) std::memset(bytes, 0, sizeof bytes);
  out = NodeInfoRecord::Decode(bytes);
  return whole;
}

bool WriteNodeInfo(const StreamHandle& stream, const NodeInfoRecord& record, bool rewind) {
  uint8_t bytes[kRecordSize];
  record.Encode(bytes);
  return stream.WriteRecord(bytes, kRecordSize, rewind);
}

// ---- names ------------------------------------------------------------------

std::string CutToBytes(const std::string& text, size_t maxBytes) {
  if (text.size() <= maxBytes) return text;
  UINT cp = ThreadCodePage();
  size_t at = 0;
  while (at < text.size()) {
    size_t step = (IsDBCSLeadByteEx(cp, static_cast<BYTE>(text[at])) && at + 1 < text.size()) ? 2 : 1;
    if (at + step > maxBytes) break;
    at += step;
  }
  return text.substr(0, at);
}

std::string DisplayName(const std::string& elementName) {
  if (elementName.compare(0, kEncodedNameMarkerLength, kEncodedNameMarker) != 0) return elementName;
  size_t tab = elementName.find('\t');
  // A marked name without a TAB is never written by the system; show it as it is.
  if (tab == std::string::npos) return elementName;
  return elementName.substr(tab + 1);
}

std::string EncodedElementName(const std::string& title, unsigned number) {
  char head[32];
  std::snprintf(head, sizeof head, "%s%u\t", kEncodedNameMarker, number);
  return CutToBytes(std::string(head) + title, kMaxElementName);
}

std::string UniqueElementName(const std::string& title) {
  std::srand(GetTickCount());
  return EncodedElementName(title, static_cast<unsigned>(std::rand()) % 65536u);
}

HRESULT CreateUnderFreeName(const std::string& title, const std::function<HRESULT(const char*)>& create,
                            std::string& usedName, bool accessDeniedMeansTaken) {
  auto taken = [&](HRESULT hr) {
    return hr == STG_E_FILEALREADYEXISTS || (accessDeniedMeansTaken && hr == STG_E_ACCESSDENIED);
  };
  HRESULT hr = STG_E_FILEALREADYEXISTS;
  if (!IsReservedElementName(title)) {
    hr = create(title.c_str());
    if (!taken(hr)) {
      if (SUCCEEDED(hr)) usedName = title;
      return hr;
    }
  }
  // The plain title is taken: encoded names carry a random number, and a
  // number that happens to be taken too is drawn again a few times.
  std::srand(GetTickCount());
  constexpr int kAttempts = 8;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    std::string name = EncodedElementName(title, static_cast<unsigned>(std::rand()) % 65536u);
    hr = create(name.c_str());
    if (SUCCEEDED(hr)) {
      usedName = name;
      return hr;
    }
    if (!taken(hr)) return hr;
  }
  return hr;
}

bool IsNodeInfoStreamName(const std::string& name) { return lstrcmpiA(name.c_str(), kNodeInfoStream) == 0; }
bool IsSettingsStorageName(const std::string& name) { return name == kSettingsStorage; }

bool IsReservedElementName(const std::string& name) {
  for (const char* reserved : {kSettingsStorage, kBookmarkStream, kMainInfoStream, kLastInterfaceStream,
                               kInterfaceSettingStream, kFolderItemInfo, kFolderItemContent, kTabPageItemInfo,
                               kTabPageItemContent, kNodeInfoStream})
    if (lstrcmpiA(name.c_str(), reserved) == 0) return true;
  return false;
}

// ---- folders ----------------------------------------------------------------

CLSID FolderClassId(uint16_t kind, uint16_t order) {
  CLSID id = {};
  id.Data2 = kind;
  id.Data3 = order;
  return id;
}

void DecodeFolderClassId(const CLSID& clsid, uint16_t& kind, uint16_t& order) {
  kind = clsid.Data2;
  order = clsid.Data3;
}

HRESULT ListFolders(const StorageHandle& root, std::vector<FolderEntry>& out) {
  out.clear();
  std::vector<std::string> names;
  HRESULT hr = root.ForEachElement([&](const STATSTG& stat, const std::string& name) {
    if (stat.type == STGTY_STORAGE && !IsSettingsStorageName(name)) names.push_back(name);
    return true;
  });
  if (FAILED(hr)) return hr;
  for (const std::string& name : names) {
    StorageHandle folder = root.OpenStorageFor(name.c_str(), true);
    FolderEntry entry;
    entry.name = name;
    CLSID clsid = {};
    if (folder) folder.ReadClass(clsid);
    DecodeFolderClassId(clsid, entry.kind, entry.order);
    out.push_back(entry);
  }
  return S_OK;
}

// ---- settings ---------------------------------------------------------------

HRESULT OpenSettingsStream(const StorageHandle& root, const char* name, SettingsStream& opened) {
  opened.stream.Release();
  opened.storage.Release();
  StorageHandle& settings = opened.storage;
  StreamHandle& out = opened.stream;
  // What is created here reaches the file when the root's owner saves it; a
  // transacted root is never committed from here.
  HRESULT hr = root.OpenStorage(kSettingsStorage, kWriteMode, settings);
  if (FAILED(hr)) {
    hr = root.CreateStorage(kSettingsStorage, kWriteMode, settings);
    if (FAILED(hr)) return hr;
  }
  hr = settings.OpenStream(name, kWriteMode, out);
  if (FAILED(hr)) hr = settings.CreateStream(name, kWriteMode, out);
  return hr;
}

HRESULT LayDownSettings(const StorageHandle& root) {
  StorageHandle settings;
  HRESULT hr = root.CreateStorage(kSettingsStorage, kWriteMode, settings);
  if (hr == STG_E_FILEALREADYEXISTS) hr = root.OpenStorage(kSettingsStorage, kWriteMode, settings);
  if (FAILED(hr)) return hr;
  // Create, not replace: streams that exist already are left as they are.
  settings.CreateEmptyStream(kBookmarkStream);
  settings.CreateEmptyStream(kLastInterfaceStream);
  settings.CreateEmptyStream(kMainInfoStream);
  return S_OK;
}

namespace {

// One slot as the stream holds it. Every slot but the one being written goes
// back byte for byte, so a value this program cannot read (another writer's
// type, a damaged string) is never lost by writing a slot beside it.
struct StoredSlot {
  std::string bytes;  // as stored; empty for a slot laid down by this write
  Variant value;      // VT_EMPTY when the slot cannot be read
};

struct StoredSlots {
  std::vector<StoredSlot> slots;
  // The last slot's end cannot be found (an object, an array, a count
  // beyond the stream): its bytes run to the end, and nothing after it can
  // be told apart. Writing that slot or a later one replaces them.
  bool lastOpenEnded = false;
  // What follows the list: its end mark and anything behind it, or the
  // bytes after the sixteenth slot. Kept as it is.
  std::string rest;
};

uint16_t U16At(const std::string& bytes, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(bytes[at]) | static_cast<uint8_t>(bytes[at + 1]) << 8);
}

uint32_t U32At(const std::string& bytes, size_t at) {
  return GetU32(reinterpret_cast<const uint8_t*>(bytes.data() + at));
}

constexpr size_t kNoEnd = static_cast<size_t>(-1);

// Where the slot that starts at `at` ends, or kNoEnd when that cannot be
// known from the bytes. Every other type is stored as its text (a counted
// string), as the writer of the stream encoding does.
size_t SlotEnd(const std::string& bytes, size_t at) {
  const VARTYPE type = U16At(bytes, at);
  const size_t left = bytes.size() - at - 2;
  if ((type & (VT_ARRAY | VT_BYREF | VT_VECTOR)) || type == VT_UNKNOWN || type == VT_DISPATCH) return kNoEnd;
  if (type == VT_NULL) return at + 2;
  if (size_t size = FixedValueSize(type)) return size <= left ? at + 2 + size : kNoEnd;
  if (left < 4) return kNoEnd;
  const uint32_t count = U32At(bytes, at + 2);
  return count <= left - 4 ? at + 6 + count : kNoEnd;
}

// The value of a slot whose bytes are whole: strings and integers as they
// are (a 16-bit integer too: older libraries keep the tree font's height so);
// another plain value as an empty string; anything else cannot be read.
Variant SlotValue(const std::string& slot) {
  const VARTYPE type = U16At(slot, 0);
  Variant v;
  if (type == VT_BSTR) {
    const uint32_t count = U32At(slot, 2);
    if (count % 2 != 0) return v;
    std::wstring text(count / 2, L'\0');
    if (count) std::memcpy(text.data(), slot.data() + 6, count);
    size_t end = text.find(L'\0');
    if (end != std::wstring::npos) text.resize(end);
    v.Raw().vt = VT_BSTR;
    v.Raw().bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return v;
  }
  if (type == VT_I4) return Variant::FromInt(static_cast<long>(U32At(slot, 2)));
  if (type == VT_I2) {
    v.Raw().vt = VT_I2;
    v.Raw().iVal = static_cast<SHORT>(U16At(slot, 2));
    return v;
  }
  if (type == VT_NULL || FixedValueSize(type)) return Variant::FromString("");
  return v;
}

// Reads the slots from the start: at most 16, up to an empty variant or the
// end. Each slot is read on its own, so one that cannot be read leaves the
// later ones readable. An object is never instantiated: its class and
// length are the file's to claim.
StoredSlots ParseSlots(const std::string& bytes) {
  StoredSlots out;
  size_t at = 0;
  while (static_cast<int>(out.slots.size()) < kSettingsSlotCount && at < bytes.size()) {
    if (bytes.size() - at >= 2 && U16At(bytes, at) == VT_EMPTY) break;
    StoredSlot slot;
    const size_t end = bytes.size() - at >= 2 ? SlotEnd(bytes, at) : kNoEnd;
    if (end == kNoEnd) {
      slot.bytes = bytes.substr(at);
      out.slots.push_back(std::move(slot));
      out.lastOpenEnded = true;
      return out;
    }
    slot.bytes = bytes.substr(at, end - at);
    slot.value = SlotValue(slot.bytes);
    out.slots.push_back(std::move(slot));
    at = end;
  }
  out.rest = bytes.substr(at);
  return out;
}

// The stream from its start to its end; the size it claims is not trusted.
bool ReadWholeStream(const StreamHandle& stream, std::string& out) {
  out.clear();
  if (FAILED(stream.Seek(0, STREAM_SEEK_SET))) return false;
  char slice[4096];
  for (;;) {
    ULONG got = 0;
    HRESULT hr = stream.ReadBytes(slice, sizeof slice, &got);
    if (FAILED(hr)) return false;
    if (got == 0) return true;
    out.append(slice, got);
  }
}

}  // namespace

Variant ReadSettingsSlot(const StorageHandle& root, int slot) {
  if (slot < 0 || slot >= kSettingsSlotCount) return {};
  StorageHandle settings = root.OpenStorageFor(kSettingsStorage, true);
  if (!settings) return {};
  StreamHandle stream = settings.OpenStreamFor(kInterfaceSettingStream, true);
  if (!stream) return {};
  std::string bytes;
  ReadWholeStream(stream, bytes);
  StoredSlots stored = ParseSlots(bytes);
  if (slot >= static_cast<int>(stored.slots.size())) return {};
  return stored.slots[static_cast<size_t>(slot)].value;
}

std::string ReadSettingsString(const StorageHandle& root, int slot) { return ReadSettingsSlot(root, slot).AsString(); }

HRESULT WriteSettingsSlot(const StorageHandle& root, int slot, const Variant& value) {
  if (slot < 0 || slot >= kSettingsSlotCount) return E_INVALIDARG;
  SettingsStream opened;
  HRESULT hr = OpenSettingsStream(root, kInterfaceSettingStream, opened);
  const StreamHandle& stream = opened.stream;
  if (FAILED(hr)) return hr;
  // Slots that cannot be read now are written back, so they must be had whole.
  std::string bytes;
  if (!ReadWholeStream(stream, bytes)) return STG_E_READFAULT;
  StoredSlots stored = ParseSlots(bytes);
  std::vector<StoredSlot>& slots = stored.slots;
  if (stored.lastOpenEnded && slot >= static_cast<int>(slots.size()) - 1) slots.pop_back();
  while (static_cast<int>(slots.size()) <= slot) slots.push_back({std::string(), Variant::FromString("")});
  slots[static_cast<size_t>(slot)] = {std::string(), value};
  hr = stream.Reset();
  if (FAILED(hr)) return hr;
  for (const StoredSlot& s : slots) {
    hr = s.bytes.empty() ? stream.WriteVariant(s.value.Raw())
                         : stream.WriteBytes(s.bytes.data(), static_cast<ULONG>(s.bytes.size()));
    if (FAILED(hr)) return hr;
  }
  if (!stored.rest.empty()) hr = stream.WriteBytes(stored.rest.data(), static_cast<ULONG>(stored.rest.size()));
  return hr;
}

std::vector<Bookmark> ReadBookmarks(const StorageHandle& root) {
  std::vector<Bookmark> out;
  StorageHandle settings = root.OpenStorageFor(kSettingsStorage, true);
  if (!settings) return out;
  StreamHandle stream = settings.OpenStreamFor(kBookmarkStream, true);
  if (!stream) return out;
  for (;;) {
    std::optional<std::string> title, location;
    if (FAILED(stream.ReadCountedString(title)) || !title) break;
    if (FAILED(stream.ReadCountedString(location)) || !location) break;
    out.push_back({*title, *location});
  }
  return out;
}

HRESULT AppendBookmark(const StorageHandle& root, const Bookmark& bookmark) {
  SettingsStream opened;
  HRESULT hr = OpenSettingsStream(root, kBookmarkStream, opened);
  const StreamHandle& stream = opened.stream;
  if (FAILED(hr)) return hr;
  // Walk to the end of the run (a null string, a bad string or the end of the stream).
  for (;;) {
    ULONGLONG before = stream.Position();
    std::optional<std::string> title, location;
    if (FAILED(stream.ReadCountedString(title)) || !title || FAILED(stream.ReadCountedString(location)) ||
        !location) {
      stream.Seek(static_cast<LONGLONG>(before), STREAM_SEEK_SET);
      break;
    }
  }
  // Whatever followed the run is not part of the list any more.
  ULARGE_INTEGER size;
  size.QuadPart = stream.Position();
  stream->SetSize(size);
  hr = stream.WriteCountedString(bookmark.title);
  if (SUCCEEDED(hr)) hr = stream.WriteCountedString(bookmark.location);
  return hr;
}

HRESULT RewriteBookmarks(const StorageHandle& root, const std::vector<Bookmark>& bookmarks) {
  SettingsStream opened;
  HRESULT hr = OpenSettingsStream(root, kBookmarkStream, opened);
  const StreamHandle& stream = opened.stream;
  if (FAILED(hr)) return hr;
  hr = stream.Reset();
  for (const Bookmark& b : bookmarks) {
    if (FAILED(hr)) break;
    hr = stream.WriteCountedString(b.title);
    if (SUCCEEDED(hr)) hr = stream.WriteCountedString(b.location);
  }
  // An empty list is one null string, which ends the run as the end of the
  // stream would: a stream left with no bytes at all makes Wine's transacted
  // storages lose their other elements when they are committed.
  if (SUCCEEDED(hr) && bookmarks.empty()) hr = stream.WriteCountedString(std::nullopt);
  return hr;
}

// ---- items ------------------------------------------------------------------

bool IsItemKind(uint16_t kind) {
  switch (kind) {
    case kItemText:
    case kItemDataList:
    case kItemWebLink:
    case kItemWebArchive:
    case kItemFileFolder:
    case kItemTabPages:
    case kItemOleControl:
      return true;
    default:
      return false;
  }
}

HRESULT CreateItem(const StorageHandle& container, uint16_t kind, const char* name, int32_t itemId,
                   const char* infoStream, const char* contentStream, const std::vector<std::string>& strings) {
  bool carriesStrings = kind == kItemDataList || kind == kItemWebLink || kind == kItemOleControl;
  if (!IsItemKind(kind)) return E_INVALIDARG;
  if ((kind == kItemWebLink || kind == kItemOleControl) && strings.empty()) return E_INVALIDARG;

  StorageHandle item;
  HRESULT hr = container.CreateOrReplaceStorage(name, kWriteMode, item);
  if (FAILED(hr)) return hr;

  ItemInfoRecord record;
  record.itemId = itemId;
  record.kind = kind;
  record.created = 1;
  record.places = carriesStrings ? static_cast<uint32_t>(kind == kItemDataList ? strings.size() : 1) : 0;
  StreamHandle info;
  hr = item.CreateStream(infoStream, kWriteMode, info);
  if (FAILED(hr)) return hr;
  if (!WriteItemInfo(info, record)) return STG_E_WRITEFAULT;

  if (kind == kItemTabPages) {
    info.Release();
    hr = CreateItem(item, kItemText, "Content", 0, kTabPageItemInfo, kTabPageItemContent, {});
    if (SUCCEEDED(hr)) hr = CreateItem(item, kItemFileFolder, "Files", 1, kTabPageItemInfo, kTabPageItemContent, {});
    return hr;
  }
  if (kind == kItemDataList) {
    for (size_t i = 0; i < strings.size(); ++i) {
      uint8_t width[4];
      PutU32(width, kDefaultColumnWidth);
      if (!info.WriteRecord(width, 4)) return STG_E_WRITEFAULT;
    }
  }
  info.Release();

  StreamHandle content;
  hr = item.CreateStream(contentStream, kWriteMode, content);
  if (FAILED(hr)) return hr;
  if (kind == kItemDataList) {
    for (const std::string& title : strings) {
      hr = content.WriteCountedString(title);
      if (FAILED(hr)) return hr;
    }
  } else if (kind == kItemWebLink || kind == kItemOleControl) {
    hr = content.WriteCountedString(strings.front());
  }
  return hr;
}

HRESULT CreateLeafNode(const StorageHandle& parent, const char* name, const NodeInfoRecord& record,
                       const void* content, ULONG contentSize) {
  StreamHandle leaf;
  HRESULT hr = parent.CreateStream(name, kWriteMode, leaf);
  if (FAILED(hr)) return hr;
  if (!WriteNodeInfo(leaf, record)) hr = STG_E_WRITEFAULT;
  if (SUCCEEDED(hr) && content && contentSize) hr = leaf.WriteBytes(content, contentSize);
  leaf.Release();
  if (FAILED(hr)) parent.DestroyElement(name);
  return hr;
}

HRESULT CreateFolderNode(const StorageHandle& parent, const char* name, const NodeInfoRecord& record,
                         StorageHandle& out) {
  HRESULT hr = parent.CreateStorage(name, kWriteMode, out);
  if (FAILED(hr)) return hr;
  StreamHandle info;
  hr = out.CreateStream(kNodeInfoStream, kWriteMode, info);
  if (SUCCEEDED(hr) && !WriteNodeInfo(info, record)) hr = STG_E_WRITEFAULT;
  if (FAILED(hr)) {
    info.Release();
    out.Release();
    parent.DestroyElement(name);
  }
  return hr;
}

namespace {

HRESULT CopyRestOfStream(const StreamHandle& from, const StreamHandle& to) {
  ULARGE_INTEGER all;
  all.QuadPart = ~0ULL;
  return from->CopyTo(to.Get(), all, nullptr, nullptr);
}

}  // namespace

HRESULT CatalogItemToLeafNode(const StorageHandle& sourceFolder, const char* itemName,
                              const StorageHandle& destination, const char* nodeName, int32_t sequence,
                              bool move) {
  StorageHandle item;
  HRESULT hr = sourceFolder.OpenStorage(itemName, kReadMode, item);
  if (FAILED(hr)) return hr;
  ItemInfoRecord itemRecord;
  StreamHandle info = item.OpenStreamFor(kFolderItemInfo, true);
  ReadItemInfo(info, itemRecord);
  info.Release();

  NodeInfoRecord node;
  node.sequence = sequence;
  node.kind = static_cast<uint16_t>(itemRecord.kind & 0xFFFF);
  node.flags = static_cast<uint16_t>(itemRecord.flags & 0xFFFF);
  node.SetPassword(itemRecord.Password());

  StreamHandle leaf;
  hr = destination.CreateStream(nodeName, kWriteMode, leaf);
  if (FAILED(hr)) return hr;
  if (!WriteNodeInfo(leaf, node)) hr = STG_E_WRITEFAULT;
  if (SUCCEEDED(hr)) {
    StreamHandle content = item.OpenStreamFor(kFolderItemContent, true);
    if (content) hr = CopyRestOfStream(content, leaf);
  }
  leaf.Release();
  item.Release();
  if (FAILED(hr)) {
    destination.DestroyElement(nodeName);
    return hr;
  }
  return move ? sourceFolder.DestroyElement(itemName) : S_OK;
}

HRESULT LeafNodeToCatalogItem(const StorageHandle& sourceParent, const char* nodeName,
                              const StorageHandle& destinationFolder, const char* itemName, int32_t itemId,
                              bool move) {
  StreamHandle leaf;
  HRESULT hr = sourceParent.OpenStream(nodeName, kReadMode, leaf);
  if (FAILED(hr)) return hr;
  NodeInfoRecord node;
  ReadNodeInfo(leaf, node);

  ItemInfoRecord record;
  record.itemId = itemId;
  record.kind = node.kind;
  record.created = 1;
  record.places = 0;
  record.flags = node.flags;
  record.SetPassword(node.Password());

  StorageHandle item;
  hr = destinationFolder.CreateStorage(itemName, kWriteMode, item);
  if (FAILED(hr)) return hr;
  {
    StreamHandle info;
    hr = item.CreateStream(kFolderItemInfo, kWriteMode, info);
    if (SUCCEEDED(hr) && !WriteItemInfo(info, record)) hr = STG_E_WRITEFAULT;
  }
  if (SUCCEEDED(hr)) {
    StreamHandle content;
    hr = item.CreateStream(kFolderItemContent, kWriteMode, content);
    if (SUCCEEDED(hr)) hr = leaf.Seek(kRecordSize, STREAM_SEEK_SET);
    if (SUCCEEDED(hr)) hr = CopyRestOfStream(leaf, content);
  }
  item.Release();
  leaf.Release();
  if (FAILED(hr)) {
    destinationFolder.DestroyElement(itemName);
    return hr;
  }
  return move ? sourceParent.DestroyElement(nodeName) : S_OK;
}

}  // namespace vellora
