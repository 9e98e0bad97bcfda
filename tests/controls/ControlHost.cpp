#include "tests/controls/ControlHost.h"

#include "controls/OutlookBar.h"

namespace vtest {

namespace {
constexpr char kHostClass[] = "VelloraControlTestHost";
constexpr UINT_PTR kScriptTimer = 77;
}  // namespace

namespace {
// Under Wine without a window manager, hiding or destroying a shown
// top-level window waits two seconds for a state change that never comes.
// Hosts are therefore kept and reused, and left to the process's end.
std::vector<HWND>& SpareHosts() {
  static std::vector<HWND> spare;
  return spare;
}
}  // namespace

ControlHost::ControlHost(int width, int height) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSEXA wc = {sizeof wc};
  if (!GetClassInfoExA(instance, kHostClass, &wc)) {
    wc.lpfnWndProc = Procedure;
    wc.hInstance = instance;
    wc.lpszClassName = kHostClass;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    RegisterClassExA(&wc);
  }
  RECT rc = {0, 0, width, height};
  AdjustWindowRectEx(&rc, WS_OVERLAPPEDWINDOW, FALSE, 0);
  auto& spare = SpareHosts();
  if (!spare.empty()) {
    hwnd_ = spare.back();
    spare.pop_back();
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowPos(hwnd_, HWND_TOP, 20, 20, rc.right - rc.left, rc.bottom - rc.top, 0);
  } else {
    hwnd_ = CreateWindowExA(0, kHostClass, "Control test", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 20, 20,
                            rc.right - rc.left, rc.bottom - rc.top, nullptr, nullptr, instance, this);
  }
  ShowWindow(hwnd_, SW_SHOW);
  SetForegroundWindow(hwnd_);
  SetFocus(hwnd_);
  UpdateWindow(hwnd_);
  Pump();
}

ControlHost::~ControlHost() {
  StopScript();
  if (!IsWindow(hwnd_)) return;
  while (HWND child = GetWindow(hwnd_, GW_CHILD)) DestroyWindow(child);
  SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
  SpareHosts().push_back(hwnd_);
  Pump();
}

void ControlHost::StartScript(std::vector<std::function<void()>> steps, UINT intervalMs) {
  steps_ = std::move(steps);
  nextStep_ = 0;
  SetTimer(hwnd_, kScriptTimer, intervalMs, nullptr);
}

void ControlHost::StopScript() {
  if (hwnd_) KillTimer(hwnd_, kScriptTimer);
  steps_.clear();
}

LRESULT CALLBACK ControlHost::Procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<ControlHost*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcA(hwnd, msg, wParam, lParam);
  if (msg == vellora::OutBarNotifyMessage()) {
    const auto* n = reinterpret_cast<const vellora::OutBarNotify*>(lParam);
    self->outbar.push_back({static_cast<int>(wParam), n->group, n->item, n->screenPoint});
    return self->outbarAnswer;
  }
  switch (msg) {
    case WM_COMMAND:
      self->commands.push_back(LOWORD(wParam));
      return 0;
    case WM_NOTIFY:
      self->notifyIds.push_back(static_cast<UINT>(reinterpret_cast<NMHDR*>(lParam)->idFrom));
      return 0;
    case WM_INITMENUPOPUP:
      self->initPopups.push_back(reinterpret_cast<HMENU>(wParam));
      return 0;
    case WM_MENUSELECT:
      ++self->menuSelects;
      return 0;
    case WM_SYSCHAR:
      ++self->sysChars;
      return 0;
    case WM_TIMER:
      if (wParam == kScriptTimer) {
        if (self->nextStep_ < self->steps_.size()) {
          auto step = self->steps_[self->nextStep_++];
          step();
        } else {
          EndMenu();
        }
        return 0;
      }
      break;
    case WM_NCDESTROY:
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
      break;
    default:
      break;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

HWND MakePane(HWND parent, const char* cls) {
  return CreateWindowExA(0, cls, "", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, parent, nullptr, GetModuleHandleA(nullptr),
                         nullptr);
}

RECT RectInParent(HWND child) {
  RECT rc = {};
  GetWindowRect(child, &rc);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rc), 2);
  return rc;
}

void Click(HWND hwnd, POINT pt, bool right) {
  LPARAM at = MAKELPARAM(pt.x, pt.y);
  SendMessageA(hwnd, WM_MOUSEMOVE, 0, at);
  SendMessageA(hwnd, right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, right ? MK_RBUTTON : MK_LBUTTON, at);
  SendMessageA(hwnd, right ? WM_RBUTTONUP : WM_LBUTTONUP, 0, at);
}

POINT Center(const RECT& rc) { return {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2}; }

std::string Str(int left, int top, int right, int bottom) {
  return std::to_string(left) + "," + std::to_string(top) + "," + std::to_string(right) + "," +
         std::to_string(bottom);
}

std::string Str(const RECT& rc) { return Str(rc.left, rc.top, rc.right, rc.bottom); }

}  // namespace vtest
