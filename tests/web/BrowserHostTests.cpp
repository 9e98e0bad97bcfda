// The control host with the tests' stand-in browser registered under the web
// browser's class id: an address makes a browser that shows it once, the
// host's document flags and keys reach it, everything it handed out is let
// go; what the web view will ask of the stand-in is logged and answered; and
// the platform's registration comes back exactly as it was.
#include "controls/ActiveXHost.h"

#include <gtest/gtest.h>
#include <docobj.h>
#include <exdisp.h>
#include <exdispid.h>
#include <mshtmhst.h>
#include <mshtml.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/ComPtr.h"
#include "tests/TestSupport.h"
#include "tests/controls/ControlHost.h"
#include "tests/web/BrowserEvents.h"
#include "tests/web/BrowserProbe.h"
#include "tests/webbrowser/StandInBrowserDll.h"

using vellora::ActiveXHost;
using vellora::ComPtr;
using vtest::web::NavigateTo;
using vtest::web::StandIn;

namespace {

HWND BrowserWindowIn(HWND host) { return FindWindowExA(host, nullptr, vtest::web::kWindowClass, nullptr); }

std::string Text(BSTR text) {
  std::string out;
  for (UINT i = 0; text && i < SysStringLen(text); ++i) out += static_cast<char>(text[i]);
  SysFreeString(text);
  return out;
}

std::wstring WideOf(const std::string& text) { return std::wstring(text.begin(), text.end()); }

class BrowserHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Again for each test: one that wanted the platform's browser may have run before.
    ASSERT_TRUE(StandIn().Loaded()) << "VelloraStandInBrowser.dll is not beside the test program";
    ASSERT_HRESULT_SUCCEEDED(StandIn().Register()) << "the stand-in browser could not be registered";
    StandIn().ClearLog();
  }
  void TearDown() override { EXPECT_EQ(StandIn().LiveObjects(), 0) << "a stand-in object was not let go"; }
  std::string Log() const { return StandIn().Log(); }

  vtest::ControlHost window{500, 400};
  vtest::TempDir dir;
};

TEST_F(BrowserHostTest, AnAddressMakesABrowserThatShowsItOnceWithoutExtras) {
  const std::string file = dir.File("page.html");
  ASSERT_TRUE(vtest::WriteWholeFile(file, "<html><head><title>A page</title></head><body>text</body></html>"));
  for (const std::string& address : {std::string("about:blank"), std::string("http://example.org/a?b=c"), file,
                                      std::string("\\\\server\\share\\page.html")}) {
    SCOPED_TRACE(address);
    StandIn().ClearLog();
    {
      ActiveXHost host;
      ASSERT_TRUE(host.Create(window.Handle(), {10, 10, 410, 310}, 108, address));
      ASSERT_HRESULT_SUCCEEDED(host.LastResult());
      ASSERT_TRUE(host.HasControl());
      EXPECT_EQ(StandIn().Lines("navigate"), std::vector<std::string>{"navigate " + address});
      const std::string log = Log();
      EXPECT_LT(log.find("initnew\n"), log.find("navigate ")) << log;

      ComPtr<IWebBrowser2> browser = host.Query<IWebBrowser2>(IID_IWebBrowser2);
      ASSERT_TRUE(browser);
      BSTR location = nullptr;
      ASSERT_HRESULT_SUCCEEDED(browser->get_LocationURL(&location));
      EXPECT_EQ(Text(location), address);

      // The browser's window fills the host and follows it.
      HWND shown = BrowserWindowIn(host.Handle());
      ASSERT_TRUE(shown);
      RECT rc;
      GetClientRect(shown, &rc);
      EXPECT_EQ(vtest::Str(rc), vtest::Str(0, 0, 400, 300));
      MoveWindow(host.Handle(), 0, 0, 320, 180, TRUE);
      GetClientRect(shown, &rc);
      EXPECT_EQ(vtest::Str(rc), vtest::Str(0, 0, 320, 180));
    }
    EXPECT_EQ(StandIn().LiveObjects(), 0);
  }
}

