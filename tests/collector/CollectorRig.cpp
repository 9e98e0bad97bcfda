#include "tests/collector/CollectorRig.h"

#include <commctrl.h>
#include <tlhelp32.h>
#include <richedit.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <thread>

#include "platform/ComPtr.h"
#include "tests/TestSupport.h"
#include "tests/e2e/VelloraProcess.h"

using namespace vellora;

namespace vtest {

namespace {

struct OwnWindowSearch {
  const char* caption;
  HWND found;
};

BOOL CALLBACK MatchOwnDialog(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<OwnWindowSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != GetCurrentProcessId() || !IsWindowVisible(window)) return TRUE;
  char cls[64] = "";
  GetClassNameA(window, cls, sizeof cls);
  if (std::strcmp(cls, "#32770") != 0) return TRUE;
  char text[256] = "";
  GetWindowTextA(window, text, sizeof text);
  if (search->caption && std::strcmp(text, search->caption) != 0) return TRUE;
  search->found = window;
  return FALSE;
}

struct RtfSource {
  const std::string* bytes;
  size_t at;
};

DWORD CALLBACK ReadRtf(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* got) {
  auto* source = reinterpret_cast<RtfSource*>(cookie);
  size_t n = std::min(static_cast<size_t>(wanted), source->bytes->size() - source->at);
  std::memcpy(buffer, source->bytes->data() + source->at, n);
  source->at += n;
  *got = static_cast<LONG>(n);
  return 0;
}

DWORD CALLBACK WriteText(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* written) {
  reinterpret_cast<std::string*>(cookie)->append(reinterpret_cast<const char*>(buffer), static_cast<size_t>(size));
  *written = size;
  return 0;
}

HWND FindOwnDialog(const char* caption) {
  OwnWindowSearch search{caption, nullptr};
  EnumWindows(MatchOwnDialog, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string ItemText(HWND tree, HTREEITEM item) {
  char buffer[600] = "";
  TVITEMA data = {};
  data.mask = TVIF_TEXT;
  data.hItem = item;
  data.pszText = buffer;
  data.cchTextMax = sizeof buffer;
  TreeView_GetItem(tree, &data);
  return buffer;
}

HTREEITEM FindChildItem(HWND tree, HTREEITEM parent, const std::string& text) {
  HTREEITEM item = parent ? TreeView_GetChild(tree, parent) : TreeView_GetRoot(tree);
  for (; item; item = TreeView_GetNextSibling(tree, item))
    if (ItemText(tree, item) == text) return item;
  return nullptr;
}

// Walks a storage path below the folder, opened read-only.
bool OpenPath(const StorageHandle& root, const std::string& folder, const std::vector<std::string>& path,
              std::vector<StorageHandle>& opened) {
  opened.clear();
  opened.push_back(root.OpenStorageFor(folder.c_str(), true));
  if (!opened.back()) return false;
  for (const std::string& name : path) {
    opened.push_back(opened.back().OpenStorageFor(name.c_str(), true));
    if (!opened.back()) return false;
  }
  return true;
}

}  // namespace

std::string CollectorDllPath() { return ProgramFolder() + "\\LibraneCollector.dll"; }

DWORD RunRegsvr32(bool unregister, const char* options) {
  std::string commandLine = std::string("regsvr32.exe ") + (unregister ? "/u " : "") + options + "/s \"" +
                            CollectorDllPath() + "\"";
  STARTUPINFOA startup = {sizeof startup};
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return static_cast<DWORD>(-1);
  WaitForSingleObject(process.hProcess, 60000);
  DWORD code = static_cast<DWORD>(-1);
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return code;
}

HRESULT TransmitWhileUser(const std::shared_ptr<TestPage>& page, const std::function<void()>& user,
                          const char* progId) {
  CLSID clsid;
  std::wstring wideProgId(progId, progId + std::strlen(progId));
  HRESULT hr = CLSIDFromProgID(wideProgId.c_str(), &clsid);
  if (FAILED(hr)) return hr;
  ComPtr<IDispatch> collector;
  hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, collector.PutVoid());
  if (FAILED(hr)) return hr;
  LPOLESTR name = const_cast<LPOLESTR>(L"TransmitHtmlDocument");
  DISPID id = 0;
  hr = collector->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr)) return hr;
  if (id != 1) return E_UNEXPECTED;

  IDispatch* document = page ? CreateTestDocument(page) : nullptr;
  RunWhileUser(
      [&] {
        VARIANT argument;
        VariantInit(&argument);
        argument.vt = VT_DISPATCH;
        argument.pdispVal = document;
        DISPPARAMS params = {&argument, nullptr, 1, 0};
        VARIANT result;
        VariantInit(&result);
        hr = collector->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result, nullptr,
                               nullptr);
        VariantClear(&result);
      },
      user);
  if (document) document->Release();
  return hr;
}

