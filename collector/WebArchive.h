// The whole page as a web archive (MHTML: multipart/related with the page's
// HTML as its first part), the form a saved-page node holds and the web page
// view shows.
#pragma once
#include <windows.h>
#include <mshtml.h>

#include <string>

namespace vellora::collector {

// The document's HTML as the document saves itself (IPersistStreamInit).
HRESULT SaveDocumentHtml(IHTMLDocument2* document, std::string& html);
// The document's character set, or the name of the system code page's.
std::string DocumentCharset(IHTMLDocument2* document);
std::string CharsetOfCodePage(UINT codePage);

// The archive around the HTML; address becomes the part's Content-Location.
std::string BuildWebArchive(const std::string& html, const std::string& address, const std::string& title,
                            const std::string& charset);
// Saves the document and wraps it; fails when the page cannot be saved.
HRESULT ArchiveDocument(IHTMLDocument2* document, const std::string& address, const std::string& title,
                        std::string& archive);

std::string QuotedPrintable(const std::string& bytes);

}  // namespace vellora::collector
