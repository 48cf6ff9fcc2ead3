#include "platform/sim/AddressSpace.h"

#include <cstring>

namespace sim {
namespace {

// The user part of a 32-bit process: Windows never hands out the first 64 KiB
// and keeps the top 2 GiB for the kernel.
constexpr std::uint64_t kLowest = 0x00010000;
constexpr std::uint64_t kHighest = 0x7FFF0000;

std::uint64_t RoundUp(std::uint64_t value, std::uint64_t unit) { return (value + unit - 1) / unit * unit; }

}  // namespace

AddressSpace::Page* AddressSpace::FindPage(std::uint64_t number) const {
  if (number >= std::uint64_t{1} << (32 - 12))
    return nullptr;
  const Table* table = directory_[number >> kTableBits].get();
  return table ? (*table)[number & kTableMask].get() : nullptr;
}

template <class Test>
AddressSpace::Access AddressSpace::Check(std::uint32_t address, std::size_t size, Test accessible) const {
  const std::uint64_t first = address / kPageSize;
  const std::uint64_t last = (std::uint64_t{address} + size - 1) / kPageSize;
  for (std::uint64_t number = first; number <= last; ++number) {
    const Page* page = FindPage(number);
    if (!page || !accessible(*page))
      return number == first ? Access::FirstPageDenied : Access::LaterPageDenied;
  }
  return Access::Ok;
}

template <class Move>
void AddressSpace::ForEachChunk(std::uint32_t address, std::size_t size, Move move) const {
  std::size_t done = 0;
  while (done < size) {
    const std::uint32_t offset = address % kPageSize;
    const std::size_t chunk = std::min<std::size_t>(size - done, kPageSize - offset);
    move(FindPage(address / kPageSize)->bytes.data() + offset, done, chunk);
    address += static_cast<std::uint32_t>(chunk);
    done += chunk;
  }
}

void AddressSpace::TripGuard(std::uint32_t address, std::size_t size) const {
  const std::uint64_t last = (std::uint64_t{address} + size - 1) / kPageSize;
  for (std::uint64_t number = address / kPageSize; number <= last; ++number) {
    Page* page = FindPage(number);
    if (!page)
      return;
    if ((page->protect & PAGE_GUARD) != 0) {
      page->protect &= ~PAGE_GUARD;
      return;
    }
  }
}

AddressSpace::Access AddressSpace::Read(std::uint32_t address, void* data, std::size_t size) const {
  if (size == 0)
    return Access::Ok;
  std::lock_guard lock(mutex_);
  const Access access = Check(address, size, Readable);
  if (access == Access::Ok) {
    auto* out = static_cast<std::uint8_t*>(data);
    ForEachChunk(address, size, [out](const std::uint8_t* page, std::size_t done, std::size_t chunk) {
      std::memcpy(out + done, page, chunk);
    });
  } else {
    TripGuard(address, size);
  }
  return access;
}

AddressSpace::Access AddressSpace::Write(std::uint32_t address, const void* data, std::size_t size) {
  if (size == 0)
    return Access::Ok;
  std::lock_guard lock(mutex_);
  const Access access = Check(address, size, Writable);
  if (access == Access::Ok) {
    const auto* in = static_cast<const std::uint8_t*>(data);
    ForEachChunk(address, size, [in](std::uint8_t* page, std::size_t done, std::size_t chunk) {
      std::memcpy(page, in + done, chunk);
    });
  } else {
    TripGuard(address, size);
  }
  return access;
}

std::map<std::uint32_t, std::uint32_t>::const_iterator AddressSpace::RegionOf(std::uint32_t address) const {
  auto region = regions_.upper_bound(address);
  if (region == regions_.begin())
    return regions_.end();
  --region;
  return std::uint64_t{address} < std::uint64_t{region->first} + region->second ? region : regions_.end();
}

bool AddressSpace::IsFree(std::uint32_t base, std::uint32_t size) const {
  if (base < kLowest || std::uint64_t{base} + size > kHighest)
    return false;
  const auto next = regions_.lower_bound(base);
  if (next != regions_.end() && next->first < std::uint64_t{base} + size)
    return false;
  return RegionOf(base) == regions_.end();
}

std::uint32_t AddressSpace::FindFree(std::uint32_t size) const {
  std::uint64_t candidate = kLowest;
  for (const auto& [base, reserved] : regions_) {
    if (candidate + size <= base)
      break;
    candidate = std::max<std::uint64_t>(candidate, RoundUp(std::uint64_t{base} + reserved, kGranularity));
  }
  return candidate + size <= kHighest ? static_cast<std::uint32_t>(candidate) : 0;
}

void AddressSpace::Commit(std::uint32_t address, std::uint32_t size, DWORD protect) {
  const std::uint32_t first = address / kPageSize;
  const std::uint32_t last = static_cast<std::uint32_t>((std::uint64_t{address} + size - 1) / kPageSize);
  for (std::uint32_t number = first; number <= last; ++number) {
    auto& table = directory_[number >> kTableBits];
    if (!table)
      table = std::make_unique<Table>();
    // Committing an already committed page keeps its contents, as on Windows.
    auto& page = (*table)[number & kTableMask];
    if (!page) {
      page = std::make_unique<Page>();
      ++committedPages_;
    }
    page->protect = protect;
  }
}

std::uint32_t AddressSpace::Allocate(std::uint32_t preferred, std::uint32_t size, DWORD protect, bool commit) {
  if (size == 0)
    return 0;
  std::lock_guard lock(mutex_);
  if (preferred != 0) {
    const auto region = RegionOf(preferred);
    if (region != regions_.end()) {
      const std::uint32_t start = preferred / kPageSize * kPageSize;
      if (std::uint64_t{preferred} + size > std::uint64_t{region->first} + region->second)
        return 0;
      if (commit)
        Commit(start, preferred + size - start, protect);
      return start;
    }
  }
  const std::uint32_t base = preferred / kGranularity * kGranularity;
  // The region covers everything from its 64 KiB-aligned base to the end of the
  // asked range, so both the base and the asked bytes are usable.
  const std::uint64_t wanted = std::uint64_t{preferred} - base + size;
  if (wanted > kHighest)
    return 0;
  const auto reserved = static_cast<std::uint32_t>(RoundUp(wanted, kGranularity));
  const std::uint32_t at = preferred != 0 ? (IsFree(base, reserved) ? base : 0) : FindFree(reserved);
  if (at == 0)
    return 0;
  regions_.emplace(at, reserved);
  if (commit)
    Commit(at, static_cast<std::uint32_t>(wanted), protect);
  return at;
}

bool AddressSpace::Release(std::uint32_t base) {
  std::lock_guard lock(mutex_);
  const auto region = regions_.find(base);
  if (region == regions_.end())
    return false;
  for (std::uint32_t offset = 0; offset < region->second; offset += kPageSize) {
    const std::uint32_t number = (base + offset) / kPageSize;
    if (FindPage(number)) {
      (*directory_[number >> kTableBits])[number & kTableMask].reset();
      --committedPages_;
    }
  }
  regions_.erase(region);
  return true;
}

bool AddressSpace::Protect(std::uint32_t address, std::uint32_t size, DWORD protect) {
  if (size == 0)
    return false;
  std::lock_guard lock(mutex_);
  if (Check(address, size, [](const Page&) { return true; }) != Access::Ok)
    return false;
  Commit(address, size, protect);
  return true;
}

DWORD AddressSpace::ProtectionAt(std::uint32_t address) const {
  std::lock_guard lock(mutex_);
  const Page* page = FindPage(address / kPageSize);
  return page ? page->protect : 0;
}

std::uint64_t AddressSpace::CommittedBytes() const {
  std::lock_guard lock(mutex_);
  return std::uint64_t{committedPages_} * kPageSize;
}

void AddressSpace::Clear() {
  std::lock_guard lock(mutex_);
  for (auto& table : directory_)
    table.reset();
  committedPages_ = 0;
  regions_.clear();
}

}  // namespace sim
