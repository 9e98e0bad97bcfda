#pragma once
// The text tools of the text view, computed on the text read once from the
// control: each tool turns the text into a list of edits (what to remove and
// insert where) and the caret it leaves. Positions are the control's
// character positions (one UTF-16 unit each, a paragraph mark is one 0x0D);
// what counts as a double-byte character is decided by the system ANSI code
// page, as the control's own ANSI text would show it.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace vellora {

// One change, in positions of the text before any change of its list.
struct TextEdit {
  long position = 0;
  long removed = 0;       // characters removed from position
  std::wstring inserted;  // text put there
};

struct TextEdits {
  // Ordered by position, not overlapping.
  std::vector<TextEdit> edits;
  // Where the caret ends (positions of the changed text); none when the tool
  // left the selection alone.
  std::optional<long> caret;
  bool Empty() const { return edits.empty(); }
};

// How a character reads in the system ANSI code page (cached per character).
class AnsiCharacters {
 public:
  AnsiCharacters();
  // The character's ANSI bytes: one, or two for a double-byte character.
  unsigned Bytes(wchar_t c, unsigned char out[2]) const;
  bool IsDoubleByte(wchar_t c) const;
  // The single byte 0x20 (a full-width space is one only where the code
  // page has no form of its own for it).
  bool IsSpace(wchar_t c) const;
  bool IsLineBreak(wchar_t c) const;

 private:
  mutable std::vector<unsigned> cache_;  // per character: 0 unknown, else 1 + length<<16 + bytes
  unsigned Lookup(wchar_t c) const;
};

// Joins lines that do not end a sentence (".", "!", ":" and their
// full-width GBK forms end one).
TextEdits ReorganizeParagraphs(const std::wstring& text, const AnsiCharacters& ansi);
// Removes the spaces that end a paragraph (before a final line-break
// character they go and it stays); soft wraps are not paragraph ends.
TextEdits DeleteLineEndSpaces(const std::wstring& text, const AnsiCharacters& ansi);
// Gives every paragraph an indent of four spaces; a paragraph of spaces only
// loses them.
TextEdits CleanupParagraphSpaces(const std::wstring& text, const AnsiCharacters& ansi);
// Removes the paragraphs made of spaces only, with their paragraph marks.
TextEdits DeleteEmptyLines(const std::wstring& text, const AnsiCharacters& ansi);
// Puts an empty paragraph before every paragraph but the first.
TextEdits InsertEmptyLines(const std::wstring& text);
// Removes spaces between double-byte characters and shortens runs of
// spaces. reportedLength is what the control answers to WM_GETTEXTLENGTH
// (it counts paragraph marks twice): a text it calls shorter than five
// characters is left alone.
TextEdits DeleteExtraSpaces(const std::wstring& text, long reportedLength, const AnsiCharacters& ansi);

// The text with the edits applied.
std::wstring ApplyEdits(const std::wstring& text, const TextEdits& edits);

// "year-month-day hour:minute:second" without leading zeros.
std::string FormatTimeStamp(const SYSTEMTIME& time);

}  // namespace vellora
