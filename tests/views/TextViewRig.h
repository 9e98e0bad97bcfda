#pragma once
// A text view on a real, hidden window, with helpers that read and set its
// text and selection the way a user's edits would leave them.
#include <windows.h>
#include <richedit.h>

#include <string>

#include "views/TextView.h"

namespace vtest {

class TextViewRig {
 public:
  explicit TextViewRig(int width = 320, int height = 400);
  ~TextViewRig();
  TextViewRig(const TextViewRig&) = delete;
  TextViewRig& operator=(const TextViewRig&) = delete;

  vellora::TextView view;
  HWND Edit() const { return view.Window(); }
  HWND Parent() const { return parent_; }

  // Replaces the text (paragraph marks as \r) and clears the modified flag.
  void SetText(const std::wstring& text);
  std::wstring Text() const;
  void Select(LONG from, LONG to) const;
  CHARRANGE Selection() const;
  void Run(UINT command) { view.HandleCommand(command); }
  void SetWrap(bool wrap);

 private:
  HWND parent_ = nullptr;
  int width_;
  int height_;
};

}  // namespace vtest
