// Scanning speed of the whole wedge under Wine: barcodes fed to the
// simulated laser in one bulk run until they are typed into a window of
// this process, against the same key events injected bare from here (the
// baseline, measured in the same run), the latency of single barcodes from
// entering the reader to the last typed character, taken in turns with bare
// injection, and where that latency goes, stage by stage, in the wedge's
// stamped build. Beside each time ratio stands the ratio of CPU time spent
// on the same barcodes: the wedge's and this process's (whose window takes
// the keys) against this process's alone when it injects them bare.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "bench_support.h"
#include "key_sink.h"
#include "key_table.h"
#include "sim_log.h"
#include "sim_feed.h"
#include "stage_stamps.h"
#include "wedge_session.h"

namespace {

// Turns of a bare run and a wedge run of this many barcodes each, one after
// the other, until the median ratio settles: a single pair measures
// whatever else the machine did at the time.
const int kBarcodes = 500;
const int kMinTurns = 5;
const int kMaxTurns = 9;
// Settled: one more turn moved the median by less than this share.
const double kSettled = 0.02;
const int kLatencyRounds = 200;

// Eight characters each; `set` keeps the turns' barcodes apart, since the
// held bulk run refuses duplicates.
std::vector<std::string> Barcodes(char prefix, int count, int set = 0) {
  std::vector<std::string> out;
  char text[16];
  for (int i = 0; i < count; ++i) {
    std::snprintf(text, sizeof text, "%c%d-%05d", prefix, set % 10, i);
    out.push_back(text);
  }
  return out;
}

// What the wedge sends for a barcode and its Enter suffix, as bare events.
void InjectBare(const std::string& barcode) {
  KeyEvent events[kMaxKeyEventsPerCharacter];
  const std::string typed = barcode + "\r";
  for (unsigned char c : typed) {
    const size_t n = KeyEventsForCharacter(c, events);
    for (size_t i = 0; i < n; ++i) {
      keybd_event(events[i].virtualKey, 0, events[i].up ? KEYEVENTF_KEYUP : 0, 0);
    }
  }
}

// The wedge's process, whose CPU time counts with this one's; 0 in bare
// runs.
DWORD g_wedgeId = 0;

// CPU microseconds used so far by this process and the wedge, when given.
double CpuNow(DWORD wedge) {
  const double own = OwnCpuMicroseconds();
  const double wedgeCpu = wedge ? ProcessCpuMicroseconds(wedge) : 0;
  return own + (wedgeCpu > 0 ? wedgeCpu : 0);
}

// Seconds from the first barcode fed until the sink holds `characters`;
// *cpu the CPU microseconds of the run.
bool TimeWedgeRun(KeySink& sink, const std::vector<std::string>& barcodes, size_t characters,
                  double* seconds, double* cpu) {
  sink.Clear();
  const double cpuStart = CpuNow(g_wedgeId);
  const LONGLONG start = BenchNow();
  if (SimFeedAll(barcodes) != barcodes.size()) return false;
  if (!sink.WaitForLength(characters, 10000)) return false;
  *seconds = BenchMicroseconds(sink.LastCharacterCounter() - start) / 1e6;
  *cpu = CpuNow(g_wedgeId) - cpuStart;
  return true;
}

bool TimeBareRun(KeySink& sink, const std::vector<std::string>& barcodes, size_t characters,
                 double* seconds, double* cpu) {
  sink.Clear();
  const double cpuStart = CpuNow(0);
  const LONGLONG start = BenchNow();
  for (const std::string& b : barcodes) InjectBare(b);
  if (!sink.WaitForLength(characters, 10000)) return false;
  *seconds = BenchMicroseconds(sink.LastCharacterCounter() - start) / 1e6;
  *cpu = CpuNow(0) - cpuStart;
  return true;
}

// Microseconds from handing one barcode over until its last character
// arrived.
template <typename Deliver>
bool Latency(KeySink& sink, const std::string& barcode, Deliver deliver, double* out) {
  sink.Clear();
  const LONGLONG start = BenchNow();
  if (!deliver(barcode)) return false;
  if (!sink.WaitForLength(barcode.size() + 1, 5000)) return false;
  *out = BenchMicroseconds(sink.LastCharacterCounter() - start);
  return true;
}

// Rounds whose CPU time is added up into one CPU ratio: one barcode's is
// far below the clock's 10 ms step.
const int kCpuBlock = 20;

// Single barcodes through the wedge and bare, taken in turns, so that both
// see the machine in the same state (Wine stays busy for a few seconds
// after a long run). *cpuRatios gets the wedge's CPU time against bare's
// over each block of rounds.
bool Latencies(KeySink& sink, std::vector<double>* wedge, std::vector<double>* bare,
               std::vector<double>* cpuRatios) {
  const std::vector<std::string> wedgeBarcodes = Barcodes('L', kLatencyRounds);
  const std::vector<std::string> bareBarcodes = Barcodes('K', kLatencyRounds);
  // The wedge's own CPU is read over a whole block, since it works on in
  // the background; this process's only over each of its windows.
  double wedgeAtBlock = ProcessCpuMicroseconds(g_wedgeId);
  double ownWedge = 0, ownBare = 0;
  for (int i = 0; i < kLatencyRounds; ++i) {
    double w = 0, b = 0;
    const double beforeWedge = OwnCpuMicroseconds();
    if (!Latency(sink, wedgeBarcodes[i], [](const std::string& t) { return SimQueueOne(t); }, &w)) {
      return false;
    }
    const double beforeBare = OwnCpuMicroseconds();
    ownWedge += beforeBare - beforeWedge;
    if (!Latency(sink, bareBarcodes[i],
                 [](const std::string& t) {
                   InjectBare(t);
                   return true;
                 },
                 &b)) {
      return false;
    }
    ownBare += OwnCpuMicroseconds() - beforeBare;
    wedge->push_back(w);
    bare->push_back(b);
    if ((i + 1) % kCpuBlock == 0) {
      const double wedgeNow = ProcessCpuMicroseconds(g_wedgeId);
      if (ownBare > 0 && wedgeAtBlock >= 0 && wedgeNow >= 0) {
        cpuRatios->push_back((wedgeNow - wedgeAtBlock + ownWedge) / ownBare);
      }
      wedgeAtBlock = wedgeNow;
      ownWedge = ownBare = 0;
    }
  }
  return true;
}

int Fail(const char* what) {
  std::fprintf(stderr, "scan bench: %s\n", what);
  return 1;
}

// Where one barcode's latency goes: single barcodes through the wedge's
// stamped build, each stage the median time from the stage before.
bool PrintStageBreakdown(KeySink& sink) {
  HANDLE mapping = nullptr;
  StageStampTable* table = MapStageStamps(false, &mapping);
  if (!table) return false;
  // -1 is the moment the barcode was queued to the reader, kStageCount the
  // arrival of its last character.
  const StampSpan spans[] = {
      {"barcode queued to reader signal (the simulator)", -1, kStageReaderSignal},
      {"reader signal to LzrReadThread awake", kStageReaderSignal, kStageReaderAwake},
      {"read and AcceptBarcode until queued for output", kStageReaderAwake, kStageQueued},
      {"good-read thread start (beside the output)", kStageNotifyStart, kStageNotifyStarted},
      {"queued to OutputThread awake", kStageQueued, kStageOutputAwake},
      {"filter", kStageOutputAwake, kStageFiltered},
      {"key events sent", kStageFiltered, kStageKeysSent},
      {"last key event to its arrival", kStageKeysSent, kStageCount},
  };
  const size_t kSpans = sizeof spans / sizeof spans[0];
  std::vector<double> took[kSpans];
  std::vector<double> whole;
  for (const std::string& b : Barcodes('S', 100)) {
    for (auto& stamp : table->stamp) stamp = 0;
    sink.Clear();
    const LONGLONG queued = BenchNow();
    if (!SimQueueOne(b) || !sink.WaitForLength(b.size() + 1, 5000)) return false;
    const LONGLONG arrived = sink.LastCharacterCounter();
    auto at = [&](int stage) {
      return stage < 0 ? queued : stage == kStageCount ? arrived : LONGLONG(table->stamp[stage]);
    };
    AddSpans(spans, at, took);
    whole.push_back(BenchMicroseconds(arrived - queued));
  }
  double total = 0;
  for (size_t i = 0; i < kSpans; ++i) {
    const double median = Percentile(took[i], 0.5);
    if (spans[i].from != kStageNotifyStart) total += median;
    std::printf("scan stage %-50s median %7.0f us\n", spans[i].name, median);
  }
  std::printf("scan stages on the output's road, sum of medians: %.0f us; whole latency median "
              "%.0f us\n",
              total, Percentile(whole, 0.5));
  UnmapViewOfFile(table);
  CloseHandle(mapping);
  return true;
}

// Each sample of `a` against the one of `b` taken in the same turn.
std::vector<double> Ratios(const std::vector<double>& a, const std::vector<double>& b) {
  std::vector<double> ratios;
  for (size_t i = 0; i < a.size() && i < b.size(); ++i) ratios.push_back(a[i] / b[i]);
  return ratios;
}

// "WHAT CPU time ratio: median m (p10..p90 lo..hi of n)".
void PrintCpuRatio(const char* what, const std::vector<double>& ratios) {
  if (ratios.empty()) {
    std::printf("%s CPU time ratio: none (the bare side read 0 ms)\n", what);
  } else {
    std::printf("%s CPU time ratio: %s\n", what, MedianAndSpread(ratios, 2).c_str());
  }
}

const std::string kBulkIni =
    "[BulkScanning]\r\nBulkEnable=1\r\nBulkActivationMode=0\r\nBulkScannedListClearAfter=0\r\n"
    "[BulkCounterWindow]\r\nCounterEnabled=0\r\n";

}  // namespace

