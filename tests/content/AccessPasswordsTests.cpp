// Access passwords: what the set-password dialog accepts, and the header
// bytes that setting and clearing a password leave in nodes and items.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "content/AccessPasswords.h"
#include "content/CatalogItems.h"
#include "content/TreeNodes.h"
#include "tests/content/ContentFixtures.h"

using namespace vellora;

namespace {

TEST(PasswordChange, OldPasswordMattersOnlyWhenOneIsSetAndTheConfirmationMustMatch) {
  using C = PasswordChangeCheck;
  struct Case {
    const char* current;
    const char* typedOld;
    const char* typedNew;
    const char* confirm;
    C expected;
  } cases[] = {
      {"", "whatever stood there", "new", "new", C::Accepted},  // no password: the old one is ignored
      {"", "", "", "", C::Accepted},                            // an empty new one on an unprotected item
      {"abc", "abc", "xyz", "xyz", C::Accepted},
      {"abc", "abc", "", "", C::Accepted},  // clearing
      {"abc", "ABC", "xyz", "xyz", C::WrongOldPassword},  // letter case counts
      {"abc", "", "", "", C::WrongOldPassword},
      {"abc", "abc", "xyz", "xy", C::ConfirmationDiffers},
      {"", "", "new", "", C::ConfirmationDiffers},
      // The old password is checked first, as the dialog says it first.
      {"abc", "nope", "x", "y", C::WrongOldPassword},
  };
  for (const Case& c : cases)
    EXPECT_EQ(CheckPasswordChange(c.current, c.typedOld, c.typedNew, c.confirm), c.expected)
        << c.current << " / " << c.typedOld << " / " << c.typedNew << " / " << c.confirm;
}

// The 40 bytes at the head of a stream.
std::string HeadBytes(const StreamHandle& stream) {
  char bytes[kRecordSize] = {};
  EXPECT_TRUE(stream.ReadRecord(bytes, kRecordSize, true));
  return std::string(bytes, kRecordSize);
}

std::string NodeHead(const StorageHandle& folder, const std::vector<std::string>& path) {
  OpenedNode node;
  EXPECT_HRESULT_SUCCEEDED(OpenNodeRecord(folder, path, true, node));
  return HeadBytes(node.Stream());
}

std::string ItemHead(const StorageHandle& folder, const std::string& name) {
  StorageHandle item;
  EXPECT_HRESULT_SUCCEEDED(folder.OpenStorage(name.c_str(), kReadMode, item));
  StreamHandle info;
  EXPECT_HRESULT_SUCCEEDED(item.OpenStream(kFolderItemInfo, kReadMode, info));
  return HeadBytes(info);
}

TEST(PasswordHeaders, SettingWritesFlagAndTextAndClearingLeavesNoByteOfIt) {
  vtest::ScratchFile file;
  StorageHandle tree = file.AddStorage("Tree");
  vtest::AddLeaf(tree, "Leaf", 7, "{\\rtf1 body}");
  StorageHandle folderNode = vtest::AddFolderNode(tree, "Branch", 3);
  vtest::AddLeaf(folderNode, "Inside", 1);
  folderNode.Release();
  StorageHandle catalog = file.AddStorage("Catalog");
  ASSERT_HRESULT_SUCCEEDED(CreateItem(catalog, kItemDataList, "Table", 5, kFolderItemInfo, kFolderItemContent,
                                      {"A", "B"}));

  struct Target {
    const char* what;
    std::function<HRESULT(const std::string&)> write;
    std::function<std::string()> head;
    size_t flagOffset, passwordOffset, passwordField;
  } targets[] = {
      {"leaf", [&](const std::string& p) { return WriteNodePassword(tree, {"Leaf"}, p); },
       [&] { return NodeHead(tree, {"Leaf"}); }, 6, 8, kNodePasswordField},
      {"folder node", [&](const std::string& p) { return WriteNodePassword(tree, {"Branch"}, p); },
       [&] { return NodeHead(tree, {"Branch"}); }, 6, 8, kNodePasswordField},
      {"catalog item", [&](const std::string& p) { return WriteItemPassword(catalog, "Table", p); },
       [&] { return ItemHead(catalog, "Table"); }, 16, 20, kItemPasswordField},
  };
  for (Target& t : targets) {
    const std::string before = t.head();
    // 25 characters typed: 19 are kept.
    ASSERT_HRESULT_SUCCEEDED(t.write("abcdefghijklmnopqrstuvwxy")) << t.what;
    std::string set = t.head();
    EXPECT_EQ(static_cast<uint8_t>(set[t.flagOffset + 1]) & 0x80, 0x80) << t.what;
    EXPECT_EQ(set.substr(t.passwordOffset, 20), std::string("abcdefghijklmnopqrs") + '\0') << t.what;
    ASSERT_HRESULT_SUCCEEDED(t.write("")) << t.what;
    std::string cleared = t.head();
    EXPECT_EQ(static_cast<uint8_t>(cleared[t.flagOffset + 1]) & 0x80, 0) << t.what;
    EXPECT_EQ(cleared.substr(t.passwordOffset, t.passwordField), std::string(t.passwordField, '\0')) << t.what;
    // Everything else of the header is as it was.
    EXPECT_EQ(cleared, before) << t.what;
  }
  // The leaf's content behind its header is untouched.
  OpenedNode leaf;
  ASSERT_HRESULT_SUCCEEDED(OpenNodeStream(tree, {"Leaf"}, true, leaf));
  EXPECT_EQ(leaf.Stream().Size(), kRecordSize + std::string("{\\rtf1 body}").size());
}

TEST(PasswordHeaders, AHeaderCutShortIsLeftAlone) {
  vtest::ScratchFile file;
  StorageHandle tree = file.AddStorage("Tree");
  vtest::WriteStream(tree, "Short", std::string(12, '\x01'));
  StorageHandle catalog = file.AddStorage("Catalog");
  StorageHandle item;
  ASSERT_HRESULT_SUCCEEDED(catalog.CreateStorage("Cut", kWriteMode, item));
  vtest::WriteStream(item, kFolderItemInfo, std::string(30, '\x02'));
  item.Release();
  EXPECT_EQ(WriteNodePassword(tree, {"Short"}, "pw"), STG_E_READFAULT);
  EXPECT_EQ(WriteItemPassword(catalog, "Cut", "pw"), STG_E_READFAULT);
  StreamHandle shortStream;
  ASSERT_HRESULT_SUCCEEDED(tree.OpenStream("Short", kReadMode, shortStream));
  EXPECT_EQ(shortStream.Size(), 12u);
  EXPECT_EQ(WriteNodePassword(tree, {"Missing"}, "pw"), STG_E_FILENOTFOUND);
}

}  // namespace
