// Opening the shared terminal state and the small operations on it that the libraries and
// simterm have in common: defaults, log, faults, barcode queue.
#include "sim_state.h"

#include "barcode_filter.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <cwchar>

namespace {

constexpr uint32_t kMagic = 0x53534D31;  // "SSM1"; a different layout starts afresh

struct SimHandles {
  HANDLE mutex;
  SimState* state;
};

// Every name the libraries export, for `simterm fail` to reject typos.
const char* const kKnownCalls[] = {
    "LZROpen",
    "LZRClose",
    "LZRLoadConfigFile",
    "LZRSaveConfigFile",
    "LZRSetDefaultSymbology",
    "LZRSetDefaultSymbologyEx",
    "LZRSetScanningNotification",
    "LZRGetScanningKey",
    "LZRSetScanningKey",
    "LZRGetLED",
    "LZRSetLED",
    "LZRGetBuzzer",
    "LZRSetBuzzer",
    "LZRGetVibrator",
    "LZRSetVibrator",
    "LZRGetSuffixChar",
    "LZRSetSuffixChar",
    "LZRGetBuffType",
    "LZRSetBuffType",
    "LZRGetFocus",
    "LZRSetFocus",
    "LZRGetSwingAngle",
    "LZRSetSwingAngle",
    "LZRGetScanningTimeout",
    "LZRGetScanningType",
    "LZRSetScanningType",
    "LZRStartScanning",
    "LZRStopScanning",
    "LZRGetLastEventStatus",
    "LZRGetStatus",
    "LZRGets",
    "LZRClearBuff",
    "PixOpen",
    "PixClose",
    "PixConnect",
    "PixDisconnect",
    "PixDecode",
    "PixCancelDecode",
    "PixAimer",
    "PixSaveConfigFile",
    "PixLoadConfigFile",
    "PixGetDecodeMode",
    "PixSetDecodeMode",
    "PixGetLED",
    "PixSetLED",
    "PixGetBuzzer",
    "PixSetBuzzer",
    "PixGetVibrator",
    "PixSetVibrator",
    "DvcGetModelName",
    "DvcGetSystemName",
    "DvcSetBootup",
    "DvcSoftReset",
    "DvcSetLED",
    "DvcPlayBuzzer",
    "DvcStopBuzzer",
    "DvcPlayVibrator",
    "DvcGetUserDefineKeyState",
    "DvcSetUserDefineKeyState",
    "DvcDeleteUserDefineKeyEx",
};

void Append(WCHAR* out, int units, const WCHAR* text) {
  size_t used = wcslen(out);
  if (used + 1 >= static_cast<size_t>(units)) return;
  wcsncat(out, text, units - used - 1);
}

// A record found with another layout (an older simulator) or a brand-new file: a terminal
// that was never initialised, with a running clock so its log works.
void ResetRecord(SimState* s) {
  memset(s, 0, sizeof *s);
  s->magic = kMagic;
  s->size = sizeof *s;
  s->epoch = GetTickCount64();
}

// Opened once per process and kept for its lifetime: the mapping must outlive every thread
// that may still touch it, and closing it buys nothing.
SimHandles OpenHandles() {
  SimHandles h = {nullptr, nullptr};
  WCHAR base[96];
  SimBaseName(base, 96);

  WCHAR name[128];
  swprintf(name, 128, L"%lsMutex", base);
  h.mutex = CreateMutexW(nullptr, FALSE, name);
  if (!h.mutex) return h;

  WCHAR path[MAX_PATH + 1];
  DWORD n = GetTempPathW(MAX_PATH - 100, path);
  if (n == 0 || n >= MAX_PATH - 100) return h;
  Append(path, MAX_PATH, base);
  Append(path, MAX_PATH, L".state");

  HANDLE file = CreateFileW(path, GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return h;
  swprintf(name, 128, L"%lsState", base);
  // Sizing the mapping grows the file to fit; new bytes read as zero.
  HANDLE mapping = CreateFileMappingW(file, nullptr, PAGE_READWRITE, 0, sizeof(SimState), name);
  CloseHandle(file);
  if (!mapping) return h;
  void* view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(SimState));
  if (!view) {
    CloseHandle(mapping);
    return h;
  }
  h.state = static_cast<SimState*>(view);
  return h;
}

SimHandles& Handles() {
  static SimHandles handles = OpenHandles();
  return handles;
}

}  // namespace

SimLock::SimLock() : state_(nullptr) {
  SimHandles& h = Handles();
  if (!h.state || !h.mutex) return;
  // An abandoned mutex (a process died holding it) still hands us the record.
  DWORD r = WaitForSingleObject(h.mutex, 5000);
  if (r != WAIT_OBJECT_0 && r != WAIT_ABANDONED) return;
  state_ = h.state;
  if (state_->magic != kMagic || state_->size != sizeof(SimState)) ResetRecord(state_);
}

