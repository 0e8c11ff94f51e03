// Start-up of the settings program: from the process start to its sheet on
// the screen, against a bare sheet of the same five templates without page
// code, started alternately the same way on the same terminal screen.
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

}  // namespace

int main() {
  int status = 0;
  OnTerminalScreen(Screen::Common240x320, [&] {
    if (!PrepareTerminal("laser", SessionIni(""))) {
      status = 1;
      return;
    }
    const int kRuns = 10;
    std::vector<double> settings, bare;
    TimeToSheet(L"SarnuSettings.exe");  // the first start warms Wine's caches
    TimeToSheet(L"bare_sheet.exe");
    for (int i = 0; i < kRuns; ++i) {
      const double a = TimeToSheet(L"SarnuSettings.exe");
      const double b = TimeToSheet(L"bare_sheet.exe");
      if (a < 0 || b < 0) {
        status = 1;
        return;
      }
      settings.push_back(a);
      bare.push_back(b);
    }
    const double a = Percentile(settings, 0.5), b = Percentile(bare, 0.5);
    printf("settings start median: SarnuSettings %.1f ms, bare sheet %.1f ms\n", a / 1000,
           b / 1000);
    printf("settings start SarnuSettings/bare sheet ratio: %.2f\n", a / b);
  });
  return status;
}
