#pragma once

#include <cstdint>

// The number of operator new calls the program has made so far, on any thread.
std::uint64_t AllocationCount();
