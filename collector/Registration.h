// What registration writes to the registry and removes again: the COM class
// keys under HKEY_CLASSES_ROOT and the browser's menu entry under
// HKEY_CURRENT_USER, as one table, plus the embedded type library. A
// registration for the current user alone puts the class keys under
// HKEY_CURRENT_USER\Software\Classes instead and needs no administrator.
#pragma once
#include <windows.h>

#include <string>
#include <utility>
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

// Where the table's HKEY_CLASSES_ROOT lines go: there (for every user of the
// machine, as regsvr32 does it), or under HKEY_CURRENT_USER\Software\Classes
// (the current user only). The menu entry is the user's either way.
enum class RegistrationScope { Machine, User };

// Writes (or removes) exactly the table's keys and values. Answers the first
// failure as an HRESULT.
HRESULT WriteRegistryTable(const std::vector<RegistryEntry>& table, const RegistrationTokens& tokens,
                           RegistrationScope scope = RegistrationScope::Machine);
HRESULT RemoveRegistryTable(const std::vector<RegistryEntry>& table,
                            RegistrationScope scope = RegistrationScope::Machine);

// The root and key path an entry lands at in that scope.
std::pair<HKEY, std::string> EntryPlace(const RegistryEntry& entry, RegistrationScope scope);

// The type library embedded in modulePath, registered or unregistered.
HRESULT RegisterEmbeddedTypeLib(const std::string& modulePath);
HRESULT UnregisterEmbeddedTypeLib(const std::string& modulePath);

// DllRegisterServer and DllUnregisterServer for the DLL at modulePath.
HRESULT RegisterServer(const std::string& modulePath);
HRESULT UnregisterServer(const std::string& modulePath);

// DllInstall: the command line "user" registers (or unregisters) the table
// for the current user alone; the type library then stays unregistered, as
// the object serves its dispatch from the copy inside the DLL. An empty
// command line does what DllRegisterServer (DllUnregisterServer) does; any
// other is refused with E_INVALIDARG.
HRESULT InstallServer(bool install, const wchar_t* commandLine, const std::string& modulePath);

}  // namespace vellora::collector
