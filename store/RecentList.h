#pragma once
// The libraries most recently opened or created under a path: kept oldest
// first, shown newest first at the foot of the File menu, and carried between
// runs in "<key>\Recent Document List". The collector reads "Document1" of the
// same key to find the library to write into, so the value layout is fixed.
//
// The list knows nothing of windows: whoever shows it (the File menu) hears of
// every change through the change callback. It shows no messages; registry
// errors are ignored (a list that cannot be loaded stays empty, one that
// cannot be saved is lost).
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace vellora {

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

  // Called after every change of the entries (Load, Add, Remove).
  void SetOnChange(std::function<void()> onChange) { onChange_ = std::move(onChange); }

  // Reads "<keyPath>\Recent Document List" under root (keyPath is normally
  // "Software\Vellora"). When the key or a DWORD "DocumentCount" is missing
  // the list is left as it was; otherwise it is refilled from "Document<n>",
  // n from the count down to 1.
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
  // Index of the oldest-first list of the entry `back` places before the
  // newest (0: the newest), or -1 when there is no such entry.
  int IndexFromNewest(int back) const;
  int MaxEntries() const { return max_; }

 private:
  // The add rule without telling anyone, as Load needs it.
  bool AddEntry(const std::string& path);
  void Changed() const {
    if (onChange_) onChange_();
  }

  std::vector<std::string> entries_;  // oldest first
  int max_ = kRunningMax;
  std::function<void()> onChange_;
};

}  // namespace vellora
