// Timing for the e2e benchmarks: the performance counter in microseconds,
// percentiles of a set of measurements, and the spans between the stamped
// wedge's stage stamps.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "stage_stamps.h"

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

// "median m (p10..p90 lo..hi of n)" of a set of measurements; of a few
// turns, that is their least and greatest.
inline std::string MedianAndSpread(const std::vector<double>& values, int decimals) {
  char text[128];
  std::snprintf(text, sizeof text, "median %.*f (p10..p90 %.*f..%.*f of %zu)", decimals,
                Percentile(values, 0.5), decimals, Percentile(values, 0.1), decimals,
                Percentile(values, 0.9), values.size());
  return text;
}

// The stamped wedge's stage table, mapped, its mapping in *mapping;
// `create`: made here, so that it outlives each stamped wedge. Null when it
// cannot be had.
inline StageStampTable* MapStageStamps(bool create, HANDLE* mapping) {
  *mapping = create ? CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                         sizeof(StageStampTable), SARNU_STAGE_STAMP_MAPPING)
                    : OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, SARNU_STAGE_STAMP_MAPPING);
  if (!*mapping) return nullptr;
  return static_cast<StageStampTable*>(
      MapViewOfFile(*mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(StageStampTable)));
}

// The time between two stamps; a benchmark numbers the moments outside the
// table (before the first stamp, after the last) itself.
struct StampSpan {
  const char* name;
  int from, to;
};

// One pass's microseconds of every span into `took`; `at(stage)` gives the
// moment's performance-counter ticks.
template <size_t N, typename At>
void AddSpans(const StampSpan (&spans)[N], At at, std::vector<double> (&took)[N]) {
  for (size_t i = 0; i < N; ++i) {
    took[i].push_back(BenchMicroseconds(at(spans[i].to) - at(spans[i].from)));
  }
}
