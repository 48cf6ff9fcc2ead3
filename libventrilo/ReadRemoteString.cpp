#include "libventrilo/ReadRemoteString.h"

#include <cstring>

namespace {

constexpr SIZE_T kLargestRead = 1024;
constexpr std::uint64_t kPageSize = 4096;

bool Read(HANDLE process, std::uint32_t address, char* buffer, SIZE_T size, SIZE_T* count) {
  return ReadProcessMemory(process, reinterpret_cast<LPCVOID>(static_cast<UINT_PTR>(address)), buffer, size, count);
}

}  // namespace

void ReadRemoteString(HANDLE process, std::uint32_t address, std::string* target) {
  if (address == 0 || address == kEmptyStringAddress) {
    target->clear();
    return;
  }
  char buffer[kLargestRead];
  buffer[0] = 0;
  // The first read stays inside the string's own page: one that strays onto
  // the next page for a string that ended before it could strip a guard page
  // (a thread's stack guard, which a failed read clears). The next page is
  // read only when no terminator came in the first one; when that read fails
  // for any reason, the string is taken as far as the first read went.
  SIZE_T size = static_cast<SIZE_T>(kPageSize - address % kPageSize);
  if (size > kLargestRead)
    size = kLargestRead;
  SIZE_T count = 0;
  if (!Read(process, address, buffer, size, &count) || count == 0)
    return;
  if (count == size && size < kLargestRead && !std::memchr(buffer, 0, size)) {
    SIZE_T more = 0;
    if (Read(process, address + static_cast<std::uint32_t>(size), buffer + size, kLargestRead - size, &more) &&
        more == kLargestRead - size)
      size = count = kLargestRead;
  }
  // The last byte read becomes the terminator, which also cuts a string that
  // runs on past the read. The count is clamped so that no report can make
  // this write outside the buffer.
  buffer[(count < size ? count : size) - 1] = 0;
  target->assign(buffer, std::strlen(buffer));
}
