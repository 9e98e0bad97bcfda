// The rules a capture must pass before it is written, and the content of an
// address-only node.
#pragma once
#include <string>

#include "collector/TargetLibrary.h"

namespace vellora::collector {

// A new node's title holds at most this many bytes of the Title box.
inline constexpr size_t kMaxTitleBytes = 30;

// The first bytes of the box text that make the title, never half a
// double-byte character.
std::string TitleFromBox(const std::string& boxText);
// True when the title holds one of \ / ! : as a character of its own (the
// second byte of a double-byte character does not count).
bool HasForbiddenCharacter(const std::string& title);
// A web address node: the link as one counted string.
LeafContent LinkContent(const std::string& link);

}  // namespace vellora::collector
