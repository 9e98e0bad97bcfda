#pragma once
// The document's command map: the File menu's commands that act on the
// library file as a whole, and the recent-library entries.
#include <windows.h>

namespace vellora {

class LibraryDocument;

// Runs the command when it is one of the document's; false otherwise.
bool RunDocumentCommand(LibraryDocument& document, UINT id);

}  // namespace vellora
