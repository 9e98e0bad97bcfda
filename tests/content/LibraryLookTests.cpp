// Each library's look: what its slots say (and the built-in look for what
// they do not), and what the appearance commands show and keep.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "content/CommandIds.h"
#include "content/LibraryLook.h"
#include "tests/store/DocumentFixtures.h"

using namespace vellora;

namespace {

Variant Str(const char* text) { return Variant::FromString(text); }
Variant Int(long value) { return Variant::FromInt(value); }
Variant Short(short value) {
  Variant v;
  v.Raw().vt = VT_I2;
  v.Raw().iVal = value;
  return v;
}

LibraryLook Read(const std::map<int, Variant>& slots) {
  return ReadLibraryLook(
      [&](int slot) {
        auto found = slots.find(slot);
        return found == slots.end() ? Variant() : found->second;
      },
      "Face");
}

TEST(LibraryLookSlots, EachSlotIsReadByItsTypeAndWhatIsMissingIsTheBuiltInLook) {
  const LibraryLook none = Read({});
  EXPECT_EQ(none.treeBack, Backdrop{});
  EXPECT_EQ(none.outbarBack, Backdrop{});
  EXPECT_EQ(none.outbarText, kDefaultOutbarText);
  EXPECT_EQ(none.treeText, kDefaultTreeText);
  ASSERT_TRUE(none.treeFont);
  EXPECT_STREQ(none.treeFont->lfFaceName, "Face");
  EXPECT_EQ(none.treeFont->lfHeight, kDefaultTreeFontHeight);
  EXPECT_EQ(none.textBack, kViewDefaultColor);
  EXPECT_EQ(none.listText, kViewDefaultColor);
  EXPECT_EQ(none.fileBack, Backdrop{});

  struct Case {
    const char* what;
    std::map<int, Variant> slots;
    std::optional<Backdrop> LibraryLook::*part;
    Backdrop expected;
  } backs[] = {
      {"tree picture", {{kSlotTreeBack, Str("C:\\pics\\tree.bmp")}}, &LibraryLook::treeBack,
       Backdrop::Image("C:\\pics\\tree.bmp")},
      {"tree colour", {{kSlotTreeBack, Int(0x123456)}}, &LibraryLook::treeBack, Backdrop::Solid(0x123456)},
      {"empty path is the default picture", {{kSlotTreeBack, Str("")}}, &LibraryLook::treeBack, Backdrop{}},
      {"a short integer is no colour", {{kSlotOutbarBack, Short(5)}}, &LibraryLook::outbarBack, Backdrop{}},
      {"outlook bar picture", {{kSlotOutbarBack, Str("bar.bmp")}}, &LibraryLook::outbarBack, Backdrop::Image("bar.bmp")},
      {"list colour", {{kSlotListBack, Int(RGB(1, 2, 3))}}, &LibraryLook::listBack, Backdrop::Solid(RGB(1, 2, 3))},
      {"file view picture", {{kSlotFileBack, Str("f.bmp")}}, &LibraryLook::fileBack, Backdrop::Image("f.bmp")},
  };
  for (const Case& c : backs) EXPECT_EQ(Read(c.slots).*c.part, c.expected) << c.what;

  struct ColorCase {
    const char* what;
    std::map<int, Variant> slots;
    std::optional<COLORREF> LibraryLook::*part;
    COLORREF expected;
  } colors[] = {
      {"tree text", {{kSlotTreeText, Int(0xFF)}}, &LibraryLook::treeText, 0xFF},
      {"tree text of another type", {{kSlotTreeText, Str("red")}}, &LibraryLook::treeText, kDefaultTreeText},
      {"outlook bar text", {{kSlotOutbarText, Int(0x00AA00)}}, &LibraryLook::outbarText, 0x00AA00},
      {"text view back", {{kSlotTextBack, Int(0xCCDDEE)}}, &LibraryLook::textBack, 0xCCDDEE},
      {"list text", {{kSlotListText, Int(7)}}, &LibraryLook::listText, 7},
      {"file text", {{kSlotFileText, Int(9)}}, &LibraryLook::fileText, 9},
  };
  for (const ColorCase& c : colors) EXPECT_EQ(Read(c.slots).*c.part, c.expected) << c.what;

  struct FontCase {
    const char* what;
    std::map<int, Variant> slots;
    const char* face;
    LONG height;
  } fonts[] = {
      {"face and height", {{kSlotTreeFace, Str("Arial")}, {kSlotTreeHeight, Int(-20)}}, "Arial", -20},
      {"a 16-bit height", {{kSlotTreeFace, Str("Arial")}, {kSlotTreeHeight, Short(-15)}}, "Arial", -15},
      {"a face without height", {{kSlotTreeFace, Str("Arial")}}, "Face", kDefaultTreeFontHeight},
      {"an empty face", {{kSlotTreeFace, Str("")}, {kSlotTreeHeight, Int(-20)}}, "Face", kDefaultTreeFontHeight},
  };
  for (const FontCase& c : fonts) {
    LibraryLook look = Read(c.slots);
    ASSERT_TRUE(look.treeFont) << c.what;
    EXPECT_STREQ(look.treeFont->lfFaceName, c.face) << c.what;
    EXPECT_EQ(look.treeFont->lfHeight, c.height) << c.what;
    // Only face and height come back: the rest is the plain font.
    EXPECT_EQ(look.treeFont->lfWeight, FW_NORMAL) << c.what;
    EXPECT_FALSE(look.treeFont->lfItalic) << c.what;
  }
}

// Records what the commands apply; refuses pictures whose path says so.
class RecordingLookHost : public LookHost {
 public:
  std::vector<LibraryLook> applied;
  COLORREF CurrentColor(LookPart part) const override { return 0x100 + static_cast<COLORREF>(part); }
  LOGFONTA CurrentTreeFont() const override { return TreeFontOf("Shown", -11); }
  bool ApplyLook(const LibraryLook& look) override {
    applied.push_back(look);
    for (const auto* back : {&look.outbarBack, &look.treeBack, &look.listBack, &look.fileBack})
      if (*back && (*back)->imagePath.find("broken") != std::string::npos) return false;
    return true;
  }
};

class LookCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(document_.CreateLibrary(rig_.dir.File("look.vlx"))); }
  Variant Slot(int slot) const { return document_.ReadSettingsSlot(slot); }

  vtest::DocumentRig rig_;
  LibraryDocument document_{rig_.host, rig_.prompt, rig_.texts, rig_.log, rig_.Setup()};
  RecordingLookHost host_;
  LookCommands looks_{document_, rig_.prompt, host_, rig_.texts};
};

