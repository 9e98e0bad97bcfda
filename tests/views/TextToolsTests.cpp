// The ten text tools on a real text view: the edge cases, and random texts
// (ASCII and GBK, wrap on and off) against a plain implementation that walks
// the control one message per character, line by line.
#include <windows.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>

#include "content/CommandIds.h"
#include "content/TextTools.h"
#include "tests/views/TextViewRig.h"

using namespace vellora;
using vtest::TextViewRig;

namespace {

// ---- the plain implementation, message by message -------------------------------------

class Reference {
 public:
  explicit Reference(HWND edit) : edit_(edit) {}

  std::string Char(LONG pos) const {
    char buffer[8] = {};
    TEXTRANGEA range = {{pos, pos + 1}, buffer};
    LRESULT n = SendMessageA(edit_, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range));
    return std::string(buffer, static_cast<size_t>(n > 0 ? std::strlen(buffer) : 0));
  }
  LONG Lines() const { return static_cast<LONG>(SendMessageA(edit_, EM_GETLINECOUNT, 0, 0)); }
  LONG LineIndex(LONG line) const { return static_cast<LONG>(SendMessageA(edit_, EM_LINEINDEX, line, 0)); }
  LONG LineLength(LONG first) const { return static_cast<LONG>(SendMessageA(edit_, EM_LINELENGTH, first, 0)); }
  void Select(LONG from, LONG to) const {
    CHARRANGE r = {from, to};
    SendMessageA(edit_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
  }
  void Delete(LONG from, LONG count) const {
    Select(from, from + count);
    SendMessageA(edit_, WM_CLEAR, 0, 0);
  }
  void Replace(LONG from, LONG count, const char* text) const {
    Select(from, from + count);
    SendMessageA(edit_, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text));
  }
  static bool EndsSentence(const std::string& c) {
    return c == "." || c == "!" || c == ":" || c == "\xA1\xA3" || c == "\xA3\xA1" || c == "\xA3\xBA" ||
           c == "\xA1\xAD";
  }

