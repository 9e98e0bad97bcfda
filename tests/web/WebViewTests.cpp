// The web view on real windows and real items: with the tests' stand-in
// browser registered as the system's, what the view asks of the browser is
// read from the browser's log; with the platform's own registration (no
// engine here) the view's panel is driven instead.
#include "views/WebView.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "content/CatalogOperations.h"
#include "content/CommandIds.h"
#include "content/ItemSource.h"
#include "content/TabPages.h"
#include "store/WebArchive.h"
#include "tests/content/ContentFixtures.h"
#include "tests/controls/ControlHost.h"
#include "tests/store/DocumentFixtures.h"
#include "tests/views/ViewFixtures.h"
#include "tests/webbrowser/StandInBrowserDll.h"
#include "views/TabPagesView.h"
#include "views/TextPane.h"

using namespace vellora;
using vtest::web::StandInBrowserDll;

namespace {

// Handles this thread's messages for a while (the view's posted navigation).
void PumpFor(DWORD ms) {
  const DWORD until = GetTickCount() + ms;
  do {
    vtest::Pump();
    Sleep(5);
  } while (static_cast<LONG>(until - GetTickCount()) > 0);
}

int Count(const std::vector<std::string>& lines, const std::string& line) {
  int n = 0;
  for (const std::string& l : lines) n += l == line;
  return n;
}

// A catalog folder of real items: a link and an embedded page.
class WebItems {
 public:
  WebItems() : folder_(file_.AddStorage("Favorite Folder")) {}
  std::unique_ptr<CatalogItemSource> Link(const std::string& title, const std::string& address) {
    NewItemRequest request;
    request.title = title;
    request.kind = kItemWebLink;
    request.address = address;
    EXPECT_HRESULT_SUCCEEDED(CreateCatalogItem(folder_, request, title, ++id_));
    return std::make_unique<CatalogItemSource>(folder_, title, kItemWebLink, title);
  }
  std::unique_ptr<CatalogItemSource> Embedded(const std::string& element, const std::string& title,
                                              const std::string& archive) {
    NewItemRequest request;
    request.title = element;
    request.kind = kItemWebArchive;
    if (folder_.FindElement(element.c_str()) == ElementType::None) {
      EXPECT_HRESULT_SUCCEEDED(CreateCatalogItem(folder_, request, element, ++id_));
    }
    StorageHandle item = folder_.OpenStorageFor(element.c_str(), false);
    vtest::WriteStream(item, kFolderItemContent, archive);
    return std::make_unique<CatalogItemSource>(folder_, element, kItemWebArchive, title);
  }
  // A tab pages item as the program makes one, with a web page added.
  std::unique_ptr<CatalogItemSource> TabPagesWithWebPage(const std::string& title, const std::string& address) {
    NewItemRequest request;
    request.title = title;
    request.kind = kItemTabPages;
    EXPECT_HRESULT_SUCCEEDED(CreateCatalogItem(folder_, request, title, ++id_));
    StorageHandle item = folder_.OpenStorageFor(title.c_str(), false);
    TabPages pages;
    EXPECT_HRESULT_SUCCEEDED(pages.Load(item));
    NewItemRequest page;
    page.title = "Web";
    page.kind = kItemWebLink;
    page.address = address;
    size_t index = 0;
    EXPECT_HRESULT_SUCCEEDED(pages.Add(item, page, index));
    return std::make_unique<CatalogItemSource>(folder_, title, kItemTabPages, title);
  }
  std::string Content(const std::string& element) const {
    StorageHandle item = folder_.OpenStorageFor(element.c_str(), true);
    StreamHandle content = item.OpenStreamFor(kFolderItemContent, true);
    std::string bytes(static_cast<size_t>(content.Size()), '\0');
    ULONG got = 0;
    content.ReadBytes(bytes.data(), static_cast<ULONG>(bytes.size()), &got);
    return bytes;
  }

 private:
  vtest::ScratchFile file_;
  StorageHandle folder_;
  int32_t id_ = 0;
};

std::string Archive(const std::string& body) {
  return BuildWebArchive({"http://example.org/saved.html", "text/html", "windows-1252",
                          "<html><body><p>" + body + "</p></body></html>"},
                         {}, "Saved");
}

class WebViewWithBrowser : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(browser.Loaded() && browser.Registered()) << "the stand-in browser could not be registered";
    view = std::make_unique<WebView>();
    view->SetWorkingFolder(temp.File("TempVL"));
    ASSERT_TRUE(view->Create(window.Handle()));
    MoveWindow(view->Window(), 0, 0, 600, 400, TRUE);
    ShowWindow(view->Window(), SW_SHOW);
    ASSERT_TRUE(view->HasBrowser());
    PumpFor(80);
    creationLog = browser.Log();
    browser.ClearLog();
  }
  void TearDown() override {
    view.reset();
    EXPECT_EQ(browser.LiveObjects(), 0) << "the browser was not let go\n" << browser.Log();
  }
  std::vector<std::string> Navigations() const { return browser.Lines("navigate"); }
  std::string creationLog;  // what the browser logged while the view was made

  StandInBrowserDll browser;
  vtest::TempDir temp;
  vtest::ControlHost window{640, 480};
  WebItems items;
  std::unique_ptr<WebView> view;
};

