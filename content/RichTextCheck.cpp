#include "content/RichTextCheck.h"

#include <cstdio>

namespace vellora {

namespace {

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Only what begins as rich text goes through the rich text tokenizer; the
// reader takes anything else as plain text.
bool LooksLikeRichText(const char* text, size_t size) {
  size_t i = 0;
  while (i < size && (text[i] == ' ' || text[i] == '\r' || text[i] == '\n' || text[i] == '\t')) ++i;
  return size - i >= 5 && text[i] == '{' && text[i + 1] == '\\' && text[i + 2] == 'r' && text[i + 3] == 't' &&
         text[i + 4] == 'f';
}

struct Scan {
  const char* text;
  size_t size;
  size_t depth = 0;
  size_t depthAtCut = 0;
  RichTextVerdict verdict;

  void Fail(size_t at, const std::string& problem) {
    verdict.sound = false;
    verdict.soundBytes = at;
    verdict.problem = problem;
    depthAtCut = depth;
  }
};

RichTextVerdict Run(const char* text, size_t size, size_t* depthAtCut) {
  Scan s{text, size};
  s.verdict.soundBytes = size;
  if (!text || size == 0 || !LooksLikeRichText(text, size)) {
    *depthAtCut = 0;
    return s.verdict;
  }
  char line[160];
  size_t i = 0;
  while (i < size) {
    char c = text[i];
    if (c == '{') {
      if (s.depth >= kMaxRichTextGroupDepth) {
        std::snprintf(line, sizeof line, "its groups nest deeper than %u levels",
                      static_cast<unsigned>(kMaxRichTextGroupDepth));
        s.Fail(i, line);
        break;
      }
      ++s.depth;
      ++i;
      continue;
    }
    if (c == '}') {
      if (s.depth > 0) --s.depth;
      ++i;
      continue;
    }
    if (c != '\\') {
      ++i;
      continue;
    }
    size_t start = i++;
    if (i >= size) {
      s.Fail(start, "it ends in the middle of a control word (the note is cut short)");
      break;
    }
    if (!IsLetter(text[i])) {
      // A control symbol; \'hh carries two hex digits.
      if (text[i] == '\'') {
        if (i + 2 >= size) {
          s.Fail(start, "it ends in the middle of a character (the note is cut short)");
          break;
        }
        i += 3;
      } else {
        ++i;
      }
      continue;
    }
    size_t letters = 0;
    size_t word = i;
    while (i < size && IsLetter(text[i])) ++letters, ++i;
    if (letters > kMaxControlWordLetters) {
      std::snprintf(line, sizeof line, "it holds a control word of %u letters (at most %u are allowed)",
                    static_cast<unsigned>(letters), static_cast<unsigned>(kMaxControlWordLetters));
      s.Fail(start, line);
      break;
    }
    size_t digits = 0;
    bool negative = false;
    if (i < size && text[i] == '-') {
      negative = true;
      ++digits;
      ++i;
    }
    unsigned long long value = 0;
    while (i < size && IsDigit(text[i])) {
      if (digits <= kMaxControlParameterChars) value = value * 10 + static_cast<unsigned>(text[i] - '0');
      ++digits;
      ++i;
    }
    if (digits > kMaxControlParameterChars) {
      std::snprintf(line, sizeof line, "it holds a number of %u characters (at most %u are allowed)",
                    static_cast<unsigned>(digits), static_cast<unsigned>(kMaxControlParameterChars));
      s.Fail(start, line);
      break;
    }
    if (i < size && text[i] == ' ') ++i;
    // \binN: N bytes of binary data follow, which are not rich text.
    if (letters == 3 && text[word] == 'b' && text[word + 1] == 'i' && text[word + 2] == 'n' && !negative) {
      if (value > size - i) {
        s.Fail(start, "its binary data is cut short");
        break;
      }
      i += static_cast<size_t>(value);
    }
  }
  if (s.verdict.sound && s.depth > 0) {
    // Everything read, but groups are still open: the tail is missing.
    s.Fail(size, "it is cut short (its end is missing)");
  }
  *depthAtCut = s.depthAtCut;
  return s.verdict;
}

}  // namespace

RichTextVerdict CheckRichText(const char* text, size_t size) {
  size_t depth = 0;
  return Run(text, size, &depth);
}

std::string SoundRichText(const std::string& text, RichTextVerdict* verdict) {
  size_t depth = 0;
  RichTextVerdict v = Run(text.data(), text.size(), &depth);
  if (verdict) *verdict = v;
  if (v.sound) return text;
  std::string sound = text.substr(0, v.soundBytes);
  sound.append(depth, '}');
  return sound;
}

}  // namespace vellora
