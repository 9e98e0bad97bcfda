// The OLE control view and the Insert ActiveX Control dialog with the tests'
// own control: a control made afresh each time its item is shown, the
// message for an identifier that names no control, an empty identifier, and
// the dialog's list of registered controls.
#include "views/ControlView.h"
#include "content/TabPages.h"
#include "views/TabPagesView.h"

#include <gtest/gtest.h>

#include <string>

#include "store/LibraryFormat.h"
#include "tests/axcontrol/TestControlDll.h"
#include "tests/content/ContentFixtures.h"
#include "tests/store/DocumentFixtures.h"
#include "tests/views/DialogDriver.h"
#include "tests/views/ViewFixtures.h"
#include "views/dialogs/DialogIds.h"
#include "views/dialogs/InsertControlDialog.h"

using namespace vellora;

namespace {

class ControlViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(vtest::Dll().registered);
    vtest::Dll().clear();
    ASSERT_TRUE(view.Create(parent.Handle()));
    MoveWindow(view.Window(), 0, 0, 360, 240, TRUE);
  }
  void TearDown() override {
    view.Clear();
    EXPECT_EQ(vtest::Dll().live(), 0) << "a control object was not let go";
  }
  // An OLE control item as the program creates one, naming identifier.
  CatalogItemSource Item(const char* name, const std::string& identifier) {
    EXPECT_HRESULT_SUCCEEDED(CreateItem(folder, kItemOleControl, name, 1, kFolderItemInfo, kFolderItemContent,
                                        {identifier}));
    return CatalogItemSource(folder, name, kItemOleControl, name);
  }
  static int Count(const std::string& log, const std::string& line) {
    int n = 0;
    for (size_t at = log.find(line); at != std::string::npos; at = log.find(line, at + 1)) ++n;
    return n;
  }

  vtest::DocumentRig rig;
  vtest::HiddenParent parent;
  vtest::ScratchFile file;
  StorageHandle folder = file.AddStorage("Favorite Folder");
  ControlView view{rig.prompt};
};

TEST_F(ControlViewTest, TheControlIsMadeAfreshEachTimeItsItemIsShown) {
  CatalogItemSource item = Item("Control", vtest::kClassId);
  ASSERT_TRUE(view.Load(item));
  ASSERT_TRUE(view.Host() && view.Host()->HasControl());
  HWND control = FindWindowExA(view.Host()->Handle(), nullptr, "VelloraTestControlWindow", nullptr);
  ASSERT_TRUE(control);
  RECT rc;
  GetClientRect(control, &rc);
  RECT inside;
  GetClientRect(view.Window(), &inside);
  EXPECT_EQ(rc.right, inside.right);
  EXPECT_EQ(rc.bottom, inside.bottom);
  EXPECT_GT(rc.right, 300);
  ASSERT_TRUE(view.Load(item));
  EXPECT_EQ(vtest::Dll().live(), 1);
  EXPECT_EQ(Count(vtest::Dll().log(), "initnew\n"), 2);
  EXPECT_TRUE(rig.prompt.shown.empty());
  // Nothing of the control's is written back into the item.
  EXPECT_EQ(vtest::ContentBytes(item), vtest::Counted(vtest::kClassId));
}

