// The HTML tokenizer, entities, character sets and the page's visible text.
#include "store/HtmlScan.h"

#include <climits>
#include <unordered_map>

#include "store/WebArchive.h"

namespace vellora {

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }
bool IsAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsAlnum(char c) { return IsAlpha(c) || (c >= '0' && c <= '9'); }
char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

// Where "</name" starts at or after pos, or the end of the text.
size_t FindEndTag(std::string_view html, std::string_view name, size_t pos) {
  while ((pos = html.find("</", pos)) != std::string_view::npos) {
    if (EqualsNoCase(html.substr(pos + 2, name.size()), name)) {
      size_t after = pos + 2 + name.size();
      if (after >= html.size() || !IsAlnum(html[after])) return pos;
    }
    pos += 2;
  }
  return html.size();
}

bool IsRawElement(std::string_view name) {
  return name == "script" || name == "style" || name == "title" || name == "textarea" || name == "xmp";
}

struct NamedEntity {
  const char* name;
  unsigned codePoint;
};

// The entities pages use in practice; the rest are kept as written.
constexpr NamedEntity kEntities[] = {
    {"amp", '&'},       {"lt", '<'},         {"gt", '>'},         {"quot", '"'},       {"apos", '\''},
    {"nbsp", 0xA0},     {"iexcl", 0xA1},     {"cent", 0xA2},      {"pound", 0xA3},     {"curren", 0xA4},
    {"yen", 0xA5},      {"brvbar", 0xA6},    {"sect", 0xA7},      {"uml", 0xA8},       {"copy", 0xA9},
    {"ordf", 0xAA},     {"laquo", 0xAB},     {"not", 0xAC},       {"shy", 0xAD},       {"reg", 0xAE},
    {"macr", 0xAF},     {"deg", 0xB0},       {"plusmn", 0xB1},    {"sup2", 0xB2},      {"sup3", 0xB3},
    {"acute", 0xB4},    {"micro", 0xB5},     {"para", 0xB6},      {"middot", 0xB7},    {"cedil", 0xB8},
    {"sup1", 0xB9},     {"ordm", 0xBA},      {"raquo", 0xBB},     {"frac14", 0xBC},    {"frac12", 0xBD},
    {"frac34", 0xBE},   {"iquest", 0xBF},    {"Agrave", 0xC0},    {"Aacute", 0xC1},    {"Acirc", 0xC2},
    {"Atilde", 0xC3},   {"Auml", 0xC4},      {"Aring", 0xC5},     {"AElig", 0xC6},     {"Ccedil", 0xC7},
    {"Egrave", 0xC8},   {"Eacute", 0xC9},    {"Ecirc", 0xCA},     {"Euml", 0xCB},      {"Igrave", 0xCC},
    {"Iacute", 0xCD},   {"Icirc", 0xCE},     {"Iuml", 0xCF},      {"Ntilde", 0xD1},    {"Ograve", 0xD2},
    {"Oacute", 0xD3},   {"Ocirc", 0xD4},     {"Otilde", 0xD5},    {"Ouml", 0xD6},      {"times", 0xD7},
    {"Oslash", 0xD8},   {"Ugrave", 0xD9},    {"Uacute", 0xDA},    {"Ucirc", 0xDB},     {"Uuml", 0xDC},
    {"szlig", 0xDF},    {"agrave", 0xE0},    {"aacute", 0xE1},    {"acirc", 0xE2},     {"atilde", 0xE3},
    {"auml", 0xE4},     {"aring", 0xE5},     {"aelig", 0xE6},     {"ccedil", 0xE7},    {"egrave", 0xE8},
    {"eacute", 0xE9},   {"ecirc", 0xEA},     {"euml", 0xEB},      {"igrave", 0xEC},    {"iacute", 0xED},
    {"icirc", 0xEE},    {"iuml", 0xEF},      {"ntilde", 0xF1},    {"ograve", 0xF2},    {"oacute", 0xF3},
    {"ocirc", 0xF4},    {"otilde", 0xF5},    {"ouml", 0xF6},      {"divide", 0xF7},    {"oslash", 0xF8},
    {"ugrave", 0xF9},   {"uacute", 0xFA},    {"ucirc", 0xFB},     {"uuml", 0xFC},      {"yuml", 0xFF},
    {"ndash", 0x2013},  {"mdash", 0x2014},   {"lsquo", 0x2018},   {"rsquo", 0x2019},   {"sbquo", 0x201A},
    {"ldquo", 0x201C},  {"rdquo", 0x201D},   {"bdquo", 0x201E},   {"dagger", 0x2020},  {"Dagger", 0x2021},
    {"bull", 0x2022},   {"hellip", 0x2026},  {"permil", 0x2030},  {"prime", 0x2032},   {"lsaquo", 0x2039},
    {"rsaquo", 0x203A}, {"euro", 0x20AC},    {"trade", 0x2122},   {"larr", 0x2190},    {"rarr", 0x2192},
    {"uarr", 0x2191},   {"darr", 0x2193},    {"ensp", 0x2002},    {"emsp", 0x2003},    {"thinsp", 0x2009},
    {"zwnj", 0x200C},   {"zwj", 0x200D},     {"hearts", 0x2665},  {"infin", 0x221E},   {"ne", 0x2260},
    {"le", 0x2264},     {"ge", 0x2265},      {"minus", 0x2212},   {"alpha", 0x3B1},    {"beta", 0x3B2},
    {"pi", 0x3C0},      {"mu", 0x3BC},       {"Omega", 0x3A9},    {"omega", 0x3C9},
};