TEST_F(LookCommandsTest, ColoursStartFromTheShownOneAndAreKeptInTheirSlots) {
  struct Case {
    UINT command;
    LookPart part;
    int slot;
  } cases[] = {
      {ID_FOLDER_FORE_COLOR, LookPart::OutbarText, kSlotOutbarText},
      {ID_FOLDER_BACK_COLOR, LookPart::OutbarBack, kSlotOutbarBack},
      {ID_TREE_FORE_COLOR, LookPart::TreeText, kSlotTreeText},
      {ID_TREE_BACK_COLOR, LookPart::TreeBack, kSlotTreeBack},
      {ID_LIST_TEXT_COLOR, LookPart::ListText, kSlotListText},
      {ID_LIST_BACK_COLOR, LookPart::ListBack, kSlotListBack},
      {ID_FILEVIEW_FORE_COLOR, LookPart::FileText, kSlotFileText},
      {ID_FILEVIEW_BACK_COLOR, LookPart::FileBack, kSlotFileBack},
  };
  COLORREF chosen = RGB(10, 20, 30);
  for (const Case& c : cases) {
    rig_.prompt.colors = {chosen};
    rig_.prompt.colorsOffered.clear();
    ASSERT_TRUE(looks_.Handle(c.command));
    ASSERT_EQ(rig_.prompt.colorsOffered.size(), 1u);
    EXPECT_EQ(rig_.prompt.colorsOffered[0], 0x100 + static_cast<COLORREF>(c.part)) << c.command;
    EXPECT_EQ(Slot(c.slot).Type(), VT_I4) << c.command;
    EXPECT_EQ(static_cast<COLORREF>(Slot(c.slot).AsInt()), chosen) << c.command;
    chosen += 0x010101;
  }
  // A cancelled dialog changes nothing.
  rig_.prompt.colors = {std::nullopt};
  const size_t applied = host_.applied.size();
  looks_.Handle(ID_TREE_FORE_COLOR);
  EXPECT_EQ(host_.applied.size(), applied);
}

