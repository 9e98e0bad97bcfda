#pragma once
// What a web browser tells its event sink (DWebBrowserEvents2), kept for the
// tests: the events in order, the history buttons' states, the last title and
// the threads the events came on.
#include <windows.h>
#include <exdisp.h>

#include <map>
#include <string>
#include <vector>

#include "platform/ComPtr.h"

namespace vtest::web {

class BrowserEvents : public IDispatch {
 public:
  BrowserEvents() = default;
  ~BrowserEvents() { Disconnect(); }
  BrowserEvents(const BrowserEvents&) = delete;
  BrowserEvents& operator=(const BrowserEvents&) = delete;

  // Connects to the browser's events; false when the browser refuses.
  bool Connect(IUnknown* browser);
  void Disconnect();

  std::vector<DISPID> fired;
  std::map<LONG, bool> commandEnabled;  // CSC_NAVIGATEBACK / CSC_NAVIGATEFORWARD
  std::string title;
  std::vector<DWORD> threads;

  bool Saw(DISPID id) const;

  // IUnknown: the object lives on the test's stack and is never deleted by COM.
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
  STDMETHODIMP_(ULONG) Release() override { return --references_; }
  // IDispatch
  STDMETHODIMP GetTypeInfoCount(UINT* count) override;
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** out) override;
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override;

  // References the browser holds on the sink (0 once it let go).
  ULONG HeldReferences() const { return references_ - 1; }

 private:
  ULONG references_ = 1;
  vellora::ComPtr<IConnectionPoint> point_;
  DWORD cookie_ = 0;
};

}  // namespace vtest::web
