#include "views/TextView.h"

#include <commdlg.h>
#include <intshcut.h>
#include <shellapi.h>

#include <algorithm>
#include <cctype>
#include <cwctype>
#include <new>
#include <cstring>

#include "content/CommandIds.h"
#include "content/RichTextCheck.h"
#include "content/RtfEdits.h"
#include "platform/CallbackGuard.h"
#include "platform/GdiHandles.h"
#include "platform/Window.h"
#include "platform/ComPtr.h"
#include "views/ViewFind.h"

namespace vellora {

namespace {

// {FBF23B40-E3F0-101B-8488-00AA003E56F8} and {FBF23B80-...}: the shell's Internet shortcut.
constexpr CLSID kInternetShortcut = {0xFBF23B40, 0xE3F0, 0x101B, {0x84, 0x88, 0x00, 0xAA, 0x00, 0x3E, 0x56, 0xF8}};
constexpr IID kUniformResourceLocatorA = {0xFBF23B80, 0xE3F0, 0x101B, {0x84, 0x88, 0x00, 0xAA, 0x00, 0x3E, 0x56, 0xF8}};

constexpr DWORD kEventMask = ENM_LINK | ENM_DROPFILES | ENM_REQUESTRESIZE | ENM_SCROLL;
// Up to this many edits a tool changes the control directly; more are made
// in the note's RTF in one pass and the result swapped in.
constexpr size_t kDirectEditLimit = 16;
constexpr size_t kSnapshotLimit = 8;
// A note is read from its stream in pieces of this size.
constexpr ULONG kReadChunk = 1u << 20;
constexpr char kTooLargeToHold[] = "it is larger than this program can hold in memory";

WNDPROC g_richEditProc = nullptr;

struct StreamCookie {
  const StreamHandle* stream = nullptr;
  std::string* text = nullptr;
  size_t at = 0;
  ULONGLONG bytes = 0;
  bool failed = false;
};

DWORD CALLBACK WriteToStream(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* done) {
  return Guarded("text view stream-out", static_cast<DWORD>(1), [&]() -> DWORD {
    auto* c = reinterpret_cast<StreamCookie*>(cookie);
    *done = 0;
    if (FAILED(c->stream->WriteBytes(buffer, static_cast<ULONG>(size)))) {
      c->failed = true;
      return 1;
    }
    *done = size;
    c->bytes += static_cast<ULONG>(size);
    return 0;
  });
}

DWORD CALLBACK ReadFromString(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* got) {
  return Guarded("text view stream-in", static_cast<DWORD>(1), [&]() -> DWORD {
    auto* c = reinterpret_cast<StreamCookie*>(cookie);
    size_t n = std::min(static_cast<size_t>(size), c->text->size() - c->at);
    std::memcpy(buffer, c->text->data() + c->at, n);
    c->at += n;
    *got = static_cast<LONG>(n);
    return 0;
  });
}

DWORD CALLBACK WriteToString(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* done) {
  return Guarded("text view stream-out", static_cast<DWORD>(1), [&]() -> DWORD {
    auto* c = reinterpret_cast<StreamCookie*>(cookie);
    c->text->append(reinterpret_cast<const char*>(buffer), static_cast<size_t>(size));
    *done = size;
    return 0;
  });
}

void StreamRtfInto(HWND edit, const std::string& rtf) {
  std::string copy = rtf;
  StreamCookie cookie;
  cookie.text = &copy;
  EDITSTREAM es = {};
  es.dwCookie = reinterpret_cast<DWORD_PTR>(&cookie);
  es.pfnCallback = ReadFromString;
  SendMessageA(edit, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&es));
}

LONG TextLength(HWND edit) {
  GETTEXTLENGTHEX how = {GTL_NUMCHARS | GTL_PRECISE, 1200};
  return static_cast<LONG>(SendMessageA(edit, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&how), 0));
}

std::wstring TextOf(HWND edit) {
  LONG n = TextLength(edit);
  if (n <= 0) return {};
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  GETTEXTEX how = {};
  how.cb = static_cast<DWORD>((text.size()) * sizeof(wchar_t));
  how.flags = GT_DEFAULT;
  how.codepage = 1200;
  LRESULT got = SendMessageA(edit, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&how), reinterpret_cast<LPARAM>(&text[0]));
  text.resize(static_cast<size_t>(std::max<LRESULT>(0, std::min<LRESULT>(got, n))));
  return text;
}

