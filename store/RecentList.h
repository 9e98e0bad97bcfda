#pragma once
// The libraries most recently opened or created under a path: kept oldest
// first, shown newest first at the foot of the File menu, and carried between
// runs in "<key>\Recent Document List". The collector reads "Document1" of the
// same key to find the library to write into, so the value layout is fixed.
//
// The list knows nothing of windows beyond the one menu it rebuilds. It shows
// no messages; registry errors are ignored (a list that cannot be loaded stays
// empty, one that cannot be saved is lost).
#include <windows.h>

#include <string>
#include <vector>

namespace vellora {

// Menu commands of the entries, the newest first: kRecentFirstCommand + k
// opens the entry k places before the newest. The whole range is reserved.
constexpr UINT kRecentFirstCommand = 57616;
constexpr UINT kRecentLastCommand = 57631;

class RecentList {
 public:
  // Entries allowed while the program runs.
  static constexpr int kRunningMax = 8;
  // Bounds of the stored count, which is the maximum used while loading.
  static constexpr int kLoadMinCount = 2;
  static constexpr int kLoadMaxCount = 16;
  // An entry with its NUL fits in this many bytes.
  static constexpr size_t kEntryBytes = MAX_PATH;

  RecentList() = default;
  RecentList(const RecentList&) = delete;
  RecentList& operator=(const RecentList&) = delete;

  // Remembers the menu that directly holds the item kRecentFirstCommand (the
  // caller finds it, e.g. the File submenu) and takes that item's text as the
  // text shown for an empty list, or "(empty)" when there is no such item. A
  // menu without the item is allowed: the entries then go to its end. The
  // menu is not changed until the next rebuild (Load, Add, Remove or
  // RebuildMenu). Null detaches.
  void AttachMenu(HMENU menu);

  // Reads "<keyPath>\Recent Document List" under root (keyPath is normally
  // "Software\Vellora"). When the key or a DWORD "DocumentCount" is missing
  // the list is left as it was; otherwise it is refilled from "Document<n>",
  // n from the count down to 1, and the menu rebuilt.
  void Load(HKEY root, const std::string& keyPath);
  // Writes the list under the same key; "Document1" is the newest entry.
  void Save(HKEY root, const std::string& keyPath) const;

  // Makes path the newest entry, dropping an entry that differs only in
  // letter case and, when full, the oldest. Answers false (and changes
  // nothing) for an empty path or one that does not fit kEntryBytes.
  bool Add(const std::string& path);
  // Removes the entry at index of the oldest-first list; out of range does nothing.
  void Remove(int index);
  // Removes the entry equal to path ignoring letter case; answers whether there was one.
  bool RemovePath(const std::string& path);

  int Count() const { return static_cast<int>(entries_.size()); }
  // The entry at index of the oldest-first list; empty when out of range.
  std::string Entry(int index) const;
  // The newest entry, or an empty string when the list is empty.
  std::string Newest() const;
  // Index of the oldest-first list that a menu command stands for, or -1
  // when the command names no entry.
  int IndexForCommand(UINT command) const;
  int MaxEntries() const { return max_; }
  const std::string& PlaceholderText() const { return placeholder_; }

  // Shows the entries (or the disabled placeholder) in the attached menu in
  // place of the items kRecentFirstCommand..kRecentLastCommand.
  void RebuildMenu();

 private:
  // The add rule without the menu rebuild, as Load needs it.
  bool AddEntry(const std::string& path);

  std::vector<std::string> entries_;  // oldest first
  int max_ = kRunningMax;
  HMENU menu_ = nullptr;
  std::string placeholder_ = "(empty)";
};

}  // namespace vellora
