// One simulated process's memory: a sparse 32-bit address space of 4 KiB
// pages inside 64 KiB-aligned reservations, as Windows lays out a 32-bit
// process. Every operation takes the space's own lock, so the process's code
// and other processes' ReadProcessMemory/WriteProcessMemory calls may run on
// any thread.
#pragma once

#include "platform/sim/SimWin32.h"

#include <array>
#include <cstdint>
#include <map>
#include <mutex>
#include <memory>

namespace sim {

class AddressSpace {
 public:
  static constexpr std::uint32_t kPageSize = 0x1000;
  static constexpr std::uint32_t kGranularity = 0x10000;

  // How a copy that touches pages ended.
  enum class Access { Ok, FirstPageDenied, LaterPageDenied };

  // Reserves a 64 KiB-aligned region of at least `size` bytes and, with
  // `commit`, commits its first `size` bytes (rounded up to pages),
  // zero-filled. `preferred` (rounded down to the granularity) is used when it
  // is free; 0 lets the space choose. Inside an existing reservation, commits
  // the pages of the range instead. Returns the address, or 0 when no room is
  // left or the range is taken.
  std::uint32_t Allocate(std::uint32_t preferred, std::uint32_t size, DWORD protect, bool commit = true);
  // Releases the whole reservation that starts exactly at `base`.
  bool Release(std::uint32_t base);
  // Changes the protection of committed pages; false if any page is not committed.
  bool Protect(std::uint32_t address, std::uint32_t size, DWORD protect);
  // Copies out of / into the space; nothing is copied unless every byte is
  // accessible. A page with PAGE_GUARD is not: a copy that reaches it fails
  // there and clears its guard, as a system service's access does on Windows.
  Access Read(std::uint32_t address, void* data, std::size_t size) const;
  Access Write(std::uint32_t address, const void* data, std::size_t size);
  // The protection of the committed page holding `address`; 0 when there is none.
  DWORD ProtectionAt(std::uint32_t address) const;
  std::uint64_t CommittedBytes() const;
  // The process has ended: every reservation goes.
  void Clear();

 private:
  struct Page {
    DWORD protect = PAGE_READWRITE;
    std::array<std::uint8_t, kPageSize> bytes{};
  };
  // Page number -> page in a two-level table, as the processor keeps it: a
  // lookup is two indexings, without hashing or allocation.
  static constexpr std::uint32_t kTableBits = 10;
  static constexpr std::uint32_t kTableMask = (1u << kTableBits) - 1;
  using Table = std::array<std::unique_ptr<Page>, std::size_t{1} << kTableBits>;

  static bool Readable(const Page& page) { return page.protect != PAGE_NOACCESS && (page.protect & PAGE_GUARD) == 0; }
  static bool Writable(const Page& page) { return page.protect == PAGE_READWRITE; }
  // Clears the guard of the page at which a copy of the range stopped, if it has one.
  void TripGuard(std::uint32_t address, std::size_t size) const;
  // The committed page of that number, or null.
  Page* FindPage(std::uint64_t number) const;
  template <class Test>
  Access Check(std::uint32_t address, std::size_t size, Test accessible) const;
  // Calls move(page bytes at the position, bytes done so far, chunk size) for
  // each page-sized piece of a range that Check accepted.
  template <class Move>
  void ForEachChunk(std::uint32_t address, std::size_t size, Move move) const;
  std::uint32_t FindFree(std::uint32_t size) const;
  bool IsFree(std::uint32_t base, std::uint32_t size) const;
  // The reservation containing `address`, or regions_.end().
  std::map<std::uint32_t, std::uint32_t>::const_iterator RegionOf(std::uint32_t address) const;
  void Commit(std::uint32_t address, std::uint32_t size, DWORD protect);

  mutable std::mutex mutex_;
  std::map<std::uint32_t, std::uint32_t> regions_;  // base -> reserved size
  std::array<std::unique_ptr<Table>, std::size_t{1} << (32 - 12 - kTableBits)> directory_;
  std::size_t committedPages_ = 0;
};

}  // namespace sim
