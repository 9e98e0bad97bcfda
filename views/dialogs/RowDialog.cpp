#include "views/dialogs/RowDialog.h"

#include <algorithm>
#include <utility>

#include "platform/GdiHandles.h"
#include "platform/Window.h"
#include "store/LibraryFormat.h"
#include "views/dialogs/DialogIds.h"

namespace vellora {

namespace {

constexpr int kAnchorGap = 12;  // between the row and the dialog

RECT WorkAreaAt(POINT point) {
  MONITORINFO info = {sizeof info};
  RECT area;
  if (GetMonitorInfoA(MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST), &info)) return info.rcWork;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  return area;
}

}  // namespace

// The labelled edits, in a child window of their own that scrolls them when
// they are more than the dialog can show; the buttons stay below it.
class RowDialog::Lines : public Window {
 public:
  void SetMetrics(int contentHeight, int lineStep) {
    contentHeight_ = contentHeight;
    lineStep_ = lineStep;
    UpdateBar();
  }
  bool Scrolls() const { return scrolls_; }

 protected:
  const char* ClassName() const override { return "VelloraRowLines"; }
  void RegisterClassInfo(WNDCLASSEXA& wc) const override {
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  }
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
    switch (msg) {
      case WM_VSCROLL: OnScroll(LOWORD(wParam)); return 0;
      case WM_MOUSEWHEEL:
        ScrollTo(position_ - (GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA) * 3 * lineStep_);
        return 0;
      case WM_SIZE: UpdateBar(); return 0;
      case WM_COMMAND:
        // Tabbing to an edit out of sight brings it into sight.
        if (HIWORD(wParam) == EN_SETFOCUS) ShowChild(reinterpret_cast<HWND>(lParam));
        return 0;
      default: break;
    }
    return DefaultProc(msg, wParam, lParam);
  }

 private:
  int PageHeight() const {
    RECT rc;
    GetClientRect(Handle(), &rc);
    return rc.bottom;
  }
  void UpdateBar() {
    if (!Handle()) return;
    SCROLLINFO info = {sizeof info};
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = 0;
    info.nMax = contentHeight_ > 0 ? contentHeight_ - 1 : 0;
    info.nPage = static_cast<UINT>(PageHeight());
    info.nPos = position_;
    SetScrollInfo(Handle(), SB_VERT, &info, TRUE);
    scrolls_ = contentHeight_ > PageHeight();
  }
  void OnScroll(int code) {
    SCROLLINFO info = {sizeof info};
    info.fMask = SIF_ALL;
    GetScrollInfo(Handle(), SB_VERT, &info);
    int target = position_;
    switch (code) {
      case SB_LINEUP: target -= lineStep_; break;
      case SB_LINEDOWN: target += lineStep_; break;
      case SB_PAGEUP: target -= PageHeight(); break;
      case SB_PAGEDOWN: target += PageHeight(); break;
      case SB_THUMBTRACK:
      case SB_THUMBPOSITION: target = info.nTrackPos; break;
      case SB_TOP: target = 0; break;
      case SB_BOTTOM: target = contentHeight_; break;
      default: return;
    }
    ScrollTo(target);
  }
  void ScrollTo(int target) {
    int most = std::max(0, contentHeight_ - PageHeight());
    target = std::clamp(target, 0, most);
    if (target == position_) return;
    ScrollWindowEx(Handle(), 0, position_ - target, nullptr, nullptr, nullptr, nullptr,
                   SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
    position_ = target;
    SetScrollPos(Handle(), SB_VERT, position_, TRUE);
  }
  void ShowChild(HWND child) {
    RECT rc;
    if (!child || !GetWindowRect(child, &rc)) return;
    MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&rc), 2);
    if (rc.top < 0) ScrollTo(position_ + rc.top - lineStep_ / 4);
    else if (rc.bottom > PageHeight()) ScrollTo(position_ + rc.bottom - PageHeight() + lineStep_ / 4);
  }

  int contentHeight_ = 0;
  int lineStep_ = 1;
  int position_ = 0;
  bool scrolls_ = false;
};

