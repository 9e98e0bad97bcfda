// What the collector takes from the browser's page: the selected text, the
// title, the address, and the document itself for saving the whole page.
#pragma once
#include <windows.h>
#include <mshtml.h>

#include <string>

#include "platform/ComPtr.h"

namespace vellora::collector {

// Titles and links are kept to this many bytes (a path buffer less its NUL).
inline constexpr size_t kMaxCaptureBytes = 259;
inline constexpr char kTextSelectionLink[] = "Text Selection";

struct PageCapture {
  ComPtr<IHTMLDocument2> document;
  std::string selectionText;  // plain text of a text selection; any length
  std::string title;          // at most kMaxCaptureBytes
  std::string link;           // "Text Selection", or the address with "%20" shown as spaces
  std::string address;        // the address as the document gives it
};

// Builds the capture from what the browser hands over. A null argument or an
// object that is not an HTML document gives an empty capture (no document);
// pieces that cannot be read stay empty.
PageCapture CapturePage(IDispatch* htmlDocument);

// The address as shown in the link: every "%20" becomes a space, nothing else
// is decoded.
std::string LinkFromAddress(const std::string& address);

// A browser string in the thread's ANSI code page.
std::string AnsiFromBstr(BSTR text);

}  // namespace vellora::collector
