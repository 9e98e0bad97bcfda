#include "content/TextTools.h"

#include <cstdio>

namespace vellora {

namespace {

constexpr wchar_t kParagraphMark = L'\r';

// Builds an edit list and the caret as the tools walk the text forwards:
// `shift` is what the edits so far added to the positions behind them.
class EditRecorder {
 public:
  void Remove(long at, long count) { Replace(at, count, {}); }
  void Insert(long at, std::wstring text) { Replace(at, 0, std::move(text)); }
  void Replace(long at, long count, std::wstring text) {
    long inserted = static_cast<long>(text.size());
    if (count > 0 || inserted > 0) result_.edits.push_back({at, count, std::move(text)});
    result_.caret = at + shift_ + inserted;
    shift_ += inserted - count;
  }
  TextEdits Take() { return std::move(result_); }

 private:
  TextEdits result_;
  long shift_ = 0;
};

// Calls visit(start, end) for each paragraph; end is the position of its
// paragraph mark, or the text's end for the last one.
template <class Visit>
void ForEachParagraph(const std::wstring& text, Visit visit) {
  const long n = static_cast<long>(text.size());
  long start = 0;
  for (long i = 0; i <= n; ++i) {
    if (i == n || text[static_cast<size_t>(i)] == kParagraphMark) {
      visit(start, i);
      start = i + 1;
    }
  }
}

bool EndsSentence(wchar_t c, const AnsiCharacters& ansi) {
  unsigned char b[2];
  unsigned n = ansi.Bytes(c, b);
  if (n == 1) return b[0] == '.' || b[0] == '!' || b[0] == ':';
  if (n != 2) return false;
  // Ideographic full stop, full-width exclamation mark and colon, ellipsis.
  return (b[0] == 0xA1 && b[1] == 0xA3) || (b[0] == 0xA3 && b[1] == 0xA1) || (b[0] == 0xA3 && b[1] == 0xBA) ||
         (b[0] == 0xA1 && b[1] == 0xAD);
}

}  // namespace

AnsiCharacters::AnsiCharacters() : cache_(0x10000, 0) {}

unsigned AnsiCharacters::Lookup(wchar_t c) const {
  unsigned& entry = cache_[static_cast<unsigned short>(c)];
  if (entry == 0) {
    char bytes[4] = {};
    int n = WideCharToMultiByte(CP_ACP, 0, &c, 1, bytes, sizeof bytes, nullptr, nullptr);
    if (n < 1 || n > 2) {
      n = 1;
      bytes[0] = '?';
    }
    entry = 1u | (static_cast<unsigned>(n) << 1) | (static_cast<unsigned>(static_cast<unsigned char>(bytes[0])) << 8) |
            (static_cast<unsigned>(static_cast<unsigned char>(bytes[1])) << 16);
  }
  return entry;
}

unsigned AnsiCharacters::Bytes(wchar_t c, unsigned char out[2]) const {
  unsigned entry = Lookup(c);
  out[0] = static_cast<unsigned char>(entry >> 8);
  out[1] = static_cast<unsigned char>(entry >> 16);
  return (entry >> 1) & 3;
}

bool AnsiCharacters::IsDoubleByte(wchar_t c) const { return ((Lookup(c) >> 1) & 3) == 2; }

bool AnsiCharacters::IsSpace(wchar_t c) const { return c == L' ' || (c > 0x7F && (Lookup(c) & 0xFFFF06u) == 0x2002u); }

bool AnsiCharacters::IsLineBreak(wchar_t c) const {
  return c == L'\n' || (c > 0x7F && (Lookup(c) & 0xFFFF06u) == 0x0A02u);
}

TextEdits ReorganizeParagraphs(const std::wstring& text, const AnsiCharacters& ansi) {
  EditRecorder record;
  // The character before the current position in the text as changed so
  // far; none at the start.
  bool havePrevious = false;
  wchar_t previous = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    wchar_t c = text[i];
    // A paragraph mark stays after an empty paragraph and after a sentence's end.
    if (c == kParagraphMark && havePrevious && previous != kParagraphMark && !EndsSentence(previous, ansi)) {
      record.Remove(static_cast<long>(i), 1);
      continue;
    }
    havePrevious = true;
    previous = c;
  }
  return record.Take();
}