RowDialog::RowDialog(Mode mode, std::vector<std::string> titles, std::vector<std::string> cells,
                     std::string failCaption, Hooks hooks)
    : mode_(mode),
      titles_(std::move(titles)),
      cells_(std::move(cells)),
      failCaption_(std::move(failCaption)),
      hooks_(std::move(hooks)) {
  cells_.resize(titles_.size());
}

RowDialog::~RowDialog() = default;

bool RowDialog::Show(HWND owner) {
  changed_ = false;
  Run(owner, IDD_LIST_ROW);
  return changed_;
}

bool RowDialog::OnInit() {
  if (mode_ == Mode::Modify) {
    SetWindowTextA(Handle(), "Modify Info Item");
    SetItemText(IDC_ROW_ADD, "&Modify");
  }
  Layout();
  PlaceAtAnchor();
  if (!edits_.empty()) {
    SetFocus(edits_.front());
    SendMessageA(edits_.front(), EM_SETSEL, 0, -1);
  }
  return false;
}

void RowDialog::Layout() {
  HWND dialog = Handle();
  HINSTANCE instance = GetModuleHandleA(nullptr);
  HFONT font = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
  RECT units = {7, 12, 200, 4};  // margin, edit height, edit width, line gap in dialog units
  MapDialogRect(dialog, &units);
  const int margin = units.left, lineHeight = units.top, editWidth = units.right, gap = units.bottom;
  const int lineStep = lineHeight + gap;

  std::vector<std::string> labels;
  int labelWidth = 0;
  {
    ClientDC dc(dialog);
    SelectGuard select(dc.DC(), font);
    for (const std::string& title : titles_) {
      labels.push_back(CutToBytes(title, kLabelBytes) + ":");
      SIZE extent = {};
      GetTextExtentPoint32A(dc.DC(), labels.back().c_str(), static_cast<int>(labels.back().size()), &extent);
      labelWidth = std::max(labelWidth, static_cast<int>(extent.cx));
    }
  }
  labelWidth += 2;

  HWND add = Item(IDC_ROW_ADD), done = Item(IDOK);
  RECT buttonRect;
  GetWindowRect(add, &buttonRect);
  const int buttonWidth = buttonRect.right - buttonRect.left, buttonHeight = buttonRect.bottom - buttonRect.top;

  const int count = static_cast<int>(titles_.size());
  const int contentHeight = count > 0 ? count * lineStep - gap : 0;
  const int scrollWidth = GetSystemMetrics(SM_CXVSCROLL);
  int linesWidth = labelWidth + margin + editWidth;

  // The dialog never grows beyond the screen it opens on: the lines scroll instead.
  POINT at = hooks_.anchor ? hooks_.anchor() : POINT{0, 0};
  RECT work = WorkAreaAt(at);
  DWORD style = static_cast<DWORD>(GetWindowLongA(dialog, GWL_STYLE));
  DWORD exStyle = static_cast<DWORD>(GetWindowLongA(dialog, GWL_EXSTYLE));
  RECT frame = {0, 0, 0, 0};
  AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  const int frameHeight = frame.bottom - frame.top, frameWidth = frame.right - frame.left;
  // Above the lines, between them and the buttons, below the buttons.
  const int fixedHeight = margin + margin + buttonHeight + margin;
  const int mostLines = std::max(lineStep, static_cast<int>(work.bottom - work.top) - frameHeight - fixedHeight);
  const int linesHeight = std::min(contentHeight, mostLines);
  const bool scrolls = contentHeight > linesHeight;
  if (scrolls) linesWidth += scrollWidth;

  const int minimumWidth = 2 * buttonWidth + margin;
  const int clientWidth = margin + std::max(linesWidth, minimumWidth) + margin;
  const int clientHeight = linesHeight + fixedHeight;
  SetWindowPos(dialog, nullptr, 0, 0, clientWidth + frameWidth, clientHeight + frameHeight,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  const int buttonsTop = margin + linesHeight + margin;
  MoveWindow(done, clientWidth - margin - buttonWidth, buttonsTop, buttonWidth, buttonHeight, TRUE);
  MoveWindow(add, clientWidth - margin - 2 * buttonWidth - margin / 2, buttonsTop, buttonWidth, buttonHeight, TRUE);

  lines_ = std::make_unique<Lines>();
  lines_->Create(dialog, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | (scrolls ? WS_VSCROLL : 0),
                 WS_EX_CONTROLPARENT, margin, margin, linesWidth, linesHeight);
  // First in the tab order, before the buttons.
  SetWindowPos(lines_->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  edits_.clear();
  limits_.clear();
  for (int i = 0; i < count; ++i) {
    const int y = i * lineStep;
    HWND label = CreateWindowExA(0, "STATIC", labels[static_cast<size_t>(i)].c_str(),
                                 WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_CENTERIMAGE, 0, y, labelWidth,
                                 lineHeight, lines_->Handle(),
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_ROW_FIRST_LABEL + i)), instance,
                                 nullptr);
    HWND edit = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL,
                                labelWidth + margin, y, editWidth, lineHeight, lines_->Handle(),
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_ROW_FIRST_EDIT + i)), instance,
                                nullptr);
    SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SendMessageA(edit, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    const std::string& cell = cells_[static_cast<size_t>(i)];
    // A longer cell of the row being modified is never cut short by the edit.
    size_t limit = std::max(kCellBytes, cell.size());
    SendMessageA(edit, EM_LIMITTEXT, limit, 0);
    if (mode_ == Mode::Modify) SetWindowTextA(edit, cell.c_str());
    edits_.push_back(edit);
    limits_.push_back(limit);
  }
  lines_->SetMetrics(contentHeight, lineStep);
}

