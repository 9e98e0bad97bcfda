#pragma once
// What the benchmark programs share: a stopwatch on the performance counter,
// the figures of repeated runs, the numbers given on the command line, and a
// string table without texts (messages fall back to their own).
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

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

// The first, average and worst of repeated runs.
struct Figures {
  double first = 0, total = 0, worst = 0;
  int runs = 0;
  void Add(double ms) {
    if (runs == 0) first = ms;
    total += ms;
    worst = std::max(worst, ms);
    ++runs;
  }
  double Average() const { return runs ? total / runs : 0; }
};

// The number after the option name on the command line, else fallback.
inline int ArgumentAfter(int argc, char** argv, const char* name, int fallback) {
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], name) == 0) return std::atoi(argv[i + 1]);
  return fallback;
}

class NoTexts : public TextSource {
 public:
  const char* Text(vellora::TextKey) const override { return nullptr; }
};

}  // namespace vellora
