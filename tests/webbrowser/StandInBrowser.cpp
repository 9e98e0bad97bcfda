// The tests' stand-in for the system's web browser control
// (VelloraStandInBrowser.dll). No browser engine runs under the test prefix,
// so this class registers itself under the web browser's class id and keeps
// a log of what the program asks of it: navigations, history, commands, keys,
// design mode and text searches on a small document of its own. It fires the
// browser's navigation events to connected sinks, paints its address so that
// screenshots show it, and puts the platform's registration back as it was.
#include <windows.h>
#include <ole2.h>
#include <docobj.h>
#include <exdisp.h>
#include <exdispid.h>
#include <mshtml.h>
#include <mshtmhst.h>
#include <ocidl.h>
#include <olectl.h>
#include <shlwapi.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/ComPtr.h"
#include "tests/webbrowser/StandInStubs.h"

using vellora::ComPtr;

namespace {

// The browser's command group (view source is its command 2); the import
// libraries lack it.
const GUID kCommandGroupWebBrowser = {0xed016940, 0xbd5b, 0x11cf, {0xba, 0x4e, 0x00, 0xc0, 0x4f, 0xd7, 0x08, 0x16}};
const CLSID kHtmlDocumentClass = {0x25336920, 0x03f9, 0x11cf, {0x8f, 0xd0, 0x00, 0xaa, 0x00, 0x68, 0x6f, 0x13}};

const wchar_t kServerKey[] = L"CLSID\\{8856F961-340A-11D0-A96B-00C04FD705A2}\\InprocServer32";
const wchar_t kClassKey[] = L"CLSID\\{8856F961-340A-11D0-A96B-00C04FD705A2}";
// What the platform had registered, kept until it is put back (per user, so
// that a run that crashed leaves it for the next one).
const wchar_t kBackupKey[] = L"Software\\VelloraStandInBrowser";
const char kWindowClass[] = "VelloraStandInBrowser";
const char kLogVariable[] = "VELLORA_STANDIN_LOG";
constexpr DWORD kMaxPageBytes = 16 * 1024 * 1024;

HINSTANCE g_module = nullptr;
std::atomic<LONG> g_objects{0};
std::atomic<LONG> g_locks{0};

// A lock held for one scope.
class Guard {
 public:
  explicit Guard(CRITICAL_SECTION& section) : section_(section) { EnterCriticalSection(&section_); }
  ~Guard() { LeaveCriticalSection(&section_); }
  Guard(const Guard&) = delete;
  Guard& operator=(const Guard&) = delete;

 private:
  CRITICAL_SECTION& section_;
};

CRITICAL_SECTION g_logLock;
std::string g_log;
std::string g_logCopy;  // what StandInLog last handed out
LARGE_INTEGER g_navigateTime = {};  // when the last navigation was asked for

// One line into the log, and into the file the environment names: the
// program under test may hold the browser in another process.
void Log(const std::string& line) {
  Guard guard(g_logLock);
  g_log += line + "\n";
  char path[MAX_PATH] = {};
  DWORD n = GetEnvironmentVariableA(kLogVariable, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return;
  HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  const std::string bytes = line + "\n";
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

std::string Ansi(const wchar_t* text, int length = -1) {
  if (!text) return {};
  if (length < 0) length = static_cast<int>(wcslen(text));
  if (length == 0) return {};
  int n = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(CP_ACP, 0, text, length, out.data(), n, nullptr, nullptr);
  return out;
}

std::string Ansi(BSTR text) { return text ? Ansi(text, static_cast<int>(SysStringLen(text))) : std::string(); }

std::wstring Wide(const std::string& text) {
  if (text.empty()) return {};
  int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  return out;
}

HRESULT AnswerText(const std::string& text, BSTR* out) {
  if (!out) return E_POINTER;
  const std::wstring wide = Wide(text);
  *out = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
  return *out ? S_OK : E_OUTOFMEMORY;
}

std::string Lower(std::string text) {
  if (!text.empty()) CharLowerBuffA(text.data(), static_cast<DWORD>(text.size()));
  return text;
}

// ---- the page shown ---------------------------------------------------------------

// What a navigation shows: the page's HTML (a file's own bytes, or a small
// page naming the address), its title and the text a search looks through.
struct Page {
  std::string address;
  std::string title;
  std::string html;
  std::string text;
  size_t foundAt = std::string::npos;  // the last place a search found
  size_t foundLength = 0;
  bool missing = false;  // a file that is not there: the browser shows its error page
};

// Whether an address names a file (a drive path, a share or a file: URL).
bool NamesAFile(const std::string& address) {
  if (address.size() > 5 && Lower(address.substr(0, 5)) == "file:") return true;
  if (address.size() >= 3 && isalpha(static_cast<unsigned char>(address[0])) && address[1] == ':' &&
      (address[2] == '\\' || address[2] == '/'))
    return true;
  return address.compare(0, 2, "\\\\") == 0;
}

// The file an address names, when it is a path or a file: URL.
std::string FilePathOf(const std::string& address) {
  if (address.size() > 5 && Lower(address.substr(0, 5)) == "file:") {
    char path[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    if (SUCCEEDED(PathCreateFromUrlA(address.c_str(), path, &size, 0))) return path;
    return {};
  }
  return address;
}

bool ReadFileBytes(const std::string& path, std::string& bytes) {
  if (path.empty()) return false;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size = {};
  bool ok = GetFileSizeEx(file, &size) && size.QuadPart <= kMaxPageBytes;
  if (ok) {
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    ok = bytes.empty() || (ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) &&
                           got == bytes.size());
  }
  CloseHandle(file);
  return ok;
}

std::string Trim(const std::string& text) {
  const char* space = " \t\r\n";
  size_t first = text.find_first_not_of(space);
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(space) - first + 1);
}

// The body's text: tags dropped, the few common entities read.
std::string TextOf(const std::string& html) {
  const std::string lower = Lower(html);
  size_t from = lower.find("<body");
  if (from == std::string::npos) from = 0;
  std::string text;
  bool inTag = false;
  for (size_t i = from; i < html.size(); ++i) {
    char c = html[i];
    if (inTag) {
      if (c == '>') inTag = false;
    } else if (c == '<') {
      inTag = true;
    } else if (c == '&') {
      static const std::pair<const char*, char> kEntities[] = {
          {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&nbsp;", ' '}};
      bool read = false;
      for (const auto& [name, value] : kEntities) {
        size_t n = strlen(name);
        if (lower.compare(i, n, name) == 0) {
          text += value;
          i += n - 1;
          read = true;
          break;
        }
      }
      if (!read) text += c;
    } else {
      text += c;
    }
  }
  return text;
}

std::shared_ptr<Page> LoadPage(const std::string& address) {
  auto page = std::make_shared<Page>();
  page->address = address;
  page->title = address;
  std::string bytes;
  if (ReadFileBytes(FilePathOf(address), bytes)) {
    page->html = bytes;
    const std::string lower = Lower(bytes);
    size_t open = lower.find("<title");
    size_t start = open == std::string::npos ? open : lower.find('>', open);
    size_t end = start == std::string::npos ? start : lower.find("</title", start);
    if (end != std::string::npos) page->title = Trim(bytes.substr(start + 1, end - start - 1));
    page->text = TextOf(bytes);
  } else {
    page->html = "<html><body>" + address + "</body></html>";
    page->text = address;
    page->missing = NamesAFile(address);
  }
  return page;
}

// ---- the document's parts: a text range, the selection, the body -----------------

// IDispatch without type information, shared by the stand-in's objects.
#define STANDIN_NO_TYPE_INFO                                                                        \
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {                                             \
    if (count) *count = 0;                                                                          \
    return S_OK;                                                                                    \
  }                                                                                                 \
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** out) override {                                  \
    if (out) *out = nullptr;                                                                        \
    return E_NOTIMPL;                                                                               \
  }                                                                                                 \
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; } \
  STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override { \
    return DISP_E_MEMBERNOTFOUND;                                                                   \
  }

#define STANDIN_REFERENCES                                      \
  STDMETHODIMP_(ULONG) AddRef() override { return ++references_; } \
  STDMETHODIMP_(ULONG) Release() override {                     \
    ULONG left = --references_;                                 \
    if (left == 0) delete this;                                 \
    return left;                                                \
  }

template <class Self, class Main>
HRESULT Answer(Self* self, Main* as, void** out) {
  *out = as;
  self->AddRef();
  return S_OK;
}

class TextRange : public standin::HtmlTxtRangeStubs {
 public:
  TextRange(std::shared_ptr<Page> page, size_t start, size_t end, bool found)
      : page_(std::move(page)), start_(start), end_(end), found_(found) {
    ++g_objects;
  }

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IHTMLTxtRange)
      return Answer(this, static_cast<IHTMLTxtRange*>(this), out);
    return E_NOINTERFACE;
  }
  STANDIN_REFERENCES
  STANDIN_NO_TYPE_INFO

