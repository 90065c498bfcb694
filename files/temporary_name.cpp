#include "files/temporary_name.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <random>

namespace tarnwick::files {

namespace {

uint64_t Seed() {
  uint64_t seed =
      static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  try {
    std::random_device device;
    seed ^= (static_cast<uint64_t>(device()) << 32) | device();
  } catch (...) {
    // No random device: the clock and the counter still differ every call.
  }
  return seed;
}

}  // namespace

std::filesystem::path TemporaryBeside(const std::filesystem::path& target) {
  using String = std::filesystem::path::string_type;
  static std::atomic<uint64_t> counter{0};
  std::mt19937_64 random(Seed() + counter++);
  uint64_t value = random();
  String hex(16, '0');
  for (int i = 15; i >= 0; --i, value >>= 4) {
    hex[i] = static_cast<typename String::value_type>("0123456789abcdef"[value & 0xF]);
  }
  constexpr size_t kLongestName = 200;  // of 255, leaving room for the rest
  const String name = target.filename().native().substr(0, kLongestName);
  String temporary;
  temporary += '.';
  temporary += name;
  temporary += '.';
  temporary += hex;
  for (const char c : {'.', 't', 'm', 'p'}) {
    temporary += static_cast<typename String::value_type>(c);
  }
  return target.parent_path() / temporary;
}

}  // namespace tarnwick::files
