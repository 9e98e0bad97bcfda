// Our own compound-file writer against the platform's reader and our check:
// storages of many shapes written, opened again by the platform (every
// element found by name, so each directory tree must be ordered as the
// platform orders names) and compared element by element.
#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <string>
#include <vector>

#include "store/CompoundFileCheck.h"
#include "store/CompoundFileWriter.h"
#include "store/StorageHandle.h"
#include "tests/TestSupport.h"
#include "tests/store/DocumentFixtures.h"

using namespace vellora;

namespace {

void Stream(IStorage* parent, const std::wstring& name, size_t size) {
  ComPtr<IStream> s;
  ASSERT_HRESULT_SUCCEEDED(parent->CreateStream(name.c_str(), kWriteMode, 0, 0, s.Put()));
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + size) & 0xFF);
  ULONG done = 0;
  if (size) ASSERT_HRESULT_SUCCEEDED(s->Write(bytes.data(), static_cast<ULONG>(size), &done));
}

ComPtr<IStorage> Storage(IStorage* parent, const std::wstring& name, WORD kind = 1) {
  ComPtr<IStorage> s;
  EXPECT_HRESULT_SUCCEEDED(parent->CreateStorage(name.c_str(), kWriteMode, 0, 0, s.Put()));
  CLSID clsid = {0x11112222, kind, 7, {1, 2, 3, 4, 5, 6, 7, 8}};
  if (s) s->SetClass(clsid);
  if (s) s->SetStateBits(0x40u + kind, 0xFFFFFFFFu);
  return s;
}

struct Shape {
  const char* name;
  std::function<void(IStorage*)> build;
};

const Shape kShapes[] = {
    {"empty folder", [](IStorage*) {}},
    {"stream sizes around the mini stream's cut-off",
     [](IStorage* f) {
       for (size_t size : {0, 1, 63, 64, 65, 511, 512, 4095, 4096, 4097, 70000})
         Stream(f, L"s" + std::to_wstring(size), size);
     }},
    {"four hundred sibling nodes",
     [](IStorage* f) {
       for (int i = 0; i < 400; ++i) {
         ComPtr<IStorage> node = Storage(f, L"Node " + std::to_wstring(i), static_cast<WORD>(i % 9));
         Stream(node.Get(), L"\x0001NodeInfo", 40);
         if (i % 50 == 0) Stream(node.Get(), L"Content", 5000);
       }
     }},
    {"sixty levels deep",
     [](IStorage* f) {
       // Each level stays open while the ones below it are made.
       std::vector<ComPtr<IStorage>> levels;
       levels.push_back(Storage(f, L"level 0"));
       for (int depth = 1; depth < 60 && levels.back(); ++depth) {
         Stream(levels.back().Get(), L"info", 40);
         levels.push_back(Storage(levels.back().Get(), L"level " + std::to_wstring(depth)));
       }
     }},
    // More than 109 allocation-table sectors, so the header's list of them
    // is continued in sectors of its own.
    {"a stream of 7.5 MB", [](IStorage* f) { Stream(f, L"big", 7864320 + 33); }},
    // Upper- and lower-casing order "_" and "[" differently against letters.
    {"names the order of case matters for",
     [](IStorage* f) {
       for (const wchar_t* n : {L"_a", L"aa", L"[1", L"Ab", L"zz", L"Z_", L"a", L"B", L"`q", L"~", L"^^",
                                L"1234567890123456789012345678901"})
         Stream(f, n, 10);
     }},
};

class CompoundFileWriterTest : public ::testing::TestWithParam<Shape> {};

TEST_P(CompoundFileWriterTest, PlatformReadsBackEveryElement) {
  vtest::TempDir dir;
  const std::string sourcePath = dir.File("source.vlx"), outPath = dir.File("out.vlx");
  StorageHandle source;
  ASSERT_HRESULT_SUCCEEDED(source.CreateRoot(sourcePath.c_str(), kReplaceMode));
  {
    ComPtr<IStorage> folder = Storage(source.Get(), L"Folder", 3);
    GetParam().build(folder.Get());
    Stream(source.Get(), L"LIBRARY_MAININFO", 40);
  }
  ASSERT_HRESULT_SUCCEEDED(source.Commit());

  {
    CompoundFileWriter writer;
    ASSERT_HRESULT_SUCCEEDED(writer.Create(outPath.c_str()));
    StorageHandle folder = source.OpenStorageFor("Folder", true);
    STATSTG stat = {};
    ASSERT_HRESULT_SUCCEEDED(folder->Stat(&stat, STATFLAG_NONAME));
    ASSERT_HRESULT_SUCCEEDED(writer.AddStorage(folder.Get(), L"Folder", stat));
    StorageHandle extra;
    ASSERT_HRESULT_SUCCEEDED(extra.CreateRoot(dir.File("extra.vlx").c_str(), kReplaceMode));
    Stream(extra.Get(), L"LIBRARY_MAININFO", 40);
    ASSERT_HRESULT_SUCCEEDED(writer.AddContents(extra.Get()));
    ASSERT_HRESULT_SUCCEEDED(writer.Finish());
  }

  const CompoundFileReport report = CheckCompoundFile(outPath.c_str());
  EXPECT_TRUE(report.Sound()) << report.Summary();
  StorageHandle out;
  ASSERT_HRESULT_SUCCEEDED(out.OpenRoot(outPath.c_str(), kReadMode));
  EXPECT_EQ(vtest::StorageContents(out), vtest::StorageContents(source));
  // Found by name, not only by walking: the trees are ordered as the platform looks.
  ComPtr<IStorage> folder;
  EXPECT_HRESULT_SUCCEEDED(out->OpenStorage(L"Folder", nullptr, kReadMode, nullptr, 0, folder.Put()));
}

INSTANTIATE_TEST_SUITE_P(Shapes, CompoundFileWriterTest, ::testing::ValuesIn(kShapes),
                         [](const ::testing::TestParamInfo<Shape>& info) {
                           std::string name;
                           for (const char* c = info.param.name; *c; ++c)
                             if (isalnum(static_cast<unsigned char>(*c))) name += *c;
                           return name;
                         });

// Cancel stops the write, and nothing is left of the file.
TEST(CompoundFileWriter, CancelledWriteLeavesNoFile) {
  vtest::TempDir dir;
  StorageHandle source;
  ASSERT_HRESULT_SUCCEEDED(source.CreateRoot(dir.File("source.vlx").c_str(), kReplaceMode));
  for (int i = 0; i < 10; ++i) Stream(source.Get(), L"s" + std::to_wstring(i), 100);
  const std::string outPath = dir.File("out.vlx");
  int steps = 0;
  {
    CompoundFileWriter writer([&] { return ++steps < 3; });
    ASSERT_HRESULT_SUCCEEDED(writer.Create(outPath.c_str()));
    EXPECT_EQ(writer.AddContents(source.Get()), E_ABORT);
    EXPECT_TRUE(vtest::FileExists(outPath));
  }
  EXPECT_EQ(steps, 3);
  EXPECT_FALSE(vtest::FileExists(outPath));
}

// The insertion order that keeps a never-rebalanced tree balanced: every
// element once, each range's middle before its halves.
TEST(CompoundFileWriter, BalancedInsertOrder) {
  struct Case {
    size_t n;
    std::vector<size_t> order;
  } cases[] = {{0, {}}, {1, {0}}, {2, {0, 1}}, {3, {1, 0, 2}}, {7, {3, 1, 5, 0, 2, 4, 6}}};
  for (const Case& c : cases) EXPECT_EQ(BalancedInsertOrder(c.n), c.order) << c.n;
}

}  // namespace
