// Stand-in imager library, exported by ordinal only (pixlib.def). PixDecode hands out the
// next queued barcode as UTF-16 or waits for one, asking its keep-going function often.
#include <cstdio>
#include <cstring>

#include "../device/device_api.h"
#include "sim_calls.h"

namespace {

// The keep-going function is asked at least this often while PixDecode waits.
constexpr DWORD kDecodePollMs = 5;

bool EnterImager(SimLock& lock, const char* call, int32_t* result) {
  return SimEnter(lock, call, kSimReaderImager, result);
}

int32_t GetValue(const char* call, uint32_t SimReaderValues::*field, uint32_t* out) {
  SimLock lock;
  int32_t r;
  if (!EnterImager(lock, call, &r)) return r;
  if (!out) return kSimBadArgument;
  *out = lock->values.*field;
  return 0;
}

int32_t SetValue(const char* call, uint32_t SimReaderValues::*field, uint32_t value) {
  SimLock lock;
  int32_t r;
  if (!EnterImager(lock, call, &r)) return r;
  lock->values.*field = value;
  SimLog(lock.get(), "%s %u", call, static_cast<unsigned>(value));
  return 0;
}

// A path for the log, in the ANSI code page like every other narrow text here.
void NarrowPath(const WCHAR* path, char* out, int size) {
  if (WideCharToMultiByte(CP_ACP, 0, path, -1, out, size, nullptr, nullptr) == 0) {
    snprintf(out, size, "?");
  }
}

// Bytes in the ANSI code page to the caller's UTF-16 buffer (kPixTextBufferUnits with NUL).
int32_t WidenText(const SimBarcode& b, WCHAR* text) {
  int units = 0;
  if (b.length > 0) {
    units = MultiByteToWideChar(CP_ACP, 0, b.data, static_cast<int>(b.length), text,
                                kPixTextBufferUnits - 1);
    if (units == 0) {  // no conversion: each byte as itself rather than nothing
      units =
          static_cast<int>(b.length < kPixTextBufferUnits - 1 ? b.length : kPixTextBufferUnits - 1);
      for (int i = 0; i < units; ++i) text[i] = static_cast<unsigned char>(b.data[i]);
    }
  }
  text[units] = 0;
  return units;
}

enum DecodeStep { kDecoded, kWait, kGiveUp };

// One look at the state: a barcode to hand out, a reason to stop, or nothing yet.
DecodeStep TryDecode(uint32_t generation, WCHAR* text, WCHAR* identifier, int32_t* length,
                     int32_t* result) {
  SimLock lock;
  if (!lock) {
    *result = kSimNoState;
    return kGiveUp;
  }
  if (lock->imager.cancel_generation != generation || lock->reader != kSimReaderImager) {
    *result = kSimStopped;
    return kGiveUp;
  }
  SimBarcode b;
  if (!SimQueuePop(lock.get(), &b)) return kWait;
  *length = WidenText(b, text);
  identifier[0] = static_cast<unsigned char>(b.symbology);
  identifier[1] = 0;
  *result = 0;
  return kDecoded;
}

void EndDecode(int32_t result) {
  SimLock lock;
  if (!lock) return;
  if (lock->imager.decoding > 0) --lock->imager.decoding;
  SimLog(lock.get(), "PixDecodeEnded %d", static_cast<int>(result));
}

}  // namespace

