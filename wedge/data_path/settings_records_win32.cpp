// The settings in force and the note of the file they were read from.
#include <windows.h>

#include <new>

#include "file_system.h"
#include "foreground_program.h"
#include "ini_file.h"
#include "lock.h"
#include "profiles.h"
#include "scan_log.h"
#include "settings.h"
#include "settings_records.h"

Profiles* g_profiles = nullptr;

namespace {

// A product path's room, as the INI library keeps it.
const size_t kPathUnits = 260;

// Output thread only.
char16_t g_programInFront[MAX_PATH];

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

}  // namespace

// Never destroyed: the output thread may outlive statics.
Lock& RecordsLock() {
  alignas(Lock) static unsigned char storage[sizeof(Lock)];
  static Lock* const lock = new (storage) Lock;
  return *lock;
}

const Settings& RecordFor(int32_t type, bool fnc1First, RecordChoice* choice) {
  const bool logged = choice && g_settings->ScanLog;
  if (choice) *choice = {nullptr, u""};
  if (!logged && (!g_profiles || g_profiles->Count() == 0)) return *g_settings;
  ForegroundProgram(g_programInFront, MAX_PATH);
  if (choice) choice->program = g_programInFront;
  if (!g_profiles) return *g_settings;
  const size_t index = g_profiles->Find(g_programInFront, type, fnc1First);
  if (index == g_profiles->Count()) return *g_settings;
  if (choice) choice->profile = g_profiles->At(index).name;
  return *g_profiles->At(index).record;
}

void LoadSettingsAndProfiles() {
  if (!g_settings) return;
  LockHolder hold(RecordsLock());
  g_settings->Load();
  if (g_profiles) g_profiles->Load(g_settings->IniPath);
  StartScanLogWhenWanted();
}

void ClearProfiles() {
  LockHolder hold(RecordsLock());
  if (g_profiles) g_profiles->Clear();
}

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

FileStamp SettingsFileStamp() {
  FileStamp stamp;
  wchar_t path[kPathUnits];
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!SettingsFilePath(path, kPathUnits) ||
      !GetFileAttributesExW(path, GetFileExInfoStandard, &data)) {
    return stamp;
  }
  stamp.exists = true;
  stamp.size = (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  stamp.written =
      (uint64_t(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
  return stamp;
}

void NoteSettingsFileRead() {
  g_read = SettingsFileStamp();
  ReadSections(&g_readSections);
}

FileStamp SettingsFileReadStamp() { return g_read; }

bool SettingsFileHoldsSettings(bool* whole) {
  SectionList now;
  if (!ReadSections(&now) || now.count == 0) return false;
  *whole = true;
  for (size_t i = 0; i < g_readSections.count; ++i) {
    *whole = *whole && now.Has(g_readSections.hash[i]);
  }
  return true;
}
