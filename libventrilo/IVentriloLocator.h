#pragma once

#include "libventrilo/IVentriloEnumerator.h"
#include "libventrilo/VentReferenceCounted.h"

// Finds the running clients on the desktop and keeps one instance object per
// client process from call to call.
class IVentriloLocator : public VentReferenceCounted {
 public:
  // Refreshes the instances from the desktop, then reports each in ascending
  // process-id order; returns the number of callbacks made.
  virtual int Enumerate(IVentriloEnumerator* enumerator) = 0;
};

// The process-wide locator, created on first use; the caller owns one reference.
bool GetVentriloLocator(IVentriloLocator** out);
