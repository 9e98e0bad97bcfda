#include "content/LibraryExport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <sstream>

#include "content/FileFolder.h"
#include "content/RtfText.h"
#include "store/LibraryFormat.h"
#include "store/Variant.h"
#include "tests/TestSupport.h"
#include "tests/content/ContentFixtures.h"

using namespace vellora;

namespace {

const char kRichNote[] =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil Arial;}}"
    "{\\colortbl ;\\red255\\green0\\blue0;\\red255\\green255\\blue0;}"
    "\\pard\\f0\\fs20 plain \\b bold\\b0  \\i italic\\i0  \\ul under\\ulnone  \\strike gone\\strike0 "
    "\\cf1 red\\cf0  \\highlight2 marked\\highlight0  \\fs36 big\\fs20\\par"
    "\\pard\\qc centred \\'e9t\\'e9 a<b & c\\par"
    "{\\field{\\*\\fldinst{HYPERLINK \"http://example.com/page\"}}{\\fldrslt{site}}}\\par}";

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream all;
  all << in.rdbuf();
  return all.str();
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

NodeInfoRecord Protected(int32_t sequence, const char* password) {
  NodeInfoRecord record = vtest::NodeRecord(sequence);
  record.flags = kPasswordFlag;
  record.SetPassword(password);
  return record;
}

void AddItem(const StorageHandle& folder, const char* name, int32_t id, uint16_t kind, const std::string& content,
             const char* password = nullptr, const std::vector<uint32_t>& widths = {}) {
  StorageHandle item;
  ASSERT_HRESULT_SUCCEEDED(folder.CreateStorage(name, kWriteMode, item));
  ItemInfoRecord record;
  record.itemId = id;
  record.kind = kind;
  record.created = 1;
  record.places = static_cast<uint32_t>(widths.size());
  if (password) {
    record.flags = kPasswordFlag;
    record.SetPassword(password);
  }
  uint8_t bytes[kRecordSize];
  record.Encode(bytes);
  std::string info(reinterpret_cast<char*>(bytes), kRecordSize);
  for (uint32_t width : widths) info += vtest::Bytes32(width);
  vtest::WriteStream(item, kFolderItemInfo, info);
  vtest::WriteStream(item, kFolderItemContent, content);
}

// A library with a tree folder (a rich note, a branch, a protected note)
// and a catalog folder (a web link, a data list, a protected item), closed.
void MakeLibrary(const std::string& path) {
  StorageHandle root;
  ASSERT_HRESULT_SUCCEEDED(root.CreateRoot(path.c_str(), kReplaceMode));
  StorageHandle tree;
  ASSERT_HRESULT_SUCCEEDED(root.CreateStorage("Notes", kWriteMode, tree));
  tree.WriteClass(FolderClassId(kFolderTree, 1));
  vtest::AddLeaf(tree, "Rich", 1, std::string(kRichNote));
  {
    StorageHandle branch = vtest::AddFolderNode(tree, "Projects", 2);
    vtest::AddLeaf(branch, "Plan: spring", 1, "{\\rtf1\\ansi first line\\par second line\\par}");
    std::string secret = "{\\rtf1\\ansi the secret text\\par}";
    ASSERT_HRESULT_SUCCEEDED(CreateLeafNode(branch, "Hidden", Protected(2, "pw"), secret.data(),
                                            static_cast<ULONG>(secret.size())));
    branch.Commit();
  }
  StorageHandle box;
  ASSERT_HRESULT_SUCCEEDED(root.CreateStorage("Box", kWriteMode, box));
  box.WriteClass(FolderClassId(kFolderCatalog, 2));
  AddItem(box, "Site", 1, kItemWebLink, vtest::Counted("http://example.com/"));
  AddItem(box, "People", 2, kItemDataList,
          vtest::Counted("Name") + vtest::Counted("Phone") + vtest::Counted("Ann") + vtest::Counted("123"), nullptr,
          {80, 80});
  AddItem(box, "Locked", 3, kItemWebLink, vtest::Counted("http://locked.example/"), "key");
  FileEntry embedded;
  embedded.flags = kEmbeddedFileFlag;
  embedded.title = "report.txt";
  embedded.streamName = "report.txt";
  FileEntry linked;
  linked.title = "far.doc";
  linked.sourcePath = "C:\\docs\\far.doc";
  AddItem(box, "Files", 4, kItemFileFolder, EncodeFileEntries({embedded, linked}));
  {
    StorageHandle item = box.OpenStorageFor("Files", false);
    vtest::WriteStream(item, "report.txt", "the report");
    item.Commit();
  }
  box.Commit();
  tree.Commit();
  root.Commit();
}

