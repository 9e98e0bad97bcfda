#pragma once
// What a command handler offers the router, and the shape of a handler's own
// command map: a list of entries naming the ids a handler takes and the step
// that runs each, so that what it claims and what it runs cannot part ways.
#include <windows.h>

#include <span>

#include "content/CommandTable.h"

namespace vellora {

class CommandHandler {
 public:
  virtual ~CommandHandler() = default;
  // Runs the command; false when it is not one of this handler's.
  virtual bool Handle(UINT id) = 0;
  // The command's state as the handler sees it, starting from the table's
  // rule in ui. Handlers whose commands the table decides alone leave it as
  // it is; a view answers false for a command that is not its own, which
  // greys it (nothing would run it).
  virtual bool Query(UINT id, CommandUi& ui) const {
    (void)id;
    (void)ui;
    return true;
  }
};

template <class Target>
struct CommandEntry {
  UINT first;
  void (*run)(Target& target, UINT id);
  UINT last = 0;  // 0: first alone
  bool Covers(UINT id) const { return last ? id >= first && id <= last : id == first; }
};

template <class Target>
const CommandEntry<Target>* FindEntry(std::span<const CommandEntry<Target>> map, UINT id) {
  for (const CommandEntry<Target>& entry : map)
    if (entry.Covers(id)) return &entry;
  return nullptr;
}

// Runs id from the map; false when the map has no entry for it.
template <class Target>
bool RunEntry(std::span<const CommandEntry<Target>> map, Target& target, UINT id) {
  const CommandEntry<Target>* entry = FindEntry(map, id);
  if (!entry) return false;
  entry->run(target, id);
  return true;
}

}  // namespace vellora
