// Our reading of stored rich text against the rich edit control itself: on a
// varied corpus (made by the control, and written by hand) both must hold the
// same text and find the same matches at the same places.
#include <windows.h>
#include <richedit.h>
#include <commdlg.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "content/RtfText.h"
#include "tests/content/RichEditBox.h"

using namespace vellora;

namespace {

using vtest::RichEditBox;

// The control's own find, as the text view runs it: downwards, case ignored.
long Find(const RichEditBox& edit, const std::string& needle, long from) {
  FINDTEXTEXA find = {};
  find.chrg.cpMin = from;
  find.chrg.cpMax = -1;
  find.lpstrText = needle.c_str();
  return static_cast<long>(SendMessageA(edit.Handle(), EM_FINDTEXTEX, FR_DOWN, reinterpret_cast<LPARAM>(&find)));
}

std::wstring TrimEnd(std::wstring text) {
  while (!text.empty() && text.back() == L'\r') text.pop_back();
  return text;
}

std::string Ansi(const std::wstring& wide) {
  int n = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), out.data(), n, nullptr, nullptr);
  return out;
}

// A small deterministic generator, so a failure can be replayed.
struct Random {
  uint32_t state;
  uint32_t Next() {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
  }
  size_t Below(size_t n) { return n ? Next() % n : 0; }
};

// Characters of many kinds: both cases, markup characters, punctuation the
// reader turns into words, accented, Greek, Cyrillic, full-width and CJK.
const std::wstring kAlphabet =
    L"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789     \t\r{}\\;.,:!?-_'\"()"
    L"\u00e9\u00c9\u00df\u00f1\u00d1\u00fc\u00dc\u03b1\u0391\u03c3\u03a3\u0434\u0414\u4e2d\u6587\u5b57"
    L"\uff21\uff41\u2018\u2019\u201c\u201d\u2014\u20ac\u00a0";

std::wstring RandomText(Random& random, size_t length) {
  std::wstring text;
  for (size_t i = 0; i < length; ++i) text.push_back(kAlphabet[random.Below(kAlphabet.size())]);
  return text;
}

// Needles: pieces of the text (some with the case of their letters changed,
// some running over formatting changes) and pieces that are not in it.
std::vector<std::string> Needles(Random& random, const std::wstring& text) {
  std::vector<std::string> needles;
  for (int i = 0; i < 12; ++i) {
    size_t at = random.Below(text.size());
    size_t length = 1 + random.Below(8);
    std::wstring piece = text.substr(at, length);
    if (i % 3 == 1) CharUpperBuffW(piece.data(), static_cast<DWORD>(piece.size()));
    if (i % 3 == 2) CharLowerBuffW(piece.data(), static_cast<DWORD>(piece.size()));
    std::string ansi = Ansi(piece);
    if (!ansi.empty() && ansi.find('\r') == std::string::npos) needles.push_back(ansi);
  }
  for (int i = 0; i < 4; ++i) {
    std::string ansi = Ansi(RandomText(random, 2 + random.Below(3)));
    if (!ansi.empty() && ansi.find('\r') == std::string::npos) needles.push_back(ansi);
  }
  needles.push_back("e");
  needles.push_back("E");
  return needles;
}

// Every match of the needle, as the control finds them one after the other.
std::vector<long> ControlMatches(const RichEditBox& edit, const std::string& needle) {
  std::vector<long> at;
  for (long from = 0;;) {
    long found = Find(edit, needle, from);
    if (found < 0 || at.size() > 200) break;
    at.push_back(found);
    from = found + 1;
  }
  return at;
}

std::vector<long> OurMatches(const std::wstring& text, const std::string& needle) {
  std::vector<long> at;
  TextNeedle prepared(needle);
  for (size_t from = 0;;) {
    size_t found = prepared.FindIn(text, from);
    if (found == std::wstring::npos || at.size() > 200) break;
    at.push_back(static_cast<long>(found));
    from = found + 1;
  }
  return at;
}

void ExpectSameReading(const std::string& rtf, Random& random, const std::string& label) {
  RichEditBox edit;
  edit.StreamIn(rtf);
  std::wstring ours = RtfPlainText(rtf);
  ASSERT_EQ(TrimEnd(ours), TrimEnd(edit.Text())) << label << "\n" << rtf.substr(0, 400);
  for (const std::string& needle : Needles(random, TrimEnd(edit.Text())))
    EXPECT_EQ(OurMatches(ours, needle), ControlMatches(edit, needle)) << label << " needle [" << needle << "]";
}

