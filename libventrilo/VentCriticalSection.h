#pragma once

#include "platform/Win32.h"

// A Win32 critical section owned for its whole life. Recursive, as Windows'
// critical sections are: the owner may lock again and unlocks once per lock.
class VentCriticalSection {
 public:
  VentCriticalSection();
  virtual ~VentCriticalSection();

  VentCriticalSection(const VentCriticalSection&) = delete;
  VentCriticalSection& operator=(const VentCriticalSection&) = delete;

  virtual void Lock();
  virtual void Unlock();

 private:
  CRITICAL_SECTION section_;
};
