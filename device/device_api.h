// Signatures of the terminal maker's three libraries: the laser reader, the imager and the
// device services. The wedge loads them at run time through these types; the terminal
// simulator exports functions of exactly these types, so both sides agree by construction.
#pragma once

#include <windows.h>

#include <cstdint>

// Every laser and imager call answers 0 for success and anything else for failure.
// DvcLib answers differently per call; see each type.

// ---- LZReadLib: the laser reader, imported by name -------------------------------------

inline constexpr const wchar_t kLzrLibraryName[] = L"LZReadLib.dll";

// Size of the text buffer LZRGets fills: up to 255 bytes of barcode (with the appended
// suffix) and a terminating zero.
inline constexpr int kLzrTextBufferSize = 256;

// LZRLoadConfigFile's answer when the reader has no configuration of its own yet.
inline constexpr int32_t kLzrConfigMissing = -63738;  // 0xFFFF0706

// Status that LZRGetLastEventStatus reports when decoded data is waiting.
inline constexpr uint32_t kLzrEventDataReady = 1;

// The named auto-reset event the laser library signals when a read ends.
inline constexpr const wchar_t kLzrScanningEventName[] = L"LZRScanningEvent";

typedef int32_t(WINAPI* LZROpenFn)(int32_t reserved1, int32_t reserved2);  // (0, 0)
typedef int32_t(WINAPI* LZRCloseFn)();
typedef int32_t(WINAPI* LZRLoadConfigFileFn)();
typedef int32_t(WINAPI* LZRSaveConfigFileFn)();
typedef int32_t(WINAPI* LZRSetDefaultSymbologyFn)();
typedef int32_t(WINAPI* LZRSetDefaultSymbologyExFn)();
typedef int32_t(WINAPI* LZRSetScanningNotificationFn)(int32_t mode, int32_t reserved);  // (2, 0)
typedef int32_t(WINAPI* LZRGetScanningKeyFn)(uint32_t* keys);
typedef int32_t(WINAPI* LZRSetScanningKeyFn)(uint32_t keys);
typedef int32_t(WINAPI* LZRGetLEDFn)(uint8_t* led);
typedef int32_t(WINAPI* LZRSetLEDFn)(uint8_t led);
typedef int32_t(WINAPI* LZRGetBuzzerFn)(uint8_t* buzzer);
typedef int32_t(WINAPI* LZRSetBuzzerFn)(uint8_t buzzer);
typedef int32_t(WINAPI* LZRGetVibratorFn)(uint32_t* vibrator);
typedef int32_t(WINAPI* LZRSetVibratorFn)(uint32_t vibrator);
typedef int32_t(WINAPI* LZRGetSuffixCharFn)(uint8_t* suffix_code);
typedef int32_t(WINAPI* LZRSetSuffixCharFn)(uint8_t suffix_code);
typedef int32_t(WINAPI* LZRGetBuffTypeFn)(uint8_t* buffer_type);
typedef int32_t(WINAPI* LZRSetBuffTypeFn)(uint8_t buffer_type);
typedef int32_t(WINAPI* LZRGetFocusFn)(uint32_t* focus);
typedef int32_t(WINAPI* LZRSetFocusFn)(uint32_t focus);
typedef int32_t(WINAPI* LZRGetSwingAngleFn)(uint32_t* angle);
typedef int32_t(WINAPI* LZRSetSwingAngleFn)(uint32_t angle);
typedef int32_t(WINAPI* LZRGetScanningTimeoutFn)(uint32_t* timeout_ms);
typedef int32_t(WINAPI* LZRGetScanningTypeFn)(uint8_t* scanning_type);
typedef int32_t(WINAPI* LZRSetScanningTypeFn)(uint8_t scanning_type);
// timeout_ms 0: the scan runs until LZRStopScanning and may deliver many barcodes.
typedef int32_t(WINAPI* LZRStartScanningFn)(uint32_t timeout_ms);
typedef int32_t(WINAPI* LZRStopScanningFn)();
typedef int32_t(WINAPI* LZRGetLastEventStatusFn)(uint32_t* status);
// pending is non-zero while barcodes wait to be taken with LZRGets.
typedef int32_t(WINAPI* LZRGetStatusFn)(uint32_t* status_word, uint8_t* pending);
// text: kLzrTextBufferSize bytes, zero-terminated, ending with the appended suffix
// characters; length counts the bytes before the terminator. Type 512 carries FNC1.
typedef int32_t(WINAPI* LZRGetsFn)(char* text, int32_t* type_code, uint8_t* length);
typedef int32_t(WINAPI* LZRClearBuffFn)();

// ---- PixLib: the imager, imported by ordinal only ----------------------------------------

inline constexpr const wchar_t kPixLibraryName[] = L"PixLib.dll";

inline constexpr int kPixOrdinalOpen = 1;
inline constexpr int kPixOrdinalClose = 2;
inline constexpr int kPixOrdinalConnect = 3;
inline constexpr int kPixOrdinalDisconnect = 4;
inline constexpr int kPixOrdinalDecode = 5;
inline constexpr int kPixOrdinalCancelDecode = 7;
inline constexpr int kPixOrdinalAimer = 13;
inline constexpr int kPixOrdinalSaveConfigFile = 15;
inline constexpr int kPixOrdinalLoadConfigFile = 16;
inline constexpr int kPixOrdinalGetDecodeMode = 18;
inline constexpr int kPixOrdinalSetDecodeMode = 19;
inline constexpr int kPixOrdinalGetLED = 96;
inline constexpr int kPixOrdinalSetLED = 97;
inline constexpr int kPixOrdinalGetBuzzer = 98;
inline constexpr int kPixOrdinalSetBuzzer = 99;
inline constexpr int kPixOrdinalGetVibrator = 102;
inline constexpr int kPixOrdinalSetVibrator = 103;

