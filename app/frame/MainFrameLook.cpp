// The main window's looks: each library's colours, background pictures and
// tree font applied to the outlook bar, the tree, the text view and the list
// views; the predefined interface layouts.
#include <windows.h>
#include <commctrl.h>

#include "app/frame/MainFrame.h"
#include "app/resources/ResourceIds.h"
#include "views/ViewLook.h"

namespace vellora {

namespace {

static_assert(kViewDefaultColor == CLR_DEFAULT, "the views read the library's default colour as the system's");

}  // namespace

// ---- commands ---------------------------------------------------------------------------

bool MainFrame::OnLookCommand(UINT id) {
  if (const InterfaceLayout* layout = FindInterfaceLayout(id)) {
    ApplyLayout(*layout);
    return true;
  }
  return false;
}

void MainFrame::ApplyLayout(const InterfaceLayout& layout) {
  auto arrange = [](Splitter& splitter, PaneRule rule) {
    if (rule == PaneRule::Both) {
      splitter.SetSinglePane(SplitterPane::None);
    } else {
      splitter.SetSinglePane(SplitterPane::Second);
      splitter.SetDefaultActivePane(1);
    }
    splitter.Layout();
  };
  arrange(mainSplitter_, layout.mainSplitter);
  items_.ApplyLayout(layout);
  if (layout.toolbar != BandRule::Unchanged) ShowToolbar(layout.toolbar == BandRule::Shown);
  // The text view and the web view are the views of the item kinds 1 and 3.
  if (layout.viewKind) items_.BringIn(layout.viewKind == kItemWebLink ? kItemWebLink : kItemText);
  readOnlyLock_ = layout.readOnly;
  ApplyReadOnly();
}

// ---- applying a look ------------------------------------------------------------------

void MainFrame::ApplyLibraryLook() {
  LibraryLook look = looks_->StoredLook();
  for (std::optional<Backdrop>* back : {&look.outbarBack, &look.treeBack, &look.listBack, &look.fileBack})
    if (*back) **back = Loadable(**back);
  // The tree is empty while a library opens: nothing is drawn twice.
  ApplyLook(look);
}

bool MainFrame::ApplyLook(const LibraryLook& look) {
  bool loaded = tree_.ApplyLook(look);
  OutlookBar& bar = folders_.Bar();
  if (look.outbarBack) {
    if (look.outbarBack->source == Backdrop::Source::Color) bar.SetBackColor(look.outbarBack->color);
    else if (HBITMAP picture = PictureOf(*look.outbarBack)) bar.SetBackgroundImage(picture);
    else loaded = false;
  }
  if (look.outbarText) bar.SetTextColor(*look.outbarText);
  // The views' parts wait for the views made later.
  return items_.ApplyLook(look) && loaded;
}

COLORREF MainFrame::CurrentColor(LookPart part) const {
  const LibraryLook& views = items_.ViewsLook();
  auto listColor = [](const std::optional<COLORREF>& color, int system) {
    if (!color || *color == static_cast<COLORREF>(-1) || *color == CLR_DEFAULT) return GetSysColor(system);
    return *color;
  };
  auto listBack = [](const std::optional<Backdrop>& back) {
    return back && back->source == Backdrop::Source::Color ? back->color : GetSysColor(COLOR_WINDOW);
  };
  switch (part) {
    case LookPart::OutbarText: return folders_.Bar().TextColor();
    case LookPart::OutbarBack: return folders_.Bar().BackColor();
    case LookPart::TreeText: return tree_.TextColor();
    case LookPart::TreeBack: return tree_.BackColor();
    case LookPart::ListText: return listColor(views.listText, COLOR_WINDOWTEXT);
    case LookPart::ListBack: return listBack(views.listBack);
    case LookPart::FileText: return listColor(views.fileText, COLOR_WINDOWTEXT);
    case LookPart::FileBack: return listBack(views.fileBack);
  }
  return 0;
}

LOGFONTA MainFrame::CurrentTreeFont() const { return tree_.Font(); }

}  // namespace vellora
