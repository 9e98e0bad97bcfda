#include "tests/views/TextViewRig.h"

#include <gtest/gtest.h>

#include "content/CommandIds.h"

namespace vtest {

namespace {

LRESULT CALLBACK RigProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

TextViewRig::TextViewRig(int width, int height) : width_(width), height_(height) {
  static const char kClass[] = "VelloraTextViewTestParent";
  WNDCLASSA wc = {};
  wc.lpfnWndProc = RigProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = kClass;
  RegisterClassA(&wc);
  parent_ = CreateWindowExA(0, kClass, "text view test", WS_OVERLAPPEDWINDOW, 0, 0, width + 40, height + 60, nullptr,
                            nullptr, wc.hInstance, nullptr);
  EXPECT_NE(parent_, nullptr);
  view.onWindowReplaced = [this](HWND window) { MoveWindow(window, 0, 0, width_, height_, FALSE); };
  EXPECT_TRUE(view.Create(parent_));
  MoveWindow(Edit(), 0, 0, width_, height_, FALSE);
  ShowWindow(Edit(), SW_SHOWNA);
}

TextViewRig::~TextViewRig() {
  view.Clear();
  if (parent_) DestroyWindow(parent_);
}

void TextViewRig::SetText(const std::wstring& text) {
  SETTEXTEX how = {ST_DEFAULT, 1200};
  SendMessageA(Edit(), EM_SETTEXTEX, reinterpret_cast<WPARAM>(&how), reinterpret_cast<LPARAM>(text.c_str()));
  SendMessageA(Edit(), EM_EMPTYUNDOBUFFER, 0, 0);
  SendMessageA(Edit(), EM_SETMODIFY, FALSE, 0);
}

std::wstring TextViewRig::Text() const {
  GETTEXTLENGTHEX length = {GTL_NUMCHARS | GTL_PRECISE, 1200};
  LONG n = static_cast<LONG>(SendMessageA(Edit(), EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0));
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  GETTEXTEX how = {};
  how.cb = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  how.codepage = 1200;
  LRESULT got = SendMessageA(Edit(), EM_GETTEXTEX, reinterpret_cast<WPARAM>(&how), reinterpret_cast<LPARAM>(&text[0]));
  text.resize(static_cast<size_t>(got < 0 ? 0 : got));
  return text;
}

void TextViewRig::Select(LONG from, LONG to) const {
  CHARRANGE range = {from, to};
  SendMessageA(Edit(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
}

CHARRANGE TextViewRig::Selection() const {
  CHARRANGE range = {};
  SendMessageA(Edit(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
  return range;
}

void TextViewRig::SetWrap(bool wrap) {
  if (view.WordWrap() != wrap) view.HandleCommand(ID_TEXT_AUTO_LINE);
}

}  // namespace vtest