TEST_F(LookCommandsTest, APictureAndAColourShareTheirSlotAndTheLaterWins) {
  for (UINT command : {ID_FOLDER_BACK_IMAGE, ID_TREE_BACK_IMAGE, ID_LIST_BACK_IMAGE, ID_FILEVIEW_BACK_IMAGE}) {
    rig_.prompt.files = {"C:\\pictures\\paper.bmp"};
    rig_.prompt.dialogs.clear();
    looks_.Handle(command);
    ASSERT_EQ(rig_.prompt.dialogs.size(), 1u);
    EXPECT_FALSE(rig_.prompt.dialogs[0].save);
    EXPECT_EQ(rig_.prompt.dialogs[0].filter, "All supported Image(*.BMP)|*.bmp|");
    EXPECT_EQ(rig_.prompt.dialogs[0].title, rig_.texts.TextOr(kTextBackImageTitle, "?"));
  }
  EXPECT_EQ(looks_.StoredLook().treeBack, Backdrop::Image("C:\\pictures\\paper.bmp"));
  EXPECT_EQ(looks_.StoredLook().fileBack, Backdrop::Image("C:\\pictures\\paper.bmp"));
  rig_.prompt.colors = {RGB(1, 1, 1)};
  looks_.Handle(ID_TREE_BACK_COLOR);
  EXPECT_EQ(looks_.StoredLook().treeBack, Backdrop::Solid(RGB(1, 1, 1)));
  // A picture the views cannot load is refused with a word and not kept.
  rig_.prompt.files = {"C:\\pictures\\broken.bmp"};
  looks_.Handle(ID_TREE_BACK_IMAGE);
  ASSERT_FALSE(rig_.prompt.shown.empty());
  EXPECT_NE(rig_.prompt.shown.back().text.find("broken.bmp"), std::string::npos);
  EXPECT_EQ(looks_.StoredLook().treeBack, Backdrop::Solid(RGB(1, 1, 1)));
}

TEST_F(LookCommandsTest, TheTreeFontIsShownWholeButOnlyFaceAndHeightAreKept) {
  LOGFONTA bold = TreeFontOf("Courier New", -17);
  bold.lfWeight = FW_BOLD;
  bold.lfItalic = TRUE;
  rig_.prompt.fonts = {bold};
  looks_.Handle(ID_TREE_FONT);
  ASSERT_EQ(rig_.prompt.fontsOffered.size(), 1u);
  EXPECT_STREQ(rig_.prompt.fontsOffered[0].lfFaceName, "Shown");
  ASSERT_TRUE(host_.applied.back().treeFont);
  EXPECT_EQ(host_.applied.back().treeFont->lfWeight, FW_BOLD);
  EXPECT_TRUE(host_.applied.back().treeFont->lfItalic);
  EXPECT_EQ(Slot(kSlotTreeFace).AsString(), "Courier New");
  EXPECT_EQ(Slot(kSlotTreeHeight).AsInt(), -17);
  const LibraryLook reopened = looks_.StoredLook();
  EXPECT_EQ(reopened.treeFont->lfWeight, FW_NORMAL);
  EXPECT_FALSE(reopened.treeFont->lfItalic);
}

TEST_F(LookCommandsTest, ATreeFontHeightKeptAsA16BitIntegerIsRead) {
  ASSERT_HRESULT_SUCCEEDED(document_.WriteSettingsSlot(kSlotTreeFace, Str("Arial")));
  ASSERT_HRESULT_SUCCEEDED(document_.WriteSettingsSlot(kSlotTreeHeight, Short(-15)));
  const LibraryLook look = looks_.StoredLook();
  ASSERT_TRUE(look.treeFont);
  EXPECT_STREQ(look.treeFont->lfFaceName, "Arial");
  EXPECT_EQ(look.treeFont->lfHeight, -15);
}

TEST_F(LookCommandsTest, RestoreDefaultStoresTheBuiltInValues) {
  rig_.prompt.files = {"C:\\p.bmp", "C:\\q.bmp"};
  looks_.Handle(ID_FOLDER_BACK_IMAGE);
  looks_.Handle(ID_TREE_BACK_IMAGE);
  looks_.Handle(ID_FOLDER_RESTORE_DEFAULT);
  EXPECT_TRUE(Slot(kSlotOutbarBack).IsString());
  EXPECT_EQ(Slot(kSlotOutbarBack).AsString(), "");
  EXPECT_EQ(static_cast<COLORREF>(Slot(kSlotOutbarText).AsInt()), 0xA46E3Au);
  looks_.Handle(ID_TREE_RESTORE_DEFAULT);
  EXPECT_EQ(Slot(kSlotTreeBack).AsString(), "");
  EXPECT_EQ(Slot(kSlotTreeText).Type(), VT_I4);
  EXPECT_EQ(Slot(kSlotTreeText).AsInt(-1), 0);
  EXPECT_EQ(Slot(kSlotTreeFace).AsString(), rig_.texts.TextOr(kTextFontFace, "?"));
  EXPECT_EQ(Slot(kSlotTreeHeight).AsInt(), -12);
  const LibraryLook restored = looks_.StoredLook();
  EXPECT_EQ(restored.outbarBack, Backdrop{});
  EXPECT_EQ(restored.treeBack, Backdrop{});
  EXPECT_TRUE(document_.Modified());
}

}  // namespace
