// The splitter under a real parent window: where its panes go in both
// orientations and single-pane modes, how the position is clamped, and what
// the mouse does to the bar.
#include "controls/Splitter.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include "tests/controls/ControlHost.h"

using vellora::Splitter;
using vellora::SplitterOrientation;
using vellora::SplitterPane;
using vtest::RectInParent;
using vtest::Str;

namespace {

class SplitterTest : public ::testing::Test {
 protected:
  void Make(SplitterOrientation orientation, int width = 400, int height = 300) {
    ASSERT_TRUE(splitter.Create(host.Handle(), orientation));
    MoveWindow(splitter.Handle(), 0, 0, width, height, TRUE);
    first = vtest::MakePane(splitter.Handle(), "EDIT");
    second = vtest::MakePane(splitter.Handle(), "EDIT");
  }
  void Drag(int fromAlong, int toAlong) {
    bool vertical = splitter.Orientation() == SplitterOrientation::Vertical;
    auto at = [&](int along) { return vertical ? MAKELPARAM(along, 50) : MAKELPARAM(50, along); };
    SendMessageA(splitter.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at(fromAlong));
    SendMessageA(splitter.Handle(), WM_MOUSEMOVE, MK_LBUTTON, at((fromAlong + toAlong) / 2));
    SendMessageA(splitter.Handle(), WM_MOUSEMOVE, MK_LBUTTON, at(toAlong));
    SendMessageA(splitter.Handle(), WM_LBUTTONUP, 0, at(toAlong));
  }

