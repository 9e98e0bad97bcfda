#pragma once
// Rich text from a library is looked at before the platform's rich edit
// reader sees it: that reader overruns its buffers on control words and
// numbers longer than the format allows and on very deep nesting. A note
// that passes goes to the reader byte for byte as stored; one that does not
// is cut before its first unsound token and its open groups are closed, so
// it is shown as far as it is sound.
#include <cstddef>
#include <string>

namespace vellora {

// Limits of the format: a control word has at most 32 letters, its numeric
// parameter at most 10 characters with the sign.
inline constexpr size_t kMaxControlWordLetters = 32;
inline constexpr size_t kMaxControlParameterChars = 10;
// Groups open at once, the document's own group included. The platform's
// reader keeps a fixed stack of 32 groups and writes past it on a deeper
// note; the editor itself never nests more than a handful.
inline constexpr size_t kMaxRichTextGroupDepth = 32;

struct RichTextVerdict {
  bool sound = true;
  size_t soundBytes = 0;  // the bytes before the first unsound token
  std::string problem;    // what is wrong, for the user; empty when sound
};

RichTextVerdict CheckRichText(const char* text, size_t size);

// What the reader may be given: the text itself when sound, else its sound
// part with the groups that were open there closed.
std::string SoundRichText(const std::string& text, RichTextVerdict* verdict = nullptr);

}  // namespace vellora
