#include "office/vba_compression.h"

#include <algorithm>
#include <cstring>

#include "office/bytes.h"
#include "office/office_error.h"

namespace tarnwick::office {

namespace {

constexpr size_t kChunkSize = 4096;

[[noreturn]] void Damaged(const std::string& what) {
  throw OfficeError(OfficeFailure::kDamaged, "damaged compressed data: " + what);
}

// [MS-OVBA] 2.4.1.3.19.1: the bits of a copy token's offset grow with the
// distance from the chunk's start, from 4 to 12.
unsigned OffsetBits(size_t decompressedInChunk) {
  unsigned bits = 4;
  while ((size_t{1} << bits) < decompressedInChunk) {
    ++bits;
  }
  return bits;
}

// One compressed chunk's tokens ([MS-OVBA] 2.4.1.3.2), appended to `out`
// through a window of 4096 bytes made room for first.
void DecompressTokens(std::string_view data, std::string& out, size_t at) {
  const size_t chunkStart = out.size();
  out.resize(chunkStart + kChunkSize);
  char* const chunk = out.data() + chunkStart;
  size_t written = 0;
  size_t pos = 0;
  while (pos < data.size()) {
    const auto flags = static_cast<unsigned char>(data[pos++]);
    for (int bit = 0; bit < 8 && pos < data.size(); ++bit) {
      if ((flags & (1u << bit)) == 0) {
        if (written >= kChunkSize) {
          Damaged("the chunk at byte " + std::to_string(at) + " holds more than 4096 bytes");
        }
        chunk[written++] = data[pos++];
        continue;
      }
      if (pos + 2 > data.size()) {
        Damaged("a copy token is cut short in the chunk at byte " + std::to_string(at));
      }
      const uint16_t token = Le16(data, pos);
      pos += 2;
      const unsigned bits = OffsetBits(written);
      const uint16_t lengthMask = static_cast<uint16_t>(0xFFFF >> bits);
      const size_t length = (token & lengthMask) + 3u;
      const size_t offset = (static_cast<size_t>(token) >> (16 - bits)) + 1;
      if (offset > written) {
        Damaged("a copy token refers before the start of the chunk at byte " + std::to_string(at));
      }
      if (written + length > kChunkSize) {
        Damaged("a copy token runs past the 4096 bytes of the chunk at byte " + std::to_string(at));
      }
      // Byte by byte where the copy overlaps what it writes.
      const char* from = chunk + written - offset;
      if (offset >= length) {
        std::memcpy(chunk + written, from, length);
      } else {
        for (size_t i = 0; i < length; ++i) {
          chunk[written + i] = from[i];
        }
      }
      written += length;
    }
  }
  out.resize(chunkStart + written);
}

}  // namespace

std::string DecompressVba(std::string_view container, uint64_t maxSize) {
  if (container.empty()) {
    Damaged("the compressed container is empty");
  }
  if (static_cast<unsigned char>(container[0]) != 0x01) {
    Damaged("the signature byte is " + std::to_string(static_cast<unsigned char>(container[0])) +
            ", not 1");
  }
  std::string out;
  out.reserve(std::min<uint64_t>(maxSize, 4 * uint64_t{container.size()}));
  size_t at = 1;
  while (at < container.size()) {
    if (at + 2 > container.size()) {
      Damaged("the chunk header at byte " + std::to_string(at) + " is cut short");
    }
    const uint16_t header = Le16(container, at);
    if (((header >> 12) & 0x7) != 0x3) {
      Damaged("the chunk header at byte " + std::to_string(at) + " lacks its signature");
    }
    const size_t chunkSize = (header & 0x0FFF) + 3u;
    const bool compressed = (header & 0x8000) != 0;
    if (!compressed && chunkSize != kChunkSize + 2) {
      Damaged("the raw chunk at byte " + std::to_string(at) + " is not 4096 bytes");
    }
    if (chunkSize > container.size() - at) {
      Damaged("the chunk at byte " + std::to_string(at) + " runs past the end of the data");
    }
    const std::string_view data = container.substr(at + 2, chunkSize - 2);
    if (compressed) {
      DecompressTokens(data, out, at);
    } else {
      out.append(data);
    }
    if (out.size() > maxSize) {
      Damaged("the data decompresses to more than " + std::to_string(maxSize) + " bytes");
    }
    at += chunkSize;
  }
  return out;
}

}  // namespace tarnwick::office
