// Archiving a whole page: the references of its HTML and style sheets,
// resolved, fetched once each and gathered as the archive's parts.
#include <windows.h>
#include <urlmon.h>
#include <wininet.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <string_view>

#include "platform/KernelHandle.h"
#include "store/HtmlScan.h"
#include "store/WebArchive.h"

namespace vellora {

namespace {

constexpr size_t kMaxFetchBytes = 64u << 20;
constexpr char kHexDigits[] = "0123456789ABCDEF";

bool StartsNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && AsciiLower(text.substr(0, prefix.size())) == prefix;
}

bool IsDrivePath(std::string_view address) {
  return address.size() >= 3 && ((address[0] >= 'A' && address[0] <= 'Z') || (address[0] >= 'a' && address[0] <= 'z')) &&
         address[1] == ':' && (address[2] == '\\' || address[2] == '/');
}

bool IsFilePath(std::string_view address) {
  return IsDrivePath(address) || address.substr(0, 2) == "\\\\";
}

// The scheme of an absolute address ("http"), or empty; a drive letter is no scheme.
std::string SchemeOf(std::string_view address) {
  size_t i = 0;
  while (i < address.size() && (isalnum(static_cast<unsigned char>(address[i])) || address[i] == '+' ||
                                address[i] == '-' || address[i] == '.'))
    ++i;
  if (i < 2 || i >= address.size() || address[i] != ':' || !isalpha(static_cast<unsigned char>(address[0])))
    return {};
  return AsciiLower(address.substr(0, i));
}

std::string WithoutFragment(std::string_view address) {
  return std::string(address.substr(0, address.find('#')));
}

// The path of a file: URL, escapes decoded ("file:///C:/a%20b" -> "C:\a b").
std::string PathOfFileUrl(std::string_view url) {
  std::string_view rest = url.substr(5);
  rest = rest.substr(0, rest.find_first_of("?#"));
  std::string path;
  if (rest.substr(0, 2) == "//") {
    rest.remove_prefix(2);
    size_t slash = rest.find('/');
    std::string_view host = rest.substr(0, slash);
    rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash);
    if (!host.empty() && AsciiLower(host) != "localhost") path = "\\\\" + std::string(host);
  }
  if (path.empty() && rest.size() >= 3 && rest[0] == '/' && rest[2] == ':') rest.remove_prefix(1);  // "/C:/..."
  for (size_t i = 0; i < rest.size(); ++i) {
    char c = rest[i];
    if (c == '%' && i + 2 < rest.size() && HexDigitValue(rest[i + 1]) >= 0 && HexDigitValue(rest[i + 2]) >= 0) {
      path += static_cast<char>(HexDigitValue(rest[i + 1]) * 16 + HexDigitValue(rest[i + 2]));
      i += 2;
    } else {
      path += c == '/' ? '\\' : c;
    }
  }
  return path;
}

std::string RemoveDotSegments(std::string_view path) {
  std::vector<std::string_view> kept;
  size_t pos = 0;
  bool absolute = !path.empty() && path[0] == '/';
  if (absolute) pos = 1;
  bool trailing = false;
  while (pos <= path.size()) {
    size_t slash = path.find('/', pos);
    std::string_view segment = path.substr(pos, slash == std::string_view::npos ? std::string_view::npos : slash - pos);
    bool last = slash == std::string_view::npos;
    trailing = false;
    if (segment == "..") {
      if (!kept.empty()) kept.pop_back();
      trailing = true;
    } else if (segment == ".") {
      trailing = true;
    } else {
      kept.push_back(segment);
    }
    if (last) break;
    pos = slash + 1;
  }
  std::string out = absolute ? "/" : "";
  for (size_t i = 0; i < kept.size(); ++i) {
    if (i) out += '/';
    out += kept[i];
  }
  if (trailing && !kept.empty()) out += '/';
  return out;
}

