#pragma once
// The document's command map: the File menu's commands that act on the
// library file as a whole, and the recent-library entries.
#include <windows.h>

#include "content/CommandHandler.h"

namespace vellora {

class LibraryDocument;

// Runs the command when it is one of the document's; false otherwise.
bool RunDocumentCommand(LibraryDocument& document, UINT id);
// Whether id is one of the document's commands.
bool IsDocumentCommand(UINT id);

// The document's map as a handler the router can hold.
class DocumentCommands : public CommandHandler {
 public:
  explicit DocumentCommands(LibraryDocument& document) : document_(document) {}
  bool Handle(UINT id) override { return RunDocumentCommand(document_, id); }

 private:
  LibraryDocument& document_;
};

}  // namespace vellora
