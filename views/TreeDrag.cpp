#include "views/TreeDrag.h"

namespace vellora {

bool TreeDrag::Begin(HWND tree, HTREEITEM item, POINT clientPoint, HWND owner) {
  Cancel();
  if (!tree || !item || !owner) return false;
  tree_ = tree;
  owner_ = owner;
  dragged_ = item;
  started_ = GetTickCount();
  image_ = reinterpret_cast<HIMAGELIST>(SendMessageA(tree, TVM_CREATEDRAGIMAGE, 0, reinterpret_cast<LPARAM>(item)));
  if (image_) {
    ImageList_BeginDrag(image_, 0, 0, 0);
    POINT screen = clientPoint;
    ClientToScreen(tree, &screen);
    ImageList_DragEnter(nullptr, screen.x, screen.y);
  }
  SetCapture(owner);
  return true;
}

HTREEITEM TreeDrag::HitTest(POINT screen) const {
  TVHITTESTINFO hit = {};
  hit.pt = screen;
  ScreenToClient(tree_, &hit.pt);
  auto item = reinterpret_cast<HTREEITEM>(SendMessageA(tree_, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  return (hit.flags & (TVHT_ONITEM | TVHT_ONITEMRIGHT | TVHT_ONITEMINDENT | TVHT_ONITEMBUTTON)) ? item : nullptr;
}

void TreeDrag::Move(POINT screen) {
  if (!Active()) return;
  HTREEITEM over = HitTest(screen);
  if (image_) ImageList_DragShowNolock(FALSE);
  if (over != target_) {
    SendMessageA(tree_, TVM_SELECTITEM, TVGN_DROPHILITE, reinterpret_cast<LPARAM>(over));
    target_ = over;
    // A new target starts its own wait before it opens.
    if (over) SetTimer(owner_, kExpandTimer, kExpandDelayMs, nullptr);
    else KillTimer(owner_, kExpandTimer);
  }
  if (image_) {
    ImageList_DragShowNolock(TRUE);
    ImageList_DragMove(screen.x, screen.y);
  }
  SetCursor(LoadCursorA(nullptr, over ? IDC_ARROW : IDC_NO));
}

void TreeDrag::OnTimer() {
  KillTimer(owner_, kExpandTimer);
  if (!Active() || !target_) return;
  if (image_) ImageList_DragShowNolock(FALSE);
  SendMessageA(tree_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(target_));
  if (image_) ImageList_DragShowNolock(TRUE);
}

HTREEITEM TreeDrag::End(POINT screen, DWORD& elapsedMs) {
  elapsedMs = 0;
  if (!Active()) return nullptr;
  HTREEITEM target = HitTest(screen);
  elapsedMs = GetTickCount() - started_;
  Finish();
  return target;
}

void TreeDrag::Cancel() {
  if (Active()) Finish();
}

void TreeDrag::Finish() {
  if (owner_) KillTimer(owner_, kExpandTimer);
  if (image_) {
    ImageList_DragLeave(nullptr);
    ImageList_EndDrag();
    ImageList_Destroy(image_);
    image_ = nullptr;
  }
  if (tree_) SendMessageA(tree_, TVM_SELECTITEM, TVGN_DROPHILITE, 0);
  dragged_ = nullptr;
  target_ = nullptr;
  if (GetCapture() == owner_) ReleaseCapture();
  SetCursor(LoadCursorA(nullptr, IDC_ARROW));
}

}  // namespace vellora
