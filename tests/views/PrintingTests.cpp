// Printing on the tests' own print queue (tools/common.sh start_cups): the
// page frame in twips, a note cut into pages, the preview dialog driven as a
// user would, and the jobs whose PDF files tests/views/expect_printed_pages.sh
// looks at.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/TestSupport.h"
#include "tests/views/DialogDriver.h"
#include "tests/views/TextViewRig.h"
#include "views/PagePrinting.h"
#include "views/dialogs/DialogIds.h"
#include "views/dialogs/PreviewLayout.h"
#include "views/dialogs/PrintPreviewDialog.h"

using namespace vellora;

namespace {

// ---- the preview's arithmetic -----------------------------------------------------

TEST(PreviewArithmetic, ZoomStepsStopAtTheirEnds) {
  struct Case {
    bool in;
    int steps;
    double reached;
  };
  for (Case c : {Case{true, 16, 18.4884}, Case{false, 9, 0.19381}}) {
    PreviewZoom zoom;
    for (int i = 0; i < c.steps; ++i) ASSERT_TRUE(c.in ? zoom.In() : zoom.Out()) << i;
    EXPECT_NEAR(zoom.Factor(), c.reached, 1e-3);
    EXPECT_FALSE(c.in ? zoom.In() : zoom.Out());
    EXPECT_NEAR(zoom.Factor(), c.reached, 1e-3);
    EXPECT_EQ(zoom.CanPan(), c.in);
  }
}

TEST(PreviewArithmetic, ThePageKeepsItsProportionsInsideTheMarginAndGrowsAroundItsCentre) {
  const RECT client = {0, 0, 420, 620};
  const SIZE a4 = {21000, 29700};
  RECT fit = PreviewPageRect(client, a4, 1.0, {0, 0});
  EXPECT_EQ(fit.left, 10);
  EXPECT_EQ(fit.right, 410);
  EXPECT_NEAR(static_cast<double>(fit.bottom - fit.top) / (fit.right - fit.left), 29700.0 / 21000, 0.01);
  EXPECT_EQ(fit.top + fit.bottom, 620);  // centred
  RECT zoomed = PreviewPageRect(client, a4, 2.0, {7, -5});
  EXPECT_EQ(zoomed.right - zoomed.left, 800);
  EXPECT_EQ(zoomed.left + zoomed.right, 420 + 14);
  EXPECT_EQ(zoomed.top + zoomed.bottom, 620 - 10);
  // A wide page is fitted to the height instead.
  RECT wide = PreviewPageRect(client, {29700, 21000}, 1.0, {0, 0});
  EXPECT_EQ(wide.left, 10);
  EXPECT_LT(wide.bottom - wide.top, 600);
}

TEST(PreviewArithmetic, ADragIsTakenWhileThePageEdgeItLeavesStaysNearTheWindowEdge) {
  const RECT client = {0, 0, 420, 620};
  const SIZE a4 = {21000, 29700};
  // At zoom 2 the page spans -190..610 across and about -254..874 down.
  struct Case {
    int dx, dy;
    POINT expected;
  };
  const Case cases[] = {
      {10, 0, {10, 0}},      // the left edge stays outside: taken
      {300, 0, {0, 0}},      // it would come 110 pixels in: refused
      {-10, 0, {-10, 0}},    {-300, 0, {0, 0}},
      {0, 250, {0, 250}},    {0, 320, {0, 0}},
      {0, -250, {0, -250}},  {0, -320, {0, 0}},
      {300, -10, {0, -10}},  // each direction on its own
  };
  for (const Case& c : cases) {
    POINT got = PanPreview(client, a4, 2.0, {0, 0}, c.dx, c.dy);
    EXPECT_EQ(got.x, c.expected.x) << c.dx << "," << c.dy;
    EXPECT_EQ(got.y, c.expected.y) << c.dx << "," << c.dy;
  }
}

// ---- on the queue -----------------------------------------------------------------

// The default printer of the test prefix: the tests' queue.
class PrintQueue : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(printer_.UseDefaultPrinter()) << "no printer: the tests' print queue is not running";
  }
  // A note of `pages` pages on this printer: as many short lines as fill
  // two and a half (for 3) pages, measured first.
  std::wstring NoteOfPages(vtest::TextViewRig& rig, int pages) {
    std::wstring lines;
    for (int i = 0; i < 400; ++i) lines += L"line of the note\r";
    rig.SetText(lines);
    auto probe = rig.view.PrintPages(printer_);
    auto* text = static_cast<RichTextPages*>(probe.get());
    EXPECT_TRUE(text->IsValidPage(1));
    const LONG perPage = text->PageStarts().size() > 1 ? text->PageStarts()[1] / 17 : 1;
    std::wstring note;
    for (LONG i = 0; i < perPage * (pages - 1) + perPage / 2; ++i) note += L"line of the note\r";
    return note;
  }
  PrinterSettings printer_;
};

