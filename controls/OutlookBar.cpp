#include "controls/OutlookBar.h"

#include <windowsx.h>

#include <algorithm>
#include <numeric>
#include <utility>

#include "platform/Dpi.h"
#include "controls/ParentNotifications.h"

namespace vellora {

namespace {

// The icons' sizes follow the DPI, as the image lists given to the bar do.
const int kIconLarge = Scaled(32);
const int kIconSmall = Scaled(16);
constexpr int kTopGap = 4;       // space above the first item
const int kScrollButton = Scaled(16);
constexpr int kMaxTextLines = 2;  // large-icon captions wrap to at most this

COLORREF Mix(COLORREF a, COLORREF b, int percentB) {
  auto channel = [&](int ca, int cb) { return (ca * (100 - percentB) + cb * percentB) / 100; };
  return RGB(channel(GetRValue(a), GetRValue(b)), channel(GetGValue(a), GetGValue(b)),
             channel(GetBValue(a), GetBValue(b)));
}

void FillSolid(HDC dc, const RECT& rc, COLORREF color) {
  COLORREF old = SetBkColor(dc, color);
  ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
  SetBkColor(dc, old);
}

void FrameSolid(HDC dc, const RECT& rc, COLORREF color) {
  RECT edges[4] = {{rc.left, rc.top, rc.right, rc.top + 1},
                   {rc.left, rc.bottom - 1, rc.right, rc.bottom},
                   {rc.left, rc.top, rc.left + 1, rc.bottom},
                   {rc.right - 1, rc.top, rc.right, rc.bottom}};
  for (const RECT& e : edges) FillSolid(dc, e, color);
}

void VerticalGradient(HDC dc, const RECT& rc, COLORREF top, COLORREF bottom) {
  TRIVERTEX v[2] = {
      {rc.left, rc.top, static_cast<COLOR16>(GetRValue(top) << 8), static_cast<COLOR16>(GetGValue(top) << 8),
       static_cast<COLOR16>(GetBValue(top) << 8), 0},
      {rc.right, rc.bottom, static_cast<COLOR16>(GetRValue(bottom) << 8),
       static_cast<COLOR16>(GetGValue(bottom) << 8), static_cast<COLOR16>(GetBValue(bottom) << 8), 0}};
  GRADIENT_RECT g = {0, 1};
  if (!GradientFill(dc, v, 2, &g, 1, GRADIENT_FILL_RECT_V)) FillSolid(dc, rc, bottom);
}

POINT CursorScreenPoint() {
  POINT pt = {};
  GetCursorPos(&pt);
  return pt;
}

}  // namespace

UINT OutBarNotifyMessage() {
  static const UINT message = RegisterWindowMessageA(kOutBarNotifyMessageName);
  return message;
}

OutlookBar::OutlookBar() : textColor_(GetSysColor(COLOR_WINDOWTEXT)), backColor_(GetSysColor(COLOR_WINDOW)) {}

OutlookBar::~OutlookBar() { Destroy(); }

HWND OutlookBar::Create(HWND parent, UINT id) {
  MakeFonts();
  backBrush_.Reset(CreateSolidBrush(backColor_));
  return Window::Create(parent, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_TABSTOP,
                        0, 0, 0, 0, 0, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)));
}

void OutlookBar::RegisterClassInfo(WNDCLASSEXA& wc) const {
  wc.style = CS_DBLCLKS;
  wc.hbrBackground = nullptr;  // everything is painted through one buffer
}

void OutlookBar::MakeFonts() {
  LOGFONTA lf = {};
  if (font_) {
    GetObjectA(font_, sizeof lf, &lf);
  } else {
    NONCLIENTMETRICSA metrics = {sizeof metrics};
    if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
      lf = metrics.lfMessageFont;
    else
      GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
    normalFont_.Reset(CreateFontIndirectA(&lf));
  }
  lf.lfWeight = FW_BOLD;
  boldFont_.Reset(CreateFontIndirectA(&lf));
  ClientDC screen(nullptr);
  SelectGuard select(screen.DC(), Font());
  TEXTMETRICA tm = {};
  GetTextMetricsA(screen.DC(), &tm);
  lineHeight_ = tm.tmHeight > 0 ? tm.tmHeight : 13;
}

