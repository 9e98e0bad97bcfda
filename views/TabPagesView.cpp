#include "views/TabPagesView.h"

#include <utility>

#include "content/CommandIds.h"
#include "views/ViewMenus.h"
#include "views/ViewResourceIds.h"

namespace vellora {

// ---- the window -----------------------------------------------------------------

void TabPagesWindow::RegisterClassInfo(WNDCLASSEXA& wc) const {
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
}

LRESULT TabPagesWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SIZE:
      if (onSize) onSize();
      return 0;
    case WM_NOTIFY:
    case WM_COMMAND:
    case WM_CONTEXTMENU:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
      // A page view's messages reach the window that would hold it anyway.
      if (HWND parent = GetParent(Handle())) return SendMessageA(parent, msg, wParam, lParam);
      return 0;
    default:
      return DefaultProc(msg, wParam, lParam);
  }
}

// ---- the view -------------------------------------------------------------------

TabPagesView::TabPagesView(ContentPrompt& prompt, const TextSource& texts, PageViewSource pageView)
    : prompt_(prompt), texts_(texts), pageView_(std::move(pageView)), commands_(prompt, texts) {
  host_.onSize = [this] { Layout(); };
}

TabPagesView::~TabPagesView() {
  LetPageViewGo();
  host_.Destroy();
}

bool TabPagesView::Create(HWND parent) {
  if (!host_.Create(parent, "", WS_CHILD | WS_CLIPCHILDREN, 0, 0, 0, 0, 0)) return false;
  return strip_.Create(host_.Handle(), IDC_TAB_STRIP, this) != nullptr;
}

StorageHandle TabPagesView::OpenItem(bool forWriting) const {
  StorageHandle item;
  if (folder_) folder_->OpenStorage(itemName_.c_str(), forWriting ? kWriteMode : kReadMode, item);
  return item;
}

bool TabPagesView::Load(const ItemSource& source) {
  Clear();
  const auto* catalogItem = dynamic_cast<const CatalogItemSource*>(&source);
  if (!catalogItem) return false;
  folder_ = &catalogItem->Container();
  itemName_ = catalogItem->ElementName();
  loading_ = true;
  StorageHandle item = OpenItem(false);
  const bool read = item && SUCCEEDED(pages_.Load(item));
  item.Release();
  FillTabs(0);
  loading_ = false;
  if (strip_.TabCount() > 0) ShowTab(0);
  return read;
}

void TabPagesView::FillTabs(int select) {
  strip_.RemoveAllTabs();
  // A page of a kind no view shows (a record read as zeros) gets no tab.
  for (size_t i = 0; i < pages_.Count(); ++i)
    if (IsPageKind(pages_.Pages()[i].kind) && pageView_ && pageView_(pages_.Pages()[i].kind))
      strip_.AddTab(pages_.Pages()[i].title, static_cast<LPARAM>(i));
  if (select >= strip_.TabCount()) select = strip_.TabCount() - 1;
  strip_.Select(select);
  current_ = strip_.Selected();
}

int TabPagesView::TabOfPage(size_t page) const {
  for (int tab = 0; tab < strip_.TabCount(); ++tab)
    if (static_cast<size_t>(strip_.TabData(tab)) == page) return tab;
  return -1;
}

void TabPagesView::ShowTab(int tab) {
  if (tab < 0 || tab >= strip_.TabCount()) return;
  const TabPageEntry& page = pages_.Pages()[static_cast<size_t>(strip_.TabData(tab))];
  ItemView* view = pageView_ ? pageView_(page.kind) : nullptr;
  if (!view || !folder_) return;
  if (shown_ && shown_ != view) {
    shown_->Clear();
    LetPageViewGo();
  }
  auto source = std::make_unique<TabPageSource>(*folder_, itemName_, page.elementName, page.kind, page.title);
  if (shown_ != view) {
    shownHome_ = GetParent(view->Window());
    SetParent(view->Window(), host_.Handle());
  }
  shown_ = view;
  view->SetReadOnly(readOnly_);
  const bool loaded = view->Load(*source);
  pageSource_ = std::move(source);
  // A page that could not be read whole stays read-only and is told.
  const std::string problem = view->LoadProblem();
  if (!problem.empty()) {
    view->SetReadOnly(true);
    prompt_.ShowMessage("\"" + page.title + "\" could not be shown" + (loaded ? " whole" : "") + ": " + problem +
                            ".\n\nIt is kept read-only, and it will not be saved over.",
                        "Fail", MB_OK | MB_ICONEXCLAMATION);
  }
  current_ = tab;
  Layout();
  ShowWindow(view->Window(), SW_SHOW);
}

void TabPagesView::LetPageViewGo() {
  if (!shown_) return;
  HWND window = shown_->Window();
  if (window && IsWindow(window)) {
    ShowWindow(window, SW_HIDE);
    if (shownHome_ && IsWindow(shownHome_)) SetParent(window, shownHome_);
  }
  shown_ = nullptr;
  shownHome_ = nullptr;
}

void TabPagesView::Clear() {
  if (shown_) {
    shown_->Store();
    shown_->Clear();
  }
  LetPageViewGo();
  pageSource_.reset();
  strip_.RemoveAllTabs();
  pages_.Clear();
  folder_ = nullptr;
  itemName_.clear();
  current_ = -1;
}

void TabPagesView::SetReadOnly(bool readOnly) {
  readOnly_ = readOnly;
  if (shown_) shown_->SetReadOnly(readOnly);
}

void TabPagesView::Layout() {
  if (!host_.Handle()) return;
  RECT client;
  GetClientRect(host_.Handle(), &client);
  const int stripHeight = strip_.PreferredHeight();
  MoveWindow(strip_.Handle(), 0, 0, client.right, stripHeight, TRUE);
  if (shown_) MoveWindow(shown_->Window(), 0, stripHeight, client.right, client.bottom - stripHeight, TRUE);
}

