// What registration writes to the registry and removes again: the COM class
// keys under HKEY_CLASSES_ROOT and the browser's menu entry under
// HKEY_CURRENT_USER, as one table, plus the embedded type library.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace vellora::collector {

enum class KeyRule {
  Normal,       // written; removed on unregistration when nothing else lives below it
  Kept,         // opened or created, never removed
  ForceRemove,  // removed with everything below it before writing and on unregistration
};

enum class ValueKind { None, String, Dword };

// One key with at most one value; a key with two values appears twice.
struct RegistryEntry {
  HKEY root;
  const char* key;
  KeyRule rule;
  const char* valueName;  // null: the key's default value
  ValueKind kind;
  const char* text;       // String: may hold the replacement tokens below
  DWORD number;           // Dword
};

// Replacement tokens of the table's texts.
inline constexpr char kModuleToken[] = "%MODULE%";
inline constexpr char kMenuPageToken[] = "%CATCHHTMFILEPATH%";

struct RegistrationTokens {
  std::string module;    // the DLL's full file name
  std::string menuPage;  // the menu page beside it
};

const std::vector<RegistryEntry>& RegistrationTable();
std::string ExpandTokens(const std::string& text, const RegistrationTokens& tokens);

// Writes (or removes) exactly the table's keys and values. Answers the first
// failure as an HRESULT.
HRESULT WriteRegistryTable(const std::vector<RegistryEntry>& table, const RegistrationTokens& tokens);
HRESULT RemoveRegistryTable(const std::vector<RegistryEntry>& table);

// The type library embedded in modulePath, registered or unregistered.
HRESULT RegisterEmbeddedTypeLib(const std::string& modulePath);
HRESULT UnregisterEmbeddedTypeLib(const std::string& modulePath);

// DllRegisterServer and DllUnregisterServer for the DLL at modulePath.
HRESULT RegisterServer(const std::string& modulePath);
HRESULT UnregisterServer(const std::string& modulePath);

}  // namespace vellora::collector
