#include "collector/WebArchive.h"

#include <ocidl.h>

#include "collector/PageCapture.h"
#include "platform/ComPtr.h"
#include "store/WebArchive.h"

namespace vellora::collector {

namespace {

// The charset the document itself answers, or empty.
std::string OwnCharset(IHTMLDocument2* document) {
  BSTR charset = nullptr;
  std::string name;
  if (document && SUCCEEDED(document->get_charset(&charset))) name = AnsiFromBstr(charset);
  SysFreeString(charset);
  return name;
}

}  // namespace

std::string DocumentCharset(IHTMLDocument2* document) {
  std::string name = OwnCharset(document);
  return name.empty() ? CharsetOfCodePage(GetACP()) : name;
}

HRESULT SaveDocumentHtml(IHTMLDocument2* document, std::string& html) {
  html.clear();
  if (!document) return E_POINTER;
  ComPtr<IPersistStreamInit> persist;
  HRESULT hr = document->QueryInterface(IID_IPersistStreamInit, persist.PutVoid());
  if (FAILED(hr) || !persist) return FAILED(hr) ? hr : E_NOINTERFACE;
  ComPtr<IStream> memory;
  hr = CreateStreamOnHGlobal(nullptr, TRUE, memory.Put());
  if (FAILED(hr)) return hr;
  hr = persist->Save(memory.Get(), TRUE);
  if (FAILED(hr)) return hr;
  STATSTG stat = {};
  hr = memory->Stat(&stat, STATFLAG_NONAME);
  if (FAILED(hr)) return hr;
  if (stat.cbSize.QuadPart == 0 || stat.cbSize.QuadPart > 512ull * 1024 * 1024) return E_FAIL;
  LARGE_INTEGER start = {};
  hr = memory->Seek(start, STREAM_SEEK_SET, nullptr);
  if (FAILED(hr)) return hr;
  html.resize(static_cast<size_t>(stat.cbSize.QuadPart));
  ULONG got = 0;
  hr = memory->Read(html.data(), static_cast<ULONG>(html.size()), &got);
  if (FAILED(hr)) return hr;
  html.resize(got);
  return html.empty() ? E_FAIL : S_OK;
}

HRESULT ArchiveDocument(IHTMLDocument2* document, const std::string& address, const std::string& title,
                        std::string& archive) {
  archive.clear();
  std::string html;
  HRESULT hr = SaveDocumentHtml(document, html);
  if (FAILED(hr)) return hr;
  return ArchivePage(address, html, title, archive, DefaultFetcher(), ArchiveLimits{}, OwnCharset(document));
}

}  // namespace vellora::collector
