#pragma once
// Helpers shared by the test programs: private temporary folders and files,
// and throw-away registry keys, so tests never touch a user's data.
#include <windows.h>
#include <string>

namespace vtest {

// A fresh folder under the temporary folder, removed with its files at destruction.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

// A key under HKEY_CURRENT_USER\Software\VelloraTests\<unique>, deleted at destruction.
class TempRegistryKey {
 public:
  TempRegistryKey();
  ~TempRegistryKey();
  TempRegistryKey(const TempRegistryKey&) = delete;
  TempRegistryKey& operator=(const TempRegistryKey&) = delete;
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// A name no other test process uses at the same moment.
std::string UniqueName(const char* stem);

bool FileExists(const std::string& path);
long long FileSize(const std::string& path);
std::string ReadWholeFile(const std::string& path);
bool WriteWholeFile(const std::string& path, const std::string& bytes);

// The bytes of a .bmp file of one colour (24 bits a pixel).
std::string SolidBitmapFileBytes(int width, int height, COLORREF color);

// The first window of the class anywhere below parent (any process).
HWND FindChildOfClass(HWND parent, const char* className);

// The colour on the screen inset pixels in from the bottom-right corner of
// the window's client area (what the user sees there, whoever drew it).
COLORREF ScreenPixelNearCorner(HWND window, int inset = 8);

// Handles every message waiting for this thread's windows.
void Pump();

// The folder of the running test program (where Cnfg\StringTable.stb lies).
std::string ProgramFolder();

}  // namespace vtest
