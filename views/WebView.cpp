#include "views/WebView.h"

#include <commctrl.h>
#include <exdispid.h>
#include <mshtmhst.h>
#include <mshtml.h>
#include <mshtmcid.h>
#include <ocidl.h>
#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <optional>
#include <vector>

#include "controls/ImageStrip.h"
#include "platform/Dpi.h"
#include "content/CommandIds.h"
#include "content/WorkingFolder.h"
#include "platform/CallbackGuard.h"
#include "store/WebArchive.h"
#include "views/ToolbarLayout.h"
#include "views/ViewResourceIds.h"

namespace vellora {

using namespace resources;

namespace {

constexpr UINT_PTR kNavigateTimer = 1;
constexpr UINT kNavigateDelayMs = 50;
constexpr UINT kOpenButtonId = 1001;
// The panel's spacing, designed at 96 DPI.
const int kPanelMargin = Scaled(12);
const int kPanelRow = Scaled(24);
// An embedded page is read whole for its text only when no engine shows it;
// beyond this its text is not shown (the page itself stays in the library).
constexpr ULONGLONG kPanelArchiveLimit = 64ull << 20;

// The browser's command group, whose command 2 shows the page's source.
const GUID kWebBrowserCommands = {0xED016940, 0xBD5B, 0x11CF, {0xBA, 0x4E, 0x00, 0xC0, 0x4F, 0xD7, 0x08, 0x16}};
constexpr DWORD kViewSourceCommand = 2;
// The HTML document's command group (its find dialog is IDM_FIND).
const GUID kMshtmlCommands = {0xDE4BA900, 0x59CA, 0x11CF, {0x95, 0x92, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
// The HTML document object: the engine a browser makes its pages with.
const CLSID kHtmlDocumentClass = {0x25336920, 0x03F9, 0x11CF, {0x8F, 0xD0, 0x00, 0xAA, 0x00, 0x68, 0x6F, 0x13}};
// The browser's document host flags for the view: no 3-D border, flat scroll bars.
constexpr DWORD kDocHostFlags = DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_FLAT_SCROLLBAR;

class Bstr {
 public:
  explicit Bstr(const std::string& ansi) {
    int n = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
    value_ = SysAllocStringLen(nullptr, static_cast<UINT>(n > 0 ? n : 0));
    if (value_ && n > 0) MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), value_, n);
  }
  Bstr() = default;
  ~Bstr() { SysFreeString(value_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  BSTR Get() const { return value_; }
  BSTR* Put() {
    SysFreeString(value_);
    value_ = nullptr;
    return &value_;
  }
  std::string Ansi() const {
    if (!value_) return {};
    const int length = static_cast<int>(SysStringLen(value_));
    int n = WideCharToMultiByte(CP_ACP, 0, value_, length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(CP_ACP, 0, value_, length, out.data(), n, nullptr, nullptr);
    return out;
  }

 private:
  BSTR value_ = nullptr;
};

// A title as a file name: the characters a file name cannot hold become
// "_", and a name too long for a path is cut (never inside a double-byte
// character).
std::string FileNameOf(const std::string& title) {
  constexpr size_t kMaxName = 120;
  std::string name;
  for (const char* p = title.c_str(); *p && name.size() < kMaxName;) {
    const char* next = CharNextA(p);
    const size_t n = static_cast<size_t>(next - p);
    if (n == 0 || name.size() + n > kMaxName) break;
    const unsigned char c = static_cast<unsigned char>(*p);
    if (n == 1 && (c < 0x20 || std::string_view("\\/:*?\"<>|").find(*p) != std::string_view::npos)) name += '_';
    else name.append(p, n);
    p = next;
  }
  while (!name.empty() && (name.back() == ' ' || name.back() == '.')) name.pop_back();
  return name.empty() ? "page" : name;
}

bool OpenWithShell(const std::string& address) {
  HINSTANCE result = ShellExecuteA(nullptr, "open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  return reinterpret_cast<INT_PTR>(result) > 32;
}

template <class I>
ComPtr<I> QueryOf(IUnknown* from, REFIID iid) {
  ComPtr<I> out;
  if (from) from->QueryInterface(iid, out.PutVoid());
  return out;
}

}  // namespace

// The browser's events the view follows: whether going back and forward is
// possible now.
class BrowserEvents : public IDispatch {
 public:
  explicit BrowserEvents(WebView* view) : view_(view) {}
  void Detach() { view_ = nullptr; }

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == DIID_DWebBrowserEvents2) {
      *out = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
  STDMETHODIMP_(ULONG) Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    if (count) *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override {
    return Guarded("browser event", S_OK, [&] {
      if (!view_ || !params) return S_OK;
      // Arguments come last first: (command, enable) arrive as [1], [0].
      if (id == DISPID_COMMANDSTATECHANGE && params->cArgs >= 2) {
        VARIANT command = {}, enable = {};
        VariantInit(&command);
        VariantInit(&enable);
        if (SUCCEEDED(VariantChangeType(&command, &params->rgvarg[1], 0, VT_I4)) &&
            SUCCEEDED(VariantChangeType(&enable, &params->rgvarg[0], 0, VT_BOOL))) {
          const bool on = enable.boolVal != VARIANT_FALSE;
          if (command.lVal == CSC_NAVIGATEBACK) view_->canGoBack_ = on;
          else if (command.lVal == CSC_NAVIGATEFORWARD) view_->canGoForward_ = on;
        }
        VariantClear(&command);
        VariantClear(&enable);
      }
      return S_OK;
    });
  }

 private:
  virtual ~BrowserEvents() = default;
  std::atomic<ULONG> references_{1};
  WebView* view_;
};

bool BrowserShowsPages(IWebBrowser2* browser) {
  if (!browser) return false;
  ComPtr<IDispatch> document;
  if (SUCCEEDED(browser->get_Document(document.Put())) && document) return true;
  ComPtr<IUnknown> engine;
  return SUCCEEDED(
      CoCreateInstance(kHtmlDocumentClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, engine.PutVoid()));
}

WebView::WebView() : openExternally(OpenWithShell), workingFolder_(WorkingFolderPath()) {
  pane_.onMessage = [this](UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
    return OnMessage(msg, wParam, lParam, handled);
  };
}

WebView::~WebView() {
  ReleaseBrowser();
  pane_.Destroy();
}

bool WebView::Create(HWND parent) {
  if (!pane_.Create(parent, "", WS_CHILD | WS_CLIPCHILDREN, 0, 0, 0, 0, 0)) return false;
  CreateToolbar();
  if (!CreateBrowser()) CreatePanel();
  Layout();
  return true;
}

void WebView::CreateToolbar() {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  toolbar_ = CreateWindowExA(0, TOOLBARCLASSNAMEA, nullptr,
                             WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NORESIZE | CCS_NODIVIDER |
                                 CCS_NOPARENTALIGN,
                             0, 0, 0, 0, pane_.Handle(), nullptr, instance, nullptr);
  if (!toolbar_) return;
  SendMessageA(toolbar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  images_.Reset(LoadImageListForDpi(instance, kWebToolbar.bitmap, kWebToolbar.imageSize, kImageMaskColor));
  SendMessageA(toolbar_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images_.Get()));
  std::vector<TBBUTTON> buttons;
  AppendButtons(buttons, kWebToolbar);
  SendMessageA(toolbar_, TB_ADDBUTTONSA, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
}

bool WebView::CreateBrowser() {
  RECT none = {0, 0, 0, 0};
  if (!host_.Create(pane_.Handle(), none, IDC_WEB_VIEW, {},
                    WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, WS_EX_CLIENTEDGE))
    return false;
  // The flags first, so that the first page has them too; "about:blank"
  // makes the host create the browser, showing an empty page.
  host_.SetDocHostFlags(kDocHostFlags);
  SetWindowTextA(host_.Handle(), "about:blank");
  if (FAILED(host_.CreateControl("about:blank"))) {
    host_.Destroy();
    return false;
  }
  browser_ = host_.Query<IWebBrowser2>(IID_IWebBrowser2);
  if (!BrowserShowsPages(browser_.Get())) {
    ReleaseBrowser();
    host_.Destroy();
    return false;
  }
  if (ComPtr<IConnectionPointContainer> points =
          QueryOf<IConnectionPointContainer>(browser_.Get(), IID_IConnectionPointContainer)) {
    ComPtr<IConnectionPoint> point;
    if (SUCCEEDED(points->FindConnectionPoint(DIID_DWebBrowserEvents2, point.Put())) && point) {
      events_ = new BrowserEvents(this);
      if (FAILED(point->Advise(static_cast<IDispatch*>(events_), &eventsCookie_))) eventsCookie_ = 0;
    }
  }
  return true;
}

void WebView::ReleaseBrowser() {
  if (pane_.Handle()) KillTimer(pane_.Handle(), kNavigateTimer);
  // The sink is cut first, so that nothing the browser does while it goes
  // reaches a view that is going too.
  if (events_) {
    events_->Detach();
    if (eventsCookie_ && browser_) {
      if (ComPtr<IConnectionPointContainer> points =
              QueryOf<IConnectionPointContainer>(browser_.Get(), IID_IConnectionPointContainer)) {
        ComPtr<IConnectionPoint> point;
        if (SUCCEEDED(points->FindConnectionPoint(DIID_DWebBrowserEvents2, point.Put())) && point)
          point->Unadvise(eventsCookie_);
      }
    }
    events_->Release();
    events_ = nullptr;
    eventsCookie_ = 0;
  }
  browser_.Reset();
  host_.ReleaseControl();
}

void WebView::CreatePanel() {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  NONCLIENTMETRICSA metrics = {};
  metrics.cbSize = sizeof metrics;
  if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
    panelFont_.Reset(CreateFontIndirectA(&metrics.lfMessageFont));
  HFONT font = panelFont_ ? panelFont_.Get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  auto make = [&](const char* cls, const char* text, DWORD style, DWORD exStyle, UINT id) {
    HWND w = CreateWindowExA(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, pane_.Handle(),
                             reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), instance, nullptr);
    if (w) SendMessageA(w, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return w;
  };
  panelNote_ = make("STATIC",
                    "No web browser engine is installed on this computer, so the page cannot be shown here. "
                    "You can open it in your web browser.",
                    SS_LEFT, 0, 0);
  panelAddress_ = make("EDIT", "", ES_AUTOHSCROLL | ES_READONLY, WS_EX_CLIENTEDGE, 0);
  panelOpen_ = make("BUTTON", "Open in browser", BS_PUSHBUTTON | WS_TABSTOP, 0, kOpenButtonId);
  panelText_ = make("EDIT", "", ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL, WS_EX_CLIENTEDGE, 0);
  if (panelText_) SendMessageA(panelText_, EM_SETLIMITTEXT, 0, 0);
  EnableWindow(panelOpen_, FALSE);
}

void WebView::Layout() {
  if (!pane_.Handle()) return;
  RECT client;
  GetClientRect(pane_.Handle(), &client);
  int top = 0;
  if (toolbar_) {
    const DWORD size = static_cast<DWORD>(SendMessageA(toolbar_, TB_GETBUTTONSIZE, 0, 0));
    const int height = HIWORD(size) + 4;
    MoveWindow(toolbar_, 0, 0, client.right, height, TRUE);
    top = height;
  }
  if (host_.Handle()) {
    MoveWindow(host_.Handle(), 0, top, client.right, client.bottom - top, TRUE);
    return;
  }
  if (!panelNote_) return;
  const int width = client.right - 2 * kPanelMargin;
  int y = top + kPanelMargin;
  MoveWindow(panelNote_, kPanelMargin, y, width, 2 * kPanelRow, TRUE);
  y += 2 * kPanelRow + kPanelMargin / 2;
  const int button = 120;
  MoveWindow(panelAddress_, kPanelMargin, y, width - button - kPanelMargin / 2, kPanelRow, TRUE);
  MoveWindow(panelOpen_, client.right - kPanelMargin - button, y - 1, button, kPanelRow + 2, TRUE);
  y += kPanelRow + kPanelMargin;
  MoveWindow(panelText_, kPanelMargin, y, width, client.bottom - y - kPanelMargin, TRUE);
}

HWND WebView::FocusWindow() const {
  if (host_.Handle()) return host_.Handle();
  return panelOpen_ && IsWindowEnabled(panelOpen_) ? panelOpen_ : pane_.Handle();
}

LRESULT WebView::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
  switch (msg) {
    case WM_SIZE:
      Layout();
      handled = true;
      return 0;
    case WM_TIMER:
      if (wParam != kNavigateTimer) break;
      KillTimer(pane_.Handle(), kNavigateTimer);
      Navigate();
      handled = true;
      return 0;
    case WM_COMMAND:
      if (LOWORD(wParam) == kOpenButtonId && reinterpret_cast<HWND>(lParam) == panelOpen_) {
        OpenExternally();
        handled = true;
        return 0;
      }
      break;
    case WM_CTLCOLORSTATIC:
      // The panel's texts stand on the pane's face; the read-only boxes stay white.
      if (reinterpret_cast<HWND>(lParam) == panelText_ || reinterpret_cast<HWND>(lParam) == panelAddress_) {
        SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOW));
        handled = true;
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
      }
      break;
    default:
      break;
  }
  return 0;
}

void WebView::ShowAddress(const std::string& address) {
  address_ = address;
  // Shown from this thread's message loop a moment later, which lets the
  // view come up first; a second address before then replaces the first.
  if (browser_ && pane_.Handle()) SetTimer(pane_.Handle(), kNavigateTimer, kNavigateDelayMs, nullptr);
}

void WebView::Navigate() {
  if (!browser_) return;
  Bstr text(address_);
  VARIANT address;
  VariantInit(&address);
  address.vt = VT_BSTR;
  address.bstrVal = text.Get();
  VARIANT none;
  VariantInit(&none);
  browser_->Navigate2(&address, &none, &none, &none, &none);
}

bool WebView::Load(const ItemSource& source) {
  Clear();
  source_ = &source;
  OpenedItem item;
  if (FAILED(source.Open(false, item)) || FAILED(item.SeekContent())) {
    problem_ = "its content could not be read";
    return false;
  }
  if (source.Kind() == kItemWebArchive) {
    if (!browser_) {
      // Without an engine: the page's text, read from its archive.
      const ULONGLONG size = item.Content().Remaining();
      if (size > kPanelArchiveLimit) {
        ShowPanelFor({}, "The saved page is too large to show its text here.");
        return true;
      }
      std::string archive(static_cast<size_t>(size), '\0');
      ULONG got = 0;
      if (size && FAILED(item.Content().ReadBytes(archive.data(), static_cast<ULONG>(size), &got))) got = 0;
      archive.resize(got);
      std::vector<ArchivePart> parts;
      const std::string original = ReadWebArchive(archive, parts) && !parts.empty() ? parts.front().location : "";
      embeddedArchive_ = std::move(archive);
      ShowPanelFor(original, ArchiveDocumentText(embeddedArchive_));
      return true;
    }
    // Written out whole each time it is shown, over the copy of the last time.
    if (!EnsureWorkingFolder(workingFolder_)) {
      problem_ = "the working folder " + workingFolder_ + " could not be made";
      return false;
    }
    archiveFile_ = workingFolder_ + "\\" + FileNameOf(source.Title()) + ".mht";
    if (!item.Content().ExportTailToFile(archiveFile_.c_str(), item.contentOffset)) {
      problem_ = "the saved page could not be written to " + archiveFile_;
      return false;
    }
    ShowAddress(archiveFile_);
    return true;
  }
  // A link: one counted string; a missing or null one is an empty address.
  std::optional<std::string> address;
  if (FAILED(item.Content().ReadCountedString(address))) address.reset();
  if (browser_) ShowAddress(address.value_or(std::string()));
  else ShowPanelFor(address.value_or(std::string()), {});
  return true;
}

void WebView::ShowPanelFor(const std::string& address, const std::string& text) {
  address_ = address;
  openTarget_ = address;
  if (panelAddress_) SetWindowTextA(panelAddress_, address.c_str());
  if (panelText_) {
    // The edit box wants CR LF line ends.
    std::string shown;
    shown.reserve(text.size() + text.size() / 16);
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) shown += '\r';
      shown += text[i];
    }
    SetWindowTextA(panelText_, shown.c_str());
    ShowWindow(panelText_, text.empty() ? SW_HIDE : SW_SHOW);
  }
  if (panelOpen_) EnableWindow(panelOpen_, !address.empty() || !embeddedArchive_.empty());
}

void WebView::OpenExternally() {
  if (!openExternally) return;
  if (!embeddedArchive_.empty() && source_) {
    // The saved copy is what the item holds: it is opened, not the page it came from.
    if (!EnsureWorkingFolder(workingFolder_)) return;
    archiveFile_ = workingFolder_ + "\\" + FileNameOf(source_->Title()) + ".mht";
    HANDLE file = CreateFileA(archiveFile_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, embeddedArchive_.data(), static_cast<DWORD>(embeddedArchive_.size()), &written,
                              nullptr);
    CloseHandle(file);
    if (ok && written == embeddedArchive_.size()) openExternally(archiveFile_);
    return;
  }
  if (!openTarget_.empty()) openExternally(openTarget_);
}

void WebView::Clear() {
  if (pane_.Handle()) KillTimer(pane_.Handle(), kNavigateTimer);
  source_ = nullptr;
  problem_.clear();
  embeddedArchive_.clear();
  openTarget_.clear();
  if (!browser_) ShowPanelFor({}, {});
}

void WebView::StopActivity() {
  if (pane_.Handle()) KillTimer(pane_.Handle(), kNavigateTimer);
  if (browser_) browser_->Stop();
}

HRESULT WebView::StoreLinkPage(const ItemSource& source) const {
  OpenedItem item;
  HRESULT hr = source.OpenForUpdate(item);
  if (FAILED(hr)) return hr;
  if (FAILED(hr = item.SeekContent())) return hr;
  if (FAILED(hr = item.Content().WriteCountedString(address_))) return hr;
  if (FAILED(hr = item.TruncateContent(item.Content().Position() - item.contentOffset))) return hr;
  return item.Commit();
}

ComPtr<IDispatch> WebView::Document() const {
  ComPtr<IDispatch> document;
  if (browser_) browser_->get_Document(document.Put());
  return document;
}

void WebView::SetDesignMode(bool on) {
  ComPtr<IDispatch> document = Document();
  if (ComPtr<IHTMLDocument2> html = QueryOf<IHTMLDocument2>(document.Get(), IID_IHTMLDocument2)) {
    Bstr mode(on ? "On" : "Off");
    html->put_designMode(mode.Get());
  }
}

void WebView::SetMode(Mode mode) {
  if (!browser_) return;
  // Design mode is switched off before the page is browsed or its source shown.
  if (mode != kEdit && mode_ == kEdit) SetDesignMode(false);
  mode_ = mode;
  if (mode == kSource) {
    if (ComPtr<IOleCommandTarget> target = QueryOf<IOleCommandTarget>(browser_.Get(), IID_IOleCommandTarget))
      target->Exec(&kWebBrowserCommands, kViewSourceCommand, OLECMDEXECOPT_DODEFAULT, nullptr, nullptr);
  } else if (mode == kEdit) {
    SetDesignMode(true);
  }
}

bool WebView::HandleCommand(UINT id) {
  switch (id) {
    case ID_WEB_BACK:
      if (browser_) browser_->GoBack();
      return true;
    case ID_WEB_FORWARD:
      if (browser_) browser_->GoForward();
      return true;
    case ID_WEB_STOP:
      if (browser_) browser_->Stop();
      return true;
    case ID_WEB_REFRESH:
      if (browser_) browser_->Refresh();
      return true;
    case ID_WEB_PRINT:
      if (browser_) browser_->ExecWB(OLECMDID_PRINT, OLECMDEXECOPT_DODEFAULT, nullptr, nullptr);
      return true;
    case ID_WEB_BROWSE: SetMode(kBrowse); return true;
    case ID_WEB_SOURCE: SetMode(kSource); return true;
    case ID_WEB_EDIT: SetMode(kEdit); return true;
    default: return false;
  }
}

bool WebView::QueryCommand(UINT id, CommandUi& ui) const {
  const bool browser = static_cast<bool>(browser_);
  switch (id) {
    case ID_WEB_BACK: ui.enabled = browser && canGoBack_; return true;
    case ID_WEB_FORWARD: ui.enabled = browser && canGoForward_; return true;
    case ID_WEB_STOP:
    case ID_WEB_REFRESH:
    case ID_WEB_PRINT: ui.enabled = browser; return true;
    case ID_WEB_BROWSE:
    case ID_WEB_SOURCE:
    case ID_WEB_EDIT: {
      const Mode mode = id == ID_WEB_BROWSE ? kBrowse : id == ID_WEB_SOURCE ? kSource : kEdit;
      ui.enabled = browser;
      ui.checked = browser && mode_ == mode;
      return true;
    }
    default: return false;
  }
}

void WebView::UpdateCommandUi() {
  if (!toolbar_) return;
  for (UINT id : kWebToolbarButtons) {
    if (id == kSeparator) continue;
    CommandUi ui;
    if (wiring.queryCommand) ui = wiring.queryCommand(id);
    else if (!QueryCommand(id, ui)) ui.enabled = false;
    SendMessageA(toolbar_, TB_ENABLEBUTTON, id, MAKELONG(ui.enabled, 0));
    SendMessageA(toolbar_, TB_CHECKBUTTON, id, MAKELONG(ui.checked, 0));
  }
}

bool WebView::PreTranslate(MSG& message) {
  if (!browser_ || !host_.Handle()) return false;
  // Only while the keyboard is in the browser: its own shortcuts come first.
  HWND focus = GetFocus();
  if (focus != host_.Handle() && !IsChild(host_.Handle(), focus)) return false;
  return host_.PreTranslate(message);
}

bool WebView::OpenOwnFind() {
  if (!browser_) return false;
  // The document's find dialog, else the browser's.
  ComPtr<IDispatch> document = Document();
  if (ComPtr<IOleCommandTarget> target = QueryOf<IOleCommandTarget>(document.Get(), IID_IOleCommandTarget))
    if (SUCCEEDED(target->Exec(&kMshtmlCommands, IDM_FIND, OLECMDEXECOPT_DODEFAULT, nullptr, nullptr))) return true;
  browser_->ExecWB(OLECMDID_FIND, OLECMDEXECOPT_PROMPTUSER, nullptr, nullptr);
  return true;
}

bool WebView::FindInPanel(const std::string& text) {
  if (!panelText_ || !IsWindowVisible(panelText_)) return false;
  std::string shown(static_cast<size_t>(GetWindowTextLengthA(panelText_)) + 1, '\0');
  shown.resize(static_cast<size_t>(GetWindowTextA(panelText_, shown.data(), static_cast<int>(shown.size()))));
  // From the end of the selection on (an ANSI edit box counts bytes).
  DWORD start = 0, end = 0;
  SendMessageA(panelText_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  const size_t at = shown.find(text, std::min<size_t>(end, shown.size()));
  if (at == std::string::npos) return false;
  SendMessageA(panelText_, EM_SETSEL, at, at + text.size());
  SendMessageA(panelText_, EM_SCROLLCARET, 0, 0);
  return true;
}

bool WebView::Find(const std::string& text, bool textOnly) {
  (void)textOnly;
  if (text.empty()) return false;
  if (!browser_) return FindInPanel(text);
  ComPtr<IDispatch> document = Document();
  ComPtr<IHTMLDocument2> html = QueryOf<IHTMLDocument2>(document.Get(), IID_IHTMLDocument2);
  if (!html) return false;
  ComPtr<IHTMLElement> body;
  if (FAILED(html->get_body(body.Put())) || !body) return false;
  ComPtr<IHTMLBodyElement> bodyElement = QueryOf<IHTMLBodyElement>(body.Get(), IID_IHTMLBodyElement);
  ComPtr<IHTMLTxtRange> range;
  if (!bodyElement || FAILED(bodyElement->createTextRange(range.Put())) || !range) return false;
  // From the end of the selection on, so that a second find goes on.
  ComPtr<IHTMLSelectionObject> selection;
  if (SUCCEEDED(html->get_selection(selection.Put())) && selection) {
    ComPtr<IDispatch> selected;
    if (SUCCEEDED(selection->createRange(selected.Put())) && selected) {
      if (ComPtr<IHTMLTxtRange> at = QueryOf<IHTMLTxtRange>(selected.Get(), IID_IHTMLTxtRange)) {
        Bstr how("StartToEnd");
        range->setEndPoint(how.Get(), at.Get());
      }
    }
  }
  Bstr wanted(text);
  VARIANT_BOOL found = VARIANT_FALSE;
  if (FAILED(range->findText(wanted.Get(), 0x7FFFFFFF, 0, &found)) || found == VARIANT_FALSE) return false;
  range->select();
  range->scrollIntoView(VARIANT_TRUE);
  return true;
}

std::string WebView::SelectedText() const {
  ComPtr<IDispatch> document = Document();
  ComPtr<IHTMLDocument2> html = QueryOf<IHTMLDocument2>(document.Get(), IID_IHTMLDocument2);
  ComPtr<IHTMLSelectionObject> selection;
  if (!html || FAILED(html->get_selection(selection.Put())) || !selection) return {};
  ComPtr<IDispatch> selected;
  if (FAILED(selection->createRange(selected.Put())) || !selected) return {};
  ComPtr<IHTMLTxtRange> range = QueryOf<IHTMLTxtRange>(selected.Get(), IID_IHTMLTxtRange);
  Bstr text;
  if (!range || FAILED(range->get_text(text.Put()))) return {};
  return text.Ansi();
}

bool WebView::PrintOwn(bool preview) const {
  if (!browser_) return false;
  return SUCCEEDED(
      browser_->ExecWB(preview ? OLECMDID_PRINTPREVIEW : OLECMDID_PRINT, OLECMDEXECOPT_DODEFAULT, nullptr, nullptr));
}

}  // namespace vellora
