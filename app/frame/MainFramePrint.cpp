// The main window's print commands: Print, Print Preview and Print Setup of
// the view shown. The views give the pages; the frame picks the view, runs
// the dialogs and tells the user what went wrong.
#include <windows.h>

#include "app/frame/MainFrame.h"
#include "app/resources/ResourceIds.h"
#include "content/BranchNotes.h"
#include "views/BranchPages.h"
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
    case ID_PRINT_BRANCH:
    case ID_PRINT_FOLDER: PrintNotes(id, false); return true;
    case ID_PREVIEW_BRANCH:
    case ID_PREVIEW_FOLDER: PrintNotes(id, true); return true;
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
  const ItemView* view = PrintableView();
  // A browser asks for its printer itself: ours is not asked first, as the
  // browser would not print on the one chosen there.
  if (view && view->PrintsOwn()) {
    if (!view->PrintOwn(false)) ReportOwnPrintRefused(false);
    return;
  }
  PrinterSettings& printer = PrinterSettings::Program();
  if (!ChoosePrinter(Handle(), printer)) return;
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
  if (view && view->PrintsOwn()) {
    if (!view->PrintOwn(true)) ReportOwnPrintRefused(true);
    return;
  }
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

void MainFrame::PrintNotes(UINT id, bool preview) {
  PrinterSettings& printer = PrinterSettings::Program();
  if (preview && !printer.HasPrinter()) {
    SetUpPage(Handle(), printer);
    return;
  }
  BranchNotes notes(document_->CurrentFolder());
  std::string name;
  if (!content_->GatherNotesToPrint(id, notes, name)) return;
  if (!preview) {
    if (ChoosePrinter(Handle(), printer)) RunNotesJob(notes, name);
    return;
  }
  if (!printer.CreateDc()) {
    ReportPrintOutcome(PrintOutcome::kNoPrinter);
    return;
  }
  INT_PTR result = 0;
  {
    BranchPages pages(notes, printer, "Vellora - " + name);
    PrintPreviewDialog dialog(printer, pages, 0, -1);
    result = dialog.Run(Handle());
  }
  if (result == PrintPreviewDialog::kPrint && ChoosePrinter(Handle(), printer)) RunNotesJob(notes, name);
}

void MainFrame::RunNotesJob(const BranchNotes& notes, const std::string& name) {
  PrinterSettings& printer = PrinterSettings::Program();
  BranchPages pages(notes, printer, "Vellora - " + name);
  std::unique_ptr<ProgressReport> progress = prompt_.BeginProgress("Printing " + name);
  // The notes are measured first, which takes a while for many: it can be stopped too.
  while (pages.MeasureMore())
    if (progress && !progress->Step(pages.NotesCounted(), notes.Count())) return;
  const int count = pages.PageCount();
  ReportPrintOutcome(RunPrintJob(printer, pages, 0, count - 1, progress.get()));
}

void MainFrame::ReportOwnPrintRefused(bool preview) {
  prompt_.ShowMessage(preview ? "The web browser could not show this page's print preview."
                              : "The web browser could not print this page.",
                      texts_.TextOr(kTextFailCaption, "Fail"), MB_OK | MB_ICONWARNING);
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
    case PrintOutcome::kNotSent:
      text = "The document could not be handed to the printer \"" + printer +
             "\": it may have been removed or turned off. Nothing was printed; choose a printer with Print Setup.";
      break;
    case PrintOutcome::kPageFailed:
      text = "A page could not be printed, so the document was taken off the printer \"" + printer + "\".";
      break;
  }
  prompt_.ShowMessage(text, texts_.TextOr(kTextFailCaption, "Fail"), MB_OK | MB_ICONWARNING);
}

}  // namespace vellora
