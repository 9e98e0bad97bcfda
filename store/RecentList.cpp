#include "store/RecentList.h"

#include <algorithm>

#include "platform/RegistryKey.h"

namespace vellora {

namespace {

constexpr char kListKey[] = "Recent Document List";
constexpr char kCountValue[] = "DocumentCount";

std::string DocumentValueName(int n) { return "Document" + std::to_string(n); }

// A stored entry, or empty when the value is missing, too long or not a
// string. The value need not carry its NUL.
std::string ReadEntry(const RegistryKey& key, const std::string& name) {
  return key.ReadString(name.c_str(), RecentList::kEntryBytes).value_or(std::string());
}

}  // namespace

void RecentList::Load(HKEY root, const std::string& keyPath) {
  RegistryKey app;
  RegistryKey list;
  if (app.Open(root, keyPath.c_str(), KEY_READ) != ERROR_SUCCESS ||
      list.Open(app.Get(), kListKey, KEY_READ) != ERROR_SUCCESS)
    return;
  const std::optional<DWORD> stored = list.ReadDword(kCountValue);
  if (!stored) return;
  const int count = static_cast<int>(std::clamp<DWORD>(*stored, kLoadMinCount, kLoadMaxCount));

  entries_.clear();
  max_ = count;
  for (int n = count; n >= 1; --n) AddEntry(ReadEntry(list, DocumentValueName(n)));
  // A stored count above the running maximum must not leave more entries than
  // the program keeps afterwards; the oldest go.
  max_ = kRunningMax;
  if (Count() > max_) entries_.erase(entries_.begin(), entries_.end() - max_);
  Changed();
}

void RecentList::Save(HKEY root, const std::string& keyPath) const {
  RegistryKey app;
  RegistryKey list;
  if (app.Create(root, keyPath.c_str(), KEY_WRITE) != ERROR_SUCCESS ||
      list.Create(app.Get(), kListKey, KEY_WRITE) != ERROR_SUCCESS)
    return;
  list.WriteDword(kCountValue, static_cast<DWORD>(max_));
  const int count = Count();
  for (int n = count; n >= 1; --n) list.WriteString(DocumentValueName(n).c_str(), entries_[count - n]);
  // Values left by a longer list go, up to the highest one a load can read.
  for (int n = count + 1; n <= kLoadMaxCount; ++n) list.DeleteValue(DocumentValueName(n).c_str());
}

bool RecentList::AddEntry(const std::string& path) {
  if (path.empty() || path.size() >= kEntryBytes || path.find('\0') != std::string::npos)
    return false;
  std::erase_if(entries_,
                [&](const std::string& e) { return lstrcmpiA(e.c_str(), path.c_str()) == 0; });
  if (max_ > 0)
    while (Count() >= max_) entries_.erase(entries_.begin());
  entries_.push_back(path);
  return true;
}

bool RecentList::Add(const std::string& path) {
  if (!AddEntry(path)) return false;
  Changed();
  return true;
}

void RecentList::Remove(int index) {
  if (index < 0 || index >= Count()) return;
  entries_.erase(entries_.begin() + index);
  Changed();
}

bool RecentList::RemovePath(const std::string& path) {
  for (int i = 0; i < Count(); ++i) {
    if (lstrcmpiA(entries_[i].c_str(), path.c_str()) == 0) {
      Remove(i);
      return true;
    }
  }
  return false;
}

std::string RecentList::Entry(int index) const {
  return index >= 0 && index < Count() ? entries_[index] : std::string();
}

std::string RecentList::Newest() const {
  return entries_.empty() ? std::string() : entries_.back();
}

int RecentList::IndexFromNewest(int back) const {
  if (back < 0) return -1;
  const int index = Count() - 1 - back;
  return index >= 0 ? index : -1;
}

}  // namespace vellora
