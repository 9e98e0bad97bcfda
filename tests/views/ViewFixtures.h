#pragma once
// Real, hidden windows for the view tests.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "app/StringTable.h"
#include "content/ItemSource.h"
#include "store/Services.h"
#include "tests/TestSupport.h"
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

// A hidden top-level window for a view to live in.
class HiddenParent {
 public:
  HiddenParent();
  ~HiddenParent();
  HiddenParent(const HiddenParent&) = delete;
  HiddenParent& operator=(const HiddenParent&) = delete;
  HWND Handle() const { return window_; }

 private:
  HWND window_ = nullptr;
};

// A string table without texts: every message falls back to its own.
class NoTexts : public vellora::TextSource {
 public:
  const char* Text(vellora::TextKey) const override { return nullptr; }
};

// The program's own string table, loaded once.
const vellora::StringTable& ShippedTexts();

// The bytes behind an item's record, read from the file as it is now.
std::string ContentBytes(const vellora::ItemSource& source);

}  // namespace vtest
