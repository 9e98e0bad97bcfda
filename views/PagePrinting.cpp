// The printer settings, the page providers and the print job.
#include "views/PagePrinting.h"

#include <commdlg.h>
#include <richedit.h>
#include <winspool.h>

#include <climits>
#include <cstring>

namespace vellora {

BOOL WINAPI detail::ClosePrinterHandle(HANDLE printer) { return ClosePrinter(printer); }

namespace {

constexpr LONG kTwipsPerInch = 1440;

// The bytes a device mode says it has, within what is there.
size_t ModeBytes(const DEVMODEA* mode, size_t available) {
  if (!mode || available < offsetof(DEVMODEA, dmFields)) return 0;
  size_t bytes = static_cast<size_t>(mode->dmSize) + mode->dmDriverExtra;
  return bytes <= available && mode->dmSize >= offsetof(DEVMODEA, dmFields) ? bytes : 0;
}

// The global memory of a dialog, locked while the object lives.
class LockedGlobal {
 public:
  explicit LockedGlobal(HGLOBAL memory) : memory_(memory), data_(memory ? GlobalLock(memory) : nullptr) {}
  ~LockedGlobal() {
    if (data_) GlobalUnlock(memory_);
  }
  LockedGlobal(const LockedGlobal&) = delete;
  LockedGlobal& operator=(const LockedGlobal&) = delete;
  void* Data() const { return data_; }
  size_t Size() const { return data_ ? GlobalSize(memory_) : 0; }

 private:
  HGLOBAL memory_;
  void* data_;
};

HGLOBAL CopyToGlobal(const void* data, size_t bytes) {
  if (!bytes) return nullptr;
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
  if (!memory) return nullptr;
  LockedGlobal lock(memory);
  if (!lock.Data()) {
    GlobalFree(memory);
    return nullptr;
  }
  std::memcpy(lock.Data(), data, bytes);
  return memory;
}

std::string PortOf(HANDLE printer) {
  DWORD needed = 0;
  GetPrinterA(printer, 2, nullptr, 0, &needed);
  if (!needed) return {};
  std::vector<BYTE> buffer(needed);
  if (!GetPrinterA(printer, 2, buffer.data(), needed, &needed)) return {};
  const auto* info = reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data());
  return info->pPortName ? info->pPortName : "";
}

}  // namespace

// ---- printer settings -------------------------------------------------------------

PrinterSettings& PrinterSettings::Program() {
  static PrinterSettings settings;
  return settings;
}

bool PrinterSettings::UseDefaultPrinter() {
  char name[512];
  DWORD size = sizeof name;
  if (!GetDefaultPrinterA(name, &size)) {
    Forget();
    return false;
  }
  return UsePrinter(name);
}

bool PrinterSettings::UsePrinter(const std::string& name, const DEVMODEA* mode, size_t modeBytes) {
  Forget();
  HANDLE opened = nullptr;
  if (name.empty() || !OpenPrinterA(const_cast<char*>(name.c_str()), &opened, nullptr) || !opened) return false;
  printer_.Reset(opened);
  name_ = name;
  if (size_t bytes = ModeBytes(mode, modeBytes)) {
    const auto* first = reinterpret_cast<const BYTE*>(mode);
    mode_.assign(first, first + bytes);
    return true;
  }
  LONG bytes = DocumentPropertiesA(nullptr, printer_.Get(), const_cast<char*>(name_.c_str()), nullptr, nullptr, 0);
  if (bytes >= static_cast<LONG>(sizeof(DEVMODEA))) {
    mode_.assign(static_cast<size_t>(bytes), 0);
    auto* out = reinterpret_cast<DEVMODEA*>(mode_.data());
    if (DocumentPropertiesA(nullptr, printer_.Get(), const_cast<char*>(name_.c_str()), out, nullptr,
                            DM_OUT_BUFFER) != IDOK ||
        !ModeBytes(out, mode_.size()))
      mode_.clear();
  }
  return true;
}

void PrinterSettings::Forget() {
  printer_.Reset();
  name_.clear();
  mode_.clear();
}

const DEVMODEA* PrinterSettings::DeviceMode() const {
  return mode_.empty() ? nullptr : reinterpret_cast<const DEVMODEA*>(mode_.data());
}