TextEdits DeleteLineEndSpaces(const std::wstring& text, const AnsiCharacters& ansi) {
  EditRecorder record;
  ForEachParagraph(text, [&](long start, long end) {
    if (end == start) return;
    long pos = end - 1;
    wchar_t last = text[static_cast<size_t>(pos)];
    long count;
    if (ansi.IsSpace(last)) count = 1;
    else if (ansi.IsLineBreak(last)) count = 0;
    else return;
    while (pos > start && ansi.IsSpace(text[static_cast<size_t>(pos - 1)])) {
      ++count;
      --pos;
    }
    if (count > 0) record.Remove(pos, count);
  });
  return record.Take();
}

TextEdits CleanupParagraphSpaces(const std::wstring& text, const AnsiCharacters& ansi) {
  EditRecorder record;
  ForEachParagraph(text, [&](long start, long end) {
    if (end == start) return;
    long spaces = 0;
    while (start + spaces < end && ansi.IsSpace(text[static_cast<size_t>(start + spaces)])) ++spaces;
    bool blank = start + spaces == end || ansi.IsLineBreak(text[static_cast<size_t>(start + spaces)]);
    if (blank) record.Remove(start, spaces);
    // An indent of exactly four is replaced by itself: only the caret moves.
    else if (spaces == 4 && text.compare(static_cast<size_t>(start), 4, L"    ") == 0) record.Replace(start + 4, 0, {});
    else record.Replace(start, spaces, L"    ");
  });
  return record.Take();
}

TextEdits DeleteEmptyLines(const std::wstring& text, const AnsiCharacters& ansi) {
  EditRecorder record;
  const long n = static_cast<long>(text.size());
  ForEachParagraph(text, [&](long start, long end) {
    for (long i = start; i < end; ++i)
      if (!ansi.IsSpace(text[static_cast<size_t>(i)])) return;
    if (end < n) record.Remove(start, end - start + 1);  // with its paragraph mark
    else if (end > start) record.Remove(start, end - start);
  });
  return record.Take();
}

TextEdits InsertEmptyLines(const std::wstring& text) {
  EditRecorder record;
  for (size_t i = 0; i < text.size(); ++i)
    if (text[i] == kParagraphMark) record.Insert(static_cast<long>(i) + 1, std::wstring(1, kParagraphMark));
  return record.Take();
}

TextEdits DeleteExtraSpaces(const std::wstring& text, long reportedLength, const AnsiCharacters& ansi) {
  EditRecorder record;
  const long n = static_cast<long>(text.size());
  if (reportedLength < 5 || n < 3) return record.Take();
  auto spaceOrWide = [&](wchar_t c) { return ansi.IsSpace(c) || ansi.IsDoubleByte(c); };
  wchar_t previous = text[0];
  // From the second character to the last but one; the character before is
  // read in the text as already changed.
  for (long j = 1; j <= n - 2; ++j) {
    wchar_t m = text[static_cast<size_t>(j)];
    if (ansi.IsSpace(m) && spaceOrWide(previous) && spaceOrWide(text[static_cast<size_t>(j + 1)])) {
      record.Remove(j, 1);
      continue;
    }
    previous = m;
  }
  return record.Take();
}

std::wstring ApplyEdits(const std::wstring& text, const TextEdits& edits) {
  std::wstring out;
  out.reserve(text.size());
  size_t at = 0;
  for (const TextEdit& e : edits.edits) {
    size_t pos = static_cast<size_t>(e.position);
    if (pos < at || pos > text.size()) continue;
    out.append(text, at, pos - at);
    out += e.inserted;
    at = std::min(text.size(), pos + static_cast<size_t>(e.removed));
  }
  out.append(text, at, std::wstring::npos);
  return out;
}

std::string FormatTimeStamp(const SYSTEMTIME& time) {
  char text[64];
  std::snprintf(text, sizeof text, "%d-%d-%d %d:%d:%d", time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute,
                time.wSecond);
  return text;
}

}  // namespace vellora
