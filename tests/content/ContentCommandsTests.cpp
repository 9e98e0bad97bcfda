// The content commands on a real library without the main frame: each case
// runs commands with scripted answers, then the saved file is read back
// whole, so a command that hits the wrong folder, item or node, or loses a
// content on the way, shows in what the file holds.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

#include "content/CommandIds.h"
#include "content/NodeOperations.h"
#include "tests/content/CommandRig.h"
#include "tests/content/ContentFixtures.h"

using namespace vellora;
using vtest::CommandRig;

namespace {

void DumpNodes(const StorageHandle& folder, std::vector<std::string> path, const std::vector<TreeNode>& nodes,
               std::string& out) {
  for (const TreeNode& node : nodes) {
    path.push_back(node.elementName);
    out += " " + node.title;
    if (node.isFolderNode) {
      out += "[";
      DumpNodes(folder, path, node.children, out);
      out += " ]";
    } else {
      out += "=" + vtest::LeafContent(folder, path);
    }
    path.pop_back();
  }
}

// The whole library in one line: its folders in order, a tree folder's nodes
// with their texts, a catalog folder's items with their ids and contents.
std::string Dump(const StorageHandle& root) {
  std::vector<FolderEntry> folders;
  EXPECT_HRESULT_SUCCEEDED(ListFolders(root, folders));
  std::sort(folders.begin(), folders.end(), [](const FolderEntry& a, const FolderEntry& b) { return a.order < b.order; });
  std::string out;
  for (const FolderEntry& folder : folders) {
    if (!out.empty()) out += " |";
    out += (out.empty() ? "" : " ") + folder.name + ":";
    if (folder.kind == kFolderTree) {
      StorageHandle storage = root.OpenStorageFor(folder.name.c_str(), true);
      std::vector<TreeNode> nodes;
      LoadTree(storage, nodes);
      DumpNodes(storage, {}, nodes, out);
      continue;
    }
    for (const CatalogItemEntry& item : vtest::ItemsIn(root, folder.name))
      out += " " + item.title + "#" + std::to_string(item.itemId) + "=" +
             vtest::ItemContent(root, folder.name, item.elementName);
  }
  return out;
}

// The library every case starts from.
constexpr char kUnchanged[] =
    "My Notes: A=alpha B[ B1=b-one B2=b-two ] | Favorites: X#1=x Y#2=y Z#3=z | Documents: W#1=w";

void LayDownLibrary(CommandRig& rig) {
  {
    StorageHandle tree = rig.Folder(rig.treeFolder);
    vtest::AddLeaf(tree, "A", 1, "alpha");
    StorageHandle branch = vtest::AddFolderNode(tree, "B", 2);
    vtest::AddLeaf(branch, "B1", 1, "b-one");
    vtest::AddLeaf(branch, "B2", 2, "b-two");
  }
  {
    StorageHandle catalog = rig.Folder(rig.catalogFolder);
    vtest::AddItem(catalog, "X", 1, "x");
    vtest::AddItem(catalog, "Y", 2, "y");
    vtest::AddItem(catalog, "Z", 3, "z");
  }
  vtest::AddItem(rig.Folder(rig.secondCatalog), "W", 1, "w");
  rig.Select(rig.treeFolder);
}

struct Case {
  const char* what;
  std::function<void(CommandRig&)> run;
  std::string library;  // what the saved file holds afterwards
};

void RunCases(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto rig = std::make_unique<CommandRig>();
    ASSERT_EQ(rig->treeFolder + rig->catalogFolder + rig->secondCatalog, "My NotesFavoritesDocuments");
    LayDownLibrary(*rig);
    c.run(*rig);
    EXPECT_TRUE(rig->rig.prompt.messageAnswers.empty()) << "a question was not asked";
    EXPECT_TRUE(rig->rig.prompt.names.empty()) << "a name was not asked for";
    EXPECT_EQ(Dump(rig->SavedRoot()), c.library);
  }
}

