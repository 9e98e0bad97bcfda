// The archive's MIME form: writing the parts and reading them back.
#include "store/WebArchive.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string_view>

#include "store/HtmlScan.h"

namespace vellora {

namespace {

// Neither quoted-printable ("=" is always escaped) nor base64 can hold "=_",
// so the fixed boundary never occurs inside a part.
constexpr char kBoundary[] = "----=_NextPart_000_0000_01D0VELLORA";
constexpr size_t kLine = 76;
constexpr size_t kMaxReadParts = 16384;
constexpr size_t kMaxHeaderLines = 256;
constexpr char kBase64Digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr char kHex[] = "0123456789ABCDEF";

void AppendBase64(std::string& out, std::string_view bytes, bool wrap) {
  size_t column = 0;
  size_t i = 0;
  auto quad = [&](unsigned v, int digits) {
    if (wrap && column == kLine) {
      out += "\r\n";
      column = 0;
    }
    char q[4] = {kBase64Digits[(v >> 18) & 63], kBase64Digits[(v >> 12) & 63],
                 digits > 2 ? kBase64Digits[(v >> 6) & 63] : '=', digits > 3 ? kBase64Digits[v & 63] : '='};
    out.append(q, 4);
    column += 4;
  };
  for (; i + 2 < bytes.size(); i += 3)
    quad((static_cast<unsigned char>(bytes[i]) << 16) | (static_cast<unsigned char>(bytes[i + 1]) << 8) |
             static_cast<unsigned char>(bytes[i + 2]),
         4);
  if (i < bytes.size()) {
    unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    quad(v, static_cast<int>(bytes.size() - i) + 1);
  }
}

// Hard line breaks only where the bytes hold CR LF; a lone CR or LF is
// escaped, so that decoding gives back exactly the bytes written.
void AppendQuotedPrintable(std::string& out, std::string_view bytes) {
  size_t column = 0;
  const size_t n = bytes.size();
  for (size_t i = 0; i < n; ++i) {
    unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c == '\r' && i + 1 < n && bytes[i + 1] == '\n') {
      out += "\r\n";
      column = 0;
      ++i;
      continue;
    }
    bool lineEnds = i + 1 == n || (bytes[i + 1] == '\r' && i + 2 < n && bytes[i + 2] == '\n');
    bool literal = (c >= 33 && c <= 126 && c != '=') || ((c == ' ' || c == '\t') && !lineEnds);
    size_t width = literal ? 1 : 3;
    // A soft break before the line would pass the limit with its "=".
    if (column + width > kLine - 1) {
      out += "=\r\n";
      column = 0;
    }
    if (literal) {
      out += static_cast<char>(c);
    } else {
      char code[3] = {'=', kHex[c >> 4], kHex[c & 15]};
      out.append(code, 3);
    }
    column += width;
  }
}

bool IsTextType(std::string_view type) {
  return type.substr(0, 5) == "text/" || type.find("javascript") != std::string_view::npos;
}

// A header value on one line: control characters and spaces are escaped the
// way addresses escape them, so no value can end the header early.
std::string HeaderValue(std::string_view value) {
  std::string out;
  for (char ch : value) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c <= 0x20 || c == 0x7F) {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      out += ch;
    }
  }
  return out;
}

// A parameter value fit for a quoted string.
std::string QuotedParameter(std::string_view value) {
  std::string out;
  for (char c : value)
    if (static_cast<unsigned char>(c) >= 0x20 && c != '"' && c != '\\' && c != 0x7F) out += c;
  return out;
}

std::string Subject(const std::string& title, const std::string& charset) {
  bool plain = true;
  for (char c : title)
    if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E) plain = false;
  if (plain) return title;
  std::string out = "=?" + QuotedParameter(charset) + "?B?";
  AppendBase64(out, title, false);
  return out + "?=";
}