  void Reorganize() const {
    for (LONG i = 0; i < Lines(); ++i) {
      LONG first = LineIndex(i);
      LONG length = LineLength(first);
      if (length == 0) continue;
      LONG end = first + length;
      while (Char(end) == "\r" && !EndsSentence(Char(end - 1))) {
        Delete(end, 1);
        end = first + LineLength(first);
      }
    }
  }
  // Acts only where a paragraph ends, and scans back over the whole paragraph.
  void DeleteLineEndSpaces() const {
    for (LONG i = 0; i < Lines(); ++i) {
      LONG first = LineIndex(i);
      LONG length = LineLength(first);
      if (length == 0) continue;
      std::string after = Char(first + length);
      if (!after.empty() && after != "\r") continue;
      LONG pos = first + length - 1;
      std::string last = Char(pos);
      LONG n;
      if (last == " ") n = 1;
      else if (last == "\n") n = 0;
      else continue;
      while (pos > 0 && Char(pos - 1) == " ") {
        ++n;
        --pos;
      }
      if (n > 0) Delete(pos, n);
    }
  }
  void Cleanup() const {
    bool paragraphStart = true;
    for (LONG i = 0; i < Lines(); ++i) {
      LONG first = LineIndex(i);
      LONG length = LineLength(first);
      if (length == 0) continue;
      LONG n = 0;
      while (n < length && Char(first + n) == " ") ++n;
      bool blank = n == length || Char(first + n) == "\n";
      if (paragraphStart) {
        if (blank) Delete(first, n);
        else Replace(first, n, "    ");
      }
      paragraphStart = Char(first + LineLength(first)) == "\r";
    }
  }
  void DeleteEmptyLines() const {
    LONG count = Lines();
    for (LONG i = 0; i < count;) {
      char buffer[1026] = {};
      *reinterpret_cast<WORD*>(buffer) = 1024;
      LONG k = static_cast<LONG>(SendMessageA(edit_, EM_GETLINE, i, reinterpret_cast<LPARAM>(buffer)));
      // The final line after a closing paragraph mark holds no bytes (the
      // control answers with its end mark).
      if (i == Lines() - 1 && Char(LineIndex(i)).empty()) k = 0;
      bool empty = k >= 1;
      for (LONG b = 0; empty && b < k - 1; ++b) empty = buffer[b] == ' ';
      if (empty) empty = buffer[k - 1] == '\r' || buffer[k - 1] == ' ';
      if (empty) {
        Delete(LineIndex(i), k);
        --count;
      } else {
        ++i;
      }
    }
  }
  // Only at the lines that start a paragraph.
  void InsertEmptyLines() const {
    LONG n = Lines();
    for (LONG j = 1; j < n;) {
      LONG first = LineIndex(j);
      if (Char(first - 1) != "\r") {
        ++j;
        continue;
      }
      Replace(first, 0, "\r");
      ++n;
      j += 2;
    }
  }
  void DeleteExtraSpaces() const {
    auto length = [&] { return static_cast<LONG>(SendMessageA(edit_, WM_GETTEXTLENGTH, 0, 0)); };
    if (length() < 5) return;
    auto spaceOrWide = [](const std::string& c) { return c == " " || c.size() == 2; };
    for (LONG i = 1; i < length() - 1;) {
      std::string m = Char(i);
      if (m.empty()) break;
      if (m == " ") {
        std::string next = Char(i + 1);
        if (next.empty()) break;
        if (spaceOrWide(Char(i - 1)) && spaceOrWide(next)) {
          Delete(i, 1);
          continue;
        }
      }
      ++i;
    }
  }
  void Run(UINT id) const {
    switch (id) {
      case ID_TEXT_REORGANIZE_PARAGRAPHS: Reorganize(); break;
      case ID_TEXT_DELETE_LINE_END_SPACES: DeleteLineEndSpaces(); break;
      case ID_TEXT_CLEANUP_PARAGRAPH_SPACES: Cleanup(); break;
      case ID_TEXT_DELETE_EMPTY_LINES: DeleteEmptyLines(); break;
      case ID_TEXT_INSERT_EMPTY_LINES: InsertEmptyLines(); break;
      case ID_TEXT_DELETE_EXTRA_SPACES: DeleteExtraSpaces(); break;
      default: break;
    }
  }

 private:
  HWND edit_;
};

const wchar_t kCR = L'\r';

std::wstring W(const char* ascii) {
  std::wstring out;
  for (const char* p = ascii; *p; ++p) out += static_cast<wchar_t>(static_cast<unsigned char>(*p));
  return out;
}

// ---- the edge cases ------------------------------------------------------------------

struct ToolCase {
  const char* name;
  UINT tool;
  std::wstring before;
  std::wstring after;
  LONG from = 0, to = 0;  // the selection the tool runs on
};

class ToolEdgeCases : public ::testing::TestWithParam<ToolCase> {};

TEST_P(ToolEdgeCases, GiveTheirResult) {
  const ToolCase& c = GetParam();
  for (bool wrap : {true, false}) {
    TextViewRig rig(600);
    rig.SetWrap(wrap);
    rig.SetText(c.before);
    rig.Select(c.from, c.to);
    rig.Run(c.tool);
    EXPECT_EQ(rig.Text(), c.after) << c.name << (wrap ? " (wrap)" : " (no wrap)");
  }
}

// Sixty characters of words: wraps in a narrow window.
const std::wstring kLongWords = W("alpha beta gamma delta epsilon zeta eta theta iota kappa lambda mu");

