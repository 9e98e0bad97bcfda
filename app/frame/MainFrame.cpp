#include "app/frame/MainFrame.h"

#include <algorithm>

#include <windows.h>
#include <commctrl.h>
#include <windowsx.h>

#include "app/resources/ResourceIds.h"
#include "content/WorkingFolder.h"
#include "platform/Dpi.h"
#include "views/ControlView.h"
#include "views/DataListView.h"
#include "views/FileView.h"
#include "views/TabPagesView.h"
#include "views/TextPane.h"
#include "views/WebView.h"
#include "views/ToolbarLayout.h"

namespace vellora {

using namespace resources;

namespace {

// Timer 1 is the tree drag's expand timer.
constexpr int kClockTimer = 2;

DocumentSetup DocumentSetupOf(const FrameSetup& setup) {
  DocumentSetup docSetup;
  docSetup.registryRoot = setup.registryRoot;
  docSetup.registryKey = setup.registryKey;
  return docSetup;
}

}  // namespace

MainFrame::MainFrame(const TextSource& texts, DiagnosticSink& log, FrameSetup setup)
    : SelectionContentHost(selection_),
      texts_(texts),
      log_(log),
      setup_(std::move(setup)),
      settings_(setup_.registryRoot, setup_.registryKey),
      windowPrompt_(texts),
      prompt_(setup_.prompt ? *setup_.prompt : static_cast<ContentPrompt&>(windowPrompt_)),
      document_(std::make_unique<LibraryDocument>(*this, prompt_, texts_, log_, DocumentSetupOf(setup_))),
      selection_(*document_),
      folders_(selection_),
      tree_(prompt_),
      items_(prompt_),
      lock_(prompt_, texts),
      router_(state_, &log_) {
  selection_.SetObserver(this);
  content_ = std::make_unique<ContentCommands>(*document_, prompt_, *this, texts_);
  search_ = std::make_unique<SearchCommands>(*document_, prompt_, *this);
  passwords_ = std::make_unique<PasswordCommands>(*document_, prompt_, *this, texts_);
  looks_ = std::make_unique<LookCommands>(*document_, prompt_, *this, texts_);
  documentCommands_ = std::make_unique<DocumentCommands>(*document_);
  router_.Register(CommandOwner::Frame, &frameCommands_);
  router_.Register(CommandOwner::Content, content_.get());
  router_.Register(CommandOwner::Search, search_.get());
  router_.Register(CommandOwner::Passwords, passwords_.get());
  router_.Register(CommandOwner::Looks, looks_.get());
  router_.Register(CommandOwner::View, &viewCommands_);
  router_.Register(CommandOwner::Document, documentCommands_.get());
  outbarMessage_ = RegisterWindowMessageA("WM_OUTBAR_NOTIFY");
  if (setup_.trayShell) lock_.SetShell(setup_.trayShell);
}

MainFrame::~MainFrame() {
  // The document writes the recent list and lets the file go before the
  // windows it talks to are gone.
  shuttingDown_ = true;
  document_.reset();
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
  // The first size grows with the DPI, within the screen.
  const int width = std::min(Scaled(900), GetSystemMetrics(SM_CXSCREEN) * 9 / 10);
  const int height = std::min(Scaled(640), GetSystemMetrics(SM_CYSCREEN) * 9 / 10);
  HWND hwnd = Create(nullptr, "Vellora", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, CW_USEDEFAULT, CW_USEDEFAULT,
                     width, height);
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
  // A stored position is the user's, in pixels; the default grows with the DPI.
  mainSplitter_.SetPosition(pos ? static_cast<int>(*pos) : Scaled(static_cast<int>(kDefaultSplitterPos)));
  UpdateWindow(Handle());
}

bool MainFrame::TranslateAccelerator(MSG& msg) { return chrome_.TranslateAccelerator(msg); }

bool MainFrame::PreTranslate(MSG& msg) {
  ItemView* shown = items_.Shown();
  return shown && (msg.hwnd == shown->Window() || IsChild(shown->Window(), msg.hwnd)) && shown->PreTranslate(msg);
}

// ---- creation -----------------------------------------------------------------

bool MainFrame::OnCreate() {
  windowPrompt_.SetOwner(Handle());
  chrome_.Create(Handle());
  CreatePanes();
  recentMenu_.Attach(GetSubMenu(chrome_.Menu(), MENU_POS_FILE), document_->Recent());
  document_->Recent().Load(setup_.registryRoot, setup_.registryKey);
  SetTimer(Handle(), kClockTimer, 1000, nullptr);
  chrome_.UpdateClock();
  lock_.Setup(Handle());
  ApplyLook(BuiltInLook(texts_.TextOr(kTextFontFace, "Tahoma")));
  // The program prints on the system's default printer until another is chosen.
  if (!PrinterSettings::Program().HasPrinter()) PrinterSettings::Program().UseDefaultPrinter();
  LayoutFrame();
  // Last of all, the library the program starts with.
  return document_->ChooseStartupLibrary(setup_.startupPath);
}

void MainFrame::CreatePanes() {
  mainSplitter_.Create(Handle(), SplitterOrientation::Vertical);
  folders_.Create(mainSplitter_.Handle(), IDC_OUTBAR, Handle());
  tree_.Create(folders_.Bar().Handle(), IDC_FAVORITE_TREE);
  tree_.Model().SetFolder(&document_->CurrentFolder());
  ConnectTree();

  resultsSplitter_.Create(mainSplitter_.Handle(), SplitterOrientation::Horizontal);
  items_.Create(resultsSplitter_.Handle());
  items_.NodeList().onOpen = [this](const std::string& title) { OpenNodeListRow(title); };
  items_.onShownChanged = [this] {
    // The document may be going (its last words clear the views).
    if (!document_) return;
    selection_.SetShownViewKind(ShownKind());
    RefreshFrameState();
    ApplyMenuRules();
  };
  CreateViewTable();
  CreateResultsDock();
  mainSplitter_.SetPosition(Scaled(static_cast<int>(kDefaultSplitterPos)));
  ShowPlaceholder(PlaceholderView::Form::NoItem);
}

void MainFrame::CreateViewTable() {
  items_.wiring.trackPopup = [this](HMENU popup, POINT screen) { chrome_.TrackPopup(popup, screen); };
  items_.wiring.onStored = [this] { document_->SetModified(); };
  // The state is the idle pass's, which runs after every message.
  items_.wiring.queryCommand = [this](UINT id) { return QueryCommandUi(id); };
  items_.SetViewFactory({kItemText}, [this] {
    auto pane = std::make_unique<TextPane>(texts_.TextOr(kTextFontFace, "Tahoma"));
    pane->Text().onBackColor = [this](COLORREF color) { looks_->TextBackChosen(color); };
    // Every colour dialog of the window is asked through the one prompt.
    pane->Text().chooseColor = [this](COLORREF& color) { return prompt_.PickColor(color); };
    return pane;
  });
  // The last sort of the program run, and the header's arrows, live as long
  // as the table's data list view.
  auto sortMemory = std::make_shared<SortMemory>();
  auto sortImages = std::make_shared<ImageListHandle>();
  items_.SetViewFactory({kItemDataList}, [this, sortMemory, sortImages] {
    auto view = std::make_unique<DataListView>(prompt_, texts_, *sortMemory);
    sortImages->Reset(ImageList_LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_SORT_ARROWS),
                                           kSortImageSize, 0, kImageMaskColor, IMAGE_BITMAP, LR_CREATEDIBSECTION));
    view->SetSortImages(sortImages->Get(), kSortImageAscending, kSortImageDescending);
    return view;
  });
  items_.SetViewFactory({kItemFileFolder}, [this] { return std::make_unique<FileView>(prompt_, texts_); });
  items_.SetViewFactory({kItemOleControl}, [this] { return std::make_unique<ControlView>(prompt_); });
  // Links and embedded pages share the one web view.
  items_.SetViewFactory({kItemWebLink, kItemWebArchive}, [] { return std::make_unique<WebView>(); });
  // A tab pages item shows its pages in the views of their kinds.
  items_.SetViewFactory({kItemTabPages}, [this] {
    return std::make_unique<TabPagesView>(prompt_, texts_, [this](uint16_t kind) -> ItemView* {
      return kind == kItemTabPages ? nullptr : items_.ViewFor(kind);
    });
  });
  // The text view is there from the start: the layouts and the format strip
  // commands find it before any note is shown.
  items_.ViewFor(kItemText);
}

