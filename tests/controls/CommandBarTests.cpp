// The command bar with a real menu: its buttons, the menu loop (opening,
// arrow keys, hovering, choosing a command), context menus, the keyboard
// entry points and the menu images. Steps inside a menu loop run from the
// host's timer, which keeps running while the modal loop does.
#include "controls/CommandBar.h"

#include <gtest/gtest.h>

#include "platform/GdiHandles.h"
#include "tests/controls/ControlHost.h"

using vellora::CommandBar;
using vtest::Center;

namespace {

constexpr UINT kNew = 100, kOpen = 101, kDeep = 210, kUndo = 200, kToolbar = 300;

class CommandBarTest : public ::testing::Test {
 protected:
  void SetUp() override {
    menu.Reset(CreateMenu());
    file = CreatePopupMenu();
    AppendMenuA(file, MF_STRING, kNew, "&New");
    AppendMenuA(file, MF_STRING, kOpen, "&Open");
    edit = CreatePopupMenu();
    HMENU more = CreatePopupMenu();
    AppendMenuA(more, MF_STRING, kDeep, "&Deep");
    AppendMenuA(edit, MF_POPUP, reinterpret_cast<UINT_PTR>(more), "&More");
    AppendMenuA(edit, MF_STRING, kUndo, "&Undo");
    view = CreatePopupMenu();
    AppendMenuA(view, MF_STRING, kToolbar, "&Toolbar");
    AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
    AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(edit), "&Edit");
    AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(view), "A longer &View");

    ASSERT_TRUE(bar.Create(host.Handle(), host.Handle()));
    ASSERT_TRUE(bar.AttachMenu(menu));
    SIZE size = bar.IdealSize();
    MoveWindow(bar.Handle(), 0, 0, 500, size.cy, TRUE);
    vtest::Pump();
  }
  void TearDown() override { host.StopScript(); }

  POINT ScreenCenterOfButton(int index) {
    POINT pt = Center(bar.ButtonRect(index));
    ClientToScreen(bar.Handle(), &pt);
    return pt;
  }
  std::function<void()> Key(WPARAM key) {
    return [this, key] { PostMessageA(bar.Handle(), WM_KEYDOWN, key, 0); };
  }
  std::function<void()> RecordOpen() {
    return [this] { opened.push_back(bar.OpenIndex()); };
  }
  std::function<void()> RecordThenKey(WPARAM key) {
    return [this, key] {
      opened.push_back(bar.OpenIndex());
      PostMessageA(bar.Handle(), WM_KEYDOWN, key, 0);
    };
  }

  vtest::ControlHost host{500, 300};
  vellora::MenuHandle menu;
  HMENU file = nullptr, edit = nullptr, view = nullptr;
  CommandBar bar;
  std::vector<int> opened;
};

TEST_F(CommandBarTest, ShowsOneButtonPerTopLevelPopup) {
  ASSERT_EQ(bar.ButtonCount(), 3);
  EXPECT_EQ(bar.ButtonText(0), "&File");
  EXPECT_EQ(bar.ButtonText(2), "A longer &View");
  RECT first = bar.ButtonRect(0), second = bar.ButtonRect(1), third = bar.ButtonRect(2);
  EXPECT_EQ(first.left, 0);
  EXPECT_EQ(second.left, first.right);
  EXPECT_EQ(third.left, second.right);
  EXPECT_GT(third.right - third.left, first.right - first.left);
  EXPECT_EQ(bar.IdealSize().cx, third.right);
  EXPECT_GE(bar.IdealSize().cy, 16);
  EXPECT_EQ(bar.ButtonAt(Center(second)), 1);
  EXPECT_EQ(bar.ButtonAt({third.right + 5, 5}), -1);

  // A renamed top-level entry shows once the bar re-reads the menu.
  ModifyMenuA(menu, 1, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(edit), "&Change");
  bar.RefreshButtons();
  EXPECT_EQ(bar.ButtonText(1), "&Change");
  bar.AttachMenu(nullptr);
  EXPECT_EQ(bar.ButtonCount(), 0);
}

