#pragma once
// The plain text of a rich-text document as the rich edit control holds it
// (UTF-16, a paragraph mark as '\r'), read without a control, and the rich
// edit's own way of finding a piece of text in it (letters of either case
// match). Searching thousands of notes this way costs a fraction of loading
// each one into a control.
#include <windows.h>

#include <cstddef>
#include <string>

namespace vellora {

// The text the control would show after streaming in the RTF bytes. Bytes
// written as \'hh are decoded in the code page of the font in use (the
// document's \ansicpg, else the thread's ANSI code page, when the font names
// no character set). Bytes that are not RTF at all read as no text, as the
// control shows them.
std::wstring RtfPlainText(const char* data, size_t size);
inline std::wstring RtfPlainText(const std::string& rtf) { return RtfPlainText(rtf.data(), rtf.size()); }

// A search text prepared once for many texts: converted from the thread's
// ANSI code page and compared without regard to the case of letters, as the
// rich edit's find does without the match-case flag.
class TextNeedle {
 public:
  explicit TextNeedle(const std::string& ansi);
  bool Empty() const { return folded_.empty(); }
  // The position of the first match at or after from; npos when there is none.
  size_t FindIn(const std::wstring& text, size_t from = 0) const;
  bool FoundIn(const std::wstring& text) const { return FindIn(text) != std::wstring::npos; }
  // The same over RTF bytes.
  bool FoundInRtf(const char* data, size_t size) const;
  size_t Length() const { return folded_.size(); }

 private:
  std::wstring folded_;
};

// One UTF-16 unit folded the way the rich edit compares without case.
wchar_t FoldCase(wchar_t c);

}  // namespace vellora
