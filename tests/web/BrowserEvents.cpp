#include "tests/web/BrowserEvents.h"

#include <exdispid.h>
#include <ocidl.h>

#include <algorithm>

namespace vtest::web {

bool BrowserEvents::Connect(IUnknown* browser) {
  Disconnect();
  vellora::ComPtr<IConnectionPointContainer> container;
  if (!browser || FAILED(browser->QueryInterface(IID_IConnectionPointContainer, container.PutVoid())) ||
      !container)
    return false;
  if (FAILED(container->FindConnectionPoint(DIID_DWebBrowserEvents2, point_.Put())) || !point_) return false;
  if (FAILED(point_->Advise(static_cast<IDispatch*>(this), &cookie_))) {
    point_.Reset();
    return false;
  }
  return true;
}

void BrowserEvents::Disconnect() {
  if (point_ && cookie_) point_->Unadvise(cookie_);
  cookie_ = 0;
  point_.Reset();
}

bool BrowserEvents::Saw(DISPID id) const { return std::find(fired.begin(), fired.end(), id) != fired.end(); }

STDMETHODIMP BrowserEvents::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (iid != IID_IUnknown && iid != IID_IDispatch && iid != DIID_DWebBrowserEvents2) return E_NOINTERFACE;
  *out = static_cast<IDispatch*>(this);
  AddRef();
  return S_OK;
}

STDMETHODIMP BrowserEvents::GetTypeInfoCount(UINT* count) {
  if (count) *count = 0;
  return S_OK;
}

STDMETHODIMP BrowserEvents::GetTypeInfo(UINT, LCID, ITypeInfo** out) {
  if (out) *out = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP BrowserEvents::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                   UINT*) {
  fired.push_back(id);
  threads.push_back(GetCurrentThreadId());
  if (!params) return S_OK;
  // The arguments come last one first.
  if (id == DISPID_COMMANDSTATECHANGE && params->cArgs == 2 && params->rgvarg[1].vt == VT_I4 &&
      params->rgvarg[0].vt == VT_BOOL)
    commandEnabled[params->rgvarg[1].lVal] = params->rgvarg[0].boolVal != VARIANT_FALSE;
  if (id == DISPID_TITLECHANGE && params->cArgs == 1 && params->rgvarg[0].vt == VT_BSTR && params->rgvarg[0].bstrVal) {
    const BSTR text = params->rgvarg[0].bstrVal;
    int n = WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(SysStringLen(text)), nullptr, 0, nullptr, nullptr);
    title.assign(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
      WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(SysStringLen(text)), title.data(), n, nullptr, nullptr);
  }
  return S_OK;
}

}  // namespace vtest::web