PrinterDcHandle PrinterSettings::CreateDc(const DEVMODEA* mode) const {
  if (name_.empty()) return {};
  return PrinterDcHandle(CreateDCA("WINSPOOL", name_.c_str(), nullptr, mode ? mode : DeviceMode()));
}

HGLOBAL PrinterSettings::DeviceModeGlobal() const { return CopyToGlobal(mode_.data(), mode_.size()); }

HGLOBAL PrinterSettings::DeviceNamesGlobal() const {
  if (name_.empty()) return nullptr;
  const std::string driver = "winspool", port = PortOf(printer_.Get());
  std::vector<char> names(sizeof(DEVNAMES));
  auto add = [&names](const std::string& text) {
    WORD offset = static_cast<WORD>(names.size());
    names.insert(names.end(), text.begin(), text.end());
    names.push_back('\0');
    return offset;
  };
  DEVNAMES head = {};
  head.wDriverOffset = add(driver);
  head.wDeviceOffset = add(name_);
  head.wOutputOffset = add(port);
  std::memcpy(names.data(), &head, sizeof head);
  return CopyToGlobal(names.data(), names.size());
}

bool PrinterSettings::TakeDialogChoice(HGLOBAL deviceMode, HGLOBAL deviceNames) {
  std::string name;
  {
    LockedGlobal names(deviceNames);
    const size_t size = names.Size();
    if (size > sizeof(DEVNAMES)) {
      const char* base = static_cast<const char*>(names.Data());
      const auto* head = static_cast<const DEVNAMES*>(names.Data());
      // Never read past the block: the name ends within it or is not taken.
      if (head->wDeviceOffset < size) {
        const char* start = base + head->wDeviceOffset;
        const void* end = std::memchr(start, '\0', size - head->wDeviceOffset);
        if (end) name.assign(start, static_cast<const char*>(end));
      }
    }
  }
  if (name.empty()) name = name_;
  LockedGlobal mode(deviceMode);
  return UsePrinter(name, static_cast<const DEVMODEA*>(mode.Data()), mode.Size());
}

// ---- pages ------------------------------------------------------------------------

PageFrame MeasurePageFrame(HDC printerDc, const PageMargins& margins) {
  PageFrame frame;
  const int dpiX = GetDeviceCaps(printerDc, LOGPIXELSX), dpiY = GetDeviceCaps(printerDc, LOGPIXELSY);
  if (dpiX <= 0 || dpiY <= 0) return frame;
  const int width = GetDeviceCaps(printerDc, PHYSICALWIDTH), height = GetDeviceCaps(printerDc, PHYSICALHEIGHT);
  const int offsetX = GetDeviceCaps(printerDc, PHYSICALOFFSETX), offsetY = GetDeviceCaps(printerDc, PHYSICALOFFSETY);
  // The format range's origin is the corner of the printable area.
  frame.page.left = -MulDiv(offsetX, kTwipsPerInch, dpiX);
  frame.page.top = -MulDiv(offsetY, kTwipsPerInch, dpiY);
  frame.page.right = frame.page.left + MulDiv(width, kTwipsPerInch, dpiX);
  frame.page.bottom = frame.page.top + MulDiv(height, kTwipsPerInch, dpiY);
  frame.print = frame.page;
  frame.print.left += MulDiv(margins.left, kTwipsPerInch, 1000);
  frame.print.top += MulDiv(margins.top, kTwipsPerInch, 1000);
  frame.print.right -= MulDiv(margins.right, kTwipsPerInch, 1000);
  frame.print.bottom -= MulDiv(margins.bottom, kTwipsPerInch, 1000);
  return frame;
}