// The content type a name's extension stands for; an address loses its
// query and fragment first, a file path keeps every character.
const char* TypeOfExtension(std::string_view address, bool isPath) {
  if (!isPath) address = address.substr(0, address.find_first_of("?#"));
  size_t slash = address.find_last_of("/\\");
  size_t dot = address.rfind('.');
  if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return "";
  std::string ext = AsciiLower(address.substr(dot + 1));
  struct Known {
    const char* ext;
    const char* type;
  };
  static const Known kKnown[] = {
      {"htm", "text/html"},   {"html", "text/html"},       {"xhtml", "text/html"},
      {"css", "text/css"},    {"js", "application/x-javascript"}, {"png", "image/png"},
      {"gif", "image/gif"},   {"jpg", "image/jpeg"},       {"jpeg", "image/jpeg"},
      {"jpe", "image/jpeg"},  {"bmp", "image/bmp"},        {"ico", "image/x-icon"},
      {"svg", "image/svg+xml"}, {"webp", "image/webp"},    {"tif", "image/tiff"},
      {"tiff", "image/tiff"}, {"txt", "text/plain"},       {"xml", "text/xml"},
      {"json", "application/json"}, {"woff", "font/woff"}, {"woff2", "font/woff2"},
      {"ttf", "font/ttf"},    {"swf", "application/x-shockwave-flash"},
  };
  for (const Known& k : kKnown)
    if (ext == k.ext) return k.type;
  return "";
}

bool ReadFileBounded(const std::string& path, std::string& bytes) {
  KernelHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return false;
  LARGE_INTEGER size = {};
  if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0 ||
      static_cast<unsigned long long>(size.QuadPart) > kMaxFetchBytes)
    return false;
  bytes.resize(static_cast<size_t>(size.QuadPart));
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD got = 0;
    if (!ReadFile(file.Get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &got, nullptr) ||
        got == 0)
      break;
    done += got;
  }
  bytes.resize(done);
  return true;
}

// The Content-Type the server sent, from the URL cache's entry.
std::string CachedContentType(const std::string& url) {
  DWORD size = 4096;
  std::string buffer(size, '\0');
  auto* info = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer.data());
  info->dwStructSize = sizeof *info;
  if (!GetUrlCacheEntryInfoA(url.c_str(), info, &size)) {
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size > 256 * 1024) return {};
    buffer.assign(size, '\0');
    info = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer.data());
    info->dwStructSize = sizeof *info;
    if (!GetUrlCacheEntryInfoA(url.c_str(), info, &size)) return {};
  }
  if (!info->lpHeaderInfo || info->dwHeaderInfoSize == 0) return {};
  const char* begin = info->lpHeaderInfo;
  const char* limit = buffer.data() + buffer.size();
  if (begin < buffer.data() || begin >= limit) return {};
  std::string_view headers(begin, std::min<size_t>(info->dwHeaderInfoSize, static_cast<size_t>(limit - begin)));
  size_t pos = 0;
  while (pos < headers.size()) {
    size_t end = headers.find('\n', pos);
    if (end == std::string_view::npos) end = headers.size();
    std::string_view line = Trim(headers.substr(pos, end - pos));
    if (StartsNoCase(line, "content-type:")) return std::string(Trim(line.substr(13)));
    pos = end + 1;
  }
  return {};
}

enum class RefKind { Resource, StyleSheet, Frame };

struct Reference {
  std::string address;  // as written, entities decoded
  RefKind kind;
};

bool Archivable(std::string_view reference) {
  if (reference.empty() || reference[0] == '#') return false;
  std::string scheme = SchemeOf(reference);
  return scheme != "javascript" && scheme != "vbscript" && scheme != "mailto" && scheme != "data" &&
         scheme != "about" && scheme != "tel" && scheme != "res" && scheme != "cid" && scheme != "mid";
}

void AddReference(std::vector<Reference>& refs, std::string_view raw, RefKind kind, bool decode) {
  std::string address(Trim(decode ? DecodeEntities(raw, false) : std::string(raw)));
  if (Archivable(address)) refs.push_back({std::move(address), kind});
}

