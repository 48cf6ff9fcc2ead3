#include "libventrilo/VentRemoteBuffer.h"

VentRemoteBuffer::VentRemoteBuffer(HANDLE process)
    : size_(kSize), process_(process), address_(VirtualAllocEx(process, nullptr, kSize, MEM_COMMIT, PAGE_READWRITE)) {}

VentRemoteBuffer::~VentRemoteBuffer() {
  if (address_ != nullptr)
    VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
}

void VentRemoteBuffer::Write(const void* source, SIZE_T length) {
  if (address_ != nullptr)
    WriteProcessMemory(process_, address_, source, length, nullptr);
}

void VentRemoteBuffer::Read(void* target, SIZE_T length) {
  if (address_ != nullptr)
    ReadProcessMemory(process_, address_, target, length, nullptr);
}
