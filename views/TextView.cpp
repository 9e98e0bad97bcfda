#include "views/TextView.h"

#include <richedit.h>

#include "content/CommandIds.h"
#include "controls/CallbackGuard.h"

namespace vellora {

namespace {

struct StreamCookie {
  const StreamHandle* stream;
};

DWORD CALLBACK ReadFromStream(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* got) {
  return Guarded("text view stream-in", static_cast<DWORD>(1), [&]() -> DWORD {
    auto* c = reinterpret_cast<StreamCookie*>(cookie);
    ULONG n = 0;
    HRESULT hr = c->stream->ReadBytes(buffer, static_cast<ULONG>(size), &n);
    *got = static_cast<LONG>(n);
    return FAILED(hr) ? 1 : 0;
  });
}

// Formatting and tools: the view's own commands besides the edit operations.
constexpr UINT kFormatAndToolCommands[] = {
    ID_FORMAT_BOLD, ID_FORMAT_ITALIC, ID_FORMAT_UNDERLINE, ID_FORMAT_ALIGN_LEFT, ID_FORMAT_ALIGN_CENTER,
    ID_FORMAT_ALIGN_RIGHT, ID_FORMAT_TEXT_COLOR, ID_FORMAT_HIGHLIGHT_COLOR, ID_TEXT_BACK_COLOR, ID_TEXT_AUTO_LINE,
    ID_TEXT_FONT, ID_TEXT_REORGANIZE_PARAGRAPHS, ID_TEXT_DELETE_LINE_END_SPACES, ID_TEXT_CLEANUP_PARAGRAPH_SPACES,
    ID_TEXT_INSERT_SINGLE_LINE, ID_TEXT_INSERT_DOUBLE_LINE, ID_TEXT_INSERT_TIME, ID_TEXT_DELETE_CURRENT_LINE,
    ID_TEXT_DELETE_EMPTY_LINES, ID_TEXT_DELETE_EXTRA_SPACES, ID_TEXT_INSERT_EMPTY_LINES};

}  // namespace

TextView::~TextView() {
  if (edit_ && IsWindow(edit_)) DestroyWindow(edit_);
}

bool TextView::Create(HWND parent) {
  edit_ = CreateWindowExA(WS_EX_CLIENTEDGE, "RichEdit20A", nullptr,
                          WS_CHILD | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL |
                              ES_NOHIDESEL | ES_WANTRETURN,
                          0, 0, 0, 0, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (!edit_) return false;
  SendMessageA(edit_, EM_SETEVENTMASK, 0, ENM_CHANGE | ENM_SELCHANGE);
  // Until notes can be stored back, the view shows them without edits.
  SendMessageA(edit_, EM_SETREADONLY, TRUE, 0);
  return true;
}

bool TextView::Load(const ItemSource& source) {
  source_ = &source;
  OpenedItem item;
  bool ok = SUCCEEDED(source.Open(false, item)) && SUCCEEDED(item.SeekContent());
  if (ok) {
    StreamCookie cookie{&item.Content()};
    EDITSTREAM es = {};
    es.dwCookie = reinterpret_cast<DWORD_PTR>(&cookie);
    es.pfnCallback = ReadFromStream;
    SendMessageA(edit_, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&es));
  } else {
    SetWindowTextA(edit_, "");
  }
  SendMessageA(edit_, EM_SETMODIFY, FALSE, 0);
  return ok;
}

bool TextView::Store() {
  // Nothing can be edited yet, so nothing is ever written.
  SendMessageA(edit_, EM_SETMODIFY, FALSE, 0);
  return true;
}

bool TextView::Modified() const { return edit_ && SendMessageA(edit_, EM_GETMODIFY, 0, 0) != 0; }

void TextView::Clear() {
  source_ = nullptr;
  if (edit_) SetWindowTextA(edit_, "");
  SendMessageA(edit_, EM_SETMODIFY, FALSE, 0);
}

void TextView::SetReadOnly(bool readOnly) { readOnly_ = readOnly; }

bool TextView::HandleCommand(UINT id) {
  switch (id) {
    case ID_EDIT_UNDO: SendMessageA(edit_, EM_UNDO, 0, 0); return true;
    case ID_EDIT_REDO: SendMessageA(edit_, EM_REDO, 0, 0); return true;
    case ID_EDIT_COPY: SendMessageA(edit_, WM_COPY, 0, 0); return true;
    case ID_EDIT_CUT: SendMessageA(edit_, WM_CUT, 0, 0); return true;
    case ID_EDIT_PASTE: SendMessageA(edit_, WM_PASTE, 0, 0); return true;
    case ID_EDIT_SELECT_ALL: SendMessageA(edit_, EM_SETSEL, 0, -1); return true;
    default: return false;
  }
}

bool TextView::QueryCommand(UINT id, CommandUi& ui) const {
  const bool editable = !readOnly_ && !(GetWindowLongA(edit_, GWL_STYLE) & ES_READONLY);
  CHARRANGE range = {};
  switch (id) {
    case ID_EDIT_UNDO: ui.enabled = SendMessageA(edit_, EM_CANUNDO, 0, 0) != 0; return true;
    case ID_EDIT_REDO: ui.enabled = SendMessageA(edit_, EM_CANREDO, 0, 0) != 0; return true;
    case ID_EDIT_PASTE: ui.enabled = editable && SendMessageA(edit_, EM_CANPASTE, 0, 0) != 0; return true;
    case ID_EDIT_CUT:
    case ID_EDIT_COPY:
      SendMessageA(edit_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
      ui.enabled = range.cpMax != range.cpMin;
      return true;
    case ID_EDIT_SELECT_ALL: ui.enabled = true; return true;
    default: break;
  }
  for (UINT own : kFormatAndToolCommands) {
    if (own != id) continue;
    // Formatting and tools come with editing.
    ui.enabled = false;
    return true;
  }
  return false;
}

std::string TextView::SelectedText() const {
  CHARRANGE range = {};
  SendMessageA(edit_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
  if (range.cpMax <= range.cpMin) return {};
  // Characters to bytes: a double-byte character takes two.
  std::string text(static_cast<size_t>(range.cpMax - range.cpMin) * 2 + 1, '\0');
  LRESULT got = SendMessageA(edit_, EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(text.data()));
  text.resize(got > 0 ? static_cast<size_t>(got) : 0);
  return text;
}

bool TextView::SelectionFont(std::string& face, LONG& twips) const {
  CHARFORMATA cf = {};
  cf.cbSize = sizeof cf;
  cf.dwMask = CFM_FACE | CFM_SIZE;
  SendMessageA(edit_, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
  face = cf.szFaceName;
  twips = cf.yHeight;
  return true;
}

}  // namespace vellora
