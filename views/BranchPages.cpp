// The pages of a branch of notes: headings, footers and the notes' text,
// laid out by one text provider per note.
#include "views/BranchPages.h"

#include <richedit.h>

#include <algorithm>
#include <climits>
#include <cstring>

#include "content/RichTextCheck.h"
#include "platform/CallbackGuard.h"
#include "platform/GdiHandles.h"

namespace vellora {

namespace {

constexpr LONG kTwipsPerInch = 1440;
constexpr LONG kHeadingTwips = 320;  // 16 points
constexpr LONG kFooterTwips = 180;   // 9 points
constexpr LONG kRuleGap = 120;       // between the heading and its rule, the rule and the text
constexpr LONG kFooterGap = 100;     // between the text and the footer
constexpr size_t kLoadedNotes = 2;   // the page shown and the note measured ahead
constexpr const char kFace[] = "Tahoma";

struct TextCookie {
  const std::string* text;
  size_t at = 0;
};

DWORD CALLBACK ReadNote(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* got) {
  return Guarded("branch print stream-in", static_cast<DWORD>(1), [&]() -> DWORD {
    auto* c = reinterpret_cast<TextCookie*>(cookie);
    const size_t n = std::min(static_cast<size_t>(size), c->text->size() - c->at);
    std::memcpy(buffer, c->text->data() + c->at, n);
    c->at += n;
    *got = static_cast<LONG>(n);
    return 0;
  });
}

std::wstring Wide(const std::string& ansi) {
  if (ansi.empty()) return {};
  const int n = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(), n);
  return wide;
}

int Dots(LONG twips, int dpi) { return MulDiv(twips, dpi, kTwipsPerInch); }

FontHandle MakeFont(HDC dc, LONG twips, bool bold) {
  LOGFONTA font = {};
  font.lfHeight = -Dots(twips, GetDeviceCaps(dc, LOGPIXELSY));
  font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  lstrcpynA(font.lfFaceName, kFace, LF_FACESIZE);
  return FontHandle(CreateFontIndirectA(&font));
}

}  // namespace

// One note's text in a hidden rich edit control, and its pages.
struct BranchPages::Loaded {
  size_t note = 0;
  HWND edit = nullptr;
  std::unique_ptr<RichTextPages> pages;
  bool unreadable = false;
  ~Loaded() {
    pages.reset();
    if (edit) DestroyWindow(edit);
  }
};

BranchPages::BranchPages(const BranchNotes& notes, const PrinterSettings& printer, std::string documentName)
    : notes_(notes), printer_(printer), name_(std::move(documentName)) {
  static HMODULE richEdit = LoadLibraryA("riched20.dll");
  (void)richEdit;
  if (PrinterDcHandle dc = printer.CreateDc()) {
    frame_ = MeasurePageFrame(dc, printer.margins);
    const int dpiY = GetDeviceCaps(dc, LOGPIXELSY);
    if (dpiY > 0) printableBottom_ = MulDiv(GetDeviceCaps(dc, VERTRES), kTwipsPerInch, dpiY);
  }
  headingTwips_ = kHeadingTwips;
  footerTwips_ = kFooterTwips;
  space_.firstPageTop = kHeadingTwips * 5 / 4 + 2 * kRuleGap;
  // The footer goes into the bottom margin where it fits there; else the text gives way.
  const LONG needed = kFooterGap + footerTwips_ * 5 / 4;
  const LONG bottom = std::min(printableBottom_, frame_.page.bottom);
  if (bottom - frame_.print.bottom < needed) space_.everyPageBottom = needed - (bottom - frame_.print.bottom);
}

BranchPages::~BranchPages() = default;

std::wstring BranchPages::FooterText(const std::string& title, int index) {
  return Wide(title) + L" \x2014 page " + std::to_wstring(index + 1);
}