// The text laid out in lines of the note's default font, for a control that
// cannot measure pages itself (Wine's rich edit answers EM_FORMATRANGE with
// nothing). The text is read once; positions are the control's (a paragraph
// mark is one character).
class RichTextPages::PlainLayout {
 public:
  explicit PlainLayout(HWND edit) {
    GETTEXTLENGTHEX how = {GTL_NUMCHARS | GTL_PRECISE, 1200};
    const LONG length = static_cast<LONG>(SendMessageW(edit, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&how), 0));
    if (length > 0) {
      text_.resize(static_cast<size_t>(length) + 1);
      GETTEXTEX get = {static_cast<DWORD>(text_.size() * sizeof(wchar_t)), GT_DEFAULT, 1200, nullptr, nullptr};
      const LONG got = static_cast<LONG>(
          SendMessageW(edit, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get), reinterpret_cast<LPARAM>(text_.data())));
      text_.resize(got > 0 && got <= length ? static_cast<size_t>(got) : 0);
    }
    for (wchar_t& c : text_)
      if (c == L'\t') c = L' ';
    CHARFORMAT2W format = {};
    format.cbSize = sizeof format;
    SendMessageW(edit, EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
    lstrcpynW(font_.lfFaceName, format.szFaceName, LF_FACESIZE);
    twips_ = (format.dwMask & CFM_SIZE) && format.yHeight > 0 ? format.yHeight : 240;
    font_.lfWeight = (format.dwEffects & CFE_BOLD) ? FW_BOLD : FW_NORMAL;
    font_.lfItalic = (format.dwEffects & CFE_ITALIC) ? TRUE : FALSE;
    font_.lfCharSet = DEFAULT_CHARSET;
  }

  LONG Length() const { return static_cast<LONG>(text_.size()); }

  // Lays out the page that starts at start on dc, drawing it when draw;
  // answers where the next page starts (start when not one line fits).
  LONG Page(HDC dc, const RECT& print, LONG start, bool draw) const {
    const int dpiX = GetDeviceCaps(dc, LOGPIXELSX), dpiY = GetDeviceCaps(dc, LOGPIXELSY);
    if (dpiX <= 0 || dpiY <= 0 || start < 0) return start;
    LOGFONTW font = font_;
    font.lfHeight = -MulDiv(twips_, dpiY, kTwipsPerInch);
    FontHandle made(CreateFontIndirectW(&font));
    SelectGuard select(dc, made);
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    const RECT area = {MulDiv(print.left, dpiX, kTwipsPerInch), MulDiv(print.top, dpiY, kTwipsPerInch),
                       MulDiv(print.right, dpiX, kTwipsPerInch), MulDiv(print.bottom, dpiY, kTwipsPerInch)};
    const int lineHeight = metrics.tmHeight + metrics.tmExternalLeading;
    const int width = area.right - area.left;
    if (lineHeight <= 0 || width <= 0) return start;
    if (draw) {
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, RGB(0, 0, 0));
      SetTextAlign(dc, TA_TOP | TA_LEFT);
    }
    size_t at = static_cast<size_t>(start);
    for (int y = area.top; at < text_.size() && y + lineHeight <= area.bottom; y += lineHeight) {
      size_t end = text_.find(L'\r', at);
      if (end == std::wstring::npos) end = text_.size();
      const size_t count = LineLength(dc, at, end, width);
      if (draw && count) ExtTextOutW(dc, area.left, y, 0, nullptr, &text_[at], static_cast<UINT>(count), nullptr);
      at += count;
      if (at == end) {
        if (end < text_.size()) ++at;  // the paragraph mark
      } else {
        while (at < end && text_[at] == L' ') ++at;  // the spaces the line broke at
      }
    }
    return static_cast<LONG>(at);
  }

 private:
  // How much of the paragraph from at to end goes on one line: up to the
  // last space that fits, or as much as fits of a longer word.
  size_t LineLength(HDC dc, size_t at, size_t end, int width) const {
    const size_t rest = end - at;
    if (rest == 0) return 0;
    const int probe = static_cast<int>(rest < 1024 ? rest : 1024);
    int fit = 0;
    SIZE size;
    if (!GetTextExtentExPointW(dc, &text_[at], probe, width, &fit, nullptr, &size)) return rest;
    if (fit >= probe) return static_cast<size_t>(probe);
    if (fit <= 0) return 1;
    for (size_t i = static_cast<size_t>(fit); i > 0; --i)
      if (text_[at + i] == L' ') return i;
    return static_cast<size_t>(fit);
  }

  std::wstring text_;
  LOGFONTW font_ = {};
  LONG twips_ = 240;
};

RichTextPages::RichTextPages(HWND edit, const PrinterSettings& printer, std::string documentName,
                             const TextPageSpace& space)
    : edit_(edit), name_(std::move(documentName)), dc_(printer.CreateDc()), space_(space) {
  if (dc_) frame_ = MeasurePageFrame(dc_, printer.margins);
  if (edit_) {
    GETTEXTLENGTHEX how = {GTL_NUMCHARS | GTL_PRECISE, 1200};
    length_ = static_cast<LONG>(SendMessageA(edit_, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&how), 0));
  }
  // A page too small for a line would never advance.
  const RECT first = PrintRect(0);
  if (!dc_ || !edit_ || first.right <= first.left || first.bottom <= first.top) done_ = true;
}