  STDMETHODIMP get_text(BSTR* out) override {
    return AnswerText(page_->text.substr(std::min(start_, page_->text.size()), end_ - start_), out);
  }
  STDMETHODIMP collapse(VARIANT_BOOL toStart) override {
    if (toStart) end_ = start_;
    else start_ = end_;
    found_ = false;
    return S_OK;
  }
  STDMETHODIMP duplicate(IHTMLTxtRange** out) override {
    if (!out) return E_POINTER;
    *out = new TextRange(page_, start_, end_, found_);
    return S_OK;
  }
  STDMETHODIMP select() override {
    Log("select");
    return S_OK;
  }
  STDMETHODIMP scrollIntoView(VARIANT_BOOL) override { return S_OK; }
  // Searches from the range's start, or just after it when the range holds
  // what the last search found, so that searching again finds the next place.
  STDMETHODIMP findText(BSTR text, LONG, LONG flags, VARIANT_BOOL* success) override {
    if (!success) return E_POINTER;
    *success = VARIANT_FALSE;
    const std::string needle = Ansi(text);
    Log("find " + needle);
    if (needle.empty()) return S_OK;
    const bool matchCase = (flags & 4) != 0;
    const std::string haystack = matchCase ? page_->text : Lower(page_->text);
    const size_t from = found_ ? start_ + 1 : start_;
    if (from > haystack.size()) return S_OK;
    size_t at = haystack.find(matchCase ? needle : Lower(needle), from);
    if (at == std::string::npos) return S_OK;
    start_ = at;
    end_ = at + needle.size();
    found_ = true;
    page_->foundAt = at;
    page_->foundLength = needle.size();
    *success = VARIANT_TRUE;
    return S_OK;
  }

 private:
  virtual ~TextRange() { --g_objects; }
  std::atomic<ULONG> references_{1};
  std::shared_ptr<Page> page_;
  size_t start_, end_;
  bool found_;
};

class Selection : public standin::HtmlSelectionObjectStubs {
 public:
  explicit Selection(std::shared_ptr<Page> page) : page_(std::move(page)) { ++g_objects; }

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IHTMLSelectionObject)
      return Answer(this, static_cast<IHTMLSelectionObject*>(this), out);
    return E_NOINTERFACE;
  }
  STANDIN_REFERENCES
  STANDIN_NO_TYPE_INFO

  // A range over the last found place (an empty one at the start when nothing was found).
  STDMETHODIMP createRange(IDispatch** out) override {
    if (!out) return E_POINTER;
    const bool found = page_->foundAt != std::string::npos;
    const size_t at = found ? page_->foundAt : 0;
    *out = new TextRange(page_, at, at + (found ? page_->foundLength : 0), found);
    return S_OK;
  }
  STDMETHODIMP empty() override {
    page_->foundAt = std::string::npos;
    return S_OK;
  }
  STDMETHODIMP get_type(BSTR* out) override {
    return AnswerText(page_->foundAt != std::string::npos ? "Text" : "None", out);
  }

 private:
  virtual ~Selection() { --g_objects; }
  std::atomic<ULONG> references_{1};
  std::shared_ptr<Page> page_;
};

class Body : public standin::HtmlElementStubs, public standin::HtmlBodyElementStubs {
 public:
  explicit Body(std::shared_ptr<Page> page) : page_(std::move(page)) { ++g_objects; }

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IHTMLElement)
      return Answer(this, static_cast<IHTMLElement*>(this), out);
    if (iid == IID_IHTMLBodyElement) return Answer(this, static_cast<IHTMLBodyElement*>(this), out);
    return E_NOINTERFACE;
  }
  STANDIN_REFERENCES
  STANDIN_NO_TYPE_INFO

  STDMETHODIMP get_tagName(BSTR* out) override { return AnswerText("BODY", out); }
  STDMETHODIMP get_innerText(BSTR* out) override { return AnswerText(page_->text, out); }
  STDMETHODIMP createTextRange(IHTMLTxtRange** out) override {
    if (!out) return E_POINTER;
    *out = new TextRange(page_, 0, page_->text.size(), false);
    return S_OK;
  }

 private:
  virtual ~Body() { --g_objects; }
  std::atomic<ULONG> references_{1};
  std::shared_ptr<Page> page_;
};