// ---- shorthands for the cases ----
std::vector<std::string> GroupNames(const LibrarySelection& s) {
  std::vector<std::string> names;
  for (int g = 0; g < s.GroupCount(); ++g) names.push_back(s.GroupName(g));
  return names;
}
std::string SelectedName(const CommandRig& rig) { return rig.selection.GroupName(rig.selection.SelectedGroup()); }
std::string SelectedTitle(const CommandRig& rig) {
  const int item = rig.selection.SelectedItem();
  return item < 0 ? "<none>" : rig.selection.Items()[static_cast<size_t>(item)].title;
}
void Answer(CommandRig& rig, int answer) { rig.rig.prompt.messageAnswers.push_back(answer); }
void Name(CommandRig& rig, const std::string& name) { rig.rig.prompt.names.push_back(name); }
void Item(CommandRig& rig, const std::string& folder, int item) {
  rig.Select(folder);
  rig.selection.SelectItem(item);
}
NodeRef Node(CommandRig& rig, const std::vector<std::string>& titles) {
  NodeRef node = rig.host.tree.Titled(titles);
  EXPECT_TRUE(node) << titles.back();
  return node;
}
void SelectNode(CommandRig& rig, const std::vector<std::string>& titles) { rig.host.tree.Select(Node(rig, titles)); }

TEST(ContentCommands, FolderCommandsChangeTheFolderTheyAreForAndOnlyThat) {
  RunCases({
      {"the right-clicked folder is deleted, not the selected one",
       [](CommandRig& rig) {
         rig.Select(rig.catalogFolder);
         ContextTarget target(rig.selection, 2, -1);
         Answer(rig, IDYES);
         rig.commands.DeleteFolder();
         EXPECT_EQ(SelectedName(rig), rig.catalogFolder);
         EXPECT_EQ(rig.host.leaves, 0);
       },
       "My Notes: A=alpha B[ B1=b-one B2=b-two ] | Favorites: X#1=x Y#2=y Z#3=z"},
      {"a folder before the selected one is deleted",
       [](CommandRig& rig) {
         rig.Select(rig.secondCatalog);
         ContextTarget target(rig.selection, 0, -1);
         Answer(rig, IDYES);
         rig.commands.DeleteFolder();
         EXPECT_EQ(SelectedName(rig), rig.secondCatalog);
         // Still current: the commands that follow change the folder shown.
         EXPECT_EQ(rig.document.CurrentFolderName(), rig.secondCatalog);
       },
       "Favorites: X#1=x Y#2=y Z#3=z | Documents: W#1=w"},
      {"the selected folder is deleted and its neighbour selected",
       [](CommandRig& rig) {
         rig.Select(rig.catalogFolder);
         Answer(rig, IDYES);
         rig.commands.Handle(ID_FOLDER_DELETE);
         EXPECT_EQ(SelectedName(rig), rig.secondCatalog);
         EXPECT_EQ(rig.host.leaves, 1);
       },
       "My Notes: A=alpha B[ B1=b-one B2=b-two ] | Documents: W#1=w"},
      {"a delete answered No",
       [](CommandRig& rig) {
         Answer(rig, IDNO);
         rig.commands.DeleteFolder();
       },
       kUnchanged},
      {"a new folder replacing the selected catalog folder",
       [](CommandRig& rig) {
         rig.Select(rig.catalogFolder);
         rig.rig.prompt.folders.push_back(NewFolderRequest{"Favorites", kFolderTree});
         Answer(rig, IDYES);
         rig.commands.NewFolder();
         EXPECT_EQ(GroupNames(rig.selection), (std::vector<std::string>{"My Notes", "Documents", "Favorites"}));
         // The group shown is the new, empty tree folder, not the old items.
         EXPECT_EQ(SelectedName(rig), "Favorites");
         EXPECT_EQ(rig.selection.FolderKind(), kFolderTree);
         EXPECT_TRUE(rig.selection.Items().empty());
       },
       "My Notes: A=alpha B[ B1=b-one B2=b-two ] | Documents: W#1=w | Favorites:"},
      {"a new folder under another name after No",
       [](CommandRig& rig) {
         rig.rig.prompt.folders.push_back(NewFolderRequest{"Favorites", kFolderCatalog});
         Answer(rig, IDNO);
         Name(rig, "Fresh");
         rig.commands.NewFolder();
         EXPECT_EQ(rig.selection.GroupName(3), "Fresh");
       },
       std::string(kUnchanged) + " | Fresh:"},
      {"the selected folder renamed keeps its items",
       [](CommandRig& rig) {
         rig.Select(rig.catalogFolder);
         Name(rig, "Kept");
         rig.commands.RenameFolder();
         EXPECT_EQ(SelectedName(rig), "Kept");
         EXPECT_EQ(rig.selection.Items().size(), 3u);
         EXPECT_EQ(rig.document.CurrentFolderName(), "Kept");
       },
       "My Notes: A=alpha B[ B1=b-one B2=b-two ] | Kept: X#1=x Y#2=y Z#3=z | Documents: W#1=w"},
      {"a rename to a taken name",
       [](CommandRig& rig) {
         Name(rig, "Documents");
         rig.commands.RenameFolder();
         EXPECT_EQ(rig.selection.GroupName(0), "My Notes");
       },
       kUnchanged},
      {"the right-clicked folder moves up and the selection follows its folder",
       [](CommandRig& rig) {
         rig.Select(rig.catalogFolder);
         ContextTarget target(rig.selection, 2, -1);
         rig.commands.Handle(ID_FOLDER_MOVE_UP);
         EXPECT_EQ(GroupNames(rig.selection), (std::vector<std::string>{"My Notes", "Documents", "Favorites"}));
         EXPECT_EQ(SelectedName(rig), rig.catalogFolder);
       },
       "My Notes: A=alpha B[ B1=b-one B2=b-two ] | Documents: W#1=w | Favorites: X#1=x Y#2=y Z#3=z"},
      {"the first folder up and the last down",
       [](CommandRig& rig) {
         rig.commands.MoveFolder(-1);
         ContextTarget target(rig.selection, 2, -1);
         rig.commands.MoveFolder(1);
       },
       kUnchanged},
  });
}

