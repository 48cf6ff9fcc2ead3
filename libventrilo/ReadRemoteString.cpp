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
  SIZE_T count = 0;
  SIZE_T size = kLargestRead;
  // ReadProcessMemory copies nothing when the range runs into an unreadable
  // page (ERROR_PARTIAL_COPY). As the read is shorter than a page, the only
  // page it can have run into is the one after the string's own: the rest of
  // that page is read instead, so a string that ends anywhere before the
  // unreadable page comes through whole.
  if (!Read(process, address, buffer, size, &count) && GetLastError() == ERROR_PARTIAL_COPY) {
    size = static_cast<SIZE_T>(kPageSize - address % kPageSize);
    if (size >= kLargestRead || !Read(process, address, buffer, size, &count))
      return;
  }
  if (count == 0)
    return;
  // The last byte read becomes the terminator, which also cuts a string that
  // runs on past the read. The count is clamped so that no report can make
  // this write outside the buffer.
  buffer[(count < size ? count : size) - 1] = 0;
  target->assign(buffer, std::strlen(buffer));
}