void AppendUtf8(std::string& out, unsigned cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::wstring WideFromUtf8(std::string_view text) {
  if (text.empty() || text.size() > INT_MAX / 2) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  return wide;
}

std::string Utf8FromWide(const std::wstring& wide) {
  if (wide.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n, nullptr, nullptr);
  return out;
}

// The visible text as it is built, in UTF-8: spaces collapsed the way a
// browser collapses them, block boundaries as line breaks.
class VisibleText {
 public:
  void Flow(std::string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
      char ch = text[i];
      if (IsSpace(ch)) {
        space_ = true;
        continue;
      }
      if (ch == '\xC2' && i + 1 < text.size() && (text[i + 1] == '\xAD' || text[i + 1] == '\xA0')) {
        ++i;
        if (text[i] == '\xAD') continue;  // a soft hyphen shows only where a line breaks
        ch = ' ';                          // a no-break space
      }
      if (space_ && !AtLineStart()) out_ += ' ';
      space_ = false;
      out_ += ch;
    }
  }
  void Preformatted(std::string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
      char ch = text[i];
      if (ch == '\r' || ch == '\n') {
        if (ch == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        out_ += "\r\n";
      } else if (ch == '\xC2' && i + 1 < text.size() && text[i + 1] == '\xA0') {
        out_ += ' ';
        ++i;
      } else {
        out_ += ch;
      }
    }
    space_ = false;
  }
  void Break() {
    out_ += "\r\n";
    space_ = false;
  }
  void Line() {
    if (!out_.empty() && !EndsWith("\r\n")) out_ += "\r\n";
    space_ = false;
  }
  void Paragraph() {
    Line();
    if (!out_.empty() && !EndsWith("\r\n\r\n")) out_ += "\r\n";
  }
  void Cell() {
    if (!AtLineStart()) out_ += '\t';
    space_ = false;
  }
  std::string Finish() {
    size_t end = out_.size();
    while (end > 0 && IsSpace(out_[end - 1])) --end;
    out_.resize(end);
    return std::move(out_);
  }

 private:
  bool EndsWith(std::string_view tail) const {
    return out_.size() >= tail.size() && std::string_view(out_).substr(out_.size() - tail.size()) == tail;
  }
  bool AtLineStart() const { return out_.empty() || out_.back() == '\n' || out_.back() == '\t'; }

  std::string out_;
  bool space_ = false;
};

enum class Role { Inline, Break, Preformatted, Paragraph, Line, Cell };

