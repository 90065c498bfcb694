// Little-endian integers out of byte strings. Callers check the bounds first.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tarnwick::office {

inline uint16_t Le16(std::string_view bytes, size_t at) {
  return static_cast<uint16_t>(static_cast<unsigned char>(bytes[at]) |
                               static_cast<unsigned char>(bytes[at + 1]) << 8);
}

inline uint32_t Le32(std::string_view bytes, size_t at) {
  return static_cast<uint32_t>(Le16(bytes, at)) | static_cast<uint32_t>(Le16(bytes, at + 2)) << 16;
}

inline uint64_t Le64(std::string_view bytes, size_t at) {
  return static_cast<uint64_t>(Le32(bytes, at)) | static_cast<uint64_t>(Le32(bytes, at + 4)) << 32;
}

// True when [at, at + size) lies inside `bytes`, without overflowing.
inline bool Fits(std::string_view bytes, uint64_t at, uint64_t size) {
  return at <= bytes.size() && size <= bytes.size() - at;
}

}  // namespace tarnwick::office