// The url(...) and @import references of a style sheet.
void CssReferences(std::string_view css, std::vector<Reference>& refs, bool inHtml) {
  const size_t n = css.size();
  size_t i = 0;
  auto readValue = [&](size_t& at, std::string& value) -> bool {
    while (at < n && (css[at] == ' ' || css[at] == '\t' || css[at] == '\r' || css[at] == '\n')) ++at;
    if (at < n && (css[at] == '"' || css[at] == '\'')) {
      size_t close = css.find(css[at], at + 1);
      if (close == std::string_view::npos) return false;
      value.assign(css.substr(at + 1, close - at - 1));
      at = close + 1;
      return true;
    }
    if (at + 4 <= n && StartsNoCase(css.substr(at), "url(")) {
      at += 4;
      while (at < n && (css[at] == ' ' || css[at] == '\t')) ++at;
      if (at < n && (css[at] == '"' || css[at] == '\'')) {
        size_t close = css.find(css[at], at + 1);
        if (close == std::string_view::npos) return false;
        value.assign(css.substr(at + 1, close - at - 1));
        at = close + 1;
      } else {
        size_t close = css.find(')', at);
        if (close == std::string_view::npos) return false;
        value.assign(Trim(css.substr(at, close - at)));
        at = close;
      }
      size_t close = css.find(')', at);
      at = close == std::string_view::npos ? n : close + 1;
      return true;
    }
    return false;
  };
  while (i < n) {
    char c = css[i];
    if (c == '/' && i + 1 < n && css[i + 1] == '*') {
      size_t close = css.find("*/", i + 2);
      i = close == std::string_view::npos ? n : close + 2;
    } else if (c == '@' && StartsNoCase(css.substr(i), "@import")) {
      i += 7;
      std::string value;
      if (readValue(i, value)) AddReference(refs, value, RefKind::StyleSheet, inHtml);
    } else if ((c == 'u' || c == 'U') && StartsNoCase(css.substr(i), "url(")) {
      std::string value;
      if (readValue(i, value)) AddReference(refs, value, RefKind::Resource, inHtml);
      else i += 4;
    } else {
      ++i;
    }
  }
}

// The references of an HTML document, and the <base> it names (raw).
void HtmlReferences(std::string_view html, std::vector<Reference>& refs, std::string& base) {
  HtmlScanner scanner(html);
  for (HtmlScanner::Token t; (t = scanner.Next()) != HtmlScanner::Token::End;) {
    if (t == HtmlScanner::Token::Text) {
      if (scanner.RawElement() == "style") CssReferences(scanner.Text(), refs, false);
      continue;
    }
    const HtmlTag& tag = scanner.Tag();
    if (tag.end) continue;
    const std::string& name = tag.name;
    auto attribute = [&](const char* key, RefKind kind) {
      if (const std::string* value = tag.Attribute(key)) AddReference(refs, *value, kind, true);
    };
    if (name == "base") {
      const std::string* href = tag.Attribute("href");
      if (href && base.empty()) base = DecodeEntities(Trim(*href), false);
    } else if (name == "img" || name == "input" || name == "embed" || name == "script") {
      attribute("src", RefKind::Resource);
    } else if (name == "link") {
      const std::string* rel = tag.Attribute("rel");
      std::string kind = rel ? AsciiLower(*rel) : std::string();
      if (kind.find("stylesheet") != std::string::npos)
        attribute("href", RefKind::StyleSheet);
      else if (kind.find("icon") != std::string::npos)
        attribute("href", RefKind::Resource);
    } else if (name == "frame" || name == "iframe") {
      attribute("src", RefKind::Frame);
    } else if (name == "video") {
      attribute("poster", RefKind::Resource);
    }
    attribute("background", RefKind::Resource);
    if (const std::string* style = tag.Attribute("style")) CssReferences(DecodeEntities(*style, false), refs, false);
  }
}

bool IsTextMedia(const std::string& media) {
  return media.compare(0, 5, "text/") == 0 || media.find("javascript") != std::string::npos;
}

// A CSS file's own @charset rule, or empty.
std::string CssCharset(std::string_view css) {
  if (css.substr(0, 3) == "\xEF\xBB\xBF") css.remove_prefix(3);
  if (css.substr(0, 10) != "@charset \"") return {};
  size_t close = css.find('"', 10);
  return close == std::string_view::npos || close > 80 ? std::string() : std::string(css.substr(10, close - 10));
}

class PageArchiver {
 public:
  PageArchiver(const ResourceFetcher& fetch, const ArchiveLimits& limits) : fetch_(fetch), limits_(limits) {}

  void Start(const std::string& address, size_t documentBytes) {
    seen_.insert(WithoutFragment(address));
    bytes_ = documentBytes;
  }

  void HtmlResources(std::string_view html, const std::string& address, int depth, const std::string& charset) {
    std::vector<Reference> refs;
    std::string base;
    HtmlReferences(html, refs, base);
    std::string baseAddress = base.empty() ? address : ResolveAddress(address, base);
    for (const Reference& ref : refs) Add(ResolveAddress(baseAddress, ref.address), ref.kind, depth, charset);
  }

