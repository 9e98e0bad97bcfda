// Text files in and out: reading an imported file, writing an exported one,
// the data list's text form, and Import Text File / Export Text File on a
// real library without the frame, read back from the saved file.
#include <windows.h>
#include <commdlg.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "content/CatalogOperations.h"
#include "content/CommandIds.h"
#include "content/RtfText.h"
#include "content/TabPages.h"
#include "content/TextExchange.h"
#include "content/TreeNodes.h"
#include "tests/content/CommandRig.h"
#include "tests/content/ContentFixtures.h"

using namespace vellora;
using vtest::CommandRig;

namespace {

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
  } while (FindNextFileA(find, &found));
  FindClose(find);
  return names;
}

TEST(TextFiles, AFileIsReadUpToItsFirstZeroByteAndNoFurtherThanTheLimit) {
  struct Case {
    const char* what;
    std::string bytes;  // the file's content; "-": no file
    bool read;
    std::string text;
  };
  const std::vector<Case> cases = {
      {"lines", "one\r\ntwo\n", true, "one\r\ntwo\n"},
      {"a zero byte cuts the text", std::string("kept\0lost", 9), true, "kept"},
      {"a zero byte first", std::string("\0x", 2), true, ""},
      {"an empty file", "", true, ""},
      {"bytes of any code page as they are", "\xD6\xD0\xCE\xC4\xEF\xBB\xBF", true, "\xD6\xD0\xCE\xC4\xEF\xBB\xBF"},
      {"the largest file taken", std::string(kMaxTextFileBytes, 'a'), true, std::string(kMaxTextFileBytes, 'a')},
      {"one byte more", std::string(kMaxTextFileBytes + 1, 'a'), false, ""},
      {"no file", "-", false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    vtest::TempDir dir;
    const std::string path = dir.File("in.txt");
    if (c.bytes != "-") ASSERT_TRUE(vtest::WriteWholeFile(path, c.bytes));
    std::string text = "stale";
    EXPECT_EQ(ReadTextFile(path, text), c.read);
    EXPECT_TRUE(text == c.text) << text.size() << " bytes";
  }
}

TEST(TextFiles, AWriteReplacesTheFileWholeOrLeavesItAsItWas) {
  struct Case {
    const char* what;
    const char* before;  // null: no file there
    bool readOnly;
    bool written;
  };
  const std::vector<Case> cases = {
      {"a new file", nullptr, false, true},
      {"over a longer file", "a much longer text than the new one", false, true},
      {"over a read-only file", "kept as it was", true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    vtest::TempDir dir;
    const std::string path = dir.File("out.txt");
    if (c.before) ASSERT_TRUE(vtest::WriteWholeFile(path, c.before));
    if (c.readOnly) SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    const HRESULT hr = WriteTextFile(path, "new\r\ntext");
    EXPECT_EQ(SUCCEEDED(hr), c.written) << std::hex << hr;
    EXPECT_EQ(vtest::ReadWholeFile(path), c.written ? "new\r\ntext" : c.before);
    // Nothing of the write is left beside the file.
    EXPECT_EQ(FilesIn(dir.Path()), std::vector<std::string>{"out.txt"});
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  }
  vtest::TempDir dir;
  EXPECT_TRUE(FAILED(WriteTextFile(dir.File("no such folder\\out.txt"), "x")));
  EXPECT_TRUE(FilesIn(dir.Path()).empty());
}

TEST(TextFiles, ADataListReadsAsTitlesARuleAndRowsWithTwoTabsAfterEveryCell) {
  const std::string rule = std::string(78, '=');
  struct Case {
    const char* what;
    DataList list;
    std::string text;
  };
  const std::vector<Case> cases = {
      {"two columns, one row", {{{"A"}, {"B"}}, {{"x", "y"}}}, "A\t\tB\t\t\r\n" + rule + "\r\nx\t\ty\t\t\r\n"},
      {"empty cells and no row after the rule", {{{"Name"}}, {{""}, {"z"}}}, "Name\t\t\r\n" + rule + "\r\n\t\t\r\nz\t\t\r\n"},
      {"no rows", {{{"A"}}, {}}, "A\t\t\r\n" + rule + "\r\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(DataListText(c.list), c.text) << c.what;
}

// ---- the commands ---------------------------------------------------------------------

struct Outcome {
  uint16_t kind = 0;
  std::string content;
};

Outcome LeafOf(const StorageHandle& root, const std::string& folder, const std::string& title) {
  StorageHandle tree = root.OpenStorageFor(folder.c_str(), true);
  std::vector<TreeNode> nodes;
  LoadTree(tree, nodes);
  for (const TreeNode& node : nodes)
    if (node.title == title) return {node.kind, vtest::LeafContent(tree, {node.elementName})};
  ADD_FAILURE() << "no leaf " << title;
  return {};
}

Outcome ItemOf(const StorageHandle& root, const std::string& folder, const std::string& title) {
  for (const CatalogItemEntry& item : vtest::ItemsIn(root, folder))
    if (item.title == title) return {item.kind, vtest::ItemContent(root, folder, item.elementName)};
  ADD_FAILURE() << "no item " << title;
  return {};
}

Outcome PageOf(const StorageHandle& root, const std::string& folder, const std::string& title) {
  StorageHandle catalog = root.OpenStorageFor(folder.c_str(), true);
  StorageHandle item = catalog.OpenStorageFor("Tabs", true);
  TabPages pages;
  EXPECT_HRESULT_SUCCEEDED(pages.Load(item));
  const int at = pages.IndexOfTitle(title);
  if (at < 0) return {};
  const TabPageEntry& page = pages.Pages()[static_cast<size_t>(at)];
  StorageHandle storage = item.OpenStorageFor(page.elementName.c_str(), true);
  return {page.kind, vtest::StreamText(storage, kTabPageItemContent)};
}

// A tree with a text leaf and a web page leaf; a catalog with a text item,
// a tab pages item and a data list.
void LayDown(CommandRig& rig) {
  StorageHandle tree = rig.Folder(rig.treeFolder);
  vtest::AddLeaf(tree, "A", 1, "alpha");
  const std::string link = vtest::Counted("http://example.org/");
  ASSERT_HRESULT_SUCCEEDED(CreateLeafNode(tree, "Web", vtest::NodeRecord(2, kItemWebLink), link.data(),
                                          static_cast<ULONG>(link.size())));
  tree.Release();
  StorageHandle catalog = rig.Folder(rig.catalogFolder);
  vtest::AddItem(catalog, "Note", 1, "n");
  NewItemRequest tabs;
  tabs.title = "Tabs";
  tabs.kind = kItemTabPages;
  ASSERT_HRESULT_SUCCEEDED(CreateCatalogItem(catalog, tabs, "Tabs", 2));
  NewItemRequest list;
  list.title = "List";
  list.kind = kItemDataList;
  list.columns = {"A"};
  ASSERT_HRESULT_SUCCEEDED(CreateCatalogItem(catalog, list, "List", 3));
}

int ItemTitled(CommandRig& rig, const std::string& title) {
  const auto& items = rig.selection.Items();
  for (size_t i = 0; i < items.size(); ++i)
    if (items[i].title == title) return static_cast<int>(i);
  ADD_FAILURE() << "no item " << title;
  return -1;
}

// The text a note shows, read as the search reads it.
std::wstring NoteText(const Outcome& outcome) { return RtfPlainText(outcome.content); }

TEST(TextImport, TheFileBecomesTheTextOfTheSelectedLeafItemOrPage) {
  struct Case {
    const char* what;
    std::string file;
    std::function<void(CommandRig&)> select;
    std::function<void(const StorageHandle& root, CommandRig&)> check;
  };
  const std::vector<Case> cases = {
      {"a text leaf, line by line", "first\r\nsecond",
       [](CommandRig& rig) { rig.host.tree.Select(rig.host.tree.Titled({"A"})); },
       [](const StorageHandle& root, CommandRig& rig) {
         const Outcome leaf = LeafOf(root, rig.treeFolder, "A");
         EXPECT_EQ(leaf.kind, kItemText);
         EXPECT_EQ(NoteText(leaf), L"first\rsecond\r");
       }},
      {"a web page leaf becomes a text leaf", "page {1} \\ done\n",
       [](CommandRig& rig) { rig.host.tree.Select(rig.host.tree.Titled({"Web"})); },
       [](const StorageHandle& root, CommandRig& rig) {
         EXPECT_EQ(rig.host.tree.Data(rig.host.tree.Titled({"Web"}))->kind, kItemText);
         const Outcome leaf = LeafOf(root, rig.treeFolder, "Web");
         EXPECT_EQ(leaf.kind, kItemText);
         EXPECT_EQ(NoteText(leaf), L"page {1} \\ done\r\r");
       }},
      {"only the bytes before a zero byte", std::string("kept\0lost", 9),
       [](CommandRig& rig) { rig.host.tree.Select(rig.host.tree.Titled({"A"})); },
       [](const StorageHandle& root, CommandRig& rig) { EXPECT_EQ(NoteText(LeafOf(root, rig.treeFolder, "A")), L"kept\r"); }},
      {"a catalog text item", "item\ttext",
       [](CommandRig& rig) {
         rig.Select(rig.catalogFolder);
         rig.selection.SelectItem(ItemTitled(rig, "Note"));
       },
       [](const StorageHandle& root, CommandRig& rig) {
         const Outcome item = ItemOf(root, rig.catalogFolder, "Note");
         EXPECT_EQ(item.kind, kItemText);
         EXPECT_EQ(NoteText(item), L"item\ttext\r");
       }},
      {"a tab pages item's shown page becomes a text page, and only that page", "on the page",
       [](CommandRig& rig) {
         rig.Select(rig.catalogFolder);
         rig.selection.SelectItem(ItemTitled(rig, "Tabs"));
         rig.host.shownPage = "Files";
       },
       [](const StorageHandle& root, CommandRig& rig) {
         EXPECT_EQ(ItemOf(root, rig.catalogFolder, "Tabs").kind, kItemTabPages);
         const Outcome files = PageOf(root, rig.catalogFolder, "Files");
         EXPECT_EQ(files.kind, kItemText);
         EXPECT_EQ(NoteText(files), L"on the page\r");
         EXPECT_EQ(NoteText(PageOf(root, rig.catalogFolder, "Content")), L"");
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    vtest::TempDir dir;
    const std::string file = dir.File("import.txt");
    ASSERT_TRUE(vtest::WriteWholeFile(file, c.file));
    auto rig = std::make_unique<CommandRig>();
    LayDown(*rig);
    rig->Select(rig->treeFolder);
    c.select(*rig);
    rig->rig.prompt.files.push_back(file);
    rig->commands.Handle(ID_IMPORT_TEXT);
    ASSERT_EQ(rig->rig.prompt.dialogs.size(), 1u);
    const FileDialogRequest& dialog = rig->rig.prompt.dialogs[0];
    EXPECT_FALSE(dialog.save);
    EXPECT_EQ(dialog.title, "Import Text");
    EXPECT_EQ(dialog.filter, rig->rig.texts.TextOr(kTextImportTextFilter, "?"));
    EXPECT_TRUE(rig->rig.prompt.shown.empty()) << rig->rig.prompt.shown.front().text;
    // The item is let go before it changes, and shown again after.
    EXPECT_EQ(rig->host.leaves, 1);
    EXPECT_EQ(rig->host.shows, 1);
    EXPECT_TRUE(rig->document.Modified());
    c.check(rig->SavedRoot(), *rig);
  }
}

TEST(TextImport, NothingChangesWithoutATargetAFileOrAReadableFile) {
  struct Refusal {
    const char* what;
    std::function<void(CommandRig&)> select;
    const char* file;     // the dialog's answer; null: no dialog
    const char* message;  // empty: none
  };
  const std::vector<Refusal> cases = {
      {"no node selected", [](CommandRig& rig) { rig.host.tree.Select(nullptr); }, nullptr,
       "Please select a tree node first"},
      {"no item selected", [](CommandRig& rig) { rig.Select(rig.secondCatalog); }, nullptr,
       "Please select the catalog item you want to set password first!"},
      {"a data list item",
       [](CommandRig& rig) {
         rig.Select(rig.catalogFolder);
         rig.selection.SelectItem(ItemTitled(rig, "List"));
       },
       nullptr, ""},
      {"the dialog cancelled", [](CommandRig& rig) { rig.host.tree.Select(rig.host.tree.Titled({"A"})); }, "", ""},
      {"a file that cannot be read", [](CommandRig& rig) { rig.host.tree.Select(rig.host.tree.Titled({"A"})); },
       "C:\\no\\such\\file.txt", "could not be read"},
  };
  for (const Refusal& c : cases) {
    SCOPED_TRACE(c.what);
    auto rig = std::make_unique<CommandRig>();
    LayDown(*rig);
    rig->Select(rig->treeFolder);
    c.select(*rig);
    if (c.file) rig->rig.prompt.files.push_back(c.file);
    rig->commands.Handle(ID_IMPORT_TEXT);
    EXPECT_TRUE(rig->rig.prompt.files.empty()) << "the dialog was not asked";
    if (*c.message) {
      ASSERT_EQ(rig->rig.prompt.shown.size(), 1u);
      EXPECT_NE(rig->rig.prompt.shown[0].text.find(c.message), std::string::npos) << rig->rig.prompt.shown[0].text;
    } else {
      EXPECT_TRUE(rig->rig.prompt.shown.empty());
    }
    EXPECT_EQ(rig->host.leaves, 0);
    const StorageHandle root = rig->SavedRoot();
    EXPECT_EQ(LeafOf(root, rig->treeFolder, "A").content, "alpha");
    EXPECT_EQ(ItemOf(root, rig->catalogFolder, "Note").content, "n");
  }
}

TEST(TextExport, TheShownViewsTextIsWrittenAsTheWholeFile) {
  struct Case {
    const char* what;
    bool viewHasText;
    std::string viewText;
    const char* before;  // the file already there; null: none
    std::string file;
  };
  const std::vector<Case> cases = {
      {"a note's text ends the file", true, "line one\r\nline two", nullptr, "line one\r\nline two"},
      {"a view without text gives an empty file", false, "ignored", nullptr, ""},
      {"a longer file there is replaced whole", true, "short", "a much longer text than the new one", "short"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    vtest::TempDir dir;
    const std::string path = dir.File("export.txt");
    if (c.before) ASSERT_TRUE(vtest::WriteWholeFile(path, c.before));
    CommandRig rig;
    rig.host.viewHasText = c.viewHasText;
    rig.host.viewText = c.viewText;
    rig.rig.prompt.files.push_back(path);
    rig.commands.Handle(ID_EXPORT_TEXT);
    ASSERT_EQ(rig.rig.prompt.dialogs.size(), 1u);
    const FileDialogRequest& dialog = rig.rig.prompt.dialogs[0];
    EXPECT_TRUE(dialog.save);
    EXPECT_EQ(dialog.title, "Export Text File");
    EXPECT_EQ(dialog.filter, "\xCE\xC4\xB1\xBE\xCE\xC4\xBC\xFE(*.TXT)|*.txt|");
    EXPECT_EQ(dialog.defaultExtension, "txt");
    EXPECT_TRUE(dialog.flags & OFN_OVERWRITEPROMPT);
    EXPECT_TRUE(rig.rig.prompt.shown.empty());
    EXPECT_TRUE(vtest::FileExists(path));
    EXPECT_EQ(vtest::ReadWholeFile(path), c.file);
  }
}

TEST(TextExport, AFailedWriteIsToldAndLeavesNoFile) {
  vtest::TempDir dir;
  CommandRig rig;
  rig.host.viewHasText = true;
  rig.host.viewText = "text";
  rig.rig.prompt.files.push_back(dir.File("no such folder\\export.txt"));
  rig.commands.Handle(ID_EXPORT_TEXT);
  ASSERT_EQ(rig.rig.prompt.shown.size(), 1u);
  EXPECT_NE(rig.rig.prompt.shown[0].text.find("could not be written"), std::string::npos);
  EXPECT_TRUE(FilesIn(dir.Path()).empty());
  // Cancelled: no file, no message.
  rig.rig.prompt.files.push_back("");
  rig.commands.Handle(ID_EXPORT_TEXT);
  EXPECT_EQ(rig.rig.prompt.shown.size(), 1u);
}

}  // namespace
