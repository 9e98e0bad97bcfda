// Reads the text out of rich text the way the rich edit control streams it
// in, and finds text in it the way the control's find does.
#include "content/RtfText.h"

#include <cstring>
#include <cwctype>
#include <utility>
#include <vector>

namespace vellora {

namespace {

// Where a group's text goes: into the text, or nowhere (tables, pictures,
// field instructions and every destination the control does not show).
struct GroupState {
  bool skip = false;
  int unicodeSkip = 1;  // \ucN: characters standing in for each \uN
  UINT codePage = CP_ACP;
  bool inFontTable = false;
};

struct SpecialWord {
  const char* word;
  wchar_t character;
};

// Control words that stand for one character of the text.
constexpr SpecialWord kCharacterWords[] = {
    {"par", L'\r'},        {"sect", L'\r'},       {"page", L'\r'},       {"row", L'\r'},
    {"tab", L'\t'},        {"cell", L'\t'},       {"line", L' '},       {"emdash", 0x2014},
    {"endash", 0x2013},    {"bullet", 0x2022},    {"lquote", 0x2018},    {"rquote", 0x2019},
    {"ldblquote", 0x201C}, {"rdblquote", 0x201D}, {"emspace", 0x2003},   {"enspace", 0x2002},
    {"qmspace", 0x2005},   {"zwj", 0x200D},       {"zwnj", 0x200C},      {"ltrmark", 0x200E},
    {"rtlmark", 0x200F},
};

// Destinations whose text is never shown.
constexpr const char* kSkippedDestinations[] = {
    "colortbl", "stylesheet", "info",      "header",    "footer",     "headerl",   "headerr",
    "headerf",  "fldrslt",  "footerl",    "footerr",   "footerf",   "object",     "fldinst",   "listtable",
    "listoverridetable",      "revtbl",    "rsidtbl",   "generator",  "themedata", "colorschememapping",
    "latentstyles", "datastore", "xmlnstbl", "filetbl", "nonshppict", "private",   "footnote",
    "annotation", "atnid",    "atnauthor", "xe",        "tc",         "txe",       "mmathPr",
};

UINT CodePageOfCharset(int charset, UINT documentCodePage) {
  switch (charset) {
    case ANSI_CHARSET: return 1252;
    case DEFAULT_CHARSET: return documentCodePage;
    case SYMBOL_CHARSET: return 1252;
    case MAC_CHARSET: return CP_MACCP;
    case OEM_CHARSET: return CP_OEMCP;
    default: break;
  }
  static constexpr std::pair<int, UINT> kCodePages[] = {
      {SHIFTJIS_CHARSET, 932}, {HANGEUL_CHARSET, 949}, {JOHAB_CHARSET, 1361}, {GB2312_CHARSET, 936},
      {CHINESEBIG5_CHARSET, 950}, {GREEK_CHARSET, 1253}, {TURKISH_CHARSET, 1254}, {VIETNAMESE_CHARSET, 1258},
      {HEBREW_CHARSET, 1255}, {ARABIC_CHARSET, 1256}, {BALTIC_CHARSET, 1257}, {RUSSIAN_CHARSET, 1251},
      {THAI_CHARSET, 874}, {EASTEUROPE_CHARSET, 1250}};
  for (const auto& entry : kCodePages)
    if (entry.first == charset) return entry.second;
  return documentCodePage;
}

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

class RtfReader {
 public:
  RtfReader(const char* data, size_t size) : p_(data), end_(data + size) {}

  std::wstring Read() {
    out_.reserve(static_cast<size_t>(end_ - p_) / 2);
    while (p_ < end_) {
      char c = *p_++;
      switch (c) {
        case '{': OpenGroup(); break;
        case '}': CloseGroup(); break;
        case '\\': ControlWord(); break;
        case '\r':
        case '\n':
        case '\0': break;
        default: Text(c); break;
      }
    }
    Flush();
    return std::move(out_);
  }

 private:
  GroupState& State() { return stack_.back(); }

  void OpenGroup() {
    Flush();
    stack_.push_back(stack_.back());
    pendingSkip_ = 0;
    firstInGroup_ = true;
    ignorable_ = false;
  }

  void CloseGroup() {
    Flush();
    // An unbalanced closing brace is ignored, as the control does.
    if (stack_.size() > 1) stack_.pop_back();
    pendingSkip_ = 0;
    firstInGroup_ = false;
    ignorable_ = false;
  }

  void Text(char c) {
    firstInGroup_ = false;
    if (pendingSkip_ > 0) {
      --pendingSkip_;
      return;
    }
    if (State().inFontTable) {
      if (c == ';') fontNameDone_ = true;
      return;
    }
    if (State().skip) return;
    Byte(static_cast<unsigned char>(c));
  }

