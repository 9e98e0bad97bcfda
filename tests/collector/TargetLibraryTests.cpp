// The library writer on real compound files, with a storage that can be made
// to fail where the platform could: a write that cannot be made, or a commit
// of the folder or of the root that does not go through.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "collector/CaptureRules.h"
#include "collector/TargetLibrary.h"
#include "tests/TestSupport.h"
#include "tests/collector/CollectorRig.h"
#include "tests/store/DocumentFixtures.h"

using namespace vellora;
using namespace vellora::collector;
using namespace vtest;

namespace {

struct FailurePlan {
  bool createStream = false;
  bool folderCommit = false;
  bool rootCommit = false;
  // Enumerations that still succeed before every further one fails; -1: all succeed.
  int enumerationsLeft = -1;
};

// Forwards to a real storage; fails what the plan says. Storages opened
// through it are wrapped too, so the plan reaches the folders.
class FailingStorage final : public IStorage {
 public:
  FailingStorage(IStorage* inner, std::shared_ptr<FailurePlan> plan, bool root)
      : inner_(inner), plan_(std::move(plan)), root_(root) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IStorage)) {
      *out = static_cast<IStorage*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    ULONG left = --references_;
    if (!left) {
      inner_->Release();
      delete this;
    }
    return left;
  }
  HRESULT STDMETHODCALLTYPE CreateStream(const OLECHAR* name, DWORD mode, DWORD r1, DWORD r2, IStream** out) override {
    if (plan_->createStream) return STG_E_MEDIUMFULL;
    return inner_->CreateStream(name, mode, r1, r2, out);
  }
  HRESULT STDMETHODCALLTYPE OpenStream(const OLECHAR* name, void* r1, DWORD mode, DWORD r2, IStream** out) override {
    return inner_->OpenStream(name, r1, mode, r2, out);
  }
  HRESULT STDMETHODCALLTYPE CreateStorage(const OLECHAR* name, DWORD mode, DWORD r1, DWORD r2,
                                          IStorage** out) override {
    return Wrap(inner_->CreateStorage(name, mode, r1, r2, out), out);
  }
  HRESULT STDMETHODCALLTYPE OpenStorage(const OLECHAR* name, IStorage* priority, DWORD mode, SNB exclude, DWORD r,
                                        IStorage** out) override {
    return Wrap(inner_->OpenStorage(name, priority, mode, exclude, r, out), out);
  }
  HRESULT STDMETHODCALLTYPE CopyTo(DWORD n, const IID* exclude, SNB names, IStorage* to) override {
    return inner_->CopyTo(n, exclude, names, to);
  }
  HRESULT STDMETHODCALLTYPE MoveElementTo(const OLECHAR* name, IStorage* to, const OLECHAR* newName,
                                          DWORD flags) override {
    return inner_->MoveElementTo(name, to, newName, flags);
  }
  HRESULT STDMETHODCALLTYPE Commit(DWORD flags) override {
    if (root_ ? plan_->rootCommit : plan_->folderCommit) return STG_E_MEDIUMFULL;
    return inner_->Commit(flags);
  }
  HRESULT STDMETHODCALLTYPE Revert() override { return inner_->Revert(); }
  HRESULT STDMETHODCALLTYPE EnumElements(DWORD r1, void* r2, DWORD r3, IEnumSTATSTG** out) override {
    if (plan_->enumerationsLeft == 0) return STG_E_INSUFFICIENTMEMORY;
    if (plan_->enumerationsLeft > 0) --plan_->enumerationsLeft;
    return inner_->EnumElements(r1, r2, r3, out);
  }
  HRESULT STDMETHODCALLTYPE DestroyElement(const OLECHAR* name) override { return inner_->DestroyElement(name); }
  HRESULT STDMETHODCALLTYPE RenameElement(const OLECHAR* from, const OLECHAR* to) override {
    return inner_->RenameElement(from, to);
  }
  HRESULT STDMETHODCALLTYPE SetElementTimes(const OLECHAR* name, const FILETIME* c, const FILETIME* a,
                                            const FILETIME* m) override {
    return inner_->SetElementTimes(name, c, a, m);
  }
  HRESULT STDMETHODCALLTYPE SetClass(REFCLSID clsid) override { return inner_->SetClass(clsid); }
  HRESULT STDMETHODCALLTYPE SetStateBits(DWORD bits, DWORD mask) override { return inner_->SetStateBits(bits, mask); }
  HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD flags) override { return inner_->Stat(stat, flags); }

 private:
  HRESULT Wrap(HRESULT hr, IStorage** out) {
    if (SUCCEEDED(hr) && out && *out) *out = new FailingStorage(*out, plan_, false);
    return hr;
  }
  IStorage* inner_;
  std::shared_ptr<FailurePlan> plan_;
  bool root_;
  ULONG references_ = 1;
};

class TargetLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = dir_.File("target.vlx");
    StorageHandle root;
    ASSERT_HRESULT_SUCCEEDED(root.CreateRoot(path_.c_str(), kWriteMode));
    StorageHandle folder;
    ASSERT_HRESULT_SUCCEEDED(root.CreateStorage("Tree", kWriteMode, folder));
    folder.WriteClass(FolderClassId(kFolderTree, 2));
    Leaf(folder, "First", 1);
    Leaf(folder, "Second", 2);
    Leaf(folder, "Minus", -5);
    // A record stream in another letter case is still a record, not a node.
    folder.CreateEmptyStream("#bookfolderiteminfo#");
    folder.Release();
    StorageHandle catalog;
    ASSERT_HRESULT_SUCCEEDED(root.CreateStorage("Catalog", kWriteMode, catalog));
    catalog.WriteClass(FolderClassId(kFolderCatalog, 1));
    catalog.Release();
    StorageHandle earlier;
    ASSERT_HRESULT_SUCCEEDED(root.CreateStorage("Later tree", kWriteMode, earlier));
    earlier.WriteClass(FolderClassId(kFolderTree, 1));
  }
  static void Leaf(const StorageHandle& parent, const char* name, int sequence) {
    NodeInfoRecord record;
    record.sequence = sequence;
    record.kind = kItemText;
    ASSERT_HRESULT_SUCCEEDED(CreateLeafNode(parent, name, record, "{\\rtf1 x}", 9));
  }
  void OpenWithPlan(TargetLibrary& library) {
    IStorage* real = nullptr;
    std::wstring wide = WideFromAnsi(path_);
    ASSERT_HRESULT_SUCCEEDED(StgOpenStorage(wide.c_str(), nullptr, kTransactedMode, nullptr, 0, &real));
    // The wrapper owns that reference.
    library.Adopt(StorageHandle(new FailingStorage(real, plan_, true), true));
    int failed = 0;
    ASSERT_HRESULT_SUCCEEDED(library.LoadFolder("Tree", failed));
    EXPECT_EQ(failed, 0);
  }
  // Changes the folder "Tree" straight in the file, outside any TargetLibrary.
  template <class Edit>
  void EditTree(Edit edit) {
    StorageHandle root;
    ASSERT_HRESULT_SUCCEEDED(root.OpenRoot(path_.c_str(), kWriteMode));
    edit(root.OpenStorageFor("Tree", false));
  }
  const FolderNode* Node(const TargetLibrary& library, const std::string& name) {
    for (const auto& node : library.Roots())
      if (node->elementName == name) return node.get();
    return nullptr;
  }

  TempDir dir_;
  std::string path_;
  std::shared_ptr<FailurePlan> plan_ = std::make_shared<FailurePlan>();
};

TEST_F(TargetLibraryTest, TreeFoldersComeInTheirOrderAndNodesBySignedSequence) {
  TargetLibrary library;
  OpenWithPlan(library);
  std::vector<std::string> folders;
  ASSERT_HRESULT_SUCCEEDED(library.ListTreeFolders(folders));
  EXPECT_EQ(folders, (std::vector<std::string>{"Later tree", "Tree"}));
  std::vector<std::string> shown;
  for (const auto& node : library.Roots()) shown.push_back(node->displayText);
  EXPECT_EQ(shown, (std::vector<std::string>{"Minus", "First", "Second"}));
}

