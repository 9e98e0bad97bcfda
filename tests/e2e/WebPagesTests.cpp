// Vellora.exe showing web page items through the tests' stand-in browser
// (registered as the system's for the run; its log reaches this process
// through a file): a link shown, the modes switched, the item turned into an
// embedded page by Import webpage and shown from the working folder, and
// what the program wrote read back from the file afterwards.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "content/CatalogOperations.h"
#include "content/CommandIds.h"
#include "store/CompoundFileCheck.h"
#include "store/LibraryDocument.h"
#include "store/WebArchive.h"
#include "tests/TestSupport.h"
#include "tests/e2e/ProgramFixture.h"
#include "tests/webbrowser/StandInBrowserDll.h"
#include "views/dialogs/DialogIds.h"

using namespace vellora;

namespace {

class WebPagesProgram : public vtest::ProgramFixture {
 protected:
  void SetUp() override {
    ProgramFixture::SetUp();
    ASSERT_TRUE(browser_.Loaded() && browser_.Registered()) << "the stand-in browser could not be registered";
    logFile_ = rig_.dir.File("browser.log");
    // The program started next inherits it, and its browser logs there.
    SetEnvironmentVariableA(vtest::web::kLogFileVariable, logFile_.c_str());
  }
  void TearDown() override {
    SetEnvironmentVariableA(vtest::web::kLogFileVariable, nullptr);
    ProgramFixture::TearDown();
  }
  std::string CatalogFolder() const { return rig_.texts.TextOr(kTextFirstCatalogFolder, "?"); }
  bool Logged(const std::string& line) {
    return vtest::WaitUntil([&] { return (vtest::ReadWholeFile(logFile_) + "\n").find(line + "\n") != std::string::npos; });
  }
  void Command(UINT id) { PostMessageA(main_, WM_COMMAND, id, 0); }
  // A library whose catalog folder, shown at start, holds one link "Site" to the address.
  bool MakeLibraryOfOneLink(const std::string& path, const std::string& address) {
    LibraryDocument doc(rig_.host, rig_.prompt, rig_.texts, rig_.log, rig_.Setup());
    if (!doc.CreateLibrary(path)) return false;
    doc.WriteSettingsSlot(0, Variant::FromString(CatalogFolder()));
    StorageHandle catalog = doc.Root().OpenStorageFor(CatalogFolder().c_str(), false);
    NewItemRequest site;
    site.title = "Site";
    site.kind = kItemWebLink;
    site.address = address;
    const bool made = SUCCEEDED(CreateCatalogItem(catalog, site, "Site", 1));
    catalog.Release();
    return made && doc.Save();
  }

