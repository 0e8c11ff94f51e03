// The simulated terminal's one state, shared by the three stand-in libraries and simterm in
// every process: a record in a named, file-backed mapping guarded by a named mutex. The
// file keeps the terminal alive between simterm runs; SARNU_SIM_NAME picks a private one.
#pragma once

#include <windows.h>

#include <cstdint>

// Results of the stand-in reader libraries besides 0. Values with a meaning of their own to
// the wedge (6 from PixLoadConfigFile, -63738 from LZRLoadConfigFile) are never used here.
enum : int32_t {
  kSimNoReader = 1,     // this terminal has no such reader
  kSimBadArgument = 2,  // a null output or an unusable value
  kSimNoState = 3,      // the shared state could not be opened
  kSimNoData = 4,       // LZRGets with nothing pending
  kSimTimedOut = 5,     // PixDecode reached its time-out
  kSimNotOpen = 7,      // PixConnect before PixOpen
  kSimStopped = 8,      // PixDecode told to stop (keep-going 0, PixCancelDecode, PixClose)
  kSimNoResources = 9,  // a worker thread could not be started
};

// Last event statuses of a laser scan: data waiting, or the scan ended with nothing read.
enum : uint32_t { kSimEventData = 1, kSimEventTimeout = 2 };

enum SimReader : int32_t { kSimReaderNone = 0, kSimReaderLaser = 1, kSimReaderImager = 2 };

enum : int {
  kSimMaxBarcode = 8191,   // bytes of one queued barcode (the imager's text buffer, less NUL)
  kSimMaxLaserRead = 255,  // bytes of one laser read, appended suffix included
  kSimQueueSize = 32,
  kSimFaultSlots = 32,
  kSimCallNameSize = 40,
  kSimLogSize = 1024,  // lines kept; the oldest go first
  kSimLogTextSize = 124,
  kSimDirUnits = 240,  // system name folder, wide characters with NUL
};

// The reader's own values as the libraries report them. The laser reads the narrow ones as
// unsigned bytes; `simterm set` keeps those within 0..255.
struct SimReaderValues {
  uint32_t led;
  uint32_t buzzer;
  uint32_t vibrator;
  uint32_t suffix_code;
  uint32_t buffer_type;
  uint32_t scanning_keys;
  uint32_t focus;
  uint32_t swing_angle;
  uint32_t timeout;  // ms, LZRGetScanningTimeout
  uint32_t scanning_type;
  uint32_t decode_mode;
  uint32_t decode_count;
  uint32_t decode_flags;       // 16 bits used
  int32_t config_load_result;  // of LZRLoadConfigFile and PixLoadConfigFile
  int32_t user_key_state;      // DvcGetUserDefineKeyState
};

struct SimFault {
  char call[kSimCallNameSize];  // empty: free slot
  int32_t code;
  int32_t once;
};

struct SimBarcode {
  int32_t type_code;  // laser type code
  char symbology;     // imager symbology identifier
  uint32_t length;
  char data[kSimMaxBarcode + 1];
};

struct SimLaserScan {
  int32_t running;
  uint32_t generation;   // bumped by every start and stop: an old worker sees it and ends
  uint32_t timeout;      // ms; 0 runs until stopped
  uint32_t started;      // stamp
  int32_t notification;  // LZRSetScanningNotification mode; 0: the event is never signalled
  int32_t opened;
  uint32_t last_event_status;
  // The reader's read buffer: one barcode with its suffix, waiting for LZRGets.
  int32_t pending;
  int32_t pending_type;
  uint32_t pending_length;
  char pending_text[kSimMaxLaserRead + 1];
  // A new read is delivered only when the client is done with the last one (it called
  // LZRClearBuff, or took it a while ago): a read landing between the client's last
  // LZRGetStatus and its LZRClearBuff would otherwise be wiped unseen.
  int32_t buffer_idle;
  uint32_t taken_at;
};

