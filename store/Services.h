#pragma once
// What the library store needs from the program around it. The store knows
// nothing of windows or of the application; the application hands it these.
#include <string>

#include "Cnfg/TextKeys.h"

namespace vellora {

// Message texts by their key in the string table. Text() answers null when
// the table has no text under that key. Keys are named (Cnfg/TextKeys.h is
// generated from the table); a bare number does not compile.
class TextSource {
 public:
  virtual ~TextSource() = default;
  virtual const char* Text(TextKey key) const = 0;
  const char* Text(int key) const = delete;
  // The text under the key, or the fallback when there is none.
  std::string TextOr(TextKey key, const char* fallback) const {
    const char* t = Text(key);
    return (t && *t) ? std::string(t) : std::string(fallback ? fallback : "");
  }
  std::string TextOr(int key, const char* fallback) const = delete;
};

// Where consistency checks of the store report what they found.
class DiagnosticSink {
 public:
  virtual ~DiagnosticSink() = default;
  virtual void Report(const std::string& message) = 0;
};

}  // namespace vellora
