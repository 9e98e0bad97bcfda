#include "collector/HtmlCatch.h"

#include <oleauto.h>


#include "collector/CollectorModule.h"
#include "collector/PageCapture.h"
#include "collector/SaveToDialog.h"
#include "platform/CallbackGuard.h"
#include "store/StorageHandle.h"

namespace vellora::collector {

HtmlCatch::HtmlCatch() { ObjectCreated(); }
HtmlCatch::~HtmlCatch() { ObjectDestroyed(); }

HRESULT HtmlCatch::Create(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  HtmlCatch* created = new (std::nothrow) HtmlCatch();
  if (!created) return E_OUTOFMEMORY;
  HRESULT hr = created->QueryInterface(iid, object);
  created->Release();
  return hr;
}

HRESULT HtmlCatch::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, kIidHtmlCatch)) {
    *object = static_cast<IHtmlCatch*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG HtmlCatch::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

ULONG HtmlCatch::Release() {
  LONG left = InterlockedDecrement(&references_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

HRESULT HtmlCatch::LoadTypeInfo() {
  if (typeInfo_) return S_OK;
  std::wstring path = WideFromAnsi(ModulePath());
  ComPtr<ITypeLib> library;
  HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.Put());
  if (FAILED(hr)) return hr;
  return library->GetTypeInfoOfGuid(kIidHtmlCatch, typeInfo_.Put());
}

HRESULT HtmlCatch::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 1;
  return S_OK;
}

HRESULT HtmlCatch::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
  if (!info) return E_POINTER;
  *info = nullptr;
  if (index != 0) return DISP_E_BADINDEX;
  HRESULT hr = LoadTypeInfo();
  if (FAILED(hr)) return hr;
  *info = typeInfo_.Get();
  (*info)->AddRef();
  return S_OK;
}

HRESULT HtmlCatch::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  HRESULT hr = LoadTypeInfo();
  if (FAILED(hr)) return hr;
  return DispGetIDsOfNames(typeInfo_.Get(), names, count, ids);
}

HRESULT HtmlCatch::Invoke(DISPID member, REFIID iid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                          EXCEPINFO* exception, UINT* argumentError) {
  if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  HRESULT hr = LoadTypeInfo();
  if (FAILED(hr)) return hr;
  return DispInvoke(static_cast<IHtmlCatch*>(this), typeInfo_.Get(), member, flags, params, result, exception,
                    argumentError);
}

HRESULT HtmlCatch::TransmitHtmlDocument(IDispatch* pHtmlDocument) {
  // The browser's script is on the other side: nothing may escape to it, and
  // the answer is always S_OK (the dialog has told the user what happened).
  return Guarded("HtmlCatch", S_OK, [&] {
    PageCapture capture = CapturePage(pHtmlDocument);
    if (capture.document) RunSaveToDialog(capture, GetActiveWindow());
    return S_OK;
  });
}

// ---- class objects ----------------------------------------------------------

namespace {

class ClassFactory : public IClassFactory {
 public:
  using Creator = HRESULT (*)(REFIID, void**);
  explicit ClassFactory(Creator create) : create_(create) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
      *object = static_cast<IClassFactory*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  // The factories are static: they live as long as the module.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return create_(iid, object);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    collector::LockServer(lock != FALSE);
    return S_OK;
  }

 private:
  Creator create_;
};

struct ClassObjectEntry {
  const CLSID* clsid;
  ClassFactory* factory;
};

ClassFactory g_htmlCatchFactory(&HtmlCatch::Create);
const ClassObjectEntry kClassObjects[] = {{&kClsidHtmlCatch, &g_htmlCatchFactory}};

}  // namespace

HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  for (const ClassObjectEntry& entry : kClassObjects)
    if (IsEqualCLSID(clsid, *entry.clsid)) return entry.factory->QueryInterface(iid, object);
  return CLASS_E_CLASSNOTAVAILABLE;
}

}  // namespace vellora::collector
