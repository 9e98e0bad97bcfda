#include "tests/TestSupport.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace vtest {

std::string UniqueName(const char* stem) {
  static LONG counter = 0;
  char buf[128];
  wsprintfA(buf, "%s_%lu_%lu_%ld", stem, GetCurrentProcessId(), GetTickCount(),
            InterlockedIncrement(&counter));
  return buf;
}

static void RemoveTree(const std::string& dir) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::string n = fd.cFileName;
      if (n == "." || n == "..") continue;
      std::string full = dir + "\\" + n;
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(full);
      } else {
        SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(full.c_str());
      }
    } while (FindNextFileA(h, &fd));
    FindClose(h);
  }
  RemoveDirectoryA(dir.c_str());
}

TempDir::TempDir() {
  char tmp[MAX_PATH];
  GetTempPathA(MAX_PATH, tmp);
  path_ = std::string(tmp) + UniqueName("vt");
  CreateDirectoryA(path_.c_str(), nullptr);
}

TempDir::~TempDir() { RemoveTree(path_); }

TempRegistryKey::TempRegistryKey() {
  path_ = "Software\\VelloraTests\\" + UniqueName("key");
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr) == ERROR_SUCCESS)
    RegCloseKey(key);
}

static void DeleteKeyTree(HKEY parent, const std::string& sub) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(parent, sub.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
  char name[256];
  for (;;) {
    DWORD len = sizeof name;
    if (RegEnumKeyExA(key, 0, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    DeleteKeyTree(key, name);
  }
  RegCloseKey(key);
  RegDeleteKeyA(parent, sub.c_str());
}

TempRegistryKey::~TempRegistryKey() { DeleteKeyTree(HKEY_CURRENT_USER, path_); }

bool FileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

long long FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
  return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

namespace {

struct ChildSearch {
  const char* cls;
  HWND found;
};

BOOL CALLBACK MatchChild(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<ChildSearch*>(param);
  char cls[128] = "";
  GetClassNameA(hwnd, cls, sizeof cls);
  if (lstrcmpiA(cls, search->cls) != 0) return TRUE;
  search->found = hwnd;
  return FALSE;
}

}  // namespace

HWND FindChildOfClass(HWND parent, const char* className) {
  ChildSearch search{className, nullptr};
  EnumChildWindows(parent, MatchChild, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string ProgramFolder() {
  char buf[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, buf, MAX_PATH);
  std::string p(buf, n);
  return p.substr(0, p.find_last_of('\\'));
}

std::string SolidBitmapFileBytes(int width, int height, COLORREF color) {
  auto u32 = [](uint32_t v) {
    return std::string{static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                       static_cast<char>(v >> 24)};
  };
  auto u16 = [](uint16_t v) { return std::string{static_cast<char>(v), static_cast<char>(v >> 8)}; };
  const uint32_t row = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
  const uint32_t pixels = row * static_cast<uint32_t>(height);
  std::string bmp = "BM" + u32(14 + 40 + pixels) + u32(0) + u32(14 + 40);
  bmp += u32(40) + u32(static_cast<uint32_t>(width)) + u32(static_cast<uint32_t>(height)) + u16(1) + u16(24) +
         u32(0) + u32(pixels) + u32(2835) + u32(2835) + u32(0) + u32(0);
  std::string line;
  for (int x = 0; x < width; ++x)
    line += std::string{static_cast<char>(GetBValue(color)), static_cast<char>(GetGValue(color)),
                        static_cast<char>(GetRValue(color))};
  line.resize(row, '\0');
  for (int y = 0; y < height; ++y) bmp += line;
  return bmp;
}

COLORREF ScreenPixelNearCorner(HWND window, int inset) {
  RECT client;
  GetClientRect(window, &client);
  POINT at = {client.right - inset, client.bottom - inset};
  ClientToScreen(window, &at);
  HDC screen = GetDC(nullptr);
  COLORREF pixel = GetPixel(screen, at.x, at.y);
  ReleaseDC(nullptr, screen);
  return pixel;
}

void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

}  // namespace vtest
