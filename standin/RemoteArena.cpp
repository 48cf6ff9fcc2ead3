#include "standin/RemoteArena.h"

#include "platform/sim/SimDesktop.h"

namespace standin {

RemoteArena::RemoteArena(DWORD processId) : processId_(processId) {}

std::uint32_t RemoteArena::Carve(std::uint32_t size, std::uint32_t alignment) {
  if (size > kBlockSize / 4)
    return sim::Allocate(processId_, size);
  std::uint32_t start = (next_ + alignment - 1) & ~(alignment - 1);
  if (next_ == 0 || start + size > end_) {
    const std::uint32_t block = sim::Allocate(processId_, kBlockSize);
    if (block == 0)
      return 0;
    start = block;
    end_ = block + kBlockSize;
  }
  next_ = start + size;
  return start;
}

std::uint32_t RemoteArena::PutString(const std::string& text) {
  const auto size = static_cast<std::uint32_t>(text.size() + 1);
  const std::uint32_t address = Carve(size);
  if (address != 0)
    Write(address, text.c_str(), size);
  return address;
}

bool RemoteArena::Write(std::uint32_t address, const void* data, std::uint32_t size) const {
  return sim::Write(processId_, address, data, size);
}

}  // namespace standin
