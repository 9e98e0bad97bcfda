#include "collector/CaptureRules.h"

#include <windows.h>

#include <cstring>

#include "store/LibraryFormat.h"
#include "store/StorageHandle.h"

namespace vellora::collector {

std::string TitleFromBox(const std::string& boxText) { return CutToBytes(boxText, kMaxTitleBytes); }

bool HasForbiddenCharacter(const std::string& title) {
  const UINT codePage = CP_ACP;
  for (size_t i = 0; i < title.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(title[i]);
    if (IsDBCSLeadByteEx(codePage, c) && i + 1 < title.size()) {
      ++i;  // the trail byte is part of this character
      continue;
    }
    if (c == '\\' || c == '/' || c == '!' || c == ':') return true;
  }
  return false;
}

LeafContent LinkContent(const std::string& link) {
  std::wstring wide = WideFromAnsi(link);
  LeafContent content;
  content.kind = kItemWebLink;
  uint32_t count = static_cast<uint32_t>(wide.size() * 2 + 2);
  content.bytes.resize(4 + count, '\0');
  std::memcpy(content.bytes.data(), &count, 4);
  if (!wide.empty()) std::memcpy(content.bytes.data() + 4, wide.data(), wide.size() * 2);
  return content;
}

}  // namespace vellora::collector
