// The text view on notes it cannot show as stored: damaged, unreadable or
// too large notes stay read-only in every edit window it makes and are never
// stored over; notes too long to wrap are shown unwrapped and kept as stored.
#include <windows.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "content/CommandIds.h"
#include "content/ItemSource.h"
#include "store/LibraryFormat.h"
#include "tests/content/ContentFixtures.h"
#include "tests/views/TextViewRig.h"
#include "tests/views/ViewFixtures.h"

using namespace vellora;
using vtest::TextViewRig;

namespace {

bool WindowReadOnly(const TextViewRig& rig) { return (GetWindowLongA(rig.Edit(), GWL_STYLE) & ES_READONLY) != 0; }

// Sixty paragraphs with trailing spaces (a tool makes one edit each), then a
// control word longer than the format allows.
std::string DamagedNote() {
  std::string rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Tahoma;}}\\f0 ";
  for (int i = 0; i < 60; ++i) rtf += "line " + std::to_string(i) + " has text   \\par\n";
  return rtf + "\\" + std::string(5000, 'x') + " lost}";
}

TEST(NoteLoad, ADamagedNoteStaysReadOnlyWhateverMakesANewEditWindow) {
  struct Case {
    const char* name;
    std::function<void(TextViewRig&)> act;
  };
  const Case cases[] = {
      {"tool with many edits", [](TextViewRig& r) { r.Run(ID_TEXT_DELETE_LINE_END_SPACES); }},
      {"tool then undo", [](TextViewRig& r) { r.Run(ID_TEXT_DELETE_LINE_END_SPACES); r.Run(ID_EDIT_UNDO); }},
      {"tool, undo, redo",
       [](TextViewRig& r) { r.Run(ID_TEXT_DELETE_LINE_END_SPACES); r.Run(ID_EDIT_UNDO); r.Run(ID_EDIT_REDO); }},
      {"insert empty lines", [](TextViewRig& r) { r.Run(ID_TEXT_INSERT_EMPTY_LINES); }},
      {"lock taken off", [](TextViewRig& r) { r.view.SetReadOnly(true); r.view.SetReadOnly(false); }},
      {"bold", [](TextViewRig& r) { r.Select(0, 4); r.Run(ID_FORMAT_BOLD); }},
  };
  for (const Case& c : cases) {
    vtest::ScratchFile file;
    StorageHandle folder = file.AddStorage("folder");
    vtest::AddLeaf(folder, "bad", 1, DamagedNote());
    LeafNodeSource source(folder, {"bad"}, kItemText, "bad");
    const std::string stored = vtest::ContentBytes(source);
    TextViewRig rig;
    rig.view.Load(source);
    ASSERT_FALSE(rig.view.LoadProblem().empty()) << c.name;
    const std::wstring shown = rig.Text();
    c.act(rig);
    EXPECT_TRUE(WindowReadOnly(rig)) << c.name;
    EXPECT_EQ(rig.Text(), shown) << c.name;
    CommandUi ui;
    rig.view.QueryCommand(ID_TEXT_DELETE_LINE_END_SPACES, ui);
    EXPECT_FALSE(ui.enabled) << c.name;
    SendMessageA(rig.Edit(), EM_SETMODIFY, TRUE, 0);
    rig.view.Store();
    EXPECT_EQ(vtest::ContentBytes(source), stored) << c.name;
  }
}

