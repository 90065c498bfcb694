#include "tools/doc/each_module.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace tarnwick {

void ForEachIndex(size_t count, const std::function<void(size_t)>& work) {
  ForEachIndex(count, work, nullptr, 0);
}

void ForEachIndex(size_t count, const std::function<void(size_t)>& work,
                  const std::function<size_t(size_t)>& cost, size_t budget) {
  constexpr size_t kMostThreads = 8;
  const size_t threads =
      std::min({count, kMostThreads, std::max<size_t>(1, std::thread::hardware_concurrency())});
  if (threads <= 1) {
    for (size_t i = 0; i < count; ++i) {
      work(i);
    }
    return;
  }
  std::atomic<size_t> next{0};
  std::mutex mutex;
  std::condition_variable room;  // signalled when a call's bytes are given back
  size_t inFlight = 0;
  std::exception_ptr failure;
  auto worker = [&] {
    for (size_t i = next++; i < count; i = next++) {
      const size_t bytes = cost ? cost(i) : 0;
      if (bytes > 0) {
        std::unique_lock<std::mutex> lock(mutex);
        room.wait(lock, [&] {
          return inFlight == 0 || (inFlight <= budget && bytes <= budget - inFlight);
        });
        inFlight += bytes;
      }
      try {
        work(i);
      } catch (...) {
        const std::lock_guard<std::mutex> lock(mutex);
        if (!failure) {
          failure = std::current_exception();
        }
        next = count;  // the others stop at their next index
      }
      if (bytes > 0) {
        {
          const std::lock_guard<std::mutex> lock(mutex);
          inFlight -= bytes;
        }
        room.notify_all();
      }
    }
  };
  std::vector<std::thread> pool;
  for (size_t t = 1; t < threads; ++t) {
    try {
      pool.emplace_back(worker);
    } catch (...) {
      break;  // no thread to be had: the ones running do the rest
    }
  }
  worker();
  for (std::thread& thread : pool) {
    thread.join();
  }
  if (failure) {
    std::rethrow_exception(failure);
  }
}

}  // namespace tarnwick
