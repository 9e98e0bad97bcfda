#include "tests/frame/FrameFixture.h"

namespace vtest {

HTREEITEM FindTitle(HWND tree, HTREEITEM first, const char* title) {
  for (HTREEITEM item = first; item; item = TreeView_GetNextSibling(tree, item)) {
    char text[64] = "";
    TVITEMA query = {};
    query.mask = TVIF_TEXT;
    query.hItem = item;
    query.pszText = text;
    query.cchTextMax = sizeof text;
    TreeView_GetItem(tree, &query);
    if (lstrcmpA(text, title) == 0) return item;
  }
  return nullptr;
}

namespace {

BOOL CALLBACK FindVisibleList(HWND child, LPARAM out) {
  char name[32] = "";
  GetClassNameA(child, name, sizeof name);
  if (lstrcmpiA(name, WC_LISTVIEWA) || !IsWindowVisible(child)) return TRUE;
  *reinterpret_cast<HWND*>(out) = child;
  return FALSE;
}

}  // namespace

HWND ShownList(HWND frame) {
  HWND found = nullptr;
  EnumChildWindows(frame, FindVisibleList, reinterpret_cast<LPARAM>(&found));
  return found;
}

void FrameFixture::SetUp() {
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_BAR_CLASSES | ICC_USEREX_CLASSES | ICC_COOL_CLASSES |
                                              ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  richEdit_ = LoadLibraryA("RICHED20.DLL");
}

void FrameFixture::TearDown() {
  frame_.reset();
  Pump();
  if (richEdit_) FreeLibrary(richEdit_);
  richEdit_ = nullptr;
}

vellora::MainFrame& FrameFixture::OpenFrame(vellora::FrameSetup setup) {
  frame_.reset();
  setup.registryKey = rig_.key.Path();
  frame_ = std::make_unique<vellora::MainFrame>(rig_.texts, rig_.log, setup);
  EXPECT_TRUE(frame_->CreateFrame());
  frame_->RestorePlacement(SW_SHOWNORMAL);
  Pump();
  return *frame_;
}

vellora::MainFrame& FrameFixture::OpenLibrary(const std::string& path, bool scripted) {
  vellora::FrameSetup setup;
  setup.startupPath = path;
  if (scripted) setup.prompt = &rig_.prompt;
  return OpenFrame(setup);
}

void FrameFixture::Command(UINT id) {
  SendMessageA(frame_->Handle(), WM_COMMAND, id, 0);
  Pump();
}

std::string FrameFixture::TreeFolder() const { return rig_.texts.TextOr(vellora::kTextFirstTreeFolder, ""); }

std::string FrameFixture::CatalogFolder() const {
  return rig_.texts.TextOr(vellora::kTextFirstCatalogFolder, "");
}

int FrameFixture::GroupOf(const std::string& name) {
  vellora::ContentHost& host = *frame_;
  for (int g = 0; g < host.GroupCount(); ++g)
    if (host.GroupName(g) == name) return g;
  return -1;
}

void FrameFixture::SelectGroup(const std::string& name) {
  static_cast<vellora::ContentHost&>(*frame_).SelectGroup(GroupOf(name));
  Pump();
}

vellora::NodeRef FrameFixture::NodeTitled(const std::string& title, vellora::NodeRef parent) {
  vellora::TreeAccess& tree = frame_->Tree();
  for (vellora::NodeRef n = tree.FirstChild(parent); n; n = tree.Next(n))
    if (tree.Title(n) == title) return n;
  return nullptr;
}

void FrameFixture::SelectNode(const std::string& title, vellora::NodeRef parent) {
  frame_->Tree().Select(NodeTitled(title, parent));
  Pump();
}

}  // namespace vtest
