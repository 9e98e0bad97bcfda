#include "views/dialogs/PrintPreviewDialog.h"

#include <cstdio>

#include "platform/GdiHandles.h"
#include "platform/Window.h"
#include "views/dialogs/DialogIds.h"

namespace vellora {

namespace {
constexpr UINT_PTR kMeasureTimer = 1;
constexpr int kBarLeft = 2;
constexpr int kBelowBar = 3;
}  // namespace

// The window the page is drawn in; it takes the drags of a zoomed page.
class PrintPreviewDialog::PagePane : public Window {
 public:
  explicit PagePane(PrintPreviewDialog& owner) : owner_(owner) {}

 protected:
  const char* ClassName() const override { return "VelloraPreviewPage"; }
  void RegisterClassInfo(WNDCLASSEXA& wc) const override {
    wc.hCursor = nullptr;  // set on each WM_SETCURSOR
    wc.hbrBackground = nullptr;
  }
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
    switch (msg) {
      case WM_ERASEBKGND: return 1;
      case WM_PAINT: {
        PaintScope paint(Handle());
        RECT client;
        GetClientRect(Handle(), &client);
        BufferedPaint buffer(paint.DC(), client);
        owner_.Paint(buffer.DC(), client);
        return 0;
      }
      case WM_SETCURSOR:
        if (LOWORD(lParam) != HTCLIENT) break;
        SetCursor(owner_.zoom_.CanPan() ? HandCursor() : LoadCursorA(nullptr, IDC_ARROW));
        return TRUE;
      case WM_LBUTTONDOWN:
        if (!owner_.zoom_.CanPan()) return 0;
        dragging_ = true;
        last_ = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        SetCapture(Handle());
        return 0;
      case WM_MOUSEMOVE: {
        if (!dragging_) return 0;
        POINT now = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        RECT client;
        GetClientRect(Handle(), &client);
        owner_.offset_ = PanPreview(client, owner_.pageSize_, owner_.zoom_.Factor(), owner_.offset_, now.x - last_.x,
                                    now.y - last_.y);
        last_ = now;
        InvalidateRect(Handle(), nullptr, FALSE);
        return 0;
      }
      case WM_LBUTTONUP:
        if (dragging_) ReleaseCapture();
        dragging_ = false;
        return 0;
      case WM_CAPTURECHANGED: dragging_ = false; return 0;
    }
    return DefaultProc(msg, wParam, lParam);
  }

 private:
  static HCURSOR HandCursor() {
    HCURSOR hand = LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDC_PREVIEW_PAN_HAND));
    return hand ? hand : LoadCursorA(nullptr, IDC_HAND);
  }

  PrintPreviewDialog& owner_;
  bool dragging_ = false;
  POINT last_{0, 0};
};

PrintPreviewDialog::PrintPreviewDialog(const PrinterSettings& printer, PageProvider& pages, int first, int last)
    : printer_(printer), pages_(pages), first_(first < 0 ? 0 : first), last_(last), current_(first_) {}

PrintPreviewDialog::~PrintPreviewDialog() = default;

INT_PTR PrintPreviewDialog::Run(HWND owner) { return ModalDialog::Run(owner, IDD_PRINT_PREVIEW); }

HWND PrintPreviewDialog::PageWindow() const { return pane_ ? pane_->Handle() : nullptr; }

bool PrintPreviewDialog::OnInit() {
  pane_ = std::make_unique<PagePane>(*this);
  pane_->Create(Handle(), "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, 0,
                reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_PREVIEW_PAGE)));
  CentreOnOwner();
  Layout();
  Render(current_);
  // The pages after the first are measured while the dialog waits for the user.
  SetTimer(Handle(), kMeasureTimer, 10, nullptr);
  return true;
}

bool PrintPreviewDialog::OnCommand(int id, int code, HWND control) {
  (void)control;
  if (code != BN_CLICKED) return false;
  switch (id) {
    case IDC_PREVIEW_PREV:
      if (current_ > first_ && current_ > 0) GoTo(current_ - 1);
      ShowCaption();
      return true;
    case IDC_PREVIEW_NEXT:
      if (last_ >= 0 ? current_ < last_ : pages_.IsValidPage(current_ + 1)) GoTo(current_ + 1);
      ShowCaption();
      return true;
    case IDC_PREVIEW_ZOOM_IN: Zoom(true); return true;
    case IDC_PREVIEW_ZOOM_OUT: Zoom(false); return true;
    case IDC_PREVIEW_PRINT: End(kPrint); return true;
    default: return false;
  }
}