void RunWhileUser(const std::function<void()>& call, const std::function<void()>& user) {
  std::atomic<bool> finished{false};
  std::thread userThread([&] {
    user();
    // Leave nothing open behind a failed expectation: the call must return.
    for (int i = 0; i < 50 && !finished; ++i) {
      if (HWND box = FindOwnDialog(nullptr)) {
        char text[64] = "";
        GetWindowTextA(box, text, sizeof text);
        PostMessageA(box, WM_COMMAND, std::strcmp(text, "Save to") == 0 ? IDCANCEL : IDNO, 0);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
      }
      Sleep(100);
    }
  });
  call();
  finished = true;
  userThread.join();
}

HWND WaitForOwnDialog(const char* caption, DWORD timeoutMs) {
  HWND found = nullptr;
  WaitUntil([&] { return (found = FindOwnDialog(caption)) != nullptr; }, timeoutMs);
  return found;
}

bool WaitUntilGone(HWND window, DWORD timeoutMs) {
  return WaitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); }, timeoutMs);
}

std::string AnswerMessage(const char* caption, int button, DWORD timeoutMs) {
  HWND box = WaitForOwnDialog(caption, timeoutMs);
  if (!box) return {};
  char text[1024] = "";
  GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
  WaitUntilGone(box);
  return text;
}

bool SelectNode(HWND dialog, const std::vector<std::string>& path) {
  HWND tree = GetDlgItem(dialog, 201);
  HTREEITEM item = nullptr;
  for (const std::string& text : path) {
    item = FindChildItem(tree, item, text);
    if (!item) return false;
  }
  return item && TreeView_SelectItem(tree, item);
}

std::vector<std::string> TopLevelTexts(HWND dialog) {
  HWND tree = GetDlgItem(dialog, 201);
  std::vector<std::string> texts;
  for (HTREEITEM item = TreeView_GetRoot(tree); item; item = TreeView_GetNextSibling(tree, item))
    texts.push_back(ItemText(tree, item));
  return texts;
}

