#pragma once
// A window that hosts one ActiveX control in place: the window class
// "AtlAxWin71", which creates its control from the window text when it is
// made with one, or later from an identifier. The identifier is a class id in
// braces, a ProgID, an address with a colon (a web browser showing it), or
// "MSHTML:" followed by HTML text (an HTML document holding it); a share's
// path (\\server\...) is an address too. The host
// gives the control a client site, an in-place site and frame, ambient
// properties, an advise sink and the document host's UI flags; it keeps the
// control the size of its window and lets it go, in a fixed order, when the
// control is replaced or the window is destroyed.
#include <windows.h>
#include <ole2.h>

#include <string>

#include "platform/Window.h"
#include "platform/ComPtr.h"

namespace vellora {

class ControlSite;

class ActiveXHost : public Window {
 public:
  static constexpr char kClassName[] = "AtlAxWin71";

  ActiveXHost();
  ~ActiveXHost() override;

  // Creates the host as a visible child; a non-empty identifier creates the
  // control at once (a failure leaves the host empty: see LastResult).
  HWND Create(HWND parent, const RECT& rect, UINT id, const std::string& identifier = {},
              DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, DWORD exStyle = 0);
  using Window::Create;

  // Replaces the hosted control with one made from the identifier.
  HRESULT CreateControl(const std::string& identifier);
  // Lets the hosted control go (the host stays, empty).
  void ReleaseControl();
  bool HasControl() const { return static_cast<bool>(control_); }
  // What the last creation answered.
  HRESULT LastResult() const { return lastResult_; }

  // The control's IUnknown, and any other interface of it.
  IUnknown* Control() const { return control_.Get(); }
  template <class I>
  ComPtr<I> Query(REFIID iid) const {
    ComPtr<I> out;
    if (control_) control_->QueryInterface(iid, out.PutVoid());
    return out;
  }

  // The document host's UI flags (DOCHOSTUIFLAG_...), given to a browser.
  void SetDocHostFlags(DWORD flags);
  DWORD DocHostFlags() const;

  // Offers a key or mouse message to the active control first (its own
  // accelerators); true when the control took it.
  bool PreTranslate(MSG& message);

 protected:
  const char* ClassName() const override { return kClassName; }
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  HRESULT Activate(const CLSID& clsid, IStream* initial);
  void Resize();

  ControlSite* site_ = nullptr;  // one reference, held from construction to destruction
  ComPtr<IUnknown> control_;
  ComPtr<IOleObject> object_;
  ComPtr<IOleInPlaceObject> inPlace_;
  DWORD adviseConnection_ = 0;
  HRESULT lastResult_ = S_FALSE;
  std::string pendingIdentifier_;  // the window text, created at WM_CREATE
};

}  // namespace vellora
