#include "collector/Registration.h"

#include <oleauto.h>

#include <set>
#include <utility>

#include "collector/CollectorModule.h"
#include "collector/HtmlCatchInterface.h"
#include "platform/RegistryKey.h"
#include "store/StorageHandle.h"

namespace vellora::collector {

namespace {

#define COLLECTOR_CLSID_KEY "CLSID\\{CB569BD0-88FF-4618-B42E-4C7F0B2A831B}"
#define COLLECTOR_MENU_KEY "Software\\Microsoft\\Internet Explorer\\MenuExt"

const HKEY kClasses = HKEY_CLASSES_ROOT;
const HKEY kUser = HKEY_CURRENT_USER;

HRESULT FromWin32(LONG error) { return error == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(error); }

// Deletes a key with everything below it; a key that is not there is fine.
LONG DeleteTree(HKEY root, const std::string& path) {
  {
    RegistryKey key;
    LONG error = key.Open(root, path.c_str(), KEY_READ | KEY_WRITE);
    if (error == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
    if (error != ERROR_SUCCESS) return error;
    char name[256];
    for (;;) {
      DWORD length = sizeof name;
      if (RegEnumKeyExA(key.Get(), 0, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
      error = DeleteTree(root, path + "\\" + name);
      if (error != ERROR_SUCCESS) return error;
    }
  }
  LONG error = RegDeleteKeyA(root, path.c_str());
  return error == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : error;
}

bool HasSubkeys(HKEY root, const std::string& path) {
  RegistryKey key;
  if (key.Open(root, path.c_str(), KEY_READ) != ERROR_SUCCESS) return false;
  DWORD subkeys = 0;
  if (RegQueryInfoKeyA(key.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr, nullptr,
                       nullptr, nullptr) != ERROR_SUCCESS)
    return true;  // when in doubt, keep the key
  return subkeys != 0;
}

}  // namespace

const std::vector<RegistryEntry>& RegistrationTable() {
  static const std::vector<RegistryEntry> table = {
      {kClasses, "LibraneCollector.HtmlCatch.1", KeyRule::Normal, nullptr, ValueKind::String, "HtmlCatch Class", 0},
      {kClasses, "LibraneCollector.HtmlCatch.1\\CLSID", KeyRule::Normal, nullptr, ValueKind::String,
       "{CB569BD0-88FF-4618-B42E-4C7F0B2A831B}", 0},
      {kClasses, "LibraneCollector.HtmlCatch", KeyRule::Normal, nullptr, ValueKind::String, "HtmlCatch Class", 0},
      {kClasses, "LibraneCollector.HtmlCatch\\CLSID", KeyRule::Normal, nullptr, ValueKind::String,
       "{CB569BD0-88FF-4618-B42E-4C7F0B2A831B}", 0},
      {kClasses, "LibraneCollector.HtmlCatch\\CurVer", KeyRule::Normal, nullptr, ValueKind::String,
       "LibraneCollector.HtmlCatch.1", 0},
      {kClasses, "CLSID", KeyRule::Kept, nullptr, ValueKind::None, nullptr, 0},
      {kClasses, COLLECTOR_CLSID_KEY, KeyRule::ForceRemove, nullptr, ValueKind::String, "HtmlCatch Class", 0},
      {kClasses, COLLECTOR_CLSID_KEY "\\ProgID", KeyRule::Normal, nullptr, ValueKind::String,
       "LibraneCollector.HtmlCatch.1", 0},
      {kClasses, COLLECTOR_CLSID_KEY "\\VersionIndependentProgID", KeyRule::Normal, nullptr, ValueKind::String,
       "LibraneCollector.HtmlCatch", 0},
      {kClasses, COLLECTOR_CLSID_KEY "\\Programmable", KeyRule::ForceRemove, nullptr, ValueKind::None, nullptr, 0},
      {kClasses, COLLECTOR_CLSID_KEY "\\InprocServer32", KeyRule::Normal, nullptr, ValueKind::String, kModuleToken, 0},
      {kClasses, COLLECTOR_CLSID_KEY "\\InprocServer32", KeyRule::Normal, "ThreadingModel", ValueKind::String,
       "Apartment", 0},
      {kClasses, COLLECTOR_CLSID_KEY "\\TypeLib", KeyRule::Normal, nullptr, ValueKind::String,
       "{665E3C00-892B-49C1-B363-BC560A421706}", 0},
      {kUser, "Software", KeyRule::Kept, nullptr, ValueKind::None, nullptr, 0},
      {kUser, "Software\\Microsoft", KeyRule::Kept, nullptr, ValueKind::None, nullptr, 0},
      {kUser, "Software\\Microsoft\\Internet Explorer", KeyRule::Kept, nullptr, ValueKind::None, nullptr, 0},
      {kUser, COLLECTOR_MENU_KEY, KeyRule::Kept, nullptr, ValueKind::None, nullptr, 0},
      {kUser, COLLECTOR_MENU_KEY "\\Send to Vellora", KeyRule::ForceRemove, nullptr, ValueKind::String, kMenuPageToken,
       0},
      {kUser, COLLECTOR_MENU_KEY "\\Send to Vellora", KeyRule::ForceRemove, "Contexts", ValueKind::Dword, nullptr, 0x31},
  };
  return table;
}

std::string ExpandTokens(const std::string& text, const RegistrationTokens& tokens) {
  const std::pair<const char*, const std::string*> replacements[] = {{kModuleToken, &tokens.module},
                                                                     {kMenuPageToken, &tokens.menuPage}};
  std::string out = text;
  for (const auto& [token, value] : replacements) {
    std::string pattern = token;
    for (size_t at = out.find(pattern); at != std::string::npos; at = out.find(pattern, at + value->size()))
      out.replace(at, pattern.size(), *value);
  }
  return out;
}

std::pair<HKEY, std::string> EntryPlace(const RegistryEntry& entry, RegistrationScope scope) {
  if (scope == RegistrationScope::User && entry.root == HKEY_CLASSES_ROOT)
    return {HKEY_CURRENT_USER, std::string("Software\\Classes\\") + entry.key};
  return {entry.root, entry.key};
}

HRESULT WriteRegistryTable(const std::vector<RegistryEntry>& table, const RegistrationTokens& tokens,
                           RegistrationScope scope) {
  // A force-removed key goes once, before its first line is written, so that
  // its second value line does not wipe the first.
  std::set<std::pair<HKEY, std::string>> cleared;
  for (const RegistryEntry& entry : table) {
    auto [root, path] = EntryPlace(entry, scope);
    if (entry.rule == KeyRule::ForceRemove && cleared.insert({root, path}).second) {
      LONG error = DeleteTree(root, path);
      if (error != ERROR_SUCCESS) return FromWin32(error);
    }
    RegistryKey key;
    LONG error = key.Create(root, path.c_str(), KEY_READ | KEY_WRITE);
    if (error != ERROR_SUCCESS) return FromWin32(error);
    if (entry.kind == ValueKind::String)
      error = key.WriteString(entry.valueName, ExpandTokens(entry.text ? entry.text : "", tokens));
    else if (entry.kind == ValueKind::Dword)
      error = key.WriteDword(entry.valueName, entry.number);
    if (error != ERROR_SUCCESS) return FromWin32(error);
  }
  return S_OK;
}

HRESULT RemoveRegistryTable(const std::vector<RegistryEntry>& table, RegistrationScope scope) {
  // Children before their parents: the table lists parents first.
  std::set<std::pair<HKEY, std::string>> done;
  HRESULT result = S_OK;
  for (auto it = table.rbegin(); it != table.rend(); ++it) {
    auto [root, path] = EntryPlace(*it, scope);
    if (it->rule == KeyRule::Kept || !done.insert({root, path}).second) continue;
    LONG error = ERROR_SUCCESS;
    if (it->rule == KeyRule::ForceRemove) {
      error = DeleteTree(root, path);
    } else if (!HasSubkeys(root, path)) {
      error = RegDeleteKeyA(root, path.c_str());
      if (error == ERROR_FILE_NOT_FOUND) error = ERROR_SUCCESS;
    }
    if (error != ERROR_SUCCESS && SUCCEEDED(result)) result = FromWin32(error);
  }
  return result;
}

HRESULT RegisterEmbeddedTypeLib(const std::string& modulePath) {
  std::wstring path = WideFromAnsi(modulePath);
  ComPtr<ITypeLib> library;
  HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.Put());
  if (FAILED(hr)) return hr;
  return RegisterTypeLib(library.Get(), path.data(), nullptr);
}

HRESULT UnregisterEmbeddedTypeLib(const std::string& modulePath) {
  std::wstring path = WideFromAnsi(modulePath);
  ComPtr<ITypeLib> library;
  HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.Put());
  if (FAILED(hr)) return hr;
  TLIBATTR* attributes = nullptr;
  hr = library->GetLibAttr(&attributes);
  if (FAILED(hr)) return hr;
  TLIBATTR copy = *attributes;
  library->ReleaseTLibAttr(attributes);
  // Unregistering what is not registered is not a failure of ours; the
  // platform's call does not always say so in a way we can tell apart.
  wchar_t guid[40] = L"";
  StringFromGUID2(copy.guid, guid, 40);
  wchar_t key[96];
  wsprintfW(key, L"TypeLib\\%s\\%x.%x", guid, copy.wMajorVerNum, copy.wMinorVerNum);
  HKEY version = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key, 0, KEY_READ, &version) != ERROR_SUCCESS) return S_OK;
  RegCloseKey(version);
  hr = UnRegisterTypeLib(copy.guid, copy.wMajorVerNum, copy.wMinorVerNum, copy.lcid, copy.syskind);
  // Unregistering what is not registered is not a failure of ours.
  if (hr == TYPE_E_REGISTRYACCESS || hr == TYPE_E_CANTLOADLIBRARY) hr = S_OK;
  return hr;
}

HRESULT RegisterServer(const std::string& modulePath) {
  HRESULT hr = RegisterEmbeddedTypeLib(modulePath);
  if (FAILED(hr)) return hr;
  return WriteRegistryTable(RegistrationTable(), {modulePath, MenuPagePath(modulePath)});
}

HRESULT UnregisterServer(const std::string& modulePath) {
  HRESULT hr = RemoveRegistryTable(RegistrationTable());
  HRESULT typeLib = UnregisterEmbeddedTypeLib(modulePath);
  return FAILED(hr) ? hr : typeLib;
}

HRESULT InstallServer(bool install, const wchar_t* commandLine, const std::string& modulePath) {
  if (!commandLine || !*commandLine) return install ? RegisterServer(modulePath) : UnregisterServer(modulePath);
  if (lstrcmpiW(commandLine, L"user") != 0) return E_INVALIDARG;
  if (install)
    return WriteRegistryTable(RegistrationTable(), {modulePath, MenuPagePath(modulePath)}, RegistrationScope::User);
  return RemoveRegistryTable(RegistrationTable(), RegistrationScope::User);
}

}  // namespace vellora::collector