void RowDialog::PlaceAtAnchor() {
  POINT at = hooks_.anchor ? hooks_.anchor() : POINT{0, 0};
  RECT dialog;
  GetWindowRect(Handle(), &dialog);
  const int w = dialog.right - dialog.left, h = dialog.bottom - dialog.top;
  RECT work = WorkAreaAt(at);
  int x = std::clamp(static_cast<int>(at.x), static_cast<int>(work.left), std::max<int>(work.left, work.right - w));
  int y = std::clamp(static_cast<int>(at.y), static_cast<int>(work.top), std::max<int>(work.top, work.bottom - h));
  SetWindowPos(Handle(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

std::vector<std::string> RowDialog::Cells() const {
  std::vector<std::string> cells;
  for (size_t i = 0; i < edits_.size(); ++i) cells.push_back(ControlText(edits_[i], limits_[i] + 1));
  return cells;
}

void RowDialog::Apply() {
  std::vector<std::string> cells = Cells();
  if (cells.empty() || cells.front().empty()) {
    MessageBoxA(Handle(), "Sorry but the first item can not be empty!", failCaption_.c_str(),
                MB_OK | MB_ICONWARNING);
    if (!edits_.empty()) SetFocus(edits_.front());
    return;
  }
  if (mode_ == Mode::Add) {
    if (hooks_.add) hooks_.add(cells);
    changed_ = true;
    // Below the new row, with the texts kept for a similar next row.
    PlaceAtAnchor();
    SetFocus(edits_.front());
    SendMessageA(edits_.front(), EM_SETSEL, 0, -1);
  } else {
    if (hooks_.modify) hooks_.modify(cells);
    changed_ = true;
  }
}

bool RowDialog::OnCommand(int id, int code, HWND) {
  if (id == IDC_ROW_ADD && code == BN_CLICKED) {
    Apply();
    return true;
  }
  return false;
}

}  // namespace vellora
