#pragma once
// A menu bar drawn as a row of flat buttons, for a rebar band: each top-level
// popup of the attached menu is one button with the popup's text. A click,
// Alt plus the access key, or F10 / Alt (then the arrow keys) opens a popup
// below its button; while a popup is open the left and right arrow keys and
// hovering over another button move to the neighbouring popups.
//
// The bar tracks every popup itself (its own and the owner's context menus,
// TrackPopup) so that they all get the menu images, and passes the menu
// messages (WM_INITMENUPOPUP, WM_MENUSELECT, WM_MENUCHAR, ...) on to the
// owner, which enables and checks the entries as it would for its own menu
// bar. The chosen command is posted to the owner as WM_COMMAND.
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/GdiHandles.h"
#include "platform/Window.h"

namespace vellora {

class CommandBar : public Window {
 public:
  CommandBar();
  ~CommandBar() override;

  // Creates the bar as a child of `parent` (the rebar). The owner receives
  // the commands and menu messages; nullptr means the parent's top-level
  // window.
  HWND Create(HWND parent, HWND owner = nullptr, UINT id = 0);
  using Window::Create;
  void SetOwner(HWND owner) { owner_ = owner; }
  HWND Owner() const;

  // Shows the top-level entries of `menu` as buttons. The menu stays the
  // caller's and must outlive the bar (or be detached with nullptr).
  bool AttachMenu(HMENU menu);
  HMENU Menu() const { return menu_; }
  // Re-reads the top-level texts after the caller changed them.
  void RefreshButtons();

  int ButtonCount() const { return static_cast<int>(buttons_.size()); }
  std::string ButtonText(int index) const;
  RECT ButtonRect(int index) const;  // client coordinates
  // The button under a client point, or -1.
  int ButtonAt(POINT client) const;
  // The size that shows every button: for the band's minimum child size.
  SIZE IdealSize() const;

  // Opens the popup of a button and runs its menu loop until the user
  // closes the menus; with `selectFirst` the first entry is selected, as
  // when the popup is opened from the keyboard.
  void OpenPopup(int index, bool selectFirst = false);
  // The button whose popup is open, or -1.
  int OpenIndex() const { return openIndex_; }
  // The highlighted button (mouse over it, or keyboard navigation), or -1.
  int HotIndex() const { return hot_; }

  // Keyboard navigation of the bar without an open popup (F10 or Alt
  // alone): the bar takes the focus and gives it back when it is left.
  void EnterKeyboardMode();
  void LeaveKeyboardMode();
  bool InKeyboardMode() const { return keyboardMode_; }

  // Shows a context menu (a popup menu handle) at a screen point. The menu
  // messages go to `owner` (nullptr: the bar's owner), and the chosen command
  // is posted to it as WM_COMMAND, unless `flags` holds TPM_RETURNCMD, which
  // only returns it. Returns the chosen command, 0 when none.
  UINT TrackPopup(HMENU popup, int x, int y, HWND owner = nullptr, UINT flags = 0);

  // Menu images: `strip` is cut into square images of the strip's height
  // (or `imageWidth` pixels wide), drawn 16x16, with magenta transparency;
  // each (command, image index) pair gives a command its image. The strip
  // stays the caller's. Set replaces all images, Add appends a strip.
  void SetMenuImages(HBITMAP strip, const std::vector<std::pair<UINT, int>>& commandToImage, int imageWidth = 0);
  void AddMenuImages(HBITMAP strip, const std::vector<std::pair<UINT, int>>& commandToImage, int imageWidth = 0);
  // The index into MenuImageList() of a command's image, or -1.
  int MenuImage(UINT command) const;
  HIMAGELIST MenuImageList() const { return images_; }

 protected:
  const char* ClassName() const override { return "VelloraCommandBar"; }
  void RegisterClassInfo(WNDCLASSEXA& wc) const override;
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  struct Button {
    std::string text;  // with its '&' access-key marker
    char accessKey = 0;  // lower case, 0 for none
    int width = 0;
  };

  static LRESULT CALLBACK MenuFilterHook(int code, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK GetMessageHook(int code, WPARAM wParam, LPARAM lParam);
  // Looks at messages of the bar's top-level window before they are
  // dispatched (Alt, F10, Alt+key); true swallows the message.
  bool PreviewMessage(MSG& msg);
  // Looks at messages while a popup of the bar is open; true swallows it.
  bool FilterMenuMessage(const MSG& msg);
  void SwitchPopup(int index, bool byKeyboard);

  bool ButtonEnabled(int index) const;
  int FindAccessKey(char key) const;
  int NextEnabled(int from, int step) const;
  void ApplyMenuImages(HMENU popup);
  bool MeasureMenuImage(MEASUREITEMSTRUCT& mis) const;
  bool DrawMenuImage(const DRAWITEMSTRUCT& dis) const;
  HWND MenuMessageTarget() const { return menuOwner_ ? menuOwner_ : Owner(); }
  void SetHot(int index);
  void OnPaint();
  void OnKeyDown(WPARAM key);
  bool OnAccessKey(WPARAM ch);
  void MakeFont();
  int ButtonHeight() const { return lineHeight_ + 8; }

  HWND owner_ = nullptr;
  HMENU menu_ = nullptr;
  std::vector<Button> buttons_;
  FontHandle font_;
  int lineHeight_ = 13;

  int hot_ = -1;
  int openIndex_ = -1;
  bool trackingMouseLeave_ = false;
  bool keyboardMode_ = false;
  HWND previousFocus_ = nullptr;
  bool altArmed_ = false;  // Alt went down and nothing else happened since

  // State of the menu loop while a popup of the bar is open.
  HWND menuOwner_ = nullptr;  // where menu messages go during TrackPopup
  HMENU rootPopup_ = nullptr;
  HMENU currentMenu_ = nullptr;    // the menu holding the selected entry
  bool selectedOpensPopup_ = false;
  int nextIndex_ = -1;             // the popup to open when this one closed
  bool nextByKeyboard_ = false;
  bool escapedToBar_ = false;
  bool popupByKeyboard_ = false;   // access-key underlines while it is open

  ImageListHandle images_;
  std::map<UINT, int> imageOfCommand_;  // command -> index into images_
  // Commands given the image column without a picture of their own.
  std::set<UINT> blankImageCommands_;
};

}  // namespace vellora
