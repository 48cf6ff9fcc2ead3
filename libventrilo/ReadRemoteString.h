#pragma once

#include "platform/Win32.h"

#include <cstdint>
#include <string>

// The address the client stores for an empty string; it is taken as "" without
// reading the client's memory.
inline constexpr std::uint32_t kEmptyStringAddress = 0x0053311Cu;

// Reads the NUL-terminated string the client keeps at `address` in its own
// memory into `*target`: at most 1023 characters, a longer string is cut. The
// read goes past the string's own page only when the string does, so a string
// that ends before an unreadable or guard page is read whole and touches
// nothing beyond it. When nothing could be read, `*target` is left unchanged.
void ReadRemoteString(HANDLE process, std::uint32_t address, std::string* target);
