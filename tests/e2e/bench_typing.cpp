// Typing speed of the output path under Wine: 10 000 characters typed by
// ProcessOutputQueue against a bare keybd_event loop over the very same key
// events (so the ratio is the path's own cost: queue, filter, key table), and
// the latency from setting "EventSarnuDataAvailable" to the last key event of
// a 13-character barcode, seen by a low-level keyboard hook in this process.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench_support.h"
#include "barcode.h"
#include "block_queue.h"
#include "key_output.h"
#include "key_table.h"
#include "settings.h"
#include "wedge_events.h"

namespace {

const size_t kTotalCharacters = 10000;
const size_t kBarcodeLength = 13;
const int kLatencyRounds = 300;
const size_t kChunks = 40;
const int kPasses = 1;

uint8_t g_suffixChar = 4;  // the laser appends nothing
uint8_t g_bufferType = 4;  // keys, not the clipboard

// What the hook thread counts. Written by the hook, read by the main thread
// after `g_seen` is set.
volatile LONG g_injected = 0;
volatile LONG g_wanted = 0;
LONGLONG g_lastEventTime = 0;
HANDLE g_seen = nullptr;
HANDLE g_hookReady = nullptr;
HANDLE g_sinkIdle = nullptr;
DWORD g_hookThreadId = 0;
HWND g_sink = nullptr;

LRESULT CALLBACK CountKeys(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION) {
    const KBDLLHOOKSTRUCT* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    if (key->flags & LLKHF_INJECTED) {
      const LONG n = InterlockedIncrement(&g_injected);
      if (n == g_wanted) {
        g_lastEventTime = BenchNow();
        SetEvent(g_seen);
      }
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Owns the window that takes the typed keys and, on request, the hook; both
// need a thread that pumps messages and injects nothing itself. Sets
// `g_sinkIdle` whenever its queue is empty, so that one run's keys are
// consumed before the next run is timed.
DWORD WINAPI SinkThread(void* wantHook) {
  g_sink = CreateWindowExW(WS_EX_TOPMOST, L"Static", L"typing bench", WS_POPUP | WS_VISIBLE, 0, 0,
                           64, 64, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  HHOOK hook = nullptr;
  if (wantHook) hook = SetWindowsHookExW(WH_KEYBOARD_LL, CountKeys, GetModuleHandleW(nullptr), 0);
  MSG msg;
  PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the queue exists before "ready"
  SetEvent(g_hookReady);
  for (bool running = true; running;) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        running = false;
        break;
      }
      DispatchMessageW(&msg);
    }
    if (!running) break;
    SetEvent(g_sinkIdle);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, INFINITE, QS_ALLINPUT);
  }
  if (hook) UnhookWindowsHookEx(hook);
  DestroyWindow(g_sink);
  return hook || !wantHook ? 0 : 1;
}

HANDLE StartSink(bool wantHook) {
  ResetEvent(g_hookReady);
  HANDLE thread =
      CreateThread(nullptr, 0, SinkThread, wantHook ? &g_sink : nullptr, 0, &g_hookThreadId);
  if (thread) WaitForSingleObject(g_hookReady, 10000);
  if (g_sink) {
    SetForegroundWindow(g_sink);
    for (int i = 0; i < 200 && GetForegroundWindow() != g_sink; ++i) Sleep(5);
  }
  return thread;
}

// Waits until the sink has taken every key sent so far.
void DrainSink() {
  ResetEvent(g_sinkIdle);
  PostThreadMessageW(g_hookThreadId, WM_NULL, 0, 0);
  WaitForSingleObject(g_sinkIdle, 10000);
}

void StopSink(HANDLE thread) {
  PostThreadMessageW(g_hookThreadId, WM_QUIT, 0, 0);
  WaitForSingleObject(thread, 10000);
  CloseHandle(thread);
}

// Barcodes of 13 characters (the last one shorter) that together make
// exactly 10 000: digits, letters of both cases and shifted symbols.
std::vector<std::string> MakeBarcodes() {
  static const char kAlphabet[] = "0123456789ABCDEFabcdef-+./$%:";
  std::vector<std::string> barcodes;
  size_t made = 0;
  while (made < kTotalCharacters) {
    const size_t n = std::min(kBarcodeLength, kTotalCharacters - made);
    std::string b;
    for (size_t i = 0; i < n; ++i) b.push_back(kAlphabet[(made + i * 7) % (sizeof kAlphabet - 1)]);
    barcodes.push_back(b);
    made += n;
  }
  return barcodes;
}

// Queued as the read threads queue a read.
void QueueRead(std::string read) {
  Barcode barcode =
      MakeBarcode(g_settings->GetScannerType(), read.data(), read.size(), 0, g_suffixChar);
  PushBarcode(OutputQueue, barcode);
}

LONGLONG TypeThroughOutputPath(const std::vector<std::string>& barcodes) {
  for (const std::string& b : barcodes) QueueRead(b);
  const LONGLONG start = BenchNow();
  ProcessOutputQueue();
  return BenchNow() - start;
}

struct BareEvent {
  BYTE key;
  DWORD flags;
};

LONGLONG TypeBare(const std::vector<BareEvent>& events) {
  const LONGLONG start = BenchNow();
  for (const BareEvent& e : events) keybd_event(e.key, 0, e.flags, 0);
  return BenchNow() - start;
}

std::vector<BareEvent> BareEventsOf(const std::vector<std::string>& barcodes) {
  std::vector<BareEvent> out;
  for (const std::string& b : barcodes) {
    for (unsigned char c : b) {
      KeyEvent events[kMaxKeyEventsPerCharacter];
      const size_t n = KeyEventsForCharacter(c, events);
      for (size_t i = 0; i < n; ++i) {
        out.push_back({events[i].virtualKey, DWORD(events[i].up ? KEYEVENTF_KEYUP : 0)});
      }
    }
  }
  return out;
}

