// The text read out of rich text, and finding in it as the rich edit does.
#include <gtest/gtest.h>

#include "content/RtfText.h"

using namespace vellora;

namespace {

struct RtfCase {
  const char* name;
  const char* rtf;
  const wchar_t* text;
};

const RtfCase kRtfCases[] = {
    {"plain paragraphs", "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 one\\par two\\par}", L"one\rtwo\r"},
    {"font and colour tables are not text",
     "{\\rtf1{\\fonttbl{\\f0\\fswiss Helvetica;}{\\f1 Courier;}}{\\colortbl;\\red255\\green0\\blue0;}x}", L"x"},
    {"a delimiting space belongs to the word", "{\\rtf1 \\b bold\\b0  plain}", L"bold plain"},
    {"escaped braces and backslash", "{\\rtf1 a\\{b\\}c\\\\d}", L"a{b}c\\d"},
    {"hex bytes in the document code page", "{\\rtf1\\ansi\\ansicpg1252 caf\\'e9}", L"caf\u00e9"},
    {"unicode with its stand-in skipped", "{\\rtf1 \\u8364?x\\uc2\\u8364??y}", L"\u20acx\u20acy"},
    {"negative unicode values", "{\\rtf1 \\u-3913?}", L"\uf0b7"},
    {"a hex stand-in counts as one character", "{\\rtf1 \\u26085\\'3fz}", L"\u65e5z"},
    {"ignorable destinations vanish", "{\\rtf1{\\*\\generator Riched20 5.50;}{\\*\\unknown junk}t}", L"t"},
    {"fields show nothing", "{\\rtf1 a{\\field{\\*\\fldinst{HYPERLINK \"http://x\"}}{\\fldrslt{link}}}b}", L"ab"},
    {"special characters", "{\\rtf1 a\\tab b\\emdash c\\~d\\bullet e\\lquote f\\rdblquote}",
     L"a\tb\u2014c\u00a0d\u2022e\u2018f\u201d"},
    {"line breaks in the source are not text", "{\\rtf1 ab\r\ncd\npar}", L"abcdpar"},
    {"a picture is one object character", "{\\rtf1 a{\\pict\\wmetafile8 0102ab}b}", L"a\ufffcb"},
    {"binary data is skipped by its count", "{\\rtf1 a{\\bin3 }}{}b}", L"ab"},
    {"bytes that are not rich text show nothing", "line one\r\nline two\nthree", L""},
    {"a line break within a paragraph", "{\\rtf1 a\\line b}", L"a b"},
    {"unbalanced closing braces are ignored", "{\\rtf1 a}}b", L"ab"},
    {"a header is not text", "{\\rtf1{\\header head}body}", L"body"},
    {"empty input", "", L""},
    {"an empty document", "{\\rtf1}", L""},
    // Greek in a font with the Greek character set, then Cyrillic.
    {"font character sets decide how bytes are read",
     "{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset161 A;}{\\f1\\fcharset204 B;}}\\f0\\'e1\\f1\\'e1}", L"\u03b1\u0431"},
    // GB2312 bytes for two ideographs, written as four hex escapes.
    {"double-byte characters are read whole",
     "{\\rtf1\\ansi\\ansicpg936{\\fonttbl{\\f0\\fnil\\fcharset134 SimSun;}}\\f0 \\'d6\\'d0\\'ce\\'c4}", L"\u4e2d\u6587"},
};

class RtfTextTest : public ::testing::TestWithParam<RtfCase> {};

TEST_P(RtfTextTest, ReadsTheTextTheControlShows) {
  EXPECT_EQ(RtfPlainText(GetParam().rtf), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Cases, RtfTextTest, ::testing::ValuesIn(kRtfCases),
                         [](const auto& info) {
                           std::string n;
                           for (const char* p = info.param.name; *p; ++p) n += isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                           return n;
                         });

struct FindCase {
  const char* needle;
  const wchar_t* text;
  size_t from, at;
};

const FindCase kFindCases[] = {
    {"abc", L"xxABCxx", 0, 2},        {"ABC", L"abc", 0, 0},
    {"aBc", L"ab c", 0, std::wstring::npos}, {"world", L"hello\rworld", 0, 6},
    {"", L"anything", 0, std::wstring::npos}, {"long needle", L"short", 0, std::wstring::npos},
    {"a\tb", L"xa\tb", 0, 1},        {"na", L"banana", 0, 2},
    // Finding from a place goes past a match before it.
    {"na", L"banana", 3, 4},          {"na", L"banana", 5, std::wstring::npos},
};

TEST(TextNeedle, FindsIgnoringTheCaseOfLetters) {
  for (const FindCase& c : kFindCases) EXPECT_EQ(TextNeedle(c.needle).FindIn(c.text, c.from), c.at) << c.needle;
}

TEST(TextNeedle, AWordSplitByFormattingIsStillFound) {
  const std::string split = "{\\rtf1 bo{\\b ld}}";
  const std::string paragraphs = "{\\rtf1 one\\par two}";
  EXPECT_TRUE(TextNeedle("bold").FoundInRtf(split.data(), split.size()));
  EXPECT_FALSE(TextNeedle("onetwo").FoundInRtf(paragraphs.data(), paragraphs.size()));
}

}  // namespace
