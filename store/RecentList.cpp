#include "store/RecentList.h"

#include <algorithm>
#include <cstring>

namespace vellora {

namespace {

constexpr char kListKey[] = "Recent Document List";
constexpr char kCountValue[] = "DocumentCount";

// An open registry key, closed on every path.
class RegKey {
 public:
  RegKey() = default;
  ~RegKey() {
    if (key_) RegCloseKey(key_);
  }
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;

  bool Open(HKEY parent, const char* sub, REGSAM access) {
    return RegOpenKeyExA(parent, sub, 0, access, &key_) == ERROR_SUCCESS;
  }
  bool Create(HKEY parent, const char* sub, REGSAM access) {
    return RegCreateKeyExA(parent, sub, 0, nullptr, 0, access, nullptr, &key_, nullptr) ==
           ERROR_SUCCESS;
  }
  HKEY Get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

std::string DocumentValueName(int n) { return "Document" + std::to_string(n); }

// A stored entry, or empty when the value is missing, too long or not a
// string. The value need not carry its NUL: only the bytes read are used.
std::string ReadEntry(HKEY key, const std::string& name) {
  char buf[RecentList::kEntryBytes + 1] = {};
  DWORD type = 0;
  DWORD size = RecentList::kEntryBytes;
  if (RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) !=
          ERROR_SUCCESS ||
      type != REG_SZ)
    return std::string();
  size = std::min<DWORD>(size, RecentList::kEntryBytes);
  return std::string(buf, strnlen(buf, size));
}

}  // namespace

void RecentList::Load(HKEY root, const std::string& keyPath) {
  RegKey app;
  RegKey list;
  if (!app.Open(root, keyPath.c_str(), KEY_READ) || !list.Open(app.Get(), kListKey, KEY_READ))
    return;
  DWORD stored = 0;
  DWORD type = 0;
  DWORD size = sizeof stored;
  if (RegQueryValueExA(list.Get(), kCountValue, nullptr, &type, reinterpret_cast<BYTE*>(&stored),
                       &size) != ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof stored)
    return;
  const int count = static_cast<int>(std::clamp<DWORD>(stored, kLoadMinCount, kLoadMaxCount));

  entries_.clear();
  max_ = count;
  for (int n = count; n >= 1; --n) AddEntry(ReadEntry(list.Get(), DocumentValueName(n)));
  // A stored count above the running maximum must not leave more entries than
  // the program keeps afterwards; the oldest go.
  max_ = kRunningMax;
  if (Count() > max_) entries_.erase(entries_.begin(), entries_.end() - max_);
  Changed();
}

void RecentList::Save(HKEY root, const std::string& keyPath) const {
  RegKey app;
  RegKey list;
  if (!app.Create(root, keyPath.c_str(), KEY_WRITE) || !list.Create(app.Get(), kListKey, KEY_WRITE))
    return;
  const DWORD stored = static_cast<DWORD>(max_);
  RegSetValueExA(list.Get(), kCountValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&stored),
                 sizeof stored);
  const int count = Count();
  for (int n = count; n >= 1; --n) {
    const std::string& path = entries_[count - n];
    RegSetValueExA(list.Get(), DocumentValueName(n).c_str(), 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(path.c_str()),
                   static_cast<DWORD>(path.size() + 1));
  }
  // Values left by a longer list go, up to the highest one a load can read.
  for (int n = count + 1; n <= kLoadMaxCount; ++n)
    RegDeleteValueA(list.Get(), DocumentValueName(n).c_str());
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