TEST_F(PrintQueue, MarginsTakeTheirTwipsOffThePage) {
  PrinterDcHandle dc = printer_.CreateDc();
  ASSERT_TRUE(dc);
  struct Case {
    PageMargins margins;
    LONG left, top, right, bottom;
  };
  for (const Case& c : {Case{PageMargins{}, 576, 576, 576, 432}, Case{PageMargins{1000, 0, 250, 2000}, 1440, 0, 360, 2880}}) {
    PageFrame frame = MeasurePageFrame(dc, c.margins);
    EXPECT_EQ(frame.print.left - frame.page.left, c.left);
    EXPECT_EQ(frame.print.top - frame.page.top, c.top);
    EXPECT_EQ(frame.page.right - frame.print.right, c.right);
    EXPECT_EQ(frame.page.bottom - frame.print.bottom, c.bottom);
  }
  // The sheet is the printer's paper, its origin the printable area's corner.
  PageFrame frame = MeasurePageFrame(dc, {});
  EXPECT_LE(frame.page.left, 0);
  EXPECT_GT(frame.page.right - frame.page.left, 8 * 1440);
}

TEST_F(PrintQueue, ANoteIsCutIntoPagesThatFollowOneAnother) {
  vtest::TextViewRig rig;
  rig.SetText(NoteOfPages(rig, 3));
  auto pages = rig.view.PrintPages(printer_);
  ASSERT_TRUE(pages);
  EXPECT_EQ(pages->DocumentName(), "Vellora - Document Print");
  EXPECT_EQ(pages->PageCount(), 3);
  auto* text = static_cast<RichTextPages*>(pages.get());
  ASSERT_EQ(text->PageStarts().size(), 3u);
  EXPECT_EQ(text->PageStarts()[0], 0);
  EXPECT_LT(text->PageStarts()[1], text->PageStarts()[2]);
  EXPECT_FALSE(pages->IsValidPage(3));
  // Measured only as far as asked: page 0 alone needs one page.
  auto lazy = rig.view.PrintPages(printer_);
  auto* lazyText = static_cast<RichTextPages*>(lazy.get());
  EXPECT_TRUE(lazy->IsValidPage(0));
  EXPECT_EQ(lazyText->MeasuredPages(), 1);
  // An empty note has no pages; without a printer there are none either.
  rig.SetText(L"");
  EXPECT_EQ(rig.view.PrintPages(printer_)->PageCount(), 0);
  rig.SetText(L"text");
  PrinterSettings none;
  EXPECT_EQ(rig.view.PrintPages(none)->PageCount(), 0);
}

// What the driver thread reads of the dialog: its caption after a click.
std::string ClickAndRead(HWND dialog, int id) {
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
  char caption[128] = "";
  GetWindowTextA(dialog, caption, sizeof caption);
  return caption;
}