void AppendPart(std::string& out, const ArchivePart& part, const char* defaultType) {
  std::string type = part.contentType.empty() ? defaultType : QuotedParameter(part.contentType);
  bool text = IsTextType(AsciiLower(type));
  out += "--";
  out += kBoundary;
  out += "\r\nContent-Type: " + type;
  if (text && !part.charset.empty()) out += ";\r\n\tcharset=\"" + QuotedParameter(part.charset) + "\"";
  out += text ? "\r\nContent-Transfer-Encoding: quoted-printable\r\n" : "\r\nContent-Transfer-Encoding: base64\r\n";
  if (!part.location.empty()) out += "Content-Location: " + HeaderValue(part.location) + "\r\n";
  out += "\r\n";
  if (text)
    AppendQuotedPrintable(out, part.bytes);
  else
    AppendBase64(out, part.bytes, true);
  // This line break belongs to the next delimiter, not to the part.
  out += "\r\n";
}

// ---- reading ----

struct Header {
  std::string name;  // lower case
  std::string value;
};

// The header lines from pos up to the empty line (pos ends past it), folded
// lines joined. Stops at the end of the text, whatever came before.
std::vector<Header> ReadHeaders(std::string_view text, size_t& pos) {
  std::vector<Header> headers;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end < text.size() ? end + 1 : end;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) break;
    if ((line[0] == ' ' || line[0] == '\t') && !headers.empty()) {
      std::string& value = headers.back().value;
      if (value.size() < 4096) value += ' ' + std::string(Trim(line));
      continue;
    }
    size_t colon = line.find(':');
    if (colon == std::string_view::npos || headers.size() >= kMaxHeaderLines) continue;
    headers.push_back({AsciiLower(Trim(line.substr(0, colon))), std::string(Trim(line.substr(colon + 1)))});
  }
  return headers;
}

std::string HeaderOf(const std::vector<Header>& headers, std::string_view name) {
  for (const Header& h : headers)
    if (h.name == name) return h.value;
  return {};
}

std::string DecodeQuotedPrintable(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c != '=') {
      out += c;
      continue;
    }
    if (i + 1 < text.size() && text[i + 1] == '\n') {
      ++i;
    } else if (i + 2 < text.size() && text[i + 1] == '\r' && text[i + 2] == '\n') {
      i += 2;
    } else if (i + 2 < text.size() && HexDigitValue(text[i + 1]) >= 0 && HexDigitValue(text[i + 2]) >= 0) {
      out += static_cast<char>(HexDigitValue(text[i + 1]) * 16 + HexDigitValue(text[i + 2]));
      i += 2;
    } else {
      out += c;  // a stray "=" is kept as it is
    }
  }
  return out;
}

std::string DecodeBase64(std::string_view text) {
  static const auto kValues = [] {
    std::array<signed char, 256> values{};
    values.fill(-1);
    for (int i = 0; i < 64; ++i) values[static_cast<unsigned char>(kBase64Digits[i])] = static_cast<signed char>(i);
    return values;
  }();
  std::string out(text.size() / 4 * 3 + 3, '\0');
  size_t n = 0;
  unsigned value = 0;
  int bits = 0;
  for (char c : text) {
    int digit = kValues[static_cast<unsigned char>(c)];
    if (digit < 0) {
      if (c == '=') break;
      continue;  // line breaks and whatever else is not a digit
    }
    value = (value << 6) | static_cast<unsigned>(digit);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out[n++] = static_cast<char>((value >> bits) & 0xFF);
    }
  }
  out.resize(n);
  return out;
}

// One part; with pagesOnly, only the bodies of pages are decoded.
ArchivePart PartOf(const std::vector<Header>& headers, std::string_view body, std::string& contentId,
                   bool pagesOnly) {
  ArchivePart part;
  std::string type = HeaderOf(headers, "content-type");
  part.contentType = MediaTypeOf(type);
  part.charset = ParameterOf(type, "charset");
  part.location = HeaderOf(headers, "content-location");
  contentId = HeaderOf(headers, "content-id");
  std::string encoding = AsciiLower(HeaderOf(headers, "content-transfer-encoding"));
  if (pagesOnly && part.contentType.compare(0, 5, "text/") != 0 && !part.contentType.empty())
    return part;
  if (encoding == "base64")
    part.bytes = DecodeBase64(body);
  else if (encoding == "quoted-printable")
    part.bytes = DecodeQuotedPrintable(body);
  else
    part.bytes.assign(body);
  return part;
}

