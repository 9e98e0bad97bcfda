// The outlook bar in a real window: group and item bookkeeping, where the
// headers and items are, what clicks tell the parent, the group child
// window, and scrolling when the items overflow.
#include "controls/OutlookBar.h"

#include <gtest/gtest.h>

#include "controls/Splitter.h"
#include "tests/controls/ControlHost.h"

using vellora::OutBarHit;
using vellora::OutlookBar;
using vtest::Center;
using vtest::Click;
using vtest::Str;

namespace {

class OutlookBarTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(bar.Create(host.Handle(), 101));
    MoveWindow(bar.Handle(), 0, 0, 180, 400, TRUE);
  }
  // Three groups; the second ("Notes") has three items.
  void AddSampleGroups() {
    bar.AddGroup("Tree", 11);
    bar.AddGroup("Notes", 22);
    bar.AddGroup("Links", 33);
    bar.AddItem(1, "First", 0, 100);
    bar.AddItem(1, "Second", 1, 200);
    bar.AddItem(1, "Third", 0, 300);
  }
  POINT ScreenOf(POINT client) {
    ClientToScreen(bar.Handle(), &client);
    return client;
  }

  vtest::ControlHost host{400, 400};
  OutlookBar bar;
};

TEST_F(OutlookBarTest, GroupsAndItemsKeepTheirTextsDataAndOrder) {
  AddSampleGroups();
  EXPECT_EQ(bar.GroupCount(), 3);
  EXPECT_EQ(bar.GroupText(2), "Links");
  EXPECT_EQ(bar.GroupData(1), 22);
  EXPECT_EQ(bar.FindGroup("Links"), 2);
  EXPECT_EQ(bar.FindGroup("links"), -1);
  EXPECT_EQ(bar.ItemCount(1), 3);
  EXPECT_EQ(bar.ItemCount(0), 0);
  EXPECT_EQ(bar.ItemText(1, 1), "Second");
  EXPECT_EQ(bar.ItemData(1, 2), 300);
  EXPECT_EQ(bar.ItemImage(1, 1), 1);
  EXPECT_EQ(bar.FindItem(1, "Third"), 2);
  EXPECT_EQ(bar.SelectedGroup(), -1);
  EXPECT_EQ(bar.SelectedItem(), -1);

  EXPECT_TRUE(bar.SetItemText(1, 0, "Renamed"));
  EXPECT_TRUE(bar.SetGroupText(0, "Tree 2"));
  EXPECT_EQ(bar.ItemText(1, 0), "Renamed");
  EXPECT_EQ(bar.GroupText(0), "Tree 2");

  // Out-of-range indexes are refused, not undefined.
  EXPECT_EQ(bar.ItemText(1, 3), "");
  EXPECT_EQ(bar.ItemData(5, 0), 0);
  EXPECT_FALSE(bar.SetItemText(0, 0, "x"));
  EXPECT_FALSE(bar.RemoveItem(1, -1));
  EXPECT_FALSE(bar.SetSelectedGroup(3, false));
  EXPECT_EQ(bar.AddItem(7, "x", 0), -1);

  bar.RemoveAllGroups();
  EXPECT_EQ(bar.GroupCount(), 0);
  EXPECT_EQ(bar.SelectedGroup(), -1);
}

