#include "controls/ActiveXHost.h"

#include <docobj.h>
#include <exdisp.h>
#include <mshtmhst.h>
#include <mshtml.h>
#include <ocidl.h>
#include <olectl.h>

#include <atomic>
#include <cstring>

#include "platform/CallbackGuard.h"

namespace vellora {

namespace {

constexpr char kHtmlPrefix[] = "MSHTML:";
// The HTML document object (CLSID_HTMLDocument, which the import library lacks).
const CLSID kHtmlDocumentClass = {0x25336920, 0x03f9, 0x11cf, {0x8f, 0xd0, 0x00, 0xaa, 0x00, 0x68, 0x6f, 0x13}};

std::wstring Wide(const std::string& text) {
  if (text.empty()) return {};
  int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  return out;
}

// A stream over a copy of the bytes (the HTML text of an "MSHTML:" identifier).
ComPtr<IStream> StreamOver(const std::string& bytes) {
  ComPtr<IStream> stream;
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size() + 1);
  if (!memory) return stream;
  if (void* at = GlobalLock(memory)) {
    std::memcpy(at, bytes.data(), bytes.size());
    static_cast<char*>(at)[bytes.size()] = 0;
    GlobalUnlock(memory);
  }
  if (FAILED(CreateStreamOnHGlobal(memory, TRUE, stream.Put()))) GlobalFree(memory);
  return stream;
}

}  // namespace

// The frame side of in-place activation: the host window stands for the
// program's frame; menus and borders are not shared with the control.
class ControlFrame : public IOleInPlaceFrame {
 public:
  explicit ControlFrame(HWND window) : window_(window) {}
  void Detach() { window_ = nullptr; }

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IOleWindow || iid == IID_IOleInPlaceUIWindow ||
        iid == IID_IOleInPlaceFrame) {
      *out = static_cast<IOleInPlaceFrame*>(this);
      AddRef();
      return S_OK;
    }
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
  STDMETHODIMP_(ULONG) Release() override {
    ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }
  // IOleWindow
  STDMETHODIMP GetWindow(HWND* out) override {
    if (!out) return E_POINTER;
    *out = window_;
    return window_ ? S_OK : E_FAIL;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  // IOleInPlaceUIWindow
  STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
  STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject* active, LPCOLESTR) override {
    active_.Reset(active);
    if (active) active->AddRef();
    return S_OK;
  }
  // IOleInPlaceFrame
  STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
  STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
  STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
  STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
  STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
  STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

  IOleInPlaceActiveObject* Active() const { return active_.Get(); }
  void ForgetActive() { active_.Reset(); }

 private:
  virtual ~ControlFrame() = default;
  std::atomic<ULONG> references_{1};
  HWND window_;
  ComPtr<IOleInPlaceActiveObject> active_;
};

