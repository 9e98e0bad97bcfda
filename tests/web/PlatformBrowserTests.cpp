// The platform's own web browser control under the test prefix, where no
// HTML engine runs, beside the stand-in: what a program can rely on to tell a
// browser that shows pages from one that never will.
#include "controls/ActiveXHost.h"

#include <gtest/gtest.h>
#include <exdisp.h>
#include <exdispid.h>

#include <string>

#include "platform/ComPtr.h"
#include "tests/TestSupport.h"
#include "tests/controls/ControlHost.h"
#include "tests/web/BrowserEvents.h"
#include "tests/web/BrowserProbe.h"
#include "tests/webbrowser/StandInBrowserDll.h"

using vellora::ActiveXHost;
using vellora::ComPtr;

namespace {

// Visible top-level windows of this process other than the given one (a
// dialog the browser might raise).
struct WindowCount {
  HWND except;
  int n;
};

BOOL CALLBACK CountOtherVisible(HWND hwnd, LPARAM param) {
  auto* count = reinterpret_cast<WindowCount*>(param);
  DWORD process = 0;
  GetWindowThreadProcessId(hwnd, &process);
  if (process == GetCurrentProcessId() && hwnd != count->except && IsWindowVisible(hwnd)) ++count->n;
  return TRUE;
}

int OtherVisibleWindows(HWND except) {
  WindowCount count = {except, 0};
  EnumWindows(CountOtherVisible, reinterpret_cast<LPARAM>(&count));
  return count.n;
}

struct BrowserCase {
  const char* name;
  bool standIn;
};

void PrintTo(const BrowserCase& c, std::ostream* out) { *out << c.name; }

class WhichBrowser : public ::testing::TestWithParam<BrowserCase> {};

TEST_P(WhichBrowser, IsMadeAndActivatedButOnlyAnEngineAnswersADocument) {
  vtest::web::StandInBrowserDll dll(false);
  ASSERT_TRUE(dll.Loaded());
  ASSERT_HRESULT_SUCCEEDED(GetParam().standIn ? dll.Register() : dll.RestorePlatform());
  vtest::ControlHost window(400, 300);
  vtest::TempDir dir;
  const std::string page = dir.File("page.html");
  ASSERT_TRUE(vtest::WriteWholeFile(page, "<html><head><title>T</title></head><body>text</body></html>"));
  {
    ActiveXHost host;
    ASSERT_TRUE(host.Create(window.Handle(), {0, 0, 400, 300}, 108));
    // Made and active in place, with a window of its own, either way.
    ASSERT_HRESULT_SUCCEEDED(host.CreateControl("about:blank"));
    ASSERT_TRUE(host.HasControl());
    EXPECT_TRUE(GetWindow(host.Handle(), GW_CHILD));
    ComPtr<IWebBrowser2> browser = host.Query<IWebBrowser2>(IID_IWebBrowser2);
    ASSERT_TRUE(browser);
    vtest::web::BrowserEvents events;
    ASSERT_TRUE(events.Connect(browser.Get()));

    // Navigations are accepted either way, and raise no dialog.
    for (const std::string& address : {std::string("about:blank"), page}) {
      SCOPED_TRACE(address);
      events.fired.clear();
      EXPECT_HRESULT_SUCCEEDED(vtest::web::NavigateTo(browser.Get(), address));
      vtest::web::PumpFor(300);
      EXPECT_EQ(OtherVisibleWindows(window.Handle()), 0);
      EXPECT_TRUE(events.Saw(DISPID_BEFORENAVIGATE2));
      // Without an engine each navigation ends in an error, never completes.
      EXPECT_EQ(events.Saw(DISPID_NAVIGATECOMPLETE2), GetParam().standIn);
      EXPECT_EQ(events.Saw(DISPID_DOCUMENTCOMPLETE), GetParam().standIn);
      EXPECT_EQ(events.Saw(DISPID_NAVIGATEERROR), !GetParam().standIn);
    }

    // The rule: a document comes, or never does however long one waits.
    EXPECT_EQ(vtest::web::BrowserShowsPages(browser.Get()), GetParam().standIn);
    ComPtr<IDispatch> document;
    EXPECT_EQ(browser->get_Document(document.Put()), GetParam().standIn ? S_OK : S_FALSE);
    EXPECT_EQ(static_cast<bool>(document), GetParam().standIn);
    READYSTATE state = READYSTATE_UNINITIALIZED;
    ASSERT_HRESULT_SUCCEEDED(browser->get_ReadyState(&state));
    EXPECT_EQ(state, GetParam().standIn ? READYSTATE_COMPLETE : READYSTATE_LOADING);
    events.Disconnect();
  }
  if (GetParam().standIn) {
    EXPECT_EQ(dll.LiveObjects(), 0);
  }
  EXPECT_HRESULT_SUCCEEDED(dll.RestorePlatform());
}

INSTANTIATE_TEST_SUITE_P(Cases, WhichBrowser,
                         ::testing::Values(BrowserCase{"PlatformsWithoutAnEngine", false},
                                           BrowserCase{"StandIn", true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