INSTANTIATE_TEST_SUITE_P(
    Tools, ToolEdgeCases,
    ::testing::Values(
        ToolCase{"ReorganizeJoinsUntilASentenceEnds", ID_TEXT_REORGANIZE_PARAGRAPHS, W("abc\rdef.\rghi"),
                 W("abcdef.\rghi")},
        ToolCase{"ReorganizeSwallowsAnEmptyLineAfterAnOpenSentence", ID_TEXT_REORGANIZE_PARAGRAPHS,
                 W("abc\r\rdef."), W("abcdef.")},
        ToolCase{"ReorganizeKeepsAColon", ID_TEXT_REORGANIZE_PARAGRAPHS, W("abc:\rdef"), W("abc:\rdef")},
        ToolCase{"ReorganizeJoinsAfterAQuestionMark", ID_TEXT_REORGANIZE_PARAGRAPHS, W("why?\rnext"),
                 W("why?next")},
        ToolCase{"ReorganizeKeepsAnEmptyLineAfterASentence", ID_TEXT_REORGANIZE_PARAGRAPHS, W("end.\r\rnew"),
                 W("end.\r\rnew")},
        ToolCase{"LineEndSpacesGoFromAParagraphEnd", ID_TEXT_DELETE_LINE_END_SPACES, W("ab   \rcd"), W("ab\rcd")},
        ToolCase{"ALineOfOneSpaceLosesIt", ID_TEXT_DELETE_LINE_END_SPACES, W(" \rx"), W("\rx")},
        ToolCase{"ATabEndsTheLineEndSpaces", ID_TEXT_DELETE_LINE_END_SPACES, W("ab \t\rcd  "), W("ab \t\rcd")},
        ToolCase{"CleanupIndentsEveryParagraphByFour", ID_TEXT_CLEANUP_PARAGRAPH_SPACES,
                 W("  first line\rsecond"), W("    first line\r    second")},
        ToolCase{"CleanupEmptiesALineOfSpaces", ID_TEXT_CLEANUP_PARAGRAPH_SPACES, W("   \rtext"),
                 W("\r    text")},
        ToolCase{"CleanupShortensALongIndent", ID_TEXT_CLEANUP_PARAGRAPH_SPACES, W("        deep"),
                 W("    deep")},
        ToolCase{"DeleteEmptyLineRemovesSpaceLinesAndKeepsATab", ID_TEXT_DELETE_EMPTY_LINES,
                 W("a\r   \r\rb\r\t\rc"), W("a\rb\r\t\rc")},
        ToolCase{"DeleteEmptyLineRemovesAFinalLineOfSpaces", ID_TEXT_DELETE_EMPTY_LINES, W("a\r  "), W("a\r")},
        ToolCase{"InsertEmptyLineOnThreeLinesMakesFive", ID_TEXT_INSERT_EMPTY_LINES, W("one\rtwo\rthree"),
                 W("one\r\rtwo\r\rthree")},
        ToolCase{"InsertEmptyLineOnOneLineDoesNothing", ID_TEXT_INSERT_EMPTY_LINES, W("only"), W("only")},
        ToolCase{"FourSpacesBetweenLettersBecomeTwo", ID_TEXT_DELETE_EXTRA_SPACES, W("a    b"), W("a  b")},
        ToolCase{"OneSpaceBetweenLettersStays", ID_TEXT_DELETE_EXTRA_SPACES, W("xx a b yy"), W("xx a b yy")},
        ToolCase{"FourCharactersAreNeverChanged", ID_TEXT_DELETE_EXTRA_SPACES, W("a  b"), W("a  b")},
        ToolCase{"AWrappedParagraphKeepsItsSpacesAtTheWraps", ID_TEXT_DELETE_LINE_END_SPACES,
                 kLongWords + W("  \r") + kLongWords, kLongWords + W("\r") + kLongWords},
        ToolCase{"AWrappedParagraphIsNotSplit", ID_TEXT_INSERT_EMPTY_LINES, kLongWords + W("\r") + kLongWords,
                 kLongWords + W("\r\r") + kLongWords},
        ToolCase{"ASingleLineReplacesTheSelection", ID_TEXT_INSERT_SINGLE_LINE, W("abcdef"),
                 W("a") + std::wstring(38, L'-') + W("ef"), 1, 4},
        ToolCase{"ADoubleLineGoesInAtTheCaret", ID_TEXT_INSERT_DOUBLE_LINE, W("ab"),
                 W("a") + std::wstring(39, L'=') + W("b"), 1, 1},
        ToolCase{"DeletingTheCurrentLineKeepsItsParagraphMark", ID_TEXT_DELETE_CURRENT_LINE, W("one\rtwo\rthree"),
                 W("one\r\rthree"), 5, 5},
        ToolCase{"DeletingTheLastLineWithoutAMarkEmptiesIt", ID_TEXT_DELETE_CURRENT_LINE, W("one\rtwo"), W("one\r"),
                 6, 6},
        // With a selection the caret stands where it ends: that line goes.
        ToolCase{"DeletingTheCurrentLineInsideASelectionOnOneLine", ID_TEXT_DELETE_CURRENT_LINE,
                 W("one\rtwo\rthree"), W("one\r\rthree"), 4, 6},
        ToolCase{"DeletingTheCurrentLineOfASelectionFromTheLineAbove", ID_TEXT_DELETE_CURRENT_LINE,
                 W("one\rtwo\rthree"), W("one\r\rthree"), 1, 6},
        ToolCase{"DeletingTheCurrentLineOfASelectionOverThreeLines", ID_TEXT_DELETE_CURRENT_LINE,
                 W("one\rtwo\rthree"), W("one\rtwo\r"), 2, 10},
        ToolCase{"DeletingTheCurrentLineOfASelectionToTheEnd", ID_TEXT_DELETE_CURRENT_LINE, W("one\rtwo\rthree"),
                 W("one\rtwo\r"), 5, 13}),
    [](const ::testing::TestParamInfo<ToolCase>& info) { return std::string(info.param.name); });

