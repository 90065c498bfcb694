#include "bench/wine/allocation_counter.h"

#include <cstdlib>
#include <new>

namespace {
// The UI thread is the only one that allocates here.
int64_t allocations = 0;
int64_t allocationsInEditor = 0;
int editorDepth = 0;

void* Allocate(std::size_t size) {
  ++allocations;
  if (editorDepth > 0) {
    ++allocationsInEditor;
  }
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
int64_t AllocationCountOutsideEditor() {
  return allocations - allocationsInEditor;
}
EditorScope::EditorScope() {
  ++editorDepth;
}
EditorScope::~EditorScope() {
  --editorDepth;
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