TEST_F(WebViewWithBrowser, ALinkIsShownOnceFromTheWindowsThreadAfterTheDelayAndTheLastAddressWins) {
  auto first = items.Link("First", "http://example.org/first");
  auto second = items.Link("Second", "http://example.org/second");
  // The browser was made showing an empty page, with the view's border flags from its first page on.
  EXPECT_NE(creationLog.find("navigate about:blank\n"), std::string::npos) << creationLog;
  EXPECT_NE(creationLog.find("hostflags 0x84\n"), std::string::npos) << creationLog;
  EXPECT_EQ(creationLog.find("hostflags 0x0\n"), std::string::npos) << creationLog;
  EXPECT_NE(creationLog.find("events connected\n"), std::string::npos) << creationLog;
  ASSERT_TRUE(view->Load(*first));
  EXPECT_TRUE(Navigations().empty()) << "navigated at once";
  ASSERT_TRUE(view->Load(*second));
  PumpFor(200);
  // Called on this thread, with the address alone.
  EXPECT_EQ(Navigations(), std::vector<std::string>{"navigate http://example.org/second"}) << browser.Log();
  EXPECT_EQ(view->CurrentAddress(), "http://example.org/second");
  EXPECT_FALSE(view->Modified());
}

TEST_F(WebViewWithBrowser, AnEmbeddedPageIsWrittenUnderItsTitleAndOverwrittenEachTimeItIsShown) {
  const std::string expected = temp.File("TempVL") + "\\My_ page_.mht";
  auto page = items.Embedded("Page", "My: page?", Archive("first copy"));
  ASSERT_TRUE(view->Load(*page));
  PumpFor(150);
  EXPECT_EQ(view->ArchiveFile(), expected);
  EXPECT_EQ(vtest::ReadWholeFile(expected), Archive("first copy"));
  EXPECT_EQ(Count(Navigations(), "navigate " + expected), 1) << browser.Log();

  page = items.Embedded("Page", "My: page?", Archive("second"));
  ASSERT_TRUE(view->Load(*page));
  PumpFor(150);
  EXPECT_EQ(vtest::ReadWholeFile(expected), Archive("second"));
}

TEST_F(WebViewWithBrowser, TheToolbarsCommandsAndModesReachTheBrowser) {
  struct Step {
    std::vector<UINT> commands;
    std::vector<std::string> log;  // the lines the browser logs, in order
    WebView::Mode mode;
  };
  const std::vector<Step> steps = {
      {{ID_WEB_EDIT}, {"designmode On"}, WebView::kEdit},
      {{ID_WEB_BROWSE}, {"designmode Off"}, WebView::kBrowse},
      {{ID_WEB_BROWSE}, {}, WebView::kBrowse},  // design mode only goes off when it was on
      {{ID_WEB_EDIT, ID_WEB_SOURCE}, {"designmode On", "designmode Off", "exec webbrowser 2"}, WebView::kSource},
      {{ID_WEB_PRINT, ID_WEB_STOP, ID_WEB_REFRESH}, {"execwb 6 0", "stop", "refresh"}, WebView::kSource},
  };
  auto link = items.Link("Site", "http://example.org/");
  ASSERT_TRUE(view->Load(*link));
  PumpFor(150);
  for (const Step& step : steps) {
    browser.ClearLog();
    for (UINT id : step.commands) EXPECT_TRUE(view->HandleCommand(id)) << id;
    std::vector<std::string> log;
    for (const std::string& line : browser.Lines())
      if (line.rfind("designmode", 0) == 0 || line.rfind("exec", 0) == 0 || line == "stop" || line == "refresh")
        log.push_back(line);
    EXPECT_EQ(log, step.log) << browser.Log();
    EXPECT_EQ(view->CurrentMode(), step.mode);
    for (UINT id : {ID_WEB_BROWSE, ID_WEB_SOURCE, ID_WEB_EDIT}) {
      CommandUi ui;
      ASSERT_TRUE(view->QueryCommand(id, ui));
      EXPECT_EQ(ui.checked, (id - ID_WEB_BROWSE) == static_cast<UINT>(step.mode)) << id;
    }
  }
}