RECT RichTextPages::PrintRect(LONG start) const {
  RECT rect = frame_.print;
  if (start == 0) rect.top += space_.firstPageTop;
  rect.bottom -= space_.everyPageBottom;
  return rect;
}

RichTextPages::~RichTextPages() = default;

LONG RichTextPages::MeasureFrom(LONG start) {
  if (plain_) return plain_->Page(dc_, PrintRect(start), start, false);
  FORMATRANGE range = {dc_, dc_, PrintRect(start), frame_.page, {start, -1}};
  const LONG after = static_cast<LONG>(SendMessageA(edit_, EM_FORMATRANGE, FALSE, reinterpret_cast<LPARAM>(&range)));
  if (after <= start && start == 0 && length_ > 0) {
    // The control measured nothing of a text that has something: it cannot.
    plain_ = std::make_unique<PlainLayout>(edit_);
    length_ = plain_->Length();
    return plain_->Page(dc_, PrintRect(start), start, false);
  }
  return after;
}

bool RichTextPages::MeasureUpTo(int pages) {
  bool measured = false;
  while (!done_ && MeasuredPages() <= pages) {
    starts_.push_back(next_);
    const LONG after = MeasureFrom(next_);
    measured = true;
    if (after <= next_) {
      // Nothing fits (or nothing is left): the page is not one.
      starts_.pop_back();
      done_ = true;
    } else {
      next_ = after;
      done_ = after >= length_;
    }
  }
  if (measured && !plain_) SendMessageA(edit_, EM_FORMATRANGE, FALSE, 0);
  return !done_;
}

bool RichTextPages::IsValidPage(int index) {
  if (index < 0) return false;
  MeasureUpTo(index);
  return index < MeasuredPages();
}

int RichTextPages::PageCount() {
  MeasureUpTo(INT_MAX - 1);
  return MeasuredPages();
}

bool RichTextPages::PrintPage(int index, HDC dc) {
  if (!IsValidPage(index)) return false;
  const LONG start = starts_[static_cast<size_t>(index)];
  if (plain_) return plain_->Page(dc, PrintRect(start), start, true) > start;
  // Laid out for the printer the pages were measured on, drawn on dc (the
  // printer's page, or a preview's picture of it).
  FORMATRANGE range = {dc, dc_, PrintRect(start), frame_.page, {start, -1}};
  const LONG after = static_cast<LONG>(SendMessageA(edit_, EM_FORMATRANGE, TRUE, reinterpret_cast<LPARAM>(&range)));
  SendMessageA(edit_, EM_FORMATRANGE, FALSE, 0);
  return after > start;
}

void WindowPageProvider::PrePrintPage(int index, HDC dc) {
  (void)index;
  saved_ = SaveDC(dc);
  int screenX = 96, screenY = 96;
  {
    ClientDC screen(window_);
    if (screen.DC()) {
      screenX = GetDeviceCaps(screen.DC(), LOGPIXELSX);
      screenY = GetDeviceCaps(screen.DC(), LOGPIXELSY);
    }
  }
  const int dpiX = GetDeviceCaps(dc, LOGPIXELSX), dpiY = GetDeviceCaps(dc, LOGPIXELSY);
  if (screenX <= 0 || screenY <= 0 || dpiX <= 0 || dpiY <= 0) return;
  // Screen pixels become the same length on paper; the origin moves to the
  // margins' corner (the context's origin is the printable area's).
  SetMapMode(dc, MM_ANISOTROPIC);
  SetWindowExtEx(dc, screenX, screenY, nullptr);
  SetViewportExtEx(dc, dpiX, dpiY, nullptr);
  const int left = MulDiv(margins_.left, dpiX, 1000) - GetDeviceCaps(dc, PHYSICALOFFSETX);
  const int top = MulDiv(margins_.top, dpiY, 1000) - GetDeviceCaps(dc, PHYSICALOFFSETY);
  OffsetViewportOrgEx(dc, left > 0 ? left : 0, top > 0 ? top : 0, nullptr);
}

