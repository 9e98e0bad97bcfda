#pragma once
// A hidden rich edit control of the kind the text view is, to hold our
// reading of rich text against the control's own.
#include <windows.h>
#include <richedit.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace vtest {

class RichEditBox {
 public:
  RichEditBox() {
    module_ = LoadLibraryA("RICHED20.DLL");
    edit_ = CreateWindowExA(0, "RichEdit20A", "", WS_POPUP | ES_MULTILINE | ES_AUTOVSCROLL, 0, 0, 400, 300, nullptr,
                            nullptr, GetModuleHandleA(nullptr), nullptr);
    // No cut at the control's default limit.
    SendMessageA(edit_, EM_EXLIMITTEXT, 0, 0x7FFFFFFF);
  }
  ~RichEditBox() {
    if (edit_) DestroyWindow(edit_);
    if (module_) FreeLibrary(module_);
  }
  RichEditBox(const RichEditBox&) = delete;
  RichEditBox& operator=(const RichEditBox&) = delete;
  HWND Handle() const { return edit_; }

  void Select(LONG from, LONG to) const {
    CHARRANGE range = {from, to};
    SendMessageA(edit_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
  }
  // Applies the format to the selection.
  void Format(CHARFORMAT2A format) const {
    format.cbSize = sizeof format;
    SendMessageA(edit_, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
  }
  void SetUnicode(const std::wstring& text) const {
    SETTEXTEX set = {ST_DEFAULT, 1200};
    SendMessageW(edit_, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&set), reinterpret_cast<LPARAM>(text.c_str()));
  }
  std::string StreamOut() const {
    std::string out;
    EDITSTREAM es = {reinterpret_cast<DWORD_PTR>(&out), 0, &Collect};
    SendMessageA(edit_, EM_STREAMOUT, SF_RTF, reinterpret_cast<LPARAM>(&es));
    return out;
  }
  void StreamIn(const std::string& rtf) const {
    Cursor cursor{&rtf, 0};
    EDITSTREAM es = {reinterpret_cast<DWORD_PTR>(&cursor), 0, &Feed};
    SendMessageA(edit_, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&es));
  }
  std::wstring Text() const {
    GETTEXTLENGTHEX length = {GTL_DEFAULT | GTL_NUMCHARS, 1200};
    LRESULT n = SendMessageW(edit_, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    GETTEXTEX get = {};
    get.cb = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    get.flags = GT_DEFAULT;
    get.codepage = 1200;
    SendMessageW(edit_, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get), reinterpret_cast<LPARAM>(text.data()));
    text.resize(wcslen(text.c_str()));
    return text;
  }

 private:
  struct Cursor {
    const std::string* text;
    size_t at;
  };
  static DWORD CALLBACK Collect(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* done) {
    reinterpret_cast<std::string*>(cookie)->append(reinterpret_cast<char*>(buffer), static_cast<size_t>(size));
    *done = size;
    return 0;
  }
  static DWORD CALLBACK Feed(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* done) {
    auto* c = reinterpret_cast<Cursor*>(cookie);
    size_t n = std::min(static_cast<size_t>(size), c->text->size() - c->at);
    memcpy(buffer, c->text->data() + c->at, n);
    c->at += n;
    *done = static_cast<LONG>(n);
    return 0;
  }
  HMODULE module_ = nullptr;
  HWND edit_ = nullptr;
};

}  // namespace vtest
