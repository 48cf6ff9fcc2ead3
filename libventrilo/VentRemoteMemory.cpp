#include "libventrilo/VentRemoteMemory.h"

#include <new>

VentRemoteMemory::VentRemoteMemory(HANDLE process) : process_(process) {}

VentRemoteMemory::~VentRemoteMemory() { Free(); }

bool VentRemoteMemory::Allocate() {
  if (itemBuffer_ != nullptr)
    return true;
  itemBuffer_.reset(new (std::nothrow) VentRemoteBuffer(process_));
  textBuffer_.reset(new (std::nothrow) VentRemoteBuffer(process_));
  return true;
}

void VentRemoteMemory::Free() {
  itemBuffer_.reset();
  textBuffer_.reset();
}
