#pragma once

class VentCriticalSection;

// Holds a VentCriticalSection from construction to destruction.
class VentScopedLock {
 public:
  explicit VentScopedLock(VentCriticalSection* section);
  ~VentScopedLock();

  VentScopedLock(const VentScopedLock&) = delete;
  VentScopedLock& operator=(const VentScopedLock&) = delete;

 private:
  VentCriticalSection* section_;
};
