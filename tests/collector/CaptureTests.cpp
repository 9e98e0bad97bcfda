// What the collector takes from a page, and the title rules, checked on the
// capture and rule functions directly.
#include <windows.h>
#include <olectl.h>

#include <gtest/gtest.h>

#include "collector/CaptureRules.h"
#include "collector/PageCapture.h"
#include "platform/ComPtr.h"
#include "tests/collector/TestDocument.h"

using namespace vellora;
using namespace vellora::collector;
using namespace vtest;

namespace {

PageCapture Capture(const std::shared_ptr<TestPage>& page) {
  IDispatch* document = CreateTestDocument(page);
  PageCapture capture = CapturePage(document);
  document->Release();
  return capture;
}

TEST(PageCapture, TheSelectionOnlyCountsWhenItIsNonEmptyText) {
  struct Case {
    bool hasSelection;
    const wchar_t* type;
    const wchar_t* text;
    std::string selection;
    std::string link;
  };
  const std::string address = "http://host/a b%41c%2";
  const Case cases[] = {
      {true, L"Text", L"picked words", "picked words", "Text Selection"},
      {true, L"text", L"lower case type", "lower case type", "Text Selection"},
      {true, L"Control", L"an image", "", address},
      {true, L"None", L"", "", address},
      {true, L"Text", L"", "", address},
      {false, L"Text", L"ignored", "", address},
  };
  for (const Case& c : cases) {
    auto page = std::make_shared<TestPage>();
    page->url = L"http://host/a%20b%41c%2";
    page->hasSelection = c.hasSelection;
    page->selectionType = c.type;
    page->selectionText = c.text;
    PageCapture capture = Capture(page);
    ASSERT_TRUE(capture.document);
    EXPECT_EQ(capture.selectionText, c.selection) << c.type;
    EXPECT_EQ(capture.link, c.link) << c.type;
    EXPECT_EQ(capture.address, "http://host/a%20b%41c%2");
    capture.document.Reset();
    EXPECT_EQ(page->references, 0) << "every interface taken from the page was let go";
  }
}

TEST(PageCapture, LongTitlesAndAddressesAreCutToTheirBuffers) {
  auto page = std::make_shared<TestPage>();
  page->title = std::wstring(300, L't');
  page->url = L"http://host/" + std::wstring(300, L'u');
  PageCapture capture = Capture(page);
  EXPECT_EQ(capture.title, std::string(259, 't'));
  EXPECT_EQ(capture.link.size(), 259u);
  EXPECT_EQ(capture.address.size(), 312u) << "the archive keeps the whole address";
}

TEST(PageCapture, AnObjectThatIsNotAnHtmlDocumentGivesNoCapture) {
  EXPECT_FALSE(CapturePage(nullptr).document);
  FONTDESC font = {sizeof font, const_cast<LPOLESTR>(L"Arial"), {120000, 0}, FW_NORMAL, ANSI_CHARSET,
                   FALSE, FALSE, FALSE};
  ComPtr<IDispatch> notADocument;
  ASSERT_HRESULT_SUCCEEDED(OleCreateFontIndirect(&font, IID_IDispatch, notADocument.PutVoid()));
  PageCapture capture = CapturePage(notADocument.Get());
  EXPECT_FALSE(capture.document);
  EXPECT_TRUE(capture.title.empty());
}

// Under a double-byte code page (936) the second byte of a character is
// never taken for a character of its own; elsewhere every byte is one.
TEST(CaptureRules, TitlesAreCutAndCheckedCharacterByCharacter) {
  const bool gbk = GetACP() == 936;
  const std::string doubleByteWithBackslash = "\x81\x5C";  // one GBK character whose trail byte is '\'
  struct Case {
    std::string box;
    std::string title;
    bool forbidden;
  };
  const Case cases[] = {
      {"Plain title", "Plain title", false},
      {std::string(31, 'a'), std::string(30, 'a'), false},
      {std::string(29, 'a') + "\xB1\xED", gbk ? std::string(29, 'a') : std::string(29, 'a') + "\xB1", false},
      {"News" + doubleByteWithBackslash, "News" + doubleByteWithBackslash, !gbk},
      {"a/b", "a/b", true},
      {"Wow!", "Wow!", true},
      {"C:", "C:", true},
      {"back\\slash", "back\\slash", true},
  };
  for (const Case& c : cases) {
    std::string title = TitleFromBox(c.box);
    EXPECT_EQ(title, c.title) << c.box;
    EXPECT_EQ(HasForbiddenCharacter(title), c.forbidden) << c.box;
  }
}

}  // namespace
