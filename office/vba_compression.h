// The decompression of [MS-OVBA] 2.4.1: a compressed container is a signature
// byte 0x01 and chunks, each of at most 4096 decompressed bytes, either copied
// raw or made of literal bytes and copy tokens that refer back into the chunk.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tarnwick::office {

// The decompressed size allowed by default: far above any module's source.
inline constexpr uint64_t kMaxDecompressedSize = 64ull << 20;

// Decompresses a whole container. Throws OfficeError(kDamaged), its message
// starting "damaged compressed data: ", for a bad signature byte, a chunk
// header without its signature bits or running past the end, a copy token
// that refers before its chunk or past the chunk's 4096 bytes, or output
// beyond `maxSize`.
std::string DecompressVba(std::string_view container, uint64_t maxSize = kMaxDecompressedSize);

}  // namespace tarnwick::office
