#include "content/RtfEdits.h"

#include <windows.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

namespace vellora {

namespace {

// Control words that stand for one character of the text.
bool IsCharacterWord(const std::string& word) {
  static const char* const kWords[] = {"par",    "tab",    "line",   "emdash",    "endash",    "emspace",
                                       "enspace", "bullet", "lquote", "rquote", "ldblquote", "rdblquote"};
  for (const char* w : kWords)
    if (word == w) return true;
  return false;
}

// Groups whose content is not text of the document.
bool IsDestination(const std::string& word) {
  static const char* const kWords[] = {"fonttbl", "colortbl", "stylesheet", "info",   "pict",     "object",
                                       "header",  "footer",   "footnote",   "field",  "fldinst",  "listtable",
                                       "listoverridetable", "revtbl", "rsidtbl", "generator", "themedata",
                                       "latentstyles", "datastore", "xmlnstbl", "headerl", "headerr", "footerl",
                                       "footerr"};
  for (const char* w : kWords)
    if (word == w) return true;
  return false;
}

UINT CodePageOfCharset(int charset, UINT fallback) {
  if (charset == DEFAULT_CHARSET) return fallback;
  CHARSETINFO info = {};
  if (TranslateCharsetInfo(reinterpret_cast<DWORD*>(static_cast<uintptr_t>(charset)), &info, TCI_SRCCHARSET))
    return info.ciACP;
  return fallback;
}

class RtfRewriter {
 public:
  RtfRewriter(const std::string& rtf, const TextEdits& edits, std::string& out)
      : in_(rtf), edits_(edits.edits), out_(out) {}

  bool Run() {
    out_.clear();
    out_.reserve(in_.size() + 64);
    groups_.push_back(Group{});
    while (at_ < in_.size()) {
      char c = in_[at_];
      if (c == '{') {
        Group g = groups_.back();
        groups_.push_back(g);
        Copy(1);
        // "{\*" and the known destinations hold no text.
        if (at_ + 1 < in_.size() && in_[at_] == '\\' && in_[at_ + 1] == '*') groups_.back().skip = true;
        continue;
      }
      if (c == '}') {
        if (groups_.size() <= 1) return false;
        // The document's text ends here: what is inserted at its end goes in first.
        if (groups_.size() == 2 && !groups_.back().skip) EmitInsertionsAt(position_);
        groups_.pop_back();
        Copy(1);
        continue;
      }
      if (c == '\r' || c == '\n') {
        Copy(1);
        continue;
      }
      if (c == '\\') {
        if (!ControlToken()) return false;
        continue;
      }
      // Plain text bytes.
      if (groups_.back().skip) {
        Copy(1);
        continue;
      }
      size_t length = 1;
      if (IsDBCSLeadByteEx(groups_.back().codePage, static_cast<BYTE>(c))) {
        length = TrailLength(at_ + 1);
        if (length == 0) return false;
        ++length;
      }
      if (!Character(length, true)) return false;
    }
    // Every edit must have found its place.
    return next_ == edits_.size() && removing_ == 0;
  }

 private:
  struct Group {
    bool skip = false;
    bool fontTable = false;
    int uc = 1;
    UINT codePage = CP_ACP;
  };

  // Length of the byte (plain or \'hh) at `from` that completes a double-byte character.
  size_t TrailLength(size_t from) const {
    if (from >= in_.size()) return 0;
    if (in_[from] == '\\') return from + 3 < in_.size() && in_[from + 1] == '\'' ? 4 : 0;
    if (in_[from] == '{' || in_[from] == '}' || in_[from] == '\r' || in_[from] == '\n') return 0;
    return 1;
  }

