// Times printing on the default printer (under the tests, the PDF queue of
// tools/common.sh start_cups): cutting a note of about 1 MB into pages, the
// print preview of that note until its first page is drawn, and printing 100
// pages of it, with the time the pages took in our code apart from the
// printer driver's and the spooler's.
// Usage: PrintBenchmark [megabytes] [--hold]   (--hold: the preview stays up a
// few seconds on its second page, for a screenshot)
#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "tools/BenchmarkTiming.h"
#include "views/PagePrinting.h"
#include "views/dialogs/DialogIds.h"
#include "views/dialogs/PrintPreviewDialog.h"

using namespace vellora;

namespace {

// The provider's page drawing timed apart from the rest of the job.
class TimedPages : public PageProvider {
 public:
  explicit TimedPages(PageProvider& pages) : pages_(pages) {}
  std::string DocumentName() const override { return "Vellora - Print Benchmark"; }
  bool IsValidPage(int index) override { return pages_.IsValidPage(index); }
  int PageCount() override { return pages_.PageCount(); }
  bool PrintPage(int index, HDC dc) override {
    LARGE_INTEGER from = Now();
    bool drawn = pages_.PrintPage(index, dc);
    inPages += Milliseconds(from, Now());
    return drawn;
  }
  double inPages = 0;

 private:
  PageProvider& pages_;
};

void SetText(HWND edit, double megabytes) {
  std::wstring text;
  const size_t want = static_cast<size_t>(megabytes * 1024 * 1024);
  for (int i = 0; text.size() < want; ++i)
    text += L"Line " + std::to_wstring(i) + L" of the note, long enough to be a line of ordinary text.\r";
  SETTEXTEX how = {ST_DEFAULT, 1200};
  SendMessageW(edit, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&how), reinterpret_cast<LPARAM>(text.c_str()));
}

}  // namespace

int main(int argc, char** argv) {
  const double megabytes = argc > 1 ? std::atof(argv[1]) : 1.0;
  const bool hold = argc > 2 && std::string(argv[2]) == "--hold";
  InitCommonControls();
  HMODULE richEdit = LoadLibraryA("RICHED20.DLL");
  PrinterSettings printer;
  if (!printer.UseDefaultPrinter()) {
    std::printf("no default printer (start the tests' queue: tools/common.sh start_cups)\n");
    return 1;
  }
  HWND edit = CreateWindowExA(0, "RichEdit20A", "", WS_POPUP | ES_MULTILINE | ES_AUTOVSCROLL, 0, 0, 600, 400, nullptr,
                              nullptr, GetModuleHandleA(nullptr), nullptr);
  SendMessageA(edit, EM_EXLIMITTEXT, 0, 0x7FFFFFFF);
  SetText(edit, megabytes);
  std::printf("printer: %s; note of %.1f MB\n", printer.PrinterName().c_str(), megabytes);

  {
    RichTextPages pages(edit, printer, "Vellora - Document Print");
    LARGE_INTEGER from = Now();
    const int count = pages.PageCount();
    std::printf("cutting into pages: %d pages in %.0f ms\n", count, Milliseconds(from, Now()));
  }

  {
    RichTextPages pages(edit, printer, "Vellora - Document Print");
    PrintPreviewDialog preview(printer, pages, 0, -1);
    double shownAfter = -1, lastAfter = -1;
    LARGE_INTEGER from = Now();
    std::thread driver([&] {
      HWND dialog = nullptr;
      for (int i = 0; i < 20000 && !dialog; ++i) {
        dialog = FindWindowA(nullptr, "Vellora Print Preview");
        if (!dialog) Sleep(1);
      }
      if (!dialog) return;
      // Once the dialog answers, its first page is drawn and painted.
      SendMessageA(dialog, WM_NULL, 0, 0);
      UpdateWindow(preview.PageWindow());
      shownAfter = preview.PageShown() ? Milliseconds(from, Now()) : -1;
      // The last page: the number of pages is known once "Next" is pressed.
      LARGE_INTEGER next = Now();
      SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_PREVIEW_NEXT, BN_CLICKED), 0);
      lastAfter = Milliseconds(next, Now());
      if (hold) Sleep(8000);
      PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    preview.Run(nullptr);
    driver.join();
    std::printf("preview: first page shown after %.0f ms; \"Next\" with the page count after %.0f ms more\n",
                shownAfter, lastAfter);
  }

  {
    RichTextPages pages(edit, printer, "Vellora - Document Print");
    TimedPages timed(pages);
    const int last = pages.IsValidPage(99) ? 99 : pages.PageCount() - 1;
    LARGE_INTEGER from = Now();
    PrintOutcome outcome = RunPrintJob(printer, timed, 0, last);
    const double total = Milliseconds(from, Now());
    std::printf("printing %d pages: %.0f ms in all, %.0f ms of it drawing the pages (the rest is the printer "
                "driver and the spooler)%s\n",
                last + 1, total, timed.inPages, outcome == PrintOutcome::kPrinted ? "" : " -- FAILED");
  }
  DestroyWindow(edit);
  if (richEdit) FreeLibrary(richEdit);
  return 0;
}
