#pragma once
// Hands each command of the main window to the one handler its row names.
// The frame registers a handler per owner and refreshes the state the rules
// read; a greyed command, an id without a row and a row without a handler
// run nothing.
#include <windows.h>

#include <array>

#include "content/CommandHandler.h"
#include "content/CommandTable.h"
#include "store/Services.h"

namespace vellora {

class CommandRouter {
 public:
  // context: the state the enabling rules read, kept current by its owner.
  explicit CommandRouter(const CommandContext& context, DiagnosticSink* log = nullptr)
      : context_(context), log_(log) {}

  // handler null: the owner's commands go nowhere again.
  void Register(CommandOwner owner, CommandHandler* handler);
  CommandHandler* HandlerOf(CommandOwner owner) const;

  // The command's state: its row's rule, then what its handler says. Greyed
  // when the id has no row or its owner no handler.
  CommandUi Query(UINT id) const;
  // Runs the command through its row's owner. False when it was greyed, has
  // no row or no handler, or the handler did not take it.
  bool Route(UINT id);

 private:
  void Report(const char* what, UINT id) const;

  const CommandContext& context_;
  DiagnosticSink* log_;
  std::array<CommandHandler*, kCommandOwnerCount> handlers_{};
};

}  // namespace vellora