void MainFrame::LayoutFrame() {
  RECT rest = chrome_.Layout();
  if (mainSplitter_.Handle())
    MoveWindow(mainSplitter_.Handle(), rest.left, rest.top, rest.right - rest.left, rest.bottom - rest.top, TRUE);
}

void MainFrame::ShowPlaceholder(PlaceholderView::Form form) { items_.ShowPlaceholder(form); }

int MainFrame::ShownKind() const {
  const ItemView* shown = items_.Shown();
  return shown ? shown->ActiveView().Kind() : items_.ShownKind();
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

void MainFrame::ApplyMenuRules() {
  for (const PopupRow& row : PopupRows()) {
    HMENU menu = GetSubMenu(chrome_.Menu(), row.menu);
    const bool on = EvaluatePopup(row, state_);
    if (row.position == kWholeMenu) EnableWholeMenu(menu, on);
    else EnableByPosition(menu, row.position, on);
  }
}

// ---- messages -----------------------------------------------------------------------

LRESULT MainFrame::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  // Once the document is gone the frame is being taken apart: what its
  // panes say while their windows go is not acted on.
  if (!document_ && msg != WM_CREATE) return DefaultProc(msg, wParam, lParam);
  if (msg == outbarMessage_ && outbarMessage_) {
    OnOutBarNotify(wParam, lParam);
    return 0;
  }
  if (lock_.OnMessage(msg, wParam, lParam)) return 0;
  switch (msg) {
    case WM_CREATE: return OnCreate() ? 0 : -1;
    case WM_SIZE: LayoutFrame(); return 0;
    case WM_ACTIVATE:
      active_ = LOWORD(wParam) != WA_INACTIVE;
      items_.Title().SetActive(active_);
      break;
    case WM_SETFOCUS:
      // Coming back to the window puts the keyboard in the tree or the view.
      if (tree_.Visible()) SetFocus(tree_.Handle());
      else if (items_.ShownWindow() && IsWindowVisible(items_.ShownWindow())) SetFocus(items_.FocusWindow());
      return 0;
    case WM_CLOSE: OnClose(); return 0;
    case WM_DESTROY: OnDestroy(); return 0;
    case WM_NOTIFY: return OnNotify(reinterpret_cast<NMHDR*>(lParam));
    case WM_TIMER:
      if (wParam == kClockTimer) chrome_.UpdateClock();
      else if (wParam == TreeDrag::kExpandTimer) tree_.OnDragTimer();
      else lock_.OnTimer(wParam);
      return 0;
    case WM_INITMENUPOPUP: OnInitMenuPopup(reinterpret_cast<HMENU>(wParam)); return 0;
    case WM_MENUSELECT:
      chrome_.ShowMenuPrompt(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HMENU>(lParam));
      return 0;
    case WM_COMMAND: OnCommand(LOWORD(wParam), reinterpret_cast<HWND>(lParam)); return 0;
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
      if (!tree_.Dragging()) break;
      tree_.OnDragMouse(Handle(), msg, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    case WM_CAPTURECHANGED:
      if (tree_.Dragging() && reinterpret_cast<HWND>(lParam) != Handle()) tree_.CancelDrag();
      break;
    case WM_CONTEXTMENU: OnContextMenu(reinterpret_cast<HWND>(wParam), POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}); return 0;
    case WM_RELEASE_LIBRARY: return OnReleaseLibrary();
    default: break;
  }
  return DefaultProc(msg, wParam, lParam);
}