bool WindowPageProvider::PrintPage(int index, HDC dc) {
  if (!IsValidPage(index) || !IsWindow(window_)) return false;
  SendMessageA(window_, WM_PRINT, reinterpret_cast<WPARAM>(dc),
               PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND | PRF_CHILDREN);
  return true;
}

void WindowPageProvider::PostPrintPage(int index, HDC dc) {
  (void)index;
  if (saved_) RestoreDC(dc, saved_);
  saved_ = 0;
}

// ---- the job ----------------------------------------------------------------------

PrintOutcome RunPrintJob(const PrinterSettings& printer, PageProvider& pages, int first, int last,
                         ProgressReport* progress) {
  PrinterDcHandle dc = printer.CreateDc();
  if (!dc) return PrintOutcome::kNoPrinter;
  const std::string name = pages.DocumentName();
  DOCINFOA info = {};
  info.cbSize = sizeof info;
  info.lpszDocName = name.c_str();
  if (StartDocA(dc, &info) <= 0) return PrintOutcome::kNotStarted;
  pages.BeginJob(dc);
  PrintOutcome outcome = PrintOutcome::kPrinted;
  const size_t total = last >= first ? static_cast<size_t>(last) - static_cast<size_t>(first) + 1 : 0;
  for (int index = first; index <= last && index >= 0; ++index) {
    if (!pages.IsValidPage(index)) break;
    if (const DEVMODEA* mode = pages.DeviceModeForPage(index)) ResetDCA(dc, mode);
    if (StartPage(dc) <= 0) {
      outcome = PrintOutcome::kPageFailed;
      break;
    }
    pages.PrePrintPage(index, dc);
    bool drawn = pages.PrintPage(index, dc);
    pages.PostPrintPage(index, dc);
    if (EndPage(dc) <= 0) drawn = false;
    if (!drawn) {
      outcome = PrintOutcome::kPageFailed;
      break;
    }
    if (progress && !progress->Step(static_cast<size_t>(index - first) + 1, total)) {
      outcome = PrintOutcome::kCancelled;
      break;
    }
    if (index == INT_MAX) break;
  }
  const bool aborted = outcome != PrintOutcome::kPrinted;
  pages.EndJob(dc, aborted);
  if (aborted) AbortDoc(dc);
  else if (EndDoc(dc) <= 0) outcome = PrintOutcome::kNotSent;
  return outcome;
}

// ---- the dialogs ------------------------------------------------------------------

namespace {

// Frees what a dialog left in its fields, whatever it did with the blocks it was given.
struct DialogBlocks {
  HGLOBAL& mode;
  HGLOBAL& names;
  ~DialogBlocks() {
    if (mode) GlobalFree(mode);
    if (names) GlobalFree(names);
    mode = names = nullptr;
  }
};

}  // namespace

bool ChoosePrinter(HWND owner, PrinterSettings& printer) {
  PRINTDLGA dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.hDevMode = printer.DeviceModeGlobal();
  dialog.hDevNames = printer.DeviceNamesGlobal();
  DialogBlocks blocks{dialog.hDevMode, dialog.hDevNames};
  dialog.Flags = PD_ALLPAGES | PD_NOSELECTION | PD_NOPAGENUMS | PD_USEDEVMODECOPIESANDCOLLATE;
  dialog.nFromPage = dialog.nToPage = 1;
  dialog.nMinPage = dialog.nMaxPage = 1;
  dialog.nCopies = 1;
  if (!PrintDlgA(&dialog)) return false;
  return printer.TakeDialogChoice(dialog.hDevMode, dialog.hDevNames);
}

bool SetUpPage(HWND owner, PrinterSettings& printer) {
  PAGESETUPDLGA dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.hDevMode = printer.DeviceModeGlobal();
  dialog.hDevNames = printer.DeviceNamesGlobal();
  DialogBlocks blocks{dialog.hDevMode, dialog.hDevNames};
  dialog.Flags = PSD_MARGINS | PSD_INTHOUSANDTHSOFINCHES;
  dialog.rtMargin = {printer.margins.left, printer.margins.top, printer.margins.right, printer.margins.bottom};
  if (!PageSetupDlgA(&dialog)) return false;
  if (!printer.TakeDialogChoice(dialog.hDevMode, dialog.hDevNames)) return false;
  printer.margins = {dialog.rtMargin.left, dialog.rtMargin.top, dialog.rtMargin.right, dialog.rtMargin.bottom};
  return true;
}

}  // namespace vellora
