// The shipped installer and portable zip, as a user gets them: the installer
// run silently into this prefix's user profile, its files, registry entries
// and the collector's registration read back, the installed program opened
// through the ".vlx" association, then the uninstaller run the way the
// system's program list runs it, and whatever of ours is left looked for.
#include <windows.h>
#include <psapi.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "collector/Registration.h"
#include "platform/ComPtr.h"
#include "tests/TestSupport.h"
#include "tests/e2e/VelloraProcess.h"

using namespace vellora;
using namespace vellora::collector;
using namespace vtest;

namespace {

constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vellora";
constexpr char kExtensionKey[] = "Software\\Classes\\.vlx";
constexpr char kProgIdKey[] = "Software\\Classes\\Vellora.Library";
constexpr char kSettingsKey[] = "Software\\Vellora";
constexpr char kMarker[] = "KeptThroughUninstall";

// The files the installer lays down, relative to its folder.
const std::vector<std::string> kInstalledFiles = {"Vellora.exe",          "vlx.exe",
                                                  "vlxcheck.exe",         "LibraneCollector.dll",
                                                  "LibraneCollector.htm", "Cnfg\\StringTable.stb"};

std::string Folder(int csidl) {
  char path[MAX_PATH] = "";
  if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
  return path;
}

std::string InstallFolder() { return Folder(CSIDL_LOCAL_APPDATA) + "\\Programs\\Vellora"; }
std::string ShortcutPath() { return Folder(CSIDL_PROGRAMS) + "\\Vellora.lnk"; }
// An install for all users (/ALLUSERS).
std::string MachineInstallFolder() { return Folder(CSIDL_PROGRAM_FILES) + "\\Vellora"; }
std::string MachineShortcutPath() { return Folder(CSIDL_COMMON_PROGRAMS) + "\\Vellora.lnk"; }
std::string DistFile(const char* name) { return ProgramFolder() + "\\..\\dist\\" + name; }

bool KeyExists(HKEY root, const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

// The value's type and bytes (a string without its NUL); type 0 when missing.
std::pair<DWORD, std::string> ReadValue(HKEY root, const std::string& path, const char* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return {0, {}};
  char data[2048] = {};
  DWORD size = sizeof data - 1, type = 0;
  LONG error = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(key);
  if (error != ERROR_SUCCESS) return {0, {}};
  std::string bytes(data, size);
  if (type == REG_SZ && !bytes.empty() && bytes.back() == '\0') bytes.pop_back();
  return {type, bytes};
}

std::string ReadString(HKEY root, const std::string& path, const char* name = nullptr) {
  auto [type, bytes] = ReadValue(root, path, name);
  return type == REG_SZ ? bytes : std::string();
}

void DeleteTree(HKEY root, const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
  char name[256];
  for (;;) {
    DWORD length = sizeof name;
    if (RegEnumKeyExA(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    DeleteTree(root, path + "\\" + name);
  }
  RegCloseKey(key);
  RegDeleteKeyA(root, path.c_str());
}

// Runs a command line and waits for it; answers its exit code.
DWORD RunAndWait(const std::string& commandLine, DWORD timeoutMs = 120000) {
  STARTUPINFOA startup = {sizeof startup};
  PROCESS_INFORMATION process = {};
  std::string line = commandLine;
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return static_cast<DWORD>(-1);
  DWORD code = static_cast<DWORD>(-2);
  if (WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0) GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return code;
}

// The names in a folder and its subfolders, relative to it.
void ListFolder(const std::string& folder, const std::string& prefix, std::vector<std::string>& out) {
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    out.push_back(prefix + name);
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ListFolder(folder + "\\" + name, prefix + name + "\\", out);
  } while (FindNextFileA(find, &found));
  FindClose(find);
}

std::vector<std::string> FolderContents(const std::string& folder) {
  std::vector<std::string> names;
  ListFolder(folder, "", names);
  std::sort(names.begin(), names.end());
  return names;
}

void RemoveFolder(const std::string& folder) {
  std::vector<std::string> names = FolderContents(folder);
  for (auto it = names.rbegin(); it != names.rend(); ++it) {
    std::string path = folder + "\\" + *it;
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!DeleteFileA(path.c_str())) RemoveDirectoryA(path.c_str());
  }
  RemoveDirectoryA(folder.c_str());
}

// What the shortcut starts, read through the shell.
std::string ShortcutTarget(const std::string& link) {
  ComPtr<IShellLinkA> shortcut;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, shortcut.PutVoid())))
    return {};
  ComPtr<IPersistFile> file;
  if (FAILED(shortcut->QueryInterface(IID_IPersistFile, file.PutVoid()))) return {};
  std::wstring wide(link.begin(), link.end());
  if (FAILED(file->Load(wide.c_str(), STGM_READ))) return {};
  char target[MAX_PATH] = "";
  if (FAILED(shortcut->GetPath(target, MAX_PATH, nullptr, 0))) return {};
  return target;
}

