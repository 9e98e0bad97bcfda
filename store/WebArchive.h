// Web archives (MHTML: a multipart/related message whose first part is the
// page and whose other parts are the pictures, style sheets, scripts and
// frames it uses): writing one from a page, reading one back, and the page's
// visible text for a reader that has no browser engine.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace vellora {

struct ArchivePart {
  std::string location;     // Content-Location (absolute address or file: URL); may be empty for the document
  std::string contentType;  // "text/html", "image/png", "text/css", ...
  std::string charset;      // for text parts; empty otherwise
  std::string bytes;        // decoded bytes
};

// The document first, then the resources it uses. Text parts are written
// quoted-printable (every byte comes back as it was), the others base64 in
// 76-column lines; the title becomes the message's subject.
std::string BuildWebArchive(const ArchivePart& document, const std::vector<ArchivePart>& resources,
                            const std::string& title);

// Reads an archive back into its parts, the document first (the part the
// root's "start" names, else the first text/html part). False on what is not
// an archive; damaged input gives what could be read, never a read past the end.
bool ReadWebArchive(const std::string& archive, std::vector<ArchivePart>& parts);

// The page's visible text in the system code page: tags, scripts, styles and
// the title left out, block elements as line breaks (CR LF), entities decoded.
// An empty charset means the page's <meta> charset, else the system code page.
std::string HtmlVisibleText(const std::string& html, const std::string& charset);
// The visible text of an archive's document; empty when it has none.
std::string ArchiveDocumentText(const std::string& archive);

// The name of a code page's character set ("gb2312" for 936, "windows-1252"...)
// and back; an unknown name gives 0.
std::string CharsetOfCodePage(UINT codePage);
UINT CodePageOfCharset(const std::string& charset);

// Fetches what an address names; contentType may come back empty.
using ResourceFetcher = std::function<bool(const std::string& address, std::string& bytes, std::string& contentType)>;
// Plain file paths and file: URLs from the disk, other addresses through the
// system's URL cache (which downloads what it lacks), each at most 64 MB.
ResourceFetcher DefaultFetcher();

struct ArchiveLimits {
  size_t maxParts = 256;          // the document included
  size_t maxBytes = 64u << 20;    // all parts' decoded bytes together
  int maxFrameDepth = 3;          // frames inside frames
};

// Archives a whole page: the HTML (given, or fetched from the address when
// html is empty) and every picture, style sheet (with what it imports and
// names with url()), script, frame document and background it references,
// each fetched once and named by its absolute address. What cannot be
// fetched or would pass the limits is left out; a document that cannot be
// fetched fails. The charset is the caller's when it knows it (a browser's
// document), else the page's <meta>, the server's content type, or the
// system code page's.
HRESULT ArchivePage(const std::string& address, const std::string& html, const std::string& title,
                    std::string& archive, const ResourceFetcher& fetch = DefaultFetcher(),
                    const ArchiveLimits& limits = {}, const std::string& knownCharset = {});

// An address as the archive names it: file paths become file:/// URLs,
// anything else is kept.
std::string ArchiveAddress(const std::string& address);
// A reference resolved against a base address (both absolute URLs or paths).
std::string ResolveAddress(const std::string& base, const std::string& reference);

}  // namespace vellora
