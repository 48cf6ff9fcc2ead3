#include "standin/win32/LowArena.h"

#include "standin/StandinClient.h"

#include <windows.h>

#include <cstring>

namespace standin {

namespace {

constexpr std::uint32_t kRegionSize = 0x10000;  // the allocation granularity
// 64-bit arithmetic: 4 GiB does not fit a 32-bit program's uintptr_t, and a
// search up to it would wrap there.
constexpr std::uint64_t kFirstTry = 0x10000000;
constexpr std::uint64_t kLimit = 0x100000000ull;

// Reserves and commits one granule exactly at `address`; VirtualAlloc with a
// preferred address fails instead of moving the block when the range is taken.
// Committed pages are zero-filled.
void* CommitAt(std::uint64_t address) {
  return VirtualAlloc(reinterpret_cast<void*>(static_cast<std::uintptr_t>(address)), kRegionSize, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

// The real client is a 32-bit program whose shared empty string is a static
// inside its image, at 0x0053311C. This program is linked at image base
// 0x400000 without address randomisation (see CMakeLists.txt), and this
// zero-filled block of its image covers that address: the process heap, which
// Wine reserves right after the image, would otherwise hold it. Nothing writes
// to the block.
char imageFill[0x200000];

bool CoversEmptyString() {
  const auto first = reinterpret_cast<std::uintptr_t>(imageFill);
  return kEmptyStringAddress >= first && kEmptyStringAddress < first + sizeof imageFill &&
         imageFill[kEmptyStringAddress - first] == 0;
}

}  // namespace

LowArena::LowArena() : nextTry_(kFirstTry) { ok_ = CoversEmptyString() && NewRegion(); }

// The regions live as long as the process; nothing to release before it ends.
LowArena::~LowArena() = default;

bool LowArena::NewRegion() {
  for (; nextTry_ + kRegionSize <= kLimit; nextTry_ += kRegionSize) {
    if (CommitAt(nextTry_)) {
      regionNext_ = static_cast<std::uint32_t>(nextTry_);
      regionEnd_ = static_cast<std::uint32_t>(nextTry_ + kRegionSize);
      nextTry_ += kRegionSize;
      return true;
    }
  }
  return false;
}

std::uint32_t LowArena::Allocate(std::size_t bytes) {
  const std::size_t rounded = (bytes + 7) & ~std::size_t(7);
  if (rounded == 0 || rounded > kRegionSize)
    return 0;
  if (regionEnd_ - regionNext_ < rounded && !NewRegion())
    return 0;
  const std::uint32_t address = regionNext_;
  regionNext_ += static_cast<std::uint32_t>(rounded);
  return address;
}

std::uint32_t LowArena::String(const std::string& text) {
  if (text.empty())
    return kEmptyStringAddress;
  const std::uint32_t address = Allocate(text.size() + 1);
  if (address != 0)
    std::memcpy(reinterpret_cast<void*>(std::uintptr_t(address)), text.c_str(), text.size() + 1);
  return address;
}

}  // namespace standin
