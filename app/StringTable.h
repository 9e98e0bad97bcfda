#pragma once
// The message texts of the program, read from "Cnfg\StringTable.stb" beside
// the executable so that the wording can change without a rebuild.
//
// The file has no header and no index: it is a run of NUL-terminated ANSI
// texts, and a text's key is the byte offset at which it starts.
#include <string>
#include <vector>

#include "store/Services.h"

namespace vellora {

class StringTable : public TextSource {
 public:
  // Reads the whole file. False when it cannot be opened or read; the table
  // then keeps what it held before.
  bool Load(const std::string& path);
  // Loads the table that ships next to the running program.
  bool LoadForProgram();
  // "Cnfg\StringTable.stb" in the folder of the running program.
  static std::string ProgramTablePath();

  // The text that starts at byte `offset`; null when the offset lies outside
  // the table. An offset that points at a NUL yields "" (TextOr then falls
  // back).
  const char* At(int offset) const;
  const char* Text(TextKey key) const override { return At(key); }
  using TextSource::Text;

  // The number of bytes loaded.
  size_t Size() const { return size_; }

 private:
  // The file's bytes followed by one NUL, so a last text without its own
  // terminator still ends inside the buffer.
  std::vector<char> bytes_;
  size_t size_ = 0;
};

}  // namespace vellora
