// Timing for the e2e benchmarks: the performance counter in microseconds,
// the CPU time a process has used, percentiles of a set of measurements,
// and the spans between the stamped wedge's stage stamps.
#pragma once

#include <windows.h>
#include <winternl.h>

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

inline double FileTimeMicroseconds(const FILETIME& t) {
  ULARGE_INTEGER units;
  units.LowPart = t.dwLowDateTime;
  units.HighPart = t.dwHighDateTime;
  return double(units.QuadPart) / 10;
}

// User plus kernel time of this process so far, in microseconds.
inline double OwnCpuMicroseconds() {
  FILETIME created, ended, kernel, user;
  if (!GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user)) return 0;
  return FileTimeMicroseconds(kernel) + FileTimeMicroseconds(user);
}

// The same of another, running process; -1 when it is not running. Wine 8
// answers GetProcessTimes with the caller's own times whatever process the
// handle names, so the figure comes from the system's process list, which
// keeps the counters GetProcessTimes reads on Windows (the kernel's, in
// Wine). Both tick in the system clock's steps (10 ms under Wine), which is
// why a benchmark adds up a run of work before it divides.
inline double ProcessCpuMicroseconds(DWORD processId) {
  // The documented head of SYSTEM_PROCESS_INFORMATION, up to the times.
  struct ProcessEntry {
    ULONG nextEntryOffset;
    ULONG threadCount;
    LARGE_INTEGER reserved[3];
    LARGE_INTEGER createTime;
    LARGE_INTEGER userTime;
    LARGE_INTEGER kernelTime;
    UNICODE_STRING imageName;
    LONG basePriority;
    HANDLE processId;
  };
  static std::vector<char> list(1 << 20);
  ULONG used = 0;
  while (NtQuerySystemInformation(SystemProcessInformation, list.data(), ULONG(list.size()),
                                  &used) != 0) {
    if (list.size() >= (64u << 20)) return -1;
    list.resize(list.size() * 2);
  }
  for (size_t at = 0;;) {
    const auto* entry = reinterpret_cast<const ProcessEntry*>(list.data() + at);
    if (DWORD(reinterpret_cast<ULONG_PTR>(entry->processId)) == processId) {
      return double(entry->userTime.QuadPart + entry->kernelTime.QuadPart) / 10;
    }
    if (entry->nextEntryOffset == 0) return -1;
    at += entry->nextEntryOffset;
  }
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
