#include "libventrilo/VentScopedLock.h"

#include "libventrilo/VentCriticalSection.h"

VentScopedLock::VentScopedLock(VentCriticalSection* section) : section_(section) { section_->Lock(); }

VentScopedLock::~VentScopedLock() { section_->Unlock(); }