// The document of one shown page.
class Document : public standin::HtmlDocumentStubs, public IPersistStreamInit {
 public:
  explicit Document(std::shared_ptr<Page> page) : page_(std::move(page)) { ++g_objects; }

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IHTMLDocument || iid == IID_IHTMLDocument2)
      return Answer(this, static_cast<IHTMLDocument2*>(this), out);
    if (iid == IID_IPersist || iid == IID_IPersistStreamInit)
      return Answer(this, static_cast<IPersistStreamInit*>(this), out);
    return E_NOINTERFACE;
  }
  STANDIN_REFERENCES
  STANDIN_NO_TYPE_INFO

  // IHTMLDocument2
  STDMETHODIMP get_body(IHTMLElement** out) override {
    if (!out) return E_POINTER;
    *out = new Body(page_);
    return S_OK;
  }
  STDMETHODIMP get_selection(IHTMLSelectionObject** out) override {
    if (!out) return E_POINTER;
    *out = new Selection(page_);
    return S_OK;
  }
  STDMETHODIMP get_title(BSTR* out) override { return AnswerText(page_->title, out); }
  STDMETHODIMP get_URL(BSTR* out) override { return AnswerText(page_->address, out); }
  STDMETHODIMP get_readyState(BSTR* out) override { return AnswerText("complete", out); }
  STDMETHODIMP put_designMode(BSTR mode) override {
    designMode_ = Ansi(mode);
    Log("designmode " + designMode_);
    return S_OK;
  }
  STDMETHODIMP get_designMode(BSTR* out) override { return AnswerText(designMode_, out); }

  // IPersistStreamInit: the page's HTML.
  STDMETHODIMP GetClassID(CLSID* out) override {
    if (!out) return E_POINTER;
    *out = kHtmlDocumentClass;
    return S_OK;
  }
  STDMETHODIMP IsDirty() override { return S_FALSE; }
  STDMETHODIMP Load(LPSTREAM) override { return E_NOTIMPL; }
  STDMETHODIMP Save(LPSTREAM stream, BOOL) override {
    if (!stream) return E_POINTER;
    ULONG written = 0;
    HRESULT hr = stream->Write(page_->html.data(), static_cast<ULONG>(page_->html.size()), &written);
    if (SUCCEEDED(hr) && written != page_->html.size()) hr = STG_E_MEDIUMFULL;
    return hr;
  }
  STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override {
    if (!size) return E_POINTER;
    size->QuadPart = page_->html.size();
    return S_OK;
  }
  STDMETHODIMP InitNew() override { return S_OK; }

 private:
  virtual ~Document() { --g_objects; }
  std::atomic<ULONG> references_{1};
  std::shared_ptr<Page> page_;
  std::string designMode_ = "Inherit";
};

// ---- the browser --------------------------------------------------------------------

bool Given(const VARIANT* value) {
  if (!value) return false;
  if (value->vt == (VT_BYREF | VT_VARIANT)) return Given(value->pvarVal);
  switch (value->vt) {
    case VT_EMPTY:
    case VT_ERROR:  // an optional argument left out
    case VT_NULL:
      return false;
    case VT_BSTR:
      return value->bstrVal && SysStringLen(value->bstrVal) > 0;
    case VT_BSTR | VT_BYREF:
      return value->pbstrVal && *value->pbstrVal && SysStringLen(*value->pbstrVal) > 0;
    default:
      if (value->vt & VT_ARRAY) {
        SAFEARRAY* array = (value->vt & VT_BYREF) ? (value->pparray ? *value->pparray : nullptr) : value->parray;
        LONG low = 0, high = -1;
        return array && SUCCEEDED(SafeArrayGetLBound(array, 1, &low)) &&
               SUCCEEDED(SafeArrayGetUBound(array, 1, &high)) && high >= low;
      }
      return true;
  }
}

bool AddressOf(const VARIANT* value, std::string& address) {
  if (!value) return false;
  if (value->vt == (VT_BYREF | VT_VARIANT)) return AddressOf(value->pvarVal, address);
  if (value->vt == VT_BSTR) address = Ansi(value->bstrVal);
  else if (value->vt == (VT_BSTR | VT_BYREF) && value->pbstrVal) address = Ansi(*value->pbstrVal);
  else return false;
  return true;
}

class Browser;

// The browser's one connection point, for its navigation events. It lives
// inside the browser and counts references with it.
class EventsPoint : public IConnectionPoint {
 public:
  explicit EventsPoint(Browser& browser) : browser_(browser) { InitializeCriticalSection(&lock_); }
  ~EventsPoint() {
    for (auto& sink : sinks_) sink.second->Release();
    DeleteCriticalSection(&lock_);
  }

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IConnectionPoint) return E_NOINTERFACE;
    return Answer(this, static_cast<IConnectionPoint*>(this), out);
  }
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  STDMETHODIMP GetConnectionInterface(IID* out) override {
    if (!out) return E_POINTER;
    *out = DIID_DWebBrowserEvents2;
    return S_OK;
  }
  STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** out) override;
  STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override {
    if (!sink || !cookie) return E_POINTER;
    *cookie = 0;
    IDispatch* events = nullptr;
    if (FAILED(sink->QueryInterface(DIID_DWebBrowserEvents2, reinterpret_cast<void**>(&events))) || !events) {
      if (FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&events))) || !events)
        return CONNECT_E_CANNOTCONNECT;
    }
    Guard guard(lock_);
    *cookie = ++lastCookie_;
    sinks_.emplace_back(*cookie, events);
    Log("events connected");
    return S_OK;
  }
  STDMETHODIMP Unadvise(DWORD cookie) override {
    IDispatch* gone = nullptr;
    {
      Guard guard(lock_);
      auto it = std::find_if(sinks_.begin(), sinks_.end(), [cookie](const auto& s) { return s.first == cookie; });
      if (it == sinks_.end()) return CONNECT_E_NOCONNECTION;
      gone = it->second;
      sinks_.erase(it);
    }
    Log("events disconnected");
    gone->Release();
    return S_OK;
  }
  STDMETHODIMP EnumConnections(IEnumConnections** out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }

  // Calls every connected sink, on the calling thread; the arguments are in
  // the order IDispatch wants them (the last one first).
  void Fire(DISPID id, VARIANTARG* arguments, UINT count) {
    std::vector<ComPtr<IDispatch>> sinks;
    {
      Guard guard(lock_);
      for (auto& sink : sinks_) {
        sink.second->AddRef();
        sinks.emplace_back(sink.second);
      }
    }
    for (auto& sink : sinks) {
      DISPPARAMS params = {arguments, nullptr, count, 0};
      sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    }
  }


 private:
  CRITICAL_SECTION lock_;
  Browser& browser_;
  DWORD lastCookie_ = 0;
  std::vector<std::pair<DWORD, IDispatch*>> sinks_;
};

