// Start-up times, each against a bare program started alternately the same
// way in the same run: the wedge from its process start to an active reader
// (the first scan possible) against a program that makes a hidden window
// and a tray icon and leaves its loop at once; the settings program to its
// sheet on the screen against a bare sheet of the same five templates.
#include <cstdio>
#include <vector>

#include "bench_support.h"
#include "settings_sheet.h"
#include "wedge_session.h"

namespace {

// Microseconds from the start to a visible sheet; the program is then
// cancelled and awaited. Negative when no sheet appeared.
double TimeToSheet(const wchar_t* exe) {
  Program program;
  const LONGLONG start = BenchNow();
  if (!program.Start(exe)) return -1;
  HWND sheet = nullptr;
  PollUntil([&] { return (sheet = FindSheet(program.Id())) != nullptr; }, 20000);
  const LONGLONG shown = BenchNow();
  if (!sheet) return -1;
  PostMessageW(sheet, WM_COMMAND, IDCANCEL, 0);
  program.WaitForExit(10000);
  return BenchMicroseconds(shown - start);
}

// Microseconds from the start to the reader's activation signal; the wedge
// is then asked to exit and awaited. `ticks` gets both moments.
double TimeToActiveReader(HANDLE started, const wchar_t* exe = L"Sarnu.exe",
                          LONGLONG ticks[2] = nullptr) {
  Program wedge;
  WaitForSingleObject(started, 0);  // drained: only this start's signal counts
  const LONGLONG start = BenchNow();
  if (!wedge.Start(exe)) return -1;
  const bool active = WaitForSingleObject(started, 20000) == WAIT_OBJECT_0;
  const LONGLONG at = BenchNow();
  if (ticks) {
    ticks[0] = start;
    ticks[1] = at;
  }
  if (HWND window = WaitForProcessWindow(wedge.Id(), L"Sarnu", nullptr, false, 5000)) {
    PostMessageW(window, WM_COMMAND, 40002, 0);  // Exit
  }
  wedge.WaitForExit(10000);
  return active ? BenchMicroseconds(at - start) : -1;
}

double TimeToExit(const wchar_t* exe) {
  Program program;
  const LONGLONG start = BenchNow();
  if (!program.Start(exe) || !program.WaitForExit(20000)) return -1;
  return BenchMicroseconds(BenchNow() - start);
}

// Medians of `runs` alternate timings, printed with their ratio.
template <typename A, typename B>
bool CompareStarts(const char* what, const char* baseline, A timeA, B timeB) {
  const int kRuns = 10;
  std::vector<double> a, b;
  timeA();  // the first start warms Wine's caches
  timeB();
  for (int i = 0; i < kRuns; ++i) {
    const double x = timeA(), y = timeB();
    if (x < 0 || y < 0) return false;
    a.push_back(x);
    b.push_back(y);
  }
  const double ma = Percentile(a, 0.5), mb = Percentile(b, 0.5);
  printf("%s start median: %.1f ms, %s %.1f ms\n", what, ma / 1000, baseline, mb / 1000);
  printf("%s start/%s ratio: %.2f\n", what, baseline, ma / mb);
  return true;
}

// Where the wedge's start goes: its stamped build started `kRuns` times,
// each span the median time between two stamps. The first span is the
// process start itself, which the bare tray program pays as well.
bool PrintStartStages(HANDLE started) {
  HANDLE mapping = nullptr;
  StageStampTable* table = MapStageStamps(true, &mapping);
  if (!table) return false;
  // -1 is the process start, kStampCount the reader active.
  const StampSpan spans[] = {
      {"process start to the entry procedure", -1, kStartEntered},
      {"reader libraries loaded", kStartEntered, kStartLibraries},
      {"reader detected, SARNU.INI read", kStartLibraries, kStartSettings},
      {"window, hook and threads made", kStartSettings, kStartThreads},
      {"message loop takes the activation", kStartThreads, kStartActivating},
      {"reader activated", kStartActivating, kStampCount},
  };
  const int kRuns = 10;
  std::vector<double> took[sizeof spans / sizeof spans[0]];
  TimeToActiveReader(started, L"SarnuStamped.exe");  // warms Wine's caches
  for (int run = 0; run < kRuns; ++run) {
    for (auto& stamp : table->stamp) stamp = 0;
    LONGLONG ticks[2] = {};
    if (TimeToActiveReader(started, L"SarnuStamped.exe", ticks) < 0) return false;
    AddSpans(
        spans,
        [&](int stage) {
          return stage < 0 ? ticks[0] : stage == kStampCount ? ticks[1] : table->stamp[stage];
        },
        took);
  }
  for (size_t i = 0; i < sizeof spans / sizeof spans[0]; ++i) {
    printf("wedge start stage %-40s median %7.1f ms\n", spans[i].name,
           Percentile(took[i], 0.5) / 1000);
  }
  UnmapViewOfFile(table);
  CloseHandle(mapping);
  return true;
}

}  // namespace

int main() {
  if (!PrepareTerminal("laser", SessionIni(""))) return 1;
  HANDLE started = CreateEventW(nullptr, FALSE, FALSE, L"DataReader_Event_Started");
  const bool wedgeOk =
      started && CompareStarts(
                     "wedge", "bare tray program", [&] { return TimeToActiveReader(started); },
                     [] { return TimeToExit(L"bare_tray.exe"); }) &&
      PrintStartStages(started);
  if (started) CloseHandle(started);
  if (!wedgeOk) return 1;
  int status = 0;
  OnTerminalScreen(Screen::Common240x320, [&] {
    if (!CompareStarts("settings", "bare sheet", [] { return TimeToSheet(L"SarnuSettings.exe"); },
                       [] { return TimeToSheet(L"bare_sheet.exe"); })) {
      status = 1;
    }
  });
  return status;
}