int main() {
  WedgeSession session;
  std::string why;
  if (!session.Start("laser", SessionIni(kBulkIni), &why)) {
    return Fail(why.c_str());
  }
  KeySink sink;
  if (!sink.Open()) return Fail("the key sink did not get the focus");

  g_wedgeId = session.Process().Id();
  session.Press();
  if (!WedgeSession::WaitScanning(true)) return Fail("the trigger started no scan");
  std::vector<double> ratios, wedgeRates, bareRates, cpuRatios;
  for (int turn = 0; turn < kMaxTurns; ++turn) {
    const std::vector<std::string> wedgeBarcodes = Barcodes('W', kBarcodes, turn);
    const std::vector<std::string> bareBarcodes = Barcodes('B', kBarcodes, turn);
    const size_t characters = size_t(kBarcodes) * (wedgeBarcodes[0].size() + 1);
    double wedge = 0, bare = 0, wedgeCpu = 0, bareCpu = 0;
    if (!TimeBareRun(sink, bareBarcodes, characters, &bare, &bareCpu)) {
      return Fail("bare run lost keys");
    }
    Sleep(2000);
    if (!TimeWedgeRun(sink, wedgeBarcodes, characters, &wedge, &wedgeCpu)) {
      return Fail("the wedge lost barcodes");
    }
    if (sink.Text().compare(0, 9, FromAnsi(wedgeBarcodes[0] + "\r")) != 0) {
      return Fail("the wedge typed something else");
    }
    Sleep(2000);
    const double before = ratios.empty() ? 0 : Percentile(ratios, 0.5);
    ratios.push_back(wedge / bare);
    if (bareCpu > 0) cpuRatios.push_back(wedgeCpu / bareCpu);
    wedgeRates.push_back(kBarcodes / wedge);
    bareRates.push_back(kBarcodes / bare);
    const double now = Percentile(ratios, 0.5);
    if (turn + 1 >= kMinTurns && now > 0 && std::abs(now - before) / now < kSettled) break;
  }

  std::vector<double> wedgeLatency, bareLatency, latencyCpuRatios;
  const bool latencyOk = Latencies(sink, &wedgeLatency, &bareLatency, &latencyCpuRatios);
  session.Release();
  if (!latencyOk) return Fail("a single barcode never arrived");

  // The same again with ten profiles that hold for other programs: every
  // barcode looks up the program in front and passes all ten. The new file
  // is taken while the wedge runs.
  std::string profiles;
  for (int i = 1; i <= 10; ++i) {
    profiles += "[Profile.P" + std::to_string(i) + "]\r\nPrograms=app" + std::to_string(i) +
                ".exe\r\nPreamble=P\r\n";
  }
  const long since = SimNow();
  if (!WriteWholeFile(WedgeIniPath(), SessionIni(kBulkIni + profiles)) ||
      !WaitForLog("DvcSetBootup 0x0", since, 10000)) {  // a reload hands the power-on keys on
    return Fail("the file with profiles was not taken");
  }
  session.Press();
  if (!WedgeSession::WaitScanning(true)) return Fail("the trigger started no scan");
  std::vector<double> profileLatency, profileBare, profileCpuRatios;
  const bool profilesOk = Latencies(sink, &profileLatency, &profileBare, &profileCpuRatios);
  session.Release();
  if (!profilesOk) return Fail("a single barcode never arrived with profiles");

  std::printf("scanning: %zu turns of %d barcodes of 8 characters in one bulk run, wedge and "
              "bare in turn\n",
              ratios.size(), kBarcodes);
  std::printf("scanning wedge: %s barcodes/s; bare key injection: %s barcodes/s\n",
              MedianAndSpread(wedgeRates, 0).c_str(),
              MedianAndSpread(bareRates, 0).c_str());
  std::printf("scanning wedge/bare time ratio: %s\n", MedianAndSpread(ratios, 2).c_str());
  PrintCpuRatio("scanning wedge/bare", cpuRatios);
  std::printf("scan latency median: %.0f us, p99: %.0f us (reader to last typed character)\n",
              Percentile(wedgeLatency, 0.5), Percentile(wedgeLatency, 0.99));
  const std::vector<double> latencyRatios = Ratios(wedgeLatency, bareLatency);
  std::printf("bare latency median: %.0f us, p99: %.0f us; latency ratio: %s\n",
              Percentile(bareLatency, 0.5), Percentile(bareLatency, 0.99),
              MedianAndSpread(latencyRatios, 2).c_str());
  const std::vector<double> profileRatios = Ratios(profileLatency, profileBare);
  PrintCpuRatio("scan latency wedge/bare", latencyCpuRatios);
  std::printf("scan latency, ten profiles that do not hold: median %.0f us; latency ratio: %s\n",
              Percentile(profileLatency, 0.5), MedianAndSpread(profileRatios, 2).c_str());
  PrintCpuRatio("scan latency, ten profiles, wedge/bare", profileCpuRatios);
  std::printf("ten profiles/none latency ratio: %.2f (each against bare in its turns)\n",
              Percentile(profileRatios, 0.5) / Percentile(latencyRatios, 0.5));
  if (!session.Exit()) return Fail("the wedge did not exit cleanly");

  WedgeSession stamped;
  stamped.program = L"SarnuStamped.exe";
  if (!stamped.Start("laser", SessionIni(kBulkIni), &why)) {
    return Fail(why.c_str());
  }
  if (!sink.Open()) return Fail("the key sink did not get the focus");
  stamped.Press();
  const bool stagesOk = PrintStageBreakdown(sink);
  stamped.Release();
  if (!stagesOk) return Fail("no stage stamps from the stamped wedge");
  return stamped.Exit() ? 0 : Fail("the stamped wedge did not exit cleanly");
}