  std::vector<ArchivePart> TakeParts() { return std::move(parts_); }

 private:
  void Add(const std::string& resolved, RefKind kind, int depth, const std::string& inheritedCharset) {
    std::string address = WithoutFragment(resolved);
    if (SchemeOf(address).empty() || !seen_.insert(address).second) return;
    if (parts_.size() + 1 >= limits_.maxParts) return;
    if (kind == RefKind::Frame && depth + 1 > limits_.maxFrameDepth) return;
    ArchivePart part;
    std::string type;
    if (!fetch_ || !fetch_(address, part.bytes, type)) return;
    if (part.bytes.size() > limits_.maxBytes - bytes_) return;
    part.location = ArchiveAddress(address);
    part.contentType = MediaTypeOf(type);
    part.charset = ParameterOf(type, "charset");
    if (part.contentType.empty() || part.contentType == "application/octet-stream") {
      std::string guessed = TypeOfExtension(address, false);
      if (guessed.empty())
        guessed = kind == RefKind::Frame ? "text/html" : kind == RefKind::StyleSheet ? "text/css" : "";
      if (!guessed.empty() || part.contentType.empty())
        part.contentType = guessed.empty() ? "application/octet-stream" : guessed;
    }
    bool html = part.contentType == "text/html";
    // A style sheet is read as one whatever text type its server gave it.
    bool css = part.contentType == "text/css" ||
               (kind == RefKind::StyleSheet && !html && part.contentType.compare(0, 5, "text/") == 0);
    if (IsTextMedia(part.contentType) && part.charset.empty()) {
      if (html) part.charset = MetaCharset(part.bytes);
      if (css) part.charset = CssCharset(part.bytes);
      if (part.charset.empty()) part.charset = inheritedCharset;
    } else if (!IsTextMedia(part.contentType)) {
      part.charset.clear();
    }
    bytes_ += part.bytes.size();
    // The part comes before what it uses; its own references are taken
    // first, since the parts may move as more are added.
    std::vector<Reference> refs;
    std::string base;
    if (html && kind == RefKind::Frame) HtmlReferences(part.bytes, refs, base);
    if (css) CssReferences(part.bytes, refs, false);
    std::string charset = part.charset;
    parts_.push_back(std::move(part));
    // Style sheets importing style sheets are followed only so far down,
    // whatever the limit on parts allows.
    if (nesting_ >= kMaxNesting) return;
    ++nesting_;
    std::string baseAddress = base.empty() ? address : ResolveAddress(address, base);
    for (const Reference& ref : refs)
      Add(ResolveAddress(baseAddress, ref.address), ref.kind, html ? depth + 1 : depth, charset);
    --nesting_;
  }

  static constexpr int kMaxNesting = 32;

  const ResourceFetcher& fetch_;
  const ArchiveLimits& limits_;
  std::set<std::string> seen_;
  std::vector<ArchivePart> parts_;
  size_t bytes_ = 0;
  int nesting_ = 0;
};

}  // namespace

std::string ArchiveAddress(const std::string& address) {
  std::string_view text = Trim(address);
  if (!IsFilePath(text)) return std::string(text);
  std::string url;
  if (text.substr(0, 2) == "\\\\") {
    url = "file:";
  } else {
    url = "file:///";
  }
  for (char c : text) {
    unsigned char u = static_cast<unsigned char>(c);
    if (c == '\\') {
      url += '/';
    } else if (u <= 0x20 || c == '%' || c == '#' || c == '?' || u == 0x7F) {
      url += '%';
      url += kHexDigits[u >> 4];
      url += kHexDigits[u & 15];
    } else {
      url += c;
    }
  }
  return url;
}

namespace {

// Spaces and control characters escaped, as browsers escape them when they
// resolve an address; what is escaped already stays.
std::string EscapeSpaces(std::string address) {
  std::string out;
  out.reserve(address.size());
  for (char c : address) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u <= 0x20 || u == 0x7F) {
      out += '%';
      out += kHexDigits[u >> 4];
      out += kHexDigits[u & 15];
    } else {
      out += c;
    }
  }
  return out;
}

