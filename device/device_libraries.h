// The maker's laser, imager and device libraries as tables of function
// pointers, filled at run time. An entry is never null: until a library and
// its function are found, the entry holds a stand-in that answers like a
// failing call, so a terminal without a reader library simply has no reader.
#pragma once

#include <cstdint>

#include "device_api.h"

// What the stand-ins of the laser and imager calls answer: a failure that no
// real library uses for anything in particular. The device library's
// stand-ins answer 0 (failure for DvcGetModelName and DvcGetSystemName, and
// nothing happens for the signal calls). Stand-ins never write to outputs, so
// a caller's initial value survives.
inline constexpr int32_t kDeviceLibraryMissing = -1;

// clang-format off
// X(name) per operation; the type is name##Fn from device_api.h.
#define SARNU_LZREADLIB_CALLS(X) \
  X(LZROpen)                     \
  X(LZRClose)                    \
  X(LZRLoadConfigFile)           \
  X(LZRSaveConfigFile)           \
  X(LZRSetDefaultSymbology)      \
  X(LZRSetDefaultSymbologyEx)    \
  X(LZRSetScanningNotification)  \
  X(LZRGetScanningKey)           \
  X(LZRSetScanningKey)           \
  X(LZRGetLED)                   \
  X(LZRSetLED)                   \
  X(LZRGetBuzzer)                \
  X(LZRSetBuzzer)                \
  X(LZRGetVibrator)              \
  X(LZRSetVibrator)              \
  X(LZRGetSuffixChar)            \
  X(LZRSetSuffixChar)            \
  X(LZRGetBuffType)              \
  X(LZRSetBuffType)              \
  X(LZRGetFocus)                 \
  X(LZRSetFocus)                 \
  X(LZRGetSwingAngle)            \
  X(LZRSetSwingAngle)            \
  X(LZRGetScanningTimeout)       \
  X(LZRGetScanningType)          \
  X(LZRSetScanningType)          \
  X(LZRStartScanning)            \
  X(LZRStopScanning)             \
  X(LZRGetLastEventStatus)       \
  X(LZRGetStatus)                \
  X(LZRGets)                     \
  X(LZRClearBuff)

// X(name, ordinal): the imager library exports by ordinal only.
#define SARNU_PIXLIB_CALLS(X)                     \
  X(PixOpen, kPixOrdinalOpen)                     \
  X(PixClose, kPixOrdinalClose)                   \
  X(PixConnect, kPixOrdinalConnect)               \
  X(PixDisconnect, kPixOrdinalDisconnect)         \
  X(PixDecode, kPixOrdinalDecode)                 \
  X(PixCancelDecode, kPixOrdinalCancelDecode)     \
  X(PixAimer, kPixOrdinalAimer)                   \
  X(PixSaveConfigFile, kPixOrdinalSaveConfigFile) \
  X(PixLoadConfigFile, kPixOrdinalLoadConfigFile) \
  X(PixGetDecodeMode, kPixOrdinalGetDecodeMode)   \
  X(PixSetDecodeMode, kPixOrdinalSetDecodeMode)   \
  X(PixGetLED, kPixOrdinalGetLED)                 \
  X(PixSetLED, kPixOrdinalSetLED)                 \
  X(PixGetBuzzer, kPixOrdinalGetBuzzer)           \
  X(PixSetBuzzer, kPixOrdinalSetBuzzer)           \
  X(PixGetVibrator, kPixOrdinalGetVibrator)       \
  X(PixSetVibrator, kPixOrdinalSetVibrator)

#define SARNU_DVCLIB_CALLS(X) \
  X(DvcGetModelName)          \
  X(DvcGetSystemName)         \
  X(DvcSetBootup)             \
  X(DvcSoftReset)             \
  X(DvcSetLED)                \
  X(DvcPlayBuzzer)            \
  X(DvcStopBuzzer)            \
  X(DvcPlayVibrator)          \
  X(DvcGetUserDefineKeyState) \
  X(DvcSetUserDefineKeyState) \
  X(DvcDeleteUserDefineKeyEx)
// clang-format on

#define SARNU_DEVICE_ENTRY(name, ...) name##Fn name;

// The laser reader, imported by name.
struct LZReadLib {
  SARNU_LZREADLIB_CALLS(SARNU_DEVICE_ENTRY)
};

// The imager, imported by ordinal; the names are ours.
struct PixLib {
  SARNU_PIXLIB_CALLS(SARNU_DEVICE_ENTRY)
};

// Device services: model, settings-file location, signals, keys, reset.
struct DvcLib {
  SARNU_DVCLIB_CALLS(SARNU_DEVICE_ENTRY)
};

#undef SARNU_DEVICE_ENTRY

// The process's tables; every entry is callable at any time, also before
// LoadDeviceLibraries.
extern LZReadLib g_LZReadLib;
extern PixLib g_PixLib;
extern DvcLib g_DvcLib;

// Which libraries were found (bits of LoadDeviceLibraries' result).
enum : int {
  kLaserLibraryLoaded = 0x1,
  kImagerLibraryLoaded = 0x2,
  kDeviceLibraryLoaded = 0x4,
};

// Loads the three libraries by their usual names and fills the tables; each
// program calls it at start, before its threads. Later calls change nothing
// and give the same result. Returns the kLibrary*Loaded bits of the libraries
// found (a library found but missing some functions still counts).
int LoadDeviceLibraries();

// The same from other file names, for tests (a name that does not exist
// makes that library missing). Replaces whatever was loaded before.
int LoadDeviceLibrariesFrom(const wchar_t* laserName, const wchar_t* imagerName,
                            const wchar_t* deviceName);

// Frees the libraries and puts the stand-ins back; the next
// LoadDeviceLibraries loads afresh. For tests; no call may be running.
void UnloadDeviceLibraries();