// Storages the library keeps for itself are never a folder to write into,
// whatever class id they carry and in any letter case; nor is a catalog
// folder, even when it is asked for by name.
TEST_F(TargetLibraryTest, OnlyTreeFoldersAreOfferedOrLoaded) {
  const char* const own[] = {"LIBRARY_BOOKMARK", "library_maininfo", "LIBRARY_LASTINTERFACE",
                             "Library_Interface_Setting", "#$librarysetting#$"};
  {
    StorageHandle root;
    ASSERT_HRESULT_SUCCEEDED(root.OpenRoot(path_.c_str(), kWriteMode));
    uint16_t order = 3;
    for (const char* name : own) {
      StorageHandle storage;
      ASSERT_HRESULT_SUCCEEDED(root.CreateStorage(name, kWriteMode, storage)) << name;
      storage.WriteClass(FolderClassId(kFolderTree, order++));
    }
  }
  TargetLibrary library;
  ASSERT_HRESULT_SUCCEEDED(library.Open(path_));
  std::vector<std::string> folders;
  ASSERT_HRESULT_SUCCEEDED(library.ListTreeFolders(folders));
  EXPECT_EQ(folders, (std::vector<std::string>{"Later tree", "Tree"}));
  std::vector<std::string> refused(std::begin(own), std::end(own));
  refused.push_back("Catalog");
  for (const std::string& name : refused) {
    int failed = 0;
    EXPECT_EQ(library.LoadFolder(name, failed), kNotATreeFolder) << name;
    EXPECT_TRUE(library.FolderName().empty()) << name;
    EXPECT_HRESULT_FAILED(library.AddToEmptyFolder("Stray", {kItemText, "{\\rtf1 x}"})) << name;
  }
  int failed = 0;
  EXPECT_HRESULT_SUCCEEDED(library.LoadFolder("Tree", failed));
}

// Under code page 936 the node name made from a title of double-byte
// characters never ends in half a character, in its plain form or, when
// that is taken, in its encoded form cut to the element-name limit.
TEST_F(TargetLibraryTest, DoubleByteTitlesMakeNamesOfWholeCharacters) {
  if (GetACP() != 936) GTEST_SKIP() << "runs under code page 936 (see the GBK test entry)";
  std::string box = "a";
  for (int i = 0; i < 16; ++i) box += "\xD6\xD0";  // a and sixteen times the character for "middle"
  const std::string title = TitleFromBox(box);
  EXPECT_EQ(title.size(), 29u) << "the 30th byte would be the first half of a character";
  TargetLibrary library;
  OpenWithPlan(library);
  std::vector<std::string> names;
  for (int i = 0; i < 4; ++i) {
    std::string used;
    ASSERT_HRESULT_SUCCEEDED(library.InsertNode(*Node(library, "First"), title, {kItemText, "{\\rtf1 x}"}, &used));
    names.push_back(used);
  }
  ASSERT_HRESULT_SUCCEEDED(library.Commit());
  EXPECT_EQ(names.front(), title);
  for (const std::string& name : names) {
    EXPECT_LE(name.size(), kMaxElementName) << name;
    wchar_t wide[64];
    int length = MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, name.data(), static_cast<int>(name.size()), wide, 64);
    EXPECT_GT(length, 0) << "not whole characters: " << name;
    const std::string shown = DisplayName(name);
    EXPECT_EQ(title.compare(0, shown.size(), shown), 0) << name;
    EXPECT_EQ(CutToBytes(title, shown.size()), shown) << name;
    EXPECT_TRUE(ReadLeafFromFile(path_, "Tree", {name}).found) << name;
  }
}

TEST_F(TargetLibraryTest, AWriteThatFailsTakesItsRenumberingWithIt) {
  TargetLibrary library;
  OpenWithPlan(library);
  plan_->createStream = true;
  LeafContent content{kItemText, "{\\rtf1 new}"};
  EXPECT_HRESULT_FAILED(library.InsertNode(*Node(library, "First"), "New", content));
  int failed = 0;
  ASSERT_HRESULT_SUCCEEDED(library.DiscardChanges(failed));
  plan_->createStream = false;
  ASSERT_HRESULT_SUCCEEDED(library.Commit());
  auto children = ChildrenInFile(path_, "Tree", {});
  std::map<std::string, int> sequences(children.begin(), children.end());
  EXPECT_EQ(sequences, (std::map<std::string, int>{{"First", 1}, {"Second", 2}, {"Minus", -5}}));
}

TEST_F(TargetLibraryTest, AFolderNodeWithoutItsRecordGetsOneWhenItMovesUp) {
  {
    StorageHandle root;
    ASSERT_HRESULT_SUCCEEDED(root.OpenRoot(path_.c_str(), kWriteMode));
    StorageHandle folder = root.OpenStorageFor("Tree", false);
    StorageHandle bare;
    ASSERT_HRESULT_SUCCEEDED(folder.CreateStorage("Bare", kWriteMode, bare));
  }
  TargetLibrary library;
  OpenWithPlan(library);
  ASSERT_HRESULT_SUCCEEDED(library.InsertNode(*Node(library, "Bare"), "New", {kItemText, "{\\rtf1 new}"}));
  ASSERT_HRESULT_SUCCEEDED(library.Commit());
  auto children = ChildrenInFile(path_, "Tree", {});
  std::map<std::string, int> sequences(children.begin(), children.end());
  // It read as 0: the new node takes 0, it gets 1 and everything after it moves up.
  EXPECT_EQ(sequences, (std::map<std::string, int>{{"Bare", 1}, {"New", 0}, {"First", 2}, {"Second", 3}, {"Minus", -5}}));
}

