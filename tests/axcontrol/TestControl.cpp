// A small ActiveX control of the tests' own (VelloraTestControl.dll): an
// in-place object with a window of its own, a persisted text, and a log of
// what its container did to it, so the control host and the views that use it
// are driven through real COM. It registers itself, as a control
// (CATID_Control), through HKEY_CLASSES_ROOT: Wine's COM does not look in
// HKCU\Software\Classes, and the tests run in a prefix of their own.
#include <windows.h>
#include <ole2.h>
#include <olectl.h>
#include <shlwapi.h>

#include <atomic>
#include <string>

namespace {

// {6F1B5A54-3C2E-4E8A-9A0C-5D1E2B7C9A41}
const CLSID kTestControlClass = {0x6f1b5a54, 0x3c2e, 0x4e8a, {0x9a, 0x0c, 0x5d, 0x1e, 0x2b, 0x7c, 0x9a, 0x41}};
const char kClassKey[] = "CLSID\\{6F1B5A54-3C2E-4E8A-9A0C-5D1E2B7C9A41}";
const char kProgId[] = "Vellora.TestControl";
const char kUserType[] = "Vellora Test Control";
const char kControlCategory[] = "{40FC6ED4-2438-11CF-A3DB-080036F12502}";
const char kWindowClass[] = "VelloraTestControlWindow";

HINSTANCE g_module = nullptr;
std::atomic<LONG> g_objects{0};
std::atomic<LONG> g_locks{0};
std::string g_log;

void Log(const std::string& line) { g_log += line + "\n"; }

LRESULT CALLBACK ControlWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT rc;
    GetClientRect(hwnd, &rc);
    HBRUSH brush = CreateSolidBrush(RGB(40, 120, 200));
    FillRect(dc, &rc, brush);
    DeleteObject(brush);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    DrawTextA(dc, "Test control", -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    EndPaint(hwnd, &ps);
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

class TestControl : public IOleObject, public IOleInPlaceObject, public IPersistStreamInit {
 public:
  TestControl() { ++g_objects; }

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IOleObject) *out = static_cast<IOleObject*>(this);
    else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceObject) *out = static_cast<IOleInPlaceObject*>(this);
    else if (iid == IID_IPersist || iid == IID_IPersistStreamInit) *out = static_cast<IPersistStreamInit*>(this);
    else return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
  STDMETHODIMP_(ULONG) Release() override {
    ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  // IOleObject
  STDMETHODIMP SetClientSite(IOleClientSite* site) override {
    if (site_) site_->Release();
    site_ = site;
    if (!site) {
      Log("site none");
      return S_OK;
    }
    site->AddRef();
    Log("site");
    IDispatch* ambient = nullptr;
    if (SUCCEEDED(site->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&ambient))) && ambient) {
      VARIANT value;
      VariantInit(&value);
      DISPPARAMS none = {};
      if (SUCCEEDED(ambient->Invoke(DISPID_AMBIENT_USERMODE, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &value,
                                    nullptr, nullptr)) &&
          value.vt == VT_BOOL)
        Log(value.boolVal ? "usermode on" : "usermode off");
      ambient->Release();
    }
    return S_OK;
  }
  STDMETHODIMP GetClientSite(IOleClientSite** out) override {
    if (!out) return E_POINTER;
    *out = site_;
    if (site_) site_->AddRef();
    return S_OK;
  }
  STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
  STDMETHODIMP Close(DWORD) override {
    Log("close");
    InPlaceDeactivate();
    return S_OK;
  }
  STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
  STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
  STDMETHODIMP DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent, LPCRECT rect) override {
    Log("verb " + std::to_string(verb));
    if (window_) return S_OK;
    IOleInPlaceSite* inPlace = nullptr;
    IOleClientSite* from = site ? site : site_;
    if (!from || FAILED(from->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&inPlace))))
      return E_UNEXPECTED;
    HRESULT hr = inPlace->CanInPlaceActivate();
    if (hr == S_OK) {
      inPlace->OnInPlaceActivate();
      IOleInPlaceFrame* frame = nullptr;
      IOleInPlaceUIWindow* document = nullptr;
      RECT position = {}, clip = {};
      OLEINPLACEFRAMEINFO info = {sizeof info};
      if (SUCCEEDED(inPlace->GetWindowContext(&frame, &document, &position, &clip, &info))) {
        Log(frame ? "frame" : "no frame");
        if (frame) frame->Release();
        if (document) document->Release();
      }
      HWND host = parent;
      inPlace->GetWindow(&host);
      const RECT at = rect ? *rect : position;
      window_ = CreateWindowExA(0, kWindowClass, text_.c_str(), WS_CHILD | WS_VISIBLE, at.left, at.top,
                                at.right - at.left, at.bottom - at.top, host, nullptr, g_module, nullptr);
      site_inPlace_ = inPlace;
      inPlace = nullptr;
      hr = window_ ? S_OK : E_FAIL;
    } else {
      hr = E_UNEXPECTED;
    }
    if (inPlace) inPlace->Release();
    return hr;
  }
  STDMETHODIMP EnumVerbs(IEnumOLEVERB**) override { return E_NOTIMPL; }
  STDMETHODIMP Update() override { return S_OK; }
  STDMETHODIMP IsUpToDate() override { return S_OK; }
  STDMETHODIMP GetUserClassID(CLSID* out) override {
    if (!out) return E_POINTER;
    *out = kTestControlClass;
    return S_OK;
  }
  STDMETHODIMP GetUserType(DWORD, LPOLESTR*) override { return OLE_S_USEREG; }
  STDMETHODIMP SetExtent(DWORD, SIZEL*) override { return S_OK; }
  STDMETHODIMP GetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
  STDMETHODIMP Advise(IAdviseSink* sink, DWORD* connection) override {
    if (!sink || !connection) return E_POINTER;
    Log("advise");
    *connection = 1;
    return S_OK;
  }
  STDMETHODIMP Unadvise(DWORD) override {
    Log("unadvise");
    return S_OK;
  }
  STDMETHODIMP EnumAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
  STDMETHODIMP GetMiscStatus(DWORD, DWORD* status) override {
    if (!status) return E_POINTER;
    *status = OLEMISC_SETCLIENTSITEFIRST | OLEMISC_INSIDEOUT | OLEMISC_ACTIVATEWHENVISIBLE;
    return S_OK;
  }
  STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

  // IOleWindow / IOleInPlaceObject
  STDMETHODIMP GetWindow(HWND* out) override {
    if (!out) return E_POINTER;
    *out = window_;
    return window_ ? S_OK : E_FAIL;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP InPlaceDeactivate() override {
    if (!window_) return S_OK;
    Log("deactivate");
    DestroyWindow(window_);
    window_ = nullptr;
    if (site_inPlace_) {
      site_inPlace_->OnInPlaceDeactivate();
      site_inPlace_->Release();
      site_inPlace_ = nullptr;
    }
    return S_OK;
  }
  STDMETHODIMP UIDeactivate() override { return S_OK; }
  STDMETHODIMP SetObjectRects(LPCRECT position, LPCRECT) override {
    if (!position) return E_POINTER;
    Log("rects " + std::to_string(position->right - position->left) + "x" +
        std::to_string(position->bottom - position->top));
    if (window_)
      MoveWindow(window_, position->left, position->top, position->right - position->left,
                 position->bottom - position->top, TRUE);
    return S_OK;
  }
  STDMETHODIMP ReactivateAndUndo() override { return E_NOTIMPL; }

  // IPersistStreamInit: the state is one text, shown as the window's text.
  STDMETHODIMP GetClassID(CLSID* out) override { return GetUserClassID(out); }
  STDMETHODIMP IsDirty() override { return S_FALSE; }
  STDMETHODIMP Load(LPSTREAM stream) override {
    if (!stream) return E_POINTER;
    char buffer[256] = {};
    ULONG got = 0;
    stream->Read(buffer, sizeof buffer - 1, &got);
    text_.assign(buffer, got);
    Log("load " + text_);
    return S_OK;
  }
  STDMETHODIMP Save(LPSTREAM stream, BOOL) override {
    if (!stream) return E_POINTER;
    return stream->Write(text_.data(), static_cast<ULONG>(text_.size()), nullptr);
  }
  STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override {
    if (!size) return E_POINTER;
    size->QuadPart = text_.size();
    return S_OK;
  }
  STDMETHODIMP InitNew() override {
    Log("initnew");
    text_ = "default";
    return S_OK;
  }

 private:
  virtual ~TestControl() {
    InPlaceDeactivate();
    if (site_) site_->Release();
    --g_objects;
  }
  std::atomic<ULONG> references_{1};
  IOleClientSite* site_ = nullptr;
  IOleInPlaceSite* site_inPlace_ = nullptr;
  HWND window_ = nullptr;
  std::string text_;
};

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
    auto* control = new TestControl();
    HRESULT hr = control->QueryInterface(iid, out);
    control->Release();
    return hr;
  }
  STDMETHODIMP LockServer(BOOL lock) override {
    if (lock) ++g_locks;
    else --g_locks;
    return S_OK;
  }
};

