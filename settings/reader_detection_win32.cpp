// Reader detection and the choice of the settings files on the terminal, and
// the settings record's terminal constructor that uses both. Asks the active
// drivers in the registry first and the maker's reader libraries second.
#include <windows.h>

#include <cstdint>

#include "device_libraries.h"
#include "file_io.h"
#include "reader_detection.h"
#include "settings.h"
#include "wide_text.h"

namespace {

constexpr size_t kPathUnits = 260;

// Filled when the device library names the folder of the reader's own file.
char16_t g_iniPathBuffer[kPathUnits];
char16_t g_readerIniPathBuffer[kPathUnits];

const char16_t kNewerFolder[] = u"\\Documents and Settings\\System Settings";
const char16_t kNewerIni[] = u"\\Documents and Settings\\System Settings\\SARNU.INI";
const char16_t kOlderIni[] = u"\\FlashDisk\\System Settings\\SARNU.INI";
const char16_t kIniName[] = u"SARNU.INI";

struct ReaderFiles {
  int32_t systemNameId;
  const char16_t* name;
  const char16_t* newer;
  const char16_t* older;
};
const ReaderFiles kLaserFiles = {kDvcSystemNameLaser, u"LZRDRV.ini",
                                 u"\\Documents and Settings\\System Settings\\LZRDRV.ini",
                                 u"\\FlashDisk\\System Settings\\LZRDRV.ini"};
const ReaderFiles kImagerFiles = {kDvcSystemNameImager, u"PIXSet.ini",
                                  u"\\Documents and Settings\\System Settings\\PIXSet.ini",
                                  u"\\FlashDisk\\System Settings\\PIXSet.ini"};

bool Exists(const char16_t* path) {
  uint32_t attributes = 0;
  return FileGetAttributes(path, &attributes);
}

// Builds both paths in the static buffers from the folder of the reader's
// own file as the device library gives it. False when that is not a usable
// full path: no folder in it, or a folder too long for the file names to
// fit behind it (a cut path would name some other file).
bool BuildFromSystemName(const char16_t* readerFile, const ReaderFiles& files) {
  size_t folderLength = 0;  // up to and including the last backslash
  for (size_t i = 0; readerFile[i] != 0; ++i) {
    if (readerFile[i] == u'\\') folderLength = i + 1;
  }
  if (folderLength == 0) return false;
  const size_t longestName =
      WideLength(kIniName) > WideLength(files.name) ? WideLength(kIniName) : WideLength(files.name);
  if (folderLength + longestName + 1 > kPathUnits) return false;

  WideCopy(g_iniPathBuffer, folderLength + 1, readerFile);
  WideCopy(g_readerIniPathBuffer, kPathUnits, g_iniPathBuffer);
  WideAppend(g_iniPathBuffer, kPathUnits, kIniName);
  WideAppend(g_readerIniPathBuffer, kPathUnits, files.name);
  return true;
}

// Terminals of models 10 and 11 always keep their settings at the newer
// place; others do when it is already in use there.
bool UseNewerLocation(const ReaderFiles& files) {
  uint32_t modelCode = 0;
  uint32_t unused1 = 0;
  uint32_t unused2 = 0;
  if (g_DvcLib.DvcGetModelName(&modelCode, &unused1, &unused2) == 0) return false;
  if (modelCode == 10 || modelCode == 11) return true;
  return Exists(files.newer) || Exists(kNewerFolder);
}

// One active driver's key: does its Name hold exactly `name`? The stored
// size must be the name and its terminator, so a longer name that merely
// starts the same never matches.
bool DriverKeyNames(HKEY active, const wchar_t* number, const char16_t* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(active, number, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
  wchar_t value[260];  // 520 bytes
  DWORD bytes = sizeof value;
  const LONG read =
      RegQueryValueExW(key, L"Name", nullptr, nullptr, reinterpret_cast<BYTE*>(value), &bytes);
  RegCloseKey(key);
  const size_t nameUnits = WideLength(name) + 1;
  if (read != ERROR_SUCCESS || bytes != nameUnits * sizeof(wchar_t)) return false;
  for (size_t i = 0; i < nameUnits; ++i) {
    if (char16_t(value[i]) != name[i]) return false;
  }
  return true;
}

bool IsDriverNumber(const wchar_t* number, DWORD units) {
  return units == 2 && number[0] >= L'0' && number[0] <= L'9' && number[1] >= L'0' &&
         number[1] <= L'9' && !(number[0] == L'0' && number[1] == L'0');
}

}  // namespace

// The active drivers are the keys "Drivers\Active\01" to "...\99". Only
// the keys that exist are read: trying each of the 99 numbers would cost a
// registry call per number, three times over while a reader is detected.
bool IsDriverActive(const char16_t* name) {
  if (name == nullptr) return false;
  HKEY active = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Drivers\\Active", 0, KEY_READ, &active) !=
      ERROR_SUCCESS) {
    return false;
  }
  bool found = false;
  for (DWORD index = 0; !found; ++index) {
    wchar_t number[8];
    DWORD units = 8;
    const LONG listed =
        RegEnumKeyExW(active, index, number, &units, nullptr, nullptr, nullptr, nullptr);
    if (listed == ERROR_MORE_DATA) continue;  // longer than a driver's number
    if (listed != ERROR_SUCCESS) break;
    found = IsDriverNumber(number, units) && DriverKeyNames(active, number, name);
  }
  RegCloseKey(active);
  return found;
}

