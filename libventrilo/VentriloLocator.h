#pragma once

#include "libventrilo/IVentriloLocator.h"
#include "libventrilo/VentCriticalSection.h"
#include "platform/Win32.h"

#include <map>

class Ventrilo;

// Finds the clients' main windows on the desktop and keeps one instance per
// client process, with one reference, from one Enumerate to the next while its
// window lives. Created through GetVentriloLocator; one per process.
class VentriloLocator final : public IVentriloLocator {
 public:
  VentriloLocator();

  // Serialised: concurrent calls run one after the other, callbacks included.
  int Enumerate(IVentriloEnumerator* enumerator) override;

 private:
  // Releases the instances still in the table and forgets the single locator.
  ~VentriloLocator() override;

  VentCriticalSection lock_;
  std::map<DWORD, Ventrilo*> instances_;
};