TEST(ContentCommands, ItemCommandsChangeTheItemTheyAreForAndKeepWhatItHolds) {
  RunCases({
      {"the right-clicked item is deleted, not the selected one",
       [](CommandRig& rig) {
         Item(rig, rig.catalogFolder, 1);
         ContextTarget target(rig.selection, -1, 2);
         Answer(rig, IDYES);
         rig.commands.DeleteCatalogItem();
         EXPECT_EQ(SelectedTitle(rig), "Y");
         EXPECT_EQ(rig.host.leaves, 0);
       },
       "My Notes: A=alpha B[ B1=b-one B2=b-two ] | Favorites: X#1=x Y#2=y | Documents: W#1=w"},
      {"an item before the selected one is deleted",
       [](CommandRig& rig) {
         Item(rig, rig.catalogFolder, 2);
         ContextTarget target(rig.selection, -1, 0);
         Answer(rig, IDYES);
         rig.commands.DeleteCatalogItem();
         EXPECT_EQ(SelectedTitle(rig), "Z");
       },
       "My Notes: A=alpha B[ B1=b-one B2=b-two ] | Favorites: Y#2=y Z#3=z | Documents: W#1=w"},
      {"the selected item is deleted and left first",
       [](CommandRig& rig) {
         Item(rig, rig.catalogFolder, 1);
         Answer(rig, IDYES);
         rig.commands.Handle(ID_CATALOG_DELETE);
         EXPECT_EQ(rig.host.leaves, 1);
         EXPECT_EQ(vtest::Titles(rig.selection.Items()), (std::vector<std::string>{"X", "Z"}));
       },
       "My Notes: A=alpha B[ B1=b-one B2=b-two ] | Favorites: X#1=x Z#3=z | Documents: W#1=w"},
      {"a renamed item keeps its content and id",
       [](CommandRig& rig) {
         Item(rig, rig.catalogFolder, 0);
         ContextTarget target(rig.selection, -1, 1);
         Name(rig, "Why");
         rig.commands.RenameCatalogItem();
         EXPECT_EQ(vtest::Titles(rig.selection.Items()), (std::vector<std::string>{"X", "Why", "Z"}));
       },
       "My Notes: A=alpha B[ B1=b-one B2=b-two ] | Favorites: X#1=x Why#2=y Z#3=z | Documents: W#1=w"},
      {"a rename to a taken name",
       [](CommandRig& rig) {
         Item(rig, rig.catalogFolder, 1);
         Name(rig, "Z");
         rig.commands.RenameCatalogItem();
         EXPECT_EQ(vtest::Titles(rig.selection.Items()), (std::vector<std::string>{"X", "Y", "Z"}));
       },
       kUnchanged},
      {"an item moved down swaps ids and stays selected",
       [](CommandRig& rig) {
         Item(rig, rig.catalogFolder, 0);
         rig.commands.Handle(ID_CATALOG_MOVE_DOWN);
         EXPECT_EQ(SelectedTitle(rig), "X");
         EXPECT_EQ(rig.selection.SelectedItem(), 1);
       },
       "My Notes: A=alpha B[ B1=b-one B2=b-two ] | Favorites: Y#1=y X#2=x Z#3=z | Documents: W#1=w"},
      {"down and up again, and the ends",
       [](CommandRig& rig) {
         Item(rig, rig.catalogFolder, 1);
         rig.commands.MoveCatalogItem(1);
         rig.commands.MoveCatalogItem(-1);
         Item(rig, rig.catalogFolder, 0);
         rig.commands.MoveCatalogItem(-1);
         Item(rig, rig.catalogFolder, 2);
         rig.commands.MoveCatalogItem(1);
       },
       kUnchanged},
      {"a new item replacing one keeps one item of that title",
       [](CommandRig& rig) {
         rig.Select(rig.catalogFolder);
         NewItemRequest request;
         request.title = "Y";
         rig.rig.prompt.items.push_back(request);
         Answer(rig, IDYES);
         rig.commands.NewCatalogItem();
         EXPECT_EQ(vtest::Titles(rig.selection.Items()), (std::vector<std::string>{"X", "Y", "Z"}));
         EXPECT_EQ(SelectedTitle(rig), "Y");
       },
       "My Notes: A=alpha B[ B1=b-one B2=b-two ] | Favorites: X#1=x Z#3=z Y#4= | Documents: W#1=w"},
      {"a new item in a tree folder is not made",
       [](CommandRig& rig) { rig.commands.NewCatalogItem(); },
       kUnchanged},
  });
}

