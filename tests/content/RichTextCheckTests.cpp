// The check of rich text before the platform's reader sees it: notes as the
// editor writes them pass byte for byte; unsound ones are cut where they stop
// being sound and closed, and still load.
#include <gtest/gtest.h>
#include <windows.h>
#include <richedit.h>

#include <string>
#include <vector>

#include "content/RichTextCheck.h"
#include "tests/content/RichEditBox.h"

using namespace vellora;

namespace {

using vtest::RichEditBox;

// A format of the given effects (and colour or height) for the selection.
CHARFORMAT2A Effects(DWORD mask, DWORD effects, COLORREF colour = 0, LONG height = 0) {
  CHARFORMAT2A cf = {};
  cf.dwMask = mask;
  cf.dwEffects = effects;
  cf.crTextColor = colour;
  cf.yHeight = height;
  return cf;
}

TEST(RichTextCheck, NotesAsTheEditorWritesThemPassByteForByte) {
  struct Kind {
    const char* name;
    void (*make)(RichEditBox&);
  };
  const Kind kinds[] = {
      {"empty", [](RichEditBox&) {}},
      {"plain lines", [](RichEditBox& e) { SetWindowTextA(e.Handle(), "first line\r\nsecond line\r\n\r\nthird"); }},
      {"formatted",
       [](RichEditBox& e) {
         SetWindowTextA(e.Handle(), "bold italic underlined red big centred");
         e.Select(0, 4);
         e.Format(Effects(CFM_BOLD, CFE_BOLD));
         e.Select(5, 11);
         e.Format(Effects(CFM_ITALIC, CFE_ITALIC));
         e.Select(12, 22);
         e.Format(Effects(CFM_UNDERLINE, CFE_UNDERLINE));
         e.Select(23, 26);
         e.Format(Effects(CFM_COLOR, 0, RGB(255, 0, 0)));
         e.Select(27, 30);
         e.Format(Effects(CFM_SIZE, 0, 0, 720));
         PARAFORMAT2 pf = {};
         pf.cbSize = sizeof pf;
         pf.dwMask = PFM_ALIGNMENT;
         pf.wAlignment = PFA_CENTER;
         SendMessageA(e.Handle(), EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf));
       }},
      {"symbols and braces", [](RichEditBox& e) { SetWindowTextA(e.Handle(), "{braces} \\back\\slash\\ \xA9 \xE9t\xE9"); }},
      {"double-byte bytes", [](RichEditBox& e) { SetWindowTextA(e.Handle(), "\xC4\xE3\xBA\xC3 \xCA\xC0\xBD\xE7"); }},
      {"long note",
       [](RichEditBox& e) {
         std::string text;
         for (int i = 0; i < 5000; ++i) text += "line " + std::to_string(i) + " of a long note\r\n";
         SetWindowTextA(e.Handle(), text.c_str());
       }},
  };
  for (const Kind& kind : kinds) {
    SCOPED_TRACE(kind.name);
    RichEditBox edit;
    ASSERT_NE(edit.Handle(), nullptr);
    kind.make(edit);
    std::string rtf = edit.StreamOut();
    RichTextVerdict verdict = CheckRichText(rtf.data(), rtf.size());
    EXPECT_TRUE(verdict.sound) << verdict.problem;
    EXPECT_EQ(SoundRichText(rtf), rtf);
  }
}

std::string Repeat(char c, size_t n) { return std::string(n, c); }

TEST(RichTextCheck, UnsoundTextIsCutBeforeItsFirstUnsoundTokenAndClosed) {
  const std::string head = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 Good words ";
  struct Case {
    const char* name;
    std::string text;
    bool sound;
    std::string loads;        // what the reader is given
    const char* problem;      // a piece of what the user is told
  };
  const Case cases[] = {
      {"control word of 32 letters", head + "\\" + Repeat('a', 32) + " x}", true, head + "\\" + Repeat('a', 32) + " x}", ""},
      {"control word of 33 letters", head + "\\" + Repeat('a', 33) + " x}", false, head + "}", "33 letters"},
      {"control word of 5000 letters", head + "\\" + Repeat('q', 5000) + "}", false, head + "}", "5000 letters"},
      {"parameter of 10 digits", head + "\\fs1234567890 x}", true, head + "\\fs1234567890 x}", ""},
      {"parameter of 11 digits", head + "\\fs12345678901 x}", false, head + "}", "11 characters"},
      {"negative parameter of 10", head + "\\li-123456789 x}", true, head + "\\li-123456789 x}", ""},
      {"negative parameter of 11", head + "\\li-1234567890 x}", false, head + "}", "11 characters"},
      {"nesting as deep as the reader takes", head + Repeat('{', 31) + "deep" + Repeat('}', 31) + "}", true,
       head + Repeat('{', 31) + "deep" + Repeat('}', 31) + "}", ""},
      {"nesting one deeper", head + Repeat('{', 32) + "deep" + Repeat('}', 32) + "}", false,
       head + Repeat('{', 31) + Repeat('}', 32), "nest deeper"},
      {"nesting far too deep", head + Repeat('{', 300) + "deep" + Repeat('}', 300) + "}", false,
       head + Repeat('{', kMaxRichTextGroupDepth - 1) + Repeat('}', kMaxRichTextGroupDepth), "nest deeper"},
      {"cut in a group", head + "{\\b bold", false, head + "{\\b bold}}", "cut short"},
      {"cut after a backslash", head + "text\\", false, head + "text}", "cut short"},
      {"cut in a hex character", head + "\\'c", false, head + "}", "cut short"},
      {"binary data cut short", head + "\\bin10 abc", false, head + "}", "binary data"},
      {"binary data with braces", head + "\\bin4 {{{{ after}", true, head + "\\bin4 {{{{ after}", ""},
      {"plain text", "not rich {\\ text \\" + Repeat('z', 100), true, "not rich {\\ text \\" + Repeat('z', 100), ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RichTextVerdict verdict;
    std::string loads = SoundRichText(c.text, &verdict);
    EXPECT_EQ(verdict.sound, c.sound);
    EXPECT_EQ(loads, c.loads);
    EXPECT_NE(verdict.problem.find(c.problem), std::string::npos) << verdict.problem;
    if (!c.sound) {
      // The sound part loads, and shows the words before the damage.
      RichEditBox edit;
      edit.StreamIn(loads);
      EXPECT_NE(edit.Text().find(L"Good words"), std::wstring::npos);
    }
  }
}

}  // namespace