// ---- groups ----------------------------------------------------------------

int OutlookBar::AddGroup(const std::string& text, LPARAM data) {
  Group g;
  g.text = text;
  g.data = data;
  groups_.push_back(std::move(g));
  Relayout();
  return GroupCount() - 1;
}

bool OutlookBar::RemoveGroup(int group) {
  if (!ValidGroup(group)) return false;
  groups_.erase(groups_.begin() + group);
  if (selected_ == group)
    selected_ = -1;
  else if (selected_ > group)
    --selected_;
  hot_ = pressed_ = OutBarHit{};
  Relayout();
  return true;
}

void OutlookBar::RemoveAllGroups() {
  groups_.clear();
  selected_ = -1;
  hot_ = pressed_ = OutBarHit{};
  Relayout();
}

std::string OutlookBar::GroupText(int group) const { return ValidGroup(group) ? groups_[group].text : std::string(); }

bool OutlookBar::SetGroupText(int group, const std::string& text) {
  if (!ValidGroup(group)) return false;
  groups_[group].text = text;
  if (Handle()) InvalidateRect(Handle(), nullptr, FALSE);
  return true;
}

LPARAM OutlookBar::GroupData(int group) const { return ValidGroup(group) ? groups_[group].data : 0; }

bool OutlookBar::SetGroupData(int group, LPARAM data) {
  if (!ValidGroup(group)) return false;
  groups_[group].data = data;
  return true;
}

int OutlookBar::FindGroup(const std::string& text) const {
  for (int i = 0; i < GroupCount(); ++i)
    if (groups_[i].text == text) return i;
  return -1;
}

bool OutlookBar::SwapGroups(int a, int b) {
  if (!ValidGroup(a) || !ValidGroup(b)) return false;
  if (a == b) return true;
  std::swap(groups_[a], groups_[b]);
  if (selected_ == a)
    selected_ = b;
  else if (selected_ == b)
    selected_ = a;
  Relayout();
  return true;
}

bool OutlookBar::SetSelectedGroup(int group, bool notify) {
  if (group != -1 && !ValidGroup(group)) return false;
  if (group != selected_) {
    selected_ = group;
    hot_ = pressed_ = OutBarHit{};
    Relayout();
  }
  if (notify && group >= 0) Notify(kOutBarGroupSelected, group, -1, CursorScreenPoint());
  return true;
}

bool OutlookBar::SetGroupChild(int group, HWND child) {
  if (!ValidGroup(group)) return false;
  groups_[group].child = child;
  if (child) {
    if (Handle() && GetParent(child) != Handle()) SetParent(child, Handle());
    if (std::find(children_.begin(), children_.end(), child) == children_.end()) children_.push_back(child);
  }
  Relayout();
  return true;
}

HWND OutlookBar::GroupChild(int group) const { return ValidGroup(group) ? groups_[group].child : nullptr; }

// ---- items -----------------------------------------------------------------

bool OutlookBar::ValidItem(int group, int item) const {
  return ValidGroup(group) && item >= 0 && item < static_cast<int>(groups_[group].items.size());
}

int OutlookBar::AddItem(int group, const std::string& text, int image, LPARAM data) {
  if (!ValidGroup(group)) return -1;
  groups_[group].items.push_back(Item{text, image, data});
  if (group == selected_) Relayout();
  return static_cast<int>(groups_[group].items.size()) - 1;
}

int OutlookBar::AddItems(int group, const std::vector<NewItem>& items) {
  if (!ValidGroup(group)) return -1;
  std::vector<Item>& list = groups_[group].items;
  int first = static_cast<int>(list.size());
  list.reserve(list.size() + items.size());
  for (const NewItem& item : items) list.push_back(Item{item.text, item.image, item.data});
  if (group == selected_ && !items.empty()) Relayout();
  return first;
}

bool OutlookBar::RemoveItem(int group, int item) {
  if (!ValidItem(group, item)) return false;
  Group& g = groups_[group];
  g.items.erase(g.items.begin() + item);
  if (g.selectedItem == item)
    g.selectedItem = -1;
  else if (g.selectedItem > item)
    --g.selectedItem;
  g.topItem = std::clamp(g.topItem, 0, std::max(static_cast<int>(g.items.size()) - 1, 0));
  if (group == selected_) {
    hot_ = pressed_ = OutBarHit{};
    Relayout();
  }
  return true;
}

