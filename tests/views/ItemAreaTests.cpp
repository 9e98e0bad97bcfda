// The item area on a real, hidden window with the real views: the view table
// makes each view once (kinds given together share one), an item without a
// view shows the placeholder, a tab pages item shows its text page through
// the table's own text view and gives it back when it is left, and the text
// pane's format strip follows its command and the layouts.
#include "views/ItemArea.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <richedit.h>

#include <memory>
#include <string>

#include "content/CommandIds.h"
#include "store/LibraryFormat.h"
#include "tests/content/ContentFixtures.h"
#include "tests/store/DocumentFixtures.h"
#include "tests/views/ViewFixtures.h"
#include "views/FileView.h"
#include "views/TabPagesView.h"
#include "views/TextPane.h"

using namespace vellora;

namespace {

class ItemAreaTest : public ::testing::Test {
 protected:
  ItemAreaTest() : folder(file.AddStorage("Favorite Folder")), area(rig.prompt) {
    EXPECT_TRUE(area.Create(parent.Handle()));
    MoveWindow(area.Window(), 0, 0, 500, 400, TRUE);
    area.wiring.onStored = [this] { ++stores; };
    area.SetViewFactory({kItemText}, [this] {
      ++made[kItemText];
      return std::make_unique<TextPane>("Tahoma");
    });
    area.SetViewFactory({kItemFileFolder}, [this] {
      ++made[kItemFileFolder];
      return std::make_unique<FileView>(rig.prompt, vtest::ShippedTexts());
    });
    // Two kinds given together share their view, as the web kinds do.
    area.SetViewFactory({kItemWebLink, kItemWebArchive}, [this] {
      ++made[kItemWebLink];
      return std::make_unique<FileView>(rig.prompt, vtest::ShippedTexts());
    });
    area.SetViewFactory({kItemTabPages}, [this] {
      return std::make_unique<TabPagesView>(rig.prompt, vtest::ShippedTexts(), [this](uint16_t kind) {
        return kind == kItemTabPages ? nullptr : area.ViewFor(kind);
      });
    });
  }

  // A catalog item of that kind, shown.
  void Show(uint16_t kind, const char* name) {
    EXPECT_HRESULT_SUCCEEDED(CreateItem(folder, kind, name, 1, kFolderItemInfo, kFolderItemContent, {}));
    area.ShowItem(std::make_unique<CatalogItemSource>(folder, name, kind, name), false);
  }

