#include "tests/window/freed_memory_guard.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>

namespace tarnwick::test {
namespace {

constexpr unsigned char kFreedPattern = 0xDD;

// Every block carries this header in front of what the caller gets.
struct alignas(std::max_align_t) BlockHeader {
  std::size_t size;
  BlockHeader* nextKept;
  bool isKept;
};

std::atomic_flag busy = ATOMIC_FLAG_INIT;
bool keeping = false;
BlockHeader* kept = nullptr;
std::size_t freedTwice = 0;

class SpinLock {
 public:
  SpinLock() {
    while (busy.test_and_set(std::memory_order_acquire)) {
    }
  }
  ~SpinLock() { busy.clear(std::memory_order_release); }
};

unsigned char* Payload(BlockHeader* header) {
  return reinterpret_cast<unsigned char*>(header + 1);
}

void* Allocate(std::size_t size) {
  auto* header = static_cast<BlockHeader*>(std::malloc(sizeof(BlockHeader) + size));
  if (!header) {
    throw std::bad_alloc();
  }
  header->size = size;
  header->nextKept = nullptr;
  header->isKept = false;
  return header + 1;
}

void Free(void* block) noexcept {
  if (!block) {
    return;
  }
  BlockHeader* header = static_cast<BlockHeader*>(block) - 1;
  SpinLock hold;
  if (header->isKept) {
    ++freedTwice;  // a kept block freed again: a use after free
    return;
  }
  if (keeping) {
    header->isKept = true;
    std::memset(Payload(header), kFreedPattern, header->size);
    header->nextKept = kept;
    kept = header;
    return;
  }
  std::free(header);
}

}  // namespace

FreedMemoryGuard::FreedMemoryGuard() {
  SpinLock hold;
  keeping = true;
}

FreedMemoryGuard::~FreedMemoryGuard() {
  BlockHeader* blocks = nullptr;
  {
    SpinLock hold;
    keeping = false;
    blocks = kept;
    kept = nullptr;
    freedTwice = 0;
  }
  while (blocks) {
    BlockHeader* next = blocks->nextKept;
    std::free(blocks);
    blocks = next;
  }
}

std::size_t FreedMemoryGuard::Kept() const {
  SpinLock hold;
  std::size_t count = 0;
  for (BlockHeader* block = kept; block; block = block->nextKept) {
    ++count;
  }
  return count;
}

std::size_t FreedMemoryGuard::Touched() const {
  SpinLock hold;
  std::size_t count = freedTwice;
  for (BlockHeader* block = kept; block; block = block->nextKept) {
    const unsigned char* bytes = Payload(block);
    for (std::size_t i = 0; i < block->size; ++i) {
      if (bytes[i] != kFreedPattern) {
        ++count;
        break;
      }
    }
  }
  return count;
}

}  // namespace tarnwick::test

void* operator new(std::size_t size) {
  return tarnwick::test::Allocate(size);
}
void* operator new[](std::size_t size) {
  return tarnwick::test::Allocate(size);
}
void operator delete(void* block) noexcept {
  tarnwick::test::Free(block);
}
void operator delete[](void* block) noexcept {
  tarnwick::test::Free(block);
}
void operator delete(void* block, std::size_t) noexcept {
  tarnwick::test::Free(block);
}
void operator delete[](void* block, std::size_t) noexcept {
  tarnwick::test::Free(block);
}
