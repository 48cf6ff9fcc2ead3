// The order of an element's children by name: names compared byte by byte,
// with the letters A to Z folded to lower case.
#pragma once

#include <cstddef>
#include <string>

inline unsigned char FoldNameByte(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte - 'A' + 'a') : byte;
}

// Negative, 0 or positive as `a` sorts before, with or after `b`.
inline int CompareNames(const std::string& a, const std::string& b) {
  const std::size_t common = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < common; ++i) {
    const unsigned char x = FoldNameByte(a[i]);
    const unsigned char y = FoldNameByte(b[i]);
    if (x != y)
      return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}
