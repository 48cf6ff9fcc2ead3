// Memory of the stand-in client that a 32-bit reader can address: the client's
// per-item records hold string addresses as 32-bit values, and the tree items'
// lParam is read as a 32-bit record address, so everything they point at is
// carved from 64 KiB regions placed below 4 GiB. The client's empty string
// (address 0x0053311C, a 0 byte) lies in its own image.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace standin {

class LowArena {
 public:
  // Commits the first region and checks the empty string; Ok() tells whether both are there.
  LowArena();
  ~LowArena();

  LowArena(const LowArena&) = delete;
  LowArena& operator=(const LowArena&) = delete;

  bool Ok() const { return ok_; }

  // `bytes` of zeroed memory below 4 GiB, 8-byte aligned; 0 when no region can be had.
  std::uint32_t Allocate(std::size_t bytes);
  // A NUL-terminated copy of `text`; the empty string is the client's shared empty-string address.
  std::uint32_t String(const std::string& text);

 private:
  bool NewRegion();

  bool ok_ = false;
  std::uint32_t regionNext_ = 0;
  std::uint32_t regionEnd_ = 0;
  // Where the next region is tried; the search runs upwards to 4 GiB.
  std::uint64_t nextTry_;
};

}  // namespace standin
