// The watch over SARNU.INI: the folder's change notification on a thread of
// its own, and on the main window's thread the decision to read the file
// again.
#include "settings_watch.h"

#include <windows.h>

#include <cstdint>

#include "bulk_run.h"
#include "file_system.h"
#include "ini_file.h"
#include "long_threads.h"
#include "process_globals.h"
#include "scan_device.h"
#include "settings.h"
#include "setup_programs.h"
#include "wedge_events.h"
#include "wedge_messages.h"

namespace {

// A product path's room, as the INI library keeps it.
const size_t kPathUnits = 260;

// Quiet time after the last change before the file is looked at: a copy in
// progress changes the folder again and again.
const DWORD kQuietMs = 500;

struct FileStamp {
  bool exists = false;
  uint64_t size = 0;
  uint64_t written = 0;
  bool operator==(const FileStamp& o) const {
    return exists == o.exists && size == o.size && written == o.written;
  }
};

// A file that lacks a section of the file read last is taken only after it
// has stayed the same this long: a section dropped on purpose, not a copy
// that paused halfway.
const DWORD kShortFileSettleMs = 10000;

// The sections of a file, by a hash of each header line without regard to
// letter case: all that is asked of them is whether another file has them.
const size_t kMaxSections = 64;
struct SectionList {
  uint32_t hash[kMaxSections];
  size_t count = 0;
  bool Has(uint32_t h) const {
    for (size_t i = 0; i < count; ++i) {
      if (hash[i] == h) return true;
    }
    return false;
  }
};

// Main window's thread only.
FileStamp g_read;
SectionList g_readSections;
FileStamp g_short;  // the short file whose settling is timed
DWORD g_shortSince = 0;

// The settings file's system path; a bare name lives in "\Windows\", as the
// INI library has it.
bool SettingsFilePath(wchar_t* path, size_t units) {
  const char16_t* ini = g_settings ? g_settings->IniPath : nullptr;
  if (!ini || !*ini) return false;
  bool bare = true;
  for (const char16_t* p = ini; *p; ++p) bare = bare && *p != u'\\';
  if (!bare) return MapProductPath(ini, path, units);
  char16_t full[kPathUnits];
  const char16_t prefix[] = u"\\windows\\";
  size_t n = 0;
  for (const char16_t* p = prefix; *p && n + 1 < kPathUnits; ++p) full[n++] = *p;
  for (const char16_t* p = ini; *p && n + 1 < kPathUnits; ++p) full[n++] = *p;
  full[n] = 0;
  return MapProductPath(full, path, units);
}

FileStamp StampNow() {
  FileStamp stamp;
  wchar_t path[kPathUnits];
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!SettingsFilePath(path, kPathUnits) ||
      !GetFileAttributesExW(path, GetFileExInfoStandard, &data)) {
    return stamp;
  }
  stamp.exists = true;
  stamp.size = (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  stamp.written = (uint64_t(data.ftLastWriteTime.dwHighDateTime) << 32) |
                  data.ftLastWriteTime.dwLowDateTime;
  return stamp;
}

uint32_t HeaderHash(const IniLine& line) {
  uint32_t h = 2166136261u;
  for (size_t i = 0; i < line.length; ++i) {
    char16_t c = line.start[i];
    if (c >= u'A' && c <= u'Z') c = char16_t(c - u'A' + u'a');
    h = (h ^ c) * 16777619u;
  }
  return h;
}

// The file's sections into `sections`; false when it cannot be read.
bool ReadSections(SectionList* sections) {
  sections->count = 0;
  IniFile file = {};
  if (!g_settings || !IniOpen(&file, g_settings->IniPath)) {
    IniClose(&file);
    return false;
  }
  while (IniNextLine(&file)) {
    if (!IniLineIsSectionHeader(file.line)) continue;
    const uint32_t h = HeaderHash(file.line);
    if (sections->count < kMaxSections && !sections->Has(h)) sections->hash[sections->count++] = h;
  }
  IniClose(&file);
  return true;
}

// Readable, and a settings file at all: at least one section. An emptied
// file, or one of other text, is not taken. *whole: every section of the
// file read last is there too; a copy that paused halfway lacks the rest.
bool FileHoldsSettings(bool* whole) {
  SectionList now;
  if (!ReadSections(&now) || now.count == 0) return false;
  *whole = true;
  for (size_t i = 0; i < g_readSections.count; ++i) {
    *whole = *whole && now.Has(g_readSections.hash[i]);
  }
  return true;
}

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

void NoteSettingsFileRead() {
  g_read = StampNow();
  ReadSections(&g_readSections);
}

void OnSettingsFileChanged() {
  if (MainWindow) KillTimer(MainWindow, kSettingsRetryTimer);
  // A reader that a client stopped or framed in camera mode stays as the
  // client left it; the start that ends that state reads the file anyway.
  const ScanDevice* device = g_scanDevice;
  if (!device || !device->IsOpen || device->InCamMode) return;
  const FileStamp now = StampNow();
  if (!now.exists || now == g_read) return;
  if (RunUnderWay()) {
    if (MainWindow) SetTimer(MainWindow, kSettingsRetryTimer, kQuietMs, nullptr);
    return;
  }
  bool whole = false;
  if (!FileHoldsSettings(&whole) || !(StampNow() == now)) return;
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
