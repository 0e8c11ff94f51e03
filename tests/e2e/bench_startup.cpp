// Start-up times, each against a bare program started alternately the same
// way in the same run: the wedge from its process start to an active reader
// (the first scan possible) against a program that makes a hidden window
// and a tray icon and says so (no exit timed); the settings program to its
// sheet on the screen against a bare sheet of the same five templates.
#include <cstdio>
#include <vector>

#include "bench_support.h"
#include "settings_sheet.h"
#include "wedge_session.h"

namespace {

// A start's wall-clock and CPU time, microseconds; negative when it failed.
struct StartTime {
  double wall;
  double cpu;  // the program's user and kernel time when it was ready
};

// Microseconds from the start to a visible sheet; the program is then
// cancelled and awaited. Negative when no sheet appeared; `ticks` as below.
double TimeToSheet(const wchar_t* exe, LONGLONG ticks[2] = nullptr, double* cpu = nullptr) {
  Program program;
  const LONGLONG start = BenchNow();
  if (!program.Start(exe)) return -1;
  HWND sheet = nullptr;
  PollUntil([&] { return (sheet = FindSheet(program.Id())) != nullptr; }, 20000);
  const LONGLONG shown = BenchNow();
  if (cpu) *cpu = ProcessCpuMicroseconds(program.Id());
  if (ticks) {
    ticks[0] = start;
    ticks[1] = shown;
  }
  if (!sheet) return -1;
  PostMessageW(sheet, WM_COMMAND, IDCANCEL, 0);
  program.WaitForExit(10000);
  return BenchMicroseconds(shown - start);
}

// Microseconds from the start to the reader's activation signal (the bare
// tray program's icon for it); a wedge is then asked to exit and awaited.
// `ticks` gets both moments.
double TimeToActiveReader(HANDLE started, const wchar_t* exe = L"Sarnu.exe",
                          LONGLONG ticks[2] = nullptr, double* cpu = nullptr) {
  Program wedge;
  WaitForSingleObject(started, 0);  // drained: only this start's signal counts
  const LONGLONG start = BenchNow();
  if (!wedge.Start(exe)) return -1;
  const bool active = WaitForSingleObject(started, 20000) == WAIT_OBJECT_0;
  const LONGLONG at = BenchNow();
  if (cpu) *cpu = ProcessCpuMicroseconds(wedge.Id());
  if (ticks) {
    ticks[0] = start;
    ticks[1] = at;
  }
  if (HWND window = FindProcessWindow(wedge.Id(), L"Sarnu", nullptr, false)) {
    PostMessageW(window, WM_COMMAND, 40002, 0);  // Exit
  } else if (HWND bare = FindProcessWindow(wedge.Id(), L"BareTray", nullptr, false)) {
    PostMessageW(bare, WM_CLOSE, 0, 0);
  }
  wedge.WaitForExit(10000);
  return active ? BenchMicroseconds(at - start) : -1;
}

// Medians of alternate timings, printed with the ratio of each pair's, in
// wall-clock time and in the CPU time each program had used when ready.
// The CPU times tick in 10 ms steps: a pair whose baseline read 0 gives no
// CPU ratio.
template <typename A, typename B>
bool CompareStarts(const char* what, const char* baseline, A timeA, B timeB) {
  const int kRuns = 10;
  std::vector<double> a, b, ratios, cpuA, cpuB, cpuRatios;
  timeA();  // the first start warms Wine's caches
  timeB();
  for (int i = 0; i < kRuns; ++i) {
    const StartTime x = timeA(), y = timeB();
    if (x.wall < 0 || y.wall < 0 || x.cpu < 0 || y.cpu < 0) return false;
    a.push_back(x.wall);
    b.push_back(y.wall);
    ratios.push_back(x.wall / y.wall);
    cpuA.push_back(x.cpu);
    cpuB.push_back(y.cpu);
    if (y.cpu > 0) cpuRatios.push_back(x.cpu / y.cpu);
  }
  printf("%s start median: %.1f ms, %s %.1f ms\n", what, Percentile(a, 0.5) / 1000, baseline,
         Percentile(b, 0.5) / 1000);
  printf("%s start/%s ratio: %s\n", what, baseline, MedianAndSpread(ratios, 2).c_str());
  printf("%s start CPU median: %.0f ms, %s %.0f ms\n", what, Percentile(cpuA, 0.5) / 1000,
         baseline, Percentile(cpuB, 0.5) / 1000);
  if (cpuRatios.empty()) {
    printf("%s start/%s CPU time ratio: none (the baseline read 0 ms)\n", what, baseline);
  } else {
    printf("%s start/%s CPU time ratio: %s\n", what, baseline,
           MedianAndSpread(cpuRatios, 2).c_str());
  }
  return true;
}

StartTime ActiveReader(HANDLE started, const wchar_t* exe) {
  StartTime t;
  t.wall = TimeToActiveReader(started, exe, nullptr, &t.cpu);
  return t;
}

StartTime Sheet(const wchar_t* exe) {
  StartTime t;
  t.wall = TimeToSheet(exe, nullptr, &t.cpu);
  return t;
}

// Where a start goes: the stamped build started `kRuns` times by
// `startOnce(ticks)`, each span the median time between two stamps; -1 is
// the process start (which the bare program pays as well), kStampCount the
// end the caller waits for.
template <size_t N, typename Start>
bool PrintStartStages(const char* what, const StampSpan (&spans)[N], Start startOnce) {
  HANDLE mapping = nullptr;
  StageStampTable* table = MapStageStamps(true, &mapping);
  if (!table) return false;
  const int kRuns = 10;
  std::vector<double> took[N];
  LONGLONG ticks[2] = {};
  bool ok = startOnce(ticks) >= 0;  // warms Wine's caches
  for (int run = 0; ok && run < kRuns; ++run) {
    for (auto& stamp : table->stamp) stamp = 0;
    ok = startOnce(ticks) >= 0;
    AddSpans(
        spans,
        [&](int stage) {
          return stage < 0 ? ticks[0] : stage == kStampCount ? ticks[1] : table->stamp[stage];
        },
        took);
  }
  for (size_t i = 0; ok && i < N; ++i) {
    printf("%s start stage %-40s median %7.1f ms\n", what, spans[i].name,
           Percentile(took[i], 0.5) / 1000);
  }
  UnmapViewOfFile(table);
  CloseHandle(mapping);
  return ok;
}

const StampSpan kWedgeStages[] = {
    {"process start to the entry procedure", -1, kStartEntered},
    {"reader libraries loaded", kStartEntered, kStartLibraries},
    {"reader detected, SARNU.INI read", kStartLibraries, kStartSettings},
    {"window, hook and threads made", kStartSettings, kStartThreads},
    {"message loop takes the activation", kStartThreads, kStartActivating},
    {"reader activated", kStartActivating, kStampCount},
};

const StampSpan kSettingsStages[] = {
    {"process start to the entry procedure", -1, kSettingsEntered},
    {"reader detected, SARNU.INI read", kSettingsEntered, kSettingsRead},
    {"pages made", kSettingsRead, kSettingsPagesMade},
    {"sheet window made", kSettingsPagesMade, kSettingsSheetMade},
    {"menu bar, sheet fills the screen", kSettingsSheetMade, kSettingsSheetFitted},
    {"start page made and filled", kSettingsSheetFitted, kSettingsPageShown},
    {"sheet shown", kSettingsPageShown, kStampCount},
};

}  // namespace