TEST(RichTextEquivalence, DocumentsWrittenByTheControlReadAndMatchTheSame) {
  Random random{GetACP()};
  for (int document = 0; document < 40; ++document) {
    RichEditBox source;
    std::wstring text = RandomText(random, 40 + random.Below(400));
    source.SetUnicode(text);
    // Formatting runs over parts of the text, fonts of several character sets among them.
    const struct {
      const char* face;
      BYTE charset;
    } fonts[] = {{"Arial", ANSI_CHARSET}, {"SimSun", GB2312_CHARSET}, {"Courier New", RUSSIAN_CHARSET},
                 {"Tahoma", GREEK_CHARSET}, {"Symbol", DEFAULT_CHARSET}};
    for (int run = 0; run < 6; ++run) {
      long from = static_cast<long>(random.Below(text.size()));
      long to = from + static_cast<long>(random.Below(30));
      const auto& font = fonts[random.Below(std::size(fonts))];
      CHARFORMAT2A format = {};
      format.dwMask = CFM_BOLD | CFM_ITALIC | CFM_SIZE | CFM_FACE | CFM_CHARSET;
      format.dwEffects = random.Below(2) ? CFE_BOLD : CFE_ITALIC;
      format.yHeight = 200 + 20 * (from % 7);
      lstrcpynA(format.szFaceName, font.face, LF_FACESIZE);
      format.bCharSet = font.charset;
      source.Select(from, to);
      source.Format(format);
    }
    std::string rtf = source.StreamOut();
    ASSERT_FALSE(rtf.empty());
    ExpectSameReading(rtf, random, "document " + std::to_string(document));
  }
}

TEST(RichTextEquivalence, HandWrittenRichTextReadsAndMatchesTheSame) {
  const char* corpus[] = {
      "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}{\\f1\\fnil\\fcharset134 SimSun;}"
      "{\\f2\\fcharset161 Greek;}}{\\colortbl ;\\red255\\green0\\blue0;}\\viewkind4\\uc1\\pard\\f0\\fs20 Caf\\'e9 "
      "\\cf1 red\\cf0  \\f1\\'d6\\'d0\\'ce\\'c4\\f0  and \\f2\\'e1\\'e2\\f0\\par Second \\b line\\b0\\tab tab\\par}",
      "{\\rtf1\\ansi Unicode \\u8364? euro \\u20013?\\u25991? text, \\uc2\\u931\\'3f\\'3f sigma\\uc1\\par}",
      "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\*\\generator Msftedit 5.41;}\\f0 before {\\field{\\*\\fldinst "
      "{HYPERLINK \"http://example.com\"}}{\\fldrslt{\\ul Example Link}}} after\\par}",
      "{\\rtf1\\ansi escaped \\{braces\\} and back\\\\slash\\~nbsp\\emdash dash\\endash\\bullet "
      "\\lquote q\\rquote \\ldblquote dq\\rdblquote\\par}",
      "{\\rtf1\\ansi{\\info{\\title Hidden title}{\\author Someone}}visible {\\*\\bkmkstart mark}text"
      "{\\*\\bkmkend mark}\\par {\\header header text}body\\par}",
      "{\\rtf1\\ansi plain\\line next line\\par new paragraph\\par\\par empty before}",
      "{\\rtf1\\ansi\\ansicpg936{\\fonttbl{\\f0\\fnil\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}\\f0 \\'d6\\'d0\\'b9\\'fa"
      "\\'c8\\'cb ABC \\'a3\\'c1\\'a3\\'e1\\par}",
      "not rich text at all\r\nbut plain lines\nWith Capitals",
  };
  Random random{7};
  int index = 0;
  for (const char* rtf : corpus) ExpectSameReading(rtf, random, "corpus " + std::to_string(index++));
  // Pieces across the places where the reader puts characters of its own.
  struct Probe {
    int document;
    const char* needle;
  } probes[] = {{5, "plain next"}, {5, "line\rnew"}, {3, "braces} and"}, {3, "back\\slash"}, {0, "CAF"},
                {2, "before  after"}, {4, "visible text"}, {4, "Hidden"}};
  for (const Probe& probe : probes) {
    RichEditBox edit;
    edit.StreamIn(corpus[probe.document]);
    EXPECT_EQ(OurMatches(RtfPlainText(corpus[probe.document]), probe.needle), ControlMatches(edit, probe.needle))
        << probe.needle;
  }
}

TEST(RichTextEquivalence, ALongTextIsReadWhole) {
  // Far beyond the control's default limit of 32767 characters.
  std::string rtf = "{\\rtf1\\ansi ";
  for (int i = 0; i < 9000; ++i) rtf += "line " + std::to_string(i) + "\\par ";
  rtf += "the very end}";
  std::wstring text = RtfPlainText(rtf);
  EXPECT_GT(text.size(), 80000u);
  EXPECT_TRUE(TextNeedle("THE VERY END").FoundIn(text));
  EXPECT_TRUE(TextNeedle("line 8999").FoundIn(text));
}

}  // namespace
