#pragma once
// The outlook bar: a vertical stack of group header buttons. The selected
// group's header and those above it sit at the top, the headers below it at
// the bottom, and the space between shows the selected group's content: a
// list of items (a large icon with its text below, or a small icon with the
// text beside it), or a child window that fills the area.
//
// The bar tells its notify window (its parent unless set) what the user did
// by sending the registered message "WM_OUTBAR_NOTIFY": wParam is one of the
// kOutBar... codes below and lParam points to an OutBarNotify, valid only
// during the call. Messages of child windows (WM_NOTIFY, WM_COMMAND, ...) are
// passed on to the parent.
#include <string>
#include <vector>

#include "platform/GdiHandles.h"
#include "platform/Window.h"

namespace vellora {

// A group's header was clicked (or the group was selected with notify set);
// the group is selected already. item = -1.
constexpr int kOutBarGroupSelected = 1;
// Right click on a group header: group = that header, item = -1. The
// selection does not change.
constexpr int kOutBarGroupRightClick = 2;
// Right click on an item of the selected group: group and item are the hit
// ones. The selection does not change.
constexpr int kOutBarItemRightClick = 3;
// Right click on the empty part of the selected group's item area: group =
// the selected group, item = -1. A notify window that returns 0 lets the bar
// show its own options menu (see SetOptionsMenu).
constexpr int kOutBarEmptyRightClick = 4;
// An item was clicked (left button pressed and released on it, or chosen
// with the keyboard); it is the selected item already.
constexpr int kOutBarItemClicked = 6;

struct OutBarNotify {
  int group;          // group index
  int item;           // item index in the group, or -1
  POINT screenPoint;  // where the mouse was, in screen coordinates
};

inline constexpr char kOutBarNotifyMessageName[] = "WM_OUTBAR_NOTIFY";
// The registered notification message.
UINT OutBarNotifyMessage();

// What lies under a point of the bar.
struct OutBarHit {
  enum class Part { Nowhere, Header, Item, Content, ScrollUp, ScrollDown };
  Part part = Part::Nowhere;
  int group = -1;  // the header's group, or the selected group for the other parts
  int item = -1;   // for Part::Item
  bool operator==(const OutBarHit&) const = default;
};

class OutlookBar : public Window {
 public:
  // While the mouse hovers over the bar a 200 ms timer with this id notices
  // when it has left, so hot tracking ends without mouse-leave tracking.
  static constexpr UINT_PTR kHoverTimerId = 3;
  static constexpr UINT kHoverTimerMs = 200;

  OutlookBar();
  ~OutlookBar() override;

  // Creates the bar as a visible child of `parent` with control id `id`.
  HWND Create(HWND parent, UINT id);
  using Window::Create;

  // Where notifications go; nullptr (the default) means the parent.
  void SetNotifyWindow(HWND window) { notifyWindow_ = window; }

  // Groups. Indexes run from 0 in display order.
  int AddGroup(const std::string& text, LPARAM data = 0);
  // Removes a group; when it was the selected one no group is selected
  // afterwards (the owner selects another).
  bool RemoveGroup(int group);
  void RemoveAllGroups();
  int GroupCount() const { return static_cast<int>(groups_.size()); }
  std::string GroupText(int group) const;
  bool SetGroupText(int group, const std::string& text);
  LPARAM GroupData(int group) const;
  bool SetGroupData(int group, LPARAM data);
  // The first group with exactly this text, or -1.
  int FindGroup(const std::string& text) const;
  // Two groups exchange places; the selection follows its group.
  bool SwapGroups(int a, int b);

  // Selects a group (-1 for none). With `notify` the notify window gets
  // kOutBarGroupSelected, even when the group was selected already.
  bool SetSelectedGroup(int group, bool notify);
  int SelectedGroup() const { return selected_; }

  // A window shown instead of the items while `group` is selected and sized
  // to the content area; nullptr for items. It becomes a child of the bar and
  // stays the caller's. One window may serve several groups.
  bool SetGroupChild(int group, HWND child);
  HWND GroupChild(int group) const;

  // Items of a group.
  int AddItem(int group, const std::string& text, int image, LPARAM data = 0);
  struct NewItem {
    std::string text;
    int image = -1;
    LPARAM data = 0;
  };
  // Appends many items with one layout: a folder of thousands of items is
  // filled in one go, not laid out once per item. Answers the first new index.
  int AddItems(int group, const std::vector<NewItem>& items);
  bool RemoveItem(int group, int item);
  void RemoveAllItems(int group);
  int ItemCount(int group) const;
  std::string ItemText(int group, int item) const;
  bool SetItemText(int group, int item, const std::string& text);
  int ItemImage(int group, int item) const;
  bool SetItemImage(int group, int item, int image);
  LPARAM ItemData(int group, int item) const;
  bool SetItemData(int group, int item, LPARAM data);
  int FindItem(int group, const std::string& text) const;
  // Two items of a group exchange places; the selection follows its item.
  bool SwapItems(int group, int a, int b);

