// Stand-in device services library: model and settings-file identification from the
// terminal state, and a log line for every LED, buzzer, vibrator, power-on key, user-key and
// reset call so tests can see what the device was asked to do.
#include <cwchar>

#include "../device/device_api.h"
#include "sim_calls.h"

namespace {

// DvcLib answers non-zero for success.
constexpr int32_t kDvcDone = 1;
constexpr int32_t kDvcFailed = 0;

// True when the call may go on; otherwise *result is its answer (failure when the state is
// unreachable).
bool EnterDevice(SimLock& lock, const char* call, int32_t* result) {
  if (SimEnter(lock, call, kSimReaderNone, result)) return true;
  if (*result == kSimNoState) *result = kDvcFailed;
  return false;
}

}  // namespace

extern "C" {

int32_t WINAPI DvcGetModelName(uint32_t* model_code, uint32_t* extra1, uint32_t* extra2) {
  SimLock lock;
  int32_t r;
  if (!EnterDevice(lock, "DvcGetModelName", &r)) return r;
  // A terminal that was never set up has no identity.
  if (!lock->initialised || !model_code) return kDvcFailed;
  *model_code = lock->model;
  if (extra1) *extra1 = 0;
  if (extra2) *extra2 = 0;
  return kDvcDone;
}

// Answers for both readers' files whatever reader is fitted: the folder is the terminal's.
int32_t WINAPI DvcGetSystemName(int32_t which, WCHAR* buffer) {
  SimLock lock;
  int32_t r;
  if (!EnterDevice(lock, "DvcGetSystemName", &r)) return r;
  if (!buffer || !lock->initialised || lock->system_name_dir[0] == 0) return kDvcFailed;
  const WCHAR* file = which == kDvcSystemNameLaser    ? L"LZRDRV.ini"
                      : which == kDvcSystemNameImager ? L"PIXSet.ini"
                                                      : nullptr;
  if (!file) return kDvcFailed;
  const WCHAR* dir = lock->system_name_dir;
  size_t dir_length = wcslen(dir);
  const WCHAR* separator = dir[dir_length - 1] == L'\\' ? L"" : L"\\";
  WCHAR path[kDvcSystemNameUnits];
  int n = swprintf(path, kDvcSystemNameUnits, L"%ls%ls%ls", dir, separator, file);
  if (n < 0 || n >= kDvcSystemNameUnits) return kDvcFailed;  // never a cut path
  wcscpy(buffer, path);
  return kDvcDone;
}

int32_t WINAPI DvcSetBootup(uint32_t mask) {
  SimLock lock;
  int32_t r;
  if (!EnterDevice(lock, "DvcSetBootup", &r)) return r;
  SimLog(lock.get(), "DvcSetBootup 0x%X", static_cast<unsigned>(mask));
  return kDvcDone;
}

int32_t WINAPI DvcSoftReset() {
  SimLock lock;
  int32_t r;
  if (!EnterDevice(lock, "DvcSoftReset", &r)) return r;
  SimLog(lock.get(), "DvcSoftReset");
  return kDvcDone;
}

int32_t WINAPI DvcSetLED(int32_t colour, int32_t duration, int32_t pattern, int32_t repeat) {
  SimLock lock;
  int32_t r;
  if (!EnterDevice(lock, "DvcSetLED", &r)) return r;
  SimLog(lock.get(), "DvcSetLED %d %d %d %d", static_cast<int>(colour), static_cast<int>(duration),
         static_cast<int>(pattern), static_cast<int>(repeat));
  return kDvcDone;
}

int32_t WINAPI DvcPlayBuzzer(int32_t pattern, int32_t frequency, int32_t duration) {
  SimLock lock;
  int32_t r;
  if (!EnterDevice(lock, "DvcPlayBuzzer", &r)) return r;
  SimLog(lock.get(), "DvcPlayBuzzer %d %d %d", static_cast<int>(pattern),
         static_cast<int>(frequency), static_cast<int>(duration));
  return kDvcDone;
}

int32_t WINAPI DvcStopBuzzer() {
  SimLock lock;
  int32_t r;
  if (!EnterDevice(lock, "DvcStopBuzzer", &r)) return r;
  SimLog(lock.get(), "DvcStopBuzzer");
  return kDvcDone;
}

int32_t WINAPI DvcPlayVibrator(int32_t pattern, int32_t a, int32_t b, int32_t c) {
  SimLock lock;
  int32_t r;
  if (!EnterDevice(lock, "DvcPlayVibrator", &r)) return r;
  SimLog(lock.get(), "DvcPlayVibrator %d %d %d %d", static_cast<int>(pattern), static_cast<int>(a),
         static_cast<int>(b), static_cast<int>(c));
  return kDvcDone;
}

int32_t WINAPI DvcGetUserDefineKeyState() {
  SimLock lock;
  int32_t r;
  if (!EnterDevice(lock, "DvcGetUserDefineKeyState", &r)) return r;
  SimLog(lock.get(), "DvcGetUserDefineKeyState");
  return lock->values.user_key_state;
}

int32_t WINAPI DvcSetUserDefineKeyState(int32_t state) {
  SimLock lock;
  int32_t r;
  if (!EnterDevice(lock, "DvcSetUserDefineKeyState", &r)) return r;
  lock->values.user_key_state = state;
  SimLog(lock.get(), "DvcSetUserDefineKeyState %d", static_cast<int>(state));
  return kDvcDone;
}

int32_t WINAPI DvcDeleteUserDefineKeyEx(int32_t plane, int32_t key) {
  SimLock lock;
  int32_t r;
  if (!EnterDevice(lock, "DvcDeleteUserDefineKeyEx", &r)) return r;
  SimLog(lock.get(), "DvcDeleteUserDefineKeyEx %d %d", static_cast<int>(plane),
         static_cast<int>(key));
  return kDvcDone;
}

}  // extern "C"

SIM_CHECK_SIGNATURE(DvcGetModelName, DvcGetModelNameFn);
SIM_CHECK_SIGNATURE(DvcGetSystemName, DvcGetSystemNameFn);
SIM_CHECK_SIGNATURE(DvcSetBootup, DvcSetBootupFn);
SIM_CHECK_SIGNATURE(DvcSoftReset, DvcSoftResetFn);
SIM_CHECK_SIGNATURE(DvcSetLED, DvcSetLEDFn);
SIM_CHECK_SIGNATURE(DvcPlayBuzzer, DvcPlayBuzzerFn);
SIM_CHECK_SIGNATURE(DvcStopBuzzer, DvcStopBuzzerFn);
SIM_CHECK_SIGNATURE(DvcPlayVibrator, DvcPlayVibratorFn);
SIM_CHECK_SIGNATURE(DvcGetUserDefineKeyState, DvcGetUserDefineKeyStateFn);
SIM_CHECK_SIGNATURE(DvcSetUserDefineKeyState, DvcSetUserDefineKeyStateFn);
SIM_CHECK_SIGNATURE(DvcDeleteUserDefineKeyEx, DvcDeleteUserDefineKeyExFn);