  vtest::ControlHost host{600, 400};
  Splitter splitter;
  HWND first = nullptr;
  HWND second = nullptr;
};

TEST_F(SplitterTest, VerticalPanesLieLeftAndRightOfTheBar) {
  Make(SplitterOrientation::Vertical);
  splitter.SetPanes(first, second);
  splitter.SetPosition(120);
  EXPECT_EQ(Str(RectInParent(first)), Str(0, 0, 120, 300));
  EXPECT_EQ(Str(RectInParent(second)), Str(124, 0, 400, 300));
  EXPECT_EQ(Str(splitter.BarRect()), Str(120, 0, 124, 300));

  // Growing the window gives the room to the second pane.
  MoveWindow(splitter.Handle(), 0, 0, 550, 320, TRUE);
  EXPECT_EQ(Str(RectInParent(first)), Str(0, 0, 120, 320));
  EXPECT_EQ(Str(RectInParent(second)), Str(124, 0, 550, 320));
  EXPECT_EQ(splitter.Position(), 120);
}

TEST_F(SplitterTest, HorizontalPanesLieAboveAndBelowANarrowBar) {
  Make(SplitterOrientation::Horizontal);
  splitter.SetBarWidth(3);
  splitter.SetPanes(first, second);
  splitter.SetPosition(20);
  EXPECT_EQ(Str(RectInParent(first)), Str(0, 0, 400, 20));
  EXPECT_EQ(Str(RectInParent(second)), Str(0, 23, 400, 300));

  // A pane swapped in later takes the place of the old one.
  HWND third = vtest::MakePane(host.Handle());
  ShowWindow(second, SW_HIDE);
  splitter.SetPane(1, third);
  splitter.Layout();
  EXPECT_EQ(GetParent(third), splitter.Handle());
  EXPECT_EQ(Str(RectInParent(third)), Str(0, 23, 400, 300));
  EXPECT_EQ(splitter.Pane(1), third);
}

TEST_F(SplitterTest, PositionIsClampedToTheClientAreaOnceThereIsOne) {
  Make(SplitterOrientation::Vertical);
  splitter.SetPanes(first, second);
  splitter.SetPosition(5000);
  EXPECT_EQ(splitter.Position(), 396);
  EXPECT_EQ(Str(RectInParent(second)), Str(400, 0, 400, 300));
  splitter.SetPosition(-30);
  EXPECT_EQ(splitter.Position(), 0);
  EXPECT_EQ(Str(RectInParent(first)), Str(0, 0, 0, 300));
}

TEST_F(SplitterTest, PositionSetBeforeTheFirstSizeSurvivesIt) {
  // The frame restores the saved position while its windows are still 0 x 0.
  ASSERT_TRUE(splitter.Create(host.Handle(), SplitterOrientation::Vertical));
  first = vtest::MakePane(splitter.Handle());
  second = vtest::MakePane(splitter.Handle());
  splitter.SetPanes(first, second);
  splitter.SetPosition(180);
  EXPECT_EQ(splitter.Position(), 180);
  MoveWindow(splitter.Handle(), 0, 0, 500, 300, TRUE);
  EXPECT_EQ(Str(RectInParent(first)), Str(0, 0, 180, 300));
  EXPECT_EQ(Str(RectInParent(second)), Str(184, 0, 500, 300));

  // Shown smaller than the saved position, the bar stays inside the window.
  MoveWindow(splitter.Handle(), 0, 0, 100, 300, TRUE);
  EXPECT_EQ(Str(RectInParent(first)), Str(0, 0, 96, 300));
}

TEST_F(SplitterTest, SinglePaneModesShowOnePaneOverTheWholeArea) {
  Make(SplitterOrientation::Vertical);
  splitter.SetPanes(first, second);
  splitter.SetPosition(150);

  splitter.SetSinglePane(SplitterPane::Second);
  EXPECT_EQ(splitter.SinglePane(), SplitterPane::Second);
  EXPECT_FALSE(IsWindowVisible(first));
  EXPECT_TRUE(IsWindowVisible(second));
  EXPECT_EQ(Str(RectInParent(second)), Str(0, 0, 400, 300));
  RECT bar = splitter.BarRect();
  EXPECT_TRUE(IsRectEmpty(&bar));

  splitter.SetSinglePane(SplitterPane::First);
  EXPECT_TRUE(IsWindowVisible(first));
  EXPECT_FALSE(IsWindowVisible(second));
  EXPECT_EQ(Str(RectInParent(first)), Str(0, 0, 400, 300));

  splitter.SetSinglePane(SplitterPane::None);
  EXPECT_TRUE(IsWindowVisible(first));
  EXPECT_TRUE(IsWindowVisible(second));
  EXPECT_EQ(Str(RectInParent(first)), Str(0, 0, 150, 300));
  EXPECT_EQ(Str(RectInParent(second)), Str(154, 0, 400, 300));
  EXPECT_EQ(splitter.Position(), 150);
}

TEST_F(SplitterTest, SinglePaneModeHidesAPaneSwappedIntoTheHiddenSide) {
  Make(SplitterOrientation::Horizontal);
  splitter.SetPanes(first, second);
  splitter.SetSinglePane(SplitterPane::Second);
  HWND other = vtest::MakePane(splitter.Handle());
  splitter.SetPane(0, other);
  EXPECT_FALSE(IsWindowVisible(other));
  splitter.SetSinglePane(SplitterPane::None);
  EXPECT_TRUE(IsWindowVisible(other));
}

TEST_F(SplitterTest, FocusGoesToThePaneShownAlone) {
  Make(SplitterOrientation::Horizontal);
  splitter.SetPanes(first, second);
  splitter.SetSinglePane(SplitterPane::Second);
  SetFocus(splitter.Handle());
  EXPECT_EQ(GetFocus(), second);
  splitter.SetSinglePane(SplitterPane::None);
  splitter.SetDefaultActivePane(0);
  SetFocus(splitter.Handle());
  EXPECT_EQ(GetFocus(), first);
}

TEST_F(SplitterTest, DraggingTheBarMovesItWithinTheWindow) {
  Make(SplitterOrientation::Vertical);
  splitter.SetPanes(first, second);
  splitter.SetPosition(100);
  Drag(101, 231);  // grabbed 1 px into the bar
  EXPECT_EQ(splitter.Position(), 230);
  EXPECT_EQ(Str(RectInParent(first)), Str(0, 0, 230, 300));
  EXPECT_EQ(GetCapture(), nullptr);

  Drag(231, 2000);
  EXPECT_EQ(splitter.Position(), 396);
  Drag(397, -50);
  EXPECT_EQ(splitter.Position(), 0);
}

TEST_F(SplitterTest, HorizontalDragFollowsTheVerticalMouseCoordinate) {
  Make(SplitterOrientation::Horizontal);
  splitter.SetPanes(first, second);
  splitter.SetPosition(40);
  Drag(42, 142);
  EXPECT_EQ(splitter.Position(), 140);
  EXPECT_EQ(Str(RectInParent(second)), Str(0, 144, 400, 300));
}

TEST_F(SplitterTest, MouseIsIgnoredByAFixedSplitterAndAwayFromTheBar) {
  Make(SplitterOrientation::Horizontal);
  splitter.SetPanes(first, second);
  splitter.SetBarWidth(3);
  splitter.SetPosition(20);
  splitter.SetDraggable(false);
  Drag(21, 150);
  EXPECT_EQ(splitter.Position(), 20);
  EXPECT_EQ(GetCapture(), nullptr);

  splitter.SetDraggable(true);
  Drag(100, 150);  // not on the bar
  EXPECT_EQ(splitter.Position(), 20);
  splitter.SetSinglePane(SplitterPane::Second);
  Drag(21, 150);  // no bar at all
  EXPECT_EQ(splitter.Position(), 20);
}

TEST_F(SplitterTest, NotificationsOfThePanesReachTheSplittersParent) {
  Make(SplitterOrientation::Vertical);
  splitter.SetPanes(first, second);
  SendMessageA(splitter.Handle(), WM_COMMAND, MAKEWPARAM(4711, EN_CHANGE), reinterpret_cast<LPARAM>(first));
  NMHDR header = {second, 102, NM_CLICK};
  SendMessageA(splitter.Handle(), WM_NOTIFY, 102, reinterpret_cast<LPARAM>(&header));
  ASSERT_EQ(host.commands.size(), 1u);
  EXPECT_EQ(host.commands[0], 4711u);
  ASSERT_EQ(host.notifyIds.size(), 1u);
  EXPECT_EQ(host.notifyIds[0], 102u);
}

}  // namespace
