// The rich text a selection turns into, alone or with a node's old text:
// the text comes out as written and the old text keeps its formatting,
// whether the document is taken apart directly or loaded into the control.
#include <windows.h>

#include <gtest/gtest.h>

#include "collector/RichTextComposer.h"
#include "collector/RtfSplice.h"
#include "tests/collector/CollectorRig.h"

using namespace vellora::collector;
using namespace vtest;

namespace {

const std::string kSep = "\r\r======================Next copy text==========================\r";

// Old documents: as the control writes them (taken apart directly), and
// shapes only the control reads (no font table; raw bytes).
struct OldText {
  const char* name;
  std::string rtf;
  bool direct;
};

std::vector<OldText> OldTexts() {
  return {
      {"control's shape", Rtf("Keep me bold", true), true},
      {"no final paragraph", "{\\rtf1\\ansi{\\fonttbl{\\f0\\fnil Tahoma;}}\\pard\\f0\\b Keep me bold\\b0}", true},
      {"no font table", "{\\rtf1\\ansi\\pard\\b Keep me bold\\b0\\par}", false},
      {"text before any paragraph", "{\\rtf1{\\fonttbl{\\f0 A;}}\\b Keep me bold\\b0\\par}", false},
  };
}

TEST(RichText, AppendingAndInsertingKeepTheOldTextAndItsBoldFace) {
  const std::string picked = "Picked {words} \\ too\r\nsecond line";
  const std::string shown = "Picked {words} \\ too\rsecond line";
  for (const OldText& old : OldTexts()) {
    struct Case {
      TextMode mode;
      std::string expected;
      long boldAt;
    };
    const Case cases[] = {
        {TextMode::AppendToLast, "Keep me bold" + kSep + shown, 0},
        {TextMode::InsertIntoFront, shown + kSep + "Keep me bold", static_cast<long>(shown.size() + kSep.size())},
        {TextMode::OverwriteAll, shown, -1},
    };
    std::string spliced;
    EXPECT_EQ(SpliceIntoRtf(old.rtf, false, "x", spliced), old.direct) << old.name;
    for (const Case& c : cases) {
      std::string rtf;
      ASSERT_HRESULT_SUCCEEDED(ComposeRichText(nullptr, &old.rtf, c.mode, picked, rtf)) << old.name;
      bool bold = false;
      std::string text = PlainTextOfRtf(rtf, c.boldAt, &bold);
      EXPECT_EQ(text, c.expected) << old.name << " mode " << static_cast<int>(c.mode);
      if (c.boldAt >= 0) {
        EXPECT_TRUE(bold) << old.name << " mode " << static_cast<int>(c.mode);
      }
      bool newBold = true;
      PlainTextOfRtf(rtf, c.mode == TextMode::AppendToLast ? static_cast<long>(c.expected.size() - 2) : 0, &newBold);
      EXPECT_FALSE(newBold) << "the new text takes no bold from the old, " << old.name << " mode "
                            << static_cast<int>(c.mode);
    }
  }
}

TEST(RichText, ANewEmptyNoteTakesTheSelectionAlone) {
  const std::string empty;
  for (TextMode mode : {TextMode::AppendToLast, TextMode::InsertIntoFront}) {
    std::string rtf;
    ASSERT_HRESULT_SUCCEEDED(ComposeRichText(nullptr, &empty, mode, "Picked", rtf));
    EXPECT_EQ(PlainTextOfRtf(rtf), "Picked");
  }
}

TEST(RichText, TheOldBytesStayAsTheyWereAroundTheNewText) {
  const std::string old = Rtf("Keep me bold", true);
  std::string front, end;
  ASSERT_TRUE(SpliceIntoRtf(old, true, "new", front));
  ASSERT_TRUE(SpliceIntoRtf(old, false, "new", end));
  // Only the font entry and the one group were added.
  const std::string entry = "{\\f1\\fnil MS Sans Serif;}";
  for (const std::string* result : {&front, &end}) {
    std::string stripped = *result;
    size_t at = stripped.find(entry);
    ASSERT_NE(at, std::string::npos);
    stripped.erase(at, entry.size());
    size_t group = stripped.find("{\\pard\\plain\\f1\\fs24");
    ASSERT_NE(group, std::string::npos);
    size_t close = stripped.find('}', group);
    stripped.erase(group, close - group + 1);
    EXPECT_EQ(stripped, old);
  }
}

TEST(RichText, ALongSelectionIsNotCutAtTheControlsDefaultLimit) {
  // Well past the 32767 characters a rich edit control takes by default.
  std::string selection, oldText;
  for (int i = 0; i < 500; ++i) selection += std::string(99, 'w') + "\n";
  for (int i = 0; i < 400; ++i) oldText += std::string(99, 'o') + "\\par\r\n";
  std::string rtf;
  ASSERT_HRESULT_SUCCEEDED(ComposeRichText(nullptr, nullptr, TextMode::OverwriteAll, selection, rtf));
  EXPECT_EQ(PlainTextOfRtf(rtf).size(), 500u * 100u);
  std::string old = "{\\rtf1\\ansi\\pard " + oldText + "}";
  ASSERT_HRESULT_SUCCEEDED(ComposeRichText(nullptr, &old, TextMode::AppendToLast, selection, rtf));
  EXPECT_EQ(PlainTextOfRtf(rtf).size(), 400u * 100u + kSep.size() - 1 + 500u * 100u);
}

TEST(RichText, NonAsciiTextGoesInAsUnicode) {
  if (GetACP() != 1252) GTEST_SKIP() << "the sample text is in code page 1252";
  std::string rtf;
  ASSERT_TRUE(SpliceIntoRtf(Rtf("x"), false, "caf\xE9", rtf));
  EXPECT_NE(rtf.find("caf\\u233?"), std::string::npos);
  EXPECT_EQ(PlainTextOfRtf(rtf), "x\rcaf\xE9");
}

}  // namespace