// What an element does to the visible text's lines.
Role RoleOf(const std::string& name) {
  static const std::unordered_map<std::string, Role> kRoles = [] {
    std::unordered_map<std::string, Role> roles;
    for (const char* n : {"p", "h1", "h2", "h3", "h4", "h5", "h6", "blockquote", "table", "ul", "ol", "dl", "hr",
                          "form", "fieldset"})
      roles[n] = Role::Paragraph;
    for (const char* n : {"div", "li", "tr", "dt", "dd", "caption", "section", "article", "header", "footer", "nav",
                          "aside", "address", "center", "main", "figure", "figcaption", "option", "legend", "body",
                          "details", "summary", "frameset", "noframes", "textarea", "xmp"})
      roles[n] = Role::Line;
    for (const char* n : {"pre", "listing", "plaintext"}) roles[n] = Role::Preformatted;
    roles["br"] = Role::Break;
    roles["td"] = roles["th"] = Role::Cell;
    return roles;
  }();
  auto it = kRoles.find(name);
  return it == kRoles.end() ? Role::Inline : it->second;
}

}  // namespace

std::string AsciiLower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = Lower(c);
  return out;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
  return text;
}

std::string MediaTypeOf(std::string_view contentType) {
  return AsciiLower(Trim(contentType.substr(0, contentType.find(';'))));
}

std::string ParameterOf(std::string_view contentType, std::string_view name) {
  size_t pos = contentType.find(';');
  while (pos != std::string_view::npos && pos < contentType.size()) {
    ++pos;
    while (pos < contentType.size() && IsSpace(contentType[pos])) ++pos;
    size_t eq = contentType.find('=', pos);
    if (eq == std::string_view::npos) return {};
    size_t semi = contentType.find(';', pos);
    if (semi < eq) {  // a parameter without a value
      pos = semi;
      continue;
    }
    std::string_view key = Trim(contentType.substr(pos, eq - pos));
    size_t at = eq + 1;
    while (at < contentType.size() && IsSpace(contentType[at])) ++at;
    std::string value;
    if (at < contentType.size() && contentType[at] == '"') {
      size_t close = contentType.find('"', at + 1);
      if (close == std::string_view::npos) close = contentType.size();
      value.assign(contentType.substr(at + 1, close - at - 1));
      pos = contentType.find(';', close);
    } else {
      size_t semi = contentType.find(';', at);
      value.assign(Trim(contentType.substr(at, semi == std::string_view::npos ? std::string_view::npos : semi - at)));
      pos = semi;
    }
    if (EqualsNoCase(key, name)) return value;
  }
  return {};
}

const std::string* HtmlTag::Attribute(std::string_view name) const {
  for (const auto& [key, value] : attributes)
    if (key == name) return &value;
  return nullptr;
}

bool HtmlScanner::ReadTag(size_t at) {
  const size_t n = html_.size();
  size_t i = at + 1;
  tag_ = HtmlTag();
  if (i < n && html_[i] == '/') {
    tag_.end = true;
    ++i;
  }
  while (i < n && (IsAlnum(html_[i]) || html_[i] == '-' || html_[i] == ':' || html_[i] == '_'))
    tag_.name += Lower(html_[i++]);
  if (tag_.name.empty()) return false;
  for (;;) {
    while (i < n && (IsSpace(html_[i]) || html_[i] == '/')) ++i;
    if (i >= n) break;
    if (html_[i] == '>') {
      ++i;
      break;
    }
    size_t nameStart = i;
    while (i < n && !IsSpace(html_[i]) && html_[i] != '=' && html_[i] != '>' && html_[i] != '/') ++i;
    if (i == nameStart) ++i;  // a stray "=": passed over
    std::string key = AsciiLower(html_.substr(nameStart, i - nameStart));
    size_t look = i;
    while (look < n && IsSpace(html_[look])) ++look;
    std::string value;
    if (look < n && html_[look] == '=') {
      i = look + 1;
      while (i < n && IsSpace(html_[i])) ++i;
      if (i < n && (html_[i] == '"' || html_[i] == '\'')) {
        size_t close = html_.find(html_[i], i + 1);
        if (close == std::string_view::npos) close = n;
        value.assign(html_.substr(i + 1, close - i - 1));
        i = close < n ? close + 1 : n;
      } else {
        size_t start = i;
        while (i < n && !IsSpace(html_[i]) && html_[i] != '>') ++i;
        value.assign(html_.substr(start, i - start));
      }
    }
    if (!key.empty() && key != "=") tag_.attributes.emplace_back(std::move(key), std::move(value));
  }
  pos_ = i;
  if (!tag_.end && IsRawElement(tag_.name)) raw_ = tag_.name;
  return true;
}