extern "C" {

int32_t WINAPI SimPixOpen() {
  SimLock lock;
  int32_t r;
  if (!EnterImager(lock, "PixOpen", &r)) return r;
  lock->imager.opened = 1;
  SimLog(lock.get(), "PixOpen");
  return 0;
}

int32_t WINAPI SimPixClose() {
  SimLock lock;
  int32_t r;
  if (!EnterImager(lock, "PixClose", &r)) return r;
  lock->imager.opened = 0;
  lock->imager.connected = 0;
  ++lock->imager.cancel_generation;  // closing ends a running decode
  SimLog(lock.get(), "PixClose");
  return 0;
}

int32_t WINAPI SimPixConnect() {
  SimLock lock;
  int32_t r;
  if (!EnterImager(lock, "PixConnect", &r)) return r;
  if (!lock->imager.opened) return kSimNotOpen;
  lock->imager.connected = 1;
  SimLog(lock.get(), "PixConnect");
  return 0;
}

int32_t WINAPI SimPixDisconnect() {
  SimLock lock;
  int32_t r;
  if (!EnterImager(lock, "PixDisconnect", &r)) return r;
  lock->imager.connected = 0;
  SimLog(lock.get(), "PixDisconnect");
  return 0;
}

int32_t WINAPI SimPixDecode(int32_t timeout_ms, WCHAR* text, WCHAR* identifier, uint32_t* extra1,
                            uint32_t* extra2, int32_t* length, PixKeepGoingFn keep_going) {
  uint32_t generation = 0;
  {
    SimLock lock;
    int32_t r;
    if (!EnterImager(lock, "PixDecode", &r)) return r;
    if (!text || !identifier || !length || timeout_ms < kPixNoTimeout) return kSimBadArgument;
    generation = lock->imager.cancel_generation;
    ++lock->imager.decoding;
    SimLog(lock.get(), "PixDecode %d", static_cast<int>(timeout_ms));
  }
  if (extra1) *extra1 = 0;
  if (extra2) *extra2 = 0;
  text[0] = 0;
  identifier[0] = 0;
  *length = 0;

  const ULONGLONG start = GetTickCount64();
  int32_t result = kSimTimedOut;
  for (;;) {
    DecodeStep step = TryDecode(generation, text, identifier, length, &result);
    if (step != kWait) break;
    if (keep_going && keep_going() == 0) {
      result = kSimStopped;
      break;
    }
    if (timeout_ms >= 0 && GetTickCount64() - start >= static_cast<ULONGLONG>(timeout_ms)) {
      result = kSimTimedOut;
      break;
    }
    Sleep(kDecodePollMs);
  }
  EndDecode(result);
  return result;
}

int32_t WINAPI SimPixCancelDecode() {
  SimLock lock;
  int32_t r;
  if (!EnterImager(lock, "PixCancelDecode", &r)) return r;
  ++lock->imager.cancel_generation;
  SimLog(lock.get(), "PixCancelDecode");
  return 0;
}

int32_t WINAPI SimPixAimer(int32_t on, int32_t reserved) {
  SimLock lock;
  int32_t r;
  if (!EnterImager(lock, "PixAimer", &r)) return r;
  lock->imager.aimer = on;
  SimLog(lock.get(), "PixAimer %d %d", static_cast<int>(on), static_cast<int>(reserved));
  return 0;
}

int32_t WINAPI SimPixSaveConfigFile(const WCHAR* path) {
  SimLock lock;
  int32_t r;
  if (!EnterImager(lock, "PixSaveConfigFile", &r)) return r;
  if (!path) return kSimBadArgument;
  char narrow[MAX_PATH * 2];
  NarrowPath(path, narrow, sizeof narrow);
  SimLog(lock.get(), "PixSaveConfigFile %s", narrow);
  SimStoreConfiguration(lock.get());
  return 0;
}

int32_t WINAPI SimPixLoadConfigFile(const WCHAR* path) {
  SimLock lock;
  int32_t r;
  if (!EnterImager(lock, "PixLoadConfigFile", &r)) return r;
  if (!path) return kSimBadArgument;
  char narrow[MAX_PATH * 2];
  NarrowPath(path, narrow, sizeof narrow);
  SimLog(lock.get(), "PixLoadConfigFile %s", narrow);
  const int32_t result = lock->values.config_load_result;
  if (result == 0) SimRestoreConfiguration(lock.get());
  return result;
}

int32_t WINAPI SimPixGetDecodeMode(uint32_t* mode, uint32_t* count, uint16_t* flags) {
  SimLock lock;
  int32_t r;
  if (!EnterImager(lock, "PixGetDecodeMode", &r)) return r;
  if (!mode || !count || !flags) return kSimBadArgument;
  *mode = lock->values.decode_mode;
  *count = lock->values.decode_count;
  *flags = static_cast<uint16_t>(lock->values.decode_flags);
  return 0;
}

int32_t WINAPI SimPixSetDecodeMode(uint32_t mode, uint32_t count, uint16_t flags) {
  SimLock lock;
  int32_t r;
  if (!EnterImager(lock, "PixSetDecodeMode", &r)) return r;
  lock->values.decode_mode = mode;
  lock->values.decode_count = count;
  lock->values.decode_flags = flags;
  SimLog(lock.get(), "PixSetDecodeMode %u %u %u", static_cast<unsigned>(mode),
         static_cast<unsigned>(count), static_cast<unsigned>(flags));
  return 0;
}

int32_t WINAPI SimPixGetLED(uint32_t* v) { return GetValue("PixGetLED", &SimReaderValues::led, v); }
int32_t WINAPI SimPixSetLED(uint32_t v) { return SetValue("PixSetLED", &SimReaderValues::led, v); }
int32_t WINAPI SimPixGetBuzzer(uint32_t* v) {
  return GetValue("PixGetBuzzer", &SimReaderValues::buzzer, v);
}
int32_t WINAPI SimPixSetBuzzer(uint32_t v) {
  return SetValue("PixSetBuzzer", &SimReaderValues::buzzer, v);
}
int32_t WINAPI SimPixGetVibrator(uint32_t* v) {
  return GetValue("PixGetVibrator", &SimReaderValues::vibrator, v);
}
int32_t WINAPI SimPixSetVibrator(uint32_t v) {
  return SetValue("PixSetVibrator", &SimReaderValues::vibrator, v);
}

}  // extern "C"

SIM_CHECK_SIGNATURE(SimPixOpen, PixOpenFn);
SIM_CHECK_SIGNATURE(SimPixClose, PixCloseFn);
SIM_CHECK_SIGNATURE(SimPixConnect, PixConnectFn);
SIM_CHECK_SIGNATURE(SimPixDisconnect, PixDisconnectFn);
SIM_CHECK_SIGNATURE(SimPixDecode, PixDecodeFn);
SIM_CHECK_SIGNATURE(SimPixCancelDecode, PixCancelDecodeFn);
SIM_CHECK_SIGNATURE(SimPixAimer, PixAimerFn);
SIM_CHECK_SIGNATURE(SimPixSaveConfigFile, PixSaveConfigFileFn);
SIM_CHECK_SIGNATURE(SimPixLoadConfigFile, PixLoadConfigFileFn);
SIM_CHECK_SIGNATURE(SimPixGetDecodeMode, PixGetDecodeModeFn);
SIM_CHECK_SIGNATURE(SimPixSetDecodeMode, PixSetDecodeModeFn);
SIM_CHECK_SIGNATURE(SimPixGetLED, PixGetLEDFn);
SIM_CHECK_SIGNATURE(SimPixSetLED, PixSetLEDFn);
SIM_CHECK_SIGNATURE(SimPixGetBuzzer, PixGetBuzzerFn);
SIM_CHECK_SIGNATURE(SimPixSetBuzzer, PixSetBuzzerFn);
SIM_CHECK_SIGNATURE(SimPixGetVibrator, PixGetVibratorFn);
SIM_CHECK_SIGNATURE(SimPixSetVibrator, PixSetVibratorFn);