// The control's side of its container: client site, in-place site, advise
// sink, document host UI handler and the ambient properties (IDispatch).
class ControlSite : public IOleClientSite,
                    public IOleInPlaceSite,
                    public IAdviseSink,
                    public IDocHostUIHandler,
                    public IDispatch {
 public:
  explicit ControlSite(HWND window) : window_(window), frame_(new ControlFrame(window)) {}
  // The host window is going: every later call of the control finds no window.
  void Detach() {
    window_ = nullptr;
    if (frame_) {
      frame_->ForgetActive();
      frame_->Detach();
      frame_->Release();
      frame_ = nullptr;
    }
  }
  ControlFrame* Frame() const { return frame_; }
  DWORD docHostFlags = 0;
  bool inPlaceActive = false;

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IOleClientSite) *out = static_cast<IOleClientSite*>(this);
    else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite) *out = static_cast<IOleInPlaceSite*>(this);
    else if (iid == IID_IAdviseSink) *out = static_cast<IAdviseSink*>(this);
    else if (iid == IID_IDocHostUIHandler) *out = static_cast<IDocHostUIHandler*>(this);
    else if (iid == IID_IDispatch) *out = static_cast<IDispatch*>(this);
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

  // IOleClientSite
  STDMETHODIMP SaveObject() override { return S_OK; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetContainer(IOleContainer** out) override {
    if (out) *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP ShowObject() override { return S_OK; }
  STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
  STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

  // IOleWindow
  STDMETHODIMP GetWindow(HWND* out) override {
    if (!out) return E_POINTER;
    *out = window_;
    return window_ ? S_OK : E_FAIL;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  // IOleInPlaceSite
  STDMETHODIMP CanInPlaceActivate() override { return window_ ? S_OK : S_FALSE; }
  STDMETHODIMP OnInPlaceActivate() override {
    inPlaceActive = true;
    return S_OK;
  }
  STDMETHODIMP OnUIActivate() override { return S_OK; }
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                LPRECT clip, LPOLEINPLACEFRAMEINFO info) override {
    if (!frame || !document || !position || !clip || !info) return E_POINTER;
    *document = nullptr;
    *frame = frame_;
    if (frame_) frame_->AddRef();
    RECT client = {};
    if (window_) GetClientRect(window_, &client);
    *position = client;
    *clip = client;
    info->fMDIApp = FALSE;
    info->hwndFrame = window_;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return frame_ ? S_OK : E_FAIL;
  }
  STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
  STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnInPlaceDeactivate() override {
    inPlaceActive = false;
    return S_OK;
  }
  STDMETHODIMP DiscardUndoState() override { return S_OK; }
  STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
  STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }

  // IAdviseSink: the control's view changed; the window paints it anew.
  STDMETHODIMP_(void) OnDataChange(FORMATETC*, STGMEDIUM*) override {}
  STDMETHODIMP_(void) OnViewChange(DWORD, LONG) override {
    if (window_) InvalidateRect(window_, nullptr, FALSE);
  }
  STDMETHODIMP_(void) OnRename(IMoniker*) override {}
  STDMETHODIMP_(void) OnSave() override {}
  STDMETHODIMP_(void) OnClose() override {}

  // IDocHostUIHandler: the browser's own menus and UI, with our border flags.
  STDMETHODIMP ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) override { return S_FALSE; }
  STDMETHODIMP GetHostInfo(DOCHOSTUIINFO* info) override {
    if (!info) return E_POINTER;
    info->dwFlags = docHostFlags;
    info->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
    return S_OK;
  }
  STDMETHODIMP ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                      IOleInPlaceUIWindow*) override {
    return S_FALSE;
  }
  STDMETHODIMP HideUI() override { return S_OK; }
  STDMETHODIMP UpdateUI() override { return S_OK; }
  STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
  STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
  STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
  STDMETHODIMP TranslateAccelerator(LPMSG, const GUID*, DWORD) override { return S_FALSE; }
  STDMETHODIMP GetOptionKeyPath(LPOLESTR* key, DWORD) override {
    if (key) *key = nullptr;
    return S_FALSE;
  }
  STDMETHODIMP GetDropTarget(IDropTarget*, IDropTarget** out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetExternal(IDispatch** out) override {
    if (out) *out = nullptr;
    return S_FALSE;
  }
  STDMETHODIMP TranslateUrl(DWORD, LPWSTR, LPWSTR* out) override {
    if (out) *out = nullptr;
    return S_FALSE;
  }
  STDMETHODIMP FilterDataObject(IDataObject*, IDataObject** out) override {
    if (out) *out = nullptr;
    return S_FALSE;
  }

  // IDispatch: the ambient properties a control asks its container for.
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    if (count) *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                      UINT*) override {
    if (!(flags & DISPATCH_PROPERTYGET) || !result) return DISP_E_MEMBERNOTFOUND;
    VariantInit(result);
    switch (id) {
      case DISPID_AMBIENT_USERMODE:
        result->vt = VT_BOOL;
        result->boolVal = VARIANT_TRUE;  // running, not being designed
        return S_OK;
      case DISPID_AMBIENT_UIDEAD:
      case DISPID_AMBIENT_SHOWGRABHANDLES:
      case DISPID_AMBIENT_SHOWHATCHING:
      case DISPID_AMBIENT_MESSAGEREFLECT:
      case DISPID_AMBIENT_DISPLAYASDEFAULT:
        result->vt = VT_BOOL;
        result->boolVal = VARIANT_FALSE;
        return S_OK;
      case DISPID_AMBIENT_BACKCOLOR:
        result->vt = VT_I4;
        result->lVal = static_cast<LONG>(GetSysColor(COLOR_WINDOW));
        return S_OK;
      case DISPID_AMBIENT_FORECOLOR:
        result->vt = VT_I4;
        result->lVal = static_cast<LONG>(GetSysColor(COLOR_WINDOWTEXT));
        return S_OK;
      case DISPID_AMBIENT_LOCALEID:
        result->vt = VT_I4;
        result->lVal = static_cast<LONG>(GetUserDefaultLCID());
        return S_OK;
      default:
        return DISP_E_MEMBERNOTFOUND;
    }
  }

 private:
  virtual ~ControlSite() {
    if (frame_) frame_->Release();
  }
  std::atomic<ULONG> references_{1};
  HWND window_;
  ControlFrame* frame_;
};

