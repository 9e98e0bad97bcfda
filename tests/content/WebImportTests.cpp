// Import webpage on a real library without the frame: the selected leaf,
// web page item or tab page becomes a link or an embedded page, read back
// from the saved file; a page that cannot be read changes nothing.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "content/CatalogOperations.h"
#include "content/CommandIds.h"
#include "content/CountedStrings.h"
#include "content/TabPages.h"
#include "store/WebArchive.h"
#include "tests/content/CommandRig.h"
#include "tests/content/ContentFixtures.h"

using namespace vellora;
using vtest::CommandRig;

namespace {

std::string Counted(const std::string& text) {
  std::string out;
  AppendCounted(out, text);
  return out;
}

// A page on disk with a picture beside it.
struct LocalPage {
  vtest::TempDir dir;
  std::string page = dir.File("page.html");
  LocalPage() {
    vtest::WriteWholeFile(dir.File("dot.bmp"), vtest::SolidBitmapFileBytes(2, 2, RGB(1, 2, 3)));
    vtest::WriteWholeFile(page, "<html><head><title>Local</title></head><body><p>Hello page</p>"
                                "<img src=\"dot.bmp\"></body></html>");
  }
};

void LayDown(CommandRig& rig) {
  vtest::AddLeaf(rig.Folder(rig.treeFolder), "A", 1, "alpha");
  StorageHandle catalog = rig.Folder(rig.catalogFolder);
  NewItemRequest site;
  site.title = "Site";
  site.kind = kItemWebLink;
  site.address = "http://old.example/";
  ASSERT_HRESULT_SUCCEEDED(CreateCatalogItem(catalog, site, "Site", 1));
  NewItemRequest tabs;
  tabs.title = "Tabs";
  tabs.kind = kItemTabPages;
  ASSERT_HRESULT_SUCCEEDED(CreateCatalogItem(catalog, tabs, "Tabs", 2));
  vtest::AddItem(catalog, "Note", 3, "n");
}

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

std::vector<ArchivePart> Parts(const std::string& archive) {
  std::vector<ArchivePart> parts;
  EXPECT_TRUE(ReadWebArchive(archive, parts));
  return parts;
}

void Choose(CommandRig& rig, const std::string& address, bool embed) {
  rig.rig.prompt.webImports.push_back(WebImportRequest{address, embed});
}

struct Case {
  const char* what;
  std::function<void(CommandRig&, const LocalPage&)> run;
  std::function<void(const StorageHandle& root, CommandRig&, const LocalPage&)> check;
};

TEST(WebImport, TheSelectedLeafItemOrPageBecomesALinkOrAnEmbeddedPage) {
  const std::vector<Case> cases = {
      {"a tree leaf as a link",
       [](CommandRig& rig, const LocalPage&) {
         rig.host.tree.Select(rig.host.tree.Titled({"A"}));
         Choose(rig, "http://example.org/a b", false);
         rig.commands.Handle(ID_IMPORT_HTML);
         EXPECT_EQ(rig.host.tree.Data(rig.host.tree.Titled({"A"}))->kind, kItemWebLink);
       },
       [](const StorageHandle& root, CommandRig& rig, const LocalPage&) {
         const Outcome leaf = LeafOf(root, rig.treeFolder, "A");
         EXPECT_EQ(leaf.kind, kItemWebLink);
         EXPECT_EQ(leaf.content, Counted("http://example.org/a b"));
       }},
      {"a tree leaf embedding a local page with its picture",
       [](CommandRig& rig, const LocalPage& page) {
         rig.host.tree.Select(rig.host.tree.Titled({"A"}));
         Choose(rig, page.page, true);
         rig.commands.Handle(ID_IMPORT_HTML);
       },
       [](const StorageHandle& root, CommandRig& rig, const LocalPage&) {
         const Outcome leaf = LeafOf(root, rig.treeFolder, "A");
         EXPECT_EQ(leaf.kind, kItemWebArchive);
         const std::vector<ArchivePart> parts = Parts(leaf.content);
         ASSERT_EQ(parts.size(), 2u);
         EXPECT_NE(parts[0].bytes.find("Hello page"), std::string::npos);
         EXPECT_EQ(parts[1].bytes, vtest::SolidBitmapFileBytes(2, 2, RGB(1, 2, 3)));
       }},
      {"a catalog link item embedding the page",
       [](CommandRig& rig, const LocalPage& page) {
         rig.Select(rig.catalogFolder);
         rig.selection.SelectItem(0);
         Choose(rig, page.page, true);
         rig.commands.Handle(ID_IMPORT_HTML);
         EXPECT_EQ(rig.selection.Items()[0].kind, kItemWebArchive);
       },
       [](const StorageHandle& root, CommandRig& rig, const LocalPage&) {
         const Outcome item = ItemOf(root, rig.catalogFolder, "Site");
         EXPECT_EQ(item.kind, kItemWebArchive);
         EXPECT_NE(Parts(item.content).at(0).bytes.find("Hello page"), std::string::npos);
       }},
      {"a tab pages item's shown page, whatever its kind, and only that page",
       [](CommandRig& rig, const LocalPage&) {
         rig.Select(rig.catalogFolder);
         rig.selection.SelectItem(1);
         rig.host.shownPage = "Files";
         Choose(rig, "about:blank", false);
         rig.commands.Handle(ID_IMPORT_HTML);
       },
       [](const StorageHandle& root, CommandRig& rig, const LocalPage&) {
         EXPECT_EQ(ItemOf(root, rig.catalogFolder, "Tabs").kind, kItemTabPages);
         const Outcome files = PageOf(root, rig.catalogFolder, "Files");
         EXPECT_EQ(files.kind, kItemWebLink);
         EXPECT_EQ(files.content, Counted("about:blank"));
         EXPECT_EQ(PageOf(root, rig.catalogFolder, "Content").kind, kItemText);
       }},
      {"an empty address still makes a link",
       [](CommandRig& rig, const LocalPage&) {
         rig.host.tree.Select(rig.host.tree.Titled({"A"}));
         Choose(rig, "", false);
         rig.commands.Handle(ID_IMPORT_HTML);
       },
       [](const StorageHandle& root, CommandRig& rig, const LocalPage&) {
         EXPECT_EQ(LeafOf(root, rig.treeFolder, "A").content, Counted(""));
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    LocalPage page;
    auto rig = std::make_unique<CommandRig>();
    LayDown(*rig);
    rig->Select(rig->treeFolder);
    c.run(*rig, page);
    EXPECT_TRUE(rig->rig.prompt.webImports.empty()) << "the dialog was not asked";
    EXPECT_TRUE(rig->rig.prompt.shown.empty()) << rig->rig.prompt.shown.front().text;
    // The item is let go before it changes, and shown again after.
    EXPECT_EQ(rig->host.leaves, 1);
    EXPECT_EQ(rig->host.shows, 1);
    c.check(rig->SavedRoot(), *rig, page);
  }
}

TEST(WebImport, NothingChangesWithoutATargetACancelOrAReadablePage) {
  struct Refusal {
    const char* what;
    std::function<void(CommandRig&)> run;
    const char* message;  // empty: none
  };
  const std::vector<Refusal> cases = {
      {"no node selected",
       [](CommandRig& rig) {
         rig.host.tree.Select(nullptr);
         rig.commands.Handle(ID_IMPORT_HTML);
       },
       "Please select a tree node first."},
      {"no item selected",
       [](CommandRig& rig) {
         rig.Select(rig.secondCatalog);  // a folder without items
         rig.commands.Handle(ID_IMPORT_HTML);
       },
       "Please select the catalog item you want to set password first!"},
      {"the dialog cancelled",
       [](CommandRig& rig) {
         rig.host.tree.Select(rig.host.tree.Titled({"A"}));
         rig.rig.prompt.webImports.push_back(std::nullopt);
         rig.commands.Handle(ID_IMPORT_HTML);
       },
       ""},
      {"an embedded page that cannot be read",
       [](CommandRig& rig) {
         rig.host.tree.Select(rig.host.tree.Titled({"A"}));
         Choose(rig, "C:\\no\\such\\page.html", true);
         rig.commands.Handle(ID_IMPORT_HTML);
       },
       "could not be read"},
  };
  for (const Refusal& c : cases) {
    SCOPED_TRACE(c.what);
    auto rig = std::make_unique<CommandRig>();
    LayDown(*rig);
    rig->Select(rig->treeFolder);
    c.run(*rig);
    if (*c.message) {
      ASSERT_EQ(rig->rig.prompt.shown.size(), 1u);
      EXPECT_NE(rig->rig.prompt.shown[0].text.find(c.message), std::string::npos) << rig->rig.prompt.shown[0].text;
    } else {
      EXPECT_TRUE(rig->rig.prompt.shown.empty());
    }
    EXPECT_EQ(rig->host.leaves, 0);
    const StorageHandle root = rig->SavedRoot();
    const Outcome leaf = LeafOf(root, rig->treeFolder, "A");
    EXPECT_EQ(leaf.kind, kItemText);
    EXPECT_EQ(leaf.content, "alpha");
    EXPECT_EQ(ItemOf(root, rig->catalogFolder, "Site").content, Counted("http://old.example/"));
  }
}

}  // namespace
