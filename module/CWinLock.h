// A Windows critical section held for a scope: constructed with lockNow set it
// enters the section at once, and it leaves it when destroyed if still held.
// Every lock of the module frame is taken this way.
#pragma once

#include "module/CPortableLock.h"

class CWinLock final : public CPortableLock {
 public:
  CWinLock(CRITICAL_SECTION* section, bool lockNow);
  ~CWinLock();

  CWinLock(const CWinLock&) = delete;
  CWinLock& operator=(const CWinLock&) = delete;

  void SetSection(CRITICAL_SECTION* section) override;
  void Enter() override;
  void Leave() override;
  bool IsLocked() override { return held_; }
  // The standard's lock and unlock, so that std::condition_variable_any can
  // wait on the lock.
  void lock() { Enter(); }
  void unlock() { Leave(); }

 private:
  CRITICAL_SECTION* section_;
  bool held_ = false;
};
