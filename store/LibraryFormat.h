#pragma once
// The layout inside a library file that all content shares: element names,
// folder class ids, the two 40-byte info records, the settings storage with
// its slots and bookmarks, and what each kind of item holds when created.
// Both the main program and the collector write exactly these bytes.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "store/StorageHandle.h"
#include "store/Variant.h"

namespace vellora {

// Reserved element names.
inline constexpr char kSettingsStorage[] = "#$LibrarySetting#$";
inline constexpr char kBookmarkStream[] = "LIBRARY_BOOKMARK";
inline constexpr char kMainInfoStream[] = "LIBRARY_MAININFO";
inline constexpr char kLastInterfaceStream[] = "LIBRARY_LASTINTERFACE";
inline constexpr char kInterfaceSettingStream[] = "LIBRARY_INTERFACE_SETTING";
inline constexpr char kFolderItemInfo[] = "FolderItemInfo";
inline constexpr char kFolderItemContent[] = "FolderItemContent";
inline constexpr char kTabPageItemInfo[] = "TabPageItemInfo";
inline constexpr char kTabPageItemContent[] = "TabPageItemContent";
inline constexpr char kNodeInfoStream[] = "#BOOKFOLDERITEMINFO#";
inline constexpr char kTextNodeMarker[] = "#TEXT_NODE#";
inline constexpr char kEncodedNameMarker[] = "#$VLX$#";
inline constexpr size_t kEncodedNameMarkerLength = 7;

// Compound files hold element names of at most 31 characters.
inline constexpr size_t kMaxElementName = 31;
inline constexpr int kSettingsSlotCount = 16;
inline constexpr size_t kItemPasswordField = 20;  // 19 bytes and the NUL
inline constexpr size_t kNodePasswordField = 24;
inline constexpr size_t kMaxPasswordLength = 19;
inline constexpr uint32_t kPasswordFlag = 0x8000;
inline constexpr uint32_t kDefaultColumnWidth = 80;

enum ItemKind : uint16_t {
  kItemText = 1,
  kItemDataList = 2,
  kItemWebLink = 3,
  kItemWebArchive = 4,
  kItemFileFolder = 5,
  kItemTabPages = 6,
  kItemOleControl = 9,
};

enum FolderKind : uint16_t {
  kFolderTree = 1,     // "Favorite Tree"
  kFolderCatalog = 2,  // "Favorite Folder"
};

// Item info record of "FolderItemInfo" and "TabPageItemInfo".
struct ItemInfoRecord {
  int32_t itemId = 0;
  uint32_t kind = 0;       // only the low 16 bits carry the kind
  uint32_t created = 0;    // 1 for every item the system makes
  uint32_t places = 0;     // 4-byte places after the record (data list: column widths)
  uint32_t flags = 0;      // bit 15: access password
  char password[kItemPasswordField] = {};

  bool HasPassword() const { return (flags & kPasswordFlag) != 0; }
  std::string Password() const;
  void SetPassword(const std::string& password);  // cut to 19 bytes
  void Encode(uint8_t (&bytes)[kRecordSize]) const;
  static ItemInfoRecord Decode(const uint8_t (&bytes)[kRecordSize]);
};

// Node info record: the whole of "#BOOKFOLDERITEMINFO#" and the head of every leaf stream.
struct NodeInfoRecord {
  int32_t sequence = 0;
  uint16_t kind = 0;
  uint16_t flags = 0;
  char password[kNodePasswordField] = {};
  uint32_t reserved1 = 0;
  uint32_t reserved2 = 0;

