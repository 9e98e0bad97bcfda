// A plain text made into a note and shown in a real text view reads back as
// the same text: lines, RTF specials, tabs and the code page's own bytes.
#include <windows.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "content/ItemSource.h"
#include "content/TextExchange.h"
#include "store/LibraryFormat.h"
#include "tests/content/ContentFixtures.h"
#include "tests/views/TextViewRig.h"

using namespace vellora;

namespace {

TEST(TextExchangeView, ATextFileMadeANoteReadsBackAsTheSameText) {
  struct Case {
    const char* what;
    UINT codePage;  // 0: any
    std::string file;
    std::string shown;  // what the view's text reads as
  };
  const std::vector<Case> cases = {
      {"one line", 0, "one line", "one line"},
      {"lines ending in CR LF", 0, "a\r\nb", "a\r\nb"},
      {"lines ending in LF or CR alone", 0, "a\nb\rc", "a\r\nb\r\nc"},
      {"a line end last", 0, "last\r\n", "last\r\n"},
      {"empty lines", 0, "\r\n\r\nx", "\r\n\r\nx"},
      {"nothing", 0, "", ""},
      {"RTF specials and a tab", 0, "{braces} \\back\\ \\par\ttab", "{braces} \\back\\ \\par\ttab"},
      {"a Western byte", 1252, "caf\xE9 cr\xE8me", "caf\xE9 cr\xE8me"},
      {"double-byte characters", 936, "\xD6\xD0\xCE\xC4 and \xCE\xC4\xB1\xBE", "\xD6\xD0\xCE\xC4 and \xCE\xC4\xB1\xBE"},
  };
  for (const Case& c : cases) {
    if (c.codePage && c.codePage != GetACP()) continue;
    SCOPED_TRACE(c.what);
    vtest::ScratchFile file;
    StorageHandle folder = file.AddStorage("folder");
    vtest::AddLeaf(folder, "note", 1, PlainTextToRtf(c.file, "Tahoma"));
    LeafNodeSource source(folder, {"note"}, kItemText, "note");
    vtest::TextViewRig rig;
    ASSERT_TRUE(rig.view.Load(source));
    EXPECT_EQ(rig.view.LoadProblem(), "");
    std::string text = "stale";
    ASSERT_TRUE(rig.view.PlainText(text));
    EXPECT_EQ(text, c.shown);
    if (c.file.empty()) continue;
    // In the view's own face and size.
    CHARRANGE first = {0, 1};
    SendMessageA(rig.Edit(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&first));
    CHARFORMAT2A format = {};
    format.cbSize = sizeof format;
    format.dwMask = CFM_FACE | CFM_SIZE;
    SendMessageA(rig.Edit(), EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    EXPECT_STREQ(format.szFaceName, "Tahoma");
    EXPECT_EQ(format.yHeight, 240);
  }
}

TEST(TextExchangeView, AViewWithoutAWindowHasNoText) {
  TextView view;
  std::string text;
  EXPECT_FALSE(view.PlainText(text));
}

}  // namespace
