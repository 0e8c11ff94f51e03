// Timing for the e2e benchmarks: the performance counter in microseconds and
// percentiles of a set of measurements.
#pragma once

#include <windows.h>

#include <algorithm>
#include <vector>

inline LONGLONG BenchNow() {
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return t.QuadPart;
}

inline double BenchMicroseconds(LONGLONG ticks) {
  static const double frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return double(f.QuadPart);
  }();
  return double(ticks) * 1e6 / frequency;
}

// The value below which `fraction` of them lie (nearest rank).
inline double Percentile(std::vector<double> values, double fraction) {
  std::sort(values.begin(), values.end());
  const size_t index = size_t(fraction * double(values.size() - 1) + 0.5);
  return values[std::min(index, values.size() - 1)];
}