SimLock::~SimLock() {
  if (state_) ReleaseMutex(Handles().mutex);
}

void SimBaseName(WCHAR* out, int units) {
  WCHAR suffix[64] = L"";
  DWORD n = GetEnvironmentVariableW(L"SARNU_SIM_NAME", suffix, 64);
  if (n >= 64) suffix[0] = 0;  // too long: ignore rather than cut into someone else's name
  for (WCHAR* p = suffix; *p; ++p) {
    if (*p == L'\\') *p = L'_';
  }
  swprintf(out, units, L"SarnuSim%ls", suffix);
}

void SimInitTerminal(SimState* s, uint32_t model, int32_t reader, const WCHAR* dir) {
  ResetRecord(s);
  s->initialised = 1;
  s->model = model;
  s->reader = reader;
  if (dir && wcslen(dir) < kSimDirUnits) wcscpy(s->system_name_dir, dir);

  SimReaderValues& v = s->values;
  v.led = 1;
  v.buzzer = 1;
  v.vibrator = 1;
  v.suffix_code = 0;
  v.buffer_type = 0;
  v.scanning_keys = 0x03;
  v.focus = 1;
  v.swing_angle = 2;
  v.timeout = 3000;
  v.scanning_type = 0;
  v.decode_mode = 0;
  v.decode_count = 1;
  v.decode_flags = 0;
  v.config_load_result = 0;
  v.user_key_state = 1;
  s->saved = v;

  s->laser.buffer_idle = 1;
}

uint32_t SimNow(const SimState* s) { return static_cast<uint32_t>(GetTickCount64() - s->epoch); }

void SimLog(SimState* s, const char* format, ...) {
  SimLogLine& line = s->log[s->log_written % kSimLogSize];
  line.stamp = SimNow(s);
  va_list args;
  va_start(args, format);
  vsnprintf(line.text, sizeof line.text, format, args);
  va_end(args);
  ++s->log_written;
}

int SimTakeFault(SimState* s, const char* call, int32_t* code) {
  for (SimFault& f : s->faults) {
    if (strcmp(f.call, call) != 0) continue;
    *code = f.code;
    SimLog(s, "fault %s %d", call, static_cast<int>(f.code));
    if (f.once) f.call[0] = 0;
    return 1;
  }
  return 0;
}

int SimSetFault(SimState* s, const char* call, int32_t code, int once) {
  SimFault* slot = nullptr;
  for (SimFault& f : s->faults) {
    if (strcmp(f.call, call) == 0) {
      slot = &f;
      break;
    }
    if (!slot && f.call[0] == 0) slot = &f;
  }
  if (!slot) return 0;
  snprintf(slot->call, sizeof slot->call, "%s", call);
  slot->code = code;
  slot->once = once ? 1 : 0;
  return 1;
}

void SimClearFault(SimState* s, const char* call) {
  for (SimFault& f : s->faults) {
    if (!call || strcmp(f.call, call) == 0) f.call[0] = 0;
  }
}

HANDLE SimReaderWakeEvent() {
  static const HANDLE event = [] {
    WCHAR base[96];
    SimBaseName(base, 96);
    WCHAR name[128];
    swprintf(name, 128, L"%lsReaderWake", base);
    return CreateEventW(nullptr, FALSE, FALSE, name);
  }();
  return event;
}

void SimWakeReader() {
  if (HANDLE event = SimReaderWakeEvent()) SetEvent(event);
}

int SimQueuePush(SimState* s, const SimBarcode& barcode) {
  if (s->queue_count >= kSimQueueSize) return 0;
  s->queue[(s->queue_head + s->queue_count) % kSimQueueSize] = barcode;
  ++s->queue_count;
  SimWakeReader();
  return 1;
}

int SimQueuePop(SimState* s, SimBarcode* barcode) {
  if (s->queue_count == 0) return 0;
  *barcode = s->queue[s->queue_head];
  s->queue_head = (s->queue_head + 1) % kSimQueueSize;
  --s->queue_count;
  return 1;
}

int SimIsKnownCall(const char* call) {
  for (const char* known : kKnownCalls) {
    if (strcmp(known, call) == 0) return 1;
  }
  return 0;
}

const char* SimLaserSuffix(uint32_t suffix_code) {
  // The wedge and sarnuconf model the same characters: one table for all.
  return LaserAppendedSuffix(suffix_code > 255 ? 255 : static_cast<unsigned char>(suffix_code));
}

void SimRestoreConfiguration(SimState* s) {
  const int32_t loadResult = s->values.config_load_result;
  const int32_t userKeys = s->values.user_key_state;
  s->values = s->saved;
  s->values.config_load_result = loadResult;
  s->values.user_key_state = userKeys;
}

void SimStoreConfiguration(SimState* s) { s->saved = s->values; }