LONG EventCount(const std::string& text) {
  LONG total = 0;
  KeyEvent events[kMaxKeyEventsPerCharacter];
  for (unsigned char c : text) total += LONG(KeyEventsForCharacter(c, events));
  return total;
}

DWORD WINAPI RunOutputThread(void*) { return DWORD(OutputThread()); }

// Returns false when an event of a barcode never reached the hook.
bool MeasureLatency(std::vector<double>* latencies) {
  HANDLE data =
      CreateEventW(nullptr, FALSE, FALSE, reinterpret_cast<const WCHAR*>(kEventSarnuDataAvailable));
  HANDLE end = CreateEventW(nullptr, TRUE, FALSE, reinterpret_cast<const WCHAR*>(kEventSarnuEnd));
  HANDLE thread = CreateThread(nullptr, 0, RunOutputThread, nullptr, 0, nullptr);
  bool ok = data && end && thread;
  const std::string barcode = "4006381333931";
  const LONG perBarcode = EventCount(barcode);
  for (int round = 0; ok && round < kLatencyRounds; ++round) {
    ResetEvent(g_seen);
    g_injected = 0;
    g_wanted = perBarcode;
    QueueRead(barcode);
    const LONGLONG start = BenchNow();
    SetEvent(data);
    ok = WaitForSingleObject(g_seen, 5000) == WAIT_OBJECT_0;
    if (ok) latencies->push_back(BenchMicroseconds(g_lastEventTime - start));
    // The thread is waiting again before the next round starts: the hook
    // saw its last event, which it sends at the end of its pass.
    Sleep(0);
  }
  if (end) SetEvent(end);
  if (thread) {
    WaitForSingleObject(thread, 10000);
    CloseHandle(thread);
  }
  if (data) CloseHandle(data);
  if (end) CloseHandle(end);
  return ok;
}

}  // namespace

int main() {
  // A running wedge shares the named events; its output thread would type
  // our barcodes and EventSarnuEnd would stop it.
  if (FindWindowW(L"Sarnu", L"Sarnu")) {
    fprintf(stderr, "typing bench: a wedge is running; end it first\n");
    return 2;
  }
  // A simulated terminal of our own that was never set up has no reader, so
  // the settings are the defaults whatever SARNU.INI a test left behind.
  SetEnvironmentVariableW(L"SARNU_SIM_NAME", L"TypingBench");
  g_settings = new Settings();
  SetOutputBufferType(&g_bufferType);
  g_seen = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  g_hookReady = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  g_sinkIdle = CreateEventW(nullptr, TRUE, FALSE, nullptr);

  // Chunks of about 250 characters, whole barcodes each.
  const std::vector<std::string> barcodes = MakeBarcodes();
  std::vector<std::vector<std::string>> barcodeChunks(kChunks);
  for (size_t i = 0; i < barcodes.size(); ++i) {
    barcodeChunks[i * kChunks / barcodes.size()].push_back(barcodes[i]);
  }
  std::vector<std::vector<BareEvent>> bareChunks;
  for (const auto& c : barcodeChunks) bareChunks.push_back(BareEventsOf(c));

  // The two ways take turns chunk by chunk, each after the sink has caught
  // up, so that neither pays for the other's keys and a busy machine slows
  // both alike.
  HANDLE sink = StartSink(false);
  LONGLONG pathTicks = 0, bareTicks = 0;
  // This process's CPU time over the same spans; one chunk's is near the
  // clock's 10 ms step, so only the sums are divided.
  double pathCpu = 0, bareCpu = 0;
  for (int pass = 0; pass < kPasses; ++pass) {
    for (size_t chunk = 0; chunk < kChunks; ++chunk) {
      for (int half = 0; half < 2; ++half) {
        DrainSink();
        const double cpuStart = OwnCpuMicroseconds();
        if ((chunk + half) % 2 == 0) {
          pathTicks += TypeThroughOutputPath(barcodeChunks[chunk]);
          pathCpu += OwnCpuMicroseconds() - cpuStart;
        } else {
          bareTicks += TypeBare(bareChunks[chunk]);
          bareCpu += OwnCpuMicroseconds() - cpuStart;
        }
      }
    }
  }
  StopSink(sink);
  size_t events = 0;
  for (const auto& c : bareChunks) events += c.size();
  printf("typing: %zu characters (%zu key events) each way, in %zu alternating chunks\n",
         kTotalCharacters * kPasses, events * kPasses, kChunks * kPasses);
  printf("typing output path: %.0f us, bare keybd_event loop: %.0f us\n",
         BenchMicroseconds(pathTicks), BenchMicroseconds(bareTicks));
  printf("typing output-path/bare ratio: %.2f\n", double(pathTicks) / double(bareTicks));
  printf("typing output path CPU: %.0f ms, bare: %.0f ms; output-path/bare CPU time ratio: %.2f\n",
         pathCpu / 1000, bareCpu / 1000, bareCpu > 0 ? pathCpu / bareCpu : 0.0);

  sink = StartSink(true);
  std::vector<double> latencies;
  const bool seen = MeasureLatency(&latencies);
  StopSink(sink);
  if (!seen || latencies.empty()) {
    fprintf(stderr, "typing bench: the hook missed key events after %zu barcodes\n",
            latencies.size());
    return 1;
  }
  printf("latency: %zu barcodes of %zu characters, event to last key event (hook)\n",
         latencies.size(), kBarcodeLength);
  printf("latency median: %.0f us, p99: %.0f us\n", Percentile(latencies, 0.5),
         Percentile(latencies, 0.99));
  return 0;
}