CHARRANGE Selection(HWND edit) {
  CHARRANGE range = {};
  SendMessageA(edit, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
  return range;
}

void Select(HWND edit, LONG from, LONG to) {
  CHARRANGE range = {from, to};
  SendMessageA(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
}

CHARFORMAT2A SelectionFormat(HWND edit, DWORD mask) {
  CHARFORMAT2A format = {};
  format.cbSize = sizeof format;
  format.dwMask = mask;
  SendMessageA(edit, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
  return format;
}

bool IsFormattingCommand(UINT id) {
  switch (id) {
    case ID_FORMAT_BOLD:
    case ID_FORMAT_ITALIC:
    case ID_FORMAT_UNDERLINE:
    case ID_FORMAT_ALIGN_LEFT:
    case ID_FORMAT_ALIGN_CENTER:
    case ID_FORMAT_ALIGN_RIGHT:
    case ID_FORMAT_TEXT_COLOR:
    case ID_FORMAT_HIGHLIGHT_COLOR:
    case ID_TEXT_BACK_COLOR:
    case ID_TEXT_FONT:
      return true;
    default:
      return false;
  }
}

bool IsToolCommand(UINT id) {
  switch (id) {
    case ID_TEXT_REORGANIZE_PARAGRAPHS:
    case ID_TEXT_DELETE_LINE_END_SPACES:
    case ID_TEXT_CLEANUP_PARAGRAPH_SPACES:
    case ID_TEXT_INSERT_SINGLE_LINE:
    case ID_TEXT_INSERT_DOUBLE_LINE:
    case ID_TEXT_INSERT_TIME:
    case ID_TEXT_DELETE_CURRENT_LINE:
    case ID_TEXT_DELETE_EMPTY_LINES:
    case ID_TEXT_DELETE_EXTRA_SPACES:
    case ID_TEXT_INSERT_EMPTY_LINES:
      return true;
    default:
      return false;
  }
}

bool SystemFontDialog(HWND owner, CHARFORMAT2A& format) {
  LOGFONTA font = {};
  HDC dc = GetDC(owner);
  font.lfHeight = -MulDiv(format.yHeight, GetDeviceCaps(dc, LOGPIXELSY), 1440);
  ReleaseDC(owner, dc);
  font.lfWeight = (format.dwEffects & CFE_BOLD) ? FW_BOLD : FW_NORMAL;
  font.lfItalic = (format.dwEffects & CFE_ITALIC) != 0;
  font.lfUnderline = (format.dwEffects & CFE_UNDERLINE) != 0;
  font.lfStrikeOut = (format.dwEffects & CFE_STRIKEOUT) != 0;
  font.lfCharSet = format.bCharSet;
  lstrcpynA(font.lfFaceName, format.szFaceName, LF_FACESIZE);
  CHOOSEFONTA cf = {};
  cf.lStructSize = sizeof cf;
  cf.hwndOwner = owner;
  cf.lpLogFont = &font;
  cf.Flags = CF_SCREENFONTS | CF_EFFECTS | CF_INITTOLOGFONTSTRUCT;
  cf.rgbColors = format.crTextColor;
  if (!ChooseFontA(&cf)) return false;
  format.dwMask = CFM_FACE | CFM_SIZE | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT | CFM_COLOR | CFM_CHARSET;
  format.dwEffects = (font.lfWeight >= FW_BOLD ? CFE_BOLD : 0) | (font.lfItalic ? CFE_ITALIC : 0) |
                     (font.lfUnderline ? CFE_UNDERLINE : 0) | (font.lfStrikeOut ? CFE_STRIKEOUT : 0);
  format.yHeight = cf.iPointSize * 2;  // tenths of a point to twips
  format.crTextColor = cf.rgbColors;
  format.bCharSet = font.lfCharSet;
  lstrcpynA(format.szFaceName, font.lfFaceName, LF_FACESIZE);
  return true;
}

void OpenWithShortcut(HWND owner, const std::string& target) {
  ComPtr<IUniformResourceLocatorA> url;
  if (FAILED(CoCreateInstance(kInternetShortcut, nullptr, CLSCTX_INPROC_SERVER, kUniformResourceLocatorA,
                              url.PutVoid())))
    return;
  if (FAILED(url->SetURL(target.c_str(), IURL_SETURL_FL_GUESS_PROTOCOL))) return;
  URLINVOKECOMMANDINFOA invoke = {};
  invoke.dwcbSize = sizeof invoke;
  invoke.dwFlags = IURL_INVOKECOMMAND_FL_ALLOW_UI;
  invoke.hwndParent = owner;
  invoke.pcszVerb = "open";
  url->InvokeCommand(&invoke);
}

}  // namespace

bool TooLongToWrap(const std::wstring& text) {
  // The square of each long paragraph's length, added up, against the cost
  // of the one paragraph at the bound; shorter paragraphs cost little each.
  unsigned long long cost = 0;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find_first_of(L"\r\n", start);
    if (end == std::wstring::npos) end = text.size();
    unsigned long long length = end - start;
    if (length > kQuadraticWrapFrom) cost += length * length;
    if (cost > static_cast<unsigned long long>(kMaxWrappedParagraph) * kMaxWrappedParagraph) return true;
    start = end + 1;
  }
  return false;
}

LONG FontSizeTwips(int index) {
  if (index < 0 || index >= static_cast<int>(std::size(kFontSizes))) return 160;
  return kFontSizes[index] * 20;
}

bool OpensWithoutAsking(const std::string& target) {
  std::string lower;
  for (char c : target) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  size_t start = lower.find_first_not_of(" \t");
  if (start == std::string::npos) return false;
  lower = lower.substr(start);
  // The shortcut guesses http and ftp for these.
  for (const char* prefix : {"http://", "https://", "ftp://", "mailto:", "www.", "ftp."})
    if (lower.compare(0, std::strlen(prefix), prefix) == 0) return true;
  return false;
}

// The rich edit control superclassed as the program's own class: its
// messages reach the view first, the control's own procedure does the rest.
class TextView::EditWindow : public vellora::Window {
 public:
  explicit EditWindow(TextView& view) : view_(view) {}

 protected:
  const char* ClassName() const override { return "VelloraTextView"; }
  void RegisterClassInfo(WNDCLASSEXA& wc) const override {
    WNDCLASSEXA base = {sizeof base};
    if (GetClassInfoExA(nullptr, "RichEdit20A", &base)) {
      g_richEditProc = base.lpfnWndProc;
      wc.style = base.style & ~CS_GLOBALCLASS;
      wc.cbClsExtra = base.cbClsExtra;
      wc.cbWndExtra = base.cbWndExtra;
      wc.hCursor = base.hCursor;
      wc.hbrBackground = base.hbrBackground;
    }
  }
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
    bool handled = false;
    LRESULT result = view_.OnEditMessage(msg, wParam, lParam, handled);
    if (handled) return result;
    return g_richEditProc ? CallWindowProcA(g_richEditProc, Handle(), msg, wParam, lParam)
                          : DefaultProc(msg, wParam, lParam);
  }

 private:
  TextView& view_;
};

