// The scan log on Win32: lines made on the reading and output threads,
// queued, and written once a second by ScanLogThread.
#include <windows.h>

#include <cstring>
#include <iterator>

#include "barcode.h"
#include "block_queue.h"
#include "file_io.h"
#include "lock.h"
#include "long_threads.h"
#include "scan_log.h"
#include "settings.h"
#include "settings_records.h"
#include "short_threads.h"
#include "symbology_ids.h"
#include "thread_priority.h"

namespace {

// The longest line: a whole barcode as UTF-8 with every quote doubled.
enum : size_t { kLineBytes = 3 * 8192 + 1024 };

// Lines made but not yet written. Its blocks are one page: a line is small,
// and a terminal that logs nothing keeps little.
BlockQueue& LogQueue() {
  static BlockQueue queue;
  static const int built = queue.Construct(1);
  (void)built;
  return queue;
}

// One line at a time is formatted into the buffer; never on the stack,
// which is small on the terminal.
Lock& LineLock() {
  static Lock lock;
  return lock;
}
char g_line[kLineBytes];

// ScanLogPath, or SARNULOG.CSV in the folder of SARNU.INI; read under the
// records lock, as a reload may change it.
bool LogPath(char16_t* path, size_t units, size_t* maxBytes) {
  LockHolder hold(RecordsLock());
  const Settings* settings = g_settings;
  if (!settings) return false;
  *maxBytes = size_t(settings->ScanLogMaxKB) * 1024;
  const char16_t* given = settings->ScanLogPath.Wide;
  const char16_t* ini = settings->TempCopyActive ? settings->SavedIniPath : settings->IniPath;
  const char16_t* from = given[0] ? given : ini;
  if (!from) return false;
  size_t n = 0, folder = 0;
  for (; from[n] && n + 1 < units; ++n) {
    path[n] = from[n];
    if (from[n] == u'\\') folder = n + 1;
  }
  path[n] = 0;
  if (given[0]) return true;
  const char16_t name[] = u"SARNULOG.CSV";
  if (folder + std::size(name) > units) return false;
  std::memcpy(path + folder, name, sizeof name);
  return true;
}

// Appends a batch; a file that this batch would take past `maxBytes` is
// first moved to the same name with ".old" (the older one dropped), and a new
// file starts with the header.
void Append(const char16_t* path, const char* data, size_t size, size_t maxBytes) {
  if (size == 0) return;
  uint32_t attributes = 0;
  bool exists = FileGetAttributes(path, &attributes);
  size_t before = 0;
  if (exists && maxBytes != 0 && FileAppend(path, "", 0, &before) && before + size > maxBytes) {
    char16_t old[MAX_PATH + 4];
    size_t n = 0;
    while (path[n] && n < MAX_PATH) old[n] = path[n], ++n;
    std::memcpy(old + n, u".old", 5 * sizeof(char16_t));
    FileDelete(old);
    exists = !FileMoveOver(path, old);
  }
  if (!exists) FileAppend(path, kScanLogHeader, std::strlen(kScanLogHeader), nullptr);
  FileAppend(path, data, size, nullptr);
}

// Everything queued, in as few writes as the batch buffer allows.
void WriteQueued() {
  BlockQueue& queue = LogQueue();
  if (queue.IsEmpty()) return;
  static char batch[64 * 1024];
  static_assert(sizeof batch >= kLineBytes, "a line fits a batch");
  char16_t path[MAX_PATH];
  size_t maxBytes = 0;
  const bool named = LogPath(path, MAX_PATH, &maxBytes);
  size_t used = 0;
  for (;;) {
    size_t length = 0;
    char* line = queue.PopFront(&length);
    if (!line) break;
    if (used + length > sizeof batch) {
      if (named) Append(path, batch, used, maxBytes);
      used = 0;
    }
    std::memcpy(batch + used, line, length);
    used += length;
    queue.Release(line);
  }
  if (named) Append(path, batch, used, maxBytes);
}

}  // namespace

void LogScan(const Barcode& barcode, ScanOutcome outcome, const char16_t* program,
             const char16_t* profile) {
  const Settings* settings = g_settings;
  if (!settings || !settings->ScanLog) return;
  SYSTEMTIME now;
  GetLocalTime(&now);
  const SymbologyId id = SymbologyIdOf(settings->ScannerType, barcode.type, barcode.fnc1First);
  const ScanLogRecord record = {now.wYear,
                                now.wMonth,
                                now.wDay,
                                now.wHour,
                                now.wMinute,
                                now.wSecond,
                                now.wMilliseconds,
                                settings->ScannerType,
                                barcode.type,
                                id.text,
                                program ? program : u"",
                                profile ? profile : u"",
                                outcome,
                                barcode.text ? barcode.text : "",
                                barcode.text ? barcode.length : 0,
                                settings->ScanLogData != 0};
  LockHolder hold(LineLock());
  const size_t length = FormatScanLogLine(record, g_line, sizeof g_line);
  // A line that cannot be stored is lost; the barcode is not held up for it.
  if (length) LogQueue().Push(g_line, length);
}

namespace {

int ScanLogThread(void*) {
  SetThreadPriorityCe(5);
  ThreadEvents events(L"ScanLogThread\r\nEvent\r\nERROR!", {});
  if (!events.Ready()) return 0;
  events.waitMs = 1000;
  const ThreadEvents::LoopEnd how = events.Loop([](size_t) {
    WriteQueued();
    return true;
  });
  WriteQueued();
  return how == ThreadEvents::LoopEnd::kFailed ? 0 : 1;
}

}  // namespace

void StartScanLogWhenWanted() {
  static volatile LONG started = 0;
  const Settings* settings = g_settings;
  if (!settings || !settings->ScanLog || InterlockedExchange(&started, 1) != 0) return;
  if (!StartShortThread(ScanLogThread)) InterlockedExchange(&started, 0);
}
