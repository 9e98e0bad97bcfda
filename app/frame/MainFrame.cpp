#include "app/frame/MainFrame.h"

#include <windows.h>
#include <commctrl.h>
#include <windowsx.h>
#include <richedit.h>
#include <shellapi.h>

#include <ctime>

#include "app/resources/ResourceIds.h"
#include "app/resources/ToolbarLayout.h"
#include "app/frame/SupportAddresses.h"
#include "content/WorkingFolder.h"
#include "platform/CallbackGuard.h"

namespace vellora {

using namespace resources;

namespace {

// Timer 1 is the tree drag's expand timer.
constexpr int kClockTimer = 2;

// One button per command of the layout, separators where it has 0.
void AppendButtons(std::vector<TBBUTTON>& buttons, const ToolbarLayout& layout) {
  for (size_t i = 0; i < layout.count; ++i) {
    TBBUTTON b = {};
    UINT id = layout.buttons[i];
    if (id == kSeparator) {
      b.fsStyle = TBSTYLE_SEP;
    } else {
      b.iBitmap = ButtonImage(layout, i);
      b.idCommand = static_cast<int>(id);
      b.fsState = TBSTATE_ENABLED;
      b.fsStyle = TBSTYLE_BUTTON;
    }
    buttons.push_back(b);
  }
}

int CALLBACK AddFontName(const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM combo) {
  return Guarded("font enumeration", 0, [&] {
    HWND box = reinterpret_cast<HWND>(combo);
    if (font->lfFaceName[0] != '@' &&
        SendMessageA(box, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(font->lfFaceName)) == CB_ERR)
      SendMessageA(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(font->lfFaceName));
    return 1;
  });
}

// The font-name box lists the installed faces.
void FillFontNames(HWND combo) {
  HDC dc = GetDC(nullptr);
  LOGFONTA all = {};
  all.lfCharSet = DEFAULT_CHARSET;
  EnumFontFamiliesExA(dc, &all, AddFontName, reinterpret_cast<LPARAM>(combo), 0);
  ReleaseDC(nullptr, dc);
}
constexpr int kTitleStripHeight = 20;
constexpr int kFormatStripHeight = 22;

}  // namespace

MainFrame::MainFrame(const TextSource& texts, DiagnosticSink& log, FrameSetup setup)
    : texts_(texts),
      log_(log),
      setup_(std::move(setup)),
      settings_(setup_.registryRoot, setup_.registryKey),
      windowPrompt_(texts),
      prompt_(setup_.prompt ? *setup_.prompt : static_cast<ContentPrompt&>(windowPrompt_)) {
  DocumentSetup docSetup;
  docSetup.registryRoot = setup_.registryRoot;
  docSetup.registryKey = setup_.registryKey;
  document_ = std::make_unique<LibraryDocument>(*this, prompt_, texts_, log_, docSetup);
  content_ = std::make_unique<ContentCommands>(*document_, prompt_, *this, texts_);
  search_ = std::make_unique<SearchCommands>(*document_, prompt_, *this);
  passwords_ = std::make_unique<PasswordCommands>(*document_, prompt_, *this, texts_);
  looks_ = std::make_unique<LookCommands>(*document_, prompt_, *this, texts_);
  outbarMessage_ = RegisterWindowMessageA("WM_OUTBAR_NOTIFY");
  taskbarCreated_ = RegisterWindowMessageA("TaskbarCreated");
  if (setup_.trayShell) tray_.SetShell(setup_.trayShell);
}

MainFrame::~MainFrame() {
  // The document writes the recent list and lets the file go before the
  // windows it talks to are gone.
  shuttingDown_ = true;
  document_.reset();
  if (accelerators_) DestroyAcceleratorTable(accelerators_);
}

void MainFrame::RegisterClassInfo(WNDCLASSEXA& wc) const {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDR_MAINFRAME));
  wc.hIconSm = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, 16, 16, 0));
  wc.lpszMenuName = MAKEINTRESOURCEA(IDR_MAINFRAME);
}

