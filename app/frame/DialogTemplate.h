#pragma once
// A small dialog built in memory, for prompts too plain to need a resource.
#include <windows.h>

#include <string>
#include <vector>

namespace vellora {

class DialogTemplate {
 public:
  DialogTemplate(const char* title, short width, short height);
  void AddStatic(WORD id, const char* text, short x, short y, short w, short h);
  void AddEdit(WORD id, short x, short y, short w, short h, DWORD style);
  void AddButton(WORD id, const char* text, short x, short y, short w, short h, DWORD style);
  INT_PTR Run(HWND owner, DLGPROC proc, LPARAM parameter) const;

 private:
  void AddItem(WORD id, WORD classAtom, const char* text, DWORD style, short x, short y, short w, short h);
  void Align();
  void PutWord(WORD w);
  void PutText(const char* text);
  std::vector<WORD> data_;
  size_t countAt_ = 0;
};

}  // namespace vellora
