// Scanning speed of the whole wedge under Wine: barcodes fed to the
// simulated laser in one bulk run until they are typed into a window of
// this process, against the same key events injected bare from here (the
// baseline, measured in the same run), and the latency of single barcodes
// from entering the reader (which signals within its 2 ms poll) to the
// last typed character.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench_support.h"
#include "key_sink.h"
#include "key_table.h"
#include "sim_feed.h"
#include "wedge_session.h"

namespace {

const int kBarcodes = 1000;
const int kLatencyRounds = 200;

std::vector<std::string> Barcodes(char prefix, int count) {
  std::vector<std::string> out;
  char text[16];
  for (int i = 0; i < count; ++i) {
    std::snprintf(text, sizeof text, "%c0-%05d", prefix, i);
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

// Seconds from the first barcode fed until the sink holds `characters`.
bool TimeWedgeRun(KeySink& sink, const std::vector<std::string>& barcodes, size_t characters,
                  double* seconds) {
  sink.Clear();
  const LONGLONG start = BenchNow();
  if (SimFeedAll(barcodes) != barcodes.size()) return false;
  if (!sink.WaitForLength(characters, 10000)) return false;
  *seconds = BenchMicroseconds(sink.LastCharacterCounter() - start) / 1e6;
  return true;
}

bool TimeBareRun(KeySink& sink, const std::vector<std::string>& barcodes, size_t characters,
                 double* seconds) {
  sink.Clear();
  const LONGLONG start = BenchNow();
  for (const std::string& b : barcodes) InjectBare(b);
  if (!sink.WaitForLength(characters, 10000)) return false;
  *seconds = BenchMicroseconds(sink.LastCharacterCounter() - start) / 1e6;
  return true;
}

// One barcode at a time; `deliver` puts it in front of the reader or
// injects it bare. Microseconds until its last character arrived.
template <typename Deliver>
bool Latencies(KeySink& sink, char prefix, Deliver deliver, std::vector<double>* out) {
  for (const std::string& b : Barcodes(prefix, kLatencyRounds)) {
    sink.Clear();
    const LONGLONG start = BenchNow();
    if (!deliver(b)) return false;
    if (!sink.WaitForLength(b.size() + 1, 5000)) return false;
    out->push_back(BenchMicroseconds(sink.LastCharacterCounter() - start));
  }
  return true;
}

int Fail(const char* what) {
  std::fprintf(stderr, "scan bench: %s\n", what);
  return 1;
}

}  // namespace

int main() {
  WedgeSession session;
  std::string why;
  if (!session.Start("laser",
                     SessionIni("[BulkScanning]\r\nBulkEnable=1\r\nBulkActivationMode=0\r\n"
                                "BulkScannedListClearAfter=0\r\n"
                                "[BulkCounterWindow]\r\nCounterEnabled=0\r\n"),
                     &why)) {
    return Fail(why.c_str());
  }
  KeySink sink;
  if (!sink.Open()) return Fail("the key sink did not get the focus");

  const std::vector<std::string> wedgeBarcodes = Barcodes('W', kBarcodes);
  const std::vector<std::string> bareBarcodes = Barcodes('B', kBarcodes);
  const size_t characters = size_t(kBarcodes) * (wedgeBarcodes[0].size() + 1);
  double wedgeSeconds = 0, bareSeconds = 0;
  if (!TimeBareRun(sink, bareBarcodes, characters, &bareSeconds)) return Fail("bare run lost keys");
  session.Press();
  if (!WedgeSession::WaitScanning(true)) return Fail("the trigger started no scan");
  if (!TimeWedgeRun(sink, wedgeBarcodes, characters, &wedgeSeconds)) {
    return Fail("the wedge lost barcodes");
  }
  if (sink.Text().compare(0, 9, L"W0-00000\r") != 0) return Fail("the wedge typed something else");

  std::vector<double> wedgeLatency, bareLatency;
  const bool latencyOk =
      Latencies(
          sink, 'L', [](const std::string& b) { return SimQueueOne(b); }, &wedgeLatency) &&
      Latencies(
          sink, 'K',
          [](const std::string& b) {
            InjectBare(b);
            return true;
          },
          &bareLatency);
  session.Release();
  if (!latencyOk) return Fail("a single barcode never arrived");

  std::printf("scanning: %d barcodes of %zu characters in one bulk run\n", kBarcodes,
              wedgeBarcodes[0].size());
  std::printf("scanning wedge: %.0f barcodes/s, bare key injection: %.0f barcodes/s\n",
              kBarcodes / wedgeSeconds, kBarcodes / bareSeconds);
  std::printf("scanning wedge/bare time ratio: %.2f\n", wedgeSeconds / bareSeconds);
  std::printf("scan latency median: %.0f us, p99: %.0f us (reader to last typed character)\n",
              Percentile(wedgeLatency, 0.5), Percentile(wedgeLatency, 0.99));
  std::printf("bare latency median: %.0f us, p99: %.0f us; latency ratio: %.2f\n",
              Percentile(bareLatency, 0.5), Percentile(bareLatency, 0.99),
              Percentile(wedgeLatency, 0.5) / Percentile(bareLatency, 0.5));
  return session.Exit() ? 0 : Fail("the wedge did not exit cleanly");
}
