#pragma once
// Counted strings (u32 byte count, UTF-16LE text with its NUL; count 0 is a
// null string) read from and written to bytes held in memory. Item contents
// are read from their stream once and parsed here, and built here whole
// before they are written in one step: a list of 100,000 cells costs two
// stream calls instead of several hundred thousand.
#include <windows.h>

#include <cstdint>
#include <string>

#include "store/StorageHandle.h"

namespace vellora {

// Reads a stream from its current position to its end. The size the file
// claims is never trusted: the bytes are read in slices until the stream
// gives no more. False when a read failed (out holds what came before).
bool ReadToEnd(const StreamHandle& stream, std::string& out);

class CountedReader {
 public:
  enum class Got {
    Text,    // a string (possibly empty)
    Null,    // the count 0
    End,     // nothing left at all
    Broken,  // a partial count, an odd count, or a count beyond the bytes left
  };

  CountedReader(const char* data, size_t size) : data_(data), size_(size) {}
  explicit CountedReader(const std::string& bytes) : CountedReader(bytes.data(), bytes.size()) {}

  // The next counted string in the thread's ANSI code page, cut at its first
  // NUL. On Broken nothing is consumed.
  Got Next(std::string& text);
  // Four little-endian bytes; false (nothing consumed) when fewer are left.
  bool NextU32(uint32_t& value);
  size_t Remaining() const { return size_ - at_; }
  size_t Offset() const { return at_; }

 private:
  const char* data_;
  size_t size_;
  size_t at_ = 0;
};

void AppendU32(std::string& out, uint32_t value);
// The text as a counted string: an empty text is the empty string (count 2,
// one NUL), never a null string.
void AppendCounted(std::string& out, const std::string& ansi);
void AppendNullString(std::string& out);

// UTF-16 text of a given length in the thread's ANSI code page.
std::string AnsiFromWideChars(const wchar_t* text, size_t length);

}  // namespace vellora