INT_PTR PrintPreviewDialog::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
  (void)lParam;
  switch (msg) {
    case WM_SIZE:
      Layout();
      handled = true;
      return 0;
    case WM_TIMER:
      if (wParam != kMeasureTimer) break;
      if (!pages_.MeasureMore()) KillTimer(Handle(), kMeasureTimer);
      handled = true;
      return 0;
    case WM_DESTROY: KillTimer(Handle(), kMeasureTimer); break;
  }
  handled = false;
  return 0;
}

void PrintPreviewDialog::GoTo(int page) {
  if (Render(page)) current_ = page;
  if (pane_) InvalidateRect(pane_->Handle(), nullptr, FALSE);
}

int PrintPreviewDialog::LastPage() {
  if (last_ < 0) {
    const int count = pages_.PageCount();
    last_ = count > first_ ? count - 1 : first_;
  }
  return last_;
}

void PrintPreviewDialog::ShowCaption() {
  char caption[96];
  std::snprintf(caption, sizeof caption, "Vellora - Print Preview - %d/%d", current_ + 1, LastPage() + 1);
  SetWindowTextA(Handle(), caption);
}

void PrintPreviewDialog::Zoom(bool in) {
  if (!(in ? zoom_.In() : zoom_.Out())) return;
  offset_ = {0, 0};
  if (pane_) InvalidateRect(pane_->Handle(), nullptr, FALSE);
}

bool PrintPreviewDialog::Render(int page) {
  if (!pages_.IsValidPage(page)) return false;
  const DEVMODEA* mode = pages_.DeviceModeForPage(page);
  PrinterDcHandle printer = printer_.CreateDc(mode);
  if (!printer) return false;
  const int dpiX = GetDeviceCaps(printer, LOGPIXELSX), dpiY = GetDeviceCaps(printer, LOGPIXELSY);
  if (dpiX <= 0 || dpiY <= 0) return false;
  const RECT frame = {0, 0, MulDiv(GetDeviceCaps(printer, PHYSICALWIDTH), 2540, dpiX),
                      MulDiv(GetDeviceCaps(printer, PHYSICALHEIGHT), 2540, dpiY)};
  HDC picture = CreateEnhMetaFileA(printer, nullptr, &frame, nullptr);
  if (!picture) return false;
  // The printer's origin is the corner of its printable area, the picture's the sheet's.
  SetViewportOrgEx(picture, GetDeviceCaps(printer, PHYSICALOFFSETX), GetDeviceCaps(printer, PHYSICALOFFSETY), nullptr);
  pages_.PrePrintPage(page, picture);
  pages_.PrintPage(page, picture);
  pages_.PostPrintPage(page, picture);
  picture_.Reset(CloseEnhMetaFile(picture));
  pageSize_ = {frame.right, frame.bottom};
  return static_cast<bool>(picture_);
}

void PrintPreviewDialog::Layout() {
  HWND bar = Item(IDC_PREVIEW_BAR);
  if (!bar || !pane_) return;
  RECT client, barRect;
  GetClientRect(Handle(), &client);
  GetWindowRect(bar, &barRect);
  MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&barRect), 2);
  const int barHeight = barRect.bottom - barRect.top;
  MoveWindow(bar, kBarLeft, barRect.top, client.right - 2 * kBarLeft, barHeight, TRUE);
  const int top = barRect.top + barHeight + kBelowBar;
  MoveWindow(pane_->Handle(), 0, top, client.right, client.bottom > top ? client.bottom - top : 0, TRUE);
}

void PrintPreviewDialog::Paint(HDC dc, const RECT& client) {
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNSHADOW));
  if (pageSize_.cx <= 0 || pageSize_.cy <= 0) return;
  RECT page = PreviewPageRect(client, pageSize_, zoom_.Factor(), offset_);
  FillRect(dc, &page, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  if (picture_) PlayEnhMetaFile(dc, picture_, &page);
}

}  // namespace vellora