LRESULT CALLBACK BrowserWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

class Browser : public standin::WebBrowserStubs,
                public IOleObject,
                public IOleInPlaceObject,
                public IOleInPlaceActiveObject,
                public IOleCommandTarget,
                public IPersistStreamInit,
                public IConnectionPointContainer {
 public:
  Browser() : owner_(GetCurrentThreadId()), events_(*this) {
    InitializeCriticalSection(&lock_);
    ++g_objects;
  }

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IWebBrowser || iid == IID_IWebBrowserApp ||
        iid == IID_IWebBrowser2)
      return Answer(this, static_cast<IWebBrowser2*>(this), out);
    if (iid == IID_IOleObject) return Answer(this, static_cast<IOleObject*>(this), out);
    if (iid == IID_IOleWindow || iid == IID_IOleInPlaceObject)
      return Answer(this, static_cast<IOleInPlaceObject*>(this), out);
    if (iid == IID_IOleInPlaceActiveObject) return Answer(this, static_cast<IOleInPlaceActiveObject*>(this), out);
    if (iid == IID_IOleCommandTarget) return Answer(this, static_cast<IOleCommandTarget*>(this), out);
    if (iid == IID_IPersist || iid == IID_IPersistStreamInit)
      return Answer(this, static_cast<IPersistStreamInit*>(this), out);
    if (iid == IID_IConnectionPointContainer) return Answer(this, static_cast<IConnectionPointContainer*>(this), out);
    return E_NOINTERFACE;
  }
  STANDIN_REFERENCES
  STANDIN_NO_TYPE_INFO

  // The address the window paints (read on the window's thread).
  std::string Address() {
    Guard guard(lock_);
    return page_ ? page_->address : std::string();
  }
  bool ShowsErrorPage() {
    Guard guard(lock_);
    return page_ && page_->missing;
  }
  void UIActivate();

  // ---- IWebBrowser / IWebBrowserApp / IWebBrowser2 ----
  STDMETHODIMP GoBack() override {
    Log("back");
    return Move(-1);
  }
  STDMETHODIMP GoForward() override {
    Log("forward");
    return Move(+1);
  }
  STDMETHODIMP Navigate(BSTR url, VARIANT* flags, VARIANT* target, VARIANT* postData, VARIANT* headers) override {
    VARIANT address;
    address.vt = VT_BSTR;
    address.bstrVal = url;
    return Navigate2(&address, flags, target, postData, headers);
  }
  STDMETHODIMP Navigate2(VARIANT* url, VARIANT* flags, VARIANT* target, VARIANT* postData,
                         VARIANT* headers) override {
    std::string address;
    if (!AddressOf(url, address)) {
      Log("navigate refused");
      return E_INVALIDARG;
    }
    QueryPerformanceCounter(&g_navigateTime);
    std::string line = "navigate " + address;
    if (GetCurrentThreadId() != owner_) line += " from another thread";
    if (Given(flags) || Given(target) || Given(postData) || Given(headers)) line += " with extras";
    Log(line);
    return Go(address, true);
  }
  STDMETHODIMP Refresh() override {
    Log("refresh");
    Reload();
    return S_OK;
  }
  STDMETHODIMP Refresh2(VARIANT*) override { return Refresh(); }
  STDMETHODIMP Stop() override {
    Log("stop");
    return S_OK;
  }
  STDMETHODIMP get_Document(IDispatch** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    Guard guard(lock_);
    if (!page_) return S_FALSE;
    if (!document_) document_.Reset(static_cast<IHTMLDocument2*>(new Document(page_)));
    *out = document_.Get();
    (*out)->AddRef();
    return S_OK;
  }
  STDMETHODIMP get_LocationURL(BSTR* out) override { return AnswerText(Address(), out); }
  STDMETHODIMP get_LocationName(BSTR* out) override {
    Guard guard(lock_);
    return AnswerText(page_ ? page_->title : std::string(), out);
  }
  STDMETHODIMP get_Busy(VARIANT_BOOL* out) override {
    if (!out) return E_POINTER;
    *out = VARIANT_FALSE;
    return S_OK;
  }
  STDMETHODIMP get_ReadyState(READYSTATE* out) override {
    if (!out) return E_POINTER;
    Guard guard(lock_);
    *out = page_ ? READYSTATE_COMPLETE : READYSTATE_UNINITIALIZED;
    return S_OK;
  }
  STDMETHODIMP get_Silent(VARIANT_BOOL* out) override {
    if (!out) return E_POINTER;
    *out = silent_;
    return S_OK;
  }
  STDMETHODIMP put_Silent(VARIANT_BOOL silent) override {
    silent_ = silent ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  }
  STDMETHODIMP QueryStatusWB(OLECMDID, OLECMDF* out) override {
    if (!out) return E_POINTER;
    *out = static_cast<OLECMDF>(OLECMDF_SUPPORTED | OLECMDF_ENABLED);
    return S_OK;
  }
  STDMETHODIMP ExecWB(OLECMDID command, OLECMDEXECOPT option, VARIANT*, VARIANT*) override {
    Log("execwb " + std::to_string(command) + " " + std::to_string(option));
    // A page whose address says so cannot be printed, as a real browser
    // refuses a page that is still loading or a printer it cannot reach.
    const bool printing = command == OLECMDID_PRINT || command == OLECMDID_PRINTPREVIEW;
    if (printing && Address().find("noprint") != std::string::npos) return OLECMDERR_E_DISABLED;
    return S_OK;
  }

  // ---- IOleObject ----
  STDMETHODIMP SetClientSite(IOleClientSite* site) override {
    site_.Reset(site);
    if (site) {
      site->AddRef();
      LogHostFlags();
    }
    return S_OK;
  }
  STDMETHODIMP GetClientSite(IOleClientSite** out) override {
    if (!out) return E_POINTER;
    *out = site_.Get();
    if (*out) (*out)->AddRef();
    return S_OK;
  }
  STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
  STDMETHODIMP Close(DWORD) override { return InPlaceDeactivate(); }
  STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP GetClipboardData(DWORD, IDataObject** out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent, LPCRECT rect) override {
    switch (verb) {
      case OLEIVERB_INPLACEACTIVATE:
        return InPlaceActivate(site, parent, rect);
      case OLEIVERB_UIACTIVATE:
      case OLEIVERB_SHOW:
      case OLEIVERB_PRIMARY: {
        HRESULT hr = InPlaceActivate(site, parent, rect);
        if (SUCCEEDED(hr)) UIActivate();
        return hr;
      }
      case OLEIVERB_HIDE:
        UIDeactivate();
        if (window_) ShowWindow(window_, SW_HIDE);
        return S_OK;
      default:
        return OLEOBJ_S_INVALIDVERB;
    }
  }
  STDMETHODIMP EnumVerbs(IEnumOLEVERB** out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP Update() override { return S_OK; }
  STDMETHODIMP IsUpToDate() override { return S_OK; }
  STDMETHODIMP GetUserClassID(CLSID* out) override {
    if (!out) return E_POINTER;
    *out = CLSID_WebBrowser;
    return S_OK;
  }
  STDMETHODIMP GetUserType(DWORD, LPOLESTR*) override { return OLE_S_USEREG; }
  STDMETHODIMP SetExtent(DWORD, SIZEL*) override { return S_OK; }
  STDMETHODIMP GetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
  STDMETHODIMP Advise(IAdviseSink* sink, DWORD* connection) override {
    if (!sink || !connection) return E_POINTER;
    adviseSink_.Reset(sink);
    sink->AddRef();
    *connection = 1;
    return S_OK;
  }
  STDMETHODIMP Unadvise(DWORD connection) override {
    if (connection != 1 || !adviseSink_) return OLE_E_NOCONNECTION;
    adviseSink_.Reset();
    return S_OK;
  }
  STDMETHODIMP EnumAdvise(IEnumSTATDATA** out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetMiscStatus(DWORD, DWORD* status) override {
    if (!status) return E_POINTER;
    *status = OLEMISC_SETCLIENTSITEFIRST | OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_RECOMPOSEONRESIZE |
              OLEMISC_CANTLINKINSIDE | OLEMISC_INSIDEOUT;
    return S_OK;
  }
  STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

  // ---- IOleWindow / IOleInPlaceObject ----
  STDMETHODIMP GetWindow(HWND* out) override {
    if (!out) return E_POINTER;
    *out = window_;
    return window_ ? S_OK : E_FAIL;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP InPlaceDeactivate() override {
    UIDeactivate();
    if (window_) {
      DestroyWindow(window_);
      window_ = nullptr;
    }
    if (inPlaceSite_) {
      inPlaceSite_->OnInPlaceDeactivate();
      inPlaceSite_.Reset();
    }
    frame_.Reset();
    uiWindow_.Reset();
    return S_OK;
  }
  STDMETHODIMP UIDeactivate() override {
    if (!uiActive_) return S_OK;
    uiActive_ = false;
    if (frame_) frame_->SetActiveObject(nullptr, nullptr);
    if (uiWindow_) uiWindow_->SetActiveObject(nullptr, nullptr);
    if (inPlaceSite_) inPlaceSite_->OnUIDeactivate(FALSE);
    return S_OK;
  }
  STDMETHODIMP SetObjectRects(LPCRECT position, LPCRECT) override {
    if (!position) return E_POINTER;
    if (window_)
      MoveWindow(window_, position->left, position->top, position->right - position->left,
                 position->bottom - position->top, TRUE);
    return S_OK;
  }
  STDMETHODIMP ReactivateAndUndo() override { return E_NOTIMPL; }

  // ---- IOleInPlaceActiveObject: the browser's own keys (F5 refreshes) ----
  STDMETHODIMP TranslateAccelerator(LPMSG message) override {
    if (!message) return E_INVALIDARG;
    Log("key " + std::to_string(message->message) + " " + std::to_string(message->wParam));
    if (message->message == WM_KEYDOWN && message->wParam == VK_F5) {
      Refresh();
      return S_OK;
    }
    return S_FALSE;
  }
  STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
  STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
  STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }

  // ---- IOleCommandTarget ----
  STDMETHODIMP QueryStatus(const GUID*, ULONG count, OLECMD* commands, OLECMDTEXT*) override {
    if (!commands) return E_POINTER;
    for (ULONG i = 0; i < count; ++i) commands[i].cmdf = OLECMDF_SUPPORTED | OLECMDF_ENABLED;
    return S_OK;
  }
  STDMETHODIMP Exec(const GUID* group, DWORD command, DWORD, VARIANT*, VARIANT*) override {
    std::string name;
    if (group && *group == kCommandGroupWebBrowser) {
      name = "webbrowser";
    } else {
      wchar_t text[40] = {};
      StringFromGUID2(group ? *group : GUID_NULL, text, 40);
      name = Ansi(text);
    }
    Log("exec " + name + " " + std::to_string(command));
    return S_OK;
  }

  // ---- IPersistStreamInit ----
  STDMETHODIMP GetClassID(CLSID* out) override { return GetUserClassID(out); }
  STDMETHODIMP IsDirty() override { return S_FALSE; }
  STDMETHODIMP Load(LPSTREAM) override { return E_NOTIMPL; }
  STDMETHODIMP Save(LPSTREAM, BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP GetSizeMax(ULARGE_INTEGER*) override { return E_NOTIMPL; }
  STDMETHODIMP InitNew() override {
    Log("initnew");
    return S_OK;
  }

  // ---- IConnectionPointContainer ----
  STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid != DIID_DWebBrowserEvents2) return CONNECT_E_NOCONNECTION;
    *out = &events_;
    events_.AddRef();
    return S_OK;
  }

 private:
  virtual ~Browser() {
    InPlaceDeactivate();
    site_.Reset();
    adviseSink_.Reset();
    document_.Reset();
    DeleteCriticalSection(&lock_);
    --g_objects;
  }

  HRESULT InPlaceActivate(IOleClientSite* site, HWND parent, LPCRECT rect);
  HRESULT Go(const std::string& address, bool remember);
  HRESULT Move(int step);
  void Reload();
  void LogHostFlags();
  void FireNotFound(const std::string& address);
  void FireNavigated(const std::string& address, const std::string& title, bool back, bool forward);

  std::atomic<ULONG> references_{1};
  const DWORD owner_;  // the thread that made the browser
  CRITICAL_SECTION lock_;  // the page and the history: a navigation may come from another thread
  std::shared_ptr<Page> page_;
  ComPtr<IHTMLDocument2> document_;  // of page_, made when first asked for
  std::vector<std::string> history_;
  size_t current_ = 0;  // in history_, when it is not empty
  VARIANT_BOOL silent_ = VARIANT_FALSE;

  ComPtr<IOleClientSite> site_;
  ComPtr<IOleInPlaceSite> inPlaceSite_;
  ComPtr<IOleInPlaceFrame> frame_;
  ComPtr<IOleInPlaceUIWindow> uiWindow_;
  ComPtr<IAdviseSink> adviseSink_;
  HWND window_ = nullptr;
  bool uiActive_ = false;
  EventsPoint events_;

  friend class EventsPoint;
};