// ---- the host window ------------------------------------------------------------

ActiveXHost::ActiveXHost() = default;

ActiveXHost::~ActiveXHost() {
  Destroy();
  ReleaseControl();
  if (site_) {
    site_->Detach();
    site_->Release();
    site_ = nullptr;
  }
}

HWND ActiveXHost::Create(HWND parent, const RECT& rect, UINT id, const std::string& identifier, DWORD style,
                         DWORD exStyle) {
  pendingIdentifier_ = identifier;
  return Window::Create(parent, identifier.c_str(), style, exStyle, rect.left, rect.top, rect.right - rect.left,
                        rect.bottom - rect.top, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)));
}

void ActiveXHost::SetDocHostFlags(DWORD flags) {
  if (site_) site_->docHostFlags = flags;
}

DWORD ActiveXHost::DocHostFlags() const { return site_ ? site_->docHostFlags : 0; }

HRESULT ActiveXHost::CreateControl(const std::string& identifier) {
  ReleaseControl();
  lastResult_ = E_INVALIDARG;
  if (!Handle() || identifier.empty()) return lastResult_;
  CLSID clsid = {};
  ComPtr<IStream> initial;
  std::wstring wide = Wide(identifier);
  if (identifier.compare(0, sizeof kHtmlPrefix - 1, kHtmlPrefix) == 0) {
    clsid = kHtmlDocumentClass;
    initial = StreamOver(identifier.substr(sizeof kHtmlPrefix - 1));
  } else if (identifier.front() == '{') {
    if (FAILED(CLSIDFromString(wide.data(), &clsid))) return lastResult_ = REGDB_E_CLASSNOTREG;
  } else if (identifier.find(':') != std::string::npos || identifier.compare(0, 2, "\\\\") == 0) {
    // An address: a URL, a path with its drive, or a share's path.
    clsid = CLSID_WebBrowser;
  } else if (FAILED(CLSIDFromProgID(wide.c_str(), &clsid))) {
    return lastResult_ = REGDB_E_CLASSNOTREG;
  }
  lastResult_ = Activate(clsid, initial.Get());
  if (SUCCEEDED(lastResult_) && clsid == CLSID_WebBrowser) {
    // An address: the browser shows it.
    if (ComPtr<IWebBrowser2> browser = Query<IWebBrowser2>(IID_IWebBrowser2)) {
      VARIANT address;
      VariantInit(&address);
      address.vt = VT_BSTR;
      address.bstrVal = SysAllocString(wide.c_str());
      VARIANT none;
      VariantInit(&none);
      browser->Navigate2(&address, &none, &none, &none, &none);
      VariantClear(&address);
    }
  }
  if (FAILED(lastResult_)) ReleaseControl();
  return lastResult_;
}