TEST_F(OutlookBarTest, SelectionFollowsSwappedAndRemovedEntries) {
  AddSampleGroups();
  bar.SetSelectedGroup(1, false);
  bar.SetSelectedItem(0);

  // Moving the selected item down: the selection moves with it.
  EXPECT_TRUE(bar.SwapItems(1, 0, 1));
  EXPECT_EQ(bar.ItemText(1, 1), "First");
  EXPECT_EQ(bar.SelectedItem(), 1);
  // Removing an item above the selection shifts it; removing it clears it.
  EXPECT_TRUE(bar.RemoveItem(1, 0));
  EXPECT_EQ(bar.SelectedItem(), 0);
  EXPECT_EQ(bar.ItemText(1, 0), "First");
  EXPECT_TRUE(bar.RemoveItem(1, 0));
  EXPECT_EQ(bar.SelectedItem(), -1);
  EXPECT_EQ(bar.ItemCount(1), 1);

  // Groups: the selection follows its group when moved or when one above goes.
  EXPECT_TRUE(bar.SwapGroups(1, 2));
  EXPECT_EQ(bar.GroupText(2), "Notes");
  EXPECT_EQ(bar.SelectedGroup(), 2);
  EXPECT_TRUE(bar.RemoveGroup(0));
  EXPECT_EQ(bar.SelectedGroup(), 1);
  EXPECT_EQ(bar.GroupText(1), "Notes");
  EXPECT_TRUE(bar.RemoveGroup(1));
  EXPECT_EQ(bar.SelectedGroup(), -1);
  EXPECT_EQ(bar.GroupCount(), 1);
}

TEST_F(OutlookBarTest, EachGroupRemembersItsSelectedItem) {
  AddSampleGroups();
  bar.AddItem(2, "Link", 0);
  bar.SetSelectedGroup(1, false);
  bar.SetSelectedItem(2);
  bar.SetSelectedGroup(2, false);
  EXPECT_EQ(bar.SelectedItem(), -1);
  bar.SetSelectedItem(0);
  bar.SetSelectedGroup(1, false);
  EXPECT_EQ(bar.SelectedItem(), 2);
  EXPECT_EQ(bar.SelectedItem(2), 0);
}

TEST_F(OutlookBarTest, HeadersStackAboveAndBelowTheSelectedGroupsArea) {
  AddSampleGroups();
  int h = bar.HeaderHeight();
  ASSERT_GT(h, 10);
  // No selection: every header at the top.
  EXPECT_EQ(Str(bar.HeaderRect(2)), Str(0, 2 * h, 180, 3 * h));

  bar.SetSelectedGroup(0, false);
  EXPECT_EQ(Str(bar.HeaderRect(0)), Str(0, 0, 180, h));
  EXPECT_EQ(Str(bar.HeaderRect(1)), Str(0, 400 - 2 * h, 180, 400 - h));
  EXPECT_EQ(Str(bar.HeaderRect(2)), Str(0, 400 - h, 180, 400));
  EXPECT_EQ(Str(bar.ContentRect()), Str(0, h, 180, 400 - 2 * h));

  bar.SetSelectedGroup(1, false);
  EXPECT_EQ(Str(bar.HeaderRect(1)), Str(0, h, 180, 2 * h));
  EXPECT_EQ(Str(bar.ContentRect()), Str(0, 2 * h, 180, 400 - h));
  RECT first = bar.ItemRect(0), second = bar.ItemRect(1);
  EXPECT_GE(first.top, 2 * h);
  EXPECT_EQ(second.top, first.bottom);

  // Hit tests agree with the rectangles.
  OutBarHit header = bar.HitTest(Center(bar.HeaderRect(2)));
  EXPECT_EQ(header.part, OutBarHit::Part::Header);
  EXPECT_EQ(header.group, 2);
  OutBarHit item = bar.HitTest(Center(second));
  EXPECT_EQ(item.part, OutBarHit::Part::Item);
  EXPECT_EQ(item.group, 1);
  EXPECT_EQ(item.item, 1);
  OutBarHit empty = bar.HitTest({90, bar.HeaderRect(2).top - 3});
  EXPECT_EQ(empty.part, OutBarHit::Part::Content);
  EXPECT_EQ(empty.item, -1);
}

