// The scan log (ScanLog=1): one CSV line per barcode read, whatever became
// of it, for the site's question "did the wedge get that barcode?". The
// lines are made where the outcome is known (admission for the bulk run's
// refusals, the output thread for the rest), queued, and written in batches
// by ScanLogThread, never on the typing path.
#pragma once

#include <cstddef>
#include <cstdint>

struct Barcode;

enum class ScanOutcome : uint8_t {
  Typed,
  Pasted,
  Duplicate,     // refused by the bulk run as a duplicate
  TypeOrLength,  // refused by the bulk run for its type or length
  PastLimit,     // read after the bulk run reached its limit
  Filtered,      // the filter left nothing to send
  FocusMoved,    // stopped by the focus guard
};

// The outcome as the log writes it ("typed", "refused duplicate", ...).
const char* ScanOutcomeName(ScanOutcome outcome);

// One line's facts. Texts are zero-terminated; program and profile UTF-16
// (profile empty for the main settings), the data narrow (ANSI code page).
struct ScanLogRecord {
  uint16_t year, month, day, hour, minute, second, millisecond;
  int32_t reader;
  int32_t type;
  const char* identifier;  // "]C1", or "" when the table has none
  const char16_t* program;
  const char16_t* profile;
  ScanOutcome outcome;
  const char* data;
  size_t length;  // the data's bytes as read
  bool withData;  // ScanLogData: the data itself, else its hash
};

// The file's first line.
extern const char kScanLogHeader[];

// One line in UTF-8 with its CR LF: time, reader, type, identifier, program,
// profile, outcome, length, data (or "#" and a 16-digit FNV-1a hash of it).
// Fields with a comma, a quote or a line break are quoted. Returns the
// line's length, or 0 when it does not fit `capacity`.
size_t FormatScanLogLine(const ScanLogRecord& record, char* out, size_t capacity);

// Win32: queues the line of `barcode` (its data as it stands) when the main
// record says ScanLog=1; `program` and `profile` null when not known (a
// barcode refused before the output chose its profile names none).
void LogScan(const Barcode& barcode, ScanOutcome outcome, const char16_t* program,
             const char16_t* profile);

// Starts ScanLogThread once, the first time it is called with a main record
// that says ScanLog=1: a file without the log costs the wedge no thread. The
// entry procedure calls it after its threads start, and every load of the
// settings after that. The thread writes the queued lines every second and
// at the end, to ScanLogPath (or SARNULOG.CSV beside SARNU.INI), moving a
// file past ScanLogMaxKB to the same name with ".old" (one older file kept);
// it shows "ScanLogThread\r\nEvent\r\nERROR!" when an event cannot be had.
// The exit waits for it with the short-lived threads.
void StartScanLogWhenWanted();
