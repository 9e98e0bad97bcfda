#include "platform/Window.h"

#include "platform/CallbackGuard.h"

namespace vellora {

Window::~Window() { Destroy(); }

void Window::Destroy() {
  if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
  hwnd_ = nullptr;
}

HWND Window::Create(HWND parent, const char* title, DWORD style, DWORD exStyle, int x, int y, int w, int h,
                    HMENU menuOrId) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSEXA existing = {sizeof existing};
  if (!GetClassInfoExA(instance, ClassName(), &existing)) {
    WNDCLASSEXA wc = {sizeof wc};
    wc.lpfnWndProc = Procedure;
    wc.hInstance = instance;
    wc.lpszClassName = ClassName();
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    RegisterClassInfo(wc);
    wc.lpfnWndProc = Procedure;
    if (!RegisterClassExA(&wc)) return nullptr;
  }
  return CreateWindowExA(exStyle, ClassName(), title, style, x, y, w, h, parent, menuOrId, instance, this);
}

LRESULT Window::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) { return DefaultProc(msg, wParam, lParam); }

LRESULT CALLBACK Window::Procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Window* self = nullptr;
  if (msg == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    self = static_cast<Window*>(create->lpCreateParams);
    if (self) {
      self->hwnd_ = hwnd;
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
  } else {
    self = reinterpret_cast<Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  }
  // Messages such as WM_GETMINMAXINFO arrive before WM_NCCREATE.
  if (!self) return DefWindowProcA(hwnd, msg, wParam, lParam);
  // A failed WM_CREATE answers -1 so the creation is seen to fail; other
  // messages fall back to the default handling.
  LRESULT safe = msg == WM_CREATE ? -1 : msg == WM_NCCREATE ? FALSE : 0;
  bool failed = true;
  LRESULT result = Guarded(self->ClassName(), safe, [&] {
    LRESULT r = self->HandleMessage(msg, wParam, lParam);
    failed = false;
    return r;
  });
  if (failed && msg != WM_CREATE && msg != WM_NCCREATE) result = DefWindowProcA(hwnd, msg, wParam, lParam);
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
  }
  return result;
}

}  // namespace vellora