STDMETHODIMP_(ULONG) EventsPoint::AddRef() { return browser_.AddRef(); }
STDMETHODIMP_(ULONG) EventsPoint::Release() { return browser_.Release(); }
STDMETHODIMP EventsPoint::GetConnectionPointContainer(IConnectionPointContainer** out) {
  if (!out) return E_POINTER;
  *out = static_cast<IConnectionPointContainer*>(&browser_);
  browser_.AddRef();
  return S_OK;
}

// The host's document flags, as a browser asks for them when it shows a page.
void Browser::LogHostFlags() {
  if (!site_) return;
  ComPtr<IDocHostUIHandler> handler;
  if (FAILED(site_->QueryInterface(IID_IDocHostUIHandler, handler.PutVoid())) || !handler) return;
  DOCHOSTUIINFO info = {};
  info.cbSize = sizeof info;
  if (FAILED(handler->GetHostInfo(&info))) return;
  char line[32];
  wsprintfA(line, "hostflags 0x%X", static_cast<unsigned>(info.dwFlags));
  Log(line);
}

HRESULT Browser::InPlaceActivate(IOleClientSite* site, HWND parent, LPCRECT rect) {
  if (window_) {
    ShowWindow(window_, SW_SHOW);
    return S_OK;
  }
  IOleClientSite* from = site ? site : site_.Get();
  if (!from) return E_UNEXPECTED;
  ComPtr<IOleInPlaceSite> inPlace;
  if (FAILED(from->QueryInterface(IID_IOleInPlaceSite, inPlace.PutVoid())) || !inPlace) return E_NOINTERFACE;
  if (inPlace->CanInPlaceActivate() != S_OK) return E_FAIL;
  inPlace->OnInPlaceActivate();
  RECT position = {}, clip = {};
  OLEINPLACEFRAMEINFO info = {};
  info.cb = sizeof info;
  inPlace->GetWindowContext(frame_.Put(), uiWindow_.Put(), &position, &clip, &info);
  HWND host = parent;
  inPlace->GetWindow(&host);
  const RECT at = rect ? *rect : position;
  window_ = CreateWindowExA(0, kWindowClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, at.left, at.top,
                            at.right - at.left, at.bottom - at.top, host, nullptr, g_module, this);
  if (!window_) {
    inPlace->OnInPlaceDeactivate();
    frame_.Reset();
    uiWindow_.Reset();
    return E_FAIL;
  }
  inPlaceSite_ = inPlace;
  return S_OK;
}