  void Byte(unsigned char b) {
    UINT cp = State().codePage;
    if (!bytes_.empty() && bytesCodePage_ != cp) Flush();
    bytesCodePage_ = cp;
    bytes_.push_back(static_cast<char>(b));
  }

  void Emit(wchar_t c) {
    Flush();
    out_.push_back(c);
  }

  void Flush() {
    if (bytes_.empty()) return;
    bool ascii = true;
    for (char b : bytes_)
      if (static_cast<unsigned char>(b) >= 0x80) {
        ascii = false;
        break;
      }
    if (ascii) {
      out_.append(bytes_.begin(), bytes_.end());
    } else {
      int n = MultiByteToWideChar(bytesCodePage_, 0, bytes_.data(), static_cast<int>(bytes_.size()), nullptr, 0);
      if (n <= 0 && bytesCodePage_ != CP_ACP) {
        bytesCodePage_ = CP_ACP;
        n = MultiByteToWideChar(CP_ACP, 0, bytes_.data(), static_cast<int>(bytes_.size()), nullptr, 0);
      }
      if (n > 0) {
        size_t at = out_.size();
        out_.resize(at + static_cast<size_t>(n));
        MultiByteToWideChar(bytesCodePage_, 0, bytes_.data(), static_cast<int>(bytes_.size()), &out_[at], n);
      }
    }
    bytes_.clear();
  }

  void ControlWord() {
    if (p_ >= end_) return;
    char c = *p_;
    if (!IsLetter(c)) {
      ++p_;
      ControlSymbol(c);
      return;
    }
    const char* start = p_;
    while (p_ < end_ && IsLetter(*p_) && p_ - start < 32) ++p_;
    std::string word(start, p_);
    bool hasParam = false;
    bool negative = false;
    long param = 0;
    if (p_ < end_ && *p_ == '-' && p_ + 1 < end_ && IsDigit(p_[1])) {
      negative = true;
      ++p_;
    }
    while (p_ < end_ && IsDigit(*p_)) {
      hasParam = true;
      if (param < 100000000) param = param * 10 + (*p_ - '0');
      ++p_;
    }
    if (negative) param = -param;
    if (p_ < end_ && *p_ == ' ') ++p_;
    Word(word, hasParam, param);
  }

  void ControlSymbol(char c) {
    switch (c) {
      case '\'': {
        int hi = p_ < end_ ? HexValue(*p_) : -1;
        int lo = p_ + 1 < end_ ? HexValue(p_[1]) : -1;
        if (hi < 0 || lo < 0) return;
        p_ += 2;
        firstInGroup_ = false;
        if (pendingSkip_ > 0) {
          --pendingSkip_;
          return;
        }
        if (State().skip || State().inFontTable) return;
        Byte(static_cast<unsigned char>(hi * 16 + lo));
        return;
      }
      case '*': ignorable_ = true; return;
      case '\\':
      case '{':
      case '}': Text(c); return;
      case '~': Character(0x00A0); return;
      case '_': Character(0x2011); return;
      case '\r':
      case '\n': Character(L'\r'); return;
      default: return;  // \- (optional hyphen) and unknown symbols show nothing
    }
  }

  // A character that a control word or symbol stands for.
  void Character(wchar_t c) {
    firstInGroup_ = false;
    if (pendingSkip_ > 0) {
      --pendingSkip_;
      return;
    }
    if (State().skip || State().inFontTable) return;
    Emit(c);
  }

  void SkipGroup() {
    Flush();
    State().skip = true;
  }

