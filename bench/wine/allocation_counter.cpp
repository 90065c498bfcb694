#include "bench/wine/allocation_counter.h"

#include <cstdlib>
#include <new>

namespace {
int64_t allocations = 0;  // the UI thread is the only one that allocates here

void* Allocate(std::size_t size) {
  ++allocations;
  if (void* block = std::malloc(size == 0 ? 1 : size)) {
    return block;
  }
  throw std::bad_alloc();
}
}  // namespace

namespace tarnwick::bench {
int64_t AllocationCount() {
  return allocations;
}
}  // namespace tarnwick::bench

void* operator new(std::size_t size) {
  return Allocate(size);
}
void* operator new[](std::size_t size) {
  return Allocate(size);
}
void operator delete(void* block) noexcept {
  std::free(block);
}
void operator delete[](void* block) noexcept {
  std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
  std::free(block);
}
void operator delete[](void* block, std::size_t) noexcept {
  std::free(block);
}
