#pragma once
// Printing what a view shows: the program's printer settings, the pages a
// view gives (PageProvider), rich text cut into pages, a window drawn as one
// page, and the print job that runs a provider's pages on the printer. The
// printer and the preview take their pages from the same provider.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "content/ContentPrompt.h"
#include "platform/GdiHandles.h"
#include "platform/OwnedHandle.h"

namespace vellora {

// Margins in thousandths of an inch.
struct PageMargins {
  LONG left = 400;
  LONG top = 400;
  LONG right = 400;
  LONG bottom = 300;
};

namespace detail {
// ClosePrinter (winspool.h stays out of the headers: its macros rename common words).
BOOL WINAPI ClosePrinterHandle(HANDLE printer);
}  // namespace detail
using PrinterHandle = OwnedHandle<HANDLE, detail::ClosePrinterHandle>;
using PrinterDcHandle = MemoryDCHandle;  // DeleteDC releases a printer's context as well

// The printer the program prints on, its device mode and the margins. The
// program keeps one (Program()); it is not saved.
class PrinterSettings {
 public:
  static PrinterSettings& Program();

  // Opens the system's default printer; false when there is none.
  bool UseDefaultPrinter();
  // Opens the printer of that name with mode (null or too short: the
  // printer's own default mode); false when it cannot be opened, which
  // leaves no printer.
  bool UsePrinter(const std::string& name, const DEVMODEA* mode = nullptr, size_t modeBytes = 0);
  void Forget();

  bool HasPrinter() const { return static_cast<bool>(printer_); }
  const std::string& PrinterName() const { return name_; }
  // The current device mode; null when there is none.
  const DEVMODEA* DeviceMode() const;
  // A device context of the printer in the current mode (null: none).
  PrinterDcHandle CreateDc(const DEVMODEA* mode = nullptr) const;

  // The common dialogs' form of the printer: movable global memory that the
  // caller hands to the dialog and frees afterwards.
  HGLOBAL DeviceModeGlobal() const;
  HGLOBAL DeviceNamesGlobal() const;
  // What a dialog chose: its device mode and the printer named in its
  // device names. False when that printer cannot be opened.
  bool TakeDialogChoice(HGLOBAL deviceMode, HGLOBAL deviceNames);

  PageMargins margins;

 private:
  std::string name_;
  std::vector<BYTE> mode_;
  PrinterHandle printer_;
};

// The pages of one view. Page indexes count from 0.
class PageProvider {
 public:
  virtual ~PageProvider() = default;
  // The name the job has in the printer's queue.
  virtual std::string DocumentName() const = 0;
  virtual void BeginJob(HDC dc) { (void)dc; }
  virtual void EndJob(HDC dc, bool aborted) { (void)dc, (void)aborted; }
  virtual bool IsValidPage(int index) = 0;
  // How many pages there are (the text view measures all of them).
  virtual int PageCount() = 0;
  // Measures a few more pages ahead of need; false when there are no more.
  virtual bool MeasureMore() { return false; }
  // A device mode the page asks for (null: the job's).
  virtual const DEVMODEA* DeviceModeForPage(int index) {
    (void)index;
    return nullptr;
  }
  virtual void PrePrintPage(int index, HDC dc) { (void)index, (void)dc; }
  // Draws the page; false aborts the job.
  virtual bool PrintPage(int index, HDC dc) = 0;
  virtual void PostPrintPage(int index, HDC dc) { (void)index, (void)dc; }
};

// A page in twips: the whole sheet (origin at the printable area's corner)
// and the part the text goes into, inside the margins.
struct PageFrame {
  RECT page{};
  RECT print{};
};
// The frame of a page on a printer's context with those margins.
PageFrame MeasurePageFrame(HDC printerDc, const PageMargins& margins);

// A rich edit control's text cut into printed pages: where each page starts,
// found with the control's format range one page at a time and only as far
// as asked, so the first pages of a long note show at once. A control that
// measures nothing (Wine's answers the format range with 0) has its text laid
// out here instead, in lines of its default font.
// Room kept free of text, in twips: above the text of the first page (for a
// heading) and above the bottom margin of every page (for a footer).
struct TextPageSpace {
  LONG firstPageTop = 0;
  LONG everyPageBottom = 0;
};

class RichTextPages : public PageProvider {
 public:
  RichTextPages(HWND edit, const PrinterSettings& printer, std::string documentName, const TextPageSpace& space = {});
  ~RichTextPages() override;

  std::string DocumentName() const override { return name_; }
  bool IsValidPage(int index) override;
  int PageCount() override;
  bool PrintPage(int index, HDC dc) override;
  bool MeasureMore() override { return MeasureUpTo(MeasuredPages() + 9); }

  // Measures pages until there are more than `pages` (or the text ends);
  // false once the text has ended.
  bool MeasureUpTo(int pages);
  bool Measured() const { return done_; }
  int MeasuredPages() const { return static_cast<int>(starts_.size()); }
  const std::vector<LONG>& PageStarts() const { return starts_; }
  const PageFrame& Frame() const { return frame_; }
  // True when the control could not measure pages and the text is laid out here.
  bool LaidOutHere() const { return static_cast<bool>(plain_); }

 private:
  class PlainLayout;
  // Where the page that starts at start ends.
  LONG MeasureFrom(LONG start);
  // The part of the page the text that starts at start goes into.
  RECT PrintRect(LONG start) const;

  HWND edit_;
  std::string name_;
  PrinterDcHandle dc_;  // the printer's context that the pages are measured on
  PageFrame frame_;
  TextPageSpace space_;
  LONG length_ = 0;
  LONG next_ = 0;  // where the page after the last measured one starts
  std::vector<LONG> starts_;
  bool done_ = false;
  std::unique_ptr<PlainLayout> plain_;
};

// One page: the window drawn into the page as it is on screen (the data
// list and the file view), at its size on screen and inside the margins: a
// window drawn in the printer's dots would come out a few times too small
// in the sheet's corner.
class WindowPageProvider : public PageProvider {
 public:
  WindowPageProvider(HWND window, std::string documentName, const PageMargins& margins = {})
      : window_(window), name_(std::move(documentName)), margins_(margins) {}
  std::string DocumentName() const override { return name_; }
  bool IsValidPage(int index) override { return index == 0 && window_; }
  int PageCount() override { return window_ ? 1 : 0; }
  void PrePrintPage(int index, HDC dc) override;
  bool PrintPage(int index, HDC dc) override;
  void PostPrintPage(int index, HDC dc) override;

 private:
  HWND window_;
  std::string name_;
  PageMargins margins_;
  int saved_ = 0;
};

enum class PrintOutcome {
  kPrinted,
  kNoPrinter,   // no printer, or its context could not be made
  kNotStarted,  // the printer refused the document
  kPageFailed,  // a page could not be drawn or ended; the document was aborted
  kNotSent,     // every page was drawn but the spooler refused the finished document (a printer taken away)
  kCancelled,   // the user stopped it; the document was aborted
};

// Prints pages first..last (inclusive; a page that is not valid ends the
// job) of the provider. progress (may be null) is told after each page and
// can stop the job.
PrintOutcome RunPrintJob(const PrinterSettings& printer, PageProvider& pages, int first, int last,
                         ProgressReport* progress = nullptr);

// The system's printer dialog (all pages only) and page setup dialog (with
// margins in thousandths of an inch) on the settings. False when cancelled
// or when the chosen printer could not be opened.
bool ChoosePrinter(HWND owner, PrinterSettings& printer);
bool SetUpPage(HWND owner, PrinterSettings& printer);

}  // namespace vellora