TextView::TextView()
    : lastText_(GetSysColor(COLOR_WINDOWTEXT)),
      lastHighlight_(GetSysColor(COLOR_HIGHLIGHT)),
      back_(GetSysColor(COLOR_WINDOW)) {
  static HMODULE richEdit = LoadLibraryA("riched20.dll");
  (void)richEdit;
}

TextView::~TextView() = default;

HWND TextView::Window() const { return Edit(); }

void TextView::ApplyDefaultFormat(HWND edit, WPARAM scope) const {
  CHARFORMAT2A format = {};
  format.cbSize = sizeof format;
  format.dwMask = CFM_FACE | CFM_SIZE | CFM_WEIGHT | CFM_BOLD;
  format.yHeight = 240;
  format.wWeight = FW_NORMAL;
  lstrcpynA(format.szFaceName, defaultFace_.c_str(), LF_FACESIZE);
  SendMessageA(edit, EM_SETCHARFORMAT, scope, reinterpret_cast<LPARAM>(&format));
}
HWND TextView::Edit() const { return edit_ ? edit_->Handle() : nullptr; }

std::unique_ptr<TextView::EditWindow> TextView::MakeEdit(bool visible, LONG limit) const {
  auto edit = std::make_unique<EditWindow>(const_cast<TextView&>(*this));
  RECT rc = {0, 0, 0, 0};
  // A fresh window takes the place of the old one, wherever that was moved
  // (a tab page shows the view inside the tab pages view).
  HWND parent = parent_;
  if (HWND old = Edit()) {
    if (HWND now = GetParent(old)) parent = now;
    GetWindowRect(old, &rc);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rc), 2);
  }
  DWORD style = WS_CHILD | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_NOHIDESEL |
                ES_SAVESEL | ES_WANTRETURN | (visible ? WS_VISIBLE : 0);
  HWND hwnd = edit->Create(parent, nullptr, style, WS_EX_CLIENTEDGE, rc.left, rc.top, rc.right - rc.left,
                           rc.bottom - rc.top);
  if (!hwnd) return nullptr;
  DragAcceptFiles(hwnd, TRUE);
  SendMessageA(hwnd, EM_AUTOURLDETECT, TRUE, 0);
  SendMessageA(hwnd, EM_SETEVENTMASK, 0, kEventMask);
  SendMessageA(hwnd, EM_EXLIMITTEXT, 0, std::max(limit, kTextLimit));
  // Born unwrapped: a note is laid out once, after it is known to be wrappable.
  SendMessageA(hwnd, EM_SETTARGETDEVICE, 0, 1);
  if (backSet_) SendMessageA(hwnd, EM_SETBKGNDCOLOR, 0, back_);
  // The default character format, also for what a loaded content does not say.
  ApplyDefaultFormat(hwnd, SCF_DEFAULT);
  ApplyDefaultFormat(hwnd, SCF_ALL);
  SendMessageA(hwnd, EM_SETREADONLY, !Editable(), 0);
  SendMessageA(hwnd, EM_SETMODIFY, FALSE, 0);
  return edit;
}

void TextView::SwapEdit(std::unique_ptr<EditWindow> fresh) {
  if (!fresh) return;
  HWND old = Edit();
  bool hadFocus = old && GetFocus() == old;
  // Its own visibility, not its parents': the note is often loaded while the
  // pane that holds it is still hidden.
  bool visible = old && (GetWindowLongA(old, GWL_STYLE) & WS_VISIBLE);
  if (visible) ShowWindow(fresh->Handle(), SW_SHOWNA);
  std::unique_ptr<EditWindow> gone = std::move(edit_);
  edit_ = std::move(fresh);
  if (onWindowReplaced) onWindowReplaced(edit_->Handle());
  if (gone) {
    DragAcceptFiles(gone->Handle(), FALSE);
    gone->Destroy();
  }
  if (hadFocus) SetFocus(edit_->Handle());
}

bool TextView::Create(HWND parent) {
  parent_ = parent;
  edit_ = MakeEdit(false, kTextLimit);
  if (edit_) FitWrap(edit_->Handle(), std::wstring());
  return edit_ != nullptr;
}

void TextView::FitWrap(HWND edit, const std::wstring& text) {
  unwrapped_ = TooLongToWrap(text);
  SendMessageA(edit, EM_SETTARGETDEVICE, 0, wrap_ && !unwrapped_ ? 0 : 1);
}

bool TextView::ReadNote(const ItemSource& source, std::string& note) {
  OpenedItem item;
  if (FAILED(source.Open(false, item)) || FAILED(item.SeekContent())) {
    loadProblem_ = "it could not be opened in the library";
    return false;
  }
  // The stream's own size only says how much to expect; the bound is ours.
  ULONGLONG expected = 0;
  STATSTG stat = {};
  if (SUCCEEDED(item.Content()->Stat(&stat, STATFLAG_NONAME)) && stat.cbSize.QuadPart > item.contentOffset)
    expected = stat.cbSize.QuadPart - item.contentOffset;
  if (expected > kMaxNoteBytes) {
    loadProblem_ = kTooLargeToHold;
    return false;
  }
  note.reserve(static_cast<size_t>(expected) + kReadChunk);
  for (;;) {
    if (note.size() > kMaxNoteBytes) {
      loadProblem_ = kTooLargeToHold;
      return false;
    }
    size_t at = note.size();
    note.resize(at + kReadChunk);
    ULONG got = 0;
    HRESULT hr = item.Content().ReadBytes(note.data() + at, kReadChunk, &got);
    note.resize(at + std::min<size_t>(got, kReadChunk));
    if (FAILED(hr)) {
      loadProblem_ = "it could not be read from the library";
      return false;
    }
    if (got == 0) return true;
  }
}

