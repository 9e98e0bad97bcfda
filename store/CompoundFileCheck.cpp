#include "store/CompoundFileCheck.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <set>
#include <utility>

#include "store/ElementWalk.h"
#include "store/StorageHandle.h"

namespace vellora {

namespace {

constexpr uint8_t kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
constexpr uint32_t kEndOfChain = 0xFFFFFFFEu;
constexpr uint32_t kFreeSector = 0xFFFFFFFFu;
constexpr uint32_t kFatSectorMark = 0xFFFFFFFDu;
constexpr uint32_t kDifatSectorMark = 0xFFFFFFFCu;
// What NextSector answers for a sector that no part of the table covers.
constexpr uint32_t kBeyondTable = 0xFFFFFFFAu;
constexpr uint32_t kHeaderFatEntries = 109;
constexpr uint32_t kEntrySize = 128;
constexpr uint32_t kMiniSectorSize = 64;
constexpr size_t kKeptFindings = 64;

enum Owner : uint32_t {
  kOwnerNone = 0,
  kOwnerFat = 1,
  kOwnerDifat = 2,
  kOwnerDirectory = 3,
  kOwnerMiniFat = 4,
  kOwnerMiniStream = 5,
  kOwnerFirstEntry = 16,
};

uint32_t U32(const uint8_t* at) {
  return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 | static_cast<uint32_t>(at[2]) << 16 |
         static_cast<uint32_t>(at[3]) << 24;
}
uint16_t U16(const uint8_t* at) { return static_cast<uint16_t>(at[0] | at[1] << 8); }

uint64_t SectorsFor(uint64_t bytes, uint32_t sectorSize) { return (bytes + sectorSize - 1) / sectorSize; }

}  // namespace

Damage CompoundFileReport::Worst() const { return worst; }

std::string CompoundFileReport::Summary(size_t maxLines) const {
  if (!fileOpened) {
    char text[96];
    std::snprintf(text, sizeof text, "The file could not be read (system error %lu).",
                  static_cast<unsigned long>(openError));
    return text;
  }
  if (findings.empty()) return "No damage found.";
  std::vector<const CompoundFileFinding*> order;
  for (const CompoundFileFinding& f : findings) order.push_back(&f);
  std::stable_sort(order.begin(), order.end(),
                   [](const CompoundFileFinding* a, const CompoundFileFinding* b) { return a->damage > b->damage; });
  std::string out;
  size_t shown = 0;
  for (const CompoundFileFinding* f : order) {
    if (shown == maxLines) break;
    out += "- " + f->text + "\n";
    ++shown;
  }
  size_t more = findings.size() - shown;
  if (more || findingsCut) {
    char tail[64];
    std::snprintf(tail, sizeof tail, "- and %s%u more.\n", findingsCut ? "over " : "", static_cast<unsigned>(more));
    out += tail;
  }
  if (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}

void CompoundFileReader::Find(CompoundFileReport& report, Damage damage, const std::string& text, bool repairable) {
  if (damage > report.worst) report.worst = damage;
  if (!repairable) ++report.unrepairable;
  if (report.findings.size() >= kKeptFindings) {
    report.findingsCut = true;
    return;
  }
  report.findings.push_back({damage, text, repairable});
}

const uint8_t* CompoundFileReader::Sector(uint32_t sector) const {
  return bytes_ + (static_cast<uint64_t>(sector) + 1) * sectorSize_;
}

uint32_t CompoundFileReader::NextSector(uint32_t sector) const {
  uint32_t perSector = sectorSize_ / 4;
  uint32_t part = sector / perSector;
  if (part >= fatSectors_.size()) return kBeyondTable;
  return U32(Sector(fatSectors_[part]) + (sector % perSector) * 4);
}

uint32_t CompoundFileReader::NextMiniSector(uint32_t sector) const {
  uint32_t perSector = sectorSize_ / 4;
  uint32_t part = sector / perSector;
  if (part >= miniFat_.size()) return kBeyondTable;
  return U32(Sector(miniFat_[part]) + (sector % perSector) * 4);
}

std::string CompoundFileReader::PathOf(uint32_t entry) const {
  std::vector<uint32_t> chain;
  for (uint32_t e = entry; e != kNoEntry && e != 0 && e < entries_.size() && chain.size() < 64;
       e = entries_[e].parent)
    chain.push_back(e);
  std::string path;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    if (!path.empty()) path += '\\';
    path += AnsiFromWide(NameOf(*it).c_str());
  }
  return "\"" + path + "\"";
}

std::wstring CompoundFileReader::NameOf(uint32_t entry) const {
  std::wstring name;
  if (entry >= entries_.size()) return name;
  const CompoundEntry& e = entries_[entry];
  name.reserve(e.nameChars);
  for (size_t c = 0; c < e.nameChars; ++c) {
    wchar_t ch = static_cast<wchar_t>(U16(bytes_ + e.nameAt + 2 * c));
    if (ch == 0) break;
    name.push_back(ch);
  }
  return name;
}

std::string CompoundFileReader::OwnerName(uint32_t owner) const {
  switch (owner) {
    case kOwnerFat: return "the allocation table";
    case kOwnerDifat: return "the list of allocation table sectors";
    case kOwnerDirectory: return "the directory";
    case kOwnerMiniFat: return "the small-stream allocation table";
    case kOwnerMiniStream: return "the small-stream area";
    default: break;
  }
  if (owner >= kOwnerFirstEntry && owner - kOwnerFirstEntry < entries_.size())
    return "the data of " + PathOf(owner - kOwnerFirstEntry);
  return "another part of the file";
}

bool CompoundFileReader::ReadHeader(CompoundFileReport& report) {
  if (size_ < 512) {
    Find(report, Damage::kUnreadable, "The file is too short to be a library (it has no complete header).");
    return false;
  }
  if (std::memcmp(bytes_, kSignature, sizeof kSignature) != 0) {
    Find(report, Damage::kUnreadable, "The file is not a library: it does not begin as a compound file does.");
    return false;
  }
  uint16_t major = U16(bytes_ + 0x1A);
  uint16_t byteOrder = U16(bytes_ + 0x1C);
  shift_ = U16(bytes_ + 0x1E);
  uint16_t miniShift = U16(bytes_ + 0x20);
  if (byteOrder != 0xFFFE) {
    Find(report, Damage::kUnreadable, "The file's header is damaged (its byte-order mark is wrong).");
    return false;
  }
  if (!((major == 3 && shift_ == 9) || (major == 4 && shift_ == 12))) {
    char text[160];
    std::snprintf(text, sizeof text,
                  "The file's header is damaged: it gives a sector size of 2^%u bytes for format version %u.",
                  static_cast<unsigned>(shift_), static_cast<unsigned>(major));
    Find(report, Damage::kUnreadable, text);
    return false;
  }
  version4_ = major == 4;
  sectorSize_ = 1u << shift_;
  miniCutoff_ = U32(bytes_ + 0x38);
  if (miniShift != 6 || miniCutoff_ != 4096) {
    Find(report, Damage::kUnreadable, "The file's header is damaged (its small-stream sizes are wrong).");
    return false;
  }
  if (size_ < sectorSize_) {
    Find(report, Damage::kUnreadable, "The file is too short to be a library (it has no complete header).");
    return false;
  }
  uint64_t body = size_ - sectorSize_;
  uint64_t whole = body / sectorSize_;
  sectorCount_ = whole > 0xFFFFFFF0u ? 0xFFFFFFF0u : static_cast<uint32_t>(whole);
  if (body % sectorSize_ != 0)
    Find(report, Damage::kReadOnly, "The file is cut short: it ends in the middle of a sector.");
  fatSectorCount_ = U32(bytes_ + 0x2C);
  firstDirectory_ = U32(bytes_ + 0x30);
  firstMiniFat_ = U32(bytes_ + 0x3C);
  miniFatSectorCount_ = U32(bytes_ + 0x40);
  firstDifat_ = U32(bytes_ + 0x44);
  difatSectorCount_ = U32(bytes_ + 0x48);
  report.sectorSize = sectorSize_;
  report.sectorCount = sectorCount_;
  owner_.assign(sectorCount_, kOwnerNone);
  return true;
}

bool CompoundFileReader::ReadFatList(CompoundFileReport& report) {
  if (fatSectorCount_ == 0 || fatSectorCount_ > sectorCount_) {
    Find(report, Damage::kUnreadable,
         "The file's header is damaged: the size it gives the allocation table does not fit the file.");
    return false;
  }
  fatSectors_.clear();
  fatSectors_.reserve(fatSectorCount_);
  for (uint32_t i = 0; i < kHeaderFatEntries && fatSectors_.size() < fatSectorCount_; ++i)
    fatSectors_.push_back(U32(bytes_ + 0x4C + 4 * i));
  // The rest of the list lies in its own chain of sectors.
  uint32_t perDifat = sectorSize_ / 4 - 1;
  uint32_t sector = firstDifat_;
  for (uint32_t n = 0; fatSectors_.size() < fatSectorCount_; ++n) {
    if (n >= difatSectorCount_ || sector >= sectorCount_ || owner_[sector] != kOwnerNone) {
      Find(report, Damage::kUnreadable,
           sector < sectorCount_ && owner_[sector] != kOwnerNone
               ? "The list of allocation table sectors runs in a circle."
               : "The list of allocation table sectors points outside the file.");
      return false;
    }
    owner_[sector] = kOwnerDifat;
    const uint8_t* at = Sector(sector);
    for (uint32_t i = 0; i < perDifat && fatSectors_.size() < fatSectorCount_; ++i) fatSectors_.push_back(U32(at + 4 * i));
    sector = U32(at + 4 * perDifat);
  }
  for (uint32_t s : fatSectors_) {
    if (s >= sectorCount_) {
      Find(report, Damage::kUnreadable, "The list of allocation table sectors points outside the file.");
      return false;
    }
    if (owner_[s] != kOwnerNone) {
      Find(report, Damage::kUnreadable, "The list of allocation table sectors names one sector twice.");
      return false;
    }
    owner_[s] = kOwnerFat;
  }
  CheckTableBookkeeping(report);
  return true;
}

void CompoundFileReader::CheckTableBookkeeping(CompoundFileReport& report) {
  // The platform reads as many list sectors as the header counts and writes
  // the table back through them, and it takes a table sector whose own entry
  // does not mark it for free space: either way its next save of the file
  // overwrites something. Such a file may be read, never written.
  uint32_t perDifat = sectorSize_ / 4 - 1;
  uint64_t needed = fatSectorCount_ > kHeaderFatEntries
                        ? (static_cast<uint64_t>(fatSectorCount_) - kHeaderFatEntries + perDifat - 1) / perDifat
                        : 0;
  if (difatSectorCount_ != needed) {
    char text[200];
    std::snprintf(text, sizeof text,
                  "The file's header counts %lu sectors for the list of allocation table sectors, where the "
                  "table needs %lu.",
                  static_cast<unsigned long>(difatSectorCount_), static_cast<unsigned long>(needed));
    Find(report, Damage::kReadOnly, text);
  } else if (needed == 0 && firstDifat_ != kEndOfChain && firstDifat_ != kFreeSector) {
    Find(report, Damage::kReadOnly,
         "The file's header starts a list of allocation table sectors that the table does not need.");
  }
  bool marked = true;
  for (uint32_t s : fatSectors_) marked = marked && NextSector(s) == kFatSectorMark;
  for (uint32_t s = 0; s < sectorCount_ && marked; ++s)
    if (owner_[s] == kOwnerDifat) marked = NextSector(s) == kDifatSectorMark;
  if (!marked) Find(report, Damage::kReadOnly, "The allocation table does not mark its own sectors as taken.");
}

uint32_t CompoundFileReader::FollowChain(uint32_t start, uint32_t owner, uint64_t wantSectors, bool mini,
                                         const char* label, Damage damage, CompoundFileReport& report,
                                         bool& sound) {
  // Named only when something is found: building paths for every sound
  // stream would cost more than the whole check.
  auto what = [&] {
    return owner >= kOwnerFirstEntry ? "The element " + PathOf(owner - kOwnerFirstEntry) : std::string(label);
  };
  std::vector<uint32_t>& owners = mini ? miniOwner_ : owner_;
  std::vector<uint32_t>* order = owner == kOwnerDirectory  ? &directory_
                                 : owner == kOwnerMiniFat    ? &miniFat_
                                 : owner == kOwnerMiniStream ? &miniStream_
                                                             : nullptr;
  sound = true;
  uint32_t count = 0;
  uint32_t sector = start;
  // The whole chain is followed, not only the sectors the size needs: the
  // platform walks it to its end when it opens the element.
  while (sector != kEndOfChain) {
    if (sector == kFreeSector || sector == kFatSectorMark || sector == kDifatSectorMark ||
        sector == kBeyondTable) {
      // The platform follows the small-stream area's whole chain when it
      // opens the file, and a break in it fails the open itself (read
      // fault), so such a file cannot even be read.
      Find(report, owner == kOwnerMiniStream ? Damage::kUnreadable : damage, what() + " has a broken chain of sectors.");
      sound = false;
      break;
    }
    if (sector >= owners.size()) {
      Find(report, damage,
           what() + (mini ? " lies partly outside the small-stream area." : " lies partly past the end of the file."));
      sound = false;
      break;
    }
    uint32_t& o = owners[sector];
    if (o == owner) {
      Find(report, Damage::kUnreadable, what() + "'s chain of sectors runs in a circle.");
      sound = false;
      break;
    }
    if (o != kOwnerNone) {
      Find(report, damage, what() + " runs into " + OwnerName(o) + ".");
      sound = false;
      break;
    }
    o = owner;
    if (order) order->push_back(sector);
    ++count;
    sector = mini ? NextMiniSector(sector) : NextSector(sector);
  }
  if (sound && count < wantSectors) {
    Find(report, damage, what() + " is larger than its chain of sectors (the rest is missing).");
    sound = false;
  }
  return count;
}

void CompoundFileReader::ReadDirectory(CompoundFileReport& report) {
  bool sound = false;
  FollowChain(firstDirectory_, kOwnerDirectory, 1, false, "The directory", Damage::kUnreadable, report, sound);
  uint32_t perSector = sectorSize_ / kEntrySize;
  entries_.assign(directory_.size() * perSector, CompoundEntry{});
  report.directoryEntries = static_cast<uint32_t>(entries_.size());
  for (size_t i = 0; i < entries_.size(); ++i) {
    const uint8_t* at = Sector(directory_[i / perSector]) + (i % perSector) * kEntrySize;
    CompoundEntry& e = entries_[i];
    // The platform's look-up follows the sibling links of any entry it
    // reaches, in use or not, so they are read for every entry.
    e.left = U32(at + 0x44);
    e.right = U32(at + 0x48);
    e.type = at[0x42];
    if (e.type != 1 && e.type != 2 && e.type != 5) {
      e.type = 0;
      continue;
    }
    // The platform reads a name up to its NUL; the length field beside it is
    // what other readers go by, so both are kept.
    e.nameBytes = U16(at + 0x40);
    e.nameAt = static_cast<uint64_t>(at - bytes_);
    uint8_t chars = 0;
    while (chars < 32 && U16(at + 2 * chars) != 0) ++chars;
    e.nameChars = chars;
    e.nameEnds = chars < 32;
    e.child = U32(at + 0x4C);
    std::memcpy(&e.clsid, at + 0x50, sizeof e.clsid);
    e.start = U32(at + 0x74);
    e.size = version4_ ? (static_cast<uint64_t>(U32(at + 0x7C)) << 32 | U32(at + 0x78)) : U32(at + 0x78);
  }
}

void CompoundFileReader::WalkTrees(CompoundFileReport& report) {
  const uint32_t count = static_cast<uint32_t>(entries_.size());
  // Each storage's tree is walked as the platform's look-up walks it: through
  // every sibling link, whatever entry it reaches. The marks belong to one
  // storage's walk, so a circle through entries that another storage listed
  // first is still seen. A sound file is walked once; shared entries are
  // walked again, within a budget.
  std::vector<uint32_t> walkOf(count, kNoEntry);
  std::vector<uint8_t> finished(count, 0);
  uint64_t budget = 8ull * count + 1024;
  entries_[0].reached = true;
  std::vector<uint32_t> storages{0};
  struct Step {
    uint32_t id;
    uint8_t stage;  // 0: left next, 1: right next, 2: done
    bool listedElsewhere;  // reached through an entry this storage does not own
  };
  std::vector<Step> stack;
  while (!storages.empty()) {
    uint32_t owner = storages.back();
    storages.pop_back();
    CompoundEntry& parent = entries_[owner];
    auto under = [&] { return owner ? PathOf(owner) : std::string("the root"); };
    auto enter = [&](uint32_t id, bool elsewhere) {
      if (id == kNoEntry) return;
      if (id >= count) {
        // The platform's look-up keeps the entry it came from when a read
        // fails, and so takes the same link again for ever.
        Find(report, Damage::kUnreadable,
             "The directory under " + under() + " refers to an entry past its end, where look-ups never end.");
        return;
      }
      if (walkOf[id] == owner) {
        if (!finished[id])
          Find(report, Damage::kUnreadable, "The directory's tree under " + under() + " runs in a circle.");
        else if (!elsewhere)
          Find(report, Damage::kReadOnly, "The element " + PathOf(id) + " is listed in two places.");
        return;
      }
      if (budget == 0) {
        if (!tangled_)
          Find(report, Damage::kUnreadable, "The directory's trees share too many entries to be checked.");
        tangled_ = true;
        return;
      }
      --budget;
      bool claimed = id == 0 || entries_[id].reached;
      bool usable = entries_[id].type == 1 || entries_[id].type == 2;
      if (!elsewhere && claimed) {
        bool ancestor = false;
        for (uint32_t a = owner; a != kNoEntry && a < count; a = entries_[a].parent)
          if (a == id) {
            ancestor = true;
            break;
          } else if (a == 0) {
            break;
          }
        Find(report, Damage::kReadOnly,
             ancestor ? (id == 0 ? std::string("The library contains itself below ") + PathOf(owner) + "."
                                 : "The storage " + PathOf(id) + " contains itself.")
                      : "The element " + PathOf(id) + " is listed in two places.");
      } else if (!elsewhere && !usable) {
        Find(report, Damage::kReadOnly, "The directory under " + under() + " refers to an unused entry.");
      }
      walkOf[id] = owner;
      finished[id] = 0;
      stack.push_back({id, 0, elsewhere || claimed || !usable});
    };
    enter(parent.child, false);
    while (!stack.empty()) {
      Step& top = stack.back();
      const uint32_t here = top.id;
      const bool elsewhere = top.listedElsewhere;
      if (top.stage == 0) {
        top.stage = 1;
        enter(entries_[here].left, elsewhere);
      } else if (top.stage == 1) {
        top.stage = 2;
        CompoundEntry& e = entries_[here];
        if (!elsewhere) {
          e.parent = owner;
          e.reached = true;
          parent.children.push_back(here);
        }
        enter(e.right, elsewhere);
      } else {
        finished[here] = 1;
        stack.pop_back();
      }
    }
    CheckSiblingOrder(owner, report);
    for (auto it = parent.children.rbegin(); it != parent.children.rend(); ++it) {
      CompoundEntry& child = entries_[*it];
      if (child.type == 1) {
        ++report.storages;
        child.depth = parent.depth + 1;
        if (child.depth < kMaxElementDepth) storages.push_back(*it);
      } else {
        ++report.streams;
      }
    }
  }
  uint32_t unreached = 0;
  for (const CompoundEntry& e : entries_)
    if ((e.type == 1 || e.type == 2) && !e.reached) ++unreached;
  if (unreached && !tangled_ && AbandonedCopies()) {
    // A save cut short (the program killed while it committed a folder)
    // leaves the new copies it had written so far, or the old ones it had
    // not yet let go, outside every storage. The platform never reaches
    // them and never gives their entries or sectors to anything else, and
    // the library holds what it held before or after: space lost until the
    // next repack, not damage.
    report.abandonedEntries = unreached;
  } else if (unreached && !tangled_) {
    char text[160];
    std::snprintf(text, sizeof text, "%lu directory entries in use belong to no storage.",
                  static_cast<unsigned long>(unreached));
    Find(report, Damage::kReadOnly, text);
  }
}

bool CompoundFileReader::AbandonedCopies() const {
  // Each group of entries outside every storage starts at an entry that no
  // other such entry links to. When every group starts at a copy of an
  // element the library still holds (its name and type are in use where they
  // are reached), the groups are copies a commit left; a group that starts
  // elsewhere holds elements lost from view.
  const uint32_t count = static_cast<uint32_t>(entries_.size());
  std::vector<uint8_t> linked(count, 0);
  for (const CompoundEntry& e : entries_) {
    if ((e.type != 1 && e.type != 2) || e.reached) continue;
    for (uint32_t to : {e.left, e.right, e.child})
      if (to < count) linked[to] = 1;
  }
  std::set<std::pair<uint8_t, std::wstring>> held;
  for (uint32_t id = 1; id < count; ++id)
    if (entries_[id].reached) held.insert({entries_[id].type, NameOf(id)});
  for (uint32_t id = 1; id < count; ++id) {
    const CompoundEntry& e = entries_[id];
    if ((e.type != 1 && e.type != 2) || e.reached || linked[id]) continue;
    if (!held.count({e.type, NameOf(id)})) return false;
  }
  return true;
}

namespace {

// The platform's look-up (Wine's ole32, measured here) upper-cases the
// letters a-z only; Windows upper-cases every letter.
wchar_t UpperAscii(wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c; }
wchar_t UpperEvery(wchar_t c) {
  wchar_t out = c;
  if (c >= 0x80) LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, &c, 1, &out, 1);
  return UpperAscii(out);
}

template <class Upper>
int CompareNamesWith(const std::wstring& a, const std::wstring& b, Upper upper) {
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  for (size_t i = 0; i < a.size(); ++i) {
    int diff = static_cast<int>(upper(a[i])) - static_cast<int>(upper(b[i]));
    if (diff) return diff;
  }
  return 0;
}

}  // namespace

