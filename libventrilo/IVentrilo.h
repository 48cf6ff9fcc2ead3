#pragma once

#include "libventrilo/VentReferenceCounted.h"
#include "platform/Win32.h"

class ISnapshot;

// One running client process, identified by its process id and main window.
class IVentrilo : public VentReferenceCounted {
 public:
  virtual DWORD GetProcessID() = 0;
  virtual bool IsProcessOpen() = 0;
  // On success `*out` holds a new snapshot carrying one reference owned by the
  // caller; on failure `*out` is left unchanged.
  virtual bool TakeSnapshot(ISnapshot** out) = 0;
  virtual HWND GetWindow() = 0;
  virtual bool Reserved1() = 0;
  virtual bool Reserved2(DWORD argument) = 0;
  virtual bool Reserved3(DWORD argument) = 0;
};