bool TextView::StreamInto(HWND edit, std::string& note) {
  // An empty content is an empty note (a new item): the control is not asked
  // to read rich text from nothing, which it reports as a failed read.
  if (note.empty()) return true;
  // The platform's reader never sees rich text that could overrun it: an
  // unsound note is shown as far as it is sound. A sound one is not copied.
  RichTextVerdict verdict = CheckRichText(note.data(), note.size());
  std::string cut;
  if (!verdict.sound) {
    cut = SoundRichText(note);
    loadProblem_ = verdict.problem;
  }
  StreamCookie cookie;
  cookie.text = verdict.sound ? &note : &cut;
  EDITSTREAM es = {};
  es.dwCookie = reinterpret_cast<DWORD_PTR>(&cookie);
  es.pfnCallback = ReadFromString;
  SendMessageA(edit, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&es));
  if (es.dwError != 0) {
    // What the control took may be only part of the note.
    loadProblem_ = "the text control could not take it in whole";
    return false;
  }
  return true;
}

bool TextView::Load(const ItemSource& source) {
  source_ = &source;
  undoSnapshots_.clear();
  redoSnapshots_.clear();
  loadProblem_.clear();
  bool ok = false;
  std::unique_ptr<EditWindow> fresh;
  try {
    std::string note;
    ok = ReadNote(source, note);
    // A content needs at most one character per byte of its RTF: the limit is
    // raised to that before anything is read, so nothing is cut.
    LONG limit = static_cast<LONG>(std::max<size_t>(note.size(), static_cast<size_t>(kTextLimit)));
    // The content goes into a fresh window that takes the old one's place:
    // one step, however long the note shown before was.
    fresh = MakeEdit(false, limit);
    if (!fresh) return false;
    if (ok) ok = StreamInto(fresh->Handle(), note);
    note = std::string();
    FitWrap(fresh->Handle(), TextOf(fresh->Handle()));
  } catch (const std::bad_alloc&) {
    loadProblem_ = kTooLargeToHold;
    ok = false;
    if (fresh) SendMessageA(fresh->Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
  }
  if (!fresh) fresh = MakeEdit(false, kTextLimit);
  if (!fresh) return false;
  if (TextLength(fresh->Handle()) == 0) {
    // What stream-in left must not carry a format of its own.
    ApplyDefaultFormat(fresh->Handle(), SCF_ALL);
  }
  // A note not shown as stored takes no edits: they could never be stored.
  SendMessageA(fresh->Handle(), EM_SETREADONLY, !Editable(), 0);
  SendMessageA(fresh->Handle(), EM_SETMODIFY, FALSE, 0);
  SwapEdit(std::move(fresh));
  return ok;
}

bool TextView::Store() {
  if (!source_ || !Modified()) return true;
  // A note not shown as stored is never written back over the whole of it.
  if (!loadProblem_.empty()) {
    SendMessageA(Edit(), EM_SETMODIFY, FALSE, 0);
    return true;
  }
  OpenedItem item;
  if (FAILED(source_->Open(true, item)) || FAILED(item.SeekContent())) return false;
  StreamCookie cookie;
  cookie.stream = &item.Content();
  EDITSTREAM es = {};
  es.dwCookie = reinterpret_cast<DWORD_PTR>(&cookie);
  es.pfnCallback = WriteToStream;
  SendMessageA(Edit(), EM_STREAMOUT, SF_RTF, reinterpret_cast<LPARAM>(&es));
  // Nothing of an older, longer content may stay behind the new one.
  if (cookie.failed || es.dwError != 0 || FAILED(item.TruncateContent(cookie.bytes))) return false;
  SendMessageA(Edit(), EM_SETMODIFY, FALSE, 0);
  return true;
}

bool TextView::Modified() const { return Edit() && SendMessageA(Edit(), EM_GETMODIFY, 0, 0) != 0; }

void TextView::Clear() {
  source_ = nullptr;
  loadProblem_.clear();
  undoSnapshots_.clear();
  redoSnapshots_.clear();
  if (!Edit()) return;
  std::unique_ptr<EditWindow> fresh = MakeEdit(false, kTextLimit);
  if (fresh) FitWrap(fresh->Handle(), std::wstring());
  SwapEdit(std::move(fresh));
}

void TextView::SetBackColor(COLORREF color) {
  backSet_ = color != CLR_DEFAULT;
  back_ = backSet_ ? color : GetSysColor(COLOR_WINDOW);
  if (Edit()) SendMessageA(Edit(), EM_SETBKGNDCOLOR, backSet_ ? 0 : 1, back_);
}

void TextView::SetReadOnly(bool readOnly) {
  readOnly_ = readOnly;
  if (Edit()) SendMessageA(Edit(), EM_SETREADONLY, !Editable(), 0);
}

bool TextView::HandleCommand(UINT id) { return HandleCommandFrom(id, nullptr); }

bool TextView::HandleCommandFrom(UINT id, HWND control) {
  HWND edit = Edit();
  if (!edit) return false;
  switch (id) {
    case ID_EDIT_UNDO: if (Editable()) Undo(); return true;
    case ID_EDIT_REDO: if (Editable()) Redo(); return true;
    case ID_EDIT_COPY: SendMessageA(edit, WM_COPY, 0, 0); return true;
    case ID_EDIT_CUT: if (Editable()) SendMessageA(edit, WM_CUT, 0, 0); return true;
    case ID_EDIT_PASTE: if (Editable()) SendMessageA(edit, WM_PASTE, 0, 0); return true;
    case ID_EDIT_SELECT_ALL: Select(edit, 0, -1); return true;
    case ID_TEXT_AUTO_LINE: SetWordWrap(!wrap_); return true;
    default: break;
  }
  if (!IsFormattingCommand(id) && !IsToolCommand(id)) return false;
  // A read-only note, or one not shown as stored, is neither formatted nor tidied.
  if (!Editable()) return true;
  switch (id) {
    case ID_FORMAT_BOLD: ToggleEffect(CFM_BOLD, CFE_BOLD); break;
    case ID_FORMAT_ITALIC: ToggleEffect(CFM_ITALIC, CFE_ITALIC); break;
    case ID_FORMAT_UNDERLINE: ToggleEffect(CFM_UNDERLINE, CFE_UNDERLINE); break;
    case ID_FORMAT_ALIGN_LEFT: SetAlignment(PFA_LEFT); break;
    case ID_FORMAT_ALIGN_CENTER: SetAlignment(PFA_CENTER); break;
    case ID_FORMAT_ALIGN_RIGHT: SetAlignment(PFA_RIGHT); break;
    case ID_FORMAT_TEXT_COLOR:
    case ID_FORMAT_HIGHLIGHT_COLOR:
    case ID_TEXT_BACK_COLOR: ColorCommand(id, control != nullptr); break;
    case ID_TEXT_FONT: FontDialog(); break;
    default: RunTool(id); break;
  }
  return true;
}

bool TextView::QueryCommand(UINT id, CommandUi& ui) const {
  HWND edit = Edit();
  if (!edit) return false;
  const bool editable = Editable();
  CHARRANGE range = Selection(edit);
  switch (id) {
    case ID_EDIT_UNDO:
      ui.enabled = editable && (SendMessageA(edit, EM_CANUNDO, 0, 0) != 0 || !undoSnapshots_.empty());
      return true;
    case ID_EDIT_REDO:
      ui.enabled = editable && (SendMessageA(edit, EM_CANREDO, 0, 0) != 0 ||
                                (!redoSnapshots_.empty() && SendMessageA(edit, EM_CANUNDO, 0, 0) == 0));
      return true;
    case ID_EDIT_PASTE: ui.enabled = editable && SendMessageA(edit, EM_CANPASTE, 0, 0) != 0; return true;
    case ID_EDIT_CUT: ui.enabled = editable && range.cpMax != range.cpMin; return true;
    case ID_EDIT_COPY: ui.enabled = range.cpMax != range.cpMin; return true;
    case ID_EDIT_SELECT_ALL: ui.enabled = true; return true;
    case ID_TEXT_AUTO_LINE:
      // A note too long to wrap stays unwrapped whatever the flag says.
      ui.enabled = !unwrapped_;
      ui.checked = wrap_ && !unwrapped_;
      return true;
    default: break;
  }
  if (!IsFormattingCommand(id) && !IsToolCommand(id)) return false;
  ui.enabled = editable;
  if (id == ID_FORMAT_BOLD || id == ID_FORMAT_ITALIC || id == ID_FORMAT_UNDERLINE) {
    DWORD effect = id == ID_FORMAT_BOLD ? CFE_BOLD : id == ID_FORMAT_ITALIC ? CFE_ITALIC : CFE_UNDERLINE;
    CHARFORMAT2A format = SelectionFormat(edit, CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE);
    ui.checked = (format.dwEffects & effect) != 0;
  } else if (id == ID_FORMAT_ALIGN_LEFT || id == ID_FORMAT_ALIGN_CENTER || id == ID_FORMAT_ALIGN_RIGHT) {
    PARAFORMAT2 para = {};
    para.cbSize = sizeof para;
    SendMessageA(edit, EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&para));
    WORD want = id == ID_FORMAT_ALIGN_LEFT ? PFA_LEFT : id == ID_FORMAT_ALIGN_CENTER ? PFA_CENTER : PFA_RIGHT;
    ui.checked = (para.dwMask & PFM_ALIGNMENT) && para.wAlignment == want;
  }
  return true;
}