TEST_F(OutlookBarTest, ClickingAHeaderSelectsItsGroupAndTellsTheParent) {
  AddSampleGroups();
  bar.SetSelectedGroup(0, false);
  RECT header = bar.HeaderRect(2);
  Click(bar.Handle(), Center(header));
  ASSERT_EQ(host.outbar.size(), 1u);
  EXPECT_EQ(host.outbar[0].code, vellora::kOutBarGroupSelected);
  EXPECT_EQ(host.outbar[0].group, 2);
  EXPECT_EQ(host.outbar[0].item, -1);
  POINT expected = ScreenOf(Center(header));
  EXPECT_EQ(host.outbar[0].screen.x, expected.x);
  EXPECT_EQ(host.outbar[0].screen.y, expected.y);
  EXPECT_EQ(bar.SelectedGroup(), 2);

  // The selected group's header again: nothing new.
  Click(bar.Handle(), Center(bar.HeaderRect(2)));
  EXPECT_EQ(host.outbar.size(), 1u);
  // Selecting from code notifies only when asked, and then even for the same group.
  bar.SetSelectedGroup(1, false);
  EXPECT_EQ(host.outbar.size(), 1u);
  bar.SetSelectedGroup(1, true);
  ASSERT_EQ(host.outbar.size(), 2u);
  EXPECT_EQ(host.outbar[1].group, 1);
}

TEST_F(OutlookBarTest, ClickingAnItemSelectsItAndTellsTheParent) {
  AddSampleGroups();
  bar.SetSelectedGroup(1, false);
  Click(bar.Handle(), Center(bar.ItemRect(2)));
  ASSERT_EQ(host.outbar.size(), 1u);
  EXPECT_EQ(host.outbar[0].code, vellora::kOutBarItemClicked);
  EXPECT_EQ(host.outbar[0].group, 1);
  EXPECT_EQ(host.outbar[0].item, 2);
  EXPECT_EQ(bar.SelectedItem(), 2);
  EXPECT_EQ(GetCapture(), nullptr);

  // Pressed on one item and released on another is no click.
  LPARAM down = MAKELPARAM(Center(bar.ItemRect(0)).x, Center(bar.ItemRect(0)).y);
  LPARAM up = MAKELPARAM(Center(bar.ItemRect(1)).x, Center(bar.ItemRect(1)).y);
  SendMessageA(bar.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, down);
  SendMessageA(bar.Handle(), WM_LBUTTONUP, 0, up);
  EXPECT_EQ(host.outbar.size(), 1u);
  EXPECT_EQ(bar.SelectedItem(), 2);
}

TEST_F(OutlookBarTest, KeyboardMovesTheSelectionAsClicksWould) {
  AddSampleGroups();
  bar.SetSelectedGroup(1, false);
  SendMessageA(bar.Handle(), WM_KEYDOWN, VK_DOWN, 0);
  SendMessageA(bar.Handle(), WM_KEYDOWN, VK_DOWN, 0);
  SendMessageA(bar.Handle(), WM_KEYDOWN, VK_DOWN, 0);
  SendMessageA(bar.Handle(), WM_KEYDOWN, VK_DOWN, 0);  // already the last
  ASSERT_EQ(host.outbar.size(), 3u);
  EXPECT_EQ(host.outbar[2].item, 2);
  EXPECT_EQ(host.outbar[2].code, vellora::kOutBarItemClicked);
  SendMessageA(bar.Handle(), WM_KEYDOWN, VK_UP, 0);
  EXPECT_EQ(bar.SelectedItem(), 1);
  EXPECT_EQ(host.outbar.back().item, 1);
}

TEST_F(OutlookBarTest, RightClicksNameTheHitHeaderOrItemWithoutSelecting) {
  AddSampleGroups();
  bar.SetSelectedGroup(1, false);
  Click(bar.Handle(), Center(bar.HeaderRect(0)), true);
  Click(bar.Handle(), Center(bar.ItemRect(1)), true);
  Click(bar.Handle(), {90, bar.HeaderRect(2).top - 3}, true);
  ASSERT_EQ(host.outbar.size(), 3u);
  EXPECT_EQ(host.outbar[0].code, vellora::kOutBarGroupRightClick);
  EXPECT_EQ(host.outbar[0].group, 0);
  EXPECT_EQ(host.outbar[1].code, vellora::kOutBarItemRightClick);
  EXPECT_EQ(host.outbar[1].group, 1);
  EXPECT_EQ(host.outbar[1].item, 1);
  POINT expected = ScreenOf(Center(bar.ItemRect(1)));
  EXPECT_EQ(host.outbar[1].screen.x, expected.x);
  EXPECT_EQ(host.outbar[1].screen.y, expected.y);
  EXPECT_EQ(host.outbar[2].code, vellora::kOutBarEmptyRightClick);
  EXPECT_EQ(host.outbar[2].item, -1);
  EXPECT_EQ(bar.SelectedGroup(), 1);
  EXPECT_EQ(bar.SelectedItem(), -1);

  // The context-menu key asks about the selected item, or else the group.
  SendMessageA(bar.Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(bar.Handle()), -1);
  EXPECT_EQ(host.outbar.back().code, vellora::kOutBarGroupRightClick);
  EXPECT_EQ(host.outbar.back().group, 1);
  bar.SetSelectedItem(2);
  SendMessageA(bar.Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(bar.Handle()), -1);
  EXPECT_EQ(host.outbar.back().code, vellora::kOutBarItemRightClick);
  EXPECT_EQ(host.outbar.back().item, 2);
}

