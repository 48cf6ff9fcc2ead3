// What a fuzz target does when its oracle disagrees with the code: it says
// what differed and aborts, which libFuzzer reports as a crash and keeps the
// input that caused it.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

inline void FuzzCheck(bool holds, const char* what, const std::string& detail = {}) {
  if (holds)
    return;
  std::fprintf(stderr, "oracle failed: %s%s%s\n", what, detail.empty() ? "" : ": ", detail.c_str());
  std::abort();
}