void OutlookBar::RemoveAllItems(int group) {
  if (!ValidGroup(group)) return;
  Group& g = groups_[group];
  g.items.clear();
  g.selectedItem = -1;
  g.topItem = 0;
  if (group == selected_) {
    hot_ = pressed_ = OutBarHit{};
    Relayout();
  }
}

int OutlookBar::ItemCount(int group) const {
  return ValidGroup(group) ? static_cast<int>(groups_[group].items.size()) : 0;
}

std::string OutlookBar::ItemText(int group, int item) const {
  return ValidItem(group, item) ? groups_[group].items[item].text : std::string();
}

bool OutlookBar::SetItemText(int group, int item, const std::string& text) {
  if (!ValidItem(group, item)) return false;
  groups_[group].items[item].text = text;
  if (group == selected_) Relayout();
  return true;
}

int OutlookBar::ItemImage(int group, int item) const {
  return ValidItem(group, item) ? groups_[group].items[item].image : -1;
}

bool OutlookBar::SetItemImage(int group, int item, int image) {
  if (!ValidItem(group, item)) return false;
  groups_[group].items[item].image = image;
  if (group == selected_ && Handle()) InvalidateRect(Handle(), nullptr, FALSE);
  return true;
}

LPARAM OutlookBar::ItemData(int group, int item) const {
  return ValidItem(group, item) ? groups_[group].items[item].data : 0;
}

bool OutlookBar::SetItemData(int group, int item, LPARAM data) {
  if (!ValidItem(group, item)) return false;
  groups_[group].items[item].data = data;
  return true;
}

int OutlookBar::FindItem(int group, const std::string& text) const {
  for (int i = 0; i < ItemCount(group); ++i)
    if (groups_[group].items[i].text == text) return i;
  return -1;
}

bool OutlookBar::SwapItems(int group, int a, int b) {
  if (!ValidItem(group, a) || !ValidItem(group, b)) return false;
  Group& g = groups_[group];
  std::swap(g.items[a], g.items[b]);
  if (g.selectedItem == a)
    g.selectedItem = b;
  else if (g.selectedItem == b)
    g.selectedItem = a;
  if (group == selected_) Relayout();
  return true;
}

int OutlookBar::SelectedItem() const { return SelectedItem(selected_); }

int OutlookBar::SelectedItem(int group) const { return ValidGroup(group) ? groups_[group].selectedItem : -1; }

bool OutlookBar::SetSelectedItem(int item, bool notify) {
  Group* g = Selected();
  if (!g || (item != -1 && !ValidItem(selected_, item))) return false;
  g->selectedItem = item;
  if (item >= 0) EnsureItemVisible(item);
  if (Handle()) InvalidateRect(Handle(), nullptr, FALSE);
  if (notify && item >= 0) Notify(kOutBarItemClicked, selected_, item, CursorScreenPoint());
  return true;
}

int OutlookBar::FirstVisibleItem() const {
  const Group* g = Selected();
  return g ? g->topItem : 0;
}

void OutlookBar::EnsureItemVisible(int item) {
  Group* g = Selected();
  if (!g || !ValidItem(selected_, item)) return;
  if (item < g->topItem) {
    g->topItem = item;
  } else {
    RECT content = ContentRect();
    // Before the bar has its size there is nothing to scroll into.
    if (content.bottom - content.top <= 0) return;
    while (g->topItem < item && ItemRect(item).bottom > content.bottom) ++g->topItem;
  }
  if (Handle()) InvalidateRect(Handle(), nullptr, FALSE);
}

bool OutlookBar::ScrollItems(int delta) {
  Group* g = Selected();
  if (!g || g->child) return false;
  int before = g->topItem;
  if (delta < 0) g->topItem = std::max(g->topItem + delta, 0);
  for (; delta > 0 && CanScrollDown(); --delta) ++g->topItem;
  if (g->topItem == before) return false;
  if (Handle()) InvalidateRect(Handle(), nullptr, FALSE);
  return true;
}

// ---- appearance --------------------------------------------------------------

void OutlookBar::SetImageLists(HIMAGELIST large, HIMAGELIST small) {
  largeImages_ = large;
  smallImages_ = small;
  if (Handle()) InvalidateRect(Handle(), nullptr, FALSE);
}

