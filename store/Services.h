#pragma once
// What the library store needs from the program around it. The store knows
// nothing of windows or of the application; the application hands it these.
#include <string>

namespace vellora {

// Message texts by their key in the string table. Text() answers null when
// the table has no text under that key.
class TextSource {
 public:
  virtual ~TextSource() = default;
  virtual const char* Text(int key) const = 0;
  // The text under the key, or the fallback when there is none.
  std::string TextOr(int key, const char* fallback) const {
    const char* t = Text(key);
    return (t && *t) ? std::string(t) : std::string(fallback ? fallback : "");
  }
};

// Where consistency checks of the store report what they found.
class DiagnosticSink {
 public:
  virtual ~DiagnosticSink() = default;
  virtual void Report(const std::string& message) = 0;
};

}  // namespace vellora
