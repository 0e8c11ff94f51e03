// The bookkeeping of one bulk run: the barcodes accepted so far, their count
// and the type and length of the first. The reader thread adds to it while
// the UI thread and the forget timer clear it, so every change goes through
// here under one short lock; nothing slow ever runs while it is held.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

class Settings;

// Barcodes accepted in the current run; 0 when no run is open. Changed only
// under the run's lock (by BulkAdmit and the clears below); any thread may
// read it at any time.
extern std::atomic<uint32_t> BulkCount;
// Set when a run stopped at its limit, until the next bulk scan starts. What
// the reader delivers in between was read after the run ended (an imager
// decodes ahead of the thread that counts) and belongs to no run.
extern std::atomic<bool> BulkRunEndedAtLimit;
// Type code and length of the run's first barcode; meaningful while
// BulkCount is not 0.
extern int32_t BulkFirstType;
extern uint32_t BulkFirstLength;

enum BulkAdmission : int {
  kBulkAccepted = 0,  // counted and remembered
  kBulkDuplicate,     // read already in this run
  kBulkOtherType,     // BulkSameType and another type than the first
  kBulkOtherLength,   // BulkSameLength and another length than the first
  kBulkAtLimit,       // the run holds its limit already
};

constexpr uint32_t kBulkNoLimit = 0xFFFFFFFFu;

// The run's rules for one barcode, all under the lock so that a clear can
// never fall between the duplicate check and the count: a text already in
// the ComparisonQueue is refused, the first barcode of a run fixes type and
// length, and an accepted text is pushed there with its terminator (text must
// hold length + 1 bytes, the last one 0) and counted. A run that holds
// `limit` barcodes takes no more: two reads arriving together cannot both
// pass the limit. *count (optional) receives BulkCount as this call left it.
BulkAdmission BulkAdmit(const char* text, uint32_t length, int32_t type, bool sameType,
                        bool sameLength, uint32_t* count = nullptr,
                        uint32_t limit = kBulkNoLimit);

// Forgets the run: the ComparisonQueue emptied and BulkCount 0, together.
void ClearBulkRun();
// Forgets the run only when it holds no more than `upTo` barcodes, deciding
// and clearing in one step. Returns true when it cleared.
bool ClearBulkRunUpTo(uint32_t upTo);

// Whether a run of `count` barcodes is at its limit (BulkLimitEnable on and
// BulkLimit reached): it then takes no barcode and no press until cleared.
bool BulkLimitReached(const Settings& settings, uint32_t count);