void OutlookBar::SetLargeIcons(bool large) {
  largeIcons_ = large;
  Relayout();
}

void OutlookBar::SetShowText(bool show) {
  showText_ = show;
  Relayout();
}

void OutlookBar::SetColors(COLORREF text, COLORREF back) {
  textColor_ = text;
  SetBackColor(back);
}

void OutlookBar::SetTextColor(COLORREF text) {
  textColor_ = text;
  if (Handle()) InvalidateRect(Handle(), nullptr, FALSE);
}

void OutlookBar::SetBackColor(COLORREF back) {
  backColor_ = back;
  backImage_.Reset();
  backBrush_.Reset(CreateSolidBrush(back));
  if (Handle()) InvalidateRect(Handle(), nullptr, FALSE);
}

void OutlookBar::SetBackgroundImage(HBITMAP bitmap) {
  if (!bitmap) {
    SetBackColor(backColor_);
    return;
  }
  HBRUSH pattern = CreatePatternBrush(bitmap);
  if (!pattern) {
    DeleteObject(bitmap);
    return;
  }
  backBrush_.Reset(pattern);
  backImage_.Reset(bitmap);
  if (Handle()) InvalidateRect(Handle(), nullptr, FALSE);
}

void OutlookBar::SetOptionsMenu(HMENU popup, UINT largeIconsCommand, UINT showTextCommand) {
  optionsMenu_ = popup;
  largeIconsCommand_ = largeIconsCommand;
  showTextCommand_ = showTextCommand;
}

// ---- geometry ----------------------------------------------------------------

int OutlookBar::HeaderHeight() const { return lineHeight_ + 10; }

RECT OutlookBar::HeaderRect(int group) const {
  RECT rc = {};
  if (!ValidGroup(group) || !Handle()) return rc;
  GetClientRect(Handle(), &rc);
  int h = HeaderHeight();
  if (selected_ < 0 || group <= selected_)
    rc.top = group * h;
  else
    rc.top = rc.bottom - (GroupCount() - group) * h;
  rc.bottom = rc.top + h;
  return rc;
}

RECT OutlookBar::ContentRect() const {
  RECT rc = {};
  if (!Handle()) return rc;
  GetClientRect(Handle(), &rc);
  int h = HeaderHeight();
  if (selected_ < 0) {
    rc.top = std::min<LONG>(GroupCount() * h, rc.bottom);
  } else {
    rc.top = (selected_ + 1) * h;
    rc.bottom -= (GroupCount() - 1 - selected_) * h;
  }
  if (rc.bottom < rc.top) rc.bottom = rc.top;
  return rc;
}