TEST_F(WebViewWithBrowser, BackAndForwardFollowTheBrowsersHistory) {
  auto back = [&] {
    CommandUi ui;
    view->QueryCommand(ID_WEB_BACK, ui);
    return ui.enabled;
  };
  auto forward = [&] {
    CommandUi ui;
    view->QueryCommand(ID_WEB_FORWARD, ui);
    return ui.enabled;
  };
  auto a = items.Link("A", "http://example.org/a");
  auto b = items.Link("B", "http://example.org/b");
  ASSERT_TRUE(view->Load(*a));
  PumpFor(150);
  ASSERT_TRUE(view->Load(*b));
  PumpFor(150);
  EXPECT_TRUE(back());
  EXPECT_FALSE(forward());
  view->HandleCommand(ID_WEB_BACK);
  EXPECT_TRUE(forward());
  EXPECT_EQ(browser.Lines("back").size(), 1u) << browser.Log();
}

TEST_F(WebViewWithBrowser, KeysGoToTheBrowserFirstOnlyWhileItHasTheFocus) {
  auto link = items.Link("Site", "http://example.org/");
  ASSERT_TRUE(view->Load(*link));
  PumpFor(150);
  MSG key = {};
  key.message = WM_KEYDOWN;
  key.wParam = VK_F5;
  SetFocus(window.Handle());
  key.hwnd = GetFocus();
  EXPECT_FALSE(view->PreTranslate(key));
  EXPECT_TRUE(browser.Lines("key").empty());
  SetFocus(view->FocusWindow());
  PumpFor(30);
  key.hwnd = GetFocus();
  EXPECT_TRUE(view->PreTranslate(key)) << browser.Log();
  EXPECT_EQ(browser.Lines("key"), std::vector<std::string>{"key 256 116"});
}

TEST_F(WebViewWithBrowser, FindAndTheSelectionUseTheBrowsersOwnFind) {
  const std::string page = temp.File("page.html");
  vtest::WriteWholeFile(page, "<html><body>one needle, two needle</body></html>");
  auto link = items.Link("Page", page);
  ASSERT_TRUE(view->Load(*link));
  PumpFor(150);
  EXPECT_TRUE(view->Find("needle", false)) << browser.Log();
  EXPECT_EQ(browser.Lines("find"), std::vector<std::string>{"find needle"});
  EXPECT_EQ(browser.Lines("select").size(), 1u);
  EXPECT_FALSE(view->Find("haystack", false));
  // Search Current Item opens the browser's own find dialog.
  browser.ClearLog();
  EXPECT_TRUE(view->OpenOwnFind());
  const std::string log = browser.Log();
  EXPECT_TRUE(log.find("execwb 32 1\n") != std::string::npos || log.find(" 67\n") != std::string::npos) << log;
}

TEST_F(WebViewWithBrowser, AWebPageTabIsShownInTheTabPagesViewAndStoppedBeforeAnotherTabShows) {
  vtest::ScriptedPrompt prompt;
  vtest::NoTexts texts;
  TextPane text("Tahoma");
  ASSERT_TRUE(text.Create(window.Handle()));
  TabPagesView tabs(prompt, texts, [&](uint16_t kind) -> ItemView* {
    if (kind == kItemWebLink || kind == kItemWebArchive) return view.get();
    return kind == kItemText ? &text : nullptr;
  });
  ASSERT_TRUE(tabs.Create(window.Handle()));
  MoveWindow(tabs.Window(), 0, 0, 600, 400, TRUE);
  ShowWindow(tabs.Window(), SW_SHOW);
  auto source = items.TabPagesWithWebPage("Tabs", "http://example.org/tab");
  ASSERT_TRUE(tabs.Load(*source));
  ASSERT_EQ(tabs.Strip().TabCount(), 2);  // the text page and the web page; the file page has no view here
  const int web = tabs.Strip().TabData(1) == tabs.Pages().IndexOfTitle("Web") ? 1 : 0;
  tabs.ChooseTab(web);
  PumpFor(150);
  EXPECT_EQ(Navigations(), std::vector<std::string>{"navigate http://example.org/tab"}) << browser.Log();
  EXPECT_EQ(GetParent(view->Window()), tabs.Window());
  EXPECT_TRUE(IsWindowVisible(view->Window()));
  browser.ClearLog();
  tabs.ChooseTab(1 - web);
  EXPECT_EQ(browser.Lines("stop").size(), 1u) << browser.Log();
  EXPECT_FALSE(IsWindowVisible(view->Window()));
  tabs.Clear();
  EXPECT_NE(GetParent(view->Window()), tabs.Window());
}

