// The platform's critical section: a recursive lock held for a few
// instructions at a time (one settings field, one queue operation).
#pragma once

class Lock {
 public:
  Lock();
  ~Lock();
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;

  void Enter();
  void Leave();

 private:
  // Room for a CRITICAL_SECTION or a pthread mutex; each platform file checks
  // that its object fits.
  alignas(8) unsigned char storage_[64];
};

// Holds a Lock for the life of a scope.
class LockHolder {
 public:
  explicit LockHolder(Lock& lock) : lock_(lock) { lock_.Enter(); }
  ~LockHolder() { lock_.Leave(); }
  LockHolder(const LockHolder&) = delete;
  LockHolder& operator=(const LockHolder&) = delete;

 private:
  Lock& lock_;
};