TEST_F(TargetLibraryTest, ACommitThatFailsLeavesTheFileAsItWas) {
  for (bool rootFails : {false, true}) {
    std::string before = ReadWholeFile(path_);
    TargetLibrary library;
    plan_->folderCommit = !rootFails;
    plan_->rootCommit = rootFails;
    OpenWithPlan(library);
    LeafContent content{kItemText, "{\\rtf1 new}"};
    ASSERT_HRESULT_SUCCEEDED(library.InsertNode(*Node(library, "Second"), "New", content));
    EXPECT_HRESULT_FAILED(library.Commit());
    library.Close();
    EXPECT_EQ(ReadWholeFile(path_), before) << (rootFails ? "root" : "folder");
  }
}

TEST_F(TargetLibraryTest, OverwritingRefusesFolderNodesAndProtectedLeaves) {
  {
    StorageHandle root;
    ASSERT_HRESULT_SUCCEEDED(root.OpenRoot(path_.c_str(), kWriteMode));
    StorageHandle folder = root.OpenStorageFor("Tree", false);
    NodeInfoRecord record;
    record.sequence = 3;
    record.flags = static_cast<uint16_t>(kPasswordFlag);
    ASSERT_HRESULT_SUCCEEDED(CreateLeafNode(folder, "Guarded", record, nullptr, 0));
    StorageHandle node;
    record.flags = 0;
    ASSERT_HRESULT_SUCCEEDED(CreateFolderNode(folder, "Holder", record, node));
  }
  TargetLibrary library;
  OpenWithPlan(library);
  LeafContent content{kItemWebLink, "x"};
  const FolderNode* guarded = Node(library, "Guarded");
  ASSERT_NE(guarded, nullptr);
  EXPECT_TRUE(guarded->isProtected);
  EXPECT_EQ(library.OverwriteLeaf(*guarded, content), kProtectedLeaf);
  ASSERT_NE(Node(library, "Holder"), nullptr);
  EXPECT_EQ(library.OverwriteLeaf(*Node(library, "Holder"), content), kNotALeaf);
  FolderNode pretendLeaf;
  pretendLeaf.elementName = "Holder";  // taken for a leaf: the file still decides
  EXPECT_EQ(library.OverwriteLeaf(pretendLeaf, content), kNotALeaf);
}

std::map<std::string, std::string> CatalogInFile(const std::string& path) {
  std::map<std::string, std::string> out;
  StorageHandle root;
  EXPECT_HRESULT_SUCCEEDED(root.OpenRoot(path.c_str(), kReadMode));
  StorageHandle catalog = root.OpenStorageFor("Catalog", true);
  if (catalog) out = StorageContents(catalog);
  return out;
}

// Tab pages items live in catalog folders only: the collector never offers
// them, and what it commits into a tree folder leaves their pages, empty
// content streams too, as they were.
TEST_F(TargetLibraryTest, TabPagesItemsAreNeitherOfferedNorTouchedByAWrite) {
  {
    StorageHandle root;
    ASSERT_HRESULT_SUCCEEDED(root.OpenRoot(path_.c_str(), kWriteMode));
    StorageHandle catalog = root.OpenStorageFor("Catalog", false);
    ASSERT_HRESULT_SUCCEEDED(CreateItem(catalog, kItemTabPages, "Binder", 1, kFolderItemInfo, kFolderItemContent, {}));
    StorageHandle binder = catalog.OpenStorageFor("Binder", false);
    StorageHandle note = binder.OpenStorageFor("Content", false);
    StreamHandle content;
    ASSERT_HRESULT_SUCCEEDED(note.OpenStream(kTabPageItemContent, kWriteMode, content));
    ASSERT_HRESULT_SUCCEEDED(content.WriteBytes("{\\rtf1 page}", 12));
  }
  const std::map<std::string, std::string> before = CatalogInFile(path_);
  ASSERT_EQ(before.at("Binder/Files/" + std::string(kTabPageItemContent)), "");
  ASSERT_EQ(before.at("Binder/Content/" + std::string(kTabPageItemContent)), "{\\rtf1 page}");

  TargetLibrary library;
  ASSERT_HRESULT_SUCCEEDED(library.Open(path_));
  std::vector<std::string> folders;
  ASSERT_HRESULT_SUCCEEDED(library.ListTreeFolders(folders));
  EXPECT_EQ(folders, (std::vector<std::string>{"Later tree", "Tree"}));
  int failed = 0;
  ASSERT_HRESULT_SUCCEEDED(library.LoadFolder("Tree", failed));
  ASSERT_HRESULT_SUCCEEDED(library.InsertNode(*Node(library, "First"), "Clip", {kItemText, "{\\rtf1 clip}"}));
  ASSERT_HRESULT_SUCCEEDED(library.Commit());
  library.Close();
  EXPECT_EQ(CatalogInFile(path_), before);
  EXPECT_TRUE(ReadLeafFromFile(path_, "Tree", {"Clip"}).found);
}

}  // namespace

