#pragma once
// The web page view: the system's web browser in our control host
// ("WTL_WEB_VIEW", id 108) under the view's own toolbar (back, forward, stop,
// refresh, print; browse, source, edit). A link item (kind 3) shows its
// address live; an embedded page (kind 4) is written out of the library as
// "<title>.mht" into the working folder and shown from there. Navigation is
// posted to the window's own thread, 50 ms after it was asked for.
//
// Where no browser engine can show pages, the view shows a panel instead: it
// says so, shows the address with a button that opens it in the system's
// browser, and an embedded page's text read from its archive. Nothing is
// written then, and the browser's commands are off.
#include <windows.h>
#include <exdisp.h>

#include <functional>
#include <memory>
#include <string>

#include "controls/ActiveXHost.h"
#include "platform/ComPtr.h"
#include "platform/GdiHandles.h"
#include "platform/Window.h"
#include "views/ItemView.h"
#include "views/ViewHost.h"

namespace vellora {

// The control host under the web view's own class name.
class BrowserHost : public ActiveXHost {
 public:
  static constexpr char kClassName[] = "WTL_WEB_VIEW";

 protected:
  const char* ClassName() const override { return kClassName; }
};

class BrowserEvents;

// Whether a created browser can show pages: it has a document at once, or
// the HTML engine it would make its documents with can be created.
bool BrowserShowsPages(IWebBrowser2* browser);

class WebView : public ItemView {
 public:
  enum Mode { kBrowse = 0, kSource = 1, kEdit = 2 };

  WebView();
  ~WebView() override;

  ItemKind Kind() const override { return kItemWebLink; }
  bool Create(HWND parent) override;
  HWND Window() const override { return pane_.Handle(); }
  HWND FocusWindow() const override;
  // A link: its address is shown. An embedded page: written to the working
  // folder and shown from there (or its text, without an engine).
  bool Load(const ItemSource& source) override;
  std::string LoadProblem() const override { return problem_; }
  // Nothing of the page is written back when the view is left.
  bool Store() override { return true; }
  bool Modified() const override { return false; }
  void Clear() override;
  bool HasItem() const override { return source_ != nullptr; }
  void SetReadOnly(bool) override {}
  bool HandleCommand(UINT id) override;
  bool QueryCommand(UINT id, CommandUi& ui) const override;
  void UpdateCommandUi() override;
  // The browser's own find, from the selection on.
  bool Find(const std::string& text, bool textOnly) override;
  // The browser's own find dialog (none without an engine).
  bool OpenOwnFind() override;
  // The browser's own print and print preview (none without an engine).
  bool PrintsOwn() const override { return browser_.Get() != nullptr; }
  bool PrintOwn(bool preview) const override;
  std::string SelectedText() const override;
  bool PreTranslate(MSG& message) override;
  void StopActivity() override;

  // Remembers the address and has the browser show it (posted, see above).
  void ShowAddress(const std::string& address);
  // Writes the current address into the item as a link's content.
  HRESULT StoreLinkPage(const ItemSource& source) const;

  const std::string& CurrentAddress() const { return address_; }
  Mode CurrentMode() const { return mode_; }
  // False when no engine shows pages here (the panel is shown instead).
  bool HasBrowser() const { return static_cast<bool>(browser_); }
  // The file an embedded page was last written to.
  const std::string& ArchiveFile() const { return archiveFile_; }
  // The working folder embedded pages are written to (the program's "TempVL").
  void SetWorkingFolder(std::string folder) { workingFolder_ = std::move(folder); }
  // How "Open in browser" hands an address to the system (replaceable in tests).
  std::function<bool(const std::string& address)> openExternally;

 private:
  friend class BrowserEvents;
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);
  void CreateToolbar();
  bool CreateBrowser();
  void ReleaseBrowser();
  void CreatePanel();
  void ShowPanelFor(const std::string& address, const std::string& text);
  void Layout();
  void Navigate();
  void SetMode(Mode mode);
  void SetDesignMode(bool on);
  void OpenExternally();
  bool FindInPanel(const std::string& text);
  ComPtr<IDispatch> Document() const;

  PaneWindow pane_{"VelloraWebPane", COLOR_BTNFACE};
  HWND toolbar_ = nullptr;
  ImageListHandle images_;
  BrowserHost host_;
  ComPtr<IWebBrowser2> browser_;
  BrowserEvents* events_ = nullptr;
  DWORD eventsCookie_ = 0;
  // The no-engine panel.
  HWND panelNote_ = nullptr;
  HWND panelAddress_ = nullptr;
  HWND panelOpen_ = nullptr;
  HWND panelText_ = nullptr;
  FontHandle panelFont_;

  const ItemSource* source_ = nullptr;  // valid until the next Load or Clear
  std::string address_;
  std::string archiveFile_;
  std::string workingFolder_;
  std::string problem_;
  std::string openTarget_;  // what "Open in browser" opens
  std::string embeddedArchive_;  // an embedded page's archive, kept for "Open in browser" without an engine
  Mode mode_ = kBrowse;
  bool canGoBack_ = false;
  bool canGoForward_ = false;
};

}  // namespace vellora