void Browser::UIActivate() {
  if (!inPlaceSite_ || uiActive_) return;
  uiActive_ = true;
  inPlaceSite_->OnUIActivate();
  if (frame_) frame_->SetActiveObject(static_cast<IOleInPlaceActiveObject*>(this), L"Stand-in browser");
  if (uiWindow_) uiWindow_->SetActiveObject(static_cast<IOleInPlaceActiveObject*>(this), L"Stand-in browser");
  if (window_ && GetFocus() != window_) SetFocus(window_);
}

HRESULT Browser::Go(const std::string& address, bool remember) {
  VARIANT_BOOL cancel = VARIANT_FALSE;
  {
    // BeforeNavigate2(pDisp, URL, Flags, TargetFrameName, PostData, Headers, Cancel)
    VARIANT url, empty;
    VariantInit(&empty);
    url.vt = VT_BSTR;
    const std::wstring wide = Wide(address);
    url.bstrVal = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    VARIANTARG args[7];
    for (auto& arg : args) VariantInit(&arg);
    args[0].vt = VT_BYREF | VT_BOOL;
    args[0].pboolVal = &cancel;
    for (int i = 1; i <= 4; ++i) {
      args[i].vt = VT_BYREF | VT_VARIANT;
      args[i].pvarVal = &empty;
    }
    args[5].vt = VT_BYREF | VT_VARIANT;
    args[5].pvarVal = &url;
    args[6].vt = VT_DISPATCH;
    args[6].pdispVal = static_cast<IWebBrowser2*>(this);
    events_.Fire(DISPID_BEFORENAVIGATE2, args, 7);
    VariantClear(&url);
  }
  if (cancel) {
    Log("cancelled");
    return S_OK;
  }
  LogHostFlags();
  auto page = LoadPage(address);
  bool back, forward;
  {
    Guard guard(lock_);
    page_ = page;
    document_.Reset();
    if (remember) {
      if (!history_.empty()) history_.resize(current_ + 1);
      history_.push_back(address);
      current_ = history_.size() - 1;
    }
    back = current_ > 0;
    forward = current_ + 1 < history_.size();
  }
  if (window_) InvalidateRect(window_, nullptr, TRUE);
  if (page->missing) FireNotFound(address);
  FireNavigated(address, page->title, back, forward);
  return S_OK;
}

// NavigateError(pDisp, URL, Frame, StatusCode, Cancel): the file is not there.
void Browser::FireNotFound(const std::string& address) {
  Log("not found " + address);
  const std::wstring wide = Wide(address);
  VARIANT url, frame, status;
  url.vt = VT_BSTR;
  url.bstrVal = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
  VariantInit(&frame);
  VariantInit(&status);
  status.vt = VT_I4;
  status.lVal = static_cast<LONG>(0x800C0005);  // INET_E_RESOURCE_NOT_FOUND
  VARIANT_BOOL cancel = VARIANT_FALSE;
  VARIANTARG args[5];
  for (auto& arg : args) VariantInit(&arg);
  args[0].vt = VT_BYREF | VT_BOOL;
  args[0].pboolVal = &cancel;
  args[1].vt = VT_BYREF | VT_VARIANT;
  args[1].pvarVal = &status;
  args[2].vt = VT_BYREF | VT_VARIANT;
  args[2].pvarVal = &frame;
  args[3].vt = VT_BYREF | VT_VARIANT;
  args[3].pvarVal = &url;
  args[4].vt = VT_DISPATCH;
  args[4].pdispVal = static_cast<IWebBrowser2*>(this);
  events_.Fire(DISPID_NAVIGATEERROR, args, 5);
  VariantClear(&url);
}

