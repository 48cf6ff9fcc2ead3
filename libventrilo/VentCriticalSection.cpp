#include "libventrilo/VentCriticalSection.h"

VentCriticalSection::VentCriticalSection() { InitializeCriticalSection(&section_); }

VentCriticalSection::~VentCriticalSection() { DeleteCriticalSection(&section_); }

void VentCriticalSection::Lock() { EnterCriticalSection(&section_); }

void VentCriticalSection::Unlock() { LeaveCriticalSection(&section_); }