bool MainFrame::CreateFrame() {
  accelerators_ = LoadAcceleratorsA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME));
  HWND hwnd = Create(nullptr, "Vellora", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, CW_USEDEFAULT, CW_USEDEFAULT,
                     900, 640);
  return hwnd != nullptr;
}

void MainFrame::RestorePlacement(int showCommand) {
  WINDOWPLACEMENT placement = {};
  if (settings_.ReadPlacement(placement)) {
    SetWindowPlacement(Handle(), &placement);
    if (ShowCommandAfterPlacement(showCommand, placement)) ShowWindow(Handle(), showCommand);
  } else {
    ShowWindow(Handle(), showCommand);
    RECT work, rc;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    GetWindowRect(Handle(), &rc);
    int w = rc.right - rc.left, h = rc.bottom - rc.top;
    SetWindowPos(Handle(), nullptr, work.left + ((work.right - work.left) - w) / 2,
                 work.top + ((work.bottom - work.top) - h) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  }
  std::optional<DWORD> pos = settings_.ReadSplitterPos();
  mainSplitter_.SetPosition(static_cast<int>(pos ? *pos : kDefaultSplitterPos));
  UpdateWindow(Handle());
}

bool MainFrame::TranslateAccelerator(MSG& msg) {
  return accelerators_ && ::TranslateAcceleratorA(Handle(), accelerators_, &msg);
}

// ---- creation -----------------------------------------------------------------

bool MainFrame::OnCreate() {
  windowPrompt_.SetOwner(Handle());
  menu_ = GetMenu(Handle());
  CreateBars();
  CreateStatusBar();
  CreateViews();
  // The menu bar is shown by the command bar from here on, and is ours to destroy.
  SetMenu(Handle(), nullptr);
  menuBar_.Reset(menu_);
  HMENU file = GetSubMenu(menu_, MENU_POS_FILE);
  recentMenu_.Attach(file, document_->Recent());
  document_->Recent().Load(setup_.registryRoot, setup_.registryKey);
  SetTimer(Handle(), kClockTimer, 1000, nullptr);
  UpdateClock();
  CreateProtection();
  CreateLookParts();
  LayoutFrame();
  // Last of all, the library the program starts with.
  return document_->ChooseStartupLibrary(setup_.startupPath);
}

void MainFrame::CreateBars() {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  rebar_ = CreateWindowExA(WS_EX_TOOLWINDOW, REBARCLASSNAMEA, nullptr,
                           WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | RBS_VARHEIGHT |
                               RBS_BANDBORDERS | CCS_NODIVIDER,
                           0, 0, 0, 0, Handle(), nullptr, instance, nullptr);
  commandBar_.Create(rebar_, Handle());
  commandBar_.AttachMenu(menu_);
  // The command bar copies the strip into its own image list.
  BitmapHandle menuImages(LoadBitmapA(instance, MAKEINTRESOURCEA(IDB_MENU_IMAGES)));
  std::vector<std::pair<UINT, int>> images;
  for (size_t i = 0; i < std::size(kMenuImageCommands); ++i)
    images.emplace_back(kMenuImageCommands[i], static_cast<int>(i));
  commandBar_.SetMenuImages(menuImages.Get(), images);

  toolbar_ = CreateWindowExA(0, TOOLBARCLASSNAMEA, nullptr,
                             WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NORESIZE | CCS_NODIVIDER |
                                 CCS_NOPARENTALIGN,
                             0, 0, 0, 0, rebar_, nullptr, instance, nullptr);
  SendMessageA(toolbar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  toolbarImages_.Reset(ImageList_LoadImageA(instance, MAKEINTRESOURCEA(IDB_MAIN_TOOLBAR), 24, 0, RGB(255, 0, 255),
                                        IMAGE_BITMAP, LR_CREATEDIBSECTION));
  SendMessageA(toolbar_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(toolbarImages_.Get()));
  std::vector<TBBUTTON> buttons;
  AppendButtons(buttons, kMainToolbar);
  SendMessageA(toolbar_, TB_ADDBUTTONSA, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
  SendMessageA(toolbar_, TB_AUTOSIZE, 0, 0);

  SIZE menuSize = commandBar_.IdealSize();
  REBARBANDINFOA band = {};
  band.cbSize = REBARBANDINFOA_V6_SIZE;
  band.fMask = RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_STYLE | RBBIM_SIZE | RBBIM_ID;
  band.fStyle = RBBS_GRIPPERALWAYS | RBBS_BREAK;
  band.hwndChild = commandBar_.Handle();
  band.cxMinChild = menuSize.cx;
  band.cyMinChild = menuSize.cy;
  band.cx = 2000;
  band.wID = 1;
  SendMessageA(rebar_, RB_INSERTBANDA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&band));
  DWORD size = static_cast<DWORD>(SendMessageA(toolbar_, TB_GETBUTTONSIZE, 0, 0));
  RECT last = {};
  SendMessageA(toolbar_, TB_GETITEMRECT, buttons.size() - 1, reinterpret_cast<LPARAM>(&last));
  band.hwndChild = toolbar_;
  band.cxMinChild = last.right;
  band.cyMinChild = HIWORD(size);
  band.wID = 2;
  SendMessageA(rebar_, RB_INSERTBANDA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&band));
}

void MainFrame::CreateStatusBar() {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  status_ = CreateWindowExA(0, STATUSCLASSNAMEA, nullptr, WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0,
                            Handle(), reinterpret_cast<HMENU>(ID_VIEW_STATUS_BAR), instance, nullptr);
  char ready[64] = "Ready";
  LoadStringA(instance, IDS_READY, ready, sizeof ready);
  SendMessageA(status_, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(ready));
  clockIcon_.Reset(static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_CLOCK), IMAGE_ICON, 16, 16, 0)));
  smallProgramIcon_.Reset(
      static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, 16, 16, 0)));
}

