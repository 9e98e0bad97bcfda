#pragma once
// Access passwords of tree nodes, catalog items and the library: the rules of
// the set-password dialog, the header fields that keep an item's password,
// and the Access Password and Library Password commands. Passwords are kept
// as plain text: they keep casual users out, nothing more.
#include <windows.h>

#include <string>
#include <vector>

#include "content/CommandHandler.h"
#include "content/ContentHost.h"
#include "content/ContentPrompt.h"
#include "store/LibraryDocument.h"
#include "store/Services.h"

namespace vellora {

// The settings slot that holds the library password.
inline constexpr int kLibraryPasswordSlot = 6;

// What Ok in the set-password dialog finds. current: the password set now
// (empty: none, and whatever was typed as the old one is ignored).
enum class PasswordChangeCheck { Accepted, WrongOldPassword, ConfirmationDiffers };
PasswordChangeCheck CheckPasswordChange(const std::string& current, const std::string& typedOld,
                                        const std::string& typedNew, const std::string& typedConfirm);

// Sets (non-empty) or clears (empty) the password of a record. Clearing
// leaves no byte of the old password in the header; readers that look only
// at the flag see the same as before.
void ApplyPassword(NodeInfoRecord& record, const std::string& password);
void ApplyPassword(ItemInfoRecord& record, const std::string& password);

// Rewrites the password in a node's header (a leaf's stream or a folder
// node's "#BOOKFOLDERITEMINFO#") or a catalog item's "FolderItemInfo", in
// place; the rest of the header and the content stay as they are. A header
// shorter than a whole record is left alone (STG_E_READFAULT).
HRESULT WriteNodePassword(const StorageHandle& folder, const std::vector<std::string>& path,
                          const std::string& password);
HRESULT WriteItemPassword(const StorageHandle& folder, const std::string& elementName, const std::string& password);

// The library password; empty when none is set.
std::string LibraryPassword(const LibraryDocument& document);

class PasswordCommands : public CommandHandler {
 public:
  PasswordCommands(LibraryDocument& document, ContentPrompt& prompt, ContentHost& host, const TextSource& texts);

  // Runs Access Password or Library Password; false for other commands.
  bool Handle(UINT id) override { return RunEntry(Map(), *this, id); }
  static bool Handles(UINT id) { return FindEntry(Map(), id) != nullptr; }
  // Sets or clears the password of the selected tree node or catalog item.
  void SetAccessPassword();
  void SetLibraryPassword();

 private:
  static std::span<const CommandEntry<PasswordCommands>> Map();
  void SetNodePassword();
  void SetItemPassword();
  std::string Text(TextKey key, const char* fallback) const { return texts_.TextOr(key, fallback); }

  LibraryDocument& document_;
  ContentPrompt& prompt_;
  ContentHost& host_;
  const TextSource& texts_;
};

}  // namespace vellora
