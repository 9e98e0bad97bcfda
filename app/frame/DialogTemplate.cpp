#include "app/frame/DialogTemplate.h"

namespace vellora {

void DialogTemplate::PutWord(WORD w) { data_.push_back(w); }

void DialogTemplate::PutText(const char* text) {
  int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  std::wstring wide(n > 0 ? static_cast<size_t>(n) : 1, L'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), n);
  for (wchar_t c : wide) data_.push_back(static_cast<WORD>(c));
  if (wide.empty() || wide.back() != L'\0') data_.push_back(0);
}

void DialogTemplate::Align() {
  // Items start on DWORD boundaries.
  if (data_.size() % 2) data_.push_back(0);
}

DialogTemplate::DialogTemplate(const char* title, short width, short height) {
  DWORD style = DS_MODALFRAME | DS_CENTER | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU;
  PutWord(LOWORD(style));
  PutWord(HIWORD(style));
  PutWord(0);  // extended style
  PutWord(0);
  countAt_ = data_.size();
  PutWord(0);  // item count
  PutWord(0);  // x, y, cx, cy
  PutWord(0);
  PutWord(static_cast<WORD>(width));
  PutWord(static_cast<WORD>(height));
  PutWord(0);  // no menu
  PutWord(0);  // default class
  PutText(title);
  PutWord(8);
  PutText("MS Shell Dlg");
}

void DialogTemplate::AddItem(WORD id, WORD classAtom, const char* text, DWORD style, short x, short y, short w,
                             short h) {
  Align();
  style |= WS_CHILD | WS_VISIBLE;
  PutWord(LOWORD(style));
  PutWord(HIWORD(style));
  PutWord(0);
  PutWord(0);
  PutWord(static_cast<WORD>(x));
  PutWord(static_cast<WORD>(y));
  PutWord(static_cast<WORD>(w));
  PutWord(static_cast<WORD>(h));
  PutWord(id);
  PutWord(0xFFFF);
  PutWord(classAtom);
  PutText(text);
  PutWord(0);  // no creation data
  ++data_[countAt_];
}

void DialogTemplate::AddStatic(WORD id, const char* text, short x, short y, short w, short h) {
  AddItem(id, 0x0082, text, SS_LEFT, x, y, w, h);
}

void DialogTemplate::AddEdit(WORD id, short x, short y, short w, short h, DWORD style) {
  AddItem(id, 0x0081, "", style | WS_BORDER | WS_TABSTOP, x, y, w, h);
}

void DialogTemplate::AddButton(WORD id, const char* text, short x, short y, short w, short h, DWORD style) {
  AddItem(id, 0x0080, text, style | WS_TABSTOP, x, y, w, h);
}

INT_PTR DialogTemplate::Run(HWND owner, DLGPROC proc, LPARAM parameter) const {
  return DialogBoxIndirectParamA(GetModuleHandleA(nullptr), reinterpret_cast<LPCDLGTEMPLATEA>(data_.data()), owner,
                                 proc, parameter);
}

}  // namespace vellora