TEST_F(BrowserHostTest, TheHostsDocumentFlagsReachTheBrowserWithTheNextPage) {
  ActiveXHost host;
  ASSERT_TRUE(host.Create(window.Handle(), {0, 0, 300, 200}, 108, "about:blank"));
  ComPtr<IWebBrowser2> browser = host.Query<IWebBrowser2>(IID_IWebBrowser2);
  ASSERT_TRUE(browser);
  ASSERT_FALSE(StandIn().Lines("hostflags").empty()) << Log();
  EXPECT_EQ(StandIn().Lines("hostflags").back(), "hostflags 0x0");
  host.SetDocHostFlags(DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_FLAT_SCROLLBAR);
  ASSERT_HRESULT_SUCCEEDED(NavigateTo(browser.Get(), "about:blank"));
  EXPECT_EQ(StandIn().Lines("hostflags").back(), "hostflags 0x84");
}

TEST_F(BrowserHostTest, KeysAreOfferedToTheActiveBrowserWhichTakesOnlyF5) {
  ActiveXHost host;
  ASSERT_TRUE(host.Create(window.Handle(), {0, 0, 300, 200}, 108, "about:blank"));
  HWND shown = BrowserWindowIn(host.Handle());
  ASSERT_TRUE(shown);
  MSG f5 = {shown, WM_KEYDOWN, VK_F5, 0};
  // Not yet active in the user interface: nothing is offered.
  EXPECT_FALSE(host.PreTranslate(f5));
  EXPECT_TRUE(StandIn().Lines("key").empty()) << Log();

  // The host gets the focus and activates the browser, which takes it.
  SetFocus(host.Handle());
  vtest::Pump();
  EXPECT_EQ(GetFocus(), shown);
  struct KeyCase {
    UINT message;
    WPARAM key;
    bool taken;
  };
  for (const KeyCase& c : {KeyCase{WM_KEYDOWN, VK_F5, true}, KeyCase{WM_KEYUP, VK_F5, false},
                           KeyCase{WM_KEYDOWN, 'A', false}, KeyCase{WM_CHAR, 'a', false},
                           KeyCase{WM_SYSKEYDOWN, VK_LEFT, false}, KeyCase{WM_LBUTTONDOWN, MK_LBUTTON, false}}) {
    const std::string line = "key " + std::to_string(c.message) + " " + std::to_string(c.key);
    SCOPED_TRACE(line);
    StandIn().ClearLog();
    MSG message = {shown, c.message, c.key, 0};
    EXPECT_EQ(host.PreTranslate(message), c.taken);
    EXPECT_EQ(StandIn().Lines("key"), std::vector<std::string>{line});
    EXPECT_EQ(StandIn().Lines("refresh").size(), c.taken ? 1u : 0u);
  }
}

TEST_F(BrowserHostTest, AReplacedOrReleasedBrowserLetsGoOfItsDocumentAndItsParts) {
  ActiveXHost host;
  ASSERT_TRUE(host.Create(window.Handle(), {0, 0, 300, 200}, 108, "about:blank"));
  {
    ComPtr<IWebBrowser2> browser = host.Query<IWebBrowser2>(IID_IWebBrowser2);
    ComPtr<IDispatch> document;
    ASSERT_HRESULT_SUCCEEDED(browser->get_Document(document.Put()));
    ComPtr<IHTMLDocument2> html;
    ASSERT_HRESULT_SUCCEEDED(document->QueryInterface(IID_IHTMLDocument2, html.PutVoid()));
    ComPtr<IHTMLElement> body;
    ASSERT_HRESULT_SUCCEEDED(html->get_body(body.Put()));
    ComPtr<IHTMLSelectionObject> selection;
    ASSERT_HRESULT_SUCCEEDED(html->get_selection(selection.Put()));
    EXPECT_GT(StandIn().LiveObjects(), 1);
  }
  ASSERT_HRESULT_SUCCEEDED(host.CreateControl("about:blank"));
  EXPECT_EQ(StandIn().LiveObjects(), 1);
  host.ReleaseControl();
  EXPECT_EQ(StandIn().LiveObjects(), 0);
  EXPECT_FALSE(BrowserWindowIn(host.Handle()));
}