  vtest::web::StandInBrowserDll browser_;
  std::string logFile_;
  HWND main_ = nullptr;
};

TEST_F(WebPagesProgram, ALinkIsShownSwitchedToEditAndEmbeddedByImportWebpage) {
  const std::string page = rig_.dir.File("page.html");
  const std::string picture = vtest::SolidBitmapFileBytes(3, 3, RGB(10, 20, 30));
  vtest::WriteWholeFile(rig_.dir.File("dot.bmp"), picture);
  vtest::WriteWholeFile(page, "<html><head><title>Local page</title></head><body><p>Shown here</p>"
                              "<img src=\"dot.bmp\"></body></html>");
  const std::string path = rig_.dir.File("web.vlx");
  ASSERT_TRUE(MakeLibraryOfOneLink(path, page));
  main_ = Start(path);
  ASSERT_TRUE(main_);
  // The folder's one item is shown: the browser is asked for the page once.
  ASSERT_TRUE(Logged("navigate " + page)) << vtest::ReadWholeFile(logFile_);
  Command(ID_WEB_EDIT);
  ASSERT_TRUE(Logged("designmode On")) << vtest::ReadWholeFile(logFile_);
  Command(ID_WEB_BROWSE);
  ASSERT_TRUE(Logged("designmode Off")) << vtest::ReadWholeFile(logFile_);
  // Search Current Item opens the browser's own find dialog, not the program's search prompt.
  Command(ID_SEARCH_CURRENT_ITEM);
  EXPECT_TRUE(vtest::WaitUntil([&] {
    const std::string log = vtest::ReadWholeFile(logFile_);
    return log.find("execwb 32 1\n") != std::string::npos || log.find(" 67\n") != std::string::npos;
  })) << vtest::ReadWholeFile(logFile_);

  Command(ID_IMPORT_HTML);
  HWND dialog = program_.WaitForWindow("Import webpage");
  ASSERT_NE(dialog, nullptr);
  SendMessageA(GetDlgItem(dialog, IDC_IMPORT_WEB_ADDRESS), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(page.c_str()));
  SendMessageA(GetDlgItem(dialog, IDC_IMPORT_WEB_EMBED), BM_CLICK, 0, 0);
  vtest::ClickButton(dialog, IDOK);
  ASSERT_TRUE(vtest::WaitUntil([&] { return !IsWindow(dialog); }));
  // Shown again, now from the copy written beside the program.
  const std::string copy = vtest::BinFolder() + "\\TempVL\\Site.mht";
  ASSERT_TRUE(Logged("navigate " + copy)) << vtest::ReadWholeFile(logFile_);
  Command(ID_FILE_SAVE);
  Close(main_, false);

  StorageHandle root;
  ASSERT_HRESULT_SUCCEEDED(root.OpenRoot(path.c_str(), kReadMode));
  StorageHandle catalog = root.OpenStorageFor(CatalogFolder().c_str(), true);
  StorageHandle item = catalog.OpenStorageFor("Site", true);
  ASSERT_FALSE(item.Empty());
  StreamHandle info = item.OpenStreamFor(kFolderItemInfo, true);
  ItemInfoRecord record;
  ASSERT_TRUE(ReadItemInfo(info, record));
  EXPECT_EQ(record.kind & 0xFFFF, kItemWebArchive);
  StreamHandle content = item.OpenStreamFor(kFolderItemContent, true);
  std::string archive(static_cast<size_t>(content.Size()), '\0');
  ULONG got = 0;
  ASSERT_HRESULT_SUCCEEDED(content.ReadBytes(archive.data(), static_cast<ULONG>(archive.size()), &got));
  std::vector<ArchivePart> parts;
  ASSERT_TRUE(ReadWebArchive(archive, parts));
  ASSERT_EQ(parts.size(), 2u);
  EXPECT_NE(parts[0].bytes.find("Shown here"), std::string::npos);
  EXPECT_EQ(parts[1].bytes, picture);
  info.Release();
  content.Release();
  item.Release();
  catalog.Release();
  root.Release();
  EXPECT_TRUE(CheckCompoundFile(path.c_str()).Sound());
}

// Print and Print Preview of a web page are the browser's own: the program
// asks for no printer of its own first (the browser asks itself and would
// not print on ours), and a page the browser refuses to print is said so.
TEST_F(WebPagesProgram, PrintAndPreviewOfAPageAreTheBrowsersOwnAndARefusalIsSaid) {
  struct Case {
    const char* file;  // the stand-in refuses to print an address with "noprint"
    bool refused;
  };
  for (const Case& c : {Case{"page.html", false}, Case{"noprint.html", true}}) {
    SCOPED_TRACE(c.file);
    const std::string page = rig_.dir.File(c.file);
    vtest::WriteWholeFile(page, "<html><head><title>Page</title></head><body><p>To print</p></body></html>");
    const std::string path = rig_.dir.File(std::string(c.file) + ".vlx");
    ASSERT_TRUE(MakeLibraryOfOneLink(path, page));
    vtest::WriteWholeFile(logFile_, "");
    main_ = Start(path);
    ASSERT_TRUE(main_);
    ASSERT_TRUE(Logged("navigate " + page)) << vtest::ReadWholeFile(logFile_);
    const std::string failCaption = rig_.texts.TextOr(kTextFailCaption, "Fail");
    struct Step {
      UINT command;
      const char* logged;   // what the browser is asked
      const char* refusal;  // what the user is told when it refuses
    };
    for (const Step& step : {Step{ID_FILE_PRINT, "execwb 6 0", "The web browser could not print this page."},
                             Step{ID_FILE_PRINT_PREVIEW, "execwb 7 0",
                                  "The web browser could not show this page's print preview."}}) {
      Command(step.command);
      EXPECT_TRUE(Logged(step.logged)) << vtest::ReadWholeFile(logFile_);
      EXPECT_EQ(program_.WaitForWindow("Print", 300), nullptr) << "the program asked for a printer itself";
      HWND box = program_.WaitForWindow(failCaption, c.refused ? 20000 : 300);
      if (!c.refused) {
        EXPECT_EQ(box, nullptr) << step.command;
        continue;
      }
      ASSERT_NE(box, nullptr) << step.command << "\n" << vtest::ReadWholeFile(logFile_);
      EXPECT_EQ(vtest::WindowText(GetDlgItem(box, 0xFFFF)), step.refusal);
      vtest::ClickButton(box, IDOK);
      EXPECT_TRUE(vtest::WaitUntil([&] { return !IsWindow(box); }));
    }
    Close(main_, false);
  }
}

}  // namespace
