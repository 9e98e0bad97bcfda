// The main window's print commands: Print, Print Preview and Print Setup of
// the view shown. The views give the pages; the frame picks the view, runs
// the dialogs and tells the user what went wrong.
#include <windows.h>

#include "app/frame/MainFrame.h"
#include "app/resources/ResourceIds.h"
#include "views/PagePrinting.h"
#include "views/dialogs/PrintPreviewDialog.h"

namespace vellora {

namespace {

constexpr const char* kNoViewForPrint = "No view for print.";

}  // namespace

bool MainFrame::OnPrintCommand(UINT id) {
  switch (id) {
    case ID_FILE_PRINT: PrintShownView(); return true;
    case ID_FILE_PRINT_PREVIEW: PreviewShownView(); return true;
    case ID_FILE_PRINT_SETUP: SetUpPage(Handle(), PrinterSettings::Program()); return true;
    default: return false;
  }
}

const ItemView* MainFrame::PrintableView() const {
  const ItemView* shown = items_.Shown();
  if (!shown || !shown->HasItem()) return nullptr;
  // A tab pages item prints the page it shows.
  return &shown->ActiveView();
}

void MainFrame::PrintShownView() {
  PrinterSettings& printer = PrinterSettings::Program();
  if (!ChoosePrinter(Handle(), printer)) return;
  const ItemView* view = PrintableView();
  if (view && view->PrintOwn(false)) return;
  std::unique_ptr<PageProvider> pages = view ? view->PrintPages(printer) : nullptr;
  if (!pages) {
    prompt_.ShowMessage(kNoViewForPrint, texts_.TextOr(kTextTipCaption, "Tip"), MB_OK | MB_ICONINFORMATION);
    return;
  }
  const int count = pages->PageCount();
  std::unique_ptr<ProgressReport> progress = prompt_.BeginProgress("Printing");
  ReportPrintOutcome(RunPrintJob(printer, *pages, 0, count - 1, progress.get()));
}

void MainFrame::PreviewShownView() {
  PrinterSettings& printer = PrinterSettings::Program();
  if (!printer.HasPrinter()) {
    SetUpPage(Handle(), printer);
    return;
  }
  const ItemView* view = PrintableView();
  if (view && view->PrintOwn(true)) return;
  std::unique_ptr<PageProvider> pages = view ? view->PrintPages(printer) : nullptr;
  if (!pages) {
    prompt_.ShowMessage(kNoViewForPrint, "Tip", MB_OK | MB_ICONINFORMATION);
    return;
  }
  // A printer taken away since it was chosen shows no pages: say why.
  if (!printer.CreateDc()) {
    ReportPrintOutcome(PrintOutcome::kNoPrinter);
    return;
  }
  PrintPreviewDialog preview(printer, *pages, 0, -1);
  const INT_PTR result = preview.Run(Handle());
  pages.reset();
  if (result == PrintPreviewDialog::kPrint) PrintShownView();
}

void MainFrame::ReportPrintOutcome(PrintOutcome outcome) {
  const std::string printer = PrinterSettings::Program().PrinterName();
  std::string text;
  switch (outcome) {
    case PrintOutcome::kPrinted:
    case PrintOutcome::kCancelled: return;
    case PrintOutcome::kNoPrinter:
      text = printer.empty() ? "There is no printer to print on. Choose one with Print Setup."
                             : "The printer \"" + printer +
                                   "\" cannot be reached: it may have been removed or turned off. Choose a "
                                   "printer with Print Setup.";
      break;
    case PrintOutcome::kNotStarted: text = "The printer \"" + printer + "\" did not take the document."; break;
    case PrintOutcome::kPageFailed:
      text = "A page could not be printed, so the document was taken off the printer \"" + printer + "\".";
      break;
  }
  prompt_.ShowMessage(text, texts_.TextOr(kTextFailCaption, "Fail"), MB_OK | MB_ICONWARNING);
}

}  // namespace vellora
