#include "tests/content/ContentFixtures.h"

#include <gtest/gtest.h>

#include <cstring>

#include "content/CountedStrings.h"

using namespace vellora;

namespace vtest {

ScratchFile::ScratchFile() : path_(dir_.File("content.vlx")) {
  HRESULT hr = root_.CreateRoot(path_.c_str(), kWriteMode);
  EXPECT_HRESULT_SUCCEEDED(hr) << path_;
}

StorageHandle ScratchFile::AddStorage(const char* name) const {
  StorageHandle out;
  EXPECT_HRESULT_SUCCEEDED(root_.CreateStorage(name, kWriteMode, out)) << name;
  return out;
}

NodeInfoRecord NodeRecord(int32_t sequence, uint16_t kind) {
  NodeInfoRecord r;
  r.sequence = sequence;
  r.kind = kind;
  return r;
}

void AddLeaf(const StorageHandle& parent, const std::string& name, int32_t sequence, const std::string& content) {
  EXPECT_HRESULT_SUCCEEDED(CreateLeafNode(parent, name.c_str(), NodeRecord(sequence), content.data(),
                                          static_cast<ULONG>(content.size())))
      << name;
}

StorageHandle AddFolderNode(const StorageHandle& parent, const std::string& name, int32_t sequence) {
  StorageHandle out;
  EXPECT_HRESULT_SUCCEEDED(CreateFolderNode(parent, name.c_str(), NodeRecord(sequence), out)) << name;
  return out;
}

void WriteStream(const StorageHandle& parent, const std::string& name, const std::string& bytes) {
  StreamHandle stream;
  ASSERT_HRESULT_SUCCEEDED(parent.CreateStream(name.c_str(), kReplaceMode, stream)) << name;
  if (bytes.empty()) return;
  ASSERT_HRESULT_SUCCEEDED(stream.WriteBytes(bytes.data(), static_cast<ULONG>(bytes.size())));
}

std::string Bytes32(uint32_t value) {
  char b[4] = {static_cast<char>(value), static_cast<char>(value >> 8), static_cast<char>(value >> 16),
               static_cast<char>(value >> 24)};
  return std::string(b, 4);
}

std::string Counted(const std::string& text) {
  std::string out;
  AppendCounted(out, text);
  return out;
}

namespace {
std::string Bytes16(uint16_t value) {
  char b[2] = {static_cast<char>(value), static_cast<char>(value >> 8)};
  return std::string(b, 2);
}
}  // namespace

std::string IconFileBytes() {
  const int side = 32;
  const uint32_t pixels = side * side * 4, mask = side * 4;  // mask rows padded to 4 bytes
  const uint32_t image = 40 + pixels + mask;
  std::string ico = Bytes16(0) + Bytes16(1) + Bytes16(1);                  // header: icon, one image
  ico += std::string{static_cast<char>(side), static_cast<char>(side), 0, 0};  // width, height, colours
  ico += Bytes16(1) + Bytes16(32) + Bytes32(image) + Bytes32(6 + 16);
  ico += Bytes32(40) + Bytes32(side) + Bytes32(side * 2) + Bytes16(1) + Bytes16(32) + Bytes32(0) +
         Bytes32(pixels + mask) + Bytes32(0) + Bytes32(0) + Bytes32(0) + Bytes32(0);
  for (uint32_t i = 0; i < side * side; ++i) ico += std::string{'\x20', '\x80', '\x10', '\xFF'};
  ico += std::string(mask, '\0');
  return ico;
}

}  // namespace vtest
