#pragma once
// The tab pages view ("TabbedChildWindow"): the tab strip over a page area in
// which the view of the selected page's kind is shown. The page views are the
// program's own views of those kinds, lent to this view while a page is shown
// and handed back at Clear; their commands go to them through this view.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "content/ContentPrompt.h"
#include "content/ItemSource.h"
#include "content/TabPages.h"
#include "controls/TabStrip.h"
#include "store/Services.h"
#include "platform/Window.h"
#include "views/ItemView.h"
#include "views/ViewHost.h"

namespace vellora {

// The view's own window: it lays out the strip and the page, and passes the
// page views' notifications and commands on to its parent, as if the page
// view sat there itself.
class TabPagesWindow : public Window {
 public:
  std::function<void()> onSize;

 protected:
  const char* ClassName() const override { return "TabbedChildWindow"; }
  void RegisterClassInfo(WNDCLASSEXA& wc) const override;
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
};

class TabPagesView : public ItemView, private TabStripEvents {
 public:
  // pageView: the view for a page kind (made on first use), null for none.
  using PageViewSource = std::function<ItemView*(uint16_t kind)>;
  TabPagesView(ContentPrompt& prompt, const TextSource& texts, PageViewSource pageView);
  ~TabPagesView() override;


  ItemKind Kind() const override { return kItemTabPages; }
  bool Create(HWND parent) override;
  HWND Window() const override { return host_.Handle(); }
  HWND FocusWindow() const override { return shown_ ? shown_->FocusWindow() : strip_.Handle(); }
  // Shows a tab pages item (a catalog item of its folder).
  bool Load(const ItemSource& source) override;
  bool Store() override { return !shown_ || shown_->Store(); }
  bool Modified() const override { return shown_ && shown_->Modified(); }
  void Clear() override;
  void SetReadOnly(bool readOnly) override;
  bool HandleCommand(UINT id) override;
  bool HandleCommandFrom(UINT id, HWND control) override;
  bool QueryCommand(UINT id, CommandUi& ui) const override;
  void UpdateCommandUi() override {
    if (shown_) shown_->UpdateCommandUi();
  }
  // The page view shown speaks for the item's content.
  const ItemView& ActiveView() const override {
    if (shown_) return *shown_;
    return *this;
  }
  bool Find(const std::string& text, bool textOnly) override { return shown_ && shown_->Find(text, textOnly); }
  std::string SelectedText() const override { return shown_ ? shown_->SelectedText() : std::string(); }
  bool PlainText(std::string& out) const override { return shown_ && shown_->PlainText(out); }
  bool OpenOwnFind() override { return shown_ && shown_->OpenOwnFind(); }
  bool Position(long& index) const override { return shown_ && shown_->Position(index); }
  void GoToPosition(long index) override {
    if (shown_) shown_->GoToPosition(index);
  }
  bool PreTranslate(MSG& message) override { return shown_ && shown_->PreTranslate(message); }
  void StopActivity() override {
    if (shown_) shown_->StopActivity();
  }
  bool HasItem() const override { return folder_ != nullptr; }
  // The title of the selected page (empty when none is shown).
  std::string ShownPage() const override;
  // Selects the page of that element name or title; false when there is none.
  bool ChoosePage(const std::string& nameOrTitle) override;

  const TabPages& Pages() const { return pages_; }
  const TabStrip& Strip() const { return strip_; }
  // The view of the selected page, null when none is shown.
  ItemView* ShownPageView() const { return shown_; }
  // The page the page commands act on (the tab last right-clicked, else the selected one).
  int CurrentPage() const { return current_; }
  // Selects a tab as a click would (the shown page is stored first).
  void ChooseTab(int tab);
  // The popup for a right click on tab `tab`, at a screen point.
  void ShowTabMenu(int tab, POINT screen);

 private:
  bool OnTabChanging(int from, int to) override;
  void OnTabChanged(int index) override { ShowTab(index); }
  void OnTabRightClick(int index, POINT screenPoint) override { ShowTabMenu(index, screenPoint); }

  // The item storage, opened from its folder for one operation.
  StorageHandle OpenItem(bool forWriting) const;
  void FillTabs(int select);
  int TabOfPage(size_t page) const;
  void ShowTab(int tab);
  void LetPageViewGo();
  void Layout();
  void RunPageCommand(UINT id);

  ContentPrompt& prompt_;
  const TextSource& texts_;
  PageViewSource pageView_;
  TabPageCommands commands_;
  TabPagesWindow host_;
  TabStrip strip_;
  TabPages pages_;
  const StorageHandle* folder_ = nullptr;  // the shown item's folder, held open by the document
  std::string itemName_;
  std::unique_ptr<TabPageSource> pageSource_;
  ItemView* shown_ = nullptr;
  HWND shownHome_ = nullptr;  // where the shown page view's window lived before
  int current_ = -1;
  bool readOnly_ = false;
  bool loading_ = false;
};

}  // namespace vellora
