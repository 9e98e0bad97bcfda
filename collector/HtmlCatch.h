// The collector's one COM class: the browser's menu page creates it and
// hands it the page's document; it shows the "Save to" dialog.
#pragma once
#include <windows.h>
#include <unknwn.h>

#include "collector/HtmlCatchInterface.h"
#include "platform/ComPtr.h"

namespace vellora::collector {

class HtmlCatch : public IHtmlCatch {
 public:
  static HRESULT Create(REFIID iid, void** object);

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // IDispatch, served from the embedded type library
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override;
  // IHtmlCatch: always answers S_OK; the dialog tells the user what happened.
  HRESULT STDMETHODCALLTYPE TransmitHtmlDocument(IDispatch* pHtmlDocument) override;

 private:
  HtmlCatch();
  virtual ~HtmlCatch();
  HRESULT LoadTypeInfo();

  LONG references_ = 1;
  ComPtr<ITypeInfo> typeInfo_;
};

// The class objects the DLL hands out, by class id.
HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** object);

}  // namespace vellora::collector
