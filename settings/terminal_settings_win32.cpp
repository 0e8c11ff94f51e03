// Power-on keys and function-key launch entries on the terminal: the two
// settings that live in the device and the keyboard driver's registry key
// rather than in SARNU.INI.
#include <windows.h>

#include <cstdint>

#include "device_libraries.h"
#include "settings.h"
#include "terminal_settings.h"

namespace {

// Laser scanning-key bit -> power-on bit, when the trigger keys may wake the
// terminal. The bit meanings belong to the libraries; only this pairing is ours.
struct TriggerBootBit {
  uint32_t scanningKey;
  uint32_t powerOn;
};
constexpr TriggerBootBit kTriggerBootBits[] = {
    {0x01, 0x1000},
    {0x02, 0x800},
    {0x80, 0x10000},
    {0x100, 0x20000},
};
constexpr uint32_t kCradleBootBit = 0x400;

const wchar_t kKeyboardKey[] = L"HARDWARE\\DEVICEMAP\\KEYBD";
const wchar_t* const kLaunchValues[] = {L"Fn7LaunchPath", L"Fn8LaunchPath", L"Fn9LaunchPath"};
const wchar_t kBulkProgram[] = L"\\Windows\\SarnuBulk.exe";
constexpr DWORD kBulkProgramLength = 22;

// True when the value reads as exactly the bulk toggle program. A value that
// cannot be read, is too long for the buffer, or is not text is someone
// else's and counts as not ours.
bool NamesBulkProgram(HKEY key, const wchar_t* valueName) {
  wchar_t buffer[260];  // 520 bytes
  DWORD type = 0;
  // One unit kept back so the text is terminated whatever the value holds.
  DWORD bytes = sizeof buffer - sizeof buffer[0];
  if (RegQueryValueExW(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &bytes) !=
      ERROR_SUCCESS) {
    return false;
  }
  if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
  buffer[bytes / sizeof buffer[0]] = 0;
  DWORD length = 0;
  while (buffer[length] != 0) ++length;
  if (length != kBulkProgramLength) return false;
  for (DWORD i = 0; i < length; ++i) {
    if (buffer[i] != kBulkProgram[i]) return false;
  }
  return true;
}

void SetText(HKEY key, const wchar_t* valueName, const wchar_t* text, DWORD units) {
  // units counts the terminator: the registry keeps it.
  RegSetValueExW(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                 units * sizeof(wchar_t));
}

}  // namespace

void ApplyBootSettings(const Settings& settings) {
  // The laser reports its trigger keys even when the wedge has not opened
  // it; without a laser the keys stay 0 and only the cradle bit can be set.
  uint32_t scanningKeys = 0;
  g_LZReadLib.LZRGetScanningKey(&scanningKeys);

  uint32_t mask = 0;
  if (settings.TriggerPowerOn != 0) {
    for (const TriggerBootBit& bit : kTriggerBootBits) {
      if (scanningKeys & bit.scanningKey) mask |= bit.powerOn;
    }
  }
  if (settings.CradlePowerOn != 0) mask |= kCradleBootBit;
  // Sent every time, 0 included, so switching both options off takes effect.
  g_DvcLib.DvcSetBootup(mask);
}

void SaveFunctionKeyLaunchValues(const Settings& settings) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKeyboardKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key) !=
      ERROR_SUCCESS) {
    return;
  }
  // Ours are cleared first, so at most one key names the toggle program
  // afterwards; another program's launch entry is left alone.
  for (const wchar_t* valueName : kLaunchValues) {
    if (NamesBulkProgram(key, valueName)) SetText(key, valueName, L"", 1);
  }
  if (settings.BulkActivationMode == 1) {
    const int choice = settings.BulkToggleKey == 0 ? 0 : settings.BulkToggleKey == 1 ? 1 : 2;
    SetText(key, kLaunchValues[choice], kBulkProgram, kBulkProgramLength + 1);
  }
  RegCloseKey(key);
  RegFlushKey(HKEY_LOCAL_MACHINE);
}
