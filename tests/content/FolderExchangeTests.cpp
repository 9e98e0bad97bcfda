// Export folders as library and Import folders from library between real
// library files: what travels (whole folders, class ids, passwords of items)
// and what does not (bookmarks, the library password); free names for taken
// ones; and the failures, which leave no half-written file or folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>

#include "content/AccessPasswords.h"
#include "content/CommandIds.h"
#include "content/FolderExchange.h"
#include "tests/content/CommandRig.h"
#include "tests/content/ContentFixtures.h"
#include "tests/store/DamageKit.h"

using namespace vellora;
using vtest::CommandRig;

namespace {

using Contents = std::map<std::string, std::string>;

// Everything in one folder of a library, the folder's own class id and
// state bits under "/".
Contents FolderContents(const StorageHandle& root, const std::string& folder) {
  StorageHandle storage = root.OpenStorageFor(folder.c_str(), true);
  EXPECT_FALSE(storage.Empty()) << folder;
  return storage.Empty() ? Contents{} : vtest::StorageContents(storage);
}

CLSID ClassOf(const StorageHandle& root, const std::string& folder) {
  CLSID clsid = {};
  StorageHandle storage = root.OpenStorageFor(folder.c_str(), true);
  EXPECT_HRESULT_SUCCEEDED(storage.ReadClass(clsid)) << folder;
  return clsid;
}

std::vector<std::string> RootNames(const StorageHandle& root) {
  std::vector<std::string> names;
  root.ForEachElement([&](const STATSTG&, const std::string& name) {
    names.push_back(name);
    return true;
  });
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> files;
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return files;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) files.push_back(found.cFileName);
  } while (FindNextFileA(find, &found));
  FindClose(find);
  std::sort(files.begin(), files.end());
  return files;
}

std::vector<std::string> Groups(const CommandRig& rig) {
  std::vector<std::string> names;
  for (int g = 0; g < rig.selection.GroupCount(); ++g) names.push_back(rig.selection.GroupName(g));
  return names;
}

// The source library: a tree folder with a branch, a catalog folder with a
// protected item, a folder of its own ("Recipes", whose class id carries a
// mark in Data4), a bookmark and a library password; saved.
void LayDown(CommandRig& rig) {
  {
    StorageHandle tree = rig.Folder(rig.treeFolder);
    vtest::AddLeaf(tree, "Leaf", 1, "leaf text");
    StorageHandle branch = vtest::AddFolderNode(tree, "Branch", 2);
    vtest::AddLeaf(branch, "Inner", 1, "inner text");
  }
  {
    StorageHandle catalog = rig.Folder(rig.catalogFolder);
    vtest::AddItem(catalog, "Note", 1, "note text");
    vtest::AddItem(catalog, "Secret", 2, "hidden text");
    ASSERT_HRESULT_SUCCEEDED(WriteItemPassword(catalog, "Secret", "pw"));
  }
  rig.rig.prompt.folders.push_back(NewFolderRequest{"Recipes", kFolderCatalog});
  rig.commands.Handle(ID_FOLDER_NEW);
  {
    StorageHandle recipes = rig.Folder("Recipes");
    vtest::AddItem(recipes, "Soup", 1, "water");
    CLSID clsid = FolderClassId(kFolderCatalog, 4);
    clsid.Data4[7] = 0x5A;
    ASSERT_HRESULT_SUCCEEDED(recipes.WriteClass(clsid));
  }
  ASSERT_HRESULT_SUCCEEDED(rig.document.AddBookmark(Bookmark{"Mark", rig.treeFolder + "\\Leaf"}));
  ASSERT_HRESULT_SUCCEEDED(rig.document.WriteSettingsSlot(kLibraryPasswordSlot, Variant::FromString("library pw")));
  rig.document.Save();
}

void Export(CommandRig& rig, const std::vector<std::string>& folders, const std::string& path) {
  rig.rig.prompt.folderPicks.push_back(folders);
  rig.rig.prompt.files.push_back(path);
  rig.commands.Handle(ID_FILE_EXPORT_FOLDERS);
}

void Import(CommandRig& rig, const std::string& path, const std::vector<std::string>& folders) {
  rig.rig.prompt.files.push_back(path);
  rig.rig.prompt.folderPicks.push_back(folders);
  rig.commands.Handle(ID_FILE_IMPORT_FOLDERS);
}

