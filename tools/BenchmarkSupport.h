#pragma once
// What the benchmark programs share: a stopwatch on the performance counter
// and a string table without texts (messages fall back to their own).
#include <windows.h>

#include "store/Services.h"

namespace vellora {

class Stopwatch {
 public:
  Stopwatch() {
    QueryPerformanceFrequency(&frequency_);
    Restart();
  }
  void Restart() { QueryPerformanceCounter(&start_); }
  double Milliseconds() const {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart - start_.QuadPart) / static_cast<double>(frequency_.QuadPart);
  }

 private:
  LARGE_INTEGER frequency_;
  LARGE_INTEGER start_;
};

class NoTexts : public TextSource {
 public:
  const char* Text(vellora::TextKey) const override { return nullptr; }
};

}  // namespace vellora