  bool ControlToken() {
    if (at_ + 1 >= in_.size()) return false;
    char next = in_[at_ + 1];
    if (next == '\'') {
      if (at_ + 3 >= in_.size()) return false;
      if (groups_.back().skip) {
        Copy(4);
        return true;
      }
      BYTE byte = static_cast<BYTE>(std::strtoul(in_.substr(at_ + 2, 2).c_str(), nullptr, 16));
      size_t length = 4;
      if (IsDBCSLeadByteEx(groups_.back().codePage, byte)) {
        size_t trail = TrailLength(at_ + 4);
        if (trail == 0) return false;
        length += trail;
      }
      return Character(length, false);
    }
    if (!std::isalpha(static_cast<unsigned char>(next))) {
      // Control symbols: escaped braces and backslash, the non-breaking
      // space and hyphen are text; "\*" marks a destination; others are not.
      if (next == '{' || next == '}' || next == '\\' || next == '~' || next == '_') {
        if (groups_.back().skip) {
          Copy(2);
          return true;
        }
        return Character(2, false);
      }
      if (next == '-') return false;  // optional hyphens: not counted the same way everywhere
      Copy(2);
      bareWord_ = false;
      return true;
    }
    size_t end = at_ + 1;
    while (end < in_.size() && std::isalpha(static_cast<unsigned char>(in_[end]))) ++end;
    std::string word = in_.substr(at_ + 1, end - at_ - 1);
    size_t numberStart = end;
    if (end < in_.size() && in_[end] == '-') ++end;
    while (end < in_.size() && std::isdigit(static_cast<unsigned char>(in_[end]))) ++end;
    bool hasNumber = end > numberStart && std::isdigit(static_cast<unsigned char>(in_[end - 1]));
    long number = hasNumber ? std::strtol(in_.substr(numberStart, end - numberStart).c_str(), nullptr, 10) : 0;
    bool spaceDelimiter = end < in_.size() && in_[end] == ' ';
    size_t length = end - at_ + (spaceDelimiter ? 1 : 0);
    Group& group = groups_.back();

    if (word == "bin") return false;  // binary data: not a note of ours
    if (word == "u") {
      if (group.skip) {
        CopyWord(length, spaceDelimiter);
        return true;
      }
      // The character and the fallback bytes that follow it.
      size_t unit = at_ + length;
      for (int i = 0; i < group.uc && unit < in_.size(); ++i) {
        if (in_[unit] == '\\' && unit + 3 < in_.size() && in_[unit + 1] == '\'') unit += 4;
        else if (in_[unit] != '\\' && in_[unit] != '{' && in_[unit] != '}') unit += 1;
        else break;
      }
      return Character(unit - at_, false);
    }
    if (IsDestination(word)) {
      group.skip = true;
      if (word == "fonttbl") group.fontTable = true;
    }
    if (word == "uc") group.uc = static_cast<int>(number);
    if (word == "ansicpg" && groups_.size() == 2) {
      defaultCodePage_ = static_cast<UINT>(number);
      group.codePage = defaultCodePage_;
    }
    if (word == "f") {
      if (group.fontTable) {
        currentFont_ = number;
      } else if (!group.skip) {
        auto it = fontCodePages_.find(number);
        group.codePage = it != fontCodePages_.end() ? it->second : defaultCodePage_;
      }
    }
    if (word == "fcharset" && group.fontTable)
      fontCodePages_[currentFont_] = CodePageOfCharset(static_cast<int>(number), defaultCodePage_);
    if (!group.skip && IsCharacterWord(word)) return Character(length, false, spaceDelimiter);
    CopyWord(length, spaceDelimiter);
    return true;
  }

  // A character of the text spanning `length` source bytes: copied, or
  // dropped when an edit removes it, after what an edit inserts before it.
  bool Character(size_t length, bool plainText, bool spaceDelimiter = true) {
    EmitInsertionsAt(position_);
    if (removing_ > 0) {
      --removing_;
      at_ += length;
    } else {
      if (plainText && bareWord_) out_ += ' ';
      out_.append(in_, at_, length);
      at_ += length;
      // A character word without its space would run into a letter after it.
      bareWord_ = !plainText && in_[at_ - length + 1] != '\'' && std::isalpha(static_cast<unsigned char>(in_[at_ - length + 1])) &&
                  !spaceDelimiter;
    }
    ++position_;
    return true;
  }

  void EmitInsertionsAt(long position) {
    while (removing_ == 0 && next_ < edits_.size() && edits_[next_].position == position) {
      const TextEdit& e = edits_[next_++];
      for (wchar_t c : e.inserted) EmitCharacter(c);
      removing_ = e.removed;
      if (removing_ > 0) break;
    }
  }

  void EmitCharacter(wchar_t c) {
    if (c == L'\r') {
      out_ += "\\par ";
      bareWord_ = false;
      return;
    }
    if (c == L'\t') {
      out_ += "\\tab ";
      bareWord_ = false;
      return;
    }
    if (bareWord_) out_ += ' ';
    bareWord_ = false;
    if (c == L'\\' || c == L'{' || c == L'}') {
      out_ += '\\';
      out_ += static_cast<char>(c);
    } else if (c >= 0x20 && c < 0x7F) {
      out_ += static_cast<char>(c);
    } else {
      out_ += "\\u" + std::to_string(static_cast<short>(c)) + std::string(static_cast<size_t>(groups_.back().uc), '?');
      // The fallback characters end the word.
    }
  }

  void Copy(size_t length) {
    out_.append(in_, at_, length);
    at_ += length;
    bareWord_ = false;
  }

  void CopyWord(size_t length, bool spaceDelimiter) {
    out_.append(in_, at_, length);
    at_ += length;
    bareWord_ = !spaceDelimiter;
  }

  const std::string& in_;
  const std::vector<TextEdit>& edits_;
  std::string& out_;
  size_t at_ = 0;
  long position_ = 0;
  size_t next_ = 0;
  long removing_ = 0;
  bool bareWord_ = false;  // the output ends in a control word with no space after it
  std::vector<Group> groups_;
  std::map<long, UINT> fontCodePages_;
  long currentFont_ = 0;
  UINT defaultCodePage_ = CP_ACP;
};

}  // namespace

bool ApplyEditsToRtf(const std::string& rtf, const TextEdits& edits, std::string& out) {
  return RtfRewriter(rtf, edits, out).Run();
}

}  // namespace vellora