struct SimImager {
  int32_t opened;
  int32_t connected;
  int32_t aimer;
  int32_t decoding;            // PixDecode calls waiting now
  uint32_t cancel_generation;  // bumped by PixCancelDecode and PixClose
};

struct SimLogLine {
  uint32_t stamp;
  char text[kSimLogTextSize];
};

struct SimState {
  uint32_t magic;
  uint32_t size;
  uint64_t epoch;  // GetTickCount64 at init; stamps count from here
  int32_t initialised;
  uint32_t model;
  int32_t reader;
  WCHAR system_name_dir[kSimDirUnits];  // empty: DvcGetSystemName finds nothing
  SimReaderValues values;
  // The reader's stored configuration: what its configuration file holds.
  // Saving copies the values here; a successful load puts them back, so a
  // value the wedge switched off comes back when the configuration is loaded.
  SimReaderValues saved;
  SimFault faults[kSimFaultSlots];
  uint32_t queue_head;
  uint32_t queue_count;
  SimBarcode queue[kSimQueueSize];
  SimLaserScan laser;
  SimImager imager;
  uint32_t log_written;  // lines ever written since init; the ring holds the last kSimLogSize
  SimLogLine log[kSimLogSize];
};

// Holds the state's mutex while it lives. Check it before use: the state may be unreachable
// (then every call answers as a terminal without readers would).
class SimLock {
 public:
  SimLock();
  ~SimLock();
  SimLock(const SimLock&) = delete;
  SimLock& operator=(const SimLock&) = delete;
  explicit operator bool() const { return state_ != nullptr; }
  SimState* operator->() const { return state_; }
  SimState* get() const { return state_; }

 private:
  SimState* state_;
};

// "SarnuSim" followed by SARNU_SIM_NAME (backslashes made '_'), e.g. "SarnuSimT42".
void SimBaseName(WCHAR* out, int units);

// A fresh terminal: every value at its default, queue, faults, scans and log emptied, the
// clock restarted. dir may be null or empty; one that does not fit is left empty.
void SimInitTerminal(SimState* s, uint32_t model, int32_t reader, const WCHAR* dir);

// Milliseconds since init, the time stamp of log lines.
uint32_t SimNow(const SimState* s);

// Appends one log line "<call> <arguments>" (printf format), cut to fit.
void SimLog(SimState* s, const char* format, ...) __attribute__((format(printf, 2, 3)));

// 1 with *code when a fault is set for call (a once-only fault is used up and logged).
int SimTakeFault(SimState* s, const char* call, int32_t* code);

// 1 when it was set; 0 when the table is full. code replaces an earlier fault of call.
int SimSetFault(SimState* s, const char* call, int32_t code, int once);
// call null: every fault.
void SimClearFault(SimState* s, const char* call);

// 1 when queued; 0 when the queue is full.
int SimQueuePush(SimState* s, const SimBarcode& barcode);

// A real reader hands a barcode over the moment it has decoded it. The
// running scan waits on this auto-reset event (per simulator state), which
// a queued barcode and a cleared read buffer set, instead of polling.
HANDLE SimReaderWakeEvent();
void SimWakeReader();
// 1 with the oldest barcode taken out; 0 when the queue is empty.
int SimQueuePop(SimState* s, SimBarcode* barcode);

// The saved configuration's reader values copied into the current ones and
// back; config_load_result and user_key_state are no configuration and stay.
void SimRestoreConfiguration(SimState* s);
void SimStoreConfiguration(SimState* s);

// One of the libraries' call names, for checking `simterm fail` arguments.
int SimIsKnownCall(const char* call);

// The characters a laser read appends per suffix code; the same table as the wedge's
// LaserAppendedSuffix (wedge/data_path/barcode_filter.h), kept here so the stand-in
// libraries depend on nothing of the product.
const char* SimLaserSuffix(uint32_t suffix_code);