TEST(ContentCommands, NodeCommandsKeepEveryTextWhereTheTreeShowsIt) {
  RunCases({
      {"a child added under a leaf takes the leaf's text",
       [](CommandRig& rig) {
         SelectNode(rig, {"A"});
         rig.commands.AddNode(ID_NODE_ADD_CHILD);
         ASSERT_TRUE(rig.host.tree.editing);
         Answer(rig, IDYES);
         rig.commands.EndLabelEdit(rig.host.tree.editing, "Child");
         EXPECT_FALSE(rig.commands.NewNodePending());
       },
       "My Notes: A[ Child=alpha ] B[ B1=b-one B2=b-two ] | Favorites: X#1=x Y#2=y Z#3=z | Documents: W#1=w"},
      {"a node added while the tree is hidden",
       [](CommandRig& rig) {
         rig.host.tree.editsLabels = false;
         SelectNode(rig, {"B", "B1"});
         rig.commands.Handle(ID_NODE_ADD_SIBLING);
         EXPECT_EQ(rig.host.tree.ChildTitles(Node(rig, {"B"})),
                   (std::vector<std::string>{"B1", "B2", kNewNodeTitle}));
       },
       "My Notes: A=alpha B[ B1=b-one B2=b-two New Item= ] | Favorites: X#1=x Y#2=y Z#3=z | Documents: W#1=w"},
      {"a folder node whose last children go is a leaf again",
       [](CommandRig& rig) {
         SelectNode(rig, {"B", "B1"});
         Answer(rig, IDYES);
         rig.commands.DeleteSelectedNode();
         SelectNode(rig, {"B", "B2"});
         Answer(rig, IDYES);
         rig.commands.DeleteSelectedNode();
         EXPECT_FALSE(rig.host.tree.Data(Node(rig, {"B"}))->isFolderNode);
       },
       "My Notes: A=alpha B= | Favorites: X#1=x Y#2=y Z#3=z | Documents: W#1=w"},
      {"the last top-level node stays",
       [](CommandRig& rig) {
         SelectNode(rig, {"A"});
         Answer(rig, IDYES);
         rig.commands.Handle(ID_NODE_DELETE);
         SelectNode(rig, {"B"});
         rig.commands.DeleteSelectedNode();  // refused without a question
         EXPECT_EQ(rig.rig.prompt.shown.back().text, "Can not delete last root node!");
       },
       "My Notes: B[ B1=b-one B2=b-two ] | Favorites: X#1=x Y#2=y Z#3=z | Documents: W#1=w"},
      {"a node dropped into another branch takes its text along",
       [](CommandRig& rig) {
         rig.commands.DropNode(Node(rig, {"A"}), Node(rig, {"B", "B1"}));
         EXPECT_EQ(rig.host.tree.ChildTitles(Node(rig, {"B"})), (std::vector<std::string>{"A", "B1", "B2"}));
         EXPECT_EQ(rig.host.tree.Selected(), Node(rig, {"B", "A"}));
       },
       "My Notes: B[ A=alpha B1=b-one B2=b-two ] | Favorites: X#1=x Y#2=y Z#3=z | Documents: W#1=w"},
      {"a node dropped among its siblings",
       [](CommandRig& rig) { rig.commands.DropNode(Node(rig, {"B", "B2"}), Node(rig, {"B", "B1"})); },
       "My Notes: A=alpha B[ B2=b-two B1=b-one ] | Favorites: X#1=x Y#2=y Z#3=z | Documents: W#1=w"},
      {"a node dropped under its own child",
       [](CommandRig& rig) { rig.commands.DropNode(Node(rig, {"B"}), Node(rig, {"B", "B1"})); },
       kUnchanged},
      {"a renamed node keeps its text",
       [](CommandRig& rig) {
         SelectNode(rig, {"B", "B1"});
         rig.commands.EndLabelEdit(Node(rig, {"B", "B1"}), "Bee");
         EXPECT_EQ(rig.host.titleStrip, "Bee");
       },
       "My Notes: A=alpha B[ Bee=b-one B2=b-two ] | Favorites: X#1=x Y#2=y Z#3=z | Documents: W#1=w"},
  });
}

