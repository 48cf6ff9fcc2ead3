// A lock over a platform section, usable as a scoped guard.
#pragma once

#include "platform/Win32.h"

class CPortableLock {
 public:
  // Attaches `section`, leaving the one held before, if any.
  virtual void SetSection(CRITICAL_SECTION* section) = 0;
  // Enters the attached section, if any, and marks the lock held. Entering a
  // lock already held does nothing, so one Leave always balances it.
  virtual void Enter() = 0;
  // Leaves the section if the lock is held.
  virtual void Leave() = 0;
  virtual bool IsLocked() = 0;

 protected:
  ~CPortableLock() = default;
};