// Where the next delimiter line starts at or after pos (at a line start), or npos.
size_t FindDelimiter(std::string_view body, std::string_view delimiter, size_t pos) {
  while ((pos = body.find(delimiter, pos)) != std::string_view::npos) {
    if (pos == 0 || body[pos - 1] == '\n') return pos;
    pos += delimiter.size();
  }
  return pos;
}

std::string WithoutAngles(std::string id) {
  id = std::string(Trim(id));
  if (id.size() >= 2 && id.front() == '<' && id.back() == '>') id = id.substr(1, id.size() - 2);
  return id;
}

}  // namespace

std::string BuildWebArchive(const ArchivePart& document, const std::vector<ArchivePart>& resources,
                            const std::string& title) {
  size_t total = document.bytes.size();
  for (const ArchivePart& part : resources) total += part.bytes.size();
  std::string out;
  out.reserve(total + total / 3 + 512 * (resources.size() + 2));
  std::string charset = document.charset.empty() ? CharsetOfCodePage(GetACP()) : document.charset;
  out += "From: <Saved by Vellora>\r\n";
  out += "Subject: " + Subject(title, charset) + "\r\n";
  out += "MIME-Version: 1.0\r\n";
  out += "Content-Type: multipart/related;\r\n\ttype=\"text/html\";\r\n\tboundary=\"";
  out += kBoundary;
  out += "\"\r\n\r\nThis is a multi-part message in MIME format.\r\n\r\n";
  AppendPart(out, document, "text/html");
  for (const ArchivePart& part : resources) AppendPart(out, part, "application/octet-stream");
  out += "--";
  out += kBoundary;
  out += "--\r\n";
  return out;
}

static bool ReadParts(const std::string& archive, std::vector<ArchivePart>& parts, bool pagesOnly) {
  parts.clear();
  std::string_view text(archive);
  size_t pos = 0;
  std::vector<Header> top = ReadHeaders(text, pos);
  std::string type = HeaderOf(top, "content-type");
  std::string media = MediaTypeOf(type);
  std::string_view body = text.substr(pos);
  std::string contentId;
  if (media == "text/html" && !HeaderOf(top, "mime-version").empty()) {
    // A page saved as a single part is an archive too.
    parts.push_back(PartOf(top, body, contentId, pagesOnly));
    return true;
  }
  std::string boundary = ParameterOf(type, "boundary");
  if (media.substr(0, 10) != "multipart/" || boundary.empty() || boundary.size() > 200) return false;

  const std::string delimiter = "--" + boundary;
  std::string root = WithoutAngles(ParameterOf(type, "start"));
  size_t rootIndex = std::string::npos;
  size_t at = FindDelimiter(body, delimiter, 0);
  while (at != std::string_view::npos && parts.size() < kMaxReadParts) {
    size_t after = at + delimiter.size();
    if (body.substr(after, 2) == "--") break;  // the closing delimiter
    size_t lineEnd = body.find('\n', after);
    if (lineEnd == std::string_view::npos) break;
    size_t start = lineEnd + 1;
    size_t next = FindDelimiter(body, delimiter, start);
    size_t end = next == std::string_view::npos ? body.size() : next;
    // The line break before the delimiter belongs to the delimiter.
    if (next != std::string_view::npos && end > start && body[end - 1] == '\n') {
      --end;
      if (end > start && body[end - 1] == '\r') --end;
    }
    std::string_view content = body.substr(start, end - start);
    size_t headerEnd = 0;
    std::vector<Header> headers = ReadHeaders(content, headerEnd);
    parts.push_back(PartOf(headers, content.substr(headerEnd), contentId, pagesOnly));
    if (rootIndex == std::string::npos && !root.empty() && WithoutAngles(contentId) == root)
      rootIndex = parts.size() - 1;
    at = next;
  }
  if (parts.empty()) return false;
  if (rootIndex == std::string::npos) {
    for (size_t i = 0; i < parts.size() && rootIndex == std::string::npos; ++i)
      if (parts[i].contentType == "text/html") rootIndex = i;
  }
  if (rootIndex != std::string::npos && rootIndex > 0)
    std::rotate(parts.begin(), parts.begin() + static_cast<std::ptrdiff_t>(rootIndex),
                parts.begin() + static_cast<std::ptrdiff_t>(rootIndex) + 1);
  return true;
}

