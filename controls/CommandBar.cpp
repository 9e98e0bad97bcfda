#include "controls/CommandBar.h"

#include "platform/CallbackGuard.h"
#include "platform/Dpi.h"

#include <windowsx.h>

#include <algorithm>
#include <cctype>

#include "controls/ImageStrip.h"

namespace vellora {

namespace {

constexpr int kMenuImageSize = 16;  // at 96 DPI
constexpr int kButtonPadding = 8;  // left and right of a button's text, at 96 DPI

// Posted to the bar by the message hook, which must not start a modal loop
// or move the focus itself.
constexpr UINT kBarAction = WM_USER + 0x120;
constexpr WPARAM kToggleKeyboardMode = 1;
constexpr WPARAM kOpenFromKeyboard = 2;  // lParam = button index

// The bar whose popup is open, and the hook that watches its menu loop.
CommandBar* g_trackingBar = nullptr;
HHOOK g_menuHook = nullptr;
// Every bar of the thread, and the hook that previews their messages.
std::vector<CommandBar*>& Bars() {
  static std::vector<CommandBar*> bars;
  return bars;
}
HHOOK g_messageHook = nullptr;

char AccessKeyOf(const std::string& text) {
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != '&') continue;
    if (text[i + 1] == '&') {
      ++i;
      continue;
    }
    return static_cast<char>(std::tolower(static_cast<unsigned char>(text[i + 1])));
  }
  return 0;
}

// Menu messages that belong to the owner of the menus the bar tracks.
bool IsMenuMessage(UINT msg) {
  switch (msg) {
    case WM_INITMENU:
    case WM_INITMENUPOPUP:
    case WM_UNINITMENUPOPUP:
    case WM_MENUSELECT:
    case WM_MENUCHAR:
    case WM_ENTERMENULOOP:
    case WM_EXITMENULOOP:
    case WM_ENTERIDLE:
    case WM_MENURBUTTONUP:
    case WM_COMMAND:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
      return true;
    default:
      return false;
  }
}

bool KeyDown(int key) { return (GetKeyState(key) & 0x8000) != 0; }

}  // namespace

CommandBar::CommandBar() = default;

CommandBar::~CommandBar() { Destroy(); }

HWND CommandBar::Create(HWND parent, HWND owner, UINT id) {
  owner_ = owner;
  MakeFont();
  HWND hwnd = Window::Create(parent, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 0, 0, 0,
                             reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)));
  if (!hwnd) return nullptr;
  Bars().push_back(this);
  if (!g_messageHook) g_messageHook = SetWindowsHookExA(WH_GETMESSAGE, GetMessageHook, nullptr, GetCurrentThreadId());
  return hwnd;
}

void CommandBar::RegisterClassInfo(WNDCLASSEXA& wc) const {
  wc.style = CS_DBLCLKS;
  wc.hbrBackground = nullptr;  // the parent's background shows through
}

HWND CommandBar::Owner() const {
  if (owner_) return owner_;
  return Handle() ? GetAncestor(Handle(), GA_ROOT) : nullptr;
}

void CommandBar::MakeFont() {
  NONCLIENTMETRICSA metrics = {sizeof metrics};
  LOGFONTA lf = {};
  if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
    lf = metrics.lfMenuFont;
  else
    GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
  font_.Reset(CreateFontIndirectA(&lf));
  ClientDC screen(nullptr);
  SelectGuard select(screen.DC(), font_);
  TEXTMETRICA tm = {};
  GetTextMetricsA(screen.DC(), &tm);
  lineHeight_ = tm.tmHeight > 0 ? tm.tmHeight : 13;
}

// ---- buttons -------------------------------------------------------------

bool CommandBar::AttachMenu(HMENU menu) {
  if (menu && !IsMenu(menu)) return false;
  menu_ = menu;
  RefreshButtons();
  return true;
}