// The program file of the process behind a window.
std::string ProcessImage(HWND window, DWORD* pid = nullptr) {
  DWORD id = 0;
  GetWindowThreadProcessId(window, &id);
  if (pid) *pid = id;
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id);
  if (!process) return {};
  char path[MAX_PATH] = "";
  GetModuleFileNameExA(process, nullptr, path, MAX_PATH);
  CloseHandle(process);
  return path;
}

bool SamePath(const std::string& a, const std::string& b) {
  char longA[MAX_PATH] = "", longB[MAX_PATH] = "";
  GetLongPathNameA(a.c_str(), longA, MAX_PATH);
  GetLongPathNameA(b.c_str(), longB, MAX_PATH);
  return lstrcmpiA(longA[0] ? longA : a.c_str(), longB[0] ? longB : b.c_str()) == 0;
}

// Closes the program's main window and waits for its process to end.
bool CloseProgram(HWND window, DWORD pid) {
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
  PostMessageA(window, WM_CLOSE, 0, 0);
  bool ended = process && WaitForSingleObject(process, 30000) == WAIT_OBJECT_0;
  if (process) CloseHandle(process);
  return ended;
}

bool MakeLibrary(const std::string& path) {
  DeleteFileA(path.c_str());
  return RunAndWait("\"" + ProgramFolder() + "\\MakeSampleLibrary.exe\" \"" + path + "\"") == 0 && FileExists(path);
}

// The collector's class keys as a registration for this user puts them.
std::string UserPlace(const RegistryEntry& entry) {
  return entry.root == HKEY_CLASSES_ROOT ? std::string("Software\\Classes\\") + entry.key : entry.key;
}

// Leftovers of an earlier run that broke off, so that this one starts clean.
void RemoveEarlierInstall() {
  std::string folder = InstallFolder();
  if (FileExists(folder + "\\Uninstall.exe")) RemoveFolder(folder);
  DeleteFileA(ShortcutPath().c_str());
  DeleteTree(HKEY_CURRENT_USER, kUninstallKey);
  DeleteTree(HKEY_CURRENT_USER, kExtensionKey);
  DeleteTree(HKEY_CURRENT_USER, kProgIdKey);
  RemoveRegistryTable(RegistrationTable(), RegistrationScope::User);
  folder = MachineInstallFolder();
  if (FileExists(folder + "\\Uninstall.exe")) RemoveFolder(folder);
  DeleteFileA(MachineShortcutPath().c_str());
  for (const char* key : {kUninstallKey, kExtensionKey, kProgIdKey}) DeleteTree(HKEY_LOCAL_MACHINE, key);
  RemoveRegistryTable(RegistrationTable(), RegistrationScope::Machine);
}

