// The bulk run's bookkeeping under its one lock. The lock is held for a
// queue scan and a copy at most, so the laser's read thread never waits long.
#include "bulk_run.h"

#include <new>

#include "block_queue.h"
#include "lock.h"
#include "settings.h"

std::atomic<uint32_t> BulkCount{0};
std::atomic<bool> BulkRunEndedAtLimit{false};
int32_t BulkFirstType = 0;
uint32_t BulkFirstLength = 0;

namespace {

// Built on first use (the run may be touched before any other static
// constructor of the process has run) and never destroyed (a thread may
// still touch it while the process's statics go).
Lock& RunLock() {
  alignas(Lock) static unsigned char storage[sizeof(Lock)];
  static Lock* const lock = new (storage) Lock;
  return *lock;
}

}  // namespace

BulkAdmission BulkAdmit(const char* text, uint32_t length, int32_t type, bool sameType,
                        bool sameLength, uint32_t* count, uint32_t limit) {
  LockHolder hold(RunLock());
  BulkAdmission result = kBulkAccepted;
  if (BulkCount.load() >= limit) {
    result = kBulkAtLimit;
  } else if (ComparisonQueue.Contains(text, size_t(length) + 1)) {
    result = kBulkDuplicate;
  } else {
    if (BulkCount.load() == 0) {
      BulkFirstType = type;
      BulkFirstLength = length;
    }
    if (sameType && type != BulkFirstType) {
      result = kBulkOtherType;
    } else if (sameLength && length != BulkFirstLength) {
      result = kBulkOtherLength;
    } else {
      // A text that cannot be stored is still typed and counted; it only
      // escapes the duplicate check.
      ComparisonQueue.Push(text, size_t(length) + 1);
      BulkCount.fetch_add(1);
    }
  }
  if (count) *count = BulkCount.load();
  return result;
}

void ClearBulkRun() {
  LockHolder hold(RunLock());
  ComparisonQueue.Clear();
  BulkCount.store(0);
}

bool ClearBulkRunUpTo(uint32_t upTo) {
  LockHolder hold(RunLock());
  if (BulkCount.load() > upTo) return false;
  ComparisonQueue.Clear();
  BulkCount.store(0);
  return true;
}

bool BulkLimitReached(const Settings& settings, uint32_t count) {
  return settings.BulkLimitEnable && count >= settings.BulkLimit;
}