TEST_F(BrowserHostTest, EveryLogLineAlsoGoesToTheFileTheEnvironmentNames) {
  // As Vellora.exe's browser would write them, for the test that started it.
  const std::string file = dir.File("standin.log");
  ASSERT_TRUE(SetEnvironmentVariableA(vtest::web::kLogFileVariable, file.c_str()));
  {
    ActiveXHost host;
    ASSERT_TRUE(host.Create(window.Handle(), {0, 0, 300, 200}, 108, "about:blank"));
    NavigateTo(host.Query<IWebBrowser2>(IID_IWebBrowser2).Get(), "http://example.org/");
  }
  SetEnvironmentVariableA(vtest::web::kLogFileVariable, nullptr);
  EXPECT_EQ(StandIn().Lines("navigate"),
            (std::vector<std::string>{"navigate about:blank", "navigate http://example.org/"}));
  EXPECT_EQ(vtest::ReadWholeFile(file), Log());
}

// ---- what the web view asks of the stand-in -------------------------------------

class StandInBrowserTest : public BrowserHostTest {
 protected:
  void SetUp() override {
    BrowserHostTest::SetUp();
    ASSERT_TRUE(host.Create(window.Handle(), {0, 0, 300, 200}, 108, "about:blank"));
    browser = host.Query<IWebBrowser2>(IID_IWebBrowser2);
    ASSERT_TRUE(browser);
    ASSERT_TRUE(events.Connect(browser.Get()));
    StandIn().ClearLog();
  }
  void TearDown() override {
    events.Disconnect();
    browser.Reset();
    host.ReleaseControl();
    EXPECT_EQ(events.HeldReferences(), 0u);
    BrowserHostTest::TearDown();
  }
  std::string Location() {
    BSTR location = nullptr;
    browser->get_LocationURL(&location);
    return Text(location);
  }
  ComPtr<IHTMLDocument2> Document() {
    ComPtr<IDispatch> document;
    ComPtr<IHTMLDocument2> html;
    if (SUCCEEDED(browser->get_Document(document.Put())) && document)
      document->QueryInterface(IID_IHTMLDocument2, html.PutVoid());
    return html;
  }

  ActiveXHost host;
  ComPtr<IWebBrowser2> browser;
  vtest::web::BrowserEvents events;
};

struct NavigateThread {
  IWebBrowser2* browser;
  const char* address;
  static DWORD WINAPI Run(void* self) {
    auto* me = static_cast<NavigateThread*>(self);
    Sleep(50);
    NavigateTo(me->browser, me->address);
    return 0;
  }
};

