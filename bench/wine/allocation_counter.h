// Counts the program's calls of operator new (every C++ allocation of the
// add-in's code, which the benchmark links statically).
#pragma once

#include <cstdint>

namespace tarnwick::bench {

int64_t AllocationCount();

}  // namespace tarnwick::bench