int CompareElementNames(const std::wstring& a, const std::wstring& b) { return CompareNamesWith(a, b, UpperAscii); }

void CompoundFileReader::CheckSiblingOrder(uint32_t storage, CompoundFileReport& report) {
  // Look-ups go left of a greater name and right of a smaller one: an entry
  // out of that order is not found, and the element is made again beside it.
  // A pair counts as out of order only when it is so by both ways of
  // upper-casing, so that files written on either platform pass.
  const std::vector<uint32_t>& children = entries_[storage].children;
  for (size_t i = 1; i < children.size(); ++i) {
    std::wstring before = NameOf(children[i - 1]);
    std::wstring after = NameOf(children[i]);
    if (CompareElementNames(before, after) < 0 || CompareNamesWith(before, after, UpperEvery) < 0) continue;
    Find(report, Damage::kReadOnly,
         "The elements under " + (storage ? PathOf(storage) : std::string("the root")) + " are out of order (" +
             PathOf(children[i - 1]) + " before " + PathOf(children[i]) + ").");
    return;
  }
}

void CompoundFileReader::CheckNames(CompoundFileReport& report) {
  size_t wrong = 0;
  std::string first;
  for (uint32_t id = 0; id < entries_.size(); ++id) {
    const CompoundEntry& e = entries_[id];
    if (!e.reached) continue;
    if (!e.nameEnds || e.nameChars == 0) {
      Find(report, Damage::kReadOnly, "The element " + PathOf(id) + " has a damaged name.");
      continue;
    }
    const uint16_t right = static_cast<uint16_t>((e.nameChars + 1) * 2);
    if (e.nameBytes == right) continue;
    report.nameLengthFixes.push_back({e.nameAt + 0x40, right});
    if (wrong++ == 0) first = id ? PathOf(id) : std::string("the root");
  }
  if (!wrong) return;
  char count[32];
  std::snprintf(count, sizeof count, "%lu", static_cast<unsigned long>(wrong));
  Find(report, Damage::kReadOnly,
       std::string(count) + (wrong == 1 ? " directory entry gives" : " directory entries give") +
           " a wrong length for the name beside it, as renames of earlier versions left them (" + first +
           (wrong == 1 ? "" : " and more") + "); \"Check Library\" can repair this.",
       true);
}