  vtest::DocumentRig rig;
  vtest::HiddenParent parent;
  vtest::ScratchFile file;
  StorageHandle folder;
  ItemArea area;
  int made[16] = {};
  int stores = 0;
};

TEST_F(ItemAreaTest, EachViewIsMadeOnceAndKindsGivenTogetherShareIt) {
  struct Case {
    uint16_t kind;
    int madeSlot;
  } cases[] = {{kItemText, kItemText},       {kItemFileFolder, kItemFileFolder}, {kItemText, kItemText},
               {kItemWebLink, kItemWebLink}, {kItemWebArchive, kItemWebLink},    {kItemFileFolder, kItemFileFolder}};
  for (const Case& c : cases) ASSERT_NE(area.ViewFor(c.kind), nullptr) << c.kind;
  EXPECT_EQ(made[kItemText], 1);
  EXPECT_EQ(made[kItemFileFolder], 1);
  EXPECT_EQ(made[kItemWebLink], 1);
  EXPECT_EQ(area.ViewFor(kItemWebLink), area.ViewFor(kItemWebArchive));
  EXPECT_EQ(area.ViewFor(kItemOleControl), nullptr);
}

TEST_F(ItemAreaTest, AnItemWithoutAViewShowsThePlaceholder) {
  Show(kItemText, "Note");
  ASSERT_NE(area.Shown(), nullptr);
  EXPECT_EQ(area.ShownKind(), kItemText);
  // Not even opened: there is no view to show it in.
  area.ShowItem(std::make_unique<CatalogItemSource>(folder, "Control", kItemOleControl, "Control"), false);
  EXPECT_EQ(area.Shown(), nullptr);
  EXPECT_EQ(area.ShownKind(), kViewPlaceholder);
}

TEST_F(ItemAreaTest, ATabPagesItemShowsItsTextPageInTheTablesTextViewAndGivesItBack) {
  ItemView* text = area.ViewFor(kItemText);
  ASSERT_NE(text, nullptr);
  Show(kItemTabPages, "Pages");
  ItemView* shown = area.Shown();
  ASSERT_NE(shown, nullptr);
  EXPECT_EQ(shown->Kind(), kItemTabPages);
  EXPECT_EQ(&shown->ActiveView(), text);
  EXPECT_EQ(shown->ShownPage(), "Content");
  EXPECT_TRUE(IsChild(shown->Window(), text->Window()));
  // Typed on the page, stored when the item is left, and the view is home again.
  SendMessageA(text->FocusWindow(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("on the page"));
  EXPECT_TRUE(shown->Modified());
  area.ShowPlaceholder(PlaceholderView::Form::NoItem);
  EXPECT_EQ(stores, 1);
  EXPECT_EQ(GetParent(text->Window()), area.Window());
  EXPECT_NE(vtest::ContentBytes(TabPageSource(folder, "Pages", "Content", kItemText, "Content")).find("on the page"),
            std::string::npos);
  // The text view shows a note of its own again.
  Show(kItemText, "Note");
  EXPECT_EQ(area.Shown(), text);
  EXPECT_TRUE(IsWindowVisible(text->Window()) || !IsWindowVisible(area.Window()));
}

TEST_F(ItemAreaTest, TheFormatStripFollowsItsCommandAndTheLayouts) {
  auto* pane = static_cast<TextPane*>(area.ViewFor(kItemText));
  ASSERT_NE(pane, nullptr);
  HWND strip = FindWindowExA(FindWindowExA(pane->Window(), nullptr, nullptr, nullptr), nullptr,
                             "VelloraFormatStrip", nullptr);
  ASSERT_NE(strip, nullptr);
  CommandUi ui;
  ASSERT_TRUE(pane->QueryCommand(ID_VIEW_FORMAT_TOOLBAR, ui));
  EXPECT_TRUE(ui.checked);
  EXPECT_TRUE(pane->HandleCommand(ID_VIEW_FORMAT_TOOLBAR));
  EXPECT_FALSE(pane->FormatStripShown());
  EXPECT_FALSE(GetWindowLongA(strip, GWL_STYLE) & WS_VISIBLE);
  pane->QueryCommand(ID_VIEW_FORMAT_TOOLBAR, ui);
  EXPECT_FALSE(ui.checked);
  InterfaceLayout layout = {};
  layout.textSplitter = PaneRule::Both;
  layout.titleSplitter = PaneRule::Both;
  area.ApplyLayout(layout);
  EXPECT_TRUE(pane->FormatStripShown());
  layout.textSplitter = PaneRule::SecondOnly;
  area.ApplyLayout(layout);
  EXPECT_FALSE(pane->FormatStripShown());
}

TEST_F(ItemAreaTest, TheFormatToolbarIsEnabledAsTheCommandsAre) {
  auto* pane = static_cast<TextPane*>(area.ViewFor(kItemText));
  ASSERT_NE(pane, nullptr);
  HWND strip = FindWindowExA(FindWindowExA(pane->Window(), nullptr, nullptr, nullptr), nullptr,
                             "VelloraFormatStrip", nullptr);
  HWND bar = FindWindowExA(strip, nullptr, TOOLBARCLASSNAMEA, nullptr);
  ASSERT_NE(bar, nullptr);
  for (bool enabled : {false, true}) {
    pane->wiring.queryCommand = [&](UINT id) { return CommandUi{enabled && id != ID_EDIT_REDO, id == ID_FORMAT_BOLD}; };
    pane->UpdateCommandUi();
    EXPECT_EQ(SendMessageA(bar, TB_ISBUTTONENABLED, ID_FORMAT_BOLD, 0) != 0, enabled);
    EXPECT_FALSE(SendMessageA(bar, TB_ISBUTTONENABLED, ID_EDIT_REDO, 0));
    EXPECT_TRUE(SendMessageA(bar, TB_ISBUTTONCHECKED, ID_FORMAT_BOLD, 0));
  }
}

}  // namespace
