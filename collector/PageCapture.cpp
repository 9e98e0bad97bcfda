#include "collector/PageCapture.h"

#include <oleauto.h>

#include "store/LibraryFormat.h"

namespace vellora::collector {

namespace {

// Owns a BSTR handed back by a property getter.
class Bstr {
 public:
  Bstr() = default;
  ~Bstr() { SysFreeString(text_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  BSTR* Receive() {
    SysFreeString(text_);
    text_ = nullptr;
    return &text_;
  }
  BSTR Get() const { return text_; }

 private:
  BSTR text_ = nullptr;
};

std::string ReadSelectionText(IHTMLDocument2* document) {
  ComPtr<IHTMLSelectionObject> selection;
  if (FAILED(document->get_selection(selection.Put())) || !selection) return {};
  Bstr type;
  if (FAILED(selection->get_type(type.Receive()))) return {};
  std::string kind = AnsiFromBstr(type.Get());
  CharUpperBuffA(kind.data(), static_cast<DWORD>(kind.size()));
  // Only a text selection counts; "None" and "Control" (images, inputs) do not.
  if (kind != "TEXT") return {};
  ComPtr<IDispatch> range;
  if (FAILED(selection->createRange(range.Put())) || !range) return {};
  ComPtr<IHTMLTxtRange> textRange;
  if (FAILED(range->QueryInterface(IID_IHTMLTxtRange, textRange.PutVoid())) || !textRange) return {};
  Bstr text;
  if (FAILED(textRange->get_text(text.Receive()))) return {};
  return AnsiFromBstr(text.Get());
}

}  // namespace

std::string AnsiFromBstr(BSTR text) {
  if (!text) return {};
  UINT length = SysStringLen(text);
  if (length == 0) return {};
  int bytes = WideCharToMultiByte(CP_THREAD_ACP, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return {};
  std::string out(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_THREAD_ACP, 0, text, static_cast<int>(length), out.data(), bytes, nullptr, nullptr);
  // A string with an embedded NUL ends there, as the C string it becomes.
  size_t nul = out.find('\0');
  if (nul != std::string::npos) out.resize(nul);
  return out;
}

std::string LinkFromAddress(const std::string& address) {
  std::string out;
  out.reserve(address.size());
  for (size_t i = 0; i < address.size(); ++i) {
    if (address.compare(i, 3, "%20") == 0) {
      out += ' ';
      i += 2;
    } else {
      out += address[i];
    }
  }
  return out;
}

PageCapture CapturePage(IDispatch* htmlDocument) {
  PageCapture capture;
  if (!htmlDocument) return capture;
  ComPtr<IHTMLDocument2> document;
  if (FAILED(htmlDocument->QueryInterface(IID_IHTMLDocument2, document.PutVoid())) || !document) return capture;
  capture.document = document;
  capture.selectionText = ReadSelectionText(document.Get());
  Bstr title;
  if (SUCCEEDED(document->get_title(title.Receive())))
    capture.title = CutToBytes(AnsiFromBstr(title.Get()), kMaxCaptureBytes);
  Bstr url;
  if (SUCCEEDED(document->get_URL(url.Receive()))) capture.address = AnsiFromBstr(url.Get());
  // The link shows where the capture came from: the selection when there is
  // one (the address would not find that text again), else the page.
  capture.link = !capture.selectionText.empty() ? std::string(kTextSelectionLink)
                                                : CutToBytes(LinkFromAddress(capture.address), kMaxCaptureBytes);
  return capture;
}

}  // namespace vellora::collector
