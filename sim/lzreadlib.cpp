// Stand-in laser reader library: the maker's exports by name, answering from the shared
// terminal state. A scan runs on a worker thread of the calling process that moves queued
// barcodes into the read buffer and signals "LZRScanningEvent".
#include <cstring>

#include "../device/device_api.h"
#include "../wedge/data_path/stage_stamps.h"
#include "sim_calls.h"

namespace {

HANDLE g_scanning_event = nullptr;
HMODULE g_module = nullptr;

// How long a read taken with LZRGets may sit without LZRClearBuff before the next is
// delivered anyway (clients that never clear).
constexpr uint32_t kTakenGraceMs = 200;
// A scan wakes for a queued barcode or a cleared buffer at once; this bounds
// the wait for its time-out and for the grace above.
constexpr DWORD kWorkerWaitMs = 10;

bool EnterLaser(SimLock& lock, const char* call, int32_t* result) {
  return SimEnter(lock, call, kSimReaderLaser, result);
}

template <typename T>
int32_t GetValue(const char* call, uint32_t SimReaderValues::*field, T* out) {
  SimLock lock;
  int32_t r;
  if (!EnterLaser(lock, call, &r)) return r;
  if (!out) return kSimBadArgument;
  *out = static_cast<T>(lock->values.*field);
  return 0;
}

int32_t SetValue(const char* call, uint32_t SimReaderValues::*field, uint32_t value) {
  SimLock lock;
  int32_t r;
  if (!EnterLaser(lock, call, &r)) return r;
  lock->values.*field = value;
  SimLog(lock.get(), "%s %u", call, static_cast<unsigned>(value));
  return 0;
}

// Calls that only act: logged, succeed.
int32_t Action(const char* call) {
  SimLock lock;
  int32_t r;
  if (!EnterLaser(lock, call, &r)) return r;
  SimLog(lock.get(), "%s", call);
  return 0;
}

void EndScan(SimState* s) {
  s->laser.running = 0;
  ++s->laser.generation;
}

// Moves the next queued barcode, with the suffix of the current code, into the read
// buffer. The text is cut only if the suffix code changed after it was queued and the two
// no longer fit one read.
void Deliver(SimState* s) {
  SimBarcode b;
  if (!SimQueuePop(s, &b)) return;
  SimLaserScan& l = s->laser;
  const char* suffix = SimLaserSuffix(s->values.suffix_code);
  uint32_t suffix_length = static_cast<uint32_t>(strlen(suffix));
  uint32_t text_length = b.length;
  if (text_length + suffix_length > kSimMaxLaserRead)
    text_length = kSimMaxLaserRead - suffix_length;
  memcpy(l.pending_text, b.data, text_length);
  memcpy(l.pending_text + text_length, suffix, suffix_length);
  l.pending_length = text_length + suffix_length;
  l.pending_text[l.pending_length] = 0;
  l.pending_type = b.type_code;
  l.pending = 1;
  l.buffer_idle = 0;
  l.last_event_status = kSimEventData;
}

enum WorkerStep { kKeepWaiting, kSignal, kSignalAndEnd, kEnd };

WorkerStep Step(uint32_t generation) {
  SimLock lock;
  if (!lock) return kEnd;
  SimLaserScan& l = lock->laser;
  if (!l.running || l.generation != generation) return kEnd;
  const uint32_t now = SimNow(lock.get());
  const bool idle = l.buffer_idle || (!l.pending && now - l.taken_at >= kTakenGraceMs);
  if (!l.pending && idle && lock->queue_count > 0) {
    Deliver(lock.get());
    if (l.timeout == 0) return kSignal;
    EndScan(lock.get());  // one read ends a timed scan
    SimLog(lock.get(), "LZRScanEnded read");
    return kSignalAndEnd;
  }
  if (l.timeout != 0 && now - l.started >= l.timeout) {
    EndScan(lock.get());
    l.last_event_status = kSimEventTimeout;
    SimLog(lock.get(), "LZRScanEnded timeout");
    return kSignalAndEnd;
  }
  return kKeepWaiting;
}

bool NotificationOn() {
  SimLock lock;
  return lock && lock->laser.notification != 0;
}

// The scanning benchmark's build of the wedge keeps a table of stage stamps;
// the reader's signal is the first of them. Looked up once per process.
void StampReaderSignal() {
  static StageStampTable* const table = [] {
    HANDLE mapping = OpenFileMappingW(FILE_MAP_WRITE, FALSE, SARNU_STAGE_STAMP_MAPPING);
    return mapping ? static_cast<StageStampTable*>(
                         MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(StageStampTable)))
                   : nullptr;
  }();
  if (!table) return;
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  table->stamp[kStageReaderSignal] = now.QuadPart;
}