TEST_F(OutlookBarTest, UnansweredRightClickOnEmptySpaceOffersTheBarsOwnMenu) {
  AddSampleGroups();
  bar.SetSelectedGroup(1, false);
  vellora::MenuHandle options(CreatePopupMenu());
  AppendMenuA(options, MF_STRING, 901, "&Big Icon");
  AppendMenuA(options, MF_STRING, 902, "Show &Text");
  bar.SetOptionsMenu(options, 901, 902);
  POINT empty = {90, bar.HeaderRect(2).top - 3};

  // The parent handles the right click itself: no menu.
  Click(bar.Handle(), empty, true);
  EXPECT_TRUE(bar.LargeIcons());

  // Unanswered: the menu opens (big icons checked) and its first entry toggles them.
  host.outbarAnswer = 0;
  UINT checked = 0;
  host.StartScript({[&] { checked = GetMenuState(options, 901, MF_BYCOMMAND) & MF_CHECKED; },
                    [&] { PostMessageA(bar.Handle(), WM_KEYDOWN, VK_DOWN, 0); },
                    [&] { PostMessageA(bar.Handle(), WM_KEYDOWN, VK_RETURN, 0); }});
  Click(bar.Handle(), empty, true);
  host.StopScript();
  EXPECT_EQ(checked, static_cast<UINT>(MF_CHECKED));
  EXPECT_FALSE(bar.LargeIcons());
  EXPECT_TRUE(bar.ShowText());
  EXPECT_EQ(host.outbar.size(), 2u);
}

TEST_F(OutlookBarTest, GroupChildIsShownOnlyWithItsGroupAndFillsTheArea) {
  AddSampleGroups();
  HWND tree = CreateWindowExA(0, "EDIT", "", WS_CHILD, 0, 0, 1, 1, host.Handle(), reinterpret_cast<HMENU>(102),
                              GetModuleHandleA(nullptr), nullptr);
  EXPECT_TRUE(bar.SetGroupChild(0, tree));
  EXPECT_TRUE(bar.SetGroupChild(2, tree));  // one tree serves every tree group
  EXPECT_EQ(GetParent(tree), bar.Handle());

  bar.SetSelectedGroup(1, false);
  EXPECT_FALSE(IsWindowVisible(tree));
  bar.SetSelectedGroup(0, false);
  EXPECT_TRUE(IsWindowVisible(tree));
  EXPECT_EQ(Str(vtest::RectInParent(tree)), Str(bar.ContentRect()));
  bar.SetSelectedGroup(2, false);
  EXPECT_TRUE(IsWindowVisible(tree));
  EXPECT_EQ(Str(vtest::RectInParent(tree)), Str(bar.ContentRect()));
  // Nothing under the child counts as an item.
  EXPECT_EQ(bar.HitTest(Center(bar.ContentRect())).part, OutBarHit::Part::Content);

  MoveWindow(bar.Handle(), 0, 0, 150, 300, TRUE);
  EXPECT_EQ(Str(vtest::RectInParent(tree)), Str(bar.ContentRect()));
  bar.SetSelectedGroup(1, false);
  EXPECT_FALSE(IsWindowVisible(tree));
  bar.SetSelectedGroup(0, false);
  bar.RemoveGroup(0);
  EXPECT_FALSE(IsWindowVisible(tree));

  // The child's notifications pass through the bar to its parent.
  NMHDR header = {tree, 102, NM_RCLICK};
  SendMessageA(bar.Handle(), WM_NOTIFY, 102, reinterpret_cast<LPARAM>(&header));
  ASSERT_EQ(host.notifyIds.size(), 1u);
  EXPECT_EQ(host.notifyIds[0], 102u);
}