bool TabPagesView::OnTabChanging(int from, int to) {
  (void)from;
  (void)to;
  if (loading_) return true;
  if (shown_) shown_->StopActivity();
  // What was typed on the page reaches the file before another page shows;
  // a page that cannot be written keeps its tab, and so its text.
  return !shown_ || shown_->Store();
}

void TabPagesView::ChooseTab(int tab) {
  if (tab < 0 || tab >= strip_.TabCount() || tab == strip_.Selected()) return;
  if (!OnTabChanging(strip_.Selected(), tab)) return;
  strip_.Select(tab, true);
}

void TabPagesView::ShowTabMenu(int tab, POINT screen) {
  if (tab < 0 || tab >= strip_.TabCount()) return;
  current_ = tab;
  HMENU popup = nullptr;
  MenuHandle menu = LoadFirstPopup(IDR_TABPAGE_POPUP, popup);
  if (!popup) return;
  if (tab == 0) RemoveCommands(popup, {ID_TABPAGE_MOVE_FORWARD});
  if (tab == strip_.TabCount() - 1) RemoveCommands(popup, {ID_TABPAGE_MOVE_BACK});
  TidySeparators(popup);
  if (wiring.trackPopup) wiring.trackPopup(popup, screen);
}

bool TabPagesView::HandleCommand(UINT id) {
  switch (id) {
    case ID_TABPAGE_ADD:
    case ID_TABPAGE_DELETE:
    case ID_TABPAGE_RENAME:
    case ID_TABPAGE_MOVE_FORWARD:
    case ID_TABPAGE_MOVE_BACK:
      if (!readOnly_ && folder_) RunPageCommand(id);
      return true;
    default:
      return shown_ && shown_->HandleCommand(id);
  }
}

void TabPagesView::RunPageCommand(UINT id) {
  const int tab = current_ >= 0 ? current_ : strip_.Selected();
  const size_t page = tab >= 0 ? static_cast<size_t>(strip_.TabData(tab)) : pages_.Count();
  // The shown page is written before any page changes under it.
  if (shown_ && !shown_->Store()) return;
  StorageHandle item = OpenItem(true);
  if (!item) return;
  bool changed = false;
  int select = strip_.Selected();
  size_t added = pages_.Count();  // the page an Add made, selected once the tabs are laid out
  switch (id) {
    case ID_TABPAGE_ADD:
      changed = commands_.Add(item, pages_, added);
      break;
    case ID_TABPAGE_DELETE:
      changed = page < pages_.Count() && commands_.Delete(item, pages_, page);
      // The tab that takes the deleted one's place, or the one before it.
      if (changed) select = tab < strip_.Selected() ? strip_.Selected() - 1 : strip_.Selected();
      break;
    case ID_TABPAGE_RENAME:
      changed = page < pages_.Count() && commands_.Rename(item, pages_, page);
      break;
    case ID_TABPAGE_MOVE_FORWARD:
    case ID_TABPAGE_MOVE_BACK: {
      const int neighbour = tab + (id == ID_TABPAGE_MOVE_FORWARD ? -1 : 1);
      if (neighbour < 0 || neighbour >= strip_.TabCount()) break;
      const size_t other = static_cast<size_t>(strip_.TabData(neighbour));
      changed = page < pages_.Count() && SUCCEEDED(pages_.Swap(item, page, other));
      // The selection follows the moved tab.
      if (changed && strip_.Selected() == tab) select = neighbour;
      else if (changed && strip_.Selected() == neighbour) select = tab;
      break;
    }
  }
  item.Release();
  if (!changed) return;
  if (wiring.onStored) wiring.onStored();
  // The tabs are laid out again from the pages, and the selected page shown
  // anew (a renamed or deleted page's source names another storage now).
  FillTabs(select);
  if (id == ID_TABPAGE_ADD) {
    // A replaced page may have gone: the new page's tab is found among the new tabs.
    strip_.Select(TabOfPage(added));
    current_ = strip_.Selected();
  }
  ShowTab(strip_.Selected());
}

bool TabPagesView::HandleCommandFrom(UINT id, HWND control) {
  if (id >= ID_TABPAGE_ADD && id <= ID_TABPAGE_MOVE_BACK) return HandleCommand(id);
  return shown_ && shown_->HandleCommandFrom(id, control);
}

std::string TabPagesView::ShownPage() const {
  if (!pageSource_ || !shown_) return {};
  return pageSource_->Title();
}

bool TabPagesView::ChoosePage(const std::string& nameOrTitle) {
  for (int tab = 0; tab < strip_.TabCount(); ++tab) {
    const TabPageEntry& page = pages_.Pages()[static_cast<size_t>(strip_.TabData(tab))];
    if (page.elementName != nameOrTitle && page.title != nameOrTitle) continue;
    if (tab != strip_.Selected()) ChooseTab(tab);
    return strip_.Selected() == tab;
  }
  return false;
}

bool TabPagesView::QueryCommand(UINT id, CommandUi& ui) const {
  switch (id) {
    case ID_TABPAGE_ADD:
    case ID_TABPAGE_DELETE:
    case ID_TABPAGE_RENAME:
      ui.enabled = !readOnly_ && folder_;
      return true;
    case ID_TABPAGE_MOVE_FORWARD:
      ui.enabled = !readOnly_ && folder_ && current_ > 0;
      return true;
    case ID_TABPAGE_MOVE_BACK:
      ui.enabled = !readOnly_ && folder_ && current_ >= 0 && current_ + 1 < strip_.TabCount();
      return true;
    default:
      return shown_ && shown_->QueryCommand(id, ui);
  }
}

}  // namespace vellora
