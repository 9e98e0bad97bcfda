// Import Text File and Export Text File in the real main frame: the note a
// file became is shown, and what the text view or the data list shows is
// what the exported file holds.
#include <windows.h>

#include <gtest/gtest.h>

#include "content/CatalogOperations.h"
#include "content/CommandIds.h"
#include "tests/frame/FrameFixture.h"

using namespace vellora;

namespace {

class TextExchangeFrame : public vtest::FrameFixture {
 protected:
  void SetUp() override {
    FrameFixture::SetUp();
    path_ = rig_.dir.File("exchange.vlx");
    LibraryDocument doc(rig_.host, rig_.prompt, rig_.texts, rig_.log, rig_.Setup());
    ASSERT_TRUE(doc.CreateLibrary(path_));
    StorageHandle tree = doc.Root().OpenStorageFor(TreeFolder().c_str(), false);
    vtest::AddNote(tree, "A", 1, "{\\rtf1\\ansi first\\par second\\par}");
    tree.Release();
    StorageHandle catalog = doc.Root().OpenStorageFor(CatalogFolder().c_str(), false);
    NewItemRequest list{"List", kItemDataList, {"A", "B"}};
    ASSERT_HRESULT_SUCCEEDED(CreateCatalogItem(catalog, list, "List", 1));
    catalog.Release();
    doc.Save();
  }
  // Runs Export Text File into a new file and answers what it holds.
  std::string Exported(const char* name) {
    const std::string file = rig_.dir.File(name);
    rig_.prompt.files = {file};
    Command(ID_EXPORT_TEXT);
    return vtest::ReadWholeFile(file);
  }
  std::string path_;
};

TEST_F(TextExchangeFrame, TheShownNoteOrListIsExportedAndAnImportedFileIsShown) {
  OpenLibrary(path_, true);
  SelectGroup(TreeFolder());
  SelectNode("A");
  EXPECT_EQ(Exported("note.txt"), "first\r\nsecond");

  const std::string in = rig_.dir.File("in.txt");
  ASSERT_TRUE(vtest::WriteWholeFile(in, "imported\nlines"));
  rig_.prompt.files = {in};
  Command(ID_IMPORT_TEXT);
  EXPECT_TRUE(rig_.prompt.shown.empty()) << rig_.prompt.shown.front().text;
  EXPECT_EQ(Exported("again.txt"), "imported\r\nlines");

  SelectGroup(CatalogFolder());
  frame_->SelectItem(0);
  vtest::Pump();
  EXPECT_EQ(Exported("list.txt"), "A\t\tB\t\t\r\n" + std::string(78, '=') + "\r\n");
}

}  // namespace