DWORD WINAPI ScanWorker(void* parameter) {
  const uint32_t generation = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(parameter));
  for (;;) {
    WorkerStep step = Step(generation);
    if ((step == kSignal || step == kSignalAndEnd) && NotificationOn()) {
      StampReaderSignal();
      SetEvent(g_scanning_event);
    }
    if (step == kSignalAndEnd || step == kEnd) break;
    WaitForSingleObject(SimReaderWakeEvent(), kWorkerWaitMs);
  }
  // The worker holds its own reference to the library (taken in StartWorker), so a client
  // that frees the library mid-scan does not pull the code out from under this thread.
  FreeLibraryAndExitThread(g_module, 0);
  return 0;
}

bool StartWorker(uint32_t generation) {
  HMODULE self = nullptr;
  if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                          reinterpret_cast<LPCWSTR>(&ScanWorker), &self)) {
    return false;
  }
  HANDLE thread =
      CreateThread(nullptr, 0, ScanWorker,
                   reinterpret_cast<void*>(static_cast<uintptr_t>(generation)), 0, nullptr);
  if (!thread) {
    FreeLibrary(self);
    return false;
  }
  CloseHandle(thread);
  return true;
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_module = instance;
    DisableThreadLibraryCalls(instance);
    // Created on load, so a reader thread that opens it by name finds it before any scan.
    g_scanning_event = CreateEventW(nullptr, FALSE, FALSE, kLzrScanningEventName);
  } else if (reason == DLL_PROCESS_DETACH && g_scanning_event) {
    CloseHandle(g_scanning_event);
  }
  return TRUE;
}

int32_t WINAPI LZROpen(int32_t reserved1, int32_t reserved2) {
  SimLock lock;
  int32_t r;
  if (!EnterLaser(lock, "LZROpen", &r)) return r;
  lock->laser.opened = 1;
  SimLog(lock.get(), "LZROpen %d %d", static_cast<int>(reserved1), static_cast<int>(reserved2));
  return 0;
}

int32_t WINAPI LZRClose() {
  SimLock lock;
  int32_t r;
  if (!EnterLaser(lock, "LZRClose", &r)) return r;
  lock->laser.opened = 0;
  if (lock->laser.running) {
    EndScan(lock.get());
    SimLog(lock.get(), "LZRScanEnded close");
  }
  SimLog(lock.get(), "LZRClose");
  return 0;
}

int32_t WINAPI LZRLoadConfigFile() {
  SimLock lock;
  int32_t r;
  if (!EnterLaser(lock, "LZRLoadConfigFile", &r)) return r;
  SimLog(lock.get(), "LZRLoadConfigFile");
  const int32_t result = lock->values.config_load_result;
  if (result == 0) SimRestoreConfiguration(lock.get());
  return result;
}

int32_t WINAPI LZRSaveConfigFile() {
  SimLock lock;
  int32_t r;
  if (!EnterLaser(lock, "LZRSaveConfigFile", &r)) return r;
  SimLog(lock.get(), "LZRSaveConfigFile");
  SimStoreConfiguration(lock.get());
  return 0;
}
int32_t WINAPI LZRSetDefaultSymbology() { return Action("LZRSetDefaultSymbology"); }
int32_t WINAPI LZRSetDefaultSymbologyEx() { return Action("LZRSetDefaultSymbologyEx"); }

int32_t WINAPI LZRSetScanningNotification(int32_t mode, int32_t reserved) {
  SimLock lock;
  int32_t r;
  if (!EnterLaser(lock, "LZRSetScanningNotification", &r)) return r;
  lock->laser.notification = mode;
  SimLog(lock.get(), "LZRSetScanningNotification %d %d", static_cast<int>(mode),
         static_cast<int>(reserved));
  return 0;
}

