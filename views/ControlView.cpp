#include "views/ControlView.h"

#include <functional>
#include <optional>

#include "content/ItemSource.h"

namespace vellora {

namespace {
constexpr UINT kControlViewId = 113;
}  // namespace

LRESULT ControlViewWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_SIZE) {
    if (onSize) onSize();
    return 0;
  }
  return DefaultProc(msg, wParam, lParam);
}

ControlView::ControlView(UserPrompt& prompt) : prompt_(prompt) { window_.onSize = [this] { Layout(); }; }

ControlView::~ControlView() {
  host_.reset();
  window_.Destroy();
}

bool ControlView::Create(HWND parent) {
  return window_.Create(parent, "", WS_CHILD | WS_CLIPCHILDREN, WS_EX_CLIENTEDGE, 0, 0, 0, 0,
                        reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kControlViewId))) != nullptr;
}

void ControlView::Clear() {
  host_.reset();  // the control goes with its host, in the host's order
  identifier_.clear();
}

bool ControlView::Load(const ItemSource& source) {
  Clear();
  OpenedItem item;
  std::optional<std::string> identifier;
  const bool read = SUCCEEDED(source.Open(false, item)) && SUCCEEDED(item.SeekContent()) &&
                    SUCCEEDED(item.Content().ReadCountedString(identifier));
  item = OpenedItem{};
  if (!read) return false;
  identifier_ = identifier.value_or(std::string());
  RECT client = {};
  GetClientRect(window_.Handle(), &client);
  host_ = std::make_unique<ActiveXHost>();
  if (!host_->Create(window_.Handle(), client, 0)) return false;
  // A null identifier is an empty host, without a word.
  if (!identifier_.empty() && FAILED(host_->CreateControl(identifier_)))
    prompt_.ShowMessage("Please check the control's CLSID!", "Fail to create control", MB_OK | MB_ICONWARNING);
  return true;
}

void ControlView::Layout() {
  if (!host_ || !host_->Handle()) return;
  RECT client;
  GetClientRect(window_.Handle(), &client);
  MoveWindow(host_->Handle(), 0, 0, client.right, client.bottom, TRUE);
}

}  // namespace vellora
