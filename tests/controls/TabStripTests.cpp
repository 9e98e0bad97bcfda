// The tab strip under a real parent window: what clicks and right clicks tell
// its owner, a refused change, how removing and swapping tabs move the
// selection, and scrolling when the tabs do not fit.
#include "controls/TabStrip.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/controls/ControlHost.h"

using vellora::TabStrip;
using vellora::TabStripEvents;

namespace {

struct Recorder : TabStripEvents {
  bool allow = true;
  std::vector<std::pair<int, int>> changing;
  std::vector<int> changed;
  std::vector<int> rightClicks;
  bool OnTabChanging(int from, int to) override {
    changing.push_back({from, to});
    return allow;
  }
  void OnTabChanged(int index) override { changed.push_back(index); }
  void OnTabRightClick(int index, POINT) override { rightClicks.push_back(index); }
};

class TabStripTest : public ::testing::Test {
 protected:
  void Make(int width, const std::vector<std::string>& titles) {
    ASSERT_TRUE(strip.Create(host.Handle(), 7, &events));
    MoveWindow(strip.Handle(), 0, 0, width, strip.PreferredHeight(), TRUE);
    for (const auto& title : titles) strip.AddTab(title);
    strip.Select(0);
  }
  void ClickTab(int index, bool right = false) { vtest::Click(strip.Handle(), vtest::Center(strip.TabRect(index)), right); }

  vtest::ControlHost host{600, 200};
  Recorder events;
  TabStrip strip;
};

TEST_F(TabStripTest, AClickAsksTheOwnerWhoMayKeepTheOldTab) {
  Make(500, {"Content", "Files", "Table"});
  ClickTab(2);
  EXPECT_EQ(strip.Selected(), 2);
  ASSERT_EQ(events.changing.size(), 1u);
  EXPECT_EQ(events.changing[0], std::make_pair(0, 2));
  EXPECT_EQ(events.changed, std::vector<int>{2});

  events.allow = false;
  ClickTab(1);
  EXPECT_EQ(strip.Selected(), 2);
  EXPECT_EQ(events.changed, std::vector<int>{2});
  // Clicking the selected tab again is no change at all.
  ClickTab(2);
  EXPECT_EQ(events.changing.size(), 2u);
}

TEST_F(TabStripTest, RightClicksNameTheTabUnderTheMouseAndNothingBesideTheTabs) {
  Make(500, {"Content", "Files"});
  ClickTab(1, true);
  EXPECT_EQ(events.rightClicks, std::vector<int>{1});
  EXPECT_EQ(strip.Selected(), 0);  // a right click does not select
  const RECT last = strip.TabRect(1);
  vtest::Click(strip.Handle(), {last.right + 40, (last.top + last.bottom) / 2}, true);
  EXPECT_EQ(events.rightClicks, std::vector<int>{1});
}

struct RemoveCase {
  const char* name;
  int selected, removed, selectedAfter;
};

class TabStripRemove : public TabStripTest, public ::testing::WithParamInterface<RemoveCase> {};

TEST_P(TabStripRemove, TheSelectionStaysOnItsTabOrTakesTheNextOne) {
  Make(500, {"A", "B", "C", "D"});
  strip.Select(GetParam().selected);
  ASSERT_TRUE(strip.RemoveTab(GetParam().removed));
  EXPECT_EQ(strip.TabCount(), 3);
  EXPECT_EQ(strip.Selected(), GetParam().selectedAfter);
}

INSTANTIATE_TEST_SUITE_P(Cases, TabStripRemove,
                         ::testing::Values(RemoveCase{"BeforeTheSelected", 2, 0, 1},
                                           RemoveCase{"AfterTheSelected", 1, 3, 1},
                                           RemoveCase{"TheSelected", 1, 1, 1},
                                           RemoveCase{"TheSelectedLast", 3, 3, 2}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(TabStripTest, SwappedTabsTakeTheSelectionAlong) {
  Make(500, {"A", "B", "C"});
  strip.Select(1);
  ASSERT_TRUE(strip.SwapTabs(1, 0));
  EXPECT_EQ(strip.TabText(0), "B");
  EXPECT_EQ(strip.Selected(), 0);
  ASSERT_TRUE(strip.SwapTabs(1, 2));  // neither is selected
  EXPECT_EQ(strip.Selected(), 0);
  EXPECT_FALSE(strip.SwapTabs(0, 3));
}

TEST_F(TabStripTest, TabsThatDoNotFitScrollAndTheSelectedOneIsAlwaysShown) {
  std::vector<std::string> titles;
  for (int i = 0; i < 30; ++i) titles.push_back("Page number " + std::to_string(i));
  Make(300, titles);
  strip.Select(29);
  EXPECT_GT(strip.FirstShown(), 0);
  RECT client;
  GetClientRect(strip.Handle(), &client);
  EXPECT_LE(strip.TabRect(29).right, client.right);
  // The left arrow scrolls back one tab at a time; a tab hidden under the
  // arrows is never hit.
  const int first = strip.FirstShown();
  vtest::Click(strip.Handle(), {client.right - 24, client.bottom / 2});
  EXPECT_EQ(strip.FirstShown(), first - 1);
  EXPECT_EQ(strip.HitTest({client.right - 5, client.bottom / 2}), -1);
}

}  // namespace