TEST_F(CommandBarTest, ClickOpensThePopupBelowItsButtonAndTheCommandReachesTheOwner) {
  RECT popupRect = {};
  host.StartScript({[&] {
                      opened.push_back(bar.OpenIndex());
                      if (HWND popup = FindWindowA("#32768", nullptr)) GetWindowRect(popup, &popupRect);
                    },
                    Key(VK_DOWN), Key(VK_DOWN), Key(VK_RETURN)});
  vtest::Click(bar.Handle(), Center(bar.ButtonRect(0)));
  host.StopScript();
  vtest::Pump();
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0], 0);
  EXPECT_EQ(bar.OpenIndex(), -1);
  ASSERT_EQ(host.commands.size(), 1u);
  EXPECT_EQ(host.commands[0], kOpen);
  // The owner prepared the popup and saw the selection move.
  ASSERT_FALSE(host.initPopups.empty());
  EXPECT_EQ(host.initPopups[0], file);
  EXPECT_GT(host.menuSelects, 0);
  // Below its button.
  RECT button = bar.ButtonRect(0);
  MapWindowPoints(bar.Handle(), nullptr, reinterpret_cast<POINT*>(&button), 2);
  EXPECT_EQ(popupRect.top, button.bottom);
  EXPECT_EQ(popupRect.left, button.left);
}

