#include "libventrilo/VentRemoteBuffer.h"

void VentRemoteBuffer::Write(const void* source, SIZE_T length) {
  if (address_ != nullptr)
    WriteProcessMemory(process_, address_, source, length, nullptr);
}

void VentRemoteBuffer::Read(void* target, SIZE_T length) {
  if (address_ != nullptr)
    ReadProcessMemory(process_, address_, target, length, nullptr);
}
