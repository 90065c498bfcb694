// Line and column arithmetic that cannot overflow. Lines and columns are 32-bit
// and come straight from the editor, so every sum is taken in 64 bits and
// clamped back; a clamped value is simply a position no line has.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>

namespace tarnwick {

inline int32_t ClampToInt32(int64_t value) {
  if (value > std::numeric_limits<int32_t>::max()) {
    return std::numeric_limits<int32_t>::max();
  }
  if (value < std::numeric_limits<int32_t>::min()) {
    return std::numeric_limits<int32_t>::min();
  }
  return static_cast<int32_t>(value);
}

// value + delta, clamped to the 32-bit range.
inline int32_t Offset(int32_t value, int64_t delta) {
  return ClampToInt32(static_cast<int64_t>(value) + delta);
}

// A 0-based text index plus `delta`, as a 32-bit column or line value.
inline int32_t IndexPlus(size_t index, int64_t delta) {
  if (index > static_cast<size_t>(std::numeric_limits<int32_t>::max())) {
    return std::numeric_limits<int32_t>::max();
  }
  return Offset(static_cast<int32_t>(index), delta);
}

// The 0-based index `column + delta` in a text of `size` units, or npos when it
// is negative or not inside the text.
inline size_t IndexAt(int32_t column, int64_t delta, size_t size) {
  const int64_t index = static_cast<int64_t>(column) + delta;
  if (index < 0 || static_cast<uint64_t>(index) >= size) {
    return static_cast<size_t>(-1);
  }
  return static_cast<size_t>(index);
}

}  // namespace tarnwick