TEST_F(OutlookBarTest, OverflowingItemsScrollByWholeItems) {
  bar.AddGroup("Many");
  for (int i = 0; i < 12; ++i) bar.AddItem(0, "Item " + std::to_string(i), 0);
  bar.SetSelectedGroup(0, false);
  RECT content = bar.ContentRect();
  ASSERT_GT(bar.ItemRect(11).bottom, content.bottom);
  EXPECT_FALSE(bar.ScrollItems(-1));

  EXPECT_TRUE(bar.ScrollItems(1));
  EXPECT_EQ(bar.FirstVisibleItem(), 1);
  EXPECT_LT(bar.ItemRect(0).bottom, content.top + 10);
  EXPECT_EQ(bar.HitTest(Center(bar.ItemRect(1))).item, 1);

  // Scrolling stops once the last item is in view.
  bar.ScrollItems(100);
  EXPECT_LE(bar.ItemRect(11).bottom, content.bottom);
  EXPECT_FALSE(bar.ScrollItems(1));
  int last = bar.FirstVisibleItem();
  EXPECT_GT(last, 1);

  // The up arrow at the top right scrolls back; the wheel too.
  OutBarHit up = bar.HitTest({content.right - 8, content.top + 8});
  ASSERT_EQ(up.part, OutBarHit::Part::ScrollUp);
  Click(bar.Handle(), {content.right - 8, content.top + 8});
  EXPECT_EQ(bar.FirstVisibleItem(), last - 1);
  SendMessageA(bar.Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
  EXPECT_EQ(bar.FirstVisibleItem(), last - 2);

  // Selecting an item out of view brings it into view.
  bar.SetSelectedItem(0);
  EXPECT_EQ(bar.FirstVisibleItem(), 0);
  bar.SetSelectedItem(11);
  EXPECT_LE(bar.ItemRect(11).bottom, content.bottom);
  EXPECT_GE(bar.ItemRect(11).top, content.top);
}

TEST_F(OutlookBarTest, ScrollPositionFollowsTheBarsSize) {
  // Items selected while the bar is still 0 x 0 (during the frame's
  // creation) must not leave it scrolled once it has its size.
  OutlookBar fresh;
  ASSERT_TRUE(fresh.Create(host.Handle(), 103));
  fresh.AddGroup("Notes");
  for (int i = 0; i < 4; ++i) fresh.AddItem(0, "Item " + std::to_string(i), 0);
  fresh.SetSelectedGroup(0, false);
  fresh.SetSelectedItem(2);
  MoveWindow(fresh.Handle(), 0, 0, 180, 400, TRUE);
  EXPECT_EQ(fresh.FirstVisibleItem(), 0);

  // Scrolled to the end in a short bar, then grown: everything fits again.
  MoveWindow(fresh.Handle(), 0, 0, 180, 120, TRUE);
  fresh.ScrollItems(10);
  EXPECT_GT(fresh.FirstVisibleItem(), 0);
  MoveWindow(fresh.Handle(), 0, 0, 180, 400, TRUE);
  EXPECT_EQ(fresh.FirstVisibleItem(), 0);
}

TEST_F(OutlookBarTest, SmallIconsAndHiddenTextMakeShorterRows) {
  AddSampleGroups();
  bar.SetSelectedGroup(1, false);
  auto rowHeight = [&] { return bar.ItemRect(1).top - bar.ItemRect(0).top; };
  int large = rowHeight();
  EXPECT_GE(large, 32 + bar.HeaderHeight() - 10);
  bar.SetShowText(false);
  int iconsOnly = rowHeight();
  EXPECT_LT(iconsOnly, large);
  EXPECT_GE(iconsOnly, 32);
  bar.SetShowText(true);
  bar.SetLargeIcons(false);
  EXPECT_FALSE(bar.LargeIcons());
  int small = rowHeight();
  EXPECT_LT(small, large);
  EXPECT_GE(small, 16);
}

TEST_F(OutlookBarTest, NotificationsReachTheFrameThroughASplitter) {
  // As in the main window: the bar is the left pane of a splitter.
  vellora::Splitter splitter;
  ASSERT_TRUE(splitter.Create(host.Handle(), vellora::SplitterOrientation::Vertical));
  MoveWindow(splitter.Handle(), 0, 0, 400, 400, TRUE);
  SetParent(bar.Handle(), splitter.Handle());
  HWND right = vtest::MakePane(splitter.Handle());
  splitter.SetPanes(bar.Handle(), right);
  splitter.SetPosition(180);
  AddSampleGroups();
  bar.SetSelectedGroup(1, false);
  Click(bar.Handle(), Center(bar.ItemRect(0)));
  ASSERT_EQ(host.outbar.size(), 1u);
  EXPECT_EQ(host.outbar[0].code, vellora::kOutBarItemClicked);
  EXPECT_EQ(host.outbar[0].item, 0);
}

TEST_F(OutlookBarTest, ColoursAndBackgroundImageReplaceEachOther) {
  bar.SetColors(RGB(58, 110, 164), RGB(10, 20, 30));
  EXPECT_EQ(bar.TextColor(), RGB(58, 110, 164));
  EXPECT_EQ(bar.BackColor(), RGB(10, 20, 30));
  HDC screen = GetDC(nullptr);
  HBITMAP pattern = CreateCompatibleBitmap(screen, 8, 8);
  ReleaseDC(nullptr, screen);
  bar.SetBackgroundImage(pattern);
  EXPECT_TRUE(bar.HasBackgroundImage());
  bar.SetBackColor(RGB(1, 2, 3));
  EXPECT_FALSE(bar.HasBackgroundImage());
  // Painting with either background must not fail.
  UpdateWindow(bar.Handle());
}

}  // namespace

