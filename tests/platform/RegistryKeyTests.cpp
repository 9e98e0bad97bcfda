// The registry key owner against real keys under the tests' own key: values
// read only in the asked type and within the asked size, keys closed once.
#include <gtest/gtest.h>

#include <cctype>
#include <optional>
#include <string>

#include "platform/RegistryKey.h"
#include "tests/TestSupport.h"

namespace vellora {
namespace {

using vtest::TempRegistryKey;

// Writes a value as another program might have: any type, any bytes.
void Store(const std::string& keyPath, const char* name, DWORD type, const std::string& bytes) {
  RegistryKey key;
  ASSERT_EQ(key.Create(HKEY_CURRENT_USER, keyPath.c_str(), KEY_WRITE), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(key.Get(), name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                           static_cast<DWORD>(bytes.size())),
            ERROR_SUCCESS);
}

std::string Bytes(const char* text, size_t size) { return std::string(text, size); }

struct StringCase {
  const char* what;
  DWORD type;
  std::string stored;  // nothing is stored when empty and type is REG_NONE
  size_t maxBytes;
  bool expandable;
  std::optional<std::string> expected;
};

class RegistryKeyStrings : public ::testing::TestWithParam<StringCase> {};

TEST_P(RegistryKeyStrings, AreReadOnlyInTheirTypeAndWithinTheirBound) {
  const StringCase& c = GetParam();
  TempRegistryKey scratch;
  if (c.type != REG_NONE) Store(scratch.Path(), "Value", c.type, c.stored);
  RegistryKey key;
  ASSERT_EQ(key.Open(HKEY_CURRENT_USER, scratch.Path().c_str(), KEY_READ), ERROR_SUCCESS);
  EXPECT_EQ(key.ReadString("Value", c.maxBytes, c.expandable), c.expected) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RegistryKeyStrings,
    ::testing::Values(
        StringCase{"a path with its NUL", REG_SZ, Bytes("C:\\a.vlx\0", 9), 260, false, "C:\\a.vlx"},
        StringCase{"missing", REG_NONE, "", 260, false, std::nullopt},
        StringCase{"exactly the bound, NUL included", REG_SZ, Bytes("abcd\0", 5), 5, false, "abcd"},
        StringCase{"one byte over the bound", REG_SZ, Bytes("abcde\0", 6), 5, false, std::nullopt},
        StringCase{"within the bound without a NUL", REG_SZ, "abcd", 5, false, "abcd"},
        StringCase{"a long value against a short bound", REG_SZ, std::string(1000, 'x') + '\0', 260, false,
                   std::nullopt},
        StringCase{"ends at its first NUL", REG_SZ, Bytes("ab\0cd\0", 6), 260, false, "ab"},
        StringCase{"a number is no string", REG_DWORD, Bytes("\x01\0\0\0", 4), 260, false, std::nullopt},
        StringCase{"bytes are no string", REG_BINARY, "abc", 260, false, std::nullopt},
        StringCase{"expandable refused unless asked", REG_EXPAND_SZ, Bytes("%TEMP%\\a\0", 9), 260, false,
                   std::nullopt},
        StringCase{"expandable taken as written", REG_EXPAND_SZ, Bytes("%TEMP%\\a\0", 9), 260, true,
                   "%TEMP%\\a"},
        StringCase{"empty", REG_SZ, Bytes("\0", 1), 260, false, ""}),
    [](const ::testing::TestParamInfo<StringCase>& info) {
      std::string name;
      for (const char* c = info.param.what; *c; ++c)
        if (isalnum(static_cast<unsigned char>(*c))) name += *c;
      return name;
    });

TEST(RegistryKey, NumbersAndBlobsComeOnlyInTheirTypeAndExactSize) {
  TempRegistryKey scratch;
  Store(scratch.Path(), "Number", REG_DWORD, Bytes("\x2A\0\0\0", 4));
  Store(scratch.Path(), "FourBytes", REG_BINARY, Bytes("\x2A\0\0\0", 4));
  Store(scratch.Path(), "Text", REG_SZ, Bytes("42\0", 3));
  Store(scratch.Path(), "Blob", REG_BINARY, "0123456789");
  RegistryKey key;
  ASSERT_EQ(key.Open(HKEY_CURRENT_USER, scratch.Path().c_str(), KEY_READ), ERROR_SUCCESS);

  EXPECT_EQ(key.ReadDword("Number"), std::optional<DWORD>(42));
  EXPECT_EQ(key.ReadDword("FourBytes"), std::nullopt);
  EXPECT_EQ(key.ReadDword("Text"), std::nullopt);
  EXPECT_EQ(key.ReadDword("Missing"), std::nullopt);

  char exact[10];
  EXPECT_TRUE(key.ReadBinary("Blob", exact, sizeof exact));
  EXPECT_EQ(std::string(exact, sizeof exact), "0123456789");
  const struct {
    const char* name;
    DWORD size;
  } refused[] = {{"Blob", 9}, {"Blob", 11}, {"Number", 4}, {"Missing", 4}};
  for (const auto& r : refused) {
    char out[16];
    memset(out, '#', sizeof out);
    EXPECT_FALSE(key.ReadBinary(r.name, out, r.size)) << r.name << " " << r.size;
    EXPECT_EQ(std::string(out, sizeof out), std::string(16, '#')) << "untouched: " << r.name << " " << r.size;
  }
}

TEST(RegistryKey, WhatItWritesReadsBack) {
  TempRegistryKey scratch;
  const std::string sub = scratch.Path() + "\\Made\\Below";
  RegistryKey key;
  ASSERT_EQ(key.Create(HKEY_CURRENT_USER, sub.c_str(), KEY_READ | KEY_WRITE), ERROR_SUCCESS);
  EXPECT_EQ(key.WriteString("Name", "Letters"), ERROR_SUCCESS);
  EXPECT_EQ(key.WriteString(nullptr, "default"), ERROR_SUCCESS);
  EXPECT_EQ(key.WriteDword("Count", 7), ERROR_SUCCESS);
  const char blob[3] = {1, 0, 2};
  EXPECT_EQ(key.WriteBinary("Blob", blob, sizeof blob), ERROR_SUCCESS);

  RegistryKey again;
  ASSERT_EQ(again.Open(HKEY_CURRENT_USER, sub.c_str(), KEY_READ | KEY_WRITE), ERROR_SUCCESS);
  // Written with its NUL: a bound of the text's length plus one is enough.
  EXPECT_EQ(again.ReadString("Name", 8), "Letters");
  EXPECT_EQ(again.ReadString("Name", 7), std::nullopt);
  EXPECT_EQ(again.ReadString(nullptr, 64), "default");
  EXPECT_EQ(again.ReadDword("Count"), std::optional<DWORD>(7));
  char back[3] = {};
  EXPECT_TRUE(again.ReadBinary("Blob", back, sizeof back));
  EXPECT_EQ(std::string(back, 3), std::string(blob, 3));
  EXPECT_EQ(again.DeleteValue("Count"), ERROR_SUCCESS);
  EXPECT_EQ(again.ReadDword("Count"), std::nullopt);
}

TEST(RegistryKey, AFailedOpenHoldsNothingAndLetsGoOfTheKeyHeldBefore) {
  TempRegistryKey scratch;
  RegistryKey key;
  ASSERT_EQ(key.Open(HKEY_CURRENT_USER, scratch.Path().c_str(), KEY_READ), ERROR_SUCCESS);
  const HKEY before = key.Get();
  EXPECT_EQ(key.Open(HKEY_CURRENT_USER, (scratch.Path() + "\\Missing").c_str(), KEY_READ), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(key);
  EXPECT_EQ(key.ReadString("Any", 16), std::nullopt);
  EXPECT_EQ(key.ReadDword("Any"), std::nullopt);
  EXPECT_NE(key.WriteDword("Any", 1), ERROR_SUCCESS);
  // The key held before the failed open was closed.
  EXPECT_NE(RegQueryInfoKeyA(before, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                             nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
}

bool KeyIsOpen(HKEY key) {
  return RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                          nullptr, nullptr) == ERROR_SUCCESS;
}

TEST(RegistryKey, AMovedKeyIsClosedOnceByItsLastOwner) {
  TempRegistryKey scratch;
  HKEY raw = nullptr;
  {
    RegistryKey last;
    {
      RegistryKey first;
      ASSERT_EQ(first.Open(HKEY_CURRENT_USER, scratch.Path().c_str(), KEY_READ), ERROR_SUCCESS);
      raw = first.Get();
      RegistryKey middle(std::move(first));
      EXPECT_FALSE(first);
      last = std::move(middle);
      EXPECT_FALSE(middle);
    }
    EXPECT_EQ(last.Get(), raw);
    EXPECT_TRUE(KeyIsOpen(raw)) << "the owners that gave it away closed nothing";
  }
  EXPECT_FALSE(KeyIsOpen(raw));
}

}  // namespace
}  // namespace vellora