// Siblings of one sequence number stand in the order the program shows them
// (by title), not in the order the file happens to enumerate them; a node
// inserted before one of them moves exactly those the program shows after it.
TEST_F(TargetLibraryTest, SiblingsOfOneNumberStandAndMoveInTheProgramsOrder) {
  // The file lists shorter names first: Zed comes before alpha and Bravo.
  EditTree([](const StorageHandle& folder) {
    for (const char* name : {"Zed", "alpha", "Bravo"}) Leaf(folder, name, 2);
  });
  const struct {
    const char* selected;
    std::map<std::string, int> after;
  } cases[] = {
      {"alpha", {{"Minus", -5}, {"First", 1}, {"New", 2}, {"alpha", 3}, {"Bravo", 3}, {"Second", 3}, {"Zed", 3}}},
      {"Second", {{"Minus", -5}, {"First", 1}, {"alpha", 2}, {"Bravo", 2}, {"New", 2}, {"Second", 3}, {"Zed", 3}}},
  };
  for (const auto& c : cases) {
    TargetLibrary library;
    OpenWithPlan(library);
    std::vector<std::string> shown;
    for (const auto& node : library.Roots()) shown.push_back(node->displayText);
    EXPECT_EQ(shown, (std::vector<std::string>{"Minus", "First", "alpha", "Bravo", "Second", "Zed"}));
    ASSERT_NE(Node(library, c.selected), nullptr);
    ASSERT_HRESULT_SUCCEEDED(library.InsertNode(*Node(library, c.selected), "New", {kItemText, "{\\rtf1 new}"}));
    ASSERT_HRESULT_SUCCEEDED(library.Commit());
    auto children = ChildrenInFile(path_, "Tree", {});
    const std::map<std::string, int> sequences(children.begin(), children.end());
    EXPECT_EQ(sequences, c.after) << c.selected;
    // Undo for the next case: the new node goes, the numbers come back.
    EditTree([](const StorageHandle& folder) {
      ASSERT_HRESULT_SUCCEEDED(folder.DestroyElement("New"));
      for (const char* name : {"alpha", "Bravo", "Second", "Zed"}) {
        ASSERT_HRESULT_SUCCEEDED(folder.DestroyElement(name));
        Leaf(folder, name, 2);
      }
    });
  }
}

// A storage that will not list its elements is counted; its branch is offered
// empty and everything else as it is.
TEST_F(TargetLibraryTest, AStorageThatWillNotListIsCountedAndTheRestStays) {
  EditTree([](const StorageHandle& folder) {
    NodeInfoRecord record;
    record.sequence = 3;
    StorageHandle box;
    ASSERT_HRESULT_SUCCEEDED(CreateFolderNode(folder, "Box", record, box));
    Leaf(box, "Inside", 1);
  });
  const struct {
    int enumerationsLeft;
    int expectedFailures;
    std::vector<std::string> shown;
  } cases[] = {
      {-1, 0, {"Minus", "First", "Second", "Box"}},
      {1, 1, {"Minus", "First", "Second", "Box"}},  // the folder lists, the folder node does not
      {0, 1, {}},                                   // the folder itself does not list
  };
  for (const auto& c : cases) {
    TargetLibrary library;
    OpenWithPlan(library);
    plan_->enumerationsLeft = c.enumerationsLeft;
    int failed = -1;
    EXPECT_HRESULT_SUCCEEDED(library.LoadFolder("Tree", failed));
    plan_->enumerationsLeft = -1;
    EXPECT_EQ(failed, c.expectedFailures) << c.enumerationsLeft;
    std::vector<std::string> shown;
    for (const auto& node : library.Roots()) shown.push_back(node->displayText);
    EXPECT_EQ(shown, c.shown) << c.enumerationsLeft;
    const FolderNode* box = Node(library, "Box");
    if (box) {
      EXPECT_EQ(box->children.size(), c.expectedFailures ? 0u : 1u) << c.enumerationsLeft;
    }
  }
}
