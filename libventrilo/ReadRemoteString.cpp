#include "libventrilo/ReadRemoteString.h"

#include <cstring>

namespace {

constexpr SIZE_T kLargestRead = 1024;
constexpr SIZE_T kSmallestRead = 16;

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
  // page (ERROR_PARTIAL_COPY), so a string close to the end of the client's
  // memory is found by halving the read until it fits.
  while (!ReadProcessMemory(process, reinterpret_cast<LPCVOID>(static_cast<UINT_PTR>(address)), buffer, size,
                            &count) &&
         GetLastError() == ERROR_PARTIAL_COPY) {
    size /= 2;
    if (size < kSmallestRead)
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