  void Word(const std::string& word, bool hasParam, long param) {
    bool first = firstInGroup_;
    firstInGroup_ = false;
    if (ignorable_ && first) {
      // "{\*\word": a destination the reader does not know is skipped whole.
      ignorable_ = false;
      SkipGroup();
      return;
    }
    if (word == "bin") {
      // Binary data follows: skip exactly that many bytes.
      long n = hasParam && param > 0 ? param : 0;
      p_ = static_cast<size_t>(end_ - p_) < static_cast<size_t>(n) ? end_ : p_ + n;
      return;
    }
    if (pendingSkip_ > 0) {
      // A control word stands in for one character after \uN.
      --pendingSkip_;
      return;
    }
    if (word == "u" && hasParam) {
      long value = param < 0 ? param + 65536 : param;
      if (!State().skip && !State().inFontTable) Emit(static_cast<wchar_t>(value & 0xFFFF));
      pendingSkip_ = State().unicodeSkip;
      return;
    }
    if (word == "uc" && hasParam) {
      State().unicodeSkip = param < 0 ? 0 : static_cast<int>(param);
      return;
    }
    if (word == "fonttbl") {
      Flush();
      State().inFontTable = true;
      return;
    }
    if (State().inFontTable) {
      FontTableWord(word, hasParam, param);
      return;
    }
    if (word == "ansicpg" && hasParam) {
      documentCodePage_ = param > 0 ? static_cast<UINT>(param) : CP_ACP;
      State().codePage = documentCodePage_;
      return;
    }
    if (word == "deff" && hasParam) {
      defaultFont_ = param;
      return;
    }
    if (word == "f" && hasParam) {
      SelectFont(param);
      return;
    }
    if (word == "plain") {
      SelectFont(defaultFont_);
      return;
    }
    if (word == "pict") {
      // A picture is one object character in the text.
      if (!State().skip) Emit(0xFFFC);
      SkipGroup();
      return;
    }
    for (const char* skipped : kSkippedDestinations)
      if (word == skipped) {
        SkipGroup();
        return;
      }
    for (const SpecialWord& special : kCharacterWords)
      if (word == special.word) {
        if (!State().skip) Emit(special.character);
        return;
      }
  }

  void SelectFont(long font) {
    UINT cp = documentCodePage_;
    for (const auto& f : fonts_)
      if (f.first == font) {
        cp = f.second;
        break;
      }
    State().codePage = cp;
  }

  void FontTableWord(const std::string& word, bool hasParam, long param) {
    if (word == "f" && hasParam) {
      fonts_.emplace_back(param, documentCodePage_);
      fontNameDone_ = false;
    } else if (word == "fcharset" && hasParam && !fonts_.empty()) {
      fonts_.back().second = CodePageOfCharset(static_cast<int>(param), documentCodePage_);
    } else if (word == "cpg" && hasParam && !fonts_.empty() && param > 0) {
      fonts_.back().second = static_cast<UINT>(param);
    }
  }

  const char* p_;
  const char* end_;
  std::wstring out_;
  std::vector<GroupState> stack_{GroupState{}};
  std::string bytes_;
  UINT bytesCodePage_ = CP_ACP;
  UINT documentCodePage_ = CP_ACP;
  long defaultFont_ = 0;
  std::vector<std::pair<long, UINT>> fonts_;
  int pendingSkip_ = 0;
  bool firstInGroup_ = false;
  bool ignorable_ = false;
  bool fontNameDone_ = false;
};

// Case folding of the find: each unit to its upper case through the C
// runtime's towupper, which is what the control's own find compares with
// (in the program's default locale that folds the ASCII letters only, and
// the equivalence tests hold us to the control). Built once.
struct FoldTable {
  wchar_t map[65536];
  FoldTable() {
    for (unsigned i = 0; i < 65536; ++i) map[i] = static_cast<wchar_t>(towupper(static_cast<wint_t>(i)));
  }
};

const FoldTable& Folds() {
  static const FoldTable table;
  return table;
}

}  // namespace

std::wstring RtfPlainText(const char* data, size_t size) {
  if (!data || size == 0) return {};
  static const char kSignature[] = "{\\rtf";
  // The text view streams its content in as rich text; anything else shows
  // as an empty note there, so it holds nothing to find.
  if (size < 5 || std::memcmp(data, kSignature, 5) != 0) return {};
  return RtfReader(data, size).Read();
}

wchar_t FoldCase(wchar_t c) { return Folds().map[static_cast<unsigned short>(c)]; }

TextNeedle::TextNeedle(const std::string& ansi) {
  int n = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
  if (n <= 0) return;
  folded_.resize(static_cast<size_t>(n));
  MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), folded_.data(), n);
  for (wchar_t& c : folded_) c = FoldCase(c);
}

size_t TextNeedle::FindIn(const std::wstring& text, size_t from) const {
  const size_t n = folded_.size();
  if (n == 0 || text.size() < n) return std::wstring::npos;
  const wchar_t* map = Folds().map;
  const wchar_t first = folded_[0];
  for (size_t i = from; i + n <= text.size(); ++i) {
    if (map[static_cast<unsigned short>(text[i])] != first) continue;
    size_t k = 1;
    while (k < n && map[static_cast<unsigned short>(text[i + k])] == folded_[k]) ++k;
    if (k == n) return i;
  }
  return std::wstring::npos;
}

bool TextNeedle::FoundInRtf(const char* data, size_t size) const { return FoundIn(RtfPlainText(data, size)); }

}  // namespace vellora