BranchPages::Loaded* BranchPages::Load(size_t note) {
  for (size_t k = 0; k < loaded_.size(); ++k) {
    if (loaded_[k]->note != note) continue;
    std::rotate(loaded_.begin(), loaded_.begin() + static_cast<std::ptrdiff_t>(k),
                loaded_.begin() + static_cast<std::ptrdiff_t>(k) + 1);
    return loaded_.front().get();
  }
  if (note >= notes_.Count()) return nullptr;
  auto loaded = std::make_unique<Loaded>();
  loaded->note = note;
  loaded->edit = CreateWindowExA(0, "RichEdit20A", "", WS_POPUP | ES_MULTILINE, 0, 0, 600, 400, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
  if (!loaded->edit) return nullptr;
  SendMessageA(loaded->edit, EM_EXLIMITTEXT, 0, static_cast<LPARAM>(kMaxPrintedNoteBytes));
  CHARFORMAT2A format = {};
  format.cbSize = sizeof format;
  format.dwMask = CFM_FACE | CFM_SIZE | CFM_WEIGHT | CFM_BOLD;
  format.yHeight = 240;
  format.wWeight = FW_NORMAL;
  lstrcpynA(format.szFaceName, kFace, LF_FACESIZE);
  SendMessageA(loaded->edit, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
  std::string rtf;
  if (!notes_.ReadText(note, rtf)) {
    loaded->unreadable = true;
  } else if (!rtf.empty()) {
    // The control never reads rich text that could overrun it: an unsound
    // note prints as far as it is sound.
    if (!CheckRichText(rtf.data(), rtf.size()).sound) rtf = SoundRichText(rtf);
    TextCookie cookie{&rtf};
    EDITSTREAM stream = {};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&cookie);
    stream.pfnCallback = ReadNote;
    SendMessageA(loaded->edit, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
  }
  loaded->pages = std::make_unique<RichTextPages>(loaded->edit, printer_, name_, space_);
  loaded_.insert(loaded_.begin(), std::move(loaded));
  if (loaded_.size() > kLoadedNotes) loaded_.pop_back();
  return loaded_.front().get();
}

int BranchPages::FirstPageOf(size_t note) const {
  int first = 0;
  for (size_t k = 0; k < note && k < counts_.size(); ++k) first += counts_[k];
  return first;
}

bool BranchPages::Locate(int index, size_t& note, int& local) {
  if (index < 0) return false;
  int first = 0;
  for (size_t k = 0; k < notes_.Count(); ++k) {
    if (k == counts_.size()) {
      // The first note not counted yet: measured as far as this page.
      Loaded* loaded = Load(k);
      if (!loaded) return false;
      const int within = index - first;
      if (loaded->pages->IsValidPage(within)) {
        note = k;
        local = within;
        return true;
      }
      // A note without text still has its heading's page.
      counts_.push_back(std::max(1, loaded->pages->MeasuredPages()));
    }
    if (index < first + counts_[k]) {
      note = k;
      local = index - first;
      return true;
    }
    first += counts_[k];
  }
  return false;
}

bool BranchPages::IsValidPage(int index) {
  size_t note = 0;
  int local = 0;
  return Locate(index, note, local);
}

int BranchPages::NoteOfPage(int index) {
  size_t note = 0;
  int local = 0;
  return Locate(index, note, local) ? static_cast<int>(note) : -1;
}

int BranchPages::PageCount() {
  size_t note = 0;
  int local = 0;
  Locate(INT_MAX - 1, note, local);
  return FirstPageOf(counts_.size());
}

bool BranchPages::MeasureMore() {
  const size_t k = counts_.size();
  if (k >= notes_.Count()) return false;
  Loaded* loaded = Load(k);
  if (!loaded) return false;
  if (loaded->pages->MeasureMore()) return true;
  counts_.push_back(std::max(1, loaded->pages->MeasuredPages()));
  return counts_.size() < notes_.Count();
}

bool BranchPages::PrintPage(int index, HDC dc) {
  size_t note = 0;
  int local = 0;
  if (!Locate(index, note, local)) return false;
  Loaded* loaded = Load(note);
  if (!loaded) return false;
  bool drawn = true;
  if (loaded->pages->IsValidPage(local)) drawn = loaded->pages->PrintPage(local, dc);
  const std::string& title = notes_.notes[note].title;
  if (local == 0) DrawHeading(dc, title, loaded->unreadable);
  DrawFooter(dc, title, index);
  return drawn;
}

void BranchPages::DrawHeading(HDC dc, const std::string& title, bool unreadable) const {
  const int dpiX = GetDeviceCaps(dc, LOGPIXELSX), dpiY = GetDeviceCaps(dc, LOGPIXELSY);
  if (dpiX <= 0 || dpiY <= 0) return;
  const int left = Dots(frame_.print.left, dpiX), right = Dots(frame_.print.right, dpiX);
  const int top = Dots(frame_.print.top, dpiY);
  const int ruleY = top + Dots(headingTwips_ * 5 / 4 + kRuleGap, dpiY);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 0));
  const std::wstring text = Wide(title);
  {
    FontHandle font = MakeFont(dc, headingTwips_, true);
    SelectGuard select(dc, font);
    RECT box = {left, top, right, ruleY};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box,
              DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
  }
  PenHandle pen(CreatePen(PS_SOLID, std::max(1, Dots(15, dpiY)), RGB(0, 0, 0)));
  {
    SelectGuard select(dc, pen);
    MoveToEx(dc, left, ruleY, nullptr);
    LineTo(dc, right, ruleY);
  }
  if (unreadable) {
    FontHandle font = MakeFont(dc, 240, false);
    SelectGuard select(dc, font);
    RECT box = {left, ruleY + Dots(kRuleGap, dpiY), right, ruleY + Dots(kRuleGap + 480, dpiY)};
    DrawTextW(dc, L"(This note could not be read from the library.)", -1, &box,
              DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
  }
}

void BranchPages::DrawFooter(HDC dc, const std::string& title, int index) const {
  const int dpiX = GetDeviceCaps(dc, LOGPIXELSX), dpiY = GetDeviceCaps(dc, LOGPIXELSY);
  if (dpiX <= 0 || dpiY <= 0) return;
  const LONG top = frame_.print.bottom - space_.everyPageBottom + kFooterGap;
  RECT box = {Dots(frame_.print.left, dpiX), Dots(top, dpiY), Dots(frame_.print.right, dpiX),
              Dots(top + footerTwips_ * 3 / 2, dpiY)};
  const std::wstring text = FooterText(title, index);
  FontHandle font = MakeFont(dc, footerTwips_, false);
  SelectGuard select(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 0));
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box,
            DT_CENTER | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
}

}  // namespace vellora