class Shipped : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(FindWindowA("VELLORA_SYSTEM", nullptr), nullptr) << "a Vellora left running by another test";
    ResetProgramRegistry();
  }
  // A test that broke off leaves neither a program running nor an install
  // whose classes would stand in front of the collector tests' registration.
  void TearDown() override {
    if (HWND left = FindWindowA("VELLORA_SYSTEM", nullptr)) {
      DWORD pid = 0;
      GetWindowThreadProcessId(left, &pid);
      if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid)) {
        TerminateProcess(process, 99);
        WaitForSingleObject(process, 5000);
        CloseHandle(process);
      }
    }
    RemoveEarlierInstall();
    ResetProgramRegistry();
  }
};

TEST_F(Shipped, SilentInstallOpensLibrariesAndUninstallLeavesOnlyTheUsersOwn) {
  RemoveEarlierInstall();
  const std::string folder = InstallFolder();
  ASSERT_FALSE(FileExists(folder));
  std::string setup = DistFile("VelloraSetup.exe");
  ASSERT_TRUE(FileExists(setup)) << setup;

  ASSERT_EQ(RunAndWait("\"" + setup + "\" /S"), 0u);

  // The files, each the one the build made.
  for (const std::string& name : kInstalledFiles) {
    std::string installed = folder + "\\" + name;
    ASSERT_TRUE(FileExists(installed)) << installed;
    EXPECT_EQ(ReadWholeFile(installed), ReadWholeFile(ProgramFolder() + "\\" + name)) << name;
  }
  ASSERT_TRUE(FileExists(folder + "\\Uninstall.exe"));
  EXPECT_TRUE(SamePath(ShortcutTarget(ShortcutPath()), folder + "\\Vellora.exe")) << ShortcutPath();

  // Library files belong to the installed program, with its icon.
  const std::string program = folder + "\\Vellora.exe";
  EXPECT_EQ(ReadString(HKEY_CURRENT_USER, kExtensionKey), "Vellora.Library");
  EXPECT_EQ(ReadString(HKEY_CURRENT_USER, std::string(kProgIdKey) + "\\DefaultIcon"), program + ",0");
  EXPECT_EQ(ReadString(HKEY_CURRENT_USER, std::string(kProgIdKey) + "\\shell\\open\\command"),
            "\"" + program + "\" \"%1\"");
  EXPECT_EQ(ReadString(HKEY_CURRENT_USER, kUninstallKey, "InstallLocation"), folder);
  std::string quietUninstall = ReadString(HKEY_CURRENT_USER, kUninstallKey, "QuietUninstallString");
  EXPECT_EQ(quietUninstall, "\"" + folder + "\\Uninstall.exe\" /S");

  // The collector's table, line by line, for this user and this folder.
  RegistrationTokens tokens{folder + "\\LibraneCollector.dll", folder + "\\LibraneCollector.htm"};
  for (const RegistryEntry& entry : RegistrationTable()) {
    std::string key = UserPlace(entry);
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, key)) << key;
    if (entry.kind == ValueKind::None) continue;
    auto [type, bytes] = ReadValue(HKEY_CURRENT_USER, key, entry.valueName);
    if (entry.kind == ValueKind::Dword) {
      ASSERT_EQ(type, static_cast<DWORD>(REG_DWORD)) << key;
      DWORD number = 0;
      std::memcpy(&number, bytes.data(), sizeof number);
      EXPECT_EQ(number, entry.number) << key;
    } else {
      EXPECT_EQ(type, static_cast<DWORD>(REG_SZ)) << key;
      EXPECT_EQ(bytes, ExpandTokens(entry.text, tokens)) << key << " " << (entry.valueName ? entry.valueName : "");
    }
  }

  // A library opened from its file starts the installed program on it. A
  // system whose HKEY_CLASSES_ROOT does not show the user's classes (older
  // Wine) cannot open it through the shell; the registered command is run
  // as the shell would run it then.
  TempDir work;
  std::string library = work.File("Opened from the shell.vlx");
  ASSERT_TRUE(MakeLibrary(library));
  if (ReadString(HKEY_CLASSES_ROOT, ".vlx") == "Vellora.Library") {
    ASSERT_GT(
        reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "open", library.c_str(), nullptr, nullptr, SW_SHOWNORMAL)),
        32);
  } else {
    std::printf("HKEY_CLASSES_ROOT does not show the user's classes: running the open command itself\n");
    std::string command = ReadString(HKEY_CURRENT_USER, std::string(kProgIdKey) + "\\shell\\open\\command");
    size_t at = command.find("%1");
    ASSERT_NE(at, std::string::npos);
    command.replace(at, 2, library);
    STARTUPINFOA startup = {sizeof startup};
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &process));
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
  }
  HWND main = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (main = FindWindowA("VELLORA_SYSTEM", nullptr)) && IsWindowVisible(main); }));
  DWORD pid = 0;
  EXPECT_TRUE(SamePath(ProcessImage(main, &pid), program)) << ProcessImage(main);
  ASSERT_TRUE(CloseProgram(main, pid));
  std::vector<std::string> recent = RecentLibraries();
  ASSERT_FALSE(recent.empty());
  EXPECT_TRUE(SamePath(recent.front(), library)) << recent.front();

  // What the user keeps: the settings, and a library saved in the folder.
  HKEY settings = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &settings,
                            nullptr),
            ERROR_SUCCESS);
  DWORD one = 1;
  RegSetValueExA(settings, kMarker, 0, REG_DWORD, reinterpret_cast<BYTE*>(&one), sizeof one);
  RegCloseKey(settings);
  std::string kept = folder + "\\Kept.vlx";
  ASSERT_TRUE(MakeLibrary(kept));

  // The uninstaller as the program list runs it; it goes on from a copy of
  // itself, so what it leaves is looked at once its entry is gone.
  ASSERT_EQ(RunAndWait(quietUninstall), 0u);
  ASSERT_TRUE(WaitUntil([&] { return !KeyExists(HKEY_CURRENT_USER, kUninstallKey); }, 60000));
  EXPECT_TRUE(WaitUntil([&] { return !FileExists(folder + "\\Uninstall.exe"); }, 20000));

  EXPECT_EQ(FolderContents(folder), std::vector<std::string>{"Kept.vlx"});
  EXPECT_FALSE(FileExists(ShortcutPath()));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kExtensionKey));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kProgIdKey));
  for (const RegistryEntry& entry : RegistrationTable()) {
    if (entry.rule != KeyRule::Kept) {
      EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, UserPlace(entry))) << UserPlace(entry);
    }
  }
  EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, kSettingsKey, kMarker).first, static_cast<DWORD>(REG_DWORD));

  DeleteFileA(kept.c_str());
  RemoveDirectoryA(folder.c_str());
}