TEST_F(CommandBarTest, ArrowKeysMoveBetweenPopupsAndIntoSubmenus) {
  host.StartScript({
      RecordThenKey(VK_RIGHT),  // File -> Edit, whose first entry opens a submenu
      RecordThenKey(VK_RIGHT),  // into the submenu, not to the next popup
      RecordThenKey(VK_RIGHT),  // from a plain entry of the submenu: View
      RecordThenKey(VK_LEFT),   // back to Edit
      RecordThenKey(VK_ESCAPE),
  });
  bar.OpenPopup(0, true);
  host.StopScript();
  EXPECT_EQ(opened, (std::vector<int>{0, 1, 1, 2, 1}));
  EXPECT_TRUE(host.commands.empty());
  // Escape from a popup leaves the bar in keyboard mode on that button.
  EXPECT_TRUE(bar.InKeyboardMode());
  EXPECT_EQ(bar.HotIndex(), 1);
  SendMessageA(bar.Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_FALSE(bar.InKeyboardMode());
}

TEST_F(CommandBarTest, HoveringAnotherButtonWhileOpenSwitchesPopups) {
  host.StartScript({RecordOpen(),
                    [&] {
                      POINT pt = ScreenCenterOfButton(2);
                      PostMessageA(bar.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(pt.x, pt.y));
                    },
                    RecordOpen(), Key(VK_DOWN), Key(VK_RETURN)});
  vtest::Click(bar.Handle(), Center(bar.ButtonRect(0)));
  host.StopScript();
  vtest::Pump();
  EXPECT_EQ(opened, (std::vector<int>{0, 2}));
  ASSERT_EQ(host.commands.size(), 1u);
  EXPECT_EQ(host.commands[0], kToolbar);
}

TEST_F(CommandBarTest, ContextMenusGoThroughTheBarToTheirOwner) {
  HMENU popup = CreatePopupMenu();
  AppendMenuA(popup, MF_STRING, 500, "&Alpha");
  AppendMenuA(popup, MF_STRING, 501, "&Beta");
  host.StartScript({Key(VK_DOWN), Key(VK_DOWN), Key(VK_RETURN)});
  UINT chosen = bar.TrackPopup(popup, 100, 100, host.Handle());
  host.StopScript();
  vtest::Pump();
  EXPECT_EQ(chosen, 501u);
  ASSERT_EQ(host.commands.size(), 1u);
  EXPECT_EQ(host.commands[0], 501u);
  ASSERT_EQ(host.initPopups.size(), 1u);
  EXPECT_EQ(host.initPopups[0], popup);

  // Asked to return the command, the bar does not send it as well.
  host.StartScript({Key(VK_DOWN), Key(VK_RETURN)});
  chosen = bar.TrackPopup(popup, 100, 100, host.Handle(), TPM_RETURNCMD);
  host.StopScript();
  vtest::Pump();
  EXPECT_EQ(chosen, 500u);
  EXPECT_EQ(host.commands.size(), 1u);
  DestroyMenu(popup);
}

TEST_F(CommandBarTest, AltWithAnAccessKeyOpensThatPopupOnlyInItsOwnWindow) {
  host.StartScript({RecordThenKey(VK_ESCAPE)});
  PostMessageA(host.Handle(), WM_SYSCHAR, 'e', 1 << 29);
  vtest::Pump();
  host.StopScript();
  EXPECT_EQ(opened, (std::vector<int>{1}));
  EXPECT_EQ(host.sysChars, 0);  // swallowed
  bar.LeaveKeyboardMode();

  // A key without a button passes on; so do the keys of other windows.
  PostMessageA(host.Handle(), WM_SYSCHAR, 'q', 1 << 29);
  vtest::Pump();
  EXPECT_EQ(host.sysChars, 1);
  vtest::ControlHost dialog(100, 100);
  PostMessageA(dialog.Handle(), WM_SYSCHAR, 'f', 1 << 29);
  vtest::Pump();
  EXPECT_EQ(dialog.sysChars, 1);
  EXPECT_EQ(opened.size(), 1u);
}

TEST_F(CommandBarTest, F10AndAltAloneEnterKeyboardNavigation) {
  HWND editor = vtest::MakePane(host.Handle(), "EDIT");
  MoveWindow(editor, 0, 100, 200, 30, TRUE);
  SetFocus(editor);

  PostMessageA(editor, WM_SYSKEYDOWN, VK_F10, 0);
  PostMessageA(editor, WM_SYSKEYUP, VK_F10, 0);
  vtest::Pump();
  ASSERT_TRUE(bar.InKeyboardMode());
  EXPECT_EQ(GetFocus(), bar.Handle());
  EXPECT_EQ(bar.HotIndex(), 0);
  SendMessageA(bar.Handle(), WM_KEYDOWN, VK_LEFT, 0);
  EXPECT_EQ(bar.HotIndex(), 2);  // wraps around
  SendMessageA(bar.Handle(), WM_KEYDOWN, VK_RIGHT, 0);
  EXPECT_EQ(bar.HotIndex(), 0);
  SendMessageA(bar.Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_FALSE(bar.InKeyboardMode());
  EXPECT_EQ(GetFocus(), editor);

  // Alt pressed and released alone toggles the mode; Alt used with another
  // key (an Alt shortcut) does not.
  PostMessageA(editor, WM_SYSKEYDOWN, VK_MENU, 1 << 29);
  PostMessageA(editor, WM_SYSKEYUP, VK_MENU, 1 << 29);
  vtest::Pump();
  EXPECT_TRUE(bar.InKeyboardMode());
  PostMessageA(bar.Handle(), WM_SYSKEYDOWN, VK_MENU, 1 << 29);
  PostMessageA(bar.Handle(), WM_SYSKEYUP, VK_MENU, 1 << 29);
  vtest::Pump();
  EXPECT_FALSE(bar.InKeyboardMode());
  EXPECT_EQ(GetFocus(), editor);
  PostMessageA(editor, WM_SYSKEYDOWN, VK_MENU, 1 << 29);
  PostMessageA(editor, WM_SYSKEYDOWN, VK_RETURN, 1 << 29);
  PostMessageA(editor, WM_SYSKEYUP, VK_MENU, 1 << 29);
  vtest::Pump();
  EXPECT_FALSE(bar.InKeyboardMode());
}

// A strip of `count` square images of `size` pixels: magenta with a
// coloured square inset by a quarter in each image.
HBITMAP MakeStrip(int count, int size, COLORREF color) {
  HDC screen = GetDC(nullptr);
  HBITMAP strip = CreateCompatibleBitmap(screen, count * size, size);
  HDC dc = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(dc, strip);
  RECT all = {0, 0, count * size, size};
  HBRUSH magenta = CreateSolidBrush(RGB(255, 0, 255));
  HBRUSH fill = CreateSolidBrush(color);
  FillRect(dc, &all, magenta);
  for (int i = 0; i < count; ++i) {
    RECT square = {i * size + size / 4, size / 4, i * size + size - size / 4, size - size / 4};
    FillRect(dc, &square, fill);
  }
  DeleteObject(magenta);
  DeleteObject(fill);
  SelectObject(dc, old);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return strip;
}

// Draws an image of `list` on white and reads two pixels: a corner and the centre.
std::pair<COLORREF, COLORREF> CornerAndCentre(HIMAGELIST list, int image) {
  int w = 0, h = 0;
  ImageList_GetIconSize(list, &w, &h);
  HDC screen = GetDC(nullptr);
  HBITMAP canvas = CreateCompatibleBitmap(screen, w, h);
  HDC dc = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(dc, canvas);
  RECT all = {0, 0, w, h};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  ImageList_Draw(list, image, dc, 0, 0, ILD_TRANSPARENT);
  std::pair<COLORREF, COLORREF> result = {GetPixel(dc, 0, 0), GetPixel(dc, w / 2, h / 2)};
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(canvas);
  ReleaseDC(nullptr, screen);
  return result;
}

TEST_F(CommandBarTest, MenuImagesComeFromStripsAndAreDrawnForMappedCommands) {
  vellora::BitmapHandle small(MakeStrip(3, 16, RGB(0, 0, 200)));
  vellora::BitmapHandle large(MakeStrip(2, 24, RGB(0, 160, 0)));
  bar.SetMenuImages(small, {{kNew, 0}, {kUndo, 2}, {kToolbar, 5}});
  EXPECT_EQ(bar.MenuImage(kNew), 0);
  EXPECT_EQ(bar.MenuImage(kUndo), 2);
  EXPECT_EQ(bar.MenuImage(kToolbar), -1);  // no such image in the strip
  EXPECT_EQ(bar.MenuImage(kOpen), -1);
  bar.AddMenuImages(large, {{kOpen, 1}});
  EXPECT_EQ(bar.MenuImage(kOpen), 4);
  HIMAGELIST list = bar.MenuImageList();
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(ImageList_GetImageCount(list), 5);
  int w = 0, h = 0;
  ImageList_GetIconSize(list, &w, &h);
  EXPECT_EQ(w, 16);
  EXPECT_EQ(h, 16);
  // Magenta is transparent, in the strip's own size and in the scaled one.
  auto [corner, centre] = CornerAndCentre(list, 0);
  EXPECT_EQ(corner, RGB(255, 255, 255));
  EXPECT_EQ(centre, RGB(0, 0, 200));
  auto [scaledCorner, scaledCentre] = CornerAndCentre(list, 4);
  EXPECT_EQ(scaledCorner, RGB(255, 255, 255));
  EXPECT_EQ(scaledCentre, RGB(0, 160, 0));

  // When a popup opens, its entries with images get the drawn bitmap.
  SendMessageA(bar.Handle(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), 0);
  ASSERT_EQ(host.initPopups.size(), 1u);
  MENUITEMINFOA mii = {sizeof mii};
  mii.fMask = MIIM_BITMAP;
  ASSERT_TRUE(GetMenuItemInfoA(file, kNew, FALSE, &mii));
  EXPECT_EQ(mii.hbmpItem, HBMMENU_CALLBACK);
  SendMessageA(bar.Handle(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(view), 2);
  ASSERT_TRUE(GetMenuItemInfoA(view, kToolbar, FALSE, &mii));
  EXPECT_EQ(mii.hbmpItem, nullptr);

  MEASUREITEMSTRUCT mine = {ODT_MENU, 0, kNew, 0, 0, 0};
  EXPECT_TRUE(SendMessageA(bar.Handle(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mine)));
  EXPECT_EQ(mine.itemWidth, 16u);
  EXPECT_EQ(mine.itemHeight, 16u);
  // In a popup that shows images, a command without one gets the column too
  // (rows that measured differently cut the longest texts short).
  constexpr UINT kRedo = 201;
  AppendMenuA(edit, MF_STRING, kRedo, "&Redo without a picture");
  SendMessageA(bar.Handle(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(edit), 1);
  ASSERT_TRUE(GetMenuItemInfoA(edit, kRedo, FALSE, &mii));
  EXPECT_EQ(mii.hbmpItem, HBMMENU_CALLBACK);
  MEASUREITEMSTRUCT blank = {ODT_MENU, 0, kRedo, 0, 0, 0};
  EXPECT_TRUE(SendMessageA(bar.Handle(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&blank)));
  EXPECT_EQ(blank.itemWidth, 16u);

  MEASUREITEMSTRUCT theirs = {ODT_MENU, 0, 999, 0, 0, 0};
  EXPECT_FALSE(SendMessageA(bar.Handle(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&theirs)));
  EXPECT_EQ(theirs.itemWidth, 0u);
}

}  // namespace