std::string ExeFolder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder = path;
  return folder.substr(0, folder.find_last_of('\\'));
}

size_t EntriesIn(const std::string& folder) {
  size_t count = 0;
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return 0;
  do {
    std::string name = found.cFileName;
    if (name != "." && name != "..") ++count;
  } while (FindNextFileA(find, &found));
  FindClose(find);
  return count;
}

}  // namespace

TEST(RtfToHtml, KeepsTheFormattingOfTheNote) {
  std::string html = RtfToHtml(kRichNote);
  struct Case {
    const char* expected;
  } cases[] = {
      {"<b><span style=\"font-size:10pt;\">bold</span></b>"},
      {"<i><span style=\"font-size:10pt;\">italic</span></i>"},
      {"<u><span style=\"font-size:10pt;\">under</span></u>"},
      {"<s><span style=\"font-size:10pt;\">gone</span></s>"},
      {"color:#ff0000;font-size:10pt;\">red</span>"},
      {"background-color:#ffff00;font-size:10pt;\">marked</span>"},
      {"font-size:18pt;\">big</span>"},
      {"<p style=\"text-align:center\">"},
      {"centred \xC3\xA9t\xC3\xA9 a&lt;b &amp; c"},  // \'e9 in code page 1252, as UTF-8, escaped
      {"<a href=\"http://example.com/page\">"},
  };
  for (const Case& c : cases) EXPECT_NE(html.find(c.expected), std::string::npos) << c.expected << "\n" << html;
  // The font and colour tables and the field instruction are no text.
  EXPECT_EQ(html.find("Arial"), std::string::npos) << html;
  EXPECT_EQ(html.find("HYPERLINK"), std::string::npos) << html;
}

TEST(RtfToHtml, ReadsTheEdgesOfTheFormatSafely) {
  struct Case {
    const char* rtf;
    const char* expected;  // nullptr: no output at all
  } cases[] = {
      {"not rich text <b>", nullptr},
      {"", nullptr},
      {"{\\rtf1 \\u8364?\\uc2\\u8364xy z\\par}", "\xE2\x82\xAC\xE2\x82\xAC z"},  // the fallback bytes skipped
      {"{\\rtf1 {\\*\\unknown skipped}kept\\par}", "kept"},
      {"{\\rtf1 {\\field{\\*\\fldinst HYPERLINK \"javascript:alert(1)\"}{\\fldrslt x}}}", "<a href=\"#\">"},
      {"{\\rtf1 {{{{unclosed", "unclosed"},
      {"{\\rtf1 a\\line b\\tab c\\par}", "a<br>b\tc"},
  };
  for (const Case& c : cases) {
    std::string html = RtfToHtml(c.rtf);
    if (!c.expected) {
      EXPECT_EQ(html, "") << c.rtf;
    } else {
      EXPECT_NE(html.find(c.expected), std::string::npos) << c.rtf << " gave " << html;
    }
  }
  // A break inside a destination that is not text makes no paragraph.
  EXPECT_EQ(RtfToHtml("{\\rtf1 {\\header page\\par}body\\par}"), "<p>body</p>\n");
}

TEST(SafeFileName, GivesNamesEveryFileSystemTakes) {
  struct Case {
    const char* title;
    size_t maxBytes;
    const char* expected;
  } cases[] = {
      {"Plan: spring", 80, "Plan_ spring"},
      {"a/b\\c*d?e\"f<g>h|i", 80, "a_b_c_d_e_f_g_h_i"},
      {"CON", 80, "_CON"},
      {"nul.txt", 80, "_nul.txt"},
      {" ..hidden.. ", 80, "hidden"},
      {"...", 80, "_"},
      {"", 80, "_"},
      {"abcdefghij", 4, "abcd"},
      {"tab\there", 80, "tab_here"},
  };
  for (const Case& c : cases) EXPECT_EQ(SafeFileName(c.title, c.maxBytes), c.expected) << c.title;
}