TEST(ContentCommands, TheItemClipboardMovesContentsBetweenFoldersWithoutLosingThem) {
  RunCases({
      {"a cut item pasted into another catalog folder",
       [](CommandRig& rig) {
         Item(rig, rig.catalogFolder, 1);
         rig.commands.Handle(ID_ITEM_CUT);
         rig.Select(rig.secondCatalog);
         rig.commands.Handle(ID_ITEM_PASTE);
         EXPECT_EQ(SelectedTitle(rig), "Y");
         // The folder it came from is read again, without the item.
         rig.Select(rig.catalogFolder);
         EXPECT_EQ(vtest::Titles(rig.selection.Items()), (std::vector<std::string>{"X", "Z"}));
       },
       "My Notes: A=alpha B[ B1=b-one B2=b-two ] | Favorites: X#1=x Z#3=z | Documents: W#1=w Y#2=y"},
      {"a copied item pasted into its own folder under a new name",
       [](CommandRig& rig) {
         Item(rig, rig.catalogFolder, 0);
         rig.commands.CopyItem(false);
         Answer(rig, IDNO);
         Name(rig, "X2");
         rig.commands.PasteItem();
         EXPECT_EQ(vtest::Titles(rig.selection.Items()), (std::vector<std::string>{"X", "Y", "Z", "X2"}));
       },
       "My Notes: A=alpha B[ B1=b-one B2=b-two ] | Favorites: X#1=x Y#2=y Z#3=z X2#4=x | Documents: W#1=w"},
      {"a cut leaf pasted into a catalog folder",
       [](CommandRig& rig) {
         SelectNode(rig, {"A"});
         rig.commands.CopyItem(true);
         rig.Select(rig.secondCatalog);
         rig.commands.PasteItem();
         EXPECT_EQ(vtest::Titles(rig.selection.Items()), (std::vector<std::string>{"W", "A"}));
       },
       "My Notes: B[ B1=b-one B2=b-two ] | Favorites: X#1=x Y#2=y Z#3=z | Documents: W#1=w A#2=alpha"},
      {"a cut catalog item pasted into the tree before the selected node",
       [](CommandRig& rig) {
         Item(rig, rig.catalogFolder, 0);
         rig.commands.CopyItem(true);
         rig.Select(rig.treeFolder);
         SelectNode(rig, {"B", "B2"});
         rig.commands.PasteItem();
         EXPECT_EQ(rig.host.tree.ChildTitles(Node(rig, {"B"})), (std::vector<std::string>{"B1", "X", "B2"}));
         rig.Select(rig.catalogFolder);
         EXPECT_EQ(vtest::Titles(rig.selection.Items()), (std::vector<std::string>{"Y", "Z"}));
       },
       "My Notes: A=alpha B[ B1=b-one X=x B2=b-two ] | Favorites: Y#2=y Z#3=z | Documents: W#1=w"},
      {"a cut branch pasted into another tree folder keeps every text",
       [](CommandRig& rig) {
         rig.rig.prompt.folders.push_back(NewFolderRequest{"Second", kFolderTree});
         rig.commands.NewFolder();
         SelectNode(rig, {"B"});
         rig.commands.CopyItem(true);
         rig.Select("Second");
         rig.commands.PasteItem();
         EXPECT_EQ(rig.host.tree.ChildTitles(Node(rig, {"B"})), (std::vector<std::string>{"B1", "B2"}));
         EXPECT_EQ(rig.commands.Clipboard().state, ItemClipboard::kEmpty);
       },
       "My Notes: A=alpha | Favorites: X#1=x Y#2=y Z#3=z | Documents: W#1=w | Second: B[ B1=b-one B2=b-two ]"},
      {"a cut item pasted over itself",
       [](CommandRig& rig) {
         Item(rig, rig.catalogFolder, 2);
         rig.commands.CopyItem(true);
         Answer(rig, IDYES);
         rig.commands.PasteItem();
         EXPECT_EQ(rig.commands.Clipboard().state, ItemClipboard::kEmpty);
         EXPECT_EQ(vtest::Titles(rig.selection.Items()), (std::vector<std::string>{"X", "Y", "Z"}));
       },
       kUnchanged},
      {"set as title renames the selected item and node, keeping their contents",
       [](CommandRig& rig) {
         Item(rig, rig.catalogFolder, 1);
         rig.host.selectedText = "Two\r\nlines";
         rig.commands.Handle(ID_EDIT_SET_TITLE);
         EXPECT_EQ(SelectedTitle(rig), "Two lines");
         rig.Select(rig.treeFolder);
         SelectNode(rig, {"B", "B2"});
         rig.host.selectedText = "Tree: title";
         rig.commands.SetAsTitle();
       },
       "My Notes: A=alpha B[ B1=b-one Tree- title=b-two ] | Favorites: X#1=x Two lines#2=y Z#3=z | Documents: W#1=w"},
      {"a cut node with children is not made an item",
       [](CommandRig& rig) {
         SelectNode(rig, {"B"});
         rig.commands.CopyItem(true);
         rig.Select(rig.catalogFolder);
         rig.commands.PasteItem();
         EXPECT_EQ(rig.commands.Clipboard().state, ItemClipboard::kNode);
       },
       kUnchanged},
  });
}

}  // namespace
