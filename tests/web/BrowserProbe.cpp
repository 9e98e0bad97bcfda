#include "tests/web/BrowserProbe.h"

#include "platform/ComPtr.h"
#include "tests/TestSupport.h"

namespace vtest::web {

bool BrowserShowsPages(IWebBrowser2* browser, DWORD waitMs) {
  if (!browser) return false;
  const DWORD start = GetTickCount();
  for (;;) {
    vellora::ComPtr<IDispatch> document;
    if (SUCCEEDED(browser->get_Document(document.Put())) && document) return true;
    if (GetTickCount() - start >= waitMs) return false;
    Pump();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
}

HRESULT NavigateTo(IWebBrowser2* browser, const std::string& address) {
  if (!browser) return E_POINTER;
  int n = MultiByteToWideChar(CP_ACP, 0, address.data(), static_cast<int>(address.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, address.data(), static_cast<int>(address.size()), wide.data(), n);
  VARIANT url;
  VariantInit(&url);
  url.vt = VT_BSTR;
  url.bstrVal = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
  VARIANT none;
  VariantInit(&none);
  HRESULT hr = browser->Navigate2(&url, &none, &none, &none, &none);
  VariantClear(&url);
  return hr;
}

void PumpFor(DWORD milliseconds) {
  const DWORD start = GetTickCount();
  do {
    Pump();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  } while (GetTickCount() - start < milliseconds);
  Pump();
}

}  // namespace vtest::web
