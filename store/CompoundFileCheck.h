#pragma once
// Our own reader of a compound file's structure: the header, the allocation
// tables and their chains, and the directory's trees. It looks at the file
// once through a read-only mapping, in time and memory bounded by the file's
// size, and says whether the platform may open the file for writing, may
// only read it, or must not be given it at all (a cycle that would make its
// look-ups loop). It can also read streams itself, for salvage.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "store/MappedFile.h"

namespace vellora {

// What a finding means for the file as a whole, mildest first.
enum class Damage {
  kNone = 0,
  // The platform reads the file safely, but writing it would make things
  // worse: open it read-only.
  kReadOnly = 1,
  // The platform would hang, crash or read the wrong bytes: never hand it
  // the file; only our own reader may salvage from it.
  kUnreadable = 2,
};

struct CompoundFileFinding {
  Damage damage = Damage::kReadOnly;
  std::string text;  // one line, naming what is wrong and where
  bool repairable = false;  // a wrong name length, which RepairNameLengths mends
};

// A directory entry's 2-byte name length that disagrees with its name: where
// the field lies in the file and what it must say.
struct NameLengthFix {
  uint64_t offset = 0;
  uint16_t bytes = 0;
};

struct CompoundFileReport {
  bool fileOpened = false;    // the file could be read at all
  DWORD openError = 0;        // why not, when it could not
  std::vector<CompoundFileFinding> findings;
  uint32_t sectorSize = 0;
  uint32_t sectorCount = 0;   // whole sectors the file holds after the header
  uint32_t directoryEntries = 0;
  uint32_t storages = 0;      // reached from the root, the root not counted
  uint32_t streams = 0;
  bool findingsCut = false;   // more findings than kept
  Damage worst = Damage::kNone;
  size_t unrepairable = 0;    // findings, kept or cut, that no repair mends
  std::vector<NameLengthFix> nameLengthFixes;
  // Entries outside every storage that are only copies of elements the
  // library holds, left by a save cut short: not damage, space a repack
  // gives back.
  uint32_t abandonedEntries = 0;

  Damage Worst() const;
  bool Sound() const { return fileOpened && findings.empty(); }
  bool PlatformMayRead() const { return fileOpened && Worst() != Damage::kUnreadable; }
  // The only damage is wrong name lengths in the directory.
  bool Repairable() const { return fileOpened && !findings.empty() && unrepairable == 0 && !nameLengthFixes.empty(); }
  // A few lines for a message box or a console: what is wrong, most severe first.
  std::string Summary(size_t maxLines = 6) const;
};

inline constexpr uint32_t kNoEntry = 0xFFFFFFFFu;

// One directory entry as our reader sees it.
struct CompoundEntry {
  uint64_t nameAt = 0;        // where the UTF-16 name lies in the file (read on demand)
  uint8_t nameChars = 0;      // characters before the first NUL, as the platform reads the name
  bool nameEnds = false;      // a NUL ends the name inside its 32 characters
  uint16_t nameBytes = 0;     // the entry's name length field
  uint8_t type = 0;           // 1 storage, 2 stream, 5 root
  uint32_t left = kNoEntry, right = kNoEntry, child = kNoEntry;
  uint32_t start = 0;
  uint64_t size = 0;
  CLSID clsid = {};
  uint32_t parent = kNoEntry;       // the storage whose tree first reached it
  std::vector<uint32_t> children;   // storages: children in tree order
  bool reached = false;
  bool dataSound = false;           // streams: every byte lies in its own chain
  int depth = 0;                    // storages below the root (root 0)
};

class CompoundFileReader {
 public:
  // Reads the structure and records every finding into the report.
  void Load(const uint8_t* bytes, uint64_t size, CompoundFileReport& report);

  const std::vector<CompoundEntry>& Entries() const { return entries_; }
  std::wstring NameOf(uint32_t entry) const;
  bool HasRoot() const { return !entries_.empty() && entries_[0].type == 5; }
  // A stream's bytes through its chain; false unless the chain was found sound.
  bool ReadStream(uint32_t entry, std::vector<uint8_t>& out) const;
  // "Folder\Node\Leaf" of an entry, for messages.
  std::string PathOf(uint32_t entry) const;

 private:
  struct Chain;
  void Find(CompoundFileReport& report, Damage damage, const std::string& text, bool repairable = false);
  bool ReadHeader(CompoundFileReport& report);
  bool ReadFatList(CompoundFileReport& report);
  void CheckTableBookkeeping(CompoundFileReport& report);
  // Follows a chain of the big or mini allocation table, claiming each
  // sector for owner; stops at a cycle, a crossing, or the end of the file.
  // A cycle is always unreadable (the platform walks chains to their end);
  // every other fault of the chain counts as damage.
  uint32_t FollowChain(uint32_t start, uint32_t owner, uint64_t wantSectors, bool mini, const char* label,
                       Damage damage, CompoundFileReport& report, bool& sound);
  uint32_t NextSector(uint32_t sector) const;
  uint32_t NextMiniSector(uint32_t sector) const;
  const uint8_t* Sector(uint32_t sector) const;
  void ReadDirectory(CompoundFileReport& report);
  void WalkTrees(CompoundFileReport& report);
  void CheckStreams(CompoundFileReport& report);
  void CheckNames(CompoundFileReport& report);
  void CheckSiblingOrder(uint32_t storage, CompoundFileReport& report);
  // After the walk: whether the entries it did not reach are copies a cut-short commit left.
  bool AbandonedCopies() const;
  std::string OwnerName(uint32_t owner) const;

  const uint8_t* bytes_ = nullptr;
  uint64_t size_ = 0;
  uint32_t shift_ = 9;
  uint32_t sectorSize_ = 512;
  uint32_t sectorCount_ = 0;
  uint32_t miniCutoff_ = 4096;
  uint32_t fatSectorCount_ = 0;
  uint32_t firstDirectory_ = 0;
  uint32_t firstMiniFat_ = 0;
  uint32_t miniFatSectorCount_ = 0;
  uint32_t firstDifat_ = 0;
  uint32_t difatSectorCount_ = 0;
  bool version4_ = false;
  std::vector<uint32_t> fatSectors_;   // where each part of the allocation table lies
  std::vector<uint32_t> owner_;        // per sector: who claimed it (0 nobody)
  std::vector<uint32_t> miniOwner_;    // per mini sector
  std::vector<uint32_t> directory_;    // the directory's sectors in order
  std::vector<uint32_t> miniFat_;      // the mini allocation table's sectors in order
  std::vector<uint32_t> miniStream_;   // the mini stream's sectors in order
  uint64_t miniStreamBytes_ = 0;       // what of the mini stream really lies in its chain
  bool tangled_ = false;               // the walk of the trees gave up
  std::vector<CompoundEntry> entries_;
};

// The order of names in a storage's tree that the platform's look-up relies
// on: the shorter name first, names of one length by their characters
// compared in upper case. Negative, 0 or positive as for strcmp.
int CompareElementNames(const std::wstring& a, const std::wstring& b);

// Maps the file and checks it. The mapping is released before it returns.
CompoundFileReport CheckCompoundFile(const char* path);
CompoundFileReport CheckCompoundFileBytes(const uint8_t* bytes, uint64_t size);

}  // namespace vellora
