#include "collector/WebArchive.h"

#include <ocidl.h>

#include <cstdio>

#include "collector/PageCapture.h"
#include "platform/ComPtr.h"

namespace vellora::collector {

namespace {

constexpr char kBoundary[] = "----=_NextPart_000_0000_01D0VELLORA";
constexpr size_t kQuotedLine = 76;

std::string Base64(const std::string& bytes) {
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  size_t i = 0;
  for (; i + 2 < bytes.size(); i += 3) {
    unsigned v = (static_cast<unsigned char>(bytes[i]) << 16) | (static_cast<unsigned char>(bytes[i + 1]) << 8) |
                 static_cast<unsigned char>(bytes[i + 2]);
    out += kDigits[(v >> 18) & 63];
    out += kDigits[(v >> 12) & 63];
    out += kDigits[(v >> 6) & 63];
    out += kDigits[v & 63];
  }
  if (i < bytes.size()) {
    unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    out += kDigits[(v >> 18) & 63];
    out += kDigits[(v >> 12) & 63];
    out += i + 1 < bytes.size() ? kDigits[(v >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

// A header text: as it is when it is plain printable ASCII, else encoded.
std::string HeaderText(const std::string& text, const std::string& charset) {
  bool plain = true;
  for (char c : text)
    if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E) plain = false;
  if (plain) return text;
  return "=?" + charset + "?B?" + Base64(text) + "?=";
}

}  // namespace

std::string QuotedPrintable(const std::string& bytes) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 8);
  size_t column = 0;
  auto put = [&](const std::string& piece) {
    // Soft line break before a line would grow past the limit (its "=" included).
    if (column + piece.size() > kQuotedLine - 1) {
      out += "=\r\n";
      column = 0;
    }
    out += piece;
    column += piece.size();
  };
  for (size_t i = 0; i < bytes.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
      out += "\r\n";
      column = 0;
      ++i;
      continue;
    }
    if (c == '\n') {
      out += "\r\n";
      column = 0;
      continue;
    }
    bool lineEnds = i + 1 == bytes.size() || bytes[i + 1] == '\r' || bytes[i + 1] == '\n';
    bool literal = (c >= 33 && c <= 126 && c != '=') || ((c == ' ' || c == '\t') && !lineEnds);
    if (literal) {
      put(std::string(1, static_cast<char>(c)));
    } else {
      char code[4] = {'=', kHex[c >> 4], kHex[c & 15], 0};
      put(code);
    }
  }
  return out;
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

std::string DocumentCharset(IHTMLDocument2* document) {
  BSTR charset = nullptr;
  std::string name;
  if (document && SUCCEEDED(document->get_charset(&charset))) name = AnsiFromBstr(charset);
  SysFreeString(charset);
  return name.empty() ? CharsetOfCodePage(GetACP()) : name;
}

HRESULT SaveDocumentHtml(IHTMLDocument2* document, std::string& html) {
  html.clear();
  if (!document) return E_POINTER;
  ComPtr<IPersistStreamInit> persist;
  HRESULT hr = document->QueryInterface(IID_IPersistStreamInit, persist.PutVoid());
  if (FAILED(hr) || !persist) return FAILED(hr) ? hr : E_NOINTERFACE;
  ComPtr<IStream> memory;
  hr = CreateStreamOnHGlobal(nullptr, TRUE, memory.Put());
  if (FAILED(hr)) return hr;
  hr = persist->Save(memory.Get(), TRUE);
  if (FAILED(hr)) return hr;
  STATSTG stat = {};
  hr = memory->Stat(&stat, STATFLAG_NONAME);
  if (FAILED(hr)) return hr;
  if (stat.cbSize.QuadPart == 0 || stat.cbSize.QuadPart > 512ull * 1024 * 1024) return E_FAIL;
  LARGE_INTEGER start = {};
  hr = memory->Seek(start, STREAM_SEEK_SET, nullptr);
  if (FAILED(hr)) return hr;
  html.resize(static_cast<size_t>(stat.cbSize.QuadPart));
  ULONG got = 0;
  hr = memory->Read(html.data(), static_cast<ULONG>(html.size()), &got);
  if (FAILED(hr)) return hr;
  html.resize(got);
  return html.empty() ? E_FAIL : S_OK;
}

std::string BuildWebArchive(const std::string& html, const std::string& address, const std::string& title,
                            const std::string& charset) {
  std::string out;
  out.reserve(html.size() + html.size() / 8 + 1024);
  out += "From: <Saved by Vellora>\r\n";
  out += "Subject: " + HeaderText(title, charset) + "\r\n";
  out += "MIME-Version: 1.0\r\n";
  out += "Content-Type: multipart/related;\r\n\ttype=\"text/html\";\r\n\tboundary=\"";
  out += kBoundary;
  out += "\"\r\n\r\nThis is a multi-part message in MIME format.\r\n\r\n--";
  out += kBoundary;
  out += "\r\nContent-Type: text/html;\r\n\tcharset=\"" + charset + "\"\r\n";
  out += "Content-Transfer-Encoding: quoted-printable\r\n";
  if (!address.empty()) out += "Content-Location: " + address + "\r\n";
  out += "\r\n";
  out += QuotedPrintable(html);
  out += "\r\n\r\n--";
  out += kBoundary;
  out += "--\r\n";
  return out;
}

HRESULT ArchiveDocument(IHTMLDocument2* document, const std::string& address, const std::string& title,
                        std::string& archive) {
  archive.clear();
  std::string html;
  HRESULT hr = SaveDocumentHtml(document, html);
  if (FAILED(hr)) return hr;
  archive = BuildWebArchive(html, address, title, DocumentCharset(document));
  return S_OK;
}

}  // namespace vellora::collector