TEST(RtfFromText, ReadsBackAsTheTextItWasMadeOf) {
  const std::wstring cases[] = {L"one line", L"a {brace} and \\ slash", L"first\nsecond\r\nthird",
                                L"caf\u00e9 \u20ac \u4e2d", L"tab\there"};
  for (const std::wstring& text : cases) {
    std::wstring expected = text;
    for (size_t at; (at = expected.find(L"\r\n")) != std::wstring::npos;) expected.erase(at + 1, 1);
    for (wchar_t& c : expected) c = c == L'\n' ? L'\r' : c;
    EXPECT_EQ(RtfPlainText(RtfFromText(text)), expected) << RtfFromText(text);
  }
}

class LibraryExportTest : public ::testing::Test {
 protected:
  void SetUp() override { MakeLibrary(library_); }
  vtest::TempDir dir_;
  std::string library_ = dir_.File("lib.vlx");
};

TEST_F(LibraryExportTest, TreeMirrorInTextAndMarkdown) {
  struct Case {
    ExportFormat format;
    const char* extension;
    const char* planText;
  } cases[] = {{ExportFormat::Text, ".txt", "first line\nsecond line\n"},
               {ExportFormat::Markdown, ".md", "# Plan: spring\n\nfirst line\n\nsecond line\n\n"}};
  for (const Case& c : cases) {
    std::string out = dir_.File(std::string("mirror") + c.extension);
    ExportOptions options;
    options.format = c.format;
    ExportResult result = ExportLibrary(library_, out, options);
    ASSERT_EQ(result.status, ExportStatus::Done) << result.message;
    EXPECT_EQ(result.leftOut, 2u);  // the protected note and item
    EXPECT_EQ(ReadFile(out + "\\Notes\\Projects\\Plan_ spring" + c.extension), c.planText);
    EXPECT_TRUE(Exists(out + "\\Notes\\Rich" + c.extension));
    EXPECT_FALSE(Exists(out + "\\Notes\\Projects\\Hidden" + c.extension));
    EXPECT_FALSE(Exists(out + "\\Box\\Locked" + c.extension));
    EXPECT_NE(ReadFile(out + "\\Box\\Site" + c.extension).find("http://example.com/"), std::string::npos);
    EXPECT_NE(ReadFile(out + "\\Box\\People" + c.extension).find("Ann"), std::string::npos);
    // Nothing of the work folder is left beside the export.
    EXPECT_EQ(EntriesIn(dir_.Path()), 2u + (c.format == ExportFormat::Markdown ? 1u : 0u));
  }
  EXPECT_NE(ReadFile(dir_.File("mirror.md") + "\\Notes\\Rich.md").find("**bold**"), std::string::npos);
  // An embedded file lies beside the item's file, linked from it.
  EXPECT_EQ(ReadFile(dir_.File("mirror.md") + "\\Box\\report.txt"), "the report");
  EXPECT_NE(ReadFile(dir_.File("mirror.md") + "\\Box\\Files.md").find("[report.txt](report.txt)"), std::string::npos);
}

TEST_F(LibraryExportTest, ProtectedContentComesOnlyWithItsPassword) {
  struct Case {
    const char* given;
    size_t leftOut;
    bool secretShown;
    bool lockedShown;
  } cases[] = {{"", 2, false, false}, {"wrong", 2, false, false}, {"pw", 1, true, false}, {"key", 1, false, true}};
  int k = 0;
  for (const Case& c : cases) {
    std::string out = dir_.File("p" + std::to_string(k++) + ".html");
    ExportOptions options;
    std::string given = c.given;
    options.password = [given](const std::string&) { return given; };
    ExportResult result = ExportLibrary(library_, out, options);
    ASSERT_EQ(result.status, ExportStatus::Done) << result.message;
    std::string html = ReadFile(out);
    EXPECT_EQ(result.leftOut, c.leftOut) << c.given;
    EXPECT_EQ(html.find("the secret text") != std::string::npos, c.secretShown) << c.given;
    EXPECT_EQ(html.find("locked.example") != std::string::npos, c.lockedShown) << c.given;
  }
}

