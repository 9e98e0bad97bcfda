// The browser's document as a web archive (MHTML), the form a saved-page node
// holds: the document saves its own HTML, and the store's archiver adds the
// pictures, style sheets, scripts and frames it uses.
#pragma once
#include <windows.h>
#include <mshtml.h>

#include <string>

namespace vellora::collector {

// The document's HTML as the document saves itself (IPersistStreamInit).
HRESULT SaveDocumentHtml(IHTMLDocument2* document, std::string& html);
// The document's character set, or the name of the system code page's.
std::string DocumentCharset(IHTMLDocument2* document);

// Saves the document and archives it with what it uses (from the browser's
// cache); fails when the page cannot be saved. Resources that cannot be had
// are left out.
HRESULT ArchiveDocument(IHTMLDocument2* document, const std::string& address, const std::string& title,
                        std::string& archive);

}  // namespace vellora::collector