TEST_F(WebViewWithBrowser, StoreLinkPageWritesTheCurrentAddressAndNothingElseIsWritten) {
  auto link = items.Link("Site", "http://example.org/a-long-old-address");
  const std::string before = items.Content("Site");
  ASSERT_TRUE(view->Load(*link));
  EXPECT_TRUE(view->Store());
  EXPECT_EQ(items.Content("Site"), before);
  view->ShowAddress("http://x/");
  ASSERT_HRESULT_SUCCEEDED(view->StoreLinkPage(*link));
  EXPECT_EQ(items.Content("Site"), vtest::Counted("http://x/"));
}

TEST_F(WebViewWithBrowser, StoppingTheViewStopsTheBrowserAndItsPendingNavigation) {
  auto link = items.Link("Site", "http://example.org/");
  ASSERT_TRUE(view->Load(*link));
  view->StopActivity();
  PumpFor(150);
  EXPECT_TRUE(Navigations().empty()) << browser.Log();
  EXPECT_EQ(browser.Lines("stop").size(), 1u);
}

// ---- without an engine ----

class WebViewWithoutEngine : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(browser.Loaded());
    ASSERT_HRESULT_SUCCEEDED(browser.RestorePlatform());
    view.openExternally = [this](const std::string& address) {
      opened.push_back(address);
      return true;
    };
    view.SetWorkingFolder(temp.File("TempVL"));
    ASSERT_TRUE(view.Create(window.Handle()));
    MoveWindow(view.Window(), 0, 0, 600, 400, TRUE);
    ShowWindow(view.Window(), SW_SHOW);
  }
  // The panel's texts and its button, in their order.
  std::vector<HWND> Children(const char* cls) const {
    std::vector<HWND> out;
    for (HWND w = FindWindowExA(view.Window(), nullptr, cls, nullptr); w; w = FindWindowExA(view.Window(), w, cls, nullptr))
      out.push_back(w);
    return out;
  }
  static std::string Text(HWND w) {
    std::string text(static_cast<size_t>(GetWindowTextLengthA(w)) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(w, text.data(), static_cast<int>(text.size()))));
    return text;
  }

  StandInBrowserDll browser{false};
  vtest::TempDir temp;
  vtest::ControlHost window{640, 480};
  WebItems items;
  WebView view;
  std::vector<std::string> opened;
};

TEST_F(WebViewWithoutEngine, APanelSaysSoShowsTheAddressOrTheSavedTextAndOpensItOutside) {
  ASSERT_FALSE(view.HasBrowser());
  EXPECT_FALSE(FindWindowExA(view.Window(), nullptr, BrowserHost::kClassName, nullptr));
  // Without a browser there is nothing to print with: the frame says there is no view to print.
  EXPECT_FALSE(view.PrintsOwn());
  EXPECT_FALSE(view.PrintOwn(false));
  const std::vector<HWND> buttons = Children("BUTTON");
  const std::vector<HWND> edits = Children("EDIT");
  ASSERT_EQ(buttons.size(), 1u);
  ASSERT_EQ(edits.size(), 2u);
  EXPECT_EQ(Text(buttons[0]), "Open in browser");
  for (UINT id : {ID_WEB_BACK, ID_WEB_REFRESH, ID_WEB_EDIT, ID_WEB_PRINT}) {
    CommandUi ui;
    ASSERT_TRUE(view.QueryCommand(id, ui));
    EXPECT_FALSE(ui.enabled) << id;
  }

  auto link = items.Link("Site", "http://example.org/page");
  ASSERT_TRUE(view.Load(*link));
  EXPECT_EQ(Text(edits[0]), "http://example.org/page");
  SendMessageA(buttons[0], BM_CLICK, 0, 0);
  EXPECT_EQ(opened, std::vector<std::string>{"http://example.org/page"});

  const std::string archive = Archive("Saved words &amp; more");
  auto page = items.Embedded("Saved", "Saved", archive);
  ASSERT_TRUE(view.Load(*page));
  EXPECT_EQ(Text(edits[0]), "http://example.org/saved.html");
  EXPECT_NE(Text(edits[1]).find("Saved words & more"), std::string::npos) << Text(edits[1]);
  // Only opening it writes the saved copy out, and that is what is opened.
  EXPECT_FALSE(vtest::FileExists(temp.File("TempVL") + "\\Saved.mht"));
  SendMessageA(buttons[0], BM_CLICK, 0, 0);
  ASSERT_EQ(opened.size(), 2u);
  EXPECT_EQ(opened[1], temp.File("TempVL") + "\\Saved.mht");
  EXPECT_EQ(vtest::ReadWholeFile(opened[1]), archive);
  EXPECT_EQ(items.Content("Saved"), archive);
  EXPECT_TRUE(view.Store());
  EXPECT_FALSE(view.Modified());
}

}  // namespace
