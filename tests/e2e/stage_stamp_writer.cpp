// Linked into the benchmarks' builds of the wedge and the settings program:
// the stage stamps go into a shared table that the benchmark reads.
#include <windows.h>

#include "stage_stamps.h"

namespace {

StageStampTable* g_table = nullptr;

void WriteStamp(int stage) {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  g_table->stamp[stage] = now.QuadPart;
}

// Before the entry procedure runs: the table exists before any stage does.
const bool g_installed = [] {
  HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                      sizeof(StageStampTable), SARNU_STAGE_STAMP_MAPPING);
  if (!mapping) return false;
  g_table = static_cast<StageStampTable*>(
      MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(StageStampTable)));
  if (g_table) g_stageStampHook = WriteStamp;
  return g_table != nullptr;
}();

}  // namespace