void Browser::FireNavigated(const std::string& address, const std::string& title, bool back, bool forward) {
  for (auto [command, enabled] : {std::pair{CSC_NAVIGATEBACK, back}, std::pair{CSC_NAVIGATEFORWARD, forward}}) {
    // CommandStateChange(Command, Enable)
    VARIANTARG args[2];
    VariantInit(&args[0]);
    VariantInit(&args[1]);
    args[0].vt = VT_BOOL;
    args[0].boolVal = enabled ? VARIANT_TRUE : VARIANT_FALSE;
    args[1].vt = VT_I4;
    args[1].lVal = command;
    events_.Fire(DISPID_COMMANDSTATECHANGE, args, 2);
  }
  const std::wstring wide = Wide(address);
  VARIANT url;
  url.vt = VT_BSTR;
  url.bstrVal = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
  for (DISPID id : {DISPID_NAVIGATECOMPLETE2, DISPID_TITLECHANGE, DISPID_DOCUMENTCOMPLETE}) {
    VARIANTARG args[2];
    VariantInit(&args[0]);
    VariantInit(&args[1]);
    if (id == DISPID_TITLECHANGE) {
      // TitleChange(Text)
      const std::wstring text = Wide(title);
      args[0].vt = VT_BSTR;
      args[0].bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
      events_.Fire(id, args, 1);
      VariantClear(&args[0]);
    } else {
      // NavigateComplete2 and DocumentComplete(pDisp, URL)
      args[0].vt = VT_BYREF | VT_VARIANT;
      args[0].pvarVal = &url;
      args[1].vt = VT_DISPATCH;
      args[1].pdispVal = static_cast<IWebBrowser2*>(this);
      events_.Fire(id, args, 2);
    }
  }
  VariantClear(&url);
}

HRESULT Browser::Move(int step) {
  std::string address;
  {
    Guard guard(lock_);
    if (history_.empty()) return E_FAIL;
    if (step < 0 && current_ == 0) return E_FAIL;
    if (step > 0 && current_ + 1 >= history_.size()) return E_FAIL;
    current_ = step < 0 ? current_ - 1 : current_ + 1;
    address = history_[current_];
  }
  return Go(address, false);
}

// Reads the page again (a file may have changed since).
void Browser::Reload() {
  std::string address;
  {
    Guard guard(lock_);
    if (!page_) return;
    address = page_->address;
  }
  auto page = LoadPage(address);
  {
    Guard guard(lock_);
    page_ = page;
    document_.Reset();
  }
  if (window_) InvalidateRect(window_, nullptr, TRUE);
}

// The browser's window: white, with a line naming it and the address shown.
LRESULT CALLBACK BrowserWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* browser = reinterpret_cast<Browser*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      RECT rc;
      GetClientRect(hwnd, &rc);
      FillRect(dc, &rc, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
      // A tinted band at the top, so a screenshot tells the stand-in from an empty page.
      RECT band = {rc.left, rc.top, rc.right, rc.top + 52};
      HBRUSH tint = CreateSolidBrush(RGB(226, 234, 246));
      FillRect(dc, &band, tint);
      DeleteObject(tint);
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, RGB(0, 0, 0));
      HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
      RECT line = {rc.left + 8, rc.top + 8, rc.right - 8, rc.top + 28};
      DrawTextA(dc, "Stand-in browser", -1, &line, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
      const std::string address = browser ? browser->Address() : std::string();
      OffsetRect(&line, 0, 20);
      DrawTextA(dc, address.c_str(), static_cast<int>(address.size()), &line,
                DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_PATH_ELLIPSIS);
      if (browser && browser->ShowsErrorPage()) {
        OffsetRect(&line, 0, 32);
        DrawTextA(dc, "The page cannot be found.", -1, &line, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
      }
      SelectObject(dc, old);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      if (browser) browser->UIActivate();
      break;
    case WM_NCDESTROY:
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
      break;
    default:
      break;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

class Factory : public IClassFactory {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IClassFactory) return E_NOINTERFACE;
    *out = static_cast<IClassFactory*>(this);
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    auto* browser = new Browser();
    HRESULT hr = browser->QueryInterface(iid, out);
    browser->Release();
    return hr;
  }
  STDMETHODIMP LockServer(BOOL lock) override {
    if (lock) ++g_locks;
    else --g_locks;
    return S_OK;
  }
};

Factory g_factory;

// ---- registration ---------------------------------------------------------------

