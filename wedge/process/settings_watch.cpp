// The watch over SARNU.INI: the folder's change notification on a thread of
// its own, and on the main window's thread the decision to read the file
// again.
#include "settings_watch.h"

#include <windows.h>

#include <cstdint>

#include "bulk_run.h"
#include "long_threads.h"
#include "process_globals.h"
#include "scan_device.h"
#include "settings_records.h"
#include "setup_programs.h"
#include "wedge_events.h"
#include "wedge_messages.h"

namespace {

// A product path's room, as the INI library keeps it.
const size_t kPathUnits = 260;

// Quiet time after the last change before the file is looked at: a copy in
// progress changes the folder again and again.
const DWORD kQuietMs = 500;

// A file that lacks a section of the file read last is taken only after it
// has stayed the same this long: a section dropped on purpose, not a copy
// that paused halfway.
const DWORD kShortFileSettleMs = 10000;

// Main window's thread only.
FileStamp g_short;  // the short file whose settling is timed
DWORD g_shortSince = 0;

// Whether a short file has stayed `stamp` for the settle time; its first
// look starts the clock.
bool ShortFileSettled(const FileStamp& stamp) {
  const DWORD tick = GetTickCount();
  if (!(g_short == stamp)) {
    g_short = stamp;
    g_shortSince = tick;
    return false;
  }
  return tick - g_shortSince >= kShortFileSettleMs;
}

bool RunUnderWay() {
  const ScanDevice* device = g_scanDevice;
  return (device && device->Scanning) || BulkCount.load() != 0;
}

// The folder part of `path`, in place; false when there is none.
bool CutToFolder(wchar_t* path) {
  wchar_t* last = nullptr;
  for (wchar_t* p = path; *p; ++p) {
    if (*p == L'\\') last = p;
  }
  if (!last) return false;
  *(last == path ? last + 1 : last) = 0;
  return true;
}

}  // namespace

void OnSettingsFileChanged() {
  if (MainWindow) KillTimer(MainWindow, kSettingsRetryTimer);
  // A reader that a client stopped or framed in camera mode stays as the
  // client left it; the start that ends that state reads the file anyway.
  const ScanDevice* device = g_scanDevice;
  if (!device || !device->IsOpen || device->InCamMode) return;
  const FileStamp now = SettingsFileStamp();
  if (!now.exists || now == SettingsFileReadStamp()) return;
  if (RunUnderWay()) {
    if (MainWindow) SetTimer(MainWindow, kSettingsRetryTimer, kQuietMs, nullptr);
    return;
  }
  bool whole = false;
  if (!SettingsFileHoldsSettings(&whole) || !(SettingsFileStamp() == now)) return;
  if (!whole && !ShortFileSettled(now)) {
    // No change of the folder may come: the rest of a copy does, a section
    // dropped on purpose does not.
    if (MainWindow) SetTimer(MainWindow, kSettingsRetryTimer, kQuietMs, nullptr);
    return;
  }
  ReloadSettingsFile();
}

int SettingsWatchThread() {
  wchar_t folder[kPathUnits];
  if (!SettingsFilePath(folder, kPathUnits) || !CutToFolder(folder)) return 0;
  HANDLE change = FindFirstChangeNotificationW(
      folder, FALSE,
      FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE);
  ThreadEvents events(nullptr, {change == INVALID_HANDLE_VALUE ? nullptr : change},
                      [](HANDLE h) { FindCloseChangeNotification(h); });
  if (!events.Ready()) return 0;
  const ThreadEvents::LoopEnd how = events.Loop([&](size_t which) {
    if (which == 0) {
      events.waitMs = INFINITE;
      if (MainWindow) PostMessageW(MainWindow, UM_SETTINGS_CHANGED, 0, 0);
      return true;
    }
    // Another change: the quiet time starts over.
    events.waitMs = kQuietMs;
    return FindNextChangeNotification(change) != 0;
  });
  return how == ThreadEvents::LoopEnd::kEnd ? 1 : 0;
}
