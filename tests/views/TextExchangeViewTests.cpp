// A plain text made into a note reads back from a real text view as the
// same text: lines, RTF specials, tabs and the code page's own bytes.
#include <windows.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include "content/TextExchange.h"
#include "tests/content/ContentFixtures.h"
#include "tests/views/TextViewRig.h"

using namespace vellora;

namespace {

TEST(TextExchangeView, ATextFileMadeANoteReadsBackAsTheSameText) {
  const struct {
    UINT codePage;  // 0: any
    std::string file, shown;
  } cases[] = {
      {0, "a\r\nb", "a\r\nb"},
      {0, "a\nb\rc", "a\r\nb\r\nc"},
      {0, "\r\nlast\r\n", "\r\nlast\r\n"},
      {0, "", ""},
      {0, "{braces} \\back\\ \\par\ttab", "{braces} \\back\\ \\par\ttab"},
      {1252, "caf\xE9 cr\xE8me", "caf\xE9 cr\xE8me"},
      {936, "\xD6\xD0\xCE\xC4 and \xCE\xC4\xB1\xBE", "\xD6\xD0\xCE\xC4 and \xCE\xC4\xB1\xBE"},
  };
  for (const auto& c : cases) {
    if (c.codePage && c.codePage != GetACP()) continue;
    SCOPED_TRACE(c.file);
    vtest::ScratchFile file;
    StorageHandle folder = file.AddStorage("folder");
    vtest::AddLeaf(folder, "note", 1, PlainTextToRtf(c.file, "Tahoma"));
    LeafNodeSource source(folder, {"note"}, kItemText, "note");
    vtest::TextViewRig rig;
    ASSERT_TRUE(rig.view.Load(source));
    std::string text = "stale";
    ASSERT_TRUE(rig.view.PlainText(text));
    EXPECT_EQ(text, c.shown);
    // In the view's own face and size.
    CHARFORMAT2A format = {sizeof format, CFM_FACE | CFM_SIZE};
    SendMessageA(rig.Edit(), EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    EXPECT_STREQ(format.szFaceName, "Tahoma");
    EXPECT_EQ(format.yHeight, 240);
  }
}

}  // namespace