int main() {
  if (!PrepareTerminal("laser", SessionIni(""))) return 1;
  HANDLE started = CreateEventW(nullptr, FALSE, FALSE, L"DataReader_Event_Started");
  HANDLE trayReady = CreateEventW(nullptr, FALSE, FALSE, L"SarnuBareTrayReady");
  const bool wedgeOk =
      started && trayReady &&
      CompareStarts(
          "wedge", "bare tray program", [&] { return ActiveReader(started, L"Sarnu.exe"); },
          [&] { return ActiveReader(trayReady, L"bare_tray.exe"); }) &&
      PrintStartStages("wedge", kWedgeStages, [&](LONGLONG ticks[2]) {
        return TimeToActiveReader(started, L"SarnuStamped.exe", ticks);
      });
  if (started) CloseHandle(started);
  if (trayReady) CloseHandle(trayReady);
  if (!wedgeOk) return 1;
  int status = 0;
  OnTerminalScreen(Screen::Common240x320, [&] {
    if (!CompareStarts("settings", "bare sheet", [] { return Sheet(L"SarnuSettings.exe"); },
                       [] { return Sheet(L"bare_sheet.exe"); }) ||
        !PrintStartStages("settings", kSettingsStages, [](LONGLONG ticks[2]) {
          return TimeToSheet(L"SarnuSettingsStamped.exe", ticks);
        })) {
      status = 1;
    }
  });
  return status;
}