std::string ResolveUnescaped(const std::string& baseAddress, const std::string& referenceText) {
  std::string reference(Trim(referenceText));
  if (IsFilePath(reference)) return ArchiveAddress(reference);
  const std::string base = ArchiveAddress(baseAddress);
  if (!SchemeOf(reference).empty()) return reference;
  std::string scheme = SchemeOf(base);
  if (scheme.empty()) return reference;
  // Browsers read backslashes in hierarchical addresses as slashes.
  for (char& c : reference)
    if (c == '\\') c = '/';
  std::string_view rest = std::string_view(base).substr(scheme.size() + 1);
  std::string authority;
  if (rest.substr(0, 2) == "//") {
    size_t end = rest.find_first_of("/?#", 2);
    authority = std::string(rest.substr(0, end));
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end);
  }
  std::string_view path = rest.substr(0, rest.find_first_of("?#"));
  std::string_view query = rest.substr(path.size());
  query = query.substr(0, query.find('#'));
  std::string prefix = scheme + ":" + authority;
  if (reference.empty()) return prefix + std::string(path) + std::string(query);
  if (reference.compare(0, 2, "//") == 0) return scheme + ":" + reference;
  if (reference[0] == '/') {
    size_t tail = reference.find_first_of("?#");
    return prefix + RemoveDotSegments(std::string_view(reference).substr(0, tail)) +
           (tail == std::string::npos ? "" : reference.substr(tail));
  }
  if (reference[0] == '?') return prefix + std::string(path) + reference;
  if (reference[0] == '#') return prefix + std::string(path) + std::string(query) + reference;
  std::string merged;
  if (!authority.empty() && path.empty())
    merged = "/";
  else
    merged = std::string(path.substr(0, path.rfind('/') + 1));
  size_t tail = reference.find_first_of("?#");
  merged += std::string_view(reference).substr(0, tail);
  return prefix + RemoveDotSegments(merged) + (tail == std::string::npos ? "" : reference.substr(tail));
}

}  // namespace

std::string ResolveAddress(const std::string& baseAddress, const std::string& reference) {
  return EscapeSpaces(ResolveUnescaped(baseAddress, reference));
}

ResourceFetcher DefaultFetcher() {
  return [](const std::string& address, std::string& bytes, std::string& contentType) -> bool {
    bytes.clear();
    contentType.clear();
    std::string_view text = Trim(address);
    std::string path;
    bool remote = false;
    if (IsFilePath(text)) {
      path = std::string(text);
    } else if (SchemeOf(text) == "file") {
      path = PathOfFileUrl(text);
    } else {
      if (SchemeOf(text).empty() || !Archivable(text)) return false;
      std::string url = WithoutFragment(text);
      char cached[MAX_PATH] = {};
      if (FAILED(URLDownloadToCacheFileA(nullptr, url.c_str(), cached, MAX_PATH, 0, nullptr))) return false;
      path = cached;
      remote = true;
      contentType = CachedContentType(url);
    }
    if (path.empty() || !ReadFileBounded(path, bytes)) return false;
    if (contentType.empty()) contentType = remote ? TypeOfExtension(text, false) : TypeOfExtension(path, true);
    return true;
  };
}

HRESULT ArchivePage(const std::string& address, const std::string& html, const std::string& title,
                    std::string& archive, const ResourceFetcher& fetch, const ArchiveLimits& limits,
                    const std::string& knownCharset) {
  archive.clear();
  const std::string location = ArchiveAddress(address);
  std::string page = html;
  std::string type;
  if (page.empty()) {
    if (location.empty() || !fetch || !fetch(location, page, type) || page.empty()) return E_FAIL;
  }
  if (page.size() > limits.maxBytes) return HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE);

  ArchivePart document;
  document.location = location;
  document.contentType = "text/html";
  document.charset = knownCharset;
  if (document.charset.empty()) document.charset = MetaCharset(page);
  if (document.charset.empty()) document.charset = ParameterOf(type, "charset");
  if (document.charset.empty()) document.charset = CharsetOfCodePage(GetACP());

  PageArchiver archiver(fetch, limits);
  archiver.Start(location, page.size());
  archiver.HtmlResources(page, location, 0, document.charset);
  std::vector<ArchivePart> resources = archiver.TakeParts();
  std::string subject = title.empty() ? HtmlTitle(page) : title;
  document.bytes = std::move(page);
  archive = BuildWebArchive(document, resources, subject);
  return S_OK;
}

}  // namespace vellora
