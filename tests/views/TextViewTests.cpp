// The text view on a real window: formatting, colours, links, read-only,
// undo over a whole-note tool, and storing into real compound files.
#include <windows.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "content/CommandIds.h"
#include "content/ItemSource.h"
#include "content/RtfEdits.h"
#include "store/LibraryFormat.h"
#include "tests/content/ContentFixtures.h"
#include "tests/views/TextViewRig.h"

using namespace vellora;
using vtest::TextViewRig;

namespace {

CHARFORMAT2A FormatAt(HWND edit, LONG from, LONG to) {
  CHARRANGE range = {from, to};
  SendMessageA(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
  CHARFORMAT2A format = {};
  format.cbSize = sizeof format;
  format.dwMask = CFM_ALL2;
  SendMessageA(edit, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
  return format;
}

std::string ReadAll(const StorageHandle& parent, const char* stream) {
  StreamHandle s;
  EXPECT_HRESULT_SUCCEEDED(parent.OpenStream(stream, kReadMode, s));
  std::string bytes;
  char buffer[4096];
  ULONG got = 0;
  while (SUCCEEDED(s.ReadBytes(buffer, sizeof buffer, &got)) && got > 0) bytes.append(buffer, got);
  return bytes;
}

TEST(TextView, CharacterFormatsGoToTheWordAroundACaret) {
  TextViewRig rig;
  rig.SetText(L"one two three");
  struct Case {
    UINT command;
    DWORD effect;
  };
  for (Case c : {Case{ID_FORMAT_BOLD, CFE_BOLD}, Case{ID_FORMAT_ITALIC, CFE_ITALIC},
                 Case{ID_FORMAT_UNDERLINE, CFE_UNDERLINE}}) {
    rig.Select(5, 5);
    rig.Run(c.command);
    EXPECT_TRUE(FormatAt(rig.Edit(), 4, 7).dwEffects & c.effect) << c.command;
    EXPECT_FALSE(FormatAt(rig.Edit(), 0, 3).dwEffects & c.effect) << c.command;
    EXPECT_FALSE(FormatAt(rig.Edit(), 8, 13).dwEffects & c.effect) << c.command;
    // Toggling again takes it away.
    rig.Select(4, 7);
    rig.Run(c.command);
    EXPECT_FALSE(FormatAt(rig.Edit(), 4, 7).dwEffects & c.effect) << c.command;
  }
}

TEST(TextView, TheSizeBoxEntriesAreTheSeventeenSizes) {
  struct Case {
    int index;
    LONG twips;
  };
  TextViewRig rig;
  rig.SetText(L"sized text");
  for (Case c : {Case{0, 120}, Case{1, 160}, Case{5, 240}, Case{16, 1440}, Case{-1, 160}}) {
    rig.Select(0, 5);
    rig.view.ApplyFontSize(c.index);
    EXPECT_EQ(FormatAt(rig.Edit(), 0, 5).yHeight, c.twips) << c.index;
  }
  rig.Select(0, 5);
  rig.view.ApplyFontName("Courier New");
  EXPECT_STREQ(FormatAt(rig.Edit(), 0, 5).szFaceName, "Courier New");
}

TEST(TextView, ColoursComeFromTheDialogTheButtonAndThePalette) {
  TextViewRig rig;
  rig.SetText(L"colour me");
  COLORREF dialogAnswer = RGB(10, 20, 30);
  int dialogs = 0;
  rig.view.chooseColor = [&](COLORREF& color) {
    ++dialogs;
    color = dialogAnswer;
    return true;
  };
  PaletteChoice paletteAnswer{PaletteResult::Chosen, RGB(255, 104, 32)};
  rig.view.openPalette = [&](const RECT&, COLORREF) { return paletteAnswer; };

  // The menu asks and remembers; the button applies the remembered colour.
  rig.Select(0, 6);
  rig.Run(ID_FORMAT_TEXT_COLOR);
  EXPECT_EQ(dialogs, 1);
  EXPECT_EQ(FormatAt(rig.Edit(), 0, 6).crTextColor, dialogAnswer);
  EXPECT_EQ(rig.view.LastTextColor(), dialogAnswer);
  rig.Select(7, 9);
  rig.view.HandleCommandFrom(ID_FORMAT_TEXT_COLOR, rig.Parent());
  EXPECT_EQ(dialogs, 1);
  EXPECT_EQ(FormatAt(rig.Edit(), 7, 9).crTextColor, dialogAnswer);

  // The palette's entry is applied and remembered; its other-colour entry opens the dialog.
  RECT button = {0, 0, 10, 10};
  rig.Select(0, 6);
  rig.view.DropDownColor(ID_FORMAT_HIGHLIGHT_COLOR, button);
  EXPECT_EQ(FormatAt(rig.Edit(), 0, 6).crBackColor, RGB(255, 104, 32));
  EXPECT_EQ(rig.view.LastHighlightColor(), RGB(255, 104, 32));
  paletteAnswer = {PaletteResult::OtherColor, 0};
  rig.view.DropDownColor(ID_TEXT_BACK_COLOR, button);
  EXPECT_EQ(dialogs, 2);
  EXPECT_EQ(rig.view.BackColor(), dialogAnswer);
  paletteAnswer = {PaletteResult::Cancelled, 0};
  rig.view.DropDownColor(ID_TEXT_BACK_COLOR, button);
  EXPECT_EQ(rig.view.BackColor(), dialogAnswer);
}

TEST(TextView, AReadOnlyNoteIsNeitherFormattedNorTidied) {
  TextViewRig rig;
  const std::wstring text = L"abc\rdef   \r\r  ghi";
  rig.SetText(text);
  rig.view.SetReadOnly(true);
  rig.view.chooseColor = [](COLORREF&) { return true; };
  const UINT commands[] = {ID_FORMAT_BOLD, ID_FORMAT_TEXT_COLOR, ID_FORMAT_ALIGN_CENTER,
                           ID_TEXT_REORGANIZE_PARAGRAPHS, ID_TEXT_DELETE_LINE_END_SPACES,
                           ID_TEXT_CLEANUP_PARAGRAPH_SPACES, ID_TEXT_DELETE_EMPTY_LINES, ID_TEXT_INSERT_EMPTY_LINES,
                           ID_TEXT_DELETE_EXTRA_SPACES, ID_TEXT_INSERT_TIME, ID_TEXT_INSERT_SINGLE_LINE,
                           ID_TEXT_DELETE_CURRENT_LINE};
  for (UINT id : commands) {
    rig.Select(0, 3);
    rig.Run(id);
    CommandUi ui;
    EXPECT_TRUE(rig.view.QueryCommand(id, ui));
    EXPECT_FALSE(ui.enabled) << id;
  }
  rig.view.ApplyFontSize(16);
  EXPECT_EQ(rig.Text(), text);
  EXPECT_FALSE(FormatAt(rig.Edit(), 0, 3).dwEffects & CFE_BOLD);
  EXPECT_NE(FormatAt(rig.Edit(), 0, 3).yHeight, 1440);
  EXPECT_FALSE(rig.view.Modified());
}

TEST(TextView, LinksOpenAtOnceOnlyForWebAndMail) {
  struct Case {
    const char* target;
    bool atOnce;
  };
  const Case cases[] = {{"http://example.com/a", true},  {"HTTPS://x.org", true},     {"ftp://files.net", true},
                        {"mailto:a@b.c", true},          {"www.example.com", true},   {"file:///c:/x.exe", false},
                        {"c:\\windows\\calc.exe", false}, {"telnet://host", false},    {"news:group", false},
                        {"", false}};
  for (const Case& c : cases) EXPECT_EQ(OpensWithoutAsking(c.target), c.atOnce) << c.target;
}

TEST(TextView, AClickedLinkIsReadWholeAndOnlyOtherTargetsAreAskedFor) {
  TextViewRig rig;
  std::wstring web = L"http://example.com/\x4E2D\x6587";
  std::wstring file = L"file://c:/tools/run.exe";
  rig.SetText(L"see " + web + L" and " + file + L" end");
  std::vector<std::string> asked, opened;
  bool answer = false;
  rig.view.confirmLink = [&](const std::string& t) {
    asked.push_back(t);
    return answer;
  };
  rig.view.openLink = [&](const std::string& t) { opened.push_back(t); };
  auto click = [&](LONG from, LONG to) {
    ENLINK link = {};
    link.nmhdr.hwndFrom = rig.Edit();
    link.nmhdr.code = EN_LINK;
    link.msg = WM_LBUTTONUP;
    link.chrg = {from, to};
    rig.view.OnNotify(link.nmhdr);
  };
  LONG webStart = 4, webEnd = webStart + static_cast<LONG>(web.size());
  click(webStart, webEnd);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_TRUE(asked.empty());
  // The double-byte characters come whole: the buffer is sized in bytes.
  EXPECT_EQ(opened[0].size(), GetACP() == 936 ? std::string("http://example.com/").size() + 4
                                               : std::string("http://example.com/").size() + 2);
  LONG fileStart = webEnd + 5, fileEnd = fileStart + static_cast<LONG>(file.size());
  click(fileStart, fileEnd);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0], "file://c:/tools/run.exe");
  EXPECT_EQ(opened.size(), 1u);
  answer = true;
  click(fileStart, fileEnd);
  EXPECT_EQ(opened.size(), 2u);
  // The selection is collapsed afterwards.
  CHARRANGE sel = rig.Selection();
  EXPECT_EQ(sel.cpMin, sel.cpMax);
}

// Many paragraphs: the tool goes through the note's RTF in one pass.
std::wstring ManyParagraphs(int count) {
  std::wstring text;
  for (int i = 0; i < count; ++i) text += L"line " + std::to_wstring(i) + L" has text   \r";
  return text;
}

TEST(TextView, AWholeNoteToolKeepsFormatsAndUndoesInOneStep) {
  TextViewRig rig;
  std::wstring text = ManyParagraphs(60);
  rig.SetText(text);
  // A bold word and a centred paragraph before the tool.
  rig.Select(0, 4);
  rig.Run(ID_FORMAT_BOLD);
  rig.Select(30, 30);
  rig.Run(ID_FORMAT_ALIGN_CENTER);
  HWND before = rig.Edit();
  rig.Run(ID_TEXT_DELETE_LINE_END_SPACES);
  std::wstring tidied = rig.Text();
  EXPECT_EQ(tidied.find(L"   \r"), std::wstring::npos);
  EXPECT_NE(rig.Edit(), before) << "expected the one-pass path";
  EXPECT_TRUE(FormatAt(rig.Edit(), 0, 4).dwEffects & CFE_BOLD);
  EXPECT_FALSE(FormatAt(rig.Edit(), 5, 9).dwEffects & CFE_BOLD);
  rig.Select(30, 30);
  CommandUi centred;
  rig.view.QueryCommand(ID_FORMAT_ALIGN_CENTER, centred);
  EXPECT_TRUE(centred.checked);
  EXPECT_TRUE(rig.view.Modified());
  // One undo brings the note back; redo takes it forward again.
  CommandUi undo;
  ASSERT_TRUE(rig.view.QueryCommand(ID_EDIT_UNDO, undo));
  EXPECT_TRUE(undo.enabled);
  rig.Run(ID_EDIT_UNDO);
  EXPECT_EQ(rig.Text(), text);
  EXPECT_TRUE(FormatAt(rig.Edit(), 0, 4).dwEffects & CFE_BOLD);
  rig.Run(ID_EDIT_REDO);
  EXPECT_EQ(rig.Text(), tidied);
}

TEST(RtfEdits, RefusesWhatItCannotCount) {
  TextEdits edits;
  edits.edits.push_back({1, 1, L""});
  std::string out;
  EXPECT_FALSE(ApplyEditsToRtf("{\\rtf1 a\\bin3 xyzb}", edits, out));
  EXPECT_FALSE(ApplyEditsToRtf("{\\rtf1 a", edits, out));  // the edit is never reached
  EXPECT_TRUE(ApplyEditsToRtf("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 ab\\par c}", edits, out));
  EXPECT_EQ(out, "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 a\\par c}");
}

// ---- storing into the item's stream ------------------------------------------------------

struct Holder {
  const char* name;
  bool leaf;
};

class TextViewStore : public ::testing::TestWithParam<Holder> {};

TEST_P(TextViewStore, EditsGoBackBehindTheRecordWithNoOlderTail) {
  const Holder& h = GetParam();
  vtest::ScratchFile file;
  StorageHandle folder = file.AddStorage("folder");
  std::string longRtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Tahoma;}}\\f0 " + std::string(5000, 'x') + "\\par}";
  std::unique_ptr<ItemSource> source;
  if (h.leaf) {
    vtest::AddLeaf(folder, "leaf", 1, longRtf);
    source = std::make_unique<LeafNodeSource>(folder, std::vector<std::string>{"leaf"}, kItemText, "leaf");
  } else {
    StorageHandle item;
    ASSERT_HRESULT_SUCCEEDED(folder.CreateStorage("item", kWriteMode, item));
    vtest::WriteStream(item, kFolderItemContent, longRtf);
    source = std::make_unique<CatalogItemSource>(folder, "item", kItemText, "item");
  }
  TextViewRig rig;
  ASSERT_TRUE(rig.view.Load(*source));
  EXPECT_EQ(rig.Text(), std::wstring(5000, L'x'));
  EXPECT_FALSE(rig.view.Modified());
  EXPECT_TRUE(rig.view.Store());  // nothing to write
  rig.SetText(L"short");
  SendMessageA(rig.Edit(), EM_SETMODIFY, TRUE, 0);
  ASSERT_TRUE(rig.view.Store());
  EXPECT_FALSE(rig.view.Modified());

  std::string bytes;
  if (h.leaf) {
    bytes = ReadAll(folder, "leaf");
    ASSERT_GE(bytes.size(), 40u);
    uint8_t raw[kRecordSize];
    std::memcpy(raw, bytes.data(), kRecordSize);
    EXPECT_EQ(NodeInfoRecord::Decode(raw).sequence, 1);
    bytes = bytes.substr(40);
  } else {
    StorageHandle item;
    ASSERT_HRESULT_SUCCEEDED(folder.OpenStorage("item", kReadMode, item));
    bytes = ReadAll(item, kFolderItemContent);
  }
  EXPECT_EQ(bytes.compare(0, 5, "{\\rtf"), 0);
  EXPECT_EQ(bytes.find("xxxx"), std::string::npos);
  EXPECT_EQ(bytes.back() == '}' || bytes.back() == '\n' || bytes.back() == 0, true);
  // Loading it again shows the stored text.
  TextViewRig again;
  ASSERT_TRUE(again.view.Load(*source));
  EXPECT_EQ(again.Text(), L"short");
}