// Double-byte characters exist only under a double-byte code page; this
// program runs these again under GBK (936).
TEST(TextTools, UnderGbkFullWidthSentenceEndsStopTheJoinAndWideCharactersCloseUp) {
  if (GetACP() != 936) GTEST_SKIP() << "needs the GBK code page";
  struct Case {
    UINT tool;
    std::wstring before, after;
  };
  const Case cases[] = {
      {ID_TEXT_REORGANIZE_PARAGRAPHS, L"\x53E5\x3002\r\x4E0B\xFF01\r\x6B21\xFF1A\r\x7701\x2026\rend",
       L"\x53E5\x3002\r\x4E0B\xFF01\r\x6B21\xFF1A\r\x7701\x2026\rend"},
      {ID_TEXT_REORGANIZE_PARAGRAPHS, L"\x95EE\xFF1F\r\x4E0B", L"\x95EE\xFF1F\x4E0B"},
      {ID_TEXT_DELETE_EXTRA_SPACES, L"\x4E2D   \x6587 tail", L"\x4E2D\x6587 tail"},
      {ID_TEXT_DELETE_EXTRA_SPACES, L"xx \x4E2D   ab", L"xx \x4E2D ab"},
      // The full-width space is a double-byte character, not a space.
      {ID_TEXT_DELETE_EMPTY_LINES, L"a\r\x3000\rb", L"a\r\x3000\rb"},
      {ID_TEXT_DELETE_LINE_END_SPACES, L"a\x3000  \rb", L"a\x3000\rb"},
  };
  for (const Case& c : cases) {
    TextViewRig rig;
    rig.SetText(c.before);
    rig.Run(c.tool);
    EXPECT_EQ(rig.Text(), c.after);
  }
}

TEST(TextTools, TheTimeStampHasNoLeadingZeros) {
  SYSTEMTIME t = {};
  t.wYear = 2005;
  t.wMonth = 3;
  t.wDay = 5;
  t.wHour = 9;
  t.wMinute = 7;
  t.wSecond = 3;
  EXPECT_EQ(FormatTimeStamp(t), "2005-3-5 9:7:3");
  t.wMonth = 12;
  t.wHour = 23;
  t.wMinute = 59;
  EXPECT_EQ(FormatTimeStamp(t), "2005-12-5 23:59:3");
}

// ---- random texts against the plain implementation ------------------------------------

