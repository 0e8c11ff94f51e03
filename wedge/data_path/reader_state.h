// The reader's modes and values as the data path reads them. The wedge's
// reader object (ScanDevice) is this record and more: it alone changes them,
// the data path only reads them, on whichever thread it runs.
#pragma once

#include <atomic>
#include <cstdint>

struct ReaderState {
  uint8_t SuffixChar = 0;    // the reader's suffix code
  uint8_t BufferType = 0;    // kBufferTypeClipboard: output through the clipboard
  uint32_t ScanTimeout = 0;  // ms; an imager scan's decode time-out
  uint32_t BulkActive = 0;
  uint32_t AimerActive = 0;
  uint32_t Scanning = 0;
  // Scans started so far. A bulk run's end notes it, so that the forget
  // timer can tell a new scan of the same run from the run's own scan whose
  // stop has not (or could not) come yet.
  std::atomic<uint32_t> ScanStarts{0};
};

// The process's reader; null before start-up makes it and after exit.
extern ReaderState* g_reader;
