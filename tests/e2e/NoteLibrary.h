// Text leaves written straight into a library folder, for the tests that
// open the library afterwards in the program or its frame.
#pragma once
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "store/LibraryFormat.h"
#include "store/StorageHandle.h"

namespace vtest {

// A text leaf whose note is rtf; protected when password is given.
inline void AddNote(const vellora::StorageHandle& parent, const char* name, int32_t sequence, const std::string& rtf,
                    const char* password = nullptr) {
  vellora::NodeInfoRecord record;
  record.sequence = sequence;
  record.kind = vellora::kItemText;
  if (password) {
    record.flags = vellora::kPasswordFlag;
    record.SetPassword(password);
  }
  ASSERT_HRESULT_SUCCEEDED(
      vellora::CreateLeafNode(parent, name, record, rtf.data(), static_cast<ULONG>(rtf.size())));
}

}  // namespace vtest
