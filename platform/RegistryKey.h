#pragma once
// An open registry key, owned: opened or created under a parent, closed when
// the owner goes or is reassigned, on every path. Values are read into
// buffers of a size the caller bounds, and only in the type the caller asks
// for, so a value someone else wrote can never overrun or surprise a reader.
#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>

#include "platform/OwnedHandle.h"

namespace vellora {

class RegistryKey {
 public:
  RegistryKey() = default;
  explicit RegistryKey(HKEY adopt) : key_(adopt) {}

  // Both answer ERROR_SUCCESS or the system's error; the key held before is
  // closed first either way.
  LONG Open(HKEY parent, const char* path, REGSAM access);
  LONG Create(HKEY parent, const char* path, REGSAM access);
  void Close() { key_.Reset(); }
  HKEY Release() { return key_.Release(); }

  HKEY Get() const { return key_.Get(); }
  explicit operator bool() const { return static_cast<bool>(key_); }

  // A REG_DWORD of exactly four bytes; nothing when missing or of another type.
  std::optional<DWORD> ReadDword(const char* name) const;
  // A REG_SZ (with expandable, also REG_EXPAND_SZ, left unexpanded) whose
  // stored bytes, its NUL included when it has one, are at most maxBytes;
  // the text ends at its first NUL. Nothing when the value is missing, longer
  // or of another type: a cut path or name would be a wrong one.
  std::optional<std::string> ReadString(const char* name, size_t maxBytes, bool expandable = false) const;
  // A REG_BINARY of exactly size bytes into out; out is untouched otherwise.
  bool ReadBinary(const char* name, void* out, DWORD size) const;

  // A null name is the key's default value.
  LONG WriteDword(const char* name, DWORD value) const;
  LONG WriteString(const char* name, const std::string& value) const;
  LONG WriteBinary(const char* name, const void* data, DWORD size) const;
  LONG DeleteValue(const char* name) const;

 private:
  static BOOL WINAPI CloseKey(HKEY key) { return RegCloseKey(key) == ERROR_SUCCESS; }
  OwnedHandle<HKEY, CloseKey> key_;
};

}  // namespace vellora
