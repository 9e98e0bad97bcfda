#pragma once
// A small library the store writes, and byte-wise damage to it. The kit reads
// the compound file's header, allocation table and directory on its own (it
// never asks the product's reader where things are) and patches bytes.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "store/StorageHandle.h"
#include "tests/TestSupport.h"

namespace vtest {

// The sample's element names.
inline constexpr char kDamageTree[] = "Tree";
inline constexpr char kDamageBranch[] = "Branch";
inline constexpr char kDamageNote[] = "Note";      // a text leaf inside Branch
inline constexpr char kDamageBig[] = "Big";        // a leaf of 9,000 bytes (regular sectors)
inline constexpr char kDamageLarger[] = "Larger";  // another big leaf, after Big
inline constexpr char kDamageCatalog[] = "Catalog";
inline constexpr char kDamageLocation[] = "Tree\\Branch\\Note";

// Writes the sample: a tree folder with a folder node and leaves (small and
// big), a catalog folder with a text item, the settings with the last
// location and one bookmark. Answers false when the store failed.
bool WriteDamageSample(const std::string& path);
// The sample with the folder node "Tree\Branch" made to contain itself (its
// child link points at its own entry).
bool WriteSelfContainingSample(const std::string& path);
// Worse: "Tree\Branch" and "Tree\Top" (made a storage) each contain both of
// them, so every level of the tree doubles.
bool WriteMutuallyContainingSample(const std::string& path);

// The self-containing sample made in a private folder and opened read-only
// as the document opens a damaged library, its tree folder at hand.
class SelfContainingTree {
 public:
  // False when the sample could not be made, or the check would refuse it.
  // With mutual, the sample whose storages contain each other.
  bool Open(bool mutual = false);
  uint32_t DirectoryEntries() const { return entries_; }
  const vellora::StorageHandle& Folder() const { return tree_; }

 private:
  TempDir dir_;
  uint32_t entries_ = 0;
  vellora::StorageHandle root_;
  vellora::StorageHandle tree_;
};

class DamagedFile {
 public:
  explicit DamagedFile(std::string bytes);
  static DamagedFile FromFile(const std::string& path);

  uint32_t U32(size_t offset) const;
  void SetU32(size_t offset, uint32_t value);
  void SetU16(size_t offset, uint16_t value);
  size_t SectorOffset(uint32_t sector) const { return (static_cast<size_t>(sector) + 1) * 512; }
  uint32_t Fat(uint32_t sector) const;
  void SetFat(uint32_t sector, uint32_t next);
  std::vector<uint32_t> ChainFrom(uint32_t start) const;
  uint32_t FirstDirectorySector() const { return U32(0x30); }
  // Directory entries by name (the sample's names are unique); index and byte offset.
  uint32_t EntryIndex(const std::string& name) const;
  size_t EntryOffset(uint32_t index) const;
  size_t EntryOffset(const std::string& name) const { return EntryOffset(EntryIndex(name)); }
  // The first directory entry in no use (type 0).
  uint32_t FreeEntry() const;
  // Gives the entry the name, its length field the name's right length.
  void SetName(uint32_t index, const std::string& name);
  uint16_t NameLengthField(uint32_t index) const { return static_cast<uint16_t>(U32(EntryOffset(index) + 0x40)); }
  // Sibling and child links of an entry.
  void SetLeft(uint32_t index, uint32_t to) { SetU32(EntryOffset(index) + 0x44, to); }
  void SetRight(uint32_t index, uint32_t to) { SetU32(EntryOffset(index) + 0x48, to); }
  void SetChild(uint32_t index, uint32_t to) { SetU32(EntryOffset(index) + 0x4C, to); }
  uint32_t StartOf(const std::string& name) const { return U32(EntryOffset(name) + 0x74); }
  uint32_t SizeOf(const std::string& name) const { return U32(EntryOffset(name) + 0x78); }
  // The root entry's chain: the small-stream area.
  std::vector<uint32_t> MiniStreamChain() const { return ChainFrom(U32(EntryOffset(0) + 0x74)); }
  void Truncate(size_t size) { bytes_.resize(size); }
  const std::string& Bytes() const { return bytes_; }
  size_t Size() const { return bytes_.size(); }
  bool Write(const std::string& path) const;

 private:
  std::string bytes_;
};

// One way of damaging the sample.
struct Damage {
  const char* name;
  void (*apply)(DamagedFile&);
};
// The classic corruptions, each applied to a fresh copy of the sample, and
// the faults of the directory and the table bookkeeping that the platform's
// look-ups and saves trip over.
const std::vector<Damage>& ClassicDamages();

}  // namespace vtest