TEST_F(LibraryExportTest, LibraryPasswordKeepsTheWholeLibrary) {
  {
    StorageHandle root;
    ASSERT_HRESULT_SUCCEEDED(root.OpenRoot(library_.c_str(), kWriteMode));
    ASSERT_HRESULT_SUCCEEDED(WriteSettingsSlot(root, 6, Variant::FromString("whole")));
    root.Commit();
  }
  struct Case {
    const char* given;
    ExportStatus status;
  } cases[] = {{nullptr, ExportStatus::Locked}, {"pw", ExportStatus::Locked}, {"whole", ExportStatus::Done}};
  int k = 0;
  for (const Case& c : cases) {
    ExportOptions options;
    if (c.given) {
      std::string given = c.given;
      options.password = [given](const std::string& path) { return path.empty() ? given : std::string(); };
    }
    std::string out = dir_.File("l" + std::to_string(k++) + ".html");
    EXPECT_EQ(ExportLibrary(library_, out, options).status, c.status) << (c.given ? c.given : "none");
    EXPECT_EQ(Exists(out), c.status == ExportStatus::Done);
  }
}

TEST_F(LibraryExportTest, CancelledOrRefusedExportLeavesNothing) {
  for (ExportFormat format : {ExportFormat::Html, ExportFormat::Text}) {
    ExportOptions options;
    options.format = format;
    size_t calls = 0;
    options.progress = [&](size_t done, size_t total) {
      EXPECT_LE(done, total);
      return ++calls < 3;
    };
    std::string out = dir_.File(format == ExportFormat::Html ? "c.html" : "c");
    ExportResult result = ExportLibrary(library_, out, options);
    EXPECT_EQ(result.status, ExportStatus::Cancelled);
    EXPECT_EQ(EntriesIn(dir_.Path()), 1u) << "only the library is left";
  }
  // A target that exists is never replaced; a missing folder or branch is named.
  std::string taken = dir_.File("taken.html");
  std::ofstream(taken) << "mine";
  EXPECT_EQ(ExportLibrary(library_, taken, {}).status, ExportStatus::TargetExists);
  EXPECT_EQ(ReadFile(taken), "mine");
  CreateDirectoryA(dir_.File("f_files").c_str(), nullptr);  // where the HTML's files would go
  EXPECT_EQ(ExportLibrary(library_, dir_.File("f.html"), {}).status, ExportStatus::TargetExists);
  ExportOptions missing;
  missing.folder = "Nope";
  EXPECT_EQ(ExportLibrary(library_, dir_.File("m.html"), missing).status, ExportStatus::NotFound);
  missing.folder = "Notes";
  missing.branch = {"Projects", "Nope"};
  EXPECT_EQ(ExportLibrary(library_, dir_.File("m.html"), missing).status, ExportStatus::NotFound);
  EXPECT_EQ(ExportLibrary(dir_.File("none.vlx"), dir_.File("m.html"), {}).status, ExportStatus::CannotOpen);
  EXPECT_EQ(EntriesIn(dir_.Path()), 3u);
}

TEST_F(LibraryExportTest, BranchExportHoldsOnlyTheBranch) {
  ExportOptions options;
  options.format = ExportFormat::Text;
  options.folder = "notes";
  options.branch = {"Projects"};
  ExportResult result = ExportLibrary(library_, dir_.File("b"), options);
  ASSERT_EQ(result.status, ExportStatus::Done) << result.message;
  EXPECT_TRUE(Exists(dir_.File("b") + "\\Notes\\Projects\\Plan_ spring.txt"));
  EXPECT_FALSE(Exists(dir_.File("b") + "\\Notes\\Rich.txt"));
  EXPECT_FALSE(Exists(dir_.File("b") + "\\Box"));
}