LRESULT MainFrame::OnNotify(NMHDR* header) {
  if (!header) return 0;
  if (header->hwndFrom && header->hwndFrom == tree_.Handle()) return tree_.OnNotify(header);
  if (header->code == TTN_GETDISPINFOA) {
    auto* tip = reinterpret_cast<NMTTDISPINFOA*>(header);
    static char text[256];
    text[0] = 0;
    if (LoadStringA(GetModuleHandleA(nullptr), static_cast<UINT>(header->idFrom), text, sizeof text)) {
      char* nl = strchr(text, '\n');
      tip->lpszText = nl ? nl + 1 : text;
    }
    return 0;
  }
  return DefaultProc(WM_NOTIFY, header->idFrom, reinterpret_cast<LPARAM>(header));
}

void MainFrame::OnClose() {
  if (!document_->AskBeforeGivingUp()) return;
  DestroyWindow(Handle());
}

void MainFrame::OnDestroy() {
  shuttingDown_ = true;
  KillTimer(Handle(), kClockTimer);
  lock_.Hide();
  WINDOWPLACEMENT placement = {};
  placement.length = sizeof placement;
  if (GetWindowPlacement(Handle(), &placement)) settings_.WritePlacement(placement);
  settings_.WriteSplitterPos(static_cast<DWORD>(mainSplitter_.Position()));
  tree_.CancelDrag();
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
