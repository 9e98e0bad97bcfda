#pragma once
// Real compound files for the content tests.
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>

#include "store/LibraryFormat.h"
#include "store/StorageHandle.h"
#include "tests/TestSupport.h"

namespace vtest {

// A library-shaped compound file in a private folder, open for writing.
class ScratchFile {
 public:
  ScratchFile();
  const vellora::StorageHandle& Root() const { return root_; }
  const std::string& Path() const { return path_; }
  // A storage directly under the root (a folder), open for writing.
  vellora::StorageHandle AddStorage(const char* name) const;

 private:
  TempDir dir_;
  std::string path_;
  vellora::StorageHandle root_;
};

vellora::NodeInfoRecord NodeRecord(int32_t sequence, uint16_t kind = vellora::kItemText);
// A leaf node: the 40-byte record and the content behind it.
void AddLeaf(const vellora::StorageHandle& parent, const std::string& name, int32_t sequence,
             const std::string& content = {});
// A folder node with its record stream, open for writing.
vellora::StorageHandle AddFolderNode(const vellora::StorageHandle& parent, const std::string& name,
                                     int32_t sequence);
// A stream holding exactly the given bytes.
void WriteStream(const vellora::StorageHandle& parent, const std::string& name, const std::string& bytes);
std::string Bytes32(uint32_t value);
// A text as the counted string the library stores.
std::string Counted(const std::string& text);

// The bytes of an .ico file with one 32 x 32 true-colour image.
std::string IconFileBytes();

}  // namespace vtest
