#include "libventrilo/VentRemoteBuffer.h"

void VentRemoteBuffer::Write(const void* source, SIZE_T length) {
  if (address_)
    WriteProcessMemory(process_, address_, source, length, nullptr);
}

void VentRemoteBuffer::Read(void* target, SIZE_T length) {
  if (address_)
    ReadProcessMemory(process_, address_, target, length, nullptr);
}