// The HTML export written beside the test programs, for the check that reads
// it with an HTML parser of its own.
TEST(LibraryExportForTheReader, HtmlBesideTheTests) {
  vtest::TempDir dir;
  MakeLibrary(dir.File("lib.vlx"));
  std::string out = ExeFolder() + "\\export-sample.html";
  DeleteFileA(out.c_str());
  DeleteFileA((ExeFolder() + "\\export-sample_files\\report.txt").c_str());
  RemoveDirectoryA((ExeFolder() + "\\export-sample_files").c_str());
  ExportResult result = ExportLibrary(dir.File("lib.vlx"), out, {});
  ASSERT_EQ(result.status, ExportStatus::Done) << result.message;
  EXPECT_EQ(ReadFile(ExeFolder() + "\\export-sample_files\\report.txt"), "the report");
  // The same library under a library password, for vlx's refusals.
  StorageHandle root;
  ASSERT_HRESULT_SUCCEEDED(root.OpenRoot(dir.File("lib.vlx").c_str(), kWriteMode));
  ASSERT_HRESULT_SUCCEEDED(WriteSettingsSlot(root, 6, Variant::FromString("whole")));
  root.Commit();
  root.Release();
  ASSERT_TRUE(CopyFileA(dir.File("lib.vlx").c_str(), (ExeFolder() + "\\locked-sample.vlx").c_str(), FALSE));
}

// Under a double-byte code page a trail byte that looks like '\' or '|' is
// part of its character, and a cut never leaves half a character.
TEST(SafeFileName, DoubleByteTitlesUnderGbk) {
  if (GetACP() != 936) GTEST_SKIP() << "needs code page 936";
  struct Case {
    const char* title;
    size_t maxBytes;
    const char* expected;
  } cases[] = {
      {"\x95\x5c\x95\x7c", 80, "\x95\x5c\x95\x7c"},
      {"\xd6\xd0\xce\xc4", 3, "\xd6\xd0"},
      {"a\xd6\xd0:\xce\xc4", 80, "a\xd6\xd0_\xce\xc4"},
  };
  for (const Case& c : cases) EXPECT_EQ(SafeFileName(c.title, c.maxBytes), c.expected) << c.title;
}

// A tree deeper than a path can hold is exported whole: every note has its
// file, the deepest ones in the deepest folder a path can reach.
TEST(LibraryExportDepth, DeepBranchesOfLongTitlesAreWrittenWhole) {
  vtest::TempDir dir;
  std::string path = dir.File("deep.vlx");
  const int kDepth = 14;
  {
    StorageHandle root;
    ASSERT_HRESULT_SUCCEEDED(root.CreateRoot(path.c_str(), kReplaceMode));
    StorageHandle tree;
    ASSERT_HRESULT_SUCCEEDED(root.CreateStorage("Deep", kWriteMode, tree));
    tree.WriteClass(FolderClassId(kFolderTree, 1));
    std::vector<StorageHandle> chain;
    const StorageHandle* parent = &tree;
    for (int d = 0; d < kDepth; ++d) {
      std::string title = "Level " + std::to_string(d) + std::string(31 - 6 - std::to_string(d).size(), 'x');
      vtest::AddLeaf(*parent, "note " + std::to_string(d), 1, "{\\rtf1 text " + std::to_string(d) + "\\par}");
      chain.push_back(vtest::AddFolderNode(*parent, title, 2));
      parent = &chain.back();
    }
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) it->Commit();
    chain.clear();
    tree.Commit();
    root.Commit();
  }
  ExportOptions options;
  options.format = ExportFormat::Text;
  std::string out = dir.File("deep-out");
  ExportResult result = ExportLibrary(path, out, options);
  ASSERT_EQ(result.status, ExportStatus::Done) << result.message;
  EXPECT_EQ(result.nodes, 2u * kDepth);
  // Every note's text is in a file of its own.
  std::vector<std::string> texts;
  std::function<void(const std::string&)> walk = [&](const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
      std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      std::string child = folder + "\\" + name;
      EXPECT_LT(child.size(), static_cast<size_t>(MAX_PATH)) << child;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        walk(child);
      } else {
        texts.push_back(ReadFile(child));
      }
    } while (FindNextFileA(find, &found));
    FindClose(find);
  };
  walk(out);
  std::sort(texts.begin(), texts.end());
  ASSERT_EQ(texts.size(), static_cast<size_t>(kDepth));
  for (int d = 0; d < kDepth; ++d) {
    EXPECT_TRUE(std::count(texts.begin(), texts.end(), "text " + std::to_string(d) + "\n")) << d;
  }
}
