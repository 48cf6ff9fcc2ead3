#include "libventrilo/VentRemoteMemory.h"

#include <cstdint>

VentRemoteMemory::VentRemoteMemory(HANDLE process) : process_(process) {}

VentRemoteMemory::~VentRemoteMemory() { Free(); }

bool VentRemoteMemory::Commit(VentRemoteBuffer& buffer, DWORD offset) {
  if (!buffer.GetAddress()) {
    LPVOID address = static_cast<std::uint8_t*>(region_) + offset;
    buffer = VentRemoteBuffer(process_, VirtualAllocEx(process_, address, VentRemoteBuffer::kSize, MEM_COMMIT,
                                                       PAGE_READWRITE));
  }
  return buffer.GetAddress() != nullptr;
}

bool VentRemoteMemory::Allocate() {
  if (!region_) {
    region_ = VirtualAllocEx(process_, nullptr, kRegionSize, MEM_RESERVE, PAGE_READWRITE);
    if (!region_)
      return false;
  }
  for (int pair = 0; current_ < 0 && pair < kPairs; ++pair) {
    if (!pairs_[pair].abandoned)
      current_ = pair;
  }
  if (current_ < 0)
    return false;
  const DWORD offset = static_cast<DWORD>(current_) * 2 * VentRemoteBuffer::kSize;
  const bool item = Commit(pairs_[current_].item, offset);
  const bool text = Commit(pairs_[current_].text, offset + VentRemoteBuffer::kSize);
  return item && text;
}

void VentRemoteMemory::Abandon() {
  if (current_ < 0)
    return;
  pairs_[current_].abandoned = true;
  ++abandoned_;
  current_ = -1;
}

void VentRemoteMemory::FreeAbandoned() {
  for (Pair& pair : pairs_)
    pair.abandoned = false;
  abandoned_ = 0;
}

void VentRemoteMemory::Free() {
  if (region_ && abandoned_ == 0)
    VirtualFreeEx(process_, region_, 0, MEM_RELEASE);
  region_ = nullptr;
  pairs_ = {};
  current_ = -1;
  abandoned_ = 0;
}
