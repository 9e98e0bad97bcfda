#pragma once
// The helpers that fetch and format the string-table texts of the views.
#include <string>

#include "store/Services.h"

namespace vellora {

// The text under key (or the fallback) with one %s or %d filled in.
std::string FormatText(const TextSource& texts, TextKey key, const char* fallback, const std::string& argument);
std::string FormatText(const TextSource& texts, TextKey key, const char* fallback, int argument);

}  // namespace vellora