TEST_F(StandInBrowserTest, NavigationsHistoryAndCommandsAreLoggedWithTheirEvents) {
  const std::string page = dir.File("titled.html");
  ASSERT_TRUE(vtest::WriteWholeFile(page, "<html><head><title> Titled page </title></head><body>x</body></html>"));
  ASSERT_HRESULT_SUCCEEDED(NavigateTo(browser.Get(), page));
  // One navigation, the events in the order a browser fires them.
  EXPECT_EQ(events.fired, (std::vector<DISPID>{DISPID_BEFORENAVIGATE2, DISPID_COMMANDSTATECHANGE,
                                               DISPID_COMMANDSTATECHANGE, DISPID_NAVIGATECOMPLETE2,
                                               DISPID_TITLECHANGE, DISPID_DOCUMENTCOMPLETE}));
  EXPECT_EQ(events.title, "Titled page");
  EXPECT_TRUE(events.commandEnabled[CSC_NAVIGATEBACK]);
  EXPECT_FALSE(events.commandEnabled[CSC_NAVIGATEFORWARD]);
  StandIn().ClearLog();

  VARIANT flags;
  VariantInit(&flags);
  flags.vt = VT_I4;
  flags.lVal = navNoHistory;
  VARIANT none;
  VariantInit(&none);
  VARIANT second;
  VariantInit(&second);
  second.vt = VT_BSTR;
  second.bstrVal = SysAllocString(L"http://example.org/");
  struct Step {
    const char* line;
    std::function<HRESULT()> run;
    const char* location;  // afterwards, or null when it does not matter
  };
  NavigateThread worker{browser.Get(), "http://example.org/from-a-worker"};
  const std::vector<Step> steps = {
      {"navigate http://example.org/ with extras",
       [&] { return browser->Navigate2(&second, &flags, &none, &none, &none); }, "http://example.org/"},
      {"back", [&] { return browser->GoBack(); }, page.c_str()},
      {"forward", [&] { return browser->GoForward(); }, "http://example.org/"},
      {"stop", [&] { return browser->Stop(); }, nullptr},
      {"refresh", [&] { return browser->Refresh(); }, "http://example.org/"},
      {"execwb 6 0", [&] { return browser->ExecWB(OLECMDID_PRINT, OLECMDEXECOPT_DODEFAULT, nullptr, nullptr); },
       nullptr},
      {"exec webbrowser 2",
       [&] {
         ComPtr<IOleCommandTarget> target;
         browser->QueryInterface(IID_IOleCommandTarget, target.PutVoid());
         return target ? target->Exec(&vtest::web::kCommandGroupWebBrowser, 2, OLECMDEXECOPT_DODEFAULT, nullptr,
                                      nullptr)
                       : E_NOINTERFACE;
       },
       nullptr},
      {"navigate http://example.org/from-a-worker from another thread",
       [&] {
         HANDLE thread = CreateThread(nullptr, 0, NavigateThread::Run, &worker, 0, nullptr);
         if (!thread) return E_FAIL;
         while (MsgWaitForMultipleObjects(1, &thread, FALSE, 5000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) vtest::Pump();
         CloseHandle(thread);
         return S_OK;
       },
       "http://example.org/from-a-worker"},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.line);
    StandIn().ClearLog();
    EXPECT_HRESULT_SUCCEEDED(step.run());
    ASSERT_FALSE(StandIn().Lines().empty());
    EXPECT_EQ(StandIn().Lines()[0], step.line);
    if (step.location) {
      EXPECT_EQ(Location(), step.location);
    }
  }
  VariantClear(&second);
  // The worker's navigation cut the forward history: back only.
  EXPECT_TRUE(events.commandEnabled[CSC_NAVIGATEBACK]);
  EXPECT_FALSE(events.commandEnabled[CSC_NAVIGATEFORWARD]);
  EXPECT_EQ(browser->GoForward(), E_FAIL);
}

TEST_F(StandInBrowserTest, AFileThatIsGoneEndsInANavigationErrorBeforeTheErrorPage) {
  const std::string page = dir.File("gone.html");
  ASSERT_TRUE(vtest::WriteWholeFile(page, "<html><body>here</body></html>"));
  struct Case {
    const char* name;
    std::string address;
    bool removeFirst;
    bool error;
  };
  for (const Case& c : {Case{"a file", page, false, false}, Case{"the file once removed", page, true, true},
                        Case{"a file: address once removed", "file:///" + page, true, true},
                        Case{"a web address", "http://example.org/none", false, false}}) {
    SCOPED_TRACE(c.name);
    if (c.removeFirst) DeleteFileA(page.c_str());
    events.fired.clear();
    StandIn().ClearLog();
    ASSERT_HRESULT_SUCCEEDED(NavigateTo(browser.Get(), c.address));
    EXPECT_EQ(StandIn().Lines("not found"), c.error ? std::vector<std::string>{"not found " + c.address}
                                                    : std::vector<std::string>{});
    // The error comes between the request and the error page's completion.
    std::vector<DISPID> expected = {DISPID_BEFORENAVIGATE2, DISPID_NAVIGATECOMPLETE2, DISPID_DOCUMENTCOMPLETE};
    if (c.error) expected.insert(expected.begin() + 1, DISPID_NAVIGATEERROR);
    std::vector<DISPID> seen;
    for (DISPID id : events.fired)
      if (id != DISPID_COMMANDSTATECHANGE && id != DISPID_TITLECHANGE) seen.push_back(id);
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(Location(), c.address);
  }
}