HtmlScanner::Token HtmlScanner::Next() {
  const size_t n = html_.size();
  for (;;) {
    if (!raw_.empty()) {
      size_t end = FindEndTag(html_, raw_, pos_);
      text_ = html_.substr(pos_, end - pos_);
      rawOf_ = std::move(raw_);
      raw_.clear();
      pos_ = end;
      return Token::Text;
    }
    rawOf_.clear();
    if (pos_ >= n) return Token::End;
    if (html_[pos_] == '<' && pos_ + 1 < n) {
      char next = html_[pos_ + 1];
      if (next == '!' || next == '?') {
        size_t close;
        if (html_.substr(pos_, 4) == "<!--") {
          close = html_.find("-->", pos_ + 4);
          close = close == std::string_view::npos ? n : close + 3;
        } else {
          close = html_.find('>', pos_);
          close = close == std::string_view::npos ? n : close + 1;
        }
        pos_ = close;
        continue;
      }
      if ((IsAlpha(next) || (next == '/' && pos_ + 2 < n && IsAlpha(html_[pos_ + 2]))) && ReadTag(pos_))
        return Token::Tag;
    }
    // Text up to the next markup; a "<" that starts none is text.
    size_t end = pos_ + 1;
    for (;;) {
      end = html_.find('<', end);
      if (end == std::string_view::npos || end + 1 >= n) {
        end = n;
        break;
      }
      char next = html_[end + 1];
      if (IsAlpha(next) || next == '/' || next == '!' || next == '?') break;
      ++end;
    }
    text_ = html_.substr(pos_, end - pos_);
    pos_ = end;
    return Token::Text;
  }
}

std::string DecodeEntities(std::string_view text, bool utf8) {
  std::string out;
  AppendDecodedEntities(out, text, utf8);
  return out;
}

void AppendDecodedEntities(std::string& out, std::string_view text, bool utf8) {
  if (text.find('&') == std::string_view::npos) {
    out.append(text);
    return;
  }
  size_t i = 0;
  while (i < text.size()) {
    size_t amp = text.find('&', i);
    if (amp == std::string_view::npos) amp = text.size();
    out.append(text.substr(i, amp - i));
    i = amp;
    if (i >= text.size()) break;
    size_t j = i + 1;
    unsigned cp = 0;
    bool found = false;
    if (j < text.size() && text[j] == '#') {
      ++j;
      bool hex = j < text.size() && (text[j] == 'x' || text[j] == 'X');
      if (hex) ++j;
      size_t digits = j;
      while (j < text.size() && j - digits < 8 &&
             (hex ? HexDigitValue(text[j]) >= 0 : (text[j] >= '0' && text[j] <= '9'))) {
        cp = cp * (hex ? 16 : 10) + static_cast<unsigned>(HexDigitValue(text[j]));
        ++j;
      }
      found = j > digits;
      if (found && (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))) cp = 0xFFFD;
    } else {
      size_t start = j;
      while (j < text.size() && j - start < 10 && IsAlnum(text[j])) ++j;
      std::string_view name = text.substr(start, j - start);
      bool terminated = j < text.size() && text[j] == ';';
      for (const NamedEntity& e : kEntities) {
        if (name == e.name && (terminated || e.codePoint < 0x100)) {
          cp = e.codePoint;
          found = true;
          break;
        }
      }
    }
    if (!found || (!utf8 && cp >= 0x80)) {
      out += '&';
      ++i;
      continue;
    }
    if (j < text.size() && text[j] == ';') ++j;
    AppendUtf8(out, cp);
    i = j;
  }
}

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string MetaCharset(std::string_view html) {
  HtmlScanner scanner(html);
  int tags = 0;
  for (HtmlScanner::Token t; (t = scanner.Next()) != HtmlScanner::Token::End;) {
    if (t != HtmlScanner::Token::Tag) continue;
    const HtmlTag& tag = scanner.Tag();
    if (++tags > 4096 || (!tag.end && tag.name == "body")) break;
    if (tag.end || tag.name != "meta") continue;
    if (const std::string* charset = tag.Attribute("charset")) return std::string(Trim(*charset));
    const std::string* equiv = tag.Attribute("http-equiv");
    const std::string* content = tag.Attribute("content");
    if (equiv && content && EqualsNoCase(Trim(*equiv), "content-type")) {
      std::string charset = ParameterOf(*content, "charset");
      if (!charset.empty()) return charset;
    }
  }
  return {};
}