int32_t WINAPI LZRGetScanningKey(uint32_t* keys) {
  return GetValue("LZRGetScanningKey", &SimReaderValues::scanning_keys, keys);
}
int32_t WINAPI LZRSetScanningKey(uint32_t keys) {
  return SetValue("LZRSetScanningKey", &SimReaderValues::scanning_keys, keys);
}
int32_t WINAPI LZRGetLED(uint8_t* led) { return GetValue("LZRGetLED", &SimReaderValues::led, led); }
int32_t WINAPI LZRSetLED(uint8_t led) { return SetValue("LZRSetLED", &SimReaderValues::led, led); }
int32_t WINAPI LZRGetBuzzer(uint8_t* buzzer) {
  return GetValue("LZRGetBuzzer", &SimReaderValues::buzzer, buzzer);
}
int32_t WINAPI LZRSetBuzzer(uint8_t buzzer) {
  return SetValue("LZRSetBuzzer", &SimReaderValues::buzzer, buzzer);
}
int32_t WINAPI LZRGetVibrator(uint32_t* vibrator) {
  return GetValue("LZRGetVibrator", &SimReaderValues::vibrator, vibrator);
}
int32_t WINAPI LZRSetVibrator(uint32_t vibrator) {
  return SetValue("LZRSetVibrator", &SimReaderValues::vibrator, vibrator);
}
int32_t WINAPI LZRGetSuffixChar(uint8_t* code) {
  return GetValue("LZRGetSuffixChar", &SimReaderValues::suffix_code, code);
}
int32_t WINAPI LZRSetSuffixChar(uint8_t code) {
  return SetValue("LZRSetSuffixChar", &SimReaderValues::suffix_code, code);
}
int32_t WINAPI LZRGetBuffType(uint8_t* type) {
  return GetValue("LZRGetBuffType", &SimReaderValues::buffer_type, type);
}
int32_t WINAPI LZRSetBuffType(uint8_t type) {
  return SetValue("LZRSetBuffType", &SimReaderValues::buffer_type, type);
}
int32_t WINAPI LZRGetFocus(uint32_t* focus) {
  return GetValue("LZRGetFocus", &SimReaderValues::focus, focus);
}
int32_t WINAPI LZRSetFocus(uint32_t focus) {
  return SetValue("LZRSetFocus", &SimReaderValues::focus, focus);
}
int32_t WINAPI LZRGetSwingAngle(uint32_t* angle) {
  return GetValue("LZRGetSwingAngle", &SimReaderValues::swing_angle, angle);
}
int32_t WINAPI LZRSetSwingAngle(uint32_t angle) {
  return SetValue("LZRSetSwingAngle", &SimReaderValues::swing_angle, angle);
}
int32_t WINAPI LZRGetScanningTimeout(uint32_t* timeout) {
  return GetValue("LZRGetScanningTimeout", &SimReaderValues::timeout, timeout);
}
int32_t WINAPI LZRGetScanningType(uint8_t* type) {
  return GetValue("LZRGetScanningType", &SimReaderValues::scanning_type, type);
}
int32_t WINAPI LZRSetScanningType(uint8_t type) {
  return SetValue("LZRSetScanningType", &SimReaderValues::scanning_type, type);
}

// A start while a scan runs restarts it with the new time-out.
int32_t WINAPI LZRStartScanning(uint32_t timeout) {
  SimLock lock;
  int32_t r;
  if (!EnterLaser(lock, "LZRStartScanning", &r)) return r;
  SimLaserScan& l = lock->laser;
  ++l.generation;
  l.running = 1;
  l.timeout = timeout;
  l.started = SimNow(lock.get());
  l.buffer_idle = 1;
  if (!StartWorker(l.generation)) {
    EndScan(lock.get());
    return kSimNoResources;
  }
  SimLog(lock.get(), "LZRStartScanning %u", static_cast<unsigned>(timeout));
  return 0;
}

int32_t WINAPI LZRStopScanning() {
  SimLock lock;
  int32_t r;
  if (!EnterLaser(lock, "LZRStopScanning", &r)) return r;
  EndScan(lock.get());
  SimLog(lock.get(), "LZRStopScanning");
  return 0;
}

int32_t WINAPI LZRGetLastEventStatus(uint32_t* status) {
  SimLock lock;
  int32_t r;
  if (!EnterLaser(lock, "LZRGetLastEventStatus", &r)) return r;
  if (!status) return kSimBadArgument;
  *status = lock->laser.last_event_status;
  return 0;
}

int32_t WINAPI LZRGetStatus(uint32_t* status_word, uint8_t* pending) {
  SimLock lock;
  int32_t r;
  if (!EnterLaser(lock, "LZRGetStatus", &r)) return r;
  if (!status_word || !pending) return kSimBadArgument;
  *status_word = lock->laser.running ? 1 : 0;
  *pending = lock->laser.pending ? 1 : 0;
  return 0;
}

