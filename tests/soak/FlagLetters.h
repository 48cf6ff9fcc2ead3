// The flag bits that the letters a client draws in quotes stand for (the
// capitals A C N G M T W S P, bit 0x001 to 0x100); any other character
// stands for nothing. Kept apart from the parse, so that tests and fuzzers
// check it against an independent reading.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

inline std::uint32_t FlagsOfLetters(const std::string& letters) {
  static constexpr char kLetters[] = "ACNGMTWSP";
  std::uint32_t flags = 0;
  for (const char letter : letters) {
    if (const char* at = letter ? std::strchr(kLetters, letter) : nullptr)
      flags |= 1u << (at - kLetters);
  }
  return flags;
}