std::wstring RandomText(std::mt19937& rng, bool wide, int paragraphs) {
  const wchar_t* words[] = {L"abc", L"de", L"fghij", L"k", L"why?", L"end.", L"yes!", L"note:", L"a\tb", L"xy"};
  const wchar_t* wideWords[] = {L"\x4E2D\x6587", L"\x6587", L"\x5B57\x3002", L"\x53E5\xFF01", L"\x8BF4\xFF1A",
                                L"\x7701\x2026", L"\x3000", L"\x4E00\x4E8C\x4E09"};
  std::uniform_int_distribution<int> pick(0, 99);
  std::wstring text;
  for (int p = 0; p < paragraphs; ++p) {
    if (p > 0) text += kCR;
    int kind = pick(rng);
    if (kind < 8) continue;  // empty paragraph
    if (kind < 14) {         // spaces only
      text.append(static_cast<size_t>(1 + pick(rng) % 4), L' ');
      continue;
    }
    if (pick(rng) < 40) text.append(static_cast<size_t>(1 + pick(rng) % 6), L' ');
    int count = 1 + pick(rng) % 9;
    for (int w = 0; w < count; ++w) {
      if (w > 0) text.append(static_cast<size_t>(pick(rng) < 70 ? 1 : 1 + pick(rng) % 4), L' ');
      if (wide && pick(rng) < 50) text += wideWords[pick(rng) % std::size(wideWords)];
      else text += words[pick(rng) % std::size(words)];
    }
    if (pick(rng) < 35) text.append(static_cast<size_t>(1 + pick(rng) % 5), L' ');
  }
  return text;
}

struct RandomCase {
  const char* name;
  UINT tool;
};

class ToolsAgainstTheReference : public ::testing::TestWithParam<RandomCase> {};

TEST_P(ToolsAgainstTheReference, GiveTheSameTextAndSelection) {
  const RandomCase& c = GetParam();
  std::mt19937 rng(12345u + c.tool);
  for (int round = 0; round < 24; ++round) {
    bool wide = round % 2 == 1;
    bool wrap = round % 4 < 2;
    // Short texts are changed in place, long ones in one pass over the RTF.
    int paragraphs = round < 12 ? 1 + round % 6 : 20 + round * 2;
    std::wstring text = RandomText(rng, wide, paragraphs);
    TextViewRig mine(260), theirs(260);
    mine.SetWrap(wrap);
    theirs.SetWrap(wrap);
    mine.SetText(text);
    theirs.SetText(text);
    mine.Select(1, 1);
    theirs.Select(1, 1);
    mine.Run(c.tool);
    Reference(theirs.Edit()).Run(c.tool);
    ASSERT_EQ(mine.Text(), theirs.Text()) << c.name << " round " << round << (wrap ? " wrap" : " no wrap");
    CHARRANGE a = mine.Selection(), b = theirs.Selection();
    // A deletion that reached the final paragraph mark leaves the plain
    // walk's selection over it; the caret is what counts.
    LONG end = static_cast<LONG>(theirs.Text().size());
    if (b.cpMax > end) b.cpMax = std::max(b.cpMin, end);
    EXPECT_EQ(a.cpMin, b.cpMin) << c.name << " round " << round;
    EXPECT_EQ(a.cpMax, b.cpMax) << c.name << " round " << round;
  }
}

INSTANTIATE_TEST_SUITE_P(Tools, ToolsAgainstTheReference,
                         ::testing::Values(RandomCase{"Reorganize", ID_TEXT_REORGANIZE_PARAGRAPHS},
                                           RandomCase{"LineEndSpaces", ID_TEXT_DELETE_LINE_END_SPACES},
                                           RandomCase{"Cleanup", ID_TEXT_CLEANUP_PARAGRAPH_SPACES},
                                           RandomCase{"EmptyLines", ID_TEXT_DELETE_EMPTY_LINES},
                                           RandomCase{"InsertEmptyLines", ID_TEXT_INSERT_EMPTY_LINES},
                                           RandomCase{"ExtraSpaces", ID_TEXT_DELETE_EXTRA_SPACES}),
                         [](const ::testing::TestParamInfo<RandomCase>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