// With /ALLUSERS the same install is the machine's: Program Files, the
// common Start menu, the file type and the collector's table machine-wide,
// nothing of it in the user's part of the registry; and its uninstaller,
// run from the machine's program list, takes all of it away again.
TEST_F(Shipped, AnInstallForAllUsersIsTheMachinesAndItsUninstallTakesItAway) {
  RemoveEarlierInstall();
  const std::string folder = MachineInstallFolder();
  ASSERT_FALSE(FileExists(folder + "\\Uninstall.exe"));
  ASSERT_EQ(RunAndWait("\"" + DistFile("VelloraSetup.exe") + "\" /S /ALLUSERS"), 0u);

  for (const std::string& name : kInstalledFiles) EXPECT_TRUE(FileExists(folder + "\\" + name)) << name;
  EXPECT_TRUE(SamePath(ShortcutTarget(MachineShortcutPath()), folder + "\\Vellora.exe")) << MachineShortcutPath();
  EXPECT_FALSE(FileExists(ShortcutPath()));
  EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kExtensionKey), "Vellora.Library");
  EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, std::string(kProgIdKey) + "\\shell\\open\\command"),
            "\"" + folder + "\\Vellora.exe\" \"%1\"");
  for (const char* key : {kUninstallKey, kExtensionKey, kProgIdKey}) EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, key));
  const std::string quietUninstall = ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "QuietUninstallString");
  EXPECT_EQ(quietUninstall, "\"" + folder + "\\Uninstall.exe\" /S");
  for (const RegistryEntry& entry : RegistrationTable()) {
    const auto [machineRoot, machineKey] = EntryPlace(entry, RegistrationScope::Machine);
    const auto [userRoot, userKey] = EntryPlace(entry, RegistrationScope::User);
    EXPECT_TRUE(KeyExists(machineRoot, machineKey)) << machineKey;
    if (entry.rule != KeyRule::Kept && (userRoot != machineRoot || userKey != machineKey)) {
      EXPECT_FALSE(KeyExists(userRoot, userKey)) << userKey;
    }
  }

  ASSERT_EQ(RunAndWait(quietUninstall), 0u);
  ASSERT_TRUE(WaitUntil([&] { return !KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey); }, 60000));
  EXPECT_TRUE(WaitUntil([&] { return !FileExists(folder); }, 20000)) << folder;
  EXPECT_FALSE(FileExists(MachineShortcutPath()));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kExtensionKey));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kProgIdKey));
  for (const RegistryEntry& entry : RegistrationTable()) {
    if (entry.rule == KeyRule::Kept) continue;
    const auto [root, key] = EntryPlace(entry, RegistrationScope::Machine);
    EXPECT_FALSE(KeyExists(root, key)) << key;
  }
}