  // The selected item of the selected group, or -1. Each group remembers
  // its own selected item.
  int SelectedItem() const;
  int SelectedItem(int group) const;
  // Selects an item of the selected group (-1 for none) and scrolls it into
  // view; with `notify` the notify window gets kOutBarItemClicked.
  bool SetSelectedItem(int item, bool notify = false);
  void EnsureItemVisible(int item);
  // The first item drawn at the top of the selected group's area.
  int FirstVisibleItem() const;
  // Scrolls the selected group's items by whole items; false if it cannot.
  bool ScrollItems(int delta);

  // Appearance. The image lists stay the caller's; images are looked up by
  // the item's image index in the large (32x32) or small (16x16) list.
  void SetImageLists(HIMAGELIST large, HIMAGELIST small);
  HIMAGELIST LargeImageList() const { return largeImages_; }
  HIMAGELIST SmallImageList() const { return smallImages_; }
  void SetLargeIcons(bool large);
  bool LargeIcons() const { return largeIcons_; }
  void SetShowText(bool show);
  bool ShowText() const { return showText_; }
  // The item text colour and a solid background colour (dropping any image).
  void SetColors(COLORREF text, COLORREF back);
  void SetTextColor(COLORREF text);
  COLORREF TextColor() const { return textColor_; }
  void SetBackColor(COLORREF back);
  COLORREF BackColor() const { return backColor_; }
  // A bitmap tiled behind the items; the bar takes ownership. nullptr goes
  // back to the solid colour.
  void SetBackgroundImage(HBITMAP bitmap);
  bool HasBackgroundImage() const { return static_cast<bool>(backImage_); }
  // The bar's own menu for a right click on empty space (when the notify
  // window leaves kOutBarEmptyRightClick unanswered): a popup with two
  // commands, one toggling large icons and one toggling item text. The menu
  // stays the caller's; nullptr turns it off.
  void SetOptionsMenu(HMENU popup, UINT largeIconsCommand, UINT showTextCommand);

  // Geometry, in client coordinates.
  OutBarHit HitTest(POINT client) const;
  RECT HeaderRect(int group) const;
  RECT ContentRect() const;
  // The rectangle of an item of the selected group; it lies outside the
  // content area when the item is scrolled out of view. Empty if no such item.
  RECT ItemRect(int item) const;
  int HeaderHeight() const;

 protected:
  const char* ClassName() const override { return "WTLOutBarCtrl"; }
  void RegisterClassInfo(WNDCLASSEXA& wc) const override;
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  struct Item {
    std::string text;
    int image = -1;
    LPARAM data = 0;
  };
  struct Group {
    std::string text;
    LPARAM data = 0;
    std::vector<Item> items;
    int selectedItem = -1;
    int topItem = 0;
    HWND child = nullptr;
  };

  bool ValidGroup(int group) const { return group >= 0 && group < GroupCount(); }
  bool ValidItem(int group, int item) const;
  Group* Selected() { return ValidGroup(selected_) ? &groups_[selected_] : nullptr; }
  const Group* Selected() const { return ValidGroup(selected_) ? &groups_[selected_] : nullptr; }

  // Item heights of the selected group, recomputed when marked stale.
  const std::vector<int>& ItemHeights() const;
  void Relayout();  // marks the item layout stale, places the child, repaints
  void PlaceChildren();
  int ItemHeight(const Item& item, HDC dc, int width) const;
  bool CanScrollDown() const;
  RECT ScrollButtonRect(bool up) const;
  HFONT Font() const { return font_ ? font_ : normalFont_.Get(); }

  LRESULT Notify(int code, int group, int item, POINT screen);
  void SetHot(const OutBarHit& hit);
  void OnPaint();
  void PaintHeader(HDC dc, int group);
  void PaintItems(HDC dc, const RECT& content);
  void PaintScrollButton(HDC dc, bool up);
  void OnLButtonDown(POINT pt);
  void OnLButtonUp(POINT pt);
  void OnRButtonUp(POINT pt);
  void OnContextMenu(LPARAM lParam);
  void OnKeyDown(WPARAM key);
  void OnTimer();
  void ShowOptionsMenu(POINT screen);
  void MakeFonts();

  std::vector<Group> groups_;
  int selected_ = -1;
  HWND notifyWindow_ = nullptr;
  HIMAGELIST largeImages_ = nullptr;
  HIMAGELIST smallImages_ = nullptr;
  bool largeIcons_ = true;
  bool showText_ = true;
  COLORREF textColor_;
  COLORREF backColor_;
  BitmapHandle backImage_;
  BrushHandle backBrush_;
  HFONT font_ = nullptr;  // set by WM_SETFONT, not owned
  FontHandle normalFont_;
  FontHandle boldFont_;
  int lineHeight_ = 13;
  HMENU optionsMenu_ = nullptr;
  UINT largeIconsCommand_ = 0;
  UINT showTextCommand_ = 0;

  OutBarHit hot_;
  OutBarHit pressed_;
  bool tracking_ = false;  // the left button went down on the bar and is held
  bool timerRunning_ = false;
  std::vector<HWND> children_;  // every window ever given as a group child
  mutable std::vector<int> heights_;
  mutable bool heightsStale_ = true;
};

}  // namespace vellora
