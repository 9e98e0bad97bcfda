#include "tests/views/ViewFixtures.h"

#include <gtest/gtest.h>

#include "content/CountedStrings.h"

namespace vtest {

HiddenTree::HiddenTree() {
  INITCOMMONCONTROLSEX init = {sizeof init, ICC_TREEVIEW_CLASSES};
  InitCommonControlsEx(&init);
  static const char kClass[] = "VelloraContentTestFrame";
  WNDCLASSA wc = {};
  wc.lpfnWndProc = &HiddenTree::Proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = kClass;
  RegisterClassA(&wc);  // fails harmlessly when already registered
  frame_ = CreateWindowExA(0, kClass, "content test", WS_OVERLAPPEDWINDOW, 0, 0, 400, 600, nullptr, nullptr,
                           wc.hInstance, this);
  SetWindowLongPtrA(frame_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  tree_ = CreateWindowExA(WS_EX_CLIENTEDGE, WC_TREEVIEWA, "",
                          WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT |
                              TVS_EDITLABELS | TVS_SHOWSELALWAYS,
                          0, 0, 400, 600, frame_, reinterpret_cast<HMENU>(102), wc.hInstance, nullptr);
  EXPECT_NE(tree_, nullptr);
  model_.Attach(tree_);
}

HiddenTree::~HiddenTree() {
  model_.Clear();
  model_.Attach(nullptr);
  if (frame_) DestroyWindow(frame_);
}

int HiddenTree::Count() const { return static_cast<int>(SendMessageA(tree_, TVM_GETCOUNT, 0, 0)); }

LRESULT CALLBACK HiddenTree::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<HiddenTree*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self && message == WM_NOTIFY) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header->code == TVN_DELETEITEMA) {
      ++self->deletions;
      self->model_.OnItemDeleted(*reinterpret_cast<const NMTREEVIEWA*>(lParam));
    }
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

HiddenParent::HiddenParent() {
  INITCOMMONCONTROLSEX init = {sizeof init, ICC_LISTVIEW_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&init);
  static const char kClass[] = "VelloraViewTestParent";
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = kClass;
  RegisterClassA(&wc);  // fails harmlessly when already registered
  window_ = CreateWindowExA(0, kClass, "view test", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 20, 20, 640, 480, nullptr,
                            nullptr, wc.hInstance, nullptr);
  EXPECT_NE(window_, nullptr);
}

HiddenParent::~HiddenParent() {
  if (window_) DestroyWindow(window_);
}

const vellora::StringTable& ShippedTexts() {
  static const vellora::StringTable texts = [] {
    vellora::StringTable table;
    EXPECT_TRUE(table.LoadForProgram());
    return table;
  }();
  return texts;
}

std::string ContentBytes(const vellora::ItemSource& source) {
  vellora::OpenedItem item;
  EXPECT_HRESULT_SUCCEEDED(source.Open(false, item));
  std::string bytes;
  item.SeekContent();
  vellora::ReadToEnd(item.Content(), bytes);
  return bytes;
}

}  // namespace vtest
