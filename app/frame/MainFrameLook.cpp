// The main window's looks: each library's colours, background pictures and
// tree font applied to the outlook bar, the tree, the text view and the list
// views; the predefined interface layouts; the rebar's background picture.
#include <windows.h>
#include <commctrl.h>

#include <tuple>

#include "app/frame/MainFrame.h"
#include "app/resources/ResourceIds.h"
#include "controls/ListViewLook.h"

namespace vellora {


namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
static_assert(kViewDefaultColor == CLR_DEFAULT, "the views read the library's default colour as the system's");

HBITMAP LoadBitmapFile(const std::string& path) {
  if (path.empty()) return nullptr;
  return static_cast<HBITMAP>(
      LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
}

bool BitmapFileLoads(const std::string& path) {
  BitmapHandle bitmap(LoadBitmapFile(path));
  return static_cast<bool>(bitmap);
}

HBITMAP DefaultBackground() { return LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_VIEW_BACKGROUND)); }

// The picture of a backdrop: the file's, or bitmap 239; null for a colour or
// a file that does not load.
HBITMAP PictureOf(const Backdrop& back) {
  switch (back.source) {
    case Backdrop::Source::Default: return DefaultBackground();
    case Backdrop::Source::Image: return LoadBitmapFile(back.imagePath);
    case Backdrop::Source::Color: break;
  }
  return nullptr;
}

COLORREF Resolved(COLORREF color, int systemColor) {
  return color == static_cast<COLORREF>(-1) || color == CLR_DEFAULT ? GetSysColor(systemColor) : color;
}

bool IsListControl(HWND window) {
  char name[32] = "";
  return window && GetClassNameA(window, name, sizeof name) && lstrcmpiA(name, WC_LISTVIEWA) == 0;
}

// The picture of a backdrop that a library stores may be gone: the built-in
// one stands in, without a word.
Backdrop Loadable(const Backdrop& back) {
  if (back.source == Backdrop::Source::Image && !BitmapFileLoads(back.imagePath)) return Backdrop{};
  return back;
}

}  // namespace

void MainFrame::CreateLookParts() {
  treeBackdrop_.Attach(tree_);
  textView_.onBackColor = [this](COLORREF color) { looks_->TextBackChosen(color); };
  // Every colour dialog of the window is asked through the one prompt.
  textView_.chooseColor = [this](COLORREF& color) { return prompt_.PickColor(color); };

  // The rebar's picture comes from beside the program, when there is one.
  char program[MAX_PATH] = "";
  DWORD length = GetModuleFileNameA(nullptr, program, MAX_PATH);
  std::string folder(program, length);
  folder = folder.substr(0, folder.find_last_of('\\'));
  rebarBack_.Reset(LoadBitmapFile(folder + "\\ToolBk.bmp"));
  if (rebarBack_ && rebar_) {
    const int bands = static_cast<int>(SendMessageA(rebar_, RB_GETBANDCOUNT, 0, 0));
    for (int i = 0; i < bands; ++i) {
      REBARBANDINFOA band = {};
      band.cbSize = REBARBANDINFOA_V6_SIZE;
      band.fMask = RBBIM_STYLE;
      SendMessageA(rebar_, RB_GETBANDINFOA, i, reinterpret_cast<LPARAM>(&band));
      band.fMask = RBBIM_STYLE | RBBIM_BACKGROUND;
      band.fStyle |= RBBS_FIXEDBMP;
      band.hbmBack = rebarBack_;
      SendMessageA(rebar_, RB_SETBANDINFOA, i, reinterpret_cast<LPARAM>(&band));
    }
  }
  ApplyLook(BuiltInLook(texts_.TextOr(kTextFontFace, "Tahoma")));
}

// ---- commands ---------------------------------------------------------------------------

bool MainFrame::OnLookCommand(UINT id) {
  if (const InterfaceLayout* layout = FindInterfaceLayout(id)) {
    ApplyLayout(*layout);
    return true;
  }
  return looks_->Handle(id);
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
  arrange(titleSplitter_, layout.titleSplitter);
  arrange(textSplitter_, layout.textSplitter);
  if (layout.toolbar != BandRule::Unchanged) ShowToolbar(layout.toolbar == BandRule::Shown);
  if (layout.viewKind) BringInView(layout.viewKind);
  readOnlyLock_ = layout.readOnly;
  ApplyReadOnly();
}