TEST(FolderExport, ChosenFoldersTravelWholeAndNothingElseOfTheLibrary) {
  struct Case {
    const char* what;
    std::function<std::string(CommandRig&)> current;  // selects the current folder, answers its name
    std::vector<std::string> (*chosen)(CommandRig&);
  };
  const std::vector<Case> cases = {
      {"the tree folder shown and a catalog folder not shown",
       [](CommandRig& rig) { return rig.treeFolder; },
       [](CommandRig& rig) { return std::vector<std::string>{rig.treeFolder, rig.catalogFolder}; }},
      {"the catalog folder shown, with an item still pending in its transaction, among all folders",
       [](CommandRig& rig) {
         rig.Select(rig.catalogFolder);
         vtest::AddItem(rig.Current(), "Pending", 3, "not saved yet");
         return rig.catalogFolder;
       },
       [](CommandRig& rig) {
         return std::vector<std::string>{rig.treeFolder, rig.catalogFolder, rig.secondCatalog, "Recipes"};
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto rig = std::make_unique<CommandRig>();
    LayDown(*rig);
    const std::string shown = c.current(*rig);
    const std::vector<std::string> chosen = c.chosen(*rig);
    const std::string out = rig->rig.dir.File("exported.vlx");
    Export(*rig, chosen, out);
    EXPECT_TRUE(rig->rig.prompt.shown.empty()) << rig->rig.prompt.shown.front().text;
    ASSERT_EQ(rig->rig.prompt.folderPicksShown.size(), 1u);
    const auto& pick = rig->rig.prompt.folderPicksShown[0];
    EXPECT_EQ(pick.mode, FolderPickMode::kExport);
    EXPECT_EQ(pick.names, Groups(*rig));
    EXPECT_EQ(pick.checked, std::vector<std::string>{shown});
    EXPECT_FALSE(rig->document.Modified());
    EXPECT_EQ(FilesIn(rig->rig.dir.Path()), (std::vector<std::string>{"commands.vlx", "exported.vlx"}));

    StorageHandle exported;
    ASSERT_HRESULT_SUCCEEDED(exported.OpenRoot(out.c_str(), kReadMode));
    StorageHandle source = rig->SavedRoot();
    std::vector<std::string> expected = chosen;
    expected.push_back(kSettingsStorage);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(RootNames(exported), expected);
    for (const std::string& folder : chosen) {
      SCOPED_TRACE(folder);
      const Contents copied = FolderContents(exported, folder);
      EXPECT_EQ(copied, FolderContents(source, folder));
      if (folder != rig->secondCatalog) {
        EXPECT_GT(copied.size(), 1u);
      }
    }
    exported.Release();
    source.Release();

    // It opens as a library of its own: no password asked (the item keeps
    // its own, compared above), the folders in their source order, no bookmarks.
    vtest::DocumentRig other;
    LibraryDocument opened(other.host, other.prompt, other.texts, other.log, other.Setup());
    ASSERT_TRUE(opened.OpenLibrary(out));
    EXPECT_EQ(other.host.folders, chosen);
    EXPECT_TRUE(opened.Bookmarks().empty());
  }
}

TEST(FolderImport, FoldersComeAfterTheOwnOnesUnderFreeNamesWithTheirContent) {
  auto source = std::make_unique<CommandRig>();
  LayDown(*source);
  const std::string from = source->path;
  const std::string tree = source->treeFolder, catalog = source->catalogFolder;
  source->SavedRoot().Release();
  source->document.Close();

  CommandRig rig;
  rig.document.Save();
  Import(rig, from, {catalog, tree, "Recipes"});
  Import(rig, from, {catalog});
  EXPECT_TRUE(rig.rig.prompt.shown.empty()) << rig.rig.prompt.shown.front().text;
  ASSERT_EQ(rig.rig.prompt.folderPicksShown.size(), 2u);
  const auto& pick = rig.rig.prompt.folderPicksShown[0];
  EXPECT_EQ(pick.mode, FolderPickMode::kImport);
  // By name, the settings storage left out; none checked.
  std::vector<std::string> byName = {tree, catalog, rig.secondCatalog, "Recipes"};
  std::sort(byName.begin(), byName.end());
  EXPECT_EQ(pick.names, byName);
  EXPECT_TRUE(pick.checked.empty());

  const std::string catalog2 = catalog + "(2)", tree2 = tree + "(2)", catalog3 = catalog + "(3)";
  EXPECT_EQ(Groups(rig), (std::vector<std::string>{tree, catalog, rig.secondCatalog, catalog2, tree2, "Recipes",
                                                  catalog3}));
  EXPECT_EQ(rig.selection.GroupKind(4), kFolderTree);
  EXPECT_TRUE(rig.document.Modified());
  EXPECT_EQ(rig.document.FolderCounter(), 7);

  StorageHandle saved = rig.SavedRoot();
  StorageHandle original;
  ASSERT_HRESULT_SUCCEEDED(original.OpenRoot(from.c_str(), kReadMode));
  const struct {
    std::string from, to;
    uint16_t kind, order;
  } expected[] = {{catalog, catalog2, kFolderCatalog, 4},
                  {tree, tree2, kFolderTree, 5},
                  {"Recipes", "Recipes", kFolderCatalog, 6},
                  {catalog, catalog3, kFolderCatalog, 7}};
  for (const auto& e : expected) {
    SCOPED_TRACE(e.to);
    Contents copied = FolderContents(saved, e.to), was = FolderContents(original, e.from);
    EXPECT_GT(copied.size(), 1u);
    copied.erase("/");
    was.erase("/");
    EXPECT_EQ(copied, was);
    // The class id keeps all but the order number.
    CLSID clsid = ClassOf(original, e.from);
    clsid.Data3 = e.order;
    EXPECT_TRUE(IsEqualCLSID(ClassOf(saved, e.to), clsid));
    EXPECT_EQ(clsid.Data2, e.kind);
  }
  // The library's own folders are untouched, the "(2)" folder not overwritten.
  EXPECT_EQ(vtest::ItemsIn(saved, catalog).size(), 0u);
  EXPECT_EQ(vtest::Titles(vtest::ItemsIn(saved, catalog2)), vtest::Titles(vtest::ItemsIn(saved, catalog3)));
}

TEST(FolderExchange, AFreeNameIsFoundForATakenOneWithinTheNameLength) {
  vtest::ScratchFile file;
  for (const char* taken : {"Notes", "Notes(2)", "Long", "LONG(2)", kSettingsStorage}) file.AddStorage(taken);
  const std::string thirty(30, 'x');
  file.AddStorage(thirty.c_str());
  const struct {
    std::string name, expected;
  } cases[] = {
      {"Fresh", "Fresh"},
      {"Notes", "Notes(3)"},
      {"notes", "notes(3)"},       // names are compared without letter case
      {"long", "long(3)"},
      {thirty, std::string(28, 'x') + "(2)"},
      {kSettingsStorage, std::string(kSettingsStorage) + "(2)"},
  };
  for (const auto& c : cases) EXPECT_EQ(FreeFolderName(file.Root(), c.name), c.expected) << c.name;
}

TEST(FolderExchange, FailuresAreReportedAndLeaveNothingHalfWritten) {
  struct Case {
    const char* what;
    std::function<void(CommandRig&)> run;
    const char* text;  // a part of the one message shown
    int added = 0;     // folders added to the outlook bar
  };
  const std::string missing = "C:\\no such folder here\\x.vlx";
  const std::vector<Case> cases = {
      {"export into the open library's own file",
       [](CommandRig& rig) { Export(rig, {rig.treeFolder}, rig.path); },
       "cannot be exported into the library that is open"},
      {"export into a folder that is not there",
       [&](CommandRig& rig) { Export(rig, {rig.treeFolder}, missing); }, "could not be exported"},
      {"export of a folder gone from the file keeps the file it was to replace",
       [](CommandRig& rig) {
         const std::string out = rig.rig.dir.File("kept.vlx");
         vtest::WriteWholeFile(out, "old bytes");
         ASSERT_HRESULT_SUCCEEDED(rig.document.Root().DestroyElement(rig.secondCatalog.c_str()));
         Export(rig, {rig.treeFolder, rig.secondCatalog}, out);
         EXPECT_EQ(vtest::ReadWholeFile(out), "old bytes");
       },
       "could not be copied"},
      {"import from a file that is not there",
       [&](CommandRig& rig) { rig.rig.prompt.files.push_back(missing); rig.commands.Handle(ID_FILE_IMPORT_FOLDERS); },
       "Cannot open the library\nC:\\no such folder here\\x.vlx"},
      {"import from the open library itself",
       [](CommandRig& rig) { rig.rig.prompt.files.push_back(rig.path); rig.commands.Handle(ID_FILE_IMPORT_FOLDERS); },
       "Cannot open the library"},
      {"import from a damaged library, refused before anything is read",
       [](CommandRig& rig) {
         const std::string damaged = rig.rig.dir.File("damaged.vlx");
         ASSERT_TRUE(vtest::WriteSelfContainingSample(damaged));
         rig.rig.prompt.files.push_back(damaged);
         rig.commands.Handle(ID_FILE_IMPORT_FOLDERS);
       },
       "Cannot open the library"},
      {"import of a folder the other library does not hold, beside one it does",
       [](CommandRig& rig) {
         const std::string other = rig.rig.dir.File("other.vlx");
         {
           vtest::DocumentRig made;
           LibraryDocument document(made.host, made.prompt, made.texts, made.log, made.Setup());
           ASSERT_TRUE(document.CreateLibrary(other));
         }
         Import(rig, other, {"Nowhere", rig.secondCatalog});
         EXPECT_EQ(Groups(rig).back(), rig.secondCatalog + "(2)");
       },
       "could not be imported; nothing of them was added:\nNowhere", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CommandRig rig;
    rig.document.Save();
    const std::vector<std::string> before = Groups(rig);
    const size_t folders = rig.document.Folders().size();
    c.run(rig);
    ASSERT_EQ(rig.rig.prompt.shown.size(), 1u);
    EXPECT_NE(rig.rig.prompt.shown[0].text.find(c.text), std::string::npos) << rig.rig.prompt.shown[0].text;
    EXPECT_EQ(Groups(rig).size(), before.size() + c.added);
    EXPECT_EQ(rig.document.Folders().size(), folders + c.added);
    EXPECT_TRUE(rig.rig.prompt.files.empty());
    EXPECT_TRUE(rig.rig.prompt.folderPicks.empty());
    // No file of the export is left behind, temporary or not.
    for (const std::string& file : FilesIn(rig.rig.dir.Path()))
      EXPECT_TRUE(file == "commands.vlx" || file == "kept.vlx" || file == "damaged.vlx" || file == "other.vlx")
          << file;
    // The open library still reads whole.
    StorageHandle saved = rig.SavedRoot();
    EXPECT_FALSE(FolderContents(saved, rig.treeFolder).empty());
  }
}

// The platform's copy would carry the damage along; Save Copy salvages instead.
TEST(FolderExport, ADamagedLibraryOpenReadOnlyIsNotExported) {
  CommandRig rig;
  const std::string damaged = rig.rig.dir.File("damaged.vlx");
  ASSERT_TRUE(vtest::WriteSelfContainingSample(damaged));
  ASSERT_TRUE(rig.document.OpenLibrary(damaged));
  ASSERT_TRUE(rig.document.ReadOnly());
  rig.rig.prompt.shown.clear();
  rig.commands.Handle(ID_FILE_EXPORT_FOLDERS);
  ASSERT_EQ(rig.rig.prompt.shown.size(), 1u);
  EXPECT_NE(rig.rig.prompt.shown[0].text.find("damaged"), std::string::npos);
  EXPECT_TRUE(rig.rig.prompt.folderPicksShown.empty());
}

// Cancel in the progress of either copy takes the whole run back: no
// exported file, no imported folder, at whatever element it is pressed.
TEST(FolderExchange, CancelLeavesNothing) {
  auto source = std::make_unique<CommandRig>();
  LayDown(*source);
  const std::string from = source->path;
  const std::vector<std::string> all = {source->treeFolder, source->catalogFolder, "Recipes"};
  for (size_t cancelAt : {1, 4, 9}) {
    SCOPED_TRACE(cancelAt);
    source->rig.prompt.progressSteps = 0;
    source->rig.prompt.cancelAfterSteps = cancelAt;
    const std::string out = source->rig.dir.File("exported.vlx");
    Export(*source, all, out);
    EXPECT_EQ(source->rig.prompt.progressSteps, cancelAt);
    EXPECT_TRUE(source->rig.prompt.shown.empty());
    EXPECT_EQ(FilesIn(source->rig.dir.Path()), std::vector<std::string>{"commands.vlx"});
  }
  source->SavedRoot().Release();
  source->document.Close();

  for (size_t cancelAt : {1, 4, 9}) {
    SCOPED_TRACE(cancelAt);
    CommandRig rig;
    rig.document.Save();
    const std::vector<std::string> groups = Groups(rig), names = RootNames(rig.document.Root());
    rig.rig.prompt.cancelAfterSteps = cancelAt;
    Import(rig, from, all);
    EXPECT_EQ(rig.rig.prompt.progressSteps, cancelAt);
    EXPECT_TRUE(rig.rig.prompt.shown.empty());
    EXPECT_EQ(Groups(rig), groups);
    EXPECT_EQ(RootNames(rig.document.Root()), names);
  }
}

// Writes an exported library of all folders for the independent reader when
// the test run names a file for it.
TEST(FolderExportFiles, ForTheIndependentReader) {
  const char* out = std::getenv("VELLORA_EXPORT_OUT");
  if (!out || !*out) GTEST_SKIP() << "VELLORA_EXPORT_OUT names no file";
  CommandRig rig;
  LayDown(rig);
  Export(rig, {rig.treeFolder, rig.catalogFolder, rig.secondCatalog}, out);
  EXPECT_TRUE(rig.rig.prompt.shown.empty());
  EXPECT_TRUE(vtest::FileExists(out));
}

}  // namespace