void MainFrame::CreateViews() {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  mainSplitter_.Create(Handle(), SplitterOrientation::Vertical);
  outbar_.Create(mainSplitter_.Handle(), IDC_OUTBAR);
  outbar_.SetNotifyWindow(Handle());
  largeIcons_.Reset(ImageList_LoadImageA(instance, MAKEINTRESOURCEA(IDB_OUTBAR_LARGE), 32, 0, RGB(255, 0, 255),
                                     IMAGE_BITMAP, LR_CREATEDIBSECTION));
  smallIcons_.Reset(ImageList_LoadImageA(instance, MAKEINTRESOURCEA(IDB_OUTBAR_SMALL), 16, 0, RGB(255, 0, 255),
                                     IMAGE_BITMAP, LR_CREATEDIBSECTION));
  outbar_.SetImageLists(largeIcons_, smallIcons_);

  tree_ = CreateWindowExA(0, WC_TREEVIEWA, nullptr,
                          WS_CHILD | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_EDITLABELS |
                              TVS_SHOWSELALWAYS | TVS_TRACKSELECT,
                          0, 0, 0, 0, outbar_.Handle(), reinterpret_cast<HMENU>(IDC_FAVORITE_TREE), instance, nullptr);
  treeImages_.Reset(ImageList_LoadImageA(instance, MAKEINTRESOURCEA(IDB_TREE), 20, 0, RGB(255, 0, 255),
                                     IMAGE_BITMAP, LR_CREATEDIBSECTION));
  TreeView_SetImageList(tree_, treeImages_, TVSIL_NORMAL);
  treeModel_.Attach(tree_);
  treeModel_.SetFolder(&document_->CurrentFolder());
  SendMessageA(tree_, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);

  titleSplitter_.Create(mainSplitter_.Handle(), SplitterOrientation::Horizontal);
  titleSplitter_.SetDraggable(false);
  titleSplitter_.SetBarWidth(3);
  titleStrip_.Create(titleSplitter_.Handle(), "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, 0);

  textSplitter_.Create(titleSplitter_.Handle(), SplitterOrientation::Horizontal);
  textSplitter_.SetDraggable(false);
  textSplitter_.SetBarWidth(3);
  formatStrip_.Create(textSplitter_.Handle(), "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 0, 0, 0);
  formatBar_ = CreateWindowExA(0, TOOLBARCLASSNAMEA, nullptr,
                               WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NORESIZE | CCS_NODIVIDER |
                                   CCS_NOPARENTALIGN,
                               0, 0, 0, 0, formatStrip_.Handle(), nullptr, instance, nullptr);
  SendMessageA(formatBar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  formatImages_.Reset(ImageList_LoadImageA(instance, MAKEINTRESOURCEA(IDB_FORMAT_TOOLBAR), 16, 0, RGB(255, 0, 255),
                                       IMAGE_BITMAP, LR_CREATEDIBSECTION));
  SendMessageA(formatBar_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(formatImages_.Get()));
  // Room for the two comboboxes first, then the buttons.
  std::vector<TBBUTTON> buttons;
  TBBUTTON sep = {};
  sep.fsStyle = TBSTYLE_SEP;
  sep.iBitmap = kFormatToolbarCombos[0].width + kFormatToolbarCombos[1].width + 8;
  buttons.push_back(sep);
  sep.iBitmap = 6;
  buttons.push_back(sep);
  AppendButtons(buttons, kFormatToolbar);
  SendMessageA(formatBar_, TB_ADDBUTTONSA, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
  HFONT gui = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  fontName_ = CreateWindowExA(0, WC_COMBOBOXA, nullptr, WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWN | CBS_SORT,
                              2, 0, kFormatToolbarCombos[0].width, kFormatToolbarCombos[0].droppedHeight, formatBar_,
                              reinterpret_cast<HMENU>(IDC_FONT_NAME_COMBO), instance, nullptr);
  fontSize_ = CreateWindowExA(0, WC_COMBOBOXA, nullptr, WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWN,
                              6 + kFormatToolbarCombos[0].width, 0, kFormatToolbarCombos[1].width,
                              kFormatToolbarCombos[1].droppedHeight, formatBar_,
                              reinterpret_cast<HMENU>(IDC_FONT_SIZE_COMBO), instance, nullptr);
  SendMessageA(fontName_, WM_SETFONT, reinterpret_cast<WPARAM>(gui), FALSE);
  SendMessageA(fontSize_, WM_SETFONT, reinterpret_cast<WPARAM>(gui), FALSE);
  FillFontNames(fontName_);
  for (int size : kFontSizes) {
    char text[8];
    wsprintfA(text, "%d", size);
    SendMessageA(fontSize_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  }
  std::string face = texts_.TextOr(kTextFontFace, "Tahoma");
  SetWindowTextA(fontName_, face.c_str());

  SendMessageA(formatBar_, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
  for (UINT id : kFormatToolbarDropDowns) {
    TBBUTTONINFOA info = {};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_STYLE;
    info.fsStyle = BTNS_BUTTON | BTNS_DROPDOWN;
    SendMessageA(formatBar_, TB_SETBUTTONINFOA, id, reinterpret_cast<LPARAM>(&info));
  }
  ConnectTextView();
  textView_.Create(textSplitter_.Handle());
  ShowWindow(textView_.Window(), SW_SHOW);
  textSplitter_.SetPanes(formatStrip_.Handle(), textView_.Window());
  textSplitter_.SetPosition(kFormatStripHeight);

  placeholder_.Create(titleSplitter_.Handle(), "No item", WS_CHILD, 0, 0, 0, 0, 0);
  nodeList_.Create(titleSplitter_.Handle(), "", WS_CHILD, 0, 0, 0, 0, 0);
  nodeListImages_.Reset(ImageList_LoadImageA(instance, MAKEINTRESOURCEA(IDB_NODE_LIST), kNodeListImageSize, 0,
                                         kImageMaskColor, IMAGE_BITMAP, LR_CREATEDIBSECTION));
  nodeList_.SetImages(nodeListImages_, kNodeListImageFolder, kNodeListImageLeaf);
  nodeList_.onOpen = [this](const std::string& title) { OpenNodeListRow(title); };

  titleSplitter_.SetPanes(titleStrip_.Handle(), placeholder_.Handle());
  titleSplitter_.SetPosition(kTitleStripHeight);
  CreateResultsDock();
  mainSplitter_.SetPosition(static_cast<int>(kDefaultSplitterPos));
  ShowPlaceholder(PlaceholderView::Form::NoItem);
}

void MainFrame::LayoutFrame() {
  RECT rc;
  GetClientRect(Handle(), &rc);
  int top = 0, bottom = rc.bottom;
  if (rebar_) {
    SendMessageA(rebar_, WM_SIZE, 0, 0);
    RECT rb;
    GetWindowRect(rebar_, &rb);
    top = rb.bottom - rb.top;
  }
  if (status_ && statusShown_) {
    SendMessageA(status_, WM_SIZE, 0, 0);
    RECT sb;
    GetWindowRect(status_, &sb);
    bottom -= sb.bottom - sb.top;
    int width = rc.right;
    int parts[4] = {width - 180 - 60 - 84, width - 60 - 84, width - 84, -1};
    for (int& p : parts)
      if (p != -1 && p < 0) p = 0;
    SendMessageA(status_, SB_SETPARTS, 4, reinterpret_cast<LPARAM>(parts));
    SendMessageA(status_, SB_SETICON, 2, reinterpret_cast<LPARAM>(clockIcon_.Get()));
    SendMessageA(status_, SB_SETICON, 3, reinterpret_cast<LPARAM>(smallProgramIcon_.Get()));
    SendMessageA(status_, SB_SETTEXTA, 3, reinterpret_cast<LPARAM>("Vellora"));
  }
  if (mainSplitter_.Handle())
    MoveWindow(mainSplitter_.Handle(), 0, top, rc.right, bottom - top > 0 ? bottom - top : 0, TRUE);
}

void MainFrame::UpdateClock() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  char text[16];
  wsprintfA(text, "%02i:%02i", now.wHour, now.wMinute);
  if (status_) SendMessageA(status_, SB_SETTEXTA, 2, reinterpret_cast<LPARAM>(text));
}

void MainFrame::ShowItemView(HWND view, int kind) {
  ReleaseShownItem();
  PutIntoPane(view, kind);
}

void MainFrame::PutIntoPane(HWND view, int kind) {
  state_.viewKind = kind;
  if (view != shownView_) {
    if (shownView_) ShowWindow(shownView_, SW_HIDE);
    titleSplitter_.SetPanes(titleStrip_.Handle(), view);
    shownView_ = view;
    titleSplitter_.Layout();
    ShowWindow(view, SW_SHOW);
  }
  ApplyViewMenuRules();
}

ItemView* MainFrame::ViewForKind(uint16_t kind) {
  if (kind == kItemText) return &textView_;
  auto track = [this](HMENU popup, POINT at) { commandBar_.TrackPopup(popup, at.x, at.y, Handle()); };
  auto stored = [this] { document_->SetModified(); };
  if (kind == kItemDataList) {
    if (!dataListView_) {
      auto view = std::make_unique<DataListView>(prompt_, texts_, listSortMemory_);
      view->wiring = {track, stored};
      sortImages_.Reset(ImageList_LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_SORT_ARROWS),
                                             kSortImageSize, 0, kImageMaskColor, IMAGE_BITMAP, LR_CREATEDIBSECTION));
      view->SetSortImages(sortImages_.Get(), kSortImageAscending, kSortImageDescending);
      if (!view->Create(titleSplitter_.Handle())) return nullptr;
      dataListView_ = std::move(view);
    }
    return dataListView_.get();
  }
  if (kind == kItemFileFolder) {
    if (!fileView_) {
      auto view = std::make_unique<FileView>(prompt_, texts_);
      view->wiring = {track, stored};
      if (!view->Create(titleSplitter_.Handle())) return nullptr;
      fileView_ = std::move(view);
    }
    return fileView_.get();
  }
  if (kind == kItemOleControl) {
    if (!controlView_) {
      auto view = std::make_unique<ControlView>(prompt_);
      if (!view->Create(titleSplitter_.Handle())) return nullptr;
      controlView_ = std::move(view);
    }
    return controlView_.get();
  }
  return nullptr;
}

HWND MainFrame::PaneWindowOf(ItemView& view) {
  // The text view sits under its format strip.
  return &view == &textView_ ? textSplitter_.Handle() : view.Window();
}

void MainFrame::ShowItem(std::unique_ptr<ItemSource> source) {
  ReleaseShownItem();
  ItemView* view = source ? ViewForKind(source->Kind()) : nullptr;
  if (!view) {
    PutIntoPane(placeholder_.Handle(), kViewPlaceholder);
    placeholder_.Show(PlaceholderView::Form::NoItem);
    return;
  }
  shownSource_ = std::move(source);
  view->SetReadOnly(ReadOnlyNow());
  ApplyListLook(*view);
  // A note that could not be read whole is kept read-only and never stored
  // over: what the view holds is not what the library holds.
  bool loaded = view->Load(*shownSource_);
  shownLoadFailed_ = view == &textView_ && !loaded;
  if (shownLoadFailed_) view->SetReadOnly(true);
  shownItemView_ = view;
  PutIntoPane(PaneWindowOf(*view), view->Kind());
  if (shownLoadFailed_) {
    prompt_.ShowMessage("\"" + shownSource_->Title() + "\" could not be shown: " + textView_.LoadProblem() +
                            ".\n\nIt is kept read-only, and it will not be saved over.",
                        "Fail", MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  if (view == &textView_ && textView_.ShownUnwrapped())
    prompt_.ShowMessage("\"" + shownSource_->Title() +
                            "\" holds lines too long to wrap in reasonable time, so it is shown without word "
                            "wrap.\n\nThe note itself is not changed.",
                        "Tip", MB_OK | MB_ICONINFORMATION);
  // Told once while the same damaged note is shown again and again (the
  // message box's own loop can bring the same selection back).
  std::string damage = view == &textView_ && !textView_.LoadProblem().empty()
                           ? shownSource_->Title() + "\n" + textView_.LoadProblem()
                           : std::string();
  if (!damage.empty() && damage != damagedNoteTold_) {
    damagedNoteTold_ = damage;
    prompt_.ShowMessage("This note is damaged: " + textView_.LoadProblem() +
                            ".\n\nIt is shown as far as it is sound, and it will not be saved over.",
                        "Damaged Note", MB_OK | MB_ICONEXCLAMATION);
  } else if (damage.empty()) {
    damagedNoteTold_.clear();
  }
}

bool MainFrame::ReleaseShownItem() {
  bool stored = StoreItemView();
  if (shownItemView_) shownItemView_->Clear();
  shownItemView_ = nullptr;
  shownSource_.reset();
  shownLoadFailed_ = false;
  return stored;
}

void MainFrame::ShowPlaceholder(PlaceholderView::Form form) {
  placeholder_.Show(form);
  titleStrip_.SetTitle("");
  ShowItemView(placeholder_.Handle(), kViewPlaceholder);
}

// ---- menu rules -------------------------------------------------------------------

namespace {

void EnableByPosition(HMENU menu, int position, bool enable) {
  if (menu) EnableMenuItem(menu, static_cast<UINT>(position), MF_BYPOSITION | (enable ? MF_ENABLED : MF_GRAYED));
}

void EnableWholeMenu(HMENU menu, bool enable) {
  int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) EnableByPosition(menu, i, enable);
}

}  // namespace

void MainFrame::ApplyFolderMenuRules() {
  HMENU view = GetSubMenu(menu_, MENU_POS_VIEW);
  HMENU content = GetSubMenu(menu_, MENU_POS_CONTENT);
  bool tree = state_.folderKind == 1;
  EnableByPosition(view, VIEW_POS_TREE_VIEW, tree);
  EnableByPosition(view, VIEW_POS_FOLDER, !tree);
  EnableByPosition(content, CONTENT_POS_CATALOG, !tree);
}

void MainFrame::ApplyViewMenuRules() {
  HMENU view = GetSubMenu(menu_, MENU_POS_VIEW);
  int kind = state_.viewKind;
  EnableByPosition(view, VIEW_POS_TEXT_VIEW, kind == kViewText);
  EnableByPosition(view, VIEW_POS_LIST_VIEW, kind == kViewDataList);
  EnableByPosition(view, VIEW_POS_FILE_VIEW, kind == kViewFileFolder);
  EnableWholeMenu(GetSubMenu(menu_, MENU_POS_EDIT), kind == kViewText && !state_.readOnly);
}

// ---- messages -----------------------------------------------------------------------

LRESULT MainFrame::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == outbarMessage_ && outbarMessage_) {
    OnOutBarNotify(wParam, lParam);
    return 0;
  }
  if ((msg == taskbarCreated_ && taskbarCreated_) || msg == TrayIcon::kCallbackMessage) {
    OnTrayMessage(msg, wParam, lParam);
    if (msg == TrayIcon::kCallbackMessage) return 0;
  }
  switch (msg) {
    case WM_CREATE: return OnCreate() ? 0 : -1;
    case WM_SIZE: LayoutFrame(); return 0;
    case WM_ACTIVATE:
      active_ = LOWORD(wParam) != WA_INACTIVE;
      titleStrip_.SetActive(active_);
      break;
    case WM_SETFOCUS:
      // Coming back to the window puts the keyboard in the tree or the view.
      if (tree_ && IsWindowVisible(tree_)) SetFocus(tree_);
      else if (shownView_ && IsWindowVisible(shownView_))
        SetFocus(shownItemView_ ? shownItemView_->FocusWindow() : shownView_);
      return 0;
    case WM_CLOSE: OnClose(); return 0;
    case WM_DESTROY: OnDestroy(); return 0;
    case WM_NOTIFY: return OnNotify(reinterpret_cast<NMHDR*>(lParam));
    case WM_TIMER:
      if (wParam == kClockTimer) UpdateClock();
      else if (wParam == TreeDrag::kExpandTimer) drag_.OnTimer();
      else tray_.OnTimer(wParam);
      return 0;
    case WM_INITMENUPOPUP: OnInitMenuPopup(reinterpret_cast<HMENU>(wParam)); return 0;
    case WM_MENUSELECT: {
      char prompt[256] = "";
      UINT id = LOWORD(wParam);
      if (HIWORD(wParam) == 0xFFFF && lParam == 0) {
        LoadStringA(GetModuleHandleA(nullptr), IDS_READY, prompt, sizeof prompt);
      } else if (!(HIWORD(wParam) & MF_POPUP) && LoadStringA(GetModuleHandleA(nullptr), id, prompt, sizeof prompt)) {
        if (char* nl = strchr(prompt, '\n')) *nl = 0;
      }
      if (status_) SendMessageA(status_, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(prompt));
      return 0;
    }
    case WM_COMMAND:
      if (OnFormatStripCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam))) return 0;
      OnCommand(LOWORD(wParam));
      return 0;
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
      if (!drag_.Active()) break;
      OnDragMouse(msg, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    case WM_CAPTURECHANGED:
      if (drag_.Active() && reinterpret_cast<HWND>(lParam) != Handle()) drag_.Cancel();
      break;
    case WM_CONTEXTMENU: OnContextMenu(reinterpret_cast<HWND>(wParam), POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}); return 0;
    case WM_RELEASE_LIBRARY: return OnReleaseLibrary();
    default: break;
  }
  return DefaultProc(msg, wParam, lParam);
}

void MainFrame::OnClose() {
  if (!document_->AskBeforeGivingUp()) return;
  DestroyWindow(Handle());
}

void MainFrame::OnDestroy() {
  shuttingDown_ = true;
  KillTimer(Handle(), kClockTimer);
  tray_.Hide();
  WINDOWPLACEMENT placement = {};
  placement.length = sizeof placement;
  if (GetWindowPlacement(Handle(), &placement)) settings_.WritePlacement(placement);
  settings_.WriteSplitterPos(static_cast<DWORD>(mainSplitter_.Position()));
  drag_.Cancel();
  // Let the library file go now, so that whoever asked for it can open it.
  document_->Close();
  RemoveWorkingFolder();
  PostQuitMessage(0);
}

LRESULT MainFrame::OnReleaseLibrary() {
  // Answered whatever happens: the collector waits for it.
  document_->Save();
  // The question asked on close finds nothing unsaved and stores the location.
  if (document_->AskBeforeGivingUp()) DestroyWindow(Handle());
  return 1;
}

}  // namespace vellora