void CommandBar::RefreshButtons() {
  buttons_.clear();
  int count = menu_ ? GetMenuItemCount(menu_) : 0;
  ClientDC screen(nullptr);
  SelectGuard select(screen.DC(), font_);
  for (int i = 0; i < count; ++i) {
    char text[256] = "";
    GetMenuStringA(menu_, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
    Button b;
    b.text = text;
    b.accessKey = AccessKeyOf(b.text);
    RECT rc = {};
    DrawTextA(screen.DC(), text, -1, &rc, DT_CALCRECT | DT_SINGLELINE);
    b.width = rc.right + 2 * Scaled(kButtonPadding);
    buttons_.push_back(std::move(b));
  }
  if (hot_ >= ButtonCount()) hot_ = -1;
  if (Handle()) InvalidateRect(Handle(), nullptr, TRUE);
}

std::string CommandBar::ButtonText(int index) const {
  return index >= 0 && index < ButtonCount() ? buttons_[index].text : std::string();
}

RECT CommandBar::ButtonRect(int index) const {
  RECT rc = {};
  if (index < 0 || index >= ButtonCount()) return rc;
  RECT client = {};
  if (Handle()) GetClientRect(Handle(), &client);
  int h = ButtonHeight();
  rc.top = client.bottom > h ? (client.bottom - h) / 2 : 0;
  rc.bottom = rc.top + h;
  for (int i = 0; i < index; ++i) rc.left += buttons_[i].width;
  rc.right = rc.left + buttons_[index].width;
  return rc;
}

int CommandBar::ButtonAt(POINT client) const {
  RECT area = {};
  if (!Handle()) return -1;
  GetClientRect(Handle(), &area);
  if (!PtInRect(&area, client)) return -1;
  for (int i = 0; i < ButtonCount(); ++i) {
    RECT rc = ButtonRect(i);
    if (PtInRect(&rc, client)) return i;
  }
  return -1;
}

SIZE CommandBar::IdealSize() const {
  SIZE size = {0, ButtonHeight()};
  for (const Button& b : buttons_) size.cx += b.width;
  return size;
}

bool CommandBar::ButtonEnabled(int index) const {
  if (!menu_ || index < 0 || index >= ButtonCount()) return false;
  UINT state = GetMenuState(menu_, static_cast<UINT>(index), MF_BYPOSITION);
  return state != static_cast<UINT>(-1) && !(state & (MF_GRAYED | MF_DISABLED));
}

int CommandBar::FindAccessKey(char key) const {
  char k = static_cast<char>(std::tolower(static_cast<unsigned char>(key)));
  if (!k) return -1;
  for (int i = 0; i < ButtonCount(); ++i)
    if (buttons_[i].accessKey == k && ButtonEnabled(i)) return i;
  return -1;
}

int CommandBar::NextEnabled(int from, int step) const {
  int n = ButtonCount();
  for (int k = 1; k <= n; ++k) {
    int i = ((from + k * step) % n + n) % n;
    if (ButtonEnabled(i)) return i;
  }
  return -1;
}

void CommandBar::SetHot(int index) {
  if (index == hot_) return;
  hot_ = index;
  if (Handle()) InvalidateRect(Handle(), nullptr, FALSE);
}

// ---- popups --------------------------------------------------------------

void CommandBar::OpenPopup(int index, bool selectFirst) {
  if (!Handle() || !menu_ || openIndex_ >= 0 || g_trackingBar) return;
  HWND self = Handle();
  int next = index;
  bool byKeyboard = selectFirst;
  bool escaped = false;
  int last = index;
  while (next >= 0 && next < ButtonCount() && ButtonEnabled(next)) {
    int current = next;
    next = -1;
    last = current;
    HMENU popup = GetSubMenu(menu_, current);
    if (!popup) {  // a plain command in the bar itself
      UINT id = GetMenuItemID(menu_, current);
      if (id != static_cast<UINT>(-1)) PostMessageA(Owner(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
      break;
    }
    openIndex_ = current;
    hot_ = current;
    popupByKeyboard_ = byKeyboard;
    InvalidateRect(self, nullptr, FALSE);
    UpdateWindow(self);

    RECT button = ButtonRect(current);
    MapWindowPoints(self, nullptr, reinterpret_cast<POINT*>(&button), 2);
    TPMPARAMS params = {sizeof params, button};
    rootPopup_ = currentMenu_ = popup;
    selectedOpensPopup_ = false;
    nextIndex_ = -1;
    escapedToBar_ = false;
    menuOwner_ = Owner();
    // The menu loop reads this first and selects the popup's first entry.
    if (byKeyboard) PostMessageA(self, WM_KEYDOWN, VK_DOWN, 0);

    g_trackingBar = this;
    g_menuHook = SetWindowsHookExA(WH_MSGFILTER, MenuFilterHook, nullptr, GetCurrentThreadId());
    UINT command = static_cast<UINT>(TrackPopupMenuEx(
        popup, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_VERTICAL | TPM_LEFTBUTTON | TPM_RETURNCMD, button.left,
        button.bottom, self, &params));
    if (g_menuHook) UnhookWindowsHookEx(g_menuHook);
    g_menuHook = nullptr;
    g_trackingBar = nullptr;
    HWND owner = menuOwner_;
    menuOwner_ = nullptr;
    rootPopup_ = currentMenu_ = nullptr;

    if (command) {
      PostMessageA(owner, WM_COMMAND, MAKEWPARAM(command, 0), 0);
      break;
    }
    next = nextIndex_;
    byKeyboard = nextByKeyboard_;
    escaped = escapedToBar_ && next < 0;
  }
  openIndex_ = -1;
  popupByKeyboard_ = false;
  if (escaped) {
    // Escape from a popup goes back to the bar, its button highlighted.
    EnterKeyboardMode();
    SetHot(last);
  } else {
    if (keyboardMode_) LeaveKeyboardMode();
    POINT pt = {};
    GetCursorPos(&pt);
    ScreenToClient(self, &pt);
    hot_ = -1;
    SetHot(ButtonAt(pt));
  }
  InvalidateRect(self, nullptr, FALSE);
}

void CommandBar::SwitchPopup(int index, bool byKeyboard) {
  nextIndex_ = index;
  nextByKeyboard_ = byKeyboard;
  EndMenu();
}

bool CommandBar::FilterMenuMessage(const MSG& msg) {
  switch (msg.message) {
    case WM_KEYDOWN:
      if (msg.wParam == VK_LEFT && currentMenu_ == rootPopup_) {
        int previous = NextEnabled(openIndex_, -1);
        if (previous >= 0 && previous != openIndex_) {
          SwitchPopup(previous, true);
          return true;
        }
      } else if (msg.wParam == VK_RIGHT && !selectedOpensPopup_) {
        int following = NextEnabled(openIndex_, 1);
        if (following >= 0 && following != openIndex_) {
          SwitchPopup(following, true);
          return true;
        }
      } else if (msg.wParam == VK_ESCAPE && currentMenu_ == rootPopup_) {
        escapedToBar_ = true;
      }
      break;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN: {
      // Mouse messages of a menu loop carry screen coordinates.
      POINT pt = {GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
      ScreenToClient(Handle(), &pt);
      int button = ButtonAt(pt);
      if (button < 0) break;
      if (msg.message == WM_LBUTTONDOWN && button == openIndex_) {
        EndMenu();  // a click on the open button just closes its popup
        return true;
      }
      if (button != openIndex_ && ButtonEnabled(button)) {
        SwitchPopup(button, false);
        return msg.message == WM_LBUTTONDOWN;
      }
      break;
    }
    default:
      break;
  }
  return false;
}

LRESULT CALLBACK CommandBar::MenuFilterHook(int code, WPARAM wParam, LPARAM lParam) {
  bool filtered = Guarded("menu hook", false, [&] {
    return code == MSGF_MENU && g_trackingBar && lParam &&
           g_trackingBar->FilterMenuMessage(*reinterpret_cast<const MSG*>(lParam));
  });
  return filtered ? 1 : CallNextHookEx(g_menuHook, code, wParam, lParam);
}

UINT CommandBar::TrackPopup(HMENU popup, int x, int y, HWND owner, UINT flags) {
  if (!popup || !Handle() || menuOwner_) return 0;
  HWND target = owner ? owner : Owner();
  menuOwner_ = target;
  UINT command = static_cast<UINT>(
      TrackPopupMenuEx(popup, (flags | TPM_RETURNCMD) & ~static_cast<UINT>(TPM_NONOTIFY), x, y, Handle(), nullptr));
  menuOwner_ = nullptr;
  if (command && !(flags & TPM_RETURNCMD)) PostMessageA(target, WM_COMMAND, MAKEWPARAM(command, 0), 0);
  return command;
}

// ---- keyboard --------------------------------------------------------------

void CommandBar::EnterKeyboardMode() {
  if (!Handle() || buttons_.empty()) return;
  if (!keyboardMode_) {
    HWND focus = GetFocus();
    previousFocus_ = focus != Handle() ? focus : nullptr;
    keyboardMode_ = true;
  }
  SetFocus(Handle());
  SetHot(hot_ >= 0 && ButtonEnabled(hot_) ? hot_ : NextEnabled(-1, 1));
  InvalidateRect(Handle(), nullptr, FALSE);
}

void CommandBar::LeaveKeyboardMode() {
  if (!keyboardMode_) return;
  keyboardMode_ = false;
  HWND back = std::exchange(previousFocus_, nullptr);
  SetHot(-1);
  InvalidateRect(Handle(), nullptr, FALSE);
  if (GetFocus() == Handle() && back && IsWindow(back)) SetFocus(back);
}

bool CommandBar::PreviewMessage(MSG& msg) {
  if (!Handle() || buttons_.empty() || openIndex_ >= 0 || menuOwner_ || !msg.hwnd) return false;
  // Any open menu (a context menu, the system menu) owns the keyboard.
  GUITHREADINFO gui = {sizeof gui};
  if (GetGUIThreadInfo(GetCurrentThreadId(), &gui) && (gui.flags & GUI_INMENUMODE)) return false;
  HWND root = GetAncestor(Handle(), GA_ROOT);
  // Dialogs are windows of their own: their Alt keys are their mnemonics.
  if (GetAncestor(msg.hwnd, GA_ROOT) != root || !IsWindowEnabled(root)) return false;
  switch (msg.message) {
    case WM_SYSKEYDOWN:
      if (msg.wParam == VK_MENU) {
        if (!(msg.lParam & (1 << 30))) altArmed_ = true;  // not a repeat
        return false;
      }
      altArmed_ = false;
      if (msg.wParam == VK_F10 && !KeyDown(VK_SHIFT) && !KeyDown(VK_CONTROL)) {
        PostMessageA(Handle(), kBarAction, kToggleKeyboardMode, 0);
        return true;
      }
      return false;
    case WM_SYSKEYUP:
      // Left alone, these would make the frame enter its (absent) menu.
      if (msg.wParam == VK_MENU && altArmed_) {
        altArmed_ = false;
        PostMessageA(Handle(), kBarAction, kToggleKeyboardMode, 0);
        return true;
      }
      return msg.wParam == VK_F10 && !KeyDown(VK_SHIFT) && !KeyDown(VK_CONTROL);
    case WM_SYSCHAR: {
      altArmed_ = false;
      if (keyboardMode_) return false;  // the focused bar reads it itself
      int index = FindAccessKey(static_cast<char>(msg.wParam));
      if (index < 0) return false;
      PostMessageA(Handle(), kBarAction, kOpenFromKeyboard, index);
      return true;
    }
    case WM_KEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      altArmed_ = false;
      return false;
    default:
      return false;
  }
}

LRESULT CALLBACK CommandBar::GetMessageHook(int code, WPARAM wParam, LPARAM lParam) {
  Guarded("message hook", 0, [&] {
    if (code != HC_ACTION || wParam != PM_REMOVE || !lParam) return 0;
    MSG& msg = *reinterpret_cast<MSG*>(lParam);
    for (CommandBar* bar : Bars()) {
      if (bar->PreviewMessage(msg)) {
        msg.message = WM_NULL;
        msg.wParam = 0;
        msg.lParam = 0;
        break;
      }
    }
    return 0;
  });
  return CallNextHookEx(g_messageHook, code, wParam, lParam);
}

void CommandBar::OnKeyDown(WPARAM key) {
  if (!keyboardMode_) return;
  switch (key) {
    case VK_LEFT:
      SetHot(NextEnabled(hot_, -1));
      break;
    case VK_RIGHT:
      SetHot(NextEnabled(hot_, 1));
      break;
    case VK_DOWN:
    case VK_UP:
    case VK_RETURN:
      if (hot_ >= 0) OpenPopup(hot_, true);
      break;
    case VK_ESCAPE:
      LeaveKeyboardMode();
      break;
    default:
      break;
  }
}

bool CommandBar::OnAccessKey(WPARAM ch) {
  int index = FindAccessKey(static_cast<char>(ch));
  if (index < 0) return false;
  OpenPopup(index, true);
  return true;
}

// ---- menu images -----------------------------------------------------------

void CommandBar::SetMenuImages(HBITMAP strip, const std::vector<std::pair<UINT, int>>& commandToImage,
                               int imageWidth) {
  images_.Reset();
  imageOfCommand_.clear();
  AddMenuImages(strip, commandToImage, imageWidth);
}

void CommandBar::AddMenuImages(HBITMAP strip, const std::vector<std::pair<UINT, int>>& commandToImage,
                               int imageWidth) {
  BITMAP info = {};
  if (!strip || !GetObjectA(strip, sizeof info, &info)) return;
  int width = imageWidth > 0 ? imageWidth : info.bmHeight;
  ImageListHandle part(MakeImageList(strip, width, Scaled(kMenuImageSize)));
  if (!part) return;
  int count = ImageList_GetImageCount(part);
  int base = 0;
  if (!images_) {
    images_ = std::move(part);
  } else {
    base = ImageList_GetImageCount(images_);
    for (int i = 0; i < count; ++i) {
      IconHandle icon(ImageList_GetIcon(part, i, ILD_NORMAL));
      ImageList_ReplaceIcon(images_, -1, icon);
    }
  }
  for (const auto& [command, image] : commandToImage)
    if (image >= 0 && image < count) imageOfCommand_[command] = base + image;
}

int CommandBar::MenuImage(UINT command) const {
  auto it = imageOfCommand_.find(command);
  return it == imageOfCommand_.end() ? -1 : it->second;
}

void CommandBar::ApplyMenuImages(HMENU popup) {
  if (!images_ || !popup) return;
  int count = GetMenuItemCount(popup);
  bool anyImage = false;
  for (int i = 0; i < count && !anyImage; ++i) anyImage = MenuImage(GetMenuItemID(popup, i)) >= 0;
  if (!anyImage) return;
  // Every command of a popup that shows images gets the image column, with
  // or without a picture: a popup whose rows measure differently cuts the
  // longest texts short.
  for (int i = 0; i < count; ++i) {
    MENUITEMINFOA mii = {sizeof mii};
    mii.fMask = MIIM_ID | MIIM_FTYPE | MIIM_SUBMENU | MIIM_BITMAP;
    if (!GetMenuItemInfoA(popup, static_cast<UINT>(i), TRUE, &mii)) continue;
    if ((mii.fType & (MFT_SEPARATOR | MFT_OWNERDRAW | MFT_BITMAP)) || mii.hSubMenu || mii.hbmpItem) continue;
    if (MenuImage(mii.wID) < 0) blankImageCommands_.insert(mii.wID);
    MENUITEMINFOA set = {sizeof set};
    set.fMask = MIIM_BITMAP;
    set.hbmpItem = HBMMENU_CALLBACK;  // drawn in WM_DRAWITEM
    SetMenuItemInfoA(popup, static_cast<UINT>(i), TRUE, &set);
  }
}

bool CommandBar::MeasureMenuImage(MEASUREITEMSTRUCT& mis) const {
  if (mis.CtlType != ODT_MENU || !images_) return false;
  if (MenuImage(mis.itemID) < 0 && !blankImageCommands_.count(mis.itemID)) return false;
  const UINT size = static_cast<UINT>(Scaled(kMenuImageSize));
  mis.itemWidth = size;
  mis.itemHeight = size;
  return true;
}

bool CommandBar::DrawMenuImage(const DRAWITEMSTRUCT& dis) const {
  if (dis.CtlType != ODT_MENU) return false;
  int image = MenuImage(dis.itemID);
  const RECT& rc = dis.rcItem;
  // A command without a picture keeps the column empty (the menu draws checks itself).
  if (image < 0) return blankImageCommands_.count(dis.itemID) != 0;
  const int size = Scaled(kMenuImageSize);
  int x = rc.left + (rc.right - rc.left - size) / 2;
  int y = rc.top + (rc.bottom - rc.top - size) / 2;
  if (dis.itemState & (ODS_GRAYED | ODS_DISABLED)) {
    IconHandle icon(ImageList_GetIcon(images_, image, ILD_NORMAL));
    DrawStateA(dis.hDC, nullptr, nullptr, reinterpret_cast<LPARAM>(icon.Get()), 0, x, y, size,
               size, DST_ICON | DSS_DISABLED);
  } else {
    ImageList_Draw(images_, image, dis.hDC, x, y, ILD_TRANSPARENT);
  }
  if (dis.itemState & ODS_CHECKED) {
    RECT frame = {x - 2, y - 2, x + size + 2, y + size + 2};
    DrawEdge(dis.hDC, &frame, BDR_SUNKENOUTER, BF_RECT);
  }
  return true;
}

// ---- painting and messages -------------------------------------------------

void CommandBar::OnPaint() {
  PaintScope paint(Handle());
  RECT client = {};
  GetClientRect(Handle(), &client);
  BufferedPaint buffer(paint.DC(), client);
  HDC dc = buffer.DC();

  // The rebar's band background shows through the bar.
  bool erased = false;
  if (HWND parent = GetParent(Handle())) {
    POINT origin = {0, 0};
    MapWindowPoints(Handle(), parent, &origin, 1);
    POINT old = {};
    OffsetWindowOrgEx(dc, origin.x, origin.y, &old);
    erased = SendMessageA(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) != 0;
    SetWindowOrgEx(dc, old.x, old.y, nullptr);
  }
  if (!erased) FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));

  BOOL systemCues = FALSE;
  SystemParametersInfoA(SPI_GETKEYBOARDCUES, 0, &systemCues, 0);
  bool cues = systemCues || keyboardMode_ || popupByKeyboard_;
  SetBkMode(dc, TRANSPARENT);
  SelectGuard font(dc, font_);
  for (int i = 0; i < ButtonCount(); ++i) {
    RECT rc = ButtonRect(i);
    bool enabled = ButtonEnabled(i);
    bool open = i == openIndex_;
    if (open)
      DrawEdge(dc, &rc, BDR_SUNKENOUTER, BF_RECT);
    else if (i == hot_ && enabled)
      DrawEdge(dc, &rc, BDR_RAISEDINNER, BF_RECT);
    RECT text = rc;
    if (open) OffsetRect(&text, 1, 1);
    ::SetTextColor(dc, GetSysColor(enabled ? COLOR_MENUTEXT : COLOR_GRAYTEXT));
    DrawTextA(dc, buttons_[i].text.c_str(), -1, &text,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | (cues ? 0 : DT_HIDEPREFIX));
  }
}

LRESULT CommandBar::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  switch (msg) {
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SIZE:
      InvalidateRect(Handle(), nullptr, FALSE);
      return 0;
    case WM_MOUSEMOVE:
      if (openIndex_ >= 0) return 0;
      if (!trackingMouseLeave_) {
        TRACKMOUSEEVENT tme = {sizeof tme, TME_LEAVE, Handle(), 0};
        trackingMouseLeave_ = TrackMouseEvent(&tme) != FALSE;
      }
      if (int b = ButtonAt(pt); b >= 0 || !keyboardMode_) SetHot(b);
      return 0;
    case WM_MOUSELEAVE:
      trackingMouseLeave_ = false;
      if (!keyboardMode_ && openIndex_ < 0) SetHot(-1);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (int b = ButtonAt(pt); b >= 0 && ButtonEnabled(b)) OpenPopup(b, false);
      return 0;
    case WM_KEYDOWN:
      OnKeyDown(wParam);
      return 0;
    case WM_CHAR:
      if (keyboardMode_) OnAccessKey(wParam);
      return 0;
    case WM_SYSCHAR:
      if (keyboardMode_ && OnAccessKey(wParam)) return 0;
      break;
    case WM_GETDLGCODE:
      return DLGC_WANTALLKEYS;
    case WM_KILLFOCUS:
      if (keyboardMode_ && openIndex_ < 0) {
        keyboardMode_ = false;
        previousFocus_ = nullptr;
        SetHot(-1);
      }
      return 0;
    case kBarAction:
      if (wParam == kToggleKeyboardMode) {
        if (keyboardMode_)
          LeaveKeyboardMode();
        else
          EnterKeyboardMode();
      } else if (wParam == kOpenFromKeyboard) {
        OpenPopup(static_cast<int>(lParam), true);
      }
      return 0;
    case WM_MENUSELECT:
      if (!(HIWORD(wParam) == 0xFFFF && lParam == 0)) {
        currentMenu_ = reinterpret_cast<HMENU>(lParam);
        UINT flags = HIWORD(wParam);
        selectedOpensPopup_ = (flags & MF_POPUP) && !(flags & (MF_GRAYED | MF_DISABLED));
      }
      break;  // and on to the owner, for its prompts
    case WM_INITMENUPOPUP: {
      // The owner enables and fills the popup first; then the images.
      LRESULT result = 0;
      if (HWND target = MenuMessageTarget()) result = SendMessageA(target, msg, wParam, lParam);
      ApplyMenuImages(reinterpret_cast<HMENU>(wParam));
      return result;
    }
    case WM_MEASUREITEM:
      if (MeasureMenuImage(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam))) return TRUE;
      break;
    case WM_DRAWITEM:
      if (DrawMenuImage(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) return TRUE;
      break;
    case WM_NCDESTROY: {
      auto& bars = Bars();
      bars.erase(std::remove(bars.begin(), bars.end(), this), bars.end());
      if (bars.empty() && g_messageHook) {
        UnhookWindowsHookEx(g_messageHook);
        g_messageHook = nullptr;
      }
      break;
    }
    default:
      break;
  }
  if (IsMenuMessage(msg)) {
    if (HWND target = MenuMessageTarget(); target && target != Handle()) return SendMessageA(target, msg, wParam, lParam);
  }
  return DefaultProc(msg, wParam, lParam);
}

}  // namespace vellora