TEST_F(PrintQueue, ThePreviewPagesZoomsAndOnlyDragsAZoomedPage) {
  vtest::TextViewRig rig;
  rig.SetText(NoteOfPages(rig, 3));
  auto pages = rig.view.PrintPages(printer_);
  PrintPreviewDialog preview(printer_, *pages, 0, -1);
  std::vector<std::string> captions;
  double zoomBefore = 0, zoomed = 0, zoomedOut = 0;
  POINT stillAtOne{1, 1}, dragged{0, 0};
  HCURSOR cursorAtOne = nullptr, cursorZoomed = nullptr;
  bool shown = false;
  vtest::DialogDriver driver([&] {
    HWND dialog = vtest::WaitForDialog("Vellora Print Preview");
    if (!dialog) return;
    shown = preview.PageShown();
    HWND page = preview.PageWindow();
    for (int id : {IDC_PREVIEW_PREV, IDC_PREVIEW_NEXT, IDC_PREVIEW_NEXT, IDC_PREVIEW_NEXT, IDC_PREVIEW_PREV,
                   IDC_PREVIEW_PREV, IDC_PREVIEW_PREV})
      captions.push_back(ClickAndRead(dialog, id));
    auto drag = [&] {
      SendMessageA(page, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 100));
      SendMessageA(page, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(110, 105));
      SendMessageA(page, WM_LBUTTONUP, 0, MAKELPARAM(110, 105));
    };
    // With the dialog's input state shared, its SetCursor is seen here.
    AttachThreadInput(GetCurrentThreadId(), GetWindowThreadProcessId(dialog, nullptr), TRUE);
    auto cursor = [&] {
      SendMessageA(page, WM_SETCURSOR, reinterpret_cast<WPARAM>(page), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
      return GetCursor();
    };
    zoomBefore = preview.ZoomFactor();
    cursorAtOne = cursor();
    drag();
    stillAtOne = preview.PanOffset();
    for (int i = 0; i < 20; ++i) ClickAndRead(dialog, IDC_PREVIEW_ZOOM_IN);
    zoomed = preview.ZoomFactor();
    cursorZoomed = cursor();
    drag();
    dragged = preview.PanOffset();
    for (int i = 0; i < 40; ++i) ClickAndRead(dialog, IDC_PREVIEW_ZOOM_OUT);
    zoomedOut = preview.ZoomFactor();
    AttachThreadInput(GetCurrentThreadId(), GetWindowThreadProcessId(dialog, nullptr), FALSE);
    vtest::Click(dialog, IDOK);
  });
  EXPECT_EQ(preview.Run(nullptr), PrintPreviewDialog::kClosed);
  EXPECT_TRUE(shown);
  const std::vector<std::string> expected = {
      "Vellora - Print Preview - 1/3", "Vellora - Print Preview - 2/3", "Vellora - Print Preview - 3/3",
      "Vellora - Print Preview - 3/3", "Vellora - Print Preview - 2/3", "Vellora - Print Preview - 1/3",
      "Vellora - Print Preview - 1/3"};
  EXPECT_EQ(captions, expected);
  EXPECT_DOUBLE_EQ(zoomBefore, 1.0);
  EXPECT_EQ(stillAtOne.x, 0);
  EXPECT_EQ(stillAtOne.y, 0);
  EXPECT_NEAR(zoomed, 18.4884, 1e-3);
  EXPECT_EQ(dragged.x, 10);
  EXPECT_EQ(dragged.y, 5);
  EXPECT_NEAR(zoomedOut, 0.19381, 1e-3);
  EXPECT_EQ(cursorAtOne, LoadCursorA(nullptr, IDC_ARROW));
  EXPECT_EQ(cursorZoomed, LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDC_PREVIEW_PAN_HAND)));
}

