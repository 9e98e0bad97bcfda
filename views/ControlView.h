#pragma once
// The OLE control view ("LIBRANE_CONTROLVIEW", id 113): the control an OLE
// Controls item names, made afresh in its default state each time the item
// is shown, in an ActiveX host that fills the view. Nothing of the control's
// state is written back.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "controls/ActiveXHost.h"
#include "platform/Window.h"
#include "store/UserPrompt.h"
#include "views/ItemView.h"

namespace vellora {

class ControlViewWindow : public Window {
 public:
  std::function<void()> onSize;

 protected:
  const char* ClassName() const override { return "LIBRANE_CONTROLVIEW"; }
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
};

class ControlView : public ItemView {
 public:
  explicit ControlView(UserPrompt& prompt);
  ~ControlView() override;

  ItemKind Kind() const override { return kItemOleControl; }
  bool Create(HWND parent) override;
  HWND Window() const override { return window_.Handle(); }
  HWND FocusWindow() const override { return host_ && host_->Handle() ? host_->Handle() : Window(); }
  // Reads the identifier and shows its control; a control that cannot be
  // made is told, and the view stays empty (the item is not touched).
  bool Load(const ItemSource& source) override;
  bool Store() override { return true; }
  bool Modified() const override { return false; }
  void Clear() override;
  void SetReadOnly(bool) override {}
  bool HandleCommand(UINT) override { return false; }
  bool QueryCommand(UINT, CommandUi&) const override { return false; }

  // The shown item's identifier, and the host (null while none is shown).
  const std::string& Identifier() const { return identifier_; }
  const ActiveXHost* Host() const { return host_.get(); }
  // Keys offered to the control first.
  bool PreTranslate(MSG& message) override { return host_ && host_->PreTranslate(message); }

 private:
  void Layout();

  UserPrompt& prompt_;
  ControlViewWindow window_;
  std::unique_ptr<ActiveXHost> host_;
  std::string identifier_;
};

}  // namespace vellora
