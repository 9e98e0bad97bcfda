#pragma once
// Import webpage: the selected tree leaf, catalog web page item or tab page
// becomes a web page item. A link (kind 3) keeps the address; an embedded page
// (kind 4) keeps the page itself, read at once with what it uses into a web
// archive. The item's kind and content change in one update of its elements.
#include <windows.h>

#include <cstdint>
#include <string>

#include "content/ItemSource.h"

namespace vellora {

struct WebPageContent {
  uint16_t kind = kItemWebLink;
  std::string bytes;  // the content from its start
};

// The content of a web page item for the address: its counted string, or
// the page archived whole (which fails when the page cannot be read).
HRESULT MakeWebPageContent(const std::string& address, bool embed, const std::string& title, WebPageContent& out);

// Writes the kind into the item's record (a leaf's node record, or the info
// record of a catalog item or tab page) and replaces its content.
HRESULT WriteWebPage(const ItemSource& source, const WebPageContent& content);

}  // namespace vellora