HRESULT ActiveXHost::Activate(const CLSID& clsid, IStream* initial) {
  HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IUnknown,
                                control_.PutVoid());
  if (FAILED(hr)) return hr;
  hr = control_->QueryInterface(IID_IOleObject, object_.PutVoid());
  if (FAILED(hr)) return hr;
  DWORD misc = 0;
  object_->GetMiscStatus(DVASPECT_CONTENT, &misc);
  IOleClientSite* site = static_cast<IOleClientSite*>(site_);
  if (misc & OLEMISC_SETCLIENTSITEFIRST) object_->SetClientSite(site);
  // A fresh control in its default state, or one read from the given stream.
  ComPtr<IPersistStreamInit> persist;
  if (SUCCEEDED(control_->QueryInterface(IID_IPersistStreamInit, persist.PutVoid())) && persist) {
    hr = initial ? persist->Load(initial) : persist->InitNew();
    if (FAILED(hr)) return hr;
  }
  if (!(misc & OLEMISC_SETCLIENTSITEFIRST)) object_->SetClientSite(site);
  if (FAILED(object_->Advise(static_cast<IAdviseSink*>(site_), &adviseConnection_))) adviseConnection_ = 0;
  RECT client = {};
  GetClientRect(Handle(), &client);
  hr = object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site, 0, Handle(), &client);
  if (FAILED(hr)) return hr;
  control_->QueryInterface(IID_IOleInPlaceObject, inPlace_.PutVoid());
  Resize();
  return S_OK;
}

void ActiveXHost::ReleaseControl() {
  // Deactivate, close, cut the control's link to us, then let go of it.
  if (inPlace_) inPlace_->InPlaceDeactivate();
  if (object_) {
    if (adviseConnection_) object_->Unadvise(adviseConnection_);
    adviseConnection_ = 0;
    object_->Close(OLECLOSE_NOSAVE);
    object_->SetClientSite(nullptr);
  }
  if (site_ && site_->Frame()) site_->Frame()->ForgetActive();
  inPlace_.Reset();
  object_.Reset();
  control_.Reset();
}

void ActiveXHost::Resize() {
  if (!inPlace_ || !Handle()) return;
  RECT client;
  GetClientRect(Handle(), &client);
  inPlace_->SetObjectRects(&client, &client);
}

bool ActiveXHost::PreTranslate(MSG& message) {
  if (!site_ || !site_->Frame()) return false;
  IOleInPlaceActiveObject* active = site_->Frame()->Active();
  if (!active) return false;
  const bool key = message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST;
  const bool mouse = message.message >= WM_MOUSEFIRST && message.message <= WM_MOUSELAST;
  if (!key && !mouse) return false;
  return active->TranslateAccelerator(&message) == S_OK;
}

LRESULT ActiveXHost::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE:
      site_ = new ControlSite(Handle());
      if (!pendingIdentifier_.empty()) CreateControl(pendingIdentifier_);
      pendingIdentifier_.clear();
      return 0;
    case WM_SIZE:
      Resize();
      return 0;
    case WM_SETFOCUS:
      if (object_) {
        RECT client;
        GetClientRect(Handle(), &client);
        object_->DoVerb(OLEIVERB_UIACTIVATE, nullptr, static_cast<IOleClientSite*>(site_), 0, Handle(), &client);
      }
      return 0;
    case WM_ERASEBKGND:
      if (inPlace_) return 1;  // the control paints its whole rectangle
      break;
    case WM_DESTROY:
      ReleaseControl();
      if (site_) site_->Detach();
      return 0;
    default:
      break;
  }
  return DefaultProc(msg, wParam, lParam);
}

}  // namespace vellora
