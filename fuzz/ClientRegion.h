// A stretch of a simulated client's memory laid out from fuzz input, and what
// a reader of the client must get out of it.
//
// The region is one 64 KiB reservation at kBase whose first one to kPages
// pages are committed; each committed page is read-write, read-only or
// no-access, and the rest of the reservation is reserved only. Both kinds of
// hole make a cross-process read that touches them copy nothing. The region
// keeps a mirror of its bytes, so the expected result of every read is worked
// out without asking the desktop.
#pragma once

#include "platform/Win32.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class ClientRegion {
 public:
  static constexpr std::uint32_t kBase = 0x40000000u;
  static constexpr std::uint32_t kPageSize = 0x1000u;
  static constexpr std::uint32_t kPages = 4;
  static constexpr std::uint32_t kReservation = 0x10000u;

  // Commits the pages and fills them from `input`; protections are applied by Seal().
  ClientRegion(DWORD processId, FuzzedDataProvider& input);
  // Releases the reservation.
  ~ClientRegion();

  ClientRegion(const ClientRegion&) = delete;
  ClientRegion& operator=(const ClientRegion&) = delete;

  // Writes into the committed pages (before Seal), as the client's own code would.
  void Poke(std::uint32_t address, const void* data, std::uint32_t size);
  // Gives each committed page the protection the input chose.
  void Seal();

  // An address for a reader to start at: 0, the client's empty-string
  // address, one in or just around the region, or one at the very top of the
  // 32-bit space.
  std::uint32_t PickAddress(FuzzedDataProvider& input) const;
  // Whether every byte of the range can be read from outside.
  bool Readable(std::uint32_t address, std::uint32_t size) const;
  // The bytes of a readable range.
  std::string Bytes(std::uint32_t address, std::uint32_t size) const;
  // What ReadRemoteString gives for `address`: nullopt when it must leave its
  // target unchanged.
  std::optional<std::string> ExpectedString(std::uint32_t address) const;

 private:
  DWORD processId_;
  std::uint32_t committedPages_;
  std::vector<DWORD> protections_;
  std::vector<std::uint8_t> mirror_;
};
