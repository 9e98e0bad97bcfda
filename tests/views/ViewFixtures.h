#pragma once
// Real, hidden windows for the view tests.
#include <windows.h>
#include <commctrl.h>

#include "views/TreeModel.h"

namespace vtest {

// A hidden top-level window with a tree view child; the window hands the
// tree's deletion notifications to the model, as the main frame does.
class HiddenTree {
 public:
  HiddenTree();
  ~HiddenTree();
  HiddenTree(const HiddenTree&) = delete;
  HiddenTree& operator=(const HiddenTree&) = delete;
  HWND Tree() const { return tree_; }
  vellora::TreeModel& Model() { return model_; }
  int Count() const;
  int deletions = 0;  // TVN_DELETEITEM notifications seen

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  HWND frame_ = nullptr;
  HWND tree_ = nullptr;
  vellora::TreeModel model_;
};

}  // namespace vtest