bool TextView::Find(const std::string& text, bool) {
  if (!Edit() || !FindInRichEdit(Edit(), text)) return false;
  SetFocus(Edit());
  return true;
}

bool TextView::Position(long& index) const {
  if (!Edit() || !source_) return false;
  index = FirstVisibleCharacter(Edit());
  return true;
}

void TextView::GoToPosition(long index) {
  if (Edit()) ScrollToCharacter(Edit(), index);
}

bool TextView::ApplyLook(const LibraryLook& look) {
  if (look.textBack) SetBackColor(*look.textBack);
  return true;
}

std::string TextView::LoadRemark() const {
  if (!unwrapped_) return {};
  return "holds lines too long to wrap in reasonable time, so it is shown without word wrap.\n\n"
         "The note itself is not changed.";
}

std::string TextView::SelectedText() const {
  HWND edit = Edit();
  if (!edit) return {};
  CHARRANGE range = Selection(edit);
  if (range.cpMax <= range.cpMin) return {};
  // Characters to bytes: a double-byte character takes two.
  std::string text(static_cast<size_t>(range.cpMax - range.cpMin) * 2 + 1, '\0');
  LRESULT got = SendMessageA(edit, EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(text.data()));
  text.resize(got > 0 ? static_cast<size_t>(got) : 0);
  return text;
}

