#pragma once
// The tab strip over the pages of a tab pages item: one row of tabs, each with
// a text and a value of the owner's; the selected tab is drawn joined to the
// page below it. When the tabs are wider than the strip, two arrow buttons at
// its right end scroll them. The strip tells its owner what the user did
// through the events interface it is given.
#include <string>
#include <vector>

#include "platform/GdiHandles.h"
#include "platform/Window.h"

namespace vellora {

class TabStripEvents {
 public:
  virtual ~TabStripEvents() = default;
  // The user is about to leave tab `from` for tab `to`; false keeps `from`.
  virtual bool OnTabChanging(int from, int to) {
    (void)from;
    (void)to;
    return true;
  }
  // The selection is now `index` (chosen by the user, or by Select with notify).
  virtual void OnTabChanged(int index) { (void)index; }
  // Right click on tab `index`, at a point in screen coordinates. A click
  // beside the tabs reports nothing.
  virtual void OnTabRightClick(int index, POINT screenPoint) {
    (void)index;
    (void)screenPoint;
  }
};

class TabStrip : public Window {
 public:
  ~TabStrip() override { Destroy(); }

  // Creates the strip as a visible child of `parent`.
  HWND Create(HWND parent, UINT id, TabStripEvents* events);
  using Window::Create;
  // The height the strip wants for its font.
  int PreferredHeight() const;

  // Tabs; indexes run from 0, left to right.
  int AddTab(const std::string& text, LPARAM data = 0);
  bool RemoveTab(int index);
  void RemoveAllTabs();
  bool SetTabText(int index, const std::string& text);
  bool SwapTabs(int first, int second);  // the selection follows its tab
  int TabCount() const { return static_cast<int>(tabs_.size()); }
  std::string TabText(int index) const;
  LPARAM TabData(int index) const;

  int Selected() const { return selected_; }
  // Selects a tab (-1: none); with notify the owner hears OnTabChanged.
  void Select(int index, bool notify = false);

  // The tab under a point in client coordinates, or -1.
  int HitTest(POINT clientPoint) const;
  // The tab's rectangle in client coordinates, as laid out now.
  RECT TabRect(int index) const;
  // The first tab shown at the left end (more than 0 once scrolled).
  int FirstShown() const { return firstShown_; }
  // Scrolls so that the tab is wholly shown.
  void EnsureShown(int index);

 protected:
  const char* ClassName() const override { return "VelloraTabStrip"; }
  void RegisterClassInfo(WNDCLASSEXA& wc) const override;
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  struct Tab {
    std::string text;
    LPARAM data = 0;
    int width = 0;  // measured with the strip's font
  };
  static constexpr int kPadding = 10;
  static constexpr int kArrowWidth = 16;

  int MeasureText(const std::string& text) const;
  bool Overflows() const;  // tabs wider than the room, so the arrows show
  int TabsRight() const;   // the right end of the room for tabs
  RECT ArrowRect(int which) const;  // 0 left, 1 right
  void Scroll(int delta);
  void ChooseByUser(int index);
  void OnPaint();
  void PaintTab(HDC dc, int index, const RECT& rect) const;
  void PaintArrow(HDC dc, int which) const;

  TabStripEvents* events_ = nullptr;
  std::vector<Tab> tabs_;
  int selected_ = -1;
  int firstShown_ = 0;
  FontHandle font_;
};

}  // namespace vellora