int OutlookBar::ItemHeight(const Item& item, HDC dc, int width) const {
  if (!largeIcons_) return std::max(kIconSmall, lineHeight_) + 8;
  int h = kTopGap + kIconLarge + 6;
  if (showText_) {
    RECT text = {0, 0, std::max(width - 8, 8), 0};
    DrawTextA(dc, item.text.c_str(), -1, &text, DT_CALCRECT | DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
    h += 3 + std::clamp<int>(text.bottom, lineHeight_, kMaxTextLines * lineHeight_);
  }
  return h;
}

const std::vector<int>& OutlookBar::ItemHeights() const {
  if (!heightsStale_) return heights_;
  heights_.clear();
  if (const Group* g = Selected()) {
    RECT content = ContentRect();
    ClientDC dc(Handle());
    SelectGuard select(dc.DC(), Font());
    for (const Item& item : g->items) heights_.push_back(ItemHeight(item, dc.DC(), content.right - content.left));
  }
  heightsStale_ = false;
  return heights_;
}

RECT OutlookBar::ItemRect(int item) const {
  RECT rc = {};
  const Group* g = Selected();
  if (!g || g->child || !ValidItem(selected_, item)) return rc;
  const std::vector<int>& heights = ItemHeights();
  if (item >= static_cast<int>(heights.size())) return rc;
  int top = g->topItem;
  // Offsets from the first visible item, negative above it.
  int offset = item >= top ? std::accumulate(heights.begin() + top, heights.begin() + item, 0)
                           : -std::accumulate(heights.begin() + item, heights.begin() + top, 0);
  RECT content = ContentRect();
  rc.left = content.left;
  rc.right = content.right;
  rc.top = content.top + kTopGap + offset;
  rc.bottom = rc.top + heights[item];
  return rc;
}

bool OutlookBar::CanScrollDown() const {
  const Group* g = Selected();
  if (!g || g->child || g->items.empty()) return false;
  if (g->topItem >= static_cast<int>(g->items.size()) - 1) return false;
  return ItemRect(static_cast<int>(g->items.size()) - 1).bottom > ContentRect().bottom;
}

RECT OutlookBar::ScrollButtonRect(bool up) const {
  RECT content = ContentRect();
  RECT rc = {};
  if (content.bottom - content.top < 2 * kScrollButton + 8) return rc;
  const Group* g = Selected();
  if (!g || g->child) return rc;
  if (up ? g->topItem == 0 : !CanScrollDown()) return rc;
  rc.right = content.right - 2;
  rc.left = rc.right - kScrollButton;
  rc.top = up ? content.top + 2 : content.bottom - 2 - kScrollButton;
  rc.bottom = rc.top + kScrollButton;
  return rc;
}

OutBarHit OutlookBar::HitTest(POINT pt) const {
  OutBarHit hit;
  if (!Handle()) return hit;
  for (int i = 0; i < GroupCount(); ++i) {
    RECT rc = HeaderRect(i);
    if (PtInRect(&rc, pt)) {
      hit.part = OutBarHit::Part::Header;
      hit.group = i;
      return hit;
    }
  }
  RECT content = ContentRect();
  if (!PtInRect(&content, pt) || selected_ < 0) return hit;
  hit.group = selected_;
  for (bool up : {true, false}) {
    RECT rc = ScrollButtonRect(up);
    if (PtInRect(&rc, pt)) {
      hit.part = up ? OutBarHit::Part::ScrollUp : OutBarHit::Part::ScrollDown;
      return hit;
    }
  }
  hit.part = OutBarHit::Part::Content;
  const Group* g = Selected();
  if (g->child) return hit;
  for (int i = g->topItem; i < static_cast<int>(g->items.size()); ++i) {
    RECT rc = ItemRect(i);
    if (rc.top >= content.bottom) break;
    if (PtInRect(&rc, pt)) {
      hit.part = OutBarHit::Part::Item;
      hit.item = i;
      break;
    }
  }
  return hit;
}

void OutlookBar::Relayout() {
  heightsStale_ = true;
  if (!Handle()) return;
  if (Group* g = Selected(); g && !g->items.empty()) {
    g->topItem = std::clamp(g->topItem, 0, static_cast<int>(g->items.size()) - 1);
    // Grown taller, the bar scrolls back as far as the last item allows.
    const std::vector<int>& heights = ItemHeights();
    int bottom = ContentRect().bottom;
    while (g->topItem > 0 && ItemRect(static_cast<int>(g->items.size()) - 1).bottom + heights[g->topItem - 1] <= bottom)
      --g->topItem;
  }
  PlaceChildren();
  InvalidateRect(Handle(), nullptr, FALSE);
}

void OutlookBar::PlaceChildren() {
  const Group* g = Selected();
  HWND shown = g ? g->child : nullptr;
  for (HWND child : children_)
    if (child != shown && IsWindow(child) && IsWindowVisible(child)) ShowWindow(child, SW_HIDE);
  if (!shown || !IsWindow(shown)) return;
  RECT rc = ContentRect();
  SetWindowPos(shown, nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

// ---- painting ----------------------------------------------------------------

void OutlookBar::OnPaint() {
  PaintScope paint(Handle());
  RECT client = {};
  GetClientRect(Handle(), &client);
  BufferedPaint buffer(paint.DC(), client);
  HDC dc = buffer.DC();
  SetBkMode(dc, TRANSPARENT);
  SelectGuard font(dc, Font());

  RECT content = ContentRect();
  if (GroupCount() == 0) content = client;
  FillRect(dc, &content, backBrush_ ? backBrush_.Get() : GetSysColorBrush(COLOR_WINDOW));
  for (int i = 0; i < GroupCount(); ++i) PaintHeader(dc, i);
  if (const Group* g = Selected(); g && !g->child) {
    PaintItems(dc, content);
    PaintScrollButton(dc, true);
    PaintScrollButton(dc, false);
  }
}

void OutlookBar::PaintHeader(HDC dc, int group) {
  RECT rc = HeaderRect(group);
  OutBarHit me{OutBarHit::Part::Header, group, -1};
  bool hot = hot_ == me;
  bool pressed = tracking_ && pressed_ == me && hot;
  COLORREF face = GetSysColor(COLOR_BTNFACE);
  COLORREF light = Mix(face, RGB(255, 255, 255), hot ? 80 : 55);
  if (pressed)
    VerticalGradient(dc, rc, face, light);
  else
    VerticalGradient(dc, rc, light, face);
  DrawEdge(dc, &rc, pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
  RECT text = rc;
  InflateRect(&text, -6, 0);
  if (pressed) OffsetRect(&text, 1, 1);
  SelectGuard font(dc, group == selected_ ? boldFont_.Get() : Font());
  ::SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  DrawTextA(dc, groups_[group].text.c_str(), -1, &text,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
}

void OutlookBar::PaintItems(HDC dc, const RECT& content) {
  const Group* g = Selected();
  HRGN clip = CreateRectRgnIndirect(&content);
  SelectClipRgn(dc, clip);
  DeleteObject(clip);
  COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
  ::SetTextColor(dc, textColor_);
  bool focused = GetFocus() == Handle();
  for (int i = g->topItem; i < static_cast<int>(g->items.size()); ++i) {
    RECT rc = ItemRect(i);
    if (rc.top >= content.bottom) break;
    const Item& item = g->items[i];
    OutBarHit me{OutBarHit::Part::Item, selected_, i};
    bool hot = hot_ == me;
    bool pressed = tracking_ && pressed_ == me && hot;
    bool selected = g->selectedItem == i;

    // The frame marks the icon (large icons) or the whole row (small icons).
    RECT mark = rc;
    if (largeIcons_) {
      int cx = (rc.left + rc.right) / 2;
      mark = {cx - kIconLarge / 2 - 4, rc.top + kTopGap - 4, cx + kIconLarge / 2 + 4,
              rc.top + kTopGap + kIconLarge + 4};
    } else {
      InflateRect(&mark, -3, -1);
    }
    if (pressed || selected) FillSolid(dc, mark, Mix(backColor_, highlight, pressed ? 45 : 28));
    if (pressed || selected || hot) FrameSolid(dc, mark, Mix(backColor_, highlight, hot || pressed ? 85 : 60));
    if (selected && focused) {
      RECT focus = mark;
      InflateRect(&focus, -2, -2);
      DrawFocusRect(dc, &focus);
    }

    int shift = pressed ? 1 : 0;
    HIMAGELIST images = largeIcons_ ? largeImages_ : smallImages_;
    if (largeIcons_) {
      int cx = (rc.left + rc.right) / 2;
      if (images && item.image >= 0)
        ImageList_Draw(images, item.image, dc, cx - kIconLarge / 2 + shift, rc.top + kTopGap + shift,
                       ILD_TRANSPARENT);
      if (showText_) {
        RECT text = {rc.left + 4, rc.top + kTopGap + kIconLarge + 6, rc.right - 4, rc.bottom - 3};
        DrawTextA(dc, item.text.c_str(), -1, &text,
                  DT_CENTER | DT_WORDBREAK | DT_EDITCONTROL | DT_END_ELLIPSIS | DT_NOPREFIX);
      }
    } else {
      int iconTop = (rc.top + rc.bottom - kIconSmall) / 2;
      if (images && item.image >= 0)
        ImageList_Draw(images, item.image, dc, rc.left + 7 + shift, iconTop + shift, ILD_TRANSPARENT);
      if (showText_) {
        RECT text = {rc.left + 7 + kIconSmall + 6, rc.top, rc.right - 4, rc.bottom};
        DrawTextA(dc, item.text.c_str(), -1, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
      }
    }
  }
  SelectClipRgn(dc, nullptr);
}

void OutlookBar::PaintScrollButton(HDC dc, bool up) {
  RECT rc = ScrollButtonRect(up);
  if (IsRectEmpty(&rc)) return;
  OutBarHit me{up ? OutBarHit::Part::ScrollUp : OutBarHit::Part::ScrollDown, selected_, -1};
  UINT state = (up ? DFCS_SCROLLUP : DFCS_SCROLLDOWN) | (tracking_ && pressed_ == me && hot_ == me ? DFCS_PUSHED : 0);
  DrawFrameControl(dc, &rc, DFC_SCROLL, state);
}

// ---- input ---------------------------------------------------------------

LRESULT OutlookBar::Notify(int code, int group, int item, POINT screen) {
  OutBarNotify n{group, item, screen};
  HWND target = notifyWindow_ ? notifyWindow_ : GetParent(Handle());
  if (!target) return 0;
  return SendMessageA(target, OutBarNotifyMessage(), static_cast<WPARAM>(code), reinterpret_cast<LPARAM>(&n));
}

void OutlookBar::SetHot(const OutBarHit& hit) {
  OutBarHit next = hit;
  if (next.part == OutBarHit::Part::Content) next = OutBarHit{};  // empty space is never hot
  if (next == hot_) return;
  hot_ = next;
  InvalidateRect(Handle(), nullptr, FALSE);
  if (hot_.part != OutBarHit::Part::Nowhere && !timerRunning_) {
    timerRunning_ = SetTimer(Handle(), kHoverTimerId, kHoverTimerMs, nullptr) != 0;
  }
}

void OutlookBar::OnTimer() {
  if (tracking_) return;
  POINT pt = CursorScreenPoint();
  if (WindowFromPoint(pt) == Handle()) {
    ScreenToClient(Handle(), &pt);
    SetHot(HitTest(pt));
    if (hot_.part != OutBarHit::Part::Nowhere) return;
  } else {
    SetHot(OutBarHit{});
  }
  KillTimer(Handle(), kHoverTimerId);
  timerRunning_ = false;
}

void OutlookBar::OnLButtonDown(POINT pt) {
  SetFocus(Handle());
  OutBarHit hit = HitTest(pt);
  if (hit.part == OutBarHit::Part::Nowhere || hit.part == OutBarHit::Part::Content) return;
  pressed_ = hit;
  tracking_ = true;
  SetHot(hit);
  SetCapture(Handle());
  if (hit.part == OutBarHit::Part::ScrollUp) ScrollItems(-1);
  if (hit.part == OutBarHit::Part::ScrollDown) ScrollItems(1);
  InvalidateRect(Handle(), nullptr, FALSE);
}

void OutlookBar::OnLButtonUp(POINT pt) {
  if (!tracking_) return;
  tracking_ = false;
  OutBarHit pressed = std::exchange(pressed_, OutBarHit{});
  if (GetCapture() == Handle()) ReleaseCapture();
  InvalidateRect(Handle(), nullptr, FALSE);
  OutBarHit hit = HitTest(pt);
  if (!(hit == pressed)) return;
  POINT screen = pt;
  ClientToScreen(Handle(), &screen);
  if (hit.part == OutBarHit::Part::Header && hit.group != selected_) {
    SetSelectedGroup(hit.group, false);
    Notify(kOutBarGroupSelected, hit.group, -1, screen);
  } else if (hit.part == OutBarHit::Part::Item) {
    groups_[hit.group].selectedItem = hit.item;
    EnsureItemVisible(hit.item);
    Notify(kOutBarItemClicked, hit.group, hit.item, screen);
  }
}

void OutlookBar::OnRButtonUp(POINT pt) {
  OutBarHit hit = HitTest(pt);
  POINT screen = pt;
  ClientToScreen(Handle(), &screen);
  switch (hit.part) {
    case OutBarHit::Part::Header:
      Notify(kOutBarGroupRightClick, hit.group, -1, screen);
      break;
    case OutBarHit::Part::Item:
      Notify(kOutBarItemRightClick, hit.group, hit.item, screen);
      break;
    case OutBarHit::Part::Content:
      if (!Notify(kOutBarEmptyRightClick, hit.group, -1, screen) && optionsMenu_) ShowOptionsMenu(screen);
      break;
    default:
      break;
  }
}

void OutlookBar::OnContextMenu(LPARAM lParam) {
  // Only the keyboard (Shift+F10, the menu key) gets here: mouse right
  // clicks are answered in WM_RBUTTONUP.
  if (lParam != -1 || selected_ < 0) return;
  int item = SelectedItem();
  RECT rc = item >= 0 ? ItemRect(item) : HeaderRect(selected_);
  POINT screen = {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
  ClientToScreen(Handle(), &screen);
  if (item >= 0)
    Notify(kOutBarItemRightClick, selected_, item, screen);
  else
    Notify(kOutBarGroupRightClick, selected_, -1, screen);
}

void OutlookBar::OnKeyDown(WPARAM key) {
  Group* g = Selected();
  if (!g || g->child || g->items.empty()) return;
  int count = static_cast<int>(g->items.size());
  int item = g->selectedItem;
  switch (key) {
    case VK_UP:
      if (item > 0) SetSelectedItem(item - 1, true);
      break;
    case VK_DOWN:
      if (item < count - 1) SetSelectedItem(item + 1, true);
      break;
    case VK_HOME:
      if (item != 0) SetSelectedItem(0, true);
      break;
    case VK_END:
      if (item != count - 1) SetSelectedItem(count - 1, true);
      break;
    case VK_RETURN:
    case VK_SPACE:
      if (item >= 0) SetSelectedItem(item, true);
      break;
    case VK_PRIOR:
      ScrollItems(-3);
      break;
    case VK_NEXT:
      ScrollItems(3);
      break;
    default:
      break;
  }
}

void OutlookBar::ShowOptionsMenu(POINT screen) {
  CheckMenuItem(optionsMenu_, largeIconsCommand_, MF_BYCOMMAND | (largeIcons_ ? MF_CHECKED : MF_UNCHECKED));
  CheckMenuItem(optionsMenu_, showTextCommand_, MF_BYCOMMAND | (showText_ ? MF_CHECKED : MF_UNCHECKED));
  UINT command = static_cast<UINT>(
      TrackPopupMenuEx(optionsMenu_, TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x, screen.y, Handle(), nullptr));
  if (command == 0) return;
  if (command == largeIconsCommand_) SetLargeIcons(!largeIcons_);
  if (command == showTextCommand_) SetShowText(!showText_);
}

LRESULT OutlookBar::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  switch (msg) {
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SIZE:
      Relayout();
      return 0;
    case WM_MOUSEMOVE:
      SetHot(HitTest(pt));
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      OnLButtonDown(pt);
      return 0;
    case WM_LBUTTONUP:
      OnLButtonUp(pt);
      return 0;
    case WM_CAPTURECHANGED:
      if (tracking_ && reinterpret_cast<HWND>(lParam) != Handle()) {
        tracking_ = false;
        pressed_ = OutBarHit{};
        InvalidateRect(Handle(), nullptr, FALSE);
      }
      return 0;
    case WM_RBUTTONUP:
      OnRButtonUp(pt);
      return 0;
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wParam) != Handle()) break;  // a child's: up to the parent
      OnContextMenu(lParam);
      return 0;
    case WM_MOUSEWHEEL:
      ScrollItems(GET_WHEEL_DELTA_WPARAM(wParam) > 0 ? -1 : 1);
      return 0;
    case WM_KEYDOWN:
      OnKeyDown(wParam);
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
    case WM_TIMER:
      if (wParam == kHoverTimerId) {
        OnTimer();
        return 0;
      }
      break;
    case WM_SETFOCUS:
      // A group shown as a child window hands the focus on to it.
      if (const Group* g = Selected(); g && g->child && IsWindowVisible(g->child)) {
        SetFocus(g->child);
        return 0;
      }
      InvalidateRect(Handle(), nullptr, FALSE);
      return 0;
    case WM_KILLFOCUS:
      InvalidateRect(Handle(), nullptr, FALSE);
      return 0;
    case WM_SETFONT:
      font_ = reinterpret_cast<HFONT>(wParam);
      MakeFonts();
      Relayout();
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(Font());
    case WM_DESTROY:
      if (timerRunning_) KillTimer(Handle(), kHoverTimerId);
      timerRunning_ = false;
      break;
    default:
      if (IsParentNotification(msg) && msg != OutBarNotifyMessage()) {
        if (HWND parent = GetParent(Handle())) return SendMessageA(parent, msg, wParam, lParam);
      }
      break;
  }
  return DefaultProc(msg, wParam, lParam);
}

}  // namespace vellora