void ClickRadio(HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

void PressButton(HWND dialog, int id) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void SetControlText(HWND dialog, int id, const std::string& text) { SetDlgItemTextA(dialog, id, text.c_str()); }

std::string ControlText(HWND dialog, int id) {
  char text[1024] = "";
  GetDlgItemTextA(dialog, id, text, sizeof text);
  return text;
}

std::string Rtf(const std::string& text, bool bold) {
  return std::string("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fnil Tahoma;}}\\pard\\f0\\fs20") + (bold ? "\\b " : " ") +
         text + (bold ? "\\b0" : "") + "\\par\r\n}\r\n";
}

std::string PlainTextOfRtf(const std::string& rtf, long boldProbe, bool* boldAtProbe) {
  HMODULE library = LoadLibraryA("RICHED20.DLL");
  HWND edit = CreateWindowExA(0, "RichEdit20A", "", ES_MULTILINE, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  SendMessageA(edit, EM_EXLIMITTEXT, 0, static_cast<LPARAM>(rtf.size() + 1024));
  // Read as the program's text view reads: its default face is not bold.
  CHARFORMAT2A plain = {};
  plain.cbSize = sizeof plain;
  plain.dwMask = CFM_BOLD | CFM_WEIGHT;
  plain.wWeight = FW_NORMAL;
  SendMessageA(edit, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&plain));
  RtfSource source{&rtf, 0};
  EDITSTREAM stream = {reinterpret_cast<DWORD_PTR>(&source), 0, ReadRtf};
  SendMessageA(edit, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
  // Streamed out as plain text: paragraphs end with CR LF there, with CR in the control.
  std::string streamed;
  EDITSTREAM out = {reinterpret_cast<DWORD_PTR>(&streamed), 0, WriteText};
  SendMessageA(edit, EM_STREAMOUT, SF_TEXT, reinterpret_cast<LPARAM>(&out));
  std::string text;
  for (size_t i = 0; i < streamed.size(); ++i)
    if (!(streamed[i] == '\r' && i + 1 < streamed.size() && streamed[i + 1] == '\n')) text += streamed[i] == '\n' ? '\r' : streamed[i];
  if (boldAtProbe && boldProbe >= 0) {
    CHARRANGE range = {boldProbe, boldProbe + 1};
    SendMessageA(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    CHARFORMAT2A format = {};
    format.cbSize = sizeof format;
    SendMessageA(edit, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    *boldAtProbe = (format.dwMask & CFM_BOLD) && (format.dwEffects & CFE_BOLD);
  }
  DestroyWindow(edit);
  FreeLibrary(library);
  return text;
}

NodeSnapshot ReadLeafFromFile(const std::string& library, const std::string& folder,
                              const std::vector<std::string>& path) {
  NodeSnapshot snapshot;
  StorageHandle root;
  if (FAILED(root.OpenRoot(library.c_str(), kReadMode))) return snapshot;
  std::vector<std::string> parents(path.begin(), path.end() - 1);
  std::vector<StorageHandle> opened;
  if (path.empty() || !OpenPath(root, folder, parents, opened)) return snapshot;
  StreamHandle leaf = opened.back().OpenStreamFor(path.back().c_str(), true);
  if (!leaf) return snapshot;
  snapshot.found = true;
  ReadNodeInfo(leaf, snapshot.record);
  snapshot.content.resize(static_cast<size_t>(leaf.Remaining()));
  ULONG got = 0;
  if (!snapshot.content.empty()) leaf.ReadBytes(snapshot.content.data(), static_cast<ULONG>(snapshot.content.size()), &got);
  snapshot.content.resize(got);
  return snapshot;
}

std::vector<std::pair<std::string, int>> ChildrenInFile(const std::string& library, const std::string& folder,
                                                        const std::vector<std::string>& path) {
  std::vector<std::pair<std::string, int>> children;
  StorageHandle root;
  if (FAILED(root.OpenRoot(library.c_str(), kReadMode))) return children;
  std::vector<StorageHandle> opened;
  if (!OpenPath(root, folder, path, opened)) return children;
  const StorageHandle& parent = opened.back();
  std::vector<std::pair<std::string, DWORD>> names;
  parent.ForEachElement([&](const STATSTG& stat, const std::string& name) {
    names.push_back({name, stat.type});
    return true;
  });
  for (const auto& [name, type] : names) {
    if (IsNodeInfoStreamName(name)) continue;
    NodeInfoRecord record;
    if (type == STGTY_STORAGE) {
      StorageHandle node = parent.OpenStorageFor(name.c_str(), true);
      StreamHandle info = node.OpenStreamFor(kNodeInfoStream, true);
      ReadNodeInfo(info, record);
    } else {
      StreamHandle info = parent.OpenStreamFor(name.c_str(), true);
      ReadNodeInfo(info, record);
    }
    children.push_back({name, record.sequence});
  }
  return children;
}

void EndStrayPrograms() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return;
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    if (lstrcmpiA(entry.szExeFile, "Vellora.exe") != 0) continue;
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID);
    if (!process) continue;
    TerminateProcess(process, 99);
    WaitForSingleObject(process, 5000);
    CloseHandle(process);
  }
  CloseHandle(snapshot);
}

void MakeNewestLibrary(const std::string& path) {
  ResetProgramRegistry();
  SetRecentLibraries({path});
}

}  // namespace vtest