  bool HasPassword() const { return (flags & kPasswordFlag) != 0; }
  std::string Password() const;
  void SetPassword(const std::string& password);
  void Encode(uint8_t (&bytes)[kRecordSize]) const;
  static NodeInfoRecord Decode(const uint8_t (&bytes)[kRecordSize]);
};

// Reading a record that is not there whole yields all zeros (and false).
bool ReadItemInfo(const StreamHandle& stream, ItemInfoRecord& out, bool rewind = false);
bool WriteItemInfo(const StreamHandle& stream, const ItemInfoRecord& record, bool rewind = false);
bool ReadNodeInfo(const StreamHandle& stream, NodeInfoRecord& out, bool rewind = false);
bool WriteNodeInfo(const StreamHandle& stream, const NodeInfoRecord& record, bool rewind = false);

// ---- element names ----------------------------------------------------------

// The title shown for an element name.
std::string DisplayName(const std::string& elementName);
// "#$VLX$#<number>\t<title>", cut to 31 bytes without splitting a double-byte character.
std::string EncodedElementName(const std::string& title, unsigned number);
// Seeds the C library's generator with the tick count and encodes the title
// with the next random number.
std::string UniqueElementName(const std::string& title);
// Cuts text to at most maxBytes bytes, never in the middle of a double-byte
// character of the thread's ANSI code page.
std::string CutToBytes(const std::string& text, size_t maxBytes);

// Runs create(name) under the plain title and, while the name is taken,
// under fresh encoded names (a few attempts). usedName gets the name that
// worked. "Taken" is STG_E_FILEALREADYEXISTS, or STG_E_ACCESSDENIED for
// renames. A title that is a reserved name goes straight to an encoded name:
// no user title ever stands where the library keeps its own elements.
HRESULT CreateUnderFreeName(const std::string& title, const std::function<HRESULT(const char*)>& create,
                            std::string& usedName, bool accessDeniedMeansTaken = false);

// True when an element of a tree folder or folder node is its node record
// and not a leaf node.
bool IsNodeInfoStreamName(const std::string& name);
bool IsSettingsStorageName(const std::string& name);
// The names the library keeps for its own elements ("#$LibrarySetting#$",
// "#BOOKFOLDERITEMINFO#", "LIBRARY_BOOKMARK", "FolderItemInfo", ...),
// compared as the storage compares names: without letter case.
bool IsReservedElementName(const std::string& name);

// ---- folders ----------------------------------------------------------------

CLSID FolderClassId(uint16_t kind, uint16_t order);
void DecodeFolderClassId(const CLSID& clsid, uint16_t& kind, uint16_t& order);

struct FolderEntry {
  std::string name;
  uint16_t order = 0;
  uint16_t kind = 0;
};
// Every folder storage of the root with its class id, in enumeration order.
// Answers the HRESULT of starting the enumeration.
HRESULT ListFolders(const StorageHandle& root, std::vector<FolderEntry>& out);

// ---- settings ---------------------------------------------------------------

// A stream of the settings storage together with that storage: a stream
// stays usable only while its parent storage is open.
struct SettingsStream {
  StorageHandle storage;
  StreamHandle stream;
};
// Opens, creating when missing, the settings storage and the named stream in
// it (write mode); each creation is followed by a commit of the root.
HRESULT OpenSettingsStream(const StorageHandle& root, const char* name, SettingsStream& out);
// Empty settings storage with its bookmark, last-interface and main-info streams.
HRESULT LayDownSettings(const StorageHandle& root);

// The variant of a slot, empty when the stream or the slot is missing.
Variant ReadSettingsSlot(const StorageHandle& root, int slot);
// A slot's text; any value that is not a string reads as empty.
std::string ReadSettingsString(const StorageHandle& root, int slot);
HRESULT WriteSettingsSlot(const StorageHandle& root, int slot, const Variant& value);

struct Bookmark {
  std::string title;
  std::string location;
};
std::vector<Bookmark> ReadBookmarks(const StorageHandle& root);
HRESULT AppendBookmark(const StorageHandle& root, const Bookmark& bookmark);
HRESULT RewriteBookmarks(const StorageHandle& root, const std::vector<Bookmark>& bookmarks);

// ---- items ------------------------------------------------------------------

// One of the information item kinds above.
bool IsItemKind(uint16_t kind);

// Lays down one item under name in the container (replacing an element of
// that name). strings: the column titles of a data list, the address of a web
// page, the control identifier of an OLE control.
HRESULT CreateItem(const StorageHandle& container, uint16_t kind, const char* name, int32_t itemId,
                   const char* infoStream, const char* contentStream, const std::vector<std::string>& strings);

// Tree nodes: a leaf is a stream (record, then content); a folder node is a
// storage holding its record stream and its children. Both fail with
// STG_E_FILEALREADYEXISTS when the name is taken.
HRESULT CreateLeafNode(const StorageHandle& parent, const char* name, const NodeInfoRecord& record,
                       const void* content, ULONG contentSize);
HRESULT CreateFolderNode(const StorageHandle& parent, const char* name, const NodeInfoRecord& record,
                         StorageHandle& out);

// Catalog item (a storage with "FolderItemInfo"/"FolderItemContent" in
// source) to a leaf node stream in destination, and back. With move the
// source element is destroyed after the copy.
HRESULT CatalogItemToLeafNode(const StorageHandle& sourceFolder, const char* itemName,
                              const StorageHandle& destination, const char* nodeName, int32_t sequence,
                              bool move);
HRESULT LeafNodeToCatalogItem(const StorageHandle& sourceParent, const char* nodeName,
                              const StorageHandle& destinationFolder, const char* itemName, int32_t itemId,
                              bool move);

}  // namespace vellora
