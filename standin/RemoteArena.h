// Memory a client program keeps for itself, carved from 64 KiB blocks that it
// commits in its own process. Nothing carved is ever given back: a client that
// replaces a string leaves the old one in place, so a reader holding an old
// address still finds a terminated string there, and a record address is
// never handed out twice (it is the identity of a tree item to a reader).
#pragma once

#include "platform/Win32.h"

#include <cstdint>
#include <string>

namespace standin {

class RemoteArena {
 public:
  static constexpr std::uint32_t kBlockSize = 0x10000;

  explicit RemoteArena(DWORD processId);

  DWORD ProcessId() const { return processId_; }

  // Zero-filled room for `size` bytes at a multiple of `alignment` (a power of
  // two); 0 when the process has no address space left. A request larger than
  // a quarter block gets a block of its own, so big strings waste no arena.
  std::uint32_t Carve(std::uint32_t size, std::uint32_t alignment = 1);
  // Carves room for `text` and its terminator and writes both.
  std::uint32_t PutString(const std::string& text);
  bool Write(std::uint32_t address, const void* data, std::uint32_t size) const;

 private:
  DWORD processId_;
  std::uint32_t next_ = 0;
  std::uint32_t end_ = 0;
};

}  // namespace standin