int32_t DetectScanner() {
  // A reader's driver answers faster and more surely than opening it.
  if (IsDriverActive(u"DVC1:")) return kScannerImager;
  if (IsDriverActive(u"DVB1:")) return kScannerLaser;
  if (IsDriverActive(u"DVA1:")) return kScannerImager;

  if (g_PixLib.PixOpen() == 0 && g_PixLib.PixConnect() == 0) {
    g_PixLib.PixDisconnect();
    g_PixLib.PixClose();
    return kScannerImager;
  }
  // Also after a failed open: a half-opened imager must not stay claimed.
  g_PixLib.PixClose();
  const int32_t laser = g_LZReadLib.LZROpen(0, 0);
  g_LZReadLib.LZRClose();
  return laser == 0 ? kScannerLaser : kScannerNone;
}

void ChooseFileLocations(Settings& settings) {
  if (settings.ScannerType != kScannerLaser && settings.ScannerType != kScannerImager) {
    settings.IniPath = u"";
    settings.ReaderIniPath = u"";
    return;
  }
  const ReaderFiles& files = settings.ScannerType == kScannerLaser ? kLaserFiles : kImagerFiles;

  wchar_t systemName[kDvcSystemNameUnits] = {};
  if (g_DvcLib.DvcGetSystemName(files.systemNameId, systemName) == 1) {
    systemName[kDvcSystemNameUnits - 1] = 0;  // whatever the library left there
    if (BuildFromSystemName(reinterpret_cast<const char16_t*>(systemName), files)) {
      settings.IniPath = g_iniPathBuffer;
      settings.ReaderIniPath = g_readerIniPathBuffer;
      return;
    }
  }
  const bool newer = UseNewerLocation(files);
  settings.IniPath = newer ? kNewerIni : kOlderIni;
  settings.ReaderIniPath = newer ? files.newer : files.older;
}

Settings::Settings()
    : IniPath(u""),
      ReaderIniPath(u""),
      SavedIniPath(u""),
      TempCopyActive(0),
      TempCopyUnusable(0),
      ScannerType(kScannerNone) {
  // Idempotent: a program that loaded the libraries already keeps them.
  LoadDeviceLibraries();
  ScannerType = DetectScanner();
  ChooseFileLocations(*this);
  RecoverInterruptedCommit(IniPath);
  Load();
}
