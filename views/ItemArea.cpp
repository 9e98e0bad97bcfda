#include "views/ItemArea.h"

#include <commctrl.h>

#include "controls/ImageStrip.h"
#include "platform/Dpi.h"

#include <tuple>

#include "views/ToolbarLayout.h"
#include "views/ViewLook.h"
#include "views/ViewResourceIds.h"

namespace vellora {

using namespace resources;

namespace {
// The strip that shows the item's title, at 96 DPI.
constexpr int kTitleStripHeight = 20;
}  // namespace

ItemArea::ItemArea(UserPrompt& prompt) : prompt_(prompt) {}

ItemArea::~ItemArea() {
  shown_ = nullptr;
  shownSource_.reset();
  // A view lent to another (a page view) goes home before either is destroyed.
  for (TableRow& row : table_)
    if (row.view) row.view->Clear();
}

bool ItemArea::Create(HWND parent) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  if (!titleSplitter_.Create(parent, SplitterOrientation::Horizontal)) return false;
  titleSplitter_.SetDraggable(false);
  titleSplitter_.SetBarWidth(3);
  titleStrip_.Create(titleSplitter_.Handle(), "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, 0);
  placeholder_.Create(titleSplitter_.Handle(), "No item", WS_CHILD, 0, 0, 0, 0, 0);
  nodeList_.Create(titleSplitter_.Handle(), "", WS_CHILD, 0, 0, 0, 0, 0);
  nodeListImages_.Reset(LoadImageListForDpi(instance, IDB_NODE_LIST, kNodeListImageSize, kImageMaskColor));
  nodeList_.SetImages(nodeListImages_, kNodeListImageFolder, kNodeListImageLeaf);
  titleSplitter_.SetPanes(titleStrip_.Handle(), placeholder_.Handle());
  titleSplitter_.SetPosition(Scaled(kTitleStripHeight));
  ShowPlaceholder(PlaceholderView::Form::NoItem);
  return true;
}

void ItemArea::SetViewFactory(std::initializer_list<uint16_t> kinds, ViewFactory make) {
  table_.push_back({std::move(make), nullptr});
  for (uint16_t kind : kinds) rowOfKind_[kind] = table_.size() - 1;
}

ItemView* ItemArea::ViewFor(uint16_t kind) {
  auto row = rowOfKind_.find(kind);
  if (row == rowOfKind_.end()) return nullptr;
  TableRow& entry = table_[row->second];
  if (entry.view) return entry.view.get();
  std::unique_ptr<ItemView> view = entry.make ? entry.make() : nullptr;
  if (!view) return nullptr;
  view->wiring = wiring;
  if (!view->Create(titleSplitter_.Handle())) return nullptr;
  view->ApplyLook(viewLook_);
  entry.view = std::move(view);
  return entry.view.get();
}

void ItemArea::ForEachView(const std::function<void(ItemView&)>& visit) {
  for (TableRow& row : table_)
    if (row.view) visit(*row.view);
}

void ItemArea::PutIntoPane(HWND window, int kind) {
  paneKind_ = kind;
  if (window != paneWindow_) {
    if (paneWindow_) ShowWindow(paneWindow_, SW_HIDE);
    titleSplitter_.SetPanes(titleStrip_.Handle(), window);
    paneWindow_ = window;
    titleSplitter_.Layout();
    ShowWindow(window, SW_SHOW);
  }
  if (onShownChanged) onShownChanged();
}

void ItemArea::ShowItem(std::unique_ptr<ItemSource> source, bool readOnly) {
  ReleaseShown();
  ItemView* view = source ? ViewFor(source->Kind()) : nullptr;
  if (!view) {
    placeholder_.Show(PlaceholderView::Form::NoItem);
    PutIntoPane(placeholder_.Handle(), kViewPlaceholder);
    return;
  }
  shownSource_ = std::move(source);
  readOnly_ = readOnly;
  view->SetReadOnly(readOnly);
  // An item that could not be read whole is kept read-only and never stored
  // over: what the view holds is not what the library holds.
  const bool loaded = view->Load(*shownSource_);
  loadFailed_ = !loaded && !view->LoadProblem().empty();
  if (loadFailed_) view->SetReadOnly(true);
  shown_ = view;
  PutIntoPane(view->Window(), view->Kind());
  TellAboutLoad(*view, shownSource_->Title(), loaded);
}

void ItemArea::TellAboutLoad(const ItemView& view, const std::string& title, bool loaded) {
  const std::string problem = view.LoadProblem();
  if (loadFailed_) {
    prompt_.ShowMessage("\"" + title + "\" could not be shown: " + problem +
                            ".\n\nIt is kept read-only, and it will not be saved over.",
                        "Fail", MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  const std::string remark = view.LoadRemark();
  if (!remark.empty()) prompt_.ShowMessage("\"" + title + "\" " + remark, "Tip", MB_OK | MB_ICONINFORMATION);
  // Told once while the same damaged item is shown again and again (the
  // message box's own loop can bring the same selection back).
  const std::string damage = loaded && !problem.empty() ? title + "\n" + problem : std::string();
  if (!damage.empty() && damage != damagedNoteTold_) {
    damagedNoteTold_ = damage;
    prompt_.ShowMessage("This note is damaged: " + problem +
                            ".\n\nIt is shown as far as it is sound, and it will not be saved over.",
                        "Damaged Note", MB_OK | MB_ICONEXCLAMATION);
  } else if (damage.empty()) {
    damagedNoteTold_.clear();
  }
}

void ItemArea::ShowPlaceholder(PlaceholderView::Form form) {
  ReleaseShown();
  placeholder_.Show(form);
  titleStrip_.SetTitle("");
  PutIntoPane(placeholder_.Handle(), kViewPlaceholder);
}

void ItemArea::ShowNodeList(const std::vector<NodeListView::Row>& rows) {
  ReleaseShown();
  nodeList_.SetRows(rows);
  PutIntoPane(nodeList_.Handle(), kViewNodeList);
}

void ItemArea::BringIn(uint16_t kind) {
  ItemView* view = ViewFor(kind);
  if (!view) return;
  if (view != shown_) {
    // The item of another view is never shown in this one: it is stored and
    // left, and the view comes in empty.
    ReleaseShown();
    view->Clear();
    titleStrip_.SetTitle("");
    shown_ = view;
    PutIntoPane(view->Window(), view->Kind());
  }
  InvalidateRect(view->Window(), nullptr, TRUE);
}

bool ItemArea::StoreShown() {
  if (!shown_ || loadFailed_) return true;
  const bool had = shown_->Modified();
  const bool stored = shown_->Store();
  // What was stored waits in the folder's transaction: Save must commit it.
  if (had && wiring.onStored) wiring.onStored();
  return stored;
}

bool ItemArea::ReleaseShown() {
  const bool stored = StoreShown();
  if (shown_) shown_->Clear();
  shown_ = nullptr;
  shownSource_.reset();
  loadFailed_ = false;
  return stored;
}

void ItemArea::ForgetShown() {
  if (shown_) shown_->Clear();
  shown_ = nullptr;
  shownSource_.reset();
  loadFailed_ = false;
  ShowPlaceholder(PlaceholderView::Form::NoItem);
}

void ItemArea::SetReadOnly(bool readOnly) {
  readOnly_ = readOnly;
  // A view brought in without an item takes no typing: nothing would keep it.
  if (shown_) shown_->SetReadOnly(readOnly || loadFailed_ || !shown_->HasItem());
}

bool ItemArea::ApplyLook(const LibraryLook& look) {
  bool loaded = true;
  LibraryLook change;
  change.textBack = look.textBack;
  for (auto [back, text, keptBack, keptText, changedBack, changedText] :
       {std::tuple{&look.listBack, &look.listText, &viewLook_.listBack, &viewLook_.listText, &change.listBack,
                   &change.listText},
        std::tuple{&look.fileBack, &look.fileText, &viewLook_.fileBack, &viewLook_.fileText, &change.fileBack,
                   &change.fileText}}) {
    if (*back) {
      // A picture that does not load changes nothing.
      if ((*back)->source == Backdrop::Source::Image && !BitmapFileLoads((*back)->imagePath)) {
        loaded = false;
      } else {
        *keptBack = *changedBack = *back;
      }
    }
    if (*text) *keptText = *changedText = *text;
  }
  if (look.textBack) viewLook_.textBack = look.textBack;
  ForEachView([&](ItemView& view) { loaded = view.ApplyLook(change) && loaded; });
  return loaded;
}

void ItemArea::ApplyLayout(const InterfaceLayout& layout) {
  if (layout.titleSplitter == PaneRule::Both) {
    titleSplitter_.SetSinglePane(SplitterPane::None);
  } else {
    titleSplitter_.SetSinglePane(SplitterPane::Second);
    titleSplitter_.SetDefaultActivePane(1);
  }
  titleSplitter_.Layout();
  ForEachView([&](ItemView& view) { view.ApplyLayout(layout); });
}

}  // namespace vellora
