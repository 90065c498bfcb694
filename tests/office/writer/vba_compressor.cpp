#include "tests/office/writer/vba_compressor.h"

#include <array>
#include <stdexcept>
#include <vector>

namespace tarnwick::office::testing {

namespace {

constexpr size_t kChunkSize = 4096;
constexpr size_t kNone = static_cast<size_t>(-1);
constexpr int kCandidates = 64;

unsigned OffsetBits(size_t position) {
  unsigned bits = 4;
  while ((size_t{1} << bits) < position) {
    ++bits;
  }
  return bits;
}

size_t Hash(std::string_view chunk, size_t at) {
  return (static_cast<unsigned char>(chunk[at]) * 33u * 33u +
          static_cast<unsigned char>(chunk[at + 1]) * 33u +
          static_cast<unsigned char>(chunk[at + 2])) &
         0xFFF;
}

std::string CompressChunk(std::string_view chunk) {
  std::array<size_t, 4096> head;
  head.fill(kNone);
  std::vector<size_t> previous(chunk.size(), kNone);
  const auto insert = [&](size_t at) {
    if (at + 2 < chunk.size()) {
      const size_t hash = Hash(chunk, at);
      previous[at] = head[hash];
      head[hash] = at;
    }
  };
  std::string out;
  size_t pos = 0;
  while (pos < chunk.size()) {
    const size_t flagAt = out.size();
    out.push_back('\0');
    for (int bit = 0; bit < 8 && pos < chunk.size(); ++bit) {
      const unsigned bits = OffsetBits(pos);
      const size_t maxLength = std::min<size_t>((0xFFFFu >> bits) + 3, chunk.size() - pos);
      size_t bestLength = 0;
      size_t bestOffset = 0;
      if (pos + 2 < chunk.size()) {
        size_t candidate = head[Hash(chunk, pos)];
        for (int tries = 0; candidate != kNone && tries < kCandidates; ++tries) {
          size_t length = 0;
          while (length < maxLength && chunk[candidate + length] == chunk[pos + length]) {
            ++length;
          }
          if (length > bestLength) {
            bestLength = length;
            bestOffset = pos - candidate;
          }
          candidate = previous[candidate];
        }
      }
      if (bestLength >= 3) {
        const uint16_t token =
            static_cast<uint16_t>(((bestOffset - 1) << (16 - bits)) | (bestLength - 3));
        out.push_back(static_cast<char>(token & 0xFF));
        out.push_back(static_cast<char>(token >> 8));
        out[flagAt] = static_cast<char>(out[flagAt] | (1 << bit));
        for (size_t i = 0; i < bestLength; ++i) {
          insert(pos + i);
        }
        pos += bestLength;
      } else {
        out.push_back(chunk[pos]);
        insert(pos);
        ++pos;
      }
    }
  }
  return out;
}

}  // namespace

std::string CompressVba(std::string_view data) {
  std::string out = "\x01";
  for (size_t start = 0; start < data.size(); start += kChunkSize) {
    const std::string_view chunk = data.substr(start, kChunkSize);
    const std::string body = CompressChunk(chunk);
    uint16_t header = 0;
    if (body.size() <= kChunkSize) {
      header = static_cast<uint16_t>(0xB000 | (body.size() - 1));
    } else if (chunk.size() == kChunkSize) {
      header = 0x3FFF;  // raw: 4096 bytes as they are
    } else {
      throw std::invalid_argument("a short final chunk that does not compress");
    }
    out.push_back(static_cast<char>(header & 0xFF));
    out.push_back(static_cast<char>(header >> 8));
    out += (header & 0x8000) ? body : std::string(chunk);
  }
  return out;
}

}  // namespace tarnwick::office::testing