// Buffer sizes of PixDecode's text and symbology identifier, in UTF-16 units.
inline constexpr int kPixTextBufferUnits = 8192;
inline constexpr int kPixSymbologyBufferUnits = 16;

// PixDecode's time-out meaning "wait until told to stop".
inline constexpr int32_t kPixNoTimeout = -1;

// PixLoadConfigFile's answer when the settings file could not be loaded; the wedge then
// saves the imager's current configuration to that path.
inline constexpr int32_t kPixConfigNotLoaded = 6;

// Asked repeatedly while PixDecode waits: non-zero to keep waiting, 0 to give up.
typedef int32_t(WINAPI* PixKeepGoingFn)();

typedef int32_t(WINAPI* PixOpenFn)();
typedef int32_t(WINAPI* PixCloseFn)();
typedef int32_t(WINAPI* PixConnectFn)();
typedef int32_t(WINAPI* PixDisconnectFn)();
// Blocks until a barcode is decoded (0), the time-out passes or keep_going answers 0
// (non-zero). text: kPixTextBufferUnits units, identifier: kPixSymbologyBufferUnits units,
// both zero-terminated; length counts the text's units. extra1 and extra2 receive values
// the wedge does not use; either may be null.
typedef int32_t(WINAPI* PixDecodeFn)(int32_t timeout_ms, WCHAR* text, WCHAR* identifier,
                                     uint32_t* extra1, uint32_t* extra2, int32_t* length,
                                     PixKeepGoingFn keep_going);
typedef int32_t(WINAPI* PixCancelDecodeFn)();
typedef int32_t(WINAPI* PixAimerFn)(int32_t on, int32_t reserved);
typedef int32_t(WINAPI* PixSaveConfigFileFn)(const WCHAR* path);
typedef int32_t(WINAPI* PixLoadConfigFileFn)(const WCHAR* path);
typedef int32_t(WINAPI* PixGetDecodeModeFn)(uint32_t* mode, uint32_t* count, uint16_t* flags);
typedef int32_t(WINAPI* PixSetDecodeModeFn)(uint32_t mode, uint32_t count, uint16_t flags);
typedef int32_t(WINAPI* PixGetLEDFn)(uint32_t* led);
typedef int32_t(WINAPI* PixSetLEDFn)(uint32_t led);
typedef int32_t(WINAPI* PixGetBuzzerFn)(uint32_t* buzzer);
typedef int32_t(WINAPI* PixSetBuzzerFn)(uint32_t buzzer);
typedef int32_t(WINAPI* PixGetVibratorFn)(uint32_t* vibrator);
typedef int32_t(WINAPI* PixSetVibratorFn)(uint32_t vibrator);

// ---- DvcLib: device services, imported by name -------------------------------------------

inline constexpr const wchar_t kDvcLibraryName[] = L"DvcLib.dll";

// Identifiers for DvcGetSystemName: whose settings file to locate.
inline constexpr int32_t kDvcSystemNameLaser = 15;
inline constexpr int32_t kDvcSystemNameImager = 16;
// Size of DvcGetSystemName's buffer in wide characters, terminator included.
inline constexpr int kDvcSystemNameUnits = 260;

// Non-zero for success; model_code is the terminal's ModelCode, the other two outputs
// carry values the wedge does not use (either may be null).
typedef int32_t(WINAPI* DvcGetModelNameFn)(uint32_t* model_code, uint32_t* extra1,
                                           uint32_t* extra2);
// 1 when buffer (kDvcSystemNameUnits wide characters) now holds the full path of the
// reader's own settings file; anything else leaves it unspecified.
typedef int32_t(WINAPI* DvcGetSystemNameFn)(int32_t which, WCHAR* buffer);
typedef int32_t(WINAPI* DvcSetBootupFn)(uint32_t power_on_mask);
typedef int32_t(WINAPI* DvcSoftResetFn)();
// The signal calls: values pass through unchanged, results are ignored by the wedge.
typedef int32_t(WINAPI* DvcSetLEDFn)(int32_t colour, int32_t duration, int32_t pattern,
                                     int32_t repeat);
typedef int32_t(WINAPI* DvcPlayBuzzerFn)(int32_t pattern, int32_t frequency, int32_t duration);
typedef int32_t(WINAPI* DvcStopBuzzerFn)();
typedef int32_t(WINAPI* DvcPlayVibratorFn)(int32_t pattern, int32_t a, int32_t b, int32_t c);
// The on/off state of the user-defined key assignments.
typedef int32_t(WINAPI* DvcGetUserDefineKeyStateFn)();
typedef int32_t(WINAPI* DvcSetUserDefineKeyStateFn)(int32_t state);
typedef int32_t(WINAPI* DvcDeleteUserDefineKeyExFn)(int32_t plane, int32_t key);
