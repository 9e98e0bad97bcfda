#include "tests/store/DamageKit.h"

#include <cstring>

#include "store/CompoundFileCheck.h"
#include "store/LibraryFormat.h"
#include "store/StorageHandle.h"
#include "tests/TestSupport.h"

using namespace vellora;

namespace vtest {

namespace {

constexpr uint32_t kEnd = 0xFFFFFFFEu;

NodeInfoRecord TextRecord(int32_t sequence) {
  NodeInfoRecord r;
  r.sequence = sequence;
  r.kind = kItemText;
  return r;
}

std::string Rtf(const std::string& words) {
  return "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs24 " + words + "\\par}";
}

std::string Filler(size_t size, char seed) {
  std::string text;
  text.reserve(size);
  for (size_t i = 0; text.size() < size; ++i) text += static_cast<char>('a' + (seed + i) % 26);
  return text;
}

}  // namespace

bool WriteDamageSample(const std::string& path) {
  StorageHandle root;
  if (FAILED(root.CreateRoot(path.c_str(), kWriteMode))) return false;
  StorageHandle tree;
  if (FAILED(root.CreateStorage(kDamageTree, kWriteMode, tree)) ||
      FAILED(tree.WriteClass(FolderClassId(kFolderTree, 1))))
    return false;
  StorageHandle branch;
  if (FAILED(CreateFolderNode(tree, kDamageBranch, TextRecord(1), branch))) return false;
  std::string note = Rtf("A note of the branch.");
  std::string big = Rtf(Filler(9000, 3));
  std::string larger = Rtf(Filler(12000, 7));
  if (FAILED(CreateLeafNode(branch, kDamageNote, TextRecord(1), note.data(), static_cast<ULONG>(note.size()))) ||
      FAILED(CreateLeafNode(branch, kDamageBig, TextRecord(2), big.data(), static_cast<ULONG>(big.size()))) ||
      FAILED(CreateLeafNode(tree, "Top", TextRecord(2), note.data(), static_cast<ULONG>(note.size()))) ||
      FAILED(CreateLeafNode(tree, kDamageLarger, TextRecord(3), larger.data(), static_cast<ULONG>(larger.size()))))
    return false;
  branch.Release();
  tree.Release();
  StorageHandle catalog;
  if (FAILED(root.CreateStorage(kDamageCatalog, kWriteMode, catalog)) ||
      FAILED(catalog.WriteClass(FolderClassId(kFolderCatalog, 2))) ||
      FAILED(CreateItem(catalog, kItemText, "Item", 1, kFolderItemInfo, kFolderItemContent, {})))
    return false;
  {
    StorageHandle item = catalog.OpenStorageFor("Item", false);
    StreamHandle content = item.OpenStreamFor(kFolderItemContent, false);
    std::string text = Rtf("A catalog note.");
    if (!content || FAILED(content.WriteBytes(text.data(), static_cast<ULONG>(text.size())))) return false;
  }
  catalog.Release();
  if (FAILED(LayDownSettings(root)) ||
      FAILED(WriteSettingsSlot(root, 0, Variant::FromString(kDamageLocation))) ||
      FAILED(AppendBookmark(root, {"Mark", kDamageLocation})))
    return false;
  return SUCCEEDED(root.Commit());
}

bool WriteSelfContainingSample(const std::string& path) {
  std::string sound = path + ".sound";
  if (!WriteDamageSample(sound)) return false;
  DamagedFile file = DamagedFile::FromFile(sound);
  DeleteFileA(sound.c_str());
  uint32_t branch = file.EntryIndex(kDamageBranch);
  file.SetU32(file.EntryOffset(branch) + 0x4C, branch);
  return file.Write(path);
}

bool WriteMutuallyContainingSample(const std::string& path) {
  std::string sound = path + ".sound";
  if (!WriteDamageSample(sound)) return false;
  DamagedFile file = DamagedFile::FromFile(sound);
  DeleteFileA(sound.c_str());
  uint32_t treeChildren = file.U32(file.EntryOffset(kDamageTree) + 0x4C);
  size_t top = file.EntryOffset("Top");
  file.SetU16(top + 0x42, 1);  // a storage now (the low byte is the type, the next the colour)
  file.SetU32(top + 0x4C, treeChildren);
  file.SetU32(file.EntryOffset(kDamageBranch) + 0x4C, treeChildren);
  return file.Write(path);
}

bool SelfContainingTree::Open(bool mutual) {
  std::string path = dir_.File("loop.vlx");
  if (!(mutual ? WriteMutuallyContainingSample(path) : WriteSelfContainingSample(path))) return false;
  CompoundFileReport report = CheckCompoundFile(path.c_str());
  if (!report.PlatformMayRead()) return false;
  entries_ = report.directoryEntries;
  if (FAILED(root_.OpenRoot(path.c_str(), kReadMode))) return false;
  tree_ = root_.OpenStorageFor(kDamageTree, true);
  return !tree_.Empty();
}

DamagedFile::DamagedFile(std::string bytes) : bytes_(std::move(bytes)) {}

DamagedFile DamagedFile::FromFile(const std::string& path) { return DamagedFile(ReadWholeFile(path)); }

uint32_t DamagedFile::U32(size_t offset) const {
  if (offset + 4 > bytes_.size()) return 0xFFFFFFFFu;
  uint32_t v;
  std::memcpy(&v, bytes_.data() + offset, 4);
  return v;
}

void DamagedFile::SetU32(size_t offset, uint32_t value) {
  if (offset + 4 <= bytes_.size()) std::memcpy(&bytes_[offset], &value, 4);
}

void DamagedFile::SetU16(size_t offset, uint16_t value) {
  if (offset + 2 <= bytes_.size()) std::memcpy(&bytes_[offset], &value, 2);
}

// The sample is small: the header's own list names every allocation table sector.
uint32_t DamagedFile::Fat(uint32_t sector) const {
  uint32_t part = sector / 128;
  return U32(SectorOffset(U32(0x4C + 4 * part)) + (sector % 128) * 4);
}

void DamagedFile::SetFat(uint32_t sector, uint32_t next) {
  uint32_t part = sector / 128;
  SetU32(SectorOffset(U32(0x4C + 4 * part)) + (sector % 128) * 4, next);
}

std::vector<uint32_t> DamagedFile::ChainFrom(uint32_t start) const {
  std::vector<uint32_t> chain;
  for (uint32_t s = start; s != kEnd && s < bytes_.size() / 512 && chain.size() < bytes_.size() / 512; s = Fat(s))
    chain.push_back(s);
  return chain;
}

size_t DamagedFile::EntryOffset(uint32_t index) const {
  std::vector<uint32_t> directory = ChainFrom(FirstDirectorySector());
  if (index / 4 >= directory.size()) return bytes_.size();
  return SectorOffset(directory[index / 4]) + (index % 4) * 128;
}

uint32_t DamagedFile::EntryIndex(const std::string& name) const {
  std::wstring wide(name.begin(), name.end());
  std::vector<uint32_t> directory = ChainFrom(FirstDirectorySector());
  for (uint32_t i = 0; i < directory.size() * 4; ++i) {
    size_t at = EntryOffset(i);
    uint16_t bytes;
    std::memcpy(&bytes, bytes_.data() + at + 0x40, 2);
    if (bytes != (wide.size() + 1) * 2 || bytes_[at + 0x42] == 0) continue;
    if (std::memcmp(bytes_.data() + at, wide.data(), wide.size() * 2) == 0) return i;
  }
  return 0xFFFFFFFFu;
}

uint32_t DamagedFile::FreeEntry() const {
  std::vector<uint32_t> directory = ChainFrom(FirstDirectorySector());
  for (uint32_t i = 0; i < directory.size() * 4; ++i)
    if (bytes_[EntryOffset(i) + 0x42] == 0) return i;
  return 0xFFFFFFFFu;
}

void DamagedFile::SetName(uint32_t index, const std::string& name) {
  size_t at = EntryOffset(index);
  if (at + 128 > bytes_.size() || name.size() > 31) return;
  std::memset(&bytes_[at], 0, 64);
  for (size_t i = 0; i < name.size(); ++i) bytes_[at + 2 * i] = name[i];
  SetU16(at + 0x40, static_cast<uint16_t>((name.size() + 1) * 2));
}

bool DamagedFile::Write(const std::string& path) const { return WriteWholeFile(path, bytes_); }

const std::vector<Damage>& ClassicDamages() {
  static const std::vector<Damage> damages = {
      {"SiblingPointsAtItself",
       [](DamagedFile& f) {
         uint32_t note = f.EntryIndex(kDamageNote);
         f.SetU32(f.EntryOffset(note) + 0x44, note);
         f.SetU32(f.EntryOffset(note) + 0x48, note);
       }},
      {"FolderNodeContainsItself",
       [](DamagedFile& f) {
         uint32_t branch = f.EntryIndex(kDamageBranch);
         f.SetU32(f.EntryOffset(branch) + 0x4C, branch);  // as WriteSelfContainingSample does
       }},
      {"MiniStreamRunsIntoTheDirectory",
       [](DamagedFile& f) {
         std::vector<uint32_t> mini = f.MiniStreamChain();
         f.SetFat(mini.back(), f.FirstDirectorySector());
       }},
      {"BadSectorSize", [](DamagedFile& f) { f.SetU16(0x1E, 10); }},
      {"AllocationTableListPointsOutsideTheFile", [](DamagedFile& f) { f.SetU32(0x4C, 0x00100000); }},
      {"StartSectorPastTheEnd", [](DamagedFile& f) { f.SetU32(f.EntryOffset(kDamageBig) + 0x74, 0x00100000); }},
      {"StreamLargerThanItsChain",
       [](DamagedFile& f) {
         uint32_t chain = static_cast<uint32_t>(f.ChainFrom(f.StartOf(kDamageBig)).size());
         f.SetU32(f.EntryOffset(kDamageBig) + 0x78, (chain + 2) * 512);
       }},
      {"MiniStreamCutShort",
       [](DamagedFile& f) {
         uint32_t chain = static_cast<uint32_t>(f.MiniStreamChain().size());
         f.SetU32(f.EntryOffset(0) + 0x78, (chain + 2) * 512);
       }},
      {"StreamChainRunsInACircle",
       [](DamagedFile& f) {
         std::vector<uint32_t> chain = f.ChainFrom(f.StartOf(kDamageBig));
         f.SetFat(chain[3], chain[1]);
       }},
      {"DirectoryChainRunsInACircle",
       [](DamagedFile& f) {
         std::vector<uint32_t> directory = f.ChainFrom(f.FirstDirectorySector());
         f.SetFat(directory.back(), directory.front());
       }},
      {"StreamsCrossEachOther",
       [](DamagedFile& f) {
         std::vector<uint32_t> big = f.ChainFrom(f.StartOf(kDamageBig));
         f.SetFat(big[2], f.StartOf(kDamageLarger));
       }},
      {"TruncatedFile", [](DamagedFile& f) { f.Truncate(f.Size() * 2 / 3 + 100); }},
      {"NotACompoundFile", [](DamagedFile& f) { f.SetU32(0, 0x12345678); }},
      // A rename that kept the old length: "Note" with the length of a longer or a shorter name.
      {"NameLengthTooLong", [](DamagedFile& f) { f.SetU16(f.EntryOffset(kDamageNote) + 0x40, 16); }},
      {"NameLengthTooShort", [](DamagedFile& f) { f.SetU16(f.EntryOffset(kDamageNote) + 0x40, 4); }},
      {"NameLengthZero", [](DamagedFile& f) { f.SetU16(f.EntryOffset(kDamageNote) + 0x40, 0); }},
      {"SiblingsOutOfOrder",
       [](DamagedFile& f) {
         uint32_t note = f.EntryIndex(kDamageNote), big = f.EntryIndex(kDamageBig);
         f.SetName(note, kDamageBig);
         f.SetName(big, kDamageNote);
       }},
      {"SiblingPointsPastTheEnd", [](DamagedFile& f) { f.SetLeft(f.EntryIndex(kDamageNote), 1000); }},
      {"CycleThroughAnUnusedEntry",
       [](DamagedFile& f) {
         uint32_t note = f.EntryIndex(kDamageNote), unused = f.FreeEntry();
         f.SetLeft(note, unused);
         f.SetLeft(unused, note);
         f.SetRight(unused, note);
       }},
      {"CycleThroughTheRootEntry",
       [](DamagedFile& f) {
         uint32_t note = f.EntryIndex(kDamageNote);
         f.SetLeft(note, 0);
         f.SetLeft(0, note);
         f.SetRight(0, note);
       }},
      // The catalog's item also hangs below a leaf of the tree, which links back to it.
      {"CycleThroughTwoStorages",
       [](DamagedFile& f) {
         uint32_t item = f.EntryIndex("Item"), top = f.EntryIndex("Top");
         f.SetRight(item, top);
         f.SetLeft(top, item);
         f.SetRight(top, item);
       }},
      {"EntryListedByTwoStorages", [](DamagedFile& f) { f.SetRight(f.EntryIndex("Item"), f.EntryIndex("Top")); }},
      {"EntriesOfNoStorage", [](DamagedFile& f) { f.SetChild(f.EntryIndex(kDamageCatalog), 0xFFFFFFFFu); }},
      {"DifatStartsInTheFileWithACountOfOne",
       [](DamagedFile& f) {
         f.SetU32(0x44, f.StartOf(kDamageBig));
         f.SetU32(0x48, 1);
       }},
      {"AllocationTableSectorMarkedFree", [](DamagedFile& f) { f.SetFat(f.U32(0x4C), 0xFFFFFFFFu); }},
  };
  return damages;
}

}  // namespace vtest
