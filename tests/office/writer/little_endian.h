// Little-endian integers appended to a byte string, as the formats the
// writers make store them.
#pragma once

#include <cstdint>
#include <string>

namespace tarnwick::office::testing {

inline void Append16(std::string& out, uint32_t value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

inline void Append32(std::string& out, uint32_t value) {
  Append16(out, value & 0xFFFF);
  Append16(out, value >> 16);
}

inline void Append64(std::string& out, uint64_t value) {
  Append32(out, static_cast<uint32_t>(value & 0xFFFFFFFF));
  Append32(out, static_cast<uint32_t>(value >> 32));
}

}  // namespace tarnwick::office::testing
