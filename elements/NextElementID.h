#pragma once

#include <cstdint>

// The next element id: 1 for the first element made after the module loads,
// growing from there and never given twice. Instances and their tree elements
// draw from this one counter. Safe to call from any thread.
std::uint32_t NextElementID();