bool TextView::PlainText(std::string& out) const {
  out.clear();
  HWND edit = Edit();
  if (!edit) return false;
  // Read once; the control ends a paragraph with a lone CR.
  const std::wstring text = TextOf(edit);
  std::wstring lines;
  lines.reserve(text.size() + text.size() / 16);
  for (size_t i = 0; i < text.size(); ++i) {
    lines += text[i];
    if (text[i] == L'\r' && (i + 1 == text.size() || text[i + 1] != L'\n')) lines += L'\n';
  }
  if (lines.empty()) return true;
  const int length = static_cast<int>(lines.size());
  const int n = WideCharToMultiByte(CP_ACP, 0, lines.data(), length, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return true;
  out.resize(static_cast<size_t>(n));
  WideCharToMultiByte(CP_ACP, 0, lines.data(), length, out.data(), n, nullptr, nullptr);
  return true;
}

bool TextView::SelectionFont(std::string& face, LONG& twips) const {
  if (!Edit()) return false;
  CHARFORMAT2A cf = SelectionFormat(Edit(), CFM_FACE | CFM_SIZE);
  face = (cf.dwMask & CFM_FACE) ? cf.szFaceName : "";
  twips = (cf.dwMask & CFM_SIZE) ? cf.yHeight : 0;
  return true;
}

// ---- formatting -------------------------------------------------------------------

void TextView::ApplyCharFormat(CHARFORMAT2A format) {
  HWND edit = Edit();
  format.cbSize = sizeof format;
  CHARRANGE range = Selection(edit);
  if (range.cpMin != range.cpMax) {
    SendMessageA(edit, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    return;
  }
  // With only a caret the format goes to the word around it. The control's
  // own word scope (SCF_WORD) crashes the rich edit control here, so the
  // word is found in the text.
  std::wstring text = TextOf(edit);
  auto inWord = [&](LONG at) {
    if (at < 0 || at >= static_cast<LONG>(text.size())) return false;
    wchar_t c = text[static_cast<size_t>(at)];
    return c > 0x7F || std::iswalnum(c) || c == L'_';
  };
  LONG from = range.cpMin, to = range.cpMin;
  while (inWord(from - 1)) --from;
  while (inWord(to)) ++to;
  if (from == to) {
    // No word: the format is what the caret types next.
    SendMessageA(edit, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    return;
  }
  Select(edit, from, to);
  SendMessageA(edit, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
  Select(edit, range.cpMin, range.cpMax);
}

void TextView::ToggleEffect(DWORD mask, DWORD effect) {
  CHARFORMAT2A current = SelectionFormat(Edit(), mask);
  CHARFORMAT2A format = {};
  format.dwMask = mask;
  format.dwEffects = (current.dwEffects & effect) ? 0 : effect;
  ApplyCharFormat(format);
}

void TextView::SetAlignment(WORD alignment) {
  PARAFORMAT2 para = {};
  para.cbSize = sizeof para;
  para.dwMask = PFM_ALIGNMENT;
  para.wAlignment = alignment;
  SendMessageA(Edit(), EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&para));
}

void TextView::ApplyFontName(const std::string& face) {
  if (!Editable() || !Edit() || face.empty()) return;
  CHARFORMAT2A format = {};
  format.dwMask = CFM_FACE;
  lstrcpynA(format.szFaceName, face.c_str(), LF_FACESIZE);
  ApplyCharFormat(format);
}

void TextView::ApplyFontSize(int index) {
  if (!Editable() || !Edit()) return;
  CHARFORMAT2A format = {};
  format.dwMask = CFM_SIZE;
  format.yHeight = FontSizeTwips(index);
  ApplyCharFormat(format);
}

COLORREF TextView::CurrentColor(UINT id) const {
  if (id == ID_TEXT_BACK_COLOR) return back_;
  CHARFORMAT2A format = SelectionFormat(Edit(), id == ID_FORMAT_TEXT_COLOR ? CFM_COLOR : CFM_BACKCOLOR);
  if (id == ID_FORMAT_TEXT_COLOR)
    return (format.dwEffects & CFE_AUTOCOLOR) ? GetSysColor(COLOR_WINDOWTEXT) : format.crTextColor;
  return (format.dwEffects & CFE_AUTOBACKCOLOR) ? lastHighlight_ : format.crBackColor;
}

void TextView::ApplyColor(UINT id, COLORREF color) {
  if (id == ID_TEXT_BACK_COLOR) {
    back_ = color;
    backSet_ = true;
    SendMessageA(Edit(), EM_SETBKGNDCOLOR, 0, color);
    if (onBackColor) onBackColor(color);
    return;
  }
  CHARFORMAT2A format = {};
  if (id == ID_FORMAT_TEXT_COLOR) {
    format.dwMask = CFM_COLOR;
    format.crTextColor = color;
    lastText_ = color;
  } else {
    format.dwMask = CFM_BACKCOLOR;
    format.crBackColor = color;
    lastHighlight_ = color;
  }
  ApplyCharFormat(format);
}

void TextView::ColorCommand(UINT id, bool fromButton) {
  if (fromButton) {
    ApplyColor(id, id == ID_TEXT_BACK_COLOR ? back_ : id == ID_FORMAT_TEXT_COLOR ? lastText_ : lastHighlight_);
    return;
  }
  COLORREF color = CurrentColor(id);
  bool chosen = chooseColor ? chooseColor(color) : ShowColorDialog(Edit(), color);
  if (chosen) ApplyColor(id, color);
}

void TextView::DropDownColor(UINT id, const RECT& button) {
  if (!Editable() || !Edit()) return;
  if (id != ID_FORMAT_TEXT_COLOR && id != ID_FORMAT_HIGHLIGHT_COLOR && id != ID_TEXT_BACK_COLOR) return;
  COLORREF current = CurrentColor(id);
  PaletteChoice choice;
  if (openPalette) {
    choice = openPalette(button, current);
  } else {
    ColorPalette palette;
    choice = palette.Run(GetAncestor(Edit(), GA_ROOT), button, current);
  }
  if (choice.result == PaletteResult::Chosen) ApplyColor(id, choice.color);
  else if (choice.result == PaletteResult::OtherColor) ColorCommand(id, false);
}

void TextView::FontDialog() {
  CHARFORMAT2A format = SelectionFormat(Edit(), CFM_ALL);
  bool chosen = chooseFont ? chooseFont(format) : SystemFontDialog(Edit(), format);
  if (!chosen) return;
  format.cbSize = sizeof format;
  SendMessageA(Edit(), EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
}

void TextView::SetWordWrap(bool wrap) {
  wrap_ = wrap;
  SendMessageA(Edit(), EM_SETTARGETDEVICE, 0, wrap && !unwrapped_ ? 0 : 1);
}

// ---- messages of the edit window ---------------------------------------------------

LRESULT TextView::OnEditMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
  (void)wParam;
  if (msg == WM_CONTEXTMENU) {
    handled = true;
    POINT screen = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    if (lParam == -1) {
      // From the keyboard: at the caret.
      GetCaretPos(&screen);
      ClientToScreen(Edit(), &screen);
    }
    OnContextMenu(screen);
    return 0;
  }
  return 0;
}

void TextView::OnContextMenu(POINT screen) {
  if (!menuId_) return;
  MenuHandle menu(LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(menuId_)));
  HMENU popup = menu ? GetSubMenu(menu.Get(), menuPosition_) : nullptr;
  if (!popup) return;
  // The entries the frame's enabling would grey too: here before it is shown.
  for (UINT id : {static_cast<UINT>(ID_EDIT_PASTE), static_cast<UINT>(ID_EDIT_COPY), static_cast<UINT>(ID_EDIT_CUT)}) {
    CommandUi ui;
    QueryCommand(id, ui);
    EnableMenuItem(popup, id, MF_BYCOMMAND | (ui.enabled ? MF_ENABLED : MF_GRAYED));
  }
  if (wiring.trackPopup) wiring.trackPopup(popup, screen);
  else TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, 0, GetParent(Edit()), nullptr);
}

LRESULT TextView::OnNotify(const NMHDR& header) {
  if (header.hwndFrom != Edit()) return 0;
  if (header.code == EN_LINK) {
    const auto& link = reinterpret_cast<const ENLINK&>(header);
    if (link.msg == WM_LBUTTONUP) {
      OnLinkClicked(link);
      return 1;
    }
  }
  return 0;
}

void TextView::OnLinkClicked(const ENLINK& link) {
  HWND edit = Edit();
  Select(edit, link.chrg.cpMin, link.chrg.cpMax);
  // Sized in bytes: a double-byte character takes two.
  LONG chars = std::max<LONG>(0, link.chrg.cpMax - link.chrg.cpMin);
  std::string target(static_cast<size_t>(chars) * 2 + 1, '\0');
  LRESULT got = SendMessageA(edit, EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(&target[0]));
  target.resize(static_cast<size_t>(std::max<LRESULT>(0, std::min<LRESULT>(got, chars * 2))));
  target.resize(std::strlen(target.c_str()));
  Select(edit, -1, 0);
  if (target.empty()) return;
  // Only web and mail addresses open at once; a file or a program is named first.
  if (!OpensWithoutAsking(target)) {
    bool yes = confirmLink ? confirmLink(target)
                           : MessageBoxA(GetAncestor(edit, GA_ROOT),
                                         ("This link opens a file or program:\n\n" + target + "\n\nOpen it?").c_str(),
                                         "Query", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
    if (!yes) return;
  }
  if (openLink) openLink(target);
  else OpenWithShortcut(edit, target);
}

// ---- tools --------------------------------------------------------------------------

std::wstring TextView::ReadText() const { return TextOf(Edit()); }

void TextView::InsertText(const char* text) {
  SendMessageA(Edit(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text));
}

void TextView::ReplaceSelection(const std::wstring& text) {
  SETTEXTEX how = {ST_SELECTION | ST_KEEPUNDO, 1200};
  SendMessageA(Edit(), EM_SETTEXTEX, reinterpret_cast<WPARAM>(&how), reinterpret_cast<LPARAM>(text.c_str()));
}

void TextView::DeleteCurrentLine() {
  HWND edit = Edit();
  // The caret stands at the end a selection was made to; asked for "the
  // current line", the control answers the line where the selection starts.
  CHARRANGE selection = {};
  SendMessageA(edit, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
  LRESULT line = SendMessageA(edit, EM_EXLINEFROMCHAR, 0, selection.cpMax);
  LRESULT first = SendMessageA(edit, EM_LINEINDEX, static_cast<WPARAM>(line), 0);
  if (first < 0) return;
  LRESULT length = SendMessageA(edit, EM_LINELENGTH, static_cast<WPARAM>(first), 0);
  Select(edit, static_cast<LONG>(first), static_cast<LONG>(first + length));
  SendMessageA(edit, WM_CLEAR, 0, 0);
}

void TextView::RunTool(UINT id) {
  HWND edit = Edit();
  switch (id) {
    case ID_TEXT_INSERT_SINGLE_LINE: InsertText(std::string(38, '-').c_str()); return;
    case ID_TEXT_INSERT_DOUBLE_LINE: InsertText(std::string(39, '=').c_str()); return;
    case ID_TEXT_INSERT_TIME: {
      SYSTEMTIME now;
      GetLocalTime(&now);
      InsertText(FormatTimeStamp(now).c_str());
      return;
    }
    case ID_TEXT_DELETE_CURRENT_LINE: DeleteCurrentLine(); return;
    default: break;
  }
  HCURSOR previous = id == ID_TEXT_DELETE_EXTRA_SPACES ? SetCursor(LoadCursorA(nullptr, IDC_WAIT)) : nullptr;
  std::wstring text = ReadText();
  TextEdits edits;
  switch (id) {
    case ID_TEXT_REORGANIZE_PARAGRAPHS: edits = ReorganizeParagraphs(text, ansi_); break;
    case ID_TEXT_DELETE_LINE_END_SPACES: edits = DeleteLineEndSpaces(text, ansi_); break;
    case ID_TEXT_CLEANUP_PARAGRAPH_SPACES: edits = CleanupParagraphSpaces(text, ansi_); break;
    case ID_TEXT_DELETE_EMPTY_LINES: edits = DeleteEmptyLines(text, ansi_); break;
    case ID_TEXT_INSERT_EMPTY_LINES: edits = InsertEmptyLines(text); break;
    case ID_TEXT_DELETE_EXTRA_SPACES:
      edits = DeleteExtraSpaces(text, static_cast<long>(SendMessageA(edit, WM_GETTEXTLENGTH, 0, 0)), ansi_);
      break;
    default: break;
  }
  ApplyToolEdits(text, edits);
  if (previous) SetCursor(previous);
}

void TextView::ApplyToolEdits(const std::wstring& text, const TextEdits& edits) {
  HWND edit = Edit();
  if (!edits.Empty()) {
    SendMessageA(edit, WM_SETREDRAW, FALSE, 0);
    if (edits.edits.size() <= kDirectEditLimit || !RebuildWithEdits(text, edits)) ApplyEditsDirectly(edits);
    edit = Edit();
    SendMessageA(edit, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(edit, nullptr, TRUE);
  }
  if (edits.caret) {
    Select(edit, *edits.caret, *edits.caret);
    SendMessageA(edit, EM_SCROLLCARET, 0, 0);
  }
}

void TextView::ApplyEditsDirectly(const TextEdits& edits) {
  HWND edit = Edit();
  // From the last to the first, so the positions before each stay as read.
  for (auto it = edits.edits.rbegin(); it != edits.edits.rend(); ++it) {
    Select(edit, it->position, it->position + it->removed);
    if (it->inserted.empty()) SendMessageA(edit, WM_CLEAR, 0, 0);
    else ReplaceSelection(it->inserted);
  }
}

std::string TextView::StreamOutRtf() const {
  std::string rtf;
  StreamCookie cookie;
  cookie.text = &rtf;
  EDITSTREAM es = {};
  es.dwCookie = reinterpret_cast<DWORD_PTR>(&cookie);
  es.pfnCallback = WriteToString;
  SendMessageA(Edit(), EM_STREAMOUT, SF_RTF, reinterpret_cast<LPARAM>(&es));
  return rtf;
}

bool TextView::RebuildWithEdits(const std::wstring& text, const TextEdits& edits) {
  std::string before = StreamOutRtf();
  std::string after;
  if (!ApplyEditsToRtf(before, edits, after)) return false;
  LONG limit = std::max<LONG>(kTextLimit, static_cast<LONG>(after.size()));
  std::unique_ptr<EditWindow> fresh = MakeEdit(false, limit);
  if (!fresh) return false;
  StreamRtfInto(fresh->Handle(), after);
  // The new window must hold exactly the text the edits make, or it is not used.
  std::wstring made = TextOf(fresh->Handle());
  if (made != ApplyEdits(text, edits)) {
    fresh->Destroy();
    return false;
  }
  // Joined paragraphs can grow past what wraps in bounded time.
  FitWrap(fresh->Handle(), made);
  SendMessageA(fresh->Handle(), WM_SETREDRAW, FALSE, 0);
  SendMessageA(fresh->Handle(), EM_SETMODIFY, TRUE, 0);
  SwapEdit(std::move(fresh));
  undoSnapshots_.push_back(std::move(before));
  if (undoSnapshots_.size() > kSnapshotLimit) undoSnapshots_.erase(undoSnapshots_.begin());
  redoSnapshots_.clear();
  return true;
}

bool TextView::RestoreRtf(const std::string& rtf) {
  LONG limit = std::max<LONG>(kTextLimit, static_cast<LONG>(rtf.size()));
  std::unique_ptr<EditWindow> fresh = MakeEdit(false, limit);
  if (!fresh) return false;
  StreamRtfInto(fresh->Handle(), rtf);
  FitWrap(fresh->Handle(), TextOf(fresh->Handle()));
  SendMessageA(fresh->Handle(), EM_SETMODIFY, TRUE, 0);
  SwapEdit(std::move(fresh));
  return true;
}

void TextView::Undo() {
  HWND edit = Edit();
  if (SendMessageA(edit, EM_CANUNDO, 0, 0)) {
    SendMessageA(edit, EM_UNDO, 0, 0);
    return;
  }
  if (undoSnapshots_.empty()) return;
  std::string current = StreamOutRtf();
  std::string target = std::move(undoSnapshots_.back());
  undoSnapshots_.pop_back();
  if (RestoreRtf(target)) redoSnapshots_.push_back(std::move(current));
}

void TextView::Redo() {
  HWND edit = Edit();
  if (SendMessageA(edit, EM_CANREDO, 0, 0)) {
    SendMessageA(edit, EM_REDO, 0, 0);
    return;
  }
  // Edits made since the undo would be lost by an older redo.
  if (redoSnapshots_.empty() || SendMessageA(edit, EM_CANUNDO, 0, 0)) return;
  std::string current = StreamOutRtf();
  std::string target = std::move(redoSnapshots_.back());
  redoSnapshots_.pop_back();
  if (RestoreRtf(target)) undoSnapshots_.push_back(std::move(current));
}

std::unique_ptr<PageProvider> TextView::PrintPages(const PrinterSettings& printer) const {
  if (!Edit()) return nullptr;
  return std::make_unique<RichTextPages>(Edit(), printer, "Vellora - Document Print");
}

}  // namespace vellora
