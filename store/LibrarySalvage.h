#pragma once
// Saves what can be read of a damaged library into a new library file. The
// damaged file is read by our own reader only (never by the platform, whose
// look-ups a damaged directory can make loop), element by element: each
// storage reached once, no deeper than the walk limit, each stream only when
// every byte of it lies in its own sound chain.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "store/CompoundFileCheck.h"

namespace vellora {

struct SalvageResult {
  HRESULT result = E_FAIL;       // of creating and committing the new file
  CompoundFileReport check;      // what the check found in the damaged file
  uint32_t storages = 0;         // saved
  uint32_t streams = 0;          // saved
  std::vector<std::string> lost; // paths of the elements left behind
  // A few lines for the user: how much was saved, what was left behind.
  std::string Summary(size_t maxLost = 8) const;
};

// target is created (replacing a file of that name) and must not be source.
SalvageResult SalvageLibrary(const std::string& source, const std::string& target);

}  // namespace vellora
