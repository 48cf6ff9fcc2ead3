#pragma once

#include "platform/Win32.h"

class IVentrilo;

// Receives the client instances that IVentriloLocator::Enumerate reports.
// Returning 1 stops the enumeration after this call. The locator holds a
// reference for the duration of the call; a callee that keeps the instance
// takes its own.
class IVentriloEnumerator {
 public:
  virtual int OnVentrilo(DWORD processId, IVentrilo* instance) = 0;

 protected:
  ~IVentriloEnumerator() = default;
};