// An owned registry key.
class Key {
 public:
  Key() = default;
  ~Key() {
    if (key_) RegCloseKey(key_);
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  bool Open(HKEY root, const wchar_t* path, REGSAM access) {
    return RegOpenKeyExW(root, path, 0, access, &key_) == ERROR_SUCCESS;
  }
  bool Create(HKEY root, const wchar_t* path, REGSAM access, bool* existed = nullptr) {
    DWORD disposition = 0;
    bool ok = RegCreateKeyExW(root, path, 0, nullptr, 0, access, nullptr, &key_, &disposition) == ERROR_SUCCESS;
    if (ok && existed) *existed = disposition == REG_OPENED_EXISTING_KEY;
    return ok;
  }
  HKEY Get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

struct RawValue {
  bool present = false;
  DWORD type = REG_NONE;
  std::vector<BYTE> bytes;
};

RawValue ReadRaw(HKEY key, const wchar_t* name) {
  RawValue value;
  DWORD size = 0;
  if (!key || RegQueryValueExW(key, name, nullptr, &value.type, nullptr, &size) != ERROR_SUCCESS) return value;
  value.bytes.resize(size);
  if (RegQueryValueExW(key, name, nullptr, &value.type, value.bytes.data(), &size) != ERROR_SUCCESS) return {};
  value.bytes.resize(size);
  value.present = true;
  return value;
}

bool WriteRaw(HKEY key, const wchar_t* name, const RawValue& value) {
  if (!value.present) {
    LONG result = RegDeleteValueW(key, name);
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
  }
  return RegSetValueExW(key, name, 0, value.type, value.bytes.data(), static_cast<DWORD>(value.bytes.size())) ==
         ERROR_SUCCESS;
}

// The server key's values the stand-in replaces, and the backup's names for them.
const std::pair<const wchar_t*, const wchar_t*> kSavedValues[] = {{nullptr, L"InprocServer32"},
                                                                  {L"ThreadingModel", L"ThreadingModel"}};
const wchar_t kServerKeyExisted[] = L"ServerKeyExisted";
const wchar_t kClassKeyExisted[] = L"ClassKeyExisted";

bool BackupTaken() {
  Key backup;
  return backup.Open(HKEY_CURRENT_USER, kBackupKey, KEY_READ) && ReadRaw(backup.Get(), kServerKeyExisted).present;
}

std::wstring ModulePath() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(g_module, path, MAX_PATH);
  return path;
}

HRESULT Register() {
  const std::wstring path = ModulePath();
  if (!BackupTaken()) {
    Key classKey, server;
    const bool classExisted = classKey.Open(HKEY_CLASSES_ROOT, kClassKey, KEY_READ);
    const bool serverExisted = server.Open(HKEY_CLASSES_ROOT, kServerKey, KEY_READ);
    // Never keep the stand-in itself as "the platform's" registration (its
    // backup was removed by hand): putting that back would lose the platform's for good.
    const RawValue current = ReadRaw(server.Get(), nullptr);
    if (current.present && (current.type == REG_SZ || current.type == REG_EXPAND_SZ)) {
      std::wstring text(reinterpret_cast<const wchar_t*>(current.bytes.data()), current.bytes.size() / sizeof(wchar_t));
      if (!text.empty()) CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
      if (text.find(L"vellorastandinbrowser.dll") != std::wstring::npos) return SELFREG_E_CLASS;
    }
    Key backup;
    if (!backup.Create(HKEY_CURRENT_USER, kBackupKey, KEY_WRITE)) return SELFREG_E_CLASS;
    for (const auto& [name, saved] : kSavedValues) {
      RawValue value = ReadRaw(server.Get(), name);
      if (value.present && !WriteRaw(backup.Get(), saved, value)) return SELFREG_E_CLASS;
    }
    // Written last: its presence says the backup is whole.
    DWORD flags[] = {classExisted ? 1u : 0u, serverExisted ? 1u : 0u};
    if (RegSetValueExW(backup.Get(), kClassKeyExisted, 0, REG_DWORD, reinterpret_cast<BYTE*>(&flags[0]),
                       sizeof(DWORD)) != ERROR_SUCCESS ||
        RegSetValueExW(backup.Get(), kServerKeyExisted, 0, REG_DWORD, reinterpret_cast<BYTE*>(&flags[1]),
                       sizeof(DWORD)) != ERROR_SUCCESS)
      return SELFREG_E_CLASS;
  }
  Key server;
  if (!server.Create(HKEY_CLASSES_ROOT, kServerKey, KEY_WRITE)) return SELFREG_E_CLASS;
  const wchar_t model[] = L"Apartment";
  bool ok = RegSetValueExW(server.Get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                           static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS &&
            RegSetValueExW(server.Get(), L"ThreadingModel", 0, REG_SZ, reinterpret_cast<const BYTE*>(model),
                           sizeof model) == ERROR_SUCCESS;
  return ok ? S_OK : SELFREG_E_CLASS;
}

// Puts back what the backup holds, then drops the backup; S_FALSE when there
// is no backup (nothing of ours is registered).
HRESULT RestorePlatform() {
  RawValue saved[2], classExisted, serverExisted;
  {
    Key backup;
    if (!backup.Open(HKEY_CURRENT_USER, kBackupKey, KEY_READ)) return S_FALSE;
    serverExisted = ReadRaw(backup.Get(), kServerKeyExisted);
    if (!serverExisted.present) return S_FALSE;
    classExisted = ReadRaw(backup.Get(), kClassKeyExisted);
    for (int i = 0; i < 2; ++i) saved[i] = ReadRaw(backup.Get(), kSavedValues[i].second);
  }
  {
    Key server;
    if (server.Open(HKEY_CLASSES_ROOT, kServerKey, KEY_READ | KEY_WRITE)) {
      for (int i = 0; i < 2; ++i)
        if (!WriteRaw(server.Get(), kSavedValues[i].first, saved[i])) return SELFREG_E_CLASS;
    }
  }
  // Keys the stand-in made go again (only when nothing else is in them).
  auto flag = [](const RawValue& v) { return v.bytes.size() == sizeof(DWORD) && v.bytes[0] != 0; };
  if (!flag(serverExisted)) RegDeleteKeyW(HKEY_CLASSES_ROOT, kServerKey);
  if (!flag(classExisted)) RegDeleteKeyW(HKEY_CLASSES_ROOT, kClassKey);
  return SHDeleteKeyW(HKEY_CURRENT_USER, kBackupKey) == ERROR_SUCCESS ? S_OK : SELFREG_E_CLASS;
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_module = instance;
    InitializeCriticalSection(&g_logLock);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = BrowserWindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = kWindowClass;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    RegisterClassA(&wc);
  }
  return TRUE;
}

__declspec(dllexport) HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (clsid != CLSID_WebBrowser) return CLASS_E_CLASSNOTAVAILABLE;
  return g_factory.QueryInterface(iid, out);
}

__declspec(dllexport) HRESULT WINAPI DllCanUnloadNow() { return g_objects == 0 && g_locks == 0 ? S_OK : S_FALSE; }

// Registers the stand-in under the web browser's class id, after keeping
// what the platform had there (once: a registration left by a run that
// crashed keeps the platform's backup).
__declspec(dllexport) HRESULT WINAPI DllRegisterServer() { return Register(); }

// Puts the platform's registration back exactly; a second call finds nothing to do.
__declspec(dllexport) HRESULT WINAPI DllUnregisterServer() {
  HRESULT hr = RestorePlatform();
  return SUCCEEDED(hr) ? S_OK : hr;
}

// The same, for tests that want the platform's browser whatever an earlier
// run left: S_OK when something was put back, S_FALSE when nothing was ours.
__declspec(dllexport) HRESULT WINAPI StandInRestorePlatformBrowser() { return RestorePlatform(); }

// What the tests read back: the log of what the program asked, and how many
// of the stand-in's objects (browsers, documents and their parts) are alive.
__declspec(dllexport) const char* WINAPI StandInLog() {
  Guard guard(g_logLock);
  g_logCopy = g_log;
  return g_logCopy.c_str();
}
__declspec(dllexport) void WINAPI StandInClearLog() {
  Guard guard(g_logLock);
  g_log.clear();
}
__declspec(dllexport) LONG WINAPI StandInLiveObjects() { return g_objects; }
// When the last navigation was asked for (the performance counter), for the benchmarks.
__declspec(dllexport) LONGLONG WINAPI StandInLastNavigateTime() { return g_navigateTime.QuadPart; }

}  // extern "C"