namespace {

TEST_F(OutlookBarTest, ItemsAddedInOneBatchAreLaidOutAsIfAddedOneByOne) {
  OutlookBar single;
  ASSERT_TRUE(single.Create(host.Handle(), 102));
  MoveWindow(single.Handle(), 0, 0, 180, 400, TRUE);
  for (OutlookBar* b : {&bar, &single}) {
    b->AddGroup("Catalog");
    b->AddItem(0, "Before", 2, 7);
    b->SetSelectedGroup(0, false);
  }
  std::vector<OutlookBar::NewItem> batch;
  for (int i = 0; i < 40; ++i) batch.push_back({"Item " + std::to_string(i), i % 3, 1000 + i});
  EXPECT_EQ(bar.AddItems(0, batch), 1);
  for (const OutlookBar::NewItem& item : batch) single.AddItem(0, item.text, item.image, item.data);
  EXPECT_EQ(bar.AddItems(5, batch), -1);
  ASSERT_EQ(bar.ItemCount(0), single.ItemCount(0));
  for (int i = 0; i < bar.ItemCount(0); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(bar.ItemText(0, i), single.ItemText(0, i));
    EXPECT_EQ(bar.ItemData(0, i), single.ItemData(0, i));
    EXPECT_EQ(bar.ItemImage(0, i), single.ItemImage(0, i));
    RECT a = bar.ItemRect(i), b = single.ItemRect(i);
    EXPECT_TRUE(EqualRect(&a, &b));
  }
  // The batch is laid out: the last item is reachable by scrolling.
  bar.SetSelectedItem(40);
  EXPECT_LE(bar.ItemRect(40).bottom, bar.ContentRect().bottom);
}

}  // namespace
