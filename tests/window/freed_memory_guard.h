// A guard against writes into freed memory, for re-entrancy tests.
//
// The test program's operator new and delete are replaced (freed_memory_guard
// .cpp). While a FreedMemoryGuard is alive, every block freed through operator
// delete is filled with a pattern and kept instead of going back to the heap,
// so it cannot be reused; Touched() then finds any block that was written after
// it was freed. Reading freed memory shows too: the pattern is no valid pointer,
// window handle or procedure, so using what was read fails loudly.
#pragma once

#include <cstddef>

namespace tarnwick::test {

class FreedMemoryGuard {
 public:
  FreedMemoryGuard();
  // Returns the kept blocks to the heap.
  ~FreedMemoryGuard();
  FreedMemoryGuard(const FreedMemoryGuard&) = delete;
  FreedMemoryGuard& operator=(const FreedMemoryGuard&) = delete;

  // Blocks freed since the guard began.
  std::size_t Kept() const;
  // Kept blocks that no longer hold the pattern, and frees of kept blocks.
  std::size_t Touched() const;
};

}  // namespace tarnwick::test
