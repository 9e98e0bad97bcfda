#include "views/ViewTexts.h"

#include <cstdio>
#include <vector>

namespace vellora {

namespace {

// The table's texts are data: a placeholder other than the one expected is
// never handed to printf.
bool HasOnly(const std::string& format, char kind) {
  int found = 0;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%') continue;
    if (i + 1 < format.size() && format[i + 1] == '%') {
      ++i;
      continue;
    }
    if (i + 1 >= format.size() || format[i + 1] != kind) return false;
    ++found;
  }
  return found <= 1;
}

template <class T>
std::string Format(const TextSource& texts, TextKey key, const char* fallback, char kind, T argument) {
  std::string format = texts.TextOr(key, fallback);
  if (!HasOnly(format, kind)) format = fallback;
  int n = std::snprintf(nullptr, 0, format.c_str(), argument);
  if (n < 0) return format;
  std::vector<char> out(static_cast<size_t>(n) + 1);
  std::snprintf(out.data(), out.size(), format.c_str(), argument);
  return std::string(out.data(), static_cast<size_t>(n));
}

}  // namespace

std::string FormatText(const TextSource& texts, TextKey key, const char* fallback, const std::string& argument) {
  return Format(texts, key, fallback, 's', argument.c_str());
}

std::string FormatText(const TextSource& texts, TextKey key, const char* fallback, int argument) {
  return Format(texts, key, fallback, 'd', argument);
}

}  // namespace vellora