void CompoundFileReader::CheckStreams(CompoundFileReport& report) {
  for (uint32_t id = 0; id < entries_.size(); ++id) {
    CompoundEntry& e = entries_[id];
    if (!e.reached || e.type != 2) continue;
    if (e.size == 0) {
      e.dataSound = true;
      continue;
    }
    if (e.size > size_) {
      Find(report, Damage::kReadOnly, "The element " + PathOf(id) + " claims to be larger than the whole file.");
      continue;
    }
    bool mini = e.size < miniCutoff_;
    uint64_t want = SectorsFor(e.size, mini ? kMiniSectorSize : sectorSize_);
    bool sound = false;
    uint32_t got = FollowChain(e.start, kOwnerFirstEntry + id, want, mini, "", Damage::kReadOnly, report, sound);
    e.dataSound = sound && got >= want;
  }
}

void CompoundFileReader::Load(const uint8_t* bytes, uint64_t size, CompoundFileReport& report) {
  bytes_ = bytes;
  size_ = size;
  entries_.clear();
  fatSectors_.clear();
  directory_.clear();
  miniFat_.clear();
  miniStream_.clear();
  miniOwner_.clear();
  tangled_ = false;
  report.fileOpened = true;
  if (!ReadHeader(report) || !ReadFatList(report)) return;
  ReadDirectory(report);
  if (entries_.empty() || entries_[0].type != 5) {
    Find(report, Damage::kUnreadable, "The directory is damaged: its first entry is not the library's root.");
    entries_.clear();
    return;
  }
  // The small-stream allocation table and the area it allocates.
  if (miniFatSectorCount_ > 0 || firstMiniFat_ != kEndOfChain) {
    bool sound = false;
    FollowChain(firstMiniFat_, kOwnerMiniFat, miniFatSectorCount_, false, "The small-stream allocation table",
                Damage::kUnreadable, report, sound);
  }
  const CompoundEntry& root = entries_[0];
  if (root.size > 0) {
    bool sound = false;
    uint64_t want = SectorsFor(root.size, sectorSize_);
    uint32_t got = FollowChain(root.start, kOwnerMiniStream, want, false, "The small-stream area",
                               Damage::kReadOnly, report, sound);
    miniStreamBytes_ = std::min<uint64_t>(root.size, static_cast<uint64_t>(got) * sectorSize_);
  }
  uint64_t miniSectors = std::min<uint64_t>(miniStreamBytes_ / kMiniSectorSize,
                                            static_cast<uint64_t>(miniFat_.size()) * (sectorSize_ / 4));
  miniOwner_.assign(static_cast<size_t>(miniSectors), kOwnerNone);
  WalkTrees(report);
  CheckNames(report);
  CheckStreams(report);
}