TEST(NoteLoad, ANoteThatCannotBeReadIsToldReadOnlyAndNeverStoredOver) {
  struct Case {
    const char* name;
    bool present;          // the item's storage exists
    unsigned long long size;  // the content stream's size (0: as written)
  };
  const Case cases[] = {
      {"missing item", false, 0},
      {"larger than the bound", true, kMaxNoteBytes + 1},
  };
  for (const Case& c : cases) {
    vtest::ScratchFile file;
    StorageHandle folder = file.AddStorage("folder");
    if (c.present) {
      StorageHandle item;
      ASSERT_HRESULT_SUCCEEDED(folder.CreateStorage("item", kWriteMode, item));
      vtest::WriteStream(item, kFolderItemContent, "{\\rtf1\\ansi big}");
      if (c.size) {
        StreamHandle content;
        ASSERT_HRESULT_SUCCEEDED(item.OpenStream(kFolderItemContent, kWriteMode, content));
        ULARGE_INTEGER size;
        size.QuadPart = c.size;
        ASSERT_HRESULT_SUCCEEDED(content->SetSize(size));
      }
    }
    CatalogItemSource source(folder, "item", kItemText, "item");
    TextViewRig rig;
    EXPECT_FALSE(rig.view.Load(source)) << c.name;
    EXPECT_FALSE(rig.view.LoadProblem().empty()) << c.name;
    EXPECT_TRUE(WindowReadOnly(rig)) << c.name;
    SendMessageA(rig.Edit(), EM_SETMODIFY, TRUE, 0);
    EXPECT_TRUE(rig.view.Store()) << c.name;
    if (c.present) {
      StorageHandle item;
      ASSERT_HRESULT_SUCCEEDED(folder.OpenStorage("item", kReadMode, item));
      StreamHandle content;
      ASSERT_HRESULT_SUCCEEDED(item.OpenStream(kFolderItemContent, kReadMode, content));
      STATSTG stat = {};
      ASSERT_HRESULT_SUCCEEDED(content->Stat(&stat, STATFLAG_NONAME));
      EXPECT_EQ(stat.cbSize.QuadPart, c.size) << c.name;
    } else {
      StorageHandle item;
      EXPECT_HRESULT_FAILED(folder.OpenStorage("item", kReadMode, item)) << c.name;
    }
  }
}

TEST(NoteLoad, WrapIsRefusedOnlyWhereLongParagraphsCostTooMuch) {
  struct Case {
    const char* name;
    std::wstring text;
    bool tooLong;
  };
  auto paragraphs = [](size_t count, size_t length) {
    std::wstring text;
    for (size_t i = 0; i < count; ++i) text += std::wstring(length, L'w') + L"\r";
    return text;
  };
  const Case cases[] = {
      {"empty", L"", false},
      {"one paragraph at the bound", paragraphs(1, kMaxWrappedParagraph), false},
      {"one word past the bound", paragraphs(1, kMaxWrappedParagraph + 1), true},
      {"four paragraphs of 9000", paragraphs(4, 9000), true},
      {"4 MiB of short paragraphs", paragraphs(4096, 1000), false},
  };
  for (const Case& c : cases) EXPECT_EQ(TooLongToWrap(c.text), c.tooLong) << c.name;
}

TEST(NoteLoad, AWordTooLongToWrapIsShownUnwrappedAndStoredAsItWas) {
  vtest::ScratchFile file;
  StorageHandle folder = file.AddStorage("folder");
  vtest::AddLeaf(folder, "word", 1, "{\\rtf1\\ansi{\\fonttbl{\\f0 Tahoma;}}\\f0 " + std::string(64 << 10, 'a') + "}");
  LeafNodeSource source(folder, {"word"}, kItemText, "word");
  const std::string stored = vtest::ContentBytes(source);
  TextViewRig rig;
  ASSERT_TRUE(rig.view.WordWrap());
  ASSERT_TRUE(rig.view.Load(source));
  EXPECT_TRUE(rig.view.ShownUnwrapped());
  EXPECT_EQ(SendMessageA(rig.Edit(), EM_GETLINECOUNT, 0, 0), 1);
  EXPECT_TRUE(rig.view.Editable());
  // Auto Line cannot wrap it either; the wrap flag stays the user's.
  rig.Run(ID_TEXT_AUTO_LINE);
  rig.Run(ID_TEXT_AUTO_LINE);
  EXPECT_EQ(SendMessageA(rig.Edit(), EM_GETLINECOUNT, 0, 0), 1);
  EXPECT_TRUE(rig.view.WordWrap());
  EXPECT_FALSE(rig.view.Modified());
  EXPECT_TRUE(rig.view.Store());
  EXPECT_EQ(vtest::ContentBytes(source), stored);
}

}  // namespace