int32_t WINAPI LZRGets(char* text, int32_t* type_code, uint8_t* length) {
  SimLock lock;
  int32_t r;
  if (!EnterLaser(lock, "LZRGets", &r)) return r;
  if (!text || !type_code || !length) return kSimBadArgument;
  SimLaserScan& l = lock->laser;
  if (!l.pending) {
    text[0] = 0;
    *type_code = 0;
    *length = 0;
    return kSimNoData;
  }
  memcpy(text, l.pending_text, l.pending_length + 1);
  *type_code = l.pending_type;
  *length = static_cast<uint8_t>(l.pending_length);
  l.pending = 0;
  l.taken_at = SimNow(lock.get());
  return 0;
}

int32_t WINAPI LZRClearBuff() {
  SimLock lock;
  int32_t r;
  if (!EnterLaser(lock, "LZRClearBuff", &r)) return r;
  lock->laser.pending = 0;
  lock->laser.buffer_idle = 1;
  SimWakeReader();
  return 0;
}

}  // extern "C"

SIM_CHECK_SIGNATURE(LZROpen, LZROpenFn);
SIM_CHECK_SIGNATURE(LZRClose, LZRCloseFn);
SIM_CHECK_SIGNATURE(LZRLoadConfigFile, LZRLoadConfigFileFn);
SIM_CHECK_SIGNATURE(LZRSaveConfigFile, LZRSaveConfigFileFn);
SIM_CHECK_SIGNATURE(LZRSetDefaultSymbology, LZRSetDefaultSymbologyFn);
SIM_CHECK_SIGNATURE(LZRSetDefaultSymbologyEx, LZRSetDefaultSymbologyExFn);
SIM_CHECK_SIGNATURE(LZRSetScanningNotification, LZRSetScanningNotificationFn);
SIM_CHECK_SIGNATURE(LZRGetScanningKey, LZRGetScanningKeyFn);
SIM_CHECK_SIGNATURE(LZRSetScanningKey, LZRSetScanningKeyFn);
SIM_CHECK_SIGNATURE(LZRGetLED, LZRGetLEDFn);
SIM_CHECK_SIGNATURE(LZRSetLED, LZRSetLEDFn);
SIM_CHECK_SIGNATURE(LZRGetBuzzer, LZRGetBuzzerFn);
SIM_CHECK_SIGNATURE(LZRSetBuzzer, LZRSetBuzzerFn);
SIM_CHECK_SIGNATURE(LZRGetVibrator, LZRGetVibratorFn);
SIM_CHECK_SIGNATURE(LZRSetVibrator, LZRSetVibratorFn);
SIM_CHECK_SIGNATURE(LZRGetSuffixChar, LZRGetSuffixCharFn);
SIM_CHECK_SIGNATURE(LZRSetSuffixChar, LZRSetSuffixCharFn);
SIM_CHECK_SIGNATURE(LZRGetBuffType, LZRGetBuffTypeFn);
SIM_CHECK_SIGNATURE(LZRSetBuffType, LZRSetBuffTypeFn);
SIM_CHECK_SIGNATURE(LZRGetFocus, LZRGetFocusFn);
SIM_CHECK_SIGNATURE(LZRSetFocus, LZRSetFocusFn);
SIM_CHECK_SIGNATURE(LZRGetSwingAngle, LZRGetSwingAngleFn);
SIM_CHECK_SIGNATURE(LZRSetSwingAngle, LZRSetSwingAngleFn);
SIM_CHECK_SIGNATURE(LZRGetScanningTimeout, LZRGetScanningTimeoutFn);
SIM_CHECK_SIGNATURE(LZRGetScanningType, LZRGetScanningTypeFn);
SIM_CHECK_SIGNATURE(LZRSetScanningType, LZRSetScanningTypeFn);
SIM_CHECK_SIGNATURE(LZRStartScanning, LZRStartScanningFn);
SIM_CHECK_SIGNATURE(LZRStopScanning, LZRStopScanningFn);
SIM_CHECK_SIGNATURE(LZRGetLastEventStatus, LZRGetLastEventStatusFn);
SIM_CHECK_SIGNATURE(LZRGetStatus, LZRGetStatusFn);
SIM_CHECK_SIGNATURE(LZRGets, LZRGetsFn);
SIM_CHECK_SIGNATURE(LZRClearBuff, LZRClearBuffFn);
