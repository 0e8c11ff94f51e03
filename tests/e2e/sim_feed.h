// Barcodes put in front of the simulated reader straight through the
// terminal's shared state, without a simterm process per batch: the load
// test and the scan benchmark feed a thousand barcodes this way, as fast as
// the reader's small queue takes them.
#pragma once

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "sim_state.h"

// Queues `barcode` (laser type `typeCode`, imager symbology `symbology`);
// false when the queue is full or the state cannot be reached.
inline bool SimQueueOne(const std::string& barcode, int32_t typeCode = 0, char symbology = 'A') {
  SimLock lock;
  if (!lock || barcode.size() > kSimMaxBarcode) return false;
  SimBarcode b = {};
  b.type_code = typeCode;
  b.symbology = symbology;
  b.length = uint32_t(barcode.size());
  std::memcpy(b.data, barcode.data(), barcode.size());
  return SimQueuePush(lock.get(), b) != 0;
}

inline uint32_t SimQueued() {
  SimLock lock;
  return lock ? lock->queue_count : 0;
}

// Takes away what the reader has not read yet.
inline void SimQueueClear() {
  SimLock lock;
  if (lock) lock->queue_count = 0;
}

// Feeds every barcode in order, waiting while the queue is full; gives up
// when the reader takes nothing for `stallMs`. Returns how many were queued.
inline size_t SimFeedAll(const std::vector<std::string>& barcodes, DWORD stallMs = 10000) {
  size_t fed = 0;
  ULONGLONG lastProgress = GetTickCount64();
  while (fed < barcodes.size()) {
    if (SimQueueOne(barcodes[fed])) {
      ++fed;
      lastProgress = GetTickCount64();
    } else {
      if (GetTickCount64() - lastProgress > stallMs) break;
      Sleep(1);
    }
  }
  return fed;
}
