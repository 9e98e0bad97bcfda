// Text files in and out, and Import Text File / Export Text File on a real
// library without the frame, read back from the saved file.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "content/CatalogOperations.h"
#include "content/CommandIds.h"
#include "content/RtfText.h"
#include "content/TabPages.h"
#include "content/TextExchange.h"
#include "tests/content/CommandRig.h"
#include "tests/content/ContentFixtures.h"

using namespace vellora;
using vtest::CommandRig;

namespace {

TEST(TextFiles, AFileIsReadUpToItsFirstZeroByteAndNoFurtherThanTheLimit) {
  const struct {
    std::string bytes;  // "-": no file
    bool read;
    std::string text;
  } cases[] = {{"one\r\ntwo\n", true, "one\r\ntwo\n"},
               {std::string("kept\0lost", 9), true, "kept"},
               {std::string(kMaxTextFileBytes, 'a'), true, std::string(kMaxTextFileBytes, 'a')},
               {std::string(kMaxTextFileBytes + 1, 'a'), false, ""},
               {"-", false, ""}};
  for (const auto& c : cases) {
    vtest::TempDir dir;
    if (c.bytes != "-") {
      ASSERT_TRUE(vtest::WriteWholeFile(dir.File("in.txt"), c.bytes));
    }
    std::string text = "stale";
    EXPECT_EQ(ReadTextFile(dir.File("in.txt"), text), c.read) << c.bytes.size();
    EXPECT_TRUE(text == c.text) << c.bytes.size() << " bytes gave " << text.size();
  }
}

// The whole library: a text leaf and a web page leaf, a text item, a tab
// pages item and a data list.
void LayDown(CommandRig& rig) {
  StorageHandle tree = rig.Folder(rig.treeFolder);
  vtest::AddLeaf(tree, "A", 1, "alpha");
  const std::string link = vtest::Counted("http://example.org/");
  ASSERT_HRESULT_SUCCEEDED(CreateLeafNode(tree, "Web", vtest::NodeRecord(2, kItemWebLink), link.data(),
                                          static_cast<ULONG>(link.size())));
  tree.Release();
  StorageHandle catalog = rig.Folder(rig.catalogFolder);
  vtest::AddItem(catalog, "Note", 1, "n");
  for (auto [title, kind] : {std::pair{"Tabs", kItemTabPages}, {"List", kItemDataList}}) {
    NewItemRequest item{title, static_cast<uint16_t>(kind), {"A"}};
    ASSERT_HRESULT_SUCCEEDED(CreateCatalogItem(catalog, item, title, kind == kItemTabPages ? 2 : 3));
  }
}

// The kind and content of a leaf ("tree/<title>"), an item ("<title>") or a
// page of Tabs ("Tabs/<title>") in the saved file.
std::pair<uint16_t, std::string> Stored(const StorageHandle& root, CommandRig& rig, const std::string& where) {
  if (where.rfind("tree/", 0) == 0) {
    StorageHandle tree = root.OpenStorageFor(rig.treeFolder.c_str(), true);
    std::vector<TreeNode> nodes;
    LoadTree(tree, nodes);
    for (const TreeNode& node : nodes)
      if (node.title == where.substr(5)) return {node.kind, vtest::LeafContent(tree, {node.elementName})};
  } else if (where.rfind("Tabs/", 0) == 0) {
    StorageHandle catalog = root.OpenStorageFor(rig.catalogFolder.c_str(), true);
    StorageHandle item = catalog.OpenStorageFor("Tabs", true);
    TabPages pages;
    EXPECT_HRESULT_SUCCEEDED(pages.Load(item));
    const int at = pages.IndexOfTitle(where.substr(5));
    if (at >= 0) {
      const TabPageEntry& page = pages.Pages()[static_cast<size_t>(at)];
      return {page.kind, vtest::StreamText(item.OpenStorageFor(page.elementName.c_str(), true), kTabPageItemContent)};
    }
  } else {
    for (const CatalogItemEntry& item : vtest::ItemsIn(root, rig.catalogFolder))
      if (item.title == where) return {item.kind, vtest::ItemContent(root, rig.catalogFolder, item.elementName)};
  }
  ADD_FAILURE() << "nothing at " << where;
  return {};
}

void SelectItem(CommandRig& rig, const std::string& title) {
  rig.Select(rig.catalogFolder);
  for (size_t i = 0; i < rig.selection.Items().size(); ++i)
    if (rig.selection.Items()[i].title == title) rig.selection.SelectItem(static_cast<int>(i));
}

TEST(TextImport, TheFileBecomesTheTextOfTheSelectedLeafItemOrShownPage) {
  const struct {
    std::function<void(CommandRig&)> select;
    std::string file, where;
    std::wstring note;  // the stored note's text, as the search reads it
  } cases[] = {
      {[](CommandRig& r) { r.host.tree.Select(r.host.tree.Titled({"A"})); }, "one\r\ntwo", "tree/A", L"one\rtwo\r"},
      {[](CommandRig& r) { r.host.tree.Select(r.host.tree.Titled({"Web"})); }, "{1} \\ x\n", "tree/Web", L"{1} \\ x\r\r"},
      {[](CommandRig& r) { SelectItem(r, "Note"); }, std::string("a\tb\0lost", 8), "Note", L"a\tb\r"},
      {[](CommandRig& r) {
         SelectItem(r, "Tabs");
         r.host.shownPage = "Files";
       },
       "page", "Tabs/Files", L"page\r"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.where);
    vtest::TempDir dir;
    ASSERT_TRUE(vtest::WriteWholeFile(dir.File("in.txt"), c.file));
    auto rig = std::make_unique<CommandRig>();
    LayDown(*rig);
    rig->Select(rig->treeFolder);
    c.select(*rig);
    rig->rig.prompt.files.push_back(dir.File("in.txt"));
    rig->commands.Handle(ID_IMPORT_TEXT);
    ASSERT_EQ(rig->rig.prompt.dialogs.size(), 1u);
    EXPECT_EQ(rig->rig.prompt.dialogs[0].filter, rig->rig.texts.TextOr(kTextImportTextFilter, "?"));
    EXPECT_TRUE(rig->rig.prompt.shown.empty()) << rig->rig.prompt.shown.front().text;
    EXPECT_EQ(rig->host.leaves + rig->host.shows, 2);  // let go before, shown again after
    const StorageHandle root = rig->SavedRoot();
    const auto [kind, content] = Stored(root, *rig, c.where);
    EXPECT_EQ(kind, kItemText);
    EXPECT_EQ(RtfPlainText(content), c.note);
    EXPECT_TRUE(RtfPlainText(Stored(root, *rig, "Tabs/Content").second).empty()) << "another page changed";
  }
}

TEST(TextImport, NothingChangesWithoutATargetAFileOrAReadableFile) {
  const struct {
    std::function<void(CommandRig&)> select;
    const char* file;     // the dialog's answer; null: no dialog
    const char* message;  // empty: none
  } cases[] = {
      {[](CommandRig& r) { r.host.tree.Select(nullptr); }, nullptr, "Please select a tree node first"},
      {[](CommandRig& r) { r.Select(r.secondCatalog); }, nullptr, "Please select the catalog item"},
      {[](CommandRig& r) { SelectItem(r, "List"); }, nullptr, ""},
      {[](CommandRig& r) { r.host.tree.Select(r.host.tree.Titled({"A"})); }, "", ""},
      {[](CommandRig& r) { r.host.tree.Select(r.host.tree.Titled({"A"})); }, "C:\\no\\such.txt", "could not be read"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    auto rig = std::make_unique<CommandRig>();
    LayDown(*rig);
    rig->Select(rig->treeFolder);
    c.select(*rig);
    if (c.file) rig->rig.prompt.files.push_back(c.file);
    rig->commands.Handle(ID_IMPORT_TEXT);
    EXPECT_TRUE(rig->rig.prompt.files.empty()) << "the dialog was not asked";
    ASSERT_EQ(rig->rig.prompt.shown.size(), *c.message ? 1u : 0u);
    if (*c.message) {
      EXPECT_NE(rig->rig.prompt.shown[0].text.find(c.message), std::string::npos);
    }
    EXPECT_EQ(rig->host.leaves, 0);
    const StorageHandle root = rig->SavedRoot();
    EXPECT_EQ(Stored(root, *rig, "tree/A").second, "alpha");
  }
}

TEST(TextExport, TheShownTextIsTheWholeFileAndAFailedWriteLeavesTheOldFile) {
  const std::string list = DataListText({{{"A"}, {"B"}}, {{"x", "y"}}});
  EXPECT_EQ(list, "A\t\tB\t\t\r\n" + std::string(78, '=') + "\r\nx\t\ty\t\t\r\n");
  const struct {
    bool viewHasText;
    std::string text;
    const char* before;  // the file there already (null: none)
    bool readOnly;
    std::string after;
  } cases[] = {{true, list, "a longer text than the list's is replaced whole", false, list},
               {false, "ignored", nullptr, false, ""},
               {true, "new", "kept as it was", true, "kept as it was"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.after);
    vtest::TempDir dir;
    const std::string path = dir.File("out.txt");
    if (c.before) {
      ASSERT_TRUE(vtest::WriteWholeFile(path, c.before));
    }
    if (c.readOnly) SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    CommandRig rig;
    rig.host.viewHasText = c.viewHasText;
    rig.host.viewText = c.text;
    rig.rig.prompt.files = {path, dir.File("no folder\\out.txt")};
    rig.commands.Handle(ID_EXPORT_TEXT);
    rig.commands.Handle(ID_EXPORT_TEXT);  // into a folder that is not there: told, nothing written
    EXPECT_EQ(rig.rig.prompt.dialogs.at(0).filter, "\xCE\xC4\xB1\xBE\xCE\xC4\xBC\xFE(*.TXT)|*.txt|");
    EXPECT_EQ(rig.rig.prompt.shown.size(), c.readOnly ? 2u : 1u);
    EXPECT_TRUE(vtest::FileExists(path));
    EXPECT_EQ(vtest::ReadWholeFile(path), c.after);
    // Nothing of a write is left beside the file.
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((dir.Path() + "\\*.tmp").c_str(), &found);
    EXPECT_EQ(find, INVALID_HANDLE_VALUE);
    if (find != INVALID_HANDLE_VALUE) FindClose(find);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  }
}

}  // namespace