INSTANTIATE_TEST_SUITE_P(Holders, TextViewStore,
                         ::testing::Values(Holder{"CatalogItem", false}, Holder{"LeafNode", true}),
                         [](const ::testing::TestParamInfo<Holder>& info) { return std::string(info.param.name); });

TEST(TextView, AContentOverTheLimitIsNeitherCutOnLoadNorOnSave) {
  vtest::ScratchFile file;
  StorageHandle folder = file.AddStorage("folder");
  // 4,100,000 characters in 4,100 paragraphs of a thousand.
  std::string rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Tahoma;}}\\f0 ";
  const std::string line(999, 'y');
  for (int i = 0; i < 4100; ++i) rtf += line + "\\par\n";
  rtf += "}";
  vtest::AddLeaf(folder, "big", 1, rtf);
  LeafNodeSource source(folder, {"big"}, kItemText, "big");
  TextViewRig rig;
  rig.SetWrap(false);
  ASSERT_TRUE(rig.view.Load(source));
  LONG loaded = static_cast<LONG>(rig.Text().size());
  EXPECT_GE(loaded, 4100 * 1000 - 1);
  SendMessageA(rig.Edit(), EM_SETMODIFY, TRUE, 0);
  ASSERT_TRUE(rig.view.Store());
  TextViewRig again;
  again.SetWrap(false);
  ASSERT_TRUE(again.view.Load(source));
  EXPECT_EQ(static_cast<LONG>(again.Text().size()), loaded);
}

TEST(TextView, AnEmptyContentGetsTheDefaultFormat) {
  vtest::ScratchFile file;
  StorageHandle folder = file.AddStorage("folder");
  vtest::AddLeaf(folder, "empty", 1, "");
  LeafNodeSource source(folder, {"empty"}, kItemText, "empty");
  TextViewRig rig;
  rig.view.Load(source);
  EXPECT_TRUE(rig.Text().empty());
  SendMessageA(rig.Edit(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("typed"));
  CHARFORMAT2A format = FormatAt(rig.Edit(), 0, 5);
  EXPECT_EQ(format.yHeight, 240);
  EXPECT_FALSE(format.dwEffects & CFE_BOLD);
  EXPECT_STREQ(format.szFaceName, "Tahoma");
}

}  // namespace
