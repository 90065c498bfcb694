// Work on each module at once: modules are read and checked independently, so
// a run spreads them over the processor's cores, as far as memory allows.
#pragma once

#include <cstddef>
#include <functional>

namespace tarnwick {

// The bytes of input worked on at once, across the threads of one call: a
// module's text takes a few times its size while it is decoded and split, so
// that a run of modules at the largest size a module may have is not held
// eight at a time. Real modules, kilobytes each, never meet it.
inline constexpr size_t kBytesInFlight = size_t{64} << 20;

// Calls `work(i)` for each i below `count`, on as many threads as the
// processor runs at once (one when count is 1). Returns when every call has;
// the first exception a call threw is then thrown here.
void ForEachIndex(size_t count, const std::function<void(size_t)>& work);

// The same, with no more than `budget` of the calls' `cost(i)` (bytes of
// input) under way at once; a call that costs more than the budget runs
// alone.
void ForEachIndex(size_t count, const std::function<void(size_t)>& work,
                  const std::function<size_t(size_t)>& cost, size_t budget = kBytesInFlight);

}  // namespace tarnwick
