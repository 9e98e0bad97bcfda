#include "content/CommandRouter.h"

#include <string>

namespace vellora {

namespace {

size_t Slot(CommandOwner owner) { return static_cast<size_t>(owner); }

}  // namespace

void CommandRouter::Register(CommandOwner owner, CommandHandler* handler) {
  // Rows that name no owner stay without a handler.
  if (owner != CommandOwner::None && Slot(owner) < handlers_.size()) handlers_[Slot(owner)] = handler;
}

CommandHandler* CommandRouter::HandlerOf(CommandOwner owner) const {
  return Slot(owner) < handlers_.size() ? handlers_[Slot(owner)] : nullptr;
}

CommandUi CommandRouter::Query(UINT id) const {
  CommandUi ui = EvaluateCommand(id, context_);
  const CommandRow* row = FindCommand(id);
  CommandHandler* handler = row ? HandlerOf(row->owner) : nullptr;
  if (!handler) return CommandUi{false, ui.checked};
  // A view sets its own check marks, also on commands its row greys.
  CommandUi own = ui;
  if (!handler->Query(id, own)) return CommandUi{false, ui.checked};
  return CommandUi{ui.enabled && own.enabled, own.checked};
}

bool CommandRouter::Route(UINT id) {
  const CommandRow* row = FindCommand(id);
  if (!row) {
    Report("has no row in the command table", id);
    return false;
  }
  CommandHandler* handler = HandlerOf(row->owner);
  if (!handler) {
    if (!(row->needs & kNotBuilt)) Report("has no handler registered for its owner", id);
    return false;
  }
  // A greyed command does nothing, also when its key is pressed.
  if (!Query(id).enabled) return false;
  if (handler->Handle(id)) return true;
  Report("was not taken by the owner its row names", id);
  return false;
}

void CommandRouter::Report(const char* what, UINT id) const {
  if (log_) log_->Report("Command " + std::to_string(id) + " " + what + ".");
}

}  // namespace vellora