TEST_F(StandInBrowserTest, TheDocumentSavesThePageAndFindsOnwardFromTheLastFoundPlace) {
  const std::string html = "<html><head><title>Find</title></head><body><p>alpha beta</p> alpha &amp; beta</body></html>";
  const std::string page = dir.File("find.html");
  ASSERT_TRUE(vtest::WriteWholeFile(page, html));
  ASSERT_HRESULT_SUCCEEDED(NavigateTo(browser.Get(), page));
  ComPtr<IHTMLDocument2> document = Document();
  ASSERT_TRUE(document);
  BSTR title = nullptr;
  ASSERT_HRESULT_SUCCEEDED(document->get_title(&title));
  EXPECT_EQ(Text(title), "Find");

  // The page's HTML is the file's bytes; a page that is not a file is a small one naming it.
  for (bool fromFile : {true, false}) {
    if (!fromFile) {
      ASSERT_HRESULT_SUCCEEDED(NavigateTo(browser.Get(), "about:blank"));
      document = Document();
      ASSERT_TRUE(document);
    }
    ComPtr<IPersistStreamInit> persist;
    ASSERT_HRESULT_SUCCEEDED(document->QueryInterface(IID_IPersistStreamInit, persist.PutVoid()));
    ComPtr<IStream> stream;
    ASSERT_HRESULT_SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, stream.Put()));
    ASSERT_HRESULT_SUCCEEDED(persist->Save(stream.Get(), FALSE));
    HGLOBAL memory = nullptr;
    ASSERT_HRESULT_SUCCEEDED(GetHGlobalFromStream(stream.Get(), &memory));
    STATSTG stat = {};
    stream->Stat(&stat, STATFLAG_NONAME);
    const char* bytes = static_cast<const char*>(GlobalLock(memory));
    EXPECT_EQ(std::string(bytes, static_cast<size_t>(stat.cbSize.QuadPart)),
              fromFile ? html : "<html><body>about:blank</body></html>");
    GlobalUnlock(memory);
  }
  ASSERT_HRESULT_SUCCEEDED(NavigateTo(browser.Get(), page));
  document = Document();

  // Design mode on and off, as the edit and browse modes switch it.
  for (const wchar_t* mode : {L"On", L"Off"}) {
    BSTR value = SysAllocString(mode);
    EXPECT_HRESULT_SUCCEEDED(document->put_designMode(value));
    SysFreeString(value);
    BSTR now = nullptr;
    ASSERT_HRESULT_SUCCEEDED(document->get_designMode(&now));
    EXPECT_EQ(Text(now), std::string(mode, mode + wcslen(mode)));
  }
  EXPECT_EQ(StandIn().Lines("designmode"), (std::vector<std::string>{"designmode On", "designmode Off"}));

  auto BodyRange = [&] {
    ComPtr<IHTMLElement> element;
    ComPtr<IHTMLBodyElement> body;
    ComPtr<IHTMLTxtRange> range;
    if (SUCCEEDED(document->get_body(element.Put())) && element &&
        SUCCEEDED(element->QueryInterface(IID_IHTMLBodyElement, body.PutVoid())))
      body->createTextRange(range.Put());
    return range;
  };
  auto SelectionRange = [&] {
    ComPtr<IHTMLSelectionObject> selection;
    ComPtr<IDispatch> created;
    ComPtr<IHTMLTxtRange> range;
    if (SUCCEEDED(document->get_selection(selection.Put())) && selection &&
        SUCCEEDED(selection->createRange(created.Put())) && created)
      created->QueryInterface(IID_IHTMLTxtRange, range.PutVoid());
    return range;
  };
  auto Find = [](IHTMLTxtRange* range, const char* text) {
    BSTR needle = SysAllocString(WideOf(text).c_str());
    VARIANT_BOOL found = VARIANT_FALSE;
    HRESULT hr = range->findText(needle, 0, 0, &found);
    SysFreeString(needle);
    return SUCCEEDED(hr) && found;
  };
  // The body's text is "alpha beta alpha & beta": a range finds onward from
  // its last find, and the selection's range starts where the last find was.
  ComPtr<IHTMLTxtRange> range = BodyRange();
  ASSERT_TRUE(range);
  struct FindCase {
    bool fromSelection;
    const char* text;
    bool found;
  };
  for (const FindCase& c : {FindCase{false, "BETA", true}, FindCase{false, "alpha", true},
                            FindCase{false, "alpha", false}, FindCase{true, "& beta", true},
                            FindCase{true, "beta", true}, FindCase{true, "beta", false}}) {
    SCOPED_TRACE(c.text);
    if (c.fromSelection) range = SelectionRange();
    ASSERT_TRUE(range);
    EXPECT_EQ(Find(range.Get(), c.text), c.found);
  }
  BSTR found = nullptr;
  ASSERT_HRESULT_SUCCEEDED(range->get_text(&found));
  EXPECT_EQ(Text(found), "beta");
  EXPECT_HRESULT_SUCCEEDED(range->select());
  EXPECT_HRESULT_SUCCEEDED(range->scrollIntoView(VARIANT_TRUE));
  EXPECT_EQ(StandIn().Lines("find").size(), 6u);
  EXPECT_EQ(StandIn().Lines("find").front(), "find BETA");
  EXPECT_EQ(StandIn().Lines("select").size(), 1u);
}