TEST_F(PrintQueue, ThePreviewAnswersHowItWasClosed) {
  vtest::TextViewRig rig;
  rig.SetText(L"one line");
  struct Case {
    int button;  // 0: the close box
    INT_PTR result;
  };
  for (Case c : {Case{IDOK, PrintPreviewDialog::kClosed}, Case{0, PrintPreviewDialog::kClosedByBox},
                 Case{IDC_PREVIEW_PRINT, PrintPreviewDialog::kPrint}}) {
    auto pages = rig.view.PrintPages(printer_);
    PrintPreviewDialog preview(printer_, *pages, 0, -1);
    vtest::DialogDriver driver([&] {
      HWND dialog = vtest::WaitForDialog("Vellora Print Preview");
      if (!dialog) return;
      if (c.button) vtest::Click(dialog, c.button);
      else PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_EQ(preview.Run(nullptr), c.result) << c.button;
  }
}

// ---- jobs for the PDF checks (run by expect_printed_pages.sh) ---------------------

// The provider of a note with another name in the queue, so the checker
// finds its document; page `failAt` fails.
class NamedPages : public PageProvider {
 public:
  NamedPages(PageProvider& pages, std::string name, int failAt = -1)
      : pages_(pages), name_(std::move(name)), failAt_(failAt) {}
  std::string DocumentName() const override { return name_; }
  bool IsValidPage(int index) override { return pages_.IsValidPage(index); }
  int PageCount() override { return pages_.PageCount(); }
  void PrePrintPage(int index, HDC dc) override { pages_.PrePrintPage(index, dc); }
  bool PrintPage(int index, HDC dc) override { return index != failAt_ && pages_.PrintPage(index, dc); }
  void PostPrintPage(int index, HDC dc) override { pages_.PostPrintPage(index, dc); }

 private:
  PageProvider& pages_;
  std::string name_;
  int failAt_;
};

TEST_F(PrintQueue, JobsForThePdfChecker) {
  if (!std::getenv("VELLORA_PDF_CHECK")) GTEST_SKIP() << "run by expect_printed_pages.sh";
  vtest::TextViewRig rig;
  rig.SetText(NoteOfPages(rig, 3));
  auto note = rig.view.PrintPages(printer_);
  ASSERT_EQ(note->PageCount(), 3);
  NamedPages named(*note, "VelloraCheckNote");
  EXPECT_EQ(RunPrintJob(printer_, named, 0, 2), PrintOutcome::kPrinted);
  // The second page fails: the job is taken off the printer and said to have failed.
  NamedPages failing(*note, "VelloraCheckFailed", 1);
  EXPECT_EQ(RunPrintJob(printer_, failing, 0, 2), PrintOutcome::kPageFailed);

  // A list view with some rows, as the data list view prints it.
  HWND list = CreateWindowExA(0, WC_LISTVIEWA, "", WS_POPUP | WS_VISIBLE | LVS_REPORT, 0, 0, 300, 200, nullptr,
                              nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_TRUE(list);
  LVCOLUMNA column = {LVCF_TEXT | LVCF_WIDTH, 0, 120, const_cast<char*>("Name")};
  SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
  for (int i = 0; i < 5; ++i) {
    LVITEMA item = {LVIF_TEXT, i};
    item.pszText = const_cast<char*>("row of the list");
    SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  }
  WindowPageProvider listPages(list, "Vellora - ListView Print", printer_.margins);
  EXPECT_EQ(listPages.PageCount(), 1);
  EXPECT_FALSE(listPages.IsValidPage(1));
  NamedPages namedList(listPages, "VelloraCheckList");
  EXPECT_EQ(RunPrintJob(printer_, namedList, 0, 0), PrintOutcome::kPrinted);
  DestroyWindow(list);
}

// A printer taken away while the program holds it (the checker removes the
// queue between the two signals): the job is not said to have printed, nor
// that a page failed.
TEST_F(PrintQueue, APrinterTakenAwayForTheChecker) {
  const char* gone = std::getenv("VELLORA_GONE_PRINTER");
  const char* signals = std::getenv("VELLORA_GONE_SIGNALS");
  if (!gone || !signals) GTEST_SKIP() << "run by expect_printed_pages.sh";
  PrinterSettings printer;
  ASSERT_TRUE(printer.UsePrinter(gone)) << gone;
  vtest::TextViewRig rig;
  rig.SetText(NoteOfPages(rig, 1));
  auto note = rig.view.PrintPages(printer);
  ASSERT_EQ(note->PageCount(), 1);
  const std::string folder = signals;
  vtest::WriteWholeFile(folder + "\\opened", "");
  for (int i = 0; i < 600 && !vtest::FileExists(folder + "\\removed"); ++i) Sleep(100);
  ASSERT_TRUE(vtest::FileExists(folder + "\\removed")) << "the checker never took the printer away";
  NamedPages named(*note, "VelloraCheckGone");
  // Every page is drawn; the spooler refuses the finished document.
  EXPECT_EQ(RunPrintJob(printer, named, 0, 0), PrintOutcome::kNotSent);
}

}  // namespace
