// Work on each module at once: modules are read and checked independently, so
// a run spreads them over the processor's cores.
#pragma once

#include <cstddef>
#include <functional>

namespace tarnwick {

// Calls `work(i)` for each i below `count`, on as many threads as the
// processor runs at once (one when count is 1). Returns when every call has;
// the first exception a call threw is then thrown here.
void ForEachIndex(size_t count, const std::function<void(size_t)>& work);

}  // namespace tarnwick