// The zip, unpacked by the test's set-up into a folder with a space in its
// name, runs from there and registers nothing.
TEST_F(Shipped, PortableZipRunsWhereItWasUnpackedAndRegistersNothing) {
  RemoveEarlierInstall();
  std::string folder = ProgramFolder() + "\\..\\portable run\\Any folder\\Vellora";
  ASSERT_TRUE(FileExists(folder + "\\Vellora.exe")) << folder;
  for (const std::string& name : kInstalledFiles) EXPECT_TRUE(FileExists(folder + "\\" + name)) << name;

  TempDir work;
  std::string library = work.File("Portable.vlx");
  ASSERT_TRUE(MakeLibrary(library));
  VelloraProcess vellora;
  ASSERT_TRUE(vellora.Start("\"" + library + "\"", folder + "\\Vellora.exe"));
  HWND main = vellora.WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  PostMessageA(main, WM_CLOSE, 0, 0);
  DWORD code = 0;
  ASSERT_TRUE(vellora.WaitForExit(30000, code));

  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kExtensionKey));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kProgIdKey));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kUninstallKey));
  for (const RegistryEntry& entry : RegistrationTable()) {
    if (entry.root == HKEY_CLASSES_ROOT && entry.rule != KeyRule::Kept) {
      EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, UserPlace(entry))) << UserPlace(entry);
    }
  }
}

}  // namespace

namespace {

// The program as shipped asks for the visual-style controls and declares
// that it scales itself, so the system neither draws old-style controls nor
// stretches its windows into a blur.
TEST(ShippedManifest, TheProgramAsksForCommonControls6AndSaysItScalesWithTheDpi) {
  std::string program = ProgramFolder() + "\\..\\portable run\\Any folder\\Vellora\\Vellora.exe";
  HMODULE image = LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(image, nullptr) << program;
  HRSRC found = FindResourceA(image, MAKEINTRESOURCEA(1), reinterpret_cast<LPCSTR>(RT_MANIFEST));
  ASSERT_NE(found, nullptr);
  std::string manifest(static_cast<const char*>(LockResource(LoadResource(image, found))),
                       SizeofResource(image, found));
  FreeLibrary(image);
  const char* wanted[] = {
      "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
      "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true</dpiAware>",
      "level=\"asInvoker\"",
      "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // 7
      "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // 10 and 11
  };
  for (const char* text : wanted) EXPECT_NE(manifest.find(text), std::string::npos) << text;
}

}  // namespace
