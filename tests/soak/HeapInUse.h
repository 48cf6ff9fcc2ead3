// Bytes the process has allocated and not freed, counted exactly (the
// allocator's own statistics move with its caches of freed blocks). Under
// AddressSanitizer its allocator counts; otherwise the soak's replacement of
// the global operator new and delete does, for every C++ allocation of the
// process (the module, the stand-ins and the simulated desktop alike).
#pragma once

#include <cstddef>

std::size_t HeapInUse();
