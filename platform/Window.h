#pragma once
// The base of every window class of the program: registers its class once,
// keeps `this` with the window from WM_NCCREATE on, and hands each message
// to the object's own handler. No exception leaves a window procedure.
#include <windows.h>

namespace vellora {

class Window {
 public:
  Window() = default;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  virtual ~Window();

  HWND Handle() const { return hwnd_; }
  explicit operator bool() const { return hwnd_ != nullptr; }

  // Creates the window of the class named by ClassName(), registering the
  // class on first use with RegisterClassInfo().
  HWND Create(HWND parent, const char* title, DWORD style, DWORD exStyle, int x, int y, int w, int h,
              HMENU menuOrId = nullptr);
  void Destroy();

 protected:
  virtual const char* ClassName() const = 0;
  // Adjusts the class before it is registered (cursor, brush, icon, style).
  virtual void RegisterClassInfo(WNDCLASSEXA& wc) const { (void)wc; }
  virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd_, msg, wParam, lParam);
  }

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  HWND hwnd_ = nullptr;
};

}  // namespace vellora