std::string HtmlTitle(std::string_view html) {
  HtmlScanner scanner(html);
  int tags = 0;
  for (HtmlScanner::Token t; (t = scanner.Next()) != HtmlScanner::Token::End;) {
    if (t == HtmlScanner::Token::Tag && (++tags > 4096 || (!scanner.Tag().end && scanner.Tag().name == "body")))
      break;
    if (t != HtmlScanner::Token::Text || scanner.RawElement() != "title") continue;
    std::string decoded = DecodeEntities(scanner.Text(), false);
    std::string title;
    bool space = false;
    for (char c : decoded) {
      if (IsSpace(c)) {
        space = !title.empty();
        continue;
      }
      if (space) title += ' ';
      space = false;
      title += c;
    }
    return title;
  }
  return {};
}

std::string Utf8FromCodePage(std::string_view bytes, UINT codePage) {
  auto starts = [&](const char* mark, size_t n) { return bytes.size() >= n && bytes.compare(0, n, mark, n) == 0; };
  if (starts("\xEF\xBB\xBF", 3)) return std::string(bytes.substr(3));
  bool little = starts("\xFF\xFE", 2), big = starts("\xFE\xFF", 2);
  if (little || big || codePage == 1200 || codePage == 1201) {
    if (little || big) bytes.remove_prefix(2);
    bool swap = big || (!little && codePage == 1201);
    std::wstring wide(bytes.size() / 2, L'\0');
    for (size_t i = 0; i < wide.size(); ++i) {
      unsigned char a = static_cast<unsigned char>(bytes[2 * i]), b = static_cast<unsigned char>(bytes[2 * i + 1]);
      wide[i] = static_cast<wchar_t>(swap ? (a << 8) | b : (b << 8) | a);
    }
    return Utf8FromWide(wide);
  }
  if (codePage == CP_UTF8 || bytes.empty()) return std::string(bytes);
  if (bytes.size() > INT_MAX / 2) bytes = bytes.substr(0, INT_MAX / 2);
  int size = static_cast<int>(bytes.size());
  int n = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
  if (n <= 0) {
    codePage = CP_ACP;
    n = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
  }
  std::wstring wide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(codePage, 0, bytes.data(), size, wide.data(), n);
  return Utf8FromWide(wide);
}

std::string HtmlVisibleText(const std::string& html, const std::string& charset) {
  UINT codePage = CodePageOfCharset(charset);
  if (codePage == 0) codePage = CodePageOfCharset(MetaCharset(html));
  if (codePage == 0) codePage = GetACP();
  const std::string utf8 = Utf8FromCodePage(html, codePage);

  VisibleText text;
  std::string decoded;
  int preformatted = 0;
  HtmlScanner scanner(utf8);
  for (HtmlScanner::Token t; (t = scanner.Next()) != HtmlScanner::Token::End;) {
    if (t == HtmlScanner::Token::Text) {
      const std::string& raw = scanner.RawElement();
      if (raw == "script" || raw == "style" || raw == "title") continue;
      decoded.clear();
      AppendDecodedEntities(decoded, scanner.Text(), true);
      if (preformatted > 0 || raw == "xmp" || raw == "textarea")
        text.Preformatted(decoded);
      else
        text.Flow(decoded);
      continue;
    }
    const HtmlTag& tag = scanner.Tag();
    switch (RoleOf(tag.name)) {
      case Role::Break:
        if (!tag.end) text.Break();
        break;
      case Role::Preformatted:
        preformatted = tag.end ? (preformatted > 0 ? preformatted - 1 : 0) : preformatted + 1;
        text.Paragraph();
        break;
      case Role::Paragraph: text.Paragraph(); break;
      case Role::Line: text.Line(); break;
      case Role::Cell:
        if (!tag.end) text.Cell();
        break;
      case Role::Inline: break;
    }
  }
  std::wstring wide = WideFromUtf8(text.Finish());
  if (wide.empty()) return {};
  int n = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n, nullptr, nullptr);
  return out;
}

}  // namespace vellora