bool CompoundFileReader::ReadStream(uint32_t entry, std::vector<uint8_t>& out) const {
  out.clear();
  if (entry >= entries_.size()) return false;
  const CompoundEntry& e = entries_[entry];
  if (e.type != 2 || !e.dataSound) return false;
  out.resize(static_cast<size_t>(e.size));
  bool mini = e.size < miniCutoff_;
  uint32_t unit = mini ? kMiniSectorSize : sectorSize_;
  uint32_t sector = e.start;
  for (uint64_t done = 0; done < e.size;) {
    uint32_t n = static_cast<uint32_t>(std::min<uint64_t>(unit, e.size - done));
    if (mini) {
      uint64_t offset = static_cast<uint64_t>(sector) * kMiniSectorSize;
      for (uint32_t copied = 0; copied < n;) {
        uint64_t at = offset + copied;
        uint32_t big = static_cast<uint32_t>(at / sectorSize_);
        uint32_t within = static_cast<uint32_t>(at % sectorSize_);
        if (big >= miniStream_.size()) return false;
        uint32_t piece = std::min(n - copied, sectorSize_ - within);
        std::memcpy(out.data() + done + copied, Sector(miniStream_[big]) + within, piece);
        copied += piece;
      }
      sector = NextMiniSector(sector);
    } else {
      std::memcpy(out.data() + done, Sector(sector), n);
      sector = NextSector(sector);
    }
    done += n;
  }
  return true;
}

CompoundFileReport CheckCompoundFileBytes(const uint8_t* bytes, uint64_t size) {
  CompoundFileReport report;
  CompoundFileReader reader;
  reader.Load(bytes, size, report);
  return report;
}

CompoundFileReport CheckCompoundFile(const char* path) {
  MappedFile file;
  if (!file.Open(path)) {
    CompoundFileReport report;
    report.openError = file.Error();
    return report;
  }
  return CheckCompoundFileBytes(file.Bytes(), file.Size());
}

}  // namespace vellora