TEST_F(ControlViewTest, AControlPageOfATabPagesItemIsShownInTheViewAndLetGoWithTheItem) {
  ASSERT_HRESULT_SUCCEEDED(CreateItem(folder, kItemTabPages, "Tabs", 2, kFolderItemInfo, kFolderItemContent, {}));
  {
    StorageHandle item = folder.OpenStorageFor("Tabs", false);
    TabPages pages;
    ASSERT_HRESULT_SUCCEEDED(pages.Load(item));
    NewItemRequest page;
    page.title = "Gadget";
    page.kind = kItemOleControl;
    page.address = vtest::kClassId;
    size_t index = 0;
    ASSERT_HRESULT_SUCCEEDED(pages.Add(item, page, index));
  }
  vtest::NoTexts texts;
  TabPagesView tabs(rig.prompt, texts, [&](uint16_t kind) -> ItemView* {
    return kind == kItemOleControl ? &view : nullptr;
  });
  ASSERT_TRUE(tabs.Create(parent.Handle()));
  MoveWindow(tabs.Window(), 0, 0, 360, 240, TRUE);
  CatalogItemSource source(folder, "Tabs", kItemTabPages, "Tabs");
  ASSERT_TRUE(tabs.Load(source));
  // Only the control page has a view here: it is the one tab, shown at once.
  ASSERT_EQ(tabs.Strip().TabCount(), 1);
  EXPECT_EQ(GetParent(view.Window()), tabs.Window());
  ASSERT_TRUE(view.Host() && view.Host()->HasControl());
  EXPECT_EQ(vtest::Dll().live(), 1);
  EXPECT_EQ(view.Identifier(), vtest::kClassId);
  tabs.Clear();
  EXPECT_EQ(vtest::Dll().live(), 0);
  EXPECT_EQ(GetParent(view.Window()), parent.Handle());
}

TEST_F(ControlViewTest, AnIdentifierThatNamesNoControlIsToldEveryTime) {
  CatalogItemSource item = Item("Gone", "{00000000-1111-2222-3333-444444444444}");
  for (int shown = 1; shown <= 2; ++shown) {
    EXPECT_TRUE(view.Load(item));
    ASSERT_EQ(rig.prompt.shown.size(), static_cast<size_t>(shown));
    EXPECT_EQ(rig.prompt.shown.back().text, "Please check the control's CLSID!");
    EXPECT_EQ(rig.prompt.shown.back().caption, "Fail to create control");
    EXPECT_FALSE(view.Host()->HasControl());
  }
  EXPECT_EQ(vtest::ContentBytes(item), vtest::Counted("{00000000-1111-2222-3333-444444444444}"));
}

TEST_F(ControlViewTest, AnEmptyIdentifierShowsAnEmptyHostWithoutAWord) {
  StorageHandle item;
  ASSERT_HRESULT_SUCCEEDED(folder.CreateStorage("Empty", kWriteMode, item));
  vtest::WriteStream(item, kFolderItemContent, "");
  item.Release();
  CatalogItemSource source(folder, "Empty", kItemOleControl, "Empty");
  EXPECT_TRUE(view.Load(source));
  EXPECT_TRUE(rig.prompt.shown.empty());
  EXPECT_FALSE(view.Host()->HasControl());
}

TEST_F(ControlViewTest, TheInsertDialogListsTheRegisteredControlWithItsServer) {
  bool listed = false;
  for (const ControlClass& control : RegisteredControls()) {
    if (control.classId != vtest::kClassId) continue;
    listed = true;
    EXPECT_EQ(control.name, vtest::kUserType);
    EXPECT_NE(control.location.find("VelloraTestControl.dll"), std::string::npos) << control.location;
  }
  EXPECT_TRUE(listed);

  InsertControlDialog dialog;
  std::string classShown;
  vtest::DialogDriver driver([&] {
    HWND d = vtest::WaitForDialog("Insert ActiveX Control");
    ASSERT_NE(d, nullptr);
    HWND list = GetDlgItem(d, IDC_CONTROL_LIST);
    char text[256];
    for (LRESULT i = 0; i < SendMessageA(list, LB_GETCOUNT, 0, 0); ++i) {
      SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
      if (std::string(text) != vtest::kUserType) continue;
      SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(i), 0);
      SendMessageA(d, WM_COMMAND, MAKEWPARAM(IDC_CONTROL_LIST, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    }
    classShown = vtest::ControlText(d, IDC_CONTROL_CLASS);
    vtest::Click(d, IDOK);
  });
  ASSERT_TRUE(dialog.Ask(nullptr));
  EXPECT_EQ(classShown, vtest::kClassId);
  EXPECT_EQ(dialog.ClassId(), vtest::kClassId);
}

}  // namespace