Factory g_factory;

bool SetValue(HKEY root, const std::string& path, const char* name, const std::string& value) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return false;
  LONG result = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                               static_cast<DWORD>(value.size() + 1));
  RegCloseKey(key);
  return result == ERROR_SUCCESS;
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_module = instance;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ControlWindowProc;
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
  if (clsid != kTestControlClass) return CLASS_E_CLASSNOTAVAILABLE;
  return g_factory.QueryInterface(iid, out);
}

__declspec(dllexport) HRESULT WINAPI DllCanUnloadNow() { return g_objects == 0 && g_locks == 0 ? S_OK : S_FALSE; }

__declspec(dllexport) HRESULT WINAPI DllRegisterServer() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(g_module, path, MAX_PATH);
  const std::string key = kClassKey;
  bool ok = SetValue(HKEY_CLASSES_ROOT, key, nullptr, kUserType) &&
            SetValue(HKEY_CLASSES_ROOT, key + "\\InprocServer32", nullptr, path) &&
            SetValue(HKEY_CLASSES_ROOT, key + "\\InprocServer32", "ThreadingModel", "Apartment") &&
            SetValue(HKEY_CLASSES_ROOT, key + "\\ProgID", nullptr, kProgId) &&
            SetValue(HKEY_CLASSES_ROOT, key + "\\Control", nullptr, "") &&
            SetValue(HKEY_CLASSES_ROOT, key + "\\Implemented Categories\\" + kControlCategory, nullptr, "") &&
            SetValue(HKEY_CLASSES_ROOT, std::string(kProgId), nullptr, kUserType) &&
            SetValue(HKEY_CLASSES_ROOT, std::string(kProgId) + "\\CLSID", nullptr,
                     "{6F1B5A54-3C2E-4E8A-9A0C-5D1E2B7C9A41}");
  return ok ? S_OK : SELFREG_E_CLASS;
}

__declspec(dllexport) HRESULT WINAPI DllUnregisterServer() {
  SHDeleteKeyA(HKEY_CLASSES_ROOT, kClassKey);
  SHDeleteKeyA(HKEY_CLASSES_ROOT, (std::string(kProgId)).c_str());
  return S_OK;
}

// What the tests read back: the log of the container's calls, and how many
// control objects are alive.
__declspec(dllexport) const char* WINAPI TestControlLog() { return g_log.c_str(); }
__declspec(dllexport) void WINAPI TestControlClearLog() { g_log.clear(); }
__declspec(dllexport) LONG WINAPI TestControlLiveObjects() { return g_objects; }

}  // extern "C"