// ---- the registration ---------------------------------------------------------------

// Every value (name, type, bytes) and subkey below a key, as one text.
std::string Snapshot(HKEY root, const std::wstring& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return "(none)";
  std::string out;
  std::vector<std::wstring> subkeys;
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    DWORD nameLength = 256, type = 0, size = 0;
    if (RegEnumValueW(key, i, name, &nameLength, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
    std::vector<BYTE> data(size);
    nameLength = 256;
    RegEnumValueW(key, i, name, &nameLength, nullptr, &type, data.data(), &size);
    out += "[" + std::string(name, name + nameLength) + "] " + std::to_string(type) + ":";
    for (BYTE b : data) out += " " + std::to_string(b);
    out += "\n";
  }
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    DWORD nameLength = 256;
    if (RegEnumKeyExW(key, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    subkeys.emplace_back(name, nameLength);
  }
  RegCloseKey(key);
  for (const auto& sub : subkeys)
    out += "<" + std::string(sub.begin(), sub.end()) + ">\n" + Snapshot(root, path + L"\\" + sub);
  return out;
}

const wchar_t kBrowserClassKey[] = L"CLSID\\{8856F961-340A-11D0-A96B-00C04FD705A2}";

std::string ServerPath() {
  HKEY key = nullptr;
  std::wstring key_path = std::wstring(kBrowserClassKey) + L"\\InprocServer32";
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key_path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return {};
  char path[MAX_PATH] = {};
  DWORD size = sizeof path;
  RegQueryValueExA(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(path), &size);
  RegCloseKey(key);
  return path;
}

TEST(StandInRegistration, ThePlatformsRegistrationComesBackByteForByte) {
  vtest::web::StandInBrowserDll dll(false);
  ASSERT_TRUE(dll.Loaded());
  // Whatever an earlier run or test left, the platform's own registration first.
  EXPECT_HRESULT_SUCCEEDED(dll.RestorePlatform());
  const std::string platform = Snapshot(HKEY_CLASSES_ROOT, kBrowserClassKey);
  ASSERT_NE(platform, "(none)");
  ASSERT_EQ(ServerPath().find("VelloraStandInBrowser"), std::string::npos);

  struct Sequence {
    const char* name;
    std::vector<char> steps;  // R register, U unregister, P restore the platform's
  };
  for (const Sequence& s : {Sequence{"register, unregister", {'R', 'U'}},
                            Sequence{"unregistered twice", {'R', 'U', 'U'}},
                            Sequence{"a crashed run left it registered", {'R', 'R', 'U'}},
                            Sequence{"restored without unregistering", {'R', 'P'}},
                            Sequence{"restored with nothing registered", {'P', 'U'}}}) {
    SCOPED_TRACE(s.name);
    for (char step : s.steps) {
      HRESULT hr = step == 'R' ? dll.Register() : step == 'U' ? dll.Unregister() : dll.RestorePlatform();
      EXPECT_HRESULT_SUCCEEDED(hr) << step;
      if (step == 'R') {
        EXPECT_NE(ServerPath().find("VelloraStandInBrowser.dll"), std::string::npos);
      }
    }
    EXPECT_EQ(Snapshot(HKEY_CLASSES_ROOT, kBrowserClassKey), platform);
    EXPECT_EQ(Snapshot(HKEY_CURRENT_USER, L"Software\\VelloraStandInBrowser"), "(none)");
  }
}

}  // namespace
