// simterm wait: blocks until the terminal reaches a state (a log line, an empty queue, a
// scan running or stopped) or a time-out passes, so tests poll instead of sleeping.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "sim_state.h"
#include "simterm.h"

namespace {

constexpr uint32_t kDefaultTimeoutMs = 5000;
constexpr DWORD kPollMs = 10;

struct WaitRequest {
  const char* what;  // "log", "queue-empty", "scanning"
  const char* text;  // log: the text to find; scanning: "on" or "off"
  uint32_t since;
  uint32_t timeout;
};

// 1 when the condition holds now; a found log line is printed.
int Holds(const WaitRequest& w) {
  SimLock lock;
  if (!lock) return 0;
  const SimState* s = lock.get();
  if (strcmp(w.what, "log") == 0) {
    const uint32_t written = s->log_written;
    const uint32_t first = written > kSimLogSize ? written - kSimLogSize : 0;
    for (uint32_t n = first; n < written; ++n) {
      const SimLogLine& line = s->log[n % kSimLogSize];
      if (line.stamp >= w.since && strstr(line.text, w.text)) {
        printf("%u %s\n", static_cast<unsigned>(line.stamp), line.text);
        return 1;
      }
    }
    return 0;
  }
  if (strcmp(w.what, "queue-empty") == 0) return s->queue_count == 0 && !s->laser.pending;
  const bool scanning = s->laser.running || s->imager.decoding > 0;
  return scanning == (strcmp(w.text, "on") == 0);
}

int ParseWait(int argc, char** argv, WaitRequest* w) {
  if (argc < 1) return 0;
  w->what = argv[0];
  int i = 1;
  if (strcmp(w->what, "log") == 0 || strcmp(w->what, "scanning") == 0) {
    if (argc < 2) return 0;
    w->text = argv[1];
    i = 2;
    if (w->what[0] == 's' && strcmp(w->text, "on") != 0 && strcmp(w->text, "off") != 0) return 0;
  } else if (strcmp(w->what, "queue-empty") != 0) {
    return 0;
  }
  for (; i < argc; ++i) {
    if (i + 1 >= argc) return 0;
    if (strcmp(argv[i], "--timeout") == 0) {
      if (!ParseUnsigned(argv[++i], 0x7FFFFFFF, &w->timeout)) return 0;
    } else if (strcmp(argv[i], "--since") == 0 && w->what[0] == 'l') {
      if (!ParseUnsigned(argv[++i], 0xFFFFFFFFu, &w->since)) return 0;
    } else {
      return 0;
    }
  }
  return 1;
}

}  // namespace

int CmdWait(int argc, char** argv) {
  WaitRequest w = {"", "", 0, kDefaultTimeoutMs};
  if (!ParseWait(argc, argv, &w)) {
    return Complain(kExitUsage,
                    "wait takes: log TEXT [--since MS] [--timeout MS] | queue-empty "
                    "[--timeout MS] | scanning on|off [--timeout MS]");
  }
  const ULONGLONG start = GetTickCount64();
  for (;;) {
    if (Holds(w)) return kExitOk;
    if (GetTickCount64() - start >= w.timeout) break;
    Sleep(kPollMs);
  }
  return Complain(kExitFailed, "timed out after %u ms waiting for %s %s",
                  static_cast<unsigned>(w.timeout), w.what, w.text);
}
