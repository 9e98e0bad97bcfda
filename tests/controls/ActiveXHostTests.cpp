// The ActiveX host with a real control (the tests' own, registered
// for the run): creation from each kind of identifier, the site the control
// sees, its size following the window, a refused identifier, and the control
// let go on every path.
#include "controls/ActiveXHost.h"

#include <gtest/gtest.h>
#include <mshtmhst.h>

#include <string>

#include "tests/axcontrol/TestControlDll.h"
#include "tests/controls/ControlHost.h"

using vellora::ActiveXHost;
using vtest::Dll;
using vtest::kClassId;

namespace {

HWND ControlWindowIn(HWND host) { return FindWindowExA(host, nullptr, "VelloraTestControlWindow", nullptr); }

class ActiveXHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Dll().registered) << "the test control could not be registered";
    Dll().clear();
  }
  void TearDown() override { EXPECT_EQ(Dll().live(), 0) << "a control object was not let go"; }
  std::string Log() const { return Dll().log(); }

  vtest::ControlHost window{500, 400};
};

struct IdentifierCase {
  const char* name;
  const char* identifier;
};

class ActiveXHostIdentifiers : public ActiveXHostTest, public ::testing::WithParamInterface<IdentifierCase> {};

TEST_P(ActiveXHostIdentifiers, TheControlIsActiveInPlaceAndFillsTheHost) {
  {
    ActiveXHost host;
    ASSERT_TRUE(host.Create(window.Handle(), {10, 10, 310, 210}, 113, GetParam().identifier));
    ASSERT_HRESULT_SUCCEEDED(host.LastResult());
    ASSERT_TRUE(host.HasControl());
    HWND control = ControlWindowIn(host.Handle());
    ASSERT_TRUE(control);
    RECT rc;
    GetClientRect(control, &rc);
    EXPECT_EQ(vtest::Str(rc), vtest::Str(0, 0, 300, 200));
    // The site came first (the control asks for it), then a fresh state, the
    // running mode, the frame and the activation.
    const std::string log = Log();
    EXPECT_LT(log.find("site\n"), log.find("initnew\n")) << log;
    EXPECT_NE(log.find("usermode on\n"), std::string::npos) << log;
    EXPECT_NE(log.find("frame\n"), std::string::npos) << log;
    EXPECT_NE(log.find("verb -5\n"), std::string::npos) << log;  // OLEIVERB_INPLACEACTIVATE

    MoveWindow(host.Handle(), 0, 0, 420, 260, TRUE);
    GetClientRect(control, &rc);
    EXPECT_EQ(vtest::Str(rc), vtest::Str(0, 0, 420, 260));
  }
  // The window went with the host, and the control with it, in order.
  const std::string log = Log();
  EXPECT_LT(log.find("deactivate\n"), log.find("close\n")) << log;
  EXPECT_LT(log.find("unadvise\n"), log.find("site none\n")) << log;
}

INSTANTIATE_TEST_SUITE_P(Cases, ActiveXHostIdentifiers,
                         ::testing::Values(IdentifierCase{"ClassId", kClassId},
                                           IdentifierCase{"ProgId", "Vellora.TestControl"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ActiveXHostTest, AReplacedControlIsLetGoAndTheNewOneStartsFresh) {
  ActiveXHost host;
  ASSERT_TRUE(host.Create(window.Handle(), {0, 0, 200, 100}, 113));
  EXPECT_FALSE(host.HasControl());
  ASSERT_HRESULT_SUCCEEDED(host.CreateControl(kClassId));
  ASSERT_HRESULT_SUCCEEDED(host.CreateControl(kClassId));
  EXPECT_EQ(Dll().live(), 1);
  const std::string log = Log();
  EXPECT_NE(log.find("initnew\n", log.find("close\n")), std::string::npos) << log;
  host.ReleaseControl();
  EXPECT_EQ(Dll().live(), 0);
  EXPECT_FALSE(ControlWindowIn(host.Handle()));
}

TEST_F(ActiveXHostTest, IdentifiersThatNameNoControlLeaveTheHostEmpty) {
  ActiveXHost host;
  ASSERT_TRUE(host.Create(window.Handle(), {0, 0, 200, 100}, 113));
  for (const char* identifier :
       {"{00000000-1111-2222-3333-444444444444}", "{not a class id}", "No.Such.ProgId", ""}) {
    EXPECT_TRUE(FAILED(host.CreateControl(identifier))) << identifier;
    EXPECT_FALSE(host.HasControl()) << identifier;
  }
}

TEST_F(ActiveXHostTest, TheDocumentHostFlagsAreWhatTheSiteHandsOver) {
  ActiveXHost host;
  ASSERT_TRUE(host.Create(window.Handle(), {0, 0, 200, 100}, 113, kClassId));
  host.SetDocHostFlags(0x84);
  // The site the control holds is the one that answers the browser's question.
  vellora::ComPtr<IOleObject> object = host.Query<IOleObject>(IID_IOleObject);
  ASSERT_TRUE(object);
  vellora::ComPtr<IOleClientSite> site;
  ASSERT_HRESULT_SUCCEEDED(object->GetClientSite(site.Put()));
  vellora::ComPtr<IDocHostUIHandler> handler;
  ASSERT_HRESULT_SUCCEEDED(site->QueryInterface(IID_IDocHostUIHandler, handler.PutVoid()));
  DOCHOSTUIINFO info = {sizeof info};
  ASSERT_HRESULT_SUCCEEDED(handler->GetHostInfo(&info));
  EXPECT_EQ(info.dwFlags, 0x84u);
}

}  // namespace

namespace {

// No browser engine is installed here: an address or HTML text must give a
// clear result either way, never a crash or a half-made control.
TEST_F(ActiveXHostTest, AddressesAndHtmlGiveAClearResultWithOrWithoutAnEngine) {
  ActiveXHost host;
  ASSERT_TRUE(host.Create(window.Handle(), {0, 0, 200, 100}, 113));
  for (const char* identifier : {"http://example.org/", "MSHTML:<p>hello</p>"}) {
    HRESULT hr = host.CreateControl(identifier);
    EXPECT_EQ(host.HasControl(), SUCCEEDED(hr)) << identifier;
    host.ReleaseControl();
    EXPECT_FALSE(host.HasControl());
  }
}

}  // namespace
