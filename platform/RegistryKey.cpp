#include "platform/RegistryKey.h"

#include <cstring>

namespace vellora {

LONG RegistryKey::Open(HKEY parent, const char* path, REGSAM access) {
  Close();
  HKEY key = nullptr;
  LONG error = RegOpenKeyExA(parent, path, 0, access, &key);
  if (error == ERROR_SUCCESS) key_.Reset(key);
  return error;
}

LONG RegistryKey::Create(HKEY parent, const char* path, REGSAM access) {
  Close();
  HKEY key = nullptr;
  LONG error = RegCreateKeyExA(parent, path, 0, nullptr, 0, access, nullptr, &key, nullptr);
  if (error == ERROR_SUCCESS) key_.Reset(key);
  return error;
}

std::optional<DWORD> RegistryKey::ReadDword(const char* name) const {
  DWORD value = 0, type = 0, size = sizeof value;
  if (!key_ || RegQueryValueExA(key_.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof value)
    return std::nullopt;
  return value;
}

std::optional<std::string> RegistryKey::ReadString(const char* name, size_t maxBytes, bool expandable) const {
  if (!key_ || maxBytes > MAXDWORD - 1) return std::nullopt;
  // One byte more than asked for, so a text stored without its NUL still ends.
  std::string buffer(maxBytes + 1, '\0');
  DWORD type = 0, size = static_cast<DWORD>(maxBytes);
  if (RegQueryValueExA(key_.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) != ERROR_SUCCESS)
    return std::nullopt;
  if (type != REG_SZ && !(expandable && type == REG_EXPAND_SZ)) return std::nullopt;
  if (size > maxBytes) size = static_cast<DWORD>(maxBytes);
  buffer.resize(strnlen(buffer.data(), size));
  return buffer;
}

bool RegistryKey::ReadBinary(const char* name, void* out, DWORD size) const {
  if (!key_ || !out) return false;
  std::string buffer(size, '\0');
  DWORD type = 0, got = size;
  if (RegQueryValueExA(key_.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &got) != ERROR_SUCCESS ||
      type != REG_BINARY || got != size)
    return false;
  memcpy(out, buffer.data(), size);
  return true;
}

LONG RegistryKey::WriteDword(const char* name, DWORD value) const {
  return RegSetValueExA(key_.Get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

LONG RegistryKey::WriteString(const char* name, const std::string& value) const {
  return RegSetValueExA(key_.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>(value.size() + 1));
}

LONG RegistryKey::WriteBinary(const char* name, const void* data, DWORD size) const {
  return RegSetValueExA(key_.Get(), name, 0, REG_BINARY, static_cast<const BYTE*>(data), size);
}

LONG RegistryKey::DeleteValue(const char* name) const { return RegDeleteValueA(key_.Get(), name); }

}  // namespace vellora