bool ReadWebArchive(const std::string& archive, std::vector<ArchivePart>& parts) {
  return ReadParts(archive, parts, false);
}

std::string ArchiveDocumentText(const std::string& archive) {
  std::vector<ArchivePart> parts;
  if (!ReadParts(archive, parts, true) || parts.empty()) return {};
  const ArchivePart& document = parts.front();
  if (document.contentType != "text/html" && !document.contentType.empty()) {
    if (document.contentType.substr(0, 5) != "text/") return {};
    // Plain text keeps its lines and its characters.
    std::string escaped = "<pre>";
    for (char c : document.bytes) {
      if (c == '<') escaped += "&lt;";
      else if (c == '&') escaped += "&amp;";
      else escaped += c;
    }
    return HtmlVisibleText(escaped, document.charset);
  }
  return HtmlVisibleText(document.bytes, document.charset);
}

std::string CharsetOfCodePage(UINT codePage) {
  switch (codePage) {
    case 936: return "gb2312";
    case 950: return "big5";
    case 932: return "shift_jis";
    case 949: return "ks_c_5601-1987";
    case 65001: return "utf-8";
    case 28591: return "iso-8859-1";
    default: {
      char name[32];
      std::snprintf(name, sizeof name, "windows-%u", codePage);
      return name;
    }
  }
}

UINT CodePageOfCharset(const std::string& charset) {
  std::string name = AsciiLower(Trim(charset));
  struct Known {
    const char* name;
    UINT codePage;
  };
  static const Known kKnown[] = {
      {"utf-8", 65001},      {"utf8", 65001},          {"unicode-1-1-utf-8", 65001},
      {"utf-16", 1200},      {"utf-16le", 1200},       {"unicode", 1200},
      {"utf-16be", 1201},    {"gb2312", 936},          {"gbk", 936},
      {"x-gbk", 936},        {"gb_2312-80", 936},      {"chinese", 936},
      {"gb18030", 54936},    {"big5", 950},            {"big5-hkscs", 950},
      {"x-x-big5", 950},     {"shift_jis", 932},       {"shift-jis", 932},
      {"sjis", 932},         {"x-sjis", 932},          {"windows-31j", 932},
      {"ms_kanji", 932},     {"euc-jp", 20932},        {"iso-2022-jp", 50220},
      {"euc-kr", 949},       {"ks_c_5601-1987", 949},  {"ks_c_5601", 949},
      {"korean", 949},       {"iso-8859-1", 1252},     {"latin1", 1252},
      {"l1", 1252},          {"us-ascii", 1252},       {"ascii", 1252},
      {"koi8-r", 20866},     {"koi8-u", 21866},        {"tis-620", 874},
  };
  for (const Known& k : kKnown)
    if (name == k.name) return k.codePage;
  unsigned number = 0;
  for (const char* prefix : {"windows-", "cp", "x-cp", "ms", "iso-8859-"}) {
    std::string_view p(prefix);
    if (name.size() > p.size() && name.compare(0, p.size(), p) == 0 &&
        std::all_of(name.begin() + static_cast<std::ptrdiff_t>(p.size()), name.end(),
                    [](char c) { return c >= '0' && c <= '9'; }) &&
        name.size() - p.size() <= 5) {
      number = static_cast<unsigned>(std::stoul(name.substr(p.size())));
      if (p == "iso-8859-") return number >= 2 && number <= 16 ? 28590 + number : 0;
      return number;
    }
  }
  return 0;
}

}  // namespace vellora