void MainFrame::BringInView(int viewKind) {
  // The text view and the web view are the views of the item kinds 1 and 3.
  ItemView* view = ViewForKind(viewKind == kViewWeb ? kItemWebLink : kItemText);
  if (!view) return;
  if (view != shownItemView_) {
    // The item of another view is never shown in this one: it is stored and
    // left, and the view comes in empty.
    ReleaseShownItem();
    view->Clear();
    titleStrip_.SetTitle("");
    shownItemView_ = view;
    PutIntoPane(PaneWindowOf(*view), view->Kind());
  }
  InvalidateRect(PaneWindowOf(*view), nullptr, TRUE);
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
  bool loaded = true;
  if (look.treeBack) {
    if (look.treeBack->source == Backdrop::Source::Color) {
      treeBackdrop_.SetBitmap(nullptr);
      TreeView_SetBkColor(tree_, look.treeBack->color);
    } else if (HBITMAP picture = PictureOf(*look.treeBack)) {
      TreeView_SetBkColor(tree_, kWhite);
      treeBackdrop_.SetBitmap(picture);
    } else {
      loaded = false;
    }
  }
  if (look.treeText) TreeView_SetTextColor(tree_, *look.treeText);
  if (look.treeFont) {
    FontHandle font(CreateFontIndirectA(&*look.treeFont));
    if (font) {
      SendMessageA(tree_, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
      treeFont_ = std::move(font);  // the one the tree had before goes now
      treeFontShown_ = *look.treeFont;
    }
  }
  if (look.outbarBack) {
    if (look.outbarBack->source == Backdrop::Source::Color) outbar_.SetBackColor(look.outbarBack->color);
    else if (HBITMAP picture = PictureOf(*look.outbarBack)) outbar_.SetBackgroundImage(picture);
    else loaded = false;
  }
  if (look.outbarText) outbar_.SetTextColor(*look.outbarText);
  if (look.textBack) textView_.SetBackColor(*look.textBack);

  // The list views' parts wait for their views.
  bool listsChanged = false;
  for (auto [back, text, keptBack, keptText] :
       {std::tuple{&look.listBack, &look.listText, &listLook_.listBack, &listLook_.listText},
        std::tuple{&look.fileBack, &look.fileText, &listLook_.fileBack, &listLook_.fileText}}) {
    if (*back) {
      if ((*back)->source == Backdrop::Source::Image && !BitmapFileLoads((*back)->imagePath)) {
        loaded = false;
      } else {
        *keptBack = *back;
        listsChanged = true;
      }
    }
    if (*text) {
      *keptText = *text;
      listsChanged = true;
    }
  }
  if (listsChanged) {
    ++listLookVersion_;
    if (shownItemView_) ApplyListLook(*shownItemView_);
  }
  return loaded;
}

void MainFrame::ApplyListLook(ItemView& view) {
  const bool dataList = view.Kind() == kViewDataList;
  if (!dataList && view.Kind() != kViewFileFolder) return;
  HWND list = view.FocusWindow();
  if (!IsListControl(list)) return;
  // Given once for each change of the look, not on every item shown.
  auto [applied, first] = listLookApplied_.try_emplace(&view, listLookVersion_);
  if (!first && applied->second == listLookVersion_) return;
  applied->second = listLookVersion_;
  const std::optional<Backdrop>& back = dataList ? listLook_.listBack : listLook_.fileBack;
  const std::optional<COLORREF>& text = dataList ? listLook_.listText : listLook_.fileText;
  if (back) {
    std::unique_ptr<ViewBackdrop>& backdrop = listBackdrops_[&view];
    if (!backdrop) {
      backdrop = std::make_unique<ViewBackdrop>();
      backdrop->Attach(list);
    }
    HBITMAP picture = back->source == Backdrop::Source::Image ? LoadBitmapFile(back->imagePath) : nullptr;
    // A picture shows through the list's own colour; without one that colour shows.
    SetListBackColor(list, picture ? kWhite : back->source == Backdrop::Source::Color ? back->color : CLR_DEFAULT);
    backdrop->SetBitmap(picture);
  }
  if (text) SetListTextColor(list, *text);
}

COLORREF MainFrame::CurrentColor(LookPart part) const {
  auto listColor = [](const std::optional<COLORREF>& color, int system) {
    return color ? Resolved(*color, system) : GetSysColor(system);
  };
  auto listBack = [](const std::optional<Backdrop>& back) {
    return back && back->source == Backdrop::Source::Color ? back->color : GetSysColor(COLOR_WINDOW);
  };
  switch (part) {
    case LookPart::OutbarText: return outbar_.TextColor();
    case LookPart::OutbarBack: return outbar_.BackColor();
    case LookPart::TreeText: return Resolved(TreeView_GetTextColor(tree_), COLOR_WINDOWTEXT);
    case LookPart::TreeBack: return Resolved(TreeView_GetBkColor(tree_), COLOR_WINDOW);
    case LookPart::ListText: return listColor(listLook_.listText, COLOR_WINDOWTEXT);
    case LookPart::ListBack: return listBack(listLook_.listBack);
    case LookPart::FileText: return listColor(listLook_.fileText, COLOR_WINDOWTEXT);
    case LookPart::FileBack: return listBack(listLook_.fileBack);
  }
  return 0;
}

LOGFONTA MainFrame::CurrentTreeFont() const {
  if (treeFontShown_.lfFaceName[0]) return treeFontShown_;
  LOGFONTA font = {};
  auto shown = reinterpret_cast<HFONT>(SendMessageA(tree_, WM_GETFONT, 0, 0));
  GetObjectA(shown ? static_cast<HGDIOBJ>(shown) : GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
  return font;
}

}  // namespace vellora
